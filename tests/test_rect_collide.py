"""korvex.rect.rect: the collision tests, as Python methods and native slots, and the override dispatch."""

import sys
from fractions import Fraction

import pytest
from hypothesis import given, strategies as st

from korvex.rect.rect import Rect
from korvex.vector2.vector2 import Vector2
from korvex.vector4.vector4 import Vector4
import korvex_consumer as consumer
from support import NAN, ListSub, TupleSub, raises_exactly

POINT_ENTRIES = {
    "collide_point": tuple,
    "collide_point_vector2": lambda p: Vector2(*p),
    "collide_point_tuple": tuple,
    "collide_point_list": list,
}
RECT_ENTRIES = {
    "collide_rect": lambda o: Rect(*o),
    "collide_rect_rect": lambda o: Rect(*o),
    "collide_rect_vector4": lambda o: Vector4(*o),
    "collide_rect_tuple": tuple,
    "collide_rect_list": list,
}
GENERAL_RECT_FORMS = [lambda o: Rect(*o), lambda o: Vector4(*o), tuple, list]


def collide(r, name, arg, via):
    """The Python method, or the native slot with either dispatch flag."""
    if via == "method":
        return int(getattr(r, name)(arg))
    return consumer.rect_slot(name, r, arg, via)


VIA = ["method", 0, 1]


# --- edge rules ------------------------------------------------------------------------------

POINTS = [
    ((0, 0), 1), ((10, 10), 1), ((10, 0), 1), ((5, 10), 1), ((0, 5), 1), ((5, 5), 1),
    ((10.001, 5), 0), ((-0.001, 5), 0), ((5, 10.001), 0), ((5, -0.001), 0),
    ((NAN, 5), 0), ((5, NAN), 0), ((NAN, NAN), 0),
]


@pytest.mark.parametrize("name", POINT_ENTRIES)
@pytest.mark.parametrize("point, expected", POINTS)
@pytest.mark.parametrize("via", VIA)
def test_point_edges_inclusive(name, point, expected, via):
    assert collide(Rect(0, 0, 10, 10), name, POINT_ENTRIES[name](point), via) == expected


RECTS = [
    ((10, 0, 5, 5), 0), ((-5, -5, 5, 5), 0), ((0, 10, 5, 5), 0), ((-5, 0, 5, 5), 0), ((10, 10, 1, 1), 0),
    ((9.5, 9.5, 5, 5), 1), ((-4.5, -4.5, 5, 5), 1), ((2, 2, 1, 1), 1), ((-1, -1, 20, 20), 1),
    ((NAN, 0, 5, 5), 0), ((0, 0, 5, NAN), 0),
]


@pytest.mark.parametrize("name", RECT_ENTRIES)
@pytest.mark.parametrize("other, expected", RECTS)
@pytest.mark.parametrize("via", VIA)
def test_rect_edges_exclusive(name, other, expected, via):
    assert collide(Rect(0, 0, 10, 10), name, RECT_ENTRIES[name](other), via) == expected


@pytest.mark.parametrize("form", GENERAL_RECT_FORMS)
@pytest.mark.parametrize("other, expected", RECTS)
def test_general_rect_entry_accepts_every_form(form, other, expected):
    assert Rect(0, 0, 10, 10).collide_rect(form(other)) is bool(expected)


@pytest.mark.parametrize("point", [Vector2(0, 5), [0, 5], (0.0, 5)])
def test_general_point_entry_accepts_every_form(point):
    assert Rect(0, 0, 10, 10).collide_point(point) is True


@pytest.mark.parametrize("name", POINT_ENTRIES)
def test_degenerate_rectangles_and_points(name):
    make = POINT_ENTRIES[name]
    negative = Rect(0, 0, -1, 10)
    for p in [(0, 5), (-0.5, 5), (-1, 5), (0, 0)]:
        assert getattr(negative, name)(make(p)) is False
    zero = Rect(0, 0, 0, 10)
    assert getattr(zero, name)(make((0, 5))) is True
    assert getattr(zero, name)(make((1e-30, 5))) is False
    assert getattr(Rect(NAN, 0, 10, 10), name)(make((5, 5))) is False


@pytest.mark.parametrize("name", RECT_ENTRIES)
def test_negative_width_collides_with_nothing_to_its_right(name):
    make = RECT_ENTRIES[name]
    negative = Rect(0, 0, -1, 10)
    for other in [(-0.5, 0, 5, 5), (0, 0, 5, 5), (-1, 0, 1, 5), (-0.99, 1, 100, 1)]:
        assert getattr(negative, name)(make(other)) is False


