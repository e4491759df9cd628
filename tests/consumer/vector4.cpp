// Vector4 through its native table and its inline helpers.
#include <cstring>
#include <utility>

#include "korvex/common/types.hpp"
#include "korvex/vector4/vector4.hpp"
#include "registry.hpp"

namespace {

PyTypeObject* vector4_type = nullptr;
Vector4VTable* vector4_table = nullptr;

using Ops = korvex::VectorSlots<Vector4Object>;

int bind() {
    return korvex::bind_type<Vector4Object>(vector4_module_name, "Vector4", vector4_type, vector4_table) ? 0 : -1;
}

PyObject* tuple_of(const vector4_t& v) { return Py_BuildValue("(dddd)", v.x, v.y, v.z, v.w); }

// Looks a slot up by its name in a list of (name, member) pairs.
template <class Member, std::size_t Count>
Member find_slot(const std::pair<const char*, Member> (&slots)[Count], const char* name) {
    for (const auto& [slot_name, member] : slots)
        if (std::strcmp(slot_name, name) == 0) return member;
    PyErr_Format(PyExc_ValueError, "no slot %s", name);
    return nullptr;
}

PyObject* v4_new(PyObject*, PyObject* args) {
    double x, y, z, w;
    if (!PyArg_ParseTuple(args, "dddd", &x, &y, &z, &w)) return nullptr;
    return vector4_table->__pyx_new(x, y, z, w);
}

PyObject* v4_cfrom_xyzw(PyObject*, PyObject* args) {
    double x, y, z, w;
    if (!PyArg_ParseTuple(args, "dddd", &x, &y, &z, &w)) return nullptr;
    return vector4_table->cfrom_xyzw(x, y, z, w);
}

PyObject* v4_cfrom_ints(PyObject*, PyObject* args) {
    int x, y, z, w;
    if (!PyArg_ParseTuple(args, "iiii", &x, &y, &z, &w)) return nullptr;
    return vector4_table->cfrom_ints(x, y, z, w);
}

PyObject* v4_cfrom_floats(PyObject*, PyObject* args) {
    float x, y, z, w;
    if (!PyArg_ParseTuple(args, "ffff", &x, &y, &z, &w)) return nullptr;
    return vector4_table->cfrom_floats(x, y, z, w);
}

PyObject* v4_cfrom_tuple(PyObject*, PyObject* args) {
    PyObject* tuple;
    if (!PyArg_ParseTuple(args, "O!", &PyTuple_Type, &tuple)) return nullptr;
    return vector4_table->cfrom_tuple(tuple);
}

PyObject* v4_cfrom_list(PyObject*, PyObject* args) {
    PyObject* list;
    if (!PyArg_ParseTuple(args, "O!", &PyList_Type, &list)) return nullptr;
    return vector4_table->cfrom_list(list);
}

PyObject* v4_cfrom_vector4(PyObject*, PyObject* args) {
    Vector4Object* other;
    if (!PyArg_ParseTuple(args, "O!", vector4_type, &other)) return nullptr;
    return vector4_table->cfrom_vector4(other);
}

PyObject* v4_binary(PyObject*, PyObject* args) {
    static constexpr std::pair<const char*, PyObject* (*Ops::*)(Vector4Object*, Vector4Object*)> slots[] = {
        {"_add", &Ops::_add}, {"_sub", &Ops::_sub}};
    const char* name;
    Vector4Object *a, *b;
    if (!PyArg_ParseTuple(args, "sO!O!", &name, vector4_type, &a, vector4_type, &b)) return nullptr;
    auto slot = find_slot(slots, name);
    return slot == nullptr ? nullptr : (vector4_table->ops.*slot)(a, b);
}

PyObject* v4_in_place(PyObject*, PyObject* args) {
    static constexpr std::pair<const char*, void (*Ops::*)(Vector4Object*, Vector4Object*)> slots[] = {
        {"_iadd", &Ops::_iadd}, {"_isub", &Ops::_isub}, {"_imul", &Ops::_imul}};
    const char* name;
    Vector4Object *a, *b;
    if (!PyArg_ParseTuple(args, "sO!O!", &name, vector4_type, &a, vector4_type, &b)) return nullptr;
    auto slot = find_slot(slots, name);
    if (slot == nullptr) return nullptr;
    (vector4_table->ops.*slot)(a, b);
    Py_RETURN_NONE;
}

// sadd(self, new_vec, old_vec, dispatch): dispatch None calls _sadd, an int
// calls sadd with that flag.
PyObject* v4_sadd(PyObject*, PyObject* args) {
    Vector4Object *self, *a, *b;
    PyObject* flag;
    if (!PyArg_ParseTuple(args, "O!O!O!O", vector4_type, &self, vector4_type, &a, vector4_type, &b, &flag))
        return nullptr;
    if (flag == Py_None) {
        vector4_table->ops._sadd(self, a, b);
    } else {
        int value = PyLong_AsInt(flag);
        if (value == -1 && PyErr_Occurred()) return nullptr;
        vector4_table->ops.sadd(self, a, b, value);
    }
    Py_RETURN_NONE;
}

// The slots that take self and the dispatch flag.
PyObject* v4_unary(PyObject*, PyObject* args) {
    static constexpr std::pair<const char*, PyObject* (*Ops::*)(Vector4Object*, int)> slots[] = {
        {"get_tuple", &Ops::get_tuple},         {"to_round", &Ops::to_round},
        {"get_round", &Ops::get_round},         {"to_abs", &Ops::to_abs},
        {"get_abs", &Ops::get_abs},             {"to_neg", &Ops::to_neg},
        {"get_neg", &Ops::get_neg},             {"get_int_tuple", &Ops::get_int_tuple},
        {"get_rounded_tuple", &Ops::get_rounded_tuple}, {"copy", &Ops::copy},
        {"to_normalized", &Ops::to_normalized}, {"get_normalized", &Ops::get_normalized}};
    const char* name;
    Vector4Object* v;
    int flag = 0;
    if (!PyArg_ParseTuple(args, "sO!|i", &name, vector4_type, &v, &flag)) return nullptr;
    auto slot = find_slot(slots, name);
    return slot == nullptr ? nullptr : (vector4_table->ops.*slot)(v, flag);
}

PyObject* v4_c_get_tuple(PyObject*, PyObject* args) {
    Vector4Object* v;
    if (!PyArg_ParseTuple(args, "O!", vector4_type, &v)) return nullptr;
    return vector4_table->ops.c_get_tuple(v);
}

PyObject* v4_measure(PyObject*, PyObject* args) {
    static constexpr std::pair<const char*, double (*Ops::*)(Vector4Object*, Vector4Object*, int)> slots[] = {
        {"distance_to", &Ops::distance_to}, {"distance_squared_to", &Ops::distance_squared_to}, {"dot", &Ops::dot}};
    const char* name;
    Vector4Object *a, *b;
    if (!PyArg_ParseTuple(args, "sO!O!", &name, vector4_type, &a, vector4_type, &b)) return nullptr;
    auto slot = find_slot(slots, name);
    return slot == nullptr ? nullptr : PyFloat_FromDouble((vector4_table->ops.*slot)(a, b, 0));
}

// Every inline helper on the structures read straight out of two objects and
// a scalar; the results are keyed by the helper's name without its prefix.
PyObject* v4_helpers(PyObject*, PyObject* args) {
    Vector4Object *a, *b;
    double s;
    if (!PyArg_ParseTuple(args, "O!O!d", vector4_type, &a, vector4_type, &b, &s)) return nullptr;
    const vector4_t u = a->data, v = b->data;
    vector4_t iadd = u, isub = u, imul = u;
    vector4_iadd(&iadd, v);
    vector4_isub(&isub, v);
    vector4_imul(&imul, v);
    return Py_BuildValue("{s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:N,s:d,s:N,s:d,s:d,s:d}",
                         "new", tuple_of(vector4_new(u.x, u.y, u.z, u.w)),
                         "add", tuple_of(vector4_add(u, v)),
                         "sub", tuple_of(vector4_sub(u, v)),
                         "mul_scalar", tuple_of(vector4_mul_scalar(u, s)),
                         "div_scalar", tuple_of(vector4_div_scalar(u, s)),
                         "floordiv_scalar", tuple_of(vector4_floordiv_scalar(u, s)),
                         "mul_vector", tuple_of(vector4_mul_vector(u, v)),
                         "div_vector", tuple_of(vector4_div_vector(u, v)),
                         "floordiv_vector", tuple_of(vector4_floordiv_vector(u, v)),
                         "iadd", tuple_of(iadd),
                         "isub", tuple_of(isub),
                         "imul", tuple_of(imul),
                         "length", vector4_length(u),
                         "normalize", tuple_of(vector4_normalize(u)),
                         "distance_to", vector4_distance_to(u, v),
                         "distance_squared_to", vector4_distance_squared_to(u, v),
                         "dot", vector4_dot(u, v));
}

consumer::Register area("vector4", bind,
                        {
                            consumer::function("v4_new", v4_new),
                            consumer::function("v4_cfrom_xyzw", v4_cfrom_xyzw),
                            consumer::function("v4_cfrom_ints", v4_cfrom_ints),
                            consumer::function("v4_cfrom_floats", v4_cfrom_floats),
                            consumer::function("v4_cfrom_tuple", v4_cfrom_tuple),
                            consumer::function("v4_cfrom_list", v4_cfrom_list),
                            consumer::function("v4_cfrom_vector4", v4_cfrom_vector4),
                            consumer::function("v4_binary", v4_binary),
                            consumer::function("v4_in_place", v4_in_place),
                            consumer::function("v4_sadd", v4_sadd),
                            consumer::function("v4_unary", v4_unary),
                            consumer::function("v4_c_get_tuple", v4_c_get_tuple),
                            consumer::function("v4_measure", v4_measure),
                            consumer::function("v4_helpers", v4_helpers),
                        });

}  // namespace
