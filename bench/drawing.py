"""The drawing rows' setting: a hidden raylib window, a vertex batch that no
sample fills, and the names each library draws with.

raylib collects shapes in a vertex batch and hands it to the GPU when the
batch is full or the frame ends. That flush is the GPU's work (software
rendering under Xvfb), the same whoever made the calls, so these rows leave
it out: the batch set up here holds BATCH_QUADS quads, more than a sample
draws, and every sample starts from an empty batch, flushed untimed by
settle() when the sample's namespace is made. The shapes land in a render
texture of one pixel, where nearly all of them fall outside the picture, so
that those flushes are quick. pygame draws into a Surface in memory, pixels
included.

Without a display (or without korvex.draw) there is no drawing row: the
namespaces simply lack the names, and operations.py's rows are skipped.
"""

from __future__ import annotations

import atexit
import ctypes

ITEMS = 3000  # shapes per batch call
CIRCLES = 300  # circles per batch call: a circle is 18 quads
BATCH_QUADS = 1 << 18
WINDOW_SIDE = 64

enabled = False  # set by enable(), when a drawing row is selected
_state: dict = {"open": None}


def enable() -> None:
    global enabled
    enabled = True


def available() -> bool:
    """Opens the window and the batch on first use; False without a display."""
    if _state["open"] is None:
        _state["open"] = _open()
    return _state["open"]


def _open() -> bool:
    try:
        import korvex.window.window as window
        import ctypes_raylib
    except (ImportError, OSError):
        return False
    opened = not window.is_window_ready()  # a window opened before is used, and left open
    if opened:
        window.set_trace_log_level(window.LOG_WARNING)
        window.set_config_flags(window.FLAG_WINDOW_HIDDEN)
        try:
            window.init_window(WINDOW_SIDE, WINDOW_SIDE, "korvex bench")
        except RuntimeError:
            return False
    from korvex.canvas.canvas import RenderTexture

    rl = ctypes_raylib.rl
    batch = rl.rlLoadRenderBatch(1, BATCH_QUADS)
    rl.rlSetRenderBatchActive(ctypes.byref(batch))
    target = RenderTexture(1, 1)
    target.begin()
    _state["batch"] = batch

    def close() -> None:
        target.end()
        rl.rlSetRenderBatchActive(None)  # flushes ours, then raylib's own batch is active again
        rl.rlUnloadRenderBatch(batch)
        target.unload()
        if opened:
            window.close_window()

    atexit.register(close)
    return True


def settle() -> None:
    """Hands the shapes drawn so far to the GPU, so that the batch is empty."""
    if _state["open"]:
        import ctypes_raylib

        ctypes_raylib.rl.rlDrawRenderBatchActive()


def _positions() -> list[tuple[float, float]]:
    """ITEMS points spread over the window, the same for every library."""
    return [(1.5 + (i * 7) % (WINDOW_SIDE - 4), 1.5 + (i * 13) % (WINDOW_SIDE - 4)) for i in range(ITEMS)]


def _palette() -> list[tuple[int, int, int, int]]:
    return [((i * 37) % 256, (i * 91) % 256, (i * 53) % 256, 255) for i in range(ITEMS)]


def _once(make):
    """make() the first time, then the same dict: the operands are read, never changed."""
    def cached(*args):
        key = (make.__name__, *args)
        if key not in _state:
            _state[key] = make(*args) if available() else {}
        return _state[key]

    cached.__name__, cached.__doc__ = make.__name__, make.__doc__
    return cached


@_once
def korvex_names() -> dict:
    """korvex.draw's functions, and the batch operands as korvex objects."""
    from korvex.color.color import Color
    from korvex.draw import draw
    from korvex.rect.rect import Rect
    from korvex.vector2.vector2 import Vector2

    import demo_frame

    names = {name: getattr(draw, name) for name in
             ("draw_rectangle_rec", "draw_pixel_v", "draw_circle_v", "draw_rectangles", "draw_circles", "draw_pixels")}
    names.update(
        r=Rect(10, 20, 30, 40), p=Vector2(15.5, 25.5), c=Color(10, 20, 30, 40),
        rects=[Rect(x, y, 3, 3) for x, y in _positions()],
        points=[Vector2(x, y) for x, y in _positions()],
        centres=[Vector2(x, y) for x, y in _positions()[:CIRCLES]],
        fills=[Color(*rgba) for rgba in _palette()],
        centre_fills=[Color(*rgba) for rgba in _palette()[:CIRCLES]],
        paint=demo_frame.korvex_paint(),
    )
    return names


@_once
def ctypes_names(built_once: bool) -> dict:
    """raylib's functions through ctypes, with the operands as korvex objects
    whose structures the parser capsules make at every call, or (built_once)
    as ctypes structures made beforehand: raylib's own cost, which no caller
    of the same function can go below."""
    import ctypes_raylib as craylib

    import demo_frame

    rl = craylib.rl
    names = {name: getattr(rl, name) for name in ("DrawRectangleRec", "DrawPixelV", "DrawCircleV")}
    names.update(rect_struct=craylib.rect_struct, color_struct=craylib.color_struct,
                 vector2_struct=craylib.vector2_struct)
    korvex = korvex_names()
    if not built_once:
        names.update({key: korvex[key] for key in ("r", "p", "c", "rects", "points", "centres", "fills")},
                     paint=demo_frame.ctypes_paint())
        return names
    names.update(
        r=craylib.Rectangle(10, 20, 30, 40), p=craylib.Vector2(15.5, 25.5), c=craylib.Color(10, 20, 30, 40),
        rects=[craylib.Rectangle(x, y, 3, 3) for x, y in _positions()],
        points=[craylib.Vector2(x, y) for x, y in _positions()],
        centres=[craylib.Vector2(x, y) for x, y in _positions()[:CIRCLES]],
        fills=[craylib.Color(*rgba) for rgba in _palette()],
    )
    return names


@_once
def pygame_names() -> dict:
    """pygame.draw's functions on a Surface of the window's size."""
    from libraries import import_pygame

    pygame = import_pygame()
    surface = pygame.Surface((WINDOW_SIDE, WINDOW_SIDE))
    return dict(
        surface=surface, draw_rect=pygame.draw.rect, draw_circle=pygame.draw.circle,
        rects=[pygame.Rect(x, y, 3, 3) for x, y in _positions()],
        points=[(int(x), int(y)) for x, y in _positions()],  # Surface.set_at takes whole pixels
        centres=[(x, y) for x, y in _positions()[:CIRCLES]],
        fills=[pygame.Color(*rgba) for rgba in _palette()],
    )
