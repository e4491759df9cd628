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


# A plain context manager rather than pytest.raises: entry_points.py imports
# this module in child interpreters that run without pytest, and loading
# pytest there would change what is alive at their exit.


class Raises:
    """Context manager: the block raises exactly `exc_type` (not a subclass)
    with exactly `message` (None where the interpreter words it differently
    from one case to the next); the exception is left in `value`."""

    def __init__(self, exc_type, message):
        self.exc_type, self.message, self.value = exc_type, message, None

    def __enter__(self):
        return self

    def __exit__(self, kind, error, traceback):
        if error is None:
            raise AssertionError(f"did not raise {self.exc_type.__name__}")
        assert kind is self.exc_type, f"raised {kind.__name__}: {error}, expected {self.exc_type.__name__}"
        assert self.message is None or str(error) == self.message, (
            f"message {str(error)!r}, expected {self.message!r}"
        )
        self.value = error
        return True


def raises_exactly(exc_type, message, func=None, /, *args, **kwargs):
    """func(*args, **kwargs) raises exactly `exc_type` with exactly `message`
    (see Raises); returns the exception.  Without func, the context manager."""
    expected = Raises(exc_type, message)
    if func is None:
        return expected
    with expected:
        func(*args, **kwargs)
    return expected.value


def error_of(func, *args):
    """The exception type and message that func(*args) raises."""
    try:
        func(*args)
    except BaseException as error:
        return type(error), str(error)
    raise AssertionError(f"{func.__name__}{args!r} does not raise")


# The interpreter's own messages for a few refusals.
def no_new_attribute(type_name, name):
    return f"'{type_name}' object has no attribute '{name}' and no __dict__ for setting new attributes"


def not_writable(type_name, name):
    return f"attribute '{name}' of '{type_name}' objects is not writable"


def unordered(symbol, type_name):
    return f"'{symbol}' not supported between instances of '{type_name}' and '{type_name}'"


def count_error(name, n, given):
    """The message of a method that takes exactly n positional arguments."""
    return f"{name}() takes exactly {n} positional argument{'' if n == 1 else 's'} ({given} given)"


def struct_refusal(member):
    """The message with which a type whose state is a C structure refuses pickling."""
    return (
        f"Pickling of struct members such as self.{member} must be explicitly requested "
        "with the build option KORVEX_PICKLE_STRUCTS"
    )


def refuses_pickling(obj, message):
    """Pickling and copying `obj` in every way, and its pickling hooks, raise
    TypeError(message); the hooks stand under their public names (the state
    hook's count error shows its own)."""
    import copy
    import pickle

    for protocol in range(pickle.HIGHEST_PROTOCOL + 1):
        raises_exactly(TypeError, message, pickle.dumps, obj, protocol)
    for attempt in (copy.copy, copy.deepcopy, type(obj).__reduce__, lambda o: o.__reduce_ex__(2),
                    lambda o: o.__setstate__(None), lambda o: o.__setstate__(())):
        raises_exactly(TypeError, message, attempt, obj)
    raises_exactly(TypeError, count_error("__setstate_korvex__", 1, 0), obj.__setstate__)
    assert "__reduce__" in vars(type(obj)) and "__setstate__" in vars(type(obj))
    assert not hasattr(type(obj), "__reduce_korvex__") and not hasattr(type(obj), "__setstate_korvex__")


def float_protocol_error(value):
    """The exception type and message the interpreter's float conversion gives
    for `value`."""
    return error_of(math.copysign, value, 1.0)


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


class HostileError(Exception):
    """Raised by the hostile values of the entry-point catalogue."""


class Raise:
    """A value that raises a new HostileError wherever it is produced (a
    raised instance would collect tracebacks if it were raised again)."""

    def __init__(self, what):
        self.what = what

    def __repr__(self):
        return f"Raise({self.what!r})"


def produce(value):
    if isinstance(value, Raise):
        raise HostileError(value.what)
    return value


class VectorLike:
    """Duck-typed vector: accepted for its clamp_magnitude_ip attribute; its
    x, y, z, w are the values given, as many as given (a Raise raises)."""

    clamp_magnitude_ip = None

    def __init__(self, *values):
        self.values = values

    def __getattr__(self, name):
        index = "xyzw".find(name)
        if len(name) == 1 and 0 <= index < len(self.values):
            return produce(self.values[index])
        raise AttributeError(name)

    def __repr__(self):
        return f"VectorLike{self.values!r}"


def capsule_pointer(capsule, name=None):
    """The pointer a PyCapsule holds (ctypes is imported here only: the
    child interpreters of the sweeps import this module too)."""
    import ctypes

    get = ctypes.pythonapi.PyCapsule_GetPointer
    get.restype, get.argtypes = ctypes.c_void_p, [ctypes.py_object, ctypes.c_char_p]
    return get(capsule, name)


def capsule_name(capsule):
    """A PyCapsule's name, as str (None for a nameless one)."""
    import ctypes

    get = ctypes.pythonapi.PyCapsule_GetName
    get.restype, get.argtypes = ctypes.c_char_p, [ctypes.py_object]
    name = get(capsule)
    return None if name is None else name.decode()


def native_table(cls, count):
    """The first `count` slots of the native table that `cls` publishes in
    its __pyx_vtable__ capsule, as a ctypes array of addresses."""
    import ctypes

    return (ctypes.c_void_p * count).from_address(capsule_pointer(cls.__dict__["__pyx_vtable__"]))


def python_output(code, timeout=120):
    """What `code` prints in a fresh interpreter, which must exit with status 0
    (subprocess is imported here only, as ctypes above)."""
    import subprocess
    import sys
    import textwrap

    run = subprocess.run([sys.executable, "-c", textwrap.dedent(code)], capture_output=True, text=True, timeout=timeout)
    assert run.returncode == 0, run.stderr
    return run.stdout


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
    rotation: str  # "planar" (an angle), "spatial" (an axis and an angle) or "none"

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
    VectorKind("Vector2", "vector2", "xy", "v2", "from_xy", True, False, ("xx", "yx"), False, "planar"),
    VectorKind("Vector3", "vector3", "xyz", "v3", "from_xyz", False, True, ("zyx", "xxz"), True, "spatial"),
    VectorKind("Vector4", "vector4", "xyzw", "v4", "from_xyzw", False, False, ("wzyx", "xxyz"), True, "none"),
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

