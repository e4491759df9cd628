"""korvex benchmark: korvex against pygame, PyGLM and complex in one process,
and korvex.draw against raylib through ctypes and pygame.draw (with a
display: `make bench` runs it under Xvfb; without one the drawing rows are
left out).

    python3.14 bench/run.py [--quick] [--out DIR] [--rounds N] [--only REGEX]

Writes DIR/results.md (also printed), DIR/results.json and DIR/results.png.
--quick is a smoke run: tiny loops, two rounds; its numbers mean nothing.
"""

from __future__ import annotations

import argparse
import datetime
import os
import platform
import re
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import drawing  # noqa: E402
import game  # noqa: E402
import libraries  # noqa: E402
import memory  # noqa: E402
import report  # noqa: E402
from operations import DRAWING, OPERATIONS  # noqa: E402
from timing import compile_variant, time_interleaved  # noqa: E402


def machine() -> str:
    model = platform.processor() or platform.machine()
    try:
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    return f"{model}, {platform.system()} {platform.release()}"


def measure_operations(libs: dict, only: str, rounds: int, target: float, log) -> list[dict]:
    selected, variants = [], []
    if any(op.group == DRAWING and re.search(only, op.label) for op in OPERATIONS):
        drawing.enable()
    for operation in OPERATIONS:
        if not re.search(only, operation.label):
            continue
        runnable = {
            libs[key].name: compile_variant(stmt, libs[key].make_namespace)
            for key, stmt in operation.statements.items()
            if key in libs and libs[key].has_operands(stmt)
        }
        if "korvex" in runnable:  # the parser rows need the build's test module
            selected.append(operation)
            variants.append(runnable)
    timings = time_interleaved(variants, rounds, target, progress=lambda text: log(f"operations: {text}"))
    rows = []
    for operation, per_lib in zip(selected, timings):
        per = operation.items
        cells = {name: {"median": t.median / per, "best": t.best / per, "loops": t.loops}
                 for name, t in per_lib.items()}
        peers = [name for name in cells if name != "korvex"]
        fastest = min(peers, key=lambda name: cells[name]["best"]) if peers else None
        ratio = ratio_median = spread = None
        if fastest:
            ratio = cells["korvex"]["best"] / cells[fastest]["best"]
            ratio_median = cells["korvex"]["median"] / min(cells[name]["median"] for name in peers)
            spread = paired_spread(per_lib["korvex"].samples, per_lib[fastest].samples)
        rows.append({"group": operation.group, "label": operation.label, "timings": cells,
                     "statements": {libs[k].name: s for k, s in operation.statements.items() if k in libs},
                     "fastest_peer": fastest, "ratio": ratio, "ratio_median": ratio_median,
                     "ratio_spread": spread,
                     "note": operation.note if ratio is not None and ratio >= 1.0 else ""})
    return rows


def paired_spread(korvex: list[float], peer: list[float]) -> list[float]:
    """Quartiles of korvex's sample / the peer's sample of the same round.

    The two were taken back to back, so a round's ratio is little moved by
    what the machine did meanwhile; the quartiles show how much the ratio
    itself varies, which tells a level row from one that is behind.
    """
    ratios = [k / p for k, p in zip(korvex, peer)]
    if len(ratios) < 2:
        return [ratios[0], ratios[0]] if ratios else []
    quartiles = statistics.quantiles(ratios, n=4)
    return [quartiles[0], quartiles[2]]


def main(argv: list[str] | None = None) -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--quick", action="store_true", help="smoke run: tiny loops, numbers meaningless")
    parser.add_argument("--out", type=Path, default=Path("build/bench"), help="output directory")
    parser.add_argument("--rounds", type=int, help="samples per variant (default 25, quick 2)")
    parser.add_argument("--only", default="", help="only operations whose label matches this regular expression")
    args = parser.parse_args(argv)

    # Many short samples: on a shared machine a short sample more often runs
    # undisturbed, and the best of them is then the operation's own cost.
    rounds = args.rounds or (2 if args.quick else 25)
    target = 0.0005 if args.quick else 0.001  # seconds per sample
    loop_target = 0.01 if args.quick else 0.1
    particle_counts = (200, 1000) if args.quick else (2000, 10000)
    list_count = 10_000 if args.quick else 1_000_000
    started = time.perf_counter()

    def log(text: str) -> None:
        print(f"[{time.perf_counter() - started:6.1f}s] {text}", file=sys.stderr, flush=True)

    libs = libraries.load()
    results = {
        "meta": {
            "date": datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC"),
            "machine": machine(),
            "python": platform.python_version(),
            "libraries": {lib.name: lib.version for lib in libs.values()},
            "rounds": rounds,
            "load": " ".join(f"{value:.2f}" for value in os.getloadavg()),
            "quick": args.quick,
        },
    }
    results["operations"] = measure_operations(libs, args.only, rounds, target, log)
    results["summary"] = report.summarise(results["operations"])
    if args.only:
        results["game"], results["memory"] = [], {}
    else:
        worlds = [name for name in game.WORLDS if name in {lib.name for lib in libs.values()}]
        results["game"] = []
        for count in particle_counts:
            log(f"game loop: {count} particles")
            loop = game.run_loop(count, rounds, loop_target, worlds)
            results["game"].append({"particles": count, "fps": loop.median_fps, "ratio": loop.median_ratio,
                                    "fps_rounds": loop.fps, "ratio_rounds": loop.ratios})
        log("memory")
        results["memory"] = {"sizes": memory.sizes(), "count": list_count,
                             "vector2_list": memory.vector2_list(list_count)}
    print(report.write(results, args.out), end="")
    log(f"wrote {args.out}/results.md, results.json, results.png")
    return 0


if __name__ == "__main__":
    sys.exit(main())
