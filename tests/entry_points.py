"""Catalogue of korvex's public entry points, shared by the reliability suites.

Every constructor form, factory, method, property, operator, sequence access,
native slot (through the test consumer module) and parser capsule is one
`Entry`: a callable taking a fixed number of values, one set of values with
which it succeeds, and what each parameter accepts.  From that:

* test_leaks.py calls every entry with its good values, with each value in
  turn replaced by each of SAMPLES (hostile values that drive the error
  paths), with one argument too many and too few, and with keywords, and
  checks the reference and block counts;
* test_hostile.py feeds every entry arbitrary values drawn by hypothesis.

A new method is one more `Entry`.  The modules are those listed in
src/korvex/modules.txt, the list the build reads; every one must import.
"""

import copy
import functools
import importlib
import math
import operator
import pathlib
import pickle
import sys
import types
from dataclasses import dataclass

from support import VECTORS, HostileError, Raise, VectorLike, produce  # noqa: F401 (the sweeps use them as E.*)

MODULE_LIST = pathlib.Path(__file__).resolve().parent.parent / "src" / "korvex" / "modules.txt"
MODULES = tuple(
    line.split()[0] for line in MODULE_LIST.read_text().splitlines() if line[:1].isalpha()
)

# What an entry may raise when given values outside its contract.
DOCUMENTED = (
    TypeError, ValueError, IndexError, OverflowError, KeyError, AttributeError, NotImplementedError,
)


# --- loading -------------------------------------------------------------------------------


@functools.cache
def load(name):
    """korvex.<name>.<name>; a listed module that does not import is an error."""
    return importlib.import_module(f"korvex.{name}.{name}")


@functools.cache
def consumer():
    """The test consumer module (built with the modules, never installed)."""
    return importlib.import_module("korvex_consumer")


@functools.cache
def namespace():
    """Every class of the built modules, the palette, the consumer, the
    unpickling function and the test subclasses, as attributes."""
    k = types.SimpleNamespace()
    for name in MODULES:
        module = load(name)
        for attr, value in vars(module).items():
            if isinstance(value, type) and value.__module__ == module.__name__:
                setattr(k, attr, value)
    k.colors = load("colors").colors
    k.unpickle_audio = load("audio").__pyx_unpickle_Audio
    k.consumer = consumer()
    for factory in SUBCLASSES:
        factory(k)
    return k


# --- hostile values --------------------------------------------------------------------------


class RaisingNumber:
    """Every number protocol raises."""

    def __float__(self):
        raise HostileError("__float__")

    def __index__(self):
        raise HostileError("__index__")

    def __int__(self):
        raise HostileError("__int__")

    def __repr__(self):
        return "RaisingNumber()"


class WrongNumber:
    """Every number protocol returns the wrong type."""

    def __float__(self):
        return "1.5"

    def __index__(self):
        return 1.5

    def __int__(self):
        return "1"

    def __repr__(self):
        return "WrongNumber()"


class SubclassNumber:
    """Every number protocol returns a strict subclass (a DeprecationWarning,
    an error when warnings are errors)."""

    class Float(float):
        pass

    def __float__(self):
        return self.Float(1.5)

    def __index__(self):
        return True

    def __int__(self):
        return True

    def __repr__(self):
        return "SubclassNumber()"


class RaisingGetattr:
    """Any attribute that is not found raises instead of AttributeError
    (dunder names excepted, which tools look up)."""

    def __getattr__(self, name):
        if name.startswith("__"):
            raise AttributeError(name)
        raise HostileError(name)

    def __repr__(self):
        return "RaisingGetattr()"


class RaisingList(list):
    """A list whose length and items raise."""

    def __len__(self):
        raise HostileError("__len__")

    def __getitem__(self, index):
        raise HostileError("__getitem__")

    def __iter__(self):
        raise HostileError("__iter__")


class RaisingItems(tuple):
    """A tuple whose length is true and whose items raise."""

    def __getitem__(self, index):
        raise HostileError("__getitem__")

    def __iter__(self):
        raise HostileError("__iter__")


class LyingList(list):
    """Claims more items than it holds: code that trusts __len__ and then
    reads the list's storage directly reads past its end."""

    def __init__(self, items, claimed):
        super().__init__(items)
        self.claimed = claimed

    def __len__(self):
        return self.claimed

    def __repr__(self):
        return f"LyingList({list.__repr__(self)}, claimed={self.claimed})"


class LyingTuple(tuple):
    """A tuple claiming more items than it holds."""

    def __new__(cls, items, claimed):
        self = super().__new__(cls, items)
        self.claimed = claimed
        return self

    def __len__(self):
        return self.claimed

    def __repr__(self):
        return f"LyingTuple({tuple.__repr__(self)}, claimed={self.claimed})"


class WrongLength(list):
    """__len__ returns a non-int, or a negative or huge int."""

    def __init__(self, items, length):
        super().__init__(items)
        self.length = length

    def __len__(self):
        return self.length

    def __repr__(self):
        return f"WrongLength({list.__repr__(self)}, length={self.length!r})"


class Sequence:
    """A sequence that is neither a list nor a tuple (the parsers' general
    branch); its items and length may be hostile."""

    def __init__(self, items, length=None):
        self.items = list(items)
        self.length = len(self.items) if length is None else length

    def __len__(self):
        return produce(self.length)

    def __getitem__(self, index):
        return produce(self.items[index])

    def __repr__(self):
        return f"Sequence({self.items!r}, length={self.length!r})"


class RaisingMapping:
    """Subscriptable, but every key raises."""

    def __getitem__(self, key):
        raise HostileError(key)

    def keys(self):
        raise HostileError("keys")

    def __repr__(self):
        return "RaisingMapping()"


class RaisingCompare:
    """Ordering and arithmetic raise (the object-comparison collision tests)."""

    def __le__(self, other):
        raise HostileError("<=")

    __lt__ = __ge__ = __gt__ = __le__

    def __add__(self, other):
        raise HostileError("+")

    __radd__ = __sub__ = __rsub__ = __add__

    def __float__(self):
        raise HostileError("__float__")

    def __repr__(self):
        return "RaisingCompare()"


class Untruthful:
    """Comparisons return an object whose truth test raises."""

    class Result:
        def __bool__(self):
            raise HostileError("__bool__")

    def __le__(self, other):
        return self.Result()

    __lt__ = __ge__ = __gt__ = __le__

    def __add__(self, other):
        return self

    __radd__ = __add__

    def __repr__(self):
        return "Untruthful()"


# The values with which test_leaks replaces each argument in turn: one of
# every kind of failure the entry points must handle (and a few that
# succeed for some of them).
SAMPLES = (
    None,
    "1",
    b"12",
    2**1000,
    -(2**64),
    float("nan"),
    float("-inf"),
    {"x": 1, "y": 2},
    (),
    (1,),
    (1.0, 2.0, 3.0, 4.0, 5.0),
    [1, 2, 3, 4],
    RaisingNumber(),
    WrongNumber(),
    SubclassNumber(),
    RaisingGetattr(),
    VectorLike(Raise("x"), 2, 3, 4),
    RaisingList(),
    RaisingItems((1, 2, 3, 4)),
    LyingList([1], 4),
    LyingTuple((1,), 2),
    WrongLength([1, 2], -1),
    Sequence([1, Raise("item")]),
    RaisingMapping(),
    RaisingCompare(),
    Untruthful(),
)


# --- test subclasses (override paths of the subclassable types) ---------------------------


