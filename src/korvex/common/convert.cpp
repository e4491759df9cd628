#include "korvex/common/convert.hpp"

#include <climits>
#include <cmath>

namespace korvex {

namespace {

KORVEX_COLD bool raise_int_overflow() {
    PyErr_SetString(PyExc_OverflowError, "value too large to convert to int");
    return false;
}

bool long_to_int32(PyObject* number, int& out) {
    int overflow = 0;
    long value = PyLong_AsLongAndOverflow(number, &overflow);
    if (overflow != 0) {
        // Wider than a C long: let the interpreter word it.
        (void)PyLong_AsLong(number);
        return false;
    }
    if (value == -1 && PyErr_Occurred()) return false;
    if (value < INT_MIN || value > INT_MAX) return raise_int_overflow();
    out = static_cast<int>(value);
    return true;
}

// Mirrors the interpreter's conversion through nb_int, including its checks of
// what __int__ returned.
PyObject* call_int_method(PyObject* obj) {
    PyNumberMethods* number = Py_TYPE(obj)->tp_as_number;
    if (number == nullptr || number->nb_int == nullptr) {
        PyErr_SetString(PyExc_TypeError, "an integer is required");
        return nullptr;
    }
    PyObject* result = number->nb_int(obj);
    if (result == nullptr || PyLong_CheckExact(result)) return result;
    if (PyLong_Check(result)) {
        if (PyErr_WarnFormat(PyExc_DeprecationWarning, 1,
                             "__int__ returned non-int (type %.200s).  The ability to return an instance of a "
                             "strict subclass of int is deprecated, and may be removed in a future version of "
                             "Python.",
                             Py_TYPE(result)->tp_name) != 0) {
            Py_DECREF(result);
            return nullptr;
        }
        return result;
    }
    PyErr_Format(PyExc_TypeError, "__int__ returned non-int (type %.200s)", Py_TYPE(result)->tp_name);
    Py_DECREF(result);
    return nullptr;
}

}  // namespace

bool to_int32_general(PyObject* obj, int& out) {
    if (PyLong_Check(obj)) return long_to_int32(obj, out);
    PyObject* number = call_int_method(obj);
    if (number == nullptr) return false;
    bool ok = long_to_int32(number, out);
    Py_DECREF(number);
    return ok;
}

bool to_int64(PyObject* obj, long long& out) {
    PyObject* number = PyLong_Check(obj) ? Py_NewRef(obj) : call_int_method(obj);
    if (number == nullptr) return false;
    out = PyLong_AsLongLong(number);
    Py_DECREF(number);
    return !(out == -1 && PyErr_Occurred());
}

bool truncate_to_int32(double value, int& out) {
    if (std::isnan(value)) {
        PyErr_SetString(PyExc_ValueError, "cannot convert float NaN to integer");
        return false;
    }
    double truncated = std::trunc(value);
    if (!(truncated >= static_cast<double>(INT_MIN) && truncated <= static_cast<double>(INT_MAX)))
        return raise_int_overflow();
    out = static_cast<int>(truncated);
    return true;
}

bool to_index(PyObject* key, Py_ssize_t& out) {
    if (PyLong_CheckExact(key)) {
        out = PyLong_AsSsize_t(key);
    } else {
        PyObject* index = PyNumber_Index(key);
        if (index == nullptr) return false;
        out = PyLong_AsSsize_t(index);
        Py_DECREF(index);
    }
    if (out == -1 && PyErr_Occurred()) {
        if (!PyErr_ExceptionMatches(PyExc_OverflowError)) return false;
        PyErr_Clear();
        out = -1;
    }
    return true;
}

}  // namespace korvex
