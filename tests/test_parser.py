"""korvex.parser.parser: the like-argument parsers, called through their capsules."""

import ctypes
import struct
import sys

import pytest

import korvex.parser.parser as parser_module
import korvex_consumer as consumer
from korvex.color.color import Color
from korvex.rect.rect import Rect
from korvex.vector2.vector2 import Vector2
from korvex.vector4.vector4 import Vector4
from support import (
    IMPORT_WITH_A_NON_TYPE, BadIndex, Boom, Index, ListSub, TupleSub, capsule_name, capsule_pointer, f32,
    python_output, raises_exactly,
)

vector2_like = consumer.parser_vector2_like
rect_like = consumer.parser_rect_like
color_like = consumer.parser_color_like


class Recorder:
    """A number that logs its conversions, and fails on request."""

    def __init__(self, log, name, value=1, fail=None):
        self.log, self.name, self.value, self.fail = log, name, value, fail

    def __float__(self):
        self.log.append(self.name)
        if self.fail:
            raise self.fail(self.name)
        return float(self.value)

    def __int__(self):
        self.log.append(self.name)
        if self.fail:
            raise self.fail(self.name)
        return int(self.value)


class Seq:
    """A sequence built on __getitem__, with an optional lying or failing __len__."""

    def __init__(self, items, length=None, length_error=None, item_error=None):
        self.items, self.length, self.length_error, self.item_error = list(items), length, length_error, item_error

    def __len__(self):
        if self.length_error:
            raise self.length_error("len")
        return len(self.items) if self.length is None else self.length

    def __getitem__(self, index):
        if self.item_error and index == len(self.items) - 1:
            raise self.item_error("item")
        return self.items[index]


class SubColor(Color):
    pass


class SubRect(Rect):
    pass


# --- the module and its capsules -------------------------------------------------------


def test_capsules_in_order_with_signature_names():
    capi = parser_module.__pyx_capi__
    assert list(capi) == ["parse_color_like", "parse_rect_like", "parse_vector2_like"]
    assert [capsule_name(c) for c in capi.values()] == [
        "struct Color (PyObject *)",
        "struct Rectangle (PyObject *)",
        "struct Vector2 (PyObject *)",
    ]


def test_no_python_visible_functions_or_classes():
    public = [name for name in dir(parser_module) if not name.startswith("__")]
    assert public == []
    assert parser_module.__test__ == {}


def test_callable_through_ctypes_with_a_pending_exception():
    class CColor(ctypes.Structure):
        _fields_ = [(n, ctypes.c_ubyte) for n in "rgba"]

    capsule = parser_module.__pyx_capi__["parse_color_like"]
    address = capsule_pointer(capsule, b"struct Color (PyObject *)")
    parse = ctypes.PYFUNCTYPE(CColor, ctypes.py_object)(address)
    c = parse((1, 2, 3))
    assert (c.r, c.g, c.b, c.a) == (1, 2, 3, 255)
    with raises_exactly(ValueError, 'tuple for color-like argument must have only 3-4 elements.'):
        parse((1, 2))
    with raises_exactly(ValueError, "PyCapsule_GetPointer called with incorrect name"):
        capsule_pointer(capsule, b"struct Color (PyObject*)")


def test_import_helper_checks_signatures(monkeypatch):
    capi = parser_module.__pyx_capi__
    assert consumer.parser_reimport() is True
    monkeypatch.setitem(capi, "parse_rect_like", capi["parse_vector2_like"])
    with raises_exactly(TypeError, (
        "C function korvex.parser.parser.parse_rect_like has wrong signature "
        "(expected struct Rectangle (PyObject *), got struct Vector2 (PyObject *))"
    )):
        consumer.parser_reimport()
    monkeypatch.delitem(capi, "parse_rect_like")
    with raises_exactly(ImportError, "korvex.parser.parser does not export expected C function parse_rect_like"):
        consumer.parser_reimport()


