"""Where the time of each benchmark row goes: instructions per operation, split
by the code that runs them, counted by callgrind.

    python3.14 bench/instructions.py [--only REGEX] [--loops N] [--out DIR]

Every variant of every operation (bench/operations.py) runs once, as the
benchmark samples it, in one interpreter under callgrind.  Collection is on
only inside one call of the C library's qsort (glibc's qsort_r, which qsort
enters) on two items, whose one comparison is a ctypes callback that runs the
sample; callgrind dumps the counts after each such call, so every dump holds
one variant's loop and nothing else; an empty statement's dump is subtracted.
(Not ffi_call: the ctypes peers of the drawing rows call it themselves.)  A
statement that draws thousands of shapes runs loops // its weight loops, and
a batch row's counts are per item.
Each dump's own-instruction counts are summed by the shared object that ran
them: korvex's extension modules, the peer's (pygame, PyGLM), or the rest
(the interpreter, libc, libm).

The result, per row: korvex's instructions per operation and how many of
them are korvex's own code, the fastest peer's, their ratio, and the floor:
the ratio korvex would reach if its own code cost nothing (the interpreter's
share of korvex's operation over the peer's whole operation).  Instruction
counts repeat from run to run where times do not; they are not times (a
cache miss or a division costs more than an add), but the split shows what
a faster korvex could and could not win.

Writes DIR/profile.md (also printed) and DIR/profile.json.  Needs valgrind.
"""

from __future__ import annotations

import argparse
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
from collections import defaultdict
from pathlib import Path

BENCH = Path(__file__).resolve().parent
sys.path.insert(0, str(BENCH))

from timing import UNROLL, compile_variant  # noqa: E402

EMPTY = "pass"
OWN_CODE = {"korvex": "/korvex/", "pygame": "/pygame/", "PyGLM": "glm"}


