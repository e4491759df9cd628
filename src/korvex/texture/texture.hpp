// Declarations of korvex.texture.texture for the modules that use Texture:
// the object layout, the native method table (its slot order is a contract
// between modules) and the record of optional arguments of `__pyx_new`.
//
// A Texture wraps a raylib Texture (an object in the window's GL context). It
// unloads the GPU texture only if it owns it, and only while a window is
// open: the GL context, and every texture in it, goes with the window, and
// raylib crashes when asked to unload a texture without one.
#pragma once

#include <raylib.h>

#include <cstddef>

#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"

struct TextureObject;

// Optional arguments of `__pyx_new`: `count` says how many of the fields after
// it were given. Without `is_owner` (count 0, or no record at all) the new
// Texture does not own the GPU texture, so a forgotten flag can leak but never
// unload a texture that belongs to someone else.
struct TextureNewOptions {
    int count;
    int is_owner;
};

// Object results are new references, or null with an exception set.
//
// `__pyx_new`: a Texture object over `raw`, owning it as the options say.
// `c_load`: loads an image file (str, bytes or path-like name) into a new
//     owning Texture; RuntimeError when no window is ready or raylib fails.
// `c_load_from_image`: uploads the pixels of `image` into a new owning
//     Texture; RuntimeError when no window is ready or raylib fails.
// `c_unload`: unloads the GPU texture if the object owns it (skipping raylib
//     when no window is ready) and forgets it: the object then reads all zero
//     and owns nothing, so unloading again does nothing. Cannot fail.
struct TextureVTable {
    PyObject* (*__pyx_new)(Texture raw, TextureNewOptions* options);
    PyObject* (*c_load)(PyObject* file_name);
    PyObject* (*c_load_from_image)(Image image);
    void (*c_unload)(TextureObject* self);
};

struct TextureObject {
    PyObject_HEAD
    TextureVTable* __pyx_vtab;
    Texture _raw;
    int is_owner;
};

KORVEX_LAYOUT(TextureObject, TextureVTable, _raw, 4);

inline constexpr const char* texture_module_name = "korvex.texture.texture";
using ImportedTexture = korvex::Imported<TextureObject, TextureVTable, texture_module_name, "Texture">;
