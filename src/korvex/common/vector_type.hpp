// The Python type of a vector, generic over a traits struct. Vector2, Vector3
// and Vector4 are this template with their own traits; what differs between
// them is in their traits block (and, for the maths, in vector_math.hpp):
//
//     struct Traits : <Math traits> {
//         using Object, Table;                     object layout, native table
//         static constexpr const char* type_name;  "korvex.vector2.vector2.Vector2"
//         static constexpr const char* class_name; "Vector2", used in messages
//         static constexpr char letters[];         component names, in order
//         static constexpr const char* own_factory, components_factory;
//         static constexpr auto swizzles;          swizzle words, in class order
//         static constexpr bool has_data, has_cross;
//         static constexpr auto cross;             Struct(Struct, Struct), with has_cross
//     };
//
// The types are final and not tracked by the collector; released instances go
// to a pool of up to pool_capacity objects and are reused most recent first.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/fixed_string.hpp"
#include "korvex/common/pickle.hpp"
#include "korvex/common/python.hpp"
#include "korvex/common/swizzle.hpp"
#include "korvex/common/types.hpp"
#include "korvex/common/vector_math.hpp"
#include "korvex/common/vector_slots.hpp"

namespace korvex {

namespace detail {

template <class Arg, std::size_t>
using Repeat = Arg;

// A native constructor taking one value of type Arg per component.
template <class Impl, class Arg, class Sequence>
struct FromComponents;

template <class Impl, class Arg, std::size_t... I>
struct FromComponents<Impl, Arg, std::index_sequence<I...>> {
    static PyObject* create(Repeat<Arg, I>... values) {
        typename Impl::Struct data{};
        ((vec::at<typename Impl::Traits>(data, I) = static_cast<typename Impl::Scalar>(values)), ...);
        return Impl::box(data);
    }
};

template <class T, std::size_t... Sizes>
constexpr auto concat(const std::array<T, Sizes>&... parts) {
    std::array<T, (Sizes + ... + 0)> joined{};
    std::size_t next = 0;
    ((std::copy(parts.begin(), parts.end(), joined.begin() + next), next += parts.size()), ...);
    return joined;
}

// The interpreter's float hash (_Py_HashDouble), computed inline on the bits
// of the double for zeros and normal numbers: the value reduced modulo the
// prime 2**61 - 1. The interpreter takes the significand 28 bits at a time,
// rotating the sum left by 28 bits (modulo the prime) before each step, then
// rotates it by the exponent; a 53-bit significand is one step of its top 28
// bits and, when the low 25 are not all zero, a second one of those 25 bits
// shifted up by 3 (single-precision components never need the second).
// Subnormals, infinities and NaN go to the interpreter itself.
inline Py_hash_t hash_double(double value) {
    static_assert(PyHASH_BITS == 61, "the 64-bit hash modulus");
    constexpr Py_uhash_t modulus = PyHASH_MODULUS;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const auto biased_exponent = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased_exponent == 0 && fraction == 0) return 0;
    if (biased_exponent == 0 || biased_exponent == 0x7ff) return _Py_HashDouble(nullptr, value);