def run_child(only: str, loops: int, manifest: Path) -> None:
    """Inside valgrind: sample each variant once inside qsort; list them in order."""
    import ctypes
    import gc

    import ctypes.util

    import drawing
    import libraries
    from operations import DRAWING, OPERATIONS

    if any(op.group == DRAWING and re.search(only, op.label) for op in OPERATIONS):
        drawing.enable()
    libs = libraries.load()
    names = {lib.key: lib.name for lib in libs.values()}
    libc = ctypes.CDLL(ctypes.util.find_library("c"))
    compare_type = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
    pair = (ctypes.c_int * 2)(0, 1)
    order = []
    baselines = set()

    def measured(label: str, key: str, stmt: str, loops: int, items: int = 1) -> None:
        sample = compile_variant(stmt, libs[key].make_namespace)
        sample(loops)  # warm up: the interpreter specialises the loop's instructions
        drawing.settle()  # the warm-up's shapes go to the GPU now, not inside the count
        runs = []

        def compare(a, b) -> int:
            if not runs:  # qsort compares two items once; run the sample only once anyway
                runs.append(sample(loops))
            return 0

        libc.qsort(pair, 2, ctypes.sizeof(ctypes.c_int), compare_type(compare))  # collected, then dumped
        order.append((label, names[key], loops, items))

    def measured_with_baseline(label: str, key: str, stmt: str, loops: int, items: int = 1) -> None:
        if (key, loops) not in baselines:  # the empty statement, at the same loop count
            baselines.add((key, loops))
            measured("", key, EMPTY, loops)
        measured(label, key, stmt, loops, items)

    gc.disable()
    for operation in OPERATIONS:
        if not re.search(only, operation.label):
            continue
        for key, stmt in operation.statements.items():
            if key in libs and libs[key].has_operands(stmt):
                # a statement that draws thousands of shapes runs fewer loops
                measured_with_baseline(operation.label, key, stmt, max(1, loops // operation.weight), operation.items)
    manifest.write_text(json.dumps({"loops": loops, "order": order}))


def ours(dump: Path) -> bool:
    """Whether a dump holds a sample: collection also turns on (and a dump
    follows) wherever the GL driver calls qsort for itself, for example when
    it compiles a shader; those dumps do not pass through ctypes' callback."""
    return "closure_fcn" in dump.read_text()


def own_instructions(dump: Path) -> dict[str, int]:
    """Self instructions per shared object in one callgrind dump (uncompressed names)."""
    totals: dict[str, int] = defaultdict(int)
    obj = ""
    skip_next = False  # the line after calls= is the call's inclusive cost, not self cost
    for line in dump.read_text().splitlines():
        if skip_next:
            skip_next = False
        elif line.startswith("ob="):
            obj = line[3:]
        elif line.startswith("calls="):
            skip_next = True
        elif line[:1].isdigit() or line[:1] in "+-*":
            parts = line.split()
            if len(parts) >= 2:
                totals[obj] += int(parts[1])
    return dict(totals)


RAYLIB = "libraylib"


def in_raylib(per_object: dict[str, int]) -> int:
    """Instructions of one dump that raylib itself ran (the drawing rows' floor)."""
    return sum(n for obj, n in per_object.items() if RAYLIB in obj)


def classify(per_object: dict[str, int], library: str) -> tuple[int, int]:
    """(all instructions, the library's own) of one dump."""
    total = sum(per_object.values())
    marker = OWN_CODE.get(library)
    own = sum(n for obj, n in per_object.items() if marker and marker in obj) if marker else 0
    return total, own


def profile(only: str, loops: int, out_dir: Path) -> dict:
    with tempfile.TemporaryDirectory() as scratch:
        scratch_path = Path(scratch)
        manifest = scratch_path / "manifest.json"
        command = [
            "valgrind", "--tool=callgrind", "--collect-atstart=no", "--toggle-collect=qsort_r",
            "--dump-after=qsort_r", "--dump-instr=no", "--compress-strings=no", "--compress-pos=no",
            f"--callgrind-out-file={scratch_path / 'cg.out'}",
            sys.executable, str(Path(__file__).resolve()), "--child", "--only", only, "--loops", str(loops),
            "--manifest", str(manifest),
        ]
        env = dict(os.environ, PYTHONHASHSEED="0")
        if shutil.which("valgrind") is None:
            raise SystemExit("bench/instructions.py needs valgrind (Debian package valgrind); run it through "
                             "scripts/env.sh or make bench-profile")
        run = subprocess.run(command, env=env, capture_output=True, text=True)
        if run.returncode != 0 or not manifest.exists():
            raise SystemExit(f"callgrind run failed (exit {run.returncode}):\n{run.stderr[-3000:]}")
        listed = json.loads(manifest.read_text())
        dumps = [dump for dump in sorted(scratch_path.glob("cg.out.*"), key=lambda p: int(p.name.rsplit(".", 1)[1]))
                 if ours(dump)]
        if len(dumps) != len(listed["order"]):
            raise SystemExit(f"{len(dumps)} callgrind dumps for {len(listed['order'])} samples")
        per_object = [own_instructions(dump) for dump in dumps]
        counted = [(*classify(counts, library), in_raylib(counts))
                   for counts, (_, library, _, _) in zip(per_object, listed["order"])]

    empty = {(library, loops): counts
             for (label, library, loops, _), counts in zip(listed["order"], counted) if label == ""}
    rows: dict[str, dict] = {}
    for (label, library, loops, items), (total, own, raylib) in zip(listed["order"], counted):
        if label == "":
            continue
        base_total, base_own, base_raylib = empty[library, loops]
        statements = loops * UNROLL * items
        rows.setdefault(label, {})[library] = {
            "total": (total - base_total) / statements,
            "own": (own - base_own) / statements if library in OWN_CODE else None,
            "raylib": (raylib - base_raylib) / statements,
        }
    return {"loops": listed["loops"], "rows": [summarise_row(label, cells) for label, cells in rows.items()]}


def summarise_row(label: str, cells: dict) -> dict:
    korvex = cells["korvex"]
    peers = {name: cell for name, cell in cells.items() if name != "korvex"}
    row = {"label": label, "cells": cells, "fastest_peer": None, "ratio": None, "floor": None}
    if peers:
        fastest = min(peers, key=lambda name: peers[name]["total"])
        row["fastest_peer"] = fastest
        row["ratio"] = korvex["total"] / peers[fastest]["total"]
        row["floor"] = (korvex["total"] - korvex["own"]) / peers[fastest]["total"]
    return row


def markdown(result: dict) -> str:
    ranked = [row for row in result["rows"] if row["ratio"] is not None]
    out = [
        "# Where the time goes: instructions per operation (callgrind)",
        "",
        f"{len(result['rows'])} operations, {result['loops']} unrolled loops each (the batches and the demo frame "
        "fewer), one interpreter under callgrind; the batch rows per item. "
        "korvex: all instructions per operation (own: in korvex's modules; raylib: in raylib, for the drawing "
        "rows). Ratio: korvex's instructions / the fastest peer's. Floor: the ratio with korvex's own code at "
        "zero cost.",
        "",
    ]
    if ranked:
        out += [
            f"**Median ratio {statistics.median(row['ratio'] for row in ranked):.2f}; median floor "
            f"{statistics.median(row['floor'] for row in ranked):.2f}; korvex's own code is "
            f"{statistics.median(row['cells']['korvex']['own'] / row['cells']['korvex']['total'] for row in ranked):.0%}"
            " of its instructions (median).**",
            "",
        ]
    out += ["| operation | korvex | own | raylib | fastest peer | peer | ratio | floor |",
            "|---|---:|---:|---:|---|---:|---:|---:|"]
    for row in result["rows"]:
        korvex = row["cells"]["korvex"]
        peer = row["cells"].get(row["fastest_peer"]) if row["fastest_peer"] else None
        in_raylib_cell = f"{korvex['raylib']:.0f}" if round(korvex.get("raylib", 0)) else ""
        out.append(
            f"| `{row['label']}` | {korvex['total']:.0f} | {korvex['own']:.0f} | {in_raylib_cell} | "
            f"{row['fastest_peer'] or ''} | "
            + (f"{peer['total']:.0f} | {row['ratio']:.2f} | {row['floor']:.2f} |" if peer else " |  |  |")
        )
    return "\n".join(out) + "\n"


def main(argv: list[str] | None = None) -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--only", default="", help="only operations whose label matches this regular expression")
    parser.add_argument("--loops", type=int, default=2000, help="unrolled loops per variant")
    parser.add_argument("--out", type=Path, default=Path("build/bench"), help="output directory")
    parser.add_argument("--child", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--manifest", type=Path, help=argparse.SUPPRESS)
    args = parser.parse_args(argv)
    if args.loops < 1:
        parser.error("--loops must be at least 1")
    if args.child:
        run_child(args.only, args.loops, args.manifest)
        return 0
    result = profile(args.only, args.loops, args.out)
    args.out.mkdir(parents=True, exist_ok=True)
    text = markdown(result)
    (args.out / "profile.md").write_text(text)
    (args.out / "profile.json").write_text(json.dumps(result, indent=1) + "\n")
    print(text, end="")
    return 0


if __name__ == "__main__":
    sys.exit(main())
