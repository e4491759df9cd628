"""Lists and tuples of plain numbers (exact floats, small exact ints) are read
in place, without the item-by-item conversion; everything else takes the
general path.  Both must give the same values bit for bit and the same
answers: a tuple subclass never takes the in-place read, so it is the
reference for every case."""

import itertools
import sys

import pytest

from support import INF, NAN, VECTORS, bits
from korvex.rect.rect import Rect

# Plain and not: compact ints at and past the compact limit, bools (not exact
# ints), negative zero, the float range's edges, NaN.
NUMBERS = [0, -7, 2**30 - 1, -(2**30) + 1, 2**30, -(2**30), 2**62, True, 0.1, -0.0, 1e300, -1e-310, INF, NAN, 3.4e38]


class Tuple(tuple):
    pass


def values(obj):
    return [bits(float(v)) for v in obj]


def samples(size):
    """Runs of `size` numbers that mix the kinds, the same for every run of the suite."""
    cycle = itertools.cycle(NUMBERS)
    return [tuple(next(cycle) for _ in range(size)) for _ in range(2 * len(NUMBERS))]


@pytest.mark.parametrize("kind", VECTORS, ids=lambda k: k.cls)
def test_vector_from_plain_items_equals_general_path(kind):
    cls = kind.type
    for items in samples(kind.size):
        expected = values(cls(Tuple(items)))
        assert values(cls(items)) == expected, items
        assert values(cls(list(items))) == expected, items
        assert values(cls.from_tuple(items)) == expected, items
        assert values(cls.from_list(list(items))) == expected, items


def test_rect_from_plain_items_equals_general_path():
    for items in samples(4):
        expected = values(Rect(Tuple(items)))
        assert values(Rect(items)) == expected, items
        assert values(Rect(list(items))) == expected, items
        assert values(Rect(items[:2], items[2:])) == values(Rect(Tuple(items[:2]), Tuple(items[2:]))), items


def test_rect_collisions_with_plain_items_equal_general_path():
    boxes = [Rect(0, 0, 10, 10), Rect(-1e300, -5, 2e300, 10), Rect(0.1, -0.0, 2**30, 1)]
    for box, items in itertools.product(boxes, samples(4)):
        assert box.collide_rect(items) == box.collide_rect(Tuple(items)), (box, items)
        assert box.collide_rect(list(items)) == box.collide_rect(Tuple(items)), (box, items)
        assert box.collide_point(items[:2]) == box.collide_point(Tuple(items[:2])), (box, items)


def test_in_place_read_takes_no_references():
    """The plain read borrows the items: counts are the same before and after."""
    x, y = 123456.5, 654321.5
    items = (x, y)
    before = sys.getrefcount(x), sys.getrefcount(y), sys.getrefcount(items)
    for _ in range(100):
        VECTORS[0].type(items)
        Rect(items, items)
    assert (sys.getrefcount(x), sys.getrefcount(y), sys.getrefcount(items)) == before
