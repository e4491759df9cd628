"""korvex.rect.rect: anchors and size, the rectangles made from one (moved,
inflated, scaled, clamped, clipped, unions, fitted, normalized), contains and
collide_circle, each against a model computed in double precision and rounded
once (f32)."""

import math
import sys

import pytest
from hypothesis import given, strategies as st

from korvex.rect.rect import Rect
from korvex.vector2.vector2 import Vector2
from korvex.vector4.vector4 import Vector4
from support import INF, NAN, Boom, BadFloat, f32, raises_exactly, same

SHAPES = [(1, 2, 3, 4), (0.1, -0.2, 0.3, 1e-3), (1e8, 3, 1.5, 7.25), (-0.0, 5, -3, 2), (1e30, -1e30, 3e38, 3e38)]
floats = st.floats(-1e6, 1e6, width=32)
shapes = st.tuples(floats, floats, floats, floats)
OTHER_FORMS = [lambda o: Rect(*o), lambda o: Vector4(*o), tuple, list]


def fields(r):
    return (r.x, r.y, r.width, r.height)


def assert_fields(r, expected):
    assert type(r) is Rect
    assert all(same(a, f32(b)) for a, b in zip(fields(r), expected)), (fields(r), expected)


def stored(values):
    return tuple(f32(v) for v in values)


# --- anchors and size -----------------------------------------------------------------

ANCHORS = {
    "topleft": (0, 0), "topright": (2, 0), "bottomleft": (0, 2), "bottomright": (2, 2), "midtop": (1, 0),
    "midbottom": (1, 2), "midleft": (0, 1), "midright": (2, 1), "center": (1, 1),
}


def along(position, size, halves):
    return position if halves == 0 else position + size * (halves / 2)


@pytest.mark.parametrize("name", ANCHORS)
@pytest.mark.parametrize("shape", SHAPES)
def test_anchor_read_and_assign(name, shape):
    h, v = ANCHORS[name]
    r = Rect(*shape)
    x, y, w, ht = fields(r)
    point = getattr(r, name)
    assert type(point) is Vector2
    assert same(point.x, f32(along(x, w, h))) and same(point.y, f32(along(y, ht, v)))
    for value in ((10.5, -3.25), [0.1, 7], Vector2(0.1, 7), (2**40 + 1, 3, "ignored")):
        r = Rect(*shape)
        setattr(r, name, value)
        px, py = (value.x, value.y) if isinstance(value, Vector2) else value[:2]
        assert_fields(r, (px - w * h / 2 if h else px, py - ht * v / 2 if v else py, w, ht))


@pytest.mark.parametrize(
    "value, error, message",
    [
        (5, TypeError, "'int' object is not subscriptable"),
        ((1,), IndexError, "tuple index out of range"),
        ((1, "a"), TypeError, "must be real number, not str"),
        ((1, BadFloat()), Boom, "float"),
    ],
)
@pytest.mark.parametrize("name", [*ANCHORS, "size"])
def test_anchor_and_size_errors_change_nothing(name, value, error, message):
    r = Rect(1, 2, 3, 4)
    raises_exactly(error, message, setattr, r, name, value)
    assert fields(r) == (1, 2, 3, 4)
    raises_exactly(NotImplementedError, "__del__", delattr, r, name)


def test_size():
    r = Rect(1, 2, 3, 4)
    assert r.size == Vector2(3, 4) and type(r.size) is Vector2
    r.size = (0.1, -5)
    assert fields(r) == (1, 2, f32(0.1), -5)


# --- transforms: get_ returns a new exact Rect, to_ changes self ------------------------


def clamp_axis(p, s, limit, room):
    if s > room:
        return limit + room / 2 - s / 2
    if p < limit:
        return limit
    if p + s > limit + room:
        return limit + room - s
    return p


def union(r, o):
    left, top = min(r[0], o[0]), min(r[1], o[1])
    right, bottom = max(r[0] + r[2], o[0] + o[2]), max(r[1] + r[3], o[1] + o[3])
    return (left, top, right - left, bottom - top)


def clip(r, o):
    if not (o[0] + o[2] > r[0] and o[0] < r[0] + r[2] and o[1] + o[3] > r[1] and o[1] < r[1] + r[3]):
        return (r[0], r[1], 0, 0)
    left, top = max(r[0], o[0]), max(r[1], o[1])
    right, bottom = min(r[0] + r[2], o[0] + o[2]), min(r[1] + r[3], o[1] + o[3])
    return (left, top, right - left, bottom - top) if left < right and top < bottom else (r[0], r[1], 0, 0)


