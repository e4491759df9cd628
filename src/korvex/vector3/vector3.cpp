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
// (Vector3Math), the 27 listed swizzles, no `data` property, `cross`, and
// rotation about an axis with the unsigned angle between two vectors.
struct Vector3Traits : Vector3Math {
    using Object = Vector3Object;
    using Table = Vector3VTable;
    static constexpr auto own_slot = &Table::cfrom_vector3;
    static constexpr auto components_slot = &Table::cfrom_xyz;
    static constexpr const char* class_name = "Vector3";
    static constexpr char letters[] = "xyz";
    static constexpr auto swizzles = korvex::listed_words<3>(swizzle_order);
    static constexpr auto rotation = korvex::vec::Rotation::spatial;
    static constexpr bool has_data = false;
    static constexpr bool has_cross = true;
    static constexpr auto cross = vector3_cross;
};

using Vector = korvex::VectorType<Vector3Traits>;

}  // namespace

KORVEX_MODULE(vector3, Vector::publish,
              "The three-component single-precision vector Vector3.\n\n"
              "Vector3(*args): a three-component vector (x, y, z) of single-precision floats.\n\n"
              "Vector3() is (0.0, 0.0, 0.0); Vector3(x, y, z) takes three numbers; Vector3(v) copies a "
              "Vector3, reads v.x, v.y and v.z of a vector-like object (one with a clamp_magnitude_ip "
              "attribute), or takes the items of a list or tuple of length 3. Numbers convert by the float "
              "protocol and are rounded to single precision. Keywords are refused, and any other argument "
              "raises TypeError.\n\n"
              "Operators: + and - take a Vector3 (TypeError otherwise); *, / and // take a Vector3 (per "
              "component) or an int or float; there are no reflected forms, so 3 * v raises TypeError. +=, -= "
              "and *= take a Vector3 only and change the left operand in place. Scalar products and quotients "
              "are computed in double precision and rounded back. Division by zero gives inf or nan, never an "
              "error. == compares the components exactly and is False for any other type; hash(v) equals "
              "hash(v.get_tuple()), although vectors are mutable. len(v) is 3; v[i] and iteration read the "
              "components.\n\n"
              "Final (not subclassable); pickling is refused, copy with copy() or copy.copy.")
