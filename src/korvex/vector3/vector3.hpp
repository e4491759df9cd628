// Declarations of korvex.vector3.vector3 for the modules that use Vector3:
// the object layout, the native method table (its slot order is a contract
// between modules) and the inline helpers on raylib Vector3 values.
#pragma once

#include <raylib.h>

#include <cstddef>

#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"
#include "korvex/common/vector_math.hpp"
#include "korvex/common/vector_slots.hpp"

struct Vector3Object;

struct Vector3VTable {
    PyObject* (*__pyx_new)(double x, double y, double z);
    PyObject* (*cfrom_list)(PyObject* other);
    PyObject* (*cfrom_ints)(int x, int y, int z);
    PyObject* (*cfrom_floats)(float x, float y, float z);
    PyObject* (*cfrom_tuple)(PyObject* other);
    PyObject* (*cfrom_vector3)(Vector3Object* other);
    PyObject* (*cfrom_xyz)(double x, double y, double z);
    korvex::VectorSlots<Vector3Object> ops;
    PyObject* (*cross)(Vector3Object* self, Vector3Object* other, int skip_dispatch);
};

struct Vector3Object {
    PyObject_HEAD
    Vector3VTable* __pyx_vtab;
    Vector3 data;
};

static_assert(offsetof(Vector3VTable, ops) == 7 * sizeof(void (*)()), "the shared block follows the constructors");
KORVEX_LAYOUT(Vector3Object, Vector3VTable, data, 7 + 23 + 1);

// Single-precision storage; a scalar divides each component in double (a
// true division) and rounds once; sums run left to right.
struct Vector3Math {
    using Struct = Vector3;
    using Scalar = float;
    static constexpr std::size_t size = 3;
    static constexpr float Vector3::* members[size] = {&Vector3::x, &Vector3::y, &Vector3::z};
    static constexpr auto scalar_division = korvex::vec::ScalarDivision::True;
    static constexpr auto sum_order = korvex::vec::SumOrder::InOrder;
    static constexpr float round_bias = 0.49999997f;
};

inline Vector3 vector3_new(double x, double y, double z) {
    return Vector3{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}
KORVEX_VECTOR_HELPERS(vector3, Vector3Math)

// Each component in single precision.
inline Vector3 vector3_cross(Vector3 a, Vector3 b) {
    return Vector3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline constexpr const char* vector3_module_name = "korvex.vector3.vector3";
