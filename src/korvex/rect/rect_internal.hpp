// What the rect module's files share: rect.cpp (the type, its constructor and
// protocols), properties.cpp, collide.hpp (the collision rules), geometry.cpp
// and lists.cpp (the methods that make rectangles and test many), and
// methods.cpp (the method table and the native table). Private to the rect
// module: consumers include rect.hpp.
#pragma once

#include <cstddef>

#include "korvex/common/convert.hpp"
#include "korvex/common/python.hpp"
#include "korvex/rect/rect.hpp"

namespace rect_impl {

extern PyTypeObject rect_type;
extern RectVTable vtable;
extern ImportedVector2 vector2_class;
extern ImportedVector4 vector4_class;

// Interned component names, read as attributes of Vector2 and Vector4 objects.
extern PyObject* component_names[4];

// The Python methods (methods.cpp), the properties (properties.cpp), and the
// native constructor (rect.cpp).
PyMethodDef* methods();
PyGetSetDef* properties();
PyObject* slot_new(Rectangle raw);

// A rectangle computed in double precision, each value rounded once into the
// stored floats.
inline Rectangle rounded(double x, double y, double width, double height) {
    return Rectangle{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(height)};
}

inline RectObject* as_rect(PyObject* obj) { return reinterpret_cast<RectObject*>(obj); }
template <class Object>
inline PyObject* as_object(Object* object) {
    return reinterpret_cast<PyObject*>(object);
}
inline bool is_rect(PyObject* obj) { return PyObject_TypeCheck(obj, &rect_type); }
inline bool is_vector2(PyObject* obj) { return PyObject_TypeCheck(obj, vector2_class.type); }
inline bool is_vector4(PyObject* obj) { return PyObject_TypeCheck(obj, vector4_class.type); }
inline bool is_list_or_tuple(PyObject* obj) { return PyList_Check(obj) || PyTuple_Check(obj); }
// Exact lists and tuples (korvex::is_exact_list_or_tuple) are checked before
// the subtype tests of the other kinds: they are the common arguments, and no
// type can be both one of them and a vector or a Rect (their layouts
// conflict), so the order changes no answer.
using korvex::is_exact_list_or_tuple;

// The edges: single-precision sums, widened afterwards.
inline double right_edge(const Rectangle& r) { return static_cast<double>(r.x + r.width); }
inline double bottom_edge(const Rectangle& r) { return static_cast<double>(r.y + r.height); }

// The collision rule of two rectangles: exclusive on every edge, so
// rectangles that only touch do not collide; the other rectangle's far edges
// summed in double. Any NaN gives false.
inline bool rects_overlap(const Rectangle& r, double ox, double oy, double ow, double oh) {
    return ox + ow > static_cast<double>(r.x) && ox < right_edge(r) && oy + oh > static_cast<double>(r.y) &&
           oy < bottom_edge(r);
}

KORVEX_COLD int raise_value_error(const char* message);

// Item i as a new reference. Lists and tuples are read in place with a bounds
// check at every read; anything else goes through the interpreter's
// subscription, so its own __getitem__ and its errors apply.
inline PyObject* item(PyObject* sequence, Py_ssize_t index) {
    if (is_exact_list_or_tuple(sequence)) return korvex::list_or_tuple_item(sequence, index);
    PyObject* key = PyLong_FromSsize_t(index);
    if (key == nullptr) return nullptr;
    PyObject* value = PyObject_GetItem(sequence, key);
    Py_DECREF(key);
    return value;
}

inline bool number_item(PyObject* sequence, Py_ssize_t index, double& out) {
    PyObject* value = item(sequence, index);
    if (value == nullptr) return false;
    bool ok = korvex::to_double(value, out);
    Py_DECREF(value);
    return ok;
}

// The first `count` attributes x, y, z, w of any object, by the float
// protocol (out of line: the exact vectors are read in place instead).
KORVEX_NOINLINE inline bool attribute_components(PyObject* vector, double* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        PyObject* value = PyObject_GetAttr(vector, component_names[i]);
        if (value == nullptr) return false;
        bool ok = korvex::to_double(value, out[i]);
        Py_DECREF(value);
        if (!ok) return false;
    }
    return true;
}

// The first `count` components of a Vector2 (count 2) or Vector4 (count 4)
// through its x, y, z, w attributes. The vector types are final and those
// attributes return the stored components, so an exact instance is read in
// place.
template <std::size_t count>
bool vector_components(PyObject* vector, double (&out)[count]) {
    static_assert(count == 2 || count == 4);
    if constexpr (count == 2) {
        if (Py_IS_TYPE(vector, vector2_class.type)) {
            const Vector2& v = reinterpret_cast<Vector2Object*>(vector)->data;
            out[0] = v.x;
            out[1] = v.y;
            return true;
        }
    } else {
        if (Py_IS_TYPE(vector, vector4_class.type)) {
            const vector4_t& v = reinterpret_cast<Vector4Object*>(vector)->data;
            out[0] = v.x;
            out[1] = v.y;
            out[2] = v.z;
            out[3] = v.w;
            return true;
        }
    }
    return attribute_components(vector, out, count);
}

// Items 0..count-1 of a list or tuple of exactly `count` items (a subclass's
// own __len__ is honoured). Returns 1 when read, 0 when the length differs,
// -1 on error.
template <std::size_t count>
int sequence_components(PyObject* sequence, double (&out)[count]) {
    if (korvex::plain_number_items(sequence, out)) return 1;
    const Py_ssize_t length = is_exact_list_or_tuple(sequence) ? Py_SIZE(sequence) : PyObject_Length(sequence);
    if (length < 0) return -1;
    if (length != static_cast<Py_ssize_t>(count)) return 0;
    for (std::size_t i = 0; i < count; ++i)
        if (!number_item(sequence, static_cast<Py_ssize_t>(i), out[i])) return -1;
    return 1;
}

// x, y, width, height of a Rect (its fields), a Vector4 (its components) or a
// list/tuple of four items: 1 when read, 0 for a list/tuple of another length
// or a value of another kind (left for the caller to report), -1 on error.
inline int rect_values(PyObject* arg, double (&values)[4]) {
    if (is_exact_list_or_tuple(arg)) return sequence_components(arg, values);
    if (is_rect(arg)) {
        const Rectangle& r = as_rect(arg)->_raw;
        values[0] = r.x;
        values[1] = r.y;
        values[2] = r.width;
        values[3] = r.height;
        return 1;
    }
    if (is_vector4(arg)) return vector_components(arg, values) ? 1 : -1;
    return is_list_or_tuple(arg) ? sequence_components(arg, values) : 0;
}

// A point, offset or size as `center` accepts it: a Vector2, or anything
// indexable by 0 and 1 (later items are ignored). Both values are read
// before the caller writes anything.
inline bool vector_like(PyObject* value, double (&out)[2]) {
    if (!is_exact_list_or_tuple(value) && is_vector2(value)) return vector_components(value, out);
    return number_item(value, 0, out[0]) && number_item(value, 1, out[1]);
}

KORVEX_COLD inline int raise_rect_kind() {
    return raise_value_error("rect for collision must be a Rect, Vector4, tuple, or list of length 4");
}

// Another rectangle as collide_rect accepts it (a Rect, a Vector4, or a list
// or tuple of four numbers) into x, y, width, height; false with ValueError
// "rect for collision must be ..." for anything else.
inline bool rect_like(PyObject* other, double (&out)[4]) {
    const int read = rect_values(other, out);
    if (read == 0) raise_rect_kind();
    return read > 0;
}

}  // namespace rect_impl