# --- precision ---------------------------------------------------------------------------------


def test_single_and_double_sums_differ_at_the_last_bit():
    # 1 + 2**-25 rounds to 1.0 in single precision, so the other rectangle's
    # right edge lands on self's left edge only in collide_rect_rect.
    r = Rect(1, 1, 10, 10)
    for other in [(1, 1, 2**-25, 5), (1, 1, 5, 2**-25)]:
        assert r.collide_rect_rect(Rect(*other)) is False
        assert r.collide_rect(Rect(*other)) is True
        assert r.collide_rect(Vector4(*other)) is True
        assert r.collide_rect(other) is True
        assert r.collide_rect_tuple(other) is True
        assert r.collide_rect_vector4(Vector4(*other)) is True


def test_edges_are_single_precision_sums():
    # right = 1 + 2**-25 rounds to 1.0: a point just past 1.0 is outside for every entry.
    r = Rect(1, 1, 2**-25, 2**-25)
    p = (1 + 2**-30, 1)
    assert r.collide_point(p) is False and r.collide_point_tuple(p) is False
    assert r.collide_rect((0.5, 0.5, 0.5 + 2**-40, 1)) is True
    assert r.collide_rect((1 + 2**-40, 0.5, 1, 1)) is False


def test_numeric_paths_compare_in_double():
    # 10 - 1e-12 is below the right edge 10.0 in double but rounds to 10.0 when stored in a Rect.
    r = Rect(0, 0, 10, 10)
    assert r.collide_point((10 + 1e-12, 5)) is False
    assert r.collide_rect((10 - 1e-12, 0, 5, 5)) is True
    assert r.collide_rect(Vector4(10 - 1e-12, 0, 5, 5)) is True
    assert r.collide_rect(Rect(10 - 1e-12, 0, 5, 5)) is False
    assert r.collide_rect((-5, 0, 5 + 1e-12, 5)) is True


def test_object_paths_use_exact_arithmetic():
    r = Rect(1, 0, 0, 10)
    just_past = Fraction(1) + Fraction(1, 10**30)
    assert r.collide_point((just_past, 5)) is True  # converted to 1.0
    assert r.collide_point_tuple((just_past, 5)) is False
    assert r.collide_point_list([Fraction(1), 5]) is True
    wide = Rect(1, 0, 10, 10)
    tiny = Fraction(1, 2**60)
    assert wide.collide_rect((1, 0, tiny, 5)) is False  # 1.0 + 2**-60 == 1.0 in double
    assert wide.collide_rect_tuple((1, 0, tiny, 5)) is True
    # Ints stay ints: no conversion, so no overflow.
    assert wide.collide_point_tuple((2**1024, 5)) is False
    assert wide.collide_rect_list([2**1024, 0, -(2**1024) + 2, 5]) is False
    assert wide.collide_rect_tuple((-(2**1024), 0, 2**1024 + 2, 5)) is True
    with raises_exactly(OverflowError, "int too large to convert to float"):
        wide.collide_point((2**1024, 5))
    with raises_exactly(OverflowError, "int too large to convert to float"):
        wide.collide_rect([2**1024, 0, 1, 1])


# --- argument errors ---------------------------------------------------------------------------


POINT_SHAPE = "Point must be a Vector2, tuple, or list of length 2"
RECT_SHAPE = "rect for collision must be a Rect, Vector4, tuple, or list of length 4"
NO_X = "'NoneType' object has no attribute 'x'"
NOT_SUBSCRIPTABLE = "'NoneType' object is not subscriptable"


