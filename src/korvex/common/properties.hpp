// Property tables: entries, and getters generated from the member they read.
#pragma once

#include <type_traits>

#include "korvex/common/python.hpp"

namespace korvex {

// A property-table entry; without a setter the property is read-only. The
// docstring's first line says what the property is, the rest what assigning
// or deleting does.
constexpr PyGetSetDef property(const char* name, getter get, setter set, const char* doc) {
    return {name, get, set, doc, nullptr};
}
constexpr PyGetSetDef property(const char* name, getter get, const char* doc) {
    return {name, get, nullptr, doc, nullptr};
}

namespace detail {

template <class Pointer>
struct MemberOf;
template <class Class, class Member>
struct MemberOf<Member Class::*> {
    using Object = Class;
};

template <class T>
const T& follow(const T& value) {
    return value;
}
template <class T, class Member, class... Rest>
decltype(auto) follow(const T& value, Member T::* member, Rest... rest) {
    return follow(value.*member, rest...);
}

}  // namespace detail

// A getter of an integer member reached from the object through a path of
// members, e.g. get_integer<&ImageObject::_raw, &Image::width>.
template <auto first, auto... rest>
PyObject* get_integer(PyObject* self, void*) {
    using Object = typename detail::MemberOf<decltype(first)>::Object;
    const auto value = detail::follow(reinterpret_cast<Object*>(self)->*first, rest...);
    if constexpr (std::is_unsigned_v<decltype(value)>)
        return PyLong_FromUnsignedLong(value);
    else
        return PyLong_FromLong(value);
}

// A getter of an int member read as a truth value (owner flags).
template <auto flag>
PyObject* get_flag(PyObject* self, void*) {
    using Object = typename detail::MemberOf<decltype(flag)>::Object;
    return PyBool_FromLong(reinterpret_cast<Object*>(self)->*flag);
}

}  // namespace korvex
