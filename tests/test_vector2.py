"""korvex.vector2.vector2.Vector2: construction, arithmetic, queries, protocols."""

import copy
import gc
import math
import operator
import pickle
import struct
import sys
import warnings
import weakref
from collections import OrderedDict

import numpy as np
import pytest

from korvex.vector2 import vector2 as vector2_module
from korvex.vector2.vector2 import Vector2

VEC = "korvex.vector2.vector2.Vector2"
INF = float("inf")
NAN = float("nan")


def f32(value):
    """`value` rounded to the nearest single-precision float, as a Python float."""
    with np.errstate(over="ignore"):
        return float(np.float32(value))


def same(a, b):
    """Floats identical to the bit (-0.0 is not 0.0), any NaN matching any NaN."""
    if math.isnan(a) or math.isnan(b):
        return math.isnan(a) and math.isnan(b)
    return struct.pack("<d", a) == struct.pack("<d", b)


def check(v, x, y):
    assert type(v) is Vector2
    assert same(v.x, x) and same(v.y, y), (v.x, v.y, x, y)


def argtype(param, expected, got):
    return f"Argument '{param}' has incorrect type (expected {expected}, got {got})"


def count_error(name, how, n, given):
    return f"{name}() takes {how} {n} positional argument{'' if n == 1 else 's'} ({given} given)"


def float_protocol_error(value):
    """The exception the interpreter's float conversion raises for `value`."""
    with pytest.raises(BaseException) as info:
        math.copysign(value, 1.0)
    return info.type, str(info.value)


def raises_exactly(exc_type, message, func, *args, **kwargs):
    with pytest.raises(exc_type) as info:
        func(*args, **kwargs)
    assert type(info.value) is exc_type
    assert str(info.value) == message
    return info.value


class Boom(Exception):
    pass


class FloatBoom:
    def __float__(self):
        raise Boom("float")


class IndexBoom:
    def __index__(self):
        raise Boom("index")


class FloatReturnsInt:
    def __float__(self):
        return 1


class IndexSeven:
    def __index__(self):
        return 7


class VectorLike:
    """Duck-typed vector: accepted because it has clamp_magnitude_ip."""

    clamp_magnitude_ip = None

    def __init__(self, x, y):
        self.x = x
        self.y = y


# ---------------------------------------------------------------------------
# Type shape
# ---------------------------------------------------------------------------


def test_type_is_final_plain_and_untracked():
    assert Vector2.__module__ == "korvex.vector2.vector2"
    assert Vector2.__qualname__ == "Vector2"
    assert not Vector2.__flags__ & (1 << 10)  # Py_TPFLAGS_BASETYPE
    assert not Vector2.__flags__ & (1 << 14)  # Py_TPFLAGS_HAVE_GC
    assert Vector2.__dictoffset__ == 0 and Vector2.__weakrefoffset__ == 0
    v = Vector2(1, 2)
    assert not gc.is_tracked(v)
    with pytest.raises(AttributeError):
        v.__dict__
    with pytest.raises(AttributeError):
        v.other = 1
    with pytest.raises(TypeError):
        weakref.ref(v)


def test_subclassing_fails():
    raises_exactly(TypeError, f"type '{VEC}' is not an acceptable base type", type, "Sub", (Vector2,), {})


def test_pool_reuses_released_objects():
    v = Vector2(5, 6)
    address = id(v)
    del v
    w = Vector2.__new__(Vector2)  # reused, and reset before anything else
    assert id(w) == address
    check(w, 0.0, 0.0)
    del w
    u = Vector2(1, 2) + Vector2(3, 4)
    check(u, 4.0, 6.0)
    # Many objects in and out of the pool keep their values apart.
    many = [Vector2(i, -i) for i in range(1500)]
    del many
    again = [Vector2(i, i * 2) for i in range(1500)]
    assert all(v.x == i and v.y == 2 * i for i, v in enumerate(again))


# ---------------------------------------------------------------------------
# Constructor
# ---------------------------------------------------------------------------


@pytest.mark.parametrize(
    "args, expected",
    [
        ((), (0.0, 0.0)),
        ((1, 2), (1.0, 2.0)),
        ((0.1, 0), (0.10000000149011612, 0.0)),
        ((True, False), (1.0, 0.0)),
        ((-0.0, 0.0), (-0.0, 0.0)),
        ((1e39, -1e39), (INF, -INF)),
        ((2**1023, 1e-50), (INF, 0.0)),
        ((1 + 2**-24, 1 + 3 * 2**-24), (1.0, 1 + 2**-22)),  # nearest, ties to even
        ((2**24 + 1, -(2**24 + 3)), (2.0**24, -(2.0**24 + 4))),
        ((IndexSeven(), np.float64(0.1)), (7.0, 0.10000000149011612)),
        (((1, 2),), (1.0, 2.0)),
        (([1, 2],), (1.0, 2.0)),
        ((VectorLike(3, 0.1),), (3.0, 0.10000000149011612)),
    ],
)
def test_constructor_forms(args, expected):
    check(Vector2(*args), *expected)


def test_constructor_copies_a_vector():
    v = Vector2(1.5, -2.5)
    w = Vector2(v)
    assert w is not v
    check(w, 1.5, -2.5)


def test_constructor_nan():
    v = Vector2(NAN, 1)
    assert math.isnan(v.x) and v.y == 1.0


