// The bodies of the tests against many and of the union of many (lists.hpp):
// one loop, each_rect, reads every item's rectangle; the entries differ only in
// what they do with it.
#include "korvex/rect/lists.hpp"

#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"

namespace rect_impl {

namespace {

// The rectangle of an exact Rect, or of an exact tuple of four plain numbers:
// read in place, running no Python code. False for anything else.
inline bool plain_rect(PyObject* item, double (&out)[4]) {
    if (Py_IS_TYPE(item, &rect_type)) {
        const Rectangle& r = as_rect(item)->_raw;
        out[0] = r.x;
        out[1] = r.y;
        out[2] = r.width;
        out[3] = r.height;
        return true;
    }
    return PyTuple_CheckExact(item) && korvex::plain_number_items(item, out);
}

// The items of anything iterable, in a new list. The list is filled from an
// iterator, which sizes it by its own length hint: list(argument) would first
// make room for as many items as argument's __len__ claims, and a length
// beyond memory would raise MemoryError before a single item was read.
PyObject* list_of_items(PyObject* argument) {
    PyObject* iterator = PyObject_GetIter(argument);
    if (iterator == nullptr) return nullptr;
    PyObject* list = PySequence_List(iterator);
    Py_DECREF(iterator);
    return list;
}

// Calls visit(index, item, rectangle) for the items of `argument` in order
// until it returns 1 (stop) or -1 (failure, exception set); returns that, or 0
// when every item was visited. The rectangle is the item's, or key(item)'s when
// key is given. `item` is borrowed and valid for the call only.
template <class Visit>
int each_rect(PyObject* argument, const char* param, PyObject* key, Visit&& visit) {
    PyObject* sequence = is_exact_list_or_tuple(argument) ? Py_NewRef(argument) : list_of_items(argument);
    if (sequence == nullptr) return -1;
    int result = 0;
    // The size and the item array are read again at every step: the general
    // path runs Python code, which may shrink the list or move its storage.
    for (Py_ssize_t i = 0; result == 0 && i < Py_SIZE(sequence); ++i) {
        PyObject* item = PySequence_Fast_ITEMS(sequence)[i];
        double rect[4];
        if (key == nullptr && plain_rect(item, rect)) {
            result = visit(i, item, rect);
            continue;
        }
        Py_INCREF(item);  // the list may drop it while its rectangle is read
        PyObject* source = key == nullptr ? Py_NewRef(item) : PyObject_CallOneArg(key, item);
        if (source == nullptr) {
            result = -1;
        } else if (!plain_rect(source, rect) && !rect_like(source, rect)) {
            korvex::prefix_item_error(param, i);
            result = -1;
        } else {
            result = visit(i, item, rect);
        }
        Py_XDECREF(source);
        Py_DECREF(item);
    }
    Py_DECREF(sequence);
    return result;
}

PyObject* key_or_null(PyObject* key) { return key == Py_None ? nullptr : key; }

bool collides(RectObject* self, const double (&o)[4]) { return rects_overlap(self->_raw, o[0], o[1], o[2], o[3]); }

// Appends a new reference to `list` and releases it; false on failure.
bool append_new(PyObject* list, PyObject* value) {
    if (value == nullptr) return false;
    const int status = PyList_Append(list, value);
    Py_DECREF(value);
    return status == 0;
}

}  // namespace

PyObject* first_colliding_index(RectObject* self, PyObject* rects) {
    Py_ssize_t found = -1;
    const int result = each_rect(rects, "rects", nullptr, [&](Py_ssize_t i, PyObject*, const double(&o)[4]) {
        if (!collides(self, o)) return 0;
        found = i;
        return 1;
    });
    return result < 0 ? nullptr : PyLong_FromSsize_t(found);
}

PyObject* colliding_indices(RectObject* self, PyObject* rects) {
    PyObject* indices = PyList_New(0);
    if (indices == nullptr) return nullptr;
    const int result = each_rect(rects, "rects", nullptr, [&](Py_ssize_t i, PyObject*, const double(&o)[4]) {
        if (!collides(self, o)) return 0;
        return append_new(indices, PyLong_FromSsize_t(i)) ? 0 : -1;
    });
    if (result < 0) Py_CLEAR(indices);
    return indices;
}

PyObject* first_colliding_object(RectObject* self, PyObject* objects, PyObject* key) {
    PyObject* found = nullptr;
    const int result =
        each_rect(objects, "objects", key_or_null(key), [&](Py_ssize_t, PyObject* item, const double(&o)[4]) {
            if (!collides(self, o)) return 0;
            found = Py_NewRef(item);
            return 1;
        });
    if (result < 0) return nullptr;
    return found != nullptr ? found : Py_NewRef(Py_None);
}

PyObject* colliding_objects(RectObject* self, PyObject* objects, PyObject* key) {
    PyObject* hits = PyList_New(0);
    if (hits == nullptr) return nullptr;
    const int result =
        each_rect(objects, "objects", key_or_null(key), [&](Py_ssize_t, PyObject* item, const double(&o)[4]) {
            if (!collides(self, o)) return 0;
            return PyList_Append(hits, item) == 0 ? 0 : -1;
        });
    if (result < 0) Py_CLEAR(hits);
    return hits;
}

// The extents start from self's and grow with each item's; with no item the
// result is self's fields as they are.
PyObject* union_of_all(RectObject* self, PyObject* rects) {
    const Rectangle& r = self->_raw;
    double left = r.x, top = r.y, right = static_cast<double>(r.x) + r.width,
           bottom = static_cast<double>(r.y) + r.height;
    bool any = false;
    const int result = each_rect(rects, "rects", nullptr, [&](Py_ssize_t, PyObject*, const double(&o)[4]) {
        any = true;
        if (o[0] < left) left = o[0];
        if (o[1] < top) top = o[1];
        if (o[0] + o[2] > right) right = o[0] + o[2];
        if (o[1] + o[3] > bottom) bottom = o[1] + o[3];
        return 0;
    });
    if (result < 0) return nullptr;
    return slot_new(any ? rounded(left, top, right - left, bottom - top) : self->_raw);
}

}  // namespace rect_impl
