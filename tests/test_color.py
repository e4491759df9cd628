"""korvex.color.color: the Color type, its native table and raylib's helpers."""

import ctypes
import gc
import inspect
import math
import sys
import weakref

import pytest

from korvex.color.color import Color
from korvex.vector4.vector4 import Vector4
import korvex_consumer as consumer
from support import (
    Index, bits, count_error, f32, native_table, no_new_attribute, python_output, raises_exactly, refuses_pickling,
    struct_refusal, unordered,
)

K = 1 / 255  # Python's division is correctly rounded: the double nearest 1/255


def channels(c):
    return (c.r, c.g, c.b, c.a)


def tp_name(obj):
    """The type name that the interpreter's messages show for built-in and korvex objects."""
    t = type(obj)
    return t.__name__ if t.__module__ == "builtins" else f"{t.__module__}.{t.__name__}"


def incorrect_type(param, got):
    return f"Argument '{param}' has incorrect type (expected korvex.color.color.Color, got {got})"


class RaylibColor(ctypes.Structure):
    _fields_ = [(name, ctypes.c_ubyte) for name in "rgba"]


@pytest.fixture(scope="module")
def raylib():
    """raylib itself, called directly: the oracle for the helpers Color forwards to."""
    lib = ctypes.CDLL("libraylib.so.600")
    lib.ColorTint.restype = RaylibColor
    lib.ColorTint.argtypes = [RaylibColor, RaylibColor]
    lib.ColorToInt.restype = ctypes.c_int
    lib.ColorToInt.argtypes = [RaylibColor]
    lib.ColorIsEqual.restype = ctypes.c_bool
    lib.ColorIsEqual.argtypes = [RaylibColor, RaylibColor]
    return lib


class Int:
    def __init__(self, value):
        self.value = value

    def __int__(self):
        return self.value


class IntRaises:
    def __int__(self):
        raise ZeroDivisionError("no int")


# --- construction ---------------------------------------------------------------


@pytest.mark.parametrize(
    "args, expected",
    [
        ((0, 0, 0), (0, 0, 0, 255)),
        ((1, 2, 3, 4), (1, 2, 3, 4)),
        ((300, -5, 128), (255, 0, 128, 255)),
        ((256, -1, 1000, -1000), (255, 0, 255, 0)),
        ((12.9, 0, 0), (12, 0, 0, 255)),
        ((-0.9, 255.99, -1.5, 0.5), (0, 255, 0, 0)),
        ((True, False, 1), (1, 0, 1, 255)),
        ((Int(7), Int(-7), Int(700), Int(8)), (7, 0, 255, 8)),
        ((2**31 - 1, -(2**31), 0), (255, 0, 0, 255)),
    ],
)
def test_constructor_converts_and_clamps(args, expected):
    assert channels(Color(*args)) == expected


def test_keywords():
    assert channels(Color(r=1, g=2, b=3)) == (1, 2, 3, 255)
    assert channels(Color(1, 2, b=3, a=4)) == (1, 2, 3, 4)
    assert channels(Color(a=9, b=3, g=2, r=1)) == (1, 2, 3, 9)


OVERFLOW = (OverflowError, "value too large to convert to int")


@pytest.mark.parametrize(
    "args, kwargs, error, message",
    [
        ((), {}, TypeError, "__init__() takes at least 3 positional arguments (0 given)"),
        ((1, 2), {}, TypeError, "__init__() takes at least 3 positional arguments (2 given)"),
        ((1, 2, 3, 4, 5), {}, TypeError, "__init__() takes at most 4 positional arguments (5 given)"),
        ((), {"a": 1}, TypeError, "__init__() takes at least 3 positional arguments (0 given)"),
        ((1, 2, 3), {"x": 1}, TypeError, "__init__() got an unexpected keyword argument 'x'"),
        ((1, 2, 3), {"r": 4}, TypeError, "__init__() got multiple values for keyword argument 'r'"),
        (("1", 2, 3), {}, TypeError, "an integer is required"),
        ((None, 2, 3), {}, TypeError, "an integer is required"),
        ((Index(3), 2, 3), {}, TypeError, "an integer is required"),
        ((Int("7"), 2, 3), {}, TypeError, "__int__ returned non-int (type str)"),
        *(((0, value, 0), {}, *OVERFLOW) for value in (2**31, -(2**31) - 1, 2**40, Int(2**40))),
        ((0, 0, 2**100), {}, OverflowError, "Python int too large to convert to C long"),  # the interpreter's
        ((1, IntRaises(), 3), {}, ZeroDivisionError, "no int"),
        (("x", 2**40, 0), {}, TypeError, "an integer is required"),  # r fails first, though g would overflow
    ],
)
def test_constructor_errors(args, kwargs, error, message):
    with raises_exactly(error, message):
        Color(*args, **kwargs)


