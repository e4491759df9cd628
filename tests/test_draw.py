"""korvex.draw.draw: what each function draws, read back from a RenderTexture;
the batches against their one-by-one forms, pixel for pixel; the errors,
raised before anything is drawn."""

import math
import random
from collections import UserList

import pytest

import korvex.draw.draw as d
from korvex.canvas.canvas import RenderTexture
from korvex.color.color import Color
from korvex.image.image import get_image_color, image_flip_vertical, load_image_from_texture
from korvex.rect.rect import Rect
from korvex.texture.texture import Texture
from korvex.vector2.vector2 import Vector2
from korvex.window.window import clear_background

from entry_points import RaisingNumber
from support import HostileError, raises_exactly

SIZE = 24
BLACK = (0, 0, 0, 255)
RED, GREEN, BLUE, WHITE = (255, 0, 0, 255), (0, 255, 0, 255), (0, 0, 255, 255), (255, 255, 255, 255)
NAN, INF = float("nan"), float("inf")


@pytest.fixture
def target(window):
    rt = RenderTexture(SIZE, SIZE)
    yield rt
    rt.unload()


def render(target, draw, background=BLACK):
    """The pixels, rows top down, after clearing to `background` and
    calling draw() inside the render texture."""
    with target:
        clear_background(background)
        draw()
    image = load_image_from_texture(target.texture)
    image_flip_vertical(image)  # framebuffers read bottom up
    return [[tuple(get_image_color(image, x, y)) for x in range(SIZE)] for y in range(SIZE)]


def painted(pixels, background=BLACK):
    return {(x, y) for y, row in enumerate(pixels) for x, p in enumerate(row) if p != background}


# --- what the shapes draw --------------------------------------------------------------------


@pytest.mark.parametrize("rect", [(2, 3, 5, 4), Rect(2, 3, 5, 4), [2.0, 3.0, 5.0, 4.0]])
def test_filled_rectangle_covers_exactly_its_pixels(target, rect):
    pixels = render(target, lambda: d.draw_rectangle_rec(rect, RED))
    assert painted(pixels) == {(x, y) for x in range(2, 7) for y in range(3, 7)}
    assert {pixels[y][x] for x, y in painted(pixels)} == {RED}


def test_circle_centre_and_extent(target):
    pixels = render(target, lambda: d.draw_circle_v((12, 12), 5, GREEN))
    assert pixels[12][12] == GREEN and pixels[12][8] == GREEN and pixels[12][15] == GREEN
    assert pixels[12][3] == BLACK and pixels[12][20] == BLACK and pixels[5][5] == BLACK


def test_pixel_line_triangle_and_poly_draw_where_they_should(target):
    assert painted(render(target, lambda: d.draw_pixel_v(Vector2(4, 5), WHITE))) == {(4, 5)}
    line = painted(render(target, lambda: d.draw_line_ex((2, 10.5), (20, 10.5), 1, WHITE)))
    assert line == {(x, 10) for x in range(2, 20)}
    triangle = render(target, lambda: d.draw_triangle((2, 2), (2, 20), (20, 20), BLUE))
    assert triangle[18][4] == BLUE and triangle[4][18] == BLACK
    poly = render(target, lambda: d.draw_poly((12, 12), 6, 8, 0, RED))
    assert poly[12][12] == RED and poly[0][0] == BLACK


def test_outlines_leave_the_inside(target):
    pixels = render(target, lambda: d.draw_rectangle_lines_ex((2, 2, 10, 10), 2, WHITE))
    assert pixels[2][2] == WHITE and pixels[3][6] == WHITE and pixels[6][6] == BLACK and pixels[11][11] == WHITE
    ring = render(target, lambda: d.draw_circle_lines_v((12, 12), 6, WHITE))
    assert ring[12][12] == BLACK and len(painted(ring)) > 20


def test_rectangle_pro_turns_about_its_origin(target):
    plain = render(target, lambda: d.draw_rectangle_rec((4, 6, 8, 2), RED))
    assert render(target, lambda: d.draw_rectangle_pro((4, 6, 8, 2), (0, 0), 0, RED)) == plain
    turned = painted(render(target, lambda: d.draw_rectangle_pro((12, 12, 8, 2), (0, 0), 90, RED)))
    assert turned == {(x, y) for x in (10, 11) for y in range(12, 20)}


def test_text_changes_pixels_and_measures_in_the_default_font(target):
    assert painted(render(target, lambda: d.draw_text("Hi", 1, 1, 10, WHITE)))
    assert d.measure_text("", 10) == 0
    assert 0 < d.measure_text("H", 10) < d.measure_text("HH", 10)
    assert d.measure_text("H", 1) == d.measure_text("H", 10)  # below 10, raylib draws at 10
    assert painted(render(target, lambda: d.draw_fps(0, 0)))


