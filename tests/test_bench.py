"""The benchmark suite (bench/): a --quick smoke run of the whole of it, and
the pieces whose faults would skew its figures without failing it."""

import json
import os
import subprocess
import sys
from pathlib import Path

import pytest
from support import raises_exactly

BENCH = Path(__file__).resolve().parent.parent / "bench"
sys.path.insert(0, str(BENCH))

import game  # noqa: E402
import report  # noqa: E402
import run  # noqa: E402
import instructions  # noqa: E402
from libraries import Library  # noqa: E402
from operations import DRAWING, OPERATIONS, Operation, op  # noqa: E402
from timing import UNROLL, compile_variant  # noqa: E402

# The peers and matplotlib are release builds: absent from the debug
# interpreter, and not leak-clean under the sanitizer run.
DEBUG = hasattr(sys, "gettotalrefcount")
SANITIZED = "libasan" in os.environ.get("LD_PRELOAD", "")
release_only = pytest.mark.skipif(DEBUG or SANITIZED, reason="needs the release interpreter's peers")


@release_only
def test_quick_run_writes_table_json_and_chart(tmp_path):
    run = subprocess.run([sys.executable, str(BENCH / "run.py"), "--quick", "--out", str(tmp_path)],
                         capture_output=True, text=True, timeout=300)
    assert run.returncode == 0, run.stderr
    results = json.loads((tmp_path / "results.json").read_text())
    markdown = (tmp_path / "results.md").read_text()
    assert run.stdout == markdown
    assert (tmp_path / "results.png").read_bytes().startswith(b"\x89PNG\r\n\x1a\n")

    rows = results["operations"]
    assert [row["label"] for row in rows] == [operation.label for operation in OPERATIONS]
    assert all(row["timings"]["korvex"]["median"] > 0 for row in rows)
    assert results["summary"]["with_peer"] >= 60
    for row in rows:
        assert f"`{row['label']}`" in markdown
    drawn = [row for row in rows if row["group"] == DRAWING]
    assert {name for row in drawn[:-1] for name in row["timings"]} == {"korvex", "pygame", "ctypes", "raylib's own"}
    assert set(drawn[-1]["timings"]) == {"korvex", "ctypes"}  # the demo's frame
    against_each_peer = markdown.split("## Drawing: korvex against each peer")[1].split("\n## ")[0]
    assert against_each_peer.count("\n| `") == len(drawn)
    assert [loop["particles"] for loop in results["game"]] == [200, 1000]
    assert set(results["game"][0]["fps"]) == {"korvex", "pygame", "PyGLM", "complex"}
    assert results["memory"]["sizes"]["Vector2"]["korvex"] == 32


def test_every_operation_has_a_korvex_variant():
    assert all("k" in operation.statements for operation in OPERATIONS)
    labels = [(operation.group, operation.label) for operation in OPERATIONS]
    assert len(labels) == len(set(labels))


def test_override_for_an_unlisted_library_is_refused():
    with raises_exactly(ValueError, "label: statements for libraries not listed: {'g'}"):
        op("group", "label", "a + b", "kp", g="glm.add(a, b)")


def test_variant_runs_statement_unrolled_on_a_fresh_namespace():
    made = []

    def make():
        made.append([])
        return {"log": made[-1]}

    sample = compile_variant("log.append(1)", make)
    del made[:]  # the namespace compile_variant reads its names from
    assert sample(3) >= 0 and sample(5) >= 0
    assert [len(log) for log in made] == [3 * UNROLL, 5 * UNROLL]


@pytest.mark.parametrize(
    "ratios, median, behind",
    [([0.5, 0.7, 1.2], 0.7, ["c"]), ([0.4, 0.6, None, 1.0, 0.9], 0.75, ["d"])],
)
def test_summary_counts_rows_with_a_peer(ratios, median, behind):
    rows = [{"label": chr(ord("a") + i), "ratio": ratio, "note": ""} for i, ratio in enumerate(ratios)]
    summary = report.summarise(rows)
    assert summary["median_ratio"] == pytest.approx(median)
    assert [row["operation"] for row in summary["behind"]] == behind
    assert summary["ahead"] + len(behind) == summary["with_peer"] == sum(r is not None for r in ratios)


@release_only
def test_worlds_simulate_the_same_particles():
    """Each library's frame is the same physics: after a second of frames the
    particles sit where the double-precision complex world puts them (the
    single-precision worlds may part with it at an edge, for a few)."""
    count = 500
    worlds = {name: make(count) for name, make in game.WORLDS.items()}
    for _ in range(60):
        for frame in worlds.values():
            frame()
    reference = worlds["complex"].state()
    for name, frame in worlds.items():
        close = sum(abs(x - rx) < 0.01 and abs(y - ry) < 0.01 for (x, y), (rx, ry) in zip(frame.state(), reference))
        assert close >= 0.99 * count, name


