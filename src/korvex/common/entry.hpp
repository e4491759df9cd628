// One descriptor per native entry. A method, static method or module function
// is declared once, as a constexpr value:
//
//     constexpr auto dot = korvex::method(korvex::signature("dot", "other"), dot_body,
//                                         "Returns the dot product of self and other, as a float.",
//                                         same_vector);
//
// (the signature the parser uses; the body, a function or captureless lambda
// taking the object and one C value per parameter; the docstring; what each
// parameter accepts, `anything` when left out), and everything else is
// generated from it by Entry<dot>: the Python method (`definition()`, with
// its text signature), and the native slot (`slot`, the body with the trailing
// dispatch flag; on an overridable entry the flag 0 lets a Python subclass's
// override answer). The body without the flag is `dot.body` itself, which is
// what the flagless native slots (`_sadd`, `c_get_tuple`) are.
//
// A parameter's C type fixes its conversion: double and float by the float
// protocol, int by the 32-bit integer rule, T* and PyObject* borrowed (checked
// against the type its Accepts names, if any), any other struct by the reader
// its Accepts names (reads<Kind>); std::optional of a value is an optional
// parameter that is empty when left out or given None. The body's result fixes what
// the Python method returns: PyObject* as it is, double a float, int a truth
// value (1 or 0, -1 on failure) given as a bool, void or bool (false on
// failure) None; `returning(Returns::integer)` makes an int a Python int.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <tuple>
#include <type_traits>

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/override.hpp"
#include "korvex/common/python.hpp"

namespace korvex {

// What a parameter accepts beyond what its C type fixes: an object parameter
// checked against `type()` (subclasses too unless `exact`; None as well when
// `or_none`), and the value an optional number parameter takes when left out.
struct Accepts {
    PyTypeObject* (*type)() = nullptr;
    bool exact = false;
    bool or_none = false;
    double fallback = 0.0;
    // For a parameter of a class type (a raylib struct, say): reads it into
    // the T* given, false with the exception set (see reads<Kind>).
    bool (*read)(PyObject* value, const char* param, void* out) = nullptr;
};

inline constexpr Accepts anything{};

// Where a checked type comes from: a type object of static storage, or an
// Imported<> bound during exec.
template <PyTypeObject* type>
PyTypeObject* type_of() {
    return type;
}
template <auto& imported>
PyTypeObject* imported_type() {
    return imported.type;
}

constexpr Accepts instance_of(PyTypeObject* (*type)(), bool or_none = false) { return {type, false, or_none}; }
constexpr Accepts exactly(PyTypeObject* (*type)(), bool or_none = false) { return {type, true, or_none}; }
constexpr Accepts number_or(double fallback) { return {nullptr, false, false, fallback}; }

// A parameter read by a kind of its own, a struct with
//     using Value = ...;  static bool read(PyObject*, const char* param, Value& out);
// for values the number and object rules do not cover (a vector2-like read
// into a raylib Vector2, a float that must be finite): function(signature(
// "draw_pixel", "position"), body, "...", reads<Point>) with a body taking a
// Vector2. The kind's read replaces the rule of the parameter's C type.
template <class Kind>
bool read_as(PyObject* value, const char* param, void* out) {
    return Kind::read(value, param, *static_cast<typename Kind::Value*>(out));
}
template <class Kind>
inline constexpr Accepts reads{nullptr, false, false, 0.0, read_as<Kind>};

// What the Python method makes of the body's result (see above).
enum class Returns { object, truth, number, integer, none };

namespace detail {

template <class Body>
struct BodyOf;
template <class R, class... A>
struct BodyOf<R (*)(A...)> {
    using Result = R;
    using Params = std::tuple<A...>;
};

template <class R>
constexpr Returns returns_of() {
    if constexpr (std::is_same_v<R, PyObject*>) return Returns::object;
    else if constexpr (std::is_same_v<R, int>) return Returns::truth;
    else if constexpr (std::is_same_v<R, double>) return Returns::number;
    else return Returns::none;
}

}  // namespace detail

// The descriptor. `OnOverride` is null for entries that never defer to a
// Python override, else the conversion of an override's result (see
// override.hpp), which makes the slot overridable.
template <class Body, std::size_t N, class OnOverride = std::nullptr_t>
struct Method {
    Signature<N> sig;
    Body body;
    const char* doc;
    std::array<Accepts, N> accepts;
    // A paragraph written after doc, for the details two entries share (see
    // method_pair.hpp); empty when doc says everything. (Never null: the
    // sanitizer builds cannot compare a variable's address at compile time.)
    const char* details = "";
    Receiver receiver = Receiver::self;
    int flags = 0;  // METH_STATIC for static methods
    bool takes_self = true;
    Returns returns = detail::returns_of<typename detail::BodyOf<Body>::Result>();
    OnOverride on_override{};

