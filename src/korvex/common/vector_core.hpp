// The core of a vector type, generic over a traits struct: names, the pool,
// creation and the constructor. vector_type.hpp assembles the type from it and
// its parts (methods, properties, protocols: one file each). Vector2, Vector3
// and Vector4 are this template with their own traits; what differs between
// them is in their traits block (and, for the maths, in vector_math.hpp):
//
//     struct Traits : <Math traits> {
//         using Object, Table;                     object layout, native table
//         static constexpr const char* class_name; "Vector2"
//         static constexpr char letters[];         component names, in order
//         static constexpr auto swizzles;          swizzle words, in class order
//         static constexpr bool has_data, has_cross;
//         static constexpr auto cross;             Struct(Struct, Struct), with has_cross
//         static constexpr auto rotation;          vec::Rotation: none, planar or spatial
//     };
//
// The type's full name ("korvex.vector2.vector2.Vector2") and the names of
// the factories from a vector of the type and from components
// ("from_vector2", "from_xy") follow from the class name and the letters.
//
// The types are final and not tracked by the collector; released instances go
// to a pool of up to pool_capacity objects and are reused most recent first.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"
#include "korvex/common/vector_math.hpp"

namespace korvex {

namespace detail {

template <class Arg, std::size_t>
using Repeat = Arg;

// A native constructor taking one value of type Arg per component.
template <class Core, class Arg, class Sequence>
struct FromComponents;

template <class Core, class Arg, std::size_t... I>
struct FromComponents<Core, Arg, std::index_sequence<I...>> {
    static PyObject* create(Repeat<Arg, I>... values) {
        typename Core::Struct data{};
        ((vec::at<typename Core::Traits>(data, I) = static_cast<typename Core::Scalar>(values)), ...);
        return Core::box(data);
    }
};

}  // namespace detail

// A name assembled at compile time from parts, optionally lowercased.
struct AssembledName {
    char text[48]{};
    std::size_t size = 0;

    constexpr AssembledName& add(const char* part, bool lowercase = false) {
        for (; *part != '\0'; ++part)
            text[size++] = lowercase && *part >= 'A' && *part <= 'Z' ? static_cast<char>(*part - 'A' + 'a') : *part;
        return *this;
    }
};

template <class TraitsT>
class VectorType {
public:
    using Traits = TraitsT;
    using Object = typename Traits::Object;
    using Table = typename Traits::Table;
    using Struct = typename Traits::Struct;
    using Scalar = typename Traits::Scalar;
    static constexpr std::size_t N = Traits::size;

    static constexpr AssembledName type_name = AssembledName{}
                                                   .add("korvex.")
                                                   .add(Traits::class_name, true)
                                                   .add(".")
                                                   .add(Traits::class_name, true)
                                                   .add(".")
                                                   .add(Traits::class_name);
    static constexpr AssembledName own_factory = AssembledName{}.add("from_").add(Traits::class_name, true);
    static constexpr AssembledName components_factory = AssembledName{}.add("from_").add(Traits::letters);
    static constexpr int pool_capacity = 1000;

    static constexpr std::array<std::array<char, 2>, N> component_names = [] {
        std::array<std::array<char, 2>, N> names{};
        for (std::size_t i = 0; i < N; ++i) names[i] = {Traits::letters[i], '\0'};
        return names;
    }();

    // The parts, one job each: methods and the shared native block
    // (vector_methods.hpp; Cross for the types with a cross product), the
    // geometry methods (vector_geometry.hpp; Planar or Spatial by the
    // rotation trait), properties and swizzles (vector_properties.hpp),
    // operators, comparison, hash, repr, sequence access and iteration
    // (vector_protocols.hpp).
    struct Methods;
    struct Cross;
    struct Geometry;
    struct Planar;
    struct Spatial;
    struct Properties;
    struct Protocols;

    // The type object (vector_type.hpp) and the native table it publishes
    // (native_table() in vector_type.hpp).
    static PyTypeObject type;
    static Table table_storage;
    static inline Table* const table = &table_storage;
    // The type, for the descriptors' argument checks.
    static PyTypeObject* own_type() { return &type; }

