// Leaks on purpose, for the sanitizer run's own tests: a leak in code of ours
// must fail the run whatever the suppressions list.
#include "registry.hpp"

namespace {

int bind() { return 0; }

// A float made by the interpreter for us, then dropped: the same allocation
// stack as the interpreter's own floats, up to the frame that is ours.
PyObject* leak_float(PyObject*, PyObject* args) {
    double value = 0;
    if (!PyArg_ParseTuple(args, "d", &value)) return nullptr;
    if (PyFloat_FromDouble(value) == nullptr) return nullptr;
    Py_RETURN_NONE;
}

// A block of our own, never freed.
PyObject* leak_block(PyObject*, PyObject*) {
    char* volatile block = new char[48];  // volatile: the allocation is kept
    static_cast<void>(block);
    Py_RETURN_NONE;
}

consumer::Register area("leak", bind,
                        {
                            consumer::function("leak_float", leak_float),
                            consumer::function("leak_block", leak_block),
                        });

}  // namespace
