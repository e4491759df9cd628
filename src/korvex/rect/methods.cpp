// Rect's methods: the queries, and with the collision entries (collisions.hpp),
// the rectangles made from one (geometry.hpp) and the tests against many
// (lists.hpp) the method table and the native table, all from one descriptor
// per entry.
//
// A slot called with dispatch flag 0 on a subclass instance lets the
// subclass's override of the method of the same name answer, its result
// checked as each query says; the Python method runs the body itself.
#include "korvex/common/entry.hpp"
#include "korvex/common/override.hpp"
#include "korvex/common/pickle.hpp"
#include "korvex/rect/collisions.hpp"
#include "korvex/rect/geometry.hpp"
#include "korvex/rect/lists.hpp"
#include "korvex/rect/rect_internal.hpp"

namespace rect_impl {

namespace {

PyObject* vector4_of(RectObject* self) {
    const Rectangle& r = self->_raw;
    return vector4_class.table->__pyx_new(r.x, r.y, r.width, r.height);
}

PyObject* fields_tuple(RectObject* self) {
    const Rectangle& r = self->_raw;
    const double fields[] = {r.x, r.y, r.width, r.height};
    return korvex::tuple_of(PyFloat_FromDouble, fields);
}

PyObject* vector4_or_none(PyObject* result) { return korvex::override_instance_or_none(result, vector4_class.type); }

constexpr auto get_width =
    korvex::method(korvex::signature("get_width"),
                   [](RectObject* self) { return PyFloat_FromDouble(self->_raw.width); }, "Returns the width, a float.")
        .overridable(korvex::override_result);
constexpr auto get_height =
    korvex::method(korvex::signature("get_height"),
                   [](RectObject* self) { return PyFloat_FromDouble(self->_raw.height); },
                   "Returns the height, a float.")
        .overridable(korvex::override_result);
constexpr auto get_vector4 = korvex::method(korvex::signature("get_vector4"), vector4_of,
                                            "Returns a new Vector4 (x, y, width, height).")
                                 .overridable(vector4_or_none);
constexpr auto get_tuple = korvex::method(korvex::signature("get_tuple"), fields_tuple,
                                          "Returns a new tuple (x, y, width, height) of floats.")
                               .overridable(korvex::override_tuple_or_none);

using korvex::PickleRefusal;

// In class order.
auto method_definitions =
    korvex::method_table<collide_point, collide_point_vector2, collide_point_tuple, collide_point_list, collide_rect,
                         collide_rect_vector4, collide_rect_rect, collide_rect_tuple, collide_rect_list, contains,
                         collide_circle, collide_list, collide_list_all, collide_objects, collide_objects_all,
                         get_width, get_height, get_vector4, get_tuple, moved_pair.get, moved_pair.to,
                         inflated_pair.get, inflated_pair.to, scaled_pair.get, scaled_pair.to, clamped_pair.get,
                         clamped_pair.to, get_clipped, get_union, get_union_all, get_fitted, normalized_pair.get,
                         normalized_pair.to,
                         korvex::refused_reduce<PickleRefusal::RawStruct>,
                         korvex::refused_setstate<PickleRefusal::RawStruct>>();

}  // namespace

RectVTable vtable = {
    .__pyx_new = slot_new,
    .get_width = korvex::slot<get_width>,
    .get_height = korvex::slot<get_height>,
    .collide_point = korvex::slot<collide_point>,
    .collide_point_vector2 = korvex::slot<collide_point_vector2>,
    .collide_point_tuple = korvex::slot<collide_point_tuple>,
    .collide_point_list = korvex::slot<collide_point_list>,
    .collide_rect = korvex::slot<collide_rect>,
    .collide_rect_vector4 = korvex::slot<collide_rect_vector4>,
    .collide_rect_rect = korvex::slot<collide_rect_rect>,
    .collide_rect_tuple = korvex::slot<collide_rect_tuple>,
    .collide_rect_list = korvex::slot<collide_rect_list>,
    .get_vector4 = korvex::slot<get_vector4>,
    .get_tuple = korvex::slot<get_tuple>,
};

PyMethodDef* methods() { return method_definitions.data(); }

}  // namespace rect_impl
