"""korvex.color.color: the factories and derived colours, each against raylib's
own helper called directly through ctypes on the libraylib the module loaded,
for a few hundred colours; hex text and grayscale against exact models."""

import ctypes
import math
import random
import struct

import pytest

from korvex.color.color import Color
from support import BadFloat, Boom, raises_exactly


class RawColor(ctypes.Structure):
    _fields_ = [(name, ctypes.c_ubyte) for name in "rgba"]


class RawVector3(ctypes.Structure):
    _fields_ = [(name, ctypes.c_float) for name in "xyz"]


def load_raylib():
    with open("/proc/self/maps") as maps:
        path = next(line.split()[-1] for line in maps if "libraylib" in line)
    lib = ctypes.CDLL(path)
    signatures = {
        "GetColor": (RawColor, [ctypes.c_uint]),
        "ColorFromHSV": (RawColor, [ctypes.c_float] * 3),
        "ColorToHSV": (RawVector3, [RawColor]),
        "ColorLerp": (RawColor, [RawColor, RawColor, ctypes.c_float]),
        "Fade": (RawColor, [RawColor, ctypes.c_float]),
        "ColorAlphaBlend": (RawColor, [RawColor] * 3),
        "ColorBrightness": (RawColor, [RawColor, ctypes.c_float]),
        "ColorContrast": (RawColor, [RawColor, ctypes.c_float]),
    }
    for name, (result, arguments) in signatures.items():
        getattr(lib, name).restype, getattr(lib, name).argtypes = result, arguments
    return lib


RAYLIB = load_raylib()
rng = random.Random(20)
CHANNELS = [0, 1, 127, 128, 254, 255]
COLORS = [tuple(rng.choice(CHANNELS) if rng.random() < 0.3 else rng.randrange(256) for _ in "rgba")
          for _ in range(300)]
FACTORS = [-2.0, -1.0, -0.5, -0.001, 0.0, 0.1, 1 / 3, 0.5, 0.999, 1.0, 7.0]


def raw(channels):
    return RawColor(*channels)


def as_tuple(c):
    return (c.r, c.g, c.b, c.a)


def f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def test_from_int_is_get_color_and_inverts_to_int():
    for value in [0, 1, 0xFF, 0x80000000, 0xFFFFFFFF] + [rng.getrandbits(32) for _ in range(300)]:
        c = Color.from_int(value)
        assert type(c) is Color and as_tuple(c) == as_tuple(RAYLIB.GetColor(value))
        assert as_tuple(Color.from_int(c.to_int())) == as_tuple(c)
    assert as_tuple(Color.from_int(-1)) == (255, 255, 255, 255)
    assert as_tuple(Color.from_int(-(2**31))) == (128, 0, 0, 0)


@pytest.mark.parametrize("value", [2**32, -(2**31) - 1, 2**70])
def test_from_int_outside_32_bits(value):
    raises_exactly(OverflowError, None, Color.from_int, value)


@pytest.mark.parametrize(
    "text, expected",
    [
        ("#ff8000", (255, 128, 0, 255)), ("FF8000", (255, 128, 0, 255)), ("#0a0B0c0D", (10, 11, 12, 13)),
        ("00000000", (0, 0, 0, 0)),
    ],
)
def test_from_hex(text, expected):
    assert as_tuple(Color.from_hex(text)) == expected
    assert type(Color.from_hex(text=text)) is Color


@pytest.mark.parametrize("text", ["", "#", "#fff", "#ff80000", "##ff8000", "#ff800g", " ff8000", "#ff8000\0",
                                  "#ff80\u0660\u0660", "\ud800" * 6, "0xff8000"])
def test_from_hex_refuses_other_texts(text):
    raises_exactly(ValueError, f'{text!r} is not a hex colour: expected "#rrggbb" or "#rrggbbaa"',
                   Color.from_hex, text)


def test_from_hex_takes_a_str_only():
    raises_exactly(TypeError, "Argument 'text' has incorrect type (expected str, got bytes)", Color.from_hex, b"ff8000")


def test_get_hex_round_trips():
    for channels in COLORS:
        text = Color(*channels).get_hex()
        assert text == "#" + "".join(f"{v:02x}" for v in channels)
        assert as_tuple(Color.from_hex(text)) == channels


