// Declarations of korvex.rect.rect for the modules that use Rect: the object
// layout (other modules read `_raw` directly) and the native method table,
// whose slot order is a contract between modules.
#pragma once

#include <raylib.h>

#include <cstddef>

#include "korvex/common/python.hpp"
#include "korvex/common/types.hpp"
#include "korvex/vector2/vector2.hpp"
#include "korvex/vector4/vector4.hpp"

struct RectObject;

// Object results are new references (null with an exception set on failure).
// The int slots return 1 or 0; 0 with an exception set reports a failure.
// A dispatch flag of 0 lets a Python subclass's override of the method of the
// same name answer instead of the slot's own body.
struct RectVTable {
    PyObject* (*__pyx_new)(Rectangle raw);
    PyObject* (*get_width)(RectObject* self, int skip_dispatch);
    PyObject* (*get_height)(RectObject* self, int skip_dispatch);
    int (*collide_point)(RectObject* self, PyObject* point, int skip_dispatch);
    int (*collide_point_vector2)(RectObject* self, Vector2Object* point, int skip_dispatch);
    int (*collide_point_tuple)(RectObject* self, PyObject* point, int skip_dispatch);
    int (*collide_point_list)(RectObject* self, PyObject* point, int skip_dispatch);
    int (*collide_rect)(RectObject* self, PyObject* other, int skip_dispatch);
    int (*collide_rect_vector4)(RectObject* self, Vector4Object* other, int skip_dispatch);
    int (*collide_rect_rect)(RectObject* self, RectObject* other, int skip_dispatch);
    int (*collide_rect_tuple)(RectObject* self, PyObject* other, int skip_dispatch);
    int (*collide_rect_list)(RectObject* self, PyObject* other, int skip_dispatch);
    PyObject* (*get_vector4)(RectObject* self, int skip_dispatch);
    PyObject* (*get_tuple)(RectObject* self, int skip_dispatch);
};

struct RectObject {
    PyObject_HEAD
    RectVTable* __pyx_vtab;
    Rectangle _raw;
};

KORVEX_LAYOUT(RectObject, RectVTable, _raw, 14);

inline constexpr const char* rect_module_name = "korvex.rect.rect";
using ImportedRect = korvex::Imported<RectObject, RectVTable, rect_module_name, "Rect">;