    constexpr Method returning(Returns kind) const {
        Method copy = *this;
        copy.returns = kind;
        return copy;
    }
    template <class Convert>
    constexpr Method<Body, N, Convert> overridable(Convert convert) const {
        return {sig, body, doc, accepts, details, receiver, flags, takes_self, returns, convert};
    }
};

namespace detail {

template <std::size_t N, class Body, class... A>
constexpr auto make_method(const Signature<N>& sig, Body body, const char* doc, A... accepts) {
    static_assert(sizeof...(A) == 0 || sizeof...(A) == N, "one Accepts per parameter, or none at all");
    using Pointer = decltype(+body);
    Method<Pointer, N> entry{sig, +body, doc, {}};
    if constexpr (sizeof...(A) == N) entry.accepts = {accepts...};
    return entry;
}

}  // namespace detail

// A method: the body takes the object first.
template <std::size_t N, class Body, class... A>
constexpr auto method(const Signature<N>& sig, Body body, const char* doc, A... accepts) {
    return detail::make_method(sig, body, doc, accepts...);
}

// A static method: the body takes the parameters only.
template <std::size_t N, class Body, class... A>
constexpr auto static_method(const Signature<N>& sig, Body body, const char* doc, A... accepts) {
    auto entry = detail::make_method(sig, body, doc, accepts...);
    entry.receiver = Receiver::none;
    entry.flags = METH_STATIC;
    entry.takes_self = false;
    return entry;
}

// A module function: the body takes the parameters only (the module is not
// passed on).
template <std::size_t N, class Body, class... A>
constexpr auto function(const Signature<N>& sig, Body body, const char* doc, A... accepts) {
    auto entry = detail::make_method(sig, body, doc, accepts...);
    entry.takes_self = false;
    return entry;
}

namespace detail {

template <class T>
inline constexpr bool is_optional = false;
template <class T>
inline constexpr bool is_optional<std::optional<T>> = true;

// One argument, given (or null for an optional one left out), into the C value
// of its parameter. `accepts` is a template argument, so that its checks are
// compiled in rather than read at every call; a required parameter is never
// null. std::optional of a value is empty when left out or given None.
template <Accepts accepts, bool optional, class T>
inline bool convert_argument(const char* param, PyObject* value, T& out) {
    if constexpr (is_optional<T>) {
        out.reset();
        if (value == nullptr || value == Py_None) return true;
        typename T::value_type converted;
        if (!convert_argument<accepts, false>(param, value, converted)) return false;
        out = converted;
        return true;
    } else if (accepts.read != nullptr && !(optional && value == nullptr)) {
        // A kind of its own reads into any C type (a finite float, a str as
        // UTF-8 text), not only into a struct.
        return accepts.read(value, param, &out);
    } else if constexpr (std::is_pointer_v<T>) {
        // A plain test: a function's address is no constant to the sanitizers.
        if (accepts.type != nullptr && (!optional || value != nullptr)) {
            PyTypeObject* type = accepts.type();
            const bool matches = accepts.exact ? Py_IS_TYPE(value, type) : PyObject_TypeCheck(value, type);
            if (!matches && !(accepts.or_none && value == Py_None)) return raise_argument_type(param, type, value);
        }
        out = reinterpret_cast<T>(value);
        return true;
    } else if constexpr (std::is_class_v<T>) {
        static_assert(std::is_default_constructible_v<T>, "a value read by its own kind starts as T{}");
        if (optional && value == nullptr) return true;
        return accepts.read(value, param, &out);
    } else {
        static_assert(std::is_same_v<T, double> || std::is_same_v<T, float> || std::is_same_v<T, int>,
                      "a number parameter is a double, a float or an int");
        if (optional && value == nullptr) {
            out = static_cast<T>(accepts.fallback);
            return true;
        }
        if constexpr (std::is_same_v<T, double>) return to_double(value, out);
        else if constexpr (std::is_same_v<T, float>) return to_float(value, out);
        else return to_int32(value, out);
    }
}

// A slot argument as an override receives it: an object as it is (borrowed,
// held in `owned` only when made here), a number as a new Python float.
template <class T>
inline PyObject* override_argument(T value, PyObject*& owned) {
    if constexpr (std::is_pointer_v<T>) return reinterpret_cast<PyObject*>(value);
    else return owned = PyFloat_FromDouble(static_cast<double>(value));
}

}  // namespace detail

// Everything generated from one descriptor.
template <const auto& entry>
class Entry {
    using Body = typename detail::BodyOf<std::remove_cvref_t<decltype(entry.body)>>;
    using Result = typename Body::Result;
    using AllParams = typename Body::Params;
    static constexpr std::size_t first = entry.takes_self ? 1 : 0;
    static constexpr std::size_t N = std::tuple_size_v<AllParams> - first;
    static_assert(N == entry.sig.params.size(), "the body takes one value per declared parameter");
    static constexpr bool dispatches =
        !std::is_same_v<std::remove_cvref_t<decltype(entry.on_override)>, std::nullptr_t>;
    static constexpr Returns returns = entry.returns;