    const std::uint64_t significand = fraction | (std::uint64_t{1} << 52);  // value = significand * 2**(e - 53)
    int exponent = biased_exponent - 1022 - 28;                              // frexp's exponent, after one step
    Py_uhash_t sum = significand >> 25;
    if (const std::uint64_t rest = significand & ((std::uint64_t{1} << 25) - 1); rest != 0) {
        sum = ((sum << 28) & modulus) | (sum >> (PyHASH_BITS - 28));
        sum += rest << 3;
        if (sum >= modulus) sum -= modulus;
        exponent -= 28;
    }
    exponent = exponent >= 0 ? exponent % PyHASH_BITS : PyHASH_BITS - 1 - ((-1 - exponent) % PyHASH_BITS);
    sum = ((sum << exponent) & modulus) | (sum >> (PyHASH_BITS - exponent));
    if (bits >> 63) sum = static_cast<Py_uhash_t>(0) - sum;
    if (sum == static_cast<Py_uhash_t>(-1)) sum = static_cast<Py_uhash_t>(-2);
    return static_cast<Py_hash_t>(sum);
}

// Mirrors the interpreter's tuple hash (xxHash-style lanes), so that a vector
// hashes like the tuple of its components without building the tuple.
inline Py_hash_t hash_doubles(const double* values, std::size_t count) {
    constexpr Py_uhash_t prime1 = 11400714785074694791ULL;
    constexpr Py_uhash_t prime2 = 14029467366897019727ULL;
    constexpr Py_uhash_t prime5 = 2870177450012600261ULL;
    Py_uhash_t acc = prime5;
    for (std::size_t i = 0; i < count; ++i) {
        const auto lane = static_cast<Py_uhash_t>(hash_double(values[i]));
        acc += lane * prime2;
        acc = (acc << 31) | (acc >> 33);
        acc *= prime1;
    }
    acc += count ^ (prime5 ^ 3527539UL);
    if (acc == static_cast<Py_uhash_t>(-1)) return 1546275796;
    return static_cast<Py_hash_t>(acc);
}

}  // namespace detail

template <class TraitsT>
class VectorType {
public:
    using Traits = TraitsT;
    using Object = typename Traits::Object;
    using Table = typename Traits::Table;
    using Struct = typename Traits::Struct;
    using Scalar = typename Traits::Scalar;
    static constexpr std::size_t N = Traits::size;
    static constexpr int pool_capacity = 1000;

    static inline PyTypeObject type = static_type();

    // Readies the type and publishes it with `table` as its native table.
    static int publish(PyObject* module, Table* native_table) {
        table = native_table;
        prepare_type();
        return publish_type(module, &type, native_table);
    }

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

    static PyObject* box(const Struct& data) {
        Object* self = allocate();
        if (self != nullptr) self->data = data;
        return reinterpret_cast<PyObject*>(self);
    }

    // --- native slots ---------------------------------------------------------

    template <class Arg>
    static constexpr auto from_components = &detail::FromComponents<VectorType, Arg, std::make_index_sequence<N>>::create;

    static PyObject* cfrom_struct(Struct data) { return box(data); }
    static PyObject* cfrom_list(PyObject* list) { return from_items(list, "list index out of range"); }
    static PyObject* cfrom_tuple(PyObject* tuple) { return from_items(tuple, "tuple index out of range"); }
    static PyObject* cfrom_own(Object* other) { return box(other->data); }

    static VectorSlots<Object> slots() {
        return {
            slot_add,          slot_sub,           slot_iadd,     slot_isub,       slot_imul,
            slot_sadd,         slot_sadd_dispatch, slot_get_tuple, slot_c_get_tuple, slot_to_round,
            slot_get_round,    slot_to_abs,        slot_get_abs,  slot_to_neg,     slot_get_neg,
            slot_get_int_tuple, slot_get_rounded_tuple, slot_copy, slot_to_normalized, slot_get_normalized,
            slot_distance_to,  slot_distance_squared_to, slot_dot,
        };
    }

    // Only types whose traits declare a cross product have this slot.
    static PyObject* slot_cross(Object* self, Object* other, int)
        requires Traits::has_cross
    {
        return box(Traits::cross(self->data, other->data));
    }

private:
    static inline Table* table = nullptr;
    static inline Object* pool[pool_capacity];
    static inline int pool_size = 0;

    static Object* as_object(PyObject* self) { return reinterpret_cast<Object*>(self); }
    static Struct& data_of(PyObject* self) { return as_object(self)->data; }
    static bool is_vector(PyObject* obj) { return Py_IS_TYPE(obj, &type); }