def test_exports_come_before_binding_in_order():
    # Proxies stand in for the four modules and record, at each class lookup,
    # what __pyx_capi__ already holds.
    out = python_output(
        """
        import sys, types, importlib
        names = [("korvex.vector2.vector2", "Vector2"), ("korvex.vector4.vector4", "Vector4"),
                 ("korvex.color.color", "Color"), ("korvex.rect.rect", "Rect")]
        log = []
        for module_name, class_name in names:
            real = importlib.import_module(module_name)
            proxy = types.ModuleType(module_name)
            def lookup(attribute, real=real, class_name=class_name):
                parser = sys.modules.get("korvex.parser.parser")
                if parser is not None and attribute == class_name:
                    log.append((attribute, list(getattr(parser, "__pyx_capi__", {}))))
                return getattr(real, attribute)
            proxy.__getattr__ = lookup
            sys.modules[module_name] = proxy
        import korvex.parser.parser
        for entry in log:
            print(entry)
        """
    )
    capi = ["parse_color_like", "parse_rect_like", "parse_vector2_like"]
    assert out.splitlines() == [str((name, capi)) for name in ("Vector2", "Vector4", "Color", "Rect")]


def test_binding_failure_aborts_import():
    out = python_output(
        IMPORT_WITH_A_NON_TYPE.format(module="korvex.color.color", name="Color", importing="korvex.parser.parser")
    )
    assert out.strip() == "korvex.color.color.Color is not a type object"


@pytest.mark.parametrize(
    "first",
    ["korvex.color.color", "korvex.rect.rect", "korvex.colors.colors", "korvex.vector2.vector2"],
)
def test_import_in_any_order(first):
    out = python_output(
        f"""
        import {first}
        import korvex.parser.parser, korvex.colors.colors, korvex.rect.rect, korvex.color.color
        print(sorted(korvex.parser.parser.__pyx_capi__))
        """
    )
    assert out.strip() == "['parse_color_like', 'parse_rect_like', 'parse_vector2_like']"


# --- parse_vector2_like ------------------------------------------------------------------


@pytest.mark.parametrize(
    "value, expected",
    [
        (Vector2(1, 2), (1.0, 2.0)),
        ((1, 2), (1.0, 2.0)),
        ([1, 2], (1.0, 2.0)),
        (TupleSub((1, 2)), (1.0, 2.0)),
        (ListSub([1, 2]), (1.0, 2.0)),
        (range(2), (0.0, 1.0)),
        (range(5, 7), (5.0, 6.0)),
        (b"ab", (97.0, 98.0)),
        ((0.1, -0.2), (f32(0.1), f32(-0.2))),
        ((True, Index(9)), (1.0, 9.0)),
        ((1e300, -1e300), (float("inf"), float("-inf"))),
        (Seq([3, 4]), (3.0, 4.0)),
        (Seq([3, 4], length=7), (3.0, 4.0)),
        (Seq((5.5, 6.5)), (5.5, 6.5)),
    ],
)
def test_vector2_like_values(value, expected):
    assert vector2_like(value) == expected


def test_vector2_like_own_type_is_copied():
    v = Vector2(0.1, 7)
    assert vector2_like(v) == (f32(0.1), 7.0)
    assert (v.x, v.y) == (f32(0.1), 7.0)


VECTOR2_LIKE_ERRORS = [
    ((1, 2, 3), ValueError, "tuple for vector2-like argument must have only 2 elements."),
    ((), ValueError, "tuple for vector2-like argument must have only 2 elements."),
    ([1], ValueError, "list for vector2-like argument must have only 2 elements."),
    ([1, 2, 3], ValueError, "list for vector2-like argument must have only 2 elements."),
    (TupleSub((1, 2, 3)), ValueError, "sequence for vector2-like argument must have only 2 elements."),
    (ListSub(), ValueError, "sequence for vector2-like argument must have only 2 elements."),
    ("abc", ValueError, "sequence for vector2-like argument must have only 2 elements."),
    (range(4), ValueError, "sequence for vector2-like argument must have only 2 elements."),
    (Vector4(1, 2, 3, 4), ValueError, "sequence for vector2-like argument must have only 2 elements."),
    (Seq([1, 2, 3], length=2), ValueError, "sequence for vector2-like argument must have only 2 elements."),
    ("ab", TypeError, "must be real number, not str"),
    (("1", 2), TypeError, "must be real number, not str"),
    ((1, None), TypeError, "must be real number, not NoneType"),
    ((2**2000, 0), OverflowError, "int too large to convert to float"),
    (5, TypeError, "vector2-like argument must be Vector2, or any sequence, got int."),
    (None, TypeError, "vector2-like argument must be Vector2, or any sequence, got NoneType."),
    (1.5, TypeError, "vector2-like argument must be Vector2, or any sequence, got float."),
    ({0: 1, 1: 2}, TypeError, "vector2-like argument must be Vector2, or any sequence, got dict."),
    ({1, 2}, TypeError, "vector2-like argument must be Vector2, or any sequence, got set."),
    (iter((1, 2)), TypeError, "vector2-like argument must be Vector2, or any sequence, got tuple_iterator."),
    (Color(1, 2, 3), TypeError, "vector2-like argument must be Vector2, or any sequence, got Color."),
]


