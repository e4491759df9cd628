// The bodies of the methods that geometry.hpp describes. Every value is
// computed in double precision from the widened fields and rounded once when
// stored (rounded()), so that a result is the nearest float to the exact one
// wherever double precision holds it.
#include "korvex/rect/geometry.hpp"

#include "korvex/common/convert.hpp"

namespace rect_impl {

namespace {

// Two numbers, or one vector-like when `second` is left out or None.
bool pair_argument(PyObject* first, PyObject* second, double (&out)[2]) {
    if (second == nullptr || second == Py_None) return vector_like(first, out);
    return korvex::to_double(first, out[0]) && korvex::to_double(second, out[1]);
}

// One axis of a clamp: the position that puts [position, position + size]
// inside [limit, limit + room], or centres it there when it is larger.
double clamp_axis(double position, double size, double limit, double room) {
    if (size > room) return limit + room / 2.0 - size / 2.0;
    if (position < limit) return limit;
    if (position + size > limit + room) return limit + room - size;
    return position;
}

double smaller(double a, double b) { return b < a ? b : a; }
double larger(double a, double b) { return b > a ? b : a; }

}  // namespace

bool moved(Rectangle& out, RectObject* self, PyObject* dx, PyObject* dy) {
    double d[2];
    if (!pair_argument(dx, dy, d)) return false;
    const Rectangle& r = self->_raw;
    out = rounded(r.x + d[0], r.y + d[1], r.width, r.height);
    return true;
}

bool inflated(Rectangle& out, RectObject* self, PyObject* dw, PyObject* dh) {
    double d[2];
    if (!pair_argument(dw, dh, d)) return false;
    const Rectangle& r = self->_raw;
    out = rounded(r.x - d[0] / 2.0, r.y - d[1] / 2.0, r.width + d[0], r.height + d[1]);
    return true;
}

bool scaled(Rectangle& out, RectObject* self, double fx, std::optional<double> fy) {
    const double fv = fy.value_or(fx);
    const Rectangle& r = self->_raw;
    const double width = r.width * fx;
    const double height = r.height * fv;
    out = rounded(r.x + r.width / 2.0 - width / 2.0, r.y + r.height / 2.0 - height / 2.0, width, height);
    return true;
}

bool clamped(Rectangle& out, RectObject* self, PyObject* other) {
    double o[4];
    if (!rect_like(other, o)) return false;
    const Rectangle& r = self->_raw;
    out = rounded(clamp_axis(r.x, r.width, o[0], o[2]), clamp_axis(r.y, r.height, o[1], o[3]), r.width, r.height);
    return true;
}

// The overlap of [x, x + w] and [ox, ox + ow] on both axes. When the two do
// not collide (the collision rule in double: touching is not colliding, NaN
// never collides) or the overlap is empty (a negative size), the result is the
// rectangle's position with size 0.
bool clipped(Rectangle& out, RectObject* self, PyObject* other) {
    double o[4];
    if (!rect_like(other, o)) return false;
    const Rectangle& r = self->_raw;
    const double far_x = static_cast<double>(r.x) + r.width, other_far_x = o[0] + o[2];
    const double far_y = static_cast<double>(r.y) + r.height, other_far_y = o[1] + o[3];
    const double left = larger(r.x, o[0]), right = smaller(far_x, other_far_x);
    const double top = larger(r.y, o[1]), bottom = smaller(far_y, other_far_y);
    const bool collide = other_far_x > r.x && o[0] < far_x && other_far_y > r.y && o[1] < far_y;
    if (collide && left < right && top < bottom)
        out = rounded(left, top, right - left, bottom - top);
    else
        out = Rectangle{r.x, r.y, 0.0f, 0.0f};
    return true;
}

bool united(Rectangle& out, RectObject* self, PyObject* other) {
    double o[4];
    if (!rect_like(other, o)) return false;
    const Rectangle& r = self->_raw;
    const double left = smaller(r.x, o[0]);
    const double top = smaller(r.y, o[1]);
    const double right = larger(static_cast<double>(r.x) + r.width, o[0] + o[2]);
    const double bottom = larger(static_cast<double>(r.y) + r.height, o[1] + o[3]);
    out = rounded(left, top, right - left, bottom - top);
    return true;
}

bool fitted(Rectangle& out, RectObject* self, PyObject* other) {
    double o[4];
    if (!rect_like(other, o)) return false;
    const Rectangle& r = self->_raw;
    const double scale = smaller(o[2] / r.width, o[3] / r.height);
    const double width = r.width * scale;
    const double height = r.height * scale;
    out = rounded(o[0] + (o[2] - width) / 2.0, o[1] + (o[3] - height) / 2.0, width, height);
    return true;
}

bool normalized(Rectangle& out, RectObject* self) {
    const Rectangle& r = self->_raw;
    out = r;
    if (r.width < 0.0f) {
        out.x = static_cast<float>(static_cast<double>(r.x) + r.width);
        out.width = -r.width;
    }
    if (r.height < 0.0f) {
        out.y = static_cast<float>(static_cast<double>(r.y) + r.height);
        out.height = -r.height;
    }
    return true;
}

// other is rounded to single precision as a Rect would store it, so that
// Rect(other) and other give one answer, and a Rect contains itself.
int contains_rect(RectObject* self, PyObject* other) {
    double o[4];
    if (!rect_like(other, o)) return -1;
    const Rectangle inner = rounded(o[0], o[1], o[2], o[3]);
    const Rectangle& r = self->_raw;
    return inner.x >= r.x && inner.y >= r.y && inner.x + inner.width <= r.x + r.width &&
           inner.y + inner.height <= r.y + r.height;
}

// The rectangle's point nearest the centre, then the distance to it squared
// against the radius squared; the point rule's edges (single-precision sums).
int circle_overlaps(RectObject* self, PyObject* center, double radius) {
    double c[2];
    if (!vector_like(center, c)) return -1;
    const Rectangle& r = self->_raw;
    if (!(r.width >= 0.0f && r.height >= 0.0f && radius >= 0.0)) return 0;
    const double near_x = larger(r.x, smaller(c[0], right_edge(r)));
    const double near_y = larger(r.y, smaller(c[1], bottom_edge(r)));
    const double dx = c[0] - near_x;
    const double dy = c[1] - near_y;
    return dx * dx + dy * dy <= radius * radius;
}

}  // namespace rect_impl
