// Vector2 through its native table and its inline helpers.
#include <cstring>
#include <utility>

#include "korvex/common/types.hpp"
#include "korvex/vector2/vector2.hpp"
#include "registry.hpp"

namespace {

PyTypeObject* vector2_type = nullptr;
Vector2VTable* vector2_table = nullptr;

using Ops = korvex::VectorSlots<Vector2Object>;

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

PyObject* v2_cfrom_vector2(PyObject*, PyObject* args) {
    Vector2Object* other;
    if (!PyArg_ParseTuple(args, "O!", vector2_type, &other)) return nullptr;
    return vector2_table->cfrom_vector2(other);
}

PyObject* v2_cfrom_xy(PyObject*, PyObject* args) {
    double x, y;
    if (!PyArg_ParseTuple(args, "dd", &x, &y)) return nullptr;
    return vector2_table->cfrom_xy(x, y);
}

// Looks a slot up by its name in a list of (name, member) pairs.
template <class Member, std::size_t Count>
Member find_slot(const std::pair<const char*, Member> (&slots)[Count], const char* name) {
    for (const auto& [slot_name, member] : slots)
        if (std::strcmp(slot_name, name) == 0) return member;
    PyErr_Format(PyExc_ValueError, "no slot %s", name);
    return nullptr;
}

PyObject* v2_binary(PyObject*, PyObject* args) {
    static constexpr std::pair<const char*, PyObject* (*Ops::*)(Vector2Object*, Vector2Object*)> slots[] = {
        {"_add", &Ops::_add}, {"_sub", &Ops::_sub}};
    const char* name;
    Vector2Object *a, *b;
    if (!PyArg_ParseTuple(args, "sO!O!", &name, vector2_type, &a, vector2_type, &b)) return nullptr;
    auto slot = find_slot(slots, name);
    return slot == nullptr ? nullptr : (vector2_table->ops.*slot)(a, b);
}

PyObject* v2_in_place(PyObject*, PyObject* args) {
    static constexpr std::pair<const char*, void (*Ops::*)(Vector2Object*, Vector2Object*)> slots[] = {
        {"_iadd", &Ops::_iadd}, {"_isub", &Ops::_isub}, {"_imul", &Ops::_imul}};
    const char* name;
    Vector2Object *a, *b;
    if (!PyArg_ParseTuple(args, "sO!O!", &name, vector2_type, &a, vector2_type, &b)) return nullptr;
    auto slot = find_slot(slots, name);
    if (slot == nullptr) return nullptr;
    (vector2_table->ops.*slot)(a, b);
    Py_RETURN_NONE;
}

PyObject* v2_underscore_sadd(PyObject*, PyObject* args) {
    Vector2Object *self, *a, *b;
    if (!PyArg_ParseTuple(args, "O!O!O!", vector2_type, &self, vector2_type, &a, vector2_type, &b)) return nullptr;
    vector2_table->ops._sadd(self, a, b);
    Py_RETURN_NONE;
}

// The slots that take self and the dispatch flag.
PyObject* v2_unary(PyObject*, PyObject* args) {
    static constexpr std::pair<const char*, PyObject* (*Ops::*)(Vector2Object*, int)> slots[] = {
        {"get_tuple", &Ops::get_tuple},         {"to_round", &Ops::to_round},
        {"get_round", &Ops::get_round},         {"to_abs", &Ops::to_abs},
        {"get_abs", &Ops::get_abs},             {"to_neg", &Ops::to_neg},
        {"get_neg", &Ops::get_neg},             {"get_int_tuple", &Ops::get_int_tuple},
        {"get_rounded_tuple", &Ops::get_rounded_tuple}, {"copy", &Ops::copy},
        {"to_normalized", &Ops::to_normalized}, {"get_normalized", &Ops::get_normalized}};
    const char* name;
    Vector2Object* v;
    int flag = 0;
    if (!PyArg_ParseTuple(args, "sO!|i", &name, vector2_type, &v, &flag)) return nullptr;
    auto slot = find_slot(slots, name);
    return slot == nullptr ? nullptr : (vector2_table->ops.*slot)(v, flag);
}

PyObject* v2_c_get_tuple(PyObject*, PyObject* args) {
    Vector2Object* v;
    if (!PyArg_ParseTuple(args, "O!", vector2_type, &v)) return nullptr;
    return vector2_table->ops.c_get_tuple(v);
}

PyObject* v2_measure(PyObject*, PyObject* args) {
    static constexpr std::pair<const char*, double (*Ops::*)(Vector2Object*, Vector2Object*, int)> slots[] = {
        {"distance_to", &Ops::distance_to}, {"distance_squared_to", &Ops::distance_squared_to}, {"dot", &Ops::dot}};
    const char* name;
    Vector2Object *a, *b;
    if (!PyArg_ParseTuple(args, "sO!O!", &name, vector2_type, &a, vector2_type, &b)) return nullptr;
    auto slot = find_slot(slots, name);
    return slot == nullptr ? nullptr : PyFloat_FromDouble((vector2_table->ops.*slot)(a, b, 0));
}

// Every inline helper on the structures read straight out of two objects and
// a scalar; the results are keyed by the helper's name without its prefix.
PyObject* v2_helpers(PyObject*, PyObject* args) {
    Vector2Object *a, *b;
    double s;
    if (!PyArg_ParseTuple(args, "O!O!d", vector2_type, &a, vector2_type, &b, &s)) return nullptr;
    const Vector2 u = a->data, v = b->data;
    Vector2 iadd = u, isub = u, imul = u;
    vector2_iadd(&iadd, v);
    vector2_isub(&isub, v);
    vector2_imul(&imul, v);
    return Py_BuildValue("{s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:d,s:N,s:d,s:d,s:d}",
                         "new", tuple_of(vector2_new(s, -s)),
                         "add", tuple_of(vector2_add(u, v)),
                         "sub", tuple_of(vector2_sub(u, v)),
                         "mul_scalar", tuple_of(vector2_mul_scalar(u, s)),
                         "div_scalar", tuple_of(vector2_div_scalar(u, s)),
                         "floordiv_scalar", tuple_of(vector2_floordiv_scalar(u, s)),
                         "mul_vector", tuple_of(vector2_mul_vector(u, v)),
                         "div_vector", tuple_of(vector2_div_vector(u, v)),
                         "floordiv_vector", tuple_of(vector2_floordiv_vector(u, v)),
                         "iadd", tuple_of(iadd),
                         "isub", tuple_of(isub),
                         "imul", tuple_of(imul),
                         "length", vector2_length(u),
                         "normalize", tuple_of(vector2_normalize(u)),
                         "distance_to", vector2_distance_to(u, v),
                         "distance_squared_to", vector2_distance_squared_to(u, v),
                         "dot", vector2_dot(u, v));
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
                            consumer::function("v2_cfrom_vector2", v2_cfrom_vector2),
                            consumer::function("v2_cfrom_xy", v2_cfrom_xy),
                            consumer::function("v2_binary", v2_binary),
                            consumer::function("v2_in_place", v2_in_place),
                            consumer::function("v2_underscore_sadd", v2_underscore_sadd),
                            consumer::function("v2_unary", v2_unary),
                            consumer::function("v2_c_get_tuple", v2_c_get_tuple),
                            consumer::function("v2_measure", v2_measure),
                            consumer::function("v2_helpers", v2_helpers),
                        });

}  // namespace
