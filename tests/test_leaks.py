"""Reference and memory leaks of every entry point, under the debug interpreter.

Every entry of entry_points.ENTRIES is called with its good values, with each
value replaced in turn by each hostile sample, with an argument too many and
too few and with keywords (see entry_points.call_variants).  Each of these
calls is repeated, and sys.gettotalrefcount() and sys.getallocatedblocks()
must come back to where they were: a call that leaks one reference or one
block per call shows as a growth of one per repetition.

Only the debug interpreter counts references (make test-debug).
"""

import gc
import sys
import warnings

import pytest

import entry_points as E
from support import Quiet, raises_exactly

pytestmark = pytest.mark.skipif(
    not hasattr(sys, "gettotalrefcount"), reason="reference counts need the debug interpreter (make test-debug)"
)

REPETITIONS = 40
# A leak grows the counts by at least one per call.  The interpreter grows
# them too while a call site warms up, by a bounded amount: specialised
# instructions, the vector pools, and its attribute cache, which is keyed on
# the name object and so keeps a new entry for every name string made from
# a C string (PyObject_GetAttrString) until its slots are all taken, over
# the first thousand or two calls.  So a suspect result is measured again,
# longer, after a long warm-up.
TOLERANCE = 1 / 4  # per call
CONFIRM = 5  # the second measurement makes this many times more calls
WARM_UP = 50  # ... after this many times more calls


def repeat(thunk, allowed, times):
    for _ in range(times):
        try:
            thunk()
        except allowed:
            pass




def quick_growth(thunk, allowed, times, action):
    """Reference growth of `times` calls after a short warm-up."""
    with Quiet(action):
        repeat(thunk, allowed, 3)
        before = sys.gettotalrefcount()
        repeat(thunk, allowed, times)
        return sys.gettotalrefcount() - before


def leaks(thunk, allowed, times, action):
    """(reference growth, block growth, calls) when `thunk` leaks, else None:
    measured after a long warm-up, between full collections, in two windows
    one after the other, both of which must grow (warming up slows down, a
    leak does not).  sys.getallocatedblocks() walks the allocator's arenas,
    so it is read here only, not in quick_growth."""
    times *= CONFIRM
    with Quiet(action):
        repeat(thunk, allowed, times * WARM_UP // CONFIRM)
        for _ in range(2):
            gc.collect()
            refs, blocks = sys.gettotalrefcount(), sys.getallocatedblocks()
            repeat(thunk, allowed, times)
            gc.collect()
            refs, blocks = sys.gettotalrefcount() - refs, sys.getallocatedblocks() - blocks
            if max(refs, blocks) <= times * TOLERANCE:
                return None
    return refs, blocks, times


@pytest.mark.parametrize("entry_id", list(E.BY_ID))
def test_no_leak(entry_id, request):
    entry = E.BY_ID[entry_id]
    if entry.window:
        request.getfixturevalue("window")
    k = E.namespace()
    times = entry.iterations or REPETITIONS
    runs = []
    for label, thunk in E.call_variants(entry, k):
        if label == "ok":
            # The good values are good: the call succeeds (or raises what
            # the entry is there to raise).
            if entry.raises:
                with raises_exactly(entry.raises, None):
                    thunk()
            else:
                thunk()
            allowed = (entry.raises,) if entry.raises else ()
        else:
            allowed = entry.allowed()
        for action in ("ignore", "error") if "SubclassNumber" in label else ("ignore",):
            runs.append((label, thunk, allowed, action))

    # Quick pass: references per call, blocks over the whole entry.
    blocks = sys.getallocatedblocks()
    suspects = [run for run in runs if quick_growth(*run[1:3], times, run[3]) > max(2, times * TOLERANCE)]
    if sys.getallocatedblocks() - blocks > max(2, len(runs) * times * TOLERANCE):
        suspects = runs
    found = []
    for label, thunk, allowed, action in suspects:
        result = leaks(thunk, allowed, times, action)
        if result is not None:
            found.append(f"{label} (warnings {action}): +{result[0]} references, +{result[1]} blocks "
                         f"in {result[2]} calls")
    assert not found, f"{entry_id} leaks:\n  " + "\n  ".join(found)


def test_leak_detection_works():
    """The measurement sees a leak of one reference per call, and one block."""
    kept = []
    assert quick_growth(lambda: kept.append(object()), (), REPETITIONS, "ignore") >= REPETITIONS
    assert leaks(lambda: kept.append(object()), (), REPETITIONS, "ignore") is not None
    assert leaks(lambda: kept.append(b"x" * 100), (), REPETITIONS, "ignore") is not None
    assert quick_growth(lambda: None, (), REPETITIONS, "ignore") <= 2
    assert leaks(lambda: None, (), REPETITIONS, "ignore") is None


def test_modules_keep_the_reference_total():
    """The modules must be compiled for the debug interpreter (Py_DEBUG from
    its own pyconfig.h): otherwise their inline Py_INCREF/Py_DECREF do not
    count, and every reference they hand out or drop shows as a drift of
    the total."""
    v = E.load("vector2").Vector2(1, 2)
    before = sys.gettotalrefcount()
    for _ in range(1000):
        v.to_round()  # returns a new reference to v, made by the module
    assert abs(sys.gettotalrefcount() - before) < 100
