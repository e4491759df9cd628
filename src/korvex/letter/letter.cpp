// korvex.letter.letter: GlyphInfo, one raylib glyph record (a character's
// metrics and image) with an Image object over the glyph's pixels. Other
// extension modules make them through the native table; from Python the class
// only gives empty objects.
#include "korvex/letter/letter.hpp"

#include "korvex/common/module.hpp"
#include "korvex/common/pickle.hpp"
#include "korvex/common/types.hpp"
#include "korvex/image/image.hpp"

namespace {

extern PyTypeObject glyph_info_type;
ImportedImage image_class;
extern GlyphInfoVTable vtable;

GlyphInfoObject* as_glyph(PyObject* self) { return reinterpret_cast<GlyphInfoObject*>(self); }

// An empty object: every field of `_raw` zero, `_image` None. Arguments are
// ignored, so GlyphInfo(...) with anything gives an empty object.
constexpr auto tp_new = korvex::new_blank<GlyphInfoObject, &vtable, &GlyphInfoObject::_image>;

// The glyph's pixels belong to the font it came from, so the Image does not
// own them.
PyObject* slot_new(GlyphInfo raw) {
    PyObject* self = tp_new(&glyph_info_type, nullptr, nullptr);
    if (self == nullptr) return nullptr;
    GlyphInfoObject* glyph = as_glyph(self);
    glyph->_raw = raw;
    ImageNewOptions options{1, 0};
    PyObject* image = image_class.table->__pyx_new(raw.image, &options);
    if (image == nullptr) {
        Py_DECREF(self);
        return nullptr;
    }
    Py_SETREF(glyph->_image, image);
    return self;
}

GlyphInfoVTable vtable = {.__pyx_new = slot_new};

int tp_traverse(PyObject* self, visitproc visit, void* arg) {
    Py_VISIT(as_glyph(self)->_image);
    return 0;
}

int tp_clear(PyObject* self) {
    Py_CLEAR(as_glyph(self)->_image);
    as_glyph(self)->_image = Py_NewRef(Py_None);
    return 0;
}

void tp_dealloc(PyObject* self) {
    PyObject_GC_UnTrack(self);
    Py_CLEAR(as_glyph(self)->_image);
    Py_TYPE(self)->tp_free(self);
}

auto methods = korvex::method_table<korvex::refused_reduce<korvex::PickleRefusal::Unconvertible>,
                                    korvex::refused_setstate<korvex::PickleRefusal::Unconvertible>>();

PyTypeObject glyph_info_type = korvex::static_type<GlyphInfoObject>({
    .name = "korvex.letter.letter.GlyphInfo",
    .subclassable = true,
    .lifecycle = {.create = tp_new, .dealloc = tp_dealloc},
    .collector = {.traverse = tp_traverse, .clear = tp_clear},
    .methods = methods.data(),
});

int exec_letter(PyObject* module) {
    if (korvex::publish_type(module, &glyph_info_type, &vtable) < 0) return -1;
    return image_class.bind() ? 0 : -1;
}

}  // namespace

KORVEX_MODULE(letter, exec_letter,
              "GlyphInfo, a font glyph record of raylib together with its Image.\n\n"
              "GlyphInfo(): one character of a font: raylib's metrics and image of a glyph.\n\n"
              "Other extension modules make filled GlyphInfo objects natively; calling the class gives an "
              "empty one and ignores its arguments. It has no Python attributes of its own. Pickling is "
              "refused.")
