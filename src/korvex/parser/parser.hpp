// Declarations of korvex.parser.parser for the modules that accept
// vector2-like, colour-like and rectangle-like arguments. The module exports
// three functions under __pyx_capi__, each in a capsule named by its
// signature; a consumer imports them once (parser_import) and calls them with
// a borrowed object.
//
// Each function returns a structure in every case. On failure an exception is
// set and the structure means nothing, so a caller must test PyErr_Occurred()
// after every call.
#pragma once

#include <raylib.h>

#include "korvex/common/python.hpp"

using ParseColorLike = Color (*)(PyObject* color);
using ParseRectLike = Rectangle (*)(PyObject* rect);
using ParseVector2Like = Vector2 (*)(PyObject* dest);

inline constexpr const char* parser_module_name = "korvex.parser.parser";

// Names in __pyx_capi__ and the capsule names (signatures), in export order.
inline constexpr const char* parse_color_like_name = "parse_color_like";
inline constexpr const char* parse_color_like_signature = "struct Color (PyObject *)";
inline constexpr const char* parse_rect_like_name = "parse_rect_like";
inline constexpr const char* parse_rect_like_signature = "struct Rectangle (PyObject *)";
inline constexpr const char* parse_vector2_like_name = "parse_vector2_like";
inline constexpr const char* parse_vector2_like_signature = "struct Vector2 (PyObject *)";

struct ParserAPI {
    ParseColorLike parse_color_like;
    ParseRectLike parse_rect_like;
    ParseVector2Like parse_vector2_like;
};

namespace korvex::detail {

// The pointer held by capi[name], whose capsule must carry `signature`.
inline void* parser_function(PyObject* capi, const char* name, const char* signature) {
    PyObject* capsule = nullptr;
    if (PyDict_GetItemStringRef(capi, name, &capsule) <= 0) {
        if (!PyErr_Occurred())
            PyErr_Format(PyExc_ImportError, "%.200s does not export expected C function %.200s", parser_module_name,
                         name);
        return nullptr;
    }
    void* function = nullptr;
    if (PyCapsule_IsValid(capsule, signature)) {
        function = PyCapsule_GetPointer(capsule, signature);
    } else {
        const char* found = PyCapsule_GetName(capsule);
        if (found != nullptr || !PyErr_Occurred())
            PyErr_Format(PyExc_TypeError, "C function %.200s.%.200s has wrong signature (expected %.500s, got %.500s)",
                         parser_module_name, name, signature, found != nullptr ? found : "(null)");
    }
    Py_DECREF(capsule);
    return function;
}

}  // namespace korvex::detail

// Imports korvex.parser.parser and fills `api`; false with an exception set
// when the module, its __pyx_capi__ or a function with the expected signature
// is missing.
inline bool parser_import(ParserAPI& api) {
    PyObject* module = PyImport_ImportModule(parser_module_name);
    if (module == nullptr) return false;
    PyObject* capi = PyObject_GetAttrString(module, "__pyx_capi__");
    Py_DECREF(module);
    if (capi == nullptr) return false;
    bool ok = PyDict_Check(capi);
    if (!ok) PyErr_Format(PyExc_TypeError, "%.200s.__pyx_capi__ is not a dict", parser_module_name);
    void* color = ok ? korvex::detail::parser_function(capi, parse_color_like_name, parse_color_like_signature) : nullptr;
    void* rect = color ? korvex::detail::parser_function(capi, parse_rect_like_name, parse_rect_like_signature) : nullptr;
    void* vector2 =
        rect ? korvex::detail::parser_function(capi, parse_vector2_like_name, parse_vector2_like_signature) : nullptr;
    Py_DECREF(capi);
    if (vector2 == nullptr) return false;
    api.parse_color_like = reinterpret_cast<ParseColorLike>(color);
    api.parse_rect_like = reinterpret_cast<ParseRectLike>(rect);
    api.parse_vector2_like = reinterpret_cast<ParseVector2Like>(vector2);
    return true;
}
