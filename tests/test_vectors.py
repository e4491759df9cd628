"""Vector2, Vector3 and Vector4: what the one template gives all three, tested
once over the three types.  Where a type's precision gives other values, the
tables below list each type's cases side by side; what only one type has
(cross, data, its sum order, its reference model) is in its own file."""

import copy
import ctypes
import gc
import itertools
import math
import operator
import pickle
import sys
import warnings
import weakref
from collections import OrderedDict
from fractions import Fraction

import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import korvex_consumer as consumer
from support import (
    INF, NAN, VECTORS, BadFloat, BadIndex, Boom, FloatReturnsInt, Index, IntSubclass, ListSub, TupleSub, VectorLike,
    assert_vector, count_error, error_of, f32, float_protocol_error, native_table, no_new_attribute, not_writable,
    raises_exactly, same, unordered,
)

V2, V3, V4 = (kind.type for kind in VECTORS)
KINDS = [pytest.param(kind, id=kind.cls) for kind in VECTORS]
KIND_BY_NAME = {kind.cls: kind for kind in VECTORS}

INDEX_ERROR = "Vector index out of range"
PICKLE_REFUSAL = (
    "Pickling of struct members such as self.data must be explicitly requested "
    "with the build option KORVEX_PICKLE_STRUCTS"
)
F = np.float32


def per_kind(table):
    """Parameters from {class name: [case, ...]}: the kind, then the case."""
    return [
        pytest.param(KIND_BY_NAME[name], *case, id=f"{name}-{i}")
        for name, cases in table.items()
        for i, case in enumerate(cases)
    ]


def components(kind, start=1):
    """start, start + 1, ... as floats, one per component."""
    return tuple(float(start + i) for i in range(kind.size))


def type_error(kind, param, got):
    return f"Argument '{param}' has incorrect type (expected {kind.type_name}, got {got})"


# --- the type ----------------------------------------------------------------------------------


@pytest.mark.parametrize("kind", KINDS)
def test_type_is_final_plain_and_untracked(kind):
    cls = kind.type
    assert cls.__module__ == f"korvex.{kind.module}.{kind.module}"
    assert cls.__qualname__ == kind.cls and type(cls).__name__ == "type"
    assert cls.__doc__ is None
    assert not cls.__flags__ & (1 << 10)  # Py_TPFLAGS_BASETYPE
    assert not cls.__flags__ & (1 << 14)  # Py_TPFLAGS_HAVE_GC
    assert cls.__dictoffset__ == 0 and cls.__weakrefoffset__ == 0
    raises_exactly(TypeError, f"type '{kind.type_name}' is not an acceptable base type", type, "Sub", (cls,), {})
    v = cls(*components(kind))
    assert not gc.is_tracked(v)
    with raises_exactly(AttributeError, f"'{kind.type_name}' object has no attribute '__dict__'"):
        v.__dict__
    with raises_exactly(AttributeError, no_new_attribute(kind.type_name, "other")):
        v.other = 1
    with raises_exactly(TypeError, f"cannot create weak reference to '{kind.type_name}' object"):
        weakref.ref(v)


@pytest.mark.parametrize("kind", KINDS)
def test_new_ignores_arguments(kind):
    cls = kind.type
    zero = (0.0,) * kind.size
    assert_vector(cls.__new__(cls), zero)
    assert_vector(cls.__new__(cls, *components(kind)), zero)
    assert_vector(cls.__new__(cls, "junk", key=1), zero)
    with raises_exactly(TypeError, f"{kind.type_name}.__new__(int): int is not a subtype of {kind.type_name}"):
        cls.__new__(int)


@pytest.mark.parametrize("kind", KINDS)
def test_pool_is_bounded_and_reused_most_recent_first(kind):
    cls = kind.type
    v = cls(*components(kind, 5))
    address = id(v)
    del v
    w = cls.__new__(cls)  # reused, and reset before anything else
    assert id(w) == address
    assert_vector(w, (0.0,) * kind.size)
    del w
    held = [cls(i, *components(kind)[1:]) for i in range(1500)]  # drains whatever the pool held
    ids = [id(v) for v in held]
    del held  # a list releases its items last to first: the first 1000 released are pooled
    again = [cls.__new__(cls) if i % 2 else cls() for i in range(1000)]
    assert [id(v) for v in again] == ids[500:]
    assert all(v == cls() for v in again)
    # Objects in and out of the pool keep their values apart.
    many = [cls(*components(kind, i)) for i in range(1500)]
    assert all(v.get_tuple() == components(kind, i) for i, v in enumerate(many))


# --- construction ------------------------------------------------------------------------------


CONSTRUCTOR_FORMS = {
    "Vector2": [
        ((), (0.0, 0.0)),
        ((1, 2), (1.0, 2.0)),
        ((0.1, 0), (0.10000000149011612, 0.0)),
        ((True, False), (1.0, 0.0)),
        ((-0.0, 0.0), (-0.0, 0.0)),
        ((1e39, -1e39), (INF, -INF)),
        ((2**1023, 1e-50), (INF, 0.0)),
        ((1 + 2**-24, 1 + 3 * 2**-24), (1.0, 1 + 2**-22)),  # nearest, ties to even
        ((2**24 + 1, -(2**24 + 3)), (2.0**24, -(2.0**24 + 4))),
        ((Index(7), np.float64(0.1)), (7.0, 0.10000000149011612)),
        (((1, 2),), (1.0, 2.0)),
        (([1, 2],), (1.0, 2.0)),
        ((VectorLike(3, 0.1),), (3.0, 0.10000000149011612)),
    ],
    "Vector3": [
        ((), (0.0, 0.0, 0.0)),
        ((1, 2, 3), (1.0, 2.0, 3.0)),
        ((0.1, True, Index(7)), (0.10000000149011612, 1.0, 7.0)),
        (((1, 2, 3),), (1.0, 2.0, 3.0)),
        (([1, 2, 3],), (1.0, 2.0, 3.0)),
        ((ListSub([4, 5, 6]),), (4.0, 5.0, 6.0)),
        ((TupleSub((4, 5, 6)),), (4.0, 5.0, 6.0)),
        ((VectorLike(0.1, 2, 3),), (0.10000000149011612, 2.0, 3.0)),
        ((V3(7, 8, 9),), (7.0, 8.0, 9.0)),
        # Rounded to the nearest float: beyond the float range is infinite,
        # below the smallest subnormal is zero (with its sign).
        ((1e39, -1e39, -1e-50), (INF, -INF, -0.0)),
        ((3.4028235e38, 2**24 + 1, 1e-45), (3.4028234663852886e38, 16777216.0, 1.401298464324817e-45)),
    ],
    "Vector4": [
        ((), (0.0, 0.0, 0.0, 0.0)),
        ((1, 2, 3, 4), (1.0, 2.0, 3.0, 4.0)),
        ((0.1, True, -0.0, Index(7)), (0.1, 1.0, -0.0, 7.0)),
        (([1, 2, 3, 4],), (1.0, 2.0, 3.0, 4.0)),
        (((1, 2, 3, 4),), (1.0, 2.0, 3.0, 4.0)),
        ((ListSub([5, 6, 7, 8]),), (5.0, 6.0, 7.0, 8.0)),
        ((TupleSub((5, 6, 7, 8)),), (5.0, 6.0, 7.0, 8.0)),
        ((VectorLike(1, 2, 3, 4),), (1.0, 2.0, 3.0, 4.0)),
        ((V4(9, 8, 7, 6),), (9.0, 8.0, 7.0, 6.0)),
        ((1e300, 2**1000, -1e-320, 1e39), (1e300, float(2**1000), -1e-320, 1e39)),
    ],
}


@pytest.mark.parametrize("kind, args, expected", per_kind(CONSTRUCTOR_FORMS))
def test_constructor_forms(kind, args, expected):
    assert_vector(kind.type(*args), expected)


@pytest.mark.parametrize("kind", KINDS)
def test_constructor_copies_a_vector(kind):
    v = kind.type(*components(kind, 0.5))
    w = kind.type(v)
    assert w is not v
    assert_vector(w, components(kind, 0.5))


