"""korvex.rect.rect: construction, properties, sequence protocol, equality and the native table."""

import ctypes
import gc
import math
import sys
import weakref

import pytest

from korvex.rect.rect import Rect
from korvex.vector2.vector2 import Vector2
from korvex.vector4.vector4 import Vector4
import korvex_consumer as consumer
from entry_points import LyingList
from support import (
    INF, NAN, BadFloat, Boom, Index, bits, f32, native_table, no_new_attribute, python_output, raises_exactly,
    refuses_pickling, struct_refusal, unordered,
)

def fields(r):
    return (r.x, r.y, r.width, r.height)


class LenRaises(tuple):
    def __len__(self):
        raise RuntimeError("no len")


# --- construction ---------------------------------------------------------------------


@pytest.mark.parametrize(
    "args, expected",
    [
        ((), (0.0, 0.0, 0.0, 0.0)),
        ((Vector2(3, 4),), (0.0, 0.0, 3.0, 4.0)),
        ((Rect(1, 2, 3, 4),), (1.0, 2.0, 3.0, 4.0)),
        ((Vector4(1, 2, 3, 4),), (1.0, 2.0, 3.0, 4.0)),
        (([1, 2, 3, 4],), (1.0, 2.0, 3.0, 4.0)),
        (((1, 2, 3, 4),), (1.0, 2.0, 3.0, 4.0)),
        ((LyingList([1, 2, 3, 4], 4),), (1.0, 2.0, 3.0, 4.0)),
        (((1, 2), [3, 4]), (1.0, 2.0, 3.0, 4.0)),
        ((Vector2(1, 2), (3, 4)), (1.0, 2.0, 3.0, 4.0)),
        (([1, 2], Vector2(3, 4)), (1.0, 2.0, 3.0, 4.0)),
        ((1, 2, 3, 4), (1.0, 2.0, 3.0, 4.0)),
        ((True, Index(5), -0.5, 7), (1.0, 5.0, -0.5, 7.0)),
        ((0.1, 1e39, -1e39, 2**-150), (f32(0.1), INF, -INF, 0.0)),
        ((Vector4(0.1, 0.2, 0.3, 0.4),), (f32(0.1), f32(0.2), f32(0.3), f32(0.4))),
        (((0.1, 0.2), (0.3, 0.4)), (f32(0.1), f32(0.2), f32(0.3), f32(0.4))),
    ],
)
def test_constructor_forms(args, expected):
    assert fields(Rect(*args)) == expected


def test_rect_subclass_argument_is_copied():
    class Sub(Rect):
        pass

    assert fields(Rect(Sub(1, 2, 3, 4))) == (1.0, 2.0, 3.0, 4.0)


def test_fields_are_stored_unvalidated():
    r = Rect(NAN, -1, 0, -INF)
    assert math.isnan(r.x) and (r.y, r.width, r.height) == (-1.0, 0.0, -INF)
    assert bits(Rect(-0.0, 0, 0, 0).x) == bits(-0.0)


@pytest.mark.parametrize(
    "args, error, message",
    [
        ((1, 2), ValueError, "First argument must be a Vector2 or list/tuple of length 2"),
        (((1, 2, 3), (1, 2)), ValueError, "First argument must be a Vector2 or list/tuple of length 2"),
        ((Vector4(1, 2, 3, 4), (1, 2)), ValueError, "First argument must be a Vector2 or list/tuple of length 2"),
        (((1, 2), 5), ValueError, "Second argument must be a Vector2 or list/tuple of length 2"),
        (((1, 2), [1]), ValueError, "Second argument must be a Vector2 or list/tuple of length 2"),
        ((5,), ValueError, "Rect takes Vector2, Rect, Vector4, or list/tuple of length 4"),
        ((None,), ValueError, "Rect takes Vector2, Rect, Vector4, or list/tuple of length 4"),
        (("abcd",), ValueError, "Rect takes Vector2, Rect, Vector4, or list/tuple of length 4"),
        (([1, 2, 3],), ValueError, "list/tuple for rect must have 4 elements"),
        (((1, 2, 3, 4, 5),), ValueError, "list/tuple for rect must have 4 elements"),
        ((LyingList([1, 2, 3, 4], 3),), ValueError, "list/tuple for rect must have 4 elements"),
        ((1, 2, 3), TypeError, "Rect expected 0, 1, 2, or 4 arguments, got 3"),
        ((1, 2, 3, 4, 5), TypeError, "Rect expected 0, 1, 2, or 4 arguments, got 5"),
        ((1, 2, 3, "4"), TypeError, "must be real number, not str"),
        ((1, None, 3, 4), TypeError, "must be real number, not NoneType"),
        ((2**1024, 0, 0, 0), OverflowError, "int too large to convert to float"),
        (([1, 2, "3", 4],), TypeError, "must be real number, not str"),
        ((LyingList([1, 2], 4),), IndexError, "list index out of range"),
        ((LenRaises((1, 2, 3, 4)),), RuntimeError, "no len"),
        (((1, 2), LenRaises((3, 4))), RuntimeError, "no len"),
        ((1, 2, BadFloat(), 4), Boom, "float"),
    ],
)
def test_constructor_errors(args, error, message):
    with raises_exactly(error, message):
        Rect(*args)


