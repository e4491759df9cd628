// Rect's tests against many rectangles and the union of many, one descriptor
// each; the bodies are in lists.cpp, methods.cpp puts the descriptors in the
// method table.
//
// Each runs one native loop over its argument: an exact list or tuple is read
// in place, any other iterable is first made into a list. Items that are exact
// Rects or tuples of four plain numbers are read in place; anything else is
// read as collide_rect reads its argument. A bad item raises the error its
// conversion gives, with "rects[i]: " (or "objects[i]: ") in front of the
// message. The length is checked at every step, so a list that an item's
// conversion or a key shortens is never read past its end.
#pragma once

#include "korvex/common/entry.hpp"
#include "korvex/rect/rect_internal.hpp"

namespace rect_impl {

PyObject* first_colliding_index(RectObject* self, PyObject* rects);
PyObject* colliding_indices(RectObject* self, PyObject* rects);
PyObject* first_colliding_object(RectObject* self, PyObject* objects, PyObject* key);
PyObject* colliding_objects(RectObject* self, PyObject* objects, PyObject* key);
PyObject* union_of_all(RectObject* self, PyObject* rects);

#define KORVEX_ITEMS_RULE                                                                                       \
    "\n\nItems are what collide_rect takes: a Rect, a Vector4 or a list or tuple of four numbers; a bad item " \
    "raises the error its conversion gives, with its index in front of the message."
#define KORVEX_COLLISION_RULE                                                                             \
    " An item collides as with collide_rect: rectangles that only touch do not collide." KORVEX_ITEMS_RULE
#define KORVEX_KEY_RULE                                                                                         \
    "\n\nThe rect of an object is key(object) when key is given (and not None), otherwise the object itself. " \
    "An item collides as with collide_rect: rectangles that only touch do not collide. A rect that is not "   \
    "what collide_rect takes raises the error its conversion gives, with the object's index in front of the " \
    "message; an exception from key propagates as it is."

inline constexpr auto collide_list = korvex::method(
    korvex::signature("collide_list", "rects"), first_colliding_index,
    "Returns the index of the first of rects colliding with self, or -1.\n\n"
    "rects is a list, a tuple or any iterable." KORVEX_COLLISION_RULE);
inline constexpr auto collide_list_all = korvex::method(
    korvex::signature("collide_list_all", "rects"), colliding_indices,
    "Returns the list of the indices of the rects colliding with self.\n\n"
    "rects is a list, a tuple or any iterable." KORVEX_COLLISION_RULE);
inline constexpr auto collide_objects = korvex::method(
    korvex::signature("collide_objects", "objects", "key").with_defaults("None"), first_colliding_object,
    "Returns the first of objects whose rect collides with self, or None.\n\n"
    "objects is a list, a tuple or any iterable." KORVEX_KEY_RULE);
inline constexpr auto collide_objects_all = korvex::method(
    korvex::signature("collide_objects_all", "objects", "key").with_defaults("None"), colliding_objects,
    "Returns the list of the objects whose rect collides with self.\n\n"
    "objects is a list, a tuple or any iterable." KORVEX_KEY_RULE);
inline constexpr auto get_union_all = korvex::method(
    korvex::signature("get_union_all", "rects"), union_of_all,
    "Returns a new Rect: the smallest holding self and all of rects.\n\n"
    "rects is a list, a tuple or any iterable; an empty one gives a copy of self. Computed in double "
    "precision, rounded once to single precision." KORVEX_ITEMS_RULE);

#undef KORVEX_ITEMS_RULE
#undef KORVEX_COLLISION_RULE
#undef KORVEX_KEY_RULE

}  // namespace rect_impl
