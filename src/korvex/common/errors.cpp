#include "korvex/common/errors.hpp"

namespace korvex {

bool raise_argument_type(const char* param, PyTypeObject* expected, PyObject* given) {
    return raise_argument_type(param, expected->tp_name, given);
}

bool raise_argument_type(const char* param, const char* expected, PyObject* given) {
    PyErr_Format(PyExc_TypeError, "Argument '%.200s' has incorrect type (expected %.200s, got %.200s)",
                 param, expected, Py_TYPE(given)->tp_name);
    return false;
}

int raise_property_delete() {
    PyErr_SetString(PyExc_NotImplementedError, "__del__");
    return -1;
}

int raise_item_delete(PyObject* self) {
    // frozen: the word is formatted in, as callers have always seen it.
    PyErr_Format(PyExc_NotImplementedError, "Subscript %.10s not supported by %.200s", "deletion",
                 Py_TYPE(self)->tp_name);
    return -1;
}

PyObject* raise_expected(const char* what, PyObject* given) {
    PyErr_Format(PyExc_TypeError, "Expected %.42s, got %.200s", what, Py_TYPE(given)->tp_name);
    return nullptr;
}

PyObject* raise_cannot_convert(PyObject* given, const char* target) {
    // frozen: an empty prefix formatted in front, as the text has always been
    // built; callers match the message.
    PyErr_Format(PyExc_TypeError, "%.1sCannot convert %.200s to %.200s", "", Py_TYPE(given)->tp_name, target);
    return nullptr;
}

void prefix_item_error(const char* param, Py_ssize_t index) {
    PyObject* original = PyErr_GetRaisedException();
    if (original == nullptr) return;
    PyObject* where = PyUnicode_FromFormat("%s[%zd]", param, index);
    PyObject* text = where == nullptr ? nullptr : PyObject_Str(original);
    PyObject* message = text == nullptr ? nullptr : PyUnicode_FromFormat("%U: %U", where, text);
    PyObject* replacement =
        message == nullptr ? nullptr : PyObject_CallOneArg(reinterpret_cast<PyObject*>(Py_TYPE(original)), message);
    Py_XDECREF(text);
    Py_XDECREF(message);
    if (replacement != nullptr && PyExceptionInstance_Check(replacement)) {
        Py_DECREF(where);
        PyException_SetCause(replacement, original);  // steals the reference
        PyErr_SetRaisedException(replacement);
        return;
    }
    Py_XDECREF(replacement);
    PyErr_Clear();
    if (where != nullptr) {
        PyObject* noted = PyObject_CallMethod(original, "add_note", "O", where);
        Py_XDECREF(noted);
        Py_DECREF(where);
        PyErr_Clear();
    }
    PyErr_SetRaisedException(original);
}

PyObject* raise_no_window(const char* action) {
    PyErr_Format(PyExc_RuntimeError, "cannot %s: no raylib window is ready", action);
    return nullptr;
}

}  // namespace korvex
