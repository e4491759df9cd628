"""korvex.rect.rect: the tests against many (collide_list, collide_list_all,
collide_objects, collide_objects_all) and get_union_all."""

import sys

import pytest

from korvex.rect.rect import Rect
from korvex.vector4.vector4 import Vector4
from support import NAN, BadFloat, Boom, f32, raises_exactly

SELF = Rect(0, 0, 10, 10)
# Every kind of item, read in place or converted: (item, collides with SELF)
ITEMS = [
    (Rect(10, 0, 5, 5), False),  # touching the right edge
    ((-5, -5, 5, 5), False),  # touching a corner, plain tuple
    ([0, 10, 3, 3], False),  # touching the bottom edge, list
    (Vector4(-3, 2, 3, 1), False),  # touching the left edge
    ((NAN, 1, 1, 1), False),
    ((9.5, 9.5, 5, 5), True),
    (Rect(2, 2, 1, 1), True),
    ([5, 5, 1, 1], True),
    (Vector4(-1, -1, 2, 2), True),
    ((2**40, 0, 1, 1), False),  # a big int: the converting path
    ((True, 1, 1, 1), True),  # a bool: the converting path
]


class Sub(Rect):
    pass


def forms(items):
    """The argument forms: list, tuple, and an iterator (made into a list)."""
    return [list(items), tuple(items), iter(list(items))]


@pytest.mark.parametrize("make", [list, tuple, iter])
def test_collision_rule_in_every_list_form(make):
    items = [item for item, _ in ITEMS] + [Sub(1, 1, 1, 1)]
    hits = [i for i, (_, hit) in enumerate(ITEMS) if hit] + [len(ITEMS)]
    assert SELF.collide_list(make(items)) == hits[0]
    assert SELF.collide_list_all(make(items)) == hits
    assert SELF.collide_objects(make(items)) is items[hits[0]]
    assert SELF.collide_objects_all(make(items)) == [items[i] for i in hits]
    assert SELF.collide_objects_all(make(items), key=None) == [items[i] for i in hits]
    assert all(SELF.collide_rect(items[i]) == (i in hits) for i in range(len(items)))


@pytest.mark.parametrize("empty", [[], (), iter(())])
def test_empty(empty):
    assert SELF.collide_list(empty) == -1


class Overstated(list):
    """A list whose __len__ claims far more items than memory could hold."""

    def __len__(self):
        return 2**62


@pytest.mark.parametrize("method, expected", [("collide_list", 1), ("collide_list_all", [1]),
                                              ("collide_objects", (5, 5, 1, 1)),
                                              ("collide_objects_all", [(5, 5, 1, 1)]),
                                              ("get_union_all", Rect(0, 0, 21, 10))])
def test_items_are_read_not_counted(method, expected):
    # Only the items there are matter: room for what __len__ claims is never made.
    assert getattr(SELF, method)(Overstated([(20, 0, 1, 1), (5, 5, 1, 1)])) == expected


@pytest.mark.parametrize("method, none", [("collide_list", -1), ("collide_list_all", []),
                                          ("collide_objects", None), ("collide_objects_all", [])])
def test_nothing_collides(method, none):
    assert getattr(SELF, method)([]) == none
    assert getattr(SELF, method)([Rect(10, 10, 1, 1), (20, 0, 1, 1)]) == none


def test_key():
    objects = ["a", "bb", "ccc"]
    key = lambda text: (len(text) * 4, 0, 1, 1)
    assert SELF.collide_objects(objects, key) == "a"
    assert SELF.collide_objects_all(objects, key=key) == ["a", "bb"]
    assert SELF.collide_objects_all(objects, lambda text: Rect(len(text) * 4, 0, 1, 1)) == ["a", "bb"]


BAD = "rect for collision must be a Rect, Vector4, tuple, or list of length 4"


