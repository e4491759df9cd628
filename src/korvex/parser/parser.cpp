// korvex.parser.parser: turns a Python value standing for a vector, a colour
// or a rectangle into the raylib structure, for native code of other modules.
// No Python-visible functions: the three parsers are exported under
// __pyx_capi__ only.
#include "korvex/parser/parser.hpp"

#include "korvex/color/color.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/module.hpp"
#include "korvex/common/types.hpp"
#include "korvex/rect/rect.hpp"
#include "korvex/vector2/vector2.hpp"
#include "korvex/vector4/vector4.hpp"

namespace {

ImportedVector2 vector2_class;
// Bound at import, as every module binds the types it depends on, but never
// called: a Vector4 is rect-like through its attributes, read like any object.
ImportedVector4 vector4_class;
ImportedColor color_class;
ImportedRect rect_class;

// Which branch found the items: it decides the length message and, for
// vector2-like values, the conversion order.
enum Branch { tuple_branch, list_branch, sequence_branch };

// Item i of an exact tuple or list, held while it is converted (the list is
// re-measured at every read, as converting an earlier item may shrink it).
template <class Number, bool (*Convert)(PyObject*, Number&)>
bool convert_item(PyObject* items, Py_ssize_t i, Number& out) {
    PyObject* item = korvex::list_or_tuple_item(items, i);
    if (item == nullptr) return false;
    const bool ok = Convert(item, out);
    Py_DECREF(item);
    return ok;
}

constexpr auto float_item = convert_item<float, korvex::to_float>;
constexpr auto int_item = convert_item<int, korvex::to_int32>;

// --- the three kinds: own type, accepted lengths, conversion, messages --------------

template <class Member>
struct MemberOf;
template <class Struct_, class Object_>
struct MemberOf<Struct_ Object_::*> {
    using Struct = Struct_;
    using Object = Object_;
};

// What every kind does alike: its own exact type, bound at import, gives the
// structure it stores, copied without a call; a length that does not fit
// raises the message of the branch that found the items.
template <auto& own, auto member, korvex::FixedString kind, korvex::FixedString lengths>
struct LikeKind {
    using Struct = typename MemberOf<decltype(member)>::Struct;
    static PyTypeObject* own_type() { return own.type; }
    static Struct stored(PyObject* obj) {
        return reinterpret_cast<typename MemberOf<decltype(member)>::Object*>(obj)->*member;
    }
    template <korvex::FixedString container>
    static constexpr const char* too_long =
        korvex::joined<container, " for ", kind, " argument must have only ", lengths, " elements.">.data();
    static constexpr const char* length_messages[] = {too_long<"tuple">, too_long<"list">, too_long<"sequence">};
};

struct Vector2Like : LikeKind<vector2_class, &Vector2Object::data, "vector2-like", "2"> {
    static bool length_ok(Py_ssize_t n) { return n == 2; }
    static constexpr const char* not_a_sequence = "vector2-like argument must be Vector2, or any sequence, got %S.";

    // Tuples and lists convert x then y; other sequences y then x. Either way
    // the first failure ends the conversion.
    static Vector2 convert(PyObject* items, Py_ssize_t, Branch branch) {
        Vector2 v{};
        if (branch == sequence_branch) {
            if (float_item(items, 1, v.y)) float_item(items, 0, v.x);
        } else if (float_item(items, 0, v.x)) {
            float_item(items, 1, v.y);
        }
        return v;
    }
};

struct RectLike : LikeKind<rect_class, &RectObject::_raw, "rect-like", "4"> {
    static bool length_ok(Py_ssize_t n) { return n == 4; }
    // frozen: "rect_like" with an underscore, "tuple, or list" although any
    // sequence is read, and no full stop, as callers have always matched it.
    static constexpr const char* not_a_sequence = "rect_like argument must be Rect, tuple, or list, got %S";

    static Rectangle convert(PyObject* items, Py_ssize_t, Branch) {
        Rectangle r{};
        if (float_item(items, 0, r.x) && float_item(items, 1, r.y) && float_item(items, 2, r.width))
            float_item(items, 3, r.height);
        return r;
    }
};

struct ColorLike : LikeKind<color_class, &ColorObject::_raw, "color-like", "3-4"> {
    static bool length_ok(Py_ssize_t n) { return n == 3 || n == 4; }
    static constexpr const char* not_a_sequence = "color-like argument must be Color, or any sequence, got %S.";