    template <std::size_t I>
    using Param = std::remove_cvref_t<std::tuple_element_t<I + first, AllParams>>;

    static constexpr auto doc = [] {
        constexpr std::size_t size =
            detail::write_documented(nullptr, entry.sig, entry.receiver, entry.doc, entry.details);
        std::array<char, size> text{};
        detail::write_documented(text.data(), entry.sig, entry.receiver, entry.doc, entry.details);
        return text;
    }();

    // The Python result of a body's result; null when the body failed.
    static PyObject* to_python(auto&&... call) {
        if constexpr (std::is_void_v<Result>) {
            entry.body(call...);
            Py_RETURN_NONE;
        } else {
            const Result result = entry.body(call...);
            if constexpr (returns == Returns::object) return result;
            else if constexpr (returns == Returns::number) return PyFloat_FromDouble(result);
            else if constexpr (returns == Returns::integer) return PyLong_FromLong(result);
            else if constexpr (returns == Returns::truth) return result < 0 ? nullptr : PyBool_FromLong(result);
            else if (!result) return nullptr;
            else Py_RETURN_NONE;
        }
    }

public:
    // The native slot: the body with the dispatch flag. The native tables
    // report failure differently from korvex's own functions (see errors.hpp);
    // this is the one place that converts: an int slot gives 0 with the
    // exception set, a void slot leaves the exception set.
    template <class Params>
    struct Slot;
    template <class Self, class... Args>
    struct Slot<std::tuple<Self, Args...>> {
        using TableResult = std::conditional_t<returns == Returns::none, void, Result>;

        static TableResult to_table(auto result) {
            if constexpr (returns == Returns::truth) return result < 0 ? 0 : result;
            else if constexpr (returns != Returns::none) return result;
            else (void)result;
        }

        static TableResult failed() {
            if constexpr (returns == Returns::object) return nullptr;
            else if constexpr (returns != Returns::none) return 0;
        }