def test_int_subclass_from_int_method_warns():
    with pytest.warns(DeprecationWarning, match=r"__int__ returned non-int \(type bool\)"):
        assert Color(Int(True), 0, 0).r == 1


def test_failed_init_leaves_object_unchanged():
    c = Color(1, 2, 3, 4)
    for bad, error, message in [
        ((9, 9, "x"), TypeError, "an integer is required"),
        ((9, 9, 9, 2**40), OverflowError, "value too large to convert to int"),
        ((9,), TypeError, "__init__() takes at least 3 positional arguments (1 given)"),
        ((9, 9, 9, IntRaises()), ZeroDivisionError, "no int"),
    ]:
        with raises_exactly(error, message):
            c.__init__(*bad)
        assert channels(c) == (1, 2, 3, 4)


def test_init_again_overwrites_everything():
    c = Color(1, 2, 3, 4)
    c.__init__(5, 6, 7)
    assert channels(c) == (5, 6, 7, 255)


def test_new_alone_is_zero_and_skips_init():
    c = Color.__new__(Color)
    assert channels(c) == (0, 0, 0, 0)
    assert channels(Color.__new__(Color, 1, 2, 3)) == (0, 0, 0, 0)


def test_type_shape():
    c = Color(1, 2, 3)
    assert type(c).__name__ == "Color"
    assert Color.__module__ == "korvex.color.color"
    assert Color.__doc__ is None
    assert not hasattr(c, "__dict__")
    with raises_exactly(TypeError, "cannot create weak reference to 'korvex.color.color.Color' object"):
        weakref.ref(c)
    assert not gc.is_tracked(c)
    with raises_exactly(AttributeError, no_new_attribute("korvex.color.color.Color", "extra")):
        c.extra = 1


def test_import_binds_vector4():
    code = "import sys, korvex.color.color; print('korvex.vector4.vector4' in sys.modules)"
    assert python_output(code).strip() == "True"


# --- properties -----------------------------------------------------------------


@pytest.mark.parametrize("index, names", list(enumerate([("r", "red"), ("g", "green"), ("b", "blue"), ("a", "alpha")])))
def test_channel_properties(index, names):
    for name in names:
        c = Color(10, 20, 30, 40)
        assert getattr(c, name) == (10, 20, 30, 40)[index]
        setattr(c, name, 99)
        expected = [10, 20, 30, 40]
        expected[index] = 99
        assert channels(c) == tuple(expected)
        for alias in names:
            assert getattr(c, alias) == 99


@pytest.mark.parametrize(
    "value, stored", [(300, 255), (-1, 0), (999, 255), (12.7, 12), (True, 1), (Int(-40), 0), (2**31 - 1, 255)]
)
def test_property_assignment_clamps(value, stored):
    c = Color(1, 2, 3, 4)
    c.g = value
    assert channels(c) == (1, stored, 3, 4)
    c.alpha = value
    assert c.a == stored


# Values a channel (or an int result) cannot be made of, and the error each gives.
INT_FAILURES = [
    ("5", TypeError, "an integer is required"),
    ("x", TypeError, "an integer is required"),
    (None, TypeError, "an integer is required"),
    (2**40, OverflowError, "value too large to convert to int"),
    (Int(1.5), TypeError, "__int__ returned non-int (type float)"),
    (Int(2.5), TypeError, "__int__ returned non-int (type float)"),
]


