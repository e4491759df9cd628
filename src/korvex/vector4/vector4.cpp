// korvex.vector4.vector4: the four-component double-precision vector.
#include "korvex/vector4/vector4.hpp"

#include "korvex/common/module.hpp"
#include "korvex/common/vector_type.hpp"

namespace {

// What makes Vector4 itself: double storage divided through one reciprocal
// with pairwise four-term sums (Vector4Math), every four-letter swizzle in
// lexicographic order, no `data` property and no cross product.
struct Vector4Traits : Vector4Math {
    using Object = Vector4Object;
    using Table = Vector4VTable;
    static constexpr const char* class_name = "Vector4";
    static constexpr char letters[] = "xyzw";
    static constexpr auto swizzles = korvex::lexicographic_words<4, 4>(letters);
    static constexpr bool has_data = false;
    static constexpr bool has_cross = false;
};

using Impl = korvex::VectorType<Vector4Traits>;

Vector4VTable vtable = {
    .__pyx_new = Impl::from_components<double>,
    .cfrom_list = Impl::cfrom_list,
    .cfrom_ints = Impl::from_components<int>,
    .cfrom_floats = Impl::from_components<float>,
    .cfrom_tuple = Impl::cfrom_tuple,
    .cfrom_vector4 = Impl::cfrom_own,
    .cfrom_xyzw = Impl::from_components<double>,
    .ops = Impl::slots(),
};

int exec_vector4(PyObject* module) { return Impl::publish(module, &vtable); }

}  // namespace

KORVEX_MODULE(vector4, exec_vector4,
              "The four-component double-precision vector Vector4.")
