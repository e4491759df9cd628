// The properties of a vector type, in class order: one per component, `data`
// (for the types whose traits declare it), the swizzles, then `length_squared`
// and `length`. The components, `data` and the lengths are descriptors
// (properties.hpp); the
// swizzles, read-only and without docstrings, are plain getters decoded from
// their words at compile time.
#pragma once

#include <array>
#include <cstddef>
#include <type_traits>
#include <utility>

#include "korvex/common/entry.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/properties.hpp"
#include "korvex/common/python.hpp"
#include "korvex/common/swizzle.hpp"
#include "korvex/common/vector_core.hpp"
#include "korvex/common/vector_math.hpp"

namespace korvex {

template <class TraitsT>
struct VectorType<TraitsT>::Properties {
    static constexpr const char* storage_rule =
        std::is_same_v<Scalar, float> ? "rounded to single precision" : "kept in double precision";

    // "The x component ...", one docstring per letter (a text longer than the
    // buffer does not compile).
    static constexpr std::size_t component_doc_capacity = 200;
    static constexpr auto component_docs = [] {
        std::array<std::array<char, component_doc_capacity>, N> docs{};
        for (std::size_t i = 0; i < N; ++i) {
            detail::TextWriter text{docs[i].data()};
            text.put("The ");
            text.put(component_names[i].data());
            text.put(" component, a float.\n\nAssigning converts any number by the float protocol (");
            text.put(storage_rule);
            text.put("); deleting raises NotImplementedError.");
            text.put('\0');
        }
        return docs;
    }();

    template <std::size_t I>
    static constexpr auto component = property(
        component_names[I].data(), [](Object* self) { return vec::at<Traits>(self->data, I); },
        [](Object* self, double value) { vec::at<Traits>(self->data, I) = static_cast<Scalar>(value); },
        component_docs[I].data());

    // The snapshot dict {"x": x, "y": y, ...}.
    static PyObject* data_dict(Object* self) {
        PyObject* dict = PyDict_New();
        if (dict == nullptr) return nullptr;
        for (std::size_t i = 0; i < N; ++i) {
            PyObject* value = PyFloat_FromDouble(static_cast<double>(vec::at<Traits>(self->data, i)));
            if (value == nullptr || PyDict_SetItemString(dict, component_names[i].data(), value) < 0) {
                Py_XDECREF(value);
                Py_DECREF(dict);
                return nullptr;
            }
            Py_DECREF(value);
        }
        return dict;
    }

    // Takes any subscriptable object; every key is looked up and converted
    // before anything is written.
    static int assign_data(Object* self, PyObject* value) {
        if (!PyMapping_Check(value)) {
            // Names the value's type in full (module and qualified name).
            PyErr_Format(PyExc_TypeError, "Expected %.42s, got %.200T", "a mapping", value);
            return -1;
        }
        Struct data{};
        for (std::size_t i = 0; i < N; ++i) {
            PyObject* item = PyMapping_GetItemString(value, component_names[i].data());
            if (item == nullptr) {
                if (PyErr_ExceptionMatches(PyExc_KeyError)) {
                    PyErr_Clear();
                    PyErr_Format(PyExc_ValueError, "No value specified for struct attribute '%s'",
                                 component_names[i].data());
                }
                return -1;
            }
            bool ok = to_scalar(item, vec::at<Traits>(data, i));
            Py_DECREF(item);
            if (!ok) return -1;
        }
        self->data = data;
        return 0;
    }

    static constexpr auto data = property(
        "data", data_dict, assign_data,
        "The components as a new dict, {'x': x, 'y': y}.\n\n"
        "Assigning takes any mapping holding every component's letter (ValueError when one is missing, "
        "TypeError for a value that is no mapping); every value is converted before any is stored.");

    static constexpr auto length_squared = property(
        "length_squared", [](Object* self) { return static_cast<double>(vec::length_squared<Traits>(self->data)); },
        "The squared Euclidean length, a float (read-only).\n\n"
        "The sum of squares as length forms it (in the vector's precision), without the root.");

    static constexpr auto length = property(
        "length", [](Object* self) { return vec::length<Traits>(self->data); },
        "The Euclidean length, a float (read-only).\n\nComputed in the vector's precision.");

    // A plain getter per word: the letters are decoded at compile time.
    template <std::size_t W>
    static PyObject* get_swizzle(PyObject* self, void*) {
        constexpr auto& word = Traits::swizzles[W];
        static_assert(word.size() == N + 1, "a swizzle word names one letter per component");
        const Struct& source = data_of(self);
        Struct result{};
        [&]<std::size_t... K>(std::index_sequence<K...>) {
            ((vec::at<Traits>(result, K) = vec::at<Traits>(source, letter_index<N>(Traits::letters, word[K]))),
             ...);
        }(std::make_index_sequence<N>{});
        return box(result);
    }

    template <std::size_t... I, std::size_t... W>
    static auto make_table(std::index_sequence<I...>, std::index_sequence<W...>) {
        const std::array<PyGetSetDef, sizeof...(I)> components{property_definition<component<I>>()...};
        const std::array<PyGetSetDef, sizeof...(W)> swizzles{
            PyGetSetDef{Traits::swizzles[W].data(), get_swizzle<W>, nullptr, nullptr, nullptr}...};
        const std::array<PyGetSetDef, 3> last{property_definition<length_squared>(), property_definition<length>(),
                                              PyGetSetDef{}};
        if constexpr (Traits::has_data)
            return detail::concat(components, std::array{property_definition<data>()}, swizzles, last);
        else
            return detail::concat(components, swizzles, last);
    }

    static inline auto table =
        make_table(std::make_index_sequence<N>{}, std::make_index_sequence<Traits::swizzles.size()>{});
};

}  // namespace korvex
