// korvex.colors.colors: the Colors palette, one Color object per name, and the
// module attribute `colors` holding the instance made at import.
#include "korvex/colors/colors.hpp"

#include <array>
#include <cstdint>

#include "korvex/common/args.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/module.hpp"
#include "korvex/common/types.hpp"
#include "korvex/vector4/vector4.hpp"

namespace {

extern PyTypeObject colors_type;
ImportedColor color_class;
ImportedVector4 vector4_class;

ColorsObject* as_colors(PyObject* self) { return reinterpret_cast<ColorsObject*>(self); }

// Stores `value` (a new reference) in slot `index` and only then releases the
// previous occupant, whose deallocation might look at the object again.
void replace(ColorsObject* self, std::size_t index, PyObject* value) {
    PyObject* old = self->colors[index];
    self->colors[index] = value;
    Py_XDECREF(old);
}

// A fresh instance holds None everywhere; __init__ fills it.
PyObject* tp_new(PyTypeObject* type, PyObject*, PyObject*) {
    PyObject* self = type->tp_alloc(type, 0);
    if (self == nullptr) return nullptr;
    for (PyObject*& slot : as_colors(self)->colors) slot = Py_NewRef(Py_None);
    return self;
}

// Creates the colours in palette order, each by calling the Color type, and
// stores each as soon as it exists: a failure leaves the ones already made.
int tp_init(PyObject* self, PyObject* args, PyObject* kwds) {
    if (korvex::init_without_arguments(self, args, kwds) < 0) return -1;
    for (std::size_t i = 0; i < colors_palette_size; ++i) {
        const NamedColor& named = colors_palette[i];
        // Channel values 0..255 are the interpreter's cached small ints.
        PyObject* channels[4] = {PyLong_FromLong(named.r), PyLong_FromLong(named.g), PyLong_FromLong(named.b),
                                 PyLong_FromLong(named.a)};
        PyObject* color = nullptr;
        if (channels[0] != nullptr && channels[1] != nullptr && channels[2] != nullptr && channels[3] != nullptr)
            color = PyObject_Vectorcall(reinterpret_cast<PyObject*>(color_class.type), channels, 4, nullptr);
        for (PyObject* channel : channels) Py_XDECREF(channel);
        if (color == nullptr) return -1;
        replace(as_colors(self), i, color);
    }
    return 0;
}

int tp_traverse(PyObject* self, visitproc visit, void* arg) {
    for (PyObject* color : as_colors(self)->colors) Py_VISIT(color);
    return 0;
}

// Clearing leaves None in every slot, like deleting the attributes.
int tp_clear(PyObject* self) {
    for (std::size_t i = 0; i < colors_palette_size; ++i) replace(as_colors(self), i, Py_NewRef(Py_None));
    return 0;
}

void tp_dealloc(PyObject* self) {
    PyObject_GC_UnTrack(self);
    for (PyObject*& color : as_colors(self)->colors) Py_CLEAR(color);
    Py_TYPE(self)->tp_free(self);
}

// --- attributes: one per palette entry, the index travels in the closure -----

std::size_t index_of(void* closure) { return static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(closure)); }

PyObject* get_color(PyObject* self, void* closure) { return Py_NewRef(as_colors(self)->colors[index_of(closure)]); }

// A Color (or subclass) or None is stored; deletion stores None; anything
// else is refused and the attribute keeps its value.
int set_color(PyObject* self, PyObject* value, void* closure) {
    if (value == nullptr) value = Py_None;
    if (value != Py_None && !PyObject_TypeCheck(value, color_class.type)) {
        korvex::raise_cannot_convert(value, "korvex.color.color.Color");
        return -1;
    }
    replace(as_colors(self), index_of(closure), Py_NewRef(value));
    return 0;
}

// Each attribute's docstring gives the value __init__ stores, written at
// compile time from the palette table (a text longer than the buffer does
// not compile).
constexpr std::size_t color_doc_capacity = 256;

constexpr void put_channel(korvex::detail::TextWriter& text, unsigned value) {
    if (value >= 100) text.put(static_cast<char>('0' + value / 100));
    if (value >= 10) text.put(static_cast<char>('0' + value / 10 % 10));
    text.put(static_cast<char>('0' + value % 10));
}

constexpr auto color_docs = [] {
    std::array<std::array<char, color_doc_capacity>, colors_palette_size> docs{};
    for (std::size_t i = 0; i < colors_palette_size; ++i) {
        const NamedColor& named = colors_palette[i];
        korvex::detail::TextWriter text{docs[i].data()};
        text.put("The colour ");
        text.put(named.name);
        text.put(", Color(");
        const unsigned channels[] = {named.r, named.g, named.b, named.a};
        for (std::size_t c = 0; c < 4; ++c) {
            if (c > 0) text.put(", ");
            put_channel(text, channels[c]);
        }
        text.put(").\n\n");
        text.put_folded("The value __init__ gives it. Reading returns the stored object itself (not a copy), "
                        "or None. Assigning takes a Color or None (TypeError otherwise); deleting stores "
                        "None.");
        text.put('\0');
    }
    return docs;
}();

// The palette table sizes this one (plus the entry that ends it).
std::array<PyGetSetDef, colors_palette_size + 1> getsets = [] {
    std::array<PyGetSetDef, colors_palette_size + 1> defs{};
    for (std::size_t i = 0; i < colors_palette_size; ++i)
        defs[i] = {colors_palette[i].name, get_color, set_color, color_docs[i].data(),
                   reinterpret_cast<void*>(static_cast<std::uintptr_t>(i))};
    return defs;
}();

PyTypeObject colors_type = korvex::static_type<ColorsObject>({
    .name = "korvex.colors.colors.Colors",
    .subclassable = true,
    .lifecycle = {.create = tp_new, .init = tp_init, .dealloc = tp_dealloc},
    .collector = {.traverse = tp_traverse, .clear = tp_clear},
    .getset = getsets.data(),
});

int exec_colors(PyObject* module) {
    if (korvex::publish_type(module, &colors_type, nullptr) < 0) return -1;
    if (!korvex::bind(vector4_class, color_class)) return -1;
    return PyModule_Add(module, "colors", PyObject_CallNoArgs(reinterpret_cast<PyObject*>(&colors_type)));
}

}  // namespace

KORVEX_MODULE(colors, exec_colors,
              "The palette of 152 named colours: colors.AliceBlue, colors.Red, ...\n\n"
              "colors is the Colors instance made at import.\n\n"
              "Colors(): colorsA palette of 152 named colours, one Color attribute per name.\n\n"
              "Use the module's instance, colors (colors.AliceBlue, colors.Red, ...). Each attribute holds its "
              "own Color object, handed out as is: changing a channel of colors.Red changes what every later "
              "reader sees. Calling __init__ again makes all 152 colours afresh. Takes no arguments.")