def test_profile_counts_own_instructions_per_object(tmp_path):
    """A call's inclusive cost (the line after calls=) belongs to the callee's
    own lines elsewhere in the dump and must not count twice; ob= switches the
    object that the following cost lines belong to."""
    dump = tmp_path / "cg.out.1"
    dump.write_text(
        "events: Ir\n"
        "ob=/usr/bin/python3.14\nfl=ceval.c\nfn=eval\n10 100\n+1 20\n"
        "cob=/x/korvex/vector2.so\ncfn=nb_add\ncalls=1000 5\n11 4000\n"
        "ob=/x/korvex/vector2.so\nfl=v.cpp\nfn=nb_add\n5 4000\n"
        "ob=/usr/bin/python3.14\nfn=free\n-3 7\n"
        "totals: 4127\n"
    )
    assert instructions.own_instructions(dump) == {"/usr/bin/python3.14": 127, "/x/korvex/vector2.so": 4000}
    assert instructions.classify(instructions.own_instructions(dump), "korvex") == (4127, 4000)
    assert instructions.classify(instructions.own_instructions(dump), "complex") == (4127, 0)


def test_paired_spread_pairs_samples_of_the_same_round():
    """Round i of korvex is divided by round i of the peer (not sorted first):
    a machine slow in one round slows both samples of that round alike."""
    korvex = [10.0, 20.0, 30.0, 40.0, 50.0]
    peer = [10.0, 40.0, 30.0, 20.0, 50.0]  # the same values, another order
    assert run.paired_spread(korvex, peer) == pytest.approx([0.75, 1.5])
    assert run.paired_spread([3.0], [2.0]) == [1.5, 1.5]


def test_batch_rows_are_timed_per_item(monkeypatch):
    """A row whose statement handles `items` things reports the time of one:
    summing a thousand ones, timed per item, is far below one sum()."""
    library = Library("k", "korvex", "build", lambda: {"ones": [1] * 1000})
    monkeypatch.setattr(run, "OPERATIONS", [Operation("G", "per item", {"k": "sum(ones)"}, items=1000),
                                            Operation("G", "whole", {"k": "sum(ones)"})])
    per_item, whole = run.measure_operations({"k": library}, "", 3, 0.0005, lambda text: None)
    assert per_item["timings"]["korvex"]["best"] < whole["timings"]["korvex"]["best"] / 100


@pytest.mark.parametrize("items, work, weight", [(1, 0, 1), (3000, 0, 3000), (1, 3000, 3000)])
def test_profile_loops_shrink_by_the_weight_of_a_statement(items, work, weight):
    assert Operation("G", "l", {"k": "pass"}, items=items, work=work).weight == weight


def test_drawing_table_gives_korvex_against_every_peer():
    rows = [
        {"group": DRAWING, "label": "draw one", "timings": {"korvex": {"best": 50.0}, "ctypes": {"best": 1000.0},
                                                            "raylib's own": {"best": 400.0}}},
        {"group": DRAWING, "label": "frame", "timings": {"korvex": {"best": 2.0e6}, "ctypes": {"best": 1.0e7}}},
        {"group": "Rect", "label": "r.x", "timings": {"korvex": {"best": 1.0}, "pygame": {"best": 2.0}}},
    ]
    table = report.drawing_table(rows)
    assert table[-4:] == [
        "| operation | korvex ns | / ctypes | / raylib's own |",
        "|---|---:|---:|---:|",
        "| `draw one` | 50.0 | 0.050 | 0.125 |",
        "| `frame` | 2000000.0 | 0.200 |  |",
    ]
    assert report.drawing_table(rows[2:]) == []


def test_profile_keeps_the_dumps_of_samples_only(tmp_path):
    """The GL driver's own qsort calls dump too; a sample's dump is the one
    that passed through ctypes' callback."""
    sample, driver = tmp_path / "cg.out.1", tmp_path / "cg.out.2"
    sample.write_text("ob=/x/_ctypes.so\nfn=closure_fcn.lto_priv.0\n10 5\n")
    driver.write_text("ob=/x/libgallium.so\nfn=qsort_r\n10 5\n")
    assert [instructions.ours(sample), instructions.ours(driver)] == [True, False]


def test_profile_table_shows_raylib_share_of_drawing_rows():
    cells = {"korvex": {"total": 1129.4, "own": 69.0, "raylib": 1000.2}, "ctypes": {"total": 11000.0, "own": None}}
    plain = {"korvex": {"total": 217.0, "own": 44.0, "raylib": 0.0}, "complex": {"total": 430.0, "own": None}}
    result = {"loops": 20, "rows": [instructions.summarise_row("draw_rectangle_rec(Rect, Color)", cells),
                                    instructions.summarise_row("Vector2()", plain)]}
    lines = instructions.markdown(result).splitlines()
    assert lines[-2:] == ["| `draw_rectangle_rec(Rect, Color)` | 1129 | 69 | 1000 | ctypes | 11000 | 0.10 | 0.10 |",
                          "| `Vector2()` | 217 | 44 |  | complex | 430 | 0.50 | 0.40 |"]
    assert instructions.in_raylib({"/usr/lib/libraylib.so.600": 900, "/x/korvex/draw/draw.so": 50}) == 900