# An exact tuple or list converts x first; any other sequence converts y first.
@pytest.mark.parametrize(
    "make, order", [(tuple, "xy"), (list, "xy"), (TupleSub, "yx"), (ListSub, "yx"), (Seq, "yx")]
)
def test_vector2_like_converts_in_order_and_stops_at_the_first_failure(make, order):
    first, second = order
    log = []
    assert vector2_like(make([Recorder(log, "x", 3), Recorder(log, "y", 4)])) == (3.0, 4.0)
    assert log == list(order)
    log.clear()
    # Both fail: the second is not converted any more, the first's error is reported.
    fails = {first: KeyError, second: ValueError}
    with raises_exactly(KeyError, repr(first)):
        vector2_like(make([Recorder(log, name, fail=fails[name]) for name in "xy"]))
    assert log == [first]
    log.clear()
    with raises_exactly(ValueError, second):
        vector2_like(make([Recorder(log, name, fail=ValueError if name == second else None) for name in "xy"]))
    assert log == list(order)


def test_vector2_like_index_errors_propagate():
    with raises_exactly(Boom, "index"):
        vector2_like((BadIndex(), 0))


# --- parse_rect_like -------------------------------------------------------------------------


@pytest.mark.parametrize(
    "value, expected",
    [
        (Rect(1, 2, 3, 4), (1.0, 2.0, 3.0, 4.0)),
        ((1, 2, 3, 4), (1.0, 2.0, 3.0, 4.0)),
        ([1, 2.5, -3, 4e38], (1.0, 2.5, -3.0, float("inf"))),
        (range(4), (0.0, 1.0, 2.0, 3.0)),
        (TupleSub((4, 3, 2, 1)), (4.0, 3.0, 2.0, 1.0)),
        (Vector4(0.1, 2, 3, 4), (f32(0.1), 2.0, 3.0, 4.0)),
        (SubRect(5, 6, 7, 8), (5.0, 6.0, 7.0, 8.0)),
        (b"abcd", (97.0, 98.0, 99.0, 100.0)),
        (Seq([1, 2, 3, 4], length=1), (1.0, 2.0, 3.0, 4.0)),
        (Rect(float("nan"), 0, -0.0, float("inf")), None),
    ],
)
def test_rect_like_values(value, expected):
    result = rect_like(value)
    if expected is None:
        assert result[0] != result[0] and struct.pack("<d", result[2]) == struct.pack("<d", -0.0)
        assert result[3] == float("inf")
    else:
        assert result == expected


def test_rect_like_own_type_is_read_without_calls():
    class Shadow(Rect):
        def __getitem__(self, index):
            if index < 4:
                return 7.0
            raise IndexError(index)

    # The exact type is copied straight from storage; a subclass goes through
    # the sequence branch and so through its own item access.
    assert rect_like(Rect(0.1, 2, 3, 4)) == (f32(0.1), 2.0, 3.0, 4.0)
    assert rect_like(Shadow(1, 2, 3, 4)) == (7.0, 7.0, 7.0, 7.0)


