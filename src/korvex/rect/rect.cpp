// korvex.rect.rect: the single-precision axis-aligned rectangle and its
// collision tests.
//
// Precision: the four fields are floats. The right and bottom edges are summed
// in single precision (as raylib would) and only then widened; centres and the
// numeric collision paths work in double. Edges grow to the right and down:
// top is y, bottom is y + height.
#include "korvex/rect/rect.hpp"

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/module.hpp"
#include "korvex/common/override.hpp"
#include "korvex/common/pickle.hpp"
#include "korvex/common/types.hpp"

namespace {

using korvex::FastcallFunction;

PyTypeObject rect_type = korvex::static_type();
extern RectVTable vtable;

PyTypeObject* vector2_type = nullptr;
Vector2VTable* vector2_table = nullptr;
PyTypeObject* vector4_type = nullptr;
Vector4VTable* vector4_table = nullptr;

// Interned component names, read as attributes of Vector2 and Vector4 objects.
PyObject* component_names[4] = {};

RectObject* as_rect(PyObject* obj) { return reinterpret_cast<RectObject*>(obj); }
PyObject* as_object(RectObject* rect) { return reinterpret_cast<PyObject*>(rect); }
bool is_rect(PyObject* obj) { return PyObject_TypeCheck(obj, &rect_type); }
bool is_vector2(PyObject* obj) { return PyObject_TypeCheck(obj, vector2_type); }
bool is_vector4(PyObject* obj) { return PyObject_TypeCheck(obj, vector4_type); }

// The edges: single-precision sums, widened afterwards.
double right_edge(const Rectangle& r) { return static_cast<double>(r.x + r.width); }
double bottom_edge(const Rectangle& r) { return static_cast<double>(r.y + r.height); }

// --- reading Python values ---------------------------------------------------------

// The float protocol. An exact int is read with PyLong_AsDouble, which is what
// int.__float__ does (same value, same OverflowError), without the temporary float.
bool number(PyObject* obj, double& out) {
    if (PyLong_CheckExact(obj)) {
        out = PyLong_AsDouble(obj);
        return !(out == -1.0 && PyErr_Occurred());
    }
    return korvex::to_double(obj, out);
}

// Item i as a new reference. Exact tuples and lists are read in place with a
// bounds check (a list may shrink while an earlier item converts, so the size
// is checked at every read); anything else goes through the interpreter's
// subscription, so its own __getitem__ and its errors apply.
PyObject* item(PyObject* sequence, Py_ssize_t index) {
    if (PyTuple_CheckExact(sequence)) {
        if (index < PyTuple_GET_SIZE(sequence)) return Py_NewRef(PyTuple_GET_ITEM(sequence, index));
        PyErr_SetString(PyExc_IndexError, "tuple index out of range");
        return nullptr;
    }
    if (PyList_CheckExact(sequence)) return PyList_GetItemRef(sequence, index);
    PyObject* key = PyLong_FromSsize_t(index);
    if (key == nullptr) return nullptr;
    PyObject* value = PyObject_GetItem(sequence, key);
    Py_DECREF(key);
    return value;
}

bool number_item(PyObject* sequence, Py_ssize_t index, double& out) {
    PyObject* value = item(sequence, index);
    if (value == nullptr) return false;
    bool ok = number(value, out);
    Py_DECREF(value);
    return ok;
}

// len() of a list or tuple; a subclass's own __len__ is honoured.
Py_ssize_t length_of(PyObject* sequence) {
    if (PyTuple_CheckExact(sequence) || PyList_CheckExact(sequence)) return Py_SIZE(sequence);
    return PyObject_Length(sequence);
}

bool is_list_or_tuple(PyObject* obj) { return PyList_Check(obj) || PyTuple_Check(obj); }

// The first `count` components of a Vector2 or Vector4 through its x, y, z, w
// attributes. The vector types are final and those attributes return the
// stored components, so an exact instance is read in place.
template <std::size_t count>
bool vector_components(PyObject* vector, double (&out)[count]) {
    if constexpr (count == 2) {
        if (Py_IS_TYPE(vector, vector2_type)) {
            const Vector2& v = reinterpret_cast<Vector2Object*>(vector)->data;
            out[0] = v.x;
            out[1] = v.y;
            return true;
        }
    } else {
        if (Py_IS_TYPE(vector, vector4_type)) {
            const vector4_t& v = reinterpret_cast<Vector4Object*>(vector)->data;
            out[0] = v.x;
            out[1] = v.y;
            out[2] = v.z;
            out[3] = v.w;
            return true;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        PyObject* value = PyObject_GetAttr(vector, component_names[i]);
        if (value == nullptr) return false;
        bool ok = number(value, out[i]);
        Py_DECREF(value);
        if (!ok) return false;
    }
    return true;
}

// Items 0..count-1 of a list or tuple of exactly `count` items. Returns 1 when
// read, 0 when the length differs, -1 on error.
template <std::size_t count>
int sequence_components(PyObject* sequence, double (&out)[count]) {
    Py_ssize_t length = length_of(sequence);
    if (length < 0) return -1;
    if (length != static_cast<Py_ssize_t>(count)) return 0;
    for (std::size_t i = 0; i < count; ++i)
        if (!number_item(sequence, static_cast<Py_ssize_t>(i), out[i])) return -1;
    return 1;
}

// --- constructor ---------------------------------------------------------------------

KORVEX_COLD int raise_value_error(const char* message) {
    PyErr_SetString(PyExc_ValueError, message);
    return -1;
}

int read_one(PyObject* arg, double (&values)[4]) {
    if (is_vector2(arg)) {
        double size[2];
        if (!vector_components(arg, size)) return -1;
        values[2] = size[0];
        values[3] = size[1];
        return 0;
    }
    if (is_rect(arg)) {
        const Rectangle& r = as_rect(arg)->_raw;
        values[0] = r.x;
        values[1] = r.y;
        values[2] = r.width;
        values[3] = r.height;
        return 0;
    }
    if (is_vector4(arg)) return vector_components(arg, values) ? 0 : -1;
    if (is_list_or_tuple(arg)) {
        int read = sequence_components(arg, values);
        if (read < 0) return -1;
        if (read == 0) return raise_value_error("list/tuple for rect must have 4 elements");
        return 0;
    }
    return raise_value_error("Rect takes Vector2, Rect, Vector4, or list/tuple of length 4");
}

// A position or size: a Vector2 or a list/tuple of length 2. Returns 1 when
// read, 0 when the argument is of neither kind, -1 on error.
int read_pair(PyObject* arg, double* out) {
    double pair[2];
    int read = 1;
    if (is_vector2(arg))
        read = vector_components(arg, pair) ? 1 : -1;
    else if (is_list_or_tuple(arg))
        read = sequence_components(arg, pair);
    else
        read = 0;
    if (read == 1) {
        out[0] = pair[0];
        out[1] = pair[1];
    }
    return read;
}

// Every value is read and converted before the fields are written, so a
// failure leaves the rectangle as it was.
int init_impl(RectObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (!korvex::reject_keywords("__init__", kwnames)) return -1;
    double values[4] = {0.0, 0.0, 0.0, 0.0};
    switch (nargs) {
        case 0:
            break;
        case 1:
            if (read_one(args[0], values) < 0) return -1;
            break;
        case 2: {
            int read = read_pair(args[0], values);
            if (read < 0) return -1;
            if (read == 0) return raise_value_error("First argument must be a Vector2 or list/tuple of length 2");
            read = read_pair(args[1], values + 2);
            if (read < 0) return -1;
            if (read == 0) return raise_value_error("Second argument must be a Vector2 or list/tuple of length 2");
            break;
        }
        case 4:
            for (int i = 0; i < 4; ++i)
                if (!number(args[i], values[i])) return -1;
            break;
        default:
            PyErr_Format(PyExc_TypeError, "Rect expected 0, 1, 2, or 4 arguments, got %zd", nargs);
            return -1;
    }
    self->_raw = Rectangle{static_cast<float>(values[0]), static_cast<float>(values[1]),
                           static_cast<float>(values[2]), static_cast<float>(values[3])};
    return 0;
}

// A fresh Rect of the exact type with all fields zero.
RectObject* allocate() {
    auto* self = static_cast<RectObject*>(PyObject_Malloc(sizeof(RectObject)));
    if (self == nullptr) return reinterpret_cast<RectObject*>(PyErr_NoMemory());
    (void)PyObject_Init(as_object(self), &rect_type);
    self->__pyx_vtab = &vtable;
    self->_raw = Rectangle{0.0f, 0.0f, 0.0f, 0.0f};
    return self;
}

// Creation on its own ignores its arguments; __init__ reads them.
PyObject* rect_new(PyTypeObject* type, PyObject*, PyObject*) {
    PyObject* obj = type->tp_alloc(type, 0);
    if (obj == nullptr) return nullptr;
    as_rect(obj)->__pyx_vtab = &vtable;
    as_rect(obj)->_raw = Rectangle{0.0f, 0.0f, 0.0f, 0.0f};
    return obj;
}

int rect_init(PyObject* self, PyObject* args, PyObject* kwds) {
    if (!korvex::reject_keyword_dict("__init__", kwds)) return -1;
    return init_impl(as_rect(self), &PyTuple_GET_ITEM(args, 0), PyTuple_GET_SIZE(args), nullptr);
}

// The interpreter's generic creation (tp_new, then tp_init), for calls that
// reach the vectorcall entry with another type than Rect itself.
KORVEX_COLD PyObject* generic_call(PyObject* type, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* dict = nullptr;
    PyObject* tuple = PyTuple_New(nargs);
    if (tuple == nullptr) return nullptr;
    for (Py_ssize_t i = 0; i < nargs; ++i) PyTuple_SET_ITEM(tuple, i, Py_NewRef(args[i]));
    if (kwnames != nullptr && PyTuple_GET_SIZE(kwnames) > 0) {
        dict = PyDict_New();
        for (Py_ssize_t k = 0; dict != nullptr && k < PyTuple_GET_SIZE(kwnames); ++k) {
            if (PyDict_SetItem(dict, PyTuple_GET_ITEM(kwnames, k), args[nargs + k]) < 0) Py_CLEAR(dict);
        }
        if (dict == nullptr) {
            Py_DECREF(tuple);
            return nullptr;
        }
    }
    PyObject* result = PyType_Type.tp_call(type, tuple, dict);
    Py_DECREF(tuple);
    Py_XDECREF(dict);
    return result;
}

PyObject* rect_vectorcall(PyObject* type, PyObject* const* args, size_t nargsf, PyObject* kwnames) {
    const Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    if (type != reinterpret_cast<PyObject*>(&rect_type)) return generic_call(type, args, nargs, kwnames);
    RectObject* self = allocate();
    if (self == nullptr) return nullptr;
    if (init_impl(self, args, nargs, kwnames) < 0) {
        Py_DECREF(self);
        return nullptr;
    }
    return as_object(self);
}

void rect_dealloc(PyObject* self) { Py_TYPE(self)->tp_free(self); }

// --- collision rules ----------------------------------------------------------------------

// Inclusive on every edge; any NaN fails a comparison and so gives false.
bool point_inside(const Rectangle& r, double px, double py) {
    return static_cast<double>(r.x) <= px && px <= right_edge(r) && static_cast<double>(r.y) <= py &&
           py <= bottom_edge(r);
}

// Exclusive on every edge, the other rectangle's far edges summed in double.
bool rects_overlap(const Rectangle& r, double ox, double oy, double ow, double oh) {
    return ox + ow > static_cast<double>(r.x) && ox < right_edge(r) && oy + oh > static_cast<double>(r.y) &&
           oy < bottom_edge(r);
}

// Both rectangles' far edges summed in single precision.
bool rects_overlap(const Rectangle& a, const Rectangle& b) {
    return b.x + b.width > a.x && a.x + a.width > b.x && b.y + b.height > a.y && a.y + a.height > b.y;
}

// Where the typed object-comparison entries read their values: the x, y, z, w
// attributes (Vector2, Vector4) or items 0, 1, 2, 3 (tuple, list).
enum class Source { Attributes, Items };

PyObject* component(PyObject* obj, Source source, int index) {
    if (source == Source::Attributes) return PyObject_GetAttr(obj, component_names[index]);
    return item(obj, index);
}

// An exact tuple or list given to a typed entry must hold the items the
// entry reads; a shorter one raises IndexError up front (whatever the first
// comparisons would decide) and nothing past its end is ever read.
bool long_enough(PyObject* obj, Source source, Py_ssize_t needed) {
    if (source != Source::Items) return true;
    const char* message;
    if (PyTuple_CheckExact(obj))
        message = "tuple index out of range";
    else if (PyList_CheckExact(obj))
        message = "list index out of range";
    else
        return true;
    if (Py_SIZE(obj) >= needed) return true;
    PyErr_SetString(PyExc_IndexError, message);
    return false;
}

// `edge op value` (edge_first) or `value op edge` through the interpreter's
// comparison, with a fresh Python float of the edge: 1, 0, or -1 on error.
int compare_edge(double edge, PyObject* value, int op, bool edge_first) {
    PyObject* number = PyFloat_FromDouble(edge);
    if (number == nullptr) return -1;
    int result = edge_first ? PyObject_RichCompareBool(number, value, op) : PyObject_RichCompareBool(value, number, op);
    Py_DECREF(number);
    return result;
}

// One axis of the point rule: position <= p <= far edge, p read once. The
// rectangle's fields are read at each step, as comparisons may run Python code.
int point_axis(RectObject* self, PyObject* point, Source source, int axis) {
    const bool horizontal = axis == 0;
    PyObject* position = PyFloat_FromDouble(horizontal ? self->_raw.x : self->_raw.y);
    if (position == nullptr) return -1;
    PyObject* p = component(point, source, axis);
    if (p == nullptr) {
        Py_DECREF(position);
        return -1;
    }
    int result = PyObject_RichCompareBool(position, p, Py_LE);
    Py_DECREF(position);
    if (result == 1) result = compare_edge(horizontal ? right_edge(self->_raw) : bottom_edge(self->_raw), p, Py_LE, false);
    Py_DECREF(p);
    return result;
}

int point_objects(RectObject* self, PyObject* point, Source source) {
    if (!long_enough(point, source, 2)) return -1;
    int result = point_axis(self, point, source, 0);
    if (result != 1) return result;
    return point_axis(self, point, source, 1);
}

// One axis of the rectangle rule with the interpreter's arithmetic:
// position < a + c, then a < far edge (a read again from attributes).
int rect_axis(RectObject* self, PyObject* other, Source source, int axis) {
    const bool horizontal = axis == 0;
    PyObject* position = PyFloat_FromDouble(horizontal ? self->_raw.x : self->_raw.y);
    if (position == nullptr) return -1;
    PyObject* start = component(other, source, axis);
    PyObject* size = start == nullptr ? nullptr : component(other, source, axis + 2);
    PyObject* end = size == nullptr ? nullptr : PyNumber_Add(start, size);
    Py_XDECREF(size);
    int result = end == nullptr ? -1 : PyObject_RichCompareBool(position, end, Py_LT);
    Py_DECREF(position);
    Py_XDECREF(end);
    if (result == 1) {
        PyObject* far = PyFloat_FromDouble(horizontal ? right_edge(self->_raw) : bottom_edge(self->_raw));
        if (far != nullptr && horizontal && source == Source::Attributes) {
            Py_SETREF(start, component(other, source, axis));
        }
        result = far == nullptr || start == nullptr ? -1 : PyObject_RichCompareBool(start, far, Py_LT);
        Py_XDECREF(far);
    }
    Py_XDECREF(start);
    return result;
}

int rect_objects(RectObject* self, PyObject* other, Source source) {
    if (!long_enough(other, source, 4)) return -1;
    int result = rect_axis(self, other, source, 0);
    if (result != 1) return result;
    return rect_axis(self, other, source, 1);
}

KORVEX_COLD int raise_point_kind() {
    return raise_value_error("Point must be a Vector2, tuple, or list of length 2");
}

KORVEX_COLD int raise_rect_kind() {
    return raise_value_error("rect for collision must be a Rect, Vector4, tuple, or list of length 4");
}

int point_numeric(RectObject* self, PyObject* point) {
    double p[2];
    if (is_vector2(point)) {
        if (!vector_components(point, p)) return -1;
    } else if (is_list_or_tuple(point)) {
        int read = sequence_components(point, p);
        if (read < 0) return -1;
        if (read == 0) return raise_point_kind();
    } else {
        return raise_point_kind();
    }
    return point_inside(self->_raw, p[0], p[1]);
}

int rect_numeric(RectObject* self, PyObject* other) {
    double o[4];
    if (is_rect(other)) {
        const Rectangle& r = as_rect(other)->_raw;
        o[0] = r.x;
        o[1] = r.y;
        o[2] = r.width;
        o[3] = r.height;
    } else if (is_vector4(other)) {
        if (!vector_components(other, o)) return -1;
    } else if (is_list_or_tuple(other)) {
        int read = sequence_components(other, o);
        if (read < 0) return -1;
        if (read == 0) return raise_rect_kind();
    } else {
        return raise_rect_kind();
    }
    return rects_overlap(self->_raw, o[0], o[1], o[2], o[3]);
}

// --- native slots -----------------------------------------------------------------------

// The Python methods; a slot compares the attribute it finds on a subclass
// instance against these to tell an override from the inherited method.
PyObject* py_get_width(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_get_height(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_collide_point(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_collide_point_vector2(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_collide_point_tuple(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_collide_point_list(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_collide_rect(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_collide_rect_vector4(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_collide_rect_rect(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_collide_rect_tuple(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_collide_rect_list(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_get_vector4(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
PyObject* py_get_tuple(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

// Finds a Python override of `name` when the dispatch flag allows one. Returns
// false with the exception set when the lookup failed; otherwise `found` is
// the override (a new reference) or null when the slot's own body runs.
bool dispatch_override(RectObject* self, int skip_dispatch, const char* name, FastcallFunction own,
                       PyObject*& found) {
    found = korvex::find_override(as_object(self), skip_dispatch, name, reinterpret_cast<void*>(own));
    // A pending exception means a failed look-up only where a look-up ran.
    return found != nullptr || skip_dispatch || !korvex::may_override(as_object(self)) || !PyErr_Occurred();
}

// Calls an override with the slot's object arguments and releases it.
template <class... Args>
PyObject* call_override(PyObject* override, Args... args) {
    PyObject* stack[] = {nullptr, args...};
    PyObject* result = PyObject_Vectorcall(override, stack + 1, sizeof...(Args) | PY_VECTORCALL_ARGUMENTS_OFFSET,
                                           nullptr);
    Py_DECREF(override);
    return result;
}

// The int slots report failure as 0 with the exception set.
int as_slot_int(int result) { return result < 0 ? 0 : result; }

PyObject* slot_get_width(RectObject* self, int skip_dispatch) {
    PyObject* override;
    if (!dispatch_override(self, skip_dispatch, "get_width", py_get_width, override)) return nullptr;
    if (override != nullptr) return call_override(override);
    return PyFloat_FromDouble(self->_raw.width);
}

PyObject* slot_get_height(RectObject* self, int skip_dispatch) {
    PyObject* override;
    if (!dispatch_override(self, skip_dispatch, "get_height", py_get_height, override)) return nullptr;
    if (override != nullptr) return call_override(override);
    return PyFloat_FromDouble(self->_raw.height);
}

// The body of an int slot taking one object argument, with its override
// look-up in front.
template <const char* name, FastcallFunction own, int (*body)(RectObject*, PyObject*)>
int collision_slot(RectObject* self, PyObject* arg, int skip_dispatch) {
    PyObject* override;
    if (!dispatch_override(self, skip_dispatch, name, own, override)) return 0;
    if (override != nullptr) return as_slot_int(korvex::override_truth(call_override(override, arg)));
    return as_slot_int(body(self, arg));
}

int point_attributes(RectObject* self, PyObject* point) { return point_objects(self, point, Source::Attributes); }
int point_items(RectObject* self, PyObject* point) { return point_objects(self, point, Source::Items); }
int rect_attributes(RectObject* self, PyObject* other) { return rect_objects(self, other, Source::Attributes); }
int rect_items(RectObject* self, PyObject* other) { return rect_objects(self, other, Source::Items); }

int rect_rect(RectObject* self, PyObject* other) {
    if (!is_rect(other)) return korvex::raise_argument_type("other", &rect_type, other) ? 0 : -1;
    return rects_overlap(self->_raw, as_rect(other)->_raw);
}

constexpr char collide_point_name[] = "collide_point";
constexpr char collide_point_vector2_name[] = "collide_point_vector2";
constexpr char collide_point_tuple_name[] = "collide_point_tuple";
constexpr char collide_point_list_name[] = "collide_point_list";
constexpr char collide_rect_name[] = "collide_rect";
constexpr char collide_rect_vector4_name[] = "collide_rect_vector4";
constexpr char collide_rect_rect_name[] = "collide_rect_rect";
constexpr char collide_rect_tuple_name[] = "collide_rect_tuple";
constexpr char collide_rect_list_name[] = "collide_rect_list";

constexpr auto slot_collide_point = collision_slot<collide_point_name, py_collide_point, point_numeric>;
constexpr auto slot_collide_point_tuple = collision_slot<collide_point_tuple_name, py_collide_point_tuple, point_items>;
constexpr auto slot_collide_point_list = collision_slot<collide_point_list_name, py_collide_point_list, point_items>;
constexpr auto slot_collide_rect = collision_slot<collide_rect_name, py_collide_rect, rect_numeric>;
constexpr auto slot_collide_rect_tuple = collision_slot<collide_rect_tuple_name, py_collide_rect_tuple, rect_items>;
constexpr auto slot_collide_rect_list = collision_slot<collide_rect_list_name, py_collide_rect_list, rect_items>;

int slot_collide_point_vector2(RectObject* self, Vector2Object* point, int skip_dispatch) {
    return collision_slot<collide_point_vector2_name, py_collide_point_vector2, point_attributes>(
        self, reinterpret_cast<PyObject*>(point), skip_dispatch);
}

int slot_collide_rect_vector4(RectObject* self, Vector4Object* other, int skip_dispatch) {
    return collision_slot<collide_rect_vector4_name, py_collide_rect_vector4, rect_attributes>(
        self, reinterpret_cast<PyObject*>(other), skip_dispatch);
}

int slot_collide_rect_rect(RectObject* self, RectObject* other, int skip_dispatch) {
    return collision_slot<collide_rect_rect_name, py_collide_rect_rect, rect_rect>(self, as_object(other),
                                                                                 skip_dispatch);
}

PyObject* slot_get_vector4(RectObject* self, int skip_dispatch) {
    PyObject* override;
    if (!dispatch_override(self, skip_dispatch, "get_vector4", py_get_vector4, override)) return nullptr;
    if (override != nullptr) return korvex::override_instance_or_none(call_override(override), vector4_type);
    const Rectangle& r = self->_raw;
    return vector4_table->__pyx_new(r.x, r.y, r.width, r.height);
}

PyObject* slot_get_tuple(RectObject* self, int skip_dispatch) {
    PyObject* override;
    if (!dispatch_override(self, skip_dispatch, "get_tuple", py_get_tuple, override)) return nullptr;
    if (override != nullptr) return korvex::override_tuple_or_none(call_override(override));
    const Rectangle& r = self->_raw;
    return Py_BuildValue("(dddd)", static_cast<double>(r.x), static_cast<double>(r.y), static_cast<double>(r.width),
                         static_cast<double>(r.height));
}

PyObject* slot_new(Rectangle raw) {
    RectObject* self = allocate();
    if (self != nullptr) self->_raw = raw;
    return as_object(self);
}

RectVTable vtable = {
    slot_new,
    slot_get_width,
    slot_get_height,
    slot_collide_point,
    slot_collide_point_vector2,
    slot_collide_point_tuple,
    slot_collide_point_list,
    slot_collide_rect,
    slot_collide_rect_vector4,
    slot_collide_rect_rect,
    slot_collide_rect_tuple,
    slot_collide_rect_list,
    slot_get_vector4,
    slot_get_tuple,
};

// --- Python methods: each calls its slot with the dispatch flag set ---------------------------

template <const char* name, PyObject* (*slot)(RectObject*, int)>
PyObject* no_argument_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr auto sig = korvex::signature(name);
    if (!korvex::parse(sig, args, nargs, kwnames)) return nullptr;
    return slot(as_rect(self), 1);
}

constexpr char get_width_name[] = "get_width";
constexpr char get_height_name[] = "get_height";
constexpr char get_vector4_name[] = "get_vector4";
constexpr char get_tuple_name[] = "get_tuple";

PyObject* py_get_width(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return no_argument_method<get_width_name, slot_get_width>(self, args, nargs, kwnames);
}
PyObject* py_get_height(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return no_argument_method<get_height_name, slot_get_height>(self, args, nargs, kwnames);
}
PyObject* py_get_vector4(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return no_argument_method<get_vector4_name, slot_get_vector4>(self, args, nargs, kwnames);
}
PyObject* py_get_tuple(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return no_argument_method<get_tuple_name, slot_get_tuple>(self, args, nargs, kwnames);
}

PyObject* collision_result(int result) {
    if (result == 0 && PyErr_Occurred()) return nullptr;
    return PyBool_FromLong(result);
}

// A collision method whose one argument (named `param`) the parser checks with
// `spec` before the slot sees it.
template <const char* name, const char* param>
PyObject* collision_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, auto check,
                           int (*slot)(RectObject*, PyObject*, int)) {
    static constexpr auto sig = korvex::signature(name, param);
    PyObject* arg = nullptr;
    if (!korvex::parse(sig, args, nargs, kwnames, check(arg))) return nullptr;
    return collision_result(slot(as_rect(self), arg, 1));
}

constexpr char point_param[] = "point";
constexpr char other_param[] = "other";

auto any_object = [](PyObject*& target) -> PyObject*& { return target; };
auto vector2_or_none = [](PyObject*& target) { return korvex::typed(target, vector2_type, true); };
auto vector4_or_none = [](PyObject*& target) { return korvex::typed(target, vector4_type, true); };
auto rect_only = [](PyObject*& target) { return korvex::typed(target, &rect_type); };
auto tuple_or_none = [](PyObject*& target) { return korvex::exactly(target, &PyTuple_Type, true); };
auto list_or_none = [](PyObject*& target) { return korvex::exactly(target, &PyList_Type, true); };

int call_point_vector2(RectObject* self, PyObject* point, int flag) {
    return slot_collide_point_vector2(self, reinterpret_cast<Vector2Object*>(point), flag);
}
int call_rect_vector4(RectObject* self, PyObject* other, int flag) {
    return slot_collide_rect_vector4(self, reinterpret_cast<Vector4Object*>(other), flag);
}
int call_rect_rect(RectObject* self, PyObject* other, int flag) {
    return slot_collide_rect_rect(self, as_rect(other), flag);
}

PyObject* py_collide_point(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return collision_method<collide_point_name, point_param>(self, args, nargs, kwnames, any_object,
                                                            slot_collide_point);
}
PyObject* py_collide_point_vector2(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return collision_method<collide_point_vector2_name, point_param>(self, args, nargs, kwnames, vector2_or_none,
                                                                    call_point_vector2);
}
PyObject* py_collide_point_tuple(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return collision_method<collide_point_tuple_name, point_param>(self, args, nargs, kwnames, tuple_or_none,
                                                                  slot_collide_point_tuple);
}
PyObject* py_collide_point_list(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return collision_method<collide_point_list_name, point_param>(self, args, nargs, kwnames, list_or_none,
                                                                 slot_collide_point_list);
}
PyObject* py_collide_rect(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return collision_method<collide_rect_name, other_param>(self, args, nargs, kwnames, any_object,
                                                           slot_collide_rect);
}
PyObject* py_collide_rect_vector4(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return collision_method<collide_rect_vector4_name, other_param>(self, args, nargs, kwnames, vector4_or_none,
                                                                   call_rect_vector4);
}
PyObject* py_collide_rect_rect(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return collision_method<collide_rect_rect_name, other_param>(self, args, nargs, kwnames, rect_only,
                                                                call_rect_rect);
}
PyObject* py_collide_rect_tuple(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return collision_method<collide_rect_tuple_name, other_param>(self, args, nargs, kwnames, tuple_or_none,
                                                                 slot_collide_rect_tuple);
}
PyObject* py_collide_rect_list(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return collision_method<collide_rect_list_name, other_param>(self, args, nargs, kwnames, list_or_none,
                                                                slot_collide_rect_list);
}

PyMethodDef methods[] = {
    korvex::fastcall_method("collide_point", py_collide_point),
    korvex::fastcall_method("collide_point_vector2", py_collide_point_vector2),
    korvex::fastcall_method("collide_point_tuple", py_collide_point_tuple),
    korvex::fastcall_method("collide_point_list", py_collide_point_list),
    korvex::fastcall_method("collide_rect", py_collide_rect),
    korvex::fastcall_method("collide_rect_vector4", py_collide_rect_vector4),
    korvex::fastcall_method("collide_rect_rect", py_collide_rect_rect),
    korvex::fastcall_method("collide_rect_tuple", py_collide_rect_tuple),
    korvex::fastcall_method("collide_rect_list", py_collide_rect_list),
    korvex::fastcall_method("get_width", py_get_width),
    korvex::fastcall_method("get_height", py_get_height),
    korvex::fastcall_method("get_vector4", py_get_vector4),
    korvex::fastcall_method("get_tuple", py_get_tuple),
    KORVEX_PICKLE_REFUSAL(korvex::PickleRefusal::RawStruct),
    {nullptr, nullptr, 0, nullptr},
};

// --- properties ---------------------------------------------------------------------------

template <float Rectangle::* field>
PyObject* get_field(PyObject* self, void*) {
    return PyFloat_FromDouble(as_rect(self)->_raw.*field);
}

template <float Rectangle::* field>
int set_field(PyObject* self, PyObject* value, void*) {
    if (value == nullptr) return korvex::raise_property_delete();
    double converted;
    if (!number(value, converted)) return -1;
    as_rect(self)->_raw.*field = static_cast<float>(converted);
    return 0;
}

// value - offset by the interpreter's subtraction, with offset a Python float.
// For an exact float or int that is the double difference (int - float
// converts the int with PyLong_AsDouble), computed here without objects; any
// other value uses its own subtraction and the result is then converted.
bool subtract(PyObject* value, double offset, double& out) {
    if (PyFloat_CheckExact(value) || PyLong_CheckExact(value)) {
        double v;
        if (!number(value, v)) return false;
        out = v - offset;
        return true;
    }
    PyObject* subtrahend = PyFloat_FromDouble(offset);
    if (subtrahend == nullptr) return false;
    PyObject* difference = PyNumber_Subtract(value, subtrahend);
    Py_DECREF(subtrahend);
    if (difference == nullptr) return false;
    bool ok = number(difference, out);
    Py_DECREF(difference);
    return ok;
}

// right and bottom (position + size, summed in single precision) and centerx
// and centery (position + size / 2, in double). Assigning moves the
// rectangle and keeps its size. Halving a widened float is exact.
template <float Rectangle::* position, float Rectangle::* size, bool centre>
PyObject* get_edge(PyObject* self, void*) {
    const Rectangle& r = as_rect(self)->_raw;
    if constexpr (centre) return PyFloat_FromDouble(static_cast<double>(r.*position) + static_cast<double>(r.*size) / 2.0);
    return PyFloat_FromDouble(static_cast<double>(r.*position + r.*size));
}

template <float Rectangle::* position, float Rectangle::* size, bool centre>
int set_edge(PyObject* self, PyObject* value, void*) {
    if (value == nullptr) return korvex::raise_property_delete();
    const double extent = static_cast<double>(as_rect(self)->_raw.*size);
    double moved;
    if (!subtract(value, centre ? extent / 2.0 : extent, moved)) return -1;
    as_rect(self)->_raw.*position = static_cast<float>(moved);
    return 0;
}

PyObject* get_center(PyObject* self, void*) {
    const Rectangle& r = as_rect(self)->_raw;
    return vector2_table->__pyx_new(static_cast<double>(r.x) + static_cast<double>(r.width) / 2.0,
                                    static_cast<double>(r.y) + static_cast<double>(r.height) / 2.0);
}

// A Vector2, or anything indexable by 0 and 1 (later items are ignored); both
// coordinates are read before either field is written.
int set_center(PyObject* self, PyObject* value, void*) {
    if (value == nullptr) return korvex::raise_property_delete();
    double c[2];
    if (is_vector2(value)) {
        if (!vector_components(value, c)) return -1;
    } else if (!number_item(value, 0, c[0]) || !number_item(value, 1, c[1])) {
        return -1;
    }
    Rectangle& r = as_rect(self)->_raw;
    r.x = static_cast<float>(c[0] - static_cast<double>(r.width) / 2.0);
    r.y = static_cast<float>(c[1] - static_cast<double>(r.height) / 2.0);
    return 0;
}

#define KORVEX_RECT_FIELD(name, member) \
    PyGetSetDef { name, get_field<&Rectangle::member>, set_field<&Rectangle::member>, nullptr, nullptr }
#define KORVEX_RECT_EDGE(name, position, size, centre)                                           \
    PyGetSetDef {                                                                                 \
        name, get_edge<&Rectangle::position, &Rectangle::size, centre>,                           \
            set_edge<&Rectangle::position, &Rectangle::size, centre>, nullptr, nullptr            \
    }

PyGetSetDef getsets[] = {
    KORVEX_RECT_FIELD("x", x),
    KORVEX_RECT_FIELD("y", y),
    KORVEX_RECT_FIELD("w", width),
    KORVEX_RECT_FIELD("h", height),
    KORVEX_RECT_FIELD("width", width),
    KORVEX_RECT_FIELD("height", height),
    KORVEX_RECT_FIELD("left", x),
    KORVEX_RECT_FIELD("top", y),
    KORVEX_RECT_EDGE("right", x, width, false),
    KORVEX_RECT_EDGE("bottom", y, height, false),
    KORVEX_RECT_EDGE("centerx", x, width, true),
    KORVEX_RECT_EDGE("centery", y, height, true),
    PyGetSetDef{"center", get_center, set_center, nullptr, nullptr},
    PyGetSetDef{nullptr, nullptr, nullptr, nullptr, nullptr},
};

#undef KORVEX_RECT_FIELD
#undef KORVEX_RECT_EDGE

// --- sequence protocol, comparison, repr --------------------------------------------------

KORVEX_COLD void raise_index() { PyErr_SetString(PyExc_IndexError, "Rect index out of range"); }

float* field_at(RectObject* self, Py_ssize_t index) {
    Rectangle& r = self->_raw;
    switch (index) {
        case 0: return &r.x;
        case 1: return &r.y;
        case 2: return &r.width;
        case 3: return &r.height;
        default: return nullptr;
    }
}

Py_ssize_t rect_length(PyObject*) { return 4; }

PyObject* rect_item(PyObject* self, Py_ssize_t index) {
    const float* field = field_at(as_rect(self), index);
    if (field == nullptr) {
        raise_index();
        return nullptr;
    }
    return PyFloat_FromDouble(*field);
}

PyObject* rect_subscript(PyObject* self, PyObject* key) {
    Py_ssize_t index;
    if (!korvex::to_index(key, index)) return nullptr;
    return rect_item(self, index);
}

// The value is converted before the key is looked at at all, so a bad value
// is reported before a bad index (a non-integer one included).
int rect_ass_subscript(PyObject* self, PyObject* key, PyObject* value) {
    if (value == nullptr) return korvex::raise_item_delete(self);
    double converted;
    if (!number(value, converted)) return -1;
    Py_ssize_t index;
    if (!korvex::to_index(key, index)) return -1;
    float* field = field_at(as_rect(self), index);
    if (field == nullptr) {
        raise_index();
        return -1;
    }
    *field = static_cast<float>(converted);
    return 0;
}

PySequenceMethods sequence_methods = [] {
    PySequenceMethods m{};
    m.sq_length = rect_length;
    m.sq_item = rect_item;
    return m;
}();

PyMappingMethods mapping_methods = [] {
    PyMappingMethods m{};
    m.mp_length = rect_length;
    m.mp_subscript = rect_subscript;
    m.mp_ass_subscript = rect_ass_subscript;
    return m;
}();

// Equality with anything but a Rect is False; fields compare exactly, so NaN
// equals nothing. Ordering is left to the interpreter, which refuses it.
PyObject* rect_richcompare(PyObject* a, PyObject* b, int op) {
    if (op != Py_EQ && op != Py_NE) Py_RETURN_NOTIMPLEMENTED;
    bool equal = false;
    if (is_rect(a) && is_rect(b)) {
        const Rectangle& l = as_rect(a)->_raw;
        const Rectangle& r = as_rect(b)->_raw;
        equal = l.x == r.x && l.y == r.y && l.width == r.width && l.height == r.height;
    }
    return PyBool_FromLong(equal == (op == Py_EQ));
}

PyObject* rect_repr(PyObject* self) {
    const Rectangle& r = as_rect(self)->_raw;
    const double values[4] = {r.x, r.y, r.width, r.height};
    char* text[4] = {};
    PyObject* result = nullptr;
    bool ok = true;
    for (int i = 0; i < 4 && ok; ++i) {
        text[i] = PyOS_double_to_string(values[i], 'r', 0, Py_DTSF_ADD_DOT_0, nullptr);
        ok = text[i] != nullptr;
    }
    if (ok)
        result = PyUnicode_FromFormat("Rect(position=(%s, %s), size=(%s, %s))", text[0], text[1], text[2], text[3]);
    else
        PyErr_NoMemory();
    for (char* part : text) PyMem_Free(part);
    return result;
}

// --- module -----------------------------------------------------------------------------------

void prepare_type() {
    rect_type.tp_name = "korvex.rect.rect.Rect";
    rect_type.tp_basicsize = sizeof(RectObject);
    rect_type.tp_itemsize = 0;
    rect_type.tp_dealloc = rect_dealloc;
    rect_type.tp_repr = rect_repr;
    rect_type.tp_as_sequence = &sequence_methods;
    rect_type.tp_as_mapping = &mapping_methods;
    rect_type.tp_hash = PyObject_HashNotImplemented;
    rect_type.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
    rect_type.tp_richcompare = rect_richcompare;
    rect_type.tp_methods = methods;
    rect_type.tp_getset = getsets;
    rect_type.tp_init = rect_init;
    rect_type.tp_new = rect_new;
    rect_type.tp_free = PyObject_Free;
    rect_type.tp_vectorcall = rect_vectorcall;
}

int exec_rect(PyObject* module) {
    static const char* const names[4] = {"x", "y", "z", "w"};
    for (int i = 0; i < 4; ++i) {
        if (component_names[i] == nullptr) component_names[i] = PyUnicode_InternFromString(names[i]);
        if (component_names[i] == nullptr) return -1;
    }
    prepare_type();
    if (korvex::publish_type(module, &rect_type, &vtable) < 0) return -1;
    if (!korvex::bind_type<Vector2Object>(vector2_module_name, "Vector2", vector2_type, vector2_table)) return -1;
    if (!korvex::bind_type<Vector4Object>(vector4_module_name, "Vector4", vector4_type, vector4_table)) return -1;
    return 0;
}

}  // namespace

KORVEX_MODULE(rect, exec_rect)
