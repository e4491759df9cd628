// The part of a vector type's native method table that all three vector types
// share, slot for slot. Each type's table puts its constructors first and
// embeds this block right after them (Vector3 appends `cross`).
//
// Names: a slot with a Python counterpart (`sadd`, `get_tuple`) takes a
// trailing dispatch flag; a leading underscore (`_sadd`) or `c_`
// (`c_get_tuple`) names a native-only slot without that flag, which is the
// same body called directly. The vector types are final, so the flag is
// ignored.
#pragma once

#include "korvex/common/python.hpp"

namespace korvex {

template <class Object>
struct VectorSlots {
    PyObject* (*_add)(Object* self, Object* other);
    PyObject* (*_sub)(Object* self, Object* other);
    void (*_iadd)(Object* self, Object* other);
    void (*_isub)(Object* self, Object* other);
    void (*_imul)(Object* self, Object* other);
    void (*_sadd)(Object* self, Object* new_vec, Object* old_vec);
    void (*sadd)(Object* self, Object* new_vec, Object* old_vec, int skip_dispatch);
    PyObject* (*get_tuple)(Object* self, int skip_dispatch);
    PyObject* (*c_get_tuple)(Object* self);
    PyObject* (*to_round)(Object* self, int skip_dispatch);
    PyObject* (*get_round)(Object* self, int skip_dispatch);
    PyObject* (*to_abs)(Object* self, int skip_dispatch);
    PyObject* (*get_abs)(Object* self, int skip_dispatch);
    PyObject* (*to_neg)(Object* self, int skip_dispatch);
    PyObject* (*get_neg)(Object* self, int skip_dispatch);
    PyObject* (*get_int_tuple)(Object* self, int skip_dispatch);
    PyObject* (*get_rounded_tuple)(Object* self, int skip_dispatch);
    PyObject* (*copy)(Object* self, int skip_dispatch);
    PyObject* (*to_normalized)(Object* self, int skip_dispatch);
    PyObject* (*get_normalized)(Object* self, int skip_dispatch);
    double (*distance_to)(Object* self, Object* other, int skip_dispatch);
    double (*distance_squared_to)(Object* self, Object* other, int skip_dispatch);
    double (*dot)(Object* self, Object* other, int skip_dispatch);
};

}  // namespace korvex

// Declares the inline struct helpers of a vector type under its own prefix.
#define KORVEX_VECTOR_HELPERS(prefix, Math)                                                                   \
    using prefix##_t_ = Math::Struct;                                                                         \
    inline prefix##_t_ prefix##_add(prefix##_t_ a, prefix##_t_ b) { return ::korvex::vec::add<Math>(a, b); } \
    inline prefix##_t_ prefix##_sub(prefix##_t_ a, prefix##_t_ b) { return ::korvex::vec::sub<Math>(a, b); } \
    inline prefix##_t_ prefix##_mul_scalar(prefix##_t_ a, double val) {                                      \
        return ::korvex::vec::mul_scalar<Math>(a, val);                                                       \
    }                                                                                                         \
    inline prefix##_t_ prefix##_div_scalar(prefix##_t_ a, double val) {                                      \
        return ::korvex::vec::div_scalar<Math>(a, val);                                                       \
    }                                                                                                         \
    inline prefix##_t_ prefix##_floordiv_scalar(prefix##_t_ a, double val) {                                 \
        return ::korvex::vec::floordiv_scalar<Math>(a, val);                                                  \
    }                                                                                                         \
    inline prefix##_t_ prefix##_mul_vector(prefix##_t_ a, prefix##_t_ b) {                                   \
        return ::korvex::vec::mul_vector<Math>(a, b);                                                         \
    }                                                                                                         \
    inline prefix##_t_ prefix##_div_vector(prefix##_t_ a, prefix##_t_ b) {                                   \
        return ::korvex::vec::div_vector<Math>(a, b);                                                         \
    }                                                                                                         \
    inline prefix##_t_ prefix##_floordiv_vector(prefix##_t_ a, prefix##_t_ b) {                              \
        return ::korvex::vec::floordiv_vector<Math>(a, b);                                                    \
    }                                                                                                         \
    inline void prefix##_iadd(prefix##_t_* self, prefix##_t_ other) { ::korvex::vec::iadd<Math>(self, other); } \
    inline void prefix##_isub(prefix##_t_* self, prefix##_t_ other) { ::korvex::vec::isub<Math>(self, other); } \
    inline void prefix##_imul(prefix##_t_* self, prefix##_t_ other) { ::korvex::vec::imul<Math>(self, other); } \
    inline double prefix##_length(prefix##_t_ v) { return ::korvex::vec::length<Math>(v); }                   \
    inline prefix##_t_ prefix##_normalize(prefix##_t_ v) { return ::korvex::vec::normalize<Math>(v); }        \
    inline double prefix##_distance_to(prefix##_t_ a, prefix##_t_ b) {                                       \
        return ::korvex::vec::distance_to<Math>(a, b);                                                        \
    }                                                                                                         \
    inline double prefix##_distance_squared_to(prefix##_t_ a, prefix##_t_ b) {                               \
        return ::korvex::vec::distance_squared_to<Math>(a, b);                                                \
    }                                                                                                         \
    inline double prefix##_dot(prefix##_t_ a, prefix##_t_ b) { return ::korvex::vec::dot<Math>(a, b); }
