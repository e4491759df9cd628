"""Every entry point of entry_points.ENTRIES with one memory allocation failing.

Each entry is called with its good values while the n-th allocation of the
interpreter's allocators fails (_testcapi.set_nomemory(n, n + 1)), for
n = 0, 1, 2, ... until the call no longer reaches the failing allocation.
Every such call must either raise MemoryError or give the unchanged result
(what the call gives without the failure: the same value, the same bits of
every float, the same exception and message for entries whose purpose is to
raise).  Never SystemError (which is also what the interpreter raises when a
native function returns NULL without an exception), never another exception,
never a crash; after a MemoryError the next, unhooked call gives the unchanged
result again; and under the debug interpreter the reference total and the
allocated blocks come back to where they were.

Allocation paths are the riskiest of all (a NULL dereferenced, a reference
dropped twice), so every module's entries run in a child interpreter of
their own: a crash fails that module's test with the child's output, where
the last "entry" line names the entry and the last "n" the allocation.
"""

import gc
import math
import os
import struct
import subprocess
import sys
import time
import types
import warnings
from pathlib import Path

import pytest

import entry_points as E

try:
    import _testcapi
except ImportError:
    _testcapi = None

DEBUG = hasattr(sys, "gettotalrefcount")

# Every allocation up to DENSE is failed in turn; past it, n grows by about a
# tenth a step, up to LIMIT (a few entries, such as pickling or type creation,
# make thousands of allocations, most of them in the interpreter).
DENSE = 400
LIMIT = 6000
# Reference or block growth over a whole sweep that counts as a leak (the
# interpreter's own caches settle during the first sweep).
TOLERANCE = 2


def steps():
    n = 0
    while n < LIMIT:
        yield n
        n = n + 1 if n < DENSE else n + n // 10


# --- what a call gives ----------------------------------------------------------------------------


def shape(value, depth=0):
    """A comparable picture of a result: exact values, floats by their bits,
    the package's objects by their items (vectors, Rect, Color) or else by
    their properties, exceptions by type and message.  GL object ids are
    only told apart from zero: every new texture has a new one."""
    kind = type(value).__name__
    if isinstance(value, BaseException):
        return ("raises", kind, str(value))
    if isinstance(value, float):
        return (kind, struct.pack("<d", value))
    if value is None or isinstance(value, (int, str, bytes)):
        return (kind, value)
    if isinstance(value, (tuple, list)):
        return (kind, tuple(shape(item, depth) for item in value))
    if isinstance(value, dict):
        return (kind, tuple((shape(key, depth), shape(item, depth)) for key, item in value.items()))
    if isinstance(value, type):
        return ("type", value.__module__, value.__qualname__)
    if depth > 1 or not any(cls.__module__.startswith("korvex") for cls in type(value).__mro__):
        return (kind,)
    text = repr(value)
    text = "" if " at 0x" in text else text
    try:
        return (kind, shape(tuple(value)), text)
    except TypeError:  # not iterable: its properties
        pass
    fields = []
    for cls in type(value).__mro__:
        for name, attribute in vars(cls).items():
            if isinstance(attribute, (types.GetSetDescriptorType, types.MemberDescriptorType)):
                try:
                    item = getattr(value, name)
                except Exception as error:  # an unloaded resource refuses some properties
                    item = error
                fields.append((name, ("id", bool(item)) if name == "id" else shape(item, depth + 1)))
    return (kind, tuple(fields), text)


def unhooked(fn, args):
    try:
        return shape(fn(*args))
    except Exception as error:
        return shape(error)


RETURNED, RAISED = "returned", "raised"


def hooked(fn, args, n):
    """Calls fn(*args) with the n-th allocation from here on failing:
    (status, result or exception, reached), where `reached` tells whether the
    call got as far as the failing allocation (when it did not, a probe run
    after it meets the failure)."""
    _testcapi.set_nomemory(n, n + 1)
    try:
        try:
            status, value = RETURNED, fn(*args)
        except BaseException as error:
            status, value = RAISED, error
        try:
            # Each object() is one allocation: n + 2 of them certainly reach
            # a failure that the call did not.
            for _ in range(n + 2):
                object()
        except MemoryError:
            return status, value, False
        return status, value, True
    finally:
        _testcapi.remove_mem_hooks()


# The vector types keep up to this many freed objects for reuse; while that
# many are alive, a new vector is a new allocation, which can then fail.
VECTOR_POOL = 1000


