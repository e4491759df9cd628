"""Vector3: float storage with scalar arithmetic in double, sums in order, and
the cross product (what the three vector types share is in test_vectors.py)."""

import math

import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import korvex_consumer as consumer
from korvex.vector3.vector3 import Vector3
from support import INF, NAN, assert_vector, raises_exactly, same

TYPE_NAME = "korvex.vector3.vector3.Vector3"
F = np.float32


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


# --- cross product ----------------------------------------------------------------------------


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
        with raises_exactly(TypeError, f"Argument 'other' has incorrect type (expected {TYPE_NAME}, got {name})"):
            v.cross(other)
    with raises_exactly(TypeError, "cross() takes exactly 1 positional argument (0 given)"):
        v.cross()
    with raises_exactly(TypeError, "cross() takes exactly 1 positional argument (2 given)"):
        v.cross(v, v)


# --- measures ---------------------------------------------------------------------------------


def test_measures_in_their_precision():
    a, b = Vector3(0.1, 0.2, 0.3), Vector3(1, 1, 1)
    f = [F(0.1), F(0.2), F(0.3)]
    # dot and length are single precision throughout.
    assert a.dot(b) == float((f[0] * F(1) + f[1] * F(1)) + f[2] * F(1))
    assert a.dot(b) != 0.1 + 0.2 + 0.3
    assert Vector3(1, 1, 1).length == float(np.sqrt(F(3)))
    # Differences in float, squares and sum in double.
    d = [float(c - F(1)) for c in f]
    assert a.distance_squared_to(b) == (d[0] * d[0] + d[1] * d[1]) + d[2] * d[2]
    assert a.distance_to(b) == math.sqrt((d[0] * d[0] + d[1] * d[1]) + d[2] * d[2])


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
