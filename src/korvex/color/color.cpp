// korvex.color.color: the 8-bit RGBA colour. Channels are clamped into 0..255
// on the way in; comparison, tinting and packing are raylib's own helpers, and
// so are the colours that helpers.cpp makes (hex, HSV, lerp, blends).
#include "korvex/color/color.hpp"

#include <array>
#include <cstddef>
#include <utility>

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/module.hpp"
#include "korvex/common/override.hpp"
#include "korvex/common/pickle.hpp"
#include "korvex/common/properties.hpp"
#include "korvex/common/types.hpp"
#include "korvex/color/helpers.hpp"
#include "korvex/vector4/vector4.hpp"

namespace color_impl {

using korvex::parse;
using korvex::signature;
using korvex::typed;

ImportedVector4 vector4_class;
extern ColorVTable vtable;


// --- value maths --------------------------------------------------------------

// The double nearest to 1/255. Normalising multiplies by it rather than
// dividing by 255, so some channels (33 and 37 among them) come out one unit
// in the last place away from the correctly rounded quotient.
constexpr double normalize_factor = 1.0 / 255.0;

// A normalised component times 255, truncated toward zero and clamped. The
// product is tested before the cast: NaN, negatives and anything too large for
// an int would make the cast undefined, and saturate instead (NaN gives 0).
unsigned char channel_from_normalized(double value) {
    const double scaled = value * 255.0;
    if (!(scaled > 0.0)) return 0;
    if (scaled >= 255.0) return 255;
    return static_cast<unsigned char>(static_cast<int>(scaled));
}

// The fade rule: clamp in single precision (NaN counts as 1), widen, scale,
// truncate.
unsigned char alpha_from_fade(float alpha) {
    if (!(alpha <= 1.0f)) alpha = 1.0f;
    if (alpha < 0.0f) alpha = 0.0f;
    return static_cast<unsigned char>(static_cast<int>(static_cast<double>(alpha) * 255.0));
}

// --- creation -------------------------------------------------------------------

PyObject* box(Color raw) {
    ColorObject* self = PyObject_New(ColorObject, &color_type);
    if (self == nullptr) return nullptr;
    self->__pyx_vtab = &vtable;
    self->_raw = raw;
    return as_object(self);
}

// Object creation on its own: all channels 0, arguments ignored (__init__
// checks them).
constexpr auto tp_new = korvex::new_blank<ColorObject, &vtable>;

void tp_dealloc(PyObject* self) { Py_TYPE(self)->tp_free(self); }

// Color(r, g, b, a=255): every argument is converted before anything is
// written, so a failure leaves the object as it was.
constexpr auto init_sig = signature("__init__", "r", "g", "b", "a").with_defaults("255");

bool read_channels(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, Color& out) {
    PyObject* values[4] = {};
    if (kwnames == nullptr && (nargs == 3 || nargs == 4)) {
        // Spelled out: as a loop of 3 or 4 the compiler made a byte-wise copy.
        values[0] = args[0];
        values[1] = args[1];
        values[2] = args[2];
        if (nargs == 4) values[3] = args[3];
    } else if (!korvex::parse_arguments(init_sig.name, init_sig.params.data(), init_sig.params.size(),
                                        init_sig.required, args, nargs, kwnames, values)) {
        return false;
    }
    int channels[4] = {0, 0, 0, 255};
    for (std::size_t i = 0; i < 4; ++i)
        if (values[i] != nullptr && !korvex::to_int32(values[i], channels[i])) return false;
    out = color_new(channels[0], channels[1], channels[2], channels[3]);
    return true;
}

PyObject* init_impl(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    Color raw;
    if (!read_channels(args, nargs, kwnames, raw)) return nullptr;
    as_color(self)->_raw = raw;
    Py_RETURN_NONE;
}

// Calling Color itself converts first and allocates only on success. A
// subclass goes through tp_new and tp_init instead: the interpreter does not
// inherit tp_vectorcall, and the check keeps that true whatever it does.
PyObject* tp_vectorcall(PyObject* type, PyObject* const* args, size_t nargsf, PyObject* kwnames) {
    if (type != reinterpret_cast<PyObject*>(&color_type))
        return korvex::call_type_generically(type, args, nargsf, kwnames);
    Color raw;
    if (!read_channels(args, PyVectorcall_NARGS(nargsf), kwnames, raw)) return nullptr;
    return box(raw);
}

// --- methods ----------------------------------------------------------------------------

PyObject* normalized(ColorObject* self) {
    const Color c = self->_raw;
    return vector4_class.table->__pyx_new(c.r * normalize_factor, c.g * normalize_factor, c.b * normalize_factor,
                                          c.a * normalize_factor);
}

PyObject* from_normalized_vector(Vector4Object* vector) {
    const vector4_t& v = vector->data;
    return box(Color{channel_from_normalized(v.x), channel_from_normalized(v.y), channel_from_normalized(v.z),
                     channel_from_normalized(v.w)});
}


constexpr auto from_normalized = korvex::static_method(
    signature("from_normalized", "vector"), from_normalized_vector,
    "Returns a new Color from a Vector4 of channels in 0..1.\n\n"
    "Each of x, y, z, w (becoming r, g, b, a) is multiplied by 255, truncated toward zero and clamped to "
    "0..255, so 0.5 gives 127. vector must be a Vector4 (TypeError otherwise).",
    korvex::instance_of(korvex::imported_type<vector4_class>));
constexpr auto normalize = korvex::method(
    signature("normalize"), normalized,
    "Returns a new Vector4 of the channels scaled to 0..1 (r, g, b, a order).\n\n"
    "Each channel is multiplied by the double nearest 1/255: 255 gives 1.0.");
constexpr auto equal = korvex::method(
    signature("equal", "other"),
    [](ColorObject* self, ColorObject* other) { return ColorIsEqual(self->_raw, other->_raw) ? 1 : 0; },
    "Returns True when other has the same four channels.\n\n"
    "raylib's ColorIsEqual. other must be a Color (TypeError otherwise).",
    color);
constexpr auto tint = korvex::method(
    signature("tint", "tint"),
    [](ColorObject* self, ColorObject* tint) { return box(ColorTint(self->_raw, tint->_raw)); },
    "Returns a new Color: self tinted by tint (raylib ColorTint).\n\n"
    "Each channel is multiplied by tint's channel / 255. tint must be a Color (TypeError otherwise); self is "
    "unchanged.",
    color);
// fade and to_int defer to a Python subclass's override when their slots are
// called with dispatch flag 0.
constexpr auto fade =
    korvex::method(signature("fade", "alpha"),
                   [](ColorObject* self, float alpha) { self->_raw.a = alpha_from_fade(alpha); },
                   "Sets the alpha channel from alpha in 0..1, in place; returns None.\n\n"
                   "alpha converts by the float protocol, is clamped to 0..1 (NaN counts as 1), multiplied by 255 "
                   "and truncated: 0.5 gives 127. r, g and b are unchanged.")
        .overridable(korvex::override_ignored);
constexpr auto to_int =
    korvex::method(signature("to_int"), [](ColorObject* self) { return ColorToInt(self->_raw); },
                   "Returns the colour packed as 0xRRGGBBAA in a signed 32-bit int.\n\n"
                   "raylib's ColorToInt. A red channel of 128 or more gives a negative number: white is -1.")
        .returning(korvex::Returns::integer)
        .overridable(korvex::override_int32);

auto methods = korvex::method_table<from_normalized, from_int, from_hex, from_hsv, normalize, equal, tint, fade,
                                    to_int, get_hex, get_hsv, get_lerp, get_faded, get_alpha_blended,
                                    get_brightened, get_contrasted, get_grayscale,
                                    korvex::refused_reduce<korvex::PickleRefusal::RawStruct>,
                                    korvex::refused_setstate<korvex::PickleRefusal::RawStruct>>();

ColorVTable vtable = {
    .__pyx_new = [](int r, int g, int b, int a) { return box(color_new(r, g, b, a)); },
    .c_equal = equal.body,
    .c_normalize = normalize.body,
    .c_tint = tint.body,
    .fade = korvex::slot<fade>,
    .to_int = korvex::slot<to_int>,
};

// --- channel properties -------------------------------------------------------------------

template <unsigned char Color::* channel>
constexpr auto channel_property(const char* name, const char* doc) {
    return korvex::property(
        name, [](ColorObject* self) { return self->_raw.*channel; },
        [](ColorObject* self, int value) { self->_raw.*channel = color_clamp(value); }, doc);
}

#define KORVEX_CHANNEL_RULE                                                                              \
    "\n\nAn int in 0..255. Assigning converts to a 32-bit int (a float is truncated; OverflowError " \
    "outside that range) and clamps to 0..255; deleting raises NotImplementedError."

// The four channels and their long aliases, in class order.
constexpr auto r = channel_property<&Color::r>("r", "The red channel." KORVEX_CHANNEL_RULE);
constexpr auto g = channel_property<&Color::g>("g", "The green channel." KORVEX_CHANNEL_RULE);
constexpr auto b = channel_property<&Color::b>("b", "The blue channel." KORVEX_CHANNEL_RULE);
constexpr auto a = channel_property<&Color::a>("a", "The alpha channel (255 is opaque)." KORVEX_CHANNEL_RULE);
constexpr auto red = channel_property<&Color::r>("red", "The red channel, the same as r." KORVEX_CHANNEL_RULE);
constexpr auto green = channel_property<&Color::g>("green", "The green channel, the same as g." KORVEX_CHANNEL_RULE);
constexpr auto blue = channel_property<&Color::b>("blue", "The blue channel, the same as b." KORVEX_CHANNEL_RULE);
constexpr auto alpha = channel_property<&Color::a>("alpha", "The alpha channel, the same as a." KORVEX_CHANNEL_RULE);

#undef KORVEX_CHANNEL_RULE

auto getsets = korvex::property_table<r, g, b, a, red, green, blue, alpha>();

// --- operators and protocols -------------------------------------------------------------

// == and != demand a Color on the right; the interpreter always passes the
// Color operand first, reflected comparisons included.
PyObject* tp_richcompare(PyObject* self, PyObject* other, int op) {
    if (op != Py_EQ && op != Py_NE) Py_RETURN_NOTIMPLEMENTED;
    if (!PyObject_TypeCheck(other, &color_type)) {
        korvex::raise_argument_type("other", &color_type, other);
        return nullptr;
    }
    return PyBool_FromLong(equal.body(as_color(self), as_color(other)) == (op == Py_EQ));
}

PyObject* tp_repr(PyObject* self) {
    const Color c = as_color(self)->_raw;
    return PyUnicode_FromFormat("Color(%d, %d, %d, %d)", c.r, c.g, c.b, c.a);
}

Py_ssize_t sq_length(PyObject*) { return 4; }

PySequenceMethods sequence_methods = korvex::sequence_slots(sq_length);
PyMappingMethods mapping_methods = korvex::mapping_slots(sq_length);

// Iteration is a real generator that reads each channel only when it yields
// it, so a change between steps shows in the later values. The generator
// function lives in a private namespace and reads the channels through one
// single-argument reader per channel (the cheapest call the interpreter
// makes), never through the (overridable) properties.
PyObject* iter_function = nullptr;

constexpr const char* iter_source =
    "def __iter__(self):\n"
    "    yield read_r(self)\n"
    "    yield read_g(self)\n"
    "    yield read_b(self)\n"
    "    yield read_a(self)\n"
    "__iter__.__qualname__ = 'Color.__iter__'\n";

template <unsigned char Color::* channel>
PyObject* read_channel(PyObject*, PyObject* self) {
    if (!PyObject_TypeCheck(self, &color_type)) {
        PyErr_SetString(PyExc_TypeError, "a channel reader takes a Color");
        return nullptr;
    }
    return PyLong_FromLong(as_color(self)->_raw.*channel);
}

PyMethodDef channel_readers[] = {
    {"read_r", read_channel<&Color::r>, METH_O, nullptr},
    {"read_g", read_channel<&Color::g>, METH_O, nullptr},
    {"read_b", read_channel<&Color::b>, METH_O, nullptr},
    {"read_a", read_channel<&Color::a>, METH_O, nullptr},
};

// Fills the generator's namespace: the readers, __name__ and the builtins.
bool fill_iter_namespace(PyObject* namespace_) {
    for (PyMethodDef& reader : channel_readers) {
        PyObject* function = PyCFunction_New(&reader, nullptr);
        const bool stored = function != nullptr && PyDict_SetItemString(namespace_, reader.ml_name, function) == 0;
        Py_XDECREF(function);
        if (!stored) return false;
    }
    PyObject* name = PyUnicode_FromString(color_module_name);
    const bool filled = name != nullptr && PyDict_SetItemString(namespace_, "__name__", name) == 0 &&
                        PyDict_SetItemString(namespace_, "__builtins__", PyEval_GetBuiltins()) == 0;
    Py_XDECREF(name);
    return filled;
}

int make_iter_function() {
    PyObject* namespace_ = PyDict_New();
    if (namespace_ == nullptr) return -1;
    if (!fill_iter_namespace(namespace_)) {
        Py_DECREF(namespace_);
        return -1;
    }
    PyObject* done = PyRun_String(iter_source, Py_file_input, namespace_, namespace_);
    if (done != nullptr) {
        Py_DECREF(done);
        (void)PyDict_GetItemStringRef(namespace_, "__iter__", &iter_function);
    }
    Py_DECREF(namespace_);
    if (iter_function == nullptr && !PyErr_Occurred())
        PyErr_SetString(PyExc_RuntimeError, "iteration support of Color could not be created");
    return iter_function == nullptr ? -1 : 0;
}

PyObject* tp_iter(PyObject* self) { return PyObject_CallOneArg(iter_function, self); }

PyTypeObject color_type = korvex::static_type<ColorObject>({
    .name = "korvex.color.color.Color",
    .subclassable = true,
    .lifecycle = {.create = tp_new,
                  .init = korvex::init_with_dict<init_impl>,
                  .call = tp_vectorcall,
                  .dealloc = tp_dealloc},
    .protocols = {.repr = tp_repr,
                  .compare = tp_richcompare,
                  .iter = tp_iter,
                  .sequence = &sequence_methods,
                  .mapping = &mapping_methods},
    .methods = methods.data(),
    .getset = getsets.data(),
});

int exec_color(PyObject* module) {
    if (make_iter_function() < 0) return -1;
    if (korvex::publish_type(module, &color_type, &vtable) < 0) return -1;
    return vector4_class.bind() ? 0 : -1;
}

}  // namespace color_impl

KORVEX_MODULE(color, color_impl::exec_color,
              "Color, the 8-bit RGBA colour.\n\n"
              "Comparison, tint and packing are raylib's; normalize() and Color.from_normalized() convert to "
              "and from Vector4 values in 0..1. Color.from_int, from_hex and from_hsv make colours, get_hex and "
              "get_hsv describe them, and get_lerp, get_faded, get_alpha_blended, get_brightened and "
              "get_contrasted derive new ones with raylib's own helpers.\n\n"
              "Color(r, g, b, a=255): an 8-bit RGBA colour.\n\n"
              "Each argument converts to a 32-bit int (a float is truncated toward zero; OverflowError outside "
              "that range) and is clamped to 0..255, so Color(300, -5, 128) is (255, 0, 128, 255).\n\n"
              "== and != take a Color only (TypeError for anything else, None included). Mutable and "
              "unhashable; len() is 4 and iteration yields r, g, b, a, but there is no indexing. May be "
              "subclassed: native callers honour a subclass's fade and to_int. Pickling is refused.")
