#include "korvex/common/pickle.hpp"

#include <cinttypes>
#include <cstdio>

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/module.hpp"

namespace korvex {

namespace {

constexpr const char* private_reduce = reduce_sig.name;
constexpr const char* private_setstate = setstate_sig.name;

// frozen: the refusal messages name a switch, "KORVEX_PICKLE_STRUCTS", that no
// build of korvex has; callers match the words as they stand.
#define KORVEX_PICKLE_SWITCH "the build option KORVEX_PICKLE_STRUCTS"

const char* refusal_message(PickleRefusal kind) {
    switch (kind) {
        case PickleRefusal::VectorData:
            return "Pickling of struct members such as self.data must be explicitly requested with "
                KORVEX_PICKLE_SWITCH;
        case PickleRefusal::RawStruct:
            return "Pickling of struct members such as self._raw must be explicitly requested with "
                KORVEX_PICKLE_SWITCH;
        case PickleRefusal::Unconvertible: break;
    }
    return "self._raw cannot be converted to a Python object for pickling";
}

// Whether `name` resolves on `type` to the attribute that `object` defines.
int inherits_from_object(PyTypeObject* type, const char* name) {
    PyObject* own = PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), name);
    if (own == nullptr) return -1;
    PyObject* base = PyObject_GetAttrString(reinterpret_cast<PyObject*>(&PyBaseObject_Type), name);
    if (base == nullptr) {
        Py_DECREF(own);
        return -1;
    }
    int same = PyObject_RichCompareBool(own, base, Py_EQ);
    Py_DECREF(own);
    Py_DECREF(base);
    return same;
}

int move_hook(PyObject* dict, const char* from, const char* to) {
    PyObject* hook = nullptr;
    if (PyDict_GetItemStringRef(dict, from, &hook) <= 0) return hook == nullptr && PyErr_Occurred() ? -1 : 0;
    int status = PyDict_SetItemString(dict, to, hook);
    Py_DECREF(hook);
    if (status < 0) return -1;
    return PyDict_DelItemString(dict, from);
}

int install(PyTypeObject* type) {
    PyObject* dict = type->tp_dict;
    int plain_reduce_ex = inherits_from_object(type, "__reduce_ex__");
    if (plain_reduce_ex < 0) return -1;
    if (plain_reduce_ex) {
        int plain_reduce = inherits_from_object(type, "__reduce__");
        if (plain_reduce < 0) return -1;
        if (plain_reduce && move_hook(dict, private_reduce, "__reduce__") < 0) return -1;
    }
    int has_setstate = PyObject_HasAttrStringWithError(reinterpret_cast<PyObject*>(type), "__setstate__");
    if (has_setstate < 0) return -1;
    if (!has_setstate && move_hook(dict, private_setstate, "__setstate__") < 0) return -1;
    PyType_Modified(type);
    return 0;
}

// frozen: the checksums accepted for an empty member list: the leading 28 bits of the
// SHA-256, SHA-1 and MD5 digests of the empty string. The first is written.
constexpr long long stateless_checksums[] = {0xe3b0c44, 0xda39a3e, 0xd41d8cd};
constexpr long long stateless_checksum = stateless_checksums[0];

bool is_stateless_checksum(long long value) {
    for (long long accepted : stateless_checksums)
        if (value == accepted) return true;
    return false;
}

KORVEX_COLD bool raise_checksum_mismatch(long long checksum) {
    PyObject* pickle = PyImport_ImportModule("pickle");
    if (pickle == nullptr) return false;
    PyObject* error = PyObject_GetAttrString(pickle, "PickleError");
    Py_DECREF(pickle);
    if (error == nullptr) return false;
    char given[32];
    snprintf(given, sizeof given, "%s%llx", checksum < 0 ? "-" : "",
             checksum < 0 ? 0ULL - static_cast<unsigned long long>(checksum) : static_cast<unsigned long long>(checksum));
    // frozen: the member list after "=" is empty and kept as "()".
    PyErr_Format(error, "Incompatible checksums (0x%s vs (0x%llx, 0x%llx, 0x%llx) = (%s))", given,
                 stateless_checksums[0], stateless_checksums[1], stateless_checksums[2], "");
    Py_DECREF(error);
    return false;
}

}  // namespace

PyObject* refuse_pickling(PickleRefusal kind) {
    PyErr_SetString(PyExc_TypeError, refusal_message(kind));
    return nullptr;
}

int install_pickling(PyTypeObject* type) {
    if (install(type) == 0) return 0;
    PyErr_Clear();
    PyErr_Format(PyExc_RuntimeError, "Unable to initialize pickling for %.200s", type->tp_name);
    return -1;
}

PyObject* reduce_stateless(PyObject* self, const char* rebuild_name) {
    PyObject* rebuild = PyObject_GetAttrString(this_module(), rebuild_name);
    if (rebuild == nullptr) return nullptr;
    PyObject* dict = nullptr;
    PyObject* dict_name = interned<"__dict__">();
    if (dict_name == nullptr || PyObject_GetOptionalAttr(self, dict_name, &dict) < 0) {
        Py_DECREF(rebuild);
        return nullptr;
    }
    PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(self));
    PyObject* result;
    if (dict != nullptr && dict != Py_None) {
        result = Py_BuildValue("N(OlO)(N)", rebuild, type, static_cast<long>(stateless_checksum), Py_None, dict);
    } else {
        Py_XDECREF(dict);
        result = Py_BuildValue("N(Ol())", rebuild, type, static_cast<long>(stateless_checksum));
    }
    return result;
}

PyObject* apply_stateless_state(PyObject* self, PyObject* state) {
    if (state != Py_None && !PyTuple_Check(state)) return raise_expected("tuple", state);
    // None fails here with len()'s TypeError. A tuple is measured by its own
    // size: a subclass's __len__ may claim items that the tuple does not hold.
    Py_ssize_t size = state == Py_None ? PyObject_Length(state) : PyTuple_GET_SIZE(state);
    if (size < 0) return nullptr;
    if (size > 0) {
        PyObject* extra = PyTuple_GET_ITEM(state, 0);
        int truth = PyObject_IsTrue(extra);
        if (truth < 0) return nullptr;
        if (truth) {
            PyObject* dict_name = interned<"__dict__">();
            PyObject* dict = dict_name == nullptr ? nullptr : PyObject_GetAttr(self, dict_name);
            if (dict == nullptr) return nullptr;
            int status;
            if (PyDict_CheckExact(extra)) {
                status = PyDict_Update(dict, extra);
            } else {
                PyObject* done = PyObject_CallMethod(dict, "update", "O", extra);
                status = done == nullptr ? -1 : 0;
                Py_XDECREF(done);
            }
            Py_DECREF(dict);
            if (status < 0) return nullptr;
        }
    }
    Py_RETURN_NONE;
}

PyObject* rebuild_stateless(PyObject* type, PyObject* checksum, PyObject* state) {
    long long value;
    if (!to_int64(checksum, value)) return nullptr;
    if (!is_stateless_checksum(value)) {
        raise_checksum_mismatch(value);
        return nullptr;
    }
    PyObject* new_name = interned<"__new__">();
    PyObject* object = new_name == nullptr ? nullptr : PyObject_CallMethodOneArg(type, new_name, type);
    if (object == nullptr) return nullptr;
    if (state != Py_None) {
        PyObject* done = apply_stateless_state(object, state);
        if (done == nullptr) {
            Py_DECREF(object);
            return nullptr;
        }
        Py_DECREF(done);
    }
    return object;
}

}  // namespace korvex
