"""The hot public operations, each written for every library that has it.

op(group, label, statement, libraries, **per_library) declares one row: the
statement runs for each library letter listed (k korvex, p pygame, g PyGLM,
c complex, y plain Python, x raylib through ctypes, w the same with its
structures built beforehand), and a keyword argument with a library's letter
replaces the statement for that library, where its idiom differs.  The
operands (a, b, r, c, ...) come from bench/libraries.py and, for the drawing
rows, bench/drawing.py.  A row whose statement handles `items` things (a
batch) is timed per thing.
"""

from __future__ import annotations

from dataclasses import dataclass, field


@dataclass(frozen=True)
class Operation:
    group: str
    label: str
    statements: dict[str, str]
    note: str = ""  # why a peer's figure is a floor the row cannot reach
    items: int = 1  # things one statement handles; the row's time is per thing
    work: int = 0  # how many plain operations one statement weighs (default: items), for the profile's loops

    @property
    def weight(self) -> int:
        return self.work or self.items


OPERATIONS: list[Operation] = []


def op(group: str, label: str, stmt: str, libs: str, note: str = "", items: int = 1, work: int = 0,
       **override: str) -> None:
    unknown = set(override) - set(libs)
    if unknown:
        raise ValueError(f"{label}: statements for libraries not listed: {unknown}")
    OPERATIONS.append(Operation(group, label, {k: override.get(k, stmt) for k in libs}, note, items, work))


# Notes on rows where the peer does less work than korvex's contract asks.
SAME_COMPLEX = "complex(z) of a complex returns z itself: no new object"
OPERATOR_FORM = "the peers have no such method: theirs is the bare operator, which korvex times in its own row"
COLOR_ITER = "iteration is a generator that reads each channel as it yields it, as the contract says"


@dataclass(frozen=True)
class VectorSize:
    """The names one vector size goes by, and the peers that have vectors of that size."""

    size: int
    peers: str  # letters of the peer libraries with this size (complex only for 2)
    cls: str  # the class, in every library's namespace
    a: str  # operands: a, b two vectors; m a vector of ones and minus ones (a *= m stays bounded)
    b: str
    m: str
    component: str  # the component read and written as an attribute
    swizzle: str

    @property
    def group(self) -> str:
        return f"Vector{self.size}"

    @property
    def numbers(self) -> str:
        return ", ".join(("1.5", "2.5", "3.5", "4.5")[: self.size])

    @property
    def ints(self) -> str:
        return ", ".join("1234"[: self.size])

    @property
    def letters(self) -> str:
        return "xyzw"[: self.size]

    def per_component(self, call: str) -> str:
        """A tuple of call(a.x), call(a.y), ...: a peer's spelling of a tuple conversion."""
        return "(" + ", ".join(f"{call}({self.a}.{c})" for c in self.letters) + ")"


