#include "korvex/common/override.hpp"

namespace korvex {

namespace {

bool is_own_method(PyObject* attribute, void* own) {
    PyObject* function = attribute;
    if (PyMethod_Check(attribute)) function = PyMethod_GET_FUNCTION(attribute);
    return PyCFunction_Check(function) &&
           reinterpret_cast<void*>(PyCFunction_GET_FUNCTION(function)) == own;
}

}  // namespace

PyObject* lookup_override(PyObject* self, const char* name, void* own) {
    PyObject* attribute = PyObject_GetAttrString(self, name);
    if (attribute == nullptr) return nullptr;
    if (is_own_method(attribute, own)) {
        Py_DECREF(attribute);
        return nullptr;
    }
    return attribute;
}

}  // namespace korvex
