// Vector4 through its native table and its inline helpers.
#include "korvex/vector4/vector4.hpp"
#include "vector_area.hpp"

namespace {

struct Vector4Traits {
    CONSUMER_VECTOR_TRAITS(Vector4, vector4)
    static vector4_t make_new(const vector4_t& u, double) { return vector4_new(u.x, u.y, u.z, u.w); }
};

using Area = consumer::VectorArea<Vector4Traits>;

consumer::Register area("vector4", Area::bind,
                        {
                            CONSUMER_VECTOR_FUNCTIONS(Area, "v4"),
                            consumer::function("v4_cfrom_xyzw", Area::from_numbers<&Vector4VTable::cfrom_xyzw>),
                            consumer::function("v4_cfrom_vector4", Area::from_vector<&Vector4VTable::cfrom_vector4>),
                            consumer::function("v4_sadd", Area::sadd_or_underscore),
                        });

}  // namespace