@pytest.mark.parametrize("value, error, message", INT_FAILURES)
def test_property_assignment_failure_keeps_channel(value, error, message):
    c = Color(1, 2, 3, 4)
    with raises_exactly(error, message):
        c.b = value
    assert channels(c) == (1, 2, 3, 4)


@pytest.mark.parametrize("name", ["r", "g", "b", "a", "red", "green", "blue", "alpha"])
def test_property_delete(name):
    c = Color(1, 2, 3)
    with raises_exactly(NotImplementedError, '__del__'):
        delattr(c, name)


# --- equality, hashing, protocols ---------------------------------------------------


class SubColor(Color):
    pass


def test_equality():
    assert (Color(255, 0, 0) == Color(255, 0, 0)) is True
    assert (Color(255, 0, 0) != Color(255, 0, 0)) is False
    assert (Color(1, 2, 3) != Color(1, 2, 4)) is True
    assert (Color(1, 2, 3, 4) == Color(1, 2, 3, 5)) is False
    assert Color(1, 2, 3) == SubColor(1, 2, 3)
    assert SubColor(1, 2, 3) == Color(1, 2, 3)
    assert Color(300, 0, 0) == Color(255, -9, 0)


@pytest.mark.parametrize("other", [(255, 0, 0, 255), None, 0, [255, 0, 0, 255], "Color(255, 0, 0, 255)"])
def test_equality_demands_a_color(other):
    c = Color(255, 0, 0)
    message = incorrect_type("other", type(other).__name__)
    for compare in (lambda: c == other, lambda: c != other, lambda: other == c, lambda: other != c):
        with raises_exactly(TypeError, message):
            compare()


@pytest.mark.parametrize("op", ["<", "<=", ">", ">="])
def test_no_ordering(op):
    with raises_exactly(TypeError, unordered(op, "korvex.color.color.Color")):
        eval(f"a {op} b", {"a": Color(1, 2, 3), "b": Color(1, 2, 3)})


def test_unhashable():
    with raises_exactly(TypeError, "unhashable type: 'korvex.color.color.Color'"):
        hash(Color(1, 2, 3))
    assert Color.__hash__ is None


def test_len_and_truth():
    assert len(Color(1, 2, 3)) == 4
    assert Color.__len__(Color(0, 0, 0, 0)) == 4
    assert bool(Color(0, 0, 0, 0)) is True


@pytest.mark.parametrize("key", [0, 3, -1, slice(0, 2), "r"])
def test_not_subscriptable(key):
    c = Color(1, 2, 3)
    with raises_exactly(TypeError, "'korvex.color.color.Color' object is not subscriptable"):
        c[key]
    with raises_exactly(TypeError, "'korvex.color.color.Color' object does not support item assignment"):
        c[key] = 1


def test_iteration_is_a_generator_reading_live_values():
    c = Color(1, 2, 3, 4)
    it = iter(c)
    assert inspect.isgenerator(it)
    assert it.__qualname__ == "Color.__iter__"
    assert next(it) == 1
    c.g, c.b, c.r = 20, 30, 100
    assert next(it) == 20
    c.b = 300
    assert list(it) == [255, 4]
    with raises_exactly(StopIteration, ""):
        next(it)


def test_iteration_reads_storage_not_overridden_properties():
    class Shadow(Color):
        r = property(lambda self: -1)

    assert list(Shadow(1, 2, 3)) == [1, 2, 3, 255]


def test_sequence_like_uses():
    assert list(Color(1, 2, 3, 4)) == [1, 2, 3, 4]
    assert tuple(Color(300, 0, 0)) == (255, 0, 0, 255)
    assert 255 in Color(255, 0, 0)
    assert 7 not in Color(1, 2, 3)
    r, g, b, a = Color(9, 8, 7, 6)
    assert (r, g, b, a) == (9, 8, 7, 6)
    assert all(type(v) is int for v in Color(1, 2, 3))


@pytest.mark.parametrize(
    "args, text",
    [((0, 10, 200), "Color(0, 10, 200, 255)"), ((255, 0, 128, 0), "Color(255, 0, 128, 0)"), ((-1, 999, 5), "Color(0, 255, 5, 255)")],
)
def test_repr(args, text):
    assert repr(Color(*args)) == text
    assert str(Color(*args)) == text
    assert repr(SubColor(*args)) == text


