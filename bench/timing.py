"""Calibrated, interleaved micro-timing.

Every variant of an operation becomes a small generated function whose loop
body repeats the statement UNROLL times, so the loop's own cost is a small
share of each sample.  A variant is calibrated once (its loop count scaled so
that one sample lasts about `target` seconds), then sampled once per round;
within a round the variants of an operation run back to back, in an order
that rotates from round to round, so slow drifts of the machine (frequency,
other processes) fall on every library alike; and every round samples every
operation, so one operation's samples are spread over the whole run.
"""

from __future__ import annotations

import gc
import math
import statistics
import time
from dataclasses import dataclass, field
from typing import Callable

UNROLL = 10


def compile_variant(stmt: str, make_namespace: Callable[[], dict]) -> Callable[[int], float]:
    """Return sample(loops) -> seconds for `stmt` run loops * UNROLL times.

    The names of a fresh namespace become locals of the generated function
    (so the statement reads them the cheap way a game loop would); the
    namespace is made anew for every sample, so a statement that mutates its
    operands (a += b) starts each sample from the same values.
    """
    names = sorted(make_namespace())
    unpack = "".join(f"    {n} = _ns[{n!r}]\n" for n in names)
    body = "".join(f"        {line}\n" for line in [stmt] * UNROLL)
    source = (
        "def _sample(_loops, _make, _timer):\n"
        "    _ns = _make()\n"
        f"{unpack}"
        "    _r = range(_loops)\n"
        "    _t0 = _timer()\n"
        "    for _ in _r:\n"
        f"{body}"
        "    return _timer() - _t0\n"
    )
    scope: dict = {}
    exec(compile(source, f"<bench {stmt}>", "exec"), scope)
    generated = scope["_sample"]
    timer = time.perf_counter
    return lambda loops: generated(loops, make_namespace, timer)


def calibrate(sample: Callable[[int], float], target: float) -> int:
    """A loop count whose sample lasts about `target` seconds."""
    loops = 1
    while True:
        elapsed = sample(loops)
        if elapsed >= target:
            return loops
        if elapsed < target / 100:
            loops *= 10
        else:
            return max(1, math.ceil(loops * target / elapsed))


@dataclass
class Timing:
    """Samples of one variant, in nanoseconds per operation."""

    loops: int
    samples: list[float] = field(default_factory=list)

    @property
    def median(self) -> float:
        return statistics.median(self.samples)

    @property
    def best(self) -> float:
        return min(self.samples)


def time_interleaved(
    operations: list[dict[str, Callable[[int], float]]],
    rounds: int,
    target: float,
    progress: Callable[[str], None] = lambda _: None,
) -> list[dict[str, Timing]]:
    """Time every variant of every operation, `rounds` samples each.

    Each round samples every operation once, so an operation's samples are
    spread over the whole run rather than taken in one burst.
    """
    gc_was_enabled = gc.isenabled()
    gc.disable()
    try:
        progress("calibrating")
        timings = [
            {lib: Timing(calibrate(sample, target)) for lib, sample in variants.items()}
            for variants in operations
        ]
        for round_index in range(rounds):
            progress(f"round {round_index + 1}/{rounds}")
            for variants, op_timings in zip(operations, timings):
                order = list(variants)
                shift = round_index % len(order)
                for lib in order[shift:] + order[:shift]:
                    timing = op_timings[lib]
                    elapsed = variants[lib](timing.loops)
                    timing.samples.append(elapsed * 1e9 / (timing.loops * UNROLL))
        return timings
    finally:
        if gc_was_enabled:
            gc.enable()
