"""Vector4: double storage, reciprocal scalar division, pairwise four-term sums."""

import copy
import gc
import itertools
import math
import pickle
import struct
import sys
import weakref
from fractions import Fraction

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import korvex_consumer as consumer
from korvex.vector4.vector4 import Vector4

TYPE_NAME = "korvex.vector4.vector4.Vector4"
INF = math.inf
NAN = math.nan
INDEX_ERROR = "Vector index out of range"
PICKLE_REFUSAL = (
    "Pickling of struct members such as self.data must be explicitly requested "
    "with the build option KORVEX_PICKLE_STRUCTS"
)
WORDS = ["".join(w) for w in itertools.product("xyzw", repeat=4)]


def bits(value):
    return struct.pack("<d", value)


def same(a, b):
    """Equal bit for bit (so -0.0 is not 0.0); any NaN matches any NaN."""
    return (math.isnan(a) and math.isnan(b)) or bits(a) == bits(b)


def assert_vector(v, expected):
    assert type(v) is Vector4
    got = v.get_tuple()
    assert all(same(g, e) for g, e in zip(got, expected, strict=True)), (got, expected)


def type_error(param, got):
    return f"Argument '{param}' has incorrect type (expected {TYPE_NAME}, got {got})"


class Boom(Exception):
    pass


class BadFloat:
    def __float__(self):
        raise Boom("float")


class BadIndex:
    def __index__(self):
        raise Boom("index")


class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class VectorLike:
    def __init__(self, x, y, z, w):
        self.x, self.y, self.z, self.w = x, y, z, w

    def clamp_magnitude_ip(self):
        pass


# --- construction ---------------------------------------------------------------


class ListSub(list):
    pass


class TupleSub(tuple):
    pass


@pytest.mark.parametrize(
    "args, expected",
    [
        ((), (0.0, 0.0, 0.0, 0.0)),
        ((1, 2, 3, 4), (1.0, 2.0, 3.0, 4.0)),
        ((0.1, True, -0.0, Index(7)), (0.1, 1.0, -0.0, 7.0)),
        (([1, 2, 3, 4],), (1.0, 2.0, 3.0, 4.0)),
        (((1, 2, 3, 4),), (1.0, 2.0, 3.0, 4.0)),
        ((ListSub([5, 6, 7, 8]),), (5.0, 6.0, 7.0, 8.0)),
        ((TupleSub((5, 6, 7, 8)),), (5.0, 6.0, 7.0, 8.0)),
        ((VectorLike(1, 2, 3, 4),), (1.0, 2.0, 3.0, 4.0)),
        ((Vector4(9, 8, 7, 6),), (9.0, 8.0, 7.0, 6.0)),
        ((1e300, 2**1000, -1e-320, 1e39), (1e300, float(2**1000), -1e-320, 1e39)),
    ],
)
def test_constructor_forms(args, expected):
    assert_vector(Vector4(*args), expected)


def test_components_are_stored_unrounded():
    assert Vector4(0.1, 0, 0, 0).x == 0.1
    assert Vector4.from_xyzw(0.1, 0, 0, 0).x == 0.1
    assert Vector4.from_floats(0.1, 0, 0, 0).x == 0.10000000149011612


@pytest.mark.parametrize(
    "args, message",
    [
        (((1, 2, 3),), "Vector4() takes a sequence of length 4, but got 3"),
        (([],), "Vector4() takes a sequence of length 4, but got 0"),
        (([1, 2, 3, 4, 5],), "Vector4() takes a sequence of length 4, but got 5"),
        ((1, 2), "Vector4() takes 0, 1, or 4 arguments, but 2 were given"),
        ((1, 2, 3), "Vector4() takes 0, 1, or 4 arguments, but 3 were given"),
        ((1, 2, 3, 4, 5), "Vector4() takes 0, 1, or 4 arguments, but 5 were given"),
        ((5,), "Vector4() invalid constructor argument: int"),
        (("abcd",), "Vector4() invalid constructor argument: str"),
        (({"x": 1},), "Vector4() invalid constructor argument: dict"),
        ((None,), "Vector4() invalid constructor argument: NoneType"),
        ((type("Plain", (), {"x": 1, "y": 2, "z": 3, "w": 4})(),), "Vector4() invalid constructor argument: Plain"),
    ],
)
def test_constructor_errors(args, message):
    with pytest.raises(TypeError) as info:
        Vector4(*args)
    assert str(info.value) == message


@pytest.mark.parametrize("kwargs", [{"x": 1}, {"w": 1}])
def test_constructor_rejects_keywords(kwargs):
    (name,) = kwargs
    with pytest.raises(TypeError, match=rf"^__init__\(\) got an unexpected keyword argument '{name}'$"):
        Vector4(1, 2, 3, 4, **kwargs)
    with pytest.raises(TypeError, match=r"^__init__\(\) got an unexpected keyword argument"):
        Vector4(1, 2, 3, 4).__init__(**kwargs)


@pytest.mark.parametrize(
    "bad, error",
    [("a", TypeError), (None, TypeError), (BadFloat(), Boom), (10**400, OverflowError), ([1], TypeError)],
)
def test_constructor_conversion_errors_propagate(bad, error):
    with pytest.raises(error):
        Vector4(1, 2, bad, 4)
    with pytest.raises(error):
        Vector4([1, bad, 3, 4])
    with pytest.raises(error):
        Vector4(VectorLike(bad, 2, 3, 4))


