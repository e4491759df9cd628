// Swizzle words: the property names made of component letters. Each word is
// a fixed-size char array so that a getter can be instantiated per word and
// decode its letters at compile time.
#pragma once

#include <array>
#include <cstddef>

namespace korvex {

template <std::size_t L>
using Word = std::array<char, L + 1>;

constexpr std::size_t power(std::size_t base, std::size_t exponent) {
    std::size_t result = 1;
    for (std::size_t i = 0; i < exponent; ++i) result *= base;
    return result;
}

// Every word of L letters over `letters` (N of them), in lexicographic order
// of the letter order given, the last letter varying fastest.
template <std::size_t N, std::size_t L>
constexpr std::array<Word<L>, power(N, L)> lexicographic_words(const char (&letters)[N + 1]) {
    std::array<Word<L>, power(N, L)> words{};
    for (std::size_t w = 0; w < words.size(); ++w) {
        std::size_t rest = w;
        for (std::size_t k = L; k-- > 0;) {
            words[w][k] = letters[rest % N];
            rest /= N;
        }
        words[w][L] = '\0';
    }
    return words;
}

// Words written out, for a type whose order is not lexicographic.
template <std::size_t L, std::size_t Count>
constexpr std::array<Word<L>, Count> listed_words(const char (&list)[Count][L + 1]) {
    std::array<Word<L>, Count> words{};
    for (std::size_t w = 0; w < Count; ++w)
        for (std::size_t k = 0; k <= L; ++k) words[w][k] = list[w][k];
    return words;
}

// The position of a letter among the component letters.
template <std::size_t N>
constexpr std::size_t letter_index(const char (&letters)[N + 1], char letter) {
    for (std::size_t i = 0; i < N; ++i)
        if (letters[i] == letter) return i;
    return N;
}

}  // namespace korvex
