// The one place that includes the interpreter's headers, so every translation
// unit sees the same configuration.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstddef>

// KORVEX_INLINE: for the few hot helpers (a vector's allocation) that every
// entry should inline whatever the inliner's budget for a large unit says.
#if defined(__GNUC__)
#define KORVEX_COLD __attribute__((cold, noinline))
#define KORVEX_NOINLINE __attribute__((noinline))
#define KORVEX_INLINE __attribute__((always_inline)) inline
#else
#define KORVEX_COLD
#define KORVEX_NOINLINE
#define KORVEX_INLINE inline
#endif

#include "korvex/common/fixed_string.hpp"

namespace korvex {

// The interned string `text`, made on first use and kept: attribute look-ups
// by a C string make a new string per call, and the interpreter's attribute
// cache, keyed on the name object, would keep many of them alive. Null with
// the exception set when it cannot be made (a later call tries again).
template <FixedString text>
PyObject* interned() {
    static PyObject* name = nullptr;
    if (name == nullptr) name = PyUnicode_InternFromString(text.value);
    return name;
}

// A new tuple of make(value) for each of `values`, in order (make is
// PyFloat_FromDouble, PyLong_FromLong, ...). Null with the exception set when
// an item or the tuple cannot be made.
template <class Value, std::size_t count>
PyObject* tuple_of(PyObject* (*make)(Value), const Value (&values)[count]) {
    PyObject* tuple = PyTuple_New(count);
    if (tuple == nullptr) return nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        PyObject* item = make(values[i]);
        if (item == nullptr) {
            Py_DECREF(tuple);
            return nullptr;
        }
        PyTuple_SET_ITEM(tuple, i, item);
    }
    return tuple;
}

}  // namespace korvex