def _rect_subclass(k):
    if not hasattr(k, "Rect"):
        return

    class OverridingRect(k.Rect):
        """Every overridable method returns `result`, or raises it."""

        result = None

        def _answer(self, *args):
            return produce(self.result)

        get_width = get_height = get_tuple = get_vector4 = _answer
        collide_point = collide_point_vector2 = collide_point_tuple = collide_point_list = _answer
        collide_rect = collide_rect_vector4 = collide_rect_rect = collide_rect_tuple = collide_rect_list = _answer

    k.OverridingRect = OverridingRect


def _color_subclass(k):
    if not hasattr(k, "Color"):
        return

    class OverridingColor(k.Color):
        result = None

        def fade(self, alpha):
            return produce(self.result)

        def to_int(self):
            return produce(self.result)

    k.OverridingColor = OverridingColor


def _canvas_subclass(k):
    if not hasattr(k, "RenderTexture"):
        return

    class OverridingRenderTexture(k.RenderTexture):
        result = None

        def begin(self):
            return produce(self.result)

        end = begin

    k.OverridingRenderTexture = OverridingRenderTexture


SUBCLASSES = (_rect_subclass, _color_subclass, _canvas_subclass)

# Results that an override may return: right, wrong type, raising.
OVERRIDE_RESULTS = (None, 1, 2.5, "s", (1.0, 2.0, 3.0, 4.0), 2**100, Raise("override"), Untruthful.Result())


# --- entries --------------------------------------------------------------------------------


@dataclass(frozen=True)
class Entry:
    """One entry point.

    make(k) returns the callable under test, taking `arity` values; good(k)
    returns values with which it succeeds (or raises `raises`, for entries
    whose purpose is to raise).  `names` are the parameter names when the
    callable takes keywords; `signature` marks a real function whose count
    and keyword errors are worth driving.  `params` gives the kind of each
    parameter for the hostile sweep ("any", "tuple", "list", "seq", "number"
    or "fixed" for parameters that are left at their good value), or one
    kind for them all."""

    id: str
    needs: tuple
    make: object
    good: object = lambda k: ()
    raises: object = None
    names: tuple = ()
    signature: bool = False
    params: tuple = None
    extra: tuple = ()
    window: bool = False
    isolate: bool = False
    iterations: int = None

    def arity(self, k):
        return len(self.good(k))

    def kinds(self, k):
        if isinstance(self.params, tuple):
            return self.params
        return (self.params or "any",) * self.arity(k)

    def allowed(self):
        return DOCUMENTED + (HostileError, DeprecationWarning, RuntimeWarning) + tuple(self.extra)


ENTRIES = []


def entry(id, needs, make, good=lambda k: (), **options):
    if isinstance(needs, str):
        needs = (needs,)
    ENTRIES.append(Entry(id, tuple(needs), make, good, **options))


def method(cls_needs, owner, name, good=lambda k: (), **options):
    """owner(k) builds a fresh receiver for every call."""
    entry(
        f"{options.pop('label', '')}{name}",
        cls_needs,
        lambda k: lambda *args, **kwargs: getattr(owner(k), name)(*args, **kwargs),
        good,
        signature=options.pop("signature", True),
        **options,
    )


def constant(value):
    return lambda k: value


def native(name, needs, good, *bound, id=None, **options):
    """The consumer module's function `name`, with the `bound` leading
    arguments; the others are left at their good values unless `params`
    says otherwise."""
    needs = (needs,) if isinstance(needs, str) else tuple(needs)
    options.setdefault("params", "fixed")
    if bound:
        make = lambda k: functools.partial(getattr(k.consumer, name), *bound)  # noqa: E731
    else:
        make = lambda k: getattr(k.consumer, name)  # noqa: E731
    entry(id or name, needs + (f"consumer.{name}",), make, good, **options)


PICKLING_HOOKS = {"__reduce__": (), "__reduce_ex__": (2,), "__setstate__": ((),)}


def pickling_hooks(needs, owner, label, names=tuple(PICKLING_HOOKS), **options):
    """The pickling hooks `names` of owner(k), each with values it takes."""
    for name in names:
        method(needs, owner, name, constant(PICKLING_HOOKS[name]), label=label, **options)


# Dunder operators as plain functions of (left, right).
BINARY = {
    "+": operator.add, "-": operator.sub, "*": operator.mul, "/": operator.truediv,
    "//": operator.floordiv, "%": operator.mod, "**": operator.pow, "@": operator.matmul,
    "==": operator.eq, "!=": operator.ne, "<": operator.lt, ">=": operator.ge,
}
IN_PLACE = {"+=": operator.iadd, "-=": operator.isub, "*=": operator.imul, "/=": operator.itruediv}


def delete_attribute(obj, name):
    delattr(obj, name)


def delete_item(obj, key):
    del obj[key]


# --- vectors --------------------------------------------------------------------------------


NO_ARG_VECTOR_METHODS = (
    "to_normalized", "get_normalized", "to_round", "get_round", "to_abs", "get_abs", "to_neg", "get_neg",
    "get_tuple", "get_int_tuple", "get_rounded_tuple", "copy", "__copy__",
)
UNARY_SLOTS = NO_ARG_VECTOR_METHODS[:-1]


