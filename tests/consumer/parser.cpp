// The like-argument parsers, taken from korvex.parser.parser.__pyx_capi__ by
// name and exact signature and called the way a native consumer calls them:
// the structure comes back by value and a pending exception means failure.
#include "korvex/parser/parser.hpp"
#include "registry.hpp"

namespace {

ParserAPI parsers{};

int bind() { return parser_import(parsers) ? 0 : -1; }

PyObject* single_argument(PyObject* args) {
    PyObject* value;
    if (!PyArg_ParseTuple(args, "O", &value)) return nullptr;
    return value;
}

PyObject* parser_color_like(PyObject*, PyObject* args) {
    PyObject* value = single_argument(args);
    if (value == nullptr) return nullptr;
    const Color c = parsers.parse_color_like(value);
    if (PyErr_Occurred()) return nullptr;
    return Py_BuildValue("(iiii)", c.r, c.g, c.b, c.a);
}

PyObject* parser_rect_like(PyObject*, PyObject* args) {
    PyObject* value = single_argument(args);
    if (value == nullptr) return nullptr;
    const Rectangle r = parsers.parse_rect_like(value);
    if (PyErr_Occurred()) return nullptr;
    return Py_BuildValue("(dddd)", static_cast<double>(r.x), static_cast<double>(r.y), static_cast<double>(r.width),
                         static_cast<double>(r.height));
}

PyObject* parser_vector2_like(PyObject*, PyObject* args) {
    PyObject* value = single_argument(args);
    if (value == nullptr) return nullptr;
    const Vector2 v = parsers.parse_vector2_like(value);
    if (PyErr_Occurred()) return nullptr;
    return Py_BuildValue("(dd)", static_cast<double>(v.x), static_cast<double>(v.y));
}

// Imports the parsers again into a scratch table: raises what parser_import
// raises (used to check its reports for a tampered __pyx_capi__).
PyObject* parser_reimport(PyObject*, PyObject*) {
    ParserAPI scratch{};
    if (!parser_import(scratch)) return nullptr;
    return PyBool_FromLong(scratch.parse_color_like == parsers.parse_color_like &&
                           scratch.parse_rect_like == parsers.parse_rect_like &&
                           scratch.parse_vector2_like == parsers.parse_vector2_like);
}

consumer::Register area("parser", bind,
                        {
                            consumer::function("parser_color_like", parser_color_like),
                            consumer::function("parser_rect_like", parser_rect_like),
                            consumer::function("parser_vector2_like", parser_vector2_like),
                            consumer::function("parser_reimport", parser_reimport),
                        });

}  // namespace