def test_pickling_refused():
    refuses_pickling(Color(1, 2, 3), struct_refusal("_raw"))


# --- methods ----------------------------------------------------------------------


def test_normalize_example():
    v = Color(255, 0, 51, 255).normalize()
    assert type(v) is Vector4
    assert (v.x, v.y, v.z, v.w) == (1.0, 0.0, 0.2, 1.0)


def test_normalize_multiplies_by_the_nearest_double_to_one_255th():
    for value in range(256):
        v = Color(value, value, value, value).normalize()
        for component in (v.x, v.y, v.z, v.w):
            assert bits(component) == bits(value * K)
    # For these channels the product is one unit in the last place away from the quotient.
    for value in (33, 37):
        assert Color(value, 0, 0).normalize().x == value * K
        assert value * K != value / 255


def test_normalize_keeps_channel_order():
    v = Color(1, 2, 3, 4).normalize()
    assert (v.x, v.y, v.z, v.w) == (1 * K, 2 * K, 3 * K, 4 * K)


@pytest.mark.parametrize(
    "xyzw, expected",
    [
        ((1.0, 0.5, 0.0, 1.2), (255, 127, 0, 255)),
        ((0.999, -0.2, 2.0, 1.0), (254, 0, 255, 255)),
        ((-0.003, 0.0039, 0.00393, 254.9 / 255), (0, 0, 1, 254)),
        ((math.nan, -math.nan, math.inf, -math.inf), (0, 0, 255, 0)),
        ((1e300, -1e300, 8421504.0, -8421504.0), (255, 0, 255, 0)),
        ((2**31 / 255, 2**32, -(2**31) / 255, 5e-324), (255, 255, 0, 0)),
    ],
)
def test_from_normalized(xyzw, expected):
    assert channels(Color.from_normalized(Vector4(*xyzw))) == expected
    assert channels(Color(0, 0, 0).from_normalized(vector=Vector4(*xyzw))) == expected


def test_from_normalized_truncates_the_normalized_channels():
    # The product with 1/255 can fall just below value/255, and truncation
    # then loses one: 33 comes back as 32.
    for value in range(256):
        back = Color.from_normalized(Color(value, value, value, value).normalize())
        assert channels(back) == (int(value * K * 255),) * 4
    assert Color.from_normalized(Color(33, 0, 0).normalize()).r == 32


@pytest.mark.parametrize("bad", [None, (1.0, 1.0, 1.0, 1.0), Color(1, 2, 3), 1.0])
def test_from_normalized_demands_vector4(bad):
    with raises_exactly(TypeError, (
        f"Argument 'vector' has incorrect type (expected korvex.vector4.vector4.Vector4, got {tp_name(bad)})"
    )):
        Color.from_normalized(bad)


def test_equal_method(raylib):
    assert Color(1, 2, 3).equal(Color(1, 2, 3)) is True
    assert Color(1, 2, 3).equal(other=Color(1, 2, 3, 4)) is False
    a, b = RaylibColor(1, 2, 3, 255), RaylibColor(1, 2, 3, 255)
    assert raylib.ColorIsEqual(a, b) is True


TINT_CASES = [
    ((255, 255, 255, 255), (10, 20, 30, 40)),
    ((200, 100, 50, 255), (128, 128, 128, 128)),
    ((1, 2, 254, 255), (255, 0, 127, 3)),
    ((17, 99, 201, 77), (250, 251, 252, 253)),
    ((0, 0, 0, 0), (255, 255, 255, 255)),
]


@pytest.mark.parametrize("base, tint", TINT_CASES)
def test_tint_is_raylibs(raylib, base, tint):
    c = Color(*base)
    result = c.tint(Color(*tint))
    expected = raylib.ColorTint(RaylibColor(*base), RaylibColor(*tint))
    assert channels(result) == (expected.r, expected.g, expected.b, expected.a)
    assert type(result) is Color
    assert channels(c) == base


