// The methods of a vector type, one descriptor each (entry.hpp): the Python
// method, its text signature and docstring, and for the entries of the shared
// native block (VectorSlots) the native slot, all come from the descriptor.
// The bodies are compositions of the value maths in vector_math.hpp.
//
// The types are final, so no slot defers to an override and the dispatch flag
// is ignored. Where the storage precision matters, the docstrings say "the
// vector's precision": single for Vector2 and Vector3, double for Vector4.
#pragma once

#include <cstddef>

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/entry.hpp"
#include "korvex/common/method_pair.hpp"
#include "korvex/common/pickle.hpp"
#include "korvex/common/python.hpp"
#include "korvex/common/vector_core.hpp"
#include "korvex/common/vector_geometry.hpp"
#include "korvex/common/vector_math.hpp"
#include "korvex/common/vector_slots.hpp"

namespace korvex {

namespace detail {

// The signature of a function taking one argument per component, named by
// the components' letters.
template <std::size_t N>
constexpr Signature<N> components_signature(const char* name, const std::array<std::array<char, 2>, N>& letters) {
    Signature<N> sig{name, {}, N, {}};
    for (std::size_t i = 0; i < N; ++i) sig.params[i] = letters[i].data();
    return sig;
}

}  // namespace detail

// Only types whose traits declare a cross product have it (as the last method
// and the last native slot).
template <class TraitsT>
struct VectorType<TraitsT>::Cross {
    static PyObject* cross_product(Object* self, Object* other) {
        return box(Traits::cross(self->data, other->data));
    }
    static constexpr auto cross = method(signature("cross", "other"), cross_product,
                                         "Returns the cross product self x other, as a new vector.\n\n"
                                         "other must be a vector of this type (TypeError otherwise). Computed in "
                                         "single precision.",
                                         instance_of(own_type));
};

template <class TraitsT>
struct VectorType<TraitsT>::Methods {
    // --- bodies ------------------------------------------------------------------

    template <double (*Measure)(Struct, Struct)>
    static double measured(Object* a, Object* b) {
        return Measure(a->data, b->data);
    }
    static Struct identity(Struct v) { return v; }

    static PyObject* components_tuple(Object* self) {
        double values[N];
        for (std::size_t i = 0; i < N; ++i) values[i] = static_cast<double>(vec::at<Traits>(self->data, i));
        return tuple_of(PyFloat_FromDouble, values);
    }

    template <Struct (*Transform)(Struct)>
    static PyObject* int_tuple(Object* self) {
        const Struct data = Transform(self->data);
        long values[N];
        for (std::size_t i = 0; i < N; ++i) {
            int value;
            if (!truncate_to_int32(static_cast<double>(vec::at<Traits>(data, i)), value)) return nullptr;
            values[i] = value;
        }
        return tuple_of(PyLong_FromLong, values);
    }

    // The sum is formed before it is stored, so self may be an operand.
    static void set_sum(Object* self, Object* a, Object* b) { self->data = vec::add<Traits>(a->data, b->data); }

    // A vector of this type, as every vector parameter is.
    static constexpr Accepts same = instance_of(own_type);

    // --- descriptors, in class order ---------------------------------------------------

