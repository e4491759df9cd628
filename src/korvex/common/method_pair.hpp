// get_/to_ method pairs declared once, on the descriptors of entry.hpp.
#pragma once

#include <cstddef>

#include "korvex/common/args.hpp"
#include "korvex/common/entry.hpp"
#include "korvex/common/fixed_string.hpp"

namespace korvex {

// A get_/to_ pair from one declaration: get_<stem> returns the result as a
// new object, to_<stem> stores it in self and returns self. Both take the same
// parameters, accept the same values and share a paragraph of details; each
// has its own summary. `Forms` holds the two bodies, `get` and `to`:
//
//     static constexpr auto lerp = korvex::method_pair<"lerp", Lerp>(
//         korvex::params("other", "t"),
//         {"Returns the interpolation from self to other at t.",
//          "Moves self to the interpolation towards other at t; returns self.",
//          "self + (other - self) * t per component; t is not clamped."},
//         same, anything);
//
// lerp.get and lerp.to are descriptors like any other (`slot<lerp.to>`).
template <class Get, class To, std::size_t N>
struct MethodPair {
    Method<Get, N> get;
    Method<To, N> to;
};

struct PairDocs {
    const char* get;
    const char* to;
    const char* details = "";
};

// The parameters of a signature whose name is given elsewhere (method_pair).
template <class... Names>
constexpr Signature<sizeof...(Names)> params(Names... names) {
    return signature(nullptr, names...);
}

namespace detail {

template <const char* name, std::size_t N, class Body, class... A>
constexpr auto pair_half(Signature<N> sig, Body body, const char* doc, const char* details, A... accepts) {
    sig.name = name;
    auto entry = make_method(sig, body, doc, accepts...);
    entry.details = details;
    return entry;
}

}  // namespace detail

template <FixedString stem, class Forms, std::size_t N, class... A>
constexpr auto method_pair(const Signature<N>& params, PairDocs docs, A... accepts) {
    return MethodPair<decltype(+Forms::get), decltype(+Forms::to), N>{
        detail::pair_half<joined<"get_", stem>.data()>(params, Forms::get, docs.get, docs.details, accepts...),
        detail::pair_half<joined<"to_", stem>.data()>(params, Forms::to, docs.to, docs.details, accepts...)};
}

}  // namespace korvex
