// korvex.rect.rect: the single-precision axis-aligned rectangle: the type, its
// constructor and protocols. The properties are in properties.cpp, the methods
// and the native table in methods.cpp, the collision rules in collide.hpp, the
// new rectangles made from one (moved, clamped, unions ...) in geometry.cpp and
// the tests against many in lists.cpp.
//
// Precision: the four fields are floats. The right and bottom edges are summed
// in single precision (as raylib would) and only then widened; centres and the
// numeric collision paths work in double. Edges grow to the right and down:
// top is y, bottom is y + height.
#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/field_iterator.hpp"
#include "korvex/common/module.hpp"
#include "korvex/common/properties.hpp"
#include "korvex/common/types.hpp"
#include "korvex/rect/rect_internal.hpp"

namespace rect_impl {

ImportedVector2 vector2_class;
ImportedVector4 vector4_class;
PyObject* component_names[4] = {};

int raise_value_error(const char* message) {
    PyErr_SetString(PyExc_ValueError, message);
    return -1;
}

namespace {

// --- constructor ---------------------------------------------------------------------

// The one- and two-argument forms are kept out of line, so that the common
// four-number form inlines into the constructor.
KORVEX_NOINLINE int read_one(PyObject* arg, double (&values)[4]) {
    if (!is_exact_list_or_tuple(arg) && is_vector2(arg)) {
        double size[2];
        if (!vector_components(arg, size)) return -1;
        values[2] = size[0];
        values[3] = size[1];
        return 0;
    }
    const int read = rect_values(arg, values);
    if (read != 0) return read > 0 ? 0 : -1;
    if (is_list_or_tuple(arg)) return raise_value_error("list/tuple for rect must have 4 elements");
    return raise_value_error("Rect takes Vector2, Rect, Vector4, or list/tuple of length 4");
}

// A position or size: a Vector2 or a list/tuple of length 2. Returns 1 when
// read, 0 when the argument is of neither kind, -1 on error.
KORVEX_NOINLINE int read_pair(PyObject* arg, double* out) {
    double pair[2];
    int read = 1;
    if (!is_exact_list_or_tuple(arg) && is_vector2(arg))
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
                if (!korvex::to_double(args[i], values[i])) return -1;
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
constexpr auto tp_new = korvex::new_blank<RectObject, &vtable>;

int tp_init(PyObject* self, PyObject* args, PyObject* kwds) {
    if (!korvex::reject_keyword_dict("__init__", kwds)) return -1;
    return init_impl(as_rect(self), &PyTuple_GET_ITEM(args, 0), PyTuple_GET_SIZE(args), nullptr);
}

// Calling Rect itself converts the arguments into a fresh object. A subclass
// goes through tp_new and tp_init instead: the interpreter does not inherit
// tp_vectorcall, and the check keeps that true whatever it does.
PyObject* tp_vectorcall(PyObject* type, PyObject* const* args, size_t nargsf, PyObject* kwnames) {
    if (type != reinterpret_cast<PyObject*>(&rect_type))
        return korvex::call_type_generically(type, args, nargsf, kwnames);
    RectObject* self = allocate();
    if (self == nullptr) return nullptr;
    if (init_impl(self, args, PyVectorcall_NARGS(nargsf), kwnames) < 0) {
        Py_DECREF(self);
        return nullptr;
    }
    return as_object(self);
}

void tp_dealloc(PyObject* self) { Py_TYPE(self)->tp_free(self); }

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

Py_ssize_t sq_length(PyObject*) { return 4; }

PyObject* sq_item(PyObject* self, Py_ssize_t index) {
    const float* field = field_at(as_rect(self), index);
    if (field == nullptr) {
        raise_index();
        return nullptr;
    }
    return PyFloat_FromDouble(*field);
}

PyObject* mp_subscript(PyObject* self, PyObject* key) {
    Py_ssize_t index;
    if (!korvex::to_index(key, index)) return nullptr;
    return sq_item(self, index);
}

// The value is converted before the key is looked at at all, so a bad value
// is reported before a bad index (a non-integer one included).
int mp_ass_subscript(PyObject* self, PyObject* key, PyObject* value) {
    if (value == nullptr) return korvex::raise_item_delete(self);
    double converted;
    if (!korvex::to_double(value, converted)) return -1;
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

// Iterating a Rect reads r[0] to r[3] as it goes. An exact Rect gets its own
// iterator (no IndexError raised and caught at the end of every loop or
// unpacking); a subclass, which may index otherwise and takes part in
// reference cycles, keeps the interpreter's iteration by indexing.
struct Fields {
    static constexpr const char* name = "korvex.rect.rect.RectIterator";
    static constexpr std::size_t count = 4;
    static PyObject* read(PyObject* self, std::size_t index) { return sq_item(self, static_cast<Py_ssize_t>(index)); }
};

PyObject* tp_iter(PyObject* self) {
    if (Py_IS_TYPE(self, &rect_type)) return korvex::FieldIterator<Fields>::make(self);
    return PySeqIter_New(self);
}

PySequenceMethods sequence_methods = korvex::sequence_slots(sq_length, sq_item);
PyMappingMethods mapping_methods = korvex::mapping_slots(sq_length, mp_subscript, mp_ass_subscript);

// Equality with anything but a Rect is False; fields compare exactly, so NaN
// equals nothing. Ordering is left to the interpreter, which refuses it.
PyObject* tp_richcompare(PyObject* a, PyObject* b, int op) {
    if (op != Py_EQ && op != Py_NE) Py_RETURN_NOTIMPLEMENTED;
    bool equal = false;
    if (is_rect(a) && is_rect(b)) {
        const Rectangle& l = as_rect(a)->_raw;
        const Rectangle& r = as_rect(b)->_raw;
        equal = l.x == r.x && l.y == r.y && l.width == r.width && l.height == r.height;
    }
    return PyBool_FromLong(equal == (op == Py_EQ));
}

PyObject* tp_repr(PyObject* self) {
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

int exec_rect(PyObject* module) {
    static const char* const names[4] = {"x", "y", "z", "w"};
    for (int i = 0; i < 4; ++i) {
        if (component_names[i] == nullptr) component_names[i] = PyUnicode_InternFromString(names[i]);
        if (component_names[i] == nullptr) return -1;
    }
    if (PyType_Ready(&korvex::FieldIterator<Fields>::type) < 0) return -1;
    if (korvex::publish_type(module, &rect_type, &vtable) < 0) return -1;
    return korvex::bind(vector2_class, vector4_class) ? 0 : -1;
}

}  // namespace

PyObject* slot_new(Rectangle raw) {
    RectObject* self = allocate();
    if (self != nullptr) self->_raw = raw;
    return as_object(self);
}

PyTypeObject rect_type = korvex::static_type<RectObject>({
    .name = "korvex.rect.rect.Rect",
    .subclassable = true,
    .lifecycle = {.create = tp_new, .init = tp_init, .call = tp_vectorcall, .dealloc = tp_dealloc},
    .protocols = {.repr = tp_repr,
                  .hash = PyObject_HashNotImplemented,
                  .compare = tp_richcompare,
                  .iter = tp_iter,
                  .sequence = &sequence_methods,
                  .mapping = &mapping_methods},
    .methods = methods(),
    .getset = properties(),
});

}  // namespace rect_impl

KORVEX_MODULE(rect, rect_impl::exec_rect,
              "Rect, the single-precision rectangle, with its collision tests.\n\n"
              "Rect(*args): an axis-aligned rectangle (x, y, width, height) in single precision.\n\n"
              "x grows to the right and y downward, as on screen. Rect() is all zeros; Rect(x, y, width, "
              "height) takes four numbers; Rect(r) copies a Rect; Rect(v) of a Vector2 is (0, 0, v.x, v.y); "
              "Rect(q) of a Vector4 is (q.x, q.y, q.z, q.w); Rect(s) takes a list or tuple of four numbers; "
              "Rect(position, size) takes two Vector2s or lists or tuples of two numbers. Numbers convert by "
              "the float protocol, rounded to single precision. Other arguments raise ValueError (TypeError "
              "for 3 or more than 4 arguments or a keyword); a failure changes nothing.\n\n"
              "The anchor properties (topleft ... midright, center, size) read a new Vector2 and, assigned, "
              "move the rectangle (size sets width and height). get_ methods (get_moved, get_clamped, "
              "get_union ...) return a new Rect; their to_ twins change the rectangle and return it.\n\n"
              "collide_point includes the border; collide_rect needs a true overlap, and so do collide_list, "
              "collide_list_all, collide_objects and collide_objects_all, which test many in one loop. == compares the four "
              "fields exactly and is False for other types; unhashable. len() is 4 and r[i] reads x, y, width, "
              "height. May be subclassed: native callers honour a subclass's get_ and collide_ methods. "
              "Pickling is refused.")