def drain_pools(k):
    return [[cls() for _ in range(VECTOR_POOL)] for cls in (getattr(k, name, None) for name in VECTORS) if cls]


VECTORS = ("Vector2", "Vector3", "Vector4")


class Quiet:
    """Warnings are errors (good values raise none), the collector is off
    (it would allocate at random points, and it could hide a leak)."""

    def __enter__(self):
        self.warnings = warnings.catch_warnings()
        self.warnings.__enter__()
        warnings.simplefilter("error")
        self.enabled = gc.isenabled()
        gc.disable()

    def __exit__(self, *exc):
        if self.enabled:
            gc.enable()
        self.warnings.__exit__(*exc)


# --- the sweep --------------------------------------------------------------------------------------


def judge(entry, fn, args_of, expected, n, k):
    """One hooked call: (what went wrong or None, whether the call reached
    the failing allocation)."""
    args, pools = args_of(), drain_pools(k)
    status, value, reached = hooked(fn, args, n)
    del args, pools
    if status == RAISED and isinstance(value, MemoryError):
        again = unhooked(fn, args_of())
        if again != expected:
            return f"after MemoryError the call gives {again!r}, not {expected!r}", reached
        return None, reached
    got = shape(value)
    if got == expected:
        return None, reached
    if status == RAISED:
        return f"raises {type(value).__name__}: {value}", reached
    return f"returns {got!r}, not {expected!r}", reached


def sweep(entry, k):
    """The faults of one entry, and the allocation numbers it was swept over."""
    fn = entry.make(k)

    def args_of():
        # Fresh values every call (some entries change their arguments),
        # made before the hook is set.
        return tuple(entry.good(k))

    faults, swept = [], []
    with Quiet():
        expected = unhooked(fn, args_of())
        if (entry.raises is None) != (expected[0] != "raises"):
            return [f"the good values give {expected}"], swept
        for _ in range(2):  # warm up the call site
            unhooked(fn, args_of())
        for n in steps():
            print(f"n {n}", flush=True)
            fault, reached = judge(entry, fn, args_of, expected, n, k)
            if fault:
                faults.append(f"n={n}: {fault}")
            if not reached:
                break
            swept.append(n)
        if DEBUG and not faults:
            faults += leaks(entry, fn, args_of, expected, swept, k)
    return faults, swept


def counts():
    gc.collect()
    return sys.gettotalrefcount(), sys.getallocatedblocks()


def leaks(entry, fn, args_of, expected, swept, k):
    """The allocation numbers whose failure leaks references or blocks.
    The whole sweep is measured once (the first one warmed the interpreter
    up); only when it grows is each n measured on its own."""

    def growth(ns, times=1):
        before = counts()
        for _ in range(times):
            for n in ns:
                judge(entry, fn, args_of, expected, n, k)
        after = counts()
        return after[0] - before[0], after[1] - before[1]

    # Both of two sweeps one after the other must grow.
    if max(growth(swept)) <= TOLERANCE or max(growth(swept)) <= TOLERANCE:
        return []
    found = []
    for n in swept:
        growth([n])  # this path's own caches
        refs, blocks = growth([n], times=4)
        if max(refs, blocks) >= 4:
            found.append(f"n={n}: leaks {refs / 4:g} references, {blocks / 4:g} blocks per call")
    return found or [f"the sweep grows by {growth(swept)} (references, blocks) without a single n to blame"]


# --- one child interpreter per module -------------------------------------------------------------------


def group(entry):
    return entry.needs[0]


GROUPS = sorted({group(e) for e in E.ENTRIES}, key=E.MODULES.index)

CHILD = """
import sys
sys.path.insert(0, {tests!r})
import test_alloc_failure
sys.exit(test_alloc_failure.child({group!r}))
"""


def child(group_name):
    """Runs in the child interpreter: every entry of the group.  Prints
    "entry <id>" before each and "FAULT" lines; returns the exit status."""
    import ctypes

    entries = [e for e in E.ENTRIES if group(e) == group_name and e.available()]
    if any(e.window for e in entries):
        raylib = ctypes.CDLL("libraylib.so.600")
        raylib.SetTraceLogLevel(5)
        raylib.SetConfigFlags(0x80)  # hidden window
        raylib.InitWindow(64, 64, b"korvex allocation")
    k = E.namespace()
    failures, calls, started = 0, 0, time.monotonic()
    for entry in entries:
        print(f"entry {entry.id}", flush=True)
        faults, swept = sweep(entry, k)
        calls += len(swept) + 1
        if len(swept) and swept[-1] + 1 >= LIMIT:
            print(f"NOTE {entry.id}: still allocating at n={swept[-1]}", flush=True)
        for fault in faults:
            failures += 1
            print(f"FAULT {entry.id} {fault}", flush=True)
    print(f"DONE {len(entries)} entries, {calls} hooked calls, {time.monotonic() - started:.1f} s", flush=True)
    return 1 if failures else 0


