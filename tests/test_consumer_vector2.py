"""Vector2 used from another extension module: the native table bound at import
and the inline struct helpers agree exactly with the Python-level API."""

import sys

import pytest

import korvex_consumer as c
from korvex.vector2.vector2 import Vector2
from support import INF, NAN, assert_vector, raises_exactly, same


def same_tuple(a, b):
    return len(a) == len(b) and all(same(p, q) for p, q in zip(a, b))


PAIRS = [
    ((1, 2), (3, 4)),
    ((0.1, -0.7), (0.3, 2.9)),
    ((-0.0, 5.9), (0.0, -9.43)),
    ((2**24, 1), (-1, 2**-30)),
    ((1e38, -3e-45), (1e-3, 7)),
    ((0, 0), (0, 0)),
    ((INF, NAN), (-INF, 1)),
]


# ---------------------------------------------------------------------------
# Constructors
# ---------------------------------------------------------------------------


@pytest.mark.parametrize("x, y", [(1, 2), (0.1, -0.0), (1e39, -1e39), (1 + 2**-24, NAN)])
def test_double_constructors_round_like_the_class(x, y):
    expected = Vector2(x, y)
    for made in [c.v2_new(x, y), c.v2_cfrom_xy(x, y)]:
        assert_vector(made, (expected.x, expected.y))


def test_struct_float_and_int_constructors():
    assert_vector(c.v2_cfrom_struct(0.1, -2.5), (Vector2(0.1, 0).x, -2.5))
    assert_vector(c.v2_cfrom_floats(0.1, 1e30), (Vector2(0.1, 0).x, Vector2(1e30, 0).x))
    assert_vector(c.v2_cfrom_ints(-(2**31), 2**31 - 1), (-2147483648.0, 2147483648.0))
    assert_vector(c.v2_cfrom_ints(16777217, 3), (16777216.0, 3.0))


def test_sequence_constructors():
    assert_vector(c.v2_cfrom_tuple((0.1, 2, "ignored")), (Vector2(0.1, 0).x, 2.0))
    assert_vector(c.v2_cfrom_list([True, -0.0, None]), (1.0, -0.0))
    assert c.v2_cfrom_tuple((1, 2)) == Vector2.from_tuple((1, 2))


@pytest.mark.parametrize(
    "make, arg, message",
    [
        (c.v2_cfrom_list, [], "list index out of range"),
        (c.v2_cfrom_list, [1], "list index out of range"),
        (c.v2_cfrom_tuple, (), "tuple index out of range"),
        (c.v2_cfrom_tuple, (1,), "tuple index out of range"),
    ],
)
def test_short_sequences_raise_index_error(make, arg, message):
    with raises_exactly(IndexError, message):
        make(arg)


@pytest.mark.parametrize("make, wrap", [(c.v2_cfrom_list, list), (c.v2_cfrom_tuple, tuple)])
def test_sequence_constructor_conversion_errors(make, wrap):
    with raises_exactly(TypeError, "must be real number, not str"):
        make(wrap([1, "a"]))
    with raises_exactly(OverflowError, "int too large to convert to float"):
        make(wrap([2**1024, 1]))


def test_copy_constructor():
    v = Vector2(0.1, -3)
    w = c.v2_cfrom_vector2(v)
    assert w is not v and w == v


# ---------------------------------------------------------------------------
# Arithmetic slots
# ---------------------------------------------------------------------------


@pytest.mark.parametrize("a, b", PAIRS)
def test_binary_slots_match_operators(a, b):
    u, v = Vector2(*a), Vector2(*b)
    assert_vector(c.v2_add(u, v), (u + v).get_tuple())
    assert_vector(c.v2_binary("_add", u, v), (u + v).get_tuple())
    assert_vector(c.v2_binary("_sub", u, v), (u - v).get_tuple())


