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

PyTypeObject glyph_info_type = korvex::static_type();
PyTypeObject* image_type = nullptr;
ImageVTable* image_table = nullptr;
extern GlyphInfoVTable vtable;

GlyphInfoObject* as_glyph(PyObject* self) { return reinterpret_cast<GlyphInfoObject*>(self); }

// An empty object: every field of `_raw` zero, `_image` None. Arguments are
// ignored, so GlyphInfo(...) with anything gives an empty object.
PyObject* tp_new(PyTypeObject* type, PyObject*, PyObject*) {
    PyObject* self = type->tp_alloc(type, 0);
    if (self == nullptr) return nullptr;
    GlyphInfoObject* glyph = as_glyph(self);
    glyph->__pyx_vtab = &vtable;
    glyph->_raw = GlyphInfo{};
    glyph->_image = Py_NewRef(Py_None);
    return self;
}

// The glyph's pixels belong to the font it came from, so the Image does not
// own them.
PyObject* slot_new(GlyphInfo raw) {
    PyObject* self = tp_new(&glyph_info_type, nullptr, nullptr);
    if (self == nullptr) return nullptr;
    GlyphInfoObject* glyph = as_glyph(self);
    glyph->_raw = raw;
    ImageNewOptions options{1, 0};
    PyObject* image = image_table->__pyx_new(raw.image, &options);
    if (image == nullptr) {
        Py_DECREF(self);
        return nullptr;
    }
    Py_SETREF(glyph->_image, image);
    return self;
}

GlyphInfoVTable vtable = {slot_new};

int traverse(PyObject* self, visitproc visit, void* arg) {
    Py_VISIT(as_glyph(self)->_image);
    return 0;
}

int clear(PyObject* self) {
    Py_CLEAR(as_glyph(self)->_image);
    as_glyph(self)->_image = Py_NewRef(Py_None);
    return 0;
}

void dealloc(PyObject* self) {
    PyObject_GC_UnTrack(self);
    Py_CLEAR(as_glyph(self)->_image);
    Py_TYPE(self)->tp_free(self);
}

PyMethodDef methods[] = {
    KORVEX_PICKLE_REFUSAL(korvex::PickleRefusal::Unconvertible),
    {nullptr, nullptr, 0, nullptr},
};

void prepare_type() {
    glyph_info_type.tp_name = "korvex.letter.letter.GlyphInfo";
    glyph_info_type.tp_basicsize = sizeof(GlyphInfoObject);
    glyph_info_type.tp_itemsize = 0;
    glyph_info_type.tp_dealloc = dealloc;
    glyph_info_type.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE | Py_TPFLAGS_HAVE_GC;
    glyph_info_type.tp_traverse = traverse;
    glyph_info_type.tp_clear = clear;
    glyph_info_type.tp_methods = methods;
    glyph_info_type.tp_new = tp_new;
    glyph_info_type.tp_free = PyObject_GC_Del;
}

int exec_letter(PyObject* module) {
    prepare_type();
    if (korvex::publish_type(module, &glyph_info_type, &vtable) < 0) return -1;
    return korvex::bind_type<ImageObject>(image_module_name, "Image", image_type, image_table) ? 0 : -1;
}

}  // namespace

KORVEX_MODULE(letter, exec_letter)
