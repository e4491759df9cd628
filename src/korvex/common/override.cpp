#include "korvex/common/override.hpp"

#include "korvex/common/errors.hpp"

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

int override_truth(PyObject* result) {
    if (result == nullptr) return -1;
    int truth = PyObject_IsTrue(result);
    Py_DECREF(result);
    return truth;
}

PyObject* override_tuple_or_none(PyObject* result) {
    if (result == nullptr || PyTuple_CheckExact(result) || result == Py_None) return result;
    raise_expected("tuple", result);
    Py_DECREF(result);
    return nullptr;
}

PyObject* override_instance_or_none(PyObject* result, PyTypeObject* type) {
    if (result == nullptr || result == Py_None || PyObject_TypeCheck(result, type)) return result;
    raise_cannot_convert(result, type->tp_name);
    Py_DECREF(result);
    return nullptr;
}

}  // namespace korvex
