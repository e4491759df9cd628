"""Arbitrary values fed to every entry point of entry_points.ENTRIES.

Every call must return, or raise an exception that the API documents
(entry_points.DOCUMENTED, the hostile object's own HostileError, a warning
turned into an error, or what the entry lists in `extra`): never SystemError
(which is also what the interpreter raises when a native function returns a
result with an exception set, or fails without one), never a crash.

The entries that call native slots or parser capsules through the consumer
module, and those of the resource modules (raylib, GL), run in a child
interpreter per module, so that a crash fails that test with the child's
output instead of ending the run.
"""

import os
import subprocess
import sys
import warnings
from pathlib import Path

import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

import entry_points as E

# Examples per entry: the debug interpreter and the sanitizers are several
# times slower, and they are there to see what a call does, not to search.
SLOW = hasattr(sys, "gettotalrefcount") or "libasan" in os.environ.get("LD_PRELOAD", "")
EXAMPLES = 8 if SLOW else 20


# --- values ----------------------------------------------------------------------------------


class Returns:
    """Its number protocols return whatever it was given."""

    def __init__(self, value):
        self.value = value

    def __float__(self):
        return E.produce(self.value)

    __index__ = __int__ = __float__

    def __repr__(self):
        return f"Returns({self.value!r})"


HOSTILE = st.sampled_from(E.SAMPLES)
SCALARS = st.one_of(
    st.integers(),  # any size
    st.floats(),  # NaN, infinities and -0.0 included
    st.booleans(),
    st.none(),
    st.text(max_size=4),
    st.binary(max_size=4),
    HOSTILE,
    st.just(E.Raise("value")).map(Returns),
)


def containers(children):
    items = st.lists(children, max_size=6)
    return st.one_of(
        items,
        items.map(tuple),
        st.dictionaries(st.sampled_from(["x", "y", "z", "w", "r", 0, 1]), children, max_size=4),
        st.builds(Returns, children),
        st.builds(E.VectorLike, children, children, children, children),
        st.builds(E.Sequence, items, st.one_of(st.none(), st.integers(-2, 8), st.just(E.Raise("len")))),
        st.builds(E.LyingList, items, st.integers(0, 8)),
        st.builds(E.LyingTuple, items, st.integers(0, 8)),
        st.builds(E.WrongLength, items, st.one_of(st.integers(), children)),
    )


VALUES = st.recursive(SCALARS, containers, max_leaves=10)


def own_objects(k):
    """The package's own objects, which most entries take somewhere."""
    makers = [lambda: k.__dict__.get(name)(*args) for name, args in (
        ("Vector2", (1, 2)), ("Vector3", (1, 2, 3)), ("Vector4", (1, 2, 3, 4)), ("Rect", (0, 0, 2, 2)),
        ("Color", (1, 2, 3)),
    ) if name in k.__dict__]
    if not makers:
        return st.nothing()
    return st.sampled_from(makers).map(lambda make: make())


def kind_strategy(kind, k):
    anything = st.one_of(VALUES, own_objects(k))
    sequences = st.lists(anything, max_size=7)
    return {
        "any": anything,
        "seq": st.one_of(anything, sequences, sequences.map(tuple)),
        "tuple": st.one_of(anything, sequences.map(tuple)),
        "list": st.one_of(anything, sequences),
        "tuple-only": sequences.map(tuple),
        "list-only": sequences,
        # Every kind of value; ints small, or past the 32-bit range.  Sizes
        # in between would really be allocated (test_render_texture_huge_size
        # covers the largest ones).
        "size": st.one_of(anything.filter(lambda v: not isinstance(v, int) or v <= 64),
                          st.integers(min_value=2**31), st.integers(max_value=64)),
        "override": st.one_of(st.sampled_from(E.OVERRIDE_RESULTS), anything),
    }[kind]


@st.composite
def calls(draw, entry, k):
    """(values, extra positional arguments, keywords, warnings as errors)."""
    good = entry.good(k)
    values = []
    for value, kind in zip(good, entry.kinds(k)):
        if kind == "fixed":
            values.append(value)
        else:
            values.append(draw(st.one_of(st.just(value), kind_strategy(kind, k))))
    extra, keywords = [], {}
    if entry.signature and draw(st.integers(0, 3)) == 0:
        extra = draw(st.lists(VALUES, max_size=2))
        names = list(entry.names) + ["bogus"]
        keywords = draw(st.dictionaries(st.sampled_from(names), VALUES, max_size=2))
    return values, extra, keywords, draw(st.booleans())


def check(entry, k, case):
    values, extra, keywords, warnings_are_errors = case
    call = entry.make(k)
    with warnings.catch_warnings():
        warnings.simplefilter("error" if warnings_are_errors else "ignore")
        try:
            call(*values, *extra, **keywords)
        except entry.allowed():
            pass


