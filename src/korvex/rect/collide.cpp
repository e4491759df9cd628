// Rect's collision tests and queries: the rules, and one descriptor per entry
// from which both its native slot and its Python method are generated.
//
// A slot called with dispatch flag 0 on a subclass instance lets the
// subclass's override of the method of the same name answer; the Python
// method calls its slot with the flag set.
#include "korvex/common/args.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/override.hpp"
#include "korvex/common/pickle.hpp"
#include "korvex/rect/rect_internal.hpp"

namespace rect_impl {

namespace {

// --- the rules on numbers -------------------------------------------------------------

// Inclusive on every edge; any NaN fails a comparison and so gives false.
bool point_inside(const Rectangle& r, double px, double py) {
    return static_cast<double>(r.x) <= px && px <= right_edge(r) && static_cast<double>(r.y) <= py &&
           py <= bottom_edge(r);
}

// Exclusive on every edge, the other rectangle's far edges summed in double.
bool rects_overlap(const Rectangle& r, double ox, double oy, double ow, double oh) {
    return ox + ow > static_cast<double>(r.x) && ox < right_edge(r) && oy + oh > static_cast<double>(r.y) &&
           oy < bottom_edge(r);
}

// Both rectangles' far edges summed in single precision.
bool rects_overlap(const Rectangle& a, const Rectangle& b) {
    return b.x + b.width > a.x && a.x + a.width > b.x && b.y + b.height > a.y && a.y + a.height > b.y;
}

KORVEX_COLD int raise_point_kind() {
    return raise_value_error("Point must be a Vector2, tuple, or list of length 2");
}

KORVEX_COLD int raise_rect_kind() {
    return raise_value_error("rect for collision must be a Rect, Vector4, tuple, or list of length 4");
}

// The untyped entries read any accepted kind into doubles and compare there.
int point_numeric(RectObject* self, PyObject* point) {
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

int rect_numeric(RectObject* self, PyObject* other) {
    double o[4];
    const Read read = rect_values(other, o);
    if (read == Read::failed) return -1;
    if (read != Read::done) return raise_rect_kind();
    return rects_overlap(self->_raw, o[0], o[1], o[2], o[3]);
}

// --- the rules on objects ---------------------------------------------------------------

// The typed entries compare the values they read with the interpreter's own
// comparisons and arithmetic, from the x, y, z, w attributes (Vector2,
// Vector4) or items 0, 1, 2, 3 (tuple, list), stopping at the first false.
enum class Source { Attributes, Items };

PyObject* component(PyObject* obj, Source source, int index) {
    if (source == Source::Attributes) return PyObject_GetAttr(obj, component_names[index]);
    return item(obj, index);
}

// An exact tuple or list given to a typed entry must hold the items the
// entry reads; a shorter one raises IndexError up front (whatever the first
// comparisons would decide) and nothing past its end is ever read.
bool long_enough(PyObject* obj, Source source, Py_ssize_t needed) {
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
int compare_edge(double edge, PyObject* value, int op, bool edge_first) {
    PyObject* number = PyFloat_FromDouble(edge);
    if (number == nullptr) return -1;
    int result = edge_first ? PyObject_RichCompareBool(number, value, op) : PyObject_RichCompareBool(value, number, op);
    Py_DECREF(number);
    return result;
}

// The rectangle's near and far edge on one axis (0 horizontal, 1 vertical).
double near_edge(const Rectangle& r, int axis) { return axis == 0 ? r.x : r.y; }
double far_edge(const Rectangle& r, int axis) { return axis == 0 ? right_edge(r) : bottom_edge(r); }

// One axis of the point rule: position <= p <= far edge, p read once. The
// rectangle's fields are read at each step, as comparisons may run Python code.
int point_axis(RectObject* self, PyObject* point, Source source, int axis) {
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
int rect_axis(RectObject* self, PyObject* other, Source source, int axis) {
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
bool plain_numbers(PyObject* obj, Source source, double (&out)[count]) {
    if (source == Source::Attributes) {
        if (!Py_IS_TYPE(obj, count == 2 ? vector2_class.type : vector4_class.type)) return false;
        return vector_components(obj, out);
    }
    if (!korvex::is_exact_list_or_tuple(obj)) return false;
    return korvex::plain_number_prefix(PySequence_Fast_ITEMS(obj), out);  // long enough: checked by the caller
}

bool point_on_numbers(const Rectangle& r, const double (&p)[2]) { return point_inside(r, p[0], p[1]); }
bool rect_on_numbers(const Rectangle& r, const double (&o)[4]) { return rects_overlap(r, o[0], o[1], o[2], o[3]); }

// An axis rule on the horizontal axis, then, if it holds, on the vertical one
// (or the same rule on plain numbers, see plain_numbers).
template <Source source, std::size_t needed, int (*axis_rule)(RectObject*, PyObject*, Source, int),
          bool (*numeric_rule)(const Rectangle&, const double (&)[needed])>
int on_both_axes(RectObject* self, PyObject* other) {
    if (!long_enough(other, source, needed)) return -1;
    double values[needed];
    if (plain_numbers(other, source, values)) return numeric_rule(self->_raw, values);
    int result = axis_rule(self, other, source, 0);
    if (result != 1) return result;
    return axis_rule(self, other, source, 1);
}

template <Source source>
constexpr auto point_objects = on_both_axes<source, 2, point_axis, point_on_numbers>;
template <Source source>
constexpr auto rect_objects = on_both_axes<source, 4, rect_axis, rect_on_numbers>;

int rect_rect(RectObject* self, PyObject* other) {
    if (!is_rect(other)) return korvex::raise_argument_type("other", &rect_type, other) ? 0 : -1;
    return rects_overlap(self->_raw, as_rect(other)->_raw);
}

// --- collision entries --------------------------------------------------------------------

// What an entry accepts: the check its Python method's parser makes, and the
// C type of its native slot's parameter.
enum class Accepts { anything, vector2_or_none, vector4_or_none, rect, tuple_or_none, list_or_none };

template <Accepts>
struct SlotParameter {
    using type = PyObject;
};
template <>
struct SlotParameter<Accepts::vector2_or_none> {
    using type = Vector2Object;
};
template <>
struct SlotParameter<Accepts::vector4_or_none> {
    using type = Vector4Object;
};
template <>
struct SlotParameter<Accepts::rect> {
    using type = RectObject;
};

template <Accepts accepts>
decltype(auto) checked(PyObject*& target) {
    if constexpr (accepts == Accepts::anything) return (target);
    if constexpr (accepts == Accepts::vector2_or_none) return korvex::typed(target, vector2_class.type, true);
    if constexpr (accepts == Accepts::vector4_or_none) return korvex::typed(target, vector4_class.type, true);
    if constexpr (accepts == Accepts::rect) return korvex::typed(target, &rect_type);
    if constexpr (accepts == Accepts::tuple_or_none) return korvex::exactly(target, &PyTuple_Type, true);
    if constexpr (accepts == Accepts::list_or_none) return korvex::exactly(target, &PyList_Type, true);
}

// One collision entry: its name, the name of its parameter, what it accepts,
// the rule (1 or 0, or -1 with an exception set) and the method's docstring
// (its signature head is added from name and parameter).
struct Collision {
    const char* name;
    const char* parameter;
    Accepts accepts;
    int (*rule)(RectObject* self, PyObject* arg);
    const char* doc;
};

// The shared sentences of the docstrings.
#define KORVEX_POINT_RULE                                                                                  \
    " A point (px, py) collides when\n\n"                                                                 \
    "    x <= px <= right and y <= py <= bottom\n\n"                                                      \
    "(right and bottom as the properties), so the border counts as inside. A rectangle of negative "    \
    "width or height contains no point; NaN never collides."
#define KORVEX_POINT_OBJECTS                                                                                \
    "\n\nThe coordinates are compared as they are, with Python's <= (an int compares exactly; one that " \
    "does not compare with a float raises TypeError); py is not read when px is outside."
#define KORVEX_RECT_RULE                                                                                   \
    " Another rectangle (ox, oy, ow, oh) collides when\n\n"                                               \
    "    ox + ow > x and ox < right and oy + oh > y and oy < bottom\n\n"                                  \
    "(right and bottom as the properties), so rectangles that share just an edge or a corner do not "   \
    "collide. NaN never collides."
#define KORVEX_RECT_OBJECTS                                                                                 \
    "\n\nThe values are added and compared as they are, with Python's + and <, so ints stay ints."

constexpr Collision collide_point{
    "collide_point", "point", Accepts::anything, point_numeric,
    "Returns True when the point lies in the rectangle, border included.\n\n"
    "point is a Vector2, or a list or tuple of two numbers; anything else, other lengths included, "
    "raises ValueError. The coordinates convert by the float protocol and are compared in double "
    "precision." KORVEX_POINT_RULE};
constexpr Collision collide_point_vector2{
    "collide_point_vector2", "point", Accepts::vector2_or_none, point_objects<Source::Attributes>,
    "Returns True when the Vector2 lies in the rectangle, border included.\n\n"
    "point must be a Vector2 (TypeError otherwise; None raises AttributeError)." KORVEX_POINT_RULE
        KORVEX_POINT_OBJECTS};
constexpr Collision collide_point_tuple{
    "collide_point_tuple", "point", Accepts::tuple_or_none, point_objects<Source::Items>,
    "Returns True when the tuple (px, py) lies in the rectangle or on it.\n\n"
    "point must be exactly a tuple (TypeError otherwise, subclasses too) of at least two items; later "
    "items are ignored, fewer raise IndexError." KORVEX_POINT_RULE KORVEX_POINT_OBJECTS};
constexpr Collision collide_point_list{
    "collide_point_list", "point", Accepts::list_or_none, point_objects<Source::Items>,
    "Returns True when the list [px, py] lies in the rectangle or on it.\n\n"
    "point must be exactly a list (TypeError otherwise, subclasses too) of at least two items; later "
    "items are ignored, fewer raise IndexError." KORVEX_POINT_RULE KORVEX_POINT_OBJECTS};
constexpr Collision collide_rect{
    "collide_rect", "other", Accepts::anything, rect_numeric,
    "Returns True when the other rectangle overlaps this one.\n\n"
    "other is a Rect, a Vector4 (x, y, width, height), or a list or tuple of four numbers; anything "
    "else, other lengths included, raises ValueError. The values convert by the float protocol and are "
    "compared in double precision." KORVEX_RECT_RULE};
constexpr Collision collide_rect_vector4{
    "collide_rect_vector4", "other", Accepts::vector4_or_none, rect_objects<Source::Attributes>,
    "Returns True when the Vector4 (x, y, width, height) overlaps self.\n\n"
    "other must be a Vector4 (TypeError otherwise; None raises AttributeError)." KORVEX_RECT_RULE
        KORVEX_RECT_OBJECTS};
constexpr Collision collide_rect_rect{
    "collide_rect_rect", "other", Accepts::rect, rect_rect,
    "Returns True when the Rect other overlaps this one.\n\n"
    "other must be a Rect (TypeError otherwise, None included)." KORVEX_RECT_RULE
    "\n\nSums and comparisons are in single precision, so at the last bit the answer may differ from "
    "collide_rect."};
constexpr Collision collide_rect_tuple{
    "collide_rect_tuple", "other", Accepts::tuple_or_none, rect_objects<Source::Items>,
    "Returns True when the tuple (x, y, width, height) overlaps self.\n\n"
    "other must be exactly a tuple (TypeError otherwise, subclasses too) of at least four items; later "
    "items are ignored, fewer raise IndexError." KORVEX_RECT_RULE KORVEX_RECT_OBJECTS};
constexpr Collision collide_rect_list{
    "collide_rect_list", "other", Accepts::list_or_none, rect_objects<Source::Items>,
    "Returns True when the list [x, y, width, height] overlaps self.\n\n"
    "other must be exactly a list (TypeError otherwise, subclasses too) of at least four items; later "
    "items are ignored, fewer raise IndexError." KORVEX_RECT_RULE KORVEX_RECT_OBJECTS};

#undef KORVEX_POINT_RULE
#undef KORVEX_POINT_OBJECTS
#undef KORVEX_RECT_RULE
#undef KORVEX_RECT_OBJECTS

// The slot and the method generated from a collision descriptor. The int slot
// reports failure as 0 with the exception set.
template <const Collision& entry>
struct CollisionEntry {
    using Parameter = typename SlotParameter<entry.accepts>::type;
    static constexpr auto sig = korvex::signature(entry.name, entry.parameter);
    static constexpr auto doc = korvex::documented_by<sig>([] { return entry.doc; });

    static int slot(RectObject* self, Parameter* arg, int skip_dispatch) {
        korvex::Override found = korvex::find_override(self, skip_dispatch, entry.name, method);
        if (found.failed()) return 0;
        const int result = found ? korvex::call_override(found, korvex::override_truth, arg)
                                 : entry.rule(self, reinterpret_cast<PyObject*>(arg));
        return result < 0 ? 0 : result;
    }

    static PyObject* method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        PyObject* arg = nullptr;
        if (!korvex::parse(sig, args, nargs, kwnames, checked<entry.accepts>(arg))) return nullptr;
        const int result = slot(as_rect(self), reinterpret_cast<Parameter*>(arg), 1);
        if (result == 0 && PyErr_Occurred()) return nullptr;
        return PyBool_FromLong(result);
    }

    static PyMethodDef definition() { return korvex::fastcall_method(entry.name, method, 0, doc.data()); }
};

// --- query entries --------------------------------------------------------------------------

// One query: its name, its body, how an override's result is checked, and
// the method's docstring.
struct Query {
    const char* name;
    PyObject* (*body)(RectObject* self);
    PyObject* (*convert_override)(PyObject* result);
    const char* doc;
};

PyObject* width_of(RectObject* self) { return PyFloat_FromDouble(self->_raw.width); }
PyObject* height_of(RectObject* self) { return PyFloat_FromDouble(self->_raw.height); }

PyObject* vector4_of(RectObject* self) {
    const Rectangle& r = self->_raw;
    return vector4_class.table->__pyx_new(r.x, r.y, r.width, r.height);
}

PyObject* fields_tuple(RectObject* self) {
    const Rectangle& r = self->_raw;
    const double fields[] = {r.x, r.y, r.width, r.height};
    return korvex::tuple_of(PyFloat_FromDouble, fields);
}

PyObject* vector4_or_none(PyObject* result) { return korvex::override_instance_or_none(result, vector4_class.type); }

constexpr Query get_width{"get_width", width_of, korvex::override_result, "Returns the width, a float."};
constexpr Query get_height{"get_height", height_of, korvex::override_result, "Returns the height, a float."};
constexpr Query get_vector4{"get_vector4", vector4_of, vector4_or_none,
                            "Returns a new Vector4 (x, y, width, height)."};
constexpr Query get_tuple{"get_tuple", fields_tuple, korvex::override_tuple_or_none,
                          "Returns a new tuple (x, y, width, height) of floats."};

template <const Query& entry>
struct QueryEntry {
    static constexpr auto sig = korvex::signature(entry.name);
    static constexpr auto doc = korvex::documented_by<sig>([] { return entry.doc; });

    static PyObject* slot(RectObject* self, int skip_dispatch) {
        korvex::Override found = korvex::find_override(self, skip_dispatch, entry.name, method);
        if (found.failed()) return nullptr;
        if (found) return korvex::call_override(found, entry.convert_override);
        return entry.body(self);
    }

    static PyObject* method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        if (!korvex::parse(sig, args, nargs, kwnames)) return nullptr;
        return slot(as_rect(self), 1);
    }

    static PyMethodDef definition() { return korvex::fastcall_method(entry.name, method, 0, doc.data()); }
};

// The method table, in class order, from the descriptors.
template <const Collision&... collisions>
struct Collisions {};
template <const Query&... queries>
struct Queries {};

template <const Collision&... collisions, const Query&... queries>
auto method_table(Collisions<collisions...>, Queries<queries...>) {
    return korvex::terminated<PyMethodDef>(CollisionEntry<collisions>::definition()...,
                                           QueryEntry<queries>::definition()...,
                                           KORVEX_PICKLE_REFUSAL(korvex::PickleRefusal::RawStruct));
}

auto method_definitions = method_table(
    Collisions<collide_point, collide_point_vector2, collide_point_tuple, collide_point_list, collide_rect,
               collide_rect_vector4, collide_rect_rect, collide_rect_tuple, collide_rect_list>{},
    Queries<get_width, get_height, get_vector4, get_tuple>{});

}  // namespace

RectVTable vtable = {
    .__pyx_new = slot_new,
    .get_width = QueryEntry<get_width>::slot,
    .get_height = QueryEntry<get_height>::slot,
    .collide_point = CollisionEntry<collide_point>::slot,
    .collide_point_vector2 = CollisionEntry<collide_point_vector2>::slot,
    .collide_point_tuple = CollisionEntry<collide_point_tuple>::slot,
    .collide_point_list = CollisionEntry<collide_point_list>::slot,
    .collide_rect = CollisionEntry<collide_rect>::slot,
    .collide_rect_vector4 = CollisionEntry<collide_rect_vector4>::slot,
    .collide_rect_rect = CollisionEntry<collide_rect_rect>::slot,
    .collide_rect_tuple = CollisionEntry<collide_rect_tuple>::slot,
    .collide_rect_list = CollisionEntry<collide_rect_list>::slot,
    .get_vector4 = QueryEntry<get_vector4>::slot,
    .get_tuple = QueryEntry<get_tuple>::slot,
};

PyMethodDef* methods() { return method_definitions.data(); }

}  // namespace rect_impl