    static bool to_scalar(PyObject* obj, Scalar& out) {
        double value;
        if (!to_double(obj, value)) return false;
        out = static_cast<Scalar>(value);
        return true;
    }

    static void dealloc(PyObject* self) {
        if (pool_size < pool_capacity)
            pool[pool_size++] = as_object(self);
        else
            PyObject_Free(self);
    }

    // Items 0..N-1 of a list or tuple; a shorter sequence raises IndexError
    // instead of reading past its end.
    static PyObject* from_items(PyObject* sequence, const char* too_short) {
        Struct data{};
        for (std::size_t i = 0; i < N; ++i) {
            if (static_cast<std::size_t>(Py_SIZE(sequence)) <= i) {
                PyErr_SetString(PyExc_IndexError, too_short);
                return nullptr;
            }
            PyObject* item = Py_NewRef(PySequence_Fast_ITEMS(sequence)[i]);
            bool ok = to_scalar(item, vec::at<Traits>(data, i));
            Py_DECREF(item);
            if (!ok) return nullptr;
        }
        return box(data);
    }

    // --- constructor ------------------------------------------------------------

    static constexpr std::array<std::array<char, 2>, N> component_names = [] {
        std::array<std::array<char, 2>, N> names{};
        for (std::size_t i = 0; i < N; ++i) names[i] = {Traits::letters[i], '\0'};
        return names;
    }();

    // Each component is converted and stored before the next is read, so a
    // later failure leaves the earlier ones written.
    static int init_from_attributes(Object* self, PyObject* source) {
        for (std::size_t i = 0; i < N; ++i) {
            PyObject* value = PyObject_GetAttrString(source, component_names[i].data());
            if (value == nullptr) return -1;
            bool ok = to_scalar(value, vec::at<Traits>(self->data, i));
            Py_DECREF(value);
            if (!ok) return -1;
        }
        return 0;
    }

    static int init_from_sequence(Object* self, PyObject* sequence) {
        Py_ssize_t length = PyObject_Length(sequence);
        if (length < 0) return -1;
        if (static_cast<std::size_t>(length) != N) {
            PyErr_Format(PyExc_TypeError, "%s() takes a sequence of length %zu, but got %zd", Traits::class_name, N,
                         length);
            return -1;
        }
        for (std::size_t i = 0; i < N; ++i) {
            PyObject* value = PySequence_GetItem(sequence, static_cast<Py_ssize_t>(i));
            if (value == nullptr) return -1;
            bool ok = to_scalar(value, vec::at<Traits>(self->data, i));
            Py_DECREF(value);
            if (!ok) return -1;
        }
        return 0;
    }