def vector_operations(v: VectorSize, declare=op) -> None:
    """Every operation the three vector types share, for one size."""
    group, a, b, m, cls = v.group, v.a, v.b, v.m, v.cls
    peers = v.peers

    def op(row_group: str, label: str, stmt: str, libs: str, note: str = "", **override: str) -> None:
        """A row for the libraries of this size: idioms of libraries without it are dropped."""
        declare(row_group, label, stmt, libs, note, **{key: text for key, text in override.items() if key in libs})

    no_complex = peers.replace("c", "")
    factory = {2: "from_xy", 3: "from_xyz", 4: "from_xyzw"}[v.size]
    glm_only = "g" if "g" in peers else ""

    op(group, f"{group}()", f"{cls}()", "k" + peers)
    op(group, f"{group}({v.numbers})", f"{cls}({v.numbers})", "k" + peers)
    op(group, f"{group}(tuple)", f"{cls}(({v.numbers}))", "k" + no_complex)
    op(group, f"{group}(list)", f"{cls}([{v.numbers}])", "k" + no_complex)
    op(group, f"{group}(v)", f"{cls}({a})", "k" + peers, note=SAME_COMPLEX if "c" in peers else "")
    op(group, f"{group}.{factory}({v.numbers})", f"{cls}.{factory}({v.numbers})", "k" + peers,
       **{p: f"{cls}({v.numbers})" for p in peers})
    op(group, f"{group}.from_floats({v.numbers})", f"{cls}.from_floats({v.numbers})", "k" + peers,
       **{p: f"{cls}({v.numbers})" for p in peers})
    op(group, f"{group}.from_ints({v.ints})", f"{cls}.from_ints({v.ints})", "k" + peers,
       **{p: f"{cls}({v.ints})" for p in peers})
    op(group, f"{group}.from_tuple(tuple)", f"{cls}.from_tuple(({v.numbers}))", "k" + no_complex,
       **{p: f"{cls}(({v.numbers}))" for p in no_complex})
    op(group, f"{group}.from_list(list)", f"{cls}.from_list([{v.numbers}])", "k" + no_complex,
       **{p: f"{cls}([{v.numbers}])" for p in no_complex})
    op(group, f"{group}.from_vector{v.size}(v)", f"{cls}.from_vector{v.size}({a})", "k" + peers,
       note=SAME_COMPLEX if "c" in peers else "", **{p: f"{cls}({a})" for p in peers})

    op(group, f"{a} + {b}", f"{a} + {b}", "k" + peers)
    op(group, f"{a} - {b}", f"{a} - {b}", "k" + peers)
    op(group, f"{a} * s", f"{a} * 1.5", "k" + peers)
    op(group, f"{a} / s", f"{a} / 1.5", "k" + peers)
    op(group, f"{a} // s", f"{a} // 1.5", "k" + no_complex)
    # pygame's vector * vector is the dot product: by component it goes through elementwise().
    for symbol in ("*", "/", "//"):
        op(group, f"{a} {symbol} {b} (by component)", f"{a} {symbol} {b}", "k" + no_complex,
           **({"p": f"{a}.elementwise() {symbol} {b}"} if "p" in peers else {}))
    op(group, f"-{a}", f"-{a}", "k" + peers)
    op(group, f"{a} += {b}", f"{a} += {b}", "k" + peers)
    op(group, f"{a} -= {b}", f"{a} -= {b}", "k" + peers)
    op(group, f"{a} *= {m} (by component)", f"{a} *= {m}", "k" + glm_only)
    op(group, f"{a} == {b}", f"{a} == {b}", "k" + peers)
    op(group, f"{a} != {b}", f"{a} != {b}", "k" + peers)
    op(group, f"hash({a})", f"hash({a})", "k" + peers.replace("p", ""))  # pygame's vectors are unhashable

    op(group, f"{a}[0]", f"{a}[0]", "k" + no_complex)
    op(group, f"{a}[1] = s", f"{a}[1] = 2.5", "k" + no_complex)
    op(group, f"{a}.{v.component}", f"{a}.{v.component}", "k" + peers, c=f"{a}.real")
    op(group, f"{a}.{v.component} = s", f"{a}.{v.component} = 2.5", "k" + no_complex)
    unpack = ", ".join(f"{c}_" for c in v.letters)
    op(group, f"{unpack} = {a}", f"{unpack} = {a}", "k" + no_complex)
    op(group, f"tuple({a})", f"tuple({a})", "k" + no_complex)
    op(group, f"{a}.{v.swizzle}", f"{a}.{v.swizzle}", "k" + no_complex)
    op(group, f"{a}.get_tuple()", f"{a}.get_tuple()", "k" + peers, p=f"tuple({a})", g=f"{a}.to_tuple()",
       c=f"({a}.real, {a}.imag)")
    op(group, f"{a}.get_int_tuple()", f"{a}.get_int_tuple()", "k" + no_complex,
       **{p: v.per_component("int") for p in no_complex})
    op(group, f"{a}.get_rounded_tuple()", f"{a}.get_rounded_tuple()", "k" + no_complex,
       **{p: v.per_component("round") for p in no_complex})
    op(group, f"{a}.copy()", f"{a}.copy()", "k" + no_complex, g=f"{cls}({a})")

    op(group, f"{a}.length", f"{a}.length", "k" + peers, p=f"{a}.length()", g=f"glm.length({a})", c=f"abs({a})")
    op(group, f"{a}.get_normalized()", f"{a}.get_normalized()", "k" + peers, p=f"{a}.normalize()",
       g=f"glm.normalize({a})", c=f"{a} / abs({a})")
    op(group, f"{a}.to_normalized()", f"{a}.to_normalized()", "k" + peers.replace("g", "").replace("c", ""),
       p=f"{a}.normalize_ip()")
    op(group, f"{a}.distance_to({b})", f"{a}.distance_to({b})", "k" + peers, g=f"glm.distance({a}, {b})",
       c=f"abs({a} - {b})")
    op(group, f"{a}.distance_squared_to({b})", f"{a}.distance_squared_to({b})", "k" + no_complex,
       g=f"glm.distance2({a}, {b})")
    op(group, f"{a}.dot({b})", f"{a}.dot({b})", "k" + no_complex, g=f"glm.dot({a}, {b})")
    op(group, f"{a}.get_round()", f"{a}.get_round()", "k" + no_complex, p=f"round({a})", g=f"glm.round({a})")
    op(group, f"{a}.to_round()", f"{a}.to_round()", "k")
    op(group, f"{a}.get_abs()", f"{a}.get_abs()", "k" + glm_only, g=f"abs({a})")
    op(group, f"{a}.to_abs()", f"{a}.to_abs()", "k")
    op(group, f"{a}.get_neg()", f"{a}.get_neg()", "k" + peers, note=OPERATOR_FORM,
       p=f"-{a}", g=f"-{a}", c=f"-{a}")
    # In place: pygame and PyGLM scale in place; complex has no in-place form.
    op(group, f"{a}.to_neg()", f"{a}.to_neg()", "k" + no_complex, p=f"{a} *= -1.0", g=f"{a} *= -1.0")


