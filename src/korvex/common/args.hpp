// Argument parsing for METH_FASTCALL | METH_KEYWORDS methods and vectorcall
// constructors. A function declares its signature once:
//
//     static constexpr auto sadd_sig = signature("sadd", "new_vec", "old_vec");
//     if (!parse(sadd_sig, args, nargs, kwnames, typed(new_vec, type), typed(old_vec, type))) return nullptr;
//
// and every message about counts, keywords and types comes from args.cpp.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "korvex/common/errors.hpp"
#include "korvex/common/fixed_string.hpp"
#include "korvex/common/python.hpp"

namespace korvex {

template <std::size_t N>
struct Signature {
    const char* name;
    std::array<const char*, N> params;
    std::size_t required;
    // How the documentation writes the default of each optional parameter
    // (null for required ones); the parser itself leaves an omitted one null.
    std::array<const char*, N> defaults{};
    // How many leading parameters are optional (0 or 1): with fewer positional
    // arguments than parameters, the arguments fill the last parameters, as
    // range(stop) and range(start, stop) do.
    std::size_t leading = 0;

    // The same signature with only the first `count` parameters required.
    constexpr Signature with_required(std::size_t count) const { return {name, params, count, defaults}; }

    // The same signature with the last parameters optional, one default text
    // each: signature("__init__", "r", "g", "b", "a").with_defaults("255").
    template <class... Texts>
    constexpr Signature with_defaults(Texts... texts) const {
        static_assert(sizeof...(Texts) >= 1 && sizeof...(Texts) <= N, "one default per optional parameter");
        Signature result{name, params, N - sizeof...(Texts), defaults};
        const char* given[] = {texts...};
        for (std::size_t i = 0; i < sizeof...(Texts); ++i) result.defaults[result.required + i] = given[i];
        return result;
    }