def vector_entries(s):
    n = len(s.letters)
    C = s.cls

    def cls(k):
        return getattr(k, C)

    @functools.cache
    def components_at(offset):
        return tuple(float(i + 1 + offset) for i in range(n))

    def vec(k, offset=0):
        # Components made once: the allocation-failure sweep calls this with
        # an allocation failing, and a list comprehension whose append fails
        # trips an assertion of the debug interpreter (in LIST_APPEND).
        return cls(k)(*components_at(offset))

    def pair(k):
        return (vec(k), vec(k, 10))

    components = tuple(float(i + 1) for i in range(n))
    need = s.module

    # Construction in every form.
    entry(f"{C}()", need, lambda k: cls(k))
    entry(f"{C}(components)", need, lambda k: cls(k), constant(components), signature=True)
    entry(f"{C}(sequence)", need, lambda k: cls(k), constant((components,)), params=("seq",))
    entry(f"{C}(list)", need, lambda k: cls(k), constant((list(components),)), params=("seq",))
    entry(f"{C}({C})", need, lambda k: cls(k), lambda k: (vec(k),))
    entry(f"{C}(vector-like)", need, lambda k: lambda *values: cls(k)(VectorLike(*values)), constant(components))
    entry(f"{C}(keyword)", need, lambda k: lambda value: cls(k)(x=value), constant((1.0,)), raises=TypeError)
    entry(f"{C}.__init__ again", need, lambda k: lambda *values: vec(k).__init__(*values), constant(components))
    entry(f"{C}.__new__", need, lambda k: lambda *values: cls(k).__new__(cls(k), *values), constant(components))
    entry(f"{C} subclassing", need, lambda k: lambda: type("Sub", (cls(k),), {}), raises=TypeError)

    # Factories.
    def factory(name, good, **options):
        method(need, cls, name, good, names=options.pop("names", ("other",)), label=f"{C}.", **options)

    factory(f"from_{s.module}", lambda k: (vec(k),))
    factory("from_tuple", constant((components,)), params=("tuple",))
    factory("from_list", constant((list(components),)), params=("list",))
    factory("from_ints", constant(tuple(int(c) for c in components)), names=tuple(s.letters))
    factory("from_floats", constant(components), names=tuple(s.letters))
    factory(s.components_factory, constant(components), names=tuple(s.letters))

    # Methods.
    for name in NO_ARG_VECTOR_METHODS:
        method(need, vec, name, label=f"{C}.")
    method(need, vec, "__deepcopy__", constant(({},)), names=("memo",), label=f"{C}.")
    method(need, vec, "sadd", pair, names=("new_vec", "old_vec"), label=f"{C}.")
    for name in ("distance_to", "distance_squared_to", "dot") + (("cross",) if s.has_cross else ()):
        method(need, vec, name, lambda k: (vec(k, 3),), names=("other",), label=f"{C}.")
    # Geometry: (good values, parameter names) per method.
    other = lambda k: (vec(k, 3),)  # noqa: E731
    geometry = {
        "get_lerp": (lambda k: (vec(k, 3), 0.25), ("other", "t")),
        "get_moved_towards": (lambda k: (vec(k, 3), 1.5), ("target", "max_distance")),
        "get_clamped_length": (constant((1.0, 2.0)), ("min_length", "max_length")),
        "get_scaled_to_length": (constant((3.0,)), ("length",)),
        "get_reflected": (other, ("normal",)),
    }
    for name, (good, names) in geometry.items():
        for form in (name, name.replace("get_", "to_", 1)):
            method(need, vec, form, good, names=names, label=f"{C}.")
    method(need, vec, "get_clamped_length", constant((2.0,)), names=("max_length",), label=f"{C}.(max only) ")
    method(need, vec, "to_clamped_length", constant((2.0,)), names=("max_length",), label=f"{C}.(max only) ")
    method(need, vec, "get_projected", other, names=("onto",), label=f"{C}.")
    for name in ("get_min", "get_max"):
        method(need, vec, name, other, names=("other",), label=f"{C}.")
    method(need, vec, "get_clamped", lambda k: (vec(k), vec(k, 3)), names=("low", "high"), label=f"{C}.")
    method(need, vec, "is_close", lambda k: (vec(k, 3), 1e-3, 0.5), names=("other", "rel_tol", "abs_tol"),
           label=f"{C}.")
    method(need, vec, "is_close", other, names=("other",), label=f"{C}.(defaults) ")
    if s.rotation == "planar":
        for name in ("get_rotated", "to_rotated"):
            method(need, vec, name, constant((0.5,)), names=("angle",), label=f"{C}.")
        for name in ("get_angle", "get_polar"):
            method(need, vec, name, label=f"{C}.")
        for name in ("get_angle_to", "cross"):
            method(need, vec, name, other, names=("other",), label=f"{C}.")
        factory("from_polar", constant((2.0, 0.5)), names=("length", "angle"))
    if s.rotation == "spatial":
        for name in ("get_rotated", "to_rotated"):
            method(need, vec, name, lambda k: (vec(k, 3), 0.5), names=("axis", "angle"), label=f"{C}.")
        method(need, vec, "get_angle_to", other, names=("other",), label=f"{C}.")
    pickling_hooks(need, vec, f"{C}.", raises=TypeError)
    entry(f"pickle.dumps({C})", need, lambda k: lambda: pickle.dumps(vec(k)), raises=TypeError)
    entry(f"copy.deepcopy({C})", need, lambda k: lambda: copy.deepcopy(vec(k)))

    # Properties.
    for letter in s.letters:
        entry(f"{C}.{letter} get", need, lambda k, a=letter: lambda: getattr(vec(k), a))
        entry(f"{C}.{letter} set", need, lambda k, a=letter: lambda value: setattr(vec(k), a, value), constant((2.5,)))
        entry(f"{C}.{letter} del", need, lambda k, a=letter: lambda: delete_attribute(vec(k), a),
              raises=NotImplementedError)
    for name in ("length", "length_squared"):
        entry(f"{C}.{name}", need, lambda k, a=name: lambda: getattr(vec(k), a))
        entry(f"{C}.{name} set", need, lambda k, a=name: lambda value: setattr(vec(k), a, value), constant((1.0,)),
              raises=AttributeError)
    for word in s.swizzles:
        entry(f"{C}.{word}", need, lambda k, w=word: lambda: getattr(vec(k), w))
        entry(f"{C}.{word} set", need, lambda k, w=word: lambda value: setattr(vec(k), w, value),
              lambda k: (vec(k),), raises=AttributeError)
    if s.has_data:
        entry(f"{C}.data get", need, lambda k: lambda: vec(k).data)
        entry(f"{C}.data set", need, lambda k: lambda value: setattr(vec(k), "data", value),
              constant(({"x": 1.0, "y": 2.0},)))
        entry(f"{C}.data set (raising values)", need, lambda k: lambda x, y: setattr(vec(k), "data", {"x": x, "y": y}),
              constant((1.0, 2.0)))
        entry(f"{C}.data del", need, lambda k: lambda: delete_attribute(vec(k), "data"), raises=NotImplementedError)

    # Operators.
    for symbol, function in BINARY.items():
        entry(f"{C} {symbol} other", need, lambda k, f=function: lambda other: f(vec(k), other),
              lambda k: (vec(k, 2),), raises=TypeError if symbol in ("%", "**", "@", "<", ">=") else None)
        entry(f"other {symbol} {C}", need, lambda k, f=function: lambda other: f(other, vec(k)),
              constant((2.0,)), raises=None if symbol in ("==", "!=") else TypeError)
    for symbol, function in BINARY.items():
        if symbol in ("*", "/", "//"):
            entry(f"{C} {symbol} scalar", need, lambda k, f=function: lambda other: f(vec(k), other), constant((3.0,)))
    for symbol, function in IN_PLACE.items():
        entry(f"{C} {symbol} other", need, lambda k, f=function: lambda other: f(vec(k), other),
              lambda k: (vec(k, 2),))
    entry(f"-{C}", need, lambda k: lambda: -vec(k))
    entry(f"+{C}", need, lambda k: lambda: +vec(k), raises=TypeError)
    entry(f"abs({C})", need, lambda k: lambda: abs(vec(k)), raises=TypeError)
    entry(f"hash({C})", need, lambda k: lambda: hash(vec(k)))
    entry(f"repr({C})", need, lambda k: lambda: repr(vec(k)))
    entry(f"bool({C})", need, lambda k: lambda: bool(vec(k)))

    # Sequence protocol.
    entry(f"len({C})", need, lambda k: lambda: len(vec(k)))
    entry(f"list({C})", need, lambda k: lambda: list(vec(k)))
    entry(f"value in {C}", need, lambda k: lambda value: value in vec(k), constant((2.0,)))
    entry(f"{C}[key]", need, lambda k: lambda key: vec(k)[key], constant((1,)))
    entry(f"{C}[key] = value", need, lambda k: lambda key, value: operator.setitem(vec(k), key, value),
          constant((1, 2.5)))
    entry(f"del {C}[key]", need, lambda k: lambda key: delete_item(vec(k), key), constant((0,)),
          raises=NotImplementedError)

    # Native slots through the consumer.
    p = s.prefix
    native(f"{p}_new", need, constant(components))
    native(f"{p}_cfrom_{s.letters}", need, constant(components))
    native(f"{p}_cfrom_ints", need, constant(tuple(int(c) for c in components)))
    native(f"{p}_cfrom_floats", need, constant(components))
    native(f"{p}_cfrom_tuple", need, constant((components,)), params=("tuple",))
    native(f"{p}_cfrom_list", need, constant((list(components),)), params=("list",))
    native(f"{p}_cfrom_{s.module}", need, lambda k: (vec(k),))
    # The slots that take the name of the operation first.
    for slot, names, good in (
        ("binary", ("_add", "_sub"), pair),
        ("in_place", ("_iadd", "_isub", "_imul"), pair),
        ("unary", UNARY_SLOTS, lambda k: (vec(k), 0)),
        ("measure", ("distance_to", "distance_squared_to", "dot"), pair),
    ):
        for name in names:
            native(f"{p}_{slot}", need, good, name, id=f"{p}_{slot} {name}")
    sadd_flag = (0,) if s.sadd_flag else ()
    native(f"{p}_sadd", need, lambda k: (vec(k),) + pair(k) + sadd_flag)
    native(f"{p}_c_get_tuple", need, lambda k: (vec(k),))
    native(f"{p}_helpers", need, lambda k: pair(k) + (3.0,))
    if s.has_cross:
        native(f"{p}_cross", need, lambda k: pair(k) + (0,))