@pytest.mark.parametrize(
    "name, arg, error, message",
    [("collide_point", arg, ValueError, POINT_SHAPE) for arg in [(1, 2, 3), [1], 5, "ab", None, Vector4(1, 2, 3, 4)]]
    + [("collide_rect", arg, ValueError, RECT_SHAPE) for arg in [[1, 2, 3], Vector2(1, 2), None]]
    + [
        ("collide_point_vector2", None, AttributeError, NO_X),
        ("collide_point_tuple", None, TypeError, NOT_SUBSCRIPTABLE),
        ("collide_point_list", None, TypeError, NOT_SUBSCRIPTABLE),
        ("collide_rect_vector4", None, AttributeError, NO_X),
        ("collide_rect_tuple", None, TypeError, NOT_SUBSCRIPTABLE),
        ("collide_rect_list", None, TypeError, NOT_SUBSCRIPTABLE),
        # Short sequences are refused even where an early comparison already
        # fails ((20,) is right of the rect): refused, not answered.
        ("collide_point_tuple", (20,), IndexError, "tuple index out of range"),
        ("collide_point_tuple", (), IndexError, "tuple index out of range"),
        ("collide_point_list", [5], IndexError, "list index out of range"),
        ("collide_rect_tuple", (20, 0, 1), IndexError, "tuple index out of range"),
        ("collide_rect_list", [5, 5, 1], IndexError, "list index out of range"),
        ("collide_rect_list", [], IndexError, "list index out of range"),
    ],
)
@pytest.mark.parametrize("via", VIA)
def test_entry_argument_errors(name, arg, error, message, via):
    with raises_exactly(error, message):
        collide(Rect(0, 0, 10, 10), name, arg, via)


@pytest.mark.parametrize(
    "name, param, arg, expected",
    [
        ("collide_point_tuple", "point", [1, 2], "tuple"),
        ("collide_point_tuple", "point", TupleSub((1, 2)), "tuple"),
        ("collide_point_list", "point", (1, 2), "list"),
        ("collide_point_list", "point", ListSub([1, 2]), "list"),
        ("collide_point_vector2", "point", (1, 2), "korvex.vector2.vector2.Vector2"),
        ("collide_rect_vector4", "other", (1, 2, 3, 4), "korvex.vector4.vector4.Vector4"),
        ("collide_rect_rect", "other", (1, 2, 3, 4), "korvex.rect.rect.Rect"),
        ("collide_rect_rect", "other", None, "korvex.rect.rect.Rect"),
        ("collide_rect_tuple", "other", [1, 2, 3, 4], "tuple"),
        ("collide_rect_list", "other", TupleSub((1, 2, 3, 4)), "list"),
    ],
)
def test_typed_entry_argument_type(name, param, arg, expected):
    with raises_exactly(TypeError, (
        f"Argument '{param}' has incorrect type (expected {expected}, got {type(arg).__name__})"
    )):
        getattr(Rect(0, 0, 10, 10), name)(arg)


@pytest.mark.parametrize("via", [0, 1])
def test_rect_slot_rejects_non_rect(via):
    with raises_exactly(TypeError, "Argument 'other' has incorrect type (expected korvex.rect.rect.Rect, "
                                   "got NoneType)"):
        consumer.rect_slot("collide_rect_rect", Rect(), None, via)


@pytest.mark.parametrize("name", list(POINT_ENTRIES) + list(RECT_ENTRIES))
def test_argument_count_and_keywords(name):
    method = getattr(Rect(0, 0, 10, 10), name)
    param = "point" if "point" in name else "other"
    with raises_exactly(TypeError, f"{name}() takes exactly 1 positional argument (0 given)"):
        method()
    with raises_exactly(TypeError, f"{name}() takes exactly 1 positional argument (2 given)"):
        method(1, 2)
    with raises_exactly(TypeError, f"{name}() got an unexpected keyword argument 'nope'"):
        method(nope=1)
    arg = (POINT_ENTRIES.get(name) or RECT_ENTRIES[name])((5, 5) if param == "point" else (5, 5, 1, 1))
    assert method(**{param: arg}) is True


def test_longer_sequences_ignore_extra_items():
    r = Rect(0, 0, 10, 10)
    assert r.collide_point_tuple((5, 5, "x")) is True
    assert r.collide_rect_list([5, 5, 1, 1, "x"]) is True


def test_comparison_and_conversion_errors():
    r = Rect(0, 0, 10, 10)
    with raises_exactly(TypeError, "'<=' not supported between instances of 'float' and 'str'"):
        r.collide_point_tuple((5, "a"))
    with raises_exactly(TypeError, "must be real number, not str"):
        r.collide_point([5, "a"])
    assert r.collide_point_tuple((20, "a")) is False
    assert r.collide_point_list([-1, "a"]) is False
    with raises_exactly(TypeError, "unsupported operand type(s) for +: 'int' and 'str'"):
        r.collide_rect_tuple((1, 2, "a", 4))
    with raises_exactly(TypeError, "must be real number, not str"):
        r.collide_rect((1, 2, "a", 4))


# --- order of evaluation in the object paths ---------------------------------------------------------


