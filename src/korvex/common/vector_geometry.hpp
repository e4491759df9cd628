// The geometry methods of a vector type, one descriptor each (entry.hpp), on
// the value maths of vector_geometry_math.hpp: Geometry on all three types,
// Planar on the types whose traits declare Rotation::planar (Vector2),
// Spatial on those that declare Rotation::spatial (Vector3). They are Python
// methods only; the native tables do not change.
//
// Every result is computed in double and rounded once into the stored
// components (single precision for Vector2 and Vector3, double for Vector4);
// a float result is the double itself. None of them raises for a zero vector.
#pragma once

#include <array>

#include "korvex/common/entry.hpp"
#include "korvex/common/method_pair.hpp"
#include "korvex/common/python.hpp"
#include "korvex/common/vector_core.hpp"
#include "korvex/common/vector_geometry_math.hpp"

namespace korvex {

template <class TraitsT>
struct VectorType<TraitsT>::Geometry {
    static PyObject* value_error(const char* message) {
        PyErr_SetString(PyExc_ValueError, message);
        return nullptr;
    }

    // The bounds are checked whatever the vector, a zero one included.
    template <bool in_place>
    static PyObject* clamp_length(Object* self, double min_length, double max_length) {
        if (min_length < 0) return value_error("min_length must not be negative");
        if (max_length < 0) return value_error("max_length must not be negative");
        if (min_length > max_length) return value_error("min_length must not be greater than max_length");
        using Clamp = Forms<vec::clamped_length<Traits>, double, double>;
        return in_place ? Clamp::to(self, min_length, max_length) : Clamp::get(self, min_length, max_length);
    }

    static int close(Object* self, Object* other, double rel_tol, double abs_tol) {
        if (rel_tol < 0 || abs_tol < 0) {
            value_error("tolerances must be non-negative");
            return -1;
        }
        return vec::is_close<Traits>(self->data, other->data, rel_tol, abs_tol);
    }

    static constexpr Accepts same = instance_of(own_type);

    using Lerp = Forms<vec::lerp<Traits>, Object*, double>;
    using MoveTowards = Forms<vec::moved_towards<Traits>, Object*, double>;
    using ScaleToLength = Forms<vec::scaled_to_length<Traits>, double>;
    using Reflect = Forms<vec::reflected<Traits>, Object*>;
    struct ClampLength {
        static constexpr auto get = clamp_length<false>;
        static constexpr auto to = clamp_length<true>;
    };
    // Results only returned, never stored in place: their get_ halves.
    using Project = Forms<vec::projected<Traits>, Object*>;
    using Min = Forms<vec::min<Traits>, Object*>;
    using Max = Forms<vec::max<Traits>, Object*>;
    using Clamp = Forms<vec::clamped<Traits>, Object*, Object*>;

    // --- descriptors, in class order ---------------------------------------------------

    static constexpr auto lerp = method_pair<"lerp", Lerp>(
        params("other", "t"),
        {"Returns the linear interpolation from self to other at t.",
         "Moves self to the interpolation towards other at t; returns self.",
         "self + (other - self) * t per component; t is not clamped, so values outside 0..1 extrapolate."},
        same, anything);
    static constexpr auto moved_towards = method_pair<"moved_towards", MoveTowards>(
        params("target", "max_distance"),
        {"Returns self moved towards target by at most max_distance.",
         "Moves self towards target by at most max_distance; returns self.",
         "The result is target itself when it is no farther than max_distance; a negative max_distance moves "
         "away. Distances are Euclidean, in the components' units."},
        same, anything);
    static constexpr auto clamped_length = method_pair<"clamped_length", ClampLength>(
        params("min_length", "max_length").with_optional_first("0.0"),
        {"Returns self scaled so that its length lies within the bounds.",
         "Scales self so that its length lies within the bounds; returns self.",
         "One argument is max_length, two are min_length and max_length; the minimum is 0.0 when left out. A "
         "vector within the bounds is unchanged, a zero vector stays zero. ValueError when a bound is "
         "negative or min_length > max_length (for a zero vector too), and self is then unchanged."},
        number_or(0.0), anything);
    static constexpr auto scaled_to_length = method_pair<"scaled_to_length", ScaleToLength>(
        params("length"),
        {"Returns a vector in the direction of self with the given length.",
         "Scales self to the given length in place; returns self.",
         "A negative length points the other way; a zero vector stays zero (no error)."});
    static constexpr auto reflected = method_pair<"reflected", Reflect>(
        params("normal"),
        {"Returns self reflected off a surface with the given normal.",
         "Reflects self off a surface with the given normal; returns self.",
         "self - 2 * (self . n) * n with n the normal scaled to length 1 (any length will do); a zero normal "
         "leaves the vector unchanged."},
        same);
    static constexpr auto get_projected = method(
        signature("get_projected", "onto"), Project::get,
        "Returns the projection of self onto the direction of onto.\n\n"
        "(self . onto / onto . onto) * onto; a zero onto gives the zero vector.",
        same);
    static constexpr auto get_min = method(
        signature("get_min", "other"), Min::get,
        "Returns the component-wise minimum of self and other.\n\n"
        "A NaN component gives NaN; -0.0 counts as less than 0.0.",
        same);
    static constexpr auto get_max = method(
        signature("get_max", "other"), Max::get,
        "Returns the component-wise maximum of self and other.\n\n"
        "A NaN component gives NaN; 0.0 counts as greater than -0.0.",
        same);
    static constexpr auto get_clamped = method(
        signature("get_clamped", "low", "high"), Clamp::get,
        "Returns self with each component clamped between low and high.\n\n"
        "Each component is raised to low's, then lowered to high's (so high wins where low > high); NaN "
        "gives NaN.",
        same, same);
    static constexpr auto is_close = method(
        signature("is_close", "other", "rel_tol", "abs_tol").with_defaults("1e-09", "0.0"), close,
        "Returns whether every component is close to other's, as math.isclose.\n\n"
        "Components compare as floats; ValueError for a negative tolerance.",
        same, number_or(1e-09), number_or(0.0));

