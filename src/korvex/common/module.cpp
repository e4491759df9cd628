#include "korvex/common/module.hpp"

#include <cstdint>

// The binding layer is linked statically into every extension module, so these
// are per-module: each shared library has its own module object and its own
// record of the interpreter it was loaded into.
namespace korvex {

namespace {

const ModuleInfo* module_info = nullptr;
PyObject* module_object = nullptr;
int64_t owner_interpreter = -1;

bool check_single_interpreter() {
    int64_t current = PyInterpreterState_GetID(PyThreadState_GetInterpreter(PyThreadState_Get()));
    if (owner_interpreter == -1) {
        owner_interpreter = current;
        return true;
    }
    if (current == owner_interpreter) return true;
    PyErr_SetString(PyExc_ImportError,
                    "Interpreter change detected - this module can only be loaded into one interpreter per process.");
    return false;
}

// Copies one attribute of the import spec into the module's dict.
int copy_spec_attribute(PyObject* spec, PyObject* module_dict, const char* from, const char* to,
                        bool allow_none) {
    PyObject* value = PyObject_GetAttrString(spec, from);
    if (value == nullptr) return -1;
    int result = 0;
    if (allow_none || value != Py_None) result = PyDict_SetItemString(module_dict, to, value);
    Py_DECREF(value);
    return result;
}

PyObject* create(PyObject* spec, PyModuleDef*) {
    if (!check_single_interpreter()) return nullptr;
    if (module_object != nullptr) return Py_NewRef(module_object);
    PyObject* name = PyObject_GetAttrString(spec, "name");
    if (name == nullptr) return nullptr;
    PyObject* module = PyModule_NewObject(name);
    Py_DECREF(name);
    if (module == nullptr) return nullptr;
    PyObject* dict = PyModule_GetDict(module);
    if (copy_spec_attribute(spec, dict, "loader", "__loader__", true) < 0 ||
        copy_spec_attribute(spec, dict, "origin", "__file__", true) < 0 ||
        copy_spec_attribute(spec, dict, "parent", "__package__", true) < 0 ||
        copy_spec_attribute(spec, dict, "submodule_search_locations", "__path__", false) < 0) {
        Py_DECREF(module);
        return nullptr;
    }
    return module;
}

int warn_on_version_mismatch() {
    const char* running = Py_GetVersion();
    int major = 0, minor = 0;
    if (sscanf(running, "%d.%d", &major, &minor) == 2 && major == PY_MAJOR_VERSION && minor == PY_MINOR_VERSION)
        return 0;
    // frozen: the words of the warning, "does not match" formatted in.
    return PyErr_WarnFormat(PyExc_RuntimeWarning, 1,
                            "compile time Python version %d.%d of module '%.100s' %s runtime version %d.%d",
                            PY_MAJOR_VERSION, PY_MINOR_VERSION, module_info->full_name, "does not match", major,
                            minor);
}

int register_in_sys_modules(PyObject* module) {
    PyObject* modules = PyImport_GetModuleDict();
    PyObject* existing = nullptr;
    int found = PyDict_GetItemStringRef(modules, module_info->full_name, &existing);
    Py_XDECREF(existing);
    if (found != 0) return found < 0 ? -1 : 0;
    return PyDict_SetItemString(modules, module_info->full_name, module);
}

int exec(PyObject* module) {
    if (module_object == module) return 0;
    if (module_object != nullptr) {
        PyErr_Format(PyExc_RuntimeError,
                     "Module '%s' has already been imported. Re-initialisation is not supported.",
                     module_info->short_name);
        return -1;
    }
    module_object = Py_NewRef(module);
    if (warn_on_version_mismatch() < 0) goto fail;
    // frozen: `__builtins__` and `__test__` in every module's namespace, as
    // callers and other modules have always found them.
    if (PyModule_AddObjectRef(module, "__builtins__", PyEval_GetBuiltins()) < 0) goto fail;
    if (register_in_sys_modules(module) < 0) goto fail;
    if (module_info->exec(module) < 0) goto fail;
    if (PyModule_Add(module, "__test__", PyDict_New()) < 0) goto fail;
    return 0;
fail:
    Py_CLEAR(module_object);
    return -1;
}

PyModuleDef_Slot slots[] = {
    {Py_mod_create, reinterpret_cast<void*>(create)},
    {Py_mod_exec, reinterpret_cast<void*>(exec)},
    // frozen: per-interpreter support declared, and a second interpreter
    // refused all the same. The modules keep process-wide state (types, pools,
    // imported tables), so a
    // second interpreter must be refused. The create step refuses it with its
    // own message; declaring per-interpreter support lets that step run
    // instead of the interpreter's generic refusal.
    {Py_mod_multiple_interpreters, Py_MOD_PER_INTERPRETER_GIL_SUPPORTED},
    {Py_mod_gil, Py_MOD_GIL_USED},
    {0, nullptr},
};

PyModuleDef definition = {
    PyModuleDef_HEAD_INIT,
    nullptr,  // m_name, set by init_module
    nullptr,
    0,
    nullptr,
    slots,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace

PyObject* init_module(const ModuleInfo& info) {
    module_info = &info;
    definition.m_name = info.full_name;
    definition.m_doc = info.doc;
    return PyModuleDef_Init(&definition);
}

PyObject* this_module() { return module_object; }

}  // namespace korvex
