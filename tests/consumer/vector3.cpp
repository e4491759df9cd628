// Vector3 through its native table and its inline helpers.
#include "korvex/vector3/vector3.hpp"
#include "vector_area.hpp"

namespace {

struct Vector3Traits {
    CONSUMER_VECTOR_TRAITS(Vector3, vector3)
    static Vector3 make_new(const Vector3& u, double) { return vector3_new(u.x, u.y, u.z); }
    static constexpr std::pair<const char*, Vector3 (*)(Vector3, Vector3)> more_helpers[] = {
        {"cross", vector3_cross}};
};

using Area = consumer::VectorArea<Vector3Traits>;

// Only Vector3's table has cross, after the shared slots.
PyObject* v3_cross(PyObject*, PyObject* args) {
    Vector3Object *a, *b;
    int flag = 0;
    if (!PyArg_ParseTuple(args, "O!O!|i", Area::type, &a, Area::type, &b, &flag)) return nullptr;
    return Area::table->cross(a, b, flag);
}

consumer::Register area("vector3", Area::bind,
                        {
                            CONSUMER_VECTOR_FUNCTIONS(Area, "v3"),
                            consumer::function("v3_cfrom_xyz", Area::from_numbers<&Vector3VTable::cfrom_xyz>),
                            consumer::function("v3_cfrom_vector3", Area::from_vector<&Vector3VTable::cfrom_vector3>),
                            consumer::function("v3_sadd", Area::sadd_or_underscore),
                            consumer::function("v3_cross", v3_cross),
                        });

}  // namespace