def test_first_argument_is_read_before_second_is_checked():
    with raises_exactly(Boom, "float"):
        Rect((1, BadFloat()), 5)


@pytest.mark.parametrize("args, kwargs", [((), {"x": 1}), ((1, 2, 3, 4), {"x": 1}), ((1, 2, 3), {"w": 1})])
def test_constructor_rejects_keywords(args, kwargs):
    name = next(iter(kwargs))
    with raises_exactly(TypeError, f"__init__() got an unexpected keyword argument '{name}'"):
        Rect(*args, **kwargs)
    with raises_exactly(TypeError, f"__init__() got an unexpected keyword argument '{name}'"):
        Rect().__init__(*args, **kwargs)


@pytest.mark.parametrize(
    "bad, error, message",
    [
        ((5, 6, 7, BadFloat()), Boom, "float"),
        (([5, 6, 7, "x"],), TypeError, "must be real number, not str"),
        (((5, 6), (7, BadFloat())), Boom, "float"),
        ((Vector2(5, 6), 9), ValueError, "Second argument must be a Vector2 or list/tuple of length 2"),
        ((LyingList([5, 6], 4),), IndexError, "list index out of range"),
        ((1, 2, 3), TypeError, "Rect expected 0, 1, 2, or 4 arguments, got 3"),
    ],
)
def test_failed_init_leaves_rect_unchanged(bad, error, message):
    r = Rect(1, 2, 3, 4)
    with raises_exactly(error, message):
        r.__init__(*bad)
    assert fields(r) == (1.0, 2.0, 3.0, 4.0)


def test_init_again_overwrites_and_new_skips_init():
    r = Rect(1, 2, 3, 4)
    r.__init__(Vector2(7, 8))
    assert fields(r) == (0.0, 0.0, 7.0, 8.0)
    r.__init__()
    assert fields(r) == (0.0, 0.0, 0.0, 0.0)
    assert fields(Rect.__new__(Rect, 1, 2, 3, 4)) == (0.0, 0.0, 0.0, 0.0)


def test_item_converting_shrinks_list():
    # Converting item 0 empties the list; the next read must not go past its end.
    items = []

    class Shrinks:
        def __float__(self):
            items.clear()
            return 1.0

    items.extend([Shrinks(), 2, 3, 4])
    with raises_exactly(IndexError, "list index out of range"):
        Rect(items)


def test_subclass_construction():
    class Sub(Rect):
        def __init__(self, *args):
            super().__init__(*args)
            self.tag = "made"

    s = Sub((1, 2), (3, 4))
    assert type(s) is Sub and s.tag == "made" and fields(s) == (1.0, 2.0, 3.0, 4.0)

    class Plain(Rect):
        pass

    p = Plain(1, 2, 3, 4)
    assert type(p) is Plain and fields(p) == (1.0, 2.0, 3.0, 4.0)
    with raises_exactly(TypeError, "__init__() got an unexpected keyword argument 'x'"):
        Plain(x=1)


