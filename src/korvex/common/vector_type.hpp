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
// The type is assembled from one part per job: creation and the constructor
// (vector_core.hpp), the methods and the shared native block
// (vector_methods.hpp), the properties and swizzles (vector_properties.hpp),
// and the operators, comparison, hash, repr, sequence access and iteration
// (vector_protocols.hpp).
//
// The types are final and not tracked by the collector; released instances go
// to a pool of up to pool_capacity objects and are reused most recent first.
#pragma once

#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"
#include "korvex/common/vector_core.hpp"
#include "korvex/common/vector_methods.hpp"
#include "korvex/common/vector_properties.hpp"
#include "korvex/common/vector_protocols.hpp"
#include "korvex/common/vector_slots.hpp"

namespace korvex {

template <class Traits>
struct VectorType : VectorCore<Traits> {
    using Core = VectorCore<Traits>;
    using Methods = VectorMethods<Core>;
    using Properties = VectorProperties<Core>;
    using Protocols = VectorProtocols<Core>;

    // The shared block of the native table.
    static constexpr const VectorSlots<typename Core::Object>& slots = Methods::slots;

    // Readies the type and publishes it with `table` as its native table.
    static int publish(PyObject* module, typename Core::Table* native_table) {
        Core::table = native_table;
        if (PyType_Ready(&Protocols::Iterator::type) < 0) return -1;
        return publish_type(module, &Core::type, native_table);
    }
};

template <class Traits>
PyTypeObject VectorCore<Traits>::type = static_type<typename VectorCore<Traits>::Object>({
    .name = type_name.text,
    .lifecycle = {.create = tp_new, .init = tp_init, .call = tp_vectorcall, .dealloc = tp_dealloc},
    .protocols = {.repr = VectorProtocols<VectorCore>::tp_repr,
                  .hash = VectorProtocols<VectorCore>::tp_hash,
                  .compare = VectorProtocols<VectorCore>::tp_richcompare,
                  .iter = VectorProtocols<VectorCore>::tp_iter,
                  .number = &VectorProtocols<VectorCore>::number_methods,
                  .sequence = &VectorProtocols<VectorCore>::sequence_methods,
                  .mapping = &VectorProtocols<VectorCore>::mapping_methods},
    .methods = VectorMethods<VectorCore>::table.data(),
    .getset = VectorProperties<VectorCore>::table.data(),
});

}  // namespace korvex
