// Rect's properties: the fields, the edges and centres, the anchor points and
// the size. Reading an edge or a centre gives a float, an anchor point or the
// size a new Vector2; assigning an edge, a centre or an anchor moves the
// rectangle and keeps its size.
#include "korvex/common/convert.hpp"
#include "korvex/common/properties.hpp"
#include "korvex/rect/rect_internal.hpp"

namespace rect_impl {

namespace {

// A field read and assigned as it is (assigning rounds to single precision).
template <float Rectangle::* field>
float field_value(RectObject* self) {
    return self->_raw.*field;
}
template <float Rectangle::* field>
void assign_field(RectObject* self, double value) {
    self->_raw.*field = static_cast<float>(value);
}

// value - offset by the interpreter's subtraction, with offset a Python float.
// For an exact float or int that is the double difference (int - float
// converts the int with PyLong_AsDouble), computed here without objects; any
// other value uses its own subtraction and the result is then converted.
bool subtract(PyObject* value, double offset, double& out) {
    if (PyFloat_CheckExact(value) || PyLong_CheckExact(value)) {
        double v;
        if (!korvex::to_double(value, v)) return false;
        out = v - offset;
        return true;
    }
    PyObject* subtrahend = PyFloat_FromDouble(offset);
    if (subtrahend == nullptr) return false;
    PyObject* difference = PyNumber_Subtract(value, subtrahend);
    Py_DECREF(subtrahend);
    if (difference == nullptr) return false;
    bool ok = korvex::to_double(difference, out);
    Py_DECREF(difference);
    return ok;
}

// right and bottom (position + size, summed in single precision) and centerx
// and centery (position + size / 2, in double). Assigning moves the
// rectangle and keeps its size. Halving a widened float is exact.
template <float Rectangle::* position, float Rectangle::* size, bool centre>
double edge_value(RectObject* self) {
    const Rectangle& r = self->_raw;
    if constexpr (centre) return static_cast<double>(r.*position) + static_cast<double>(r.*size) / 2.0;
    return static_cast<double>(r.*position + r.*size);
}

template <float Rectangle::* position, float Rectangle::* size, bool centre>
bool move_edge(RectObject* self, PyObject* value) {
    const double extent = static_cast<double>(self->_raw.*size);
    double moved;
    if (!subtract(value, centre ? extent / 2.0 : extent, moved)) return false;
    self->_raw.*position = static_cast<float>(moved);
    return true;
}

template <float Rectangle::* member>
constexpr auto field(const char* name, const char* doc) {
    return korvex::property(name, field_value<member>, assign_field<member>, doc);
}
template <float Rectangle::* position, float Rectangle::* size, bool centre>
constexpr auto edge(const char* name, const char* doc) {
    return korvex::property(name, edge_value<position, size, centre>, move_edge<position, size, centre>, doc);
}

// The shared sentences of the property docstrings.
#define KORVEX_FIELD_RULE                                                                             \
    "\n\nAssigning converts by the float protocol, rounded to single precision; deleting raises " \
    "NotImplementedError."
#define KORVEX_MOVE_RULE \
    "\n\nAssigning moves the rectangle and keeps its size; deleting raises NotImplementedError."

using R = Rectangle;
constexpr auto x = field<&R::x>("x", "The left edge x, a float (the same as left)." KORVEX_FIELD_RULE);
constexpr auto y = field<&R::y>("y", "The top edge y, a float (the same as top); y grows downward." KORVEX_FIELD_RULE);
constexpr auto w = field<&R::width>("w", "The width, a float (the same as width)." KORVEX_FIELD_RULE);
constexpr auto h = field<&R::height>("h", "The height, a float (the same as height)." KORVEX_FIELD_RULE);
constexpr auto width =
    field<&R::width>("width", "The width, a float; never checked, so it may be negative." KORVEX_FIELD_RULE);
constexpr auto height =
    field<&R::height>("height", "The height, a float; never checked, so it may be negative." KORVEX_FIELD_RULE);
constexpr auto left = field<&R::x>("left", "The left edge, a float (the same as x)." KORVEX_FIELD_RULE);
constexpr auto top = field<&R::y>("top", "The top edge, a float (the same as y)." KORVEX_FIELD_RULE);
constexpr auto right = edge<&R::x, &R::width, false>(
    "right", "The right edge x + width, a float (summed in single precision)." KORVEX_MOVE_RULE);
constexpr auto bottom = edge<&R::y, &R::height, false>(
    "bottom", "The bottom edge y + height, a float (summed in single precision)." KORVEX_MOVE_RULE);
constexpr auto centerx = edge<&R::x, &R::width, true>(
    "centerx", "The horizontal centre x + width / 2, a float (in double precision)." KORVEX_MOVE_RULE);
constexpr auto centery = edge<&R::y, &R::height, true>(
    "centery", "The vertical centre y + height / 2, a float (in double precision)." KORVEX_MOVE_RULE);
#undef KORVEX_FIELD_RULE
#undef KORVEX_MOVE_RULE

// The anchor points: x + width * h and y + height * v for halves h, v in
// 0, 1, 2 (left, centre, right; top, centre, bottom), computed in double,
// as `center` always was, and made through Vector2's table. A zero share is
// the position itself, never x + 0 * width (which would be NaN for an
// infinite width and +0.0 for x = -0.0).
template <int halves>
double along(float position, float size) {
    if constexpr (halves == 0) return static_cast<double>(position);
    else return static_cast<double>(position) + static_cast<double>(size) * (halves / 2.0);
}

template <int h, int v>
PyObject* anchor_value(RectObject* self) {
    const Rectangle& r = self->_raw;
    return vector2_class.table->__pyx_new(along<h>(r.x, r.width), along<v>(r.y, r.height));
}

// Assigning a vector-like (a Vector2, or anything indexable by 0 and 1) moves
// the rectangle so that the point lands there; both values are read before
// either field is written, and each new field is rounded once.
template <int halves>
double back_from(double point, float size) {
    if constexpr (halves == 0) return point;
    else return point - static_cast<double>(size) * (halves / 2.0);
}

template <int h, int v>
bool move_anchor(RectObject* self, PyObject* value) {
    double p[2];
    if (!vector_like(value, p)) return false;
    Rectangle& r = self->_raw;
    r.x = static_cast<float>(back_from<h>(p[0], r.width));
    r.y = static_cast<float>(back_from<v>(p[1], r.height));
    return true;
}

#define KORVEX_ANCHOR_RULE                                                                                 \
    ", a new Vector2.\n\nAssigning takes a Vector2 or anything indexable by 0 and 1, and moves the " \
    "rectangle so that this point is there, keeping its size; deleting raises NotImplementedError."

template <int h, int v>
constexpr auto anchor(const char* name, const char* doc) {
    return korvex::property(name, anchor_value<h, v>, move_anchor<h, v>, doc);
}

constexpr auto center = anchor<1, 1>("center", "The centre (centerx, centery)" KORVEX_ANCHOR_RULE);
constexpr auto topleft = anchor<0, 0>("topleft", "The top-left corner (x, y)" KORVEX_ANCHOR_RULE);
constexpr auto topright = anchor<2, 0>("topright", "The top-right corner (x + width, y)" KORVEX_ANCHOR_RULE);
constexpr auto bottomleft =
    anchor<0, 2>("bottomleft", "The bottom-left corner (x, y + height)" KORVEX_ANCHOR_RULE);
constexpr auto bottomright =
    anchor<2, 2>("bottomright", "The bottom-right corner (x + width, y + height)" KORVEX_ANCHOR_RULE);
constexpr auto midtop = anchor<1, 0>("midtop", "The middle of the top edge (centerx, y)" KORVEX_ANCHOR_RULE);
constexpr auto midbottom =
    anchor<1, 2>("midbottom", "The middle of the bottom edge (centerx, y + height)" KORVEX_ANCHOR_RULE);
constexpr auto midleft = anchor<0, 1>("midleft", "The middle of the left edge (x, centery)" KORVEX_ANCHOR_RULE);
constexpr auto midright =
    anchor<2, 1>("midright", "The middle of the right edge (x + width, centery)" KORVEX_ANCHOR_RULE);

#undef KORVEX_ANCHOR_RULE

PyObject* size_value(RectObject* self) {
    return vector2_class.table->__pyx_new(self->_raw.width, self->_raw.height);
}

bool resize(RectObject* self, PyObject* value) {
    double s[2];
    if (!vector_like(value, s)) return false;
    self->_raw.width = static_cast<float>(s[0]);
    self->_raw.height = static_cast<float>(s[1]);
    return true;
}

constexpr auto size = korvex::property(
    "size", size_value, resize,
    "The size (width, height), a new Vector2.\n\n"
    "Assigning takes a Vector2 or anything indexable by 0 and 1 and sets width and height (rounded to "
    "single precision), keeping x and y; deleting raises NotImplementedError.");

auto getsets = korvex::property_table<x, y, w, h, width, height, left, top, right, bottom, centerx, centery, center,
                                      topleft, topright, bottomleft, bottomright, midtop, midbottom, midleft,
                                      midright, size>();

}  // namespace

PyGetSetDef* properties() { return getsets.data(); }

}  // namespace rect_impl