CONSTRUCTOR_ERRORS = {
    "Vector2": [
        (((1, 2, 3),), "Vector2() takes a sequence of length 2, but got 3"),
        (((),), "Vector2() takes a sequence of length 2, but got 0"),
        (([1],), "Vector2() takes a sequence of length 2, but got 1"),
        ((5,), "Vector2() invalid constructor argument: int"),
        (("ab",), "Vector2() invalid constructor argument: str"),
        (({"x": 1, "y": 2},), "Vector2() invalid constructor argument: dict"),
        ((None,), "Vector2() invalid constructor argument: NoneType"),
        ((range(2),), "Vector2() invalid constructor argument: range"),
        ((OrderedDict(),), "Vector2() invalid constructor argument: OrderedDict"),  # __name__, not tp_name
        ((np.array([1.0, 2.0]),), "Vector2() invalid constructor argument: ndarray"),
        ((1, 2, 3), "Vector2() takes 0, 1, or 2 arguments, but 3 were given"),
        ((1, 2, 3, 4), "Vector2() takes 0, 1, or 2 arguments, but 4 were given"),
        (tuple(range(10)), "Vector2() takes 0, 1, or 2 arguments, but 10 were given"),
    ],
    "Vector3": [
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
    "Vector4": [
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
}


@pytest.mark.parametrize("kind, args, message", per_kind(CONSTRUCTOR_ERRORS))
def test_constructor_errors(kind, args, message):
    raises_exactly(TypeError, message, kind.type, *args)


KEYWORDS = {
    "Vector2": [({"x": 1},), ({"y": 1, "x": 2},)],
    "Vector3": [({"z": 1},), ({"x": 1},)],
    "Vector4": [({"x": 1},), ({"w": 1},)],
}


@pytest.mark.parametrize("kind, kwargs", per_kind(KEYWORDS))
def test_constructor_rejects_keywords(kind, kwargs):
    message = f"__init__() got an unexpected keyword argument '{next(iter(kwargs))}'"
    cls = kind.type
    raises_exactly(TypeError, message, cls, **kwargs)
    raises_exactly(TypeError, message, cls, *components(kind), **kwargs)
    v = cls(*components(kind, 3))
    raises_exactly(TypeError, message, v.__init__, *components(kind), **kwargs)
    raises_exactly(TypeError, message, v.__init__, **kwargs)
    assert_vector(v, components(kind, 3))


CONVERSION_FAILURES = ["a", None, [1], BadFloat(), BadIndex(), FloatReturnsInt(), 2**1024, 10**400]


@pytest.mark.parametrize("value", CONVERSION_FAILURES)
@pytest.mark.parametrize("kind", KINDS)
def test_conversion_errors_propagate(kind, value):
    """Every way a component comes in reports the float conversion's own error."""
    cls = kind.type
    exc_type, message = float_protocol_error(value)
    for position in range(kind.size):
        args = list(components(kind))
        args[position] = value
        raises_exactly(exc_type, message, cls, *args)
        raises_exactly(exc_type, message, cls, tuple(args))
        raises_exactly(exc_type, message, cls, list(args))
        raises_exactly(exc_type, message, cls, VectorLike(*args))
        for factory in ("from_floats", kind.components_factory):
            raises_exactly(exc_type, message, getattr(cls, factory), *args)
        raises_exactly(exc_type, message, cls.from_tuple, tuple(args))
        raises_exactly(exc_type, message, cls.from_list, list(args))
    v = cls(*components(kind))
    for letter in kind.letters:
        raises_exactly(exc_type, message, setattr, v, letter, value)
    for key in (0, 1, 5, 9, -1, 2**100):  # the value is converted before the key is checked
        raises_exactly(exc_type, message, operator.setitem, v, key, value)
    assert_vector(v, components(kind))


@pytest.mark.parametrize("kind", KINDS)
def test_reinit_keeps_components_stored_before_a_failure(kind):
    cls = kind.type
    nines = (9.0,) * kind.size
    for position in range(kind.size):
        args = list(components(kind))
        args[position] = "a"
        for call in (lambda v: v.__init__(*args), lambda v: v.__init__(args)):
            v = cls(*nines)
            with raises_exactly(TypeError, "must be real number, not str"):
                call(v)
            assert_vector(v, components(kind)[:position] + nines[position:])
        # A vector-like object lacking a component: the ones before it are stored.
        partial = type("Partial", (), dict(zip(kind.letters, components(kind, 5)), clamp_magnitude_ip=None))
        delattr(partial, kind.letters[position])
        v = cls(*nines)
        with raises_exactly(AttributeError, f"'Partial' object has no attribute '{kind.letters[position]}'"):
            v.__init__(partial())
        assert_vector(v, components(kind, 5)[:position] + nines[position:])
    v = cls(*nines)
    assert v.__init__(*components(kind)) is None
    assert_vector(v, components(kind))
    v.__init__(cls(*components(kind, 5)))
    assert_vector(v, components(kind, 5))
    # Errors found before any conversion change nothing.
    n, C = kind.size, kind.cls
    for args, message in (
        (tuple(range(n + 1)), f"{C}() takes 0, 1, or {n} arguments, but {n + 1} were given"),
        ((tuple(range(n + 1)),), f"{C}() takes a sequence of length {n}, but got {n + 1}"),
        (("ab",), f"{C}() invalid constructor argument: str"),
    ):
        with raises_exactly(TypeError, message):
            v.__init__(*args)
    assert_vector(v, components(kind, 5))
    v.__init__()
    assert_vector(v, (0.0,) * kind.size)


@pytest.mark.parametrize("base", [object, tuple, list])
@pytest.mark.parametrize("kind", KINDS)
def test_marker_lookup_error_other_than_attribute_error_propagates(kind, base):
    class Hostile(base):
        def __getattr__(self, name):
            raise Boom(name)

    raises_exactly(Boom, "clamp_magnitude_ip", kind.type, Hostile())


@pytest.mark.parametrize("kind", KINDS)
def test_list_shrinking_during_conversion(kind):
    items = []

    class Shrink:
        def __float__(self):
            items.clear()
            return 1.0

    items[:] = [Shrink(), *components(kind)[1:]]
    with raises_exactly(IndexError, "list index out of range"):
        kind.type(items)
    items[:] = [Shrink(), *components(kind)[1:]]
    raises_exactly(IndexError, "list index out of range", kind.type.from_list, items)


@pytest.mark.parametrize("kind", KINDS)
def test_constructor_keeps_nan(kind):
    v = kind.type(NAN, *components(kind)[1:])
    assert math.isnan(v.x) and v.get_tuple()[1:] == components(kind)[1:]


@pytest.mark.parametrize("kind", KINDS)
def test_constructor_float_subclass_from_dunder_float_warns(kind):
    class F(float):
        pass

    class ReturnsSubclass:
        def __float__(self):
            return F(2.5)

    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        assert_vector(kind.type(ReturnsSubclass(), *components(kind)[1:]), (2.5, *components(kind)[1:]))
    assert [w.category for w in caught] == [DeprecationWarning]


@pytest.mark.parametrize("kind", KINDS)
def test_only_objects_with_the_marker_are_vector_like(kind):
    """An object is read as a vector only when it has clamp_magnitude_ip; an
    AttributeError while looking it up means it has none."""
    letters = dict(zip(kind.letters, components(kind)))
    local = type("Local", (), letters)
    raises_exactly(TypeError, f"{kind.cls}() invalid constructor argument: Local", kind.type, local())

    class Quiet:
        def __getattr__(self, name):
            raise AttributeError(name)

    raises_exactly(TypeError, f"{kind.cls}() invalid constructor argument: Quiet", kind.type, Quiet())

    class QuietTuple(tuple):
        def __getattr__(self, name):
            raise AttributeError(name)

    assert_vector(kind.type(QuietTuple(components(kind, 3))), components(kind, 3))


@pytest.mark.parametrize("kind", KINDS)
def test_vector_like_is_read_in_component_order_after_the_marker_test(kind):
    log = []

    def logged_lookup(self, name):
        log.append(name)
        return object.__getattribute__(self, name)

    logged = type("Logged", (), {"clamp_magnitude_ip": None, "__getattribute__": logged_lookup,
                                 **dict(zip(kind.letters, components(kind)))})
    assert_vector(kind.type(logged()), components(kind))
    assert log == ["clamp_magnitude_ip", *kind.letters]


@pytest.mark.parametrize("kind", KINDS)
def test_marker_test_comes_before_the_sequence_test(kind):
    marked = type("ListWithMarker", (list,), {"clamp_magnitude_ip": None, **dict(zip(kind.letters, components(kind, 5)))})
    assert_vector(kind.type(marked(components(kind))), components(kind, 5))
    assert_vector(kind.type(marked(range(kind.size + 1))), components(kind, 5))  # length never asked


@pytest.mark.parametrize("kind", KINDS)
def test_sequence_subclasses(kind):
    class L(list):
        def __getitem__(self, index):  # the subclass's own item access is used
            return 10 + index

    assert_vector(kind.type(TupleSub(components(kind))), components(kind))
    assert_vector(kind.type(L(components(kind))), components(kind, 10))
    raises_exactly(TypeError, f"{kind.cls}() takes a sequence of length {kind.size}, but got {kind.size + 1}",
                   kind.type, TupleSub(range(kind.size + 1)))


@pytest.mark.parametrize("kind", KINDS)
def test_sequence_with_lying_length(kind):
    n = kind.size

    class ShortList(list):
        def __len__(self):
            return n

    class LongTuple(tuple):
        def __len__(self):
            return n + 3

    class NegativeLength(list):
        def __len__(self):
            return -1

    class LengthBoom(tuple):
        def __len__(self):
            raise Boom("len")

    raises_exactly(IndexError, "list index out of range", kind.type, ShortList())
    raises_exactly(IndexError, "list index out of range", kind.type, ShortList([1]))
    assert_vector(kind.type(ShortList(components(kind) + (9,))), components(kind))
    raises_exactly(TypeError, f"{kind.cls}() takes a sequence of length {n}, but got {n + 3}", kind.type,
                   LongTuple(components(kind)))
    with raises_exactly(ValueError, "__len__() should return >= 0"):
        kind.type(NegativeLength(components(kind)))
    with raises_exactly(Boom, "len"):
        kind.type(LengthBoom(components(kind)))


# --- factories ---------------------------------------------------------------------------------


FACTORY_RESULTS = {
    "Vector2": [
        (lambda: V2.from_vector2(V2(1.5, 2)), (1.5, 2.0)),
        (lambda: V2.from_vector2(other=V2(1, 2)), (1.0, 2.0)),
        (lambda: V2.from_tuple((1, 2)), (1.0, 2.0)),
        (lambda: V2.from_tuple((0.1, 2, "ignored")), (0.10000000149011612, 2.0)),
        (lambda: V2.from_tuple(other=(3, 4)), (3.0, 4.0)),
        (lambda: V2.from_list([1, 2, 9]), (1.0, 2.0)),
        (lambda: V2.from_list(other=[Index(7), True]), (7.0, 1.0)),
        (lambda: V2.from_ints(3.9, -2.7), (3.0, -2.0)),
        (lambda: V2.from_ints(x=True, y=IntSubclass(7)), (1.0, 7.0)),
        (lambda: V2.from_ints(-(2**31), 2**31 - 1), (-2147483648.0, 2147483648.0)),
        (lambda: V2.from_ints(16777217, -16777219), (16777216.0, -16777220.0)),
        (lambda: V2.from_floats(0.1, -0.2), (f32(0.1), f32(-0.2))),
        (lambda: V2.from_floats(y=1e39, x=2), (2.0, INF)),
        (lambda: V2.from_xy(0.1, -0.0), (f32(0.1), -0.0)),
        (lambda: V2.from_xy(y=2, x=1), (1.0, 2.0)),
    ],
    "Vector3": [
        (lambda: V3(1, 2, 3).from_vector3(other=V3(1, 2, 3)), (1.0, 2.0, 3.0)),
        (lambda: V3.from_tuple((1, 2, 3, "ignored")), (1.0, 2.0, 3.0)),
        (lambda: V3.from_list(other=[0.1, 2, 3, 4]), (0.10000000149011612, 2.0, 3.0)),
        (lambda: V3.from_ints(3.9, -2.7, 2**31 - 1), (3.0, -2.0, 2147483648.0)),
        (lambda: V3.from_floats(0.1, 1e39, 2), (0.10000000149011612, INF, 2.0)),
        (lambda: V3.from_xyz(z=3, y=2, x=0.1), (0.10000000149011612, 2.0, 3.0)),
    ],
    "Vector4": [
        (lambda: V4(1, 2, 3, 4).from_vector4(other=V4(1, 2, 3, 4)), (1.0, 2.0, 3.0, 4.0)),
        (lambda: V4.from_tuple((1, 2, 3, 4, "ignored")), (1.0, 2.0, 3.0, 4.0)),
        (lambda: V4.from_list(other=[1, 2, 3, 4, 9]), (1.0, 2.0, 3.0, 4.0)),
        (lambda: V4.from_ints(3.9, -2.7, 0, 1), (3.0, -2.0, 0.0, 1.0)),
        (lambda: V4.from_ints(2**31 - 1, -(2**31), True, -0.9), (2147483647.0, -2147483648.0, 1.0, 0.0)),
        (lambda: V4.from_floats(1e300, -1e300, 1e-50, 0.5), (INF, -INF, 0.0, 0.5)),
        (lambda: V4.from_xyzw(w=4, z=3, y=2, x=1), (1.0, 2.0, 3.0, 4.0)),
        (lambda: V4(9, 9, 9, 9).from_xyzw(1, 2, w=4, z=3), (1.0, 2.0, 3.0, 4.0)),
    ],
}


@pytest.mark.parametrize("kind, call, expected", per_kind(FACTORY_RESULTS))
def test_factory_results(kind, call, expected):
    assert_vector(call(), expected)


FACTORIES = ("from_vector", "from_tuple", "from_list", "from_ints", "from_floats", "from_components")


def factory_name(kind, name):
    return {"from_vector": f"from_{kind.module}", "from_components": kind.components_factory}.get(name, name)


@pytest.mark.parametrize("kind", KINDS)
def test_factories_are_static(kind):
    cls = kind.type
    v = cls(*components(kind, 9))
    for name in FACTORIES:
        assert isinstance(cls.__dict__[factory_name(kind, name)], staticmethod)
    assert_vector(getattr(v, kind.components_factory)(*components(kind)), components(kind))
    assert_vector(v, components(kind, 9))
    c = getattr(cls, f"from_{kind.module}")(v)
    assert c == v and c is not v


@pytest.mark.parametrize("kind", KINDS)
def test_factories_convert_in_order(kind):
    seen = []

    class Record:
        def __init__(self, name):
            self.name = name

        def __float__(self):
            seen.append(self.name)
            return 1.0

        def __int__(self):
            return int(self.__float__())

    for name in ("from_components", "from_floats", "from_ints"):
        seen.clear()
        getattr(kind.type, factory_name(kind, name))(*map(Record, kind.letters))
        assert seen == list(kind.letters)
    with raises_exactly(Boom, "float"):
        getattr(kind.type, kind.components_factory)(BadFloat(), "not a number", *components(kind)[2:])


@pytest.mark.parametrize("kind", KINDS)
def test_factory_argument_types(kind):
    cls = kind.type
    for name, expected, bad in (
        (f"from_{kind.module}", kind.type_name, (None, components(kind), list(components(kind)), 1)),
        ("from_tuple", "tuple", (None, list(components(kind)), TupleSub(components(kind)))),
        ("from_list", "list", (None, components(kind), ListSub(components(kind)))),
    ):
        for arg in bad:
            message = f"Argument 'other' has incorrect type (expected {expected}, got {type(arg).__name__})"
            raises_exactly(TypeError, message, getattr(cls, name), arg)
            raises_exactly(TypeError, message, getattr(cls, name), other=arg)
    for length in range(kind.size):
        raises_exactly(IndexError, "tuple index out of range", cls.from_tuple, components(kind)[:length])
        raises_exactly(IndexError, "list index out of range", cls.from_list, list(components(kind)[:length]))


FACTORY_ERRORS = {
    "Vector2": [
        (lambda: V2.from_xy(), TypeError, "from_xy() takes exactly 2 positional arguments (0 given)"),
        (lambda: V2.from_xy(1), TypeError, "from_xy() takes exactly 2 positional arguments (1 given)"),
        (lambda: V2.from_xy(y=1), TypeError, "from_xy() takes exactly 2 positional arguments (0 given)"),
        (lambda: V2.from_xy(1, 2, 3), TypeError, "from_xy() takes exactly 2 positional arguments (3 given)"),
        (lambda: V2.from_xy(1, x=2), TypeError, "from_xy() got multiple values for keyword argument 'x'"),
        (lambda: V2.from_xy(1, 2, z=3), TypeError, "from_xy() got an unexpected keyword argument 'z'"),
        (lambda: V2.from_floats(y=1), TypeError, "from_floats() takes exactly 2 positional arguments (0 given)"),
        (lambda: V2.from_ints(1), TypeError, "from_ints() takes exactly 2 positional arguments (1 given)"),
        (lambda: V2.from_vector2(), TypeError, "from_vector2() takes exactly 1 positional argument (0 given)"),
        (lambda: V2.from_tuple((1, 2), (3, 4)), TypeError, "from_tuple() takes exactly 1 positional argument (2 given)"),
        (lambda: V2.from_list(items=[1, 2]), TypeError, "from_list() got an unexpected keyword argument 'items'"),
    ],
    "Vector3": [
        (lambda: V3.from_ints(0, 2**31, 0), OverflowError, "value too large to convert to int"),
        (lambda: V3.from_ints(0, 0, None), TypeError, "an integer is required"),
        (lambda: V3.from_ints(0, 0, INF), OverflowError, "cannot convert float infinity to integer"),
        (lambda: V3.from_xyz(1, 2), TypeError, "from_xyz() takes exactly 3 positional arguments (2 given)"),
        (lambda: V3.from_floats(1, 2, 3, 4), TypeError, "from_floats() takes exactly 3 positional arguments (4 given)"),
        (lambda: V3.from_xyz(1, 2, 3, w=4), TypeError, "from_xyz() got an unexpected keyword argument 'w'"),
        (lambda: V3.from_xyz(1, 2, y=3), TypeError, "from_xyz() got multiple values for keyword argument 'y'"),
    ],
    "Vector4": [
        (lambda: V4.from_ints(2**31, 0, 0, 0), OverflowError, "value too large to convert to int"),
        (lambda: V4.from_ints(0, 0, 0, -(2**31) - 1), OverflowError, "value too large to convert to int"),
        (lambda: V4.from_ints(0, "1", 0, 0), TypeError, "an integer is required"),
        (lambda: V4.from_ints(0, 0, NAN, 0), ValueError, "cannot convert float NaN to integer"),
        (lambda: V4.from_xyzw(1, 2, 3), TypeError, "from_xyzw() takes exactly 4 positional arguments (3 given)"),
        (lambda: V4.from_floats(1, 2, 3, 4, 5), TypeError, "from_floats() takes exactly 4 positional arguments (5 given)"),
        (lambda: V4.from_xyzw(1, 2, 3, x=4), TypeError, "from_xyzw() got multiple values for keyword argument 'x'"),
        (lambda: V4.from_xyzw(1, 2, 3, v=4), TypeError, "from_xyzw() got an unexpected keyword argument 'v'"),
        (lambda: V4.from_xyzw(1, 2, z=3), TypeError, "from_xyzw() takes exactly 4 positional arguments (3 given)"),
        (lambda: V4.from_ints(Index(5), 0, 0, 0), TypeError, "an integer is required"),
        (lambda: V4.from_list(), TypeError, "from_list() takes exactly 1 positional argument (0 given)"),
        (lambda: V4.from_xyzw(1, 2, 3, 10**400), OverflowError, "int too large to convert to float"),
    ],
}


@pytest.mark.parametrize("kind, call, error, message", per_kind(FACTORY_ERRORS))
def test_factory_errors(kind, call, error, message):
    raises_exactly(error, message, call)


class IntReturnsFloat:
    def __int__(self):
        return 1.5


class IntReturnsSubclass:
    def __int__(self):
        return IntSubclass(7)


class IntBoom:
    def __int__(self):
        raise Boom("int")


@pytest.mark.parametrize(
    "value, exc_type, message",
    [
        ("3", TypeError, "an integer is required"),
        (None, TypeError, "an integer is required"),
        (Index(7), TypeError, "an integer is required"),  # __index__ alone is not enough
        (IntReturnsFloat(), TypeError, "__int__ returned non-int (type float)"),
        (2**31, OverflowError, "value too large to convert to int"),
        (-(2**31) - 1, OverflowError, "value too large to convert to int"),
        (2**40, OverflowError, "value too large to convert to int"),
        (1e10, OverflowError, "value too large to convert to int"),
        (2**100, OverflowError, "Python int too large to convert to C long"),
        (-(2**100), OverflowError, "Python int too large to convert to C long"),
        (NAN, ValueError, "cannot convert float NaN to integer"),
        (INF, OverflowError, "cannot convert float infinity to integer"),
    ],
)
@pytest.mark.parametrize("kind", KINDS)
def test_from_ints_errors(kind, value, exc_type, message):
    for position in range(kind.size):
        args = list(components(kind))
        args[position] = value
        raises_exactly(exc_type, message, kind.type.from_ints, *args)


@pytest.mark.parametrize("kind", KINDS)
def test_from_ints_conversion_hooks(kind):
    rest = components(kind)[1:]
    with raises_exactly(Boom, "int"):
        kind.type.from_ints(IntBoom(), *rest)
    assert_vector(kind.type.from_ints(IntSubclass(-5), *rest), (-5.0, *rest))  # read directly
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        assert_vector(kind.type.from_ints(IntReturnsSubclass(), *rest), (7.0, *rest))
    assert [w.category for w in caught] == [DeprecationWarning]
    assert str(caught[0].message).startswith("__int__ returned non-int (type IntSubclass).")
    with warnings.catch_warnings():
        warnings.simplefilter("error", DeprecationWarning)
        with raises_exactly(DeprecationWarning, "__int__ returned non-int (type IntSubclass).  The ability to return "
                            "an instance of a strict subclass of int is deprecated, and may be removed in a future "
                            "version of Python."):
            kind.type.from_ints(IntReturnsSubclass(), *rest)


# --- properties --------------------------------------------------------------------------------


COMPONENT_ASSIGNMENTS = {
    "Vector2": [((0.1, Index(7)), (f32(0.1), 7.0)), ((1e39, True), (INF, 1.0))],
    "Vector3": [((0.1, 2**24 + 1, Index(-4)), (0.10000000149011612, 16777216.0, -4.0))],
    "Vector4": [((0.1, True, Index(3), 2**60), (0.1, 1.0, 3.0, float(2**60)))],
}


@pytest.mark.parametrize("kind, values, expected", per_kind(COMPONENT_ASSIGNMENTS))
def test_component_properties(kind, values, expected):
    v = kind.type(*components(kind))
    got = tuple(getattr(v, letter) for letter in kind.letters)
    assert got == components(kind) and all(type(c) is float for c in got)
    for letter, value in zip(kind.letters, values):
        setattr(v, letter, value)
    assert_vector(v, expected)


@pytest.mark.parametrize("kind", KINDS)
def test_property_deletion(kind):
    v = kind.type(*components(kind))
    for name in (*kind.letters, *(("data",) if kind.has_data else ())):
        raises_exactly(NotImplementedError, "__del__", delattr, v, name)
    assert_vector(v, components(kind))


@pytest.mark.parametrize("kind", KINDS)
def test_read_only_properties(kind):
    v = kind.type(*components(kind))
    for name in swizzle_words(kind) + ["length"]:
        message = not_writable(kind.type_name, name)
        raises_exactly(AttributeError, message, setattr, v, name, kind.type())
        raises_exactly(AttributeError, message, delattr, v, name)
    assert_vector(v, components(kind))


LENGTHS = {
    "Vector2": [
        ((3, 4), 5.0),
        ((0, 0), 0.0),
        ((1, 1), 1.4142135381698608),  # float32 root, not math.sqrt(2)
        ((1e20, 0), INF),  # the square overflows in float32
        ((NAN, 0), NAN),
    ],
    # The root is taken in single precision: float(np.sqrt(F(3))).
    "Vector3": [((3, 4, 0), 5.0), ((0, 0, 0), 0.0), ((1, 1, 1), 1.7320507764816284)],
    "Vector4": [((3, 4, 0, 0), 5.0), ((0, 0, 0, 0), 0.0)],
}


@pytest.mark.parametrize("kind, values, expected", per_kind(LENGTHS))
def test_length(kind, values, expected):
    assert same(kind.type(*values).length, expected)


# --- operators ---------------------------------------------------------------------------------


ARITHMETIC = {
    "Vector3": [
        (lambda: V3(1, 2, 3) + V3(0.1, 0.2, 0.3), (float(F(1) + F(0.1)), float(F(2) + F(0.2)), float(F(3) + F(0.3)))),
        (lambda: V3(1, 2, 3) - V3(3, 2, 1), (-2.0, 0.0, 2.0)),
        (lambda: V3(1, 2, 3) * 2, (2.0, 4.0, 6.0)),
        (lambda: V3(1, 2, 3) * False, (0.0, 0.0, 0.0)),
        (lambda: V3(-1, 2, 3) * 0.0, (-0.0, 0.0, 0.0)),
        (lambda: V3(0.1, 2, 3) * V3(3, 0.5, -1), (float(F(0.1) * F(3)), 1.0, -3.0)),
        (lambda: V3(5, 0, 0) / 3, (1.6666666269302368, 0.0, 0.0)),
        (lambda: V3(5, 1, 0) / V3(3, 3, 1), (1.6666666269302368, 0.3333333432674408, 0.0)),
        (lambda: V3(1, 0, -1) / 0, (INF, NAN, -INF)),
        (lambda: V3(1, 0, -1) // 0, (INF, NAN, -INF)),
        (lambda: V3(1, 0, -1) / V3(-0.0, 0, 0), (-INF, NAN, -INF)),
        (lambda: V3(7, -7, 0) // 2, (3.0, -4.0, 0.0)),
        (lambda: V3(7, -7, 0.5) // V3(2, 2, -1), (3.0, -4.0, -1.0)),
        # A true division, not a product with the reciprocal (which gives
        # 0.9999999999999999 and floors to 0).
        (lambda: V3(49, 0, 0) // 49, (1.0, 0.0, 0.0)),
        # The vector quotient is rounded to float before the floor; the scalar
        # quotient is floored in double.
        (lambda: V3(25165826, 0, 0) // V3(3, 1, 1), (8388609.0, 0.0, 0.0)),
        (lambda: V3(25165826, 0, 0) // 3, (8388608.0, 0.0, 0.0)),
        (lambda: V3(3e38, 1, 1) * 10, (INF, 10.0, 10.0)),
        (lambda: -V3(0, 1, -INF), (-0.0, -1.0, INF)),
    ],
    "Vector4": [
        (lambda: V4(1, 2, 3, 4) + V4(4, 3, 2, 1), (5.0, 5.0, 5.0, 5.0)),
        (lambda: V4(1, 2, 3, 4) - V4(4, 3, 2, 1), (-3.0, -1.0, 1.0, 3.0)),
        (lambda: V4(1, 2, 3, 4) * 2, (2.0, 4.0, 6.0, 8.0)),
        (lambda: V4(1, 2, 3, 4) * True, (1.0, 2.0, 3.0, 4.0)),
        (lambda: V4(1, 2, 3, 4) * V4(2, 0.5, -1, 0), (2.0, 1.0, -3.0, 0.0)),
        (lambda: V4(5, 0, 0, 0) / 3, (1.6666666666666665, 0.0, 0.0, 0.0)),
        (lambda: V4(5, 0, 0, 0) / 3.0, (1.6666666666666665, 0.0, 0.0, 0.0)),
        (lambda: V4(5, 1, 0, 0) / V4(3, 3, 1, 1), (1.6666666666666667, 1 / 3, 0.0, 0.0)),
        # The scalar division multiplies by the reciprocal.
        (lambda: V4(49, 0, 0, 0) // 49, (0.0, 0.0, 0.0, 0.0)),
        (lambda: V4(49, 0, 0, 0) / 49, (0.9999999999999999, 0.0, 0.0, 0.0)),
        (lambda: V4(49, 0, 0, 0) // V4(49, 1, 1, 1), (1.0, 0.0, 0.0, 0.0)),
        (lambda: V4(7, -7, 0, 0) // V4(2, 2, 1, 1), (3.0, -4.0, 0.0, 0.0)),
        (lambda: V4(7, -7, -0.5, 0.5) // 2, (3.0, -4.0, -1.0, 0.0)),
        (lambda: V4(1, 0, -1, 0) / 0, (INF, NAN, -INF, NAN)),
        (lambda: V4(1, 0, -1, 0) / -0.0, (-INF, NAN, INF, NAN)),
        (lambda: V4(1, 0, -1, 0) // 0, (INF, NAN, -INF, NAN)),
        (lambda: V4(1, 0, -1, 2) / V4(0, 0, 0, -0.0), (INF, NAN, -INF, -INF)),
        (lambda: V4(1e308, 1, 1, 1) * 10, (INF, 10.0, 10.0, 10.0)),
        (lambda: -V4(0, 1, -2, INF), (-0.0, -1.0, 2.0, -INF)),
    ],
}


@pytest.mark.parametrize("kind, compute, expected", per_kind(ARITHMETIC))
def test_arithmetic(kind, compute, expected):
    assert_vector(compute(), expected)


@pytest.mark.parametrize("kind", KINDS)
def test_operators_make_new_objects(kind):
    a, b = kind.type(*components(kind)), kind.type(*components(kind, 3))
    for result in [a + b, a - b, a * b, a * 2, a / b, a / 2, a // b, a // 2, -a]:
        assert result is not a and result is not b
    assert_vector(a, components(kind))
    assert_vector(b, components(kind, 3))


@pytest.mark.parametrize("op", ["+", "-", "+=", "-=", "*="])
@pytest.mark.parametrize("kind", KINDS)
def test_vector_only_operands(kind, op):
    v = kind.type(*components(kind))
    for other in (components(kind), list(components(kind)), None, 2, 2.0):
        with raises_exactly(TypeError, type_error(kind, "other", type(other).__name__)):
            exec(f"v {op} other", {"v": v, "other": other})
    assert_vector(v, components(kind))


# The interpreter's messages, with {T} for the vector's type name.
UNSUPPORTED = "unsupported operand type(s) for "
UNDEFINED_OPERATIONS = {
    "int * vector": (lambda v: 3 * v, UNSUPPORTED + "*: 'int' and '{T}'"),
    "tuple + vector": (lambda v: tuple(v) + v, 'can only concatenate tuple (not "{T}") to tuple'),
    "vector * str": (lambda v: v * "3", "can't multiply sequence by non-int of type '{T}'"),
    "vector * index": (lambda v: v * Index(3), UNSUPPORTED + "*: '{T}' and 'Index'"),
    "vector / None": (lambda v: v / None, UNSUPPORTED + "/: '{T}' and 'NoneType'"),
    "vector // list": (lambda v: v // [1], UNSUPPORTED + "//: '{T}' and 'list'"),
    "mod": (lambda v: v % 2, UNSUPPORTED + "%: '{T}' and 'int'"),
    "pow": (lambda v: v**2, UNSUPPORTED + "** or pow(): '{T}' and 'int'"),
    "divmod": (lambda v: divmod(v, 2), UNSUPPORTED + "divmod(): '{T}' and 'int'"),
    "matmul": (lambda v: v @ v, UNSUPPORTED + "@: '{T}' and '{T}'"),
    "pos": (lambda v: +v, "bad operand type for unary +: '{T}'"),
    "abs": (lambda v: abs(v), "bad operand type for abs(): '{T}'"),
    "lt": (lambda v: v < v, unordered("<", "{T}")),
    "le": (lambda v: v <= v, unordered("<=", "{T}")),
    "gt": (lambda v: v > type(v)(), unordered(">", "{T}")),
    "ge": (lambda v: v >= type(v)(), unordered(">=", "{T}")),
    "reflected division": (lambda v: 1 / v, UNSUPPORTED + "/: 'int' and '{T}'"),
}


@pytest.mark.parametrize("call, message", UNDEFINED_OPERATIONS.values(), ids=UNDEFINED_OPERATIONS.keys())
@pytest.mark.parametrize("kind", KINDS)
def test_undefined_operations(kind, call, message):
    raises_exactly(TypeError, message.format(T=kind.type_name), call, kind.type(*components(kind)))


@pytest.mark.parametrize("kind", KINDS)
def test_scalar_conversion_errors(kind):
    v = kind.type(*components(kind))
    for op in (operator.mul, operator.truediv, operator.floordiv):
        for huge in (2**1024, -(2**1024), 10**400):
            raises_exactly(OverflowError, "int too large to convert to float", op, v, huge)

        class IntWithFloat(int):
            def __float__(self):
                raise Boom("float")

        with raises_exactly(Boom, "float"):
            op(v, IntWithFloat(2))
        # A scalar that is neither an int nor a float is left to the
        # interpreter, even one that converts to a number.
        for other in (Index(2), "2", None, [2], components(kind)):
            assert getattr(v, f"__{op.__name__}__")(other) is NotImplemented
    assert_vector(v, components(kind))


@pytest.mark.parametrize("op, symbol", [(operator.mul, "*"), (operator.truediv, "/"), (operator.floordiv, "//")])
@pytest.mark.parametrize("other", ["a", None, (1, 2), 1j])
@pytest.mark.parametrize("kind", KINDS)
def test_scaling_operators_leave_other_types_to_the_interpreter(kind, op, symbol, other):
    if op is operator.mul and isinstance(other, (str, tuple)):
        message = f"can't multiply sequence by non-int of type '{kind.type_name}'"
    else:
        message = f"unsupported operand type(s) for {symbol}: '{kind.type_name}' and '{type(other).__name__}'"
    raises_exactly(TypeError, message, op, kind.type(*components(kind)), other)


@pytest.mark.parametrize("kind", KINDS)
def test_no_reflected_operations(kind):
    v, name = kind.type(*components(kind)), kind.type_name
    raises_exactly(TypeError, f"unsupported operand type(s) for *: 'int' and '{name}'", operator.mul, 3, v)
    raises_exactly(TypeError, f"unsupported operand type(s) for /: 'float' and '{name}'", operator.truediv, 1.0, v)
    raises_exactly(TypeError, f"unsupported operand type(s) for +: 'int' and '{name}'", operator.add, 1, v)
    raises_exactly(TypeError, f"unsupported operand type(s) for -: 'NoneType' and '{name}'", operator.sub, None, v)
    raises_exactly(TypeError, f'can only concatenate tuple (not "{name}") to tuple', operator.add, (3, 4), v)
    raises_exactly(TypeError, f'can only concatenate list (not "{name}") to list', operator.add, [3, 4], v)


@pytest.mark.parametrize("kind", KINDS)
def test_negation(kind):
    rest = components(kind)[1:]
    v = kind.type(0, *rest)
    n = -v
    assert_vector(n, (-0.0, *(-c for c in rest)))
    assert n == kind.type(0, *(-c for c in rest))
    assert_vector(-kind.type(-0.0, -INF, *rest[1:]), (0.0, INF, *(-c for c in rest[1:])))
    assert_vector(v, (0.0, *rest))


@pytest.mark.parametrize("op", [operator.iadd, operator.isub, operator.imul])
@pytest.mark.parametrize("kind", KINDS)
def test_in_place_operators_update_the_same_object(kind, op):
    v = kind.type(*(1.0,) * kind.size)
    w = op(v, kind.type(*components(kind)))
    assert w is v
    assert_vector(v, tuple(op(1.0, c) for c in components(kind)))


@pytest.mark.parametrize("kind", KINDS)
def test_in_place_division_rebinds(kind):
    v = kind.type(*components(kind, 2))
    original = v
    v /= 2  # no in-place division: rebinds to the binary result
    assert v is not original
    assert_vector(v, tuple(c / 2 for c in components(kind, 2)))
    v //= 2
    assert_vector(v, tuple(float(math.floor(c / 4)) for c in components(kind, 2)))
    assert_vector(original, components(kind, 2))
    t = components(kind)
    with raises_exactly(TypeError, f'can only concatenate tuple (not "{kind.type_name}") to tuple'):
        t += kind.type(*t)
    assert t == components(kind)


# --- equality and hash -------------------------------------------------------------------------


@pytest.mark.parametrize("kind", KINDS)
def test_equality(kind):
    cls, values = kind.type, components(kind)
    assert cls(*values) == cls(*values)
    assert (cls(*values) != cls(*values)) is False
    assert cls(*values) != cls(*values[:-1], values[-1] + 1)
    assert cls(*(0.0,) * kind.size) == cls(*(-0.0,) * kind.size)


# Equality is on the stored components.
STORED_EQUALITY = {
    "Vector2": [((0.1, 0), (f32(0.1), 0), True), ((1, 2), (1, 2 + 2**-22), False)],
    "Vector3": [
        ((0.1, 0, 0), (0.10000000149011612, 0, 0), True),
        ((0.1, 0, 0), (math.nextafter(0.1, 1), 0, 0), True),
    ],
    # Doubles are compared as doubles: a difference in the last bit counts.
    "Vector4": [((0.1, 0, 0, 0), (math.nextafter(0.1, 1), 0, 0, 0), False)],
}


@pytest.mark.parametrize("kind, a, b, equal", per_kind(STORED_EQUALITY))
def test_equality_at_storage_precision(kind, a, b, equal):
    assert (kind.type(*a) == kind.type(*b)) is equal
    assert (kind.type(*a) != kind.type(*b)) is not equal


@pytest.mark.parametrize("kind", KINDS)
def test_equality_with_other_types_is_false(kind):
    v = kind.type(*components(kind))
    letters = dict(zip(kind.letters, components(kind)))
    for other in (components(kind), list(components(kind)), tuple(map(int, components(kind))), None, 1, repr(v),
                  letters):
        assert (v == other) is False
        assert (v != other) is True
        assert (other == v) is False
        assert (other != v) is True
        assert v.__eq__(other) is False
        assert v.__ne__(other) is True


@pytest.mark.parametrize("op", [operator.lt, operator.le, operator.gt, operator.ge])
@pytest.mark.parametrize("kind", KINDS)
def test_ordering_is_undefined(kind, op):
    a, b = kind.type(*components(kind)), kind.type(*components(kind, 3))
    symbol = {"lt": "<", "le": "<=", "gt": ">", "ge": ">="}[op.__name__]
    raises_exactly(TypeError, unordered(symbol, kind.type_name), op, a, b)
    assert getattr(a, f"__{op.__name__}__")(b) is NotImplemented


HASHES = {
    "Vector2": [
        ((x, y), (f32(x), f32(y)))
        for x, y in [(1, 2), (-1, -1), (0.1, -0.7), (-0.0, 0.0), (INF, -INF), (1e38, 3e-45), (2**24 + 1, -123456.789)]
    ],
    "Vector3": [((1, 2, 3), (1.0, 2.0, 3.0)), ((0.1, -0.0, INF), (0.10000000149011612, -0.0, INF))],
    "Vector4": [
        ((1, 2, 3, 4), (1.0, 2.0, 3.0, 4.0)),
        ((0.1, -0.0, 1e300, -INF), (0.1, -0.0, 1e300, -INF)),
        ((2**53 + 1.0, 0.5, -1, 7), (2**53 + 1.0, 0.5, -1.0, 7.0)),
        ((-1, -1, -1, -1), (-1.0, -1.0, -1.0, -1.0)),
    ],
}


@pytest.mark.parametrize("kind, values, stored", per_kind(HASHES))
def test_hash_is_the_tuple_hash(kind, values, stored):
    v = kind.type(*values)
    assert hash(v) == hash(stored) == hash(v.get_tuple())


@pytest.mark.parametrize("kind", KINDS)
def test_hash_follows_mutation(kind):
    cls = kind.type
    v = cls(*components(kind))
    seen = {v}
    assert cls(*components(kind)) in seen
    v.x = 10
    changed = (10.0,) + components(kind)[1:]
    assert hash(v) == hash(changed)
    assert v not in seen and cls(*changed) not in seen  # stored under its old hash
    v[kind.size - 1] = 20
    assert hash(v) == hash(changed[:-1] + (20.0,))


# --- methods -----------------------------------------------------------------------------------


MEASURES = {
    "Vector2": [
        ("dot", (1, 2), (3, 4), 11.0),
        ("distance_to", (1, 1), (4, 5), 5.0),
        ("distance_squared_to", (1, 1), (4, 5), 25.0),
        ("distance_to", (1, 1), (0, 0), math.sqrt(2.0)),
    ],
    "Vector3": [("dot", (1, 2, 3), (4, 5, 6), 32.0), ("distance_to", (1, 1, 1), (4, 5, 1), 5.0)],
    "Vector4": [
        ("dot", (1, 2, 3, 4), (1, 2, 3, 4), 30.0),
        ("distance_to", (1, 1, 1, 1), (4, 5, 1, 1), 5.0),
        ("distance_squared_to", (1, 1, 1, 1), (4, 5, 1, 1), 25.0),
    ],
}


@pytest.mark.parametrize("kind, name, a, b, expected", per_kind(MEASURES))
def test_measures(kind, name, a, b, expected):
    u, v = kind.type(*a), kind.type(*b)
    for result in (getattr(u, name)(v), getattr(u, name)(other=v)):
        assert type(result) is float and same(result, expected)


@pytest.mark.parametrize("name", ["distance_to", "distance_squared_to", "dot"])
@pytest.mark.parametrize("kind", KINDS)
def test_measure_arguments(kind, name):
    v, w = kind.type(*components(kind)), kind.type()
    method = getattr(v, name)
    for other in (components(kind), list(components(kind)), None, 1, 1.0):
        raises_exactly(TypeError, type_error(kind, "other", type(other).__name__), method, other)
        raises_exactly(TypeError, type_error(kind, "other", type(other).__name__), method, other=other)
    raises_exactly(TypeError, count_error(name, 1, 0), method)
    raises_exactly(TypeError, count_error(name, 1, 2), method, w, w)
    raises_exactly(TypeError, count_error(name, 1, 2), method, w, 1)
    for keyword in ("vec", "o"):
        raises_exactly(TypeError, f"{name}() got an unexpected keyword argument '{keyword}'", method, **{keyword: w})
    raises_exactly(TypeError, f"{name}() got multiple values for keyword argument 'other'", method, w, other=w)
    assert type(method(other=w)) is float
    assert_vector(v, components(kind))


NORMALIZED = {
    "Vector2": [
        ((3, 4), (f32(0.6), f32(0.8))),
        ((0, 0), (0.0, 0.0)),
        ((-0.0, -0.0), (0.0, 0.0)),
        ((1e-30, 0), (0.0, 0.0)),  # the squares underflow to zero in float32
        ((0, -5), (0.0, -1.0)),
    ],
    "Vector3": [
        ((3, 4, 0), (0.6000000238418579, 0.800000011920929, 0.0)),
        ((0, 0, 0), (0.0, 0.0, 0.0)),
        ((-0.0, 0, -0.0), (0.0, 0.0, 0.0)),
        ((0, 0, -5), (0.0, 0.0, -1.0)),
        ((1e-23, 0, 0), (0.0, 0.0, 0.0)),  # the float square underflows to zero
        ((3e38, 0, 0), (0.0, 0.0, 0.0)),  # the float square overflows: scaled by 1 / inf
    ],
    "Vector4": [
        ((3, 4, 0, 0), (0.6000000000000001, 0.8, 0.0, 0.0)),
        ((0, 0, 0, 0), (0.0, 0.0, 0.0, 0.0)),
        ((-0.0, -0.0, 0, -0.0), (0.0, 0.0, 0.0, 0.0)),
        ((0, -5, 0, 0), (0.0, -1.0, 0.0, 0.0)),
        ((1, 1, 1, 1), (0.5, 0.5, 0.5, 0.5)),
        ((INF, 0, 0, 0), (NAN, 0.0, 0.0, 0.0)),
    ],
}

ROUNDED = {
    "Vector2": [((2.5, -2.5), (3.0, -3.0), (3, -3)), ((-0.49999997, -0.2), (-0.0, -0.0), (0, 0))],
    "Vector3": [
        ((2.5, -2.5, 0.5), (3.0, -3.0, 1.0), (3, -3, 1)),
        ((0.49999997, -0.49999997, -0.4), (0.0, -0.0, -0.0), (0, 0, 0)),
        ((1.5, 8388609.0, -8388609.0), (2.0, 8388609.0, -8388609.0), (2, 8388609, -8388609)),
        ((2147483520.0, -2147483648.0, 2.4999998), (2147483520.0, -2147483648.0, 2.0), (2147483520, -2147483648, 2)),
    ],
    "Vector4": [
        ((2.5, -2.5, 0.5, -0.4), (3.0, -3.0, 1.0, -0.0), (3, -3, 1, 0)),
        ((0.49999999999999994, -0.49999999999999994, 1.5, -0.0), (0.0, -0.0, 2.0, -0.0), (0, 0, 2, 0)),
        ((4503599627370497.0, -4503599627370497.0, 2.4999999999999996, 1e300),
         (4503599627370497.0, -4503599627370497.0, 2.0, 1e300), None),
        ((2147483646.5, -2147483647.5, 0, 0), (2147483647.0, -2147483648.0, 0.0, 0.0), (2147483647, -2147483648, 0, 0)),
    ],
}

ABS_NEG = {
    "Vector2": [
        ("abs", (-0.0, -1), (0.0, 1.0)),
        ("abs", (-INF, 2), (INF, 2.0)),
        ("neg", (0.0, 1), (-0.0, -1.0)),
        ("neg", (-0.0, -INF), (0.0, INF)),
    ],
    "Vector3": [
        ("abs", (-0.0, -1, INF), (0.0, 1.0, INF)),
        ("neg", (-0.0, -1, INF), (0.0, 1.0, -INF)),
        ("neg", (0.0, 1, INF), (-0.0, -1.0, -INF)),
    ],
    "Vector4": [
        ("abs", (-0.0, -1, 2, -INF), (0.0, 1.0, 2.0, INF)),
        ("neg", (-0.0, -1, 2, -INF), (0.0, 1.0, -2.0, INF)),
        ("neg", (0.0, 1, 2, INF), (-0.0, -1.0, -2.0, -INF)),
        ("neg", (0, 0, 0, 0), (-0.0, -0.0, -0.0, -0.0)),
    ],
}


def copying_and_in_place_cases():
    for table, method in ((NORMALIZED, "normalized"), (ROUNDED, "round")):
        for name, cases in table.items():
            for i, (values, expected, *_) in enumerate(cases):
                yield pytest.param(KIND_BY_NAME[name], method, values, expected, id=f"{name}-{method}-{i}")
    for name, cases in ABS_NEG.items():
        for i, (method, values, expected) in enumerate(cases):
            yield pytest.param(KIND_BY_NAME[name], method, values, expected, id=f"{name}-{method}-{i}")


@pytest.mark.parametrize("kind, method, values, expected", list(copying_and_in_place_cases()))
def test_copying_and_in_place_pairs(kind, method, values, expected):
    """get_<method> makes a new vector and leaves the old; to_<method> changes
    the vector itself and returns it."""
    v = kind.type(*values)
    before = v.get_tuple()
    copied = getattr(v, "get_" + method)()
    assert copied is not v
    assert_vector(copied, expected)
    assert_vector(v, before)
    assert getattr(v, "to_" + method)() is v
    assert_vector(v, expected)


@pytest.mark.parametrize(
    "kind, values, rounded, ints", per_kind({name: [c for c in cases if c[2]] for name, cases in ROUNDED.items()})
)
def test_rounded_tuple(kind, values, rounded, ints):
    t = kind.type(*values).get_rounded_tuple()
    assert t == ints and all(type(i) is int for i in t)


INT_TUPLES = {
    # values, get_int_tuple (truncated), get_rounded_tuple
    "Vector2": [
        ((2.7, -2.7), (2, -2), (3, -3)),
        ((2.5, -2.5), (2, -2), (3, -3)),
        ((0.49999997, -0.5), (0, 0), (0, -1)),
        ((-0.0, 0.0), (0, 0), (0, 0)),
        ((-(2**31), 2147483520), (-(2**31), 2147483520), (-(2**31), 2147483520)),
    ],
    "Vector3": [((2.7, -2.7, -0.9), (2, -2, 0), None)],
    "Vector4": [
        ((2.7, -2.7, 0, 0), (2, -2, 0, 0), None),
        ((2147483647.9, -2147483648.9, -0.5, 0), (2147483647, -2147483648, 0, 0), None),
    ],
}


@pytest.mark.parametrize("kind, values, truncated, rounded", per_kind(INT_TUPLES))
def test_int_tuples(kind, values, truncated, rounded):
    v = kind.type(*values)
    t = v.get_int_tuple()
    assert t == truncated and all(type(c) is int for c in t)
    if rounded is not None:
        r = v.get_rounded_tuple()
        assert r == rounded and all(type(c) is int for c in r)


TUPLES = {
    "Vector2": [((0.1, -2), (f32(0.1), -2.0))],
    "Vector3": [((0.1, 2, 3), (0.10000000149011612, 2.0, 3.0))],
    "Vector4": [((0.1, 2, 3, 4), (0.1, 2.0, 3.0, 4.0))],
}


@pytest.mark.parametrize("kind, values, expected", per_kind(TUPLES))
def test_get_tuple(kind, values, expected):
    v = kind.type(*values)
    t = v.get_tuple()
    assert type(t) is tuple and t == expected
    assert all(type(c) is float for c in t)
    assert v.get_tuple() is not t


INT_TUPLE_RANGE = {
    "Vector2": [
        (NAN, ValueError, "cannot convert float NaN to integer"),
        (INF, OverflowError, "value too large to convert to int"),
        (-INF, OverflowError, "value too large to convert to int"),
        (2**31, OverflowError, "value too large to convert to int"),
        (-(2**31) - 512, OverflowError, "value too large to convert to int"),
        (1e30, OverflowError, "value too large to convert to int"),
    ],
    "Vector3": [
        (NAN, ValueError, "cannot convert float NaN to integer"),
        (INF, OverflowError, "value too large to convert to int"),
        (2147483648.0, OverflowError, "value too large to convert to int"),
        (-2147483904.0, OverflowError, "value too large to convert to int"),
    ],
    "Vector4": [
        (NAN, ValueError, "cannot convert float NaN to integer"),
        (INF, OverflowError, "value too large to convert to int"),
        (-INF, OverflowError, "value too large to convert to int"),
        (2147483648.0, OverflowError, "value too large to convert to int"),
        (-2147483649.0, OverflowError, "value too large to convert to int"),
        (1e300, OverflowError, "value too large to convert to int"),
    ],
}


@pytest.mark.parametrize("kind, value, error, message", per_kind(INT_TUPLE_RANGE))
def test_int_tuples_out_of_range(kind, value, error, message):
    for position in range(kind.size):
        values = [1.0] * kind.size
        values[position] = value
        v = kind.type(*values)
        for method in (v.get_int_tuple, v.get_rounded_tuple):
            raises_exactly(error, message, method)


NO_ARG_METHODS = [
    "to_normalized", "get_normalized", "to_round", "get_round", "to_abs", "get_abs", "to_neg", "get_neg",
    "get_tuple", "get_int_tuple", "get_rounded_tuple", "copy", "__copy__", "__reduce__",
]


@pytest.mark.parametrize("name", NO_ARG_METHODS)
@pytest.mark.parametrize("kind", KINDS)
def test_methods_without_parameters_reject_arguments(kind, name):
    v = kind.type(*components(kind))
    method = getattr(v, name)
    shown = method.__name__  # the pickling hook keeps its private name
    raises_exactly(TypeError, count_error(shown, 0, 1), method, 1)
    raises_exactly(TypeError, count_error(shown, 0, 2), method, 1, 2)
    for keyword in ("x", "deep"):
        raises_exactly(TypeError, f"{shown}() got an unexpected keyword argument '{keyword}'", method, **{keyword: 1})
    assert_vector(v, components(kind))


SADD_ARGUMENTS = [
    (lambda v, w: v.sadd(), count_error("sadd", 2, 0)),
    (lambda v, w: v.sadd(w), count_error("sadd", 2, 1)),
    (lambda v, w: v.sadd(w, w, w), count_error("sadd", 2, 3)),
    (lambda v, w: v.sadd(old_vec=w), count_error("sadd", 2, 0)),
    (lambda v, w: v.sadd(w, new_vec=w), "sadd() got multiple values for keyword argument 'new_vec'"),
    (lambda v, w: v.sadd(w, w, old_vec=w), "sadd() got multiple values for keyword argument 'old_vec'"),
    (lambda v, w: v.sadd(w, bogus=w), "sadd() got an unexpected keyword argument 'bogus'"),
    (lambda v, w: v.sadd(w, None), ("old_vec", "NoneType")),
    (lambda v, w: v.sadd(None, w), ("new_vec", "NoneType")),
    (lambda v, w: v.sadd(1, w), ("new_vec", "int")),
    (lambda v, w: v.sadd(tuple(w), w), ("new_vec", "tuple")),
    (lambda v, w: v.sadd(old_vec=w, new_vec=tuple(w)), ("new_vec", "tuple")),
    (lambda v, w: v.__deepcopy__(), count_error("__deepcopy__", 1, 0)),
    (lambda v, w: v.__deepcopy__({}, {}), count_error("__deepcopy__", 1, 2)),
    (lambda v, w: v.__deepcopy__(other={}), "__deepcopy__() got an unexpected keyword argument 'other'"),
]


@pytest.mark.parametrize("call, message", SADD_ARGUMENTS)
@pytest.mark.parametrize("kind", KINDS)
def test_argument_messages(kind, call, message):
    if isinstance(message, tuple):
        message = type_error(kind, *message)
    v = kind.type(*components(kind))
    raises_exactly(TypeError, message, call, v, kind.type(*components(kind, 3)))
    assert_vector(v, components(kind))


SADD = {
    "Vector2": [((1, 2), (3, 4), (4.0, 6.0)), ((0.2, 0), (0.1, 0), (f32(np.float32(0.2) + np.float32(0.1)), 0.0))],
    "Vector3": [((1, 2, 3), (0.1, 0, 0), (float(F(1) + F(0.1)), 2.0, 3.0))],
    "Vector4": [((1, 2, 3, 4), (4, 3, 2, 1), (5.0, 5.0, 5.0, 5.0))],
}


@pytest.mark.parametrize("kind, new, old, expected", per_kind(SADD))
def test_sadd(kind, new, old, expected):
    cls = kind.type
    v = cls(*(9.0,) * kind.size)
    assert v.sadd(cls(*new), cls(*old)) is None
    assert_vector(v, expected)
    v = cls(*(9.0,) * kind.size)
    assert v.sadd(old_vec=cls(*old), new_vec=cls(*new)) is None
    assert_vector(v, expected)
    # The sum is formed before it is stored.
    v.sadd(v, v)
    assert_vector(v, tuple(2 * c for c in expected))
    v.sadd(new_vec=v, old_vec=v)
    assert_vector(v, tuple(4 * c for c in expected))
    v = cls(*new)
    v.sadd(v, v)
    assert_vector(v, (cls(*new) + cls(*new)).get_tuple())


COPIES = {
    "Vector2": [((0.1, -3), (f32(0.1), -3.0))],
    "Vector3": [((0.1, -0.0, 3), (0.10000000149011612, -0.0, 3.0))],
    "Vector4": [((0.1, -0.0, INF, 4), (0.1, -0.0, INF, 4.0))],
}


@pytest.mark.parametrize("kind, values, stored", per_kind(COPIES))
def test_copies(kind, values, stored):
    v = kind.type(*values)
    for c in (v.copy(), v.__copy__(), v.__deepcopy__({}), v.__deepcopy__(memo=None), copy.copy(v), copy.deepcopy(v)):
        assert c is not v
        assert_vector(c, stored)
    nested = copy.deepcopy([v, v])
    assert nested[0] == v and nested[0] is not v


@pytest.mark.parametrize("kind", KINDS)
def test_pickling_is_refused(kind):
    v = kind.type(*components(kind))
    for protocol in range(pickle.HIGHEST_PROTOCOL + 1):
        raises_exactly(TypeError, PICKLE_REFUSAL, pickle.dumps, v, protocol)
    raises_exactly(TypeError, PICKLE_REFUSAL, v.__reduce__)
    raises_exactly(TypeError, PICKLE_REFUSAL, v.__reduce_ex__, 2)
    for state in (None, (), components(kind)):
        raises_exactly(TypeError, PICKLE_REFUSAL, v.__setstate__, state)
    raises_exactly(TypeError, PICKLE_REFUSAL, v.__setstate__, __pyx_state=None)
    with raises_exactly(TypeError, "__setstate_korvex__() takes exactly 1 positional argument (0 given)"):
        v.__setstate__()
    assert "__reduce__" in vars(kind.type) and "__reduce_korvex__" not in vars(kind.type)
    assert_vector(v, components(kind))


# --- text form and sequence protocol -----------------------------------------------------------


TEXT_FORMS = {
    "Vector2": [
        ((1, 2), "Vector2(1.0, 2.0)"),
        ((0.1, -3), "Vector2(0.10000000149011612, -3.0)"),
        ((INF, -INF), "Vector2(inf, -inf)"),
        ((NAN, -0.0), "Vector2(nan, -0.0)"),
        ((1e30, 3e-45), "Vector2(1.0000000150474662e+30, 2.802596928649634e-45)"),
        ((-3.4028234663852886e38, 123456789), "Vector2(-3.4028234663852886e+38, 123456792.0)"),
    ],
    "Vector3": [
        ((0.1, 2, 3), "Vector3(0.10000000149011612, 2.0, 3.0)"),
        ((1, 2, 3), "Vector3(1.0, 2.0, 3.0)"),
        ((INF, -INF, NAN), "Vector3(inf, -inf, nan)"),
        ((-0.0, 1e-45, 3e38), "Vector3(-0.0, 1.401298464324817e-45, 3.0000000054977558e+38)"),
    ],
    "Vector4": [
        ((1, 2, 3, 4), "Vector4(1.0, 2.0, 3.0, 4.0)"),
        ((0.1, -0.0, 1e300, -1e-320), "Vector4(0.1, -0.0, 1e+300, -1e-320)"),
        ((INF, -INF, NAN, 2**53 + 1.0), "Vector4(inf, -inf, nan, 9007199254740992.0)"),
        ((-1.7976931348623157e308, -2.2250738585072014e-308, 0.30000000000000004, 1 / 3),
         "Vector4(-1.7976931348623157e+308, -2.2250738585072014e-308, 0.30000000000000004, 0.3333333333333333)"),
    ],
}


@pytest.mark.parametrize("kind, values, text", per_kind(TEXT_FORMS))
def test_text_form(kind, values, text):
    v = kind.type(*values)
    assert repr(v) == text and str(v) == text
    assert text == f"{kind.cls}({', '.join(repr(c) for c in v.get_tuple())})"


@pytest.mark.parametrize("kind", KINDS)
def test_sequence_protocol(kind):
    values = components(kind)
    v = kind.type(*values)
    assert len(v) == kind.size
    assert tuple(v[i] for i in range(kind.size)) == values
    assert all(type(v[i]) is float for i in range(kind.size))
    assert (v[True], v[False], v[Index(kind.size - 1)], v[np.int64(0)], v[IntSubclass(1)]) == (2.0, 1.0, values[-1],
                                                                                                 1.0, 2.0)
    assert list(v) == list(values) and tuple(v) == values
    *unpacked, last = v
    assert (*unpacked, last) == values
    with raises_exactly(ValueError, f"not enough values to unpack (expected 5, got {kind.size})"):
        a, b, c, d, e = v
    it = iter(v)
    assert [next(it) for _ in values] == list(values)
    with raises_exactly(StopIteration, ""):
        next(it)
    # Each component is read when it is reached; an exhausted iterator stays
    # exhausted and lets go of the vector.
    it = iter(v)
    assert iter(it) is it and next(it) == values[0]
    v[1] = -5
    assert next(it) == -5.0
    v[1] = values[1]
    assert list(it) == list(values[2:]) and list(it) == []
    before = sys.getrefcount(v)
    del it
    assert sys.getrefcount(v) == before
    raises_exactly(TypeError, f"cannot create '{kind.type_name}Iterator' instances", type(iter(v)))
    assert 2 in v and 2.0 in v and values[-1] in v and kind.size + 1 not in v
    assert bool(kind.type()) is True and bool(kind.type(*(NAN,) * kind.size)) is True


ITEM_ASSIGNMENTS = {
    "Vector2": [([(0, 0.1), (1, Index(7))], (f32(0.1), 7.0)),
                ([(0, 0.1), (1, Index(7)), (True, -0.0)], (f32(0.1), -0.0)),
                ([(0, 0.1), (1, Index(7)), (True, -0.0), (np.int64(0), 1e39)], (INF, -0.0))],
    "Vector3": [([(1, 0.1)], (1.0, 0.10000000149011612, 3.0))],
    "Vector4": [([(3, 0.1), (Index(0), True)], (1.0, 2.0, 3.0, 0.1))],
}


@pytest.mark.parametrize("kind, assignments, expected", per_kind(ITEM_ASSIGNMENTS))
def test_item_assignment(kind, assignments, expected):
    v = kind.type(*components(kind))
    for key, value in assignments:
        v[key] = value
    assert_vector(v, expected)


@pytest.mark.parametrize("kind", KINDS)
def test_item_deletion(kind):
    v = kind.type(*components(kind))
    for key in (0, 1, 5, "a", slice(0, 2)):
        raises_exactly(NotImplementedError, f"Subscript deletion not supported by {kind.type_name}",
                       operator.delitem, v, key)
    assert_vector(v, components(kind))


def out_of_range_keys(kind):
    n = kind.size
    return [n, n + 1, -1, -n, -(n + 1), 2**31, 2**63, 2**64, -(2**63), -(2**63) - 1, 2**100, -(2**100), 10**30,
            10**100, -(10**100), Index(7), Index(-(10**30)), Index(2**70)]


@pytest.mark.parametrize("kind", KINDS)
def test_index_out_of_range(kind):
    v = kind.type(*components(kind))
    for key in out_of_range_keys(kind):
        raises_exactly(IndexError, INDEX_ERROR, operator.getitem, v, key)
        raises_exactly(IndexError, INDEX_ERROR, operator.setitem, v, key, 0)
    assert_vector(v, components(kind))


@pytest.mark.parametrize("key", [0.0, 1.0, slice(None), slice(0, 2), "x", "0", None, (0,), BadIndex()])
@pytest.mark.parametrize("kind", KINDS)
def test_bad_keys(kind, key):
    expected = error_of(operator.index, key)
    v = kind.type(*components(kind))
    raises_exactly(*expected, operator.getitem, v, key)
    # The key is converted before the value.
    for value in ("a", 1.0):
        raises_exactly(*expected, operator.setitem, v, key, value)
    assert_vector(v, components(kind))


# --- swizzles ----------------------------------------------------------------------------------


# The class lists its swizzles after the components and before `length`: Vector4
# in lexicographic order, Vector3 in the order of its own table.
SWIZZLE_ORDER = {
    "Vector2": "xx xy yx yy".split(),
    "Vector3": (
        "xxx xxy xxz xyx xyy xyz xzy xzx xzz yxx yxy yxz yyx yyy yyz yzx yzy yzz "
        "zxx zxy zxz zyx zyy zyz zzx zzy zzz"
    ).split(),
    "Vector4": ["".join(w) for w in itertools.product("xyzw", repeat=4)],
}

NOT_SWIZZLES = {
    "Vector2": ("xyz", "xxx", "xw", "z"),
    "Vector3": ("xy", "yx", "xyzx", "xxxx", "xyw"),
    "Vector4": ("xy", "xyz", "wzy", "xyzwx", "xyzv", "aaaa"),
}


def swizzle_words(kind):
    return SWIZZLE_ORDER[kind.cls]


@pytest.mark.parametrize("kind", KINDS)
def test_swizzle_names_and_order(kind):
    names = list(vars(kind.type))
    order = swizzle_words(kind)
    assert len(set(order)) == len(order) == kind.size**kind.size
    assert [n for n in names if len(n) == kind.size and set(n) <= set(kind.letters)] == order
    start = names.index(order[0])
    before = [*kind.letters, *(["data"] if kind.has_data else [])]
    assert names[start - len(before) : start] == before
    assert names[start + len(order) : start + len(order) + 2] == ["length_squared", "length"]
    for name in NOT_SWIZZLES[kind.cls] + (() if kind.has_data else ("data",)):
        assert not hasattr(kind.type(), name)


SWIZZLE_VALUES = {
    "Vector2": [((1.5, -2),), ((-0.0, NAN),)],
    "Vector3": [((0.10000000149011612, -0.0, -INF),)],
    "Vector4": [((0.1, -0.0, 1e300, -INF),)],
}


@pytest.mark.parametrize("kind, values", per_kind(SWIZZLE_VALUES))
def test_swizzle_values(kind, values):
    v = kind.type(*values)
    stored = v.get_tuple()
    for word in swizzle_words(kind):
        result = getattr(v, word)
        assert result is not v
        assert_vector(result, tuple(stored[kind.letters.index(letter)] for letter in word))
        result.x = 99
    copied = getattr(v, kind.letters)
    assert copied == v or math.isnan(stored[-1])
    assert copied is not v
    copied.x = 5
    assert_vector(v, stored)


SWIZZLE_EXAMPLES = {
    "Vector2": [("xx", (1.5, -2), (1.5, 1.5)), ("xy", (1.5, -2), (1.5, -2.0)), ("yx", (1.5, -2), (-2.0, 1.5)),
                ("yy", (1.5, -2), (-2.0, -2.0)), ("yx", (-0.0, NAN), (NAN, -0.0)), ("xx", (-0.0, NAN), (-0.0, -0.0))],
    "Vector3": [("zyx", (1, 2, 3), (3.0, 2.0, 1.0)), ("xxz", (1, 2, 3), (1.0, 1.0, 3.0))],
    "Vector4": [("wzyx", (1, 2, 3, 4), (4.0, 3.0, 2.0, 1.0)), ("xxyz", (1, 2, 3, 4), (1.0, 1.0, 2.0, 3.0)),
                ("ywxz", (1, 2, 3, 4), (2.0, 4.0, 1.0, 3.0))],
}


@pytest.mark.parametrize("kind, word, values, expected", per_kind(SWIZZLE_EXAMPLES))
def test_swizzle_examples(kind, word, values, expected):
    assert_vector(getattr(kind.type(*values), word), expected)


# --- reference counts --------------------------------------------------------------------------


@pytest.mark.parametrize("kind", KINDS)
def test_reference_counts(kind):
    cls, p = kind.type, kind.prefix
    v, w = cls(*components(kind)), cls(*(1.0,) * kind.size)
    item = float("12345.5")  # not a constant, so its count moves
    items = (item,) * kind.size
    before = sys.getrefcount(v), sys.getrefcount(w), sys.getrefcount(item)
    for _ in range(50):
        v += w
        v -= w
        v.to_neg()
        v.to_round()
        v.to_abs()
        v.sadd(v, w)
        v.sadd(v, -w)
        v.dot(w)
        if kind.has_cross:
            v.cross(w)
        cls.from_tuple(items)
        cls.from_list(list(items))
        cls(items)
        getattr(consumer, f"{p}_cfrom_tuple")(items)
        getattr(consumer, f"{p}_cfrom_list")(list(items))
        getattr(consumer, f"{p}_unary")("to_round", v)
    assert (sys.getrefcount(v), sys.getrefcount(w), sys.getrefcount(item)) == before


@pytest.mark.parametrize("kind", KINDS)
def test_no_reference_leaks_of_results(kind):
    v = kind.type(*components(kind))
    base = sys.getrefcount(v)
    for _ in range(100):
        assert v.to_round() is v
        assert v.to_abs() is v
        assert v.to_neg() is v
        assert v.to_normalized() is v
        v += kind.type()
    assert sys.getrefcount(v) == base


@pytest.mark.parametrize("kind", KINDS)
def test_module_publishes_only_the_class(kind):
    module = sys.modules[kind.type.__module__]
    assert getattr(module, kind.cls) is kind.type
    assert {name for name in vars(module) if not name.startswith("__")} == {kind.cls}


# --- native table and inline helpers -----------------------------------------------------------


# After the object header: the native table pointer, then the components
# (Vector3's three floats padded to eight bytes).
OBJECT_SIZES = {"Vector2": 8 + 2 * 4, "Vector3": 8 + 3 * 4 + 4, "Vector4": 8 + 4 * 8}


@pytest.mark.parametrize("kind", KINDS)
def test_native_table_and_layout(kind):
    capsule = kind.type.__dict__["__pyx_vtable__"]
    assert type(capsule).__name__ == "PyCapsule"
    assert kind.type.__basicsize__ == object.__basicsize__ + OBJECT_SIZES[kind.cls]
    assert sys.getsizeof(kind.type()) >= kind.type.__basicsize__


NATIVE_CONSTRUCTORS = {
    "Vector3": [
        ("new", (0.1, 1e39, -1e-50), (0.10000000149011612, INF, -0.0)),
        ("cfrom_xyz", (1, 2, 3), (1.0, 2.0, 3.0)),
        ("cfrom_ints", (2**31 - 1, -(2**31), 5), (2147483648.0, -2147483648.0, 5.0)),
        ("cfrom_floats", (0.1, 2, 3), (0.10000000149011612, 2.0, 3.0)),
        ("cfrom_tuple", ((1, 2, 3, 4),), (1.0, 2.0, 3.0)),
        ("cfrom_list", ([True, Index(2), 0.1],), (1.0, 2.0, 0.10000000149011612)),
    ],
    "Vector4": [
        ("new", (0.1, -0.0, 1e300, -INF), (0.1, -0.0, 1e300, -INF)),
        ("cfrom_xyzw", (1, 2, 3, 4), (1.0, 2.0, 3.0, 4.0)),
        ("cfrom_ints", (-(2**31), 2**31 - 1, 0, 7), (-2147483648.0, 2147483647.0, 0.0, 7.0)),
        ("cfrom_floats", (0.1, 1, 2, 3), (0.10000000149011612, 1.0, 2.0, 3.0)),
        ("cfrom_tuple", ((1, 2, 3, 4, 5),), (1.0, 2.0, 3.0, 4.0)),
        ("cfrom_list", ([1, Index(2), 3.5, True],), (1.0, 2.0, 3.5, 1.0)),
    ],
}


@pytest.mark.parametrize("kind, function, args, expected", per_kind(NATIVE_CONSTRUCTORS))
def test_native_constructors(kind, function, args, expected):
    assert_vector(getattr(consumer, f"{kind.prefix}_{function}")(*args), expected)


@pytest.mark.parametrize("kind", KINDS)
def test_native_constructor_errors(kind):
    p = kind.prefix
    v = kind.type(*components(kind))
    c = getattr(consumer, f"{p}_cfrom_{kind.module}")(v)
    assert c == v and c is not v
    short = components(kind)[:-1]
    raises_exactly(IndexError, "tuple index out of range", getattr(consumer, f"{p}_cfrom_tuple"), short)
    raises_exactly(IndexError, "list index out of range", getattr(consumer, f"{p}_cfrom_list"), [])
    with raises_exactly(Boom, "float"):
        getattr(consumer, f"{p}_cfrom_list")([*short, BadFloat()])
    with raises_exactly(TypeError, "must be real number, not NoneType"):
        getattr(consumer, f"{p}_cfrom_tuple")((*short, None))


NATIVE_OPERANDS = {
    "Vector2": [((1, 2), (0.5, -4))],
    "Vector3": [((1, 2, 3), (0.1, -4, 0.5))],
    "Vector4": [((1, 2, 3, 4), (0.5, -1, 2, 8))],
}


@pytest.mark.parametrize("kind, a, b", per_kind(NATIVE_OPERANDS))
def test_native_slots(kind, a, b):
    def native(name):
        return getattr(consumer, f"{kind.prefix}_{name}")

    a, b = kind.type(*a), kind.type(*b)
    assert native("binary")("_add", a, b) == a + b
    assert native("binary")("_sub", a, b) == a - b
    for name, expected in (("_iadd", a + b), ("_isub", a - b), ("_imul", a * b)):
        target = a.copy()
        assert native("in_place")(name, target, b) is None
        assert target == expected
    for flag in (None, 0, 1) if kind.sadd_flag else ((),):
        target = kind.type()
        native("sadd")(target, a, b, *(() if flag == () else (flag,)))
        assert target == a + b
    for name in ("get_tuple", "get_round", "get_abs", "get_neg", "get_int_tuple", "get_rounded_tuple", "copy",
                 "get_normalized"):
        for flag in ((), (0,), (1,)):
            result = native("unary")(name, b, *flag)
            expected = getattr(b, name)()
            assert type(result) is type(expected) and result == expected
            assert result is not b
    for name in ("to_round", "to_abs", "to_neg", "to_normalized"):
        for flag in ((), (1,)):
            target = b.copy()
            assert native("unary")(name, target, *flag) is target
            assert target == getattr(b, "get" + name[2:])()
    assert native("c_get_tuple")(b) == b.get_tuple()
    for name in ("distance_to", "distance_squared_to", "dot"):
        assert same(native("measure")(name, a, b), getattr(a, name)(b))
    if kind.has_cross:
        assert native("cross")(a, b, 0) == a.cross(b)


# The table's slot order is a contract with every module that includes the
# declaration header, so it is read here from the published capsule alone,
# independently of that header: each slot, called by its position, must do
# what its name says. The constructors come first (Vector2 has cfrom_struct
# as well), then the shared block, then Vector3's cross.
P, D, I, VOID = ctypes.py_object, ctypes.c_double, ctypes.c_int, None
SHARED_SLOTS = [  # name, result, parameters after self (flag: the dispatch flag)
    ("_add", P, "v"), ("_sub", P, "v"), ("_iadd", VOID, "v"), ("_isub", VOID, "v"), ("_imul", VOID, "v"),
    ("_sadd", VOID, "vv"), ("sadd", VOID, "vvf"), ("get_tuple", P, "f"), ("c_get_tuple", P, ""),
    ("to_round", P, "f"), ("get_round", P, "f"), ("to_abs", P, "f"), ("get_abs", P, "f"), ("to_neg", P, "f"),
    ("get_neg", P, "f"), ("get_int_tuple", P, "f"), ("get_rounded_tuple", P, "f"), ("copy", P, "f"),
    ("to_normalized", P, "f"), ("get_normalized", P, "f"), ("distance_to", D, "vf"),
    ("distance_squared_to", D, "vf"), ("dot", D, "vf"),
]
EXPECTED_SLOT = {
    "_add": operator.add, "_sub": operator.sub, "_iadd": operator.add, "_isub": operator.sub,
    "_imul": operator.mul, "c_get_tuple": lambda a: a.get_tuple(), "_sadd": operator.add, "sadd": operator.add,
}


@pytest.mark.parametrize("kind", KINDS)
def test_native_table_slot_order_from_the_capsule(kind):
    constructors = 8 if kind.cls == "Vector2" else 7
    count = constructors + len(SHARED_SLOTS) + kind.has_cross
    table = native_table(kind.type, count)
    values = (1.75, -2.5, 3.25, -4.5)[: kind.size]  # truncating, rounding and abs all differ
    a = ctypes.PYFUNCTYPE(P, *[D] * kind.size)(table[0])(*values)
    assert_vector(a, values)
    assert ctypes.c_void_p.from_address(id(a) + object.__basicsize__).value == ctypes.addressof(table)
    b = kind.type(*[0.5 - i for i in range(kind.size)])
    for index, (name, result, params) in enumerate(SHARED_SLOTS, start=constructors):
        kinds = {"v": P, "f": I}
        call = ctypes.PYFUNCTYPE(result, P, *[kinds[p] for p in params])(table[index])
        target = a.copy()
        operands = {"v": [b], "vv": [a, b], "vf": [b, 0], "vvf": [a, b, 0], "f": [0], "": []}[params]
        got = call(target, *operands)
        if name in EXPECTED_SLOT:
            expected = EXPECTED_SLOT[name](*([a] if name == "c_get_tuple" else [a, b]))
            assert (target if result is VOID else got) == expected, name
        elif result is D:
            assert same(got, getattr(a, name)(b)), name
        else:
            assert got == getattr(a, name)(), name
            assert (got is target) == name.startswith("to_"), name
    if kind.has_cross:
        cross = ctypes.PYFUNCTYPE(P, P, P, I)(table[count - 1])
        assert cross(a, b, 0) == a.cross(b)


# --- rounding against exact arithmetic ---------------------------------------------------------


STORED_FLOATS = {
    "Vector2": st.floats(width=32, allow_nan=False, allow_infinity=False),
    "Vector3": st.floats(width=32, allow_nan=False, allow_infinity=False),
    "Vector4": st.floats(allow_nan=False, allow_infinity=False),
}


@pytest.mark.parametrize("kind", KINDS)
@settings(max_examples=200, deadline=None)
@given(data=st.data())
def test_rounding_is_half_away_from_zero(kind, data):
    c = data.draw(STORED_FLOATS[kind.cls])
    magnitude = math.floor(abs(Fraction(c)) + Fraction(1, 2))
    expected = math.copysign(float(magnitude), c)
    v = kind.type(c, *(0,) * (kind.size - 1))
    assert same(v.get_round().x, expected)
    if abs(expected) < 2**31:
        assert v.get_rounded_tuple()[0] == int(expected)
        assert v.get_int_tuple()[0] == math.trunc(c)
