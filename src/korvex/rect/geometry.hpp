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
#include "korvex/common/method_pair.hpp"
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

using korvex::params;
using korvex::signature;

// The paragraphs the docstrings share.
#define KORVEX_PAIR_RULE(first, second, what)                                                          \
    "Takes two numbers " first " and " second ", or one " what ": a Vector2 or anything indexable by 0 " \
    "and 1. Computed in double precision, rounded once to single precision."
#define KORVEX_OTHER_RULE                                                                         \
    "other is what collide_rect takes: a Rect, a Vector4 (x, y, width, height), or a list or "  \
    "tuple of four numbers (ValueError otherwise). Computed in double precision, rounded once to " \
    "single precision."

inline constexpr auto moved_pair = korvex::method_pair<"moved", Forms<moved>>(
    params("dx", "dy").with_defaults("None"),
    {"Returns a new Rect: moved by (dx, dy).", "Returns self, changed: moved by (dx, dy).",
     KORVEX_PAIR_RULE("dx", "dy", "offset")});
inline constexpr auto inflated_pair = korvex::method_pair<"inflated", Forms<inflated>>(
    params("dw", "dh").with_defaults("None"),
    {"Returns a new Rect: width + dw, height + dh, same centre.",
     "Returns self, changed: width + dw, height + dh, same centre.",
     "Negative values shrink it.\n\n" KORVEX_PAIR_RULE("dw", "dh", "delta")});
inline constexpr auto scaled_pair = korvex::method_pair<"scaled", Forms<scaled>>(
    params("fx", "fy").with_defaults("None"),
    {"Returns a new Rect: width times fx, height times fy, same centre.",
     "Returns self, changed: width times fx, height times fy, same centre.",
     "With fx alone both are scaled by it. Computed in double precision, rounded once to single precision."});
inline constexpr auto clamped_pair = korvex::method_pair<"clamped", Forms<clamped>>(
    params("other"),
    {"Returns a new Rect: moved to lie inside other.", "Returns self, changed: moved to lie inside other.",
     "The size is kept; on an axis where self is larger than other it is centred on other.\n\n" KORVEX_OTHER_RULE});
inline constexpr auto normalized_pair = korvex::method_pair<"normalized", Forms<normalized>>(
    params(),
    {"Returns a new Rect: with a width and height of at least 0.",
     "Returns self, changed: with a width and height of at least 0.",
     "A negative width or height is made positive and x or y moved so that the same area is covered; x + "
     "width is computed in double precision and rounded once."});

inline constexpr auto get_clipped = get_form<clipped>(
    signature("get_clipped", "other"),
    "Returns a new Rect: the part of self that other covers.\n\n"
    "When they do not overlap (rectangles that only touch included, as for collide_rect) the result is "
    "Rect(x, y, 0, 0).\n\n" KORVEX_OTHER_RULE);
inline constexpr auto get_union = get_form<united>(
    signature("get_union", "other"),
    "Returns a new Rect: the smallest rectangle holding both self and other.\n\n" KORVEX_OTHER_RULE);
inline constexpr auto get_fitted = get_form<fitted>(
    signature("get_fitted", "other"),
    "Returns a new Rect: self scaled to fit in other, and centred in it.\n\n"
    "The aspect ratio is kept. "
    "The scale is min(other width / width, other height / height); a zero size gives IEEE infinities or "
    "NaN, never an exception.\n\n" KORVEX_OTHER_RULE);

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

}  // namespace rect_impl
