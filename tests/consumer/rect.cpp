// Rect through its native table: every slot with a chosen dispatch flag, the
// raw constructor, and the storage read straight out of the object (the layout
// that the parser module relies on).
#include <cstring>

#include "korvex/common/types.hpp"
#include "korvex/rect/rect.hpp"
#include "registry.hpp"

namespace {

PyTypeObject* rect_type = nullptr;
RectVTable* rect_table = nullptr;

int bind() { return korvex::bind_type<RectObject>(rect_module_name, "Rect", rect_type, rect_table) ? 0 : -1; }

PyObject* rect_new(PyObject*, PyObject* args) {
    float x, y, width, height;
    if (!PyArg_ParseTuple(args, "ffff", &x, &y, &width, &height)) return nullptr;
    return rect_table->__pyx_new(Rectangle{x, y, width, height});
}

// (x, y, width, height) read from `_raw`, and whether the instance carries the
// table published under __pyx_vtable__.
PyObject* rect_raw(PyObject*, PyObject* args) {
    RectObject* rect;
    if (!PyArg_ParseTuple(args, "O!", rect_type, &rect)) return nullptr;
    const Rectangle& r = rect->_raw;
    return Py_BuildValue("(dddd)N", static_cast<double>(r.x), static_cast<double>(r.y), static_cast<double>(r.width),
                         static_cast<double>(r.height), PyBool_FromLong(rect->__pyx_vtab == rect_table));
}

// An int slot's answer: 1 or 0 as an int, its failure as the pending
// exception; a slot that answers 1 with an exception set is a fault.
PyObject* int_result(int result) {
    if (PyErr_Occurred()) {
        if (result == 0) return nullptr;
        PyErr_Clear();
        PyErr_SetString(PyExc_SystemError, "slot returned 1 with an exception set");
        return nullptr;
    }
    return PyLong_FromLong(result);
}

// rect_slot(name, rect, arg, flag): calls the slot `name` of the table on rect
// with the dispatch flag; `arg` is passed unchecked to the slots that take an
// object (and ignored by the others).
PyObject* rect_slot(PyObject*, PyObject* args) {
    const char* name;
    RectObject* rect;
    PyObject* arg;
    int flag;
    if (!PyArg_ParseTuple(args, "sO!Oi", &name, rect_type, &rect, &arg, &flag)) return nullptr;
    const RectVTable& t = *rect_table;
    auto is = [name](const char* slot) { return std::strcmp(name, slot) == 0; };
    if (is("get_width")) return t.get_width(rect, flag);
    if (is("get_height")) return t.get_height(rect, flag);
    if (is("get_vector4")) return t.get_vector4(rect, flag);
    if (is("get_tuple")) return t.get_tuple(rect, flag);
    if (is("collide_point")) return int_result(t.collide_point(rect, arg, flag));
    if (is("collide_point_vector2"))
        return int_result(t.collide_point_vector2(rect, reinterpret_cast<Vector2Object*>(arg), flag));
    if (is("collide_point_tuple")) return int_result(t.collide_point_tuple(rect, arg, flag));
    if (is("collide_point_list")) return int_result(t.collide_point_list(rect, arg, flag));
    if (is("collide_rect")) return int_result(t.collide_rect(rect, arg, flag));
    if (is("collide_rect_vector4"))
        return int_result(t.collide_rect_vector4(rect, reinterpret_cast<Vector4Object*>(arg), flag));
    if (is("collide_rect_rect")) return int_result(t.collide_rect_rect(rect, reinterpret_cast<RectObject*>(arg), flag));
    if (is("collide_rect_tuple")) return int_result(t.collide_rect_tuple(rect, arg, flag));
    if (is("collide_rect_list")) return int_result(t.collide_rect_list(rect, arg, flag));
    PyErr_Format(PyExc_ValueError, "no Rect slot named %s", name);
    return nullptr;
}

consumer::Register area("rect", bind,
                        {
                            consumer::function("rect_new", rect_new),
                            consumer::function("rect_raw", rect_raw),
                            consumer::function("rect_slot", rect_slot),
                        });

}  // namespace