def samples(entry, k):
    """The fixed samples first (entry_points.call_variants, as the leak test
    makes them): the same cases in every run, whatever hypothesis draws."""
    for label, thunk in E.call_variants(entry, k):
        for action in ("ignore", "error"):
            with warnings.catch_warnings():
                warnings.simplefilter(action)
                try:
                    thunk()
                except entry.allowed() as error:
                    if label == "ok" and not (entry.raises and isinstance(error, entry.raises)):
                        raise AssertionError(f"{entry.id}: the good values raise {error!r}") from error
                except BaseException as error:
                    raise AssertionError(f"{entry.id}, {label} (warnings {action}): {error!r}") from error
                else:
                    if label == "ok" and entry.raises:
                        raise AssertionError(f"{entry.id}: the good values do not raise {entry.raises.__name__}")


def sweep(entry, k, examples=EXAMPLES):
    samples(entry, k)

    @settings(max_examples=examples, deadline=None, database=None, suppress_health_check=list(HealthCheck))
    @given(calls(entry, k))
    def run(case):
        check(entry, k, case)

    run()


# --- in process --------------------------------------------------------------------------------


def isolated(entry):
    return entry.isolate or any(need.startswith("consumer.") for need in entry.needs)


IN_PROCESS = [e.id for e in E.ENTRIES if not isolated(e)]


@pytest.mark.parametrize("entry_id", IN_PROCESS)
def test_hostile(entry_id, request):
    entry = E.BY_ID[entry_id]
    if entry.window:
        request.getfixturevalue("window")
    sweep(entry, E.namespace())


# --- in a child interpreter ----------------------------------------------------------------------


def group(entry):
    return entry.needs[0]


GROUPS = sorted({group(e) for e in E.ENTRIES if isolated(e)}, key=E.MODULES.index)

CHILD = """
import sys
sys.path.insert(0, {tests!r})
import test_hostile
sys.exit(test_hostile.child({group!r}))
"""


def child(group_name):
    """Runs in the child interpreter: every isolated entry of the group.
    Returns the exit status."""
    import ctypes
    import traceback

    entries = [e for e in E.ENTRIES if isolated(e) and group(e) == group_name]
    if any(e.window for e in entries):
        raylib = ctypes.CDLL("libraylib.so.600")
        raylib.SetTraceLogLevel(5)  # errors only: hostile sizes make raylib warn a lot
        raylib.SetConfigFlags(0x80)  # hidden window
        raylib.InitWindow(64, 64, b"korvex hostile")
    k = E.namespace()
    failures = 0
    for entry in entries:
        print(f"entry {entry.id}", flush=True)
        try:
            sweep(entry, k)
        except Exception:
            failures += 1
            traceback.print_exc()
            sys.stdout.flush()
    return 1 if failures else 0


@pytest.mark.parametrize("group_name", GROUPS)
def test_hostile_isolated(group_name):
    code = CHILD.format(tests=str(Path(__file__).parent), group=group_name)
    completed = subprocess.run(
        [sys.executable, "-X", "faulthandler", "-c", code], capture_output=True, text=True, timeout=600,
    )
    assert completed.returncode == 0, (
        f"child for {group_name} exited with {completed.returncode}\n"
        f"--- stdout (the last entry is where it stopped)\n{completed.stdout[-6000:]}\n"
        f"--- stderr\n{E.abbreviated(completed.stderr)}"
    )


HUGE_SIZE = """
import ctypes, sys
raylib = ctypes.CDLL("libraylib.so.600")
raylib.SetTraceLogLevel(5)
raylib.SetConfigFlags(0x80)
raylib.InitWindow(64, 64, b"korvex hostile")
from korvex.canvas.canvas import RenderTexture
for width, height in ((2**30, 4), (4, 2**31 - 1), (2**31 - 1, 2**31 - 1)):
    print(width, height, flush=True)
    try:
        RenderTexture(width, height).unload()
    except ValueError as error:
        assert str(error) == f"render texture size {width} by {height} exceeds the largest side of 32768", error
    else:
        raise AssertionError("accepted")
assert RenderTexture(32768, 4).valid in (True, False)
"""


def test_render_texture_huge_size():
    completed = subprocess.run([sys.executable, "-c", HUGE_SIZE], capture_output=True, text=True, timeout=120)
    assert completed.returncode == 0, completed.stdout + E.abbreviated(completed.stderr)


# --- what the sweep found ---------------------------------------------------------------------

LYING_STATE = """
import sys
sys.path.insert(0, {tests!r})
from entry_points import LyingTuple
from korvex.audio.audio import Audio, __pyx_unpickle_Audio
# A tuple subclass claiming items it does not hold: the state is read by the
# tuple's own size (nothing to apply), never past its end.
assert Audio().__setstate__(LyingTuple((), 4)) is None
assert type(__pyx_unpickle_Audio(Audio, 0xE3B0C44, LyingTuple((), 3))) is Audio
print("ok")
"""


def test_stateless_state_is_read_by_the_tuples_own_size():
    code = LYING_STATE.format(tests=str(Path(__file__).parent))
    completed = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=60)
    assert (completed.returncode, completed.stdout) == (0, "ok\n"), E.abbreviated(completed.stderr)