for _kind in VECTORS:
    vector_entries(_kind)

# Vector2's consumer area has a few more entry points of its own.
native("v2_underscore_sadd", "vector2", lambda k: (k.Vector2(1, 2), k.Vector2(3, 4), k.Vector2(5, 6)))
native("v2_struct_ops", "vector2", lambda k: (k.Vector2(1, 2), k.Vector2(3, 4)))
native("v2_cfrom_struct", "vector2", constant((1.5, -2.5)))


# --- Rect -------------------------------------------------------------------------------------


def rect(k):
    return k.Rect(1, 2, 3, 4)


def overriding_rect(k, result):
    r = k.OverridingRect(1, 2, 3, 4)
    r.result = result
    return r


RECT_PROPERTIES = ("x", "y", "w", "h", "left", "top", "width", "height", "right", "bottom", "centerx", "centery")
RECT_METHODS_NO_ARG = ("get_width", "get_height", "get_vector4", "get_tuple")
COLLIDE_POINT = {
    "collide_point": lambda k: ((5.0, 5.0),),
    "collide_point_vector2": lambda k: (k.Vector2(2, 3),),
    "collide_point_tuple": constant(((2.0, 3.0),)),
    "collide_point_list": constant(([2.0, 3.0],)),
}
COLLIDE_RECT = {
    "collide_rect": lambda k: (k.Rect(0, 0, 5, 5),),
    "collide_rect_vector4": lambda k: (k.Vector4(0, 0, 5, 5),),
    "collide_rect_rect": lambda k: (k.Rect(0, 0, 5, 5),),
    "collide_rect_tuple": constant(((0.0, 0.0, 5.0, 5.0),)),
    "collide_rect_list": constant(([0.0, 0.0, 5.0, 5.0],)),
}
# What the typed collision methods take, for the hostile sweep: their content
# is arbitrary, their type is the declared one.
COLLIDE_PARAMS = {
    "collide_point": ("any",), "collide_point_vector2": ("any",), "collide_point_tuple": ("tuple",),
    "collide_point_list": ("list",), "collide_rect": ("any",), "collide_rect_vector4": ("any",),
    "collide_rect_rect": ("any",), "collide_rect_tuple": ("tuple",), "collide_rect_list": ("list",),
}

RECT = ("rect", "vector2", "vector4")
entry("Rect()", RECT, lambda k: k.Rect)
entry("Rect(a, b, c, d)", RECT, lambda k: k.Rect, constant((1.0, 2.0, 3.0, 4.0)), signature=True)
entry("Rect(sequence)", RECT, lambda k: k.Rect, constant(((1.0, 2.0, 3.0, 4.0),)), params=("seq",))
entry("Rect(list)", RECT, lambda k: k.Rect, constant(([1.0, 2.0, 3.0, 4.0],)), params=("seq",))
entry("Rect(Vector2)", RECT, lambda k: k.Rect, lambda k: (k.Vector2(3, 4),))
entry("Rect(Rect)", RECT, lambda k: k.Rect, lambda k: (rect(k),))
entry("Rect(Vector4)", RECT, lambda k: k.Rect, lambda k: (k.Vector4(1, 2, 3, 4),))
entry("Rect(position, size)", RECT, lambda k: k.Rect, lambda k: (k.Vector2(1, 2), (3.0, 4.0)), params=("seq", "seq"))
entry("Rect(sequence, sequence)", RECT, lambda k: lambda a, b, c, d: k.Rect((a, b), [c, d]),
      constant((1.0, 2.0, 3.0, 4.0)))
entry("Rect(keyword)", RECT, lambda k: lambda value: k.Rect(x=value), constant((1.0,)), raises=TypeError)
entry("Rect.__init__ again", RECT, lambda k: lambda *values: rect(k).__init__(*values), constant((5.0, 6.0, 7.0, 8.0)))
entry("Rect.__new__", RECT, lambda k: lambda *values: k.Rect.__new__(k.Rect, *values), constant((1.0, 2.0)))
entry("Rect subclass()", RECT, lambda k: k.OverridingRect, constant((1.0, 2.0, 3.0, 4.0)))
RECT_VECTOR_PROPERTIES = (
    "center", "topleft", "topright", "bottomleft", "bottomright", "midtop", "midbottom", "midleft", "midright", "size",
)
for _name in RECT_PROPERTIES + RECT_VECTOR_PROPERTIES:
    entry(f"Rect.{_name} get", RECT, lambda k, a=_name: lambda: getattr(rect(k), a))
    entry(f"Rect.{_name} set", RECT, lambda k, a=_name: lambda value: setattr(rect(k), a, value),
          constant(((5.0, 6.0),) if _name in RECT_VECTOR_PROPERTIES else (5.0,)))
    entry(f"Rect.{_name} del", RECT, lambda k, a=_name: lambda: delete_attribute(rect(k), a),
          raises=NotImplementedError)
entry("Rect.center set (Vector2)", RECT, lambda k: lambda: setattr(rect(k), "center", k.Vector2(5, 6)))
entry("Rect.topright set (Vector2)", RECT, lambda k: lambda: setattr(rect(k), "topright", k.Vector2(5, 6)))
for _name in RECT_METHODS_NO_ARG + ("get_normalized", "to_normalized"):
    method(RECT, rect, _name, label="Rect.")


def rect_items(k):
    """Items of every kind the list forms read: exact Rect, plain tuple, list, Vector4, subclass."""
    return [k.Rect(20, 20, 1, 1), (0.0, 0.0, 5.0, 5.0), [1, 1, 1, 1], k.Vector4(0, 0, 2, 2), k.OverridingRect(0, 0, 3, 3)]


# The two-form methods: two numbers, or one vector-like (one number for scaling).
RECT_PAIR_METHODS = {"moved": ("dx", "dy"), "inflated": ("dw", "dh"), "scaled": ("fx", "fy")}
for _form in ("get_", "to_"):
    for _what, _names in RECT_PAIR_METHODS.items():
        method(RECT, rect, _form + _what, constant((2.0, 3.0)), names=_names, label="Rect.")
        method(RECT, rect, _form + _what, constant((2.0,) if _what == "scaled" else ((2.0, 3.0),)),
               names=_names[:1], label="Rect.(one) ")
for _name in ("get_clamped", "to_clamped", "get_clipped", "get_union", "get_fitted", "contains"):
    method(RECT, rect, _name, lambda k: (k.Rect(0, 0, 5, 5),), names=("other",), label="Rect.")
    method(RECT, rect, _name, constant(([0, 0, 5, 5],)), names=("other",), label="Rect.(list) ")
method(RECT, rect, "collide_circle", constant(((1.0, 2.0), 1.5)), names=("center", "radius"), label="Rect.")
for _name in ("collide_list", "collide_list_all", "get_union_all"):
    method(RECT, rect, _name, lambda k: (rect_items(k),), names=("rects",), label="Rect.")
    method(RECT, rect, _name, lambda k: (tuple(rect_items(k)),), names=("rects",), label="Rect.(tuple) ")
    method(RECT, rect, _name, lambda k: (iter(rect_items(k)),), names=("rects",), label="Rect.(iterator) ")
for _name in ("collide_objects", "collide_objects_all"):
    method(RECT, rect, _name, lambda k: (rect_items(k), None), names=("objects", "key"), label="Rect.")
    method(RECT, rect, _name, lambda k: ([1, 2, 3], lambda i: (i, i, 1.0, 1.0)), names=("objects", "key"),
           label="Rect.(key) ")
