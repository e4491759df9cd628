// korvex.image.image: a raylib Image (pixels in CPU memory) with an owner flag.
// Other modules make Images through the native table; from Python an Image is
// read-only, and `gen_color` makes an owning one.
#include "korvex/image/image.hpp"

#include <climits>
#include <cstring>

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/module.hpp"
#include "korvex/common/pickle.hpp"
#include "korvex/common/properties.hpp"
#include "korvex/common/types.hpp"

namespace {

using korvex::parse;
using korvex::signature;

extern PyTypeObject image_type;
extern ImageVTable vtable;

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
    self->is_owner = options != nullptr && options->count >= 1 && options->is_owner != 0;
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

PyTypeObject image_type = korvex::static_type<ImageObject>({
    .name = "korvex.image.image.Image",
    .lifecycle = {.create = tp_new, .init = korvex::init_without_arguments, .dealloc = tp_dealloc},
    .methods = methods.data(),
    .getset = getsets.data(),
});

int exec_image(PyObject* module) { return korvex::publish_type(module, &image_type, &vtable); }

}  // namespace

KORVEX_MODULE(image, exec_image,
              "Image, a raylib image held in CPU memory.\n\n"
              "Image(): a raylib Image: pixels in CPU memory, read-only from Python.\n\n"
              "Image() is empty (no pixels); Image.gen_color makes one with pixels, and other modules make "
              "them natively. Pickling is refused.")
