// Vector2 through its native table and its inline helpers.
#include "korvex/vector2/vector2.hpp"
#include "vector_area.hpp"

namespace {

struct Vector2Traits {
    CONSUMER_VECTOR_TRAITS(Vector2, vector2)
    static Vector2 make_new(const Vector2&, double s) { return vector2_new(s, -s); }
};

using Area = consumer::VectorArea<Vector2Traits>;
using Ops = Area::Ops;

// Only Vector2's table builds an object from a raylib struct.
PyObject* v2_cfrom_struct(PyObject*, PyObject* args) {
    float x, y;
    if (!PyArg_ParseTuple(args, "ff", &x, &y)) return nullptr;
    return Area::table->cfrom_struct(Vector2{x, y});
}

// A few inline helpers on the structures read straight out of the objects.
PyObject* v2_struct_ops(PyObject*, PyObject* args) {
    Vector2Object *a, *b;
    if (!Area::two_vectors(args, a, b)) return nullptr;
    return Py_BuildValue("{s:N,s:N,s:N,s:d,s:d,s:N}", "add", Area::tuple_of(vector2_add(a->data, b->data)),
                         "div_scalar", Area::tuple_of(vector2_div_scalar(a->data, 3.0)), "floordiv_vector",
                         Area::tuple_of(vector2_floordiv_vector(a->data, b->data)), "length",
                         vector2_length(a->data), "distance_to", vector2_distance_to(a->data, b->data), "normalize",
                         Area::tuple_of(vector2_normalize(a->data)));
}

// Besides the shared functions, Vector2 exposes single slots by name; its
// v2_sadd always calls sadd with the flag 0.
consumer::Register area("vector2", Area::bind,
                        {
                            CONSUMER_VECTOR_FUNCTIONS(Area, "v2"),
                            consumer::function("v2_cfrom_xy", Area::from_numbers<&Vector2VTable::cfrom_xy>),
                            consumer::function("v2_cfrom_vector2", Area::from_vector<&Vector2VTable::cfrom_vector2>),
                            consumer::function("v2_cfrom_struct", v2_cfrom_struct),
                            consumer::function("v2_struct_ops", v2_struct_ops),
                            consumer::function("v2_add", Area::binary_slot<&Ops::_add>),
                            consumer::function("v2_iadd", Area::in_place_slot<&Ops::_iadd>),
                            consumer::function("v2_get_tuple", Area::unary_slot<&Ops::get_tuple>),
                            consumer::function("v2_to_round", Area::unary_slot<&Ops::to_round>),
                            consumer::function("v2_distance_to", Area::measure_slot<&Ops::distance_to>),
                            consumer::function("v2_dot", Area::measure_slot<&Ops::dot>),
                            consumer::function("v2_sadd", Area::sadd_slot),
                            consumer::function("v2_underscore_sadd", Area::underscore_sadd_slot),
                        });

}  // namespace
