"""The vectors' geometry: interpolation, steering, lengths, reflection,
projection, component-wise bounds, closeness, rotations and angles.

Every result is checked bit for bit against a model written here in Python:
the components widened to double, the formula in double (sums in the type's
order), then one rounding into storage (struct's 'f' for Vector2 and
Vector3, none for Vector4).  The operands run over ordinary, zero, -0.0,
subnormal, huge, infinite and NaN components."""

import itertools
import math

import pytest

from support import INF, NAN, VECTORS, BadFloat, Boom, assert_vector, f32, float_protocol_error, raises_exactly, same

KINDS = [pytest.param(kind, id=kind.cls) for kind in VECTORS]
V2, V3, V4 = VECTORS
PI = math.pi


# --- the model ----------------------------------------------------------------------------------


def store(kind, value):
    return f32(value) if kind.size < 4 else float(value)


def wide_sum(kind, terms):
    if kind.size == 4:
        return (terms[0] + terms[2]) + (terms[1] + terms[3])
    total = terms[0]
    for term in terms[1:]:
        total += term
    return total


def wdot(kind, a, b):
    return wide_sum(kind, [x * y for x, y in zip(a, b)])


def stored(kind, values):
    return tuple(store(kind, v) for v in values)


def cos(a):  # C's cos gives NaN where math.cos raises
    return NAN if math.isinf(a) else math.cos(a)


def sin(a):
    return NAN if math.isinf(a) else math.sin(a)


def half_open(sine, cosine):
    angle = math.atan2(sine, cosine)
    return PI if angle == -PI else angle


def is_zero(v):
    return all(c == 0 for c in v)


def lerp(kind, v, other, t):
    return stored(kind, [x + (y - x) * t for x, y in zip(v, other)])


def moved_towards(kind, v, target, max_distance):
    step = [t - x for x, t in zip(v, target)]
    distance = math.sqrt(wide_sum(kind, [s * s for s in step]))
    if distance <= max_distance or distance == 0:
        return target
    scale = max_distance / distance
    return stored(kind, [x + s * scale for x, s in zip(v, step)])


def scaled_to_length(kind, v, length):
    current = math.sqrt(wdot(kind, v, v))
    if current == 0:
        return v
    scale = length / current
    return stored(kind, [x * scale for x in v])


def clamped_length(kind, v, low, high):
    current = math.sqrt(wdot(kind, v, v))
    if current == 0:
        return v
    if current < low:
        return scaled_to_length(kind, v, low)
    if current > high:
        return scaled_to_length(kind, v, high)
    return v


def reflected(kind, v, normal):
    norm = math.sqrt(wdot(kind, normal, normal))
    if norm == 0:
        return v
    unit = [n / norm for n in normal]
    twice = 2 * wdot(kind, v, unit)
    return stored(kind, [x - twice * u for x, u in zip(v, unit)])


def projected(kind, v, onto):
    onto_squared = wdot(kind, onto, onto)
    if onto_squared == 0:
        return (0.0,) * kind.size
    scale = wdot(kind, v, onto) / onto_squared
    return stored(kind, [scale * o for o in onto])


def signed(c):  # orders -0.0 below 0.0
    return c, math.copysign(1, c)


def minimum(a, b):
    return NAN if math.isnan(a) or math.isnan(b) else min(a, b, key=signed)


def maximum(a, b):
    return NAN if math.isnan(a) or math.isnan(b) else max(a, b, key=signed)


def rotated_2d(kind, v, angle):
    (x, y), c, s = v, cos(angle), sin(angle)
    return stored(kind, [x * c - y * s, x * s + y * c])


def angle_2d(v):
    return 0.0 if is_zero(v) else half_open(v[1], v[0])


def cross_2d(a, b):
    return a[0] * b[1] - a[1] * b[0]


def angle_to_2d(kind, a, b):
    return 0.0 if is_zero(a) or is_zero(b) else half_open(cross_2d(a, b), wdot(kind, a, b))