def test_textures_of_a_render_texture_draw_into_another(target, window):
    source = RenderTexture(SIZE, SIZE)
    try:
        with source:
            clear_background(BLUE)
            d.draw_rectangle_rec((0, 0, 4, 4), RED)
        tex = source.texture
        assert render(target, lambda: d.draw_texture_v(tex, (0, 0), WHITE))[12][12] == BLUE
        flipped = render(target, lambda: d.draw_texture_rec(tex, (0, 0, SIZE, -SIZE), (0, 0), WHITE))
        assert flipped[1][1] == RED and flipped[20][20] == BLUE
        pro = render(target, lambda: d.draw_texture_pro(tex, (0, 0, SIZE, -SIZE), (0, 0, SIZE, SIZE), (0, 0), 0,
                                                         WHITE))
        assert pro == flipped
        # A Texture without GPU object draws nothing (raylib skips id 0).
        assert not painted(render(target, lambda: d.draw_texture_v(Texture(), (0, 0), WHITE)))
    finally:
        source.unload()


# --- like-values and the package's objects give the same pixels ---------------------------------

SAME = [
    ("draw_rectangle_rec", (Rect(3, 4, 9, 5), Color(10, 200, 30)), ((3, 4, 9, 5), (10, 200, 30))),
    ("draw_pixel_v", (Vector2(7, 8), Color(1, 2, 3, 4)), ([7, 8], [1, 2, 3, 4])),
    ("draw_circle_v", (Vector2(12, 11), 6.5, Color(200, 10, 10)), ((12, 11), 6.5, (200, 10, 10, 255))),
    ("draw_line_v", (Vector2(1, 1), Vector2(20, 17), Color(9, 9, 250)), ((1, 1), (20, 17), (9, 9, 250))),
    ("draw_triangle", (Vector2(1, 1), Vector2(1, 20), Vector2(20, 20), Color(90, 0, 0)),
     ((1, 1), [1, 20], (20, 20), [90, 0, 0])),
    ("draw_rectangles", ([Rect(1, 1, 3, 3), Rect(5, 5, 4, 4)], Color(0, 99, 0)),
     (((1, 1, 3, 3), [5, 5, 4, 4]), (0, 99, 0))),
]


@pytest.mark.parametrize("name, korvex_args, like_args", SAME, ids=[s[0] for s in SAME])
def test_like_values_draw_as_the_objects(target, name, korvex_args, like_args):
    function = getattr(d, name)
    ours = render(target, lambda: function(*korvex_args))
    assert painted(ours)
    assert render(target, lambda: function(*like_args)) == ours


# --- each batch is its one-by-one form --------------------------------------------------------------


def translucent_colors(rng, count):
    return [(rng.randrange(256), rng.randrange(256), rng.randrange(256), rng.randrange(40, 256)) for _ in range(count)]


@pytest.mark.parametrize("count", [0, 1, 7, 9000])  # 9000 quads pass raylib's batch buffer of 8192
def test_draw_rectangles_equals_draw_rectangle_rec_one_by_one(target, count):
    rng = random.Random(count)
    rects = [(rng.uniform(-4, SIZE), rng.uniform(-4, SIZE), rng.uniform(0, 9), rng.uniform(0, 9))
             for _ in range(count)]
    colors = translucent_colors(rng, count)

    def one_by_one():
        for rect, color in zip(rects, colors):
            d.draw_rectangle_rec(rect, color)

    assert render(target, lambda: d.draw_rectangles(rects, colors)) == render(target, one_by_one)
    # One color for all, and tuples of Rects.
    objects = tuple(Rect(*r) for r in rects)
    single = render(target, lambda: [d.draw_rectangle_rec(r, colors[0] if colors else RED) for r in objects])
    assert render(target, lambda: d.draw_rectangles(objects, colors[0] if colors else RED)) == single


def test_draw_pixels_equals_draw_pixel_v_one_by_one(target):
    rng = random.Random(3)
    points = [(rng.uniform(0, SIZE), rng.uniform(0, SIZE)) for _ in range(300)]
    colors = translucent_colors(rng, 300)
    one = render(target, lambda: [d.draw_pixel_v(p, c) for p, c in zip(points, colors)])
    assert render(target, lambda: d.draw_pixels(points, colors)) == one
    vectors = [Vector2(*p) for p in points]
    assert render(target, lambda: d.draw_pixels(vectors, Color(1, 250, 3))) == render(
        target, lambda: [d.draw_pixel_v(v, (1, 250, 3)) for v in vectors])


def test_draw_circles_equals_draw_circle_v_one_by_one(target):
    rng = random.Random(5)
    centers = [Vector2(rng.uniform(0, SIZE), rng.uniform(0, SIZE)) for _ in range(60)]
    colors = translucent_colors(rng, 60)
    one = render(target, lambda: [d.draw_circle_v(c, 3.5, k) for c, k in zip(centers, colors)])
    assert render(target, lambda: d.draw_circles(centers, 3.5, colors)) == one