@pytest.mark.parametrize(
    "arg, message",
    [
        ((1, 2, 3), "Vector2() takes a sequence of length 2, but got 3"),
        ((), "Vector2() takes a sequence of length 2, but got 0"),
        ([1], "Vector2() takes a sequence of length 2, but got 1"),
        (5, "Vector2() invalid constructor argument: int"),
        ("ab", "Vector2() invalid constructor argument: str"),
        ({"x": 1, "y": 2}, "Vector2() invalid constructor argument: dict"),
        (None, "Vector2() invalid constructor argument: NoneType"),
        (range(2), "Vector2() invalid constructor argument: range"),
        (OrderedDict(), "Vector2() invalid constructor argument: OrderedDict"),  # __name__, not tp_name
        (np.array([1.0, 2.0]), "Vector2() invalid constructor argument: ndarray"),
    ],
)
def test_constructor_one_argument_errors(arg, message):
    raises_exactly(TypeError, message, Vector2, arg)


def test_constructor_invalid_argument_names_local_class():
    class Local:
        x = 1
        y = 2

    raises_exactly(TypeError, "Vector2() invalid constructor argument: Local", Vector2, Local())


@pytest.mark.parametrize("count", [3, 4, 10])
def test_constructor_count_error(count):
    raises_exactly(
        TypeError, f"Vector2() takes 0, 1, or 2 arguments, but {count} were given", Vector2, *range(count)
    )


@pytest.mark.parametrize("kwargs", [{"x": 1}, {"y": 1, "x": 2}])
def test_constructor_rejects_keywords(kwargs):
    name = next(iter(kwargs))
    message = f"__init__() got an unexpected keyword argument '{name}'"
    raises_exactly(TypeError, message, Vector2, **kwargs)
    raises_exactly(TypeError, message, Vector2, 1, 2, **kwargs)
    v = Vector2(3, 4)
    raises_exactly(TypeError, message, v.__init__, 1, 2, **kwargs)
    check(v, 3.0, 4.0)


@pytest.mark.parametrize("value", ["a", None, [1], FloatBoom(), IndexBoom(), FloatReturnsInt(), 2**1024])
@pytest.mark.parametrize("position", [0, 1])
def test_constructor_conversion_errors_propagate(value, position):
    exc_type, message = float_protocol_error(value)
    args = [1, 2]
    args[position] = value
    raises_exactly(exc_type, message, Vector2, *args)
    raises_exactly(exc_type, message, Vector2, tuple(args))
    raises_exactly(exc_type, message, Vector2, VectorLike(*args))


def test_float_subclass_from_dunder_float_warns():
    class F(float):
        pass

    class ReturnsSubclass:
        def __float__(self):
            return F(2.5)

    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        check(Vector2(ReturnsSubclass(), 1), 2.5, 1.0)
    assert [w.category for w in caught] == [DeprecationWarning]


def test_vector_like_is_read_x_then_y_after_the_marker_test():
    log = []

    class Logged:
        clamp_magnitude_ip = None
        x = 1
        y = 2

        def __getattribute__(self, name):
            log.append(name)
            return object.__getattribute__(self, name)

    check(Vector2(Logged()), 1.0, 2.0)
    assert log == ["clamp_magnitude_ip", "x", "y"]


def test_marker_test_comes_before_the_sequence_test():
    class ListWithMarker(list):
        clamp_magnitude_ip = None
        x = 5
        y = 6

    check(Vector2(ListWithMarker([1, 2])), 5.0, 6.0)
    check(Vector2(ListWithMarker([1, 2, 3])), 5.0, 6.0)  # length never asked


@pytest.mark.parametrize("base", [object, tuple, list])
def test_marker_lookup_error_other_than_attribute_error_propagates(base):
    class Hostile(base):
        def __getattr__(self, name):
            raise Boom(name)

    with pytest.raises(Boom) as info:
        Vector2(Hostile())
    assert str(info.value) == "clamp_magnitude_ip"


def test_marker_lookup_attribute_error_means_no_marker():
    class Quiet:
        def __getattr__(self, name):
            raise AttributeError(name)

    raises_exactly(TypeError, "Vector2() invalid constructor argument: Quiet", Vector2, Quiet())

    class QuietTuple(tuple):
        def __getattr__(self, name):
            raise AttributeError(name)

    check(Vector2(QuietTuple((3, 4))), 3.0, 4.0)


def test_object_with_only_x_and_y_is_rejected():
    class XY:
        x = 1
        y = 2

    raises_exactly(TypeError, "Vector2() invalid constructor argument: XY", Vector2, XY())


def test_vector_like_missing_y():
    class OnlyX:
        clamp_magnitude_ip = None
        x = 1

    with pytest.raises(AttributeError):
        Vector2(OnlyX())


def test_sequence_subclasses():
    class T(tuple):
        pass

    class L(list):
        def __getitem__(self, index):  # the subclass's own item access is used
            return 10 + index

    check(Vector2(T((1, 2))), 1.0, 2.0)
    check(Vector2(L([1, 2])), 10.0, 11.0)
    raises_exactly(TypeError, "Vector2() takes a sequence of length 2, but got 3", Vector2, T((1, 2, 3)))


