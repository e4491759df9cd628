"""Vector3: float storage, true scalar division in double, cross product, 27 swizzles."""

import copy
import gc
import math
import pickle
import struct
import sys
import weakref
from fractions import Fraction

import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import korvex_consumer as consumer
from korvex.vector3.vector3 import Vector3

TYPE_NAME = "korvex.vector3.vector3.Vector3"
INF = math.inf
NAN = math.nan
F = np.float32
INDEX_ERROR = "Vector index out of range"
PICKLE_REFUSAL = (
    "Pickling of struct members such as self.data must be explicitly requested "
    "with the build option KORVEX_PICKLE_STRUCTS"
)
CLASS_ORDER = (
    "xxx xxy xxz xyx xyy xyz xzy xzx xzz yxx yxy yxz yyx yyy yyz yzx yzy yzz "
    "zxx zxy zxz zyx zyy zyz zzx zzy zzz"
).split()


def bits(value):
    return struct.pack("<d", value)


def same(a, b):
    """Equal bit for bit (so -0.0 is not 0.0); any NaN matches any NaN."""
    a, b = float(a), float(b)
    return (math.isnan(a) and math.isnan(b)) or bits(a) == bits(b)


def assert_vector(v, expected):
    assert type(v) is Vector3
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
    def __init__(self, x, y, z):
        self.x, self.y, self.z = x, y, z

    def clamp_magnitude_ip(self):
        pass


class ListSub(list):
    pass


class TupleSub(tuple):
    pass


# --- construction and the number rule --------------------------------------------


@pytest.mark.parametrize(
    "args, expected",
    [
        ((), (0.0, 0.0, 0.0)),
        ((1, 2, 3), (1.0, 2.0, 3.0)),
        ((0.1, True, Index(7)), (0.10000000149011612, 1.0, 7.0)),
        (((1, 2, 3),), (1.0, 2.0, 3.0)),
        (([1, 2, 3],), (1.0, 2.0, 3.0)),
        ((ListSub([4, 5, 6]),), (4.0, 5.0, 6.0)),
        ((TupleSub((4, 5, 6)),), (4.0, 5.0, 6.0)),
        ((VectorLike(0.1, 2, 3),), (0.10000000149011612, 2.0, 3.0)),
        ((Vector3(7, 8, 9),), (7.0, 8.0, 9.0)),
        # Rounded to the nearest float: beyond the float range is infinite,
        # below the smallest subnormal is zero (with its sign).
        ((1e39, -1e39, -1e-50), (INF, -INF, -0.0)),
        ((3.4028235e38, 2**24 + 1, 1e-45), (3.4028234663852886e38, 16777216.0, 1.401298464324817e-45)),
    ],
)
def test_constructor_forms(args, expected):
    assert_vector(Vector3(*args), expected)


@pytest.mark.parametrize(
    "args, message",
    [
        (([1, 2],), "Vector3() takes a sequence of length 3, but got 2"),
        (((),), "Vector3() takes a sequence of length 3, but got 0"),
        (((1, 2, 3, 4),), "Vector3() takes a sequence of length 3, but got 4"),
        ((1, 2), "Vector3() takes 0, 1, or 3 arguments, but 2 were given"),
        ((1, 2, 3, 4), "Vector3() takes 0, 1, or 3 arguments, but 4 were given"),
        (("abc",), "Vector3() invalid constructor argument: str"),
        ((5,), "Vector3() invalid constructor argument: int"),
        ((None,), "Vector3() invalid constructor argument: NoneType"),
        ((type("Plain", (), {"x": 1, "y": 2, "z": 3})(),), "Vector3() invalid constructor argument: Plain"),
    ],
)
def test_constructor_errors(args, message):
    with pytest.raises(TypeError) as info:
        Vector3(*args)
    assert str(info.value) == message


def test_constructor_rejects_keywords():
    with pytest.raises(TypeError) as info:
        Vector3(1, 2, 3, z=1)
    assert str(info.value) == "__init__() got an unexpected keyword argument 'z'"
    with pytest.raises(TypeError) as info:
        Vector3().__init__(x=1)
    assert str(info.value) == "__init__() got an unexpected keyword argument 'x'"