for _name, _good in {**COLLIDE_POINT, **COLLIDE_RECT}.items():
    method(RECT, rect, _name, _good, names=("point",) if "point" in _name else ("other",), label="Rect.",
           params=COLLIDE_PARAMS[_name])
pickling_hooks(RECT, rect, "Rect.", raises=TypeError)
entry("copy.copy(Rect)", RECT, lambda k: lambda: copy.copy(rect(k)), raises=TypeError)
for _symbol in ("==", "!="):
    entry(f"Rect {_symbol} other", RECT, lambda k, f=BINARY[_symbol]: lambda other: f(rect(k), other),
          lambda k: (rect(k),))
entry("Rect < other", RECT, lambda k: lambda other: rect(k) < other, lambda k: (rect(k),), raises=TypeError)
entry("Rect + other", RECT, lambda k: lambda other: rect(k) + other, lambda k: (rect(k),), raises=TypeError)
entry("hash(Rect)", RECT, lambda k: lambda: hash(rect(k)), raises=TypeError)
entry("repr(Rect)", RECT, lambda k: lambda: repr(rect(k)))
entry("repr(Rect) extreme", RECT, lambda k: lambda *v: repr(k.Rect(*v)), constant((1e38, -1e-45, math.inf, math.nan)))
entry("len(Rect)", RECT, lambda k: lambda: len(rect(k)))
entry("list(Rect)", RECT, lambda k: lambda: list(rect(k)))
entry("Rect[key]", RECT, lambda k: lambda key: rect(k)[key], constant((2,)))
entry("Rect[key] = value", RECT, lambda k: lambda key, value: operator.setitem(rect(k), key, value), constant((2, 1.5)))
entry("del Rect[key]", RECT, lambda k: lambda key: delete_item(rect(k), key), constant((0,)),
      raises=NotImplementedError)

RECT_CONSUMER = RECT + ("consumer.rect_slot",)
# The slots trust their argument's declared type: only the general entries
# take anything, the tuple and list entries take any tuple or list.
RECT_SLOT_PARAMS = {
    "collide_point": ("any",), "collide_rect": ("any",), "collide_point_tuple": ("tuple-only",),
    "collide_point_list": ("list-only",), "collide_rect_tuple": ("tuple-only",), "collide_rect_list": ("list-only",),
}
native("rect_new", RECT, constant((1.0, 2.0, 3.0, 4.0)))
native("rect_raw", RECT, lambda k: (rect(k),))
for _name in RECT_METHODS_NO_ARG:
    entry(f"rect_slot {_name}", RECT_CONSUMER, lambda k, a=_name: lambda: k.consumer.rect_slot(a, rect(k), None, 1))
    entry(f"rect_slot {_name} override", RECT_CONSUMER,
          lambda k, a=_name: lambda result: k.consumer.rect_slot(a, overriding_rect(k, result), None, 0),
          constant((None,)), params=("override",))
for _name, _good in {**COLLIDE_POINT, **COLLIDE_RECT}.items():
    entry(f"rect_slot {_name}", RECT_CONSUMER, lambda k, a=_name: lambda arg: k.consumer.rect_slot(a, rect(k), arg, 1),
          _good, params=RECT_SLOT_PARAMS.get(_name, ("fixed",)))
    entry(f"rect_slot {_name} override", RECT_CONSUMER,
          lambda k, a=_name, g=_good: lambda result: k.consumer.rect_slot(a, overriding_rect(k, result), g(k)[0], 0),
          constant((True,)), params=("override",))


# --- Color and Colors -----------------------------------------------------------------------

COLOR = ("color", "vector4")
COLOR_PROPERTIES = ("r", "g", "b", "a", "red", "green", "blue", "alpha")


def color(k):
    return k.Color(10, 20, 30, 40)


def overriding_color(k, result):
    c = k.OverridingColor(10, 20, 30, 40)
    c.result = result
    return c


entry("Color(r, g, b)", COLOR, lambda k: k.Color, constant((1, 2, 3)), names=("r", "g", "b"), signature=True)
entry("Color(r, g, b, a)", COLOR, lambda k: k.Color, constant((1, 2, 3, 4)), names=("r", "g", "b", "a"),
      signature=True)
entry("Color.__init__ again", COLOR, lambda k: lambda *v: color(k).__init__(*v), constant((5, 6, 7)))
entry("Color.__new__", COLOR, lambda k: lambda *v: k.Color.__new__(k.Color, *v), constant((5, 6, 7)))
entry("Color subclass()", COLOR, lambda k: k.OverridingColor, constant((1, 2, 3)))
method(COLOR, lambda k: k.Color, "from_normalized", lambda k: (k.Vector4(0.5, 0.25, 1, 1),), names=("vector",),
       label="Color.")
method(COLOR, color, "normalize", label="Color.")
method(COLOR, color, "equal", lambda k: (color(k),), names=("other",), label="Color.")
method(COLOR, color, "tint", lambda k: (k.Color(100, 200, 255),), names=("tint",), label="Color.")
method(COLOR, color, "fade", constant((0.5,)), names=("alpha",), label="Color.")
method(COLOR, color, "to_int", label="Color.")
method(COLOR, lambda k: k.Color, "from_int", constant((0x11223344,)), names=("value",), label="Color.")
method(COLOR, lambda k: k.Color, "from_int", constant((-2,)), names=("value",), label="Color.(negative) ")
method(COLOR, lambda k: k.Color, "from_hex", constant(("#10a0B0",)), names=("text",), label="Color.")
method(COLOR, lambda k: k.Color, "from_hex", constant(("10a0B0c0",)), names=("text",), label="Color.(alpha) ")
method(COLOR, lambda k: k.Color, "from_hsv", constant((30.0, 0.5, 0.5)), names=("hue", "saturation", "value"),
       label="Color.")
for _name in ("get_hex", "get_hsv", "get_grayscale"):
    method(COLOR, color, _name, label="Color.")
method(COLOR, color, "get_lerp", lambda k: (k.Color(100, 200, 255), 0.5), names=("other", "t"), label="Color.")
method(COLOR, color, "get_alpha_blended", lambda k: (k.Color(100, 200, 255, 128), k.Color(200, 200, 200)),
       names=("src", "tint"), label="Color.")
for _name, _param in (("get_faded", "alpha"), ("get_brightened", "factor"), ("get_contrasted", "contrast")):
    method(COLOR, color, _name, constant((0.5,)), names=(_param,), label="Color.")
pickling_hooks(COLOR, color, "Color.", raises=TypeError)
for _name in COLOR_PROPERTIES:
    entry(f"Color.{_name} get", COLOR, lambda k, a=_name: lambda: getattr(color(k), a))
    entry(f"Color.{_name} set", COLOR, lambda k, a=_name: lambda value: setattr(color(k), a, value), constant((300,)))
    entry(f"Color.{_name} del", COLOR, lambda k, a=_name: lambda: delete_attribute(color(k), a),
          raises=NotImplementedError)
for _symbol in ("==", "!="):
    entry(f"Color {_symbol} other", COLOR, lambda k, f=BINARY[_symbol]: lambda other: f(color(k), other),
          lambda k: (color(k),))
    entry(f"other {_symbol} Color", COLOR, lambda k, f=BINARY[_symbol]: lambda other: f(other, color(k)),
          constant(((10, 20, 30, 40),)), raises=TypeError)
entry("Color < other", COLOR, lambda k: lambda other: color(k) < other, lambda k: (color(k),), raises=TypeError)
entry("hash(Color)", COLOR, lambda k: lambda: hash(color(k)), raises=TypeError)
entry("repr(Color)", COLOR, lambda k: lambda: repr(color(k)))
entry("len(Color)", COLOR, lambda k: lambda: len(color(k)))
entry("list(Color)", COLOR, lambda k: lambda: list(color(k)))
entry("iter(Color) partly", COLOR, lambda k: lambda: next(iter(color(k))))
entry("value in Color", COLOR, lambda k: lambda value: value in color(k), constant((20,)))
entry("Color[key]", COLOR, lambda k: lambda key: color(k)[key], constant((0,)), raises=TypeError)

