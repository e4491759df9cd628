// What the vector consumer areas (vector2.cpp, vector3.cpp, vector4.cpp) have
// in common: binding a vector type and its native table, calling the table's
// constructors and shared slots, and running the inline struct helpers of the
// type's declaration header. An area file gives a traits struct naming what
// differs and registers the shared functions next to its own.
//
// The traits struct T supplies:
//   CONSUMER_VECTOR_TRAITS(Type, p)  Object and Math (the object layout and the
//                                    helpers' maths traits), class_name (the class
//                                    imported from T's module), the module name
//                                    and the inline helpers p_add, p_sub, ...
//   make_new(u, s)                the call of p_new that `helpers` reports as "new"
//   more_helpers (optional)       (name, helper) pairs of extra two-vector helpers
//                                 that `helpers` reports after the shared ones
#pragma once

#include <cstddef>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

#include "korvex/common/types.hpp"
#include "korvex/common/vector_slots.hpp"
#include "registry.hpp"

// The object layout, class, module name and inline helpers of a vector
// declaration header, as members of a traits struct.
#define CONSUMER_VECTOR_TRAITS(Type, prefix)                                  \
    using Object = Type##Object;                                              \
    using Math = Type##Math;                                                  \
    static constexpr const char* class_name = #Type;                          \
    static constexpr const char* module_name = prefix##_module_name;          \
    static constexpr auto add = prefix##_add;                                 \
    static constexpr auto sub = prefix##_sub;                                 \
    static constexpr auto mul_scalar = prefix##_mul_scalar;                   \
    static constexpr auto div_scalar = prefix##_div_scalar;                   \
    static constexpr auto floordiv_scalar = prefix##_floordiv_scalar;         \
    static constexpr auto mul_vector = prefix##_mul_vector;                   \
    static constexpr auto div_vector = prefix##_div_vector;                   \
    static constexpr auto floordiv_vector = prefix##_floordiv_vector;         \
    static constexpr auto iadd = prefix##_iadd;                               \
    static constexpr auto isub = prefix##_isub;                               \
    static constexpr auto imul = prefix##_imul;                               \
    static constexpr auto length = prefix##_length;                           \
    static constexpr auto normalize = prefix##_normalize;                     \
    static constexpr auto distance_to = prefix##_distance_to;                 \
    static constexpr auto distance_squared_to = prefix##_distance_squared_to; \
    static constexpr auto dot = prefix##_dot;

// The functions every vector area registers, named <prefix>_<function>
// (prefix a string literal such as "v3"); for a consumer::Register list.
#define CONSUMER_VECTOR_FUNCTIONS(Area, prefix)                                                             \
    consumer::function(prefix "_new", Area::from_numbers<&Area::Table::__pyx_new>),                         \
    consumer::function(prefix "_cfrom_ints", Area::from_numbers<&Area::Table::cfrom_ints>),                 \
    consumer::function(prefix "_cfrom_floats", Area::from_numbers<&Area::Table::cfrom_floats>),             \
    consumer::function(prefix "_cfrom_tuple", Area::from_object<&Area::Table::cfrom_tuple, &PyTuple_Type>), \
    consumer::function(prefix "_cfrom_list", Area::from_object<&Area::Table::cfrom_list, &PyList_Type>),    \
    consumer::function(prefix "_binary", Area::binary),                                                     \
    consumer::function(prefix "_in_place", Area::in_place),                                                 \
    consumer::function(prefix "_unary", Area::unary),                                                       \
    consumer::function(prefix "_c_get_tuple", Area::c_get_tuple),                                           \
    consumer::function(prefix "_measure", Area::measure),                                                   \
    consumer::function(prefix "_helpers", Area::helpers)

namespace consumer {

// Looks a slot up by its name in a list of (name, member) pairs.
template <class Member, std::size_t Count>
Member find_slot(const std::pair<const char*, Member> (&slots)[Count], const char* name) {
    for (const auto& [slot_name, member] : slots)
        if (std::strcmp(slot_name, name) == 0) return member;
    PyErr_Format(PyExc_ValueError, "no slot %s", name);
    return nullptr;
}

// The components of a struct as a tuple of Python floats.
template <class Math>
PyObject* tuple_of(const typename Math::Struct& v) {
    PyObject* tuple = PyTuple_New(Math::size);
    if (tuple == nullptr) return nullptr;
    for (std::size_t i = 0; i < Math::size; ++i) {
        PyObject* item = PyFloat_FromDouble(static_cast<double>(v.*Math::members[i]));
        if (item == nullptr) {
            Py_DECREF(tuple);
            return nullptr;
        }
        PyTuple_SET_ITEM(tuple, i, item);
    }
    return tuple;
}

// The PyArg_ParseTuple code of a number parameter.
template <class Number>
inline constexpr char parse_code = std::is_same_v<Number, double> ? 'd'
                                   : std::is_same_v<Number, float> ? 'f'
                                   : std::is_same_v<Number, int>   ? 'i'
                                                                   : '\0';

template <class T>
struct VectorArea {
    using Object = typename T::Object;
    using Table = std::remove_pointer_t<decltype(Object::__pyx_vtab)>;
    using Struct = typename T::Math::Struct;
    using Ops = korvex::VectorSlots<Object>;
    using Binary = PyObject* (*Ops::*)(Object*, Object*);
    using InPlace = void (*Ops::*)(Object*, Object*);
    using Unary = PyObject* (*Ops::*)(Object*, int);
    using Measure = double (*Ops::*)(Object*, Object*, int);