def test_batches_take_any_sequence(target):
    rects = [(1, 1, 2, 2), (5, 5, 2, 2)]
    expected = render(target, lambda: d.draw_rectangles(rects, [RED, GREEN]))
    assert render(target, lambda: d.draw_rectangles(UserList(rects), UserList([RED, GREEN]))) == expected
    raises_exactly(TypeError, "draw_rectangles() argument 'rects' must be a sequence, got list_iterator",
                   d.draw_rectangles, iter(rects), RED)
    assert render(target, lambda: d.draw_rectangles(range(0), RED)) == render(target, lambda: None)


# --- errors, raised before anything is drawn -----------------------------------------------------------

BAD_BATCHES = [
    ("draw_rectangles", ([(1, 1, 2, 2), (1, 2, 3)], RED), ValueError,
     "tuple for rect-like argument must have only 4 elements."),
    ("draw_rectangles", ([(1, 1, 2, 2), (1, 2, NAN, 4)], RED), ValueError, "rects[1] must be finite"),
    ("draw_rectangles", ([(1, 1, 2, 2), "abcd"], RED), TypeError, "must be real number, not str"),
    ("draw_rectangles", ([(1, 1, 2, 2), (1, 1, 1, RaisingNumber())], RED), HostileError, "__float__"),
    ("draw_rectangles", ([(1, 1, 2, 2), (3, 3, 2, 2)], [RED]), ValueError,
     "draw_rectangles() needs one color, or one per item (2), got 1 colors"),
    ("draw_rectangles", ([(1, 1, 2, 2), (3, 3, 2, 2)], [RED, (1, 2)]), ValueError,
     "tuple for color-like argument must have only 3-4 elements."),
    ("draw_rectangles", ([(1, 1, 2, 2)], (1, 2)), ValueError,
     "tuple for color-like argument must have only 3-4 elements."),
    ("draw_rectangles", (5, RED), TypeError, "draw_rectangles() argument 'rects' must be a sequence, got int"),
    ("draw_rectangles", ("abcd", RED), TypeError, "draw_rectangles() argument 'rects' must be a sequence, got str"),
    ("draw_pixels", ([(1, 1), (INF, 2)], RED), ValueError, "points[1] must be finite"),
    ("draw_pixels", ([(1, 1), None], RED), TypeError,
     "vector2-like argument must be Vector2, or any sequence, got NoneType."),
    ("draw_circles", ([(1, 1)], NAN, RED), ValueError, "radius must be finite"),
    ("draw_circles", ([(1, 1), (2, NAN)], 2, RED), ValueError, "centers[1] must be finite"),
    ("draw_circles", ([(1, 1), (2, 2)], 2, (RED, RED, RED)), ValueError,
     "draw_circles() needs one color, or one per item (2), got 3 colors"),
]


BAD_CALLS = [
    ("draw_rectangle_rec", ((0, 0, NAN, 1), RED), ValueError, "rect must be finite"),
    ("draw_rectangle_rec", ((0, 0, 1), RED), ValueError, "tuple for rect-like argument must have only 4 elements."),
    ("draw_rectangle_rec", ((0, 0, 1, 1), None), TypeError,
     "color-like argument must be Color, or any sequence, got NoneType."),
    ("draw_pixel_v", ((INF, 0), RED), ValueError, "position must be finite"),
    ("draw_circle_v", ((0, 0), INF, RED), ValueError, "radius must be finite"),
    ("draw_circle_v", ((0, 0), "1", RED), TypeError, "must be real number, not str"),
    ("draw_line_ex", ((0, 0), (1, 1), NAN, RED), ValueError, "thick must be finite"),
    ("draw_rectangle_pro", ((0, 0, 1, 1), (0, 0), -INF, RED), ValueError, "rotation must be finite"),
    ("draw_poly", ((0, 0), 65537, 3, 0, RED), ValueError, "sides must be at most 65536 (got 65537)"),
    ("draw_poly", ((0, 0), 2**40, 3, 0, RED), OverflowError, "value too large to convert to int"),
    ("draw_text", (b"hi", 0, 0, 10, RED), TypeError, "Argument 'text' has incorrect type (expected str, got bytes)"),
    ("draw_text", ("h\0i", 0, 0, 10, RED), ValueError, "embedded null character"),
    ("draw_text", ("hi", 0.5j, 0, 10, RED), TypeError, "an integer is required"),
    ("measure_text", (None, 10), TypeError, "Argument 'text' has incorrect type (expected str, got NoneType)"),
    ("draw_texture_v", ((0, 0), (0, 0), WHITE), TypeError,
     "Argument 'texture' has incorrect type (expected korvex.texture.texture.Texture, got tuple)"),
    ("draw_texture_pro", (Texture(), (0, 0, 1, 1), (0, 0, 1, 1), (0, 0), NAN, WHITE), ValueError,
     "rotation must be finite"),
    ("draw_rectangle_rec", ((0, 0, 1, 1),), TypeError, "draw_rectangle_rec() takes exactly 2 positional arguments (1 given)"),
]


