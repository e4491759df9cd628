// An iterator over an object's fixed number of fields, for types whose
// iteration is their indexing from 0 upward.
#pragma once

#include <cstddef>

#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"

namespace korvex {

// Yields Fields::read(owner, 0), Fields::read(owner, 1), ... up to
// Fields::count, each read when it is reached (a change between steps shows),
// then stops: what the interpreter's iteration by indexing gives, without
// raising and catching an IndexError at the end of every loop, unpacking and
// tuple(). Fields names the type (Fields::name) and reads a field as a new
// reference. The owners are not collected objects, so neither is the
// iterator: use it for an exact owner type only.
template <class Fields>
class FieldIterator {
    struct Object {
        PyObject_HEAD
        PyObject* owner;  // null once exhausted
        std::size_t next;
    };

    static PyObject* tp_iternext(PyObject* self) {
        Object* iterator = reinterpret_cast<Object*>(self);
        if (iterator->owner == nullptr) return nullptr;
        if (iterator->next < Fields::count) return Fields::read(iterator->owner, iterator->next++);
        Py_CLEAR(iterator->owner);
        return nullptr;
    }

    // Freed iterators are kept for reuse, most recent first: an unpacking or a
    // loop makes one and drops it at once.
    static constexpr int pool_capacity = 16;
    static inline Object* pool[pool_capacity];
    static inline int pool_size = 0;

    static void tp_dealloc(PyObject* self) {
        Py_XDECREF(reinterpret_cast<Object*>(self)->owner);
        if (pool_size < pool_capacity)
            pool[pool_size++] = reinterpret_cast<Object*>(self);
        else
            PyObject_Free(self);
    }

public:
    static inline PyTypeObject type = static_type<Object>({
        .name = Fields::name,
        .lifecycle = {.dealloc = tp_dealloc},
        .protocols = {.iter = PyObject_SelfIter, .next = tp_iternext},
    });

    static PyObject* make(PyObject* owner) {
        Object* iterator;
        if (pool_size > 0) {
            iterator = pool[--pool_size];
        } else {
            iterator = static_cast<Object*>(PyObject_Malloc(sizeof(Object)));
            if (iterator == nullptr) return PyErr_NoMemory();
        }
        (void)PyObject_Init(reinterpret_cast<PyObject*>(iterator), &type);
        iterator->owner = Py_NewRef(owner);
        iterator->next = 0;
        return reinterpret_cast<PyObject*>(iterator);
    }
};

}  // namespace korvex
