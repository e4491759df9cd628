// Declarations of korvex.image.image for the modules that use Image: the
// object layout, the native method table (its slot order is a contract between
// modules) and the record of optional arguments of `__pyx_new`.
//
// An Image wraps a raylib Image (pixel data in CPU memory). It frees the pixel
// data when it is released only if it owns it; an Image that merely describes
// pixels owned elsewhere (a font's glyph, say) leaves them alone.
#pragma once

#include <raylib.h>

#include <cstddef>

#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"

struct ImageObject;

// Optional arguments of `__pyx_new`: `count` says how many of the fields after
// it were given. Without `is_owner` (count 0, or no record at all) the new
// Image does not own the pixel data, so a forgotten flag can leak but never
// free memory that belongs to someone else.
struct ImageNewOptions {
    int count;
    int is_owner;
};

// Object results are new references, or null with an exception set.
//
// `__pyx_new` copies the raylib Image into a new object. A negative width or
// height raises ValueError: such a record describes no pixels, and raylib's
// image functions would compute negative sizes from it.
struct ImageVTable {
    PyObject* (*__pyx_new)(Image raw, ImageNewOptions* options);
};

struct ImageObject {
    PyObject_HEAD
    ImageVTable* __pyx_vtab;
    Image _raw;
    int is_owner;
};

KORVEX_LAYOUT(ImageObject, ImageVTable, _raw, 1);

inline constexpr const char* image_module_name = "korvex.image.image";
using ImportedImage = korvex::Imported<ImageObject, ImageVTable, image_module_name, "Image">;