def test_reinit_keeps_components_stored_before_a_failure():
    v = Vector4(9, 9, 9, 9)
    with pytest.raises(TypeError):
        v.__init__(1, 2, "a", 4)
    assert_vector(v, (1.0, 2.0, 9.0, 9.0))
    with pytest.raises(AttributeError):
        v.__init__(type("Partial", (), {"x": 5, "y": 6, "clamp_magnitude_ip": None})())
    assert_vector(v, (5.0, 6.0, 9.0, 9.0))
    v.__init__()
    assert_vector(v, (0.0, 0.0, 0.0, 0.0))


def test_marker_lookup_error_propagates():
    class Hostile:
        def __getattr__(self, name):
            raise Boom(name)

    with pytest.raises(Boom, match="clamp_magnitude_ip"):
        Vector4(Hostile())


def test_sequence_shrinking_during_conversion():
    items = [1, 2, 3, 4]

    class Shrink:
        def __float__(self):
            items.clear()
            return 1.0

    items[0] = Shrink()
    with pytest.raises(IndexError):
        Vector4(items)
    items[:] = [Shrink(), 2, 3, 4]
    with pytest.raises(IndexError, match="^list index out of range$"):
        Vector4.from_list(items)


def test_new_ignores_arguments_and_type_is_final():
    assert_vector(Vector4.__new__(Vector4, 1, 2, 3, 4), (0.0, 0.0, 0.0, 0.0))
    with pytest.raises(TypeError):
        type("Sub", (Vector4,), {})
    v = Vector4()
    with pytest.raises(AttributeError):
        v.__dict__
    with pytest.raises(TypeError):
        weakref.ref(v)
    assert not gc.is_tracked(v)
    assert type(Vector4).__name__ == "type" and Vector4.__module__ == "korvex.vector4.vector4"


# --- factories --------------------------------------------------------------------


def test_factories():
    v = Vector4(1, 2, 3, 4)
    c = Vector4.from_vector4(v)
    assert c == v and c is not v
    assert_vector(v.from_vector4(other=v), (1.0, 2.0, 3.0, 4.0))
    assert_vector(Vector4.from_tuple((1, 2, 3, 4, "ignored")), (1.0, 2.0, 3.0, 4.0))
    assert_vector(Vector4.from_list(other=[1, 2, 3, 4, 9]), (1.0, 2.0, 3.0, 4.0))
    assert_vector(Vector4.from_ints(3.9, -2.7, 0, 1), (3.0, -2.0, 0.0, 1.0))
    assert_vector(Vector4.from_ints(2**31 - 1, -(2**31), True, -0.9), (2147483647.0, -2147483648.0, 1.0, 0.0))
    assert_vector(Vector4.from_floats(1e300, -1e300, 1e-50, 0.5), (INF, -INF, 0.0, 0.5))
    assert_vector(Vector4.from_xyzw(w=4, z=3, y=2, x=1), (1.0, 2.0, 3.0, 4.0))
    assert_vector(v.from_xyzw(1, 2, w=4, z=3), (1.0, 2.0, 3.0, 4.0))


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda: Vector4.from_vector4(None), TypeError, type_error("other", "NoneType")),
        (lambda: Vector4.from_vector4((1, 2, 3, 4)), TypeError, type_error("other", "tuple")),
        (
            lambda: Vector4.from_tuple([1, 2, 3, 4]),
            TypeError,
            "Argument 'other' has incorrect type (expected tuple, got list)",
        ),
        (
            lambda: Vector4.from_tuple(TupleSub((1, 2, 3, 4))),
            TypeError,
            "Argument 'other' has incorrect type (expected tuple, got TupleSub)",
        ),
        (
            lambda: Vector4.from_list(None),
            TypeError,
            "Argument 'other' has incorrect type (expected list, got NoneType)",
        ),
        (lambda: Vector4.from_tuple((1, 2, 3)), IndexError, "tuple index out of range"),
        (lambda: Vector4.from_list([]), IndexError, "list index out of range"),
        (lambda: Vector4.from_ints(2**31, 0, 0, 0), OverflowError, "value too large to convert to int"),
        (lambda: Vector4.from_ints(0, 0, 0, -(2**31) - 1), OverflowError, "value too large to convert to int"),
        (lambda: Vector4.from_ints(0, "1", 0, 0), TypeError, "an integer is required"),
        (lambda: Vector4.from_ints(0, 0, NAN, 0), ValueError, "cannot convert float NaN to integer"),
        (lambda: Vector4.from_xyzw(1, 2, 3), TypeError, "from_xyzw() takes exactly 4 positional arguments (3 given)"),
        (lambda: Vector4.from_floats(1, 2, 3, 4, 5), TypeError, "from_floats() takes exactly 4 positional arguments (5 given)"),
        (lambda: Vector4.from_xyzw(1, 2, 3, x=4), TypeError, "from_xyzw() got multiple values for keyword argument 'x'"),
        (lambda: Vector4.from_xyzw(1, 2, 3, v=4), TypeError, "from_xyzw() got an unexpected keyword argument 'v'"),
        (lambda: Vector4.from_xyzw(1, 2, z=3), TypeError, "from_xyzw() takes exactly 4 positional arguments (3 given)"),
        (lambda: Vector4.from_ints(Index(5), 0, 0, 0), TypeError, "an integer is required"),
        (lambda: Vector4.from_list(), TypeError, "from_list() takes exactly 1 positional argument (0 given)"),
        (lambda: Vector4.from_xyzw(1, 2, 3, 10**400), OverflowError, "int too large to convert to float"),
    ],
)
def test_factory_errors(call, error, message):
    with pytest.raises(error) as info:
        call()
    assert str(info.value) == message


