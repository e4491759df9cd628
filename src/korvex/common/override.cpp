#include "korvex/common/override.hpp"

#include "korvex/common/convert.hpp"
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

Override lookup_override(PyObject* self, const char* name, void* own) {
    // The name is interned, so that the attribute cache keeps one string per
    // method rather than one per call.
    PyObject* key = PyUnicode_InternFromString(name);
    PyObject* attribute = key == nullptr ? nullptr : PyObject_GetAttr(self, key);
    Py_XDECREF(key);
    if (attribute == nullptr) return {Override::Outcome::failed, nullptr};
    if (is_own_method(attribute, own)) {
        Py_DECREF(attribute);
        return {Override::Outcome::own_body, nullptr};
    }
    return {Override::Outcome::found, attribute};
}

int override_truth(PyObject* result) {
    if (result == nullptr) return -1;
    int truth = PyObject_IsTrue(result);
    Py_DECREF(result);
    return truth;
}

bool override_int32(PyObject* result, int& out) {
    if (result == nullptr) return false;
    const bool ok = to_int32(result, out);
    Py_DECREF(result);
    return ok;
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
