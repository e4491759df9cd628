#include "korvex/common/types.hpp"

#include <cstring>

#include "korvex/common/pickle.hpp"

namespace korvex {

PyTypeObject static_type(Py_ssize_t basicsize, const TypeSlots& slots) {
    PyTypeObject type{};
    PyVarObject head[] = {PyVarObject_HEAD_INIT(nullptr, 0)};
    type.ob_base = head[0];
    const bool collected = slots.collector.traverse != nullptr;
    type.tp_name = slots.name;
    type.tp_basicsize = basicsize;
    type.tp_flags = Py_TPFLAGS_DEFAULT | (slots.subclassable ? Py_TPFLAGS_BASETYPE : 0) |
                    (collected ? Py_TPFLAGS_HAVE_GC : 0);
    type.tp_new = slots.lifecycle.create;
    type.tp_init = slots.lifecycle.init;
    type.tp_vectorcall = slots.lifecycle.call;
    type.tp_dealloc = slots.lifecycle.dealloc;
    type.tp_free = collected ? PyObject_GC_Del : PyObject_Free;
    type.tp_traverse = slots.collector.traverse;
    type.tp_clear = slots.collector.clear;
    type.tp_repr = slots.protocols.repr;
    type.tp_hash = slots.protocols.hash;
    type.tp_richcompare = slots.protocols.compare;
    type.tp_iter = slots.protocols.iter;
    type.tp_iternext = slots.protocols.next;
    type.tp_as_number = slots.protocols.number;
    type.tp_as_sequence = slots.protocols.sequence;
    type.tp_as_mapping = slots.protocols.mapping;
    type.tp_methods = slots.methods;
    type.tp_getset = slots.getset;
    return type;
}

int publish_type(PyObject* module, PyTypeObject* type, void* vtable) {
    if (PyType_Ready(type) < 0) return -1;
    if (vtable != nullptr) {
        PyObject* capsule = PyCapsule_New(vtable, nullptr, nullptr);
        if (capsule == nullptr) return -1;
        int status = PyDict_SetItemString(type->tp_dict, "__pyx_vtable__", capsule);
        Py_DECREF(capsule);
        if (status < 0) return -1;
        PyType_Modified(type);
    }
    if (install_pickling(type) < 0) return -1;
    const char* dot = strrchr(type->tp_name, '.');
    return PyModule_AddObjectRef(module, dot ? dot + 1 : type->tp_name, reinterpret_cast<PyObject*>(type));
}

int export_function(PyObject* module, const char* name, void* function, const char* signature) {
    PyObject* capi = nullptr;
    if (PyObject_GetOptionalAttrString(module, "__pyx_capi__", &capi) < 0) return -1;
    if (capi == nullptr) {
        capi = PyDict_New();
        if (capi == nullptr || PyModule_AddObjectRef(module, "__pyx_capi__", capi) < 0) {
            Py_XDECREF(capi);
            return -1;
        }
    }
    PyObject* capsule = PyCapsule_New(function, signature, nullptr);
    int status = capsule == nullptr ? -1 : PyDict_SetItemString(capi, name, capsule);
    Py_XDECREF(capsule);
    Py_DECREF(capi);
    return status;
}

namespace {

// The size rule: the type's actual size (basic size plus item size, a nonzero
// item size below a pointer counting as a pointer) must not be smaller than the
// size this module was compiled against; a larger basic size only warns.
bool check_size(PyTypeObject* type, const char* module_name, const char* class_name, std::size_t expected) {
    Py_ssize_t basic = type->tp_basicsize;
    Py_ssize_t item = type->tp_itemsize;
    if (item != 0 && item < static_cast<Py_ssize_t>(sizeof(void*))) item = sizeof(void*);
    const auto wanted = static_cast<Py_ssize_t>(expected);
    const char* text = "%.200s.%.200s size changed, may indicate binary incompatibility. Expected %zd from C header, got %zd from PyObject";
    if (basic + item < wanted) {
        PyErr_Format(PyExc_ValueError, text, module_name, class_name, wanted, basic + item);
        return false;
    }
    if (basic > wanted) {
        return PyErr_WarnFormat(PyExc_RuntimeWarning, 0, text, module_name, class_name, wanted, basic) == 0;
    }
    return true;
}

}  // namespace

PyTypeObject* import_type(const char* module_name, const char* class_name, std::size_t expected_size,
                          void** vtable) {
    PyObject* module = PyImport_ImportModule(module_name);
    if (module == nullptr) return nullptr;
    PyObject* found = PyObject_GetAttrString(module, class_name);
    Py_DECREF(module);
    if (found == nullptr) return nullptr;
    if (!PyType_Check(found)) {
        PyErr_Format(PyExc_TypeError, "%.200s.%.200s is not a type object", module_name, class_name);
        Py_DECREF(found);
        return nullptr;
    }
    auto* type = reinterpret_cast<PyTypeObject*>(found);
    if (!check_size(type, module_name, class_name, expected_size)) {
        Py_DECREF(found);
        return nullptr;
    }
    if (vtable != nullptr) {
        // A missing key propagates the KeyError of the lookup. The dict is
        // asked for through PyType_GetDict: the interpreter's own static
        // types keep theirs per interpreter and leave tp_dict null.
        PyObject* dict = PyType_GetDict(type);
        PyObject* capsule = dict == nullptr ? nullptr : PyMapping_GetItemString(dict, "__pyx_vtable__");
        Py_XDECREF(dict);
        *vtable = capsule == nullptr ? nullptr : PyCapsule_GetPointer(capsule, nullptr);
        Py_XDECREF(capsule);
        if (*vtable == nullptr) {
            if (!PyErr_Occurred())
                PyErr_SetString(PyExc_RuntimeError, "invalid vtable found for imported type");
            Py_DECREF(found);
            return nullptr;
        }
    }
    return type;
}

}  // namespace korvex
