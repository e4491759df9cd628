"""help() and inspect.signature for every public module, method and property
of the catalogue (entry_points.namespace()).

The classes themselves carry no docstring, and neither do the swizzle
properties (one per word of component letters); the module's docstring
describes the class.  Every other one has a docstring that starts with a one-line summary and is folded
to fit a terminal.  Every method and constructor has a working signature, and its
parameters are the ones the callable accepts: called with all of them by
keyword plus one unknown keyword, it must complain about the unknown one
only, and one positional argument more than it lists must be refused.
"""

import inspect
import re
import types

import pytest

import entry_points as E
from support import raises_exactly

WIDTH = 72
BOGUS = "korvex_bogus"
CALLABLE_KINDS = (types.MethodDescriptorType, types.BuiltinFunctionType, staticmethod)
DESCRIBED_KINDS = CALLABLE_KINDS + (types.GetSetDescriptorType,)


def _classes():
    k = E.namespace()
    found = {v for v in vars(k).values() if isinstance(v, type) and v.__module__.startswith("korvex.")}
    return sorted(found, key=lambda cls: cls.__qualname__)


def is_swizzle(cls, name):
    """A word of two or more component letters on a vector class."""
    return len(name) > 1 and set(name) <= set("xyzw") and hasattr(cls, "get_tuple")


def _members():
    """(label, owner, name, attribute) for every described attribute: the
    methods, static methods and properties of the classes, and the functions
    of the modules."""
    members = []
    for cls in _classes():
        for name, attr in vars(cls).items():
            if isinstance(attr, DESCRIBED_KINDS) and name != "__new__" and not is_swizzle(cls, name):
                members.append((f"{cls.__name__}.{name}", cls, name, attr))
    for module_name in E.MODULES:
        module = E.load(module_name)
        for name, attr in vars(module).items():
            if isinstance(attr, types.BuiltinFunctionType):
                members.append((f"{module_name}.{name}", module, name, attr))
    return members


CLASSES = _classes()
MEMBERS = _members()
CALLABLES = [m for m in MEMBERS if isinstance(m[3], CALLABLE_KINDS)]


def check_docstring(doc):
    assert doc, "no docstring"
    assert "\n--\n\n" not in doc, "the signature head was not recognised"
    summary = doc.split("\n\n")[0]
    assert "\n" not in summary, f"the summary takes more than one line: {summary!r}"
    assert summary.strip() and summary[0].isupper(), f"summary {summary!r}"
    too_long = [line for line in doc.splitlines() if len(line) > WIDTH]
    assert not too_long, f"lines wider than {WIDTH}: {too_long}"


def check_accepts(call, signature):
    """`call` accepts exactly the parameters of `signature` (see the module
    docstring)."""
    kinds = {p.kind for p in signature.parameters.values()}
    if inspect.Parameter.VAR_KEYWORD in kinds:
        return  # takes anything
    named = [
        p.name for p in signature.parameters.values()
        if p.kind in (inspect.Parameter.POSITIONAL_OR_KEYWORD, inspect.Parameter.KEYWORD_ONLY)
    ]
    with raises_exactly(TypeError, None) as keyword_error:
        call(**dict.fromkeys(named, object()), **{BOGUS: object()})
    if named:
        message = str(keyword_error.value)
        assert message.endswith(f"got an unexpected keyword argument '{BOGUS}'"), f"{named} not all accepted: {message}"
    if inspect.Parameter.VAR_POSITIONAL not in kinds:
        positional = [p for p in signature.parameters.values() if p.kind != inspect.Parameter.KEYWORD_ONLY]
        with raises_exactly(TypeError, None) as count_error:
            call(*[object()] * (len(positional) + 1))
        assert re.search("takes .*argument", str(count_error.value)), count_error.value


def test_catalogue_is_covered():
    # A walk that found nothing would pass every test below.
    assert len(CLASSES) >= 11 and len(CALLABLES) >= 100 and len(MEMBERS) >= 300


@pytest.mark.parametrize("name", E.MODULES)
def test_module_docstring(name):
    check_docstring(E.load(name).__doc__)


@pytest.mark.parametrize("cls", CLASSES, ids=lambda cls: cls.__name__)
def test_class_has_no_docstring(cls):
    assert cls.__doc__ is None


def test_swizzles_have_no_docstring():
    swizzles = [
        (cls, name) for cls in CLASSES for name, attr in vars(cls).items()
        if isinstance(attr, types.GetSetDescriptorType) and is_swizzle(cls, name)
    ]
    assert len(swizzles) == 4 + 27 + 256
    assert all(getattr(cls, name).__doc__ is None for cls, name in swizzles)


@pytest.mark.parametrize("label, owner, name, attr", MEMBERS, ids=[m[0] for m in MEMBERS])
def test_member_docstring(label, owner, name, attr):
    check_docstring(getattr(owner, name).__doc__)


@pytest.mark.parametrize("label, owner, name, attr", CALLABLES, ids=[m[0] for m in CALLABLES])
def test_signature_names_what_is_accepted(label, owner, name, attr):
    if isinstance(owner, types.ModuleType) or isinstance(attr, staticmethod):
        call = getattr(owner, name)
    else:
        # An instance made without __init__: nothing is loaded or opened, and
        # every call below fails in its argument check anyway.
        call = getattr(owner.__new__(owner), name)
    signature = inspect.signature(call)
    assert not any(p.name.startswith("$") for p in signature.parameters.values())
    check_accepts(call, signature)


def test_help_shows_parameters_and_rules():
    rect = E.load("rect").Rect
    text = inspect.getdoc(rect.collide_point)
    assert str(inspect.signature(rect(0, 0, 1, 1).collide_point)) == "(point)"
    assert "border" in text and "ValueError" in text
    assert str(inspect.signature(E.load("color").Color.fade)) == "(self, /, alpha)"
    assert re.search(r"\(x, y\)$", str(inspect.signature(E.load("vector2").Vector2.from_xy)))
