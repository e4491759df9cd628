// Text and path arguments of functions that hand them to raylib as C strings.
// raylib reads up to the first NUL, so a string holding one would be cut
// short without a word: it is refused instead.
#pragma once

#include <cstring>

#include "korvex/common/errors.hpp"
#include "korvex/common/python.hpp"

namespace korvex {

KORVEX_COLD inline bool raise_embedded_null() {
    PyErr_SetString(PyExc_ValueError, "embedded null character");
    return false;
}

// The UTF-8 form of a str argument, borrowed from the object (the interpreter
// keeps it with the string): TypeError for anything but a str, ValueError
// for a NUL or a lone surrogate (UnicodeEncodeError).
inline bool text_argument(PyObject* obj, const char* param, const char*& out) {
    if (!PyUnicode_Check(obj)) return raise_argument_type(param, "str", obj);
    Py_ssize_t size = 0;
    out = PyUnicode_AsUTF8AndSize(obj, &size);
    if (out == nullptr) return false;
    if (std::strlen(out) != static_cast<std::size_t>(size)) return raise_embedded_null();
    return true;
}

// A file name: a str, or a path-like object (pathlib.Path) standing for
// one, encoded as the file system expects. `out` receives a new bytes
// object.
inline bool path_argument(PyObject* obj, const char* param, PyObject*& out) {
    PyObject* path = PyUnicode_Check(obj) ? Py_NewRef(obj) : nullptr;
    if (path == nullptr) {
        // By an interned name: the attribute cache keeps the name object.
        PyObject* fspath = interned<"__fspath__">();
        if (fspath == nullptr) return false;
        if (PyObject_HasAttrWithError(reinterpret_cast<PyObject*>(Py_TYPE(obj)), fspath) > 0) path = PyOS_FSPath(obj);
    }
    if (path == nullptr) {
        if (!PyErr_Occurred()) raise_argument_type(param, "str", obj);
        return false;
    }
    if (!PyUnicode_Check(path)) {
        Py_DECREF(path);
        return raise_argument_type(param, "str", obj);
    }
    out = PyUnicode_EncodeFSDefault(path);
    Py_DECREF(path);
    if (out == nullptr) return false;
    if (std::strlen(PyBytes_AS_STRING(out)) != static_cast<std::size_t>(PyBytes_GET_SIZE(out))) {
        Py_CLEAR(out);
        return raise_embedded_null();
    }
    return true;
}

}  // namespace korvex
