// Argument parsing for METH_FASTCALL | METH_KEYWORDS methods and vectorcall
// constructors. A function declares its signature once:
//
//     static constexpr auto sadd_sig = signature("sadd", "new_vec", "old_vec");
//     if (!parse(sadd_sig, args, nargs, kwnames, typed(new_vec, type), typed(old_vec, type))) return nullptr;
//
// and every message about counts, keywords and types comes from args.cpp.
#pragma once

#include <array>
#include <cstddef>
#include <utility>

#include "korvex/common/errors.hpp"
#include "korvex/common/python.hpp"

namespace korvex {

template <std::size_t N>
struct Signature {
    const char* name;
    std::array<const char*, N> params;
    std::size_t required;

    // The same signature with only the first `count` parameters required.
    constexpr Signature with_required(std::size_t count) const { return {name, params, count}; }
};

template <class... Names>
constexpr Signature<sizeof...(Names)> signature(const char* name, Names... params) {
    return {name, {params...}, sizeof...(Names)};
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
// optional parameters not given).
bool parse_arguments(const char* name, const char* const* params, std::size_t count, std::size_t required,
                     PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** out);

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

template <std::size_t N, class... Outs>
inline bool parse(const Signature<N>& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                  Outs&&... outs) {
    static_assert(sizeof...(Outs) == N, "one output per declared parameter");
    // Fast path: exactly the positional arguments, no keywords.
    PyObject* values[N == 0 ? 1 : N] = {};
    if (kwnames == nullptr && static_cast<std::size_t>(nargs) == N) {
        for (std::size_t i = 0; i < N; ++i) values[i] = args[i];
    } else if (!parse_arguments(sig.name, sig.params.data(), N, sig.required, args, nargs, kwnames, values)) {
        return false;
    }
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return (detail::store(sig.params[I], values[I], std::forward<Outs>(outs)) && ...);
    }(std::make_index_sequence<N>{});
}

using FastcallFunction = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

// A method-table entry for a METH_FASTCALL | METH_KEYWORDS function.
inline PyMethodDef fastcall_method(const char* name, FastcallFunction function, int extra_flags = 0) {
    return {name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function)),
            METH_FASTCALL | METH_KEYWORDS | extra_flags, nullptr};
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
