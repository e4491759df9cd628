// GlyphInfo through its native table, and Image's `__pyx_new` with its
// optional-argument record, the way another extension module would use them.
#include "korvex/common/types.hpp"
#include "korvex/image/image.hpp"
#include "korvex/letter/letter.hpp"
#include "registry.hpp"

namespace {

PyTypeObject* glyph_info_type = nullptr;
GlyphInfoVTable* glyph_info_table = nullptr;
PyTypeObject* image_type = nullptr;
ImageVTable* image_table = nullptr;

// Pixels that outlive every glyph made here: a font would own them.
unsigned char font_pixels[64 * 64 * 4];

int bind() {
    if (!korvex::bind_type<GlyphInfoObject>(letter_module_name, "GlyphInfo", glyph_info_type, glyph_info_table))
        return -1;
    return korvex::bind_type<ImageObject>(image_module_name, "Image", image_type, image_table) ? 0 : -1;
}

PyObject* address(const void* pointer) { return PyLong_FromVoidPtr(const_cast<void*>(pointer)); }

// GlyphInfo.__pyx_new with a glyph over the static pixels (none when the
// image has no pixels).
PyObject* letter_new(PyObject*, PyObject* args) {
    GlyphInfo raw{};
    if (!PyArg_ParseTuple(args, "iiiiii", &raw.value, &raw.offsetX, &raw.offsetY, &raw.advanceX, &raw.image.width,
                          &raw.image.height))
        return nullptr;
    raw.image.mipmaps = 1;
    raw.image.format = PIXELFORMAT_UNCOMPRESSED_R8G8B8A8;
    raw.image.data = raw.image.width > 0 && raw.image.height > 0 ? font_pixels : nullptr;
    return glyph_info_table->__pyx_new(raw);
}

// The stored record and the image object, read straight out of the glyph:
// (value, offsetX, offsetY, advanceX, (data address, width, height, mipmaps,
// format), _image).
PyObject* letter_fields(PyObject*, PyObject* args) {
    GlyphInfoObject* glyph;
    if (!PyArg_ParseTuple(args, "O!", glyph_info_type, &glyph)) return nullptr;
    const GlyphInfo& raw = glyph->_raw;
    return Py_BuildValue("(iiii(Niiii)O)", raw.value, raw.offsetX, raw.offsetY, raw.advanceX, address(raw.image.data),
                         raw.image.width, raw.image.height, raw.image.mipmaps, raw.image.format, glyph->_image);
}

// The address of the static pixels, to compare against.
PyObject* letter_font_pixels(PyObject*, PyObject*) { return address(font_pixels); }

// (data address, is_owner) of an Image object.
PyObject* letter_image_data(PyObject*, PyObject* args) {
    ImageObject* image;
    if (!PyArg_ParseTuple(args, "O!", image_type, &image)) return nullptr;
    return Py_BuildValue("(Ni)", address(image->_raw.data), image->is_owner);
}

// Image.__pyx_new(raw, options): `count` < 0 passes no record at all. An
// owning image gets pixels of raylib's allocator, which it must free.
PyObject* letter_image_new(PyObject*, PyObject* args) {
    Image raw{};
    int count, is_owner;
    if (!PyArg_ParseTuple(args, "iiii", &raw.width, &raw.height, &count, &is_owner)) return nullptr;
    raw.mipmaps = 1;
    raw.format = PIXELFORMAT_UNCOMPRESSED_R8G8B8A8;
    const bool owning = count >= 1 && is_owner != 0;
    const int bytes = raw.width > 0 && raw.height > 0 ? raw.width * raw.height * 4 : 0;
    raw.data = owning && bytes > 0 ? MemAlloc(static_cast<unsigned int>(bytes)) : font_pixels;
    ImageNewOptions options{count, is_owner};
    PyObject* image = image_table->__pyx_new(raw, count < 0 ? nullptr : &options);
    if (image == nullptr && raw.data != font_pixels) MemFree(raw.data);
    return image;
}

consumer::Register area("letter", bind,
                        {
                            consumer::function("letter_new", letter_new),
                            consumer::function("letter_fields", letter_fields),
                            consumer::function("letter_font_pixels", letter_font_pixels),
                            consumer::function("letter_image_data", letter_image_data),
                            consumer::function("letter_image_new", letter_image_new),
                        });

}  // namespace
