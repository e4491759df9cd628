// Declarations of korvex.letter.letter for the modules that use GlyphInfo: the
// object layout and the native method table (its slot order is a contract
// between modules).
#pragma once

#include <raylib.h>

#include <cstddef>

#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"

struct GlyphInfoObject;

// `__pyx_new`: a new GlyphInfo holding a copy of `raw` and an Image object
// (korvex.image.image) that describes raw.image without owning its pixels;
// null with an exception set on failure, with nothing left behind.
struct GlyphInfoVTable {
    PyObject* (*__pyx_new)(GlyphInfo raw);
};

// `_image` is the Image object over `_raw.image`, or None in an object made
// from Python.
struct GlyphInfoObject {
    PyObject_HEAD
    GlyphInfoVTable* __pyx_vtab;
    GlyphInfo _raw;
    PyObject* _image;
};

KORVEX_LAYOUT(GlyphInfoObject, GlyphInfoVTable, _raw, 1);

inline constexpr const char* letter_module_name = "korvex.letter.letter";
