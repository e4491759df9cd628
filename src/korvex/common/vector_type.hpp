// The Python type of a vector, generic over a traits struct. Vector2, Vector3
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
//     };
//
// The type's full name ("korvex.vector2.vector2.Vector2") and the names of
// the factories from a vector of the type and from components
// ("from_vector2", "from_xy") follow from the class name and the letters.
//
// The types are final and not tracked by the collector; released instances go
// to a pool of up to pool_capacity objects and are reused most recent first.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <utility>

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/field_iterator.hpp"
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

// The signature of a function taking one argument per component, named by
// the components' letters.
template <std::size_t N>
constexpr Signature<N> components_signature(const char* name, const std::array<std::array<char, 2>, N>& letters) {
    Signature<N> sig{name, {}, N, {}};
    for (std::size_t i = 0; i < N; ++i) sig.params[i] = letters[i].data();
    return sig;
}

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

// The same for a single-precision value, from its own bits: a normal float is
// significand * 2**(e - 150) with a 24-bit significand, already below the
// prime, so its hash is the significand multiplied by 2**(e - 150) modulo the
// prime, which is a rotation by (e - 150) mod 61. Zeros are 0; subnormals,
// infinities and NaN go to the interpreter.
inline Py_hash_t hash_double(float value) {
    constexpr Py_uhash_t modulus = PyHASH_MODULUS;
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const auto biased_exponent = static_cast<int>((bits >> 23) & 0xff);
    const std::uint32_t fraction = bits & 0x7fffff;
    if (biased_exponent == 0 && fraction == 0) return 0;
    if (biased_exponent == 0 || biased_exponent == 0xff) return _Py_HashDouble(nullptr, static_cast<double>(value));
    const Py_uhash_t significand = fraction | (std::uint32_t{1} << 23);
    const int shift = (biased_exponent - 150 + 3 * PyHASH_BITS) % PyHASH_BITS;  // the exponent is at least -149
    Py_uhash_t sum = ((significand << shift) & modulus) | (significand >> (PyHASH_BITS - shift));
    if (bits >> 31) sum = static_cast<Py_uhash_t>(0) - sum;
    if (sum == static_cast<Py_uhash_t>(-1)) sum = static_cast<Py_uhash_t>(-2);
    return static_cast<Py_hash_t>(sum);
}