@pytest.mark.parametrize(
    "bad, error", [("a", TypeError), (None, TypeError), (BadFloat(), Boom), (10**400, OverflowError)]
)
def test_conversion_errors_propagate(bad, error):
    with pytest.raises(error):
        Vector3(1, bad, 3)
    with pytest.raises(error):
        Vector3((1, 2, bad))
    with pytest.raises(error):
        Vector3(VectorLike(bad, 2, 3))
    with pytest.raises(error):
        Vector3.from_xyz(1, 2, bad)
    with pytest.raises(error):
        Vector3.from_tuple((bad, 2, 3))
    v = Vector3(1, 2, 3)
    with pytest.raises(error):
        v.y = bad
    with pytest.raises(error):
        v[9] = bad  # the value is converted before the key is checked
    assert_vector(v, (1.0, 2.0, 3.0))


def test_reinit_keeps_components_stored_before_a_failure():
    v = Vector3(9, 9, 9)
    with pytest.raises(TypeError):
        v.__init__(1, "a", 3)
    assert_vector(v, (1.0, 9.0, 9.0))

    class Hostile:
        def __getattr__(self, name):
            raise Boom(name)

    with pytest.raises(Boom, match="clamp_magnitude_ip"):
        Vector3(Hostile())


def test_type_properties():
    assert_vector(Vector3.__new__(Vector3, 1, 2, 3), (0.0, 0.0, 0.0))
    with pytest.raises(TypeError):
        type("Sub", (Vector3,), {})
    v = Vector3()
    with pytest.raises(AttributeError):
        v.__dict__
    with pytest.raises(TypeError):
        weakref.ref(v)
    assert not gc.is_tracked(v)
    assert not hasattr(v, "data")
    assert Vector3.__basicsize__ == object.__basicsize__ + 8 + 3 * 4 + 4  # header, table, three floats, padding


# --- factories --------------------------------------------------------------------


def test_factories():
    v = Vector3(1, 2, 3)
    c = v.from_vector3(other=v)
    assert c == v and c is not v
    assert_vector(Vector3.from_tuple((1, 2, 3, "ignored")), (1.0, 2.0, 3.0))
    assert_vector(Vector3.from_list(other=[0.1, 2, 3, 4]), (0.10000000149011612, 2.0, 3.0))
    assert_vector(Vector3.from_ints(3.9, -2.7, 2**31 - 1), (3.0, -2.0, 2147483648.0))
    assert_vector(Vector3.from_floats(0.1, 1e39, 2), (0.10000000149011612, INF, 2.0))
    assert_vector(Vector3.from_xyz(z=3, y=2, x=0.1), (0.10000000149011612, 2.0, 3.0))


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda: Vector3.from_vector3(None), TypeError, type_error("other", "NoneType")),
        (lambda: Vector3.from_vector3([1, 2, 3]), TypeError, type_error("other", "list")),
        (lambda: Vector3.from_tuple([1, 2, 3]), TypeError, "Argument 'other' has incorrect type (expected tuple, got list)"),
        (lambda: Vector3.from_list((1, 2, 3)), TypeError, "Argument 'other' has incorrect type (expected list, got tuple)"),
        (lambda: Vector3.from_list(ListSub([1, 2, 3])), TypeError, "Argument 'other' has incorrect type (expected list, got ListSub)"),
        (lambda: Vector3.from_tuple(None), TypeError, "Argument 'other' has incorrect type (expected tuple, got NoneType)"),
        (lambda: Vector3.from_tuple((1, 2)), IndexError, "tuple index out of range"),
        (lambda: Vector3.from_list([1]), IndexError, "list index out of range"),
        (lambda: Vector3.from_ints(0, 2**31, 0), OverflowError, "value too large to convert to int"),
        (lambda: Vector3.from_ints(0, 0, None), TypeError, "an integer is required"),
        (lambda: Vector3.from_ints(0, 0, INF), OverflowError, "cannot convert float infinity to integer"),
        (lambda: Vector3.from_xyz(1, 2), TypeError, "from_xyz() takes exactly 3 positional arguments (2 given)"),
        (lambda: Vector3.from_floats(1, 2, 3, 4), TypeError, "from_floats() takes exactly 3 positional arguments (4 given)"),
        (lambda: Vector3.from_xyz(1, 2, 3, w=4), TypeError, "from_xyz() got an unexpected keyword argument 'w'"),
        (lambda: Vector3.from_xyz(1, 2, y=3), TypeError, "from_xyz() got multiple values for keyword argument 'y'"),
    ],
)
def test_factory_errors(call, error, message):
    with pytest.raises(error) as info:
        call()
    assert str(info.value) == message