def test_sequence_with_lying_length():
    class ShortList(list):
        def __len__(self):
            return 2

    class LongTuple(tuple):
        def __len__(self):
            return 5

    class NegativeLength(list):
        def __len__(self):
            return -1

    class LengthBoom(tuple):
        def __len__(self):
            raise Boom("len")

    raises_exactly(IndexError, "list index out of range", Vector2, ShortList())
    raises_exactly(IndexError, "list index out of range", Vector2, ShortList([1]))
    check(Vector2(ShortList([1, 2, 3])), 1.0, 2.0)
    raises_exactly(TypeError, "Vector2() takes a sequence of length 2, but got 5", Vector2, LongTuple((1, 2)))
    with pytest.raises(ValueError):
        Vector2(NegativeLength([1, 2]))
    with pytest.raises(Boom):
        Vector2(LengthBoom((1, 2)))


def test_new_ignores_arguments():
    check(Vector2.__new__(Vector2), 0.0, 0.0)
    check(Vector2.__new__(Vector2, 1, 2), 0.0, 0.0)
    check(Vector2.__new__(Vector2, "junk", key=1), 0.0, 0.0)
    with pytest.raises(TypeError):
        Vector2.__new__(int)


def test_init_again_overwrites_and_keeps_what_was_stored():
    v = Vector2(1, 2)
    assert v.__init__(3, 4) is None
    check(v, 3.0, 4.0)
    v.__init__()
    check(v, 0.0, 0.0)
    v.__init__(Vector2(5, 6))
    check(v, 5.0, 6.0)

    # x is converted and stored before y is converted.
    v = Vector2(1, 2)
    with pytest.raises(TypeError):
        v.__init__(9, "a")
    check(v, 9.0, 2.0)
    v = Vector2(1, 2)
    with pytest.raises(TypeError):
        v.__init__([7, "a"])
    check(v, 7.0, 2.0)

    class OnlyX:
        clamp_magnitude_ip = None
        x = 8

    v = Vector2(1, 2)
    with pytest.raises(AttributeError):
        v.__init__(OnlyX())
    check(v, 8.0, 2.0)

    # Errors found before any conversion change nothing.
    v = Vector2(1, 2)
    for args in [(1, 2, 3), ((1, 2, 3),), ("ab",)]:
        with pytest.raises(TypeError):
            v.__init__(*args)
    check(v, 1.0, 2.0)


# ---------------------------------------------------------------------------
# Static factories
# ---------------------------------------------------------------------------


def test_factories_are_static():
    v = Vector2(9, 9)
    for name in ["from_vector2", "from_tuple", "from_list", "from_ints", "from_floats", "from_xy"]:
        assert isinstance(Vector2.__dict__[name], staticmethod)
    check(v.from_xy(1, 2), 1.0, 2.0)
    check(v, 9.0, 9.0)


@pytest.mark.parametrize(
    "call, expected",
    [
        (lambda: Vector2.from_vector2(Vector2(1.5, 2)), (1.5, 2.0)),
        (lambda: Vector2.from_vector2(other=Vector2(1, 2)), (1.0, 2.0)),
        (lambda: Vector2.from_tuple((1, 2)), (1.0, 2.0)),
        (lambda: Vector2.from_tuple((0.1, 2, "ignored")), (0.10000000149011612, 2.0)),
        (lambda: Vector2.from_tuple(other=(3, 4)), (3.0, 4.0)),
        (lambda: Vector2.from_list([1, 2, 9]), (1.0, 2.0)),
        (lambda: Vector2.from_list(other=[IndexSeven(), True]), (7.0, 1.0)),
        (lambda: Vector2.from_ints(3.9, -2.7), (3.0, -2.0)),
        (lambda: Vector2.from_ints(x=True, y=IntSubclass(7)), (1.0, 7.0)),
        (lambda: Vector2.from_ints(-(2**31), 2**31 - 1), (-2147483648.0, 2147483648.0)),
        (lambda: Vector2.from_ints(16777217, -16777219), (16777216.0, -16777220.0)),
        (lambda: Vector2.from_floats(0.1, -0.2), (f32(0.1), f32(-0.2))),
        (lambda: Vector2.from_floats(y=1e39, x=2), (2.0, INF)),
        (lambda: Vector2.from_xy(0.1, -0.0), (f32(0.1), -0.0)),
        (lambda: Vector2.from_xy(y=2, x=1), (1.0, 2.0)),
    ],
)
def test_factory_results(call, expected):
    check(call(), *expected)


def test_from_vector2_makes_a_new_object():
    v = Vector2(1, 2)
    assert Vector2.from_vector2(v) is not v


@pytest.mark.parametrize(
    "factory, arg, expected",
    [
        ("from_vector2", None, VEC),
        ("from_vector2", (1, 2), VEC),
        ("from_tuple", [1, 2], "tuple"),
        ("from_tuple", None, "tuple"),
        ("from_list", (1, 2), "list"),
        ("from_list", None, "list"),
    ],
)
def test_factory_argument_type(factory, arg, expected):
    raises_exactly(TypeError, argtype("other", expected, type(arg).__name__), getattr(Vector2, factory), arg)
    raises_exactly(TypeError, argtype("other", expected, type(arg).__name__), getattr(Vector2, factory), other=arg)


def test_from_tuple_and_from_list_take_exact_types_only():
    class T(tuple):
        pass

    class L(list):
        pass

    raises_exactly(TypeError, argtype("other", "tuple", "T"), Vector2.from_tuple, T((1, 2)))
    raises_exactly(TypeError, argtype("other", "list", "L"), Vector2.from_list, L([1, 2]))