# Notes on geometry rows where the peer does less than korvex's contract.
UNIT_NORMAL = "glm.reflect takes a normal of length 1 as given: no normalisation, no zero-normal rule"
DEGREES = "pygame's angle_to subtracts two atan2 angles, unwrapped, in degrees"


def geometry_operations(v: VectorSize, declare=op) -> None:
    """The geometry methods every vector type has, for one size."""
    group, a, b, m, cls = v.group, v.a, v.b, v.m, v.cls
    peers = v.peers.replace("c", "")

    def op(label: str, stmt: str, libs: str, note: str = "", **override: str) -> None:
        libs = "k" + "".join(key for key in libs if key in peers)
        declare(group, label, stmt, libs, note, **{key: text for key, text in override.items() if key in libs})

    op(f"{a}.length_squared", f"{a}.length_squared", "pg", p=f"{a}.length_squared()", g=f"glm.length2({a})")
    op(f"{a}.get_lerp({b}, t)", f"{a}.get_lerp({b}, 0.25)", "pg", p=f"{a}.lerp({b}, 0.25)",
       g=f"glm.mix({a}, {b}, 0.25)")
    op(f"{a}.to_lerp({b}, t)", f"{a}.to_lerp({b}, 0.25)", "")
    op(f"{a}.get_moved_towards({b}, d)", f"{a}.get_moved_towards({b}, 0.5)", "p", p=f"{a}.move_towards({b}, 0.5)")
    op(f"{a}.to_moved_towards({b}, d)", f"{a}.to_moved_towards({b}, 0.5)", "p", p=f"{a}.move_towards_ip({b}, 0.5)")
    op(f"{a}.get_clamped_length(max)", f"{a}.get_clamped_length(1.0)", "p", p=f"{a}.clamp_magnitude(1.0)")
    op(f"{a}.get_clamped_length(min, max)", f"{a}.get_clamped_length(1.0, 2.0)", "p",
       p=f"{a}.clamp_magnitude(1.0, 2.0)")
    op(f"{a}.to_clamped_length(min, max)", f"{a}.to_clamped_length(1.0, 2.0)", "p",
       p=f"{a}.clamp_magnitude_ip(1.0, 2.0)")
    op(f"{a}.get_scaled_to_length(s)", f"{a}.get_scaled_to_length(2.0)", "")
    op(f"{a}.to_scaled_to_length(s)", f"{a}.to_scaled_to_length(2.0)", "p", p=f"{a}.scale_to_length(2.0)")
    op(f"{a}.get_reflected({b})", f"{a}.get_reflected({b})", "pg", note=UNIT_NORMAL, p=f"{a}.reflect({b})",
       g=f"glm.reflect({a}, {b})")
    op(f"{a}.to_reflected({b})", f"{a}.to_reflected({b})", "p", p=f"{a}.reflect_ip({b})")
    op(f"{a}.get_projected({b})", f"{a}.get_projected({b})", "p", p=f"{a}.project({b})")
    op(f"{a}.get_min({b})", f"{a}.get_min({b})", "g", g=f"glm.min({a}, {b})")
    op(f"{a}.get_max({b})", f"{a}.get_max({b})", "g", g=f"glm.max({a}, {b})")
    op(f"{a}.get_clamped({m}, {b})", f"{a}.get_clamped({m}, {b})", "g", g=f"glm.clamp({a}, {m}, {b})")
    op(f"{a}.is_close({b})", f"{a}.is_close({b})", "")


