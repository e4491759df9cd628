// Color through its native table and the stored raylib structure.
#include "korvex/color/color.hpp"
#include "korvex/common/types.hpp"
#include "registry.hpp"

namespace {

PyTypeObject* color_type = nullptr;
ColorVTable* color_table = nullptr;

int bind() { return korvex::bind_type<ColorObject>(color_module_name, "Color", color_type, color_table) ? 0 : -1; }

PyObject* color_slot_new(PyObject*, PyObject* args) {
    int r, g, b, a;
    if (!PyArg_ParseTuple(args, "iiii", &r, &g, &b, &a)) return nullptr;
    return color_table->__pyx_new(r, g, b, a);
}

// The four channels straight out of the object's storage.
PyObject* color_raw(PyObject*, PyObject* args) {
    ColorObject* c;
    if (!PyArg_ParseTuple(args, "O!", color_type, &c)) return nullptr;
    return Py_BuildValue("(iiii)", c->_raw.r, c->_raw.g, c->_raw.b, c->_raw.a);
}

PyObject* color_equal(PyObject*, PyObject* args) {
    ColorObject *a, *b;
    if (!PyArg_ParseTuple(args, "O!O!", color_type, &a, color_type, &b)) return nullptr;
    return PyLong_FromLong(color_table->c_equal(a, b));
}

PyObject* color_normalize(PyObject*, PyObject* args) {
    ColorObject* c;
    if (!PyArg_ParseTuple(args, "O!", color_type, &c)) return nullptr;
    return color_table->c_normalize(c);
}

PyObject* color_tint(PyObject*, PyObject* args) {
    ColorObject *c, *tint;
    if (!PyArg_ParseTuple(args, "O!O!", color_type, &c, color_type, &tint)) return nullptr;
    return color_table->c_tint(c, tint);
}

// fade(self, alpha, flag): None, or the exception that the slot left pending.
PyObject* color_fade(PyObject*, PyObject* args) {
    ColorObject* c;
    float alpha;
    int flag;
    if (!PyArg_ParseTuple(args, "O!fi", color_type, &c, &alpha, &flag)) return nullptr;
    color_table->fade(c, alpha, flag);
    if (PyErr_Occurred()) return nullptr;
    Py_RETURN_NONE;
}

// to_int(self, flag): the int, or the exception that the slot left pending.
PyObject* color_to_int(PyObject*, PyObject* args) {
    ColorObject* c;
    int flag;
    if (!PyArg_ParseTuple(args, "O!i", color_type, &c, &flag)) return nullptr;
    const int value = color_table->to_int(c, flag);
    if (PyErr_Occurred()) return nullptr;
    return PyLong_FromLong(value);
}

// The clamp every channel goes through, as other modules use it.
PyObject* color_clamp_channels(PyObject*, PyObject* args) {
    int r, g, b, a;
    if (!PyArg_ParseTuple(args, "iiii", &r, &g, &b, &a)) return nullptr;
    const Color c = color_new(r, g, b, a);
    return Py_BuildValue("(iiii)", c.r, c.g, c.b, c.a);
}

consumer::Register area("color", bind,
                        {
                            consumer::function("color_new", color_slot_new),
                            consumer::function("color_raw", color_raw),
                            consumer::function("color_equal", color_equal),
                            consumer::function("color_normalize", color_normalize),
                            consumer::function("color_tint", color_tint),
                            consumer::function("color_fade", color_fade),
                            consumer::function("color_to_int", color_to_int),
                            consumer::function("color_clamp_channels", color_clamp_channels),
                        });

}  // namespace
