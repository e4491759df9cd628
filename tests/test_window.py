"""korvex.window.window: the window's life, the frame, blending, input codes,
and raylib's constants checked against raylib.h itself."""

import re
from pathlib import Path

import pytest

import korvex.window.window as w
from korvex.canvas.canvas import RenderTexture
from korvex.draw.draw import draw_rectangle_rec
from korvex.image.image import get_image_color, load_image_from_texture
from korvex.vector2.vector2 import Vector2

from entry_points import RaisingNumber
from support import HostileError, raises_exactly

RAYLIB_H = Path("/usr/include/raylib.h")
RLGL_H = Path("/usr/include/rlgl.h")
PREFIXES = ("FLAG_", "KEY_", "MOUSE_BUTTON_", "BLEND_", "LOG_")


def raylib_enum_values():
    """Every enumerator of raylib.h with one of PREFIXES, by C's rules: an
    explicit value, or one more than the previous enumerator."""
    values = {}
    for body in re.findall(r"typedef enum \{(.*?)\}", RAYLIB_H.read_text(), re.S):
        following = 0
        for line in body.splitlines():
            m = re.match(r"\s*([A-Z][A-Z0-9_]*)\s*(?:=\s*([0-9a-fA-Fx]+))?\s*,?", line)
            if not m:
                continue
            value = int(m[2], 0) if m[2] else following
            following = value + 1
            if m[1].startswith(PREFIXES):
                values[m[1]] = value
    return values


def rlgl_blend_values():
    found = dict(re.findall(r"#define (RL_[A-Z_]+)\s+(0x[0-9A-Fa-f]+|\d+)\s+// GL_", RLGL_H.read_text()))
    wanted = {"RL_ZERO", "RL_ONE", "RL_FUNC_ADD", "RL_MIN", "RL_MAX", "RL_FUNC_SUBTRACT", "RL_FUNC_REVERSE_SUBTRACT"}
    return {k: int(v, 0) for k, v in found.items()
            if k in wanted or re.fullmatch(r"RL_(ONE_MINUS_)?(SRC|DST|CONSTANT)_(COLOR|ALPHA)|RL_SRC_ALPHA_SATURATE", k)}


def module_constants(prefixes):
    return {k: v for k, v in vars(w).items() if k.startswith(prefixes) and k.isupper()}


@pytest.mark.skipif(not RAYLIB_H.exists(), reason="raylib.h not installed")
def test_constants_are_raylibs_enumerators():
    expected = raylib_enum_values()
    assert len(expected) == 149
    assert module_constants(PREFIXES) == expected


@pytest.mark.skipif(not RLGL_H.exists(), reason="rlgl.h not installed")
def test_blend_factor_constants_are_rlgls():
    expected = rlgl_blend_values()
    assert len(expected) == 20
    assert module_constants(("RL_",)) == expected


@pytest.mark.parametrize("name, value", [
    ("KEY_A", 65), ("KEY_Z", 90), ("KEY_ZERO", 48), ("KEY_NINE", 57), ("KEY_F1", 290), ("KEY_F12", 301),
    ("KEY_KP_0", 320), ("KEY_KP_9", 329), ("KEY_ESCAPE", 256), ("KEY_SPACE", 32), ("MOUSE_BUTTON_LEFT", 0),
    ("MOUSE_BUTTON_BACK", 6), ("BLEND_ALPHA", 0), ("BLEND_CUSTOM_SEPARATE", 7), ("LOG_WARNING", 4),
    ("LOG_NONE", 7), ("FLAG_WINDOW_HIDDEN", 0x80), ("FLAG_MSAA_4X_HINT", 0x20), ("RL_SRC_ALPHA", 0x302),
    ("RL_FUNC_ADD", 0x8006),
])
def test_constant_values(name, value):
    assert type(getattr(w, name)) is int and getattr(w, name) == value


# --- input codes ----------------------------------------------------------------------------------

KEY_QUERIES = [w.is_key_down, w.is_key_pressed, w.is_key_released, w.is_key_up]
BUTTON_QUERIES = [w.is_mouse_button_down, w.is_mouse_button_pressed, w.is_mouse_button_released]


@pytest.mark.parametrize("query", KEY_QUERIES + BUTTON_QUERIES, ids=lambda f: f.__name__)
@pytest.mark.parametrize("code", [-1, 512, 7 * 10**5, 2**31, 2**100, -(2**100)])
def test_codes_outside_raylibs_range_are_false(query, code):
    assert query(code) is False