COLOR_CONSUMER = lambda name: COLOR + (f"consumer.color_{name}",)  # noqa: E731
native("color_new", COLOR, constant((1, 2, 3, 4)))
native("color_new", COLOR, constant((-(2**31), 2**31 - 1, 256, -1)), id="color_new clamped")
native("color_raw", COLOR, lambda k: (color(k),))
native("color_equal", COLOR, lambda k: (color(k), color(k)))
native("color_normalize", COLOR, lambda k: (color(k),))
native("color_tint", COLOR, lambda k: (color(k), color(k)))
native("color_fade", COLOR, lambda k: (color(k), 0.5, 1))
native("color_to_int", COLOR, lambda k: (color(k), 1))
entry("color_fade override", COLOR_CONSUMER("fade"),
      lambda k: lambda result: k.consumer.color_fade(overriding_color(k, result), 0.5, 0), constant((None,)),
      params=("override",))
entry("color_to_int override", COLOR_CONSUMER("to_int"),
      lambda k: lambda result: k.consumer.color_to_int(overriding_color(k, result), 0), constant((7,)),
      params=("override",))

COLORS = ("colors", "color", "vector4")
entry("Colors()", COLORS, lambda k: k.Colors, signature=True)
entry("Colors.__new__", COLORS, lambda k: lambda: k.Colors.__new__(k.Colors))
entry("Colors.__init__ again", COLORS, lambda k: k.Colors().__init__, signature=True)
for _name in ("AliceBlue", "Red", "YellowGreen"):
    entry(f"Colors.{_name} get", COLORS, lambda k, a=_name: lambda: getattr(k.colors, a))
    entry(f"Colors.{_name} set", COLORS, lambda k, a=_name: lambda value: setattr(k.Colors(), a, value),
          lambda k: (k.Color(1, 2, 3),))
    entry(f"Colors.{_name} del", COLORS, lambda k, a=_name: lambda: delete_attribute(k.Colors(), a))
entry("Colors.Red get (fresh object)", COLORS, lambda k: lambda: k.Colors.__new__(k.Colors).Red)
entry("pickle.dumps(Colors)", COLORS, lambda k: lambda: pickle.dumps(k.colors), raises=TypeError)


# --- parser capsules, through the consumer -----------------------------------------------------

PARSER = ("parser", "vector2", "vector4", "color", "rect")
entry("parse_vector2_like", PARSER + ("consumer.parser_vector2_like",), lambda k: k.consumer.parser_vector2_like,
      constant(((1.0, 2.0),)), isolate=True)
entry("parse_vector2_like(Vector2)", PARSER + ("consumer.parser_vector2_like",),
      lambda k: lambda: k.consumer.parser_vector2_like(k.Vector2(1, 2)))
entry("parse_vector2_like(items)", PARSER + ("consumer.parser_vector2_like",),
      lambda k: lambda a, b: (k.consumer.parser_vector2_like((a, b)), k.consumer.parser_vector2_like(Sequence([a, b]))),
      constant((1.0, 2.0)), isolate=True)
entry("parse_rect_like", PARSER + ("consumer.parser_rect_like",), lambda k: k.consumer.parser_rect_like,
      constant(((1.0, 2.0, 3.0, 4.0),)), isolate=True)
entry("parse_rect_like(Rect)", PARSER + ("consumer.parser_rect_like",),
      lambda k: lambda: k.consumer.parser_rect_like(rect(k)))
entry("parse_rect_like(items)", PARSER + ("consumer.parser_rect_like",),
      lambda k: lambda *v: (k.consumer.parser_rect_like(list(v)), k.consumer.parser_rect_like(Sequence(v))),
      constant((1.0, 2.0, 3.0, 4.0)), isolate=True)
entry("parse_color_like", PARSER + ("consumer.parser_color_like",), lambda k: k.consumer.parser_color_like,
      constant(((1, 2, 3),)), isolate=True)
entry("parse_color_like(Color)", PARSER + ("consumer.parser_color_like",),
      lambda k: lambda: k.consumer.parser_color_like(color(k)))
entry("parse_color_like(items)", PARSER + ("consumer.parser_color_like",),
      lambda k: lambda *v: (k.consumer.parser_color_like(tuple(v)), k.consumer.parser_color_like(Sequence(v))),
      constant((1, 2, 3, 4)), isolate=True)


# --- resources: texture, image, canvas, audio, letter ---------------------------------------------

RESOURCE = dict(isolate=True, extra=(RuntimeError,))

entry("Image()", "image", lambda k: k.Image, signature=True, **RESOURCE)
method("image", lambda k: k.Image, "gen_color", constant((2, 3)), names=("width", "height"), label="Image.",
       params=("size", "size"), **RESOURCE)
for _name in ("width", "height", "mipmaps", "format", "is_owner"):
    entry(f"Image.{_name}", "image", lambda k, a=_name: lambda: getattr(k.Image.gen_color(2, 2), a), **RESOURCE)
entry("pickle.dumps(Image)", "image", lambda k: lambda: pickle.dumps(k.Image.gen_color(1, 1)), raises=TypeError,
      **RESOURCE)

TEXTURE = ("texture", "image")
entry("Texture()", TEXTURE, lambda k: k.Texture, signature=True, **RESOURCE)
method(TEXTURE, lambda k: k.Texture, "load", constant(("/nonexistent/korvex.png",)), names=("file_name",),
       raises=RuntimeError, label="Texture.", window=True, **RESOURCE)
method(TEXTURE, lambda k: k.Texture, "load_from_image", lambda k: (k.Image.gen_color(2, 2),), names=("image",),
       label="Texture.", window=True, **RESOURCE)
method(TEXTURE, lambda k: k.Texture.load_from_image(k.Image.gen_color(2, 2)), "unload", label="Texture.",
       window=True, **RESOURCE)
for _name in ("id", "width", "height", "mipmaps", "format", "is_owner"):
    entry(f"Texture.{_name}", TEXTURE, lambda k, a=_name: lambda: getattr(k.Texture(), a), **RESOURCE)
entry("pickle.dumps(Texture)", TEXTURE, lambda k: lambda: pickle.dumps(k.Texture()), raises=TypeError, **RESOURCE)

CANVAS = ("canvas", "texture", "image")


def render_texture(k):
    return k.RenderTexture(8, 4)


entry("RenderTexture(width, height)", CANVAS, lambda k: k.RenderTexture, constant((8, 4)), names=("width", "height"),
      signature=True, window=True, params=("size", "size"), **RESOURCE)
entry("RenderTexture.__new__", CANVAS, lambda k: lambda: k.RenderTexture.__new__(k.RenderTexture), **RESOURCE)
entry("RenderTexture.__init__ again", CANVAS, lambda k: lambda *v: render_texture(k).__init__(*v), constant((2, 2)),
      window=True, **RESOURCE)
for _name in ("begin", "end", "unload", "__enter__"):
    method(CANVAS, render_texture, _name, label="RenderTexture.", window=True, **RESOURCE)
method(CANVAS, render_texture, "__exit__", constant((None, None, None)), names=("exc_type", "exc_val", "exc_tb"),
       label="RenderTexture.", window=True, **RESOURCE)
for _name in ("id", "texture", "depth", "valid"):
    entry(f"RenderTexture.{_name}", CANVAS, lambda k, a=_name: lambda: getattr(render_texture(k), a), window=True,
          **RESOURCE)
    entry(f"RenderTexture.{_name} (not loaded)", CANVAS,
          lambda k, a=_name: lambda: getattr(k.RenderTexture.__new__(k.RenderTexture), a), **RESOURCE)
