// Publishing a module's extension types with their native method tables, and
// binding to the types that other modules publish.
#pragma once

#include <cstddef>

#include "korvex/common/python.hpp"

namespace korvex {

// The slots a module fills in its static type, by name. Everything left out
// stays empty, so the interpreter inherits or refuses it as for any static
// type. A slot struct in, a type object ready for publish_type out:
//
//     PyTypeObject image_type = korvex::static_type({
//         .name = "korvex.image.image.Image",
//         .basicsize = sizeof(ImageObject),
//         .dealloc = tp_dealloc,
//         ...
//     });
//
// Designated initialisers must follow the member order below, so a slot given
// twice or under the wrong name does not compile.
struct TypeSlots {
    const char* name;
    Py_ssize_t basicsize;
    unsigned long flags = Py_TPFLAGS_DEFAULT;
    destructor dealloc = nullptr;
    reprfunc repr = nullptr;
    PyNumberMethods* as_number = nullptr;
    PySequenceMethods* as_sequence = nullptr;
    PyMappingMethods* as_mapping = nullptr;
    hashfunc hash = nullptr;
    traverseproc traverse = nullptr;
    inquiry clear = nullptr;
    richcmpfunc richcompare = nullptr;
    getiterfunc iter = nullptr;
    PyMethodDef* methods = nullptr;
    PyGetSetDef* getset = nullptr;
    initproc init = nullptr;
    newfunc new_ = nullptr;
    vectorcallfunc vectorcall = nullptr;
};

// The type object for `slots`. Its memory is released by the allocator that
// matches its flags (the collector's for Py_TPFLAGS_HAVE_GC types).
PyTypeObject static_type(const TypeSlots& slots);

// The sequence and mapping slot blocks of an indexable type; the slots not
// given stay empty.
inline PySequenceMethods sequence_slots(lenfunc length, ssizeargfunc item = nullptr) {
    PySequenceMethods slots{};
    slots.sq_length = length;
    slots.sq_item = item;
    return slots;
}
inline PyMappingMethods mapping_slots(lenfunc length, binaryfunc subscript = nullptr,
                                      objobjargproc ass_subscript = nullptr) {
    PyMappingMethods slots{};
    slots.mp_length = length;
    slots.mp_subscript = subscript;
    slots.mp_ass_subscript = ass_subscript;
    return slots;
}

// Readies `type`, stores its native table under __pyx_vtable__ (a capsule with
// a null name; skipped when `vtable` is null), installs the pickling hooks
// and adds the type to the module under its class name.
int publish_type(PyObject* module, PyTypeObject* type, void* vtable);

// Adds an exported native function under the module's __pyx_capi__ dict; the
// capsule is named by the function's signature.
int export_function(PyObject* module, const char* name, void* function, const char* signature);

// Imports `module_name`, takes its attribute `class_name`, checks that it is a
// type of at least `expected_size` bytes and returns it (a new reference).
// When `vtable` is given, the type's native table is stored there.
PyTypeObject* import_type(const char* module_name, const char* class_name, std::size_t expected_size,
                          void** vtable);

// The typed form used by consumer modules:
//     import_type("korvex.vector2.vector2", "Vector2", vector2_type, vector2_vtable)
template <class Object, class Table>
inline bool bind_type(const char* module_name, const char* class_name, PyTypeObject*& type, Table*& table) {
    void* raw = nullptr;
    type = import_type(module_name, class_name, sizeof(Object), &raw);
    table = static_cast<Table*>(raw);
    return type != nullptr;
}

}  // namespace korvex
