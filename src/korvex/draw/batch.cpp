// The batches: draw_rectangles, draw_circles and draw_pixels draw a whole
// sequence of shapes in one call.
//
// Every item is converted and checked first, into a buffer, and only then is
// anything drawn: a bad item raises with nothing of the call drawn. Exact
// lists and tuples are read in place (each item held while it converts, as
// its conversion may run code that changes the list); other sequences are
// copied once.
//
// Rectangles and pixels go into raylib's vertex batch directly, through the
// same rlgl calls that DrawRectangleRec and DrawPixelV make, in the same
// order and with the same values, so the pixels are the same as drawing the
// shapes one by one; what is saved is each call's look-up of the shapes
// texture and its state changes. Circles call DrawCircleV per item: its
// tessellation is most of its cost.
#include "korvex/draw/batch.hpp"

#include <raylib.h>
#include <rlgl.h>  // after raylib.h, which it then leaves its Matrix

#include <array>
#include <cmath>

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/entry.hpp"
#include "korvex/window/call.hpp"

namespace {

using korvex::signature;

// A sequence argument: exact lists and tuples as they are, anything else
// copied into a list by the interpreter's fast-sequence conversion.
struct Items {
    PyObject* items = nullptr;
    Py_ssize_t count = 0;

    ~Items() { Py_XDECREF(items); }

    bool open(PyObject* obj, const char* fn, const char* param) {
        if (korvex::is_exact_list_or_tuple(obj)) {
            items = Py_NewRef(obj);
        } else if (PySequence_Check(obj) && !PyUnicode_Check(obj) && !PyBytes_Check(obj)) {
            items = PySequence_Fast(obj, "expected a sequence");
            if (items == nullptr) return false;
        } else {
            PyErr_Format(PyExc_TypeError, "%s() argument '%s' must be a sequence, got %.200s", fn, param,
                         Py_TYPE(obj)->tp_name);
            return false;
        }
        count = Py_SIZE(items);
        return true;
    }

    // Item i as a new reference; IndexError when the list shrank meanwhile.
    PyObject* item(Py_ssize_t i) const { return korvex::list_or_tuple_item(items, i); }
};

// Memory for the converted items, freed on every way out.
template <class Value>
struct Buffer {
    Value* values = nullptr;
    ~Buffer() { PyMem_Free(values); }
    bool allocate(Py_ssize_t count) {
        if (count == 0) return true;
        values = PyMem_New(Value, static_cast<std::size_t>(count));
        if (values == nullptr) PyErr_NoMemory();
        return values != nullptr;
    }
};

KORVEX_COLD bool raise_item_not_finite(const char* param, Py_ssize_t i) {
    PyErr_Format(PyExc_ValueError, "%s[%zd] must be finite", param, i);
    return false;
}

// `colors` is one color-like, or a sequence of color-likes, one per item. It
// is one color unless it is a sequence (not a string) whose first item is
// not a number: a Color, a tuple of channels, a list of them.
bool is_one_color(PyObject* colors) {
    if (!PySequence_Check(colors) || PyUnicode_Check(colors) || PyBytes_Check(colors)) return true;
    if (korvex::is_exact_list_or_tuple(colors)) {
        if (Py_SIZE(colors) == 0) return false;
        return PyNumber_Check(PySequence_Fast_ITEMS(colors)[0]) != 0;
    }
    PyObject* first = PySequence_GetItem(colors, 0);
    if (first == nullptr) {
        PyErr_Clear();  // an empty or odd sequence: the parser reports it as a color-like
        return true;
    }
    const bool number = PyNumber_Check(first) != 0;
    Py_DECREF(first);
    return number;
}

// Reads `count` colors into the color of each shape.
template <class Shape>
bool gather_colors(PyObject* colors, Py_ssize_t count, const char* fn, Shape* out) {
    if (is_one_color(colors)) {
        const Color color = korvex::parser.parse_color_like(colors);
        if (PyErr_Occurred()) return false;
        for (Py_ssize_t i = 0; i < count; ++i) out[i].color = color;
        return true;
    }
    Items many;
    if (!many.open(colors, fn, "colors")) return false;
    if (many.count != count) {
        PyErr_Format(PyExc_ValueError, "%s() needs one color, or one per item (%zd), got %zd colors", fn, count,
                     many.count);
        return false;
    }
    for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject* item = many.item(i);
        if (item == nullptr) return false;
        out[i].color = korvex::parser.parse_color_like(item);
        Py_DECREF(item);
        if (PyErr_Occurred()) return false;
    }
    return true;
}

// One shape of a batch, converted: rectangles (pixels are 1 by 1) and circle
// centres.
struct Quad {
    Rectangle area;
    Color color;
};
struct Disc {
    Vector2 center;
    Color color;
};

bool read_rect(PyObject* item, Quad& out) {
    out.area = korvex::parser.parse_rect_like(item);
    return !PyErr_Occurred();
}
bool finite_rect(const Quad& q) { return korvex::Area::finite(q.area); }

bool read_pixel(PyObject* item, Quad& out) {
    const Vector2 position = korvex::parser.parse_vector2_like(item);
    out.area = Rectangle{position.x, position.y, 1.0f, 1.0f};
    return !PyErr_Occurred();
}

bool read_center(PyObject* item, Disc& out) {
    out.center = korvex::parser.parse_vector2_like(item);
    return !PyErr_Occurred();
}
bool finite_center(const Disc& d) { return korvex::Point::finite(d.center); }

