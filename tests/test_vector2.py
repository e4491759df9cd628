"""Vector2: single-precision storage with scalar arithmetic in double, the
`data` mapping, and the rules its values follow (what the three vector types
share is in test_vectors.py)."""

import math
import operator
import sys

import numpy as np
import pytest

from korvex.vector2.vector2 import Vector2
from support import INF, NAN, Boom, Index, VectorLike, assert_vector, f32, raises_exactly, same


def check(v, x, y):
    assert_vector(v, (x, y))


# ---------------------------------------------------------------------------
# The data mapping
# ---------------------------------------------------------------------------


def test_data_is_a_snapshot():
    v = Vector2(0.1, -2)
    d = v.data
    assert d == {"x": f32(0.1), "y": -2.0}
    assert list(d) == ["x", "y"]
    d["x"] = 99
    check(v, f32(0.1), -2.0)
    assert v.data is not v.data


def test_data_assignment():
    v = Vector2()
    v.data = {"y": 2, "x": 0.1, "z": "ignored"}
    check(v, f32(0.1), 2.0)

    class Mapping:
        def __getitem__(self, key):
            return {"x": 5, "y": 6}[key]

    v.data = Mapping()
    check(v, 5.0, 6.0)


def test_data_keys_are_looked_up_before_anything_is_written():
    log = []

    class Logged(dict):
        def __getitem__(self, key):
            log.append(key)
            return dict.__getitem__(self, key)

    v = Vector2(1, 2)
    v.data = Logged(x=3, y=4)
    assert log == ["x", "y"]
    check(v, 3.0, 4.0)


@pytest.mark.parametrize(
    "value, exc_type, message",
    [
        ({"x": 5}, ValueError, "No value specified for struct attribute 'y'"),
        ({"y": 5}, ValueError, "No value specified for struct attribute 'x'"),
        ({}, ValueError, "No value specified for struct attribute 'x'"),
        (5, TypeError, "Expected a mapping, got int"),
        (1.5, TypeError, "Expected a mapping, got float"),
        (None, TypeError, "Expected a mapping, got NoneType"),
        ((1, 2), TypeError, "tuple indices must be integers or slices, not str"),
        ([1, 2], TypeError, "list indices must be integers or slices, not str"),
        ({"x": 1, "y": "a"}, TypeError, "must be real number, not str"),
        ({"x": "a", "y": 1}, TypeError, "must be real number, not str"),
    ],
)
def test_data_assignment_errors_leave_vector(value, exc_type, message):
    v = Vector2(1, 2)
    raises_exactly(exc_type, message, setattr, v, "data", value)
    check(v, 1.0, 2.0)


def test_data_assignment_names_the_full_type_name():
    class Opaque:
        pass

    v = Vector2(1, 2)
    full_name = f"{Opaque.__module__}.{Opaque.__qualname__}"
    assert "." in full_name and full_name != Opaque.__name__
    raises_exactly(TypeError, f"Expected a mapping, got {full_name}", setattr, v, "data", Opaque())
    raises_exactly(TypeError, "Expected a mapping, got builtin_function_or_method", setattr, v, "data", len)
    check(v, 1.0, 2.0)


def test_data_lookup_errors_other_than_key_error_propagate():
    class Hostile:
        def __getitem__(self, key):
            raise Boom(key)

    v = Vector2(1, 2)
    with raises_exactly(Boom, "x"):
        v.data = Hostile()
    check(v, 1.0, 2.0)


# ---------------------------------------------------------------------------
# Arithmetic
# ---------------------------------------------------------------------------


def mul_rule(c, s):
    return f32(f32(c) * s)  # product of the widened component in double, rounded once


def div_rule(c, s):
    return f32(f32(c) / s)


def floordiv_rule(c, s):
    return f32(np.floor(f32(c) / s))