@pytest.mark.parametrize("a, b", PAIRS)
@pytest.mark.parametrize("slot, op", [("_iadd", "__iadd__"), ("_isub", "__isub__"), ("_imul", "__imul__")])
def test_in_place_slots_match_operators(a, b, slot, op):
    native, python, other = Vector2(*a), Vector2(*a), Vector2(*b)
    assert c.v2_in_place(slot, native, other) is None
    getattr(python, op)(other)
    assert_vector(native, python.get_tuple())


def test_iadd_through_the_named_wrapper():
    v = Vector2(1, 1)
    assert c.v2_iadd(v, Vector2(1, 2)) is None
    assert_vector(v, (2.0, 3.0))


@pytest.mark.parametrize("a, b", PAIRS)
def test_sadd_slots_match_the_method(a, b):
    expected = Vector2()
    expected.sadd(Vector2(*a), Vector2(*b))
    for call in [c.v2_sadd, c.v2_underscore_sadd]:
        v = Vector2(9, 9)
        assert call(v, Vector2(*a), Vector2(*b)) is None
        assert_vector(v, expected.get_tuple())
    v = Vector2(*a)
    c.v2_sadd(v, v, v)  # self may be an operand
    assert_vector(v, (Vector2(*a) + Vector2(*a)).get_tuple())


# ---------------------------------------------------------------------------
# Queries and transformations
# ---------------------------------------------------------------------------

VALUES = [(3, 4), (0.1, -0.7), (2.5, -2.5), (-0.0, 0.49999997), (1e-30, 0), (INF, -1), (NAN, 2)]


@pytest.mark.parametrize("xy", VALUES)
@pytest.mark.parametrize("name", ["get_tuple", "get_round", "get_abs", "get_neg", "copy", "get_normalized"])
def test_copying_slots_match_methods(xy, name):
    v = Vector2(*xy)
    for flag in (0, 1):
        result = c.v2_unary(name, v, flag)
        expected = getattr(v, name)()
        assert result is not v
        if name == "get_tuple":
            assert type(result) is tuple and same_tuple(result, expected)
        else:
            assert_vector(result, expected.get_tuple())
    assert_vector(v, Vector2(*xy).get_tuple())


@pytest.mark.parametrize("xy", VALUES)
@pytest.mark.parametrize("name", ["to_round", "to_abs", "to_neg", "to_normalized"])
def test_in_place_slots_match_methods(xy, name):
    native, python = Vector2(*xy), Vector2(*xy)
    assert c.v2_unary(name, native) is native
    assert getattr(python, name)() is python
    assert_vector(native, python.get_tuple())


def test_to_round_through_the_named_wrapper():
    v = Vector2(2.5, -0.49999997)
    assert c.v2_to_round(v) is v
    assert_vector(v, (3.0, -0.0))


@pytest.mark.parametrize("xy", [(2.7, -2.7), (2.5, -2.5), (-(2**31), 0.5)])
@pytest.mark.parametrize("name", ["get_int_tuple", "get_rounded_tuple"])
def test_int_tuple_slots(xy, name):
    v = Vector2(*xy)
    result = c.v2_unary(name, v)
    assert result == getattr(v, name)() and all(type(i) is int for i in result)


@pytest.mark.parametrize(
    "xy, exc_type, message",
    [((NAN, 0), ValueError, "cannot convert float NaN to integer"),
     ((INF, 0), OverflowError, "value too large to convert to int"),
     ((0, 2**31), OverflowError, "value too large to convert to int")],
)
@pytest.mark.parametrize("name", ["get_int_tuple", "get_rounded_tuple"])
def test_int_tuple_slots_fail_with_an_exception(xy, exc_type, message, name):
    with raises_exactly(exc_type, message):
        c.v2_unary(name, Vector2(*xy))


def test_tuple_slots():
    v = Vector2(0.1, -2)
    for t in [c.v2_get_tuple(v), c.v2_c_get_tuple(v), c.v2_unary("get_tuple", v)]:
        assert type(t) is tuple and t == v.get_tuple()


