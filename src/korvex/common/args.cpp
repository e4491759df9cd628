#include "korvex/common/args.hpp"

#include <algorithm>

namespace korvex {

void raise_argument_count(const char* name, bool exact, Py_ssize_t minimum, Py_ssize_t maximum,
                          Py_ssize_t given) {
    const char* how;
    Py_ssize_t expected;
    if (given < minimum) {
        expected = minimum;
        how = exact ? "exactly" : "at least";
    } else {
        expected = maximum;
        how = exact ? "exactly" : "at most";
    }
    PyErr_Format(PyExc_TypeError, "%.200s() takes %.8s %zd positional argument%.1s (%zd given)", name, how,
                 expected, expected == 1 ? "" : "s", given);
}

void raise_unexpected_keyword(const char* name, PyObject* keyword) {
    if (!PyUnicode_Check(keyword)) {
        PyErr_Format(PyExc_TypeError, "%.200s() keywords must be strings", name);
        return;
    }
    PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", name, keyword);
}

bool reject_keyword_dict(const char* name, PyObject* kwds) {
    if (kwds == nullptr || PyDict_GET_SIZE(kwds) == 0) return true;
    Py_ssize_t pos = 0;
    PyObject* key;
    PyObject* value;
    PyDict_Next(kwds, &pos, &key, &value);
    raise_unexpected_keyword(name, key);
    return false;
}

namespace {

Py_ssize_t find_param(PyObject* keyword, const char* const* params, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (PyUnicode_EqualToUTF8(keyword, params[i])) return static_cast<Py_ssize_t>(i);
    return -1;
}

}  // namespace

// The checks run in the order callers observe: too many positional arguments,
// then, keyword by keyword, a name that is no parameter or repeats a
// positional one, then a missing required argument. Keywords come before the
// missing-argument check so that f(a, first=b) reports the repeated "first"
// rather than the count.
bool parse_arguments(const char* name, const char* const* params, std::size_t count, std::size_t required,
                     PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** out,
                     std::size_t leading) {
    const bool exact = required == count;
    const auto max = static_cast<Py_ssize_t>(count);
    const auto min = static_cast<Py_ssize_t>(required);
    if (nargs > max) {
        raise_argument_count(name, exact, min, max, nargs);
        return false;
    }
    // Positional arguments fill from `first` on: past the optional leading
    // parameters that they are too few to reach.
    const Py_ssize_t first = std::min(static_cast<Py_ssize_t>(leading), max - nargs);
    // Every slot is written here, so callers may pass an uninitialised array.
    for (Py_ssize_t i = 0; i < max; ++i) out[i] = i >= first && i < first + nargs ? args[i - first] : nullptr;
    const Py_ssize_t nkw = kwnames == nullptr ? 0 : PyTuple_GET_SIZE(kwnames);
    for (Py_ssize_t k = 0; k < nkw; ++k) {
        PyObject* keyword = PyTuple_GET_ITEM(kwnames, k);
        if (!PyUnicode_Check(keyword)) {
            PyErr_Format(PyExc_TypeError, "%.200s() keywords must be strings", name);
            return false;
        }
        Py_ssize_t index = find_param(keyword, params, count);
        if (index < 0) {
            raise_unexpected_keyword(name, keyword);
            return false;
        }
        if (out[index] != nullptr) {
            PyErr_Format(PyExc_TypeError, "%s() got multiple values for keyword argument '%U'", name, keyword);
            return false;
        }
        out[index] = args[nargs + k];
    }
    if (leading > 0) {
        for (Py_ssize_t i = static_cast<Py_ssize_t>(leading); i < max; ++i) {
            if (out[i] == nullptr) {
                raise_argument_count(name, exact, min, max, nargs);
                return false;
            }
        }
        return true;
    }
    for (Py_ssize_t i = nargs; i < min; ++i) {
        if (out[i] == nullptr) {
            raise_argument_count(name, exact, min, max, i);
            return false;
        }
    }
    return true;
}

PyObject* call_with_dict(PyObject* (*impl)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*), PyObject* self,
                         PyObject* args, PyObject* kwds) {
    const Py_ssize_t nargs = PyTuple_GET_SIZE(args);
    const Py_ssize_t nkw = kwds == nullptr ? 0 : PyDict_GET_SIZE(kwds);
    if (nkw == 0) return impl(self, &PyTuple_GET_ITEM(args, 0), nargs, nullptr);
    PyObject** stack = PyMem_New(PyObject*, nargs + nkw);
    PyObject* kwnames = PyTuple_New(nkw);
    if (stack == nullptr || kwnames == nullptr) {
        PyMem_Free(stack);
        Py_XDECREF(kwnames);
        return PyErr_NoMemory();
    }
    for (Py_ssize_t i = 0; i < nargs; ++i) stack[i] = PyTuple_GET_ITEM(args, i);
    Py_ssize_t pos = 0, k = 0;
    PyObject *key, *value;
    while (PyDict_Next(kwds, &pos, &key, &value)) {
        PyTuple_SET_ITEM(kwnames, k, Py_NewRef(key));
        stack[nargs + k] = value;
        ++k;
    }
    PyObject* result = impl(self, stack, nargs, kwnames);
    PyMem_Free(stack);
    Py_DECREF(kwnames);
    return result;
}

int init_without_arguments(PyObject*, PyObject* args, PyObject* kwds) {
    const Py_ssize_t nargs = PyTuple_GET_SIZE(args);
    if (nargs != 0) {
        raise_argument_count("__init__", true, 0, 0, nargs);
        return -1;
    }
    return reject_keyword_dict("__init__", kwds) ? 0 : -1;
}

PyObject* call_type_generically(PyObject* type, PyObject* const* args, size_t nargsf, PyObject* kwnames) {
    const Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    const Py_ssize_t nkw = kwnames == nullptr ? 0 : PyTuple_GET_SIZE(kwnames);
    PyObject* tuple = PyTuple_New(nargs);
    PyObject* dict = nkw == 0 ? nullptr : PyDict_New();
    PyObject* result = nullptr;
    if (tuple == nullptr || (nkw != 0 && dict == nullptr)) goto done;
    for (Py_ssize_t i = 0; i < nargs; ++i) PyTuple_SET_ITEM(tuple, i, Py_NewRef(args[i]));
    for (Py_ssize_t k = 0; k < nkw; ++k)
        if (PyDict_SetItem(dict, PyTuple_GET_ITEM(kwnames, k), args[nargs + k]) < 0) goto done;
    result = PyType_Type.tp_call(type, tuple, dict);
done:
    Py_XDECREF(tuple);
    Py_XDECREF(dict);
    return result;
}

}  // namespace korvex
