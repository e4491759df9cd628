// korvex.texture.texture: a raylib Texture (a GPU object of the window's GL
// context) with an owner flag. Other modules make Textures through the native
// table; from Python a Texture is read-only, `load` and `load_from_image`
// make owning ones and `unload` releases them early.
#include "korvex/texture/texture.hpp"

#include "korvex/common/args.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/module.hpp"
#include "korvex/common/pickle.hpp"
#include "korvex/common/properties.hpp"
#include "korvex/common/types.hpp"
#include "korvex/image/image.hpp"

namespace {

using korvex::parse;
using korvex::signature;

extern PyTypeObject texture_type;
ImportedImage image_class;
extern TextureVTable vtable;

TextureObject* as_texture(PyObject* self) { return reinterpret_cast<TextureObject*>(self); }

// --- creation ---------------------------------------------------------------------

// From Python a Texture is created empty (id 0, not owning); arguments are
// left to __init__, which refuses them.
constexpr auto tp_new = korvex::new_blank<TextureObject, &vtable>;

TextureObject* allocate() { return as_texture(tp_new(&texture_type, nullptr, nullptr)); }

PyObject* box(Texture raw, bool is_owner) {
    TextureObject* self = allocate();
    if (self == nullptr) return nullptr;
    self->_raw = raw;
    self->is_owner = is_owner;
    return reinterpret_cast<PyObject*>(self);
}

PyObject* slot_new(Texture raw, TextureNewOptions* options) {
    return box(raw, korvex::asks_ownership(options));
}

// raylib reports a failed load only by a texture id of 0. Without a window
// there is no GL context to load into, so that case gets its own message.
PyObject* raise_no_window() { return korvex::raise_no_window("load a texture"); }

PyObject* owning(Texture raw) {
    if (raw.id == 0) {
        PyErr_SetString(PyExc_RuntimeError, "raylib could not load the texture");
        return nullptr;
    }
    PyObject* self = box(raw, true);
    if (self == nullptr) UnloadTexture(raw);
    return self;
}

PyObject* slot_load(PyObject* file_name) {
    PyObject* path = nullptr;
    if (!PyUnicode_FSConverter(file_name, &path)) return nullptr;
    PyObject* result = IsWindowReady() ? owning(LoadTexture(PyBytes_AS_STRING(path))) : raise_no_window();
    Py_DECREF(path);
    return result;
}

PyObject* slot_load_from_image(Image image) {
    if (!IsWindowReady()) return raise_no_window();
    return owning(LoadTextureFromImage(image));
}

void slot_unload(TextureObject* self) {
    if (!self->is_owner) return;
    // Without a window the GL context is gone, and the texture with it.
    if (self->_raw.id != 0 && IsWindowReady()) UnloadTexture(self->_raw);
    self->_raw = Texture{};
    self->is_owner = 0;
}

TextureVTable vtable = {
    .__pyx_new = slot_new,
    .c_load = slot_load,
    .c_load_from_image = slot_load_from_image,
    .c_unload = slot_unload,
};

void tp_dealloc(PyObject* self) {
    slot_unload(as_texture(self));
    Py_TYPE(self)->tp_free(self);
}

// --- Python methods and properties ---------------------------------------------------

constexpr auto load = korvex::static_method(
    signature("load", "file_name"), slot_load,
    "Returns a new Texture loaded from an image file.\n\n"
    "file_name is a str, bytes or path. The Texture owns the GPU object. Raises RuntimeError when no raylib "
    "window is open or raylib cannot load the file.");
constexpr auto load_from_image = korvex::static_method(
    signature("load_from_image", "image"), [](ImageObject* image) { return slot_load_from_image(image->_raw); },
    "Returns a new Texture uploaded from an Image.\n\n"
    "The Texture owns the GPU object; image must be an Image (TypeError otherwise). Raises RuntimeError when "
    "no raylib window is open or the upload fails.",
    korvex::instance_of(korvex::imported_type<image_class>));
constexpr auto unload = korvex::method(signature("unload"), slot_unload,
                                       "Releases the GPU object now if this Texture owns it; returns None.\n\n"
                                       "Afterwards id is 0 and is_owner False. A Texture that does not own its "
                                       "object is left alone.");

auto methods = korvex::method_table<load, load_from_image, unload,
                                    korvex::refused_reduce<korvex::PickleRefusal::RawStruct>,
                                    korvex::refused_setstate<korvex::PickleRefusal::RawStruct>>();

constexpr auto id = korvex::property("id", [](TextureObject* self) { return self->_raw.id; },
                                     "The OpenGL texture id, an int (0 when there is none; read-only).");
constexpr auto is_owner =
    korvex::property("is_owner", [](TextureObject* self) { return self->is_owner != 0; },
                     "True when this Texture releases its GPU object when freed (read-only).");

auto getsets = korvex::pixel_record_properties<TextureObject, is_owner, id>();

PyTypeObject texture_type = korvex::static_type<TextureObject>({
    .name = "korvex.texture.texture.Texture",
    .lifecycle = {.create = tp_new, .init = korvex::init_without_arguments, .dealloc = tp_dealloc},
    .methods = methods.data(),
    .getset = getsets.data(),
});

int exec_texture(PyObject* module) {
    if (korvex::publish_type(module, &texture_type, &vtable) < 0) return -1;
    return image_class.bind() ? 0 : -1;
}

}  // namespace

KORVEX_MODULE(texture, exec_texture,
              "Texture, a raylib texture held in GPU memory.\n\n"
              "Texture(): a raylib Texture: an image in GPU memory, read-only from Python.\n\n"
              "Texture() is empty (id 0); Texture.load and Texture.load_from_image make owning ones, and a "
              "RenderTexture hands out Textures that do not own their objects. Pickling is refused.")
