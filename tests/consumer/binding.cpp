// The import-time binding itself: korvex::import_type pointed at any module and
// class, so the tests can reach its size rule and its native-table checks with
// fake modules and types made in Python.
#include "korvex/common/types.hpp"
#include "korvex/vector2/vector2.hpp"
#include "registry.hpp"

namespace {

int bind() { return 0; }

// binding_probe(module_name, class_name, expected_size, want_vtable=True)
// returns (type, table address or None).
PyObject* binding_probe(PyObject*, PyObject* args) {
    const char* module_name;
    const char* class_name;
    Py_ssize_t expected;
    int want_vtable = 1;
    if (!PyArg_ParseTuple(args, "ssn|p", &module_name, &class_name, &expected, &want_vtable)) return nullptr;
    void* table = nullptr;
    PyTypeObject* type =
        korvex::import_type(module_name, class_name, static_cast<std::size_t>(expected), want_vtable ? &table : nullptr);
    if (type == nullptr) return nullptr;
    PyObject* address = table == nullptr ? Py_NewRef(Py_None) : PyLong_FromVoidPtr(table);
    return Py_BuildValue("(NN)", reinterpret_cast<PyObject*>(type), address);
}

// The instance size this module was compiled against for Vector2.
PyObject* binding_vector2_size(PyObject*, PyObject*) { return PyLong_FromSize_t(sizeof(Vector2Object)); }

consumer::Register area("binding", bind,
                        {
                            consumer::function("binding_probe", binding_probe),
                            consumer::function("binding_vector2_size", binding_vector2_size),
                        });

}  // namespace