def test_factories_convert_in_order():
    seen = []

    class Record:
        def __init__(self, name):
            self.name = name

        def __float__(self):
            seen.append(self.name)
            return 1.0

        def __int__(self):
            return int(self.__float__())

    for factory in (Vector4.from_xyzw, Vector4.from_floats, Vector4.from_ints):
        seen.clear()
        factory(Record("x"), Record("y"), Record("z"), Record("w"))
        assert seen == ["x", "y", "z", "w"]
    with pytest.raises(Boom):
        Vector4.from_xyzw(BadFloat(), 2, "not a number", 4)


# --- properties -------------------------------------------------------------------


def test_component_properties():
    v = Vector4(1, 2, 3, 4)
    assert (v.x, v.y, v.z, v.w) == (1.0, 2.0, 3.0, 4.0)
    assert all(type(c) is float for c in (v.x, v.y, v.z, v.w))
    v.x, v.y, v.z, v.w = 0.1, True, Index(3), 2**60
    assert_vector(v, (0.1, 1.0, 3.0, float(2**60)))
    for bad, error in (("a", TypeError), (None, TypeError), (BadFloat(), Boom), (10**400, OverflowError)):
        with pytest.raises(error):
            v.z = bad
    assert v.z == 3.0
    for name in "xyzw":
        with pytest.raises(NotImplementedError, match=r"^__del__$"):
            delattr(v, name)
    assert not hasattr(v, "data")
    with pytest.raises(AttributeError):
        v.length = 1.0


# --- operators --------------------------------------------------------------------