def test_key_codes_inside_the_range_answer():
    assert w.is_key_up(w.KEY_A) is True and w.is_key_down(w.KEY_A) is False
    assert w.is_mouse_button_down(w.MOUSE_BUTTON_BACK) is False
    assert w.is_mouse_button_down(7) is False  # one past raylib's last button


@pytest.mark.parametrize("code, error, message", [
    ("a", TypeError, "an integer is required"),
    (None, TypeError, "an integer is required"),
    (RaisingNumber(), HostileError, "__int__"),
])
def test_code_conversion_errors(code, error, message):
    for query in KEY_QUERIES + BUTTON_QUERIES:
        raises_exactly(error, message, query, code)


def test_queues_and_motion_without_input():
    assert w.get_key_pressed() == 0 and w.get_char_pressed() == 0
    assert w.get_mouse_wheel_move() == 0.0
    assert type(w.get_mouse_position()) is Vector2 and type(w.get_mouse_delta()) is Vector2


# --- the window ---------------------------------------------------------------------------------------

def test_window_queries_with_the_session_window(window):
    assert w.is_window_ready() is True
    assert (w.get_screen_width(), w.get_screen_height()) == (64, 64)
    assert type(w.get_time()) is float and type(w.get_fps()) is int and type(w.get_frame_time()) is float
    assert w.window_should_close() is False


@pytest.mark.parametrize("args, error, message", [
    ((0, 10, "t"), ValueError, "window width and height must be between 1 and 32768 (got 0 by 10)"),
    ((10, 32769, "t"), ValueError, "window width and height must be between 1 and 32768 (got 10 by 32769)"),
    ((-5, -5, "t"), ValueError, "window width and height must be between 1 and 32768 (got -5 by -5)"),
    ((2**31, 10, "t"), OverflowError, "value too large to convert to int"),
    ((10, 10, b"t"), TypeError, "Argument 'title' has incorrect type (expected str, got bytes)"),
    ((10, 10, "a\0b"), ValueError, "embedded null character"),
    ((10, 10, "\ud800"), UnicodeEncodeError,
     "'utf-8' codec can't encode character '\\ud800' in position 0: surrogates not allowed"),
    ((10, 10, "t"), RuntimeError, "cannot open a window: a raylib window is already open"),
])
def test_init_window_misuse(window, args, error, message):
    raises_exactly(error, message, w.init_window, *args)
    assert w.is_window_ready() and w.get_screen_width() == 64


@pytest.mark.parametrize("flags, error, message", [
    (-1, ValueError, "flags must be between 0 and 0xFFFFFFFF"),
    (2**32, ValueError, "flags must be between 0 and 0xFFFFFFFF"),
    (2**64, OverflowError, "int too big to convert"),
    ("1", TypeError, "an integer is required"),
    (w.FLAG_WINDOW_HIDDEN, RuntimeError, "set_config_flags() must be called before init_window()"),
])
def test_set_config_flags_errors(window, flags, error, message):
    raises_exactly(error, message, w.set_config_flags, flags)


def test_open_close_and_reopen(run_python):
    run = run_python("""
        import korvex.window.window as w
        w.close_window()  # nothing open: nothing happens
        result((w.is_window_ready(), w.window_should_close(), w.get_frame_time(), tuple(w.get_mouse_position())))
        w.set_config_flags(w.FLAG_WINDOW_HIDDEN)
        w.init_window(40, 30, "korvex window test")
        result((w.is_window_ready(), w.get_screen_width(), w.get_screen_height(), w.window_should_close()))
        w.close_window()
        w.close_window()
        result(w.is_window_ready())
        w.set_config_flags(w.FLAG_WINDOW_HIDDEN)
        w.init_window(20, 10, "")
        result((w.is_window_ready(), w.get_screen_width()))
        w.close_window()
    """)
    assert run.results == [(False, True, 0.0, (0.0, 0.0)), (True, 40, 30, False), False, (True, 20)]


def test_a_window_raylib_cannot_open_leaves_nothing_open(run_python):
    run = run_python("""
        import os
        import korvex.window.window as w
        display = os.environ.pop("DISPLAY")
        wayland = os.environ.pop("WAYLAND_DISPLAY", None)
        for attempt in range(2):
            try:
                w.init_window(40, 30, "no display")
            except RuntimeError as exc:
                result(str(exc))
            result(w.is_window_ready())
        os.environ["DISPLAY"] = display
        w.set_config_flags(w.FLAG_WINDOW_HIDDEN)
        w.init_window(40, 30, "display back")
        result(w.is_window_ready())
        w.close_window()
    """)
    message = "raylib could not open a window (is a display available?)"
    assert run.results == [message, False, message, False, True]