@pytest.mark.parametrize(
    "x, y, s",
    [
        (0.1, 0.7, 0.1),
        (0.7, -0.1, 0.3),
        (1.0, 2.0, 3),
        (1.0, -2.0, True),
        (3.0, 4.0, 2**60 + 1),
        (1e38, -1e38, 10.0),
        (1.0, -1.0, 1e-300),
    ],
)
def test_scalar_multiplication_in_double(x, y, s):
    check(Vector2(x, y) * s, mul_rule(x, s), mul_rule(y, s))


def test_scalar_multiplication_differs_from_float_products():
    # The chosen operands tell the double product from a float32 product.
    assert mul_rule(0.1, 0.1) != float(np.float32(0.1) * np.float32(0.1))
    check(Vector2(0.1, 0.7) * 0.1, 0.009999999776482582, 0.07000000029802322)
    check(Vector2(0.7, 0.1) * 0.3, 0.20999999344348907, 0.030000001192092896)


@pytest.mark.parametrize(
    "x, y, s",
    [(5.9, 8.02, 9.43), (2.72, -0.68, 1.76), (1.0, 2.0, 3), (-5.52, 1.0, 0.13), (1.0, 2.0, True)],
)
def test_scalar_true_division_in_double(x, y, s):
    check(Vector2(x, y) / s, div_rule(x, s), div_rule(y, s))


def test_scalar_division_is_a_true_double_quotient():
    # Neither a float32 quotient nor a multiplication by a reciprocal.
    assert div_rule(5.9, 9.43) != float(np.float32(5.9) / np.float32(9.43))
    assert div_rule(2.72, 1.76) != f32(f32(2.72) * (1.0 / 1.76))
    check(Vector2(5.9, 2.72) / 9.43, 0.6256628036499023, div_rule(2.72, 9.43))
    check(Vector2(2.72, 0) / 1.76, 1.545454502105713, 0.0)