    static int init_from_one(Object* self, PyObject* arg) {
        if (is_vector(arg)) {
            self->data = data_of(arg);
            return 0;
        }
        // The name is made once and interned: a name made from the C string
        // on every call costs an allocation, and the interpreter's attribute
        // cache, keyed on the name object, would keep hundreds of them alive.
        static PyObject* marker_name = nullptr;
        if (marker_name == nullptr && (marker_name = PyUnicode_InternFromString("clamp_magnitude_ip")) == nullptr)
            return -1;
        PyObject* marker = nullptr;
        int is_vector_like = PyObject_GetOptionalAttr(arg, marker_name, &marker);
        Py_XDECREF(marker);
        if (is_vector_like < 0) return -1;
        if (is_vector_like) return init_from_attributes(self, arg);
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

    static PyObject* vectorcall(PyObject*, PyObject* const* args, size_t nargsf, PyObject* kwnames) {
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

    // --- slot bodies ------------------------------------------------------------

    static PyObject* slot_add(Object* a, Object* b) { return box(vec::add<Traits>(a->data, b->data)); }
    static PyObject* slot_sub(Object* a, Object* b) { return box(vec::sub<Traits>(a->data, b->data)); }
    static void slot_iadd(Object* a, Object* b) { vec::iadd<Traits>(&a->data, b->data); }
    static void slot_isub(Object* a, Object* b) { vec::isub<Traits>(&a->data, b->data); }
    static void slot_imul(Object* a, Object* b) { vec::imul<Traits>(&a->data, b->data); }
    // The sum is formed before it is stored, so self may be an operand.
    static void slot_sadd(Object* self, Object* a, Object* b) { self->data = vec::add<Traits>(a->data, b->data); }
    static void slot_sadd_dispatch(Object* self, Object* a, Object* b, int) { slot_sadd(self, a, b); }

    static PyObject* slot_c_get_tuple(Object* self) {
        PyObject* tuple = PyTuple_New(N);
        if (tuple == nullptr) return nullptr;
        for (std::size_t i = 0; i < N; ++i) {
            PyObject* item = PyFloat_FromDouble(static_cast<double>(vec::at<Traits>(self->data, i)));
            if (item == nullptr) {
                Py_DECREF(tuple);
                return nullptr;
            }
            PyTuple_SET_ITEM(tuple, i, item);
        }
        return tuple;
    }
    static PyObject* slot_get_tuple(Object* self, int) { return slot_c_get_tuple(self); }

    static PyObject* int_tuple(const Struct& data) {
        int values[N];
        for (std::size_t i = 0; i < N; ++i)
            if (!truncate_to_int32(static_cast<double>(vec::at<Traits>(data, i)), values[i])) return nullptr;
        PyObject* tuple = PyTuple_New(N);
        if (tuple == nullptr) return nullptr;
        for (std::size_t i = 0; i < N; ++i) {
            PyObject* item = PyLong_FromLong(values[i]);
            if (item == nullptr) {
                Py_DECREF(tuple);
                return nullptr;
            }
            PyTuple_SET_ITEM(tuple, i, item);
        }
        return tuple;
    }
    static PyObject* slot_get_int_tuple(Object* self, int) { return int_tuple(self->data); }
    static PyObject* slot_get_rounded_tuple(Object* self, int) { return int_tuple(vec::round<Traits>(self->data)); }

    template <Struct (*Transform)(Struct)>
    static PyObject* in_place(Object* self, int) {
        self->data = Transform(self->data);
        return Py_NewRef(reinterpret_cast<PyObject*>(self));
    }
    template <Struct (*Transform)(Struct)>
    static PyObject* copying(Object* self, int) {
        return box(Transform(self->data));
    }
    static Struct identity(Struct v) { return v; }

    static constexpr auto slot_to_round = in_place<vec::round<Traits>>;
    static constexpr auto slot_get_round = copying<vec::round<Traits>>;
    static constexpr auto slot_to_abs = in_place<vec::abs<Traits>>;
    static constexpr auto slot_get_abs = copying<vec::abs<Traits>>;
    static constexpr auto slot_to_neg = in_place<vec::neg<Traits>>;
    static constexpr auto slot_get_neg = copying<vec::neg<Traits>>;
    static constexpr auto slot_to_normalized = in_place<vec::normalize<Traits>>;
    static constexpr auto slot_get_normalized = copying<vec::normalize<Traits>>;
    static constexpr auto slot_copy = copying<identity>;

    static double slot_distance_to(Object* a, Object* b, int) { return vec::distance_to<Traits>(a->data, b->data); }
    static double slot_distance_squared_to(Object* a, Object* b, int) {
        return vec::distance_squared_to<Traits>(a->data, b->data);
    }
    static double slot_dot(Object* a, Object* b, int) { return vec::dot<Traits>(a->data, b->data); }

    // --- Python methods -----------------------------------------------------------

    using Fastcall = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

    template <FixedString Name, PyObject* (*Slot)(Object*, int)>
    static PyObject* method_no_args(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        if (!parse(signature(Name.value), args, nargs, kwnames)) return nullptr;
        return Slot(as_object(self), 1);
    }

    template <FixedString Name, double (*Slot)(Object*, Object*, int)>
    static PyObject* method_measure(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        Object* other = nullptr;
        if (!parse(signature(Name.value, "other"), args, nargs, kwnames, typed(other, &type))) return nullptr;
        return PyFloat_FromDouble(Slot(as_object(self), other, 1));
    }

    static PyObject* method_cross(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
        requires Traits::has_cross
    {
        Object* other = nullptr;
        if (!parse(signature("cross", "other"), args, nargs, kwnames, typed(other, &type))) return nullptr;
        return slot_cross(as_object(self), other, 1);
    }

    static PyObject* method_deepcopy(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        PyObject* memo = nullptr;
        if (!parse(signature("__deepcopy__", "memo"), args, nargs, kwnames, memo)) return nullptr;
        return slot_copy(as_object(self), 1);
    }

    static PyObject* method_sadd(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        Object *new_vec = nullptr, *old_vec = nullptr;
        if (!parse(signature("sadd", "new_vec", "old_vec"), args, nargs, kwnames, typed(new_vec, &type),
                   typed(old_vec, &type)))
            return nullptr;
        slot_sadd(as_object(self), new_vec, old_vec);
        Py_RETURN_NONE;
    }

    static constexpr Signature<N> components_signature(const char* name) {
        Signature<N> sig{name, {}, N};
        for (std::size_t i = 0; i < N; ++i) sig.params[i] = component_names[i].data();
        return sig;
    }

    // The factories convert every argument first, so a failure creates nothing.
    static PyObject* factory_own(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        Object* other = nullptr;
        if (!parse(signature(Traits::own_factory, "other"), args, nargs, kwnames, typed(other, &type))) return nullptr;
        return box(other->data);
    }
    static PyObject* factory_tuple(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        PyObject* other = nullptr;
        if (!parse(signature("from_tuple", "other"), args, nargs, kwnames, exactly(other, &PyTuple_Type)))
            return nullptr;
        return cfrom_tuple(other);
    }
    static PyObject* factory_list(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        PyObject* other = nullptr;
        if (!parse(signature("from_list", "other"), args, nargs, kwnames, exactly(other, &PyList_Type)))
            return nullptr;
        return cfrom_list(other);
    }

    static bool parse_components(const char* name, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                                 PyObject* (&values)[N]) {
        const Signature<N> sig = components_signature(name);
        if (kwnames == nullptr && static_cast<std::size_t>(nargs) == N) {
            for (std::size_t i = 0; i < N; ++i) values[i] = args[i];
            return true;
        }
        return parse_arguments(sig.name, sig.params.data(), N, N, args, nargs, kwnames, values);
    }

    static PyObject* factory_ints(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        PyObject* values[N];
        if (!parse_components("from_ints", args, nargs, kwnames, values)) return nullptr;
        Struct data{};
        for (std::size_t i = 0; i < N; ++i) {
            int value;
            if (!to_int32(values[i], value)) return nullptr;
            vec::at<Traits>(data, i) = static_cast<Scalar>(value);
        }
        return box(data);
    }
    // Narrows every value to single precision, whatever the storage.
    static PyObject* factory_floats(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        PyObject* values[N];
        if (!parse_components("from_floats", args, nargs, kwnames, values)) return nullptr;
        Struct data{};
        for (std::size_t i = 0; i < N; ++i) {
            float value;
            if (!to_float(values[i], value)) return nullptr;
            vec::at<Traits>(data, i) = static_cast<Scalar>(value);
        }
        return box(data);
    }
    static PyObject* factory_components(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        PyObject* values[N];
        if (!parse_components(Traits::components_factory, args, nargs, kwnames, values)) return nullptr;
        Struct data{};
        for (std::size_t i = 0; i < N; ++i)
            if (!to_scalar(values[i], vec::at<Traits>(data, i))) return nullptr;
        return box(data);
    }

    template <Fastcall Function>
    static PyMethodDef method(const char* name, int extra_flags = 0) {
        return fastcall_method(name, Function, extra_flags);
    }

    static auto make_methods() {
        std::array<PyMethodDef, 26> common{
            method<method_no_args<"to_normalized", slot_to_normalized>>("to_normalized"),
            method<method_no_args<"get_normalized", slot_get_normalized>>("get_normalized"),
            method<method_no_args<"to_round", slot_to_round>>("to_round"),
            method<method_no_args<"get_round", slot_get_round>>("get_round"),
            method<method_no_args<"to_abs", slot_to_abs>>("to_abs"),
            method<method_no_args<"get_abs", slot_get_abs>>("get_abs"),
            method<method_no_args<"to_neg", slot_to_neg>>("to_neg"),
            method<method_no_args<"get_neg", slot_get_neg>>("get_neg"),
            method<method_no_args<"get_tuple", slot_get_tuple>>("get_tuple"),
            method<method_no_args<"get_int_tuple", slot_get_int_tuple>>("get_int_tuple"),
            method<method_no_args<"get_rounded_tuple", slot_get_rounded_tuple>>("get_rounded_tuple"),
            method<method_no_args<"copy", slot_copy>>("copy"),
            method<method_no_args<"__copy__", slot_copy>>("__copy__"),
            method<method_deepcopy>("__deepcopy__"),
            method<method_sadd>("sadd"),
            method<method_measure<"distance_to", slot_distance_to>>("distance_to"),
            method<method_measure<"distance_squared_to", slot_distance_squared_to>>("distance_squared_to"),
            method<method_measure<"dot", slot_dot>>("dot"),
            method<factory_own>(Traits::own_factory, METH_STATIC),
            method<factory_tuple>("from_tuple", METH_STATIC),
            method<factory_list>("from_list", METH_STATIC),
            method<factory_ints>("from_ints", METH_STATIC),
            method<factory_floats>("from_floats", METH_STATIC),
            method<factory_components>(Traits::components_factory, METH_STATIC),
            KORVEX_PICKLE_REFUSAL(PickleRefusal::VectorData),
        };
        std::array<PyMethodDef, Traits::has_cross ? 1 : 0> extras{};
        if constexpr (Traits::has_cross) extras[0] = method<method_cross>("cross");
        return detail::concat(common, extras, std::array<PyMethodDef, 1>{PyMethodDef{nullptr, nullptr, 0, nullptr}});
    }

    static inline auto methods = make_methods();

    // --- properties -----------------------------------------------------------------

    template <std::size_t I>
    static PyObject* get_component(PyObject* self, void*) {
        return PyFloat_FromDouble(static_cast<double>(vec::at<Traits>(data_of(self), I)));
    }
    template <std::size_t I>
    static int set_component(PyObject* self, PyObject* value, void*) {
        if (value == nullptr) return raise_property_delete();
        Scalar converted;
        if (!to_scalar(value, converted)) return -1;
        vec::at<Traits>(data_of(self), I) = converted;
        return 0;
    }

    static PyObject* get_length(PyObject* self, void*) { return PyFloat_FromDouble(vec::length<Traits>(data_of(self))); }

    // A plain getter per word: the letters are decoded at compile time.
    template <std::size_t W>
    static PyObject* get_swizzle(PyObject* self, void*) {
        constexpr auto& word = Traits::swizzles[W];
        static_assert(word.size() == N + 1, "a swizzle word names one letter per component");
        const Struct& source = data_of(self);
        Struct result{};
        [&]<std::size_t... K>(std::index_sequence<K...>) {
            ((vec::at<Traits>(result, K) =
                  vec::at<Traits>(source, letter_index<N>(Traits::letters, word[K]))),
             ...);
        }(std::make_index_sequence<N>{});
        return box(result);
    }

    // The snapshot dict {"x": x, "y": y, ...}.
    static PyObject* get_data(PyObject* self, void*) {
        PyObject* dict = PyDict_New();
        if (dict == nullptr) return nullptr;
        for (std::size_t i = 0; i < N; ++i) {
            PyObject* value = PyFloat_FromDouble(static_cast<double>(vec::at<Traits>(data_of(self), i)));
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
    static int set_data(PyObject* self, PyObject* value, void*) {
        if (value == nullptr) return raise_property_delete();
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
        data_of(self) = data;
        return 0;
    }

    template <std::size_t... I>
    static constexpr auto component_getsets(std::index_sequence<I...>) {
        return std::array<PyGetSetDef, N>{
            PyGetSetDef{component_names[I].data(), get_component<I>, set_component<I>, nullptr, nullptr}...};
    }
    template <std::size_t... W>
    static constexpr auto swizzle_getsets(std::index_sequence<W...>) {
        return std::array<PyGetSetDef, sizeof...(W)>{
            PyGetSetDef{Traits::swizzles[W].data(), get_swizzle<W>, nullptr, nullptr, nullptr}...};
    }
    static constexpr auto data_getsets() {
        if constexpr (Traits::has_data)
            return std::array<PyGetSetDef, 1>{PyGetSetDef{"data", get_data, set_data, nullptr, nullptr}};
        else
            return std::array<PyGetSetDef, 0>{};
    }

    // Class order: components, data, swizzles, length.
    static inline auto getsets = detail::concat(
        component_getsets(std::make_index_sequence<N>{}), data_getsets(),
        swizzle_getsets(std::make_index_sequence<Traits::swizzles.size()>{}),
        std::array<PyGetSetDef, 1>{PyGetSetDef{"length", get_length, nullptr, nullptr, nullptr}},
        std::array<PyGetSetDef, 1>{PyGetSetDef{nullptr, nullptr, nullptr, nullptr, nullptr}});

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
    static PyObject* richcompare(PyObject* a, PyObject* b, int op) {
        if (op != Py_EQ && op != Py_NE) Py_RETURN_NOTIMPLEMENTED;
        bool equal = false;
        if (is_vector(a) && is_vector(b)) {
            equal = true;
            for (std::size_t i = 0; i < N; ++i)
                equal = equal && vec::at<Traits>(data_of(a), i) == vec::at<Traits>(data_of(b), i);
        }
        return PyBool_FromLong(equal == (op == Py_EQ));
    }

    static Py_hash_t hash(PyObject* self) {
        double values[N];
        for (std::size_t i = 0; i < N; ++i) values[i] = static_cast<double>(vec::at<Traits>(data_of(self), i));
        return detail::hash_doubles(values, N);
    }

    static PyObject* repr(PyObject* self) {
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

    static inline PySequenceMethods sequence_methods = [] {
        PySequenceMethods m{};
        m.sq_length = sq_length;
        m.sq_item = sq_item;
        return m;
    }();

    static inline PyMappingMethods mapping_methods = [] {
        PyMappingMethods m{};
        m.mp_length = sq_length;
        m.mp_subscript = mp_subscript;
        m.mp_ass_subscript = mp_ass_subscript;
        return m;
    }();

    static void prepare_type() {
        type.tp_name = Traits::type_name;
        type.tp_basicsize = sizeof(Object);
        type.tp_itemsize = 0;
        type.tp_dealloc = dealloc;
        type.tp_repr = repr;
        type.tp_as_number = &number_methods;
        type.tp_as_sequence = &sequence_methods;
        type.tp_as_mapping = &mapping_methods;
        type.tp_hash = hash;
        type.tp_flags = Py_TPFLAGS_DEFAULT;
        type.tp_richcompare = richcompare;
        type.tp_methods = methods.data();
        type.tp_getset = getsets.data();
        type.tp_init = tp_init;
        type.tp_new = tp_new;
        type.tp_free = PyObject_Free;
        type.tp_vectorcall = vectorcall;
    }
};

}  // namespace korvex
