// korvex.image.image: a raylib Image (pixels in CPU memory) with an owner flag.
// Other modules make Images through the native table; from Python an Image is
// read-only, and `gen_color` makes an owning one.
#include "korvex/image/image.hpp"

#include <algorithm>
#include <climits>
#include <cstring>

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/module.hpp"
#include "korvex/common/pickle.hpp"
#include "korvex/common/properties.hpp"
#include "korvex/common/text.hpp"
#include "korvex/common/types.hpp"
#include "korvex/color/color.hpp"
#include "korvex/texture/texture.hpp"

namespace {

using korvex::parse;
using korvex::signature;

extern PyTypeObject image_type;
extern ImageVTable vtable;
// Bound at exec, after Image is published: the texture module binds Image
// in turn, and finds it even while this module is still being executed.
ImportedTexture texture_class;
ImportedColor color_class;

ImageObject* as_image(PyObject* self) { return reinterpret_cast<ImageObject*>(self); }

// --- creation ---------------------------------------------------------------------

// From Python an Image is created empty (no pixels, not owning); arguments are
// left to __init__, which refuses them.
constexpr auto tp_new = korvex::new_blank<ImageObject, &vtable>;

ImageObject* allocate() { return as_image(tp_new(&image_type, nullptr, nullptr)); }

KORVEX_COLD PyObject* raise_negative_size(const Image& raw) {
    PyErr_Format(PyExc_ValueError, "image width and height must not be negative (got %d x %d)", raw.width,
                 raw.height);
    return nullptr;
}

PyObject* slot_new(Image raw, ImageNewOptions* options) {
    if (raw.width < 0 || raw.height < 0) return raise_negative_size(raw);
    ImageObject* self = allocate();
    if (self == nullptr) return nullptr;
    self->_raw = raw;
    self->is_owner = korvex::asks_ownership(options);
    return reinterpret_cast<PyObject*>(self);
}

ImageVTable vtable = {.__pyx_new = slot_new};

void tp_dealloc(PyObject* self) {
    ImageObject* image = as_image(self);
    // UnloadImage frees the pixel data with raylib's allocator; it needs no
    // window.
    if (image->is_owner && image->_raw.data != nullptr) UnloadImage(image->_raw);
    Py_TYPE(self)->tp_free(self);
}

// --- Python methods -----------------------------------------------------------------

// gen_color(width, height): an owning Image of opaque white RGBA pixels.
// raylib's GenImageColor neither checks its allocation nor guards width*height
// against overflow, so the pixels are allocated here with raylib's own
// allocator (UnloadImage frees them with its counterpart) after the size is
// checked.
PyObject* white_image(int width, int height) {
    if (width <= 0 || height <= 0) {
        PyErr_Format(PyExc_ValueError, "image width and height must be positive (got %d x %d)", width, height);
        return nullptr;
    }
    // raylib computes byte sizes as int, so the whole image must fit in one.
    const long long bytes = static_cast<long long>(width) * height * 4;
    if (bytes > INT_MAX) {
        PyErr_Format(PyExc_ValueError, "image of %d x %d pixels is too large", width, height);
        return nullptr;
    }
    ImageObject* self = allocate();
    if (self == nullptr) return nullptr;
    void* pixels = MemAlloc(static_cast<unsigned int>(bytes));
    if (pixels == nullptr) {
        Py_DECREF(self);
        return PyErr_NoMemory();
    }
    std::memset(pixels, 0xff, static_cast<std::size_t>(bytes));
    self->_raw = Image{pixels, width, height, 1, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8};
    self->is_owner = 1;
    return reinterpret_cast<PyObject*>(self);
}

constexpr auto gen_color = korvex::static_method(
    signature("gen_color", "width", "height"), white_image,
    "Returns a new Image of width by height opaque white RGBA pixels.\n\n"
    "The Image owns its pixels and frees them when it is freed. The sizes convert to 32-bit ints; ValueError "
    "when one is not positive or the image exceeds 2 GiB.");

auto methods = korvex::method_table<gen_color, korvex::refused_reduce<korvex::PickleRefusal::Unconvertible>,
                                    korvex::refused_setstate<korvex::PickleRefusal::Unconvertible>>();

// --- properties ---------------------------------------------------------------------

constexpr auto is_owner =
    korvex::property("is_owner", [](ImageObject* self) { return self->is_owner != 0; },
                     "True when this Image frees its pixels when it is freed (read-only).");

auto getsets = korvex::pixel_record_properties<ImageObject, is_owner>();

// --- reading pixels back and writing them out -------------------------------------------

// raylib reads the texture back through a framebuffer of the window's GL
// context (crashing without one), into a buffer whose size it computes as
// an int.
PyObject* read_texture(TextureObject* texture) {
    const Texture raw = texture->_raw;
    if (raw.id == 0) {
        PyErr_SetString(PyExc_ValueError, "cannot read a texture that holds no GPU texture (id 0)");
        return nullptr;
    }
    if (static_cast<long long>(raw.width) * raw.height * 4 > INT_MAX) {
        PyErr_Format(PyExc_ValueError, "texture of %d x %d pixels is too large to read back", raw.width, raw.height);
        return nullptr;
    }
    if (!IsWindowReady()) return korvex::raise_no_window("read a texture");
    Image pixels = LoadImageFromTexture(raw);
    if (pixels.data == nullptr) {
        PyErr_SetString(PyExc_RuntimeError, "raylib could not read the texture");
        return nullptr;
    }
    ImageNewOptions owning{1, 1};
    PyObject* image = slot_new(pixels, &owning);
    if (image == nullptr) UnloadImage(pixels);
    return image;
}

// Flips the rows in place. raylib's ImageFlipVertical allocates new pixels
// and frees the old ones, which would free pixels that this Image does not
// own (a glyph's, say) and could fail to allocate; swapping rows does
// neither.
bool flip_rows(ImageObject* image) {
    Image& raw = image->_raw;
    if (raw.data == nullptr || raw.width <= 0 || raw.height <= 0) return true;
    if (raw.format >= PIXELFORMAT_COMPRESSED_DXT1_RGB || raw.format < PIXELFORMAT_UNCOMPRESSED_GRAYSCALE) {
        PyErr_SetString(PyExc_ValueError, "cannot flip an image of a compressed pixel format");
        return false;
    }
    const std::size_t row = static_cast<std::size_t>(GetPixelDataSize(raw.width, 1, raw.format));
    auto* pixels = static_cast<unsigned char*>(raw.data);
    for (int top = 0, bottom = raw.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels + top * row, pixels + (top + 1) * row, pixels + bottom * row);
    return true;
}

// raylib's answer: a blank (0, 0, 0, 0) Color outside the image, for an
// image without pixels and for compressed formats.
PyObject* pixel_color(ImageObject* image, int x, int y) {
    const Color c = image->_raw.data != nullptr ? GetImageColor(image->_raw, x, y) : Color{0, 0, 0, 0};
    return color_class.table->__pyx_new(c.r, c.g, c.b, c.a);
}

PyObject* write_image(ImageObject* image, PyObject* path_arg) {
    PyObject* path;
    if (!korvex::path_argument(path_arg, "path", path)) return nullptr;
    const bool written = ExportImage(image->_raw, PyBytes_AS_STRING(path));
    Py_DECREF(path);
    return PyBool_FromLong(written);
}

constexpr auto an_image = korvex::instance_of(korvex::type_of<&image_type>);

constexpr auto load_image_from_texture = korvex::function(
    signature("load_image_from_texture", "texture"), read_texture,
    "Returns a new Image of a Texture's pixels, read back from the GPU.\n\n"
    "The Image owns its pixels. A RenderTexture's texture reads upside down (image_flip_vertical turns it). "
    "ValueError for a Texture without GPU object; RuntimeError when no raylib window is open.",
    korvex::instance_of(korvex::imported_type<texture_class>));
constexpr auto image_flip_vertical = korvex::function(
    signature("image_flip_vertical", "image"), flip_rows,
    "Turns an Image upside down, in place; returns None.\n\nValueError for compressed pixel formats.", an_image);
constexpr auto get_image_color = korvex::function(
    signature("get_image_color", "image", "x", "y"), pixel_color,
    "Returns the Color of the pixel at x, y of an Image.\n\n"
    "x and y convert to 32-bit ints; Color(0, 0, 0, 0) outside the image, as raylib answers.",
    an_image, korvex::anything, korvex::anything);
constexpr auto export_image = korvex::function(
    signature("export_image", "image", "path"), write_image,
    "Writes an Image to a file; returns True on success.\n\n"
    "path is a str or path-like object; its extension picks the format (.png). False when the Image has no "
    "pixels or the file cannot be written.",
    an_image, korvex::anything);

auto module_functions =
    korvex::method_table<load_image_from_texture, image_flip_vertical, get_image_color, export_image>();

PyTypeObject image_type = korvex::static_type<ImageObject>({
    .name = "korvex.image.image.Image",
    .lifecycle = {.create = tp_new, .init = korvex::init_without_arguments, .dealloc = tp_dealloc},
    .methods = methods.data(),
    .getset = getsets.data(),
});

int exec_image(PyObject* module) {
    if (korvex::publish_type(module, &image_type, &vtable) < 0) return -1;
    if (!korvex::bind(texture_class, color_class)) return -1;
    return PyModule_AddFunctions(module, module_functions.data());
}

}  // namespace

KORVEX_MODULE(image, exec_image,
              "Image, a raylib image held in CPU memory.\n\n"
              "Image(): a raylib Image: pixels in CPU memory, read-only from Python.\n\n"
              "Image() is empty (no pixels); Image.gen_color makes one with pixels, and other modules make "
              "them natively. Pickling is refused.")
