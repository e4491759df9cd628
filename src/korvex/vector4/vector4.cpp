// korvex.vector4.vector4: the four-component double-precision vector.
#include "korvex/vector4/vector4.hpp"

#include "korvex/common/module.hpp"
#include "korvex/common/vector_type.hpp"

namespace {

// What makes Vector4 itself: double storage divided through one reciprocal
// with pairwise four-term sums (Vector4Math), every four-letter swizzle in
// lexicographic order, no `data` property, no cross product and no rotation.
struct Vector4Traits : Vector4Math {
    using Object = Vector4Object;
    using Table = Vector4VTable;
    static constexpr auto own_slot = &Table::cfrom_vector4;
    static constexpr auto components_slot = &Table::cfrom_xyzw;
    static constexpr const char* class_name = "Vector4";
    static constexpr char letters[] = "xyzw";
    static constexpr auto swizzles = korvex::lexicographic_words<4, 4>(letters);
    static constexpr auto rotation = korvex::vec::Rotation::none;
    static constexpr bool has_data = false;
    static constexpr bool has_cross = false;
};

using Vector = korvex::VectorType<Vector4Traits>;

}  // namespace

KORVEX_MODULE(vector4, Vector::publish,
              "The four-component double-precision vector Vector4.\n\n"
              "Vector4(*args): a four-component vector (x, y, z, w) of double-precision floats.\n\n"
              "Vector4() is (0.0, 0.0, 0.0, 0.0); Vector4(x, y, z, w) takes four numbers; Vector4(v) copies a "
              "Vector4, reads v.x, v.y, v.z and v.w of a vector-like object (one with a clamp_magnitude_ip "
              "attribute), or takes the items of a list or tuple of length 4. Numbers convert by the float "
              "protocol and are stored as doubles, unrounded. Keywords are refused, and any other argument "
              "raises TypeError.\n\n"
              "Operators: + and - take a Vector4 (TypeError otherwise); *, / and // take a Vector4 (per "
              "component) or an int or float; there are no reflected forms, so 3 * v raises TypeError. +=, -= "
              "and *= take a Vector4 only and change the left operand in place. / and // by a number multiply "
              "by its reciprocal, computed once. Division by zero gives inf or nan, never an error. == "
              "compares the components exactly and is False for any other type; hash(v) equals "
              "hash(v.get_tuple()), although vectors are mutable. len(v) is 4; v[i] and iteration read the "
              "components.\n\n"
              "Final (not subclassable); pickling is refused, copy with copy() or copy.copy.")