@pytest.mark.parametrize(
    "factory, arg, message",
    [
        ("from_tuple", (), "tuple index out of range"),
        ("from_tuple", (1,), "tuple index out of range"),
        ("from_list", [], "list index out of range"),
        ("from_list", [1], "list index out of range"),
    ],
)
def test_from_tuple_and_from_list_too_short(factory, arg, message):
    raises_exactly(IndexError, message, getattr(Vector2, factory), arg)


@pytest.mark.parametrize("value", ["a", None, FloatBoom(), 2**1024])
@pytest.mark.parametrize("factory", ["from_tuple", "from_list", "from_floats", "from_xy"])
def test_factory_conversion_errors(factory, value):
    exc_type, message = float_protocol_error(value)
    make = getattr(Vector2, factory)
    if factory == "from_tuple":
        call = lambda: make((1, value))  # noqa: E731
    elif factory == "from_list":
        call = lambda: make([value, 1])  # noqa: E731
    else:
        call = lambda: make(1, value)  # noqa: E731
    raises_exactly(exc_type, message, call)


def test_from_list_item_conversion_may_shrink_the_list():
    items = []

    class Shrinker:
        def __float__(self):
            items.clear()
            return 1.0

    items.extend([Shrinker(), 2])
    raises_exactly(IndexError, "list index out of range", Vector2.from_list, items)


class IntSubclass(int):
    pass


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
        (IndexSeven(), TypeError, "an integer is required"),  # __index__ alone is not enough
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
@pytest.mark.parametrize("position", [0, 1])
def test_from_ints_errors(value, exc_type, message, position):
    args = [1, 2]
    args[position] = value
    raises_exactly(exc_type, message, Vector2.from_ints, *args)


def test_from_ints_dunder_int_raising_propagates():
    with pytest.raises(Boom):
        Vector2.from_ints(IntBoom(), 1)


def test_from_ints_int_subclass_result_warns():
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        check(Vector2.from_ints(IntReturnsSubclass(), 1), 7.0, 1.0)
    assert [w.category for w in caught] == [DeprecationWarning]
    assert str(caught[0].message).startswith("__int__ returned non-int (type IntSubclass).")
    with warnings.catch_warnings():
        warnings.simplefilter("error", DeprecationWarning)
        with pytest.raises(DeprecationWarning):
            Vector2.from_ints(IntReturnsSubclass(), 1)


def test_from_ints_int_subclass_argument_is_read_directly():
    check(Vector2.from_ints(IntSubclass(-5), True), -5.0, 1.0)


# ---------------------------------------------------------------------------
# Argument-checking messages through the methods
# ---------------------------------------------------------------------------

NO_ARG_METHODS = [
    "to_normalized", "get_normalized", "to_round", "get_round", "to_abs", "get_abs", "to_neg", "get_neg",
    "get_tuple", "get_int_tuple", "get_rounded_tuple", "copy", "__copy__", "__reduce__",
]


@pytest.mark.parametrize("name", NO_ARG_METHODS)
def test_methods_without_parameters_reject_arguments(name):
    v = Vector2(1, 2)
    method = getattr(v, name)
    shown = method.__name__  # the pickling hook keeps its private name
    raises_exactly(TypeError, count_error(shown, "exactly", 0, 1), method, 1)
    raises_exactly(TypeError, count_error(shown, "exactly", 0, 2), method, 1, 2)
    raises_exactly(TypeError, f"{shown}() got an unexpected keyword argument 'x'", method, x=1)
    check(v, 1.0, 2.0)


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda v, w: v.dot(), count_error("dot", "exactly", 1, 0)),
        (lambda v, w: v.dot(w, w), count_error("dot", "exactly", 1, 2)),
        (lambda v, w: v.dot(w, other=w), "dot() got multiple values for keyword argument 'other'"),
        (lambda v, w: v.dot(o=w), "dot() got an unexpected keyword argument 'o'"),
        (lambda v, w: v.distance_to(), count_error("distance_to", "exactly", 1, 0)),
        (lambda v, w: v.distance_squared_to(w, 1), count_error("distance_squared_to", "exactly", 1, 2)),
        (lambda v, w: v.__deepcopy__(), count_error("__deepcopy__", "exactly", 1, 0)),
        (lambda v, w: v.__deepcopy__({}, {}), count_error("__deepcopy__", "exactly", 1, 2)),
        (lambda v, w: v.__deepcopy__(other={}), "__deepcopy__() got an unexpected keyword argument 'other'"),
        (lambda v, w: v.sadd(), count_error("sadd", "exactly", 2, 0)),
        (lambda v, w: v.sadd(w), count_error("sadd", "exactly", 2, 1)),
        (lambda v, w: v.sadd(w, w, w), count_error("sadd", "exactly", 2, 3)),
        (lambda v, w: v.sadd(old_vec=w), count_error("sadd", "exactly", 2, 0)),
        (lambda v, w: v.sadd(w, new_vec=w), "sadd() got multiple values for keyword argument 'new_vec'"),
        (lambda v, w: v.sadd(w, w, old_vec=w), "sadd() got multiple values for keyword argument 'old_vec'"),
        (lambda v, w: v.sadd(w, bogus=w), "sadd() got an unexpected keyword argument 'bogus'"),
        (lambda v, w: v.sadd(w, None), argtype("old_vec", VEC, "NoneType")),
        (lambda v, w: v.sadd(1, w), argtype("new_vec", VEC, "int")),
        (lambda v, w: v.sadd(old_vec=w, new_vec=(1, 2)), argtype("new_vec", VEC, "tuple")),
        (lambda v, w: Vector2.from_xy(), count_error("from_xy", "exactly", 2, 0)),
        (lambda v, w: Vector2.from_xy(1), count_error("from_xy", "exactly", 2, 1)),
        (lambda v, w: Vector2.from_xy(y=1), count_error("from_xy", "exactly", 2, 0)),
        (lambda v, w: Vector2.from_xy(1, 2, 3), count_error("from_xy", "exactly", 2, 3)),
        (lambda v, w: Vector2.from_xy(1, x=2), "from_xy() got multiple values for keyword argument 'x'"),
        (lambda v, w: Vector2.from_xy(1, 2, z=3), "from_xy() got an unexpected keyword argument 'z'"),
        (lambda v, w: Vector2.from_floats(y=1), count_error("from_floats", "exactly", 2, 0)),
        (lambda v, w: Vector2.from_ints(1), count_error("from_ints", "exactly", 2, 1)),
        (lambda v, w: Vector2.from_vector2(), count_error("from_vector2", "exactly", 1, 0)),
        (lambda v, w: Vector2.from_tuple((1, 2), (3, 4)), count_error("from_tuple", "exactly", 1, 2)),
        (lambda v, w: Vector2.from_list(items=[1, 2]), "from_list() got an unexpected keyword argument 'items'"),
    ],
)
def test_argument_messages(call, message):
    v = Vector2(1, 2)
    raises_exactly(TypeError, message, call, v, Vector2(3, 4))
    check(v, 1.0, 2.0)


