// korvex_consumer: a test-only extension module that binds to korvex types
// through their published native tables and calls them without Python calls.
#include "korvex/common/module.hpp"
#include "registry.hpp"

namespace consumer {

std::vector<Area>& areas() {
    static std::vector<Area> all;
    return all;
}

Register::Register(const char* name, int (*bind)(), std::initializer_list<PyMethodDef> functions) {
    Area area{name, bind, functions};
    area.functions.push_back({nullptr, nullptr, 0, nullptr});
    areas().push_back(std::move(area));
}

}  // namespace consumer

namespace {

int exec_consumer(PyObject* module) {
    for (auto& area : consumer::areas()) {
        if (area.bind() < 0) return -1;
        if (PyModule_AddFunctions(module, area.functions.data()) < 0) return -1;
    }
    return 0;
}

}  // namespace

// The binding layer names modules korvex.<name>.<name>; the consumer is
// imported as the top-level korvex_consumer, so it declares itself directly.
PyMODINIT_FUNC PyInit_korvex_consumer() {
    static const korvex::ModuleInfo info{"korvex_consumer", "korvex_consumer", exec_consumer};
    return korvex::init_module(info);
}