def test_type_shape():
    r = Rect()
    assert Rect.__module__ == "korvex.rect.rect" and Rect.__qualname__ == "Rect"
    assert Rect.__doc__ is None
    assert not hasattr(r, "__dict__")
    with raises_exactly(AttributeError, no_new_attribute("korvex.rect.rect.Rect", "extra")):
        r.extra = 1
    with raises_exactly(TypeError, "cannot create weak reference to 'korvex.rect.rect.Rect' object"):
        weakref.ref(r)
    assert not gc.is_tracked(r)
    assert Rect() is not Rect()


def test_import_binds_both_vector_modules():
    code = (
        "import sys, korvex.rect.rect;"
        "print('korvex.vector2.vector2' in sys.modules, 'korvex.vector4.vector4' in sys.modules)"
    )
    assert python_output(code).split() == ["True", "True"]


# --- properties -------------------------------------------------------------------------


@pytest.mark.parametrize(
    "name, value",
    [
        ("x", 1.0), ("left", 1.0), ("y", 2.0), ("top", 2.0), ("w", 3.0), ("width", 3.0),
        ("h", 4.0), ("height", 4.0), ("right", 4.0), ("bottom", 6.0), ("centerx", 2.5), ("centery", 4.0),
    ],
)
def test_property_reads(name, value):
    got = getattr(Rect(1, 2, 3, 4), name)
    assert type(got) is float and got == value


@pytest.mark.parametrize(
    "name, index",
    [("x", 0), ("left", 0), ("y", 1), ("top", 1), ("w", 2), ("width", 2), ("h", 3), ("height", 3)],
)
def test_field_setters(name, index):
    r = Rect(1, 2, 3, 4)
    setattr(r, name, 0.1)
    expected = [1.0, 2.0, 3.0, 4.0]
    expected[index] = f32(0.1)
    assert fields(r) == tuple(expected)
    with raises_exactly(TypeError, "must be real number, not str"):
        setattr(r, name, "a")
    assert fields(r) == tuple(expected)


def test_edges_single_precision_centres_double():
    r = Rect(1, 1, 2**-25, 2**-25)
    # 1 + 2**-25 rounds to 1.0 in single precision but not in double.
    assert (r.right, r.bottom) == (1.0, 1.0)
    assert (r.centerx, r.centery) == (1 + 2**-26, 1 + 2**-26)
    # center is computed in double and stored by Vector2 in single precision.
    c = r.center
    assert type(c) is Vector2 and (c.x, c.y) == (1.0, 1.0)
    assert Rect(1, 2, 3, 4).center.x == 2.5 and Rect(1, 2, 3, 4).center.y == 4.0


@pytest.mark.parametrize(
    "name, value, expected",
    [
        ("right", 10, (7.0, 2.0, 3.0, 4.0)),
        ("right", 10.5, (7.5, 2.0, 3.0, 4.0)),
        ("bottom", 0, (1.0, -4.0, 3.0, 4.0)),
        ("centerx", 0, (-1.5, 2.0, 3.0, 4.0)),
        ("centery", 1.0, (1.0, -1.0, 3.0, 4.0)),
        ("center", (0, 0), (-1.5, -2.0, 3.0, 4.0)),
        ("center", [0, 0, "ignored"], (-1.5, -2.0, 3.0, 4.0)),
        ("center", Vector2(1.5, 2), (0.0, 0.0, 3.0, 4.0)),
        ("center", {0: 0, 1: 0}, (-1.5, -2.0, 3.0, 4.0)),
        ("right", True, (-2.0, 2.0, 3.0, 4.0)),
    ],
)
def test_moving_setters_keep_size(name, value, expected):
    r = Rect(1, 2, 3, 4)
    setattr(r, name, value)
    assert fields(r) == expected


def test_moving_setters_subtract_in_double_then_round():
    r = Rect(0, 0, f32(0.1), f32(0.3))
    r.right = 1e-9
    assert r.x == f32(1e-9 - f32(0.1))
    r.centery = 1e-9
    assert r.y == f32(1e-9 - f32(0.3) / 2)
    r.center = (1e-9, 2**60 + 1)
    assert (r.x, r.y) == (f32(1e-9 - f32(0.1) / 2), f32(float(2**60 + 1) - f32(0.3) / 2))


def test_moving_setters_use_the_values_own_subtraction():
    seen = []

    class Number:
        def __sub__(self, other):
            seen.append(other)
            return 0.25

    r = Rect(1, 2, 3, 5)
    r.right = Number()
    r.centery = Number()
    assert fields(r) == (0.25, 0.25, 3.0, 5.0)
    assert seen == [3.0, 2.5] and all(type(v) is float for v in seen)


