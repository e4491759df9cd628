// The protocols of a vector type: the number protocol (operators), equality,
// hash and repr, the sequence and mapping slots (len, v[i], v[i] = x) and
// iteration.
#pragma once

#include <cstddef>
#include <cstdio>

#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/field_iterator.hpp"
#include "korvex/common/float_hash.hpp"
#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"
#include "korvex/common/vector_core.hpp"
#include "korvex/common/vector_math.hpp"

namespace korvex {

template <class TraitsT>
struct VectorType<TraitsT>::Protocols {
    // --- operators ---------------------------------------------------------------------

    // + and - demand a vector on the right; with the vector only on the right
    // there is no reflected operation.
    template <Struct (*Operation)(Struct, Struct)>
    static PyObject* nb_additive(PyObject* a, PyObject* b) {
        if (!is_vector(a)) Py_RETURN_NOTIMPLEMENTED;
        if (!is_vector(b)) {
            raise_argument_type("other", &type, b);
            return nullptr;
        }
        return box(Operation(data_of(a), data_of(b)));
    }

    // *, / and // take a vector or an int/float scalar; anything else is left
    // to the interpreter.
    template <Struct (*VectorOperation)(Struct, Struct), Struct (*ScalarOperation)(Struct, double)>
    static PyObject* nb_scaling(PyObject* a, PyObject* b) {
        if (!is_vector(a)) Py_RETURN_NOTIMPLEMENTED;
        if (is_vector(b)) return box(VectorOperation(data_of(a), data_of(b)));
        if (PyLong_Check(b) || PyFloat_Check(b)) {
            double scalar;
            if (!to_double(b, scalar)) return nullptr;
            return box(ScalarOperation(data_of(a), scalar));
        }
        Py_RETURN_NOTIMPLEMENTED;
    }

    template <void (*Operation)(Struct*, Struct)>
    static PyObject* nb_in_place(PyObject* a, PyObject* b) {
        if (!is_vector(a)) Py_RETURN_NOTIMPLEMENTED;
        if (!is_vector(b)) {
            raise_argument_type("other", &type, b);
            return nullptr;
        }
        Operation(&data_of(a), data_of(b));
        return Py_NewRef(a);
    }

    static PyObject* nb_negative(PyObject* a) { return box(vec::neg<Traits>(data_of(a))); }

    static inline PyNumberMethods number_methods = [] {
        PyNumberMethods m{};
        m.nb_add = nb_additive<vec::add<Traits>>;
        m.nb_subtract = nb_additive<vec::sub<Traits>>;
        m.nb_multiply = nb_scaling<vec::mul_vector<Traits>, vec::mul_scalar<Traits>>;
        m.nb_true_divide = nb_scaling<vec::div_vector<Traits>, vec::div_scalar<Traits>>;
        m.nb_floor_divide = nb_scaling<vec::floordiv_vector<Traits>, vec::floordiv_scalar<Traits>>;
        m.nb_negative = nb_negative;
        m.nb_inplace_add = nb_in_place<vec::iadd<Traits>>;
        m.nb_inplace_subtract = nb_in_place<vec::isub<Traits>>;
        m.nb_inplace_multiply = nb_in_place<vec::imul<Traits>>;
        return m;
    }();

    // Equality with any other type is False, never NotImplemented; ordering is
    // left undefined.
    static PyObject* tp_richcompare(PyObject* a, PyObject* b, int op) {
        if (op != Py_EQ && op != Py_NE) Py_RETURN_NOTIMPLEMENTED;
        bool equal = false;
        if (is_vector(a) && is_vector(b)) {
            equal = true;
            for (std::size_t i = 0; i < N; ++i)
                equal = equal && vec::at<Traits>(data_of(a), i) == vec::at<Traits>(data_of(b), i);
        }
        return PyBool_FromLong(equal == (op == Py_EQ));
    }

    static Py_hash_t tp_hash(PyObject* self) {
        Scalar values[N];
        for (std::size_t i = 0; i < N; ++i) values[i] = vec::at<Traits>(data_of(self), i);
        return detail::hash_components(values, N);
    }

    static PyObject* tp_repr(PyObject* self) {
        char text[32 * (N + 1)];
        int length = snprintf(text, sizeof text, "%s(", Traits::class_name);
        for (std::size_t i = 0; i < N; ++i) {
            char* number = PyOS_double_to_string(static_cast<double>(vec::at<Traits>(data_of(self), i)), 'r', 0,
                                                 Py_DTSF_ADD_DOT_0, nullptr);
            if (number == nullptr) return PyErr_NoMemory();
            length += snprintf(text + length, sizeof text - length, i + 1 < N ? "%s, " : "%s)", number);
            PyMem_Free(number);
        }
        return PyUnicode_FromStringAndSize(text, length);
    }

    // --- sequence protocol -----------------------------------------------------------------

    static bool in_range(Py_ssize_t index) { return index >= 0 && static_cast<std::size_t>(index) < N; }

    KORVEX_COLD static void raise_index() { PyErr_SetString(PyExc_IndexError, "Vector index out of range"); }

    static Py_ssize_t sq_length(PyObject*) { return N; }

    static PyObject* sq_item(PyObject* self, Py_ssize_t index) {
        if (!in_range(index)) {
            raise_index();
            return nullptr;
        }
        return PyFloat_FromDouble(static_cast<double>(vec::at<Traits>(data_of(self), index)));
    }

    static PyObject* mp_subscript(PyObject* self, PyObject* key) {
        // The usual key, an exact int of one machine word, is read in place
        // without the index protocol's out-of-line calls.
        if (PyLong_CheckExact(key) && PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject*>(key)))
            return sq_item(self, PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject*>(key)));
        Py_ssize_t index;
        if (!to_index(key, index)) return nullptr;
        return sq_item(self, index);
    }

    // The key is converted first, then the value, then the key is checked.
    static int mp_ass_subscript(PyObject* self, PyObject* key, PyObject* value) {
        if (value == nullptr) return raise_item_delete(self);
        Py_ssize_t index;
        if (!to_index(key, index)) return -1;
        Scalar converted;
        if (!to_scalar(value, converted)) return -1;
        if (!in_range(index)) {
            raise_index();
            return -1;
        }
        vec::at<Traits>(data_of(self), index) = converted;
        return 0;
    }

    static inline PySequenceMethods sequence_methods = sequence_slots(sq_length, sq_item);
    static inline PyMappingMethods mapping_methods = mapping_slots(sq_length, mp_subscript, mp_ass_subscript);

    // --- iteration --------------------------------------------------------------------------
    //
    // iter(v) yields the components as v[0], v[1], ... would (the vector
    // types are final, so no subclass can index otherwise).

    static constexpr AssembledName iterator_name = AssembledName{}.add(type_name.text).add("Iterator");

    struct Components {
        static constexpr const char* name = iterator_name.text;
        static constexpr std::size_t count = N;
        static PyObject* read(PyObject* vector, std::size_t index) {
            return PyFloat_FromDouble(static_cast<double>(vec::at<Traits>(data_of(vector), index)));
        }
    };
    using Iterator = FieldIterator<Components>;

    static PyObject* tp_iter(PyObject* self) { return Iterator::make(self); }
};

}  // namespace korvex