@pytest.mark.parametrize("a, b", PAIRS)
@pytest.mark.parametrize("name", ["distance_to", "distance_squared_to", "dot"])
def test_measure_slots_match_methods(a, b, name):
    u, v = Vector2(*a), Vector2(*b)
    assert same(c.v2_measure(name, u, v), getattr(u, name)(v))


@pytest.mark.parametrize("a, b", PAIRS)
def test_named_measure_wrappers(a, b):
    u, v = Vector2(*a), Vector2(*b)
    assert same(c.v2_distance_to(u, v), u.distance_to(v))
    assert same(c.v2_dot(u, v), u.dot(v))


# ---------------------------------------------------------------------------
# Inline helpers on the raw structures
# ---------------------------------------------------------------------------


@pytest.mark.parametrize("a, b", PAIRS)
@pytest.mark.parametrize("s", [3.0, 0.1, 9.43, 1.0000000001, 0.0, -0.0, INF])
def test_helpers_match_the_python_api(a, b, s):
    u, v = Vector2(*a), Vector2(*b)
    h = c.v2_helpers(u, v, s)
    iadd, isub, imul = Vector2(u), Vector2(u), Vector2(u)
    iadd += v
    isub -= v
    imul *= v
    expected = {
        "new": Vector2(s, -s).get_tuple(),
        "add": (u + v).get_tuple(),
        "sub": (u - v).get_tuple(),
        "mul_scalar": (u * s).get_tuple(),
        "div_scalar": (u / s).get_tuple(),
        "floordiv_scalar": (u // s).get_tuple(),
        "mul_vector": (u * v).get_tuple(),
        "div_vector": (u / v).get_tuple(),
        "floordiv_vector": (u // v).get_tuple(),
        "iadd": iadd.get_tuple(),
        "isub": isub.get_tuple(),
        "imul": imul.get_tuple(),
        "normalize": u.get_normalized().get_tuple(),
    }
    for key, value in expected.items():
        assert same_tuple(h[key], value), key
    assert same(h["length"], u.length)
    assert same(h["distance_to"], u.distance_to(v))
    assert same(h["distance_squared_to"], u.distance_squared_to(v))
    assert same(h["dot"], u.dot(v))


@pytest.mark.parametrize("a, b", PAIRS)
def test_struct_ops_summary(a, b):
    u, v = Vector2(*a), Vector2(*b)
    h = c.v2_struct_ops(u, v)
    assert same_tuple(h["add"], (u + v).get_tuple())
    assert same_tuple(h["div_scalar"], (u / 3.0).get_tuple())
    assert same_tuple(h["floordiv_vector"], (u // v).get_tuple())
    assert same(h["length"], u.length)
    assert same(h["distance_to"], u.distance_to(v))
    assert same_tuple(h["normalize"], u.get_normalized().get_tuple())


def test_reference_counts_unchanged():
    x, y = 12345.678, -0.25
    t, lst, short, bad = (x, y), [x, y], [x], [x, "a"]
    u, v = Vector2(x, y), Vector2(y, x)
    watched = [x, y, t, lst, short, bad, u, v]
    before = [sys.getrefcount(o) for o in watched]
    for _ in range(200):
        c.v2_cfrom_tuple(t), c.v2_cfrom_list(lst), c.v2_cfrom_vector2(u)
        c.v2_binary("_add", u, v), c.v2_in_place("_iadd", u, v), c.v2_sadd(u, u, v)
        c.v2_unary("to_round", u), c.v2_unary("get_round", u), c.v2_c_get_tuple(u)
        c.v2_measure("dot", u, v), c.v2_helpers(u, v, x)
        with raises_exactly(IndexError, "list index out of range"):
            c.v2_cfrom_list(short)
        with raises_exactly(TypeError, "must be real number, not str"):
            c.v2_cfrom_list(bad)
    assert [sys.getrefcount(o) for o in watched] == before
