// Value maths of the vectors' geometry (interpolation, steering, lengths,
// reflection, projection, component-wise bounds, closeness, rotations and
// angles), on the raw structures, for the math traits of vector_math.hpp.
//
// Precision: every result is formed from the components widened to double
// and rounded once into the storage precision (a no-op for double storage);
// sums of terms follow the type's sum order. A zero vector never raises:
// each function states what it gives. NaN and infinities go through the
// IEEE arithmetic as it comes.
#pragma once

#include <cmath>
#include <cstddef>
#include <numbers>

#include "korvex/common/vector_math.hpp"

namespace korvex::vec {

// What a type's rotations take: an angle in the plane (Vector2), an axis and
// an angle in space (Vector3), or none (Vector4).
enum class Rotation { none, planar, spatial };

template <class M>
inline double wide(const Struct<M>& v, std::size_t i) {
    return static_cast<double>(at<M>(v, i));
}

// A structure of the values component(i) computes in double, each rounded
// once into storage.
template <class M, class F>
inline Struct<M> rounded(F&& component) {
    return build<M>([&](std::size_t i) { return static_cast<Scalar<M>>(component(i)); });
}

// Σ a_i·b_i in double, in the type's sum order.
template <class M>
inline double wide_dot(const Struct<M>& a, const Struct<M>& b) {
    double terms[M::size];
    for (std::size_t i = 0; i < M::size; ++i) terms[i] = wide<M>(a, i) * wide<M>(b, i);
    return sum<M>(terms);
}

// The length in double (not the single-precision `length`).
template <class M>
inline double wide_length(const Struct<M>& v) {
    return std::sqrt(wide_dot<M>(v, v));
}

// v·scale, each component rounded once.
template <class M>
inline Struct<M> times(const Struct<M>& v, double scale) {
    return rounded<M>([&](std::size_t i) { return wide<M>(v, i) * scale; });
}

template <class M>
inline bool is_zero(const Struct<M>& v) {
    for (std::size_t i = 0; i < M::size; ++i)
        if (at<M>(v, i) != 0) return false;
    return true;
}

// a + (b - a)·t, t unclamped.
template <class M>
inline Struct<M> lerp(Struct<M> a, Struct<M> b, double t) {
    return rounded<M>([&](std::size_t i) { return wide<M>(a, i) + (wide<M>(b, i) - wide<M>(a, i)) * t; });
}

// A step of at most max_distance from v towards target: target itself when
// it is that close (or v is target); a negative distance moves away.
template <class M>
inline Struct<M> moved_towards(Struct<M> v, Struct<M> target, double max_distance) {
    double step[M::size];
    double squares[M::size];
    for (std::size_t i = 0; i < M::size; ++i) {
        step[i] = wide<M>(target, i) - wide<M>(v, i);
        squares[i] = step[i] * step[i];
    }
    const double distance = std::sqrt(sum<M>(squares));
    if (distance <= max_distance || distance == 0) return target;
    const double scale = max_distance / distance;
    return rounded<M>([&](std::size_t i) { return wide<M>(v, i) + step[i] * scale; });
}

// v scaled by length / |v|; a zero vector is returned as it is.
template <class M>
inline Struct<M> scaled_to_length(Struct<M> v, double length) {
    const double current = wide_length<M>(v);
    if (current == 0) return v;
    return times<M>(v, length / current);
}

// v scaled so that its length lies in [min_length, max_length] (the caller
// checks the bounds); unchanged when it already does, and when it is zero.
template <class M>
inline Struct<M> clamped_length(Struct<M> v, double min_length, double max_length) {
    const double current = wide_length<M>(v);
    if (current == 0) return v;
    if (current < min_length) return times<M>(v, min_length / current);
    if (current > max_length) return times<M>(v, max_length / current);
    return v;
}

// v - 2·(v·n)·n with n = normal / |normal|; a zero normal leaves v as it is.
template <class M>
inline Struct<M> reflected(Struct<M> v, Struct<M> normal) {
    const double norm = wide_length<M>(normal);
    if (norm == 0) return v;
    double unit[M::size];
    for (std::size_t i = 0; i < M::size; ++i) unit[i] = wide<M>(normal, i) / norm;
    double terms[M::size];
    for (std::size_t i = 0; i < M::size; ++i) terms[i] = wide<M>(v, i) * unit[i];
    const double twice = 2 * sum<M>(terms);
    return rounded<M>([&](std::size_t i) { return wide<M>(v, i) - twice * unit[i]; });
}

// (v·onto ÷ onto·onto)·onto; a zero onto gives the zero vector.
template <class M>
inline Struct<M> projected(Struct<M> v, Struct<M> onto) {
    const double onto_squared = wide_dot<M>(onto, onto);
    if (onto_squared == 0) return Struct<M>{};
    const double scale = wide_dot<M>(v, onto) / onto_squared;
    return rounded<M>([&](std::size_t i) { return scale * wide<M>(onto, i); });
}

// The smaller and the larger of two components: NaN when either is NaN, and
// -0.0 below 0.0 (IEEE 754's minimum and maximum), so that the result does
// not depend on the order of the operands.
template <class T>
inline T minimum(T a, T b) {
    if (std::isnan(a) || std::isnan(b)) return a + b;
    if (a == b) return std::signbit(a) ? a : b;
    return a < b ? a : b;
}
template <class T>
inline T maximum(T a, T b) {
    if (std::isnan(a) || std::isnan(b)) return a + b;
    if (a == b) return std::signbit(a) ? b : a;
    return a < b ? b : a;
}

template <class M>
inline Struct<M> min(Struct<M> a, Struct<M> b) {
    return build<M>([&](std::size_t i) { return minimum(at<M>(a, i), at<M>(b, i)); });
}
template <class M>
inline Struct<M> max(Struct<M> a, Struct<M> b) {
    return build<M>([&](std::size_t i) { return maximum(at<M>(a, i), at<M>(b, i)); });
}
// Raised to low, then lowered to high: where low > high, high wins.
template <class M>
inline Struct<M> clamped(Struct<M> v, Struct<M> low, Struct<M> high) {
    return build<M>([&](std::size_t i) { return minimum(maximum(at<M>(v, i), at<M>(low, i)), at<M>(high, i)); });
}

// math.isclose on doubles (the tolerances already checked), as the
// interpreter computes it.
inline bool close(double a, double b, double rel_tol, double abs_tol) {
    if (a == b) return true;
    if (std::isinf(a) || std::isinf(b)) return false;
    const double difference = std::fabs(b - a);
    return difference <= std::fabs(rel_tol * b) || difference <= std::fabs(rel_tol * a) || difference <= abs_tol;
}

template <class M>
inline bool is_close(Struct<M> a, Struct<M> b, double rel_tol, double abs_tol) {
    for (std::size_t i = 0; i < M::size; ++i)
        if (!close(wide<M>(a, i), wide<M>(b, i), rel_tol, abs_tol)) return false;
    return true;
}

// --- the plane (x, y) ------------------------------------------------------------------------

// atan2 folded into (-pi, pi]: -pi (from a -0.0 sine) becomes pi.
inline double half_open_angle(double sine, double cosine) {
    const double angle = std::atan2(sine, cosine);
    return angle == -std::numbers::pi ? std::numbers::pi : angle;
}

// Counter-clockwise in mathematical axes (clockwise on a y-down screen).
template <class M>
inline Struct<M> rotated_2d(Struct<M> v, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    const double x = wide<M>(v, 0), y = wide<M>(v, 1);
    return rounded<M>([&](std::size_t i) { return i == 0 ? x * c - y * s : x * s + y * c; });
}

// atan2(y, x) in (-pi, pi]; 0.0 for the zero vector.
template <class M>
inline double angle_2d(Struct<M> v) {
    if (is_zero<M>(v)) return 0.0;
    return half_open_angle(wide<M>(v, 1), wide<M>(v, 0));
}

// x·other.y - y·other.x in double.
template <class M>
inline double cross_2d(Struct<M> a, Struct<M> b) {
    return wide<M>(a, 0) * wide<M>(b, 1) - wide<M>(a, 1) * wide<M>(b, 0);
}

// The signed angle turning a's direction onto b's, in (-pi, pi]; 0.0 when
// either is zero.
template <class M>
inline double angle_to_2d(Struct<M> a, Struct<M> b) {
    if (is_zero<M>(a) || is_zero<M>(b)) return 0.0;
    return half_open_angle(cross_2d<M>(a, b), wide_dot<M>(a, b));
}

template <class M>
inline Struct<M> from_polar(double length, double angle) {
    const double x = length * std::cos(angle), y = length * std::sin(angle);
    return rounded<M>([&](std::size_t i) { return i == 0 ? x : y; });
}

// --- space (x, y, z) -------------------------------------------------------------------------

struct Wide3 {
    double x, y, z;
};

inline Wide3 cross_3d(Wide3 a, Wide3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

template <class M>
inline Wide3 widened_3d(const Struct<M>& v) {
    return {wide<M>(v, 0), wide<M>(v, 1), wide<M>(v, 2)};
}

// Rodrigues' rotation about axis / |axis| (normalised in double), by the
// right-hand rule: v·cos a + (k × v)·sin a + k·(k·v)·(1 - cos a). A zero axis
// leaves v as it is.
template <class M>
inline Struct<M> rotated_3d(Struct<M> v, Struct<M> axis, double angle) {
    const double norm = wide_length<M>(axis);
    if (norm == 0) return v;
    const Wide3 k{wide<M>(axis, 0) / norm, wide<M>(axis, 1) / norm, wide<M>(axis, 2) / norm};
    const Wide3 p = widened_3d<M>(v);
    const Wide3 kxp = cross_3d(k, p);
    const double c = std::cos(angle), s = std::sin(angle);
    const double along = (k.x * p.x + k.y * p.y + k.z * p.z) * (1 - c);
    const double rotated[3] = {p.x * c + kxp.x * s + k.x * along, p.y * c + kxp.y * s + k.y * along,
                               p.z * c + kxp.z * s + k.z * along};
    return rounded<M>([&](std::size_t i) { return rotated[i]; });
}

// The unsigned angle between a and b, atan2(|a × b|, a·b) in [0, pi]; 0.0
// when either is zero.
template <class M>
inline double angle_to_3d(Struct<M> a, Struct<M> b) {
    if (is_zero<M>(a) || is_zero<M>(b)) return 0.0;
    const Wide3 c = cross_3d(widened_3d<M>(a), widened_3d<M>(b));
    return std::atan2(std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z), wide_dot<M>(a, b));
}

}  // namespace korvex::vec