// The first pass: every item and every color into `shapes`; false with the
// exception set at the first bad one.
template <class Shape, bool (*read)(PyObject*, Shape&), bool (*finite)(const Shape&)>
bool gather(const Items& items, PyObject* colors, const char* fn, const char* param, Buffer<Shape>& shapes) {
    if (!shapes.allocate(items.count)) return false;
    for (Py_ssize_t i = 0; i < items.count; ++i) {
        PyObject* item = items.item(i);
        if (item == nullptr) return false;
        const bool ok = read(item, shapes.values[i]);
        Py_DECREF(item);
        if (!ok) return false;
        if (!finite(shapes.values[i])) return raise_item_not_finite(param, i);
    }
    return gather_colors(colors, items.count, fn, shapes.values);
}

// --- the second pass: drawing ------------------------------------------------------------

// What DrawRectangleRec does for each rectangle (DrawRectanglePro with no
// origin and no rotation, in raylib's quads mode), with the shapes texture
// looked up once. DrawPixelV emits the same quad for a 1 by 1 rectangle.
void draw_quads(const Quad* quads, Py_ssize_t count) {
    const Texture2D shapes = GetShapesTexture();
    const Rectangle source = GetShapesTextureRectangle();
    const float left = source.x / shapes.width, top = source.y / shapes.height;
    const float right = (source.x + source.width) / shapes.width;
    const float bottom = (source.y + source.height) / shapes.height;
    rlSetTexture(shapes.id);
    // Mode and normal stay as set for every quad (a flush when the buffer
    // fills keeps the mode and texture); rlEnd moves each shape to the next
    // depth, as the one-by-one calls do.
    rlBegin(RL_QUADS);
    rlNormal3f(0.0f, 0.0f, 1.0f);
    for (Py_ssize_t i = 0; i < count; ++i) {
        const Rectangle& r = quads[i].area;
        const Color& c = quads[i].color;
        rlColor4ub(c.r, c.g, c.b, c.a);
        rlTexCoord2f(left, top);
        rlVertex2f(r.x, r.y);
        rlTexCoord2f(left, bottom);
        rlVertex2f(r.x, r.y + r.height);
        rlTexCoord2f(right, bottom);
        rlVertex2f(r.x + r.width, r.y + r.height);
        rlTexCoord2f(right, top);
        rlVertex2f(r.x + r.width, r.y);
        rlEnd();
    }
    rlSetTexture(0);
}

void draw_discs(const Disc* discs, Py_ssize_t count, float radius) {
    for (Py_ssize_t i = 0; i < count; ++i) DrawCircleV(discs[i].center, radius, discs[i].color);
}

// --- the functions ------------------------------------------------------------------------

template <bool (*read)(PyObject*, Quad&)>
PyObject* quad_batch(PyObject* sequence, PyObject* colors, const char* fn, const char* param) {
    Items items;
    Buffer<Quad> quads;
    if (!items.open(sequence, fn, param) || !gather<Quad, read, finite_rect>(items, colors, fn, param, quads))
        return nullptr;
    if (!IsWindowReady()) return korvex::raise_no_window("draw");
    draw_quads(quads.values, items.count);
    Py_RETURN_NONE;
}

PyObject* rectangles(PyObject* rects, PyObject* colors) {
    return quad_batch<read_rect>(rects, colors, "draw_rectangles", "rects");
}

PyObject* pixels(PyObject* points, PyObject* colors) {
    return quad_batch<read_pixel>(points, colors, "draw_pixels", "points");
}

PyObject* circles(PyObject* centers, PyObject* radius_arg, PyObject* colors) {
    float radius;
    Items items;
    Buffer<Disc> discs;
    if (!korvex::Length::read(radius_arg, "radius", radius) || !items.open(centers, "draw_circles", "centers") ||
        !gather<Disc, read_center, finite_center>(items, colors, "draw_circles", "centers", discs))
        return nullptr;
    if (!IsWindowReady()) return korvex::raise_no_window("draw");
    draw_discs(discs.values, items.count, radius);
    Py_RETURN_NONE;
}

#define KORVEX_BATCH_COLORS                                                                                  \
    "colors is one color-like, or a sequence of color-likes as long as the first argument (ValueError "    \
    "otherwise). Every item is checked before anything is drawn: a bad one raises the parser's error, or " \
    "ValueError when it holds a NaN or infinity. RuntimeError when no raylib window is open."

constexpr auto draw_rectangles = korvex::function(
    signature("draw_rectangles", "rects", "colors"), rectangles,
    "Draws a filled rectangle for each rect-like of rects; returns None.\n\n"
    "The same pixels as draw_rectangle_rec for each in turn, in one call. " KORVEX_BATCH_COLORS);
constexpr auto draw_circles = korvex::function(
    signature("draw_circles", "centers", "radius", "colors"), circles,
    "Draws a filled circle of one radius at each vector2-like of centers.\n\n"
    "The same pixels as draw_circle_v for each in turn, in one call; returns None. " KORVEX_BATCH_COLORS);
constexpr auto draw_pixels = korvex::function(
    signature("draw_pixels", "points", "colors"), pixels,
    "Draws one pixel at each vector2-like of points; returns None.\n\n"
    "The same pixels as draw_pixel_v for each in turn, in one call. " KORVEX_BATCH_COLORS);

#undef KORVEX_BATCH_COLORS

auto functions = korvex::method_table<draw_rectangles, draw_circles, draw_pixels>();

}  // namespace

PyMethodDef* korvex::draw::batch_functions() { return functions.data(); }