def cross_3d(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def rotated_3d(kind, v, axis, angle):
    norm = math.sqrt(wdot(kind, axis, axis))
    if norm == 0:
        return v
    k = [a / norm for a in axis]
    kxp, c, s = cross_3d(k, v), cos(angle), sin(angle)
    along = (k[0] * v[0] + k[1] * v[1] + k[2] * v[2]) * (1 - c)
    return stored(kind, [p * c + q * s + r * along for p, q, r in zip(v, kxp, k)])


def angle_to_3d(kind, a, b):
    if is_zero(a) or is_zero(b):
        return 0.0
    c = cross_3d(a, b)
    return math.atan2(math.sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]), wdot(kind, a, b))


# --- the operands ------------------------------------------------------------------------------

ORDINARY = (1.5, -2.25, 0.1, 3.0, -7.0)
SPECIAL = {2: 1e-45, 3: 1e-45, 4: 5e-324}  # the smallest subnormal of the storage
HUGE = {2: 3e38, 3: 3e38, 4: 1e300}


def operands(kind):
    """Vectors with one special component each, and ordinary ones."""
    n = kind.size
    base = ORDINARY[:n]
    special = (0.0, -0.0, SPECIAL[n], -HUGE[n], INF, -INF, NAN)
    vectors = [base, tuple(-c for c in reversed(base)), (0.0,) * n, (-0.0,) * n, (0.0,) * (n - 1) + (2.0,)]
    vectors += [base[:i] + (s,) + base[i + 1:] for i, s in zip(itertools.cycle(range(n)), special)]
    return [stored(kind, v) for v in vectors]


def pairs(kind):
    vs = operands(kind)
    return [pytest.param(kind, a, b, id=f"{kind.cls}-{i}-{j}") for i, a in enumerate(vs) for j, b in
            enumerate(vs) if (i + j) % 3 == 0 or i < 5 or j < 5]


ALL_PAIRS = [p for kind in VECTORS for p in pairs(kind)]
ALL_VECTORS = [pytest.param(kind, v, id=f"{kind.cls}-{i}") for kind in VECTORS for i, v in enumerate(operands(kind))]
NUMBERS = (0.0, -0.0, 0.5, 1.0, -1.5, 2.75, 10.0, 1e-300, 1e300, INF, -INF, NAN)


def vector(kind, values):
    return kind.type(*values)


def check_pair(kind, values, get, to, *args, expected):
    """get_ gives `expected` and leaves self; to_ gives it in self, returned."""
    v = vector(kind, values)
    assert_vector(get(v)(*args), expected)
    assert_vector(v, values)
    assert to(v)(*args) is v
    assert_vector(v, expected)


# --- all three types --------------------------------------------------------------------------


@pytest.mark.parametrize("kind, a, b", ALL_PAIRS)
def test_measures_and_bounds(kind, a, b):
    va, vb = vector(kind, a), vector(kind, b)
    assert_vector(va.get_projected(vb), projected(kind, a, b))
    assert_vector(va.get_min(vb), [minimum(x, y) for x, y in zip(a, b)])
    assert_vector(va.get_max(vb), [maximum(x, y) for x, y in zip(a, b)])
    low, high = [minimum(x, y) for x, y in zip(a, b)], [maximum(x, y) for x, y in zip(a, b)]
    for c in operands(kind)[:3]:
        assert_vector(vector(kind, c).get_clamped(vb, va), [minimum(maximum(x, l), h) for x, l, h in zip(c, b, a)])
        assert_vector(vector(kind, c).get_clamped(vector(kind, low), vector(kind, high)),
                      [minimum(maximum(x, lo), hi) for x, lo, hi in zip(c, low, high)])
    check_pair(kind, a, lambda v: v.get_reflected, lambda v: v.to_reflected, vb, expected=reflected(kind, a, b))
    for rel_tol, abs_tol in ((1e-09, 0.0), (0.5, 0.0), (0.0, 4.0), (INF, 0.0), (NAN, NAN)):
        expected = all(math.isclose(x, y, rel_tol=rel_tol, abs_tol=abs_tol) for x, y in zip(a, b))
        assert va.is_close(vb, rel_tol, abs_tol) is expected
    assert va.is_close(vb) is all(math.isclose(x, y) for x, y in zip(a, b))


