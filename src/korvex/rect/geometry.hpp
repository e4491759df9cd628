// Rect's methods that make a rectangle from one (moved, inflated, scaled,
// clamped, clipped, unions, fitted, normalized) and the containment and circle
// tests, one descriptor each; the bodies are in geometry.cpp, methods.cpp puts
// the descriptors in the method table.
//
// A get_ method returns a new, exact Rect (also for a subclass's instance); its
// to_ twin writes the same four values into self and returns self. Values are
// computed in double precision and rounded once into the stored floats.
#pragma once

#include <cstddef>
#include <optional>

#include "korvex/common/entry.hpp"
#include "korvex/rect/rect_internal.hpp"

namespace rect_impl {

// The transforms: the new fields into `out`, or false with the exception set.
// Each converts its arguments first and reads self's fields afterwards, since a
// conversion may run Python code that changes self.
bool moved(Rectangle& out, RectObject* self, PyObject* dx, PyObject* dy);
bool inflated(Rectangle& out, RectObject* self, PyObject* dw, PyObject* dh);
bool scaled(Rectangle& out, RectObject* self, double fx, std::optional<double> fy);
bool clamped(Rectangle& out, RectObject* self, PyObject* other);
bool clipped(Rectangle& out, RectObject* self, PyObject* other);
bool united(Rectangle& out, RectObject* self, PyObject* other);
bool fitted(Rectangle& out, RectObject* self, PyObject* other);
bool normalized(Rectangle& out, RectObject* self);

// The tests: 1 or 0, or -1 with the exception set.
int contains_rect(RectObject* self, PyObject* other);
int circle_overlaps(RectObject* self, PyObject* center, double radius);

// The get_ and to_ forms of a transform.
template <auto transform, class = decltype(transform)>
struct Forms;
template <auto transform, class... Args>
struct Forms<transform, bool (*)(Rectangle&, RectObject*, Args...)> {
    static PyObject* get(RectObject* self, Args... args) {
        Rectangle out;
        return transform(out, self, args...) ? slot_new(out) : nullptr;
    }
    static PyObject* to(RectObject* self, Args... args) {
        Rectangle out;
        if (!transform(out, self, args...)) return nullptr;
        self->_raw = out;
        return Py_NewRef(as_object(self));
    }
};

template <auto transform, std::size_t N>
constexpr auto get_form(const korvex::Signature<N>& sig, const char* doc) {
    return korvex::method(sig, Forms<transform>::get, doc);
}
template <auto transform, std::size_t N>
constexpr auto to_form(const korvex::Signature<N>& sig, const char* doc) {
    return korvex::method(sig, Forms<transform>::to, doc);
}

using korvex::signature;

// The shared sentences of the docstrings.
#define KORVEX_PAIR_RULE(first, second, what)                                                                 \
    "\n\nTakes two numbers " first " and " second ", or one " what ": a Vector2 or anything indexable by 0 " \
    "and 1. Computed in double precision, rounded once to single precision."
#define KORVEX_OTHER_RULE                                                                           \
    "\n\nother is what collide_rect takes: a Rect, a Vector4 (x, y, width, height), or a list or " \
    "tuple of four numbers (ValueError otherwise). Computed in double precision, rounded once to "  \
    "single precision."

#define KORVEX_MOVED_DOC " moved by (dx, dy)." KORVEX_PAIR_RULE("dx", "dy", "offset")
inline constexpr auto get_moved = get_form<moved>(signature("get_moved", "dx", "dy").with_defaults("None"),
                                                  "Returns a new Rect:" KORVEX_MOVED_DOC);
inline constexpr auto to_moved = to_form<moved>(signature("to_moved", "dx", "dy").with_defaults("None"),
                                                "Returns self, changed:" KORVEX_MOVED_DOC);

#define KORVEX_INFLATED_DOC                                                                         \
    " width + dw, height + dh, same centre.\n\nNegative values shrink it." KORVEX_PAIR_RULE("dw", "dh", \
                                                                                          "delta")
inline constexpr auto get_inflated = get_form<inflated>(
    signature("get_inflated", "dw", "dh").with_defaults("None"), "Returns a new Rect:" KORVEX_INFLATED_DOC);
inline constexpr auto to_inflated = to_form<inflated>(signature("to_inflated", "dw", "dh").with_defaults("None"),
                                                      "Returns self, changed:" KORVEX_INFLATED_DOC);

#define KORVEX_SCALED_DOC                                                                                    \
    " width times fx, height times fy, same centre.\n\nWith fx alone both are scaled " \
    "by it. Computed in double precision, rounded once to single precision."
inline constexpr auto get_scaled = get_form<scaled>(signature("get_scaled", "fx", "fy").with_defaults("None"),
                                                    "Returns a new Rect:" KORVEX_SCALED_DOC);
inline constexpr auto to_scaled = to_form<scaled>(signature("to_scaled", "fx", "fy").with_defaults("None"),
                                                  "Returns self, changed:" KORVEX_SCALED_DOC);

#define KORVEX_CLAMPED_DOC                                                                           \
    " moved to lie inside other.\n\nThe size is kept; on an axis where self is larger than other it is " \
    "centred on other." KORVEX_OTHER_RULE
inline constexpr auto get_clamped =
    get_form<clamped>(signature("get_clamped", "other"), "Returns a new Rect:" KORVEX_CLAMPED_DOC);
inline constexpr auto to_clamped =
    to_form<clamped>(signature("to_clamped", "other"), "Returns self, changed:" KORVEX_CLAMPED_DOC);

#define KORVEX_NORMALIZED_DOC                                                                                \
    " with a width and height of at least 0.\n\nA negative width or height is made positive and x or y " \
    "moved so that the same area is covered; x + width is computed in double precision and rounded once."
inline constexpr auto get_normalized =
    get_form<normalized>(signature("get_normalized"), "Returns a new Rect:" KORVEX_NORMALIZED_DOC);
inline constexpr auto to_normalized =
    to_form<normalized>(signature("to_normalized"), "Returns self, changed:" KORVEX_NORMALIZED_DOC);

inline constexpr auto get_clipped = get_form<clipped>(
    signature("get_clipped", "other"),
    "Returns a new Rect: the part of self that other covers.\n\n"
    "When they do not overlap (rectangles that only touch included, as for collide_rect) the result is "
    "Rect(x, y, 0, 0)." KORVEX_OTHER_RULE);
inline constexpr auto get_union = get_form<united>(
    signature("get_union", "other"),
    "Returns a new Rect: the smallest rectangle holding both self and other." KORVEX_OTHER_RULE);
inline constexpr auto get_fitted = get_form<fitted>(
    signature("get_fitted", "other"),
    "Returns a new Rect: self scaled to fit in other, and centred in it.\n\n"
    "The aspect ratio is kept. "
    "The scale is min(other width / width, other height / height); a zero size gives IEEE infinities or "
    "NaN, never an exception." KORVEX_OTHER_RULE);

inline constexpr auto contains = korvex::method(
    signature("contains", "other"), contains_rect,
    "Returns True when other lies wholly inside self, edges included.\n\n"
    "other is what collide_rect takes, read as Rect(other) would store it; its far edges and self's are "
    "summed in single precision, as the right and bottom properties are, so a rectangle of zero size on "
    "self's far edge is inside. NaN is never inside.");
inline constexpr auto collide_circle = korvex::method(
    signature("collide_circle", "center", "radius"), circle_overlaps,
    "Returns True when the circle overlaps self, border included.\n\n"
    "center is a Vector2 or anything indexable by 0 and 1; radius a number. The point of the rectangle "
    "nearest the centre is compared in double precision. A rectangle of negative width or height, a "
    "negative radius and NaN never collide.");

#undef KORVEX_PAIR_RULE
#undef KORVEX_OTHER_RULE
#undef KORVEX_MOVED_DOC
#undef KORVEX_INFLATED_DOC
#undef KORVEX_SCALED_DOC
#undef KORVEX_CLAMPED_DOC
#undef KORVEX_NORMALIZED_DOC

}  // namespace rect_impl