vector_operations(VectorSize(2, "pgc", "V2", "a", "b", "m", "x", "yx"))
vector_operations(VectorSize(3, "pg", "V3", "a3", "b3", "m3", "z", "zyx"))
vector_operations(VectorSize(4, "g", "V4", "a4", "b4", "m4", "w", "wzyx"))
op("Vector3", "a3.cross(b3)", "a3.cross(b3)", "kpg", g="glm.cross(a3, b3)")

geometry_operations(VectorSize(2, "pgc", "V2", "a", "b", "m", "x", "yx"))
op("Vector2", "a.get_rotated(angle)", "a.get_rotated(0.5)", "kpg", p="a.rotate_rad(0.5)", g="glm.rotate(a, 0.5)")
op("Vector2", "a.to_rotated(angle)", "a.to_rotated(0.5)", "kp", p="a.rotate_rad_ip(0.5)")
op("Vector2", "a.get_angle()", "a.get_angle()", "k")
op("Vector2", "a.get_angle_to(b)", "a.get_angle_to(b)", "kp", note=DEGREES, p="a.angle_to(b)")
op("Vector2", "a.get_polar()", "a.get_polar()", "kp", p="a.as_polar()")
op("Vector2", "Vector2.from_polar(length, angle)", "V2.from_polar(2.0, 0.5)", "kp", p="V2.from_polar((2.0, 30.0))")
op("Vector2", "a.cross(b)", "a.cross(b)", "kp")
geometry_operations(VectorSize(3, "pg", "V3", "a3", "b3", "m3", "z", "zyx"))
op("Vector3", "a3.get_rotated(axis, angle)", "a3.get_rotated(b3, 0.5)", "kpg", p="a3.rotate_rad(0.5, b3)",
   g="glm.rotate(a3, 0.5, b3)")
op("Vector3", "a3.to_rotated(axis, angle)", "a3.to_rotated(b3, 0.5)", "kp", p="a3.rotate_rad_ip(0.5, b3)")
op("Vector3", "a3.get_angle_to(b3)", "a3.get_angle_to(b3)", "kp", p="a3.angle_to(b3)")
geometry_operations(VectorSize(4, "g", "V4", "a4", "b4", "m4", "w", "wzyx"))


NO_ARGUMENTS = ("pygame's normalize takes no arguments at all, a call the interpreter makes in fewer instructions "
                "than korvex's methods, which take keywords for their argument messages")