@pytest.mark.parametrize("name", ["distance_to", "distance_squared_to", "dot"])
@pytest.mark.parametrize("arg", [None, (1, 2), 1.0, [1, 2]])
def test_measures_demand_a_vector(name, arg):
    method = getattr(Vector2(1, 2), name)
    raises_exactly(TypeError, argtype("other", VEC, type(arg).__name__), method, arg)
    raises_exactly(TypeError, argtype("other", VEC, type(arg).__name__), method, other=arg)


# ---------------------------------------------------------------------------
# Properties
# ---------------------------------------------------------------------------


def test_component_properties():
    v = Vector2(1, 2)
    assert type(v.x) is float and type(v.y) is float
    v.x = 0.1
    v.y = IndexSeven()
    check(v, f32(0.1), 7.0)
    v.x = 1e39
    v.y = True
    check(v, INF, 1.0)


@pytest.mark.parametrize("value", ["a", None, FloatBoom(), IndexBoom(), FloatReturnsInt(), 2**1024])
@pytest.mark.parametrize("name", ["x", "y"])
def test_component_assignment_errors_leave_vector(name, value):
    v = Vector2(1, 2)
    exc_type, message = float_protocol_error(value)
    raises_exactly(exc_type, message, setattr, v, name, value)
    check(v, 1.0, 2.0)


@pytest.mark.parametrize("name", ["x", "y", "data"])
def test_property_deletion(name):
    v = Vector2(1, 2)
    raises_exactly(NotImplementedError, "__del__", delattr, v, name)
    check(v, 1.0, 2.0)


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
    with pytest.raises(Boom):
        v.data = Hostile()
    check(v, 1.0, 2.0)


@pytest.mark.parametrize("name", ["xx", "xy", "yx", "yy", "length"])
def test_read_only_properties(name):
    v = Vector2(1, 2)
    with pytest.raises(AttributeError):
        setattr(v, name, Vector2())
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


