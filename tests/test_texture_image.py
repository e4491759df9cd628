"""Texture (korvex.texture.texture) and Image (korvex.image.image): the
wrappers that RenderTexture and GlyphInfo hand out, with their owner flags."""

import struct
import zlib

import pytest

from korvex.image.image import Image
from korvex.texture.texture import Texture
from support import not_writable, raises_exactly, refuses_pickling, struct_refusal

NO_WINDOW = "cannot load a texture: no raylib window is ready"


# --- Image ---------------------------------------------------------------------------


def test_empty_image():
    image = Image()
    assert (image.width, image.height, image.mipmaps, image.format, image.is_owner) == (0, 0, 0, 0, False)


def test_gen_color_makes_an_owning_image():
    image = Image.gen_color(4, 6)
    assert (image.width, image.height, image.mipmaps, image.format, image.is_owner) == (4, 6, 1, 7, True)
    assert (Image.gen_color(width=1, height=2).width, Image.gen_color(3.9, 1).width) == (1, 3)


@pytest.mark.parametrize(
    "args, error, message",
    [
        ((0, 4), ValueError, "image width and height must be positive (got 0 x 4)"),
        ((4, -1), ValueError, "image width and height must be positive (got 4 x -1)"),
        ((65536, 8192), ValueError, "image of 65536 x 8192 pixels is too large"),
        ((2**31, 1), OverflowError, "value too large to convert to int"),
        (("4", 4), TypeError, "an integer is required"),
        ((4,), TypeError, "gen_color() takes exactly 2 positional arguments (1 given)"),
    ],
)
def test_gen_color_errors(args, error, message):
    with raises_exactly(error, message):
        Image.gen_color(*args)


@pytest.mark.parametrize("cls", [Image, Texture])
def test_construction_takes_no_arguments(cls):
    with raises_exactly(TypeError, "__init__() takes exactly 0 positional arguments (1 given)"):
        cls(1)
    with raises_exactly(TypeError, "__init__() got an unexpected keyword argument 'width'"):
        cls(width=1)


@pytest.mark.parametrize(
    "cls, names",
    [
        (Image, ["width", "height", "mipmaps", "format", "is_owner"]),
        (Texture, ["id", "width", "height", "mipmaps", "format", "is_owner"]),
    ],
)
def test_properties_are_read_only(cls, names):
    obj = cls()
    for name in names:
        with raises_exactly(AttributeError, not_writable(f"{cls.__module__}.{cls.__name__}", name)):
            setattr(obj, name, 1)


@pytest.mark.parametrize(
    "obj, message",
    [
        (Image(), "self._raw cannot be converted to a Python object for pickling"),
        (Texture(), struct_refusal("_raw")),
    ],
)
def test_pickling_refused(obj, message):
    refuses_pickling(obj, message)


# --- Texture with a window -------------------------------------------------------------


def test_empty_texture():
    texture = Texture()
    assert (texture.id, texture.width, texture.height, texture.mipmaps, texture.format) == (0, 0, 0, 0, 0)
    assert texture.is_owner is False
    texture.unload()


def test_load_from_image_makes_an_owning_texture(window):
    texture = Texture.load_from_image(Image.gen_color(4, 2))
    assert texture.id > 0 and texture.is_owner is True
    assert (texture.width, texture.height, texture.mipmaps, texture.format) == (4, 2, 1, 7)
    texture.unload()
    assert (texture.id, texture.width, texture.is_owner) == (0, 0, False)
    texture.unload()


def test_load_from_image_argument_type(window):
    with raises_exactly(TypeError, (
        "Argument 'image' has incorrect type (expected korvex.image.image.Image, got korvex.texture.texture.Texture)"
    )):
        Texture.load_from_image(Texture())


def test_load_from_an_empty_image_fails(window):
    with raises_exactly(RuntimeError, "raylib could not load the texture"):
        Texture.load_from_image(Image())


@pytest.mark.parametrize("name, error, message", [
    ("/nonexistent/korvex.png", RuntimeError, "raylib could not load the texture"),
    (42, TypeError, "expected str, bytes or os.PathLike object, not int"),
    ("bad\0name", ValueError, "embedded null byte"),
])
def test_load_errors(window, name, error, message):
    with raises_exactly(error, message):
        Texture.load(name)


def png(width, height):
    """An RGBA PNG of opaque white pixels."""

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    rows = b"".join(b"\0" + b"\xff" * 4 * width for _ in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")


@pytest.mark.parametrize("as_name", [lambda p: p, str, lambda p: str(p).encode()])
def test_load_from_file(window, tmp_path, as_name):
    path = tmp_path / "pixels.png"
    path.write_bytes(png(3, 5))
    texture = Texture.load(as_name(path))
    assert (texture.width, texture.height, texture.is_owner) == (3, 5, True) and texture.id > 0
    texture.unload()


# --- Texture without a window, each in its own interpreter -------------------------------


@pytest.mark.parametrize("window_state", ["never opened", "closed"])
@pytest.mark.parametrize("call", ["Texture.load_from_image(Image.gen_color(2, 2))", "Texture.load('x.png')"])
def test_loading_without_window_raises(run_python, window_state, call):
    run = run_python(f"""
        from korvex.image.image import Image
        from korvex.texture.texture import Texture
        if {window_state == "closed"}:
            open_window()
            close_window()
        try:
            {call}
        except RuntimeError as exc:
            result(str(exc))
    """)
    assert run.results == [NO_WINDOW]


@pytest.mark.parametrize("release", ["texture.unload()", "del texture", "pass  # released at interpreter exit"])
def test_owning_texture_released_after_window_closed(run_python, release):
    run = run_python(f"""
        from korvex.image.image import Image
        from korvex.texture.texture import Texture
        open_window()
        texture = Texture.load_from_image(Image.gen_color(2, 2))
        result(texture.is_owner)
        close_window()
        {release}
        if "texture" in globals():
            result((min(texture.id, 1), texture.is_owner))
    """)
    expected = {"texture.unload()": [(0, False)], "del texture": []}.get(release, [(1, True)])
    assert run.results == [True] + expected
