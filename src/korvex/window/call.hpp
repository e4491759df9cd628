// Module functions that convert their arguments and call one raylib function,
// declared as descriptors (entry.hpp) from the signature, the raylib function
// and one argument kind per parameter:
//
//     constexpr auto get_fps = raylib_entry<GetFPS>(signature("get_fps"), "The frames ...");
//     constexpr auto draw_line_ex = window_entry<DrawLineEx, "draw", Point, Point, Length, Paint>(
//         signature("draw_line_ex", "start", "end", "thick", "color"), "Draws ...");
//
// Every argument is converted and checked before raylib is called, so a bad
// one raises with nothing drawn. Functions that need the window's GL context
// (window_entry) check for it after the arguments: raylib alone crashes the
// process when asked to draw, begin a frame or read pixels without one.
//
// The docstring's last paragraph is written from the kinds and the window
// check: each kind with a `rule` gives its sentence once, the kinds marked
// `must_be_finite` one sentence for all, so the text says what the arguments
// really accept.
#pragma once

#include <raylib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <cstddef>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/entry.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/text.hpp"
#include "korvex/parser/parser.hpp"
#include "korvex/vector2/vector2.hpp"

namespace korvex {

// Bound once by the module's exec (parser_import), as any outside consumer
// binds them; one copy per extension module.
inline ParserAPI parser{};
// The Vector2 table, for results that are vectors (window module).
inline Vector2VTable* vector2_table = nullptr;

// The parser takes NaN and infinities as numbers; raylib would carry them
// into the GL buffers.
KORVEX_COLD inline bool raise_not_finite(const char* param) {
    PyErr_Format(PyExc_ValueError, "%s must be finite", param);
    return false;
}

// --- argument kinds: what one parameter accepts and the C value it becomes ---

// A like-value read by one of the parser's functions, every component finite.
template <auto ParserAPI::*parse, FixedString sentence>
struct FiniteLike {
    using Value = decltype((parser.*parse)(nullptr));
    static constexpr const char* rule = sentence.value;
    static constexpr bool must_be_finite = true;
    static bool finite(const Value& value) {
        const auto components = std::bit_cast<std::array<float, sizeof(Value) / sizeof(float)>>(value);
        return std::all_of(components.begin(), components.end(), [](float c) { return std::isfinite(c); });
    }
    static bool read(PyObject* obj, const char* param, Value& out) {
        out = (parser.*parse)(obj);
        if (PyErr_Occurred()) return false;
        return finite(out) || raise_not_finite(param);
    }
};

using Point = FiniteLike<&ParserAPI::parse_vector2_like,
                         "Positions are vector2-likes (a Vector2 or a sequence of two numbers).">;
using Area =
    FiniteLike<&ParserAPI::parse_rect_like, "Rectangles are rect-likes (a Rect or a sequence of four numbers).">;

// A color-like; the parser clamps its channels.
struct Paint {
    using Value = ::Color;
    static constexpr const char* rule = "Colors are color-likes (a Color or a sequence of three or four ints).";
    static bool read(PyObject* obj, const char*, Value& out) {
        out = parser.parse_color_like(obj);
        return !PyErr_Occurred();
    }
};

// A finite number (size, radius, thickness, angle), single precision.
struct Length {
    using Value = float;
    static constexpr bool must_be_finite = true;
    static bool read(PyObject* obj, const char* param, Value& out) {
        if (!to_float(obj, out)) return false;
        return std::isfinite(out) || raise_not_finite(param);
    }
};

// A 32-bit int (pixel coordinates, font sizes, modes, frame rates).
struct Whole {
    using Value = int;
    static bool read(PyObject* obj, const char*, Value& out) { return to_int32(obj, out); }
};

// A str, handed to raylib as UTF-8 (borrowed from the string object, which
// the caller holds for the whole call).
struct Text {
    using Value = const char*;
    static constexpr const char* rule = "Text is a str without NUL characters.";
    static bool read(PyObject* obj, const char* param, Value& out) { return text_argument(obj, param, out); }
};

// A key or mouse button code: any int. Codes outside 0..limit-1 (however
// large) become -1, which raylib answers with False, so nothing is ever
// indexed with them.
template <int limit>
struct Code {
    using Value = int;
    static constexpr const char* rule = "False for codes outside raylib's.";
    static bool read(PyObject* obj, const char*, Value& out) {
        long long code;
        if (PyLong_Check(obj)) {
            int overflow = 0;
            code = PyLong_AsLongLongAndOverflow(obj, &overflow);
            if (code == -1 && PyErr_Occurred()) return false;
            if (overflow != 0) code = -1;
        } else {
            int narrow;
            if (!to_int32(obj, narrow)) return false;
            code = narrow;
        }
        out = code >= 0 && code < limit ? static_cast<int>(code) : -1;
        return true;
    }
};

// --- results --------------------------------------------------------------------

inline PyObject* box(bool value) { return PyBool_FromLong(value); }
inline PyObject* box(int value) { return PyLong_FromLong(value); }
inline PyObject* box(float value) { return PyFloat_FromDouble(value); }
inline PyObject* box(double value) { return PyFloat_FromDouble(value); }
inline PyObject* box(::Vector2 value) { return vector2_table->cfrom_struct(value); }

// Whether the function needs the window (and with it the GL context).
enum class Need { nothing, window };

namespace detail {

// The body of a module function that calls one raylib function with its
// converted arguments, after checking for the window when `need` says so.
template <auto raylib, Need need, FixedString action, class... Values>
PyObject* call_with_window(Values... values) {
    if (need == Need::window && !IsWindowReady()) return raise_no_window(action.value);
    if constexpr (std::is_void_v<decltype(raylib(values...))>) {
        raylib(values...);
        Py_RETURN_NONE;
    } else {
        return box(raylib(values...));
    }
}

template <class Kind>
constexpr bool checks_finite() {
    if constexpr (requires { Kind::must_be_finite; }) return Kind::must_be_finite;
    else return false;
}

template <class Kind>
constexpr bool has_rule() {
    return requires { Kind::rule; };
}

// Whether the I-th kind comes first among the parameters of its kind.
template <std::size_t I, class... Kinds>
constexpr bool first_of_kind() {
    using All = std::tuple<Kinds...>;
    return [&]<std::size_t... J>(std::index_sequence<J...>) {
        return !(std::is_same_v<std::tuple_element_t<I, All>, std::tuple_element_t<J, All>> || ...);
    }(std::make_index_sequence<I>{});
}

// The last paragraph of the docstring: the rule of each kind, once, in the
// order of the parameters, then the finiteness and window checks; empty when
// there is none. (Sentences are picked by flags, never by comparing their
// addresses, which the sanitizer builds cannot do at compile time.)
template <Need need, class... Kinds>
inline constexpr auto argument_rules = [] {
    constexpr auto sentences = [] {
        std::array<const char*, sizeof...(Kinds) + 2> found{};
        std::size_t count = 0;
        [&]<std::size_t... I>(std::index_sequence<I...>) {
            using All = std::tuple<Kinds...>;
            ((void)[&] {
                 using Kind = std::tuple_element_t<I, All>;
                 if constexpr (has_rule<Kind>())
                     if (first_of_kind<I, Kinds...>()) found[count++] = Kind::rule;
             }(),
             ...);
        }(std::index_sequence_for<Kinds...>{});
        if ((checks_finite<Kinds>() || ...)) found[count++] = "ValueError for a NaN or infinite number.";
        if (need == Need::window) found[count++] = "RuntimeError when no raylib window is open.";
        return std::pair{found, count};
    }();
    constexpr std::size_t size = [&] {
        std::size_t total = 1;
        for (std::size_t i = 0; i < sentences.second; ++i)
            total += std::char_traits<char>::length(sentences.first[i]) + (i > 0 ? 1 : 0);
        return total;
    }();
    std::array<char, size> text{};
    std::size_t next = 0;
    for (std::size_t i = 0; i < sentences.second; ++i) {
        if (i > 0) text[next++] = ' ';
        for (const char* c = sentences.first[i]; *c != '\0'; ++c) text[next++] = *c;
    }
    return text;
}();

template <auto raylib, Need need, FixedString action, class... Kinds, std::size_t N>
constexpr auto raylib_call(const Signature<N>& sig, const char* doc) {
    static_assert(sizeof...(Kinds) == N, "one kind per parameter");
    auto entry = function(sig, call_with_window<raylib, need, action, typename Kinds::Value...>, doc,
                          reads<Kinds>...);
    entry.details = argument_rules<need, Kinds...>.data();
    return entry;
}

}  // namespace detail

// The descriptor of the module function `sig.name` that calls `raylib` with
// each argument read by its kind; raylib answers with or without a window.
template <auto raylib, class... Kinds, std::size_t N>
constexpr auto raylib_entry(const Signature<N>& sig, const char* doc) {
    return detail::raylib_call<raylib, Need::nothing, "", Kinds...>(sig, doc);
}

// The same for a raylib function that needs the window: without one it
// raises RuntimeError "cannot <action>: no raylib window is ready".
template <auto raylib, FixedString action, class... Kinds, std::size_t N>
constexpr auto window_entry(const Signature<N>& sig, const char* doc) {
    return detail::raylib_call<raylib, Need::window, action, Kinds...>(sig, doc);
}

}  // namespace korvex
