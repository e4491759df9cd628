// A string usable as a template argument, so that one generic wrapper can be
// stamped out per method name.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

namespace korvex {

template <std::size_t L>
struct FixedString {
    char value[L];
    constexpr FixedString(const char (&text)[L]) {
        for (std::size_t i = 0; i < L; ++i) value[i] = text[i];
    }
};

// Texts joined at compile time into one of static storage, for names and
// docstrings made from parts: joined<"get_", stem>.data().
template <FixedString... parts>
inline constexpr auto joined = [] {
    std::array<char, ((sizeof(parts.value) - 1) + ... + 1)> text{};
    auto end = text.begin();
    ((end = std::copy_n(parts.value, sizeof(parts.value) - 1, end)), ...);
    return text;
}();

}  // namespace korvex
