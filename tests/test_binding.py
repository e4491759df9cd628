"""Module-level behaviour shared by every korvex module, through vector2 and the
test-only consumer module: initialisation, publication of the native table,
pickling hooks, the one-interpreter rule, and binding to another module's type."""

import builtins
import datetime
import importlib
import sys
import textwrap
import types
import warnings

import pytest

import korvex_consumer as consumer
from korvex.vector2 import vector2 as vector2_module
from korvex.vector2.vector2 import Vector2
from support import IMPORT_WITH_A_NON_TYPE, capsule_name, capsule_pointer, python_output, raises_exactly

NAME = "korvex.vector2.vector2"
SIZE_TEXT = "{}.{} size changed, may indicate binary incompatibility. Expected {} from C header, got {} from PyObject"
ONE_INTERPRETER = "Interpreter change detected - this module can only be loaded into one interpreter per process."


@pytest.fixture
def fake_module():
    """A module registered in sys.modules under a throwaway name."""
    created = []

    def make(name, **attributes):
        module = types.ModuleType(name)
        vars(module).update(attributes)
        sys.modules[name] = module
        created.append(name)
        return name

    yield make
    for name in created:
        sys.modules.pop(name, None)


# ---------------------------------------------------------------------------
# Initialisation
# ---------------------------------------------------------------------------


def test_module_attributes_after_import():
    m = vector2_module
    assert m.__name__ == NAME
    assert sys.modules[NAME] is m
    assert m.__test__ == {}
    assert m.__builtins__ is builtins.__dict__ or m.__builtins__ is builtins
    assert m.__package__ == "korvex.vector2"
    assert m.__loader__ is m.__spec__.loader
    assert m.__file__ == m.__spec__.origin
    assert not hasattr(m, "__path__")  # no submodule search locations
    assert not hasattr(m, "__pyx_capi__")  # vector2 exports no functions


def test_importing_again_returns_the_same_module_without_rerunning_exec():
    m = vector2_module
    m.__test__["marker"] = 1  # exec would replace __test__ with a new dict
    try:
        assert importlib.import_module(NAME) is m
        assert importlib.reload(m) is m
        assert m.__test__ == {"marker": 1}
        assert m.Vector2 is Vector2
        # Even when the import system is asked to load it anew, the module
        # object of the process comes back and exec does nothing.
        saved = sys.modules.pop(NAME)
        try:
            again = importlib.import_module(NAME)
            assert again is m
            assert again.__test__ == {"marker": 1}
        finally:
            sys.modules[NAME] = saved
    finally:
        m.__test__.pop("marker")


def test_fresh_process_import_registers_the_full_name():
    out = python_output(
        """
        import sys
        from korvex.vector2 import vector2
        import korvex.vector2.vector2 as again
        print(vector2 is again, sys.modules["korvex.vector2.vector2"] is vector2, vector2.__test__)
        """
    )
    assert out.split() == ["True", "True", "{}"]


def test_create_copies_the_spec_attributes():
    # loader, origin and parent are copied even when None; the search
    # locations only when they are not None.
    out = python_output(
        """
        import _imp, importlib.util

        found = importlib.util.find_spec("korvex.vector4.vector4")

        class Spec:
            name = found.name
            origin = found.origin
            loader = None
            parent = None
            submodule_search_locations = ["somewhere"]

        m = _imp.create_dynamic(Spec())
        print(m.__name__, m.__loader__, m.__package__, m.__path__, m.__file__ == found.origin)
        Spec.submodule_search_locations = None
        Spec.loader = found.loader
        Spec.parent = "pkg"
        other = _imp.create_dynamic(Spec())
        print(hasattr(other, "__path__"), other.__loader__ is found.loader, other.__package__)
        """
    )
    assert out.splitlines() == ["korvex.vector4.vector4 None None ['somewhere'] True", "False True pkg"]


def test_exec_on_a_second_module_object_is_refused():
    out = python_output(
        """
        import _imp, importlib.util, sys

        spec = importlib.util.find_spec("korvex.vector4.vector4")
        first = _imp.create_dynamic(spec)
        second = _imp.create_dynamic(spec)
        print(first is second)
        _imp.exec_dynamic(first)
        _imp.exec_dynamic(first)  # again on the same object: nothing happens
        try:
            _imp.exec_dynamic(second)
        except RuntimeError as error:
            print(error)
        print(sys.modules["korvex.vector4.vector4"] is first, hasattr(second, "Vector4"))
        # Once exec has run, creation hands back the module of the process.
        print(_imp.create_dynamic(spec) is first)
        """
    )
    assert out.splitlines() == [
        "False",
        "Module 'vector4' has already been imported. Re-initialisation is not supported.",
        "True False",
        "True",
    ]