def test_tint_examples():
    assert channels(Color(255, 255, 255).tint(Color(10, 20, 30, 40))) == (10, 20, 30, 40)
    assert channels(Color(200, 100, 50).tint(tint=Color(0, 255, 0))) == (0, 100, 0, 255)


@pytest.mark.parametrize(
    "alpha, stored",
    [
        (0.5, 127),
        (1.0, 255),
        (7, 255),
        (0.0, 0),
        (-0.0, 0),
        (-3, 0),
        (math.nan, 255),
        (math.inf, 255),
        (-math.inf, 0),
        (1e300, 255),
        (0.2, 51),
        (True, 255),
        # Rounded to single precision before scaling: in double this would give 0.
        (math.nextafter(1 / 255, 0), 1),
        (math.nextafter(128 / 255, 0), 128),
    ],
)
def test_fade(alpha, stored):
    c = Color(10, 20, 30, 40)
    assert c.fade(alpha) is None
    assert channels(c) == (10, 20, 30, stored)


def test_fade_single_precision_matters():
    alpha = math.nextafter(1 / 255, 0)
    assert int(alpha * 255) == 0 and int(f32(alpha) * 255.0) == 1


@pytest.mark.parametrize(
    "alpha, error, message",
    [
        ("0.5", TypeError, "must be real number, not str"),
        (None, TypeError, "must be real number, not NoneType"),
        (2**2000, OverflowError, "int too large to convert to float"),
    ],
)
def test_fade_errors(alpha, error, message):
    c = Color(1, 2, 3, 4)
    with raises_exactly(error, message):
        c.fade(alpha)
    assert channels(c) == (1, 2, 3, 4)


def test_fade_by_keyword():
    c = Color(1, 2, 3)
    c.fade(alpha=0.0)
    assert c.a == 0


@pytest.mark.parametrize(
    "rgba, value",
    [
        ((255, 255, 255, 255), -1),
        ((0, 0, 0, 255), 255),
        ((0, 0, 1, 0), 256),
        ((128, 0, 0, 0), -(2**31)),
        ((127, 255, 255, 255), 2**31 - 1),
        ((18, 52, 86, 120), 0x12345678),
        ((171, 205, 239, 1), 0xABCDEF01 - 2**32),
    ],
)
def test_to_int(rgba, value):
    assert Color(*rgba).to_int() == value


def test_to_int_is_raylibs(raylib):
    for rgba in [(0, 0, 0, 0), (1, 2, 3, 4), (200, 1, 255, 9), (128, 128, 128, 128)]:
        signed = int.from_bytes(bytes(rgba), "big", signed=True)
        assert Color(*rgba).to_int() == raylib.ColorToInt(RaylibColor(*rgba)) == signed


METHOD_ARGUMENT_ERRORS = {
    "from_normalized()": (lambda c: Color.from_normalized(), count_error("from_normalized", 1, 0)),
    "normalize(1)": (lambda c: c.normalize(1), count_error("normalize", 0, 1)),
    "to_int(1)": (lambda c: c.to_int(1), count_error("to_int", 0, 1)),
    "fade()": (lambda c: c.fade(), count_error("fade", 1, 0)),
    "equal(x=c)": (lambda c: c.equal(x=c), "equal() got an unexpected keyword argument 'x'"),
    "equal(None)": (lambda c: c.equal(None), incorrect_type("other", "NoneType")),
    "tint(tuple)": (lambda c: c.tint((1, 2, 3)), incorrect_type("tint", "tuple")),
}


@pytest.mark.parametrize("call, message", METHOD_ARGUMENT_ERRORS.values(), ids=METHOD_ARGUMENT_ERRORS.keys())
def test_method_argument_errors(call, message):
    raises_exactly(TypeError, message, call, Color(1, 2, 3))


# --- subclasses and overrides ------------------------------------------------------


class Overriding(Color):
    def __init__(self, *args):
        super().__init__(*args)
        self.faded = []

    def to_int(self):
        return 7

    def fade(self, alpha):
        self.faded.append(alpha)


