// The test-only consumer module is assembled from one file per area
// (vector2.cpp, rect.cpp, ...). Each file registers the functions it exposes
// and a bind step that imports the korvex types it uses, exactly as a
// third-party extension module would; consumer.cpp runs every bind step at
// import and publishes every function.
#pragma once

#include <initializer_list>
#include <vector>

#include "korvex/common/python.hpp"

namespace consumer {

struct Area {
    const char* name;
    int (*bind)();
    std::vector<PyMethodDef> functions;  // null-terminated once registered
};

std::vector<Area>& areas();

struct Register {
    Register(const char* name, int (*bind)(), std::initializer_list<PyMethodDef> functions);
};

// A METH_VARARGS entry.
inline PyMethodDef function(const char* name, PyObject* (*impl)(PyObject*, PyObject*)) {
    return {name, impl, METH_VARARGS, nullptr};
}

// A METH_O entry: one positional argument, passed as it is (the benchmark
// times the parsers through these, so the call itself should cost little).
inline PyMethodDef function_of_one(const char* name, PyObject* (*impl)(PyObject*, PyObject*)) {
    return {name, impl, METH_O, nullptr};
}

}  // namespace consumer
