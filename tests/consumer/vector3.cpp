// Vector3 through its native table and its inline helpers.
#include <cstring>
#include <utility>

#include "korvex/common/types.hpp"
#include "korvex/vector3/vector3.hpp"
#include "registry.hpp"

namespace {

PyTypeObject* vector3_type = nullptr;
Vector3VTable* vector3_table = nullptr;

using Ops = korvex::VectorSlots<Vector3Object>;

int bind() {
    return korvex::bind_type<Vector3Object>(vector3_module_name, "Vector3", vector3_type, vector3_table) ? 0 : -1;
}

PyObject* tuple_of(const Vector3& v) {
    return Py_BuildValue("(ddd)", static_cast<double>(v.x), static_cast<double>(v.y), static_cast<double>(v.z));
}

// Looks a slot up by its name in a list of (name, member) pairs.
template <class Member, std::size_t Count>
Member find_slot(const std::pair<const char*, Member> (&slots)[Count], const char* name) {
    for (const auto& [slot_name, member] : slots)
        if (std::strcmp(slot_name, name) == 0) return member;
    PyErr_Format(PyExc_ValueError, "no slot %s", name);
    return nullptr;
}

PyObject* v3_new(PyObject*, PyObject* args) {
    double x, y, z;
    if (!PyArg_ParseTuple(args, "ddd", &x, &y, &z)) return nullptr;
    return vector3_table->__pyx_new(x, y, z);
}

PyObject* v3_cfrom_xyz(PyObject*, PyObject* args) {
    double x, y, z;
    if (!PyArg_ParseTuple(args, "ddd", &x, &y, &z)) return nullptr;
    return vector3_table->cfrom_xyz(x, y, z);
}

PyObject* v3_cfrom_ints(PyObject*, PyObject* args) {
    int x, y, z;
    if (!PyArg_ParseTuple(args, "iii", &x, &y, &z)) return nullptr;
    return vector3_table->cfrom_ints(x, y, z);
}

PyObject* v3_cfrom_floats(PyObject*, PyObject* args) {
    float x, y, z;
    if (!PyArg_ParseTuple(args, "fff", &x, &y, &z)) return nullptr;
    return vector3_table->cfrom_floats(x, y, z);
}

PyObject* v3_cfrom_tuple(PyObject*, PyObject* args) {
    PyObject* tuple;
    if (!PyArg_ParseTuple(args, "O!", &PyTuple_Type, &tuple)) return nullptr;
    return vector3_table->cfrom_tuple(tuple);
}

PyObject* v3_cfrom_list(PyObject*, PyObject* args) {
    PyObject* list;
    if (!PyArg_ParseTuple(args, "O!", &PyList_Type, &list)) return nullptr;
    return vector3_table->cfrom_list(list);
}

PyObject* v3_cfrom_vector3(PyObject*, PyObject* args) {
    Vector3Object* other;
    if (!PyArg_ParseTuple(args, "O!", vector3_type, &other)) return nullptr;
    return vector3_table->cfrom_vector3(other);
}

PyObject* v3_binary(PyObject*, PyObject* args) {
    static constexpr std::pair<const char*, PyObject* (*Ops::*)(Vector3Object*, Vector3Object*)> slots[] = {
        {"_add", &Ops::_add}, {"_sub", &Ops::_sub}};
    const char* name;
    Vector3Object *a, *b;
    if (!PyArg_ParseTuple(args, "sO!O!", &name, vector3_type, &a, vector3_type, &b)) return nullptr;
    auto slot = find_slot(slots, name);
    return slot == nullptr ? nullptr : (vector3_table->ops.*slot)(a, b);
}

PyObject* v3_in_place(PyObject*, PyObject* args) {
    static constexpr std::pair<const char*, void (*Ops::*)(Vector3Object*, Vector3Object*)> slots[] = {
        {"_iadd", &Ops::_iadd}, {"_isub", &Ops::_isub}, {"_imul", &Ops::_imul}};
    const char* name;
    Vector3Object *a, *b;
    if (!PyArg_ParseTuple(args, "sO!O!", &name, vector3_type, &a, vector3_type, &b)) return nullptr;
    auto slot = find_slot(slots, name);
    if (slot == nullptr) return nullptr;
    (vector3_table->ops.*slot)(a, b);
    Py_RETURN_NONE;
}

// sadd(self, new_vec, old_vec, dispatch): dispatch None calls _sadd, an int
// calls sadd with that flag.
PyObject* v3_sadd(PyObject*, PyObject* args) {
    Vector3Object *self, *a, *b;
    PyObject* flag;
    if (!PyArg_ParseTuple(args, "O!O!O!O", vector3_type, &self, vector3_type, &a, vector3_type, &b, &flag))
        return nullptr;
    if (flag == Py_None) {
        vector3_table->ops._sadd(self, a, b);
    } else {
        int value = PyLong_AsInt(flag);
        if (value == -1 && PyErr_Occurred()) return nullptr;
        vector3_table->ops.sadd(self, a, b, value);
    }
    Py_RETURN_NONE;
}

// The slots that take self and the dispatch flag.
PyObject* v3_unary(PyObject*, PyObject* args) {
    static constexpr std::pair<const char*, PyObject* (*Ops::*)(Vector3Object*, int)> slots[] = {
        {"get_tuple", &Ops::get_tuple},         {"to_round", &Ops::to_round},
        {"get_round", &Ops::get_round},         {"to_abs", &Ops::to_abs},
        {"get_abs", &Ops::get_abs},             {"to_neg", &Ops::to_neg},
        {"get_neg", &Ops::get_neg},             {"get_int_tuple", &Ops::get_int_tuple},
        {"get_rounded_tuple", &Ops::get_rounded_tuple}, {"copy", &Ops::copy},
        {"to_normalized", &Ops::to_normalized}, {"get_normalized", &Ops::get_normalized}};
    const char* name;
    Vector3Object* v;
    int flag = 0;
    if (!PyArg_ParseTuple(args, "sO!|i", &name, vector3_type, &v, &flag)) return nullptr;
    auto slot = find_slot(slots, name);
    return slot == nullptr ? nullptr : (vector3_table->ops.*slot)(v, flag);
}

PyObject* v3_c_get_tuple(PyObject*, PyObject* args) {
    Vector3Object* v;
    if (!PyArg_ParseTuple(args, "O!", vector3_type, &v)) return nullptr;
    return vector3_table->ops.c_get_tuple(v);
}

PyObject* v3_measure(PyObject*, PyObject* args) {
    static constexpr std::pair<const char*, double (*Ops::*)(Vector3Object*, Vector3Object*, int)> slots[] = {
        {"distance_to", &Ops::distance_to}, {"distance_squared_to", &Ops::distance_squared_to}, {"dot", &Ops::dot}};
    const char* name;
    Vector3Object *a, *b;
    if (!PyArg_ParseTuple(args, "sO!O!", &name, vector3_type, &a, vector3_type, &b)) return nullptr;
    auto slot = find_slot(slots, name);
    return slot == nullptr ? nullptr : PyFloat_FromDouble((vector3_table->ops.*slot)(a, b, 0));
}

PyObject* v3_cross(PyObject*, PyObject* args) {
    Vector3Object *a, *b;
    int flag = 0;
    if (!PyArg_ParseTuple(args, "O!O!|i", vector3_type, &a, vector3_type, &b, &flag)) return nullptr;
    return vector3_table->cross(a, b, flag);
}

// Every inline helper on the structures read straight out of two objects and
// a scalar; the results are keyed by the helper's name without its prefix.
PyObject* v3_helpers(PyObject*, PyObject* args) {
    Vector3Object *a, *b;
    double s;
    if (!PyArg_ParseTuple(args, "O!O!d", vector3_type, &a, vector3_type, &b, &s)) return nullptr;
    const Vector3 u = a->data, v = b->data;
    Vector3 iadd = u, isub = u, imul = u;
    vector3_iadd(&iadd, v);
    vector3_isub(&isub, v);
    vector3_imul(&imul, v);
    return Py_BuildValue("{s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:d,s:N,s:d,s:d,s:d,s:N}",
                         "new", tuple_of(vector3_new(u.x, u.y, u.z)),
                         "add", tuple_of(vector3_add(u, v)),
                         "sub", tuple_of(vector3_sub(u, v)),
                         "mul_scalar", tuple_of(vector3_mul_scalar(u, s)),
                         "div_scalar", tuple_of(vector3_div_scalar(u, s)),
                         "floordiv_scalar", tuple_of(vector3_floordiv_scalar(u, s)),
                         "mul_vector", tuple_of(vector3_mul_vector(u, v)),
                         "div_vector", tuple_of(vector3_div_vector(u, v)),
                         "floordiv_vector", tuple_of(vector3_floordiv_vector(u, v)),
                         "iadd", tuple_of(iadd),
                         "isub", tuple_of(isub),
                         "imul", tuple_of(imul),
                         "length", vector3_length(u),
                         "normalize", tuple_of(vector3_normalize(u)),
                         "distance_to", vector3_distance_to(u, v),
                         "distance_squared_to", vector3_distance_squared_to(u, v),
                         "dot", vector3_dot(u, v),
                         "cross", tuple_of(vector3_cross(u, v)));
}

consumer::Register area("vector3", bind,
                        {
                            consumer::function("v3_new", v3_new),
                            consumer::function("v3_cfrom_xyz", v3_cfrom_xyz),
                            consumer::function("v3_cfrom_ints", v3_cfrom_ints),
                            consumer::function("v3_cfrom_floats", v3_cfrom_floats),
                            consumer::function("v3_cfrom_tuple", v3_cfrom_tuple),
                            consumer::function("v3_cfrom_list", v3_cfrom_list),
                            consumer::function("v3_cfrom_vector3", v3_cfrom_vector3),
                            consumer::function("v3_binary", v3_binary),
                            consumer::function("v3_in_place", v3_in_place),
                            consumer::function("v3_sadd", v3_sadd),
                            consumer::function("v3_unary", v3_unary),
                            consumer::function("v3_c_get_tuple", v3_c_get_tuple),
                            consumer::function("v3_measure", v3_measure),
                            consumer::function("v3_cross", v3_cross),
                            consumer::function("v3_helpers", v3_helpers),
                        });

}  // namespace