entry("with RenderTexture", CANVAS, lambda k: lambda: render_texture(k).__enter__().__exit__(None, None, None),
      window=True, **RESOURCE)
entry("pickle.dumps(RenderTexture)", CANVAS, lambda k: lambda: pickle.dumps(k.RenderTexture.__new__(k.RenderTexture)),
      raises=TypeError, **RESOURCE)
CANVAS_CONSUMER = lambda name: CANVAS + (f"consumer.canvas_{name}",)  # noqa: E731
native("canvas_new", CANVAS, constant((8, 4)), window=True, **RESOURCE)
for _name in ("begin", "end"):
    native(f"canvas_{_name}", CANVAS, lambda k: (render_texture(k), 1), window=True, **RESOURCE)
    entry(f"canvas_{_name} override", CANVAS_CONSUMER(_name),
          lambda k, a=_name: lambda result: getattr(k.consumer, f"canvas_{a}")(_overriding_rt(k, result), 0),
          constant((None,)), params=("override",), window=True, **RESOURCE)
native("canvas_unload", CANVAS, lambda k: (render_texture(k),), window=True, **RESOURCE)
native("canvas_raw", CANVAS, lambda k: (k.RenderTexture.__new__(k.RenderTexture),), **RESOURCE)
# Texture's and Image's native constructors, not owning (an owning one would
# unload or free what it was handed), with and without the option record.
for _count in (-1, 0, 1):
    native("canvas_texture_new", CANVAS, constant((0, 2, 2, 1, 7, _count, 0)), id=f"Texture.__pyx_new count {_count}",
           **RESOURCE)
    native("letter_image_new", ("letter", "image"), constant((2, 3, _count, 0)), id=f"Image.__pyx_new count {_count}",
           **RESOURCE)


def _overriding_rt(k, result):
    target = k.OverridingRenderTexture(4, 4)
    target.result = result
    return target


AUDIO = dict(extra=(pickle.PickleError,))
entry("Audio()", "audio", lambda k: k.Audio, signature=True, **AUDIO)
entry("Audio.ready", "audio", lambda k: lambda: k.Audio().ready, **AUDIO)
entry("Audio.ready set", "audio", lambda k: lambda value: setattr(k.Audio(), "ready", value), constant((True,)),
      raises=AttributeError, **AUDIO)
entry("Audio.master_volume get", "audio", lambda k: lambda: k.Audio().master_volume, **AUDIO)
entry("Audio.master_volume set", "audio", lambda k: lambda value: setattr(k.Audio(), "master_volume", value),
      constant((1.0,)), **AUDIO)
entry("Audio.master_volume del", "audio", lambda k: lambda: delete_attribute(k.Audio(), "master_volume"),
      raises=NotImplementedError, **AUDIO)
entry("Audio.init and close", "audio", lambda k: lambda: (k.Audio().init(), k.Audio().close()), iterations=4,
      isolate=True, **AUDIO)
method("audio", lambda k: k.Audio, "init", raises=TypeError, label="Audio.(class) ", **AUDIO)
method("audio", lambda k: k.Audio(), "close", label="Audio.", isolate=True, **AUDIO)
pickling_hooks("audio", lambda k: k.Audio(), "Audio.", **AUDIO)
entry("pickle round trip Audio", "audio", lambda k: lambda: pickle.loads(pickle.dumps(k.Audio())), **AUDIO)
entry("__pyx_unpickle_Audio", "audio", lambda k: k.unpickle_audio, lambda k: (k.Audio, 0xE3B0C44, ()),
      names=("__pyx_type", "__pyx_checksum", "__pyx_state"), signature=True, **AUDIO)

LETTER = ("letter", "image")
entry("GlyphInfo(...)", LETTER, lambda k: k.GlyphInfo, constant((1, 2)), **RESOURCE)
entry("GlyphInfo(keyword)", LETTER, lambda k: lambda value: k.GlyphInfo(value=value), constant((1,)), **RESOURCE)
entry("pickle.dumps(GlyphInfo)", LETTER, lambda k: lambda: pickle.dumps(k.GlyphInfo()), raises=TypeError, **RESOURCE)
# The resource types' own pickling hooks refuse, as pickle.dumps does.
for _label, _needs, _owner in (
    ("Image.", "image", lambda k: k.Image()), ("Texture.", TEXTURE, lambda k: k.Texture()),
    ("RenderTexture.", CANVAS, lambda k: k.RenderTexture.__new__(k.RenderTexture)),
    ("GlyphInfo.", LETTER, lambda k: k.GlyphInfo()),
):
    pickling_hooks(_needs, _owner, _label, ("__reduce__", "__setstate__"), raises=TypeError, **RESOURCE)
native("letter_new", LETTER, constant((65, 1, -2, 7, 4, 6)), **RESOURCE)
entry("letter_fields", LETTER + ("consumer.letter_fields", "consumer.letter_new"),
      lambda k: lambda: k.consumer.letter_fields(k.consumer.letter_new(65, 1, -2, 7, 4, 6)), **RESOURCE)
entry("Image.__pyx_new owning", ("letter", "image", "consumer.letter_image_new", "consumer.letter_image_data"),
      lambda k: lambda: k.consumer.letter_image_data(k.consumer.letter_image_new(2, 3, 1, 1)), **RESOURCE)
entry("parser_reimport", PARSER + ("consumer.parser_reimport",), lambda k: k.consumer.parser_reimport)


# --- window, draw, and the Image functions that read pixels back ---------------------------------
# Everything runs with the session's hidden window; nothing here closes it
# or opens a second one (init_window raises while one is open).

WINDOWED = dict(isolate=True, extra=(RuntimeError,), window=True)


def function(module, name):
    return lambda k: getattr(load(module), name)


def module_entry(module, name, good=lambda k: (), names=(), **options):
    """A module function taking the good values, documented by `names`."""
    options.setdefault("signature", True)
    entry(name, (module,), options.pop("make", function(module, name)), good, names=names, **{**WINDOWED, **options})


def then(module, name, reset):
    """The module function, followed by `reset` (a call of the same module)
    that undoes what it set, so that the sweeps leave raylib as it was."""
    def make(k):
        fn = getattr(load(module), name)

        def call(*args, **kwargs):
            try:
                return fn(*args, **kwargs)
            finally:
                reset(load(module))
        return call
    return make


for _name in ("is_window_ready", "window_should_close", "get_fps", "get_frame_time", "get_time", "get_screen_width",
              "get_screen_height", "get_key_pressed", "get_char_pressed", "get_mouse_position", "get_mouse_delta",
              "get_mouse_wheel_move", "begin_drawing", "end_drawing", "end_blend_mode", "drawing"):
    module_entry("window", _name)
module_entry("window", "init_window", constant((64, 64, "korvex")), ("width", "height", "title"), raises=RuntimeError,
             params=("size", "size", "any"))
module_entry("window", "close_window", make=lambda k: lambda *args, **kwargs: (
    load("window").close_window(*args, **kwargs) if args or kwargs else None))
module_entry("window", "set_config_flags", constant((0,)), ("flags",), raises=RuntimeError)
module_entry("window", "set_target_fps", constant((0,)), ("fps",), make=then("window", "set_target_fps",
                                                                              lambda w: w.set_target_fps(0)))
module_entry("window", "set_trace_log_level", constant((4,)), ("level",),
             make=then("window", "set_trace_log_level", lambda w: w.set_trace_log_level(4)))
module_entry("window", "take_screenshot", constant(("/nonexistent/korvex.png",)), ("path",))
module_entry("window", "clear_background", constant(((1, 2, 3),)), ("color",))
module_entry("window", "begin_blend_mode", constant((0,)), ("mode",),
             make=then("window", "begin_blend_mode", lambda w: w.end_blend_mode()))
