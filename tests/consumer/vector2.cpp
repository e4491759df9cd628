// Vector2 through its native table and its inline helpers.
#include "korvex/common/types.hpp"
#include "korvex/vector2/vector2.hpp"
#include "registry.hpp"

namespace {

PyTypeObject* vector2_type = nullptr;
Vector2VTable* vector2_table = nullptr;

int bind() {
    return korvex::bind_type<Vector2Object>(vector2_module_name, "Vector2", vector2_type, vector2_table) ? 0 : -1;
}

bool vector_args(PyObject* args, Vector2Object*& a, Vector2Object*& b) {
    return PyArg_ParseTuple(args, "O!O!", vector2_type, &a, vector2_type, &b);
}

PyObject* tuple_of(Vector2 v) { return Py_BuildValue("(dd)", static_cast<double>(v.x), static_cast<double>(v.y)); }

PyObject* v2_new(PyObject*, PyObject* args) {
    double x, y;
    if (!PyArg_ParseTuple(args, "dd", &x, &y)) return nullptr;
    return vector2_table->__pyx_new(x, y);
}

PyObject* v2_cfrom_struct(PyObject*, PyObject* args) {
    float x, y;
    if (!PyArg_ParseTuple(args, "ff", &x, &y)) return nullptr;
    return vector2_table->cfrom_struct(Vector2{x, y});
}

PyObject* v2_cfrom_ints(PyObject*, PyObject* args) {
    int x, y;
    if (!PyArg_ParseTuple(args, "ii", &x, &y)) return nullptr;
    return vector2_table->cfrom_ints(x, y);
}

PyObject* v2_cfrom_floats(PyObject*, PyObject* args) {
    float x, y;
    if (!PyArg_ParseTuple(args, "ff", &x, &y)) return nullptr;
    return vector2_table->cfrom_floats(x, y);
}

PyObject* v2_cfrom_tuple(PyObject*, PyObject* args) {
    PyObject* tuple;
    if (!PyArg_ParseTuple(args, "O!", &PyTuple_Type, &tuple)) return nullptr;
    return vector2_table->cfrom_tuple(tuple);
}

PyObject* v2_cfrom_list(PyObject*, PyObject* args) {
    PyObject* list;
    if (!PyArg_ParseTuple(args, "O!", &PyList_Type, &list)) return nullptr;
    return vector2_table->cfrom_list(list);
}

PyObject* v2_add(PyObject*, PyObject* args) {
    Vector2Object *a, *b;
    if (!vector_args(args, a, b)) return nullptr;
    return vector2_table->ops._add(a, b);
}

PyObject* v2_iadd(PyObject*, PyObject* args) {
    Vector2Object *a, *b;
    if (!vector_args(args, a, b)) return nullptr;
    vector2_table->ops._iadd(a, b);
    Py_RETURN_NONE;
}

PyObject* v2_sadd(PyObject*, PyObject* args) {
    Vector2Object *self, *a, *b;
    if (!PyArg_ParseTuple(args, "O!O!O!", vector2_type, &self, vector2_type, &a, vector2_type, &b)) return nullptr;
    vector2_table->ops.sadd(self, a, b, 0);
    Py_RETURN_NONE;
}

PyObject* v2_get_tuple(PyObject*, PyObject* args) {
    Vector2Object* v;
    if (!PyArg_ParseTuple(args, "O!", vector2_type, &v)) return nullptr;
    return vector2_table->ops.get_tuple(v, 0);
}

PyObject* v2_to_round(PyObject*, PyObject* args) {
    Vector2Object* v;
    if (!PyArg_ParseTuple(args, "O!", vector2_type, &v)) return nullptr;
    return vector2_table->ops.to_round(v, 0);
}

PyObject* v2_distance_to(PyObject*, PyObject* args) {
    Vector2Object *a, *b;
    if (!vector_args(args, a, b)) return nullptr;
    return PyFloat_FromDouble(vector2_table->ops.distance_to(a, b, 0));
}

PyObject* v2_dot(PyObject*, PyObject* args) {
    Vector2Object *a, *b;
    if (!vector_args(args, a, b)) return nullptr;
    return PyFloat_FromDouble(vector2_table->ops.dot(a, b, 0));
}

// The inline helpers, on the structures read straight out of the objects.
PyObject* v2_struct_ops(PyObject*, PyObject* args) {
    Vector2Object *a, *b;
    if (!vector_args(args, a, b)) return nullptr;
    return Py_BuildValue("{s:N,s:N,s:N,s:d,s:d,s:N}", "add", tuple_of(vector2_add(a->data, b->data)), "div_scalar",
                         tuple_of(vector2_div_scalar(a->data, 3.0)), "floordiv_vector",
                         tuple_of(vector2_floordiv_vector(a->data, b->data)), "length",
                         vector2_length(a->data), "distance_to", vector2_distance_to(a->data, b->data), "normalize",
                         tuple_of(vector2_normalize(a->data)));
}

consumer::Register area("vector2", bind,
                        {
                            consumer::function("v2_new", v2_new),
                            consumer::function("v2_cfrom_struct", v2_cfrom_struct),
                            consumer::function("v2_cfrom_ints", v2_cfrom_ints),
                            consumer::function("v2_cfrom_floats", v2_cfrom_floats),
                            consumer::function("v2_cfrom_tuple", v2_cfrom_tuple),
                            consumer::function("v2_cfrom_list", v2_cfrom_list),
                            consumer::function("v2_add", v2_add),
                            consumer::function("v2_iadd", v2_iadd),
                            consumer::function("v2_sadd", v2_sadd),
                            consumer::function("v2_get_tuple", v2_get_tuple),
                            consumer::function("v2_to_round", v2_to_round),
                            consumer::function("v2_distance_to", v2_distance_to),
                            consumer::function("v2_dot", v2_dot),
                            consumer::function("v2_struct_ops", v2_struct_ops),
                        });

}  // namespace