@pytest.mark.parametrize("t", NUMBERS)
@pytest.mark.parametrize("kind, a, b", ALL_PAIRS[::7])
def test_lerp_and_moved_towards(kind, a, b, t):
    vb = vector(kind, b)
    check_pair(kind, a, lambda v: v.get_lerp, lambda v: v.to_lerp, vb, t, expected=lerp(kind, a, b, t))
    check_pair(kind, a, lambda v: v.get_moved_towards, lambda v: v.to_moved_towards, vb, t,
               expected=moved_towards(kind, a, b, t))


@pytest.mark.parametrize("kind, a", ALL_VECTORS)
def test_lengths(kind, a):
    v = vector(kind, a)
    squares = [store(kind, x * x) for x in a]
    if kind.size == 4:
        assert same(v.length_squared, wide_sum(kind, squares))
    else:
        total = squares[0]
        for square in squares[1:]:
            total = f32(total + square)
        assert same(v.length_squared, total)
    for length in NUMBERS:
        check_pair(kind, a, lambda v: v.get_scaled_to_length, lambda v: v.to_scaled_to_length, length,
                   expected=scaled_to_length(kind, a, length))
    bounds = [(0.0, 0.0), (0.0, 1.0), (1.0, 2.0), (2.5, 2.5), (5.0, 1e300), (0.0, INF), (3.0, NAN), (NAN, 3.0)]
    for low, high in bounds:
        expected = clamped_length(kind, a, low, high)
        check_pair(kind, a, lambda v: v.get_clamped_length, lambda v: v.to_clamped_length, low, high,
                   expected=expected)
        if low == 0:
            check_pair(kind, a, lambda v: v.get_clamped_length, lambda v: v.to_clamped_length, high,
                       expected=expected)


CLAMP_ERRORS = [
    ((-1.0,), "max_length must not be negative"),
    ((-1.0, 2.0), "min_length must not be negative"),
    ((1.0, -0.5), "max_length must not be negative"),
    ((3.0, 2.0), "min_length must not be greater than max_length"),
    ((-INF, INF), "min_length must not be negative"),
]


@pytest.mark.parametrize("bounds, message", CLAMP_ERRORS)
@pytest.mark.parametrize("kind", KINDS)
def test_clamped_length_bounds_are_checked_for_every_vector(kind, bounds, message):
    for values in ((0.0,) * kind.size, (3.0,) * kind.size):
        v = vector(kind, values)
        raises_exactly(ValueError, message, v.get_clamped_length, *bounds)
        raises_exactly(ValueError, message, v.to_clamped_length, *bounds)
        assert_vector(v, values)


@pytest.mark.parametrize("kind", KINDS)
def test_zero_rules(kind):
    zero, n = vector(kind, (0.0,) * kind.size), kind.size
    unit = vector(kind, (1.0,) + (0.0,) * (n - 1))
    assert_vector(zero.get_scaled_to_length(5.0), (0.0,) * n)
    assert_vector(zero.get_clamped_length(1.0, 2.0), (0.0,) * n)
    assert_vector(unit.get_reflected(zero), unit.get_tuple())
    assert_vector(unit.get_projected(zero), (0.0,) * n)
    assert_vector(unit.get_moved_towards(unit, -3.0), unit.get_tuple())  # at the target: stays
    assert_vector(vector(kind, (-0.0,) * n).get_scaled_to_length(5.0), (-0.0,) * n)  # kept as it is