def div(a, b):
    """IEEE division, as C's."""
    try:
        return a / b
    except ZeroDivisionError:
        return NAN if a == 0 or math.isnan(a) else math.copysign(INF, a) * math.copysign(1, b)


def fit(r, o):
    scale = min(div(o[2], r[2]), div(o[3], r[3]))
    w, h = r[2] * scale, r[3] * scale
    return (o[0] + (o[2] - w) / 2, o[1] + (o[3] - h) / 2, w, h)


def normal(r):
    x, y, w, h = r
    return (x + w if w < 0 else x, y + h if h < 0 else y, -w if w < 0 else w, -h if h < 0 else h)


PARAMETERS = {"moved": ("dx", "dy"), "inflated": ("dw", "dh"), "scaled": ("fx", "fy")}
TWO_FORM_MODELS = {
    "moved": lambda r, a, b: (r[0] + a, r[1] + b, r[2], r[3]),
    "inflated": lambda r, a, b: (r[0] - a / 2, r[1] - b / 2, r[2] + a, r[3] + b),
    "scaled": lambda r, a, b: (r[0] + r[2] / 2 - r[2] * a / 2, r[1] + r[3] / 2 - r[3] * b / 2, r[2] * a, r[3] * b),
}
OTHER_MODELS = {
    "clamped": lambda r, o: (clamp_axis(r[0], r[2], o[0], o[2]), clamp_axis(r[1], r[3], o[1], o[3]), r[2], r[3]),
    "clipped": clip,
    "union": union,
    "fitted": fit,
}


def apply(r, form, name, *args, **kwargs):
    """get_ or to_ form: the result, checking what the form does to r."""
    before = fields(r)
    result = getattr(r, f"{form}_{name}")(*args, **kwargs)
    if form == "get":
        assert fields(r) == before and result is not r
    else:
        assert result is r
    return result


@given(shape=shapes, a=floats, b=floats)
@pytest.mark.parametrize("form", ["get", "to"])
@pytest.mark.parametrize("name", TWO_FORM_MODELS)
def test_two_form_transforms(name, form, shape, a, b):
    model = TWO_FORM_MODELS[name]
    expected = model(stored(shape), a, b)
    first, second = PARAMETERS[name]
    assert_fields(apply(Rect(*shape), form, name, a, b), expected)
    assert_fields(apply(Rect(*shape), form, name, **{first: a, second: b}), expected)
    if name == "scaled":
        assert_fields(apply(Rect(*shape), form, name, a), model(stored(shape), a, a))
        assert_fields(apply(Rect(*shape), form, name, a, None), model(stored(shape), a, a))
    else:
        for vector in ((a, b), [a, b], Vector2(a, b)):
            assert_fields(apply(Rect(*shape), form, name, vector), expected)


@given(shape=shapes, other=shapes)
@pytest.mark.parametrize("name", OTHER_MODELS)
def test_transforms_with_other(name, shape, other):
    expected = OTHER_MODELS[name](stored(shape), other)  # the values are floats already: a Rect stores them as they are
    methods = ["get_clamped", "to_clamped"] if name == "clamped" else ["get_union" if name == "union" else f"get_{name}"]
    for make in OTHER_FORMS:
        for method in methods:
            assert_fields(getattr(Rect(*shape), method)(make(other)), expected)


@given(shape=shapes)
def test_normalized(shape):
    for form in ("get", "to"):
        r = apply(Rect(*shape), form, "normalized")
        assert_fields(r, normal(stored(shape)))
        assert r.width >= 0 and r.height >= 0


@pytest.mark.parametrize(
    "shape, other, expected",
    [
        ((0, 0, 10, 10), (10, 0, 5, 5), (0, 0, 0, 0)),  # touching: no overlap
        ((2, 3, 10, 10), (-5, -5, 7, 8), (2, 3, 0, 0)),  # corner only
        ((0, 0, 10, 10), (9.5, 9.5, 5, 5), (9.5, 9.5, 0.5, 0.5)),
        ((0, 0, 10, 10), (NAN, 0, 5, 5), (0, 0, 0, 0)),
    ],
)
def test_clipped_edges(shape, other, expected):
    assert fields(Rect(*shape).get_clipped(other)) == expected


