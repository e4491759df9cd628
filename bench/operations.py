"""The hot public operations, each written for every library that has it.

op(group, label, statement, libraries, **per_library) declares one row: the
statement runs for each library letter listed (k korvex, p pygame, g PyGLM,
c complex, y plain Python), and a keyword argument with a library's letter
replaces the statement for that library, where its idiom differs.  The
operands (a, b, r, c, ...) come from bench/libraries.py.
"""

from __future__ import annotations

from dataclasses import dataclass, field


@dataclass(frozen=True)
class Operation:
    group: str
    label: str
    statements: dict[str, str]
    note: str = ""  # why a peer's figure is a floor the row cannot reach


OPERATIONS: list[Operation] = []


def op(group: str, label: str, stmt: str, libs: str, note: str = "", **override: str) -> None:
    unknown = set(override) - set(libs)
    if unknown:
        raise ValueError(f"{label}: statements for libraries not listed: {unknown}")
    OPERATIONS.append(Operation(group, label, {k: override.get(k, stmt) for k in libs}, note))


# Notes on rows where the peer does less work than korvex's contract asks.
VECTOR_ITER = "iteration reads items by index until the IndexError that ends it, as the contract says"
COLOR_ITER = "iteration is a generator that reads each channel as it yields it, as the contract says"

V2 = "Vector2"
op(V2, "Vector2()", "V2()", "kpgc")
op(V2, "Vector2(x, y)", "V2(1.5, 2.5)", "kpgc")
op(V2, "Vector2((x, y))", "V2((1.5, 2.5))", "kpg")
op(V2, "Vector2([x, y])", "V2([1.5, 2.5])", "kpg")
op(V2, "Vector2(v)", "V2(a)", "kpgc")
op(V2, "Vector2.from_xy(x, y)", "V2.from_xy(1.5, 2.5)", "kpgc", p="V2(1.5, 2.5)", g="V2(1.5, 2.5)", c="V2(1.5, 2.5)")
op(V2, "a + b", "a + b", "kpgc")
op(V2, "a - b", "a - b", "kpgc")
op(V2, "a * s", "a * 1.5", "kpgc")
op(V2, "a * b (by component)", "a * b", "kpg", p="a.elementwise() * b")
op(V2, "a / s", "a / 1.5", "kpgc")
op(V2, "a / b (by component)", "a / b", "kpg", p="a.elementwise() / b")
op(V2, "a // s", "a // 1.5", "kpg")
op(V2, "-a", "-a", "kpgc")
op(V2, "a += b", "a += b", "kpgc")
op(V2, "a -= b", "a -= b", "kpgc")
op(V2, "a *= b (by component)", "a *= m", "kg")
op(V2, "a == b", "a == b", "kpgc")
op(V2, "a != b", "a != b", "kpgc")
op(V2, "hash(a)", "hash(a)", "kgc")
op(V2, "a[0]", "a[0]", "kpg")
op(V2, "a[1] = s", "a[1] = 2.5", "kpg")
op(V2, "a.x", "a.x", "kpgc", c="a.real")
op(V2, "a.x = s", "a.x = 2.5", "kpg")
op(V2, "x, y = a", "x, y = a", "kpg", note=VECTOR_ITER)
op(V2, "tuple(a)", "tuple(a)", "kpg", note=VECTOR_ITER)
op(V2, "a.get_tuple()", "a.get_tuple()", "kpgc", p="tuple(a)", g="a.to_tuple()", c="(a.real, a.imag)")
op(V2, "a.get_int_tuple()", "a.get_int_tuple()", "kpg", p="(int(a.x), int(a.y))", g="(int(a.x), int(a.y))")
op(V2, "a.length", "a.length", "kpgc", p="a.length()", g="glm.length(a)", c="abs(a)")
op(V2, "a.get_normalized()", "a.get_normalized()", "kpgc", p="a.normalize()", g="glm.normalize(a)", c="a / abs(a)")
op(V2, "a.to_normalized()", "a.to_normalized()", "kp", p="a.normalize_ip()")
op(V2, "a.distance_to(b)", "a.distance_to(b)", "kpgc", g="glm.distance(a, b)", c="abs(a - b)")
op(V2, "a.distance_squared_to(b)", "a.distance_squared_to(b)", "kpg", g="glm.distance2(a, b)")
op(V2, "a.dot(b)", "a.dot(b)", "kpg", g="glm.dot(a, b)")
op(V2, "a.get_round()", "a.get_round()", "kpg", p="round(a)", g="glm.round(a)")
op(V2, "a.get_abs()", "a.get_abs()", "kg", g="abs(a)")
op(V2, "a.copy()", "a.copy()", "kpg", g="V2(a)")
op(V2, "a.yx", "a.yx", "kpg")

V3 = "Vector3"
op(V3, "Vector3(x, y, z)", "V3(1.5, 2.5, 3.5)", "kpg")
op(V3, "a3 + b3", "a3 + b3", "kpg")
op(V3, "a3 * s", "a3 * 1.5", "kpg")
op(V3, "a3 += b3", "a3 += b3", "kpg")
op(V3, "a3 == b3", "a3 == b3", "kpg")
op(V3, "a3.cross(b3)", "a3.cross(b3)", "kpg", g="glm.cross(a3, b3)")
op(V3, "a3.dot(b3)", "a3.dot(b3)", "kpg", g="glm.dot(a3, b3)")
op(V3, "a3.length", "a3.length", "kpg", p="a3.length()", g="glm.length(a3)")
op(V3, "a3.get_normalized()", "a3.get_normalized()", "kpg", p="a3.normalize()", g="glm.normalize(a3)")
op(V3, "a3.zyx", "a3.zyx", "kpg")
op(V3, "hash(a3)", "hash(a3)", "kg")