// Mirrors the interpreter's tuple hash (xxHash-style lanes), so that a vector
// hashes like the tuple of its components without building the tuple.
template <class Number>
Py_hash_t hash_components(const Number* values, std::size_t count) {
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

    // Readies the type and publishes it with `table` as its native table.
    static int publish(PyObject* module, Table* native_table) {
        table = native_table;
        if (PyType_Ready(&Iterator::type) < 0) return -1;
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

    // The shared block of the native table (declared after the slot bodies).
    static VectorSlots<Object> slots();

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

    static constexpr std::array<std::array<char, 2>, N> component_names = [] {
        std::array<std::array<char, 2>, N> names{};
        for (std::size_t i = 0; i < N; ++i) names[i] = {Traits::letters[i], '\0'};
        return names;
    }();

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

    // --- native slots ----------------------------------------------------------------
    //
    // The bodies are compositions of the value maths: each slot of the shared
    // block is named once, in native_slots, and the Python methods are
    // generated from that table's members.

    static PyObject* slot_c_get_tuple(Object* self) {
        double values[N];
        for (std::size_t i = 0; i < N; ++i) values[i] = static_cast<double>(vec::at<Traits>(self->data, i));
        return tuple_of(PyFloat_FromDouble, values);
    }

    template <Struct (*Transform)(Struct)>
    static PyObject* int_tuple(Object* self, int) {
        const Struct data = Transform(self->data);
        long values[N];
        for (std::size_t i = 0; i < N; ++i) {
            int value;
            if (!truncate_to_int32(static_cast<double>(vec::at<Traits>(data, i)), value)) return nullptr;
            values[i] = value;
        }
        return tuple_of(PyLong_FromLong, values);
    }

    template <Struct (*Operation)(Struct, Struct)>
    static PyObject* combined(Object* a, Object* b) {
        return box(Operation(a->data, b->data));
    }
    template <void (*Operation)(Struct*, Struct)>
    static void updated(Object* a, Object* b) {
        Operation(&a->data, b->data);
    }
    template <Struct (*Transform)(Struct)>
    static PyObject* in_place(Object* self, int) {
        self->data = Transform(self->data);
        return Py_NewRef(reinterpret_cast<PyObject*>(self));
    }
    template <Struct (*Transform)(Struct)>
    static PyObject* copying(Object* self, int) {
        return box(Transform(self->data));
    }
    template <double (*Measure)(Struct, Struct)>
    static double measured(Object* a, Object* b, int) {
        return Measure(a->data, b->data);
    }
    static Struct identity(Struct v) { return v; }

    // The sum is formed before it is stored, so self may be an operand.
    static void slot_sadd(Object* self, Object* a, Object* b) { self->data = vec::add<Traits>(a->data, b->data); }

    static constexpr VectorSlots<Object> native_slots = {
        ._add = combined<vec::add<Traits>>,
        ._sub = combined<vec::sub<Traits>>,
        ._iadd = updated<vec::iadd<Traits>>,
        ._isub = updated<vec::isub<Traits>>,
        ._imul = updated<vec::imul<Traits>>,
        ._sadd = slot_sadd,
        .sadd = [](Object* self, Object* a, Object* b, int) { slot_sadd(self, a, b); },
        .get_tuple = [](Object* self, int) { return slot_c_get_tuple(self); },
        .c_get_tuple = slot_c_get_tuple,
        .to_round = in_place<vec::round<Traits>>,
        .get_round = copying<vec::round<Traits>>,
        .to_abs = in_place<vec::abs<Traits>>,
        .get_abs = copying<vec::abs<Traits>>,
        .to_neg = in_place<vec::neg<Traits>>,
        .get_neg = copying<vec::neg<Traits>>,
        .get_int_tuple = int_tuple<identity>,
        .get_rounded_tuple = int_tuple<vec::round<Traits>>,
        .copy = copying<identity>,
        .to_normalized = in_place<vec::normalize<Traits>>,
        .get_normalized = copying<vec::normalize<Traits>>,
        .distance_to = measured<vec::distance_to<Traits>>,
        .distance_squared_to = measured<vec::distance_squared_to<Traits>>,
        .dot = measured<vec::dot<Traits>>,
    };

    // --- Python methods -----------------------------------------------------------

    using Fastcall = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

    using Slots = VectorSlots<Object>;

    // The signatures, shared by the parsers and the docstrings.
    template <FixedString Name>
    static constexpr auto no_args_sig = signature(Name.value);
    template <FixedString Name>
    static constexpr auto other_sig = signature(Name.value, "other");
    static constexpr auto deepcopy_sig = signature("__deepcopy__", "memo");
    static constexpr auto sadd_sig = signature("sadd", "new_vec", "old_vec");
    static constexpr auto own_sig = signature(own_factory.text, "other");
    static constexpr auto ints_sig = detail::components_signature("from_ints", component_names);
    static constexpr auto floats_sig = detail::components_signature("from_floats", component_names);
    static constexpr auto scalars_sig = detail::components_signature(components_factory.text, component_names);

    // A method that calls the slot `Member` of native_slots with the dispatch
    // flag set; the slot is a constant, so the call is direct.
    template <FixedString Name, PyObject* (*Slots::*Member)(Object*, int)>
    static PyObject* method_no_args(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        if (!parse(no_args_sig<Name>, args, nargs, kwnames)) return nullptr;
        constexpr auto slot = native_slots.*Member;
        return slot(as_object(self), 1);
    }

    template <FixedString Name, double (*Slots::*Member)(Object*, Object*, int)>
    static PyObject* method_measure(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        Object* other = nullptr;
        if (!parse(other_sig<Name>, args, nargs, kwnames, typed(other, &type))) return nullptr;
        constexpr auto slot = native_slots.*Member;
        return PyFloat_FromDouble(slot(as_object(self), other, 1));
    }

    static PyObject* method_cross(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
        requires Traits::has_cross
    {
        Object* other = nullptr;
        if (!parse(other_sig<"cross">, args, nargs, kwnames, typed(other, &type))) return nullptr;
        return slot_cross(as_object(self), other, 1);
    }

    static PyObject* method_deepcopy(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        PyObject* memo = nullptr;
        if (!parse(deepcopy_sig, args, nargs, kwnames, memo)) return nullptr;
        return native_slots.copy(as_object(self), 1);
    }

    static PyObject* method_sadd(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        Object *new_vec = nullptr, *old_vec = nullptr;
        if (!parse(sadd_sig, args, nargs, kwnames, typed(new_vec, &type), typed(old_vec, &type)))
            return nullptr;
        slot_sadd(as_object(self), new_vec, old_vec);
        Py_RETURN_NONE;
    }

    // The factories convert every argument first, so a failure creates nothing.
    static PyObject* factory_own(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        Object* other = nullptr;
        if (!parse(own_sig, args, nargs, kwnames, typed(other, &type))) return nullptr;
        return box(other->data);
    }
    template <FixedString Name, PyObject* (*From)(PyObject*), PyTypeObject* Kind>
    static PyObject* factory_sequence(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        PyObject* other = nullptr;
        if (!parse(other_sig<Name>, args, nargs, kwnames, exactly(other, Kind))) return nullptr;
        return From(other);
    }

    static bool parse_components(const Signature<N>& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                                 PyObject* (&values)[N]) {
        if (kwnames == nullptr && static_cast<std::size_t>(nargs) == N) {
            for (std::size_t i = 0; i < N; ++i) values[i] = args[i];
            return true;
        }
        return parse_arguments(sig.name, sig.params.data(), N, N, args, nargs, kwnames, values);
    }

    // from_ints, from_floats and from_xy...: one argument per component, each
    // converted by `Convert` (the 32-bit integer rule, the float protocol
    // narrowed to single precision whatever the storage, or the storage's own
    // conversion) before it is stored.
    template <class Value, bool (*Convert)(PyObject*, Value&)>
    static PyObject* factory_components(const Signature<N>& sig, PyObject* const* args, Py_ssize_t nargs,
                                        PyObject* kwnames) {
        PyObject* values[N];
        if (!parse_components(sig, args, nargs, kwnames, values)) return nullptr;
        Struct data{};
        for (std::size_t i = 0; i < N; ++i) {
            Value value;
            if (!Convert(values[i], value)) return nullptr;
            vec::at<Traits>(data, i) = static_cast<Scalar>(value);
        }
        return box(data);
    }
    static PyObject* factory_ints(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        return factory_components<int, to_int32>(ints_sig, args, nargs, kwnames);
    }
    static PyObject* factory_floats(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        return factory_components<float, to_float>(floats_sig, args, nargs, kwnames);
    }
    static PyObject* factory_scalars(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        return factory_components<Scalar, to_scalar>(scalars_sig, args, nargs, kwnames);
    }

    // Where the storage precision matters, the docstrings say "the vector's
    // precision": single for Vector2 and Vector3, double for Vector4.
    template <const auto& sig, FixedString doc, Fastcall Function>
    static PyMethodDef method() {
        return fastcall_method<sig, doc>(Function);
    }
    template <const auto& sig, FixedString doc, Fastcall Function>
    static PyMethodDef factory() {
        return fastcall_method<sig, doc, METH_STATIC>(Function);
    }
    template <FixedString Name, auto Member, FixedString doc>
    static PyMethodDef no_args() {
        return method<no_args_sig<Name>, doc, method_no_args<Name, Member>>();
    }
    template <FixedString Name, auto Member, FixedString doc>
    static PyMethodDef measure() {
        return method<other_sig<Name>, doc, method_measure<Name, Member>>();
    }
    template <FixedString Name, PyObject* (*From)(PyObject*), PyTypeObject* Kind, FixedString doc>
    static PyMethodDef from_sequence() {
        return factory<other_sig<Name>, doc, factory_sequence<Name, From, Kind>>();
    }

    static auto make_methods() {
        const auto common = std::to_array<PyMethodDef>({
            no_args<"to_normalized", &Slots::to_normalized,
                    "Scales self to length 1 in place and returns self.\n\n"
                    "The scale factor is computed in double precision. A zero vector stays zero; "
                    "no error is raised.">(),
            no_args<"get_normalized", &Slots::get_normalized,
                    "Returns a new vector of length 1 in the direction of self.\n\n"
                    "A zero vector gives a zero vector; no error is raised. self is unchanged.">(),
            no_args<"to_round", &Slots::to_round,
                    "Rounds every component half away from zero, in place; returns self.\n\n"
                    "2.5 becomes 3.0 and -2.5 becomes -3.0 (not Python's round-half-even).">(),
            no_args<"get_round", &Slots::get_round,
                    "Returns a new vector with every component rounded half away from zero.\n\n"
                    "2.5 gives 3.0 and -2.5 gives -3.0. self is unchanged.">(),
            no_args<"to_abs", &Slots::to_abs, "Clears the sign of every component in place; returns self.">(),
            no_args<"get_abs", &Slots::get_abs,
                    "Returns a new vector of the absolute values of the components.">(),
            no_args<"to_neg", &Slots::to_neg,
                    "Flips the sign of every component in place; returns self.\n\n0.0 becomes -0.0.">(),
            no_args<"get_neg", &Slots::get_neg,
                    "Returns a new vector with every sign flipped (the same as -self).">(),
            no_args<"get_tuple", &Slots::get_tuple, "Returns the components as a new tuple of floats.">(),
            no_args<"get_int_tuple", &Slots::get_int_tuple,
                    "Returns the components truncated toward zero, as a new tuple of ints.\n\n"
                    "Raises OverflowError for a component outside the 32-bit integer range (infinities "
                    "included) and ValueError for NaN.">(),
            no_args<"get_rounded_tuple", &Slots::get_rounded_tuple,
                    "Returns the components rounded half away from zero, as a tuple of ints.\n\n"
                    "2.5 gives 3, not Python's even rounding. Raises OverflowError for a component outside "
                    "the 32-bit integer range (infinities included) and ValueError for NaN.">(),
            no_args<"copy", &Slots::copy, "Returns a new vector equal to self.">(),
            no_args<"__copy__", &Slots::copy, "Returns a new vector equal to self (for copy.copy).">(),
            method<deepcopy_sig,
                   "Returns a new vector equal to self (for copy.deepcopy).\n\n"
                   "memo is required and ignored.",
                   method_deepcopy>(),
            method<sadd_sig,
                   "Sets self to new_vec + old_vec in place and returns None.\n\n"
                   "Both must be vectors of this type (TypeError otherwise); self may be one of them. "
                   "The sum is in the vector's precision.",
                   method_sadd>(),
            measure<"distance_to", &Slots::distance_to,
                    "Returns the Euclidean distance from self to other, as a float.\n\n"
                    "other must be a vector of this type (TypeError otherwise).">(),
            measure<"distance_squared_to", &Slots::distance_squared_to,
                    "Returns the squared distance from self to other, as a float.\n\n"
                    "No square root is taken. "
                    "other must be a vector of this type (TypeError otherwise).">(),
            measure<"dot", &Slots::dot,
                    "Returns the dot product of self and other, as a float.\n\n"
                    "other must be a vector of this type (TypeError otherwise).">(),
            factory<own_sig,
                    "Returns a new vector equal to other.\n\n"
                    "other must be a vector of this type (TypeError otherwise).",
                    factory_own>(),
            from_sequence<"from_tuple", cfrom_tuple, &PyTuple_Type,
                          "Returns a new vector from the first items of a tuple.\n\n"
                          "other must be exactly a tuple (TypeError otherwise, subclasses too) with at least one "
                          "item per component; later items are ignored, a shorter tuple raises IndexError. "
                          "Items convert by the float protocol.">(),
            from_sequence<"from_list", cfrom_list, &PyList_Type,
                          "Returns a new vector from the first items of a list.\n\n"
                          "other must be exactly a list (TypeError otherwise, subclasses too) with at least one "
                          "item per component; later items are ignored, a shorter list raises IndexError. "
                          "Items convert by the float protocol.">(),
            factory<ints_sig,
                    "Returns a new vector from integers.\n\n"
                    "Each argument is converted to a 32-bit int first (a float is truncated toward zero); "
                    "OverflowError outside that range. Nothing is created when one fails.",
                    factory_ints>(),
            factory<floats_sig,
                    "Returns a new vector from numbers rounded to single precision.\n\n"
                    "Each argument converts by the float protocol and is rounded to the nearest "
                    "single-precision float, whatever the vector's own precision.",
                    factory_floats>(),
            factory<scalars_sig,
                    "Returns a new vector from numbers.\n\n"
                    "Each argument converts by the float protocol (TypeError for a string, OverflowError for "
                    "an int too large for a double) and is stored in the vector's precision.",
                    factory_scalars>(),
            KORVEX_PICKLE_REFUSAL(PickleRefusal::VectorData),
        });
        std::array<PyMethodDef, Traits::has_cross ? 1 : 0> extras{};
        if constexpr (Traits::has_cross)
            extras[0] = method<other_sig<"cross">,
                               "Returns the cross product self x other, as a new vector.\n\n"
                               "other must be a vector of this type (TypeError otherwise). Computed in single "
                               "precision.",
                               method_cross>();
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

    // --- property docstrings ---------------------------------------------------------

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
            text.put(" component, a float.\n\n");
            text.put_folded("Assigning converts any number by the float protocol (");
            text.put_folded(storage_rule);
            text.put_folded("); deleting raises NotImplementedError.");
            text.put('\0');
        }
        return docs;
    }();

    template <std::size_t... I>
    static constexpr auto component_getsets(std::index_sequence<I...>) {
        return std::array<PyGetSetDef, N>{PyGetSetDef{component_names[I].data(), get_component<I>, set_component<I>,
                                                      component_docs[I].data(), nullptr}...};
    }
    template <std::size_t... W>
    static constexpr auto swizzle_getsets(std::index_sequence<W...>) {
        return std::array<PyGetSetDef, sizeof...(W)>{
            PyGetSetDef{Traits::swizzles[W].data(), get_swizzle<W>, nullptr, nullptr, nullptr}...};
    }
    static constexpr auto data_getsets() {
        if constexpr (Traits::has_data)
            return std::array<PyGetSetDef, 1>{PyGetSetDef{
                "data", get_data, set_data,
                docstring<"The components as a new dict, {'x': x, 'y': y}.\n\n"
                          "Assigning takes any mapping holding every component's letter (ValueError when one "
                          "is missing, TypeError for a value that is no mapping); every value is converted "
                          "before any is stored.">
                    .data(),
                nullptr}};
        else
            return std::array<PyGetSetDef, 0>{};
    }

    // Class order: components, data, swizzles, length.
    static inline auto getsets = detail::concat(
        component_getsets(std::make_index_sequence<N>{}), data_getsets(),
        swizzle_getsets(std::make_index_sequence<Traits::swizzles.size()>{}),
        std::array<PyGetSetDef, 1>{PyGetSetDef{"length", get_length, nullptr,
                                               docstring<"The Euclidean length, a float (read-only).\n\n"
                                                         "Computed in the vector's precision.">
                                                   .data(),
                                               nullptr}},
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

public:
    static inline PyTypeObject type = static_type<Object>({
        .name = type_name.text,
        .lifecycle = {.create = tp_new, .init = tp_init, .call = tp_vectorcall, .dealloc = tp_dealloc},
        .protocols = {.repr = tp_repr,
                      .hash = tp_hash,
                      .compare = tp_richcompare,
                      .iter = tp_iter,
                      .number = &number_methods,
                      .sequence = &sequence_methods,
                      .mapping = &mapping_methods},
        .methods = methods.data(),
        .getset = getsets.data(),
    });
};

template <class TraitsT>
VectorSlots<typename TraitsT::Object> VectorType<TraitsT>::slots() {
    return native_slots;
}

}  // namespace korvex
