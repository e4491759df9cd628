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
//         static constexpr auto rotation;          vec::Rotation: none, planar or spatial
//     };
//
// The type is assembled here from one part per job: creation and the
// constructor (vector_core.hpp), the methods and the shared native block
// (vector_methods.hpp), the geometry methods (vector_geometry.hpp), the properties and swizzles (vector_properties.hpp),
// and the operators, comparison, hash, repr, sequence access and iteration
// (vector_protocols.hpp).
//
// The types are final and not tracked by the collector; released instances go
// to a pool of up to pool_capacity objects and are reused most recent first.
#pragma once

#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"
#include "korvex/common/vector_core.hpp"
#include "korvex/common/vector_geometry.hpp"
#include "korvex/common/vector_methods.hpp"
#include "korvex/common/vector_properties.hpp"
#include "korvex/common/vector_protocols.hpp"
#include "korvex/common/vector_slots.hpp"

namespace korvex {

template <class Traits>
PyTypeObject VectorType<Traits>::type = static_type<typename VectorType<Traits>::Object>({
    .name = type_name.text,
    .lifecycle = {.create = tp_new, .init = tp_init, .call = tp_vectorcall, .dealloc = tp_dealloc},
    .protocols = {.repr = Protocols::tp_repr,
                  .hash = Protocols::tp_hash,
                  .compare = Protocols::tp_richcompare,
                  .iter = Protocols::tp_iter,
                  .number = &Protocols::number_methods,
                  .sequence = &Protocols::sequence_methods,
                  .mapping = &Protocols::mapping_methods},
    .methods = Methods::table.data(),
    .getset = Properties::table.data(),
});

template <class Traits>
int VectorType<Traits>::publish(PyObject* module, Table* native_table) {
    table = native_table;
    if (PyType_Ready(&Protocols::Iterator::type) < 0) return -1;
    return publish_type(module, &type, native_table);
}

}  // namespace korvex
