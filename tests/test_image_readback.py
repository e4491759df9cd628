"""The Image functions that read pixels back and write them out:
load_image_from_texture, image_flip_vertical, get_image_color, export_image."""

import sys

import pytest

from korvex.canvas.canvas import RenderTexture
from korvex.color.color import Color
from korvex.draw.draw import draw_rectangle_rec
from korvex.image.image import Image, export_image, get_image_color, image_flip_vertical, load_image_from_texture
from korvex.texture.texture import Texture
from korvex.window.window import clear_background

import korvex_consumer as consumer
from support import raises_exactly

PNG = b"\x89PNG\r\n\x1a\n"


@pytest.fixture
def striped(window):
    """A 6 by 4 render texture whose rows, top down, are red, green, blue,
    white (as drawn; a framebuffer reads back bottom up)."""
    target = RenderTexture(6, 4)
    with target:
        for row, color in enumerate([(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)]):
            draw_rectangle_rec((0, row, 6, 1), color)
    yield target
    target.unload()


def rows(image):
    return [tuple(get_image_color(image, 0, y)) for y in range(image.height)]


def test_read_back_is_an_owning_image_of_the_texture(striped):
    image = load_image_from_texture(striped.texture)
    assert (image.width, image.height, image.is_owner) == (6, 4, True)
    assert image.format == striped.texture.format
    assert rows(image) == [(255, 255, 255, 255), (0, 0, 255, 255), (0, 255, 0, 255), (255, 0, 0, 255)]


def test_flip_turns_rows_in_place_and_back(striped):
    image = load_image_from_texture(striped.texture)
    before = rows(image)
    assert image_flip_vertical(image) is None
    assert rows(image) == before[::-1]
    assert all(get_image_color(image, x, 0) == Color(255, 0, 0) for x in range(6))
    image_flip_vertical(image)
    assert rows(image) == before


@pytest.mark.parametrize("height", [1, 2, 3])
def test_flip_of_small_images(window, height):
    image = Image.gen_color(3, height)
    image_flip_vertical(image)
    assert [get_image_color(image, 2, y) for y in range(height)] == [Color(255, 255, 255)] * height


def test_flip_keeps_pixels_it_does_not_own():
    """A non-owning Image (here over memory the consumer allocated) is
    flipped where it lies: raylib's own flip would free that memory."""
    image = consumer.letter_image_new(2, 3, 1, 0)
    address = consumer.letter_image_data(image)
    image_flip_vertical(image)
    image_flip_vertical(Image())  # no pixels: nothing to do
    assert consumer.letter_image_data(image) == address


@pytest.mark.parametrize("x, y", [(-1, 0), (0, -1), (2, 0), (0, 3), (2**31 - 1, 0)])
def test_color_outside_the_image_is_blank(x, y):
    assert get_image_color(Image.gen_color(2, 3), x, y) == Color(0, 0, 0, 0)


def test_color_of_an_image_without_pixels_is_blank():
    assert get_image_color(Image(), 0, 0) == Color(0, 0, 0, 0)
    assert type(get_image_color(Image.gen_color(1, 1), 0, 0)) is Color


@pytest.mark.parametrize("call, error, message", [
    (lambda: get_image_color(Image(), 2**31, 0), OverflowError, "value too large to convert to int"),
    (lambda: get_image_color(Image(), "0", 0), TypeError, "an integer is required"),
    (lambda: get_image_color((1, 2), 0, 0), TypeError,
     "Argument 'image' has incorrect type (expected korvex.image.image.Image, got tuple)"),
    (lambda: image_flip_vertical(None), TypeError,
     "Argument 'image' has incorrect type (expected korvex.image.image.Image, got NoneType)"),
    (lambda: load_image_from_texture(Image()), TypeError,
     "Argument 'texture' has incorrect type (expected korvex.texture.texture.Texture, got korvex.image.image.Image)"),
    (lambda: load_image_from_texture(Texture()), ValueError,
     "cannot read a texture that holds no GPU texture (id 0)"),
    (lambda: export_image(Image.gen_color(1, 1), b"x.png"), TypeError,
     "Argument 'path' has incorrect type (expected str, got bytes)"),
    (lambda: export_image(Image.gen_color(1, 1), "x\0.png"), ValueError, "embedded null character"),
])
def test_argument_errors(call, error, message):
    raises_exactly(error, message, call)


def test_export_writes_a_png(tmp_path, striped):
    path = tmp_path / "striped.png"
    assert export_image(load_image_from_texture(striped.texture), path) is True
    assert path.read_bytes()[:8] == PNG
    assert export_image(Image.gen_color(2, 2), str(tmp_path / "white.png")) is True
    assert export_image(Image(), str(tmp_path / "empty.png")) is False
    assert export_image(Image.gen_color(2, 2), str(tmp_path / "no" / "dir.png")) is False
    assert not (tmp_path / "empty.png").exists()


def test_read_back_without_a_window(run_python):
    run = run_python("""
        from korvex.image.image import load_image_from_texture
        from korvex.texture.texture import Texture
        import korvex_consumer as consumer
        try:
            load_image_from_texture(consumer.canvas_texture_new(1, 2, 2, 1, 7, 1, 0))
        except RuntimeError as exc:
            result(str(exc))
    """)
    assert run.results == ["cannot read a texture: no raylib window is ready"]


def test_read_back_keeps_no_reference(striped):
    texture = striped.texture
    before = sys.getrefcount(texture)
    for _ in range(3):
        load_image_from_texture(texture)
    assert sys.getrefcount(texture) == before