@pytest.mark.parametrize(
    "compute, expected",
    [
        (lambda: Vector4(1, 2, 3, 4) + Vector4(4, 3, 2, 1), (5.0, 5.0, 5.0, 5.0)),
        (lambda: Vector4(1, 2, 3, 4) - Vector4(4, 3, 2, 1), (-3.0, -1.0, 1.0, 3.0)),
        (lambda: Vector4(1, 2, 3, 4) * 2, (2.0, 4.0, 6.0, 8.0)),
        (lambda: Vector4(1, 2, 3, 4) * True, (1.0, 2.0, 3.0, 4.0)),
        (lambda: Vector4(1, 2, 3, 4) * Vector4(2, 0.5, -1, 0), (2.0, 1.0, -3.0, 0.0)),
        (lambda: Vector4(5, 0, 0, 0) / 3, (1.6666666666666665, 0.0, 0.0, 0.0)),
        (lambda: Vector4(5, 0, 0, 0) / 3.0, (1.6666666666666665, 0.0, 0.0, 0.0)),
        (lambda: Vector4(5, 1, 0, 0) / Vector4(3, 3, 1, 1), (1.6666666666666667, 1 / 3, 0.0, 0.0)),
        (lambda: Vector4(49, 0, 0, 0) // 49, (0.0, 0.0, 0.0, 0.0)),
        (lambda: Vector4(49, 0, 0, 0) / 49, (0.9999999999999999, 0.0, 0.0, 0.0)),
        (lambda: Vector4(49, 0, 0, 0) // Vector4(49, 1, 1, 1), (1.0, 0.0, 0.0, 0.0)),
        (lambda: Vector4(7, -7, 0, 0) // Vector4(2, 2, 1, 1), (3.0, -4.0, 0.0, 0.0)),
        (lambda: Vector4(7, -7, -0.5, 0.5) // 2, (3.0, -4.0, -1.0, 0.0)),
        (lambda: Vector4(1, 0, -1, 0) / 0, (INF, NAN, -INF, NAN)),
        (lambda: Vector4(1, 0, -1, 0) / -0.0, (-INF, NAN, INF, NAN)),
        (lambda: Vector4(1, 0, -1, 0) // 0, (INF, NAN, -INF, NAN)),
        (lambda: Vector4(1, 0, -1, 2) / Vector4(0, 0, 0, -0.0), (INF, NAN, -INF, -INF)),
        (lambda: Vector4(1e308, 1, 1, 1) * 10, (INF, 10.0, 10.0, 10.0)),
        (lambda: -Vector4(0, 1, -2, INF), (-0.0, -1.0, 2.0, -INF)),
    ],
)
def test_arithmetic(compute, expected):
    assert_vector(compute(), expected)


def test_scalar_types():
    class MyFloat(float):
        pass

    class MyInt(int):
        def __float__(self):
            raise Boom("subclass conversion")

    assert_vector(Vector4(1, 2, 3, 4) * MyFloat(0.5), (0.5, 1.0, 1.5, 2.0))
    with pytest.raises(OverflowError):
        Vector4(1, 2, 3, 4) * 10**400
    with pytest.raises(OverflowError):
        Vector4(1, 2, 3, 4) / 10**400
    assert_vector(Vector4(1, 2, 3, 4) * 2**1000, tuple(float(2**1000) * c for c in (1, 2, 3, 4)))
    # A scalar that is neither an int nor a float is left to the interpreter,
    # even one that converts to a number.
    for other in (Index(2), "2", None, [2], (2, 2, 2, 2)):
        for op in ("__mul__", "__truediv__", "__floordiv__"):
            assert getattr(Vector4(1, 2, 3, 4), op)(other) is NotImplemented
    with pytest.raises(TypeError):
        Vector4(1, 2, 3, 4) * "2"
    with pytest.raises(Boom):
        Vector4(1, 2, 3, 4) * MyInt(2)


@pytest.mark.parametrize("other, name", [((1, 1, 1, 1), "tuple"), (None, "NoneType"), (1, "int")])
@pytest.mark.parametrize("op", ["+", "-", "+=", "-=", "*="])
def test_additive_operand_errors(op, other, name):
    v = Vector4(1, 2, 3, 4)
    with pytest.raises(TypeError) as info:
        exec(f"v {op} other", {"v": v, "other": other})
    assert str(info.value) == type_error("other", name)
    assert_vector(v, (1.0, 2.0, 3.0, 4.0))


@pytest.mark.parametrize(
    "call",
    [
        lambda v: 2 * v,
        lambda v: (1, 2, 3, 4) + v,
        lambda v: v % 2,
        lambda v: v**2,
        lambda v: divmod(v, 2),
        lambda v: v @ v,
        lambda v: +v,
        lambda v: abs(v),
        lambda v: v < v,
        lambda v: v >= Vector4(),
        lambda v: 1 / v,
    ],
)
def test_undefined_operations(call):
    with pytest.raises(TypeError):
        call(Vector4(1, 2, 3, 4))


def test_in_place_operators():
    v = Vector4(1, 1, 1, 1)
    original = v
    v += Vector4(1, 2, 3, 4)
    assert v is original
    assert_vector(v, (2.0, 3.0, 4.0, 5.0))
    v -= Vector4(1, 1, 1, 1)
    v *= Vector4(2, 2, 0.5, -1)
    assert v is original
    assert_vector(v, (2.0, 4.0, 1.5, -4.0))
    v += v
    assert_vector(v, (4.0, 8.0, 3.0, -8.0))
    v /= 4
    assert v is not original
    assert_vector(v, (1.0, 2.0, 0.75, -2.0))
    assert_vector(original, (4.0, 8.0, 3.0, -8.0))
    v //= 2
    assert_vector(v, (0.0, 1.0, 0.0, -1.0))


# --- equality and hash ----------------------------------------------------------------


def test_equality_and_hash():
    v = Vector4(1, 2, 3, 4)
    assert v == Vector4(1, 2, 3, 4) and not (v != Vector4(1, 2, 3, 4))
    assert v != Vector4(1, 2, 3, 5)
    assert (v == (1, 2, 3, 4)) is False and (v != (1, 2, 3, 4)) is True
    assert (v == [1, 2, 3, 4]) is False and (v == None) is False  # noqa: E711
    assert v.__eq__((1, 2, 3, 4)) is False
    assert v.__lt__(v) is NotImplemented
    assert Vector4(0.0, 0, 0, 0) == Vector4(-0.0, 0, 0, 0)
    # Doubles are compared as doubles: a difference in the last bit counts.
    assert Vector4(0.1, 0, 0, 0) != Vector4(math.nextafter(0.1, 1), 0, 0, 0)
    assert hash(v) == hash((1.0, 2.0, 3.0, 4.0)) == hash(v.get_tuple())
    for values in [(0.1, -0.0, 1e300, -INF), (2**53 + 1.0, 0.5, -1, 7), (-1, -1, -1, -1)]:
        assert hash(Vector4(*values)) == hash(tuple(float(c) for c in values))
    seen = {v}
    v.x = 10
    assert v not in seen
    assert hash(v) == hash((10.0, 2.0, 3.0, 4.0))


# --- methods ----------------------------------------------------------------------


def test_measures():
    assert Vector4(3, 4, 0, 0).length == 5.0
    assert Vector4().length == 0.0
    assert Vector4(1, 2, 3, 4).dot(Vector4(1, 2, 3, 4)) == 30.0
    assert Vector4(1, 1, 1, 1).distance_to(other=Vector4(4, 5, 1, 1)) == 5.0
    assert Vector4(1, 1, 1, 1).distance_squared_to(Vector4(4, 5, 1, 1)) == 25.0


# Four-term sums are (t_x + t_z) + (t_y + t_w): sums in order would lose the
# small terms here.
@pytest.mark.parametrize(
    "compute, expected",
    [
        (lambda: Vector4(1e16, 1, -1e16, 1).dot(Vector4(1, 1, 1, 1)), 2.0),
        (lambda: Vector4(1e8, 1, 0, 1).distance_squared_to(Vector4()), 10000000000000002.0),
        (lambda: Vector4(1e8, 1, 0, 1).distance_to(Vector4()), 100000000.00000001),
        (lambda: Vector4(1e8, 1, 0, 1).length, 100000000.00000001),
        (lambda: Vector4(1e8, 0, 1, 1).length, 1e8),
        (lambda: Vector4(1e8, 0, 1, 1).distance_squared_to(Vector4()), 1e16),
    ],
)
def test_pairwise_sum_order(compute, expected):
    assert same(compute(), expected)


@pytest.mark.parametrize(
    "values, expected",
    [
        ((3, 4, 0, 0), (0.6000000000000001, 0.8, 0.0, 0.0)),
        ((0, 0, 0, 0), (0.0, 0.0, 0.0, 0.0)),
        ((-0.0, -0.0, 0, -0.0), (0.0, 0.0, 0.0, 0.0)),
        ((0, -5, 0, 0), (0.0, -1.0, 0.0, 0.0)),
        ((1, 1, 1, 1), (0.5, 0.5, 0.5, 0.5)),
        ((INF, 0, 0, 0), (NAN, 0.0, 0.0, 0.0)),
    ],
)
def test_normalize(values, expected):
    v = Vector4(*values)
    assert_vector(v.get_normalized(), expected)
    assert_vector(v, tuple(float(c) for c in values))
    assert v.to_normalized() is v
    assert_vector(v, expected)


@pytest.mark.parametrize(
    "values, rounded, ints",
    [
        ((2.5, -2.5, 0.5, -0.4), (3.0, -3.0, 1.0, -0.0), (3, -3, 1, 0)),
        ((0.49999999999999994, -0.49999999999999994, 1.5, -0.0), (0.0, -0.0, 2.0, -0.0), (0, 0, 2, 0)),
        ((4503599627370497.0, -4503599627370497.0, 2.4999999999999996, 1e300), None, None),
        ((2147483646.5, -2147483647.5, 0, 0), (2147483647.0, -2147483648.0, 0.0, 0.0), (2147483647, -2147483648, 0, 0)),
    ],
)
def test_round(values, rounded, ints):
    if rounded is None:
        rounded = (4503599627370497.0, -4503599627370497.0, 2.0, 1e300)
    v = Vector4(*values)
    assert_vector(v.get_round(), rounded)
    if ints is not None:
        assert v.get_rounded_tuple() == ints
        assert all(type(i) is int for i in v.get_rounded_tuple())
    assert v.to_round() is v
    assert_vector(v, rounded)


def test_abs_neg_and_tuples():
    v = Vector4(-0.0, -1, 2, -INF)
    assert_vector(v.get_abs(), (0.0, 1.0, 2.0, INF))
    assert_vector(v.get_neg(), (0.0, 1.0, -2.0, INF))
    assert_vector(Vector4().get_neg(), (-0.0, -0.0, -0.0, -0.0))
    assert v.to_abs() is v and v.to_neg() is v
    assert_vector(v, (-0.0, -1.0, -2.0, -INF))
    t = Vector4(0.1, 2, 3, 4).get_tuple()
    assert type(t) is tuple and t == (0.1, 2.0, 3.0, 4.0)
    assert Vector4(2.7, -2.7, 0, 0).get_int_tuple() == (2, -2, 0, 0)
    assert Vector4(2147483647.9, -2147483648.9, -0.5, 0).get_int_tuple() == (2147483647, -2147483648, 0, 0)


@pytest.mark.parametrize(
    "value, error, message",
    [
        (NAN, ValueError, "cannot convert float NaN to integer"),
        (INF, OverflowError, "value too large to convert to int"),
        (-INF, OverflowError, "value too large to convert to int"),
        (2147483648.0, OverflowError, "value too large to convert to int"),
        (-2147483649.0, OverflowError, "value too large to convert to int"),
        (1e300, OverflowError, "value too large to convert to int"),
    ],
)
def test_int_tuples_out_of_range(value, error, message):
    v = Vector4(0, 0, 0, value)
    for method in (v.get_int_tuple, v.get_rounded_tuple):
        with pytest.raises(error) as info:
            method()
        assert str(info.value) == message
    with pytest.raises(OverflowError):
        Vector4(2147483647.5, 0, 0, 0).get_rounded_tuple()


@pytest.mark.parametrize(
    "name",
    ["to_normalized", "get_normalized", "to_round", "get_round", "to_abs", "get_abs", "to_neg", "get_neg",
     "get_tuple", "get_int_tuple", "get_rounded_tuple", "copy", "__copy__"],
)
def test_methods_without_parameters(name):
    v = Vector4(1, 2, 3, 4)
    with pytest.raises(TypeError) as info:
        getattr(v, name)(1)
    assert str(info.value) == f"{name}() takes exactly 0 positional arguments (1 given)"
    with pytest.raises(TypeError) as info:
        getattr(v, name)(x=1)
    assert str(info.value) == f"{name}() got an unexpected keyword argument 'x'"
    assert_vector(v, (1.0, 2.0, 3.0, 4.0))


@pytest.mark.parametrize("name", ["distance_to", "distance_squared_to", "dot"])
def test_measure_arguments(name):
    method = getattr(Vector4(1, 2, 3, 4), name)
    for other, given in (((1, 2, 3, 4), "tuple"), (None, "NoneType"), (1, "int")):
        with pytest.raises(TypeError) as info:
            method(other)
        assert str(info.value) == type_error("other", given)
    with pytest.raises(TypeError) as info:
        method()
    assert str(info.value) == f"{name}() takes exactly 1 positional argument (0 given)"
    with pytest.raises(TypeError) as info:
        method(Vector4(), Vector4())
    assert str(info.value) == f"{name}() takes exactly 1 positional argument (2 given)"
    with pytest.raises(TypeError) as info:
        method(vec=Vector4())
    assert str(info.value) == f"{name}() got an unexpected keyword argument 'vec'"
    assert type(method(other=Vector4())) is float


def test_sadd():
    v = Vector4(9, 9, 9, 9)
    assert v.sadd(Vector4(1, 2, 3, 4), Vector4(4, 3, 2, 1)) is None
    assert_vector(v, (5.0, 5.0, 5.0, 5.0))
    assert v.sadd(old_vec=v, new_vec=v) is None
    assert_vector(v, (10.0, 10.0, 10.0, 10.0))
    with pytest.raises(TypeError) as info:
        v.sadd(Vector4(), None)
    assert str(info.value) == type_error("old_vec", "NoneType")
    with pytest.raises(TypeError) as info:
        v.sadd((1, 2, 3, 4), Vector4())
    assert str(info.value) == type_error("new_vec", "tuple")
    with pytest.raises(TypeError) as info:
        v.sadd(Vector4())
    assert str(info.value) == "sadd() takes exactly 2 positional arguments (1 given)"
    assert_vector(v, (10.0, 10.0, 10.0, 10.0))


def test_copies():
    v = Vector4(0.1, -0.0, INF, 4)
    for c in (v.copy(), v.__copy__(), v.__deepcopy__({}), v.__deepcopy__(memo=None), copy.copy(v), copy.deepcopy(v)):
        assert c is not v
        assert_vector(c, (0.1, -0.0, INF, 4.0))
    with pytest.raises(TypeError) as info:
        v.__deepcopy__()
    assert str(info.value) == "__deepcopy__() takes exactly 1 positional argument (0 given)"
    nested = copy.deepcopy([v, v])
    assert nested[0] == v and nested[0] is not v


def test_pickling_is_refused():
    v = Vector4(1, 2, 3, 4)
    for protocol in range(pickle.HIGHEST_PROTOCOL + 1):
        with pytest.raises(TypeError) as info:
            pickle.dumps(v, protocol)
        assert str(info.value) == PICKLE_REFUSAL
    with pytest.raises(TypeError) as info:
        v.__reduce__()
    assert str(info.value) == PICKLE_REFUSAL
    with pytest.raises(TypeError) as info:
        v.__setstate__(())
    assert str(info.value) == PICKLE_REFUSAL
    with pytest.raises(TypeError):
        v.__setstate__()
    assert "__reduce__" in vars(Vector4) and "__reduce_korvex__" not in vars(Vector4)


# --- text form and sequence protocol --------------------------------------------------


@pytest.mark.parametrize(
    "values, text",
    [
        ((1, 2, 3, 4), "Vector4(1.0, 2.0, 3.0, 4.0)"),
        ((0.1, -0.0, 1e300, -1e-320), "Vector4(0.1, -0.0, 1e+300, -1e-320)"),
        ((INF, -INF, NAN, 2**53 + 1.0), "Vector4(inf, -inf, nan, 9007199254740992.0)"),
        ((-1.7976931348623157e308, -2.2250738585072014e-308, 0.30000000000000004, 1 / 3),
         "Vector4(-1.7976931348623157e+308, -2.2250738585072014e-308, 0.30000000000000004, 0.3333333333333333)"),
    ],
)
def test_repr(values, text):
    v = Vector4(*values)
    assert repr(v) == text and str(v) == text


def test_indexing():
    v = Vector4(1, 2, 3, 4)
    assert len(v) == 4
    assert (v[0], v[1], v[2], v[3]) == (1.0, 2.0, 3.0, 4.0)
    assert v[True] == 2.0 and v[Index(3)] == 4.0
    assert list(v) == [1.0, 2.0, 3.0, 4.0]
    x, y, z, w = v
    assert (x, y, z, w) == (1.0, 2.0, 3.0, 4.0)
    assert 3.0 in v and 5 not in v
    assert bool(Vector4())


@pytest.mark.parametrize("key", [4, -1, -4, -5, 2**31, 2**63, 2**64, -(2**63) - 1, 10**100, -(10**100), Index(2**70)])
def test_index_out_of_range(key):
    v = Vector4(1, 2, 3, 4)
    with pytest.raises(IndexError) as info:
        v[key]
    assert str(info.value) == INDEX_ERROR
    with pytest.raises(IndexError) as info:
        v[key] = 1.0
    assert str(info.value) == INDEX_ERROR
    assert_vector(v, (1.0, 2.0, 3.0, 4.0))


@pytest.mark.parametrize("key, error", [(0.0, TypeError), (slice(0, 2), TypeError), ("0", TypeError), (None, TypeError), (BadIndex(), Boom)])
def test_bad_keys(key, error):
    v = Vector4(1, 2, 3, 4)
    with pytest.raises(error):
        v[key]
    with pytest.raises(error):
        v[key] = 1.0


def test_item_assignment():
    v = Vector4(1, 2, 3, 4)
    v[3] = 0.1
    v[Index(0)] = True
    assert_vector(v, (1.0, 2.0, 3.0, 0.1))
    # The value is converted before the key is checked.
    with pytest.raises(TypeError):
        v[9] = "a"
    with pytest.raises(Boom):
        v[9] = BadFloat()
    with pytest.raises(TypeError):
        v[0] = None
    with pytest.raises(OverflowError):
        v[1] = 10**400
    assert_vector(v, (1.0, 2.0, 3.0, 0.1))
    with pytest.raises(NotImplementedError) as info:
        del v[0]
    assert str(info.value) == f"Subscript deletion not supported by {TYPE_NAME}"


# --- swizzles ---------------------------------------------------------------------------


def test_swizzle_names_and_order():
    names = list(vars(Vector4))
    four_letter = [n for n in names if len(n) == 4 and set(n) <= set("xyzw")]
    assert four_letter == WORDS  # every word, once, in lexicographic order
    start = names.index("xxxx")
    assert names[start - 4 : start] == ["x", "y", "z", "w"]
    assert names[start + 256] == "length"
    for name in ("xy", "xyz", "wzy", "xyzwx", "xyzv", "aaaa", "data"):
        assert not hasattr(Vector4(), name)


def test_swizzle_values():
    values = (0.1, -0.0, 1e300, -INF)
    v = Vector4(*values)
    index = {letter: i for i, letter in enumerate("xyzw")}
    for word in WORDS:
        result = getattr(v, word)
        assert result is not v
        assert_vector(result, tuple(values[index[letter]] for letter in word))
    assert_vector(Vector4(1, 2, 3, 4).wzyx, (4.0, 3.0, 2.0, 1.0))
    assert_vector(Vector4(1, 2, 3, 4).xxyz, (1.0, 1.0, 2.0, 3.0))
    assert_vector(Vector4(1, 2, 3, 4).ywxz, (2.0, 4.0, 1.0, 3.0))
    copied = v.xyzw
    assert copied == v and copied is not v
    copied.x = 5
    assert v.x == 0.1
    with pytest.raises(AttributeError):
        v.xxxx = Vector4()
    with pytest.raises(AttributeError):
        del v.wwww


# --- pool ---------------------------------------------------------------------------------


def test_pool_is_bounded_and_reused_most_recent_first():
    held = [Vector4(i, 0, 0, 0) for i in range(1500)]  # drains whatever the pool held
    ids = [id(v) for v in held]
    del held  # a list releases its items last to first: the first 1000 released are pooled
    again = [Vector4() for _ in range(1000)]
    assert [id(v) for v in again] == ids[500:]
    assert all(v == Vector4() for v in again)


def test_reference_counts():
    v, w = Vector4(1, 2, 3, 4), Vector4(1, 1, 1, 1)
    item = float("12345.5")  # not a constant, so its count moves
    items = (item, item, item, item)
    before = sys.getrefcount(v), sys.getrefcount(w), sys.getrefcount(item)
    for _ in range(50):
        v += w
        v -= w
        v.to_round()
        v.to_abs()
        v.sadd(v, w)
        v.sadd(v, -w)
        Vector4.from_tuple(items)
        Vector4(items)
        consumer.v4_cfrom_tuple(items)
        v.dot(w)
    assert (sys.getrefcount(v), sys.getrefcount(w), sys.getrefcount(item)) == before


# --- native table and inline helpers --------------------------------------------------------


def test_native_constructors():
    assert_vector(consumer.v4_new(0.1, -0.0, 1e300, -INF), (0.1, -0.0, 1e300, -INF))
    assert_vector(consumer.v4_cfrom_xyzw(1, 2, 3, 4), (1.0, 2.0, 3.0, 4.0))
    assert_vector(consumer.v4_cfrom_ints(-(2**31), 2**31 - 1, 0, 7), (-2147483648.0, 2147483647.0, 0.0, 7.0))
    assert_vector(consumer.v4_cfrom_floats(0.1, 1, 2, 3), (0.10000000149011612, 1.0, 2.0, 3.0))
    assert_vector(consumer.v4_cfrom_tuple((1, 2, 3, 4, 5)), (1.0, 2.0, 3.0, 4.0))
    assert_vector(consumer.v4_cfrom_list([1, Index(2), 3.5, True]), (1.0, 2.0, 3.5, 1.0))
    v = Vector4(1, 2, 3, 4)
    c = consumer.v4_cfrom_vector4(v)
    assert c == v and c is not v
    with pytest.raises(IndexError, match="^tuple index out of range$"):
        consumer.v4_cfrom_tuple((1, 2, 3))
    with pytest.raises(IndexError, match="^list index out of range$"):
        consumer.v4_cfrom_list([])
    with pytest.raises(Boom):
        consumer.v4_cfrom_list([1, 2, BadFloat(), 4])
    with pytest.raises(TypeError):
        consumer.v4_cfrom_tuple((1, 2, 3, None))


def test_native_slots():
    a, b = Vector4(1, 2, 3, 4), Vector4(0.5, -1, 2, 8)
    assert consumer.v4_binary("_add", a, b) == a + b
    assert consumer.v4_binary("_sub", a, b) == a - b
    for name, expected in (("_iadd", a + b), ("_isub", a - b), ("_imul", a * b)):
        target = a.copy()
        assert consumer.v4_in_place(name, target, b) is None
        assert target == expected
    for flag in (None, 0, 1):
        target = Vector4()
        consumer.v4_sadd(target, a, b, flag)
        assert target == a + b
    for name in ("get_tuple", "get_round", "get_abs", "get_neg", "get_int_tuple", "get_rounded_tuple", "copy",
                 "get_normalized"):
        for flag in (0, 1):
            result = consumer.v4_unary(name, b, flag)
            expected = getattr(b, name)()
            assert type(result) is type(expected) and result == expected
            assert result is not b
    for name in ("to_round", "to_abs", "to_neg", "to_normalized"):
        target = b.copy()
        assert consumer.v4_unary(name, target) is target
        assert target == getattr(b, "get" + name[2:])()
    assert consumer.v4_c_get_tuple(b) == (0.5, -1.0, 2.0, 8.0)
    for name in ("distance_to", "distance_squared_to", "dot"):
        assert same(consumer.v4_measure(name, a, b), getattr(a, name)(b))


def test_native_table_layout():
    capsule = Vector4.__dict__["__pyx_vtable__"]
    assert type(capsule).__name__ == "PyCapsule"
    v = Vector4(1, 2, 3, 4)
    # The object layout is header, table pointer, four doubles.
    assert Vector4.__basicsize__ == object.__basicsize__ + 8 + 4 * 8
    assert sys.getsizeof(v) >= Vector4.__basicsize__


# --- properties against a reference model in Python floats ---------------------------------

finite = st.floats(allow_nan=False, allow_infinity=False)
anything = st.floats(allow_nan=True, allow_infinity=True)
components = st.tuples(anything, anything, anything, anything)
finite_components = st.tuples(finite, finite, finite, finite)


def ieee_div(a, b):
    if b != 0 or math.isnan(b):
        return a / b
    if a == 0 or math.isnan(a):
        return NAN
    return math.copysign(INF, a) * math.copysign(1.0, b)


def ieee_floor(a):
    return a if a == 0 or not math.isfinite(a) else float(math.floor(a))


def pairwise(terms):
    tx, ty, tz, tw = terms
    return (tx + tz) + (ty + tw)


def model_round(c):
    if not math.isfinite(c):
        return c
    t = c + math.copysign(0.49999999999999994, c)
    return math.copysign(float(math.trunc(t)), t)


@settings(max_examples=200, deadline=None)
@given(components, components, anything)
def test_model_arithmetic(a, b, s):
    u, v = Vector4(*a), Vector4(*b)
    r = ieee_div(1.0, s)
    assert_vector(u + v, [p + q for p, q in zip(a, b)])
    assert_vector(u - v, [p - q for p, q in zip(a, b)])
    assert_vector(u * v, [p * q for p, q in zip(a, b)])
    assert_vector(u / v, [ieee_div(p, q) for p, q in zip(a, b)])
    assert_vector(u // v, [ieee_floor(ieee_div(p, q)) for p, q in zip(a, b)])
    assert_vector(u * s, [p * s for p in a])
    assert_vector(u / s, [p * r for p in a])
    assert_vector(u // s, [ieee_floor(p * r) for p in a])
    assert same(u.dot(v), pairwise([p * q for p, q in zip(a, b)]))
    d2 = pairwise([(p - q) * (p - q) for p, q in zip(a, b)])
    assert same(u.distance_squared_to(v), d2)
    assert same(u.distance_to(v), math.sqrt(d2))
    helpers = consumer.v4_helpers(u, v, s)
    assert_vector(Vector4(*helpers["add"]), (u + v).get_tuple())
    assert_vector(Vector4(*helpers["div_scalar"]), (u / s).get_tuple())
    assert_vector(Vector4(*helpers["floordiv_scalar"]), (u // s).get_tuple())
    assert_vector(Vector4(*helpers["floordiv_vector"]), (u // v).get_tuple())
    assert_vector(Vector4(*helpers["imul"]), (u * v).get_tuple())
    assert same(helpers["dot"], u.dot(v))
    assert same(helpers["distance_to"], u.distance_to(v))


@settings(max_examples=200, deadline=None)
@given(components)
def test_model_unary(a):
    v = Vector4(*a)
    l2 = pairwise([c * c for c in a])
    assert same(v.length, math.sqrt(l2))
    if l2 == 0:
        expected = (0.0, 0.0, 0.0, 0.0)
    else:
        inverse = 1.0 / math.sqrt(l2)
        expected = [c * inverse for c in a]
    assert_vector(v.get_normalized(), expected)
    assert_vector(v.get_round(), [model_round(c) for c in a])
    assert_vector(v.get_abs(), [math.fabs(c) for c in a])
    assert_vector(-v, [-c for c in a])
    helpers = consumer.v4_helpers(v, v, 1.0)
    assert_vector(Vector4(*helpers["normalize"]), expected)
    assert same(helpers["length"], v.length)
    assert hash(v) == hash(tuple(a)) or any(math.isnan(c) for c in a)


@settings(max_examples=200, deadline=None)
@given(finite)
def test_rounding_is_half_away_from_zero(c):
    exact = Fraction(c)
    magnitude = math.floor(abs(exact) + Fraction(1, 2))
    expected = math.copysign(float(magnitude), c)
    assert same(Vector4(c, 0, 0, 0).get_round().x, expected)
    if abs(expected) < 2**31:
        assert Vector4(c, 0, 0, 0).get_rounded_tuple()[0] == int(expected)
        assert Vector4(c, 0, 0, 0).get_int_tuple()[0] == math.trunc(c)
