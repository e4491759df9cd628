// The bodies of Color's factories and derived colours (helpers.hpp). raylib's
// helpers convert floats to channels with plain casts, which are undefined for
// NaN and for values outside 0..255; every float that reaches them is first
// made one they handle: NaN is refused (or, for the alpha of a fade, counts as
// 1, as fade's does) and the HSV saturation and value are clamped to 0..1.
#include <cmath>
#include <cstdio>

#include "korvex/color/helpers.hpp"
#include "korvex/common/convert.hpp"

namespace color_impl {

namespace {

KORVEX_COLD PyObject* raise_nan(const char* param) {
    PyErr_Format(PyExc_ValueError, "%s must be a number, not NaN", param);
    return nullptr;
}

KORVEX_COLD PyObject* raise_not_hex(PyObject* text) {
    PyErr_Format(PyExc_ValueError, "%R is not a hex colour: expected \"#rrggbb\" or \"#rrggbbaa\"", text);
    return nullptr;
}

float unit_clamped(float value) { return value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value; }

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

PyObject* color_from_int(PyObject* value) {
    long long packed;
    if (!korvex::to_int64(value, packed)) return nullptr;
    if (packed < -2147483648LL || packed > 0xFFFFFFFFLL) {
        PyErr_SetString(PyExc_OverflowError,
                        "value does not fit in 32 bits (0xRRGGBBAA, or the negative int that to_int returns)");
        return nullptr;
    }
    return box(GetColor(static_cast<unsigned int>(packed)));
}

PyObject* color_from_hex(PyObject* text) {
    Py_ssize_t length;
    const char* chars = PyUnicode_AsUTF8AndSize(text, &length);
    if (chars == nullptr) {  // lone surrogates: not a colour either
        PyErr_Clear();
        return raise_not_hex(text);
    }
    if (length > 0 && chars[0] == '#') {
        ++chars;
        --length;
    }
    if (length != 6 && length != 8) return raise_not_hex(text);
    unsigned int packed = 0;
    for (Py_ssize_t i = 0; i < length; ++i) {
        const int digit = hex_digit(chars[i]);
        if (digit < 0) return raise_not_hex(text);
        packed = packed << 4 | static_cast<unsigned int>(digit);
    }
    if (length == 6) packed = packed << 8 | 0xFFu;
    return box(GetColor(packed));
}

PyObject* color_from_hsv(float hue, float saturation, float value) {
    if (std::isnan(hue)) return raise_nan("hue");
    if (std::isinf(hue)) {
        PyErr_SetString(PyExc_ValueError, "hue must be finite");
        return nullptr;
    }
    if (std::isnan(saturation)) return raise_nan("saturation");
    if (std::isnan(value)) return raise_nan("value");
    return box(ColorFromHSV(hue, unit_clamped(saturation), unit_clamped(value)));
}

PyObject* hex_text(ColorObject* self) {
    const Color c = self->_raw;
    char text[10];
    std::snprintf(text, sizeof text, "#%02x%02x%02x%02x", c.r, c.g, c.b, c.a);
    return PyUnicode_FromStringAndSize(text, 9);
}

PyObject* hsv_tuple(ColorObject* self) {
    const Vector3 hsv = ColorToHSV(self->_raw);
    const double values[] = {hsv.x, hsv.y, hsv.z};
    return korvex::tuple_of(PyFloat_FromDouble, values);
}

PyObject* lerped(ColorObject* self, ColorObject* other, float t) {
    if (std::isnan(t)) return raise_nan("t");
    return box(ColorLerp(self->_raw, other->_raw, t));
}

PyObject* faded(ColorObject* self, float alpha) { return box(Fade(self->_raw, std::isnan(alpha) ? 1.0f : alpha)); }

PyObject* alpha_blended(ColorObject* self, ColorObject* src, ColorObject* tint) {
    return box(ColorAlphaBlend(self->_raw, src->_raw, tint->_raw));
}

PyObject* brightened(ColorObject* self, float factor) {
    if (std::isnan(factor)) return raise_nan("factor");
    return box(ColorBrightness(self->_raw, factor));
}

PyObject* contrasted(ColorObject* self, float contrast) {
    if (std::isnan(contrast)) return raise_nan("contrast");
    return box(ColorContrast(self->_raw, contrast));
}

PyObject* grayscale(ColorObject* self) {
    const Color c = self->_raw;
    const double luma = std::round(0.299 * c.r + 0.587 * c.g + 0.114 * c.b);
    const unsigned char gray = static_cast<unsigned char>(luma > 255.0 ? 255.0 : luma);
    return box(Color{gray, gray, gray, c.a});
}

}  // namespace color_impl