@pytest.mark.parametrize(
    "shape, other, expected",
    [
        ((0, 0, 20, 4), (0, 0, 10, 10), (-5, 0, 20, 4)),  # too wide: centred on that axis
        ((12, -3, 2, 2), (0, 0, 10, 10), (8, 0, 2, 2)),
        ((3, 3, 2, 2), (0, 0, 10, 10), (3, 3, 2, 2)),
    ],
)
def test_clamped_cases(shape, other, expected):
    assert fields(Rect(*shape).get_clamped(other)) == expected


def test_subclass_results_are_exact_rects():
    class Sub(Rect):
        pass

    s = Sub(1, 2, 3, 4)
    for result in (s.get_moved(1, 1), s.get_union((0, 0, 1, 1)), s.get_union_all([]), s.get_fitted(s)):
        assert type(result) is Rect
    assert s.to_moved(1, 1) is s and type(s) is Sub


@pytest.mark.parametrize(
    "method, args, error, message",
    [
        ("get_moved", (1,), TypeError, "'int' object is not subscriptable"),
        ("get_moved", ((1,),), IndexError, "tuple index out of range"),
        ("to_inflated", (1, "a"), TypeError, "must be real number, not str"),
        ("to_scaled", ((2, 2),), TypeError, "must be real number, not tuple"),
        ("to_scaled", (BadFloat(),), Boom, "float"),
        ("to_clamped", ((1, 2, 3),), ValueError, "rect for collision must be a Rect, Vector4, tuple, or list of length 4"),
        ("to_clamped", (None,), ValueError, "rect for collision must be a Rect, Vector4, tuple, or list of length 4"),
        ("get_moved", (), TypeError, "get_moved() takes at least 1 positional argument (0 given)"),
        ("to_moved", (1, 2, 3), TypeError, "to_moved() takes at most 2 positional arguments (3 given)"),
    ],
)
def test_transform_errors_change_nothing(method, args, error, message):
    r = Rect(1, 2, 3, 4)
    raises_exactly(error, message, getattr(r, method), *args)
    assert fields(r) == (1, 2, 3, 4)


def test_to_form_reads_self_after_its_arguments():
    r = Rect(1, 2, 3, 4)

    class Shifts:
        def __float__(self):
            r.x = 100
            return 1.0

    r.to_moved(Shifts(), 0)
    assert fields(r) == (101, 2, 3, 4)


def test_new_rect_reference_counts():
    r = Rect(1, 2, 3, 4)
    before = sys.getrefcount(r)
    results = [r.to_moved(1, 1) for _ in range(10)]
    assert sys.getrefcount(r) == before + 10
    del results
    assert sys.getrefcount(r) == before


# --- contains, collide_circle ----------------------------------------------------------


@pytest.mark.parametrize(
    "shape, other, expected",
    [
        ((0, 0, 10, 10), (0, 0, 10, 10), True),
        ((0, 0, 10, 10), (10, 10, 0, 0), True),  # zero size on the far corner
        ((0.1, 0.2, 0.7, 0.3), "self", True),  # its own far edges, summed in single precision
        ((0, 0, 10, 10), (-0.001, 0, 1, 1), False),
        ((0, 0, 10, 10), (5, 5, 5.001, 1), False),
        ((0, 0, 10, 10), (NAN, 1, 1, 1), False),
        ((0, 0, -1, 10), (0, 0, 0, 0), False),
    ],
)
def test_contains(shape, other, expected):
    r = Rect(*shape)
    other = fields(r) if other == "self" else other
    for make in OTHER_FORMS:
        assert r.contains(make(other)) is expected
    assert r.contains((r.right, r.bottom, 0, 0)) is (r.width >= 0)


@pytest.mark.parametrize(
    "center, radius, expected",
    [
        ((5, 5), 0, True),
        ((-3, 5), 3, True),  # touching the left edge
        ((-3, 5), 2.999, False),
        ((13, 14), 5, True),  # touching the far corner at distance 5
        ((13, 14), 4.999, False),
        ((5, 5), -1, False),
        ((NAN, 5), 100, False),
        ((5, 5), NAN, False),
        ((5, 5), INF, True),
    ],
)
def test_collide_circle(center, radius, expected):
    r = Rect(0, 0, 10, 10)
    assert r.collide_circle(center, radius) is expected
    assert r.collide_circle(Vector2(*center), radius=radius) is expected
    assert Rect(0, 0, -1, 10).collide_circle(center, radius) is False