V4 = "Vector4"
op(V4, "Vector4(x, y, z, w)", "V4(1.5, 2.5, 3.5, 4.5)", "kg")
op(V4, "a4 + b4", "a4 + b4", "kg")
op(V4, "a4 * s", "a4 * 1.5", "kg")
op(V4, "a4.dot(b4)", "a4.dot(b4)", "kg", g="glm.dot(a4, b4)")
op(V4, "a4.wzyx", "a4.wzyx", "kg")
op(V4, "a4[2]", "a4[2]", "kg")

INT_RECT = "pygame's Rect holds ints: cached small ints, no new objects"
OBJECT_RULE = "the typed entries compare and add the items as Python objects, as their contract says"
RT = "Rect"
op(RT, "Rect(x, y, w, h)", "R(10.0, 20.0, 30.0, 40.0)", "kp")
op(RT, "Rect((x, y, w, h))", "R((10.0, 20.0, 30.0, 40.0))", "kp")
op(RT, "Rect((x, y), (w, h))", "R((10.0, 20.0), (30.0, 40.0))", "kp")
op(RT, "Rect(pos, size) of Vector2", "R(p, a)", "kp")
op(RT, "Rect(r)", "R(r)", "kp")
for prop in ("x", "left", "top", "w", "width", "right", "bottom", "centerx", "centery"):
    op(RT, f"r.{prop}", f"r.{prop}", "kp", note=INT_RECT)
op(RT, "r.center", "r.center", "kp")
for prop in ("x", "right", "bottom", "centerx", "centery", "width"):
    op(RT, f"r.{prop} = s", f"r.{prop} = 50.0", "kp")
op(RT, "r.center = (x, y)", "r.center = (50.0, 60.0)", "kp")
op(RT, "r[2]", "r[2]", "kp", note=INT_RECT)
op(RT, "r == r2", "r == r2", "kp")
op(RT, "r.get_tuple()", "r.get_tuple()", "kp", note=INT_RECT, p="tuple(r)")
op(RT, "r.collide_point(Vector2)", "r.collide_point(p)", "kp", p="r.collidepoint(p)")
op(RT, "r.collide_point(tuple)", "r.collide_point((15.5, 25.5))", "kp", p="r.collidepoint((15.5, 25.5))")
op(RT, "r.collide_point(list)", "r.collide_point([15.5, 25.5])", "kp", p="r.collidepoint([15.5, 25.5])")
op(RT, "r.collide_point_vector2(Vector2)", "r.collide_point_vector2(p)", "kp", note=OBJECT_RULE, p="r.collidepoint(p)")
op(RT, "r.collide_point_tuple(tuple)", "r.collide_point_tuple((15.5, 25.5))", "kp", note=OBJECT_RULE,
   p="r.collidepoint((15.5, 25.5))")
op(RT, "r.collide_rect(Rect)", "r.collide_rect(r2)", "kp", p="r.colliderect(r2)")
op(RT, "r.collide_rect(tuple)", "r.collide_rect((25.0, 35.0, 30.0, 40.0))", "kp",
   p="r.colliderect((25.0, 35.0, 30.0, 40.0))")
op(RT, "r.collide_rect(list)", "r.collide_rect([25.0, 35.0, 30.0, 40.0])", "kp",
   p="r.colliderect([25.0, 35.0, 30.0, 40.0])")
op(RT, "r.collide_rect(Vector4)", "r.collide_rect(q4)", "k")
op(RT, "r.collide_rect_rect(Rect)", "r.collide_rect_rect(r2)", "kp", p="r.colliderect(r2)")
op(RT, "r.collide_rect_tuple(tuple)", "r.collide_rect_tuple((25.0, 35.0, 30.0, 40.0))", "kp", note=OBJECT_RULE,
   p="r.colliderect((25.0, 35.0, 30.0, 40.0))")

CL = "Color"
op(CL, "Color(r, g, b)", "C(10, 20, 30)", "kp")
op(CL, "Color(r, g, b, a)", "C(10, 20, 30, 40)", "kp")
op(CL, "c.r", "c.r", "kp")
op(CL, "c.r = n", "c.r = 99", "kp")
op(CL, "r_, g_, b_, a_ = c", "r_, g_, b_, a_ = c", "kp", note=COLOR_ITER)
op(CL, "c == c2", "c == c2", "kp")
op(CL, "c.normalize()", "c.normalize()", "kp")
op(CL, "c.to_int()", "c.to_int()", "kp", p="int(c)")
op(CL, "tuple(c)", "tuple(c)", "kp", note=COLOR_ITER)
op(CL, "c.fade(0.5)", "c.fade(0.5)", "k")
op(CL, "c.tint(c2)", "c.tint(c2)", "k")
op(CL, "colors.Red", "colors.Red", "kp", p='C("red")')

PS = "Parser"
op(PS, "parse vector2-like Vector2", "parse_v2(a)", "ky")
op(PS, "parse vector2-like tuple", "parse_v2((1.5, 2.5))", "ky")
op(PS, "parse rect-like Rect", "parse_rect(r)", "ky")
op(PS, "parse rect-like tuple", "parse_rect((10.0, 20.0, 30.0, 40.0))", "ky")
op(PS, "parse color-like Color", "parse_color(c)", "ky")
op(PS, "parse color-like tuple", "parse_color((10, 20, 30))", "ky")
