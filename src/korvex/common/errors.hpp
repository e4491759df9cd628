// Error builders shared by every module. They are cold and out of line so the
// hot paths that call them stay small; each returns the value its callers
// hand back on failure.
//
// One failure convention inside korvex: a function that can fail returns
// nullptr (an object result), false (a bool, its results in out-parameters)
// or -1 (an int status, or a truth value that is otherwise 1 or 0), always
// with the exception set. The native tables report failure differently: an
// int slot returns 0 and a void slot returns nothing, with the exception set,
// and their callers test PyErr_Occurred(). That form is made in one place,
// where a descriptor's slot is generated (Entry::Slot::to_table, entry.hpp).
#pragma once

#include "korvex/common/python.hpp"

namespace korvex {

// "Argument 'other' has incorrect type (expected X, got Y)".
KORVEX_COLD bool raise_argument_type(const char* param, PyTypeObject* expected, PyObject* given);
KORVEX_COLD bool raise_argument_type(const char* param, const char* expected, PyObject* given);

// A property without a deleter: NotImplementedError "__del__".
KORVEX_COLD int raise_property_delete();

// Item deletion on a type that does not support it.
KORVEX_COLD int raise_item_delete(PyObject* self);

// TypeError "Expected <what>, got <type name>".
KORVEX_COLD PyObject* raise_expected(const char* what, PyObject* given);

// TypeError "Cannot convert <type name> to <target>".
KORVEX_COLD PyObject* raise_cannot_convert(PyObject* given, const char* target);

// raylib crashes the process when asked to draw or touch GL objects without
// a window: RuntimeError "cannot <action>: no raylib window is ready".
KORVEX_COLD PyObject* raise_no_window(const char* action);

// Re-raises the pending exception, raised while reading item `index` of the
// argument `param`, with "param[index]: " in front of its message; the
// original becomes its cause. An exception type that cannot be made from a
// message alone is raised as it was, with that text added as a note.
KORVEX_COLD void prefix_item_error(const char* param, Py_ssize_t index);

}  // namespace korvex