RECT_LIKE_ERRORS = [
    ((1, 2, 3), ValueError, "tuple for rect-like argument must have only 4 elements."),
    ((1, 2, 3, 4, 5), ValueError, "tuple for rect-like argument must have only 4 elements."),
    ([], ValueError, "list for rect-like argument must have only 4 elements."),
    (ListSub([1, 2]), ValueError, "sequence for rect-like argument must have only 4 elements."),
    ("abc", ValueError, "sequence for rect-like argument must have only 4 elements."),
    (Vector2(1, 2), ValueError, "sequence for rect-like argument must have only 4 elements."),
    ("abcd", TypeError, "must be real number, not str"),
    ((1, 2, 3, "4"), TypeError, "must be real number, not str"),
    ({}, TypeError, "rect_like argument must be Rect, tuple, or list, got dict"),
    (None, TypeError, "rect_like argument must be Rect, tuple, or list, got NoneType"),
    (5, TypeError, "rect_like argument must be Rect, tuple, or list, got int"),
    (Color(1, 2, 3), TypeError, "rect_like argument must be Rect, tuple, or list, got Color"),
]


@pytest.mark.parametrize(
    "parse, make, names, values, expected, failing, error",
    [(rect_like, make, "xywh", (0, 1, 2, 3), (0.0, 1.0, 2.0, 3.0), 2, ArithmeticError)
     for make in (tuple, list, TupleSub, Seq)]
    + [(color_like, make, "rgba", (1, 999, -1, 7), (1, 255, 0, 7), 1, LookupError)
       for make in (tuple, list, ListSub, Seq)],
)
def test_rect_and_color_like_convert_in_order_and_stop(parse, make, names, values, expected, failing, error):
    log = []
    items = [Recorder(log, name, value) for name, value in zip(names, values)]
    assert parse(make(items)) == expected
    assert log == list(names)
    log.clear()
    items[failing].fail = error
    with raises_exactly(error, names[failing]):
        parse(make(items))
    assert log == list(names[: failing + 1])


# --- parse_color_like -----------------------------------------------------------------------


@pytest.mark.parametrize(
    "value, expected",
    [
        (Color(1, 2, 3, 4), (1, 2, 3, 4)),
        ((300, -5, 128), (255, 0, 128, 255)),
        ([10, 20, 30, 40], (10, 20, 30, 40)),
        ((1.9, 2, 3), (1, 2, 3, 255)),
        ((200.7, -0.9, 255.9, 0.5), (200, 0, 255, 0)),
        ((2**31 - 1, -(2**31), 0, 1000), (255, 0, 0, 255)),
        ((True, False, True), (1, 0, 1, 255)),
        (range(3), (0, 1, 2, 255)),
        (range(250, 254), (250, 251, 252, 253)),
        (b"\x01\x02\x03", (1, 2, 3, 255)),
        (TupleSub((9, 8, 7)), (9, 8, 7, 255)),
        (ListSub([9, 8, 7, 6]), (9, 8, 7, 6)),
        (Seq([4, 5, 6]), (4, 5, 6, 255)),
    ],
)
def test_color_like_values(value, expected):
    assert color_like(value) == expected


COLOR_LIKE_ERRORS = [
    ((1, 2), ValueError, "tuple for color-like argument must have only 3-4 elements."),
    ((1, 2, 3, 4, 5), ValueError, "tuple for color-like argument must have only 3-4 elements."),
    ([1, 2], ValueError, "list for color-like argument must have only 3-4 elements."),
    ([], ValueError, "list for color-like argument must have only 3-4 elements."),
    ("ab", ValueError, "sequence for color-like argument must have only 3-4 elements."),
    (range(5), ValueError, "sequence for color-like argument must have only 3-4 elements."),
    (Seq([1, 2, 3, 4, 5], length=4), ValueError, "sequence for color-like argument must have only 3-4 elements."),
    ("abc", TypeError, "an integer is required"),
    ((1, 2, "3"), TypeError, "an integer is required"),
    ((1, None, 3), TypeError, "an integer is required"),
    ((Index(3), 0, 0), TypeError, "an integer is required"),
    ((2**40, 0, 0), OverflowError, "value too large to convert to int"),
    ((0, 0, 0, -(2**31) - 1), OverflowError, "value too large to convert to int"),
    ((0, 0, 2**31), OverflowError, "value too large to convert to int"),
    ((float("inf"), 0, 0), OverflowError, "cannot convert float infinity to integer"),
    ((float("nan"), 0, 0), ValueError, "cannot convert float NaN to integer"),
    (None, TypeError, "color-like argument must be Color, or any sequence, got NoneType."),
    (0xFF00FF, TypeError, "color-like argument must be Color, or any sequence, got int."),
    ({"r": 1}, TypeError, "color-like argument must be Color, or any sequence, got dict."),
    # Only the exact Color type is read directly; a subclass is no sequence.
    (SubColor(1, 2, 3), TypeError, "color-like argument must be Color, or any sequence, got SubColor."),
]


