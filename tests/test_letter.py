"""GlyphInfo (korvex.letter.letter): empty objects from Python, glyph records
with their non-owning Image through the native table, and pickling refused."""

import gc
import sys
import weakref

import pytest

from korvex.image.image import Image
from korvex.letter.letter import GlyphInfo

import korvex_consumer as consumer
from support import no_new_attribute, raises_exactly, refuses_pickling

REFUSAL = "self._raw cannot be converted to a Python object for pickling"
EMPTY = (0, 0, 0, 0, (0, 0, 0, 0, 0), None)


def glyph_objects():
    return sum(type(o) is GlyphInfo for o in gc.get_objects())


@pytest.mark.parametrize("args, kwargs", [((), {}), ((1, 2), {"size": 3}), ((None,), {"value": "x"})])
def test_python_construction_ignores_arguments(args, kwargs):
    glyph = GlyphInfo(*args, **kwargs)
    assert type(glyph) is GlyphInfo
    assert consumer.letter_fields(glyph) == EMPTY


def test_subclass_construction_ignores_arguments():
    class Sub(GlyphInfo):
        pass

    assert consumer.letter_fields(Sub(1, 2, k=3)) == EMPTY


def test_type_shape():
    glyph = GlyphInfo()
    assert gc.is_tracked(glyph)
    assert not hasattr(glyph, "__dict__")
    with raises_exactly(AttributeError, no_new_attribute("korvex.letter.letter.GlyphInfo", "value")):
        glyph.value = 65
    assert GlyphInfo.__doc__ is None
    assert [name for name in vars(GlyphInfo) if not name.startswith("__")] == []


def test_pyx_new_keeps_the_record_and_wraps_the_image():
    glyph = consumer.letter_new(65, 1, -2, 7, 4, 6)
    assert type(glyph) is GlyphInfo
    value, offset_x, offset_y, advance_x, image_raw, image = consumer.letter_fields(glyph)
    assert (value, offset_x, offset_y, advance_x) == (65, 1, -2, 7)
    pixels = consumer.letter_font_pixels()
    assert image_raw == (pixels, 4, 6, 1, 7)
    assert type(image) is Image
    assert (image.width, image.height, image.mipmaps, image.format) == (4, 6, 1, 7)
    assert image.is_owner is False
    assert consumer.letter_image_data(image) == (pixels, 0)


def test_pyx_new_with_an_empty_image():
    glyph = consumer.letter_new(32, 0, 0, 5, 0, 0)
    _, _, _, _, image_raw, image = consumer.letter_fields(glyph)
    assert image_raw == (0, 0, 0, 1, 7)
    assert (image.width, image.height, image.is_owner) == (0, 0, False)


def test_pyx_new_reference_counts():
    glyph = consumer.letter_new(66, 0, 0, 8, 2, 2)
    plain = GlyphInfo()
    assert sys.getrefcount(glyph) == sys.getrefcount(plain)
    image = consumer.letter_fields(glyph)[5]
    held = sys.getrefcount(image)
    del glyph
    assert sys.getrefcount(image) == held - 1


@pytest.mark.parametrize("width, height", [(-1, 6), (4, -6), (-2**31, -1)])
def test_pyx_new_failure_leaves_nothing_behind(width, height):
    gc.collect()
    before = glyph_objects()
    with raises_exactly(ValueError, f"image width and height must not be negative (got {width} x {height})"):
        consumer.letter_new(65, 1, -2, 7, width, height)
    gc.collect()
    assert glyph_objects() == before


def test_collector_frees_cycles_through_subclasses():
    class Node(GlyphInfo):
        pass

    node = Node()
    node.me = node
    alive = weakref.ref(node)
    del node
    gc.collect()
    assert alive() is None


def test_pickling_refused():
    refuses_pickling(GlyphInfo(), REFUSAL)


# --- Image's native constructor ------------------------------------------------------


@pytest.mark.parametrize(
    "count, is_owner, owning",
    [(1, 0, False), (1, 1, True), (1, 9, True), (0, 1, False), (-1, 1, False)],
)
def test_image_pyx_new_options(count, is_owner, owning):
    image = consumer.letter_image_new(3, 2, count, is_owner)
    assert (image.width, image.height, image.mipmaps, image.format) == (3, 2, 1, 7)
    assert image.is_owner is owning
    data, flag = consumer.letter_image_data(image)
    assert flag == int(owning)
    assert (data == consumer.letter_font_pixels()) is not owning
    del image  # an owning image frees raylib-allocated pixels here