def findings(stdout):
    lines = stdout.splitlines()
    faults = [line for line in lines if line.startswith(("FAULT", "NOTE"))]
    if not any(line.startswith("DONE") for line in lines):
        # Stopped early: where it was.
        faults += [line for line in lines if line.startswith("entry")][-1:] + [line for line in lines if line.startswith("n ")][-1:]
    return faults


def set_nomemory_works():
    """Whether failing allocations through the hooks is possible here (the
    hooks wrap whichever allocator the interpreter runs with)."""
    _testcapi.set_nomemory(0, 1)
    try:
        try:
            [None] * 3
        except MemoryError:
            return True
        return False
    finally:
        _testcapi.remove_mem_hooks()


needs_hooks = pytest.mark.skipif(_testcapi is None, reason="this interpreter has no _testcapi")


@needs_hooks
@pytest.mark.parametrize("group_name", GROUPS)
def test_allocation_failure(group_name):
    entries = [e for e in E.ENTRIES if group(e) == group_name]
    if not any(e.available() for e in entries):
        pytest.skip(f"nothing of {group_name} is built")
    assert set_nomemory_works()
    code = CHILD.format(tests=str(Path(__file__).parent), group=group_name)
    completed = subprocess.run(
        [sys.executable, "-X", "faulthandler", "-c", code], capture_output=True, text=True, timeout=900,
    )
    found = findings(completed.stdout)
    assert completed.returncode == 0 and not found, (
        f"child for {group_name} exited with {completed.returncode}\n  " + "\n  ".join(found)
        + f"\n--- stderr\n{E.abbreviated(completed.stderr)}"
    )


# --- the sweep sees what it is there to see ----------------------------------------------------------


class Probe:
    """Entries built from plain functions, each with one kind of fault."""

    @staticmethod
    def good():
        return [1.5, list(range(3)), (2, 3)]

    @staticmethod
    def masks_memory_error():
        try:
            return [list(range(3)), [0] * 10]
        except MemoryError:
            return None

    @staticmethod
    def converts_memory_error():
        try:
            return [list(range(3)), [0] * 10]
        except MemoryError:
            raise TypeError("expected a list") from None

    kept = []

    @staticmethod
    def leaks_on_failure():
        owned = [object()]
        try:
            return [list(range(3)), [0] * 10]
        except MemoryError:
            Probe.kept.append(owned)
            raise

    state = {"broken": False}

    @staticmethod
    def remembers_failure():
        if Probe.state["broken"]:
            return 0.0
        try:
            return [list(range(3)), [0] * 10]
        except MemoryError:
            Probe.state["broken"] = True
            raise


def probe_entry(function):
    return E.Entry(function.__name__, (), lambda k: function)


@needs_hooks
@pytest.mark.parametrize("function, fault", [
    (Probe.good, None),
    (Probe.masks_memory_error, "returns ('NoneType', None), not"),
    (Probe.converts_memory_error, "raises TypeError: expected a list"),
    (Probe.remembers_failure, "after MemoryError the call gives ('float', b'"),
    pytest.param(Probe.leaks_on_failure, "leaks 2 references", marks=pytest.mark.skipif(
        not DEBUG, reason="reference counts need the debug interpreter")),
])
def test_sweep_reports(function, fault):
    if not set_nomemory_works():
        pytest.skip("allocations cannot be failed in this configuration")
    faults, swept = sweep(probe_entry(function), None)
    assert swept
    if fault is None:
        assert faults == []
    else:
        assert faults and fault in faults[0], faults


def test_shape_tells_results_apart():
    assert shape(0.0) != shape(-0.0)
    assert shape(math.nan) == shape(math.nan)
    assert shape(1) != shape(True) != shape(1.0)
    assert shape((1, 2.5)) != shape([1, 2.5])
    assert shape(ValueError("x")) != shape(TypeError("x")) != shape(TypeError("y"))