INT_RECT = "pygame's Rect holds ints: cached small ints, no new objects"
OBJECT_RULE = "the typed entries compare and add the items as Python objects, as their contract says"
RT = "Rect"
RECT_NUMBERS = "10.0, 20.0, 30.0, 40.0"
op(RT, "Rect()", "R()", "k")
op(RT, "Rect(x, y, w, h)", f"R({RECT_NUMBERS})", "kp")
op(RT, "Rect((x, y, w, h))", f"R(({RECT_NUMBERS}))", "kp")
op(RT, "Rect([x, y, w, h])", f"R([{RECT_NUMBERS}])", "kp")
op(RT, "Rect((x, y), (w, h))", "R((10.0, 20.0), (30.0, 40.0))", "kp")
op(RT, "Rect(pos, size) of Vector2", "R(p, a)", "kp")
op(RT, "Rect(r)", "R(r)", "kp")
op(RT, "Rect(Vector4)", "R(q4)", "k")
EDGES = ("x", "y", "w", "h", "width", "height", "left", "top", "right", "bottom", "centerx", "centery")
for prop in EDGES:
    op(RT, f"r.{prop}", f"r.{prop}", "kp", note=INT_RECT)
op(RT, "r.center", "r.center", "kp")
for prop in EDGES:
    op(RT, f"r.{prop} = s", f"r.{prop} = 50.0", "kp")
op(RT, "r.center = (x, y)", "r.center = (50.0, 60.0)", "kp")
op(RT, "r.center = Vector2", "r.center = p", "kp")
op(RT, "r[2]", "r[2]", "kp", note=INT_RECT)
op(RT, "r[2] = s", "r[2] = 50.0", "kp")
op(RT, "r == r2", "r == r2", "kp")
op(RT, "r != r2", "r != r2", "kp")
op(RT, "x_, y_, w_, h_ = r", "x_, y_, w_, h_ = r", "kp", note=INT_RECT)
op(RT, "r.get_tuple()", "r.get_tuple()", "kp", note=INT_RECT, p="tuple(r)")
op(RT, "r.get_width()", "r.get_width()", "kp", note=INT_RECT, p="r.width")
op(RT, "r.get_height()", "r.get_height()", "kp", note=INT_RECT, p="r.height")
op(RT, "r.get_vector4()", "r.get_vector4()", "k")

# Each collision entry with each kind of argument it takes.
POINT = {"Vector2": "p", "tuple": "(15.5, 25.5)", "list": "[15.5, 25.5]"}
OTHER = {"Rect": "r2", "tuple": "(25.0, 35.0, 30.0, 40.0)", "list": "[25.0, 35.0, 30.0, 40.0]", "Vector4": "q4"}
for kind, arg in POINT.items():
    op(RT, f"r.collide_point({kind})", f"r.collide_point({arg})", "kp", p=f"r.collidepoint({arg})")
for kind, arg in POINT.items():
    entry = f"collide_point_{kind.lower()}"
    op(RT, f"r.{entry}({kind})", f"r.{entry}({arg})", "kp", note=OBJECT_RULE, p=f"r.collidepoint({arg})")
for kind, arg in OTHER.items():
    peer = {} if kind == "Vector4" else {"p": f"r.colliderect({arg})"}
    op(RT, f"r.collide_rect({kind})", f"r.collide_rect({arg})", "k" + "".join(peer), **peer)
for kind, arg in OTHER.items():
    entry = f"collide_rect_{kind.lower()}"
    peer = {} if kind == "Vector4" else {"p": f"r.colliderect({arg})"}
    note = OBJECT_RULE if kind in ("tuple", "list") else ""
    op(RT, f"r.{entry}({kind})", f"r.{entry}({arg})", "k" + "".join(peer), note=note, **peer)

# Anchors, the rectangles made from one, and the tests against many.
ANCHORS = ("topleft", "topright", "bottomleft", "bottomright", "midtop", "midbottom", "midleft", "midright", "size")
for prop in ANCHORS:
    op(RT, f"r.{prop}", f"r.{prop}", "kp", note=INT_RECT)
