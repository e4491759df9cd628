"""Vector4: double storage, scalar division by the reciprocal, pairwise
four-term sums (what the three vector types share is in test_vectors.py)."""

import math

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import korvex_consumer as consumer
from korvex.vector4.vector4 import Vector4
from support import INF, NAN, assert_vector, raises_exactly, same


def test_components_are_stored_unrounded():
    assert Vector4(0.1, 0, 0, 0).x == 0.1
    assert Vector4.from_xyzw(0.1, 0, 0, 0).x == 0.1
    assert Vector4.from_floats(0.1, 0, 0, 0).x == 0.10000000149011612


def test_scalar_types():
    class MyFloat(float):
        pass

    assert_vector(Vector4(1, 2, 3, 4) * MyFloat(0.5), (0.5, 1.0, 1.5, 2.0))
    assert_vector(Vector4(1, 2, 3, 4) * 2**1000, tuple(float(2**1000) * c for c in (1, 2, 3, 4)))


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


def test_rounded_tuple_out_of_range_after_rounding():
    assert Vector4(2147483647.5, 0, 0, 0).get_int_tuple() == (2147483647, 0, 0, 0)
    with raises_exactly(OverflowError, "value too large to convert to int"):
        Vector4(2147483647.5, 0, 0, 0).get_rounded_tuple()


# --- properties against a reference model in Python floats ---------------------------------

anything = st.floats(allow_nan=True, allow_infinity=True)
components = st.tuples(anything, anything, anything, anything)


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