class Logged:
    """A number that records the operations the interpreter applies to it."""

    def __init__(self, log, name, value):
        self.log, self.name, self.value = log, name, value

    def _other(self, other):
        return other.value if isinstance(other, Logged) else other

    def __add__(self, other):
        self.log.append(("add", self.name, other.name))
        return Logged(self.log, f"{self.name}+{other.name}", self.value + other.value)

    def __lt__(self, other):
        self.log.append(("lt", self.name))
        return self.value < self._other(other)

    def __gt__(self, other):
        self.log.append(("gt", self.name))
        return self.value > self._other(other)

    def __le__(self, other):
        self.log.append(("le", self.name))
        return self.value <= self._other(other)

    def __ge__(self, other):
        self.log.append(("ge", self.name))
        return self.value >= self._other(other)


def logged(values, names="abcd"):
    log = []
    return log, [Logged(log, n, v) for n, v in zip(names, values)]


@pytest.mark.parametrize(
    "values, result, expected_log",
    [
        ((5, 5), True, [("ge", "px"), ("le", "px"), ("ge", "py"), ("le", "py")]),
        ((20, 5), False, [("ge", "px"), ("le", "px")]),
        ((-1, 5), False, [("ge", "px")]),
        ((5, 20), False, [("ge", "px"), ("le", "px"), ("ge", "py"), ("le", "py")]),
    ],
)
@pytest.mark.parametrize("kind", [tuple, list])
def test_point_object_comparisons_in_order(values, result, expected_log, kind):
    log, items = logged(values, ["px", "py"])
    method = "collide_point_tuple" if kind is tuple else "collide_point_list"
    assert getattr(Rect(0, 0, 10, 10), method)(kind(items)) is result
    assert log == expected_log


@pytest.mark.parametrize(
    "values, result, expected_log",
    [
        ((9, 9, 5, 5), True, [("add", "a", "c"), ("gt", "a+c"), ("lt", "a"), ("add", "b", "d"), ("gt", "b+d"), ("lt", "b")]),
        ((-5, 0, 5, 5), False, [("add", "a", "c"), ("gt", "a+c")]),
        ((10, 0, 5, 5), False, [("add", "a", "c"), ("gt", "a+c"), ("lt", "a")]),
        ((0, -5, 5, 5), False, [("add", "a", "c"), ("gt", "a+c"), ("lt", "a"), ("add", "b", "d"), ("gt", "b+d")]),
    ],
)
@pytest.mark.parametrize("name, kind", [("collide_rect_tuple", tuple), ("collide_rect_list", list)])
def test_rect_object_arithmetic_in_order(values, result, expected_log, name, kind):
    log, items = logged(values)
    assert getattr(Rect(0, 0, 10, 10), name)(kind(items)) is result
    assert log == expected_log


def test_comparison_truth_value_failure_propagates():
    class NoBool:
        def __bool__(self):
            raise ArithmeticError("no truth")

    class Odd:
        def __ge__(self, other):
            return NoBool()

    with raises_exactly(ArithmeticError, "no truth"):
        Rect(0, 0, 10, 10).collide_point_tuple((Odd(), 5))


def test_comparisons_read_the_current_fields():
    # A comparison that moves the rectangle: later steps see the new fields.
    r = Rect(0, 0, 10, 10)

    class Mover:
        def __ge__(self, other):
            r.x = 100
            return True

        def __le__(self, other):
            return other == 110.0

    assert r.collide_point_tuple((Mover(), 5)) is True


# --- dispatch flag and Python overrides -------------------------------------------------------------

SLOT_ARGS = {
    "collide_point": (5, 5),
    "collide_point_vector2": Vector2(5, 5),
    "collide_point_tuple": (5, 5),
    "collide_point_list": [5, 5],
    "collide_rect": (5, 5, 1, 1),
    "collide_rect_vector4": Vector4(5, 5, 1, 1),
    "collide_rect_rect": Rect(5, 5, 1, 1),
    "collide_rect_tuple": (5, 5, 1, 1),
    "collide_rect_list": [5, 5, 1, 1],
}


def overriding(result):
    """A subclass whose every method returns `result` and records its calls."""
    calls = []

    def make(name):
        def method(self, *args):
            calls.append((name, args))
            if isinstance(result, BaseException):
                raise result
            return result

        return method

    names = list(SLOT_ARGS) + ["get_width", "get_height", "get_vector4", "get_tuple"]
    return type("Overriding", (Rect,), {n: make(n) for n in names}), calls