@pytest.mark.parametrize(
    "bad, error, message",
    [
        ((1, 2, 3), ValueError, BAD),
        (None, ValueError, BAD),
        ((1, 2, 3, "a"), TypeError, "must be real number, not str"),
        ([1, 2, 3, BadFloat()], Boom, "float"),
        ((1, 2, 3, 2**1024), OverflowError, "int too large to convert to float"),
    ],
)
@pytest.mark.parametrize("method, param", [("collide_list", "rects"), ("collide_list_all", "rects"),
                                           ("get_union_all", "rects"), ("collide_objects", "objects"),
                                           ("collide_objects_all", "objects")])
def test_bad_item_names_its_index(method, param, bad, error, message):
    far = Rect(50, 50, 1, 1)  # collides with nothing, so the loop reaches the bad item
    e = raises_exactly(error, f"{param}[2]: {message}", getattr(SELF, method), [far, far, bad, far])
    assert type(e.__cause__) is error and str(e.__cause__) == message
    if method.startswith("collide_objects"):
        raises_exactly(error, f"{param}[1]: {message}", getattr(SELF, method), [far, 0], lambda o: o or bad)


def test_bad_argument():
    raises_exactly(TypeError, "'int' object is not iterable", SELF.collide_list, 5)
    raises_exactly(TypeError, "collide_list() takes exactly 1 positional argument (0 given)", SELF.collide_list)
    raises_exactly(TypeError, "'int' object is not callable", SELF.collide_objects, [1], 5)


def test_key_errors_propagate_as_they_are():
    def key(obj):
        raise Boom("key")

    raises_exactly(Boom, "key", SELF.collide_objects, [SELF], key)
    assert SELF.collide_objects([], key) is None


def test_list_shrunk_by_key_or_conversion_is_not_read_past_its_end():
    objects = [(50, 50, 1, 1)] * 3 + [(1, 1, 1, 1)]

    def key(obj):
        objects.clear()
        return obj

    assert SELF.collide_objects_all(objects, key) == []

    rects = []

    class Shrinks:
        def __float__(self):
            rects.clear()
            return 50.0

    rects.extend([[Shrinks(), 0, 1, 1], (1, 1, 1, 1), Rect(1, 1, 1, 1)])
    assert SELF.collide_list_all(rects) == []


def test_item_freed_during_its_conversion_stays_alive():
    rects = []

    class Drops:
        def __float__(self):
            rects.clear()  # drops the list's reference to the item being read
            return 5.0

    rects.append([Drops(), 0, 1, 1])
    assert SELF.collide_list(rects) == 0 and rects == []


@pytest.mark.parametrize(
    "rects, expected",
    [
        ([], (0, 0, 10, 10)),
        ([(20, -5, 1, 1)], (0, -5, 21, 15)),
        ([Rect(-1, 2, 1, 1), [3, 4, 50, 1], Vector4(0.1, 0, 0, 0)], (-1, 0, 54, 10)),
        ([(0.1, 0.2, 0.3, 0.4), (1e8, 0, 1.5, 1)], (0, 0, f32(1e8 + 1.5), 10)),
    ],
)
def test_union_all(rects, expected):
    for argument in forms(rects):
        result = SELF.get_union_all(argument)
        assert type(result) is Rect and (result.x, result.y, result.width, result.height) == expected
    one = SELF.get_union_all(rects[:1])
    assert one == SELF.get_union(rects[0] if rects else SELF)


def test_union_all_of_self_is_a_copy_and_exact():
    r = Sub(0.1, 0.2, 1e-7, 3e38)
    for result in (r.get_union_all([]), r.get_union_all([r])):
        assert type(result) is Rect and result == r and result is not r


def test_reference_counts():
    items = [Rect(1, 1, 1, 1), (2, 2, 1, 1)]
    before = [sys.getrefcount(item) for item in items]
    found = [SELF.collide_objects(items) for _ in range(5)]
    assert sys.getrefcount(items[0]) == before[0] + 5
    del found
    all_found = SELF.collide_objects_all(items)
    assert [sys.getrefcount(item) for item in items] == [n + 1 for n in before]
    del all_found
    assert [sys.getrefcount(item) for item in items] == before
