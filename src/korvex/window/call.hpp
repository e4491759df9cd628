// Module functions that convert their arguments and call one raylib function,
// declared as descriptors (entry.hpp) from the signature, the raylib function
// and one argument kind per parameter:
//
//     constexpr auto draw_line_ex = raylib_entry<DrawLineEx, Need::window, "draw", Point, Point, Length, Paint>(
//         signature("draw_line_ex", "start", "end", "thick", "color"), "Draws ...");
//
// Every argument is converted and checked before raylib is called, so a bad
// one raises with nothing drawn. Functions that need the window's GL context
// check for it after the arguments: raylib alone crashes the process when
// asked to draw, begin a frame or read pixels without one.
#pragma once

#include <raylib.h>

#include <climits>
#include <cmath>
#include <cstddef>
#include <type_traits>

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

// "cannot draw: no raylib window is ready".
KORVEX_COLD inline PyObject* raise_no_window(const char* action) {
    PyErr_Format(PyExc_RuntimeError, "cannot %s: no raylib window is ready", action);
    return nullptr;
}

// The parser takes NaN and infinities as numbers; raylib would carry them
// into the GL buffers.
KORVEX_COLD inline bool raise_not_finite(const char* param) {
    PyErr_Format(PyExc_ValueError, "%s must be finite", param);
    return false;
}

inline bool all_finite(std::initializer_list<float> values) {
    for (float v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// --- argument kinds: what one parameter accepts and the C value it becomes ---

// A vector2-like of finite components.
struct Point {
    using Value = ::Vector2;
    static bool read(PyObject* obj, const char* param, Value& out) {
        out = parser.parse_vector2_like(obj);
        if (PyErr_Occurred()) return false;
        return all_finite({out.x, out.y}) || raise_not_finite(param);
    }
};

// A rect-like of finite components.
struct Area {
    using Value = ::Rectangle;
    static bool read(PyObject* obj, const char* param, Value& out) {
        out = parser.parse_rect_like(obj);
        if (PyErr_Occurred()) return false;
        return all_finite({out.x, out.y, out.width, out.height}) || raise_not_finite(param);
    }
};

// A color-like; the parser clamps its channels.
struct Paint {
    using Value = ::Color;
    static bool read(PyObject* obj, const char*, Value& out) {
        out = parser.parse_color_like(obj);
        return !PyErr_Occurred();
    }
};

// A finite number (size, radius, thickness, angle), single precision.
struct Length {
    using Value = float;
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
    static bool read(PyObject* obj, const char* param, Value& out) { return text_argument(obj, param, out); }
};

// A key or mouse button code: any int. Codes outside 0..limit-1 (however
// large) become -1, which raylib answers with False, so nothing is ever
// indexed with them.
template <int limit>
struct Code {
    using Value = int;
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

}  // namespace detail

// The descriptor of the module function `sig.name` that calls `raylib`: each
// argument read by its kind, then (when `need` says so) the window checked.
template <auto raylib, Need need, FixedString action, class... Kinds, std::size_t N>
constexpr auto raylib_entry(const Signature<N>& sig, const char* doc) {
    static_assert(sizeof...(Kinds) == N, "one kind per parameter");
    return function(sig, detail::call_with_window<raylib, need, action, typename Kinds::Value...>, doc,
                    reads<Kinds>...);
}

}  // namespace korvex
