// Rect's collision rules: the bodies of the collision entries that
// collisions.hpp describes. Each returns 1 or 0, or -1 with the exception set.
// Inline, so that each entry compiles into one function with its rule.
#pragma once

#include <cstddef>

#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/rect/rect_internal.hpp"

namespace rect_impl {

// --- the rules on numbers -------------------------------------------------------------

// Inclusive on every edge; any NaN fails a comparison and so gives false.
inline bool point_inside(const Rectangle& r, double px, double py) {
    return static_cast<double>(r.x) <= px && px <= right_edge(r) && static_cast<double>(r.y) <= py &&
           py <= bottom_edge(r);
}

// Both rectangles' far edges summed in single precision.
inline bool rects_overlap(const Rectangle& a, const Rectangle& b) {
    return b.x + b.width > a.x && a.x + a.width > b.x && b.y + b.height > a.y && a.y + a.height > b.y;
}

KORVEX_COLD inline int raise_point_kind() {
    return raise_value_error("Point must be a Vector2, tuple, or list of length 2");
}

// The untyped entries read any accepted kind into doubles and compare there.
KORVEX_NOINLINE inline int point_numeric(RectObject* self, PyObject* point) {
    double p[2];
    if (!is_exact_list_or_tuple(point) && is_vector2(point)) {
        if (!vector_components(point, p)) return -1;
    } else if (is_list_or_tuple(point)) {
        int read = sequence_components(point, p);
        if (read < 0) return -1;
        if (read == 0) return raise_point_kind();
    } else {
        return raise_point_kind();
    }
    return point_inside(self->_raw, p[0], p[1]);
}

inline int rect_numeric(RectObject* self, PyObject* other) {
    double o[4];
    if (!rect_like(other, o)) return -1;
    return rects_overlap(self->_raw, o[0], o[1], o[2], o[3]);
}

// --- the rules on objects ---------------------------------------------------------------

// The typed entries compare the values they read with the interpreter's own
// comparisons and arithmetic, from the x, y, z, w attributes (Vector2,
// Vector4) or items 0, 1, 2, 3 (tuple, list), stopping at the first false.
enum class Source { Attributes, Items };

inline PyObject* component(PyObject* obj, Source source, int index) {
    if (source == Source::Attributes) return PyObject_GetAttr(obj, component_names[index]);
    return item(obj, index);
}

// An exact tuple or list given to a typed entry must hold the items the
// entry reads; a shorter one raises IndexError up front (whatever the first
// comparisons would decide) and nothing past its end is ever read.
inline bool long_enough(PyObject* obj, Source source, Py_ssize_t needed) {
    if (source != Source::Items) return true;
    const char* message;
    if (PyTuple_CheckExact(obj))
        message = "tuple index out of range";
    else if (PyList_CheckExact(obj))
        message = "list index out of range";
    else
        return true;
    if (Py_SIZE(obj) >= needed) return true;
    PyErr_SetString(PyExc_IndexError, message);
    return false;
}

// `edge op value` (edge_first) or `value op edge` through the interpreter's
// comparison, with a fresh Python float of the edge: 1, 0, or -1 on error.
inline int compare_edge(double edge, PyObject* value, int op, bool edge_first) {
    PyObject* number = PyFloat_FromDouble(edge);
    if (number == nullptr) return -1;
    int result = edge_first ? PyObject_RichCompareBool(number, value, op) : PyObject_RichCompareBool(value, number, op);
    Py_DECREF(number);
    return result;
}

// The rectangle's near and far edge on one axis (0 horizontal, 1 vertical).
inline double near_edge(const Rectangle& r, int axis) { return axis == 0 ? r.x : r.y; }
inline double far_edge(const Rectangle& r, int axis) { return axis == 0 ? right_edge(r) : bottom_edge(r); }

// One axis of the point rule: position <= p <= far edge, p read once. The
// rectangle's fields are read at each step, as comparisons may run Python code.
KORVEX_NOINLINE inline int point_axis(RectObject* self, PyObject* point, Source source, int axis) {
    const double near = near_edge(self->_raw, axis);
    PyObject* p = component(point, source, axis);
    if (p == nullptr) return -1;
    int result = compare_edge(near, p, Py_LE, true);
    if (result == 1) result = compare_edge(far_edge(self->_raw, axis), p, Py_LE, false);
    Py_DECREF(p);
    return result;
}

// One axis of the rectangle rule with the interpreter's arithmetic:
// position < a + c, then a < far edge. The reads are observable (attributes
// and items may be computed by Python code), so their number is part of the
// behaviour: on the horizontal axis of a Vector4 the attribute `a` is read a
// second time for the second comparison, as the vector's own x would be in
// Python code written out step by step; the vertical axis and items reuse the
// value read first.
KORVEX_NOINLINE inline int rect_axis(RectObject* self, PyObject* other, Source source, int axis) {
    const double near = near_edge(self->_raw, axis);
    PyObject* start = component(other, source, axis);
    PyObject* size = start == nullptr ? nullptr : component(other, source, axis + 2);
    PyObject* end = size == nullptr ? nullptr : PyNumber_Add(start, size);
    Py_XDECREF(size);
    int result = end == nullptr ? -1 : compare_edge(near, end, Py_LT, true);
    Py_XDECREF(end);
    if (result == 1) {
        const double far = far_edge(self->_raw, axis);
        if (axis == 0 && source == Source::Attributes) Py_SETREF(start, component(other, source, axis));
        result = start == nullptr ? -1 : compare_edge(far, start, Py_LT, false);
    }
    Py_XDECREF(start);
    return result;
}

// The values an object rule would read, when reading and comparing them
// cannot run Python code: the stored components of an exact Vector2 or
// Vector4 (their x, y, z, w attributes return exactly these), or items of an
// exact tuple or list that are exact floats or ints of one digit (under 2**30
// in magnitude, so exact as doubles, and so are their sums). The
// interpreter's comparisons and additions of such numbers are the double
// ones, so the rule on numbers gives the same answer without the objects.
template <std::size_t count>
inline bool plain_numbers(PyObject* obj, Source source, double (&out)[count]) {
    if (source == Source::Attributes) {
        if (!Py_IS_TYPE(obj, count == 2 ? vector2_class.type : vector4_class.type)) return false;
        return vector_components(obj, out);
    }
    if (!korvex::is_exact_list_or_tuple(obj)) return false;
    return korvex::plain_number_prefix(PySequence_Fast_ITEMS(obj), out);  // long enough: checked by the caller
}

inline bool point_on_numbers(const Rectangle& r, const double (&p)[2]) { return point_inside(r, p[0], p[1]); }
inline bool rect_on_numbers(const Rectangle& r, const double (&o)[4]) { return rects_overlap(r, o[0], o[1], o[2], o[3]); }

// An axis rule on the horizontal axis, then, if it holds, on the vertical one
// (or the same rule on plain numbers, see plain_numbers).
template <Source source, std::size_t needed, int (*axis_rule)(RectObject*, PyObject*, Source, int),
          bool (*numeric_rule)(const Rectangle&, const double (&)[needed])>
inline int on_both_axes(RectObject* self, PyObject* other) {
    if (!long_enough(other, source, needed)) return -1;
    double values[needed];
    if (plain_numbers(other, source, values)) return numeric_rule(self->_raw, values);
    int result = axis_rule(self, other, source, 0);
    if (result != 1) return result;
    return axis_rule(self, other, source, 1);
}

inline int point_attributes(RectObject* self, Vector2Object* point) {
    return on_both_axes<Source::Attributes, 2, point_axis, point_on_numbers>(self, as_object(point));
}
inline int point_items(RectObject* self, PyObject* point) {
    return on_both_axes<Source::Items, 2, point_axis, point_on_numbers>(self, point);
}
inline int rect_attributes(RectObject* self, Vector4Object* other) {
    return on_both_axes<Source::Attributes, 4, rect_axis, rect_on_numbers>(self, as_object(other));
}
inline int rect_items(RectObject* self, PyObject* other) {
    return on_both_axes<Source::Items, 4, rect_axis, rect_on_numbers>(self, other);
}

// Reached with another type through the native slot only (the method checks).
inline int rect_rect(RectObject* self, RectObject* other) {
    if (!is_rect(as_object(other))) {
        korvex::raise_argument_type("other", &rect_type, as_object(other));
        return -1;
    }
    return rects_overlap(self->_raw, other->_raw);
}

}  // namespace rect_impl
