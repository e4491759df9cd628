// korvex.vector2.vector2: the two-component single-precision vector.
#include "korvex/vector2/vector2.hpp"

#include "korvex/common/module.hpp"
#include "korvex/common/vector_type.hpp"

namespace {

// What makes Vector2 itself: float storage (Vector2Math), the `data` dict
// property, two-letter swizzles, a native constructor from the raw struct, and
// the plane's rotation by an angle, angles, polar form and scalar cross product.
struct Vector2Traits : Vector2Math {
    using Object = Vector2Object;
    using Table = Vector2VTable;
    static constexpr auto own_slot = &Table::cfrom_vector2;
    static constexpr auto components_slot = &Table::cfrom_xy;
    static constexpr const char* class_name = "Vector2";
    static constexpr char letters[] = "xy";
    static constexpr auto swizzles = korvex::lexicographic_words<2, 2>(letters);
    static constexpr auto rotation = korvex::vec::Rotation::planar;
    static constexpr bool has_data = true;
    static constexpr bool has_cross = false;
};

using Vector = korvex::VectorType<Vector2Traits>;

}  // namespace

KORVEX_MODULE(vector2, Vector::publish,
              "The two-component single-precision vector Vector2.\n\n"
              "Other extension modules create and read Vector2 objects through the native table published "
              "under Vector2.__pyx_vtable__.\n\n"
              "Vector2(*args): a two-component vector (x, y) of single-precision floats.\n\n"
              "Vector2() is (0.0, 0.0); Vector2(x, y) takes two numbers; Vector2(v) copies a Vector2, reads "
              "v.x and v.y of a vector-like object (one with a clamp_magnitude_ip attribute), or takes the "
              "items of a list or tuple of length 2. Numbers convert by the float protocol and are rounded to "
              "single precision. Keywords are refused, and any other argument raises TypeError.\n\n"
              "Operators: + and - take a Vector2 (TypeError otherwise); *, / and // take a Vector2 (per "
              "component) or an int or float; there are no reflected forms, so 3 * v raises TypeError. +=, -= "
              "and *= take a Vector2 only and change the left operand in place. Scalar products and quotients "
              "are computed in double precision and rounded back. Division by zero gives inf or nan, never an "
              "error. == compares the components exactly and is False for any other type; hash(v) equals "
              "hash(v.get_tuple()), although vectors are mutable. len(v) is 2; v[i] and iteration read the "
              "components.\n\n"
              "Final (not subclassable); pickling is refused, copy with copy() or copy.copy.")