    static auto entries() {
        return method_entries<lerp.get, lerp.to, moved_towards.get, moved_towards.to, clamped_length.get,
                              clamped_length.to, scaled_to_length.get, scaled_to_length.to, reflected.get,
                              reflected.to, get_projected, get_min, get_max, get_clamped, is_close>();
    }
};

// Vector2: rotation by an angle, angles, the polar form, the scalar cross
// product.
template <class TraitsT>
struct VectorType<TraitsT>::Planar {
    using Rotate = Forms<vec::rotated_2d<Traits>, double>;
    static constexpr Accepts same = instance_of(own_type);

    static PyObject* polar(Object* self) {
        const double values[] = {vec::wide_length<Traits>(self->data), vec::angle_2d<Traits>(self->data)};
        return tuple_of(PyFloat_FromDouble, values);
    }

    static constexpr auto rotated = method_pair<"rotated", Rotate>(
        params("angle"),
        {"Returns self rotated by angle radians, counter-clockwise.",
         "Rotates self by angle radians in place; returns self.",
         "(x cos a - y sin a, x sin a + y cos a): counter-clockwise with y up, so clockwise on a y-down "
         "screen."});
    static constexpr auto get_angle = method(
        signature("get_angle"), [](Object* self) { return vec::angle_2d<Traits>(self->data); },
        "Returns the direction of self, atan2(y, x), in radians.\n\n"
        "In (-pi, pi]; 0.0 for the zero vector.");
    static constexpr auto get_angle_to = method(
        signature("get_angle_to", "other"),
        [](Object* self, Object* other) { return vec::angle_to_2d<Traits>(self->data, other->data); },
        "Returns the signed angle from self's direction to other's, in radians.\n\n"
        "The angle that turns self onto other's direction, in (-pi, pi], positive counter-clockwise with y "
        "up (clockwise on a y-down screen); 0.0 when either vector is zero.",
        same);
    static constexpr auto from_polar = static_method(
        signature("from_polar", "length", "angle"),
        [](double length, double angle) { return box(vec::from_polar<Traits>(length, angle)); },
        "Returns the vector of the given length and angle (radians).\n\n"
        "(length * cos(angle), length * sin(angle)), computed in double precision.");
    static constexpr auto get_polar = method(
        signature("get_polar"), polar,
        "Returns the tuple (length, angle) of self, the angle in radians.\n\n"
        "The length is computed in double precision; the angle is get_angle()'s (0.0 for the zero "
        "vector).");
    static constexpr auto cross = method(
        signature("cross", "other"),
        [](Object* self, Object* other) { return vec::cross_2d<Traits>(self->data, other->data); },
        "Returns the scalar cross product x * other.y - y * other.x, a float.\n\n"
        "Computed in double precision; positive when other lies counter-clockwise of self (y up).",
        same);

    static auto entries() {
        return method_entries<rotated.get, rotated.to, get_angle, get_angle_to, from_polar, get_polar, cross>();
    }
};

// Vector3: rotation about an axis, the unsigned angle between two vectors.
template <class TraitsT>
struct VectorType<TraitsT>::Spatial {
    using Rotate = Forms<vec::rotated_3d<Traits>, Object*, double>;
    static constexpr Accepts same = instance_of(own_type);

    static constexpr auto rotated = method_pair<"rotated", Rotate>(
        params("axis", "angle"),
        {"Returns self rotated about axis by angle radians.",
         "Rotates self about axis by angle radians in place; returns self.",
         "Rodrigues' formula about axis scaled to length 1, by the right-hand rule; a zero axis leaves the "
         "vector unchanged."},
        same, anything);
    static constexpr auto get_angle_to = method(
        signature("get_angle_to", "other"),
        [](Object* self, Object* other) { return vec::angle_to_3d<Traits>(self->data, other->data); },
        "Returns the angle between self and other in radians, in [0, pi].\n\n"
        "0.0 when either vector is zero.",
        same);

    static auto entries() { return method_entries<rotated.get, rotated.to, get_angle_to>(); }
};

}  // namespace korvex