@pytest.mark.parametrize(
    "x, y, s, expected",
    [
        (7, -7, 2, (3.0, -4.0)),
        (3, -3, 1.0000000001, (2.0, -3.0)),  # in float32 the quotients would be exactly 3 and -3
        (0.5, -0.5, 0.25, (2.0, -2.0)),
        (1, -1, INF, (0.0, -0.0)),  # IEEE floor of -0.0, not Python's float //
    ],
)
def test_scalar_floor_division_in_double(x, y, s, expected):
    check(Vector2(x, y) // s, *expected)
    check(Vector2(x, y) // s, floordiv_rule(x, s), floordiv_rule(y, s))


@pytest.mark.parametrize(
    "op, a, b, expected",
    [
        (operator.add, (1, 2), (3, 4), (4.0, 6.0)),
        (operator.add, (2**24, 0.1), (1, 0.2), (2.0**24, f32(np.float32(0.1) + np.float32(0.2)))),
        (operator.sub, (1, 2), (3, 5), (-2.0, -3.0)),
        (operator.sub, (0.0, -0.0), (0.0, 0.0), (0.0, -0.0)),
        (operator.mul, (1.5, 0.1), (2, 0.1), (3.0, f32(np.float32(0.1) * np.float32(0.1)))),
        (operator.truediv, (1, 2), (3, 0.1), (f32(np.float32(1) / np.float32(3)), f32(2 / f32(0.1)))),
        (operator.floordiv, (7, -7), (2, 2), (3.0, -4.0)),
        (operator.floordiv, (-0.5, 0.5), (1, 1), (-1.0, 0.0)),
        (operator.floordiv, (1e30, -3), (3e10, 0.5), (f32(np.floor(np.float32(1e30) / np.float32(3e10))), -6.0)),
    ],
)
def test_vector_operators_in_single_precision(op, a, b, expected):
    check(op(Vector2(*a), Vector2(*b)), *expected)


@pytest.mark.parametrize(
    "a, b, quotient, floored",
    [
        ((1, 2), 0, (INF, INF), (INF, INF)),
        ((0, -1), 0, (NAN, -INF), (NAN, -INF)),
        ((-1, 1), -0.0, (INF, -INF), (INF, -INF)),
        ((1, 2), (0, 4), (INF, 0.5), (INF, 0.0)),
        ((0, -3), (0, -0.0), (NAN, INF), (NAN, INF)),
    ],
)
def test_division_by_zero_follows_ieee(a, b, quotient, floored):
    divisor = Vector2(*b) if isinstance(b, tuple) else b
    check(Vector2(*a) / divisor, *quotient)
    check(Vector2(*a) // divisor, *floored)


def test_float_subclass_and_numpy_scalars():
    v = Vector2(1, 2)

    class F(float):
        pass

    check(v * F(0.1), mul_rule(1, 0.1), mul_rule(2, 0.1))
    check(v * np.float64(0.1), mul_rule(1, 0.1), mul_rule(2, 0.1))


def test_in_place_operator_statements():
    v = Vector2(1, 1)
    original = v
    v += Vector2(1, 2)
    assert v is original
    check(v, 2.0, 3.0)
    v -= Vector2(0.5, 0.5)
    v *= Vector2(2, 0.1)
    assert v is original
    check(v, 3.0, f32(np.float32(2.5) * np.float32(0.1)))
    v /= 2  # no in-place division: rebinds to the binary result
    assert v is not original
    check(original, 3.0, f32(np.float32(2.5) * np.float32(0.1)))


# ---------------------------------------------------------------------------
# Measures and transformations
# ---------------------------------------------------------------------------


def length_rule(x, y):
    x, y = np.float32(x), np.float32(y)
    with np.errstate(over="ignore"):
        return float(np.sqrt(x * x + y * y))


@pytest.mark.parametrize("x, y", [(3, 4), (0, 0), (1, 1), (1, 2), (-5, 12), (2**-75, 0), (1e20, 1e20)])
def test_length_in_single_precision(x, y):
    v = Vector2(x, y)
    assert same(v.length, length_rule(x, y))


def test_distance_in_double_after_single_differences():
    # The difference is rounded to float first: 2**24 + 1 is not a float.
    assert Vector2(2**24, 0).distance_to(Vector2(-1, 0)) == 16777216.0
    assert Vector2(0.1, 0).distance_squared_to(Vector2(0, 0)) == f32(0.1) ** 2
    assert Vector2(1e20, 0).distance_squared_to(Vector2(0, 0)) == f32(1e20) ** 2  # no float32 overflow
    a, b = Vector2(0.3, -0.7), Vector2(-1.1, 2.9)
    dx = f32(np.float32(0.3) - np.float32(-1.1))
    dy = f32(np.float32(-0.7) - np.float32(2.9))
    assert a.distance_squared_to(b) == dx * dx + dy * dy
    assert a.distance_to(b) == math.sqrt(dx * dx + dy * dy)


def test_dot_in_single_precision():
    assert Vector2(1, 1).dot(other=Vector2(2**24, 1)) == 16777216.0  # 2**24 + 1 rounds in float32
    a, b = np.float32(0.1), np.float32(0.3)
    plain = float(a * b + a * b)
    fused = f32(float(a) * float(b) + float(a * b))
    assert Vector2(0.1, 0.1).dot(Vector2(0.3, 0.3)) in {plain, fused}


def normalize_rule(x, y):
    x, y = np.float32(x), np.float32(y)
    l2 = x * x + y * y
    if l2 == 0:
        return 0.0, 0.0
    inverse = 1.0 / float(np.sqrt(l2))
    return f32(float(x) * inverse), f32(float(y) * inverse)


@pytest.mark.parametrize("x, y", [(3, 4), (1, 1), (0, -5), (0.1, 0.7), (-7, 2**-20), (1e-30, 0)])
def test_normalisation(x, y):
    check(Vector2(x, y).get_normalized(), *normalize_rule(x, y))


@pytest.mark.parametrize(
    "x, expected",
    [
        (2.5, 3.0), (-2.5, -3.0), (0.49999997, 0.0), (0.5, 1.0), (-0.5, -1.0), (1.5, 2.0), (2.4999998, 2.0),
        (8388607.5, 8388608.0), (2**23 + 1, 2**23 + 1), (1e30, f32(1e30)), (0.0, 0.0), (-0.0, -0.0),
        (INF, INF), (-INF, -INF), (NAN, NAN),
    ],
)
def test_rounding_half_away_from_zero(x, expected):
    check(Vector2(x, 0).get_round(), expected, 0.0)
    check(Vector2(0, x).get_round(), 0.0, expected)


# ---------------------------------------------------------------------------
# Sequence protocol
# ---------------------------------------------------------------------------


def test_items_and_membership_are_the_stored_floats():
    v = Vector2(1, 0.1)
    assert list(v) == [1.0, f32(0.1)]
    assert tuple(v) == (1.0, f32(0.1))
    a, b = v
    assert (a, b) == (1.0, f32(0.1))
    assert 1.0 in v and 1 in v and f32(0.1) in v
    assert 0.1 not in v and 2 not in v


# ---------------------------------------------------------------------------
# Hostile inputs and reference counts
# ---------------------------------------------------------------------------


def test_reference_counts_unchanged():
    a, b = Vector2(1, 2), Vector2(3, 4)
    x, y = 12345.678, 98765.4321
    seq_t, seq_l = (x, y), [x, y]
    like = VectorLike(x, y)
    mapping = {"x": x, "y": y}
    bad = "not a number"
    key = Index(7)
    memo = {}
    watched = [a, b, seq_t, seq_l, x, y, like, mapping, bad, key, memo]
    before = [sys.getrefcount(o) for o in watched]

    def swallow(func, *args, **kwargs):
        try:
            func(*args, **kwargs)
        except (TypeError, IndexError, ValueError, OverflowError, NotImplementedError, AttributeError):
            pass

    for _ in range(200):
        Vector2(x, y)
        Vector2(a)
        Vector2(seq_t)
        Vector2(seq_l)
        Vector2(like)
        Vector2.from_tuple(seq_t)
        Vector2.from_list(other=seq_l)
        Vector2.from_vector2(a)
        Vector2.from_xy(x=x, y=y)
        Vector2.from_floats(x, y)
        a + b, a - b, a * b, a * x, a / y, a // x, -a
        a.sadd(b, b)
        a.dot(b), a.distance_to(other=b), a.distance_squared_to(b)
        a.__deepcopy__(memo)
        a.data = mapping
        a[0]
        a == seq_t, a != b
        hash(a)
        a.x = x
        # error paths
        swallow(Vector2, bad, y)
        swallow(Vector2, x, bad)
        swallow(Vector2, x, y, bad)
        swallow(Vector2, bad)
        swallow(Vector2, x=bad)
        swallow(Vector2.from_tuple, seq_l)
        swallow(Vector2.from_list, [bad, y])
        swallow(Vector2.from_ints, bad, y)
        swallow(Vector2.from_xy, x, x=y)
        swallow(a.sadd, b, new_vec=b)
        swallow(a.sadd, b, bad)
        swallow(a.dot, bad)
        swallow(operator.add, a, seq_t)
        swallow(operator.iadd, a, x)
        swallow(operator.mul, a, bad)
        swallow(setattr, a, "data", {"x": x})
        swallow(setattr, a, "data", {"x": x, "y": bad})
        swallow(setattr, a, "x", bad)
        swallow(operator.getitem, a, key)
        swallow(operator.setitem, a, key, x)
        swallow(operator.setitem, a, 0, bad)
        swallow(operator.delitem, a, key)
        swallow(a.__deepcopy__)
        swallow(a.__setstate__, seq_t)
    assert [sys.getrefcount(o) for o in watched] == before