@pytest.mark.parametrize(
    "parse, value, error, message",
    [(vector2_like, *case) for case in VECTOR2_LIKE_ERRORS]
    + [(rect_like, *case) for case in RECT_LIKE_ERRORS]
    + [(color_like, *case) for case in COLOR_LIKE_ERRORS],
)
def test_like_errors(parse, value, error, message):
    with raises_exactly(error, message):
        parse(value)


def test_color_like_huge_int_uses_interpreter_overflow():
    with raises_exactly(OverflowError, "Python int too large to convert to C long"):
        color_like((0, 2**100, 0))


def test_color_like_int_method_errors():
    class BadInt:
        def __int__(self):
            return "7"

    with raises_exactly(TypeError, '__int__ returned non-int (type str)'):
        color_like((BadInt(), 0, 0))


# --- hostile sequences -----------------------------------------------------------------------


ALL = [(vector2_like, 2), (rect_like, 4), (color_like, 3)]


@pytest.mark.parametrize("parse, n", ALL)
def test_lying_len_does_not_matter(parse, n):
    assert parse(Seq(range(n), length=100)) == parse(tuple(range(n)))
    assert parse(Seq(range(n), length=0)) == parse(tuple(range(n)))


# An item access TypeError is reported as "expected sequence"; other item
# and length errors propagate.
@pytest.mark.parametrize(
    "failure, error, message",
    [
        ({"item_error": TypeError}, TypeError, "expected sequence"),
        ({"item_error": KeyError}, KeyError, "'item'"),
        ({"length_error": ZeroDivisionError}, ZeroDivisionError, "len"),
    ],
    ids=["item TypeError", "item KeyError", "length error"],
)
@pytest.mark.parametrize("parse, n", ALL)
def test_sequence_access_errors(parse, n, failure, error, message):
    with raises_exactly(error, message):
        parse(Seq(range(n), **failure))


def test_not_iterable_sequence_is_expected_sequence():
    class NoIter:
        __iter__ = None

        def __getitem__(self, index):
            return 1

    with raises_exactly(TypeError, 'expected sequence'):
        vector2_like(NoIter())


@pytest.mark.parametrize("parse, n", ALL)
def test_list_shrunk_by_a_conversion_is_an_index_error(parse, n):
    target = []

    class Shrinker:
        def __float__(self):
            target.clear()
            return 1.0

        __int__ = lambda self: int(self.__float__())

    target.extend([Shrinker()] + [0] * (n - 1))
    with raises_exactly(IndexError, 'list index out of range'):
        parse(target)


def test_item_kept_alive_while_it_converts():
    target = []

    class Dropper:
        def __float__(self):
            target[:] = [0, 0]
            return 2.0

    target.extend([Dropper(), 0])
    assert vector2_like(target) == (2.0, 0.0)


# --- references -----------------------------------------------------------------------------


def test_arguments_are_borrowed_not_kept():
    values = [Vector2(1, 2), (1, 2), [1, 2], TupleSub((1, 2)), Rect(1, 2, 3, 4), (1, 2, 3, 4), Color(1, 2, 3),
              (1, 2, 3), [1, 2], None, "abc", Seq([1, 2])]
    before = [sys.getrefcount(v) for v in values]
    for _ in range(50):
        for v in values:
            for parse in (vector2_like, rect_like, color_like):
                try:
                    parse(v)
                except (TypeError, ValueError):
                    pass
    del v
    assert [sys.getrefcount(v) for v in values] == before
