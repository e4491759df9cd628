// Value maths of the vector types, on the raw structures. Each vector module's
// declaration header names these under its own prefix (vector2_add, ...) so
// that consumer modules compute on structures inline, without objects.
//
// A math traits struct fixes everything that differs between the types:
//     Struct, Scalar, size, members   storage and component order
//     scalar_division                 true division or one reciprocal
//     sum_order                       how a sum of terms is associated
//     round_bias                      the largest value below one half
#pragma once

#include <cmath>
#include <cstddef>
#include <limits>

namespace korvex::vec {

// Results computed in double are narrowed to float storage by IEEE 754
// conversion (round to nearest, overflow to infinity).
static_assert(std::numeric_limits<float>::is_iec559, "float storage must be IEEE 754 single precision");

enum class ScalarDivision {
    True,        // each component: Scalar(double(c) / s)
    Reciprocal,  // r = 1 / s once, each component: c * r
};

enum class SumOrder {
    InOrder,   // ((t0 + t1) + t2) + ...
    Pairwise,  // (t0 + t2) + (t1 + t3)
};

template <class M>
using Struct = typename M::Struct;
template <class M>
using Scalar = typename M::Scalar;

template <class M>
constexpr Scalar<M>& at(Struct<M>& v, std::size_t i) {
    return v.*M::members[i];
}
template <class M>
constexpr Scalar<M> at(const Struct<M>& v, std::size_t i) {
    return v.*M::members[i];
}

// Builds a structure from one value per component.
template <class M, class F>
constexpr Struct<M> build(F&& component) {
    Struct<M> result{};
    for (std::size_t i = 0; i < M::size; ++i) at<M>(result, i) = component(i);
    return result;
}

template <class M, class T>
constexpr T sum(const T (&terms)[M::size]) {
    if constexpr (M::sum_order == SumOrder::Pairwise) {
        static_assert(M::size == 4, "the pairwise order is defined for four terms");
        return (terms[0] + terms[2]) + (terms[1] + terms[3]);
    } else {
        T total = terms[0];
        for (std::size_t i = 1; i < M::size; ++i) total = total + terms[i];
        return total;
    }
}

template <class M>
inline Struct<M> add(Struct<M> a, Struct<M> b) {
    return build<M>([&](std::size_t i) { return at<M>(a, i) + at<M>(b, i); });
}
template <class M>
inline Struct<M> sub(Struct<M> a, Struct<M> b) {
    return build<M>([&](std::size_t i) { return at<M>(a, i) - at<M>(b, i); });
}
template <class M>
inline Struct<M> mul_vector(Struct<M> a, Struct<M> b) {
    return build<M>([&](std::size_t i) { return at<M>(a, i) * at<M>(b, i); });
}
template <class M>
inline Struct<M> div_vector(Struct<M> a, Struct<M> b) {
    return build<M>([&](std::size_t i) { return at<M>(a, i) / at<M>(b, i); });
}
// Floored in the storage precision: the quotient is formed and floored as a
// Scalar (std::floor of a float is a float).
template <class M>
inline Struct<M> floordiv_vector(Struct<M> a, Struct<M> b) {
    return build<M>([&](std::size_t i) { return std::floor(at<M>(a, i) / at<M>(b, i)); });
}

// Products with a scalar are formed in double precision and rounded once.
template <class M>
inline Struct<M> mul_scalar(Struct<M> a, double value) {
    return build<M>([&](std::size_t i) { return static_cast<Scalar<M>>(static_cast<double>(at<M>(a, i)) * value); });
}

template <class M>
inline Struct<M> div_scalar(Struct<M> a, double value) {
    if constexpr (M::scalar_division == ScalarDivision::Reciprocal) {
        const double reciprocal = 1.0 / value;
        return build<M>([&](std::size_t i) { return static_cast<Scalar<M>>(at<M>(a, i) * reciprocal); });
    } else {
        return build<M>(
            [&](std::size_t i) { return static_cast<Scalar<M>>(static_cast<double>(at<M>(a, i)) / value); });
    }
}

template <class M>
inline Struct<M> floordiv_scalar(Struct<M> a, double value) {
    if constexpr (M::scalar_division == ScalarDivision::Reciprocal) {
        const double reciprocal = 1.0 / value;
        return build<M>([&](std::size_t i) { return static_cast<Scalar<M>>(std::floor(at<M>(a, i) * reciprocal)); });
    } else {
        return build<M>([&](std::size_t i) {
            return static_cast<Scalar<M>>(std::floor(static_cast<double>(at<M>(a, i)) / value));
        });
    }
}

template <class M>
inline void iadd(Struct<M>* self, Struct<M> other) {
    *self = add<M>(*self, other);
}
template <class M>
inline void isub(Struct<M>* self, Struct<M> other) {
    *self = sub<M>(*self, other);
}
template <class M>
inline void imul(Struct<M>* self, Struct<M> other) {
    *self = mul_vector<M>(*self, other);
}

// Sum of the squared components in the storage precision.
template <class M>
inline Scalar<M> length_squared(Struct<M> v) {
    Scalar<M> terms[M::size];
    for (std::size_t i = 0; i < M::size; ++i) terms[i] = at<M>(v, i) * at<M>(v, i);
    return sum<M>(terms);
}

// The root is taken in the storage precision (sqrtf for float storage).
template <class M>
inline double length(Struct<M> v) {
    return static_cast<double>(std::sqrt(length_squared<M>(v)));
}

// Component products summed in the storage precision.
template <class M>
inline double dot(Struct<M> a, Struct<M> b) {
    Scalar<M> terms[M::size];
    for (std::size_t i = 0; i < M::size; ++i) terms[i] = at<M>(a, i) * at<M>(b, i);
    return static_cast<double>(sum<M>(terms));
}

// Differences in the storage precision; squares and their sum in double.
template <class M>
inline double distance_squared_to(Struct<M> a, Struct<M> b) {
    double terms[M::size];
    for (std::size_t i = 0; i < M::size; ++i) {
        const auto difference = static_cast<double>(static_cast<Scalar<M>>(at<M>(a, i) - at<M>(b, i)));
        terms[i] = difference * difference;
    }
    return sum<M>(terms);
}

template <class M>
inline double distance_to(Struct<M> a, Struct<M> b) {
    return std::sqrt(distance_squared_to<M>(a, b));
}

// A zero vector normalises to positive zeros; otherwise every component is
// scaled by the double reciprocal of the root taken in storage precision.
template <class M>
inline Struct<M> normalize(Struct<M> v) {
    const Scalar<M> l2 = length_squared<M>(v);
    if (l2 == 0) return Struct<M>{};
    const double inverse = 1.0 / static_cast<double>(std::sqrt(l2));
    return build<M>([&](std::size_t i) { return static_cast<Scalar<M>>(static_cast<double>(at<M>(v, i)) * inverse); });
}

// Half away from zero: adding the largest value below one half (with the
// component's sign) and truncating is exact for every finite value.
template <class M>
inline Struct<M> round(Struct<M> v) {
    return build<M>([&](std::size_t i) {
        const Scalar<M> c = at<M>(v, i);
        return std::trunc(c + std::copysign(M::round_bias, c));
    });
}

template <class M>
inline Struct<M> abs(Struct<M> v) {
    return build<M>([&](std::size_t i) { return std::fabs(at<M>(v, i)); });
}

template <class M>
inline Struct<M> neg(Struct<M> v) {
    return build<M>([&](std::size_t i) { return -at<M>(v, i); });
}

}  // namespace korvex::vec