@pytest.mark.parametrize("name", SLOT_ARGS)
@pytest.mark.parametrize("answer, expected", [("yes", 1), ([], 0), (0.0, 0), (2, 1)])
def test_int_slot_override_truth_value(name, answer, expected):
    cls, calls = overriding(answer)
    # A rectangle far away from every argument: the own body would answer 0.
    r = cls(100, 100, 1, 1)
    arg = SLOT_ARGS[name]
    assert consumer.rect_slot(name, r, arg, 0) == expected
    assert calls == [(name, (arg,))] and calls[0][1][0] is arg
    assert consumer.rect_slot(name, r, arg, 1) == 0
    assert getattr(Rect, name)(r, arg) is False
    assert len(calls) == 1


@pytest.mark.parametrize("name", SLOT_ARGS)
def test_int_slot_override_failures(name):
    cls, _ = overriding(LookupError("override failed"))
    with raises_exactly(LookupError, "override failed"):
        consumer.rect_slot(name, cls(), SLOT_ARGS[name], 0)

    class NoBool:
        def __bool__(self):
            raise ArithmeticError("no truth")

    cls, _ = overriding(NoBool())
    with raises_exactly(ArithmeticError, "no truth"):
        consumer.rect_slot(name, cls(), SLOT_ARGS[name], 0)


def test_getter_overrides_width_and_height_pass_through():
    marker = object()
    cls, calls = overriding(marker)
    r = cls(1, 2, 3, 4)
    assert consumer.rect_slot("get_width", r, None, 0) is marker
    assert consumer.rect_slot("get_height", r, None, 0) is marker
    assert calls == [("get_width", ()), ("get_height", ())]
    assert consumer.rect_slot("get_width", r, None, 1) == 3.0
    assert consumer.rect_slot("get_height", r, None, 1) == 4.0


@pytest.mark.parametrize(
    "slot, answer, message",
    [
        ("get_tuple", (9, 9), None),
        ("get_tuple", None, None),
        ("get_tuple", [1, 2, 3, 4], "Expected tuple, got list"),
        ("get_tuple", TupleSub((1, 2)), "Expected tuple, got TupleSub"),
        ("get_tuple", Rect(), "Expected tuple, got korvex.rect.rect.Rect"),
        ("get_vector4", Vector4(9, 9, 9, 9), None),
        ("get_vector4", None, None),
        ("get_vector4", (1, 2, 3, 4), "Cannot convert tuple to korvex.vector4.vector4.Vector4"),
        ("get_vector4", Vector2(1, 2), "Cannot convert korvex.vector2.vector2.Vector2 to korvex.vector4.vector4.Vector4"),
    ],
)
def test_tuple_and_vector4_override_results(slot, answer, message):
    cls, _ = overriding(answer)
    r = cls(1, 2, 3, 4)
    if message is None:
        assert consumer.rect_slot(slot, r, None, 0) is answer
    else:
        with raises_exactly(TypeError, message):
            consumer.rect_slot(slot, r, None, 0)
    for own in (consumer.rect_slot(slot, r, None, 1), getattr(Rect, slot)(r)):
        assert type(own) is (tuple if slot == "get_tuple" else Vector4)
        assert tuple(own) == (1.0, 2.0, 3.0, 4.0)


def test_override_changes_slot_not_inherited_python_methods():
    class Sub(Rect):
        def collide_point(self, point):
            return True

    s = Sub(0, 0, 10, 10)
    assert consumer.rect_slot("collide_point", s, (50, 50), 0) == 1
    assert consumer.rect_slot("collide_point", s, (50, 50), 1) == 0
    assert s.collide_point((50, 50)) is True
    # The inherited general rectangle test does not route through the override.
    assert s.collide_rect((50, 50, 1, 1)) is False
    assert consumer.rect_slot("collide_rect", s, (50, 50, 1, 1), 0) == 0


def test_no_override_runs_own_body():
    class Plain(Rect):
        alias = Rect.collide_point

    class Aliased(Rect):
        collide_point = Rect.collide_point

    for r in [Rect(0, 0, 10, 10), Plain(0, 0, 10, 10), Aliased(0, 0, 10, 10)]:
        assert consumer.rect_slot("collide_point", r, (5, 5), 0) == 1
        assert consumer.rect_slot("collide_point", r, (50, 5), 0) == 0
        assert consumer.rect_slot("get_tuple", r, None, 0) == (0.0, 0.0, 10.0, 10.0)