    static constexpr auto normalized = method_pair<"normalized", Forms<vec::normalize<Traits>>>(
        params(), {"Returns a new vector of length 1 in the direction of self.",
                   "Scales self to length 1 in place and returns self.",
                   "The scale factor is computed in double precision. A zero vector stays zero; no error is "
                   "raised."});
    static constexpr auto rounded = method_pair<"round", Forms<vec::round<Traits>>>(
        params(), {"Returns a new vector with every component rounded half away from zero.",
                   "Rounds every component half away from zero, in place; returns self.",
                   "2.5 becomes 3.0 and -2.5 becomes -3.0 (not Python's round-half-even)."});
    static constexpr auto absolute = method_pair<"abs", Forms<vec::abs<Traits>>>(
        params(), {"Returns a new vector of the absolute values of the components.",
                   "Clears the sign of every component in place; returns self."});
    static constexpr auto negated = method_pair<"neg", Forms<vec::neg<Traits>>>(
        params(), {"Returns a new vector with every sign flipped (the same as -self).",
                   "Flips the sign of every component in place; returns self.", "0.0 becomes -0.0."});
    static constexpr auto get_tuple = method(signature("get_tuple"), components_tuple,
                                             "Returns the components as a new tuple of floats.");
    static constexpr auto get_int_tuple = method(
        signature("get_int_tuple"), int_tuple<identity>,
        "Returns the components truncated toward zero, as a new tuple of ints.\n\n"
        "Raises OverflowError for a component outside the 32-bit integer range (infinities included) and "
        "ValueError for NaN.");
    static constexpr auto get_rounded_tuple = method(
        signature("get_rounded_tuple"), int_tuple<vec::round<Traits>>,
        "Returns the components rounded half away from zero, as a tuple of ints.\n\n"
        "2.5 gives 3, not Python's even rounding. Raises OverflowError for a component outside the 32-bit "
        "integer range (infinities included) and ValueError for NaN.");
    static constexpr auto copy =
        method(signature("copy"), Forms<identity>::get, "Returns a new vector equal to self.");
    static constexpr auto copy_dunder = method(signature("__copy__"), Forms<identity>::get,
                                               "Returns a new vector equal to self (for copy.copy).");
    static constexpr auto deepcopy = method(
        signature("__deepcopy__", "memo"), [](Object* self, PyObject*) { return box(self->data); },
        "Returns a new vector equal to self (for copy.deepcopy).\n\nmemo is required and ignored.");
    static constexpr auto sadd = method(
        signature("sadd", "new_vec", "old_vec"), set_sum,
        "Sets self to new_vec + old_vec in place and returns None.\n\n"
        "Both must be vectors of this type (TypeError otherwise); self may be one of them. The sum is in the "
        "vector's precision.",
        same, same);
    static constexpr auto distance_to = method(
        signature("distance_to", "other"), measured<vec::distance_to<Traits>>,
        "Returns the Euclidean distance from self to other, as a float.\n\n"
        "other must be a vector of this type (TypeError otherwise).",
        same);
    static constexpr auto distance_squared_to = method(
        signature("distance_squared_to", "other"), measured<vec::distance_squared_to<Traits>>,
        "Returns the squared distance from self to other, as a float.\n\n"
        "No square root is taken. other must be a vector of this type (TypeError otherwise).",
        same);
    static constexpr auto dot = method(signature("dot", "other"), measured<vec::dot<Traits>>,
                                       "Returns the dot product of self and other, as a float.\n\n"
                                       "other must be a vector of this type (TypeError otherwise).",
                                       same);

    // The factories convert every argument first, so a failure creates nothing.
    static constexpr auto from_own = static_method(signature(own_factory.text, "other"), cfrom_own,
                                                   "Returns a new vector equal to other.\n\n"
                                                   "other must be a vector of this type (TypeError otherwise).",
                                                   same);
    // from_tuple and from_list: one text, naming the sequence each takes.
    template <FixedString kind, PyTypeObject* sequence, auto make>
    static constexpr auto from_sequence = static_method(
        signature(joined<"from_", kind>.data(), "other"), make,
        joined<"Returns a new vector from the first items of a ", kind, ".\n\nother must be exactly a ", kind,
               " (TypeError otherwise, subclasses too) with at least one item per component; later items are "
               "ignored, a shorter ", kind, " raises IndexError. Items convert by the float protocol.">.data(),
        exactly(type_of<sequence>));
    static constexpr auto from_tuple = from_sequence<"tuple", &PyTuple_Type, cfrom_tuple>;
    static constexpr auto from_list = from_sequence<"list", &PyList_Type, cfrom_list>;
    // One argument per component, converted by the 32-bit integer rule, the
    // float protocol narrowed to single precision whatever the storage, or the
    // storage's own conversion, then stored.
    static constexpr auto from_ints = static_method(
        detail::components_signature("from_ints", component_names), from_components<int>,
        "Returns a new vector from integers.\n\n"
        "Each argument is converted to a 32-bit int first (a float is truncated toward zero); OverflowError "
        "outside that range. Nothing is created when one fails.");
    static constexpr auto from_floats = static_method(
        detail::components_signature("from_floats", component_names), from_components<float>,
        "Returns a new vector from numbers rounded to single precision.\n\n"
        "Each argument converts by the float protocol and is rounded to the nearest single-precision float, "
        "whatever the vector's own precision.");
    static constexpr auto from_scalars = static_method(
        detail::components_signature(components_factory.text, component_names),
        from_components<double>,
        "Returns a new vector from numbers.\n\n"
        "Each argument converts by the float protocol (TypeError for a string, OverflowError for an int too "
        "large for a double) and is stored in the vector's precision.");

