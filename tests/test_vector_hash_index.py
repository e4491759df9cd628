"""Vector hashes equal the interpreter's tuple hash bit for bit, and item
reads give the components, whatever path the key and the values take."""

import ctypes
import math
import random
import struct

import pytest

from korvex.vector2.vector2 import Vector2
from korvex.vector3.vector3 import Vector3
from korvex.vector4.vector4 import Vector4
from support import Index, IntSubclass, raises_exactly

VECTORS = [Vector2, Vector3, Vector4]
SINGLE = {Vector2: True, Vector3: True, Vector4: False}


def stored(cls, value):
    """The component as the vector keeps it (single precision for 2 and 3)."""
    return ctypes.c_float(value).value if SINGLE[cls] else value


def random_components(rng, single, count):
    """Finite values drawn over every bit pattern of the storage format."""
    out = []
    while len(out) < count:
        if single:
            value = struct.unpack("f", struct.pack("I", rng.getrandbits(32)))[0]
        else:
            value = struct.unpack("d", struct.pack("Q", rng.getrandbits(64)))[0]
        if math.isfinite(value):
            out.append(value)
    return out


SPECIAL = [
    0.0, -0.0, 1.0, -1.0, -2.0, 0.5, 0.1, -3.75, 1e-40, -1e-45, 2.0**60, 2.0**61 - 2**37, -2.0**64,
    3.4028234663852886e38, 1e300, -1e-310, 5e-324, math.inf, -math.inf,
]


@pytest.mark.parametrize("cls", VECTORS)
@pytest.mark.parametrize("value", SPECIAL)
def test_hash_of_special_values_is_the_tuple_hash(cls, value):
    n = len(cls())
    for position in range(n):
        components = [1.5] * n
        components[position] = value
        v = cls(*components)
        assert hash(v) == hash(tuple(stored(cls, c) for c in components)) == hash(tuple(v))


@pytest.mark.parametrize("cls", VECTORS)
def test_hash_of_drawn_values_is_the_tuple_hash(cls):
    rng = random.Random(20261208)
    n = len(cls())
    values = random_components(rng, SINGLE[cls], 3000 * n)
    for i in range(0, len(values), n):
        v = cls(*values[i:i + n])
        assert hash(v) == hash(tuple(v)), v


@pytest.mark.parametrize("cls", VECTORS)
def test_hash_with_nan_is_stable(cls):
    # A tuple holding NaN hashes by the float object's identity; a vector has
    # no such object, so it only has to hash the same every time.
    n = len(cls())
    a, b = cls(*[math.nan] * n), cls(*[math.nan] * n)
    assert hash(a) == hash(a) == hash(b)


@pytest.mark.parametrize("cls", VECTORS)
@pytest.mark.parametrize("wrap", [int, IntSubclass, Index], ids=["int", "int subclass", "__index__"])
def test_item_read_gives_components(cls, wrap):
    n = len(cls())
    components = [0.1 * (i + 1) for i in range(n)]
    v = cls(*components)
    assert [v[wrap(i)] for i in range(n)] == [stored(cls, c) for c in components]
    for bad in (n, -1, -n, 2**62, -(2**63), 2**64, 2**100):
        with raises_exactly(IndexError, 'Vector index out of range'):
            v[wrap(bad)]


@pytest.mark.parametrize("cls", VECTORS)
def test_item_read_of_bool_and_refused_keys(cls):
    v = cls(*range(1, len(cls()) + 1))
    assert (v[False], v[True]) == (1.0, 2.0)
    for key in (0.0, "0", slice(0, 1), None):
        with raises_exactly(TypeError, f"'{type(key).__name__}' object cannot be interpreted as an integer"):
            v[key]
