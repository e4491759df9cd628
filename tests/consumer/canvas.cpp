// RenderTexture through its native table, and Texture's `__pyx_new` with its
// optional-argument record, the way another extension module would use them.
#include "korvex/canvas/canvas.hpp"
#include "korvex/common/types.hpp"
#include "korvex/texture/texture.hpp"
#include "registry.hpp"

namespace {

PyTypeObject* render_texture_type = nullptr;
RenderTextureVTable* render_texture_table = nullptr;
PyTypeObject* texture_type = nullptr;
TextureVTable* texture_table = nullptr;

int bind() {
    if (!korvex::bind_type<RenderTextureObject>(canvas_module_name, "RenderTexture", render_texture_type,
                                                render_texture_table))
        return -1;
    return korvex::bind_type<TextureObject>(texture_module_name, "Texture", texture_type, texture_table) ? 0 : -1;
}

// The void slots report failure only by a pending exception.
PyObject* none_or_error() {
    if (PyErr_Occurred()) return nullptr;
    Py_RETURN_NONE;
}

PyObject* canvas_new(PyObject*, PyObject* args) {
    int width, height;
    if (!PyArg_ParseTuple(args, "ii", &width, &height)) return nullptr;
    return render_texture_table->__pyx_new(width, height);
}

PyObject* canvas_unload(PyObject*, PyObject* args) {
    RenderTextureObject* self;
    if (!PyArg_ParseTuple(args, "O!", render_texture_type, &self)) return nullptr;
    render_texture_table->c_unload(self);
    return none_or_error();
}

// begin or end (`mode`) with a chosen dispatch flag.
template <void (*RenderTextureVTable::*mode)(RenderTextureObject*, int)>
PyObject* canvas_mode(PyObject*, PyObject* args) {
    RenderTextureObject* self;
    int skip_dispatch;
    if (!PyArg_ParseTuple(args, "O!i", render_texture_type, &self, &skip_dispatch)) return nullptr;
    (render_texture_table->*mode)(self, skip_dispatch);
    return none_or_error();
}

// The stored framebuffer record, read straight out of the object:
// (id, (texture id, width, height, mipmaps, format), (depth ...)).
PyObject* canvas_raw(PyObject*, PyObject* args) {
    RenderTextureObject* self;
    if (!PyArg_ParseTuple(args, "O!", render_texture_type, &self)) return nullptr;
    const RenderTexture2D& raw = self->_raw;
    return Py_BuildValue("(I(Iiiii)(Iiiii))", raw.id, raw.texture.id, raw.texture.width, raw.texture.height,
                         raw.texture.mipmaps, raw.texture.format, raw.depth.id, raw.depth.width, raw.depth.height,
                         raw.depth.mipmaps, raw.depth.format);
}

// Texture.__pyx_new(raw, options): `count` < 0 passes no record at all.
PyObject* canvas_texture_new(PyObject*, PyObject* args) {
    Texture raw{};
    int count, is_owner;
    if (!PyArg_ParseTuple(args, "Iiiiiii", &raw.id, &raw.width, &raw.height, &raw.mipmaps, &raw.format, &count,
                          &is_owner))
        return nullptr;
    TextureNewOptions options{count, is_owner};
    return texture_table->__pyx_new(raw, count < 0 ? nullptr : &options);
}

consumer::Register area("canvas", bind,
                        {
                            consumer::function("canvas_new", canvas_new),
                            consumer::function("canvas_unload", canvas_unload),
                            consumer::function("canvas_begin", canvas_mode<&RenderTextureVTable::begin>),
                            consumer::function("canvas_end", canvas_mode<&RenderTextureVTable::end>),
                            consumer::function("canvas_raw", canvas_raw),
                            consumer::function("canvas_texture_new", canvas_texture_new),
                        });

}  // namespace
