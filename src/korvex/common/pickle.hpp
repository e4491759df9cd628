// Pickle support. Every extension type lists its pickling hooks under private
// names in its method table; publish_type moves them to __reduce__ and
// __setstate__ the way the interpreter expects (install_pickling).
//
// Types whose state is a raylib structure refuse pickling; stateless types
// pickle by type alone and are rebuilt by a module-level function.
#pragma once

#include "korvex/common/args.hpp"
#include "korvex/common/entry.hpp"
#include "korvex/common/python.hpp"

namespace korvex {

// The member named in the refusal message.
enum class PickleRefusal {
    VectorData,     // the vector types' `data`
    RawStruct,      // `_raw` of Rect, Color and RenderTexture
    Unconvertible,  // a `_raw` that holds pointers and has no Python form at all
};

// TypeError naming the member; returns null.
KORVEX_COLD PyObject* refuse_pickling(PickleRefusal kind);

// The hooks' signatures, shared by their parsers and their docstrings.
inline constexpr auto reduce_sig = signature("__reduce_korvex__");
inline constexpr auto setstate_sig = signature("__setstate_korvex__", "__pyx_state");

// The two method-table entries of a type that refuses pickling:
// korvex::method_table<..., refused_reduce<kind>, refused_setstate<kind>>().
template <PickleRefusal kind>
inline constexpr auto refused_reduce =
    method(reduce_sig, [](PyObject*) { return refuse_pickling(kind); },
           "Refuses pickling: always raises TypeError.\n\n"
           "The object's state is a native structure without a pickled form; this also refuses copy.copy "
           "unless the class has its own copy methods.");
template <PickleRefusal kind>
inline constexpr auto refused_setstate = method(
    setstate_sig, [](PyObject*, PyObject*) { return refuse_pickling(kind); },
    "Refuses unpickling: always raises TypeError.");

// Moves the private hooks into place; called by publish_type.
int install_pickling(PyTypeObject* type);

// Pickling of a type without stored members. reduce_stateless returns
// (rebuild, (type(self), checksum, state)) or, for instances with a __dict__,
// (rebuild, (type(self), checksum, None), (dict,)); `rebuild_name` is the
// module function that reconstructs the object.
PyObject* reduce_stateless(PyObject* self, const char* rebuild_name);
// The module function: checks the checksum, makes the object without
// __init__ and applies the state.
PyObject* rebuild_stateless(PyObject* type, PyObject* checksum, PyObject* state);
// Applies a state tuple: the instance dict is updated from a true extra item.
PyObject* apply_stateless_state(PyObject* self, PyObject* state);

}  // namespace korvex