    static inline PyTypeObject* type = nullptr;
    static inline Table* table = nullptr;

    static int bind() { return korvex::bind_type<Object>(T::module_name, T::class_name, type, table) ? 0 : -1; }

    static PyObject* tuple_of(const Struct& v) { return consumer::tuple_of<typename T::Math>(v); }

    static bool one_vector(PyObject* args, Object*& v) { return PyArg_ParseTuple(args, "O!", type, &v); }

    static bool two_vectors(PyObject* args, Object*& a, Object*& b) {
        return PyArg_ParseTuple(args, "O!O!", type, &a, type, &b);
    }

    static bool three_vectors(PyObject* args, Object*& self, Object*& a, Object*& b) {
        return PyArg_ParseTuple(args, "O!O!O!", type, &self, type, &a, type, &b);
    }

    // A table constructor that takes numbers, called with one argument per
    // parameter, each parsed as the parameter's type (double, float or int).
    template <auto slot>
    static PyObject* from_numbers(PyObject*, PyObject* args) {
        return call_with_numbers(args, table->*slot);
    }

    template <class... Numbers>
    static PyObject* call_with_numbers(PyObject* args, PyObject* (*constructor)(Numbers...)) {
        static constexpr char format[] = {parse_code<Numbers>..., '\0'};
        std::tuple<Numbers...> numbers;
        const bool parsed = std::apply(
            [args](Numbers&... number) { return PyArg_ParseTuple(args, format, &number...) != 0; }, numbers);
        return parsed ? std::apply(constructor, numbers) : nullptr;
    }

    // A table constructor that takes one object of exactly the type kind.
    template <auto slot, PyTypeObject* kind>
    static PyObject* from_object(PyObject*, PyObject* args) {
        PyObject* other;
        if (!PyArg_ParseTuple(args, "O!", kind, &other)) return nullptr;
        return (table->*slot)(other);
    }

    // A table constructor that copies another vector.
    template <auto slot>
    static PyObject* from_vector(PyObject*, PyObject* args) {
        Object* other;
        if (!one_vector(args, other)) return nullptr;
        return (table->*slot)(other);
    }

    // Parses (slot name, vector, vector) and looks the slot up by its name.
    template <class Member, std::size_t Count>
    static Member named_slot(PyObject* args, const std::pair<const char*, Member> (&slots)[Count], Object*& a,
                             Object*& b) {
        const char* name;
        if (!PyArg_ParseTuple(args, "sO!O!", &name, type, &a, type, &b)) return nullptr;
        return find_slot(slots, name);
    }

    static PyObject* binary(PyObject*, PyObject* args) {
        static constexpr std::pair<const char*, Binary> slots[] = {{"_add", &Ops::_add}, {"_sub", &Ops::_sub}};
        Object *a, *b;
        auto slot = named_slot(args, slots, a, b);
        return slot == nullptr ? nullptr : (table->ops.*slot)(a, b);
    }

    static PyObject* in_place(PyObject*, PyObject* args) {
        static constexpr std::pair<const char*, InPlace> slots[] = {
            {"_iadd", &Ops::_iadd}, {"_isub", &Ops::_isub}, {"_imul", &Ops::_imul}};
        Object *a, *b;
        auto slot = named_slot(args, slots, a, b);
        if (slot == nullptr) return nullptr;
        (table->ops.*slot)(a, b);
        Py_RETURN_NONE;
    }

    // The slots that take self and the dispatch flag (0 unless given).
    static PyObject* unary(PyObject*, PyObject* args) {
        static constexpr std::pair<const char*, Unary> slots[] = {
            {"get_tuple", &Ops::get_tuple},         {"to_round", &Ops::to_round},
            {"get_round", &Ops::get_round},         {"to_abs", &Ops::to_abs},
            {"get_abs", &Ops::get_abs},             {"to_neg", &Ops::to_neg},
            {"get_neg", &Ops::get_neg},             {"get_int_tuple", &Ops::get_int_tuple},
            {"get_rounded_tuple", &Ops::get_rounded_tuple}, {"copy", &Ops::copy},
            {"to_normalized", &Ops::to_normalized}, {"get_normalized", &Ops::get_normalized}};
        const char* name;
        Object* v;
        int flag = 0;
        if (!PyArg_ParseTuple(args, "sO!|i", &name, type, &v, &flag)) return nullptr;
        auto slot = find_slot(slots, name);
        return slot == nullptr ? nullptr : (table->ops.*slot)(v, flag);
    }

