"""What type checkers make of korvex through its stubs.  Checked by
`mypy --strict` in `make test-stubs` (never run): every assert_type must hold,
and every `type: ignore` must silence an error that really is reported."""

from typing import assert_type

import korvex
from korvex.audio.audio import Audio
from korvex.canvas.canvas import RenderTexture
from korvex.color.color import Color
from korvex.colors.colors import colors
from korvex.draw.draw import draw_rectangle_rec, draw_rectangles, measure_text
from korvex.image.image import Image, get_image_color
from korvex.rect.rect import Rect
from korvex.texture.texture import Texture
from korvex.vector2.vector2 import Vector2
from korvex.vector3.vector3 import Vector3
from korvex.vector4.vector4 import Vector4
from korvex.window import window

assert_type(korvex.__version__, str)
assert_type(korvex.get_include(), str)

v = Vector2(1, 2)
assert_type(v + Vector2((3, 4)), Vector2)
assert_type(v * 2.5, Vector2)
assert_type(v / v, Vector2)
assert_type(v.to_round(), Vector2)
assert_type(v.yx, Vector2)
assert_type(v.get_int_tuple(), tuple[int, int])
assert_type(v.data, dict[str, float])
assert_type(v[0], float)
assert_type(Vector2.from_xy(1, 2.5).length, float)
v.x = 3
v.data = {"x": 1, "y": 2}
assert_type(Vector3(1, 2, 3).cross(Vector3()), Vector3)
assert_type(v.cross(v), float)  # the plane's cross product is a number
assert_type(v.get_polar(), tuple[float, float])
assert_type(v.get_angle_to(v), float)
assert_type(Vector2.from_polar(2.0, 0.5), Vector2)
assert_type(v.to_clamped_length(2.0), Vector2)
assert_type(v.get_clamped_length(1.0, 2.0).length_squared, float)
assert_type(v.is_close(v, abs_tol=1e-6), bool)
assert_type(Vector3().get_rotated(Vector3(0, 0, 1), 0.5), Vector3)
v.get_lerp(Vector3(), 0.5)  # type: ignore[arg-type]
assert_type(Vector3().zyx, Vector3)
assert_type(Vector4(1, 2, 3, 4).wzyx, Vector4)
assert_type(Vector4().get_tuple(), tuple[float, float, float, float])

r = Rect((0, 0), (10, 4))
assert_type(r.center, Vector2)
assert_type(r.collide_point((5, 4)), bool)
assert_type(r.get_vector4(), Vector4)
r.center = (1, 2)
r.topleft = Vector2(1, 2)
assert_type(r.midbottom, Vector2)
assert_type(r.get_moved(1, 2), Rect)
assert_type(r.to_inflated((1, 2)), Rect)
assert_type(r.collide_list_all([r, (0, 0, 1, 1)]), list[int])
assert_type(r.collide_objects(["a"], key=lambda s: (len(s), 0, 1, 1)), str | None)

c = Color(1, 2, 3)
assert_type(c.normalize(), Vector4)
assert_type(Color.from_hex("#ff8000").get_lerp(c, 0.5), Color)
assert_type(c.get_hsv(), tuple[float, float, float])
assert_type(list(c), list[int])
assert_type(colors.Red, Color)
colors.Red = None

assert_type(Audio().master_volume, float)
with RenderTexture(8, 8) as target:
    assert_type(target.texture, Texture)
assert_type(Image.gen_color(2, 2).width, int)
assert_type(get_image_color(Image.gen_color(2, 2), 0, 0), Color)

assert_type(window.KEY_A, int)
assert_type(window.get_mouse_position(), Vector2)
assert_type(window.is_key_down(window.KEY_SPACE), bool)
with window.drawing():
    window.clear_background(Color(1, 2, 3))
    draw_rectangle_rec(Rect(0, 0, 4, 4), (255, 0, 0))
    draw_rectangles([(0, 0, 1, 1), Rect(1, 1, 2, 2)], [Color(1, 2, 3), Color(4, 5, 6)])
assert_type(measure_text("korvex", 10), int)

# What the modules refuse, type checkers refuse too.
v.sadd(v, Vector3())  # type: ignore[arg-type]
2 * v  # type: ignore[operator]
v + (1, 2)  # type: ignore[operator]
Vector2(1, 2, 3)  # type: ignore[call-overload]
window.init_window(640, 480, b"title")  # type: ignore[arg-type]
v.xyz  # type: ignore[attr-defined]
v.xy = v  # type: ignore[misc]
r.collide_rect_rect((0, 0, 1, 1))  # type: ignore[arg-type]
Color(1, 2)  # type: ignore[call-arg]
r.get_moved(1, (2, 3))  # type: ignore[call-overload]
Color.from_hex(0xFF8000)  # type: ignore[arg-type]
colors.Redd  # type: ignore[attr-defined]
Audio().ready = True  # type: ignore[misc]
