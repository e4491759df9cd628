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
import pickle
import struct
import subprocess
import sys
import time
import types
import warnings
from pathlib import Path

import pytest

import entry_points as E
from support import Quiet

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
# Reference or block growth over REPLAYS sweeps that counts as a leak (the
# interpreter's own caches settle during the first sweep).
TOLERANCE = 2
REPLAYS = 3
PER_N = 6  # calls per window when one allocation number is measured
# Entries whose failure paths leak in the interpreter itself, not in the
# package: the pickler loses a block when an allocation fails while it
# starts up (see test_the_pickler_itself_leaks).
INTERPRETER_LEAKS = {e.id for e in E.ENTRIES if e.id.startswith(("pickle.dumps(", "pickle round trip"))}


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


# What must stay unchanged of a result, for the entries whose result holds
# something that differs from call to call (a heap address).
VIEWS = {
    "Image.__pyx_new owning": lambda result: (bool(result[0]), result[1]),
    # Clocks: they move on between two calls.
    "get_time": type,
    "get_fps": type,
}


def unhooked(fn, args, view):
    try:
        return shape(view(fn(*args)))
    except Exception as error:
        return shape(error)


RETURNED, RAISED = "returned", "raised"


def hooked(fn, args, n):
    """Calls fn(*args) with the n-th allocation from here on failing (that
    one only):
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
VECTORS = ("Vector2", "Vector3", "Vector4")
# The interpreter keeps up to this many freed objects of each kind.
FLOAT_FREELIST, TUPLE_FREELIST, CONTAINER_FREELIST = 100, 2000, 80


def drain_freelists():
    """Live objects that empty the interpreter's free lists of the objects the
    package makes most (floats, small tuples, lists, dicts): with them held,
    making one is an allocation, which can then fail.  (A full collection
    empties the lists too, but costs a hundred times more.)"""
    return (
        [i + 0.5 for i in range(FLOAT_FREELIST)],
        [(i, i) for i in range(TUPLE_FREELIST)],
        [(i, i, i) for i in range(TUPLE_FREELIST)],
        [(i, i, i, i) for i in range(TUPLE_FREELIST)],
        [[] for _ in range(CONTAINER_FREELIST)],
        [{} for _ in range(CONTAINER_FREELIST)],
    )


# --- the sweep --------------------------------------------------------------------------------------


class Sweep:
    """One entry swept: `faults` found, the allocation numbers `swept`."""

    def __init__(self, entry, k):
        self.entry, self.k, self.fn = entry, k, entry.make(k)
        self.view = VIEWS.get(entry.id, lambda result: result)
        self.pool_types = [getattr(k, name) for name in VECTORS if hasattr(k, name) and name.lower() in entry.needs]
        self.faults, self.swept = [], []
        with Quiet():
            self.expected = unhooked(self.fn, self.args(), self.view)
            if (entry.raises is None) != (self.expected[0] != "raises"):
                self.faults.append(f"the good values give {self.expected}")
                return
            for _ in range(2):  # warm up the call site
                unhooked(self.fn, self.args(), self.view)
            for n in steps():
                print(f"n {n}", flush=True)
                fault, reached = self.judge(n)
                if fault:
                    self.faults.append(f"n={n}: {fault}")
                if not reached:
                    break
                self.swept.append(n)

    def args(self):
        # Fresh values every call (some entries change their arguments),
        # made before the hook is set.
        return tuple(self.entry.good(self.k))

    def judge(self, n):
        """One hooked call: (what went wrong or None, whether the call
        reached the failing allocation)."""
        args, pools = self.args(), [[cls() for _ in range(VECTOR_POOL)] for cls in self.pool_types]
        freelists = drain_freelists()
        status, value, reached = hooked(self.fn, args, n)
        del args, pools, freelists
        if status == RAISED:
            # The traceback holds the frames of the call; a MemoryError
            # raised where no new one could be made is the interpreter's
            # last-resort instance, which would keep them alive.
            value.__traceback__ = None
            if isinstance(value, MemoryError):
                again = unhooked(self.fn, self.args(), self.view)
                if again != self.expected:
                    return f"after MemoryError the call gives {again!r}, not {self.expected!r}", reached
                return None, reached
        got = shape(value if status == RAISED else self.view(value))
        if got == self.expected:
            return None, reached
        if status == RAISED:
            return f"raises {type(value).__name__}: {value}", reached
        return f"returns {got!r}, not {self.expected!r}", reached

    def replay(self, ns=None):
        for n in self.swept if ns is None else ns:
            self.judge(n)


def settle():
    """Frees what the interpreter holds on to for speed: cycles, and its
    attribute cache, which keeps the name object of every look-up until its
    slot is reused.  Names made from C strings for a look-up are new objects
    at varying addresses after a failure, so each takes a slot of its own
    and the cache grows until it is full."""
    gc.collect()
    sys._clear_internal_caches()


def growth(run):
    settle()
    refs, blocks = sys.gettotalrefcount(), sys.getallocatedblocks()
    run()
    settle()
    return sys.gettotalrefcount() - refs, sys.getallocatedblocks() - blocks


def leaks(sweeps):
    """(entry id, description) of every allocation failure that leaks
    references or blocks.  All sweeps are measured at once (the first run
    warmed the interpreter up); only when two runs one after the other
    grow is each entry measured, and in a growing entry each n."""
    # What the measurement itself leaves (the counts it keeps are objects).
    noise = growth(lambda: None)

    def excess(run):
        return max(count - base for count, base in zip(growth(run), noise))

    def grows(run):
        return excess(run) > TOLERANCE and excess(run) > TOLERANCE

    with Quiet():
        if not grows(lambda: [s.replay() for _ in range(REPLAYS) for s in sweeps]):
            return []
        found = []
        for s in sweeps:
            if not grows(lambda: [s.replay() for _ in range(REPLAYS)]):
                continue
            for n in s.swept:
                s.replay([n])  # this path's own caches
                # At least one per call, in two windows one after the other.
                if all(excess(lambda: s.replay([n] * PER_N)) >= PER_N for _ in range(2)):
                    found.append((s.entry.id, f"n={n}: leaks"))
        return found


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

    entries = [e for e in E.ENTRIES if group(e) == group_name]
    if any(e.window for e in entries):
        raylib = ctypes.CDLL("libraylib.so.600")
        raylib.SetTraceLogLevel(5)
        raylib.SetConfigFlags(0x80)  # hidden window
        raylib.InitWindow(64, 64, b"korvex allocation")
    k = E.namespace()
    failures, sweeps, started = 0, [], time.monotonic()
    for entry in entries:
        print(f"entry {entry.id}", flush=True)
        done = Sweep(entry, k)
        if done.swept and done.swept[-1] + 1 >= LIMIT:
            print(f"NOTE {entry.id}: still allocating at n={done.swept[-1]}", flush=True)
        for fault in done.faults:
            failures += 1
            print(f"FAULT {entry.id} {fault}", flush=True)
        if not done.faults and entry.id not in INTERPRETER_LEAKS:
            sweeps.append(done)
    if DEBUG:
        print("entry (leaks)", flush=True)
        for entry_id, fault in leaks(sweeps):
            failures += 1
            print(f"FAULT {entry_id} {fault}", flush=True)
    calls = sum(len(s.swept) + 1 for s in sweeps)
    print(f"DONE {len(entries)} entries, {calls} hooked calls, {time.monotonic() - started:.1f} s", flush=True)
    return 1 if failures else 0


def findings(stdout):
    """The FAULT lines of a child's output; for a child that stopped early,
    the entry and the allocation number it was at."""
    lines = stdout.splitlines()
    faults = [line for line in lines if line.startswith("FAULT")]
    if not any(line.startswith("DONE") for line in lines):
        for prefix in ("entry", "n "):
            faults += [f"stopped at {line}" for line in lines if line.startswith(prefix)][-1:]
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
    assert set_nomemory_works(), "_testcapi.set_nomemory does not make allocations fail"
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

    @staticmethod
    def fails_without_exception():
        # What the interpreter makes of a native function that returns NULL
        # without setting an exception.
        try:
            return [list(range(3)), [0] * 10]
        except MemoryError:
            return _testcapi.return_null_without_error()

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
    (Probe.masks_memory_error, "n=0: returns ('NoneType', None), not"),
    (Probe.converts_memory_error, "raises TypeError: expected a list"),
    pytest.param(Probe.fails_without_exception, "raises SystemError: ", marks=pytest.mark.skipif(
        DEBUG, reason="the debug interpreter aborts there, which the child reports as a crash")),
    (Probe.remembers_failure, "after MemoryError the call gives ('float', b'"),
    pytest.param(Probe.leaks_on_failure, ": leaks", marks=pytest.mark.skipif(
        not DEBUG, reason="reference counts need the debug interpreter")),
])
def test_sweep_reports(function, fault):
    if not set_nomemory_works():
        pytest.skip("allocations cannot be failed in this configuration")
    done = Sweep(probe_entry(function), None)
    faults = done.faults + [text for _, text in (leaks([done]) if DEBUG else ())]
    assert done.swept
    if fault is None:
        assert faults == []
    else:
        assert faults and fault in faults[0], faults


class Unpicklable:
    def __reduce__(self):
        raise TypeError("no")


@pytest.mark.skipif(not DEBUG, reason="reference counts need the debug interpreter")
def test_the_pickler_itself_leaks():
    """Why the pickling entries are left out of the leak count: pickling a
    plain Python object leaks the same way."""
    entry = E.Entry("pickle", (), lambda k: lambda: pickle.dumps(Unpicklable()), raises=TypeError)
    done = Sweep(entry, None)
    assert done.faults == []
    assert leaks([done])


def test_shape_tells_results_apart():
    assert shape(0.0) != shape(-0.0)
    assert shape(math.nan) == shape(math.nan)
    assert shape(1) != shape(True) != shape(1.0)
    assert shape((1, 2.5)) != shape([1, 2.5])
    assert shape(ValueError("x")) != shape(TypeError("x")) != shape(TypeError("y"))