    static auto make_table() {
        using Refused = PickleRefusal;
        const auto common = method_entries<
            normalized.to, normalized.get, rounded.to, rounded.get, absolute.to, absolute.get, negated.to,
            negated.get, get_tuple, get_int_tuple, get_rounded_tuple, copy, copy_dunder, deepcopy, sadd, distance_to,
            distance_squared_to, dot, from_own, from_tuple, from_list, from_ints, from_floats, from_scalars,
            refused_reduce<Refused::VectorData>, refused_setstate<Refused::VectorData>>();
        const auto geometry = detail::concat(common, Geometry::entries(), turning_entries());
        if constexpr (Traits::has_cross)
            return detail::concat(geometry, method_entries<Cross::cross>(), std::array{PyMethodDef{}});
        else
            return detail::concat(geometry, std::array{PyMethodDef{}});
    }
    // The methods of the type's rotation trait.
    static auto turning_entries() {
        if constexpr (Traits::rotation == vec::Rotation::planar) return Planar::entries();
        else if constexpr (Traits::rotation == vec::Rotation::spatial) return Spatial::entries();
        else return std::array<PyMethodDef, 0>{};
    }
    static inline auto table = make_table();

    // --- the shared block of the native table ------------------------------------------

    template <Struct (*Operation)(Struct, Struct)>
    static PyObject* combined(Object* a, Object* b) {
        return box(Operation(a->data, b->data));
    }
    template <void (*Operation)(Struct*, Struct)>
    static void updated(Object* a, Object* b) {
        Operation(&a->data, b->data);
    }

    // The slots with a Python counterpart come from their descriptors; the
    // leading-underscore and c_ slots are native only and take no dispatch
    // flag (`_sadd` and `c_get_tuple` are the bodies of sadd and get_tuple).
    static constexpr VectorSlots<Object> slots = {
        ._add = combined<vec::add<Traits>>,
        ._sub = combined<vec::sub<Traits>>,
        ._iadd = updated<vec::iadd<Traits>>,
        ._isub = updated<vec::isub<Traits>>,
        ._imul = updated<vec::imul<Traits>>,
        ._sadd = sadd.body,
        .sadd = slot<sadd>,
        .get_tuple = slot<get_tuple>,
        .c_get_tuple = get_tuple.body,
        .to_round = slot<rounded.to>,
        .get_round = slot<rounded.get>,
        .to_abs = slot<absolute.to>,
        .get_abs = slot<absolute.get>,
        .to_neg = slot<negated.to>,
        .get_neg = slot<negated.get>,
        .get_int_tuple = slot<get_int_tuple>,
        .get_rounded_tuple = slot<get_rounded_tuple>,
        .copy = slot<copy>,
        .to_normalized = slot<normalized.to>,
        .get_normalized = slot<normalized.get>,
        .distance_to = slot<distance_to>,
        .distance_squared_to = slot<distance_squared_to>,
        .dot = slot<dot>,
    };
};

}  // namespace korvex