@pytest.mark.parametrize("name, args, error, message", BAD_BATCHES + BAD_CALLS)
def test_bad_argument_raises_with_nothing_drawn(target, name, args, error, message):
    attempt = render(target, lambda: raises_exactly(error, message, getattr(d, name), *args))
    assert attempt == render(target, lambda: None)


def test_keywords_name_the_parameters(target):
    by_position = render(target, lambda: d.draw_circle_v((5, 5), 3, RED))
    assert render(target, lambda: d.draw_circle_v(color=RED, radius=3, center=(5, 5))) == by_position


def test_arguments_are_not_kept(window, target):
    import sys
    rect, color, rects = (1.5, 2.5, 3.0, 4.0), [1, 2, 3], [(1, 1, 2, 2)] * 5
    before = [sys.getrefcount(x) for x in (rect, color, rects)]
    render(target, lambda: [d.draw_rectangle_rec(rect, color), d.draw_rectangles(rects, color)])
    assert [sys.getrefcount(x) for x in (rect, color, rects)] == before


# --- no window -------------------------------------------------------------------------------------------

NO_WINDOW_CALLS = {
    "draw_pixel_v((0, 0), (1, 2, 3))": "cannot draw",
    "draw_line_v((0, 0), (1, 1), (1, 2, 3))": "cannot draw",
    "draw_line_ex((0, 0), (1, 1), 2, (1, 2, 3))": "cannot draw",
    "draw_circle_v((0, 0), 2, (1, 2, 3))": "cannot draw",
    "draw_circle_lines_v((0, 0), 2, (1, 2, 3))": "cannot draw",
    "draw_rectangle_rec((0, 0, 1, 1), (1, 2, 3))": "cannot draw",
    "draw_rectangle_lines_ex((0, 0, 1, 1), 1, (1, 2, 3))": "cannot draw",
    "draw_rectangle_pro((0, 0, 1, 1), (0, 0), 5, (1, 2, 3))": "cannot draw",
    "draw_triangle((0, 0), (0, 1), (1, 1), (1, 2, 3))": "cannot draw",
    "draw_poly((0, 0), 5, 2, 0, (1, 2, 3))": "cannot draw",
    "draw_text('x', 0, 0, 10, (1, 2, 3))": "cannot draw",
    "draw_fps(0, 0)": "cannot draw",
    "measure_text('x', 10)": "cannot measure text",
    "draw_texture_v(Texture(), (0, 0), (1, 2, 3))": "cannot draw",
    "draw_texture_rec(Texture(), (0, 0, 1, 1), (0, 0), (1, 2, 3))": "cannot draw",
    "draw_texture_pro(Texture(), (0, 0, 1, 1), (0, 0, 1, 1), (0, 0), 0, (1, 2, 3))": "cannot draw",
    "draw_rectangles([(0, 0, 1, 1)], (1, 2, 3))": "cannot draw",
    "draw_rectangles([], (1, 2, 3))": "cannot draw",
    "draw_pixels([(0, 0)], [(1, 2, 3)])": "cannot draw",
    "draw_circles([(0, 0)], 1, (1, 2, 3))": "cannot draw",
}


@pytest.mark.parametrize("window_state", ["never opened", "closed"])
def test_every_function_raises_without_a_window(run_python, window_state):
    run = run_python(f"""
        from korvex.draw.draw import *
        from korvex.texture.texture import Texture
        if {window_state == "closed"}:
            open_window()
            close_window()
        for call in {list(NO_WINDOW_CALLS)!r}:
            try:
                eval(call)
            except RuntimeError as exc:
                result(str(exc))
            else:
                result("no error: " + call)
    """)
    assert run.results == [f"{action}: no raylib window is ready" for action in NO_WINDOW_CALLS.values()]


def test_bad_arguments_are_reported_before_the_missing_window(run_python):
    run = run_python("""
        from korvex.draw.draw import draw_rectangle_rec
        try:
            draw_rectangle_rec((0, 0, float("nan"), 1), (1, 2, 3))
        except ValueError as exc:
            result(str(exc))
    """)
    assert run.results == ["rect must be finite"]


def test_finite_but_huge_values_draw(target):
    assert render(target, lambda: d.draw_rectangle_rec((0, 0, 3e38, 3e38), RED))[5][5] == RED
    assert math.isfinite(3e38)