def test_consumer_module_follows_the_same_scaffolding():
    assert consumer.__name__ == "korvex_consumer"
    assert sys.modules["korvex_consumer"] is consumer
    assert consumer.__test__ == {}
    assert importlib.reload(consumer) is consumer


# ---------------------------------------------------------------------------
# One interpreter per process
# ---------------------------------------------------------------------------


def test_second_interpreter_is_refused():
    out = python_output(
        f"""
        from concurrent import interpreters
        import korvex.vector2.vector2 as main_copy
        for name in ["korvex.vector2.vector2", "korvex_consumer"]:
            interp = interpreters.create()
            try:
                interp.exec("import " + name)
            except interpreters.ExecutionFailed as error:
                print(error.excinfo.type.__name__, "|", error.excinfo.msg)
            else:
                print("imported")
            interp.close()
        print(main_copy.Vector2(1, 2) + main_copy.Vector2(3, 4))
        """
    )
    assert out.splitlines() == [
        f"ImportError | {ONE_INTERPRETER}",
        f"ImportError | {ONE_INTERPRETER}",
        "Vector2(4.0, 6.0)",
    ]


def test_first_interpreter_keeps_the_module():
    out = python_output(
        """
        import _interpreters
        interp = _interpreters.create()
        failure = _interpreters.exec(interp, "import korvex.vector2.vector2 as m; m.Vector2(1, 2)")
        print(failure)
        _interpreters.destroy(interp)
        try:
            import korvex.vector2.vector2
        except ImportError as error:
            print(type(error).__name__, "|", error)
        """
    )
    assert out.splitlines() == ["None", f"ImportError | {ONE_INTERPRETER}"]


# ---------------------------------------------------------------------------
# Publication of the type and its native table
# ---------------------------------------------------------------------------


def test_native_table_capsule():
    capsule = Vector2.__dict__["__pyx_vtable__"]
    assert type(capsule).__name__ == "PyCapsule"
    assert capsule_name(capsule) is None
    address = capsule_pointer(capsule)
    assert address
    # The consumer bound the very same table at its import.
    found, table = consumer.binding_probe(NAME, "Vector2", consumer.binding_vector2_size())
    assert found is Vector2
    assert table == address


def test_pickling_hooks_installed():
    d = Vector2.__dict__
    assert "__reduce__" in d and "__setstate__" in d
    assert "__reduce_korvex__" not in d and "__setstate_korvex__" not in d
    assert not hasattr(Vector2, "__reduce_korvex__")
    assert not hasattr(Vector2, "__setstate_korvex__")
    v = Vector2(1, 2)
    name = Vector2.__setstate__.__name__
    raises_exactly(TypeError, f"{name}() takes exactly 1 positional argument (0 given)", v.__setstate__)
    raises_exactly(TypeError, f"{name}() takes exactly 1 positional argument (2 given)", v.__setstate__, 1, 2)
    with raises_exactly(TypeError, "Pickling of struct members such as self.data must be explicitly requested with "
                                   "the build option KORVEX_PICKLE_STRUCTS"):
        v.__setstate__(None)


# ---------------------------------------------------------------------------
# Binding to another module's type
# ---------------------------------------------------------------------------


def test_bind_exact_size():
    size = consumer.binding_vector2_size()
    assert size == Vector2.__basicsize__
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        found, table = consumer.binding_probe(NAME, "Vector2", size)
    assert found is Vector2 and table


def test_bind_smaller_type_fails():
    size = consumer.binding_vector2_size()
    raises_exactly(
        ValueError, SIZE_TEXT.format(NAME, "Vector2", size + 1, size), consumer.binding_probe, NAME, "Vector2", size + 1
    )


def test_bind_larger_type_warns():
    size = consumer.binding_vector2_size()
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        found, table = consumer.binding_probe(NAME, "Vector2", size - 8)
    assert found is Vector2 and table
    assert [(w.category, str(w.message)) for w in caught] == [
        (RuntimeWarning, SIZE_TEXT.format(NAME, "Vector2", size - 8, size))
    ]
    with warnings.catch_warnings():
        warnings.simplefilter("error", RuntimeWarning)
        message = SIZE_TEXT.format(NAME, "Vector2", size - 8, size)
        raises_exactly(RuntimeWarning, message, consumer.binding_probe, NAME, "Vector2", size - 8)


