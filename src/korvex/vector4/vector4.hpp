// Declarations of korvex.vector4.vector4 for the modules that use Vector4:
// the storage record, the object layout, the native method table (its slot
// order is a contract between modules) and the inline helpers.
#pragma once

#include <cstddef>

#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"
#include "korvex/common/vector_math.hpp"
#include "korvex/common/vector_slots.hpp"

// Four doubles: Vector4 keeps full double precision.
struct vector4_t {
    double x;
    double y;
    double z;
    double w;
};

struct Vector4Object;

struct Vector4VTable {
    PyObject* (*__pyx_new)(double x, double y, double z, double w);
    PyObject* (*cfrom_list)(PyObject* other);
    PyObject* (*cfrom_ints)(int x, int y, int z, int w);
    PyObject* (*cfrom_floats)(float x, float y, float z, float w);
    PyObject* (*cfrom_tuple)(PyObject* other);
    PyObject* (*cfrom_vector4)(Vector4Object* other);
    PyObject* (*cfrom_xyzw)(double x, double y, double z, double w);
    korvex::VectorSlots<Vector4Object> ops;
};

struct Vector4Object {
    PyObject_HEAD
    Vector4VTable* __pyx_vtab;
    vector4_t data;
};

static_assert(offsetof(Vector4VTable, ops) == 7 * sizeof(void (*)()), "the shared block follows the constructors");
KORVEX_LAYOUT(Vector4Object, Vector4VTable, data, 7 + 23);

// Double storage; a scalar divides through one reciprocal; four-term sums
// are associated as (t_x + t_z) + (t_y + t_w).
struct Vector4Math {
    using Struct = vector4_t;
    using Scalar = double;
    static constexpr std::size_t size = 4;
    static constexpr double vector4_t::* members[size] = {&vector4_t::x, &vector4_t::y, &vector4_t::z, &vector4_t::w};
    static constexpr auto scalar_division = korvex::vec::ScalarDivision::Reciprocal;
    static constexpr auto sum_order = korvex::vec::SumOrder::Pairwise;
    static constexpr double round_bias = 0.49999999999999994;
};

inline vector4_t vector4_new(double x, double y, double z, double w) { return vector4_t{x, y, z, w}; }
KORVEX_VECTOR_HELPERS(vector4, Vector4Math)

inline constexpr const char* vector4_module_name = "korvex.vector4.vector4";
using ImportedVector4 = korvex::Imported<Vector4Object, Vector4VTable, vector4_module_name, "Vector4">;