module_entry("window", "set_blend_factors_separate", constant((770, 771, 1, 771, 32774, 32774)),
             ("src_rgb", "dst_rgb", "src_alpha", "dst_alpha", "eq_rgb", "eq_alpha"))
for _name in ("is_key_down", "is_key_pressed", "is_key_released", "is_key_up"):
    module_entry("window", _name, constant((65,)), ("key",))
for _name in ("is_mouse_button_down", "is_mouse_button_pressed", "is_mouse_button_released"):
    module_entry("window", _name, constant((0,)), ("button",))
method("window", lambda k: k.Frame(), "__enter__", label="Frame.", **WINDOWED)
method("window", lambda k: k.Frame(), "__exit__", constant((None, None, None)), names=("exc_type", "exc_val", "exc_tb"),
       label="Frame.", **WINDOWED)
entry("with drawing()", "window", lambda k: lambda: load("window").drawing().__enter__().__exit__(None, None, None),
      **WINDOWED)

DRAWN = (
    ("draw_pixel_v", ((1, 2), (1, 2, 3)), ("position", "color")),
    ("draw_line_v", ((1, 2), (3, 4), (1, 2, 3)), ("start", "end", "color")),
    ("draw_line_ex", ((1, 2), (3, 4), 2.0, (1, 2, 3)), ("start", "end", "thick", "color")),
    ("draw_circle_v", ((1, 2), 3.0, (1, 2, 3)), ("center", "radius", "color")),
    ("draw_circle_lines_v", ((1, 2), 3.0, (1, 2, 3)), ("center", "radius", "color")),
    ("draw_rectangle_rec", ((1, 2, 3, 4), (1, 2, 3)), ("rect", "color")),
    ("draw_rectangle_lines_ex", ((1, 2, 3, 4), 1.0, (1, 2, 3)), ("rect", "thick", "color")),
    ("draw_rectangle_pro", ((1, 2, 3, 4), (1, 1), 30.0, (1, 2, 3)), ("rect", "origin", "rotation", "color")),
    ("draw_triangle", ((1, 2), (1, 5), (5, 5), (1, 2, 3)), ("v1", "v2", "v3", "color")),
    ("draw_poly", ((4, 4), 6, 3.0, 0.0, (1, 2, 3)), ("center", "sides", "radius", "rotation", "color")),
    ("draw_text", ("korvex", 1, 2, 10, (1, 2, 3)), ("text", "x", "y", "font_size", "color")),
    ("measure_text", ("korvex", 10), ("text", "font_size")),
    ("draw_fps", (1, 2), ("x", "y")),
    ("draw_rectangles", ([(1, 2, 3, 4), (5, 6, 7, 8)], [(1, 2, 3), (4, 5, 6)]), ("rects", "colors")),
    ("draw_circles", (((1, 2), (3, 4)), 2.0, (1, 2, 3)), ("centers", "radius", "colors")),
    ("draw_pixels", ([(1, 2), (3, 4)], (1, 2, 3)), ("points", "colors")),
)
for _name, _good, _names in DRAWN:
    module_entry("draw", _name, constant(_good), _names)
module_entry("draw", "draw_rectangles (objects)", lambda k: ([k.Rect(1, 2, 3, 4)] * 3, k.Color(1, 2, 3)),
             ("rects", "colors"), make=function("draw", "draw_rectangles"))


def texture(k):
    return k.Texture.load_from_image(k.Image.gen_color(2, 2))


module_entry("draw", "draw_texture_v", lambda k: (texture(k), (1, 2), (255, 255, 255)), ("texture", "position", "tint"))
module_entry("draw", "draw_texture_rec", lambda k: (texture(k), (0, 0, 2, 2), (1, 2), (255, 255, 255)),
             ("texture", "source", "position", "tint"))
module_entry("draw", "draw_texture_pro", lambda k: (texture(k), (0, 0, 2, 2), (1, 1, 4, 4), (0, 0), 45.0,
                                                     (255, 255, 255)),
             ("texture", "source", "dest", "origin", "rotation", "tint"))

module_entry("image", "load_image_from_texture", lambda k: (texture(k),), ("texture",))
module_entry("image", "image_flip_vertical", lambda k: (k.Image.gen_color(2, 3),), ("image",), window=False)
module_entry("image", "get_image_color", lambda k: (k.Image.gen_color(2, 2), 1, 1), ("image", "x", "y"),
             window=False)
module_entry("image", "export_image", lambda k: (k.Image.gen_color(1, 1), "/nonexistent/korvex.png"),
             ("image", "path"), window=False)


def by_id():
    seen = {}
    for e in ENTRIES:
        assert e.id not in seen, f"duplicate entry id {e.id}"
        seen[e.id] = e
    return seen


BY_ID = by_id()


# --- calling -----------------------------------------------------------------------------------

EXTRA = object()  # an argument too many


def call_variants(e, k):
    """(label, thunk) pairs: the good call, every argument replaced by every
    sample, the count and keyword errors.  Each thunk returns normally or
    raises; the caller decides what is acceptable."""
    fn = e.make(k)
    good = e.good(k)
    variants = [("ok", lambda: fn(*good))]
    for i, kind in enumerate(e.kinds(k)):
        if kind == "fixed":
            continue
        if kind == "override":
            samples = OVERRIDE_RESULTS
        elif kind.endswith("-only"):
            samples = SEQUENCE_SAMPLES[kind[: -len("-only")]]
        else:
            samples = SAMPLES + SEQUENCE_SAMPLES.get(kind, ())
        for j, sample in enumerate(samples):
            def thunk(i=i, sample=sample):
                values = list(e.good(k))
                values[i] = sample
                return fn(*values)
            variants.append((f"arg{i}={type(sample).__name__}#{j}", thunk))
    if e.signature:
        variants.append(("one too many", lambda: fn(*good, EXTRA)))
        if good:
            variants.append(("one too few", lambda: fn(*good[:-1])))
        variants.append(("unknown keyword", lambda: fn(*good, bogus=1)))
        if e.names:
            variants.append(("by keyword", lambda: fn(**dict(zip(e.names, good)))))
            variants.append(("twice", lambda: fn(*good, **{e.names[0]: good[0]})))
            variants.append(("odd keyword", lambda: fn(*good, **{"\udcff": 1})))
    return variants


# Extra samples for parameters that the entry requires to be a tuple or a
# list: wrong lengths and hostile contents of the right type.
SEQUENCE_SAMPLES = {
    "tuple": ((), (1.0,), (1.0, "a"), (None,) * 4, (RaisingNumber(),) * 4, (2**1000,) * 4, (1.0,) * 7),
    "list": ([], [1.0], [1.0, "a"], [None] * 4, [RaisingNumber()] * 4, [2**1000] * 4, [1.0] * 7),
    "seq": ((), (1.0,), [None] * 2, (RaisingNumber(),) * 4, LyingList([], 4), LyingTuple((), 4), LyingList([1], 2),
            LyingTuple((1, 2), 3), WrongLength([1, 2], 2**70), WrongLength([], "2")),
    # Sizes: zero, negative, past the 32-bit range, larger than a GL texture.
    # (The largest 32-bit sizes are left to the hostile sweep, which runs
    # the resource modules in a subprocess.)
    "size": (0, -1, 2**31, 100000),
}


def abbreviated(text, keep=4000):
    """The beginning and the end of a long output (a sanitizer report starts
    with what went wrong and ends with where)."""
    if len(text) <= 2 * keep:
        return text
    return f"{text[:keep]}\n[... {len(text) - 2 * keep} characters ...]\n{text[-keep:]}"
