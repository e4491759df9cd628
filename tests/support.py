"""Helpers shared by the test files: exact float comparison, exact error
checks, the hostile number objects, and the description of the three vector
types that the vector suite and the entry-point catalogue iterate over."""

import gc
import importlib
import math
import struct
import warnings
from dataclasses import dataclass

INF = math.inf
NAN = math.nan


def bits(value):
    return struct.pack("<d", value)


def f32(value):
    """`value` rounded to the nearest single-precision float, as a Python float
    (beyond the float range: infinite, as a C cast rounds)."""
    value = float(value)
    if math.isfinite(value) and abs(value) >= 3.4028235677973366e38:  # rounds past the largest float
        return math.copysign(INF, value)
    return struct.unpack("f", struct.pack("f", value))[0]


def same(a, b):
    """Equal bit for bit (so -0.0 is not 0.0); any NaN matches any NaN."""
    a, b = float(a), float(b)
    if math.isnan(a) or math.isnan(b):
        return math.isnan(a) and math.isnan(b)
    return bits(a) == bits(b)


# Plain try/except rather than pytest.raises: entry_points.py imports this
# module in child interpreters that run without pytest, and loading pytest
# there would change what is alive at their exit.


def raises_exactly(exc_type, message, func, *args, **kwargs):
    """func(*args, **kwargs) raises exactly `exc_type` (not a subclass) with
    exactly `message`; returns the exception."""
    try:
        func(*args, **kwargs)
    except BaseException as error:
        assert type(error) is exc_type, f"raised {type(error).__name__}: {error}, expected {exc_type.__name__}"
        assert str(error) == message, f"message {str(error)!r}, expected {message!r}"
        return error
    raise AssertionError(f"did not raise {exc_type.__name__}")


def float_protocol_error(value):
    """The exception type and message the interpreter's float conversion gives
    for `value`."""
    try:
        math.copysign(value, 1.0)
    except BaseException as error:
        return type(error), str(error)
    raise AssertionError(f"{value!r} converts to a float")


class Boom(Exception):
    """Raised by the hostile objects below, so that a test can tell their
    error from one the code under test makes up."""


class BadFloat:
    def __float__(self):
        raise Boom("float")


class BadIndex:
    def __index__(self):
        raise Boom("index")


class FloatReturnsInt:
    def __float__(self):
        return 1


class Index:
    """An integer through `__index__` only."""

    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class IntSubclass(int):
    pass


class ListSub(list):
    pass


class TupleSub(tuple):
    pass


class VectorLike:
    """Duck-typed vector: accepted for its clamp_magnitude_ip attribute; takes
    x, y, z, w, as many as given."""

    clamp_magnitude_ip = None

    def __init__(self, *values):
        for letter, value in zip("xyzw", values):
            setattr(self, letter, value)


# Code for a fresh interpreter: a module whose class is not a type stands in
# for `module`, then `importing` is imported and the TypeError printed.
IMPORT_WITH_A_NON_TYPE = """\
import sys, types
fake = types.ModuleType({module!r})
fake.{name} = 5
sys.modules[{module!r}] = fake
try:
    import {importing}
except TypeError as error:
    print(error)
"""


# --- the vector types ---------------------------------------------------------------------


@dataclass(frozen=True)
class VectorKind:
    cls: str
    module: str
    letters: str
    prefix: str  # consumer area prefix
    components_factory: str
    has_data: bool
    has_cross: bool
    swizzles: tuple
    sadd_flag: bool  # the consumer's sadd passes the dispatch flag

    @property
    def type(self):
        return getattr(importlib.import_module(f"korvex.{self.module}.{self.module}"), self.cls)

    @property
    def type_name(self):
        return f"korvex.{self.module}.{self.module}.{self.cls}"

    @property
    def size(self):
        return len(self.letters)


VECTORS = (
    VectorKind("Vector2", "vector2", "xy", "v2", "from_xy", True, False, ("xx", "yx"), False),
    VectorKind("Vector3", "vector3", "xyz", "v3", "from_xyz", False, True, ("zyx", "xxz"), True),
    VectorKind("Vector4", "vector4", "xyzw", "v4", "from_xyzw", False, False, ("wzyx", "xxyz"), True),
)


def assert_vector(v, expected):
    """v is the vector type of len(expected) components, equal to `expected`
    bit for bit."""
    expected = tuple(expected)
    assert type(v) is VECTORS[len(expected) - 2].type
    got = v.get_tuple()
    assert all(same(g, e) for g, e in zip(got, expected, strict=True)), (got, expected)


class Quiet:
    """Warnings filtered by `action` (by default turned into errors), the
    collector off: it would allocate at random points, and it could hide a
    leak by freeing something else meanwhile."""

    def __init__(self, action="error"):
        self.warnings = warnings.catch_warnings()
        self.action = action

    def __enter__(self):
        self.warnings.__enter__()
        warnings.simplefilter(self.action)
        self.enabled = gc.isenabled()
        gc.disable()

    def __exit__(self, *exc):
        if self.enabled:
            gc.enable()
        self.warnings.__exit__(*exc)