def test_instance_attribute_is_an_override():
    class Plain(Rect):
        pass

    r = Plain(0, 0, 10, 10)
    r.collide_rect_rect = lambda other: "hit"
    assert consumer.rect_slot("collide_rect_rect", r, Rect(50, 50, 1, 1), 0) == 1
    assert consumer.rect_slot("collide_rect_rect", r, Rect(50, 50, 1, 1), 1) == 0
    r.get_width = lambda: "wide"
    assert consumer.rect_slot("get_width", r, None, 0) == "wide"


def test_failing_override_lookup_propagates():
    class Broken(Rect):
        def __getattribute__(self, name):
            raise KeyError(name)

    r = Broken(0, 0, 10, 10)
    with raises_exactly(KeyError, "'collide_point'"):
        consumer.rect_slot("collide_point", r, (5, 5), 0)
    assert consumer.rect_slot("collide_point", r, (5, 5), 1) == 1


def test_override_calls_do_not_leak_references():
    cls, calls = overriding(True)
    r = cls()
    arg = (5.5, 6.5)
    before = sys.getrefcount(arg)
    for _ in range(100):
        consumer.rect_slot("collide_point", r, arg, 0)
        Rect.collide_point_tuple(r, arg)
    calls.clear()
    assert sys.getrefcount(arg) == before


def test_collision_paths_do_not_leak_references():
    r = Rect(0, 0, 10, 10)
    items = [1.5, 2.5, 3.5, 4.5]
    t, l = tuple(items), list(items)
    before = [sys.getrefcount(v) for v in items]
    for _ in range(100):
        r.collide_point(t[:2])
        r.collide_point_tuple(t[:2])
        r.collide_point_list(l[:2])
        r.collide_rect(t)
        r.collide_rect_tuple(t)
        r.collide_rect_list(l)
        with raises_exactly(TypeError, "unsupported operand type(s) for +: 'float' and 'str'"):
            r.collide_rect_tuple((1.5, 2.5, "x", 4.5))
    assert [sys.getrefcount(v) for v in items] == before


# --- the typed entries on plain numbers -------------------------------------------------------
#
# Exact floats and one-digit ints in an exact tuple or list (and the stored
# components of an exact Vector2 or Vector4) are compared without the
# interpreter; the answer must be the interpreter's own, for every mix of
# kinds, including those that still go through it (big ints, bools, int and
# float subclasses, Fractions).

PLAIN = st.one_of(
    st.floats(allow_nan=True, allow_infinity=True, width=64),
    st.integers(-(2**30) + 1, 2**30 - 1),
    st.integers(-(2**70), 2**70),
    st.sampled_from([True, False, 0.0, -0.0, 2**30, -(2**30), 2**53 + 1]),
    st.fractions(max_denominator=7).map(Fraction),
)
EDGES = st.floats(-1e6, 1e6, width=32)


def point_by_interpreter(r, px, py):
    return bool(r.x <= px and px <= r.right and r.y <= py and py <= r.bottom)


def rect_by_interpreter(r, a, b, c, d):
    return bool(r.x < a + c and a < r.right and r.y < b + d and b < r.bottom)


@given(EDGES, EDGES, EDGES, EDGES, PLAIN, PLAIN)
def test_typed_point_entries_answer_as_the_interpreter(x, y, w, h, px, py):
    r = Rect(x, y, w, h)
    expected = point_by_interpreter(r, px, py)
    assert r.collide_point_tuple((px, py)) is expected
    assert r.collide_point_list([px, py]) is expected
    v = Vector2(float(px), float(py)) if not isinstance(px, Fraction) and not isinstance(py, Fraction) else None
    if v is not None:
        assert r.collide_point_vector2(v) is point_by_interpreter(r, v.x, v.y)


@given(EDGES, EDGES, EDGES, EDGES, PLAIN, PLAIN, PLAIN, PLAIN)
def test_typed_rect_entries_answer_as_the_interpreter(x, y, w, h, a, b, c, d):
    r = Rect(x, y, w, h)
    expected = rect_by_interpreter(r, a, b, c, d)
    assert r.collide_rect_tuple((a, b, c, d)) is expected
    assert r.collide_rect_list([a, b, c, d]) is expected
    try:
        q = Vector4(a, b, c, d)
    except OverflowError:
        return
    assert r.collide_rect_vector4(q) is rect_by_interpreter(r, q.x, q.y, q.z, q.w)