@pytest.mark.parametrize(
    "name, value, error, message",
    [
        ("right", "a", TypeError, "unsupported operand type(s) for -: 'str' and 'float'"),
        ("centerx", None, TypeError, "unsupported operand type(s) for -: 'NoneType' and 'float'"),
        ("bottom", 2**1024, OverflowError, "int too large to convert to float"),
        ("center", 5, TypeError, "'int' object is not subscriptable"),
        ("center", None, TypeError, "'NoneType' object is not subscriptable"),
        ("center", (1,), IndexError, "tuple index out of range"),
        ("center", (1, "b"), TypeError, "must be real number, not str"),
        ("center", [BadFloat(), 1], Boom, "float"),
    ],
)
def test_moving_setter_errors_leave_rect_unchanged(name, value, error, message):
    r = Rect(1, 2, 3, 4)
    with raises_exactly(error, message):
        setattr(r, name, value)
    assert fields(r) == (1.0, 2.0, 3.0, 4.0)


@pytest.mark.parametrize(
    "name", ["x", "y", "w", "h", "width", "height", "left", "top", "right", "bottom", "centerx", "centery", "center"]
)
def test_property_delete(name):
    r = Rect(1, 2, 3, 4)
    with raises_exactly(NotImplementedError, "__del__"):
        delattr(r, name)


# --- methods ------------------------------------------------------------------------------


def test_getters():
    r = Rect(0.1, 2, 3, 4)
    assert r.get_width() == 3.0 and r.get_height() == 4.0
    t = r.get_tuple()
    assert type(t) is tuple and t == (f32(0.1), 2.0, 3.0, 4.0)
    v = r.get_vector4()
    assert type(v) is Vector4 and (v.x, v.y, v.z, v.w) == (f32(0.1), 2.0, 3.0, 4.0)


@pytest.mark.parametrize("name", ["get_width", "get_height", "get_vector4", "get_tuple"])
def test_getter_argument_errors(name):
    method = getattr(Rect(), name)
    with raises_exactly(TypeError, f"{name}() takes exactly 0 positional arguments (1 given)"):
        method(1)
    with raises_exactly(TypeError, f"{name}() got an unexpected keyword argument 'a'"):
        method(a=1)


# --- sequence protocol ----------------------------------------------------------------------


def test_sequence_reads():
    r = Rect(1, 2, 3, 4)
    assert len(r) == 4 and len(Rect()) == 4
    assert [r[0], r[1], r[2], r[3]] == [1.0, 2.0, 3.0, 4.0]
    assert r[Index(2)] == 3.0 and r[True] == 2.0
    assert list(r) == [1.0, 2.0, 3.0, 4.0]
    x, y, w, h = r
    assert (x, y, w, h) == (1.0, 2.0, 3.0, 4.0)
    assert 3 in r and 5 not in r
    with raises_exactly(ValueError, "too many values to unpack (expected 3)"):
        a, b, c = r
    # Each field is read when it is reached; an exhausted iterator stays
    # exhausted and lets go of the Rect.
    it = iter(r)
    assert iter(it) is it and next(it) == 1.0
    r.y = -0.1
    assert next(it) == f32(-0.1) and list(it) == [3.0, 4.0] and list(it) == []
    before = sys.getrefcount(r)
    del it
    assert sys.getrefcount(r) == before


def test_subclass_iterates_by_its_own_indexing():
    class Two(Rect):
        def __getitem__(self, index):
            if index >= 2:
                raise IndexError(index)
            return f"field {index}"

    assert list(Two(1, 2, 3, 4)) == ["field 0", "field 1"]
    assert list(type("Plain", (Rect,), {})(1, 2, 3, 4)) == [1.0, 2.0, 3.0, 4.0]


@pytest.mark.parametrize("index", [4, -1, -4, 2**100, -(2**100), Index(7)])
def test_index_out_of_range(index):
    r = Rect(1, 2, 3, 4)
    with raises_exactly(IndexError, "Rect index out of range"):
        r[index]
    with raises_exactly(IndexError, "Rect index out of range"):
        r[index] = 0
    assert fields(r) == (1.0, 2.0, 3.0, 4.0)


