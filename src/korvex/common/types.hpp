// Publishing a module's extension types with their native method tables, and
// binding to the types that other modules publish.
#pragma once

#include <cstddef>

#include "korvex/common/fixed_string.hpp"
#include "korvex/common/python.hpp"

namespace korvex {

// The number of slots of a native table (function pointers, and blocks of
// them). Each table's header asserts it against the number its contract
// fixes, written in literals (a vector table: its constructors, the 23 slots
// of the shared block, its own slots), so a slot added or dropped (in the
// table or in a block it embeds) without changing the contract does not
// compile.
template <class Table>
inline constexpr std::size_t slot_count = sizeof(Table) / sizeof(void (*)());

// The layout other modules compile against, asserted in each type's header:
// the slot count of its native table, and its stored value right after the
// table pointer.
#define KORVEX_LAYOUT(Object, Table, value, slots)                                                    \
    static_assert(korvex::slot_count<Table> == (slots), #Table " has " #slots " slots, in order"); \
    static_assert(offsetof(Object, value) == sizeof(PyObject) + sizeof(void*), #Object ": value after the table")

// The slots a module fills in its static type, by role. Everything left out
// stays empty, so the interpreter inherits or refuses it as for any static
// type. A slot struct in, a type object ready for publish_type out:
//
//     PyTypeObject rect_type = korvex::static_type<RectObject>({
//         .name = "korvex.rect.rect.Rect",
//         .subclassable = true,
//         .lifecycle = {.create = tp_new, .init = tp_init, .call = tp_vectorcall, .dealloc = tp_dealloc},
//         .protocols = {.repr = tp_repr, .compare = tp_richcompare},
//         .methods = methods.data(),
//     });
//
// Designated initialisers must follow the member order below, so a slot given
// twice or under the wrong name does not compile. The flags follow from what
// is given: the base-type flag from `subclassable`, the collector's from
// `collector`, so a type cannot be tracked without its traverse slot.
struct TypeSlots {
    const char* name;
    bool subclassable = false;
    // How instances are made (tp_new, tp_init, the type's vectorcall) and
    // released (tp_dealloc).
    struct Lifecycle {
        newfunc create = nullptr;
        initproc init = nullptr;
        vectorcallfunc call = nullptr;
        destructor dealloc = nullptr;
    } lifecycle = {};
    // The collector's slots, for types whose instances hold references.
    struct Collector {
        traverseproc traverse = nullptr;
        inquiry clear = nullptr;
    } collector = {};
    // Text form, hashing, comparison, iteration (iter, and next for
    // iterators), and the slot blocks.
    struct Protocols {
        reprfunc repr = nullptr;
        hashfunc hash = nullptr;
        richcmpfunc compare = nullptr;
        getiterfunc iter = nullptr;
        iternextfunc next = nullptr;
        PyNumberMethods* number = nullptr;
        PySequenceMethods* sequence = nullptr;
        PyMappingMethods* mapping = nullptr;
    } protocols = {};
    PyMethodDef* methods = nullptr;
    PyGetSetDef* getset = nullptr;
};

// The type object of instances laid out as `basicsize` bytes.
PyTypeObject static_type(Py_ssize_t basicsize, const TypeSlots& slots);

template <class Object>
PyTypeObject static_type(const TypeSlots& slots) {
    return static_type(sizeof(Object), slots);
}

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

// frozen: the `__pyx_` names (`__pyx_vtab`, `__pyx_new`, `__pyx_vtable__`,
// `__pyx_capi__`, and the pickling names `__pyx_unpickle_Audio`, `__pyx_type`,
// `__pyx_checksum`, `__pyx_state`) are those other modules and pickles look up.
//
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
//     bind_type<Vector2Object>("korvex.vector2.vector2", "Vector2", vector2_type, vector2_vtable)
template <class Object, class Table>
inline bool bind_type(const char* module_name, const char* class_name, PyTypeObject*& type, Table*& table) {
    void* raw = nullptr;
    type = import_type(module_name, class_name, sizeof(Object), &raw);
    table = static_cast<Table*>(raw);
    return type != nullptr;
}

// The tp_new of a type whose objects hold a native table and a raylib value
// (`__pyx_vtab`, `_raw`): the table set, the value all zero, and each member
// named in `none_members` holding None. Arguments are ignored; tp_init reads
// them.
template <class Object, auto* table, auto... none_members>
PyObject* new_blank(PyTypeObject* type, PyObject*, PyObject*) {
    PyObject* self = type->tp_alloc(type, 0);
    if (self == nullptr) return nullptr;
    Object* object = reinterpret_cast<Object*>(self);
    object->__pyx_vtab = table;
    object->_raw = {};
    ((object->*none_members = Py_NewRef(Py_None)), ...);
    return self;
}

// Whether a record of `__pyx_new`'s optional arguments (a count, then
// is_owner) asks for ownership: only a given record that counts the flag and
// sets it, so a forgotten flag can leak but never frees what belongs to
// someone else.
template <class Options>
bool asks_ownership(const Options* options) {
    return options != nullptr && options->count >= 1 && options->is_owner != 0;
}

// A type of another module and its native table, bound during exec. The
// providing module's header says once where the type lives and what it holds:
//     using ImportedVector4 = korvex::Imported<Vector4Object, Vector4VTable, vector4_module_name, "Vector4">;
// and each module using it binds its own:
//     ImportedVector4 vector4;
//     ... if (!korvex::bind(vector4, color)) return -1;
template <class Object, class Table, const char* const& module_name, FixedString class_name>
struct Imported {
    PyTypeObject* type = nullptr;
    Table* table = nullptr;

    bool bind() { return bind_type<Object>(module_name, class_name.value, type, table); }
};

// Binds each in turn; false, with the exception set, at the first that fails.
template <class... Types>
bool bind(Types&... imported) {
    return (imported.bind() && ...);
}

}  // namespace korvex
