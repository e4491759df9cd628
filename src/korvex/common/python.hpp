// The one place that includes the interpreter's headers, so every translation
// unit sees the same configuration.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#if defined(__GNUC__)
#define KORVEX_COLD __attribute__((cold, noinline))
#define KORVEX_NOINLINE __attribute__((noinline))
#else
#define KORVEX_COLD
#define KORVEX_NOINLINE
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

}  // namespace korvex
