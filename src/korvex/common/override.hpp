// Python-level overrides of native slots. A slot of a subclassable type that is
// called with its dispatch flag 0 first asks find_override whether the
// object's class replaced the method; if so the slot calls the replacement
// and converts its result by one of the conversions below instead of running
// its own body. The slots generated from an overridable descriptor
// (entry.hpp) do all of this.
#pragma once

#include <type_traits>

#include "korvex/common/python.hpp"

namespace korvex {

// Whether the object's type can carry an override at all: a Python subclass
// (heap type), an abstract type, or one whose instances have a dict.
inline bool may_override(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    return type->tp_dictoffset != 0 || (type->tp_flags & (Py_TPFLAGS_IS_ABSTRACT | Py_TPFLAGS_HEAPTYPE)) != 0;
}

// The outcome of a look-up: the slot runs its own body, calls the override
// (`method`, a new reference that the caller releases), or fails (the
// look-up raised; the exception is set).
struct Override {
    enum class Outcome { own_body, found, failed };
    Outcome outcome;
    PyObject* method;

    explicit operator bool() const { return outcome == Outcome::found; }
    bool failed() const { return outcome == Outcome::failed; }
};

// Looks up `name` on self. Any attribute other than the built-in method whose
// C implementation is `own` (a bound method is unwrapped to its function for
// the test) is an override.
Override lookup_override(PyObject* self, const char* name, void* own);

// The usual entry: no look-up when the flag is set or the type cannot override.
template <class Function>
inline Override find_override(PyObject* self, int skip_dispatch, const char* name, Function* own) {
    if (skip_dispatch || !may_override(self)) return {Override::Outcome::own_body, nullptr};
    return lookup_override(self, name, reinterpret_cast<void*>(own));
}
template <class Object, class Function>
    requires(!std::is_same_v<Object, PyObject>)
inline Override find_override(Object* self, int skip_dispatch, const char* name, Function* own) {
    return find_override(reinterpret_cast<PyObject*>(self), skip_dispatch, name, own);
}

// Conversions of an override's result (a new reference, or null when the
// call failed), which each consumes.

// The result as it is.
inline PyObject* override_result(PyObject* result) { return result; }

// The result dropped: false when the call failed (the exception stays set).
inline bool override_ignored(PyObject* result) {
    Py_XDECREF(result);
    return result != nullptr;
}

// The truth value of the result for the int slots: 1 or 0, or -1 with the
// exception set when the call or the truth test failed.
int override_truth(PyObject* result);

// The result by the 32-bit integer rule, into `out`; false with the exception
// set when the call or the conversion failed.
bool override_int32(PyObject* result, int& out);

// The result itself when it is an exact tuple or None; otherwise TypeError
// "Expected tuple, got <type name>".
PyObject* override_tuple_or_none(PyObject* result);

// The result itself when it is an instance of `type` (subclasses included) or
// None; otherwise TypeError "Cannot convert <type name> to <type's name>".
PyObject* override_instance_or_none(PyObject* result, PyTypeObject* type);

}  // namespace korvex