for prop in ANCHORS:
    op(RT, f"r.{prop} = (x, y)", f"r.{prop} = (50.0, 60.0)", "kp")
op(RT, "r.topleft = Vector2", "r.topleft = p", "kp")
op(RT, "move", "r.get_moved(5, 5)", "kp", p="r.move(5, 5)")
op(RT, "move_ip", "r.to_moved(5, 5)", "kp", p="r.move_ip(5, 5)")
op(RT, "move (offset)", "r.get_moved((5, 5))", "kp", p="r.move((5, 5))")
op(RT, "inflate", "r.get_inflated(4, 4)", "kp", p="r.inflate(4, 4)")
op(RT, "inflate_ip", "r.to_inflated(4, 4)", "kp", p="r.inflate_ip(4, 4)")
op(RT, "scale_by", "r.get_scaled(2)", "kp", p="r.scale_by(2)")
op(RT, "scale_by_ip", "r.to_scaled(1)", "kp", p="r.scale_by_ip(1)")
op(RT, "clamp", "r.get_clamped(r2)", "kp", p="r.clamp(r2)")
op(RT, "clamp_ip", "r.to_clamped(r2)", "kp", p="r.clamp_ip(r2)")
op(RT, "clip", "r.get_clipped(r2)", "kp", p="r.clip(r2)")
op(RT, "union", "r.get_union(r2)", "kp", p="r.union(r2)")
op(RT, "unionall (10)", "r.get_union_all(rects10)", "kp", p="r.unionall(rects10)")
op(RT, "fit", "r.get_fitted(r2)", "kp", p="r.fit(r2)")
op(RT, "normalize", "r.to_normalized()", "kp", p="r.normalize()", note=NO_ARGUMENTS)
op(RT, "contains", "r.contains(r2)", "kp")
op(RT, "contains (tuple)", "r.contains((25, 35, 3, 4))", "kp")
for count in (10, 100, 1000):
    op(RT, f"collidelist ({count})", f"r.collide_list(rects{count})", "kp", p=f"r.collidelist(rects{count})")
    op(RT, f"collidelistall ({count})", f"r.collide_list_all(rects{count})", "kp",
       p=f"r.collidelistall(rects{count})")
op(RT, "collideobjectsall (100)", "r.collide_objects_all(rects100)", "kp", p="r.collideobjectsall(rects100)")

CL = "Color"
op(CL, "Color(r, g, b)", "C(10, 20, 30)", "kp")
op(CL, "Color(r, g, b, a)", "C(10, 20, 30, 40)", "kp")
op(CL, "Color.from_normalized(Vector4)", "C.from_normalized(n4)", "k")
for channel in ("r", "g", "b", "a"):
    op(CL, f"c.{channel}", f"c.{channel}", "kp")
for channel in ("r", "g", "b", "a"):
    op(CL, f"c.{channel} = n", f"c.{channel} = 99", "kp")
op(CL, "r_, g_, b_, a_ = c", "r_, g_, b_, a_ = c", "kp", note=COLOR_ITER)
op(CL, "tuple(c)", "tuple(c)", "kp", note=COLOR_ITER)
op(CL, "c == c2", "c == c2", "kp")
op(CL, "c != c2", "c != c2", "kp")
op(CL, "c.equal(c2)", "c.equal(c2)", "kp", note=OPERATOR_FORM, p="c == c2")
op(CL, "c.normalize()", "c.normalize()", "kp")
op(CL, "c.to_int()", "c.to_int()", "kp", p="int(c)")
op(CL, "c.fade(0.5)", "c.fade(0.5)", "k")
op(CL, "c.tint(c2)", "c.tint(c2)", "k")
op(CL, "colors.Red", "colors.Red", "kp", p='C("red")')
op(CL, "Color from hex", 'C.from_hex("#ff8000")', "kp", p='C("#ff8000")')
op(CL, "Color from int", "C.from_int(0xFF8000FF)", "kp", p="C(0xFF8000FF)")
op(CL, "c.hsva (read)", "c.get_hsv()", "kp", p="c.hsva")
op(CL, "Color from hsva", "C.from_hsv(30.0, 0.5, 0.5)", "kp", p="C(0, 0, 0).hsva = (30.0, 50.0, 50.0, 100.0)")
op(CL, "c.lerp(c2, t)", "c.get_lerp(c2, 0.5)", "kp", p="c.lerp(c2, 0.5)")
op(CL, "c.grayscale()", "c.get_grayscale()", "kp", p="c.grayscale()")

