// Declarations of korvex.vector2.vector2 for the modules that use Vector2:
// the object layout, the native method table (its slot order is a contract
// between modules) and the inline helpers on raylib Vector2 values.
#pragma once

#include <raylib.h>

#include <cstddef>

#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"
#include "korvex/common/vector_math.hpp"
#include "korvex/common/vector_slots.hpp"

struct Vector2Object;

struct Vector2VTable {
    PyObject* (*__pyx_new)(double x, double y);
    PyObject* (*cfrom_struct)(Vector2 v);
    PyObject* (*cfrom_list)(PyObject* other);
    PyObject* (*cfrom_ints)(int x, int y);
    PyObject* (*cfrom_floats)(float x, float y);
    PyObject* (*cfrom_tuple)(PyObject* other);
    PyObject* (*cfrom_vector2)(Vector2Object* other);
    PyObject* (*cfrom_xy)(double x, double y);
    korvex::VectorSlots<Vector2Object> ops;
};

struct Vector2Object {
    PyObject_HEAD
    Vector2VTable* __pyx_vtab;
    Vector2 data;
};

static_assert(offsetof(Vector2VTable, ops) == 8 * sizeof(void (*)()), "the shared block follows the constructors");
KORVEX_LAYOUT(Vector2Object, Vector2VTable, data, 8 + 23);

// Single-precision storage; a scalar divides each component in double and
// rounds once; sums run left to right.
struct Vector2Math {
    using Struct = Vector2;
    using Scalar = float;
    static constexpr std::size_t size = 2;
    static constexpr float Vector2::* members[size] = {&Vector2::x, &Vector2::y};
    static constexpr auto scalar_division = korvex::vec::ScalarDivision::True;
    static constexpr auto sum_order = korvex::vec::SumOrder::InOrder;
    static constexpr float round_bias = 0.49999997f;
};

inline Vector2 vector2_new(double x, double y) { return Vector2{static_cast<float>(x), static_cast<float>(y)}; }
KORVEX_VECTOR_HELPERS(vector2, Vector2Math)

inline constexpr const char* vector2_module_name = "korvex.vector2.vector2";
using ImportedVector2 = korvex::Imported<Vector2Object, Vector2VTable, vector2_module_name, "Vector2">;
