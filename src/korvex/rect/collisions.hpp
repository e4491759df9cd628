// Rect's collision entries, one descriptor each (common/entry.hpp): its
// native slot, Python method, text signature and docstring come from it. The
// rules are in collide.hpp; methods.cpp puts the entries in the method table
// and the native table.
//
// A slot called with dispatch flag 0 on a subclass instance lets the
// subclass's override of the method of the same name answer (its result taken
// by its truth value); the Python method runs the rule itself.
#pragma once

#include "korvex/common/entry.hpp"
#include "korvex/common/override.hpp"
#include "korvex/rect/collide.hpp"
#include "korvex/rect/rect_internal.hpp"

namespace rect_impl {

// What the typed entries accept.
inline constexpr auto vector2_or_none = korvex::instance_of(korvex::imported_type<vector2_class>, true);
inline constexpr auto vector4_or_none = korvex::instance_of(korvex::imported_type<vector4_class>, true);
inline constexpr auto tuple_or_none = korvex::exactly(korvex::type_of<&PyTuple_Type>, true);
inline constexpr auto list_or_none = korvex::exactly(korvex::type_of<&PyList_Type>, true);

// A collision entry: its name, its parameter, the rule, the docstring (its
// signature head is added from name and parameter) and what it accepts. An
// override's result counts by its truth value.
template <class Rule>
constexpr auto collision(const char* name, const char* parameter, Rule rule, const char* doc,
                         korvex::Accepts accepts = korvex::anything) {
    return korvex::method(korvex::signature(name, parameter), rule, doc, accepts).overridable(korvex::override_truth);
}

// The shared sentences of the docstrings.
#define KORVEX_POINT_RULE                                                                                  \
    " A point (px, py) collides when\n\n"                                                                 \
    "    x <= px <= right and y <= py <= bottom\n\n"                                                      \
    "(right and bottom as the properties), so the border counts as inside. A rectangle of negative "    \
    "width or height contains no point; NaN never collides."
#define KORVEX_POINT_OBJECTS                                                                                \
    "\n\nThe coordinates are compared as they are, with Python's <= (an int compares exactly; one that " \
    "does not compare with a float raises TypeError); py is not read when px is outside."
#define KORVEX_RECT_RULE                                                                                   \
    " Another rectangle (ox, oy, ow, oh) collides when\n\n"                                               \
    "    ox + ow > x and ox < right and oy + oh > y and oy < bottom\n\n"                                  \
    "(right and bottom as the properties), so rectangles that share just an edge or a corner do not "   \
    "collide. NaN never collides."
#define KORVEX_RECT_OBJECTS                                                                                 \
    "\n\nThe values are added and compared as they are, with Python's + and <, so ints stay ints."

// The untyped entries: any accepted kind, read into doubles.
#define KORVEX_ANY_KIND(values)                                                                       \
    "; anything else, other lengths included, raises ValueError. The " values " convert by the float " \
    "protocol and are compared in double precision."
inline constexpr auto collide_point = collision(
    "collide_point", "point", point_numeric,
    "Returns True when the point lies in the rectangle, border included.\n\n"
    "point is a Vector2, or a list or tuple of two numbers" KORVEX_ANY_KIND("coordinates") KORVEX_POINT_RULE);
inline constexpr auto collide_rect =
    collision("collide_rect", "other", rect_numeric,
              "Returns True when the other rectangle overlaps this one.\n\nother is a Rect, a Vector4 (x, y, width, "
              "height), or a list or tuple of four numbers" KORVEX_ANY_KIND("values") KORVEX_RECT_RULE);
#undef KORVEX_ANY_KIND

// The typed entries: one kind each, its values compared as they are.
inline constexpr auto collide_point_vector2 = collision("collide_point_vector2", "point", point_attributes,
    "Returns True when the Vector2 lies in the rectangle, border included.\n\n"
    "point must be a Vector2 (TypeError otherwise; None raises AttributeError)." KORVEX_POINT_RULE KORVEX_POINT_OBJECTS,
    vector2_or_none);
inline constexpr auto collide_rect_rect = collision("collide_rect_rect", "other", rect_rect,
    "Returns True when the Rect other overlaps this one.\n\n"
    "other must be a Rect (TypeError otherwise, None included)." KORVEX_RECT_RULE
    "\n\nSums and comparisons are in single precision, so at the last bit the answer may differ from "
    "collide_rect.",
    korvex::instance_of(korvex::type_of<&rect_type>));
inline constexpr auto collide_rect_vector4 = collision("collide_rect_vector4", "other", rect_attributes,
    "Returns True when the Vector4 (x, y, width, height) overlaps self.\n\n"
    "other must be a Vector4 (TypeError otherwise; None raises AttributeError)." KORVEX_RECT_RULE
        KORVEX_RECT_OBJECTS,
    vector4_or_none);

// The typed entries on an exact tuple and on an exact list: the same rule on
// items, one entry for each kind.
#define KORVEX_ITEMS_ENTRIES(entry, parameter, rule, tuple_form, list_form, holds, count, sentences)        \
    inline constexpr auto entry##_tuple = collision(                                                      \
        #entry "_tuple", parameter, rule,                                                                 \
        "Returns True when the tuple " tuple_form " " holds "\n\n" parameter                            \
        " must be exactly a tuple (TypeError otherwise, subclasses too) of at least " count " items; "  \
        "later items are ignored, fewer raise IndexError." sentences,                                     \
        tuple_or_none);                                                                                   \
    inline constexpr auto entry##_list = collision(                                                       \
        #entry "_list", parameter, rule,                                                                  \
        "Returns True when the list " list_form " " holds "\n\n" parameter                              \
        " must be exactly a list (TypeError otherwise, subclasses too) of at least " count " items; "   \
        "later items are ignored, fewer raise IndexError." sentences,                                     \
        list_or_none)

KORVEX_ITEMS_ENTRIES(collide_point, "point", point_items, "(px, py)", "[px, py]", "lies in the rectangle or on it.",
                     "two", KORVEX_POINT_RULE KORVEX_POINT_OBJECTS);
KORVEX_ITEMS_ENTRIES(collide_rect, "other", rect_items, "(x, y, width, height)", "[x, y, width, height]",
                     "overlaps self.", "four", KORVEX_RECT_RULE KORVEX_RECT_OBJECTS);

#undef KORVEX_ITEMS_ENTRIES
#undef KORVEX_POINT_RULE
#undef KORVEX_POINT_OBJECTS
#undef KORVEX_RECT_RULE
#undef KORVEX_RECT_OBJECTS

}  // namespace rect_impl
