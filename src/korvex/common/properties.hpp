// Properties from one descriptor each, as methods are (entry.hpp):
//
//     constexpr auto width = korvex::property(
//         "width", [](RectObject* self) { return self->_raw.width; },
//         [](RectObject* self, double value) { self->_raw.width = static_cast<float>(value); },
//         "The width, a float ...");
//
// The getter takes the object and returns a C value: PyObject* (a new
// reference) as it is, a floating-point number as a float, bool as a bool,
// any other integer as an int. The setter, when there is one, takes the
// object and the assigned value converted by its C type as a parameter is
// (entry.hpp), and returns nothing, or false / -1 with the exception set;
// deleting raises NotImplementedError "__del__". The docstring's first line
// says what the property is, the rest what assigning or deleting does.
#pragma once

#include <array>
#include <cstddef>
#include <tuple>
#include <type_traits>

#include "korvex/common/args.hpp"
#include "korvex/common/entry.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/python.hpp"

namespace korvex {

template <class Get, class Set = std::nullptr_t>
struct Property {
    const char* name;
    Get get;
    Set set;
    const char* doc;
};

// A read-only property.
template <class Get>
constexpr auto property(const char* name, Get get, const char* doc) {
    return Property<decltype(+get)>{name, +get, nullptr, doc};
}
// A property that may be assigned.
template <class Get, class Set>
constexpr auto property(const char* name, Get get, Set set, const char* doc) {
    return Property<decltype(+get), decltype(+set)>{name, +get, +set, doc};
}

namespace detail {

template <class Value>
inline PyObject* python_value(Value value) {
    if constexpr (std::is_same_v<Value, PyObject*>) return value;
    else if constexpr (std::is_floating_point_v<Value>) return PyFloat_FromDouble(static_cast<double>(value));
    else if constexpr (std::is_same_v<Value, bool>) return PyBool_FromLong(value);
    else if constexpr (std::is_unsigned_v<Value>) return PyLong_FromUnsignedLong(value);
    else return PyLong_FromLong(value);
}

template <class Function>
struct Accessor;
template <class R, class Self>
struct Accessor<R (*)(Self)> {
    using Object = Self;
};
template <class R, class Self, class Value>
struct Accessor<R (*)(Self, Value)> {
    using Object = Self;
    using Assigned = std::remove_cvref_t<Value>;
    using Result = R;
};

template <const auto& entry>
PyObject* property_getter(PyObject* self, void*) {
    using Object = typename Accessor<std::remove_cvref_t<decltype(entry.get)>>::Object;
    return python_value(entry.get(reinterpret_cast<Object>(self)));
}

template <const auto& entry>
int property_setter(PyObject* self, PyObject* value, void*) {
    using Setter = Accessor<std::remove_cvref_t<decltype(entry.set)>>;
    if (value == nullptr) return raise_property_delete();
    typename Setter::Assigned converted;
    if (!convert_argument<anything, false>(entry.name, value, converted)) return -1;
    const auto object = reinterpret_cast<typename Setter::Object>(self);
    if constexpr (std::is_void_v<typename Setter::Result>) {
        entry.set(object, converted);
        return 0;
    } else if constexpr (std::is_same_v<typename Setter::Result, bool>) {
        return entry.set(object, converted) ? 0 : -1;
    } else {
        return entry.set(object, converted);
    }
}

}  // namespace detail

// The property-table entry of a descriptor.
template <const auto& entry>
PyGetSetDef property_definition() {
    static constexpr auto doc = detail::fold([] { return entry.doc; });
    setter set = nullptr;
    if constexpr (!std::is_same_v<std::remove_cvref_t<decltype(entry.set)>, std::nullptr_t>)
        set = detail::property_setter<entry>;
    return {entry.name, detail::property_getter<entry>, set, doc.data(), nullptr};
}

// A property table sized by the compiler, in class order, with its terminator.
template <const auto&... entries>
auto property_table() {
    return terminated<PyGetSetDef>(property_definition<entries>()...);
}

// The read-only size and format properties of an object holding one of
// raylib's pixel records (Image, Texture) in `_raw`.
template <class Object>
struct PixelRecord {
    static constexpr auto width = property(
        "width", [](Object* self) { return self->_raw.width; }, "The width in pixels, an int (read-only).");
    static constexpr auto height = property(
        "height", [](Object* self) { return self->_raw.height; }, "The height in pixels, an int (read-only).");
    static constexpr auto mipmaps =
        property("mipmaps", [](Object* self) { return self->_raw.mipmaps; },
                 "The number of mipmap levels, an int (read-only).");
    static constexpr auto format =
        property("format", [](Object* self) { return self->_raw.format; },
                 "The pixel format, one of raylib's PIXELFORMAT numbers (read-only).");
};

// The property table of such an object: `leading` properties, the record's
// four, then its owner flag.
template <class Object, const auto& owner, const auto&... leading>
auto pixel_record_properties() {
    using Record = PixelRecord<Object>;
    return property_table<leading..., Record::width, Record::height, Record::mipmaps, Record::format, owner>();
}

}  // namespace korvex