NO_WINDOW = {
    "w.begin_drawing()": "cannot begin a frame",
    "w.end_drawing()": "cannot end a frame",
    "w.drawing().__enter__()": "cannot begin a frame",
    "w.drawing().__exit__(None, None, None)": "cannot end a frame",
    "w.clear_background((1, 2, 3))": "cannot draw",
    "w.begin_blend_mode(w.BLEND_ADDITIVE)": "cannot set a blend mode",
    "w.end_blend_mode()": "cannot set a blend mode",
    "w.set_blend_factors_separate(1, 0, 1, 0, 0x8006, 0x8006)": "cannot set a blend mode",
    "w.take_screenshot('/tmp/korvex-never-written.png')": "cannot take a screenshot",
}


def test_frame_and_blending_raise_without_a_window(run_python):
    run = run_python(f"""
        import korvex.window.window as w
        for call in {list(NO_WINDOW)!r}:
            try:
                eval(call)
            except RuntimeError as exc:
                result(str(exc))
        result((w.get_key_pressed(), w.is_key_down(w.KEY_A), w.get_mouse_wheel_move(), w.get_screen_width()))
    """)
    assert run.results == [f"{a}: no raylib window is ready" for a in NO_WINDOW.values()] + [(0, False, 0.0, 0)]


def test_drawing_ends_the_frame_also_when_the_block_raises(run_python):
    run = run_python("""
        import korvex.window.window as w
        w.set_config_flags(w.FLAG_WINDOW_HIDDEN)
        w.init_window(16, 16, "frame")
        result(w.get_frame_time())
        try:
            with w.drawing() as frame:
                result(frame is w.drawing())
                raise KeyError("inside")
        except KeyError as exc:
            result(str(exc))
        result(w.get_frame_time() > 0)
        result(w.drawing().__exit__(None, None, None))
        w.close_window()
    """)
    assert run.results == [0.0, True, "'inside'", True, False]


def test_screenshot_writes_a_png(window, tmp_path):
    path = tmp_path / "shot.png"
    with w.drawing():
        w.clear_background((10, 20, 30))
    assert w.take_screenshot(str(path)) is True
    assert path.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    assert w.take_screenshot(tmp_path / "second.png") is True
    assert w.take_screenshot(str(tmp_path / "missing" / "x.png")) is False


@pytest.mark.parametrize("path, error, message", [
    (b"x.png", TypeError, "Argument 'path' has incorrect type (expected str, got bytes)"),
    (None, TypeError, "Argument 'path' has incorrect type (expected str, got NoneType)"),
    ("a\0.png", ValueError, "embedded null character"),
])
def test_screenshot_path_errors(window, path, error, message):
    raises_exactly(error, message, w.take_screenshot, path)


# --- blending, read back ---------------------------------------------------------------------------------

def blended(mode, background, color, factors=None):
    target = RenderTexture(4, 4)
    try:
        with target:
            w.clear_background(background)
            if factors:
                w.set_blend_factors_separate(*factors)
            w.begin_blend_mode(mode)
            draw_rectangle_rec((0, 0, 4, 4), color)
            w.end_blend_mode()
        return tuple(get_image_color(load_image_from_texture(target.texture), 1, 1))
    finally:
        target.unload()


def test_blend_modes_change_the_pixels(window):
    assert blended(w.BLEND_ALPHA, (100, 0, 0, 255), (50, 0, 0, 255)) == (50, 0, 0, 255)
    assert blended(w.BLEND_ADDITIVE, (100, 0, 0, 255), (50, 0, 0, 255)) == (150, 0, 0, 255)
    # Translucent over opaque: plain alpha blending leaves a translucent
    # target; separate alpha factors keep it opaque.
    assert blended(w.BLEND_ALPHA, (0, 0, 0, 255), (255, 0, 0, 128))[3] < 255
    opaque = (w.RL_SRC_ALPHA, w.RL_ONE_MINUS_SRC_ALPHA, w.RL_ONE, w.RL_ONE_MINUS_SRC_ALPHA, w.RL_FUNC_ADD,
              w.RL_FUNC_ADD)
    r, g, b, a = blended(w.BLEND_CUSTOM_SEPARATE, (0, 0, 0, 255), (255, 0, 0, 128), opaque)
    assert (g, b, a) == (0, 0, 255) and r in (127, 128)


def test_timing_and_log_level_setters_return_none(window):
    assert w.set_target_fps(0) is None
    assert w.set_trace_log_level(w.LOG_WARNING) is None
    raises_exactly(OverflowError, "value too large to convert to int", w.set_target_fps, 2**31)
