// Python-level overrides of native slots. A slot of a subclassable type that is
// called with its dispatch flag 0 first asks find_override whether the
// object's class replaced the method; if so the slot calls the replacement and
// converts its result instead of running its own body.
#pragma once

#include "korvex/common/python.hpp"

namespace korvex {

// Whether the object's type can carry an override at all: a Python subclass
// (heap type), an abstract type, or one whose instances have a dict.
inline bool may_override(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    return type->tp_dictoffset != 0 || (type->tp_flags & (Py_TPFLAGS_IS_ABSTRACT | Py_TPFLAGS_HEAPTYPE)) != 0;
}

// Looks up `name` on self. Returns a new reference to the attribute when it is
// anything other than the built-in method whose C implementation is `own` (a
// bound method is unwrapped to its function for the test); returns null with
// no exception when there is no override, and null with an exception when the
// lookup failed.
PyObject* lookup_override(PyObject* self, const char* name, void* own);

// The usual entry: no lookup when the flag is set or the type cannot override.
inline PyObject* find_override(PyObject* self, int skip_dispatch, const char* name, void* own) {
    if (skip_dispatch || !may_override(self)) return nullptr;
    return lookup_override(self, name, own);
}

// Result conversions for a slot that called an override. Each takes the
// override's result (a new reference, or null when the call failed) and
// consumes it.

// The truth value of the result for the int slots: 1 or 0, or -1 with the
// exception set when the call or the truth test failed.
int override_truth(PyObject* result);

// The result itself when it is an exact tuple or None; otherwise TypeError
// "Expected tuple, got <type name>".
PyObject* override_tuple_or_none(PyObject* result);

// The result itself when it is an instance of `type` (subclasses included) or
// None; otherwise TypeError "Cannot convert <type name> to <type's name>".
PyObject* override_instance_or_none(PyObject* result, PyTypeObject* type);

}  // namespace korvex
