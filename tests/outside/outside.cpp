// korvex_outside: an extension module of another project, built by
// scripts/test-install.sh against nothing but korvex.get_include() and the
// interpreter's headers.  It binds Vector2 the way such a module would:
// import the type, check its instance size against the header it was
// compiled with, then take the native table from the type's __pyx_vtable__.
#include "korvex/vector2/vector2.hpp"

#include <cstddef>

namespace {

PyTypeObject* vector2_type = nullptr;
Vector2VTable* vector2_table = nullptr;

// Binds Vector2, expecting an instance of sizeof(Vector2Object) + extra bytes.
// A type smaller than the header says would be read past its end, so that is
// refused; its table is trusted only after the check.
bool bind_vector2(std::size_t extra) {
    PyObject* module = PyImport_ImportModule(vector2_module_name);
    if (module == nullptr) return false;
    PyObject* type = PyObject_GetAttrString(module, "Vector2");
    Py_DECREF(module);
    if (type == nullptr) return false;
    if (!PyType_Check(type)) {
        PyErr_Format(PyExc_TypeError, "%s.Vector2 is not a type", vector2_module_name);
        Py_DECREF(type);
        return false;
    }
    const Py_ssize_t expected = static_cast<Py_ssize_t>(sizeof(Vector2Object) + extra);
    const Py_ssize_t actual = reinterpret_cast<PyTypeObject*>(type)->tp_basicsize;
    if (actual < expected) {
        PyErr_Format(PyExc_ValueError, "%s.Vector2 is %zd bytes, the header declares %zd", vector2_module_name,
                     actual, expected);
        Py_DECREF(type);
        return false;
    }
    PyObject* capsule = PyObject_GetAttrString(type, "__pyx_vtable__");
    void* table = capsule == nullptr ? nullptr : PyCapsule_GetPointer(capsule, nullptr);
    Py_XDECREF(capsule);
    if (table == nullptr) {
        Py_DECREF(type);
        return false;
    }
    Py_XSETREF(vector2_type, reinterpret_cast<PyTypeObject*>(type));
    vector2_table = static_cast<Vector2VTable*>(table);
    return true;
}

// make(x, y) -> (vector, x, y): a Vector2 made by the table's __pyx_new, and
// its components read back from the object's storage.
PyObject* make(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (nargs != 2) {
        PyErr_SetString(PyExc_TypeError, "make() takes x and y");
        return nullptr;
    }
    const double x = PyFloat_AsDouble(args[0]);
    if (x == -1.0 && PyErr_Occurred()) return nullptr;
    const double y = PyFloat_AsDouble(args[1]);
    if (y == -1.0 && PyErr_Occurred()) return nullptr;
    PyObject* vector = vector2_table->__pyx_new(x, y);
    if (vector == nullptr) return nullptr;
    const Vector2 stored = reinterpret_cast<Vector2Object*>(vector)->data;
    return Py_BuildValue("(Ndd)", vector, static_cast<double>(stored.x), static_cast<double>(stored.y));
}

// length(vector): the header's inline helper on the stored structure.
PyObject* length(PyObject*, PyObject* vector) {
    if (!Py_IS_TYPE(vector, vector2_type)) {
        PyErr_SetString(PyExc_TypeError, "length() takes a Vector2");
        return nullptr;
    }
    return PyFloat_FromDouble(vector2_length(reinterpret_cast<Vector2Object*>(vector)->data));
}

// bind(extra): binds again, expecting `extra` more bytes than the header.
PyObject* bind(PyObject*, PyObject* extra) {
    const Py_ssize_t bytes = PyLong_AsSsize_t(extra);
    if (bytes == -1 && PyErr_Occurred()) return nullptr;
    if (!bind_vector2(static_cast<std::size_t>(bytes))) return nullptr;
    Py_RETURN_NONE;
}

PyMethodDef functions[] = {
    {"make", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(make)), METH_FASTCALL, nullptr},
    {"length", length, METH_O, nullptr},
    {"bind", bind, METH_O, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef definition = {
    PyModuleDef_HEAD_INIT, "korvex_outside", nullptr, -1, functions, nullptr, nullptr, nullptr, nullptr,
};

}  // namespace

PyMODINIT_FUNC PyInit_korvex_outside() {
    if (!bind_vector2(0)) return nullptr;
    return PyModule_Create(&definition);
}