    // The same signature with the first parameter optional, `text` its
    // documented default: one argument fewer fills the other parameters.
    // signature("get_clamped_length", "min_length", "max_length").with_optional_first("0.0") takes
    // (max_length) or (min_length, max_length).
    constexpr Signature with_optional_first(const char* text) const {
        static_assert(N >= 2, "an optional first parameter needs a parameter after it");
        Signature result{name, params, N - 1, {}, 1};
        result.defaults[0] = text;
        return result;
    }
};

template <class... Names>
constexpr Signature<sizeof...(Names)> signature(const char* name, Names... params) {
    return {name, {params...}, sizeof...(Names), {}};
}

// Count error: "f() takes exactly 1 positional argument (0 given)".
KORVEX_COLD void raise_argument_count(const char* name, bool exact, Py_ssize_t minimum, Py_ssize_t maximum,
                                      Py_ssize_t given);
// "f() got an unexpected keyword argument 'k'".
KORVEX_COLD void raise_unexpected_keyword(const char* name, PyObject* keyword);

// Rejects any keyword for functions that take positional arguments only.
inline bool reject_keywords(const char* name, PyObject* kwnames) {
    if (kwnames == nullptr || PyTuple_GET_SIZE(kwnames) == 0) return true;
    raise_unexpected_keyword(name, PyTuple_GET_ITEM(kwnames, 0));
    return false;
}
// The same for a keyword dict (tp_init).
bool reject_keyword_dict(const char* name, PyObject* kwds);

// The out-of-line core: fills out[0..count) with borrowed references (null for
// optional parameters not given). The first `leading` parameters are the
// optional ones when there are any (Signature::leading), else the last
// count - required.
bool parse_arguments(const char* name, const char* const* params, std::size_t count, std::size_t required,
                     PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** out,
                     std::size_t leading = 0);

// A parameter that must be an instance of `type` (subclasses accepted unless
// `exact`), or None when `allow_none`.
template <class T>
struct Typed {
    T*& target;
    PyTypeObject* type;
    bool exact;
    bool allow_none;
};

template <class T>
constexpr Typed<T> typed(T*& target, PyTypeObject* type, bool allow_none = false) {
    return {target, type, false, allow_none};
}
template <class T>
constexpr Typed<T> exactly(T*& target, PyTypeObject* type, bool allow_none = false) {
    return {target, type, true, allow_none};
}

namespace detail {

inline bool store(const char*, PyObject* value, PyObject*& target) {
    target = value;
    return true;
}

template <class T>
inline bool store(const char* param, PyObject* value, Typed<T> rule) {
    if (value != nullptr) {
        bool matches = rule.exact ? Py_IS_TYPE(value, rule.type) : PyObject_TypeCheck(value, rule.type);
        if (!matches && !(rule.allow_none && value == Py_None))
            return raise_argument_type(param, rule.type, value);
    }
    rule.target = reinterpret_cast<T*>(value);
    return true;
}

}  // namespace detail

// The arguments in parameter order, borrowed (null for an optional one left
// out), with every count and keyword error raised.
template <std::size_t N, std::size_t M>
inline bool parse_values(const Signature<N>& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                         PyObject* (&values)[M]) {
    static_assert(M == (N == 0 ? 1 : N), "one value per declared parameter");
    // Fast path: positional arguments only, no fewer than the required ones
    // and no more than all: those left out are null, and an optional first
    // parameter left out shifts the others by one.
    const auto given = static_cast<std::size_t>(nargs);
    if (kwnames == nullptr && given >= sig.required && given <= N) {
        const std::size_t first = std::min(sig.leading, N - given);
        for (std::size_t i = 0; i < N; ++i) values[i] = i >= first && i < first + given ? args[i - first] : nullptr;
        return true;
    }
    return parse_arguments(sig.name, sig.params.data(), N, sig.required, args, nargs, kwnames, values, sig.leading);
}

template <std::size_t N, class... Outs>
inline bool parse(const Signature<N>& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                  Outs&&... outs) {
    static_assert(sizeof...(Outs) == N, "one output per declared parameter");
    PyObject* values[N == 0 ? 1 : N] = {};
    if (!parse_values(sig, args, nargs, kwnames, values)) return false;
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return (detail::store(sig.params[I], values[I], std::forward<Outs>(outs)) && ...);
    }(std::make_index_sequence<N>{});
}

using FastcallFunction = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

// --- docstrings ------------------------------------------------------------------------
//
// help() and inspect.signature read a builtin's parameters from the head of
// its docstring, "name($self, a, b=1)\n--\n\n", followed by the text. The
// head is written at compile time from the Signature the parser uses, so the
// documented names are the accepted names.

// Whether the documented callable receives the object it is looked up on:
// methods and module functions do ($self, which inspect drops once bound),
// static methods do not.
enum class Receiver { none, self };

namespace detail {

// Counts (out null) or writes the characters given to it.
struct TextWriter {
    // help() prints docstrings as they are, so prose is folded here.
    static constexpr std::size_t width = 72;

    char* out;
    std::size_t size = 0;
    std::size_t column = 0;
    bool line_has_text = false;  // more than spaces since the last line break
    bool space_pending = false;