    static PyObject* c_get_tuple(PyObject*, PyObject* args) {
        Object* v;
        if (!one_vector(args, v)) return nullptr;
        return table->ops.c_get_tuple(v);
    }

    static PyObject* measure(PyObject*, PyObject* args) {
        static constexpr std::pair<const char*, Measure> slots[] = {
            {"distance_to", &Ops::distance_to}, {"distance_squared_to", &Ops::distance_squared_to}, {"dot", &Ops::dot}};
        Object *a, *b;
        auto slot = named_slot(args, slots, a, b);
        return slot == nullptr ? nullptr : PyFloat_FromDouble((table->ops.*slot)(a, b, 0));
    }

    // sadd(self, new_vec, old_vec, dispatch): dispatch None calls _sadd, an
    // int calls sadd with that flag.
    static PyObject* sadd_or_underscore(PyObject*, PyObject* args) {
        Object *self, *a, *b;
        PyObject* flag;
        if (!PyArg_ParseTuple(args, "O!O!O!O", type, &self, type, &a, type, &b, &flag)) return nullptr;
        if (flag == Py_None) {
            table->ops._sadd(self, a, b);
        } else {
            int value = PyLong_AsInt(flag);
            if (value == -1 && PyErr_Occurred()) return nullptr;
            table->ops.sadd(self, a, b, value);
        }
        Py_RETURN_NONE;
    }

    // One named slot each, with the dispatch flag 0 where the slot takes one.
    template <Binary slot>
    static PyObject* binary_slot(PyObject*, PyObject* args) {
        Object *a, *b;
        if (!two_vectors(args, a, b)) return nullptr;
        return (table->ops.*slot)(a, b);
    }

    template <InPlace slot>
    static PyObject* in_place_slot(PyObject*, PyObject* args) {
        Object *a, *b;
        if (!two_vectors(args, a, b)) return nullptr;
        (table->ops.*slot)(a, b);
        Py_RETURN_NONE;
    }

    template <Unary slot>
    static PyObject* unary_slot(PyObject*, PyObject* args) {
        Object* v;
        if (!one_vector(args, v)) return nullptr;
        return (table->ops.*slot)(v, 0);
    }

    template <Measure slot>
    static PyObject* measure_slot(PyObject*, PyObject* args) {
        Object *a, *b;
        if (!two_vectors(args, a, b)) return nullptr;
        return PyFloat_FromDouble((table->ops.*slot)(a, b, 0));
    }

    static PyObject* sadd_slot(PyObject*, PyObject* args) {
        Object *self, *a, *b;
        if (!three_vectors(args, self, a, b)) return nullptr;
        table->ops.sadd(self, a, b, 0);
        Py_RETURN_NONE;
    }

    static PyObject* underscore_sadd_slot(PyObject*, PyObject* args) {
        Object *self, *a, *b;
        if (!three_vectors(args, self, a, b)) return nullptr;
        table->ops._sadd(self, a, b);
        Py_RETURN_NONE;
    }

    // Every inline helper on the structures read straight out of two objects
    // and a scalar; the results are keyed by the helper's name without its
    // prefix.
    static PyObject* helpers(PyObject*, PyObject* args) {
        Object *a, *b;
        double s;
        if (!PyArg_ParseTuple(args, "O!O!d", type, &a, type, &b, &s)) return nullptr;
        const Struct u = a->data, v = b->data;
        Struct iadd = u, isub = u, imul = u;
        T::iadd(&iadd, v);
        T::isub(&isub, v);
        T::imul(&imul, v);
        PyObject* result = Py_BuildValue("{s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:d,s:N,s:d,s:d,s:d}",
                                         "new", tuple_of(T::make_new(u, s)),
                                         "add", tuple_of(T::add(u, v)),
                                         "sub", tuple_of(T::sub(u, v)),
                                         "mul_scalar", tuple_of(T::mul_scalar(u, s)),
                                         "div_scalar", tuple_of(T::div_scalar(u, s)),
                                         "floordiv_scalar", tuple_of(T::floordiv_scalar(u, s)),
                                         "mul_vector", tuple_of(T::mul_vector(u, v)),
                                         "div_vector", tuple_of(T::div_vector(u, v)),
                                         "floordiv_vector", tuple_of(T::floordiv_vector(u, v)),
                                         "iadd", tuple_of(iadd),
                                         "isub", tuple_of(isub),
                                         "imul", tuple_of(imul),
                                         "length", T::length(u),
                                         "normalize", tuple_of(T::normalize(u)),
                                         "distance_to", T::distance_to(u, v),
                                         "distance_squared_to", T::distance_squared_to(u, v),
                                         "dot", T::dot(u, v));
        if constexpr (requires { T::more_helpers; }) {
            for (const auto& [name, helper] : T::more_helpers) {
                if (result == nullptr) break;
                PyObject* value = tuple_of(helper(u, v));
                if (value == nullptr || PyDict_SetItemString(result, name, value) < 0) Py_CLEAR(result);
                Py_XDECREF(value);
            }
        }
        return result;
    }
};

}  // namespace consumer