@pytest.mark.parametrize("key", [1.0, "a", slice(0, 2), None])
def test_non_integer_index(key):
    r = Rect(1, 2, 3, 4)
    message = f"'{type(key).__name__}' object cannot be interpreted as an integer"
    with raises_exactly(TypeError, message):
        r[key]
    with raises_exactly(TypeError, message):
        r[key] = 0


def test_item_assignment():
    r = Rect(1, 2, 3, 4)
    r[0] = 0.1
    r[3] = Index(9)
    assert fields(r) == (f32(0.1), 2.0, 3.0, 9.0)
    # The value is converted before the index is checked.
    with raises_exactly(TypeError, "must be real number, not str"):
        r[4] = "a"
    with raises_exactly(Boom, "float"):
        r[1] = BadFloat()
    assert fields(r) == (f32(0.1), 2.0, 3.0, 9.0)


def test_item_assignment_converts_the_value_before_looking_at_the_key():
    seen = []

    class Key:
        def __index__(self):
            seen.append("key")
            return 0

    r = Rect(1, 2, 3, 4)
    with raises_exactly(Boom, "float"):
        r[Key()] = BadFloat()
    assert seen == []
    with raises_exactly(TypeError, "must be real number, not str"):
        r["a"] = "b"
    with raises_exactly(TypeError, "'str' object cannot be interpreted as an integer"):
        r["a"] = 1
    assert fields(r) == (1.0, 2.0, 3.0, 4.0)


def test_item_deletion():
    r = Rect(1, 2, 3, 4)
    with raises_exactly(NotImplementedError, "Subscript deletion not supported by korvex.rect.rect.Rect"):
        del r[0]


# --- equality, hash, pickling, repr -------------------------------------------------------------


class SubRect(Rect):
    pass


@pytest.mark.parametrize(
    "a, b, equal",
    [
        (Rect(1, 2, 3, 4), Rect(1, 2, 3, 4), True),
        (Rect(1, 2, 3, 4), Rect(1, 2, 3, 5), False),
        (Rect(1, 2, 3, 4), Rect(0, 2, 3, 4), False),
        (Rect(1, 2, 3, 4), SubRect(1, 2, 3, 4), True),
        (SubRect(1, 2, 3, 4), Rect(1, 2, 3, 4), True),
        (Rect(1, 2, 3, 4), (1, 2, 3, 4), False),
        (Rect(1, 2, 3, 4), [1.0, 2.0, 3.0, 4.0], False),
        (Rect(1, 2, 3, 4), Vector4(1, 2, 3, 4), False),
        (Rect(), None, False),
        (Rect(-0.0, 0, 0, 0), Rect(0, 0, 0, 0), True),
        (Rect(0.1, 0, 0, 0), Rect(f32(0.1), 0, 0, 0), True),
        (Rect(1, 2, 3, NAN), Rect(1, 2, 3, NAN), False),
    ],
)
def test_equality(a, b, equal):
    assert (a == b) is equal and (a != b) is (not equal)
    assert (b == a) is equal and (b != a) is (not equal)


def test_nan_rect_not_equal_to_itself():
    r = Rect(NAN, 0, 0, 0)
    assert (r == r) is False and (r != r) is True


@pytest.mark.parametrize("op", ["<", "<=", ">", ">="])
def test_ordering_unsupported(op):
    with raises_exactly(TypeError, unordered(op, "korvex.rect.rect.Rect")):
        eval(f"a {op} b", {"a": Rect(), "b": Rect()})


def test_unhashable():
    with raises_exactly(TypeError, "unhashable type: 'korvex.rect.rect.Rect'"):
        hash(Rect())
    assert Rect.__hash__ is None


def test_pickling_refused():
    refuses_pickling(Rect(1, 2, 3, 4), struct_refusal("_raw"))


@pytest.mark.parametrize(
    "r, text",
    [
        (Rect(1, 2, 3, 4), "Rect(position=(1.0, 2.0), size=(3.0, 4.0))"),
        (Rect(), "Rect(position=(0.0, 0.0), size=(0.0, 0.0))"),
        (Rect(0.1, -0.0, 1e20, -2**-149), "Rect(position=(0.10000000149011612, -0.0), size=(1.0000000200408773e+20, -1.401298464324817e-45))"),
        (Rect(NAN, INF, -INF, 123456789), "Rect(position=(nan, inf), size=(-inf, 123456792.0))"),
        (SubRect(1, 2, 3, 4), "Rect(position=(1.0, 2.0), size=(3.0, 4.0))"),
    ],
)
def test_repr(r, text):
    assert repr(r) == text and str(r) == text


