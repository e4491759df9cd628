// Property tables: entries, and getters generated from the member they read.
#pragma once

#include <array>
#include <cstddef>
#include <type_traits>

#include "korvex/common/args.hpp"
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

// The property table of an object holding one of raylib's pixel records
// (Image, Texture) in `_raw` and an owner flag in `is_owner`: `leading`, the
// read-only size and format properties, `is_owner` with `owner_doc`, and the
// entry that ends the table.
template <class Object, std::size_t L>
std::array<PyGetSetDef, L + 6> pixel_record_properties(const std::array<PyGetSetDef, L>& leading,
                                                       const char* owner_doc) {
    using Raw = decltype(Object::_raw);
    const std::array<PyGetSetDef, 4> record{
        property("width", get_integer<&Object::_raw, &Raw::width>,
                 docstring<"The width in pixels, an int (read-only).">.data()),
        property("height", get_integer<&Object::_raw, &Raw::height>,
                 docstring<"The height in pixels, an int (read-only).">.data()),
        property("mipmaps", get_integer<&Object::_raw, &Raw::mipmaps>,
                 docstring<"The number of mipmap levels, an int (read-only).">.data()),
        property("format", get_integer<&Object::_raw, &Raw::format>,
                 docstring<"The pixel format, one of raylib's PIXELFORMAT numbers (read-only).">.data()),
    };
    std::array<PyGetSetDef, L + 6> table{};
    std::size_t next = 0;
    for (const PyGetSetDef& entry : leading) table[next++] = entry;
    for (const PyGetSetDef& entry : record) table[next++] = entry;
    table[next] = property("is_owner", get_flag<&Object::is_owner>, owner_doc);
    return table;
}

}  // namespace korvex
