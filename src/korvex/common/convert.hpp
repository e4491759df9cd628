// Conversions between Python numbers and the C numbers that the structures hold.
#pragma once

#include <cstddef>
#include <limits>

#include "korvex/common/python.hpp"

namespace korvex {

inline bool is_exact_list_or_tuple(PyObject* obj) { return PyTuple_CheckExact(obj) || PyList_CheckExact(obj); }

// A plain number: an exact float, or an exact int stored compactly (under
// 2**30 in magnitude, so exact as a double), read in place. Converting one
// runs no Python code and cannot fail. False for anything else.
inline bool plain_to_double(PyObject* obj, double& out) {
    if (PyFloat_CheckExact(obj)) {
        out = PyFloat_AS_DOUBLE(obj);
        return true;
    }
    if (PyLong_CheckExact(obj) && PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject*>(obj))) {
        out = static_cast<double>(PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject*>(obj)));
        return true;
    }
    return false;
}

// The float protocol: a plain number is read in place and any other exact int
// with PyLong_AsDouble, which is what int.__float__ does (same value, same
// OverflowError) without the temporary float; anything else goes through the
// interpreter's own conversion (bool, __float__, __index__), whose exception
// propagates. Returns false with the exception set.
inline bool to_double(PyObject* obj, double& out) {
    if (plain_to_double(obj, out)) return true;
    out = PyLong_CheckExact(obj) ? PyLong_AsDouble(obj) : PyFloat_AsDouble(obj);
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

// The 32-bit integer rule for everything but small exact ints (to_int32).
bool to_int32_general(PyObject* obj, int& out);

// The 32-bit integer rule: ints directly, anything else through its __int__
// (so floats truncate toward zero), with the interpreter's usual messages for
// objects that cannot be converted and OverflowError outside the int range.
// The common case is inline: an exact int stored compactly (a single digit,
// under 2**30 in magnitude) is read from the object without a call.
inline bool to_int32(PyObject* obj, int& out) {
    if (PyLong_CheckExact(obj) && PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject*>(obj))) {
        out = static_cast<int>(PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject*>(obj)));
        return true;
    }
    return to_int32_general(obj, out);
}
static_assert(PyLong_SHIFT <= 31, "a compact int must fit a C int");

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

// Item `index` (not negative) of a list or tuple, subclasses included, read in
// place, as a new reference. The size is checked at every read, since
// converting an earlier item may run code that shrinks a list; past the end
// it raises IndexError with `too_short`, by default the interpreter's own
// "list index out of range" or "tuple index out of range".
inline PyObject* list_or_tuple_item(PyObject* sequence, Py_ssize_t index, const char* too_short = nullptr) {
    if (index < Py_SIZE(sequence)) return Py_NewRef(PySequence_Fast_ITEMS(sequence)[index]);
    PyErr_SetString(PyExc_IndexError, too_short != nullptr    ? too_short
                                      : PyList_Check(sequence) ? "list index out of range"
                                                               : "tuple index out of range");
    return nullptr;
}

// The first `count` of `items` (the item array of an exact list or tuple
// holding at least that many), when each is a plain number: read in place,
// with no reference taken, since converting those runs no Python code that
// could change the sequence. Returns false at the first item of another kind
// (with no exception set and `out` unspecified); the caller then takes its
// general path, which converts item by item.
template <std::size_t count>
inline bool plain_number_prefix(PyObject* const* items, double (&out)[count]) {
    for (std::size_t i = 0; i < count; ++i)
        if (!plain_to_double(items[i], out[i])) return false;
    return true;
}

// The same for a whole exact list or tuple of exactly `count` items; false
// for any other sequence as well.
template <std::size_t count>
inline bool plain_number_items(PyObject* sequence, double (&out)[count]) {
    return is_exact_list_or_tuple(sequence) && Py_SIZE(sequence) == static_cast<Py_ssize_t>(count) &&
           plain_number_prefix(PySequence_Fast_ITEMS(sequence), out);
}

}  // namespace korvex