# --- properties -------------------------------------------------------------------


def test_component_properties():
    v = Vector3(1, 2, 3)
    assert (v.x, v.y, v.z) == (1.0, 2.0, 3.0)
    v.x, v.y, v.z = 0.1, 2**24 + 1, Index(-4)
    assert_vector(v, (0.10000000149011612, 16777216.0, -4.0))
    for name in "xyz":
        with pytest.raises(NotImplementedError, match=r"^__del__$"):
            delattr(v, name)
    with pytest.raises(AttributeError):
        v.length = 2.0
    assert Vector3(3, 4, 0).length == 5.0
    assert Vector3().length == 0.0
    # The root is taken in single precision.
    assert Vector3(1, 1, 1).length == float(np.sqrt(F(3))) == 1.7320507764816284


# --- operators --------------------------------------------------------------------


@pytest.mark.parametrize(
    "compute, expected",
    [
        (lambda: Vector3(1, 2, 3) + Vector3(0.1, 0.2, 0.3), (float(F(1) + F(0.1)), float(F(2) + F(0.2)), float(F(3) + F(0.3)))),
        (lambda: Vector3(1, 2, 3) - Vector3(3, 2, 1), (-2.0, 0.0, 2.0)),
        (lambda: Vector3(1, 2, 3) * 2, (2.0, 4.0, 6.0)),
        (lambda: Vector3(1, 2, 3) * False, (0.0, 0.0, 0.0)),
        (lambda: Vector3(-1, 2, 3) * 0.0, (-0.0, 0.0, 0.0)),
        (lambda: Vector3(0.1, 2, 3) * Vector3(3, 0.5, -1), (float(F(0.1) * F(3)), 1.0, -3.0)),
        (lambda: Vector3(5, 0, 0) / 3, (1.6666666269302368, 0.0, 0.0)),
        (lambda: Vector3(5, 1, 0) / Vector3(3, 3, 1), (1.6666666269302368, 0.3333333432674408, 0.0)),
        (lambda: Vector3(1, 0, -1) / 0, (INF, NAN, -INF)),
        (lambda: Vector3(1, 0, -1) // 0, (INF, NAN, -INF)),
        (lambda: Vector3(1, 0, -1) / Vector3(-0.0, 0, 0), (-INF, NAN, -INF)),
        (lambda: Vector3(7, -7, 0) // 2, (3.0, -4.0, 0.0)),
        (lambda: Vector3(7, -7, 0.5) // Vector3(2, 2, -1), (3.0, -4.0, -1.0)),
        # A true division, not a product with the reciprocal (which gives
        # 0.9999999999999999 and floors to 0).
        (lambda: Vector3(49, 0, 0) // 49, (1.0, 0.0, 0.0)),
        # The vector quotient is rounded to float before the floor; the scalar
        # quotient is floored in double.
        (lambda: Vector3(25165826, 0, 0) // Vector3(3, 1, 1), (8388609.0, 0.0, 0.0)),
        (lambda: Vector3(25165826, 0, 0) // 3, (8388608.0, 0.0, 0.0)),
        (lambda: Vector3(3e38, 1, 1) * 10, (INF, 10.0, 10.0)),
        (lambda: -Vector3(0, 1, -INF), (-0.0, -1.0, INF)),
    ],
)
def test_arithmetic(compute, expected):
    assert_vector(compute(), expected)


@pytest.mark.parametrize("other, name", [((1, 1, 1), "tuple"), (None, "NoneType"), (2.0, "float")])
@pytest.mark.parametrize("op", ["+", "-", "+=", "-=", "*="])
def test_vector_only_operands(op, other, name):
    v = Vector3(1, 2, 3)
    with pytest.raises(TypeError) as info:
        exec(f"v {op} other", {"v": v, "other": other})
    assert str(info.value) == type_error("other", name)
    assert_vector(v, (1.0, 2.0, 3.0))


@pytest.mark.parametrize(
    "call",
    [
        lambda v: 3 * v,
        lambda v: (1, 2, 3) + v,
        lambda v: v * "3",
        lambda v: v * Index(3),
        lambda v: v / None,
        lambda v: v // [1],
        lambda v: v % 2,
        lambda v: v**2,
        lambda v: +v,
        lambda v: abs(v),
        lambda v: v <= v,
        lambda v: v > Vector3(),
    ],
)
def test_undefined_operations(call):
    with pytest.raises(TypeError):
        call(Vector3(1, 2, 3))


def test_scalar_errors():
    with pytest.raises(OverflowError):
        Vector3(1, 2, 3) * 10**400

    class Odd(int):
        def __float__(self):
            raise Boom("odd")

    with pytest.raises(Boom):
        Vector3(1, 2, 3) / Odd(1)


def test_in_place_operators():
    v = Vector3(1, 1, 1)
    original = v
    v += Vector3(0.1, 2, 3)
    v -= Vector3(1, 1, 1)
    v *= Vector3(2, 2, 2)
    assert v is original
    assert_vector(v, (float((F(1) + F(0.1) - F(1)) * F(2)), 4.0, 6.0))
    v //= 3
    assert v is not original


def test_equality_and_hash():
    v = Vector3(1, 2, 3)
    assert v == Vector3(1, 2, 3) and (v != Vector3(1, 2, 3)) is False
    assert (v == (1, 2, 3)) is False and (v != (1, 2, 3)) is True
    assert v.__eq__([1, 2, 3]) is False
    assert v.__gt__(v) is NotImplemented
    # Equality is on the stored floats.
    assert Vector3(0.1, 0, 0) == Vector3(0.10000000149011612, 0, 0)
    assert Vector3(0.1, 0, 0) == Vector3(math.nextafter(0.1, 1), 0, 0)
    assert Vector3(0, 0, 0) == Vector3(-0.0, -0.0, -0.0)
    assert hash(v) == hash((1.0, 2.0, 3.0)) == hash(v.get_tuple())
    assert hash(Vector3(0.1, -0.0, INF)) == hash((0.10000000149011612, -0.0, INF))
    seen = {v}
    v[2] = 4
    assert v not in seen


# --- methods ----------------------------------------------------------------------


@pytest.mark.parametrize(
    "a, b, expected",
    [
        ((1, 0, 0), (0, 1, 0), (0.0, 0.0, 1.0)),
        ((0, 1, 0), (1, 0, 0), (0.0, 0.0, -1.0)),
        ((1, 2, 3), (1, 2, 3), (0.0, 0.0, 0.0)),
        ((1, 2, 3), (4, 5, 6), (-3.0, 6.0, -3.0)),
        ((0.1, 0.2, 0.3), (0.4, 0.5, 0.6), None),
        ((INF, 0, 0), (0, 1, 0), (0.0, NAN, INF)),
    ],
)
def test_cross(a, b, expected):
    if expected is None:
        (ax, ay, az), (bx, by, bz) = [[F(c) for c in t] for t in (a, b)]
        expected = (ay * bz - az * by, az * bx - ax * bz, ax * by - ay * bx)
    u, v = Vector3(*a), Vector3(*b)
    assert_vector(u.cross(v), expected)
    assert_vector(u.cross(other=v), expected)
    assert_vector(Vector3(*consumer.v3_helpers(u, v, 1.0)["cross"]), expected)
    assert_vector(consumer.v3_cross(u, v), expected)
    assert_vector(u, tuple(float(F(c)) for c in a))


def test_cross_arguments():
    v = Vector3(1, 2, 3)
    for other, name in (((0, 1, 0), "tuple"), (None, "NoneType"), (Vector3, "type")):
        with pytest.raises(TypeError) as info:
            v.cross(other)
        assert str(info.value) == type_error("other", name)
    with pytest.raises(TypeError) as info:
        v.cross()
    assert str(info.value) == "cross() takes exactly 1 positional argument (0 given)"
    with pytest.raises(TypeError) as info:
        v.cross(v, v)
    assert str(info.value) == "cross() takes exactly 1 positional argument (2 given)"


def test_measures():
    a, b = Vector3(0.1, 0.2, 0.3), Vector3(1, 1, 1)
    f = [F(0.1), F(0.2), F(0.3)]
    # dot and length are single precision throughout.
    assert a.dot(b) == float((f[0] * F(1) + f[1] * F(1)) + f[2] * F(1))
    assert a.dot(b) != 0.1 + 0.2 + 0.3
    assert Vector3(1, 2, 3).dot(other=Vector3(4, 5, 6)) == 32.0
    # Differences in float, squares and sum in double.
    d = [float(c - F(1)) for c in f]
    assert a.distance_squared_to(b) == (d[0] * d[0] + d[1] * d[1]) + d[2] * d[2]
    assert a.distance_to(b) == math.sqrt((d[0] * d[0] + d[1] * d[1]) + d[2] * d[2])
    assert Vector3(1, 1, 1).distance_to(Vector3(4, 5, 1)) == 5.0
    for name in ("distance_to", "distance_squared_to", "dot"):
        with pytest.raises(TypeError) as info:
            getattr(a, name)(None)
        assert str(info.value) == type_error("other", "NoneType")


@pytest.mark.parametrize(
    "values, expected",
    [
        ((3, 4, 0), (0.6000000238418579, 0.800000011920929, 0.0)),
        ((0, 0, 0), (0.0, 0.0, 0.0)),
        ((-0.0, 0, -0.0), (0.0, 0.0, 0.0)),
        ((0, 0, -5), (0.0, 0.0, -1.0)),
        ((1e-23, 0, 0), (0.0, 0.0, 0.0)),  # the float square underflows to zero
        ((3e38, 0, 0), (0.0, 0.0, 0.0)),  # the float square overflows: scaled by 1 / inf
    ],
)
def test_normalize(values, expected):
    v = Vector3(*values)
    assert_vector(v.get_normalized(), expected)
    assert v.to_normalized() is v
    assert_vector(v, expected)


@pytest.mark.parametrize(
    "values, rounded, ints",
    [
        ((2.5, -2.5, 0.5), (3.0, -3.0, 1.0), (3, -3, 1)),
        ((0.49999997, -0.49999997, -0.4), (0.0, -0.0, -0.0), (0, 0, 0)),
        ((1.5, 8388609.0, -8388609.0), (2.0, 8388609.0, -8388609.0), (2, 8388609, -8388609)),
        ((2147483520.0, -2147483648.0, 2.4999998), (2147483520.0, -2147483648.0, 2.0), (2147483520, -2147483648, 2)),
    ],
)
def test_round(values, rounded, ints):
    v = Vector3(*values)
    assert_vector(v.get_round(), rounded)
    assert v.get_rounded_tuple() == ints
    assert v.to_round() is v
    assert_vector(v, rounded)


def test_abs_neg_tuples_and_copies():
    v = Vector3(-0.0, -1, INF)
    assert_vector(v.get_abs(), (0.0, 1.0, INF))
    assert_vector(v.get_neg(), (0.0, 1.0, -INF))
    assert v.to_abs() is v and v.to_neg() is v
    assert_vector(v, (-0.0, -1.0, -INF))
    t = Vector3(0.1, 2, 3).get_tuple()
    assert type(t) is tuple and t == (0.10000000149011612, 2.0, 3.0)
    assert Vector3(2.7, -2.7, -0.9).get_int_tuple() == (2, -2, 0)
    w = Vector3(0.1, -0.0, 3)
    for c in (w.copy(), w.__copy__(), w.__deepcopy__({}), copy.copy(w), copy.deepcopy(w)):
        assert c is not w
        assert_vector(c, (0.10000000149011612, -0.0, 3.0))
    with pytest.raises(TypeError) as info:
        w.__deepcopy__()
    assert str(info.value) == "__deepcopy__() takes exactly 1 positional argument (0 given)"
    with pytest.raises(TypeError) as info:
        w.get_round(1)
    assert str(info.value) == "get_round() takes exactly 0 positional arguments (1 given)"
    with pytest.raises(TypeError) as info:
        w.copy(deep=True)
    assert str(info.value) == "copy() got an unexpected keyword argument 'deep'"


@pytest.mark.parametrize(
    "value, error, message",
    [
        (NAN, ValueError, "cannot convert float NaN to integer"),
        (INF, OverflowError, "value too large to convert to int"),
        (2147483648.0, OverflowError, "value too large to convert to int"),
        (-2147483904.0, OverflowError, "value too large to convert to int"),
    ],
)
def test_int_tuples_out_of_range(value, error, message):
    v = Vector3(0, value, 0)
    for method in (v.get_int_tuple, v.get_rounded_tuple):
        with pytest.raises(error) as info:
            method()
        assert str(info.value) == message


def test_sadd():
    v = Vector3()
    assert v.sadd(Vector3(1, 2, 3), Vector3(0.1, 0, 0)) is None
    assert_vector(v, (float(F(1) + F(0.1)), 2.0, 3.0))
    v.sadd(new_vec=v, old_vec=v)
    assert_vector(v, (float((F(1) + F(0.1)) * 2), 4.0, 6.0))
    with pytest.raises(TypeError) as info:
        v.sadd(None, v)
    assert str(info.value) == type_error("new_vec", "NoneType")


def test_pickling_is_refused():
    v = Vector3(1, 2, 3)
    for protocol in range(pickle.HIGHEST_PROTOCOL + 1):
        with pytest.raises(TypeError) as info:
            pickle.dumps(v, protocol)
        assert str(info.value) == PICKLE_REFUSAL
    with pytest.raises(TypeError) as info:
        v.__setstate__(None)
    assert str(info.value) == PICKLE_REFUSAL


# --- text form and sequence protocol ------------------------------------------------------


@pytest.mark.parametrize(
    "values, text",
    [
        ((0.1, 2, 3), "Vector3(0.10000000149011612, 2.0, 3.0)"),
        ((1, 2, 3), "Vector3(1.0, 2.0, 3.0)"),
        ((INF, -INF, NAN), "Vector3(inf, -inf, nan)"),
        ((-0.0, 1e-45, 3e38), "Vector3(-0.0, 1.401298464324817e-45, 3.0000000054977558e+38)"),
    ],
)
def test_repr(values, text):
    assert repr(Vector3(*values)) == text == str(Vector3(*values))


def test_sequence_protocol():
    v = Vector3(1, 2, 3)
    assert len(v) == 3
    assert (v[0], v[1], v[2], v[True], v[Index(2)]) == (1.0, 2.0, 3.0, 2.0, 3.0)
    assert list(v) == [1.0, 2.0, 3.0] and tuple(v) == (1.0, 2.0, 3.0)
    assert 2 in v and 4 not in v
    v[1] = 0.1
    assert v[1] == 0.10000000149011612
    with pytest.raises(NotImplementedError) as info:
        del v[0]
    assert str(info.value) == f"Subscript deletion not supported by {TYPE_NAME}"


@pytest.mark.parametrize("key", [3, -1, -3, 2**31, -(2**63), 2**63, 10**30, Index(-(10**30))])
def test_index_out_of_range(key):
    v = Vector3(1, 2, 3)
    with pytest.raises(IndexError) as info:
        v[key]
    assert str(info.value) == INDEX_ERROR
    with pytest.raises(IndexError) as info:
        v[key] = 0
    assert str(info.value) == INDEX_ERROR
    assert_vector(v, (1.0, 2.0, 3.0))


@pytest.mark.parametrize("key, error", [(1.0, TypeError), (slice(None), TypeError), ("x", TypeError), (BadIndex(), Boom)])
def test_bad_keys(key, error):
    v = Vector3(1, 2, 3)
    with pytest.raises(error):
        v[key]
    with pytest.raises(error):
        v[key] = 1


# --- swizzles ---------------------------------------------------------------------------------


def test_swizzle_order():
    names = list(vars(Vector3))
    swizzles = [n for n in names if len(n) == 3 and set(n) <= set("xyz")]
    assert swizzles == CLASS_ORDER
    start = names.index("xxx")
    assert names[start - 3 : start] == ["x", "y", "z"]
    assert names[start + 27] == "length"
    assert len(set(CLASS_ORDER)) == 27
    for name in ("xy", "yx", "xyzx", "xxxx", "xyw", "data"):
        assert not hasattr(Vector3(), name)


def test_swizzle_values():
    values = (0.10000000149011612, -0.0, -INF)
    v = Vector3(*values)
    for word in CLASS_ORDER:
        result = getattr(v, word)
        assert result is not v
        assert_vector(result, tuple(values["xyz".index(letter)] for letter in word))
    assert_vector(Vector3(1, 2, 3).zyx, (3.0, 2.0, 1.0))
    assert_vector(Vector3(1, 2, 3).xxz, (1.0, 1.0, 3.0))
    copied = v.xyz
    assert copied == v and copied is not v
    with pytest.raises(AttributeError):
        v.zyx = Vector3()
    with pytest.raises(AttributeError):
        del v.xzy


# --- pool and reference counts -------------------------------------------------------------


def test_pool_is_bounded_and_reused_most_recent_first():
    held = [Vector3(i, 1, 2) for i in range(1500)]
    ids = [id(v) for v in held]
    del held
    again = [Vector3.__new__(Vector3) for _ in range(1000)]
    assert [id(v) for v in again] == ids[500:]
    assert all(v == Vector3() for v in again)


def test_reference_counts():
    v, w = Vector3(1, 2, 3), Vector3(1, 1, 1)
    item = float("2.5")
    items = [item, item, item]
    before = sys.getrefcount(v), sys.getrefcount(w), sys.getrefcount(item)
    for _ in range(50):
        v += w
        v.to_neg()
        v.cross(w)
        v.sadd(v, w)
        Vector3.from_list(items)
        consumer.v3_cfrom_list(items)
        consumer.v3_unary("to_round", v)
    assert (sys.getrefcount(v), sys.getrefcount(w), sys.getrefcount(item)) == before


# --- native table and inline helpers -----------------------------------------------------------


def test_native_constructors():
    assert_vector(consumer.v3_new(0.1, 1e39, -1e-50), (0.10000000149011612, INF, -0.0))
    assert_vector(consumer.v3_cfrom_xyz(1, 2, 3), (1.0, 2.0, 3.0))
    assert_vector(consumer.v3_cfrom_ints(2**31 - 1, -(2**31), 5), (2147483648.0, -2147483648.0, 5.0))
    assert_vector(consumer.v3_cfrom_floats(0.1, 2, 3), (0.10000000149011612, 2.0, 3.0))
    assert_vector(consumer.v3_cfrom_tuple((1, 2, 3, 4)), (1.0, 2.0, 3.0))
    assert_vector(consumer.v3_cfrom_list([True, Index(2), 0.1]), (1.0, 2.0, 0.10000000149011612))
    v = Vector3(1, 2, 3)
    c = consumer.v3_cfrom_vector3(v)
    assert c == v and c is not v
    with pytest.raises(IndexError, match="^tuple index out of range$"):
        consumer.v3_cfrom_tuple((1, 2))
    with pytest.raises(Boom):
        consumer.v3_cfrom_list([1, BadFloat(), 3])


def test_native_slots():
    a, b = Vector3(1, 2, 3), Vector3(0.1, -4, 0.5)
    assert consumer.v3_binary("_add", a, b) == a + b
    assert consumer.v3_binary("_sub", a, b) == a - b
    for name, expected in (("_iadd", a + b), ("_isub", a - b), ("_imul", a * b)):
        target = a.copy()
        assert consumer.v3_in_place(name, target, b) is None
        assert target == expected
    for flag in (None, 0, 1):
        target = Vector3()
        consumer.v3_sadd(target, a, b, flag)
        assert target == a + b
    for name in ("get_tuple", "get_round", "get_abs", "get_neg", "get_int_tuple", "get_rounded_tuple", "copy",
                 "get_normalized"):
        result = consumer.v3_unary(name, b)
        expected = getattr(b, name)()
        assert type(result) is type(expected) and result == expected and result is not b
    for name in ("to_round", "to_abs", "to_neg", "to_normalized"):
        target = b.copy()
        assert consumer.v3_unary(name, target, 1) is target
        assert target == getattr(b, "get" + name[2:])()
    assert consumer.v3_c_get_tuple(b) == b.get_tuple()
    for name in ("distance_to", "distance_squared_to", "dot"):
        assert same(consumer.v3_measure(name, a, b), getattr(a, name)(b))
    assert consumer.v3_cross(a, b, 0) == a.cross(b)


# --- properties against a float32 reference model ------------------------------------------------

values = st.floats(width=32)
scalars = st.floats()
triples = st.tuples(values, values, values)


def model_round(c):
    return np.trunc(c + np.copysign(F(0.49999997), c))


@settings(max_examples=200, deadline=None)
@given(triples, triples, scalars)
def test_model_arithmetic(a, b, s):
    u, v = Vector3(*a), Vector3(*b)
    fa, fb = [F(c) for c in a], [F(c) for c in b]
    with np.errstate(all="ignore"):
        assert_vector(u + v, [p + q for p, q in zip(fa, fb)])
        assert_vector(u - v, [p - q for p, q in zip(fa, fb)])
        assert_vector(u * v, [p * q for p, q in zip(fa, fb)])
        assert_vector(u / v, [p / q for p, q in zip(fa, fb)])
        assert_vector(u // v, [np.floor(p / q) for p, q in zip(fa, fb)])
        assert_vector(u * s, [F(np.float64(p) * s) for p in fa])
        assert_vector(u / s, [F(np.float64(p) / s) for p in fa])
        assert_vector(u // s, [F(np.floor(np.float64(p) / s)) for p in fa])
        (ax, ay, az), (bx, by, bz) = fa, fb
        assert_vector(u.cross(v), [ay * bz - az * by, az * bx - ax * bz, ax * by - ay * bx])
        assert same(u.dot(v), (ax * bx + ay * by) + az * bz)
        d = [np.float64(p - q) for p, q in zip(fa, fb)]
        d2 = (d[0] * d[0] + d[1] * d[1]) + d[2] * d[2]
        assert same(u.distance_squared_to(v), d2)
        assert same(u.distance_to(v), np.sqrt(d2))
    helpers = consumer.v3_helpers(u, v, s)
    for key, expected in (("add", u + v), ("sub", u - v), ("mul_scalar", u * s), ("div_scalar", u / s),
                          ("floordiv_scalar", u // s), ("mul_vector", u * v), ("div_vector", u / v),
                          ("floordiv_vector", u // v), ("iadd", u + v), ("isub", u - v), ("imul", u * v),
                          ("cross", u.cross(v)), ("new", u)):
        assert_vector(Vector3(*helpers[key]), expected.get_tuple())
    for key in ("distance_to", "distance_squared_to", "dot"):
        assert same(helpers[key], getattr(u, key)(v))


@settings(max_examples=200, deadline=None)
@given(triples)
def test_model_unary(a):
    v = Vector3(*a)
    fa = [F(c) for c in a]
    with np.errstate(all="ignore"):
        l2 = (fa[0] * fa[0] + fa[1] * fa[1]) + fa[2] * fa[2]
        assert same(v.length, np.sqrt(l2))
        if l2 == 0:
            expected = [0.0, 0.0, 0.0]
        else:
            inverse = 1.0 / np.float64(np.sqrt(l2))
            expected = [F(np.float64(c) * inverse) for c in fa]
        assert_vector(v.get_normalized(), expected)
        assert_vector(v.get_round(), [model_round(c) for c in fa])
    assert_vector(v.get_abs(), [abs(c) for c in fa])
    assert_vector(-v, [-c for c in fa])
    helpers = consumer.v3_helpers(v, v, 1.0)
    assert_vector(Vector3(*helpers["normalize"]), expected)
    assert same(helpers["length"], v.length)


@settings(max_examples=200, deadline=None)
@given(st.floats(width=32, allow_nan=False, allow_infinity=False))
def test_rounding_is_half_away_from_zero(c):
    magnitude = math.floor(abs(Fraction(c)) + Fraction(1, 2))
    expected = math.copysign(float(magnitude), c)
    assert same(Vector3(c, 0, 0).get_round().x, expected)
    if abs(expected) < 2**31:
        assert Vector3(c, 0, 0).get_rounded_tuple()[0] == int(expected)
        assert Vector3(c, 0, 0).get_int_tuple()[0] == math.trunc(c)