    // The module's exec: readies the type and publishes it with its native
    // table (vector_type.hpp).
    static int publish(PyObject* module);

    // --- creation -----------------------------------------------------------

    static Object* allocate() {
        Object* self;
        if (pool_size > 0) {
            self = pool[--pool_size];
        } else {
            self = static_cast<Object*>(PyObject_Malloc(sizeof(Object)));
            if (self == nullptr) return reinterpret_cast<Object*>(PyErr_NoMemory());
        }
        (void)PyObject_Init(reinterpret_cast<PyObject*>(self), &type);
        self->__pyx_vtab = table;
        self->data = Struct{};
        return self;
    }

    KORVEX_INLINE static PyObject* box(const Struct& data) {
        Object* self = allocate();
        if (self != nullptr) self->data = data;
        return reinterpret_cast<PyObject*>(self);
    }

    // What a computation takes for a parameter: a vector's structure, a
    // number as it is.
    static const Struct& value(Object* vector) { return vector->data; }
    static double value(double number) { return number; }

    // The get_ and to_ bodies of one computation on self (method_pair.hpp):
    // get_ returns the result as a new vector, to_ stores it in self and
    // returns self.
    template <auto compute, class... Args>
    struct Forms {
        static PyObject* get(Object* self, Args... args) { return box(compute(self->data, value(args)...)); }
        static PyObject* to(Object* self, Args... args) {
            self->data = compute(self->data, value(args)...);
            return Py_NewRef(reinterpret_cast<PyObject*>(self));
        }
    };

    // --- native constructors ---------------------------------------------------

    template <class Arg>
    static constexpr auto from_components =
        &detail::FromComponents<VectorType, Arg, std::make_index_sequence<N>>::create;

    static PyObject* cfrom_struct(Struct data) { return box(data); }
    static PyObject* cfrom_list(PyObject* list) { return from_items(list, "list index out of range"); }
    static PyObject* cfrom_tuple(PyObject* tuple) { return from_items(tuple, "tuple index out of range"); }
    static PyObject* cfrom_own(Object* other) { return box(other->data); }

    // --- helpers of the other parts ------------------------------------------------

    static Object* as_object(PyObject* self) { return reinterpret_cast<Object*>(self); }
    static Struct& data_of(PyObject* self) { return as_object(self)->data; }
    static bool is_vector(PyObject* obj) { return Py_IS_TYPE(obj, &type); }

    static bool to_scalar(PyObject* obj, Scalar& out) {
        double value;
        if (!to_double(obj, value)) return false;
        out = static_cast<Scalar>(value);
        return true;
    }

    // Released instances go back to the pool, most recent first.
    static void tp_dealloc(PyObject* self) {
        if (pool_size < pool_capacity)
            pool[pool_size++] = as_object(self);
        else
            PyObject_Free(self);
    }

    // Items 0..N-1 of a list or tuple; a shorter sequence raises IndexError
    // instead of reading past its end.
    static PyObject* from_items(PyObject* sequence, const char* too_short) {
        Struct data{};
        if (read_plain_items(sequence, data)) return box(data);
        for (std::size_t i = 0; i < N; ++i) {
            PyObject* item = list_or_tuple_item(sequence, static_cast<Py_ssize_t>(i), too_short);
            if (item == nullptr) return nullptr;
            bool ok = to_scalar(item, vec::at<Traits>(data, i));
            Py_DECREF(item);
            if (!ok) return nullptr;
        }
        return box(data);
    }

    // --- constructor ------------------------------------------------------------

    // Each component is read by `Read` (a new reference), converted and stored
    // before the next is read, so a later failure leaves the earlier ones
    // written.
    template <PyObject* (*Read)(PyObject*, std::size_t)>
    static int init_components(Object* self, PyObject* source) {
        for (std::size_t i = 0; i < N; ++i) {
            PyObject* value = Read(source, i);
            if (value == nullptr) return -1;
            bool ok = to_scalar(value, vec::at<Traits>(self->data, i));
            Py_DECREF(value);
            if (!ok) return -1;
        }
        return 0;
    }
    static PyObject* attribute(PyObject* source, std::size_t i) {
        return PyObject_GetAttrString(source, component_names[i].data());
    }
    static PyObject* item(PyObject* source, std::size_t i) {
        return PySequence_GetItem(source, static_cast<Py_ssize_t>(i));
    }

