// The like-argument parsers, taken from korvex.parser.parser.__pyx_capi__ by
// name and exact signature and called the way a native consumer calls them:
// the structure comes back by value and a pending exception means failure.
#include "korvex/parser/parser.hpp"
#include "registry.hpp"

namespace {

ParserAPI parsers{};

int bind() { return parser_import(parsers) ? 0 : -1; }

PyObject* parser_color_like(PyObject*, PyObject* value) {
    const Color c = parsers.parse_color_like(value);
    if (PyErr_Occurred()) return nullptr;
    const long channels[] = {c.r, c.g, c.b, c.a};
    return korvex::tuple_of(PyLong_FromLong, channels);
}

PyObject* parser_rect_like(PyObject*, PyObject* value) {
    const Rectangle r = parsers.parse_rect_like(value);
    if (PyErr_Occurred()) return nullptr;
    const double fields[] = {r.x, r.y, r.width, r.height};
    return korvex::tuple_of(PyFloat_FromDouble, fields);
}

PyObject* parser_vector2_like(PyObject*, PyObject* value) {
    const Vector2 v = parsers.parse_vector2_like(value);
    if (PyErr_Occurred()) return nullptr;
    const double components[] = {v.x, v.y};
    return korvex::tuple_of(PyFloat_FromDouble, components);
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
                            consumer::function_of_one("parser_color_like", parser_color_like),
                            consumer::function_of_one("parser_rect_like", parser_rect_like),
                            consumer::function_of_one("parser_vector2_like", parser_vector2_like),
                            consumer::function("parser_reimport", parser_reimport),
                        });

}  // namespace
