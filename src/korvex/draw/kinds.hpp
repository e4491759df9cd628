// The draw module's own argument kinds, next to the shared ones of
// korvex/window/call.hpp.
#pragma once

#include <raylib.h>

#include "korvex/common/errors.hpp"
#include "korvex/texture/texture.hpp"
#include "korvex/window/call.hpp"

namespace korvex::draw {

// Bound at exec.
inline PyTypeObject* texture_type = nullptr;

// A Texture (korvex.texture.texture), read by value. raylib itself skips
// one whose id is 0 (unloaded, or made empty).
struct Picture {
    using Value = ::Texture;
    static constexpr const char* rule =
        "Textures are Texture objects (TypeError otherwise), as Texture.load or a RenderTexture gives.";
    static bool read(PyObject* obj, const char* param, Value& out) {
        if (!PyObject_TypeCheck(obj, texture_type)) return raise_argument_type(param, texture_type, obj);
        out = reinterpret_cast<TextureObject*>(obj)->_raw;
        return true;
    }
};

// The side count of a regular polygon. raylib draws at least 3 and loops
// once per side, so a count in the billions would hold the interpreter for
// minutes; counts past what a polygon can show on any screen are refused.
inline constexpr int max_polygon_sides = 65536;

struct Sides {
    using Value = int;
    static bool read(PyObject* obj, const char* param, Value& out) {
        if (!to_int32(obj, out)) return false;
        if (out <= max_polygon_sides) return true;
        PyErr_Format(PyExc_ValueError, "%s must be at most %d (got %d)", param, max_polygon_sides, out);
        return false;
    }
};

}  // namespace korvex::draw