    constexpr void put(char c) {
        if (out != nullptr) out[size] = c;
        ++size;
        column = c == '\n' ? 0 : column + 1;
        line_has_text = c != '\n' && (line_has_text || c != ' ');
    }
    constexpr void put(const char* text) {
        while (*text != '\0') put(*text++);
    }
    // Writes prose folded at `width` columns: a space between two words
    // becomes a line break where the next word would pass the margin; line
    // breaks in the text are kept, and so are spaces that indent a line (a
    // formula set apart). Consecutive calls continue the same paragraph, and
    // text glued to the previous call stays glued.
    constexpr void put_folded(const char* text) {
        while (*text != '\0') {
            if (*text == ' ' && !line_has_text) {
                put(*text++);
                continue;
            }
            if (*text == '\n' || *text == ' ') {
                if (*text == '\n') put('\n');
                space_pending = *text == ' ';
                ++text;
                continue;
            }
            std::size_t length = 0;
            while (text[length] != '\0' && text[length] != ' ' && text[length] != '\n') ++length;
            if (space_pending && column > 0) put(column + 1 + length > width ? '\n' : ' ');
            space_pending = false;
            for (std::size_t i = 0; i < length; ++i) put(text[i]);
            text += length;
        }
    }
};

// The folded copy of the text that `Text` (a captureless lambda) returns.
template <class Text>
constexpr auto fold(Text) {
    constexpr const char* source = Text{}();
    constexpr std::size_t size = [] {
        TextWriter counter{nullptr};
        counter.put_folded(source);
        return counter.size + 1;
    }();
    std::array<char, size> text{};
    TextWriter writer{text.data()};
    writer.put_folded(source);
    writer.put('\0');
    return text;
}

// Writes name(params)\n--\n\ndoc, then a blank line and details if any, and the
// terminating zero; returns the size.
template <std::size_t N>
constexpr std::size_t write_documented(char* out, const Signature<N>& sig, Receiver receiver, const char* doc,
                                       const char* details = "") {
    TextWriter text{out};
    text.put(sig.name);
    text.put('(');
    if (receiver == Receiver::self) text.put(N == 0 ? "$self" : "$self, ");
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0) text.put(", ");
        text.put(sig.params[i]);
        // Behind an optional first parameter the others are required, which
        // a Python signature cannot write after an optional one: they show
        // the default `...`, and the docstring says how arguments fill.
        if (sig.leading > 0 && i >= sig.leading) {
            text.put("=...");
        } else if (i < sig.leading || i >= sig.required) {
            text.put('=');
            text.put(sig.defaults[i] != nullptr ? sig.defaults[i] : "None");
        }
    }
    text.put(")\n--\n\n");
    text.put_folded(doc);
    if (details[0] != '\0') {
        text.put_folded("\n\n");
        text.put_folded(details);
    }
    text.put('\0');
    return text.size;
}

}  // namespace detail

// A docstring without a signature (modules, properties, and classes whose
// constructor parses by hand), folded: docstring<"The width, an int.">.data().
template <FixedString text>
inline constexpr auto docstring = detail::fold([] { return text.value; });

// A method-table entry for a METH_FASTCALL | METH_KEYWORDS function.
inline PyMethodDef fastcall_method(const char* name, FastcallFunction function, int extra_flags = 0,
                                   const char* doc = nullptr) {
    return {name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function)),
            METH_FASTCALL | METH_KEYWORDS | extra_flags, doc};
}

// A method or property table sized by the compiler, with the all-zero entry
// that ends it appended:  auto methods = korvex::terminated<PyMethodDef>(...);
template <class Entry, class... Entries>
std::array<Entry, sizeof...(Entries) + 1> terminated(const Entries&... entries) {
    return {Entry(entries)..., Entry{}};
}

// Calls a vectorcall-style implementation with a tuple and a keyword dict, for
// tp_init and other entries that the interpreter calls the old way.
PyObject* call_with_dict(PyObject* (*impl)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*), PyObject* self,
                         PyObject* args, PyObject* kwds);

// A tp_init made of a vectorcall-style __init__ that returns None on success.
template <FastcallFunction init>
int init_with_dict(PyObject* self, PyObject* args, PyObject* kwds) {
    PyObject* result = call_with_dict(init, self, args, kwds);
    if (result == nullptr) return -1;
    Py_DECREF(result);
    return 0;
}

// The tp_init of a type whose __init__ takes no arguments: too many
// positional arguments are reported first, then any keyword.
int init_without_arguments(PyObject* self, PyObject* args, PyObject* kwds);

// The interpreter's ordinary type call (tp_new, then tp_init), for a
// vectorcall constructor reached with another type than its own (a subclass).
KORVEX_COLD PyObject* call_type_generically(PyObject* type, PyObject* const* args, size_t nargsf, PyObject* kwnames);

}  // namespace korvex