def test_operators_make_new_objects():
    a, b = Vector2(1, 2), Vector2(3, 4)
    for result in [a + b, a - b, a * b, a * 2, a / b, a / 2, a // b, a // 2, -a]:
        assert result is not a and result is not b
    check(a, 1.0, 2.0)
    check(b, 3.0, 4.0)


@pytest.mark.parametrize("op", [operator.add, operator.sub])
@pytest.mark.parametrize("other", [(3, 4), [3, 4], None, 2, 2.0])
def test_additive_operators_demand_a_vector(op, other):
    raises_exactly(TypeError, argtype("other", VEC, type(other).__name__), op, Vector2(1, 2), other)


@pytest.mark.parametrize(
    "op, symbol", [(operator.mul, "*"), (operator.truediv, "/"), (operator.floordiv, "//")]
)
@pytest.mark.parametrize("other", ["a", None, (1, 2), 1j])
def test_scaling_operators_leave_other_types_to_the_interpreter(op, symbol, other):
    if op is operator.mul and isinstance(other, str):
        message = f"can't multiply sequence by non-int of type '{VEC}'"
    elif op is operator.mul and isinstance(other, tuple):
        message = f"can't multiply sequence by non-int of type '{VEC}'"
    else:
        message = f"unsupported operand type(s) for {symbol}: '{VEC}' and '{type(other).__name__}'"
    raises_exactly(TypeError, message, op, Vector2(1, 2), other)


def test_no_reflected_operations():
    v = Vector2(1, 2)
    raises_exactly(TypeError, f"unsupported operand type(s) for *: 'int' and '{VEC}'", operator.mul, 3, v)
    raises_exactly(TypeError, f"unsupported operand type(s) for /: 'float' and '{VEC}'", operator.truediv, 1.0, v)
    raises_exactly(TypeError, f"unsupported operand type(s) for +: 'int' and '{VEC}'", operator.add, 1, v)
    raises_exactly(TypeError, f"unsupported operand type(s) for -: 'NoneType' and '{VEC}'", operator.sub, None, v)
    raises_exactly(
        TypeError, f'can only concatenate tuple (not "{VEC}") to tuple', operator.add, (3, 4), v
    )
    raises_exactly(TypeError, f'can only concatenate list (not "{VEC}") to list', operator.add, [3, 4], v)


@pytest.mark.parametrize("op", [operator.mod, operator.pow, operator.matmul, divmod, operator.pos, abs])
def test_undefined_operators(op):
    v = Vector2(1, 2)
    with pytest.raises(TypeError):
        op(v) if op in (operator.pos, abs) else op(v, v)


def test_scalar_conversion_errors():
    v = Vector2(1, 2)
    raises_exactly(OverflowError, "int too large to convert to float", operator.mul, v, 2**1024)
    raises_exactly(OverflowError, "int too large to convert to float", operator.truediv, v, -(2**1024))

    class IntWithFloat(int):
        def __float__(self):
            raise Boom("float")

    with pytest.raises(Boom):
        v * IntWithFloat(2)

    class F(float):
        pass

    check(v * F(0.1), mul_rule(1, 0.1), mul_rule(2, 0.1))
    check(v * np.float64(0.1), mul_rule(1, 0.1), mul_rule(2, 0.1))


def test_negation():
    v = Vector2(0, 1)
    n = -v
    check(n, -0.0, -1.0)
    assert n == Vector2(0, -1)
    check(-Vector2(-0.0, -INF), 0.0, INF)
    check(v, 0.0, 1.0)


@pytest.mark.parametrize(
    "op, expected",
    [(operator.iadd, (2.0, 3.0)), (operator.isub, (0.0, -1.0)), (operator.imul, (1.0, 2.0))],
)
def test_in_place_operators_update_the_same_object(op, expected):
    v = Vector2(1, 1)
    w = op(v, Vector2(1, 2))
    assert w is v
    check(v, *expected)


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


@pytest.mark.parametrize("op", [operator.iadd, operator.isub, operator.imul])
@pytest.mark.parametrize("other", [2, 2.0, None, (1, 2), [1, 2]])
def test_in_place_operators_demand_a_vector(op, other):
    v = Vector2(1, 2)
    raises_exactly(TypeError, argtype("other", VEC, type(other).__name__), op, v, other)
    check(v, 1.0, 2.0)


def test_in_place_with_vector_on_the_right_only():
    t = (1, 2)
    with pytest.raises(TypeError):
        t += Vector2(1, 2)
    assert t == (1, 2)


def test_sadd():
    v = Vector2(9, 9)
    assert v.sadd(Vector2(1, 2), Vector2(3, 4)) is None
    check(v, 4.0, 6.0)
    assert v.sadd(old_vec=Vector2(0.1, 0), new_vec=Vector2(0.2, 0)) is None
    check(v, f32(np.float32(0.2) + np.float32(0.1)), 0.0)
    v = Vector2(1, 2)
    v.sadd(v, v)  # the sum is formed before it is stored
    check(v, 2.0, 4.0)


# ---------------------------------------------------------------------------
# Equality and hash
# ---------------------------------------------------------------------------


def test_equality():
    assert Vector2(1, 2) == Vector2(1, 2)
    assert not Vector2(1, 2) != Vector2(1, 2)
    assert Vector2(1, 2) != Vector2(1, 3)
    assert Vector2(0.0, -0.0) == Vector2(-0.0, 0.0)
    assert Vector2(0.1, 0) == Vector2(f32(0.1), 0)
    assert Vector2(1, 2) != Vector2(1, 2 + 2**-22)


@pytest.mark.parametrize("other", [(1, 2), [1, 2], (1.0, 2.0), None, 1, "Vector2(1.0, 2.0)", {"x": 1, "y": 2}])
def test_equality_with_other_types_is_false(other):
    v = Vector2(1, 2)
    assert (v == other) is False
    assert (v != other) is True
    assert (other == v) is False
    assert (other != v) is True
    assert v.__eq__(other) is False
    assert v.__ne__(other) is True


@pytest.mark.parametrize("op", [operator.lt, operator.le, operator.gt, operator.ge])
def test_ordering_is_undefined(op):
    with pytest.raises(TypeError):
        op(Vector2(1, 2), Vector2(3, 4))
    assert Vector2(1, 2).__lt__(Vector2(3, 4)) is NotImplemented


@pytest.mark.parametrize(
    "x, y", [(1, 2), (-1, -1), (0.1, -0.7), (-0.0, 0.0), (INF, -INF), (1e38, 3e-45), (2**24 + 1, -123456.789)]
)
def test_hash_is_the_tuple_hash(x, y):
    v = Vector2(x, y)
    assert hash(v) == hash((f32(x), f32(y)))
    assert hash(v) == hash(v.get_tuple())


def test_hash_follows_mutation():
    v = Vector2(1, 2)
    seen = {v}
    assert Vector2(1, 2) in seen
    v.x = 5
    assert hash(v) == hash((5.0, 2.0))
    assert Vector2(5, 2) not in seen  # stored under its old hash


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


def test_length_values():
    assert Vector2(3, 4).length == 5.0
    assert Vector2(0, 0).length == 0.0
    assert Vector2(1, 1).length == 1.4142135381698608  # float32 root, not math.sqrt(2)
    assert Vector2(1e20, 0).length == INF  # the square overflows in float32
    assert math.isnan(Vector2(NAN, 0).length)


def test_distance_in_double_after_single_differences():
    assert Vector2(1, 1).distance_to(Vector2(4, 5)) == 5.0
    assert Vector2(1, 1).distance_squared_to(Vector2(4, 5)) == 25.0
    assert Vector2(1, 1).distance_to(other=Vector2(0, 0)) == math.sqrt(2.0)
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
    assert Vector2(1, 2).dot(Vector2(3, 4)) == 11.0
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


def test_normalisation_values():
    check(Vector2(3, 4).get_normalized(), f32(0.6), f32(0.8))
    check(Vector2(0, 0).get_normalized(), 0.0, 0.0)
    check(Vector2(-0.0, -0.0).get_normalized(), 0.0, 0.0)
    check(Vector2(1e-30, 0).get_normalized(), 0.0, 0.0)  # the squares underflow to zero in float32
    v = Vector2(0, -5)
    assert v.to_normalized() is v
    check(v, 0.0, -1.0)


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


def test_rounding_keeps_the_sign_of_small_negatives():
    check(Vector2(-0.49999997, -0.2).get_round(), -0.0, -0.0)


@pytest.mark.parametrize(
    "method, x, y, expected",
    [
        ("abs", -0.0, -1, (0.0, 1.0)),
        ("abs", -INF, 2, (INF, 2.0)),
        ("neg", 0.0, 1, (-0.0, -1.0)),
        ("neg", -0.0, -INF, (0.0, INF)),
        ("round", 2.5, -2.5, (3.0, -3.0)),
        ("normalized", 3, 4, (f32(0.6), f32(0.8))),
    ],
)
def test_in_place_and_copying_pairs(method, x, y, expected):
    v = Vector2(x, y)
    copied = getattr(v, "get_" + method)()
    assert copied is not v
    check(copied, *expected)
    check(v, f32(x), f32(y))
    assert getattr(v, "to_" + method)() is v
    check(v, *expected)


# ---------------------------------------------------------------------------
# Conversions
# ---------------------------------------------------------------------------


def test_get_tuple():
    v = Vector2(0.1, -2)
    t = v.get_tuple()
    assert type(t) is tuple and t == (f32(0.1), -2.0)
    assert all(type(c) is float for c in t)
    assert v.get_tuple() is not t


@pytest.mark.parametrize(
    "x, y, truncated, rounded",
    [
        (2.7, -2.7, (2, -2), (3, -3)),
        (2.5, -2.5, (2, -2), (3, -3)),
        (0.49999997, -0.5, (0, 0), (0, -1)),
        (-0.0, 0.0, (0, 0), (0, 0)),
        (-(2**31), 2147483520, (-(2**31), 2147483520), (-(2**31), 2147483520)),
    ],
)
def test_int_tuples(x, y, truncated, rounded):
    v = Vector2(x, y)
    t, r = v.get_int_tuple(), v.get_rounded_tuple()
    assert t == truncated and r == rounded
    assert all(type(c) is int for c in t + r)


@pytest.mark.parametrize(
    "x, exc_type, message",
    [
        (NAN, ValueError, "cannot convert float NaN to integer"),
        (INF, OverflowError, "value too large to convert to int"),
        (-INF, OverflowError, "value too large to convert to int"),
        (2**31, OverflowError, "value too large to convert to int"),
        (-(2**31) - 512, OverflowError, "value too large to convert to int"),
        (1e30, OverflowError, "value too large to convert to int"),
    ],
)
@pytest.mark.parametrize("method", ["get_int_tuple", "get_rounded_tuple"])
def test_int_tuples_out_of_range(method, x, exc_type, message):
    raises_exactly(exc_type, message, getattr(Vector2(1, x), method))
    raises_exactly(exc_type, message, getattr(Vector2(x, 1), method))


def test_copies():
    v = Vector2(0.1, -3)
    for w in [v.copy(), v.__copy__(), v.__deepcopy__({}), v.__deepcopy__(memo=None), copy.copy(v), copy.deepcopy(v)]:
        assert w is not v
        check(w, f32(0.1), -3.0)
    nested = copy.deepcopy([v, v])
    assert nested[0] is not v and nested[0] == v


@pytest.mark.parametrize(
    "x, y, text",
    [
        (1, 2, "Vector2(1.0, 2.0)"),
        (0.1, -3, "Vector2(0.10000000149011612, -3.0)"),
        (INF, -INF, "Vector2(inf, -inf)"),
        (NAN, -0.0, "Vector2(nan, -0.0)"),
        (1e30, 3e-45, "Vector2(1.0000000150474662e+30, 2.802596928649634e-45)"),
        (-3.4028234663852886e38, 123456789, "Vector2(-3.4028234663852886e+38, 123456792.0)"),
    ],
)
def test_text_form(x, y, text):
    v = Vector2(x, y)
    assert repr(v) == text
    assert str(v) == text
    assert text == f"Vector2({f32(x)!r}, {f32(y)!r})"


def test_pickling_is_refused():
    message = (
        "Pickling of struct members such as self.data must be explicitly requested with "
        "the build option KORVEX_PICKLE_STRUCTS"
    )
    v = Vector2(1, 2)
    for protocol in range(pickle.HIGHEST_PROTOCOL + 1):
        raises_exactly(TypeError, message, pickle.dumps, v, protocol)
    raises_exactly(TypeError, message, v.__reduce__)
    raises_exactly(TypeError, message, v.__reduce_ex__, 2)
    raises_exactly(TypeError, message, v.__setstate__, (1, 2))
    raises_exactly(TypeError, message, v.__setstate__, __pyx_state=None)
    check(v, 1.0, 2.0)


# ---------------------------------------------------------------------------
# Sequence protocol
# ---------------------------------------------------------------------------


def test_length_iteration_and_membership():
    v = Vector2(1, 0.1)
    assert len(v) == 2
    assert list(v) == [1.0, f32(0.1)]
    assert tuple(v) == (1.0, f32(0.1))
    a, b = v
    assert (a, b) == (1.0, f32(0.1))
    assert 1.0 in v and 1 in v and f32(0.1) in v
    assert 0.1 not in v and 2 not in v
    it = iter(v)
    assert next(it) == 1.0 and next(it) == f32(0.1)
    with pytest.raises(StopIteration):
        next(it)
    with pytest.raises(ValueError):
        a, b, c = v
    assert bool(Vector2(0, 0)) is True
    assert bool(Vector2(-0.0, NAN)) is True


@pytest.mark.parametrize(
    "key, expected", [(0, 1.5), (1, -2.5), (True, -2.5), (False, 1.5)]
)
def test_item_read(key, expected):
    value = Vector2(1.5, -2.5)[key]
    assert type(value) is float and value == expected


def test_item_read_through_index():
    class One:
        def __index__(self):
            return 1

    assert Vector2(1, 2)[One()] == 2.0
    assert Vector2(1, 2)[np.int64(0)] == 1.0
    assert Vector2(1, 2)[IntSubclass(1)] == 2.0


@pytest.mark.parametrize("key", [2, -1, -2, 3, 2**31, 2**63, 2**100, -(2**100), IndexSeven()])
def test_item_out_of_range(key):
    v = Vector2(1, 2)
    raises_exactly(IndexError, "Vector index out of range", operator.getitem, v, key)
    raises_exactly(IndexError, "Vector index out of range", operator.setitem, v, key, 1.0)
    check(v, 1.0, 2.0)


@pytest.mark.parametrize("key", [0.0, 1.0, slice(0, 1), "0", None, (0,), IndexBoom()])
def test_item_key_conversion_errors(key):
    with pytest.raises(BaseException) as expected:
        operator.index(key)
    v = Vector2(1, 2)
    raises_exactly(expected.type, str(expected.value), operator.getitem, v, key)
    # The key is converted before the value.
    raises_exactly(expected.type, str(expected.value), operator.setitem, v, key, "a")
    check(v, 1.0, 2.0)


def test_item_assignment():
    v = Vector2(1, 2)
    v[0] = 0.1
    v[1] = IndexSeven()
    check(v, f32(0.1), 7.0)
    v[True] = -0.0
    check(v, f32(0.1), -0.0)
    v[np.int64(0)] = 1e39
    check(v, INF, -0.0)


@pytest.mark.parametrize("key", [0, 1, 5, -1, 2**100])
@pytest.mark.parametrize("value", ["a", None, FloatBoom(), FloatReturnsInt(), 2**1024])
def test_item_value_converted_before_the_index_is_checked(key, value):
    v = Vector2(1, 2)
    exc_type, message = float_protocol_error(value)
    raises_exactly(exc_type, message, operator.setitem, v, key, value)
    check(v, 1.0, 2.0)


@pytest.mark.parametrize("key", [0, 1, 5, "a", slice(0, 2)])
def test_item_deletion(key):
    v = Vector2(1, 2)
    raises_exactly(
        NotImplementedError, f"Subscript deletion not supported by {VEC}", operator.delitem, v, key
    )
    check(v, 1.0, 2.0)


# ---------------------------------------------------------------------------
# Swizzles
# ---------------------------------------------------------------------------


@pytest.mark.parametrize(
    "name, expected", [("xx", (1.5, 1.5)), ("xy", (1.5, -2.0)), ("yx", (-2.0, 1.5)), ("yy", (-2.0, -2.0))]
)
def test_swizzles_are_new_vectors(name, expected):
    v = Vector2(1.5, -2)
    s = getattr(v, name)
    assert s is not v
    check(s, *expected)
    s.x = 99
    check(v, 1.5, -2.0)


def test_swizzles_keep_signed_zero_and_nan():
    v = Vector2(-0.0, NAN)
    check(v.yx, NAN, -0.0)
    check(v.xx, -0.0, -0.0)


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
    key = IndexSeven()
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


def test_no_reference_leaks_of_results():
    v = Vector2(1, 2)
    base = sys.getrefcount(v)
    for _ in range(100):
        assert v.to_round() is v
        assert v.to_abs() is v
        assert v.to_neg() is v
        assert v.to_normalized() is v
        v += Vector2(0, 0)
    assert sys.getrefcount(v) == base


def test_module_publishes_only_the_class():
    assert vector2_module.Vector2 is Vector2
    public = {name for name in vars(vector2_module) if not name.startswith("__")}
    assert public == {"Vector2"}
