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

// The native table: every type fills its constructor slots from the same
// constructors and shares the block of methods. The layouts differ only in
// the two slots named after the type (Traits::own_slot and
// Traits::components_slot), the raw-struct constructor Vector2 has, and the
// cross product Vector3 has; each is set by name, so a slot cannot take
// another's constructor.
template <class Traits>
constexpr typename Traits::Table native_table() {
    using Vector = VectorType<Traits>;
    typename Traits::Table table{};
    table.__pyx_new = Vector::template from_components<double>;
    if constexpr (requires { table.cfrom_struct; }) table.cfrom_struct = Vector::cfrom_struct;
    table.cfrom_list = Vector::cfrom_list;
    table.cfrom_ints = Vector::template from_components<int>;
    table.cfrom_floats = Vector::template from_components<float>;
    table.cfrom_tuple = Vector::cfrom_tuple;
    table.*Traits::own_slot = Vector::cfrom_own;
    table.*Traits::components_slot = Vector::template from_components<double>;
    table.ops = Vector::Methods::slots;
    if constexpr (Traits::has_cross) table.cross = slot<Vector::Cross::cross>;
    return table;
}

template <class Traits>
constinit typename Traits::Table VectorType<Traits>::table_storage = native_table<Traits>();

template <class Traits>
int VectorType<Traits>::publish(PyObject* module) {
    if (PyType_Ready(&Protocols::Iterator::type) < 0) return -1;
    return publish_type(module, &type, table);
}

}  // namespace korvex