    // Every item is converted before any is clamped; three items mean opaque.
    static Color convert(PyObject* items, Py_ssize_t n, Branch) {
        int values[4] = {0, 0, 0, 255};
        for (Py_ssize_t i = 0; i < n; ++i)
            if (!int_item(items, i, values[i])) return Color{};
        return color_new(values[0], values[1], values[2], values[3]);
    }
};

template <class Kind>
typename Kind::Struct from_items(PyObject* items, Branch branch) {
    const Py_ssize_t n = Py_SIZE(items);
    if (!Kind::length_ok(n)) {
        PyErr_SetString(PyExc_ValueError, Kind::length_messages[branch]);
        return {};
    }
    return Kind::convert(items, n, branch);
}

// The name is looked up by an interned string: the interpreter's attribute
// cache keeps the name object of every look-up.
KORVEX_COLD void raise_not_a_sequence(const char* format, PyObject* obj) {
    PyObject* attribute = korvex::interned<"__name__">();
    if (attribute == nullptr) return;
    PyObject* name = PyObject_GetAttr(reinterpret_cast<PyObject*>(Py_TYPE(obj)), attribute);
    if (name == nullptr) return;
    PyErr_Format(PyExc_TypeError, format, name);
    Py_DECREF(name);
}

// The common shape: own exact type (copied, no call), exact tuple, exact
// list, any other sequence through the fast-sequence conversion, and
// otherwise the kind's TypeError.
template <class Kind>
typename Kind::Struct parse_like(PyObject* obj) {
    if (Py_IS_TYPE(obj, Kind::own_type())) return Kind::stored(obj);
    if (PyTuple_CheckExact(obj)) return from_items<Kind>(obj, tuple_branch);
    if (PyList_CheckExact(obj)) return from_items<Kind>(obj, list_branch);
    if (PySequence_Check(obj)) {
        PyObject* items = PySequence_Fast(obj, "expected sequence");
        if (items == nullptr) {
            if (PyErr_ExceptionMatches(PyExc_TypeError)) PyErr_SetString(PyExc_TypeError, "expected sequence");
            return {};
        }
        const typename Kind::Struct result = from_items<Kind>(items, sequence_branch);
        Py_DECREF(items);
        return result;
    }
    raise_not_a_sequence(Kind::not_a_sequence, obj);
    return {};
}

Color parse_color_like(PyObject* color) { return parse_like<ColorLike>(color); }
Rectangle parse_rect_like(PyObject* rect) { return parse_like<RectLike>(rect); }
Vector2 parse_vector2_like(PyObject* dest) { return parse_like<Vector2Like>(dest); }

// The exports come first, then the bindings; the three parsers only read
// the stored structures of the bound types.
int exec_parser(PyObject* module) {
    const ParseColorLike color = parse_color_like;
    const ParseRectLike rect = parse_rect_like;
    const ParseVector2Like vector2 = parse_vector2_like;
    if (korvex::export_function(module, parse_color_like_name, reinterpret_cast<void*>(color),
                                parse_color_like_signature) < 0 ||
        korvex::export_function(module, parse_rect_like_name, reinterpret_cast<void*>(rect),
                                parse_rect_like_signature) < 0 ||
        korvex::export_function(module, parse_vector2_like_name, reinterpret_cast<void*>(vector2),
                                parse_vector2_like_signature) < 0)
        return -1;
    return korvex::bind(vector2_class, vector4_class, color_class, rect_class) ? 0 : -1;
}

}  // namespace

KORVEX_MODULE(parser, exec_parser,
              "Native parsers of vector2-, color- and rect-like values, for extensions.\n\n"
              "The module has no Python functions. __pyx_capi__ holds parse_vector2_like, parse_color_like "
              "and parse_rect_like: each takes one object (the package's own type, a tuple, a list or another "
              "sequence) and returns the raylib structure by value; the caller must check for a pending "
              "exception after every call.")
