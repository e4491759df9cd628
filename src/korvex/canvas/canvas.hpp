// Declarations of korvex.canvas.canvas for the modules that use RenderTexture:
// the object layout and the native method table (its slot order is a contract
// between modules).
#pragma once

#include <raylib.h>

#include <cstddef>

#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"

struct RenderTextureObject;

// "self" is a borrowed RenderTexture (subclasses allowed).
//
// `__pyx_new`: a new RenderTexture loaded as the constructor loads it; null
//     with an exception set on failure.
// `c_unload`, `begin`, `end`: report failure only by a pending exception, so
//     callers test PyErr_Occurred() after the call. `begin` and `end` fail with
//     RuntimeError when no window is ready (raylib would crash). With a
//     dispatch flag of 0 they let a Python subclass's override of the method
//     of the same name run instead (its result is ignored).
struct RenderTextureVTable {
    PyObject* (*__pyx_new)(int width, int height);
    void (*c_unload)(RenderTextureObject* self);
    void (*begin)(RenderTextureObject* self, int skip_dispatch);
    void (*end)(RenderTextureObject* self, int skip_dispatch);
};

// `_texture` and `_depth` are Texture objects (korvex.texture.texture) that
// describe the two attachments of `_raw` without owning them, or None before
// the render texture is loaded. After an unload `_raw` is all zero.
struct RenderTextureObject {
    PyObject_HEAD
    RenderTextureVTable* __pyx_vtab;
    RenderTexture2D _raw;
    PyObject* _texture;
    PyObject* _depth;
};

KORVEX_LAYOUT(RenderTextureObject, RenderTextureVTable, _raw, 4);

inline constexpr const char* canvas_module_name = "korvex.canvas.canvas";