@pytest.mark.parametrize("kind", KINDS)
def test_is_close_tolerances(kind):
    v = vector(kind, (1.0,) * kind.size)
    for rel_tol, abs_tol in ((-1e-9, 0.0), (0.0, -1.0), (-INF, 0.0)):
        raises_exactly(ValueError, "tolerances must be non-negative", v.is_close, v, rel_tol, abs_tol)
    assert v.is_close(v, abs_tol=0.0) is True and v.is_close(other=v, rel_tol=0.0) is True
    raises_exactly(TypeError, "is_close() takes at most 3 positional arguments (4 given)", v.is_close, v, 1, 1, 1)
    raises_exactly(TypeError, "is_close() takes at least 1 positional argument (0 given)", v.is_close, rel_tol=1)


# --- arguments -----------------------------------------------------------------------------------

VECTOR_PARAMETERS = [
    ("get_lerp", "other", 1), ("to_lerp", "other", 1), ("get_moved_towards", "target", 1),
    ("to_moved_towards", "target", 1), ("get_reflected", "normal", 0), ("to_reflected", "normal", 0),
    ("get_projected", "onto", 0), ("get_min", "other", 0), ("get_max", "other", 0), ("get_clamped", "low", 1),
    ("is_close", "other", 0),
]


@pytest.mark.parametrize("name, param, numbers", VECTOR_PARAMETERS)
@pytest.mark.parametrize("kind", KINDS)
def test_vector_parameters_take_this_type_only(kind, name, param, numbers):
    v, w = vector(kind, (1.0,) * kind.size), vector(kind, (2.0,) * kind.size)
    rest = (w,) if name == "get_clamped" else (0.5,) * numbers
    other = VECTORS[(kind.size - 1) % 3]  # a vector of another size
    for bad, shown in ((tuple(w), "tuple"), (None, "NoneType"), (1.0, "float"), (other.type(), other.type_name)):
        message = f"Argument '{param}' has incorrect type (expected {kind.type_name}, got {shown})"
        raises_exactly(TypeError, message, getattr(v, name), bad, *rest)
    raises_exactly(TypeError, f"{name}() got multiple values for keyword argument '{param}'",
                   getattr(v, name), w, *rest, **{param: w})
    assert_vector(v, (1.0,) * kind.size)


NUMBER_CALLS = [
    lambda v, x: v.get_lerp(v, x), lambda v, x: v.to_moved_towards(v, max_distance=x),
    lambda v, x: v.to_clamped_length(x), lambda v, x: v.get_clamped_length(x, 5.0),
    lambda v, x: v.get_scaled_to_length(x), lambda v, x: v.is_close(v, 0.1, abs_tol=x),
]


@pytest.mark.parametrize("value", [None, "1.0", 2**1024, BadFloat(), 1j])
@pytest.mark.parametrize("call", NUMBER_CALLS)
@pytest.mark.parametrize("kind", KINDS)
def test_number_parameters_use_the_float_protocol(kind, call, value):
    v = vector(kind, (3.0,) * kind.size)
    error, message = (Boom, "float") if isinstance(value, BadFloat) else float_protocol_error(value)
    raises_exactly(error, message, call, v, value)
    assert_vector(v, (3.0,) * kind.size)


@pytest.mark.parametrize("kind", KINDS)
def test_clamped_length_takes_max_alone_or_both(kind):
    v = vector(kind, (3.0,) * kind.size)
    assert_vector(v.get_clamped_length(max_length=1.0), v.get_clamped_length(1.0).get_tuple())
    assert_vector(v.get_clamped_length(1.0, min_length=1.0), v.get_clamped_length(0.0, 1.0).get_tuple())
    for call, message in [
        (lambda: v.get_clamped_length(), "get_clamped_length() takes at least 1 positional argument (0 given)"),
        (lambda: v.get_clamped_length(min_length=1.0), "get_clamped_length() takes at least 1 positional argument "
                                                       "(0 given)"),
        (lambda: v.to_clamped_length(1, 2, 3), "to_clamped_length() takes at most 2 positional arguments (3 given)"),
        (lambda: v.get_clamped_length(1.0, max_length=2.0),
         "get_clamped_length() got multiple values for keyword argument 'max_length'"),
        (lambda: v.get_clamped_length(1.0, 2.0, min_length=0.0),
         "get_clamped_length() got multiple values for keyword argument 'min_length'"),
        (lambda: v.get_clamped_length(1.0, bound=2.0), "get_clamped_length() got an unexpected keyword argument "
                                                       "'bound'"),
    ]:
        raises_exactly(TypeError, message, call)


