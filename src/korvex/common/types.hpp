// Publishing a module's extension types with their native method tables, and
// binding to the types that other modules publish.
#pragma once

#include <cstddef>

#include "korvex/common/python.hpp"

namespace korvex {

// A statically allocated type object with every slot empty; the module fills
// the slots it uses before readying it.
inline PyTypeObject static_type() {
    PyTypeObject type{};
    PyVarObject head[] = {PyVarObject_HEAD_INIT(nullptr, 0)};
    type.ob_base = head[0];
    return type;
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
