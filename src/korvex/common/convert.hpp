// Conversions between Python numbers and the C numbers that the structures hold.
#pragma once

#include <limits>

#include "korvex/common/python.hpp"

namespace korvex {

// The float protocol: an exact float is read in place, anything else goes
// through the interpreter's own conversion (int, bool, __float__, __index__),
// whose exception propagates. Returns false with the exception set.
inline bool to_double(PyObject* obj, double& out) {
    if (PyFloat_CheckExact(obj)) {
        out = PyFloat_AS_DOUBLE(obj);
        return true;
    }
    out = PyFloat_AsDouble(obj);
    return !(out == -1.0 && PyErr_Occurred());
}

// Narrowing a double to float relies on IEEE 754 conversion: round to nearest,
// and values beyond the float range become infinities (not undefined).
static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559,
              "float and double must be IEEE 754 types");

// The float protocol followed by rounding to the nearest single-precision value.
inline bool to_float(PyObject* obj, float& out) {
    double value;
    if (!to_double(obj, value)) return false;
    out = static_cast<float>(value);
    return true;
}

// The 32-bit integer rule: ints directly, anything else through its __int__
// (so floats truncate toward zero), with the interpreter's usual messages for
// objects that cannot be converted and OverflowError outside the int range.
bool to_int32(PyObject* obj, int& out);

// The same rule for a 64-bit integer; values outside that range raise the
// interpreter's OverflowError.
bool to_int64(PyObject* obj, long long& out);

// Truncates a finite double toward zero into a 32-bit int; NaN raises
// ValueError and values outside the int range (infinities included) raise
// OverflowError, since a plain cast would be undefined there.
bool truncate_to_int32(double value, int& out);

// Key conversion for sequence access: an int directly, anything else through
// __index__ (TypeError for floats, slices and strings). Keys too large for
// Py_ssize_t become -1 so that the caller reports them as out of range.
bool to_index(PyObject* key, Py_ssize_t& out);

}  // namespace korvex