# --- Vector2 -----------------------------------------------------------------------------------

ANGLES = (0.0, -0.0, PI / 2, -PI / 3, PI, 2.5, 1e-320, 1e22, INF, NAN)


@pytest.mark.parametrize("kind, a, b", pairs(V2))
def test_vector2_angles_and_cross(kind, a, b):
    va, vb = vector(kind, a), vector(kind, b)
    assert same(va.get_angle(), angle_2d(a))
    assert same(va.get_angle_to(vb), angle_to_2d(kind, a, b))
    assert same(va.cross(vb), cross_2d(a, b))
    length, angle = va.get_polar()
    assert same(length, math.sqrt(a[0] * a[0] + a[1] * a[1])) and same(angle, angle_2d(a))
    for turn in ANGLES:
        check_pair(kind, a, lambda v: v.get_rotated, lambda v: v.to_rotated, turn, expected=rotated_2d(kind, a, turn))


@pytest.mark.parametrize("length", NUMBERS)
def test_vector2_from_polar(length):
    for angle in ANGLES:
        expected = stored(V2, [length * cos(angle), length * sin(angle)])
        assert_vector(V2.type.from_polar(length, angle), expected)
        assert_vector(V2.type().from_polar(angle=angle, length=length), expected)


@pytest.mark.parametrize("values, expected", [
    ((-1.0, -0.0), PI), ((-1.0, 0.0), PI), ((0.0, 0.0), 0.0), ((-0.0, -0.0), 0.0), ((0.0, -1.0), -PI / 2),
])
def test_vector2_angle_lies_in_the_half_open_range(values, expected):
    assert same(V2.type(*values).get_angle(), expected)


def test_vector2_rotation_turns_counter_clockwise_with_y_up():
    assert_vector(V2.type(1, 0).get_rotated(PI / 2), (f32(math.cos(PI / 2)), 1.0))
    assert same(V2.type(1, 0).get_angle_to(V2.type(0, 1)), PI / 2)
    assert same(V2.type(1, 0).get_angle_to(V2.type(-1, -0.0)), PI)  # never -pi
    assert V2.type(1, 0).cross(V2.type(0, 1)) == 1.0


# --- Vector3 -----------------------------------------------------------------------------------


@pytest.mark.parametrize("kind, a, b", pairs(V3))
def test_vector3_rotation_and_angle(kind, a, b):
    va, vb = vector(kind, a), vector(kind, b)
    assert same(va.get_angle_to(vb), angle_to_3d(kind, a, b))
    for turn in ANGLES:
        check_pair(kind, a, lambda v: v.get_rotated, lambda v: v.to_rotated, vb, turn,
                   expected=rotated_3d(kind, a, b, turn))


def test_vector3_rotation_follows_the_right_hand_rule():
    x, z = V3.type(1, 0, 0), V3.type(0, 0, 5)
    assert_vector(x.get_rotated(z, PI / 2), (f32(math.cos(PI / 2)), 1.0, 0.0))
    assert_vector(x.get_rotated(axis=V3.type(), angle=1.0), (1.0, 0.0, 0.0))  # zero axis
    assert same(x.get_angle_to(V3.type(-1, 0, 0)), PI)
    raises_exactly(TypeError, "Argument 'axis' has incorrect type (expected korvex.vector3.vector3.Vector3, got "
                   "tuple)", x.get_rotated, (0, 0, 1), 1.0)


def test_each_type_has_its_own_turns():
    assert not any(hasattr(V4.type, name) for name in ("get_rotated", "to_rotated", "get_angle", "get_angle_to",
                                                       "from_polar", "get_polar", "cross"))
    assert not any(hasattr(V3.type, name) for name in ("get_angle", "from_polar", "get_polar"))