def test_subclass_construction():
    s = SubColor(1, 2, 3)
    assert type(s) is SubColor and channels(s) == (1, 2, 3, 255)
    assert channels(SubColor(r=300, g=2, b=3, a=-4)) == (255, 2, 3, 0)
    with raises_exactly(TypeError, '__init__() takes at least 3 positional arguments (1 given)'):
        SubColor(1)
    s.extra = 5  # a Python subclass has an instance dict
    assert s.extra == 5


def test_subclass_methods_and_tint_result_type():
    s = SubColor(255, 255, 255)
    assert type(s.tint(Color(1, 2, 3))) is Color
    assert s.to_int() == -1
    s.fade(0.5)
    assert s.a == 127


def test_python_calls_do_not_reenter_overrides():
    class CallsUp(Color):
        def to_int(self):
            return super().to_int() + 1

        def fade(self, alpha):
            super().fade(alpha / 2)

    c = CallsUp(0, 0, 0, 255)
    assert c.to_int() == 256
    c.fade(1.0)
    assert c.a == 127


def test_native_slots_honour_overrides_with_flag_zero():
    c = Overriding(0, 0, 1, 0)
    assert consumer.color_to_int(c, 0) == 7
    assert consumer.color_to_int(c, 1) == 256
    consumer.color_fade(c, 0.25, 0)
    assert c.faded == [0.25] and c.a == 0
    assert type(c.faded[0]) is float
    consumer.color_fade(c, 0.5, 1)
    assert c.faded == [0.25] and c.a == 127


def test_native_slots_without_override():
    for c in (Color(0, 0, 1, 0), SubColor(0, 0, 1, 0)):
        assert consumer.color_to_int(c, 0) == 256
        consumer.color_fade(c, 0.5, 0)
        assert c.a == 127


def test_fade_override_gets_the_single_precision_value():
    c = Overriding(0, 0, 0)
    consumer.color_fade(c, 0.1, 0)
    assert c.faded == [f32(0.1)]


@pytest.mark.parametrize("result, error, message", INT_FAILURES)
def test_to_int_override_result_conversion_errors(result, error, message):
    class Bad(Color):
        def to_int(self):
            return result

    with raises_exactly(error, message):
        consumer.color_to_int(Bad(1, 2, 3), 0)


@pytest.mark.parametrize("result, value", [(3.9, 3), (-2.5, -2), (True, 1), (Int(-9), -9)])
def test_to_int_override_result_converted(result, value):
    class Odd(Color):
        def to_int(self):
            return result

    assert consumer.color_to_int(Odd(1, 2, 3), 0) == value


class RaisingOverrides(Color):
    def to_int(self):
        raise KeyError("to_int")

    def fade(self, alpha):
        raise KeyError("fade")


class GuardedOverrides(Color):
    def __getattribute__(self, name):
        if name in ("to_int", "fade"):
            raise RuntimeError(f"no {name}")
        return super().__getattribute__(name)


# An override that raises, and a failed look-up of the override, are the
# slot's failure; the slot's own body (flag 1) is not affected.
@pytest.mark.parametrize(
    "cls, error, to_int_message, fade_message",
    [(RaisingOverrides, KeyError, "'to_int'", "'fade'"), (GuardedOverrides, RuntimeError, "no to_int", "no fade")],
)
def test_override_failures_propagate(cls, error, to_int_message, fade_message):
    c = cls(0, 0, 1, 9)
    with raises_exactly(error, to_int_message):
        consumer.color_to_int(c, 0)
    with raises_exactly(error, fade_message):
        consumer.color_fade(c, 0.0, 0)
    assert c.a == 9
    assert consumer.color_to_int(c, 1) == 265
    consumer.color_fade(c, 0.0, 1)
    assert c.a == 0


def test_override_may_be_any_callable_attribute():
    c = SubColor(1, 2, 3)
    c.to_int = lambda: 42
    assert consumer.color_to_int(c, 0) == 42
    assert c.to_int() == 42
    assert consumer.color_to_int(c, 1) == int.from_bytes(bytes([1, 2, 3, 255]), "big")


# --- native table ------------------------------------------------------------------