    static int init_from_sequence(Object* self, PyObject* sequence) {
        Py_ssize_t length = PyObject_Length(sequence);
        if (length < 0) return -1;
        if (static_cast<std::size_t>(length) != N) {
            PyErr_Format(PyExc_TypeError, "%s() takes a sequence of length %zu, but got %zd", Traits::class_name, N,
                         length);
            return -1;
        }
        return init_components<item>(self, sequence);
    }

    // A list or tuple of N plain numbers (exact floats, compact ints), read in
    // place and converted as to_scalar would.
    static bool read_plain_items(PyObject* sequence, Struct& data) {
        double values[N];
        if (!plain_number_items(sequence, values)) return false;
        for (std::size_t i = 0; i < N; ++i) vec::at<Traits>(data, i) = static_cast<Scalar>(values[i]);
        return true;
    }

    static int init_from_one(Object* self, PyObject* arg) {
        if (is_vector(arg)) {
            self->data = data_of(arg);
            return 0;
        }
        // Exact lists and tuples cannot carry the vector-like marker (their
        // types and instances take no new attributes): no look-up for them.
        if (is_exact_list_or_tuple(arg)) {
            if (read_plain_items(arg, self->data)) return 0;
            return init_from_sequence(self, arg);
        }
        PyObject* marker_name = interned<"clamp_magnitude_ip">();
        if (marker_name == nullptr) return -1;
        PyObject* marker = nullptr;
        int is_vector_like = PyObject_GetOptionalAttr(arg, marker_name, &marker);
        Py_XDECREF(marker);
        if (is_vector_like < 0) return -1;
        if (is_vector_like) return init_components<attribute>(self, arg);
        if (PyList_Check(arg) || PyTuple_Check(arg)) return init_from_sequence(self, arg);
        PyObject* name = PyType_GetName(Py_TYPE(arg));
        if (name == nullptr) return -1;
        PyErr_Format(PyExc_TypeError, "%s() invalid constructor argument: %U", Traits::class_name, name);
        Py_DECREF(name);
        return -1;
    }

    static int init_impl(Object* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        if (!reject_keywords("__init__", kwnames)) return -1;
        if (nargs == 0) {
            self->data = Struct{};
            return 0;
        }
        if (nargs == 1) return init_from_one(self, args[0]);
        if (static_cast<std::size_t>(nargs) == N) {
            for (std::size_t i = 0; i < N; ++i)
                if (!to_scalar(args[i], vec::at<Traits>(self->data, i))) return -1;
            return 0;
        }
        PyErr_Format(PyExc_TypeError, "%s() takes 0, 1, or %zu arguments, but %zd were given", Traits::class_name, N,
                     nargs);
        return -1;
    }

    static PyObject* tp_vectorcall(PyObject*, PyObject* const* args, size_t nargsf, PyObject* kwnames) {
        Object* self = allocate();
        if (self == nullptr) return nullptr;
        if (init_impl(self, args, PyVectorcall_NARGS(nargsf), kwnames) < 0) {
            Py_DECREF(self);
            return nullptr;
        }
        return reinterpret_cast<PyObject*>(self);
    }

    static int tp_init(PyObject* self, PyObject* args, PyObject* kwds) {
        if (!reject_keyword_dict("__init__", kwds)) return -1;
        return init_impl(as_object(self), &PyTuple_GET_ITEM(args, 0), PyTuple_GET_SIZE(args), nullptr);
    }

    // Object creation on its own ignores its arguments.
    static PyObject* tp_new(PyTypeObject*, PyObject*, PyObject*) { return reinterpret_cast<PyObject*>(allocate()); }

private:
    static inline Object* pool[pool_capacity];
    static inline int pool_size = 0;
};

}  // namespace korvex
