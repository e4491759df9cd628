// Hashes of floating-point values and of tuples of them, equal to the
// interpreter's own (hash(float), hash(tuple)) and computed without making the
// float or tuple objects: a vector hashes like the tuple of its components.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "korvex/common/python.hpp"

namespace korvex::detail {

// The interpreter's float hash (_Py_HashDouble), computed inline on the bits
// of the double for zeros and normal numbers: the value reduced modulo the
// prime 2**61 - 1. The interpreter takes the significand 28 bits at a time,
// rotating the sum left by 28 bits (modulo the prime) before each step, then
// rotates it by the exponent; a 53-bit significand is one step of its top 28
// bits and, when the low 25 are not all zero, a second one of those 25 bits
// shifted up by 3 (single-precision components never need the second).
// Subnormals, infinities and NaN go to the interpreter itself.
inline Py_hash_t hash_double(double value) {
    static_assert(PyHASH_BITS == 61, "the 64-bit hash modulus");
    constexpr Py_uhash_t modulus = PyHASH_MODULUS;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const auto biased_exponent = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased_exponent == 0 && fraction == 0) return 0;
    if (biased_exponent == 0 || biased_exponent == 0x7ff) return _Py_HashDouble(nullptr, value);

    const std::uint64_t significand = fraction | (std::uint64_t{1} << 52);  // value = significand * 2**(e - 53)
    int exponent = biased_exponent - 1022 - 28;                              // frexp's exponent, after one step
    Py_uhash_t sum = significand >> 25;
    if (const std::uint64_t rest = significand & ((std::uint64_t{1} << 25) - 1); rest != 0) {
        sum = ((sum << 28) & modulus) | (sum >> (PyHASH_BITS - 28));
        sum += rest << 3;
        if (sum >= modulus) sum -= modulus;
        exponent -= 28;
    }
    exponent = exponent >= 0 ? exponent % PyHASH_BITS : PyHASH_BITS - 1 - ((-1 - exponent) % PyHASH_BITS);
    sum = ((sum << exponent) & modulus) | (sum >> (PyHASH_BITS - exponent));
    if (bits >> 63) sum = static_cast<Py_uhash_t>(0) - sum;
    if (sum == static_cast<Py_uhash_t>(-1)) sum = static_cast<Py_uhash_t>(-2);
    return static_cast<Py_hash_t>(sum);
}

// The float hash of a single-precision value (the same as hash_double of it
// widened), from its own bits: a normal float is
// significand * 2**(e - 150) with a 24-bit significand, already below the
// prime, so its hash is the significand multiplied by 2**(e - 150) modulo the
// prime, which is a rotation by (e - 150) mod 61. Zeros are 0; subnormals,
// infinities and NaN go to the interpreter.
inline Py_hash_t hash_float(float value) {
    constexpr Py_uhash_t modulus = PyHASH_MODULUS;
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const auto biased_exponent = static_cast<int>((bits >> 23) & 0xff);
    const std::uint32_t fraction = bits & 0x7fffff;
    if (biased_exponent == 0 && fraction == 0) return 0;
    if (biased_exponent == 0 || biased_exponent == 0xff) return _Py_HashDouble(nullptr, static_cast<double>(value));
    const Py_uhash_t significand = fraction | (std::uint32_t{1} << 23);
    const int shift = (biased_exponent - 150 + 3 * PyHASH_BITS) % PyHASH_BITS;  // the exponent is at least -149
    Py_uhash_t sum = ((significand << shift) & modulus) | (significand >> (PyHASH_BITS - shift));
    if (bits >> 31) sum = static_cast<Py_uhash_t>(0) - sum;
    if (sum == static_cast<Py_uhash_t>(-1)) sum = static_cast<Py_uhash_t>(-2);
    return static_cast<Py_hash_t>(sum);
}

// Mirrors the interpreter's tuple hash (xxHash-style lanes), so that a vector
// hashes like the tuple of its components without building the tuple.
template <class Number>
Py_hash_t hash_components(const Number* values, std::size_t count) {
    constexpr Py_uhash_t prime1 = 11400714785074694791ULL;
    constexpr Py_uhash_t prime2 = 14029467366897019727ULL;
    constexpr Py_uhash_t prime5 = 2870177450012600261ULL;
    Py_uhash_t acc = prime5;
    for (std::size_t i = 0; i < count; ++i) {
        Py_hash_t hash;
        if constexpr (std::is_same_v<Number, float>) hash = hash_float(values[i]);
        else hash = hash_double(values[i]);
        const auto lane = static_cast<Py_uhash_t>(hash);
        acc += lane * prime2;
        acc = (acc << 31) | (acc >> 33);
        acc *= prime1;
    }
    acc += count ^ (prime5 ^ 3527539UL);
    if (acc == static_cast<Py_uhash_t>(-1)) return 1546275796;
    return static_cast<Py_hash_t>(acc);
}

}  // namespace korvex::detail
