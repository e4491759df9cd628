// Declarations of korvex.color.color for the modules that use Color: the
// object layout (other modules read `_raw` directly), the native method table
// (its slot order is a contract between modules) and the channel clamp.
#pragma once

#include <raylib.h>

#include <cstddef>

#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"

struct ColorObject;

// "self", "other" and "tint" are borrowed Color objects (subclasses allowed).
// Object results are new references, or null with an exception set. With a
// dispatch flag of 0, `fade` and `to_int` let a Python subclass's override of
// the method of the same name answer instead; a failure of that override is
// reported with the exception set (and 0 from `to_int`), so callers passing 0
// must check PyErr_Occurred().
struct ColorVTable {
    PyObject* (*__pyx_new)(int r, int g, int b, int a);
    int (*c_equal)(ColorObject* self, ColorObject* other);
    PyObject* (*c_normalize)(ColorObject* self);
    PyObject* (*c_tint)(ColorObject* self, ColorObject* tint);
    void (*fade)(ColorObject* self, float alpha, int skip_dispatch);
    int (*to_int)(ColorObject* self, int skip_dispatch);
};

struct ColorObject {
    PyObject_HEAD
    ColorVTable* __pyx_vtab;
    Color _raw;
};

KORVEX_LAYOUT(ColorObject, ColorVTable, _raw, 6);

// Every channel that enters a Color goes through this: below 0 gives 0,
// above 255 gives 255.
inline constexpr unsigned char color_clamp(int value) {
    return static_cast<unsigned char>(value < 0 ? 0 : value > 255 ? 255 : value);
}

inline constexpr Color color_new(int r, int g, int b, int a) {
    return Color{color_clamp(r), color_clamp(g), color_clamp(b), color_clamp(a)};
}

inline constexpr const char* color_module_name = "korvex.color.color";
using ImportedColor = korvex::Imported<ColorObject, ColorVTable, color_module_name, "Color">;