PS = "Parser"
op(PS, "parse vector2-like Vector2", "parse_v2(a)", "ky")
op(PS, "parse vector2-like tuple", "parse_v2((1.5, 2.5))", "ky")
op(PS, "parse rect-like Rect", "parse_rect(r)", "ky")
op(PS, "parse rect-like tuple", "parse_rect((10.0, 20.0, 30.0, 40.0))", "ky")
op(PS, "parse color-like Color", "parse_color(c)", "ky")
op(PS, "parse color-like tuple", "parse_color((10, 20, 30))", "ky")

DRAWING = "Drawing"
FLOOR = "raylib's own cost: the ctypes call with its structures built beforehand, which no caller of it can pass"
TESSELLATED = ("pygame sets the few pixels of a circle of radius 3; raylib cuts every circle into 36 segments, with "
               "sines and cosines, whoever calls it (korvex is below raylib's own cost)")
PER_ITEM = "for i_, f_ in zip({}, fills): {}"
op(DRAWING, "draw_rectangle_rec(Rect, Color)", "draw_rectangle_rec(r, c)", "kpxw", note=FLOOR,
   p="draw_rect(surface, c, r)", x="DrawRectangleRec(rect_struct(r), color_struct(c))", w="DrawRectangleRec(r, c)")
op(DRAWING, "draw_pixel_v(Vector2, Color)", "draw_pixel_v(p, c)", "kpxw", note=FLOOR,
   p="surface.set_at((15, 25), c)", x="DrawPixelV(vector2_struct(p), color_struct(c))", w="DrawPixelV(p, c)")
op(DRAWING, "draw_circle_v(Vector2, r, Color)", "draw_circle_v(p, 3.0, c)", "kpxw", note=TESSELLATED,
   p="draw_circle(surface, c, p, 3.0)", x="DrawCircleV(vector2_struct(p), 3.0, color_struct(c))",
   w="DrawCircleV(p, 3.0, c)")
op(DRAWING, "draw_rectangles(3,000 Rect, Color), per item", "draw_rectangles(rects, fills)", "kpxw", note=FLOOR,
   items=3000, p=PER_ITEM.format("rects", "draw_rect(surface, f_, i_)"),
   x=PER_ITEM.format("rects", "DrawRectangleRec(rect_struct(i_), color_struct(f_))"),
   w=PER_ITEM.format("rects", "DrawRectangleRec(i_, f_)"))
op(DRAWING, "draw_circles(300 Vector2, r, Color), per item", "draw_circles(centres, 3.0, centre_fills)", "kpxw",
   note=TESSELLATED, items=300, p=PER_ITEM.format("centres", "draw_circle(surface, f_, i_, 3.0)"),
   x=PER_ITEM.format("centres", "DrawCircleV(vector2_struct(i_), 3.0, color_struct(f_))"),
   w=PER_ITEM.format("centres", "DrawCircleV(i_, 3.0, f_)"))
op(DRAWING, "draw_pixels(3,000 Vector2, Color), per item", "draw_pixels(points, fills)", "kpxw", note=FLOOR,
   items=3000, p=PER_ITEM.format("points", "surface.set_at(i_, f_)"),
   x=PER_ITEM.format("points", "DrawPixelV(vector2_struct(i_), color_struct(f_))"),
   w=PER_ITEM.format("points", "DrawPixelV(i_, f_)"))
op(DRAWING, "particle demo frame, 3,000 particles: draw calls", "paint()", "kx", work=3000)