@pytest.mark.parametrize(
    "args, expected",
    [((1, 2, 3, 4), (1, 2, 3, 4)), ((-5, 256, 2**31 - 1, -(2**31)), (0, 255, 255, 0))],
)
def test_native_new(args, expected):
    c = consumer.color_new(*args)
    assert type(c) is Color
    assert channels(c) == expected == consumer.color_raw(c)
    assert consumer.color_clamp_channels(*args) == expected


def test_native_equal_normalize_tint():
    a, b = Color(1, 2, 3, 4), SubColor(1, 2, 3, 4)
    assert consumer.color_equal(a, b) == 1
    assert consumer.color_equal(a, Color(1, 2, 3, 5)) == 0
    v = consumer.color_normalize(Color(33, 37, 0, 255))
    assert type(v) is Vector4 and (v.x, v.y, v.z, v.w) == (33 * K, 37 * K, 0.0, 1.0)
    t = consumer.color_tint(Color(255, 255, 255, 255), Color(9, 8, 7, 6))
    assert type(t) is Color and channels(t) == (9, 8, 7, 6)


def test_storage_is_the_raw_struct():
    c = Color(1, 2, 3, 4)
    c.g = 200
    assert consumer.color_raw(c) == (1, 200, 3, 4)
    assert Color.__basicsize__ == object.__basicsize__ + 8 + 8  # table pointer, 4 channels padded


# --- references ---------------------------------------------------------------------


def test_no_reference_leaks():
    c, other, v = Color(1, 2, 3), Color(4, 5, 6), Vector4(0.5, 0.5, 0.5, 0.5)
    before = [sys.getrefcount(x) for x in (c, other, v)]
    for _ in range(100):
        c.equal(other)
        c == other
        c.tint(other)
        c.normalize()
        Color.from_normalized(v)
        list(c)
        repr(c)
        c.fade(0.5)
        c.to_int()
        consumer.color_to_int(c, 0)
        consumer.color_tint(c, other)
        try:
            c == v
        except TypeError:
            pass
    assert [sys.getrefcount(x) for x in (c, other, v)] == before


def test_generator_holds_its_color():
    c = Color(1, 2, 3)
    before = sys.getrefcount(c)
    it = iter(c)
    assert sys.getrefcount(c) == before + 1
    del it
    assert sys.getrefcount(c) == before


def test_native_table_slot_order_from_the_capsule():
    # Checked from the published capsule alone, independently of the
    # declaration header that the consuming modules compile against.
    table = native_table(Color, 6)
    P, I = ctypes.py_object, ctypes.c_int
    new, equal, normalize, tint, fade, to_int = (
        ctypes.PYFUNCTYPE(P, I, I, I, I)(table[0]),
        ctypes.PYFUNCTYPE(I, P, P)(table[1]),
        ctypes.PYFUNCTYPE(P, P)(table[2]),
        ctypes.PYFUNCTYPE(P, P, P)(table[3]),
        ctypes.PYFUNCTYPE(None, P, ctypes.c_float, I)(table[4]),
        ctypes.PYFUNCTYPE(I, P, I)(table[5]),
    )
    c = new(300, -5, 128, 7)
    assert type(c) is Color and channels(c) == (255, 0, 128, 7)
    # Every instance carries the same table right after the object header.
    assert ctypes.c_void_p.from_address(id(c) + object.__basicsize__).value == ctypes.addressof(table)
    assert (equal(c, Color(255, 0, 128, 7)), equal(c, Color(255, 0, 128, 8))) == (1, 0)
    v = normalize(Color(255, 0, 51, 255))
    assert type(v) is Vector4 and (v.x, v.y, v.z, v.w) == (1.0, 0.0, 51 * K, 1.0)
    assert channels(tint(Color(255, 255, 255, 255), Color(10, 20, 30, 40))) == (10, 20, 30, 40)
    fade(c, 0.5, 1)
    assert c.a == 127
    assert to_int(Color(0, 0, 1, 0), 1) == 256
    o = Overriding(0, 0, 1, 0)
    fade(o, 0.25, 0)
    assert o.faded == [0.25] and to_int(o, 0) == 7
