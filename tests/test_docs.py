"""help() and inspect.signature for every public module, method and property
of the catalogue (entry_points.namespace()); and every public class, method,
function and property of the built modules has a stub and a catalogue entry.

The classes themselves carry no docstring, and neither do the swizzle
properties (one per word of component letters); the module's docstring
describes the class.  Every other one has a docstring that starts with a one-line summary and is folded
to fit a terminal.  Every method and constructor has a working signature, and its
parameters are the ones the callable accepts: called with all of them by
keyword plus one unknown keyword, it must complain about the unknown one
only, and one positional argument more than it lists must be refused.
"""

import ast
import inspect
import re
import types
from pathlib import Path

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


# --- the stubs and the catalogue keep up with the modules ----------------------------------------

STUBS = Path(__file__).resolve().parent.parent / "stubs" / "korvex"


def stub_names(module_name):
    """{"": names declared at the stub's top level, class name: names declared in its body}."""
    path = STUBS / module_name / f"{module_name}.pyi"
    assert path.is_file(), f"no stub {path.name}"

    def declared(body):
        return {node.target.id if isinstance(node, ast.AnnAssign) else node.name for node in body
                if isinstance(node, (ast.FunctionDef, ast.ClassDef, ast.AnnAssign))}

    tree = ast.parse(path.read_text())
    return {"": declared(tree.body)} | {n.name: declared(n.body) for n in tree.body if isinstance(n, ast.ClassDef)}


def in_family(cls, name):
    """Members made from one table, which the catalogue samples: the vector
    swizzles and the palette's colours."""
    palette = cls.__name__ == "Colors" and isinstance(vars(cls)[name], types.GetSetDescriptorType)
    return is_swizzle(cls, name) or palette


def public_members(module):
    """(owner class or None, name) for the module's functions and classes, and
    the methods and properties of the classes (one per family of members)."""
    found = []
    for name, value in vars(module).items():
        if isinstance(value, types.BuiltinFunctionType):
            found.append((None, name))
        elif isinstance(value, type) and value.__module__ == module.__name__:
            found.append((None, name))
            families = set()
            for attr, member in vars(value).items():
                if isinstance(member, DESCRIBED_KINDS) and attr != "__new__":
                    if not in_family(value, attr):
                        found.append((value, attr))
                    elif is_swizzle(value, attr) not in families:
                        families.add(is_swizzle(value, attr))
                        found.append((value, attr))
    return found


def catalogued(owner, name, ids):
    if owner is None:
        pattern = rf"^{name}\(|(^|\W){name}(\W|$)"
    elif in_family(owner, name):
        pattern = rf"^{owner.__name__}\.({'[xyzw]{2,}' if is_swizzle(owner, name) else '[A-Z]'})"
    else:
        pattern = rf"(^|[\s(]){owner.__name__}\.(\(class\) )?{re.escape(name)}(\W|$)"
    return any(re.search(pattern, entry_id) for entry_id in ids)


@pytest.mark.parametrize("module_name", E.MODULES)
def test_every_public_member_has_a_stub_and_a_catalogue_entry(module_name):
    """The entry is what the hostile, leak and allocation-failure sweeps reach it through."""
    stubs, ids = stub_names(module_name), [e.id for e in E.ENTRIES]
    members = public_members(E.load(module_name))
    no_stub = [f"{owner.__name__}.{name}" if owner else name for owner, name in members
               if name not in stubs.get(owner.__name__ if owner else "", ())]
    no_entry = [f"{owner.__name__}.{name}" if owner else name for owner, name in members
                if not catalogued(owner, name, ids)]
    assert (no_stub, no_entry) == ([], []), f"without a stub: {no_stub}; without a catalogue entry: {no_entry}"
