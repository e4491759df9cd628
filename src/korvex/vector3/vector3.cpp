// korvex.vector3.vector3: the three-component single-precision vector.
#include "korvex/vector3/vector3.hpp"

#include "korvex/common/module.hpp"
#include "korvex/common/vector_type.hpp"

namespace {

// The class order of the three-letter swizzles. It is not lexicographic:
// xzy comes before xzx.
constexpr char swizzle_order[27][4] = {
    "xxx", "xxy", "xxz", "xyx", "xyy", "xyz", "xzy", "xzx", "xzz",  //
    "yxx", "yxy", "yxz", "yyx", "yyy", "yyz", "yzx", "yzy", "yzz",  //
    "zxx", "zxy", "zxz", "zyx", "zyy", "zyz", "zzx", "zzy", "zzz",
};

// What makes Vector3 itself: float storage with true scalar division
// (Vector3Math), the 27 listed swizzles, no `data` property, and `cross`.
struct Vector3Traits : Vector3Math {
    using Object = Vector3Object;
    using Table = Vector3VTable;
    static constexpr const char* class_name = "Vector3";
    static constexpr char letters[] = "xyz";
    static constexpr auto swizzles = korvex::listed_words<3>(swizzle_order);
    static constexpr bool has_data = false;
    static constexpr bool has_cross = true;
    static constexpr auto cross = vector3_cross;
};

using Impl = korvex::VectorType<Vector3Traits>;

Vector3VTable vtable = {
    .__pyx_new = Impl::from_components<double>,
    .cfrom_list = Impl::cfrom_list,
    .cfrom_ints = Impl::from_components<int>,
    .cfrom_floats = Impl::from_components<float>,
    .cfrom_tuple = Impl::cfrom_tuple,
    .cfrom_vector3 = Impl::cfrom_own,
    .cfrom_xyz = Impl::from_components<double>,
    .ops = Impl::slots(),
    .cross = Impl::slot_cross,
};

int exec_vector3(PyObject* module) { return Impl::publish(module, &vtable); }

}  // namespace

KORVEX_MODULE(vector3, exec_vector3,
              "The three-component single-precision vector Vector3.")