# --- native table ---------------------------------------------------------------------------------


def test_native_new_copies_structure_without_init():
    r = consumer.rect_new(0.1, -2, 3, NAN)
    assert type(r) is Rect
    raw = consumer.rect_raw(r)
    assert raw[0][:3] == (f32(0.1), -2.0, 3.0) and math.isnan(raw[0][3]) and raw[1] is True
    assert consumer.rect_new(1, 2, 3, 4) is not consumer.rect_new(1, 2, 3, 4)


def test_storage_is_the_raw_rectangle():
    r = Rect(0.1, 0.2, 0.3, 0.4)
    assert consumer.rect_raw(r) == ((f32(0.1), f32(0.2), f32(0.3), f32(0.4)), True)
    s = SubRect(5, 6, 7, 8)
    assert consumer.rect_raw(s) == ((5.0, 6.0, 7.0, 8.0), True)


@pytest.mark.parametrize("flag", [0, 1])
def test_getter_slots_on_plain_rect(flag):
    r = Rect(0.1, 2, 3, 4)
    assert consumer.rect_slot("get_width", r, None, flag) == 3.0
    assert consumer.rect_slot("get_height", r, None, flag) == 4.0
    assert consumer.rect_slot("get_tuple", r, None, flag) == (f32(0.1), 2.0, 3.0, 4.0)
    v = consumer.rect_slot("get_vector4", r, None, flag)
    assert type(v) is Vector4 and (v.x, v.y, v.z, v.w) == (f32(0.1), 2.0, 3.0, 4.0)


def test_constructor_does_not_leak_references():
    items = (1.5, 2.5, 3.5, 4.5)
    before = [sys.getrefcount(v) for v in items]
    for _ in range(100):
        Rect(items)
        Rect(*items)
        Rect(items[:2], list(items[2:]))
        with raises_exactly(ValueError, "list/tuple for rect must have 4 elements"):
            Rect(items[:3])
    assert [sys.getrefcount(v) for v in items] == before


# The slot order of the native table is a contract with every module that
# includes the declaration header, so it is checked here from the published
# capsule alone, independently of that header: each slot, called with the
# dispatch flag 0 on a subclass, must reach the override of its own name.
RECT_SLOTS = [
    "__pyx_new", "get_width", "get_height", "collide_point", "collide_point_vector2", "collide_point_tuple",
    "collide_point_list", "collide_rect", "collide_rect_vector4", "collide_rect_rect", "collide_rect_tuple",
    "collide_rect_list", "get_vector4", "get_tuple",
]


class CRectangle(ctypes.Structure):
    _fields_ = [("x", ctypes.c_float), ("y", ctypes.c_float), ("width", ctypes.c_float), ("height", ctypes.c_float)]


def test_native_table_slot_order_from_the_capsule():
    table = native_table(Rect, len(RECT_SLOTS))
    P, C = ctypes.py_object, ctypes.c_int
    r = ctypes.PYFUNCTYPE(P, CRectangle)(table[0])(CRectangle(1, 2, 3, 4))
    assert type(r) is Rect and fields(r) == (1.0, 2.0, 3.0, 4.0)
    # Every instance carries the same table right after the object header.
    assert ctypes.c_void_p.from_address(id(r) + object.__basicsize__).value == ctypes.addressof(table)

    calls = []

    def record(name):
        return lambda self, *args: calls.append(name)

    Recording = type("Recording", (Rect,), {name: record(name) for name in RECT_SLOTS[1:]})
    s = Recording()
    for index, name in enumerate(RECT_SLOTS[1:], start=1):
        if name.startswith("collide"):
            assert ctypes.PYFUNCTYPE(C, P, P, C)(table[index])(s, None, 0) == 0
        else:
            assert ctypes.PYFUNCTYPE(P, P, C)(table[index])(s, 0) is None
    assert calls == RECT_SLOTS[1:]