        static TableResult call(Self self, Args... args, int skip_dispatch) {
            if constexpr (dispatches) {
                Override found = find_override(self, skip_dispatch, entry.sig.name, method);
                if (found.failed()) return failed();
                if (found) return call_override_with(found, args...);
            } else {
                (void)skip_dispatch;
            }
            if constexpr (std::is_void_v<Result>) entry.body(self, args...);
            else return to_table(entry.body(self, args...));
        }

        // Calls the override found with the slot's arguments (numbers as new
        // Python floats) and converts its result by the descriptor's rule.
        static TableResult call_override_with(Override found, Args... args) {
            constexpr std::size_t count = sizeof...(Args);
            PyObject* owned[count + 1] = {};
            PyObject* stack[count + 1] = {nullptr};
            std::size_t next = 0;
            bool ready = true;
            ((stack[next + 1] = detail::override_argument(args, owned[next]),
              ready = ready && stack[next + 1] != nullptr, ++next),
             ...);
            PyObject* result = ready ? PyObject_Vectorcall(found.method, stack + 1,
                                                           count | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr)
                                     : nullptr;
            Py_DECREF(found.method);
            for (PyObject* made : owned) Py_XDECREF(made);
            if (!ready) return failed();
            if constexpr (returns == Returns::integer) {
                int value = 0;
                return entry.on_override(result, value) ? value : 0;
            } else if constexpr (returns == Returns::none) {
                (void)entry.on_override(result);
            } else {
                return to_table(entry.on_override(result));
            }
        }
    };

    using Parameters = AllParams;

    // The Python method: the arguments parsed by the descriptor's signature and
    // converted in order, then the body called (never an override).
    static PyObject* method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        // The usual call, exactly the positional arguments, reads them where
        // they are; any other is parsed into `parsed`.
        PyObject* parsed[N == 0 ? 1 : N];
        PyObject* const* values = args;
        if (kwnames != nullptr || static_cast<std::size_t>(nargs) != N) {
            if (!parse_values(entry.sig, args, nargs, kwnames, parsed)) return nullptr;
            values = parsed;
        }
        return [&]<std::size_t... I>(std::index_sequence<I...>) -> PyObject* {
            std::tuple<Param<I>...> converted;
            if (!(detail::convert_argument<entry.accepts[I], (I < entry.sig.leading || I >= entry.sig.required)>(
                      entry.sig.params[I], values[I], std::get<I>(converted)) &&
                  ...))
                return nullptr;
            if constexpr (entry.takes_self) {
                using Self = std::tuple_element_t<0, AllParams>;
                return to_python(reinterpret_cast<Self>(self), std::get<I>(converted)...);
            } else {
                (void)self;
                return to_python(std::get<I>(converted)...);
            }
        }(std::make_index_sequence<N>{});
    }

    static PyMethodDef definition() { return fastcall_method(entry.sig.name, method, entry.flags, doc.data()); }
};

// The native slot of a descriptor: `.dot = korvex::slot<dot>`.
template <const auto& entry>
inline constexpr auto slot = Entry<entry>::template Slot<typename Entry<entry>::Parameters>::call;

// The method-table entries of descriptors, in class order (no terminator).
template <const auto&... entries>
auto method_entries() {
    return std::array<PyMethodDef, sizeof...(entries)>{Entry<entries>::definition()...};
}

// A method table sized by the compiler, in class order, with its terminator.
template <const auto&... entries>
auto method_table() {
    return terminated<PyMethodDef>(Entry<entries>::definition()...);
}

namespace detail {

// Arrays joined end to end, for tables made of parts.
template <class T, std::size_t... Sizes>
constexpr auto concat(const std::array<T, Sizes>&... parts) {
    std::array<T, (Sizes + ... + 0)> joined{};
    std::size_t next = 0;
    ((std::copy(parts.begin(), parts.end(), joined.begin() + next), next += parts.size()), ...);
    return joined;
}

}  // namespace detail

}  // namespace korvex
