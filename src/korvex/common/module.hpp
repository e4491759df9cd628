// Module creation and exec. Every extension module of the package declares
//
//     KORVEX_MODULE(rect, exec_rect, "Rect, the rectangle ...")
//
// where exec_rect publishes the module's types and binds the types it uses.
// The scaffolding around it is the same for all: one interpreter per process,
// one module object per process, a version check, registration under the full
// dotted name, and __test__ at the end.
#pragma once

#include "korvex/common/args.hpp"
#include "korvex/common/python.hpp"

namespace korvex {

using ExecBody = int (*)(PyObject* module);

struct ModuleInfo {
    const char* short_name;  // "vector2"
    const char* full_name;   // "korvex.vector2.vector2"
    ExecBody exec;
    const char* doc = nullptr;  // the module's docstring (KORVEX_MODULE requires one)
};

// Returns the module definition for multi-phase initialisation.
PyObject* init_module(const ModuleInfo& info);

// The module object of this extension, once created (borrowed).
PyObject* this_module();

}  // namespace korvex

#define KORVEX_MODULE(name, exec_body, doc)                                                              \
    PyMODINIT_FUNC PyInit_##name() {                                                                     \
        static const ::korvex::ModuleInfo info{#name, "korvex." #name "." #name, exec_body,              \
                                               ::korvex::docstring<doc>.data()};                         \
        return ::korvex::init_module(info);                                                              \
    }
