// A string usable as a template argument, so that one generic wrapper can be
// stamped out per method name.
#pragma once

#include <cstddef>

namespace korvex {

template <std::size_t L>
struct FixedString {
    char value[L];
    constexpr FixedString(const char (&text)[L]) {
        for (std::size_t i = 0; i < L; ++i) value[i] = text[i];
    }
};

}  // namespace korvex