def test_hsv_both_ways_match_raylib():
    for channels in COLORS:
        hsv = RAYLIB.ColorToHSV(raw(channels))
        assert Color(*channels).get_hsv() == (hsv.x, hsv.y, hsv.z)
    for hue in [-400.0, -1.5, 0.0, 59.99, 60.0, 123.4, 359.9, 360.0, 1e6]:
        for s in (0.0, 0.25, 1.0):
            for v in (0.0, 0.7, 1.0):
                expected = as_tuple(RAYLIB.ColorFromHSV(hue, s, v))
                assert as_tuple(Color.from_hsv(hue, s, v)) == expected


def test_from_hsv_clamps_saturation_and_value():
    assert Color.from_hsv(200, 5, -3) == Color.from_hsv(200, 1, 0)
    assert Color.from_hsv(200, -5, 9) == Color.from_hsv(200, 0, 1)


@pytest.mark.parametrize("method, args", [
    ("get_lerp", (Color(1, 2, 3),)), ("get_brightened", ()), ("get_contrasted", ()),
])
def test_derived_colours_refuse_nan(method, args):
    name = {"get_lerp": "t", "get_brightened": "factor", "get_contrasted": "contrast"}[method]
    raises_exactly(ValueError, f"{name} must be a number, not NaN", getattr(Color(1, 2, 3), method), *args, math.nan)
    raises_exactly(Boom, "float", getattr(Color(1, 2, 3), method), *args, BadFloat())


@pytest.mark.parametrize("args, message", [((math.nan, 1, 1), "hue must be a number, not NaN"),
                                           ((math.inf, 1, 1), "hue must be finite"),
                                           ((1, math.nan, 1), "saturation must be a number, not NaN"),
                                           ((1, 1, math.nan), "value must be a number, not NaN")])
def test_from_hsv_refuses_nan(args, message):
    raises_exactly(ValueError, message, Color.from_hsv, *args)


def test_lerp_fade_brightness_contrast_match_raylib():
    for i, channels in enumerate(COLORS):
        c, other = Color(*channels), Color(*COLORS[-1 - i])
        for factor in FACTORS:
            assert as_tuple(c.get_lerp(other, factor)) == as_tuple(RAYLIB.ColorLerp(raw(channels), raw(COLORS[-1 - i]), factor))
            assert as_tuple(c.get_faded(factor)) == as_tuple(RAYLIB.Fade(raw(channels), factor))
            assert as_tuple(c.get_brightened(factor)) == as_tuple(RAYLIB.ColorBrightness(raw(channels), factor))
            assert as_tuple(c.get_contrasted(factor)) == as_tuple(RAYLIB.ColorContrast(raw(channels), factor))
        assert as_tuple(c) == channels  # self unchanged


def test_faded_nan_counts_as_one_and_fade_is_unchanged():
    c = Color(1, 2, 3, 4)
    assert as_tuple(c.get_faded(math.nan)) == (1, 2, 3, 255) and as_tuple(c) == (1, 2, 3, 4)
    c.fade(0.5)
    assert as_tuple(c) == (1, 2, 3, 127)


def test_alpha_blend_matches_raylib():
    for i, channels in enumerate(COLORS):
        src, tint = COLORS[(i * 7) % len(COLORS)], COLORS[(i * 13 + 5) % len(COLORS)]
        result = Color(*channels).get_alpha_blended(Color(*src), tint=Color(*tint))
        assert as_tuple(result) == as_tuple(RAYLIB.ColorAlphaBlend(raw(channels), raw(src), raw(tint)))


def test_grayscale():
    for channels in COLORS:
        r, g, b, a = channels
        luma = math.floor(0.299 * r + 0.587 * g + 0.114 * b + 0.5)  # half away from zero: all are positive
        assert as_tuple(Color(*channels).get_grayscale()) == (luma, luma, luma, a)


def test_subclass_results_are_exact_colors():
    class Sub(Color):
        pass

    s = Sub(10, 20, 30)
    for result in (s.get_lerp(s, 0.5), s.get_faded(0.5), s.get_grayscale(), Sub.from_hex("#102030"),
                   Sub.from_int(5), Sub.from_hsv(1, 1, 1), s.get_alpha_blended(s, s)):
        assert type(result) is Color


@pytest.mark.parametrize("method", ["get_lerp", "get_alpha_blended"])
def test_color_parameters_must_be_colors(method):
    args = (Color(1, 2, 3), (1, 2, 3)) if method == "get_alpha_blended" else ((1, 2, 3), 0.5)
    param = "tint" if method == "get_alpha_blended" else "other"
    raises_exactly(TypeError, f"Argument '{param}' has incorrect type (expected korvex.color.color.Color, got tuple)",
                   getattr(Color(0, 0, 0), method), *args)