@pytest.mark.parametrize("cls", [bytes, int, tuple])
def test_item_size_counts_at_least_a_pointer(cls):
    basic, item = cls.__basicsize__, cls.__itemsize__
    actual = basic + max(item, 8)
    assert item != 0
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        assert consumer.binding_probe("builtins", cls.__name__, actual, False) == (cls, None)
    raises_exactly(
        ValueError,
        SIZE_TEXT.format("builtins", cls.__name__, actual + 1, actual),
        consumer.binding_probe, "builtins", cls.__name__, actual + 1, False,
    )


def test_bind_not_a_type(fake_module):
    name = fake_module("korvex_fake_binding", Vector2=5)
    message = "korvex_fake_binding.Vector2 is not a type object"
    raises_exactly(TypeError, message, consumer.binding_probe, name, "Vector2", 8)
    long_name = fake_module("m" * 300, C=Vector2(1, 2))
    raises_exactly(TypeError, f"{'m' * 200}.C is not a type object", consumer.binding_probe, long_name, "C", 8)


def test_import_fails_when_a_bound_class_is_not_a_type():
    out = python_output(
        IMPORT_WITH_A_NON_TYPE.format(module="korvex.vector2.vector2", name="Vector2", importing="korvex_consumer")
        + textwrap.dedent(
            """
            print("korvex_consumer" in sys.modules)
            # The failed import left nothing behind: a later one binds the real type.
            del sys.modules["korvex.vector2.vector2"]
            import korvex_consumer
            from korvex.vector2.vector2 import Vector2
            print(korvex_consumer.v2_add(Vector2(1, 2), Vector2(3, 4)), korvex_consumer.__test__)
            """
        )
    )
    assert out.splitlines() == [
        "korvex.vector2.vector2.Vector2 is not a type object",
        "False",
        "Vector2(4.0, 6.0) {}",
    ]


def test_bind_missing_module_or_class(fake_module):
    with raises_exactly(ModuleNotFoundError, "No module named 'korvex_no_such_module'"):
        consumer.binding_probe("korvex_no_such_module", "Vector2", 8)
    name = fake_module("korvex_fake_empty")
    with raises_exactly(AttributeError, "module 'korvex_fake_empty' has no attribute 'Vector2'"):
        consumer.binding_probe(name, "Vector2", 8)


def test_bind_type_without_native_table(fake_module):
    class Plain:
        pass

    name = fake_module("korvex_fake_plain", Plain=Plain)
    with raises_exactly(KeyError, "'__pyx_vtable__'"):
        consumer.binding_probe(name, "Plain", Plain.__basicsize__)
    # The interpreter's own static types keep their dict elsewhere.
    with raises_exactly(KeyError, "'__pyx_vtable__'"):
        consumer.binding_probe("builtins", "bytes", 41)
    # Not asking for a table skips the look-up.
    assert consumer.binding_probe(name, "Plain", Plain.__basicsize__, False) == (Plain, None)


def test_bind_table_is_taken_from_the_type_itself(fake_module):
    class Owner:
        __pyx_vtable__ = Vector2.__dict__["__pyx_vtable__"]

    class Heir(Owner):
        pass

    name = fake_module("korvex_fake_heir", Owner=Owner, Heir=Heir)
    assert consumer.binding_probe(name, "Owner", Owner.__basicsize__)[1] == capsule_pointer(Owner.__pyx_vtable__)
    with raises_exactly(KeyError, "'__pyx_vtable__'"):
        consumer.binding_probe(name, "Heir", Heir.__basicsize__)


@pytest.mark.parametrize(
    "table, message",
    [
        (datetime.datetime_CAPI, "PyCapsule_GetPointer called with incorrect name"),
        (5, "PyCapsule_GetPointer called with invalid PyCapsule object"),
        (None, "PyCapsule_GetPointer called with invalid PyCapsule object"),
    ],
)
def test_bind_invalid_native_table(fake_module, table, message):
    Fake = type("Fake", (), {"__pyx_vtable__": table})
    name = fake_module("korvex_fake_table", Fake=Fake)
    raises_exactly(ValueError, message, consumer.binding_probe, name, "Fake", Fake.__basicsize__)
