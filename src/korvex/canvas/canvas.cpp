// korvex.canvas.canvas: RenderTexture, an off-screen framebuffer of raylib
// with a colour and a depth texture, drawn into between begin() and end() or
// inside a `with` block.
//
// raylib crashes the process when texture mode is entered or left without a
// window, and when a render texture is unloaded after its window closed (it
// still reports such a render texture as valid). So drawing without a window
// raises RuntimeError, and unloading without a window forgets the framebuffer
// without calling raylib: the GL context, and everything in it, went with the
// window.
#include "korvex/canvas/canvas.hpp"

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/module.hpp"
#include "korvex/common/override.hpp"
#include "korvex/common/pickle.hpp"
#include "korvex/common/properties.hpp"
#include "korvex/common/types.hpp"
#include "korvex/image/image.hpp"
#include "korvex/texture/texture.hpp"

namespace {

using korvex::parse;
using korvex::signature;

extern PyTypeObject render_texture_type;
ImportedTexture texture_class;
ImportedImage image_class;
extern RenderTextureVTable vtable;

// Made at exec: the attribute that unload() consults, and the context under
// which deallocation reports a failed unload.
PyObject* valid_name = nullptr;
PyObject* dealloc_context = nullptr;

RenderTextureObject* as_render_texture(PyObject* self) { return reinterpret_cast<RenderTextureObject*>(self); }
PyObject* as_object(RenderTextureObject* self) { return reinterpret_cast<PyObject*>(self); }

// Whether `_raw` still names GL objects (it is all zero when nothing was
// loaded, after an unload, and when raylib had no window to load into).
bool holds_framebuffer(const RenderTexture2D& raw) { return raw.id != 0 || raw.texture.id != 0 || raw.depth.id != 0; }

// --- unloading --------------------------------------------------------------------

// Reads `valid` through normal attribute lookup (a subclass may override it)
// and, when true, releases the framebuffer and records that by clearing
// `_raw`, so that nothing is unloaded twice. Returns false with the exception
// set when the lookup or its truth test failed.
//
// A subclass whose type the collector has already cleared (a cycle of class
// and instances torn down, as at interpreter exit) has no attributes left to
// look up; its instances are then asked raylib's own answer.
bool unload(RenderTextureObject* self) {
    if (!holds_framebuffer(self->_raw)) return true;
    if (Py_TYPE(self)->tp_mro != nullptr) {
        PyObject* valid = PyObject_GetAttr(as_object(self), valid_name);
        if (valid == nullptr) return false;
        const int truth = PyObject_IsTrue(valid);
        Py_DECREF(valid);
        if (truth <= 0) return truth == 0;
    } else if (!IsRenderTextureValid(self->_raw)) {
        return true;
    }
    if (IsWindowReady()) UnloadRenderTexture(self->_raw);
    self->_raw = RenderTexture2D{};
    return true;
}

// The native-only slot: the table's void form, the failure left set.
void slot_unload(RenderTextureObject* self) { (void)unload(self); }

// --- creation -----------------------------------------------------------------------

// Object creation on its own: nothing loaded, no textures; arguments are
// ignored (__init__ checks them).
constexpr auto tp_new =
    korvex::new_blank<RenderTextureObject, &vtable, &RenderTextureObject::_texture, &RenderTextureObject::_depth>;

// Wraps one attachment in a Texture that does not own it.
bool store_texture(PyObject*& target, Texture raw) {
    TextureNewOptions options{1, 0};
    PyObject* texture = texture_class.table->__pyx_new(raw, &options);
    if (texture == nullptr) return false;
    Py_SETREF(target, texture);
    return true;
}

// Sizes beyond what any GL implementation supports are refused up front:
// raylib passes them to the driver, and Mesa aborts the process for a side of
// 2**30 or more instead of failing the allocation.
constexpr int max_render_texture_side = 32768;

// Loads a framebuffer of the given size into `self`, unloading the one it held
// before. raylib's result is not checked here; `valid` tells.
bool load(RenderTextureObject* self, int width, int height) {
    if (width > max_render_texture_side || height > max_render_texture_side) {
        PyErr_Format(PyExc_ValueError, "render texture size %d by %d exceeds the largest side of %d", width, height,
                     max_render_texture_side);
        return false;
    }
    if (!unload(self)) return false;
    self->_raw = LoadRenderTexture(width, height);
    return store_texture(self->_texture, self->_raw.texture) && store_texture(self->_depth, self->_raw.depth);
}

constexpr auto init_sig = signature("__init__", "width", "height");

bool read_size(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, int& width, int& height) {
    PyObject *width_arg = nullptr, *height_arg = nullptr;
    return parse(init_sig, args, nargs, kwnames, width_arg, height_arg) && korvex::to_int32(width_arg, width) &&
           korvex::to_int32(height_arg, height);
}

PyObject* init_impl(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    int width, height;
    if (!read_size(args, nargs, kwnames, width, height)) return nullptr;
    if (!load(as_render_texture(self), width, height)) return nullptr;
    Py_RETURN_NONE;
}

PyObject* create(int width, int height) {
    PyObject* self = tp_new(&render_texture_type, nullptr, nullptr);
    if (self == nullptr) return nullptr;
    if (!load(as_render_texture(self), width, height)) {
        Py_DECREF(self);
        return nullptr;
    }
    return self;
}

// Calling RenderTexture itself converts the arguments before anything is
// allocated or loaded. A subclass goes through tp_new and tp_init instead: the
// interpreter does not inherit tp_vectorcall, and the check keeps that true
// whatever it does.
PyObject* tp_vectorcall(PyObject* type, PyObject* const* args, size_t nargsf, PyObject* kwnames) {
    if (type != reinterpret_cast<PyObject*>(&render_texture_type))
        return korvex::call_type_generically(type, args, nargsf, kwnames);
    int width, height;
    if (!read_size(args, PyVectorcall_NARGS(nargsf), kwnames, width, height)) return nullptr;
    return create(width, height);
}

// --- deallocation and the collector ---------------------------------------------------

int tp_traverse(PyObject* self, visitproc visit, void* arg) {
    Py_VISIT(as_render_texture(self)->_texture);
    Py_VISIT(as_render_texture(self)->_depth);
    return 0;
}

int tp_clear(PyObject* self) {
    Py_SETREF(as_render_texture(self)->_texture, Py_NewRef(Py_None));
    Py_SETREF(as_render_texture(self)->_depth, Py_NewRef(Py_None));
    return 0;
}

// Unloading may run Python code (a subclass's `valid`), so the object is
// briefly alive again around it, with any pending exception put aside. If that
// code kept a reference, the object stays alive instead of being freed under
// it.
void tp_dealloc(PyObject* self) {
    PyObject_GC_UnTrack(self);
    RenderTextureObject* rt = as_render_texture(self);
    if (holds_framebuffer(rt->_raw)) {
        PyObject* pending = PyErr_GetRaisedException();
        Py_SET_REFCNT(self, 1);
        if (!unload(rt)) PyErr_WriteUnraisable(dealloc_context);
        PyErr_SetRaisedException(pending);
        if (Py_REFCNT(self) != 1) {
            Py_SET_REFCNT(self, Py_REFCNT(self) - 1);
            PyObject_GC_Track(self);
            // A subclass's deallocator drops its type reference after this
            // returns; the surviving object still needs it.
            if (PyType_HasFeature(Py_TYPE(self), Py_TPFLAGS_HEAPTYPE)) Py_INCREF(Py_TYPE(self));
            return;
        }
        Py_SET_REFCNT(self, 0);
    }
    Py_CLEAR(rt->_texture);
    Py_CLEAR(rt->_depth);
    Py_TYPE(self)->tp_free(self);
}

// --- texture mode ---------------------------------------------------------------------

bool begin_mode(RenderTextureObject* self) {
    if (!IsWindowReady()) {
        korvex::raise_no_window("begin texture mode");
        return false;
    }
    BeginTextureMode(self->_raw);
    return true;
}

bool end_mode() {
    if (!IsWindowReady()) {
        korvex::raise_no_window("end texture mode");
        return false;
    }
    EndTextureMode();
    return true;
}

// begin and end defer to a Python subclass's override when their slots are
// called with dispatch flag 0 (its result is ignored, its failure stays set).
constexpr auto begin =
    korvex::method(signature("begin"), begin_mode,
                   "Starts drawing into this render texture; returns None.\n\n"
                   "raylib's BeginTextureMode. Raises RuntimeError when no raylib window is open. End with end().")
        .overridable(korvex::override_ignored);
constexpr auto end =
    korvex::method(signature("end"), [](RenderTextureObject*) { return end_mode(); },
                   "Ends drawing into a render texture; returns None.\n\n"
                   "raylib's EndTextureMode. Raises RuntimeError when no raylib window is open.")
        .overridable(korvex::override_ignored);
constexpr auto enter = korvex::method(
    signature("__enter__"),
    [](RenderTextureObject* self) { return begin_mode(self) ? Py_NewRef(as_object(self)) : nullptr; },
    "Starts drawing into this render texture and returns it (with block).\n\n"
    "Raises RuntimeError when no raylib window is open.");
// Returns False, so an exception raised in the block propagates.
constexpr auto exit = korvex::method(
    signature("__exit__", "exc_type", "exc_val", "exc_tb"),
    [](RenderTextureObject*, PyObject*, PyObject*, PyObject*) { return end_mode() ? Py_NewRef(Py_False) : nullptr; },
    "Ends drawing at the end of a with block; returns False.\n\nAn exception raised in the block propagates.");
constexpr auto unload_method = korvex::method(
    signature("unload"), unload,
    "Releases the framebuffer and its textures; returns None.\n\n"
    "Does nothing when valid is false or the framebuffer was already released; also done on deallocation.");

auto methods = korvex::method_table<begin, end, enter, exit, unload_method,
                                    korvex::refused_reduce<korvex::PickleRefusal::RawStruct>,
                                    korvex::refused_setstate<korvex::PickleRefusal::RawStruct>>();

RenderTextureVTable vtable = {
    .__pyx_new = create,
    .c_unload = slot_unload,
    .begin = korvex::slot<begin>,
    .end = korvex::slot<end>,
};

// --- properties ---------------------------------------------------------------------------

constexpr auto id = korvex::property("id", [](RenderTextureObject* self) { return self->_raw.id; },
                                     "The framebuffer's OpenGL id, an int (read-only).\n\n0 when nothing is loaded.");
constexpr auto texture = korvex::property(
    "texture", [](RenderTextureObject* self) { return Py_NewRef(self->_texture); },
    "The colour attachment, a Texture that does not own it (read-only).\n\n"
    "The same object on every read; None when nothing was loaded.");
constexpr auto depth = korvex::property(
    "depth", [](RenderTextureObject* self) { return Py_NewRef(self->_depth); },
    "The depth attachment, a Texture that does not own it (read-only).\n\n"
    "The same object on every read; None when nothing was loaded.");
// raylib only inspects the ids here, so this is safe without a window; it
// still reports a framebuffer as valid after its window closed.
constexpr auto valid = korvex::property(
    "valid", [](RenderTextureObject* self) { return IsRenderTextureValid(self->_raw); },
    "True when raylib reports the framebuffer usable (read-only).\n\nraylib's IsRenderTextureValid.");

auto getsets = korvex::property_table<id, texture, depth, valid>();

PyTypeObject render_texture_type = korvex::static_type<RenderTextureObject>({
    .name = "korvex.canvas.canvas.RenderTexture",
    .subclassable = true,
    .lifecycle = {.create = tp_new,
                  .init = korvex::init_with_dict<init_impl>,
                  .call = tp_vectorcall,
                  .dealloc = tp_dealloc},
    .collector = {.traverse = tp_traverse, .clear = tp_clear},
    .methods = methods.data(),
    .getset = getsets.data(),
});

int exec_canvas(PyObject* module) {
    valid_name = PyUnicode_InternFromString("valid");
    dealloc_context = PyUnicode_FromString("korvex.canvas.canvas.RenderTexture.__dealloc__");
    if (valid_name == nullptr || dealloc_context == nullptr) return -1;
    if (korvex::publish_type(module, &render_texture_type, &vtable) < 0) return -1;
    return korvex::bind(image_class, texture_class) ? 0 : -1;
}

}  // namespace

KORVEX_MODULE(canvas, exec_canvas,
              "RenderTexture, an off-screen raylib framebuffer to draw into.\n\n"
              "RenderTexture(width, height): an off-screen framebuffer with a colour and a depth "
              "texture.\n\n"
              "The sizes convert to 32-bit ints; a side above 32768 raises ValueError. Loading needs an open "
              "raylib window (check valid). Draw into it between begin() and end(), or in a with block. The "
              "framebuffer is released by unload() or when the object is freed. May be subclassed: overrides "
              "of begin and end are honoured by native callers. Pickling is refused.")
