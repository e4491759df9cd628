// Color's factories and derived colours that raylib's colour helpers compute
// (GetColor, ColorFromHSV, ColorToHSV, ColorLerp, Fade, ColorAlphaBlend,
// ColorBrightness, ColorContrast), so that korvex's colours equal what raylib
// computes, and the hex text and grayscale that raylib lacks. One descriptor
// each; the bodies are in helpers.cpp, color.cpp puts them in the method table.
//
// Every result is a new, exact Color, also for a subclass's instance.
#pragma once

#include "korvex/color/color.hpp"
#include "korvex/common/entry.hpp"

namespace color_impl {

// What color.cpp and helpers.cpp share.
extern PyTypeObject color_type;
PyObject* box(Color raw);
inline ColorObject* as_color(PyObject* self) { return reinterpret_cast<ColorObject*>(self); }
inline PyObject* as_object(ColorObject* self) { return reinterpret_cast<PyObject*>(self); }
inline constexpr auto color = korvex::instance_of(korvex::type_of<&color_type>);

PyObject* color_from_int(PyObject* value);
PyObject* color_from_hex(PyObject* text);
PyObject* color_from_hsv(float hue, float saturation, float value);
PyObject* hex_text(ColorObject* self);
PyObject* hsv_tuple(ColorObject* self);
PyObject* lerped(ColorObject* self, ColorObject* other, float t);
PyObject* faded(ColorObject* self, float alpha);
PyObject* alpha_blended(ColorObject* self, ColorObject* src, ColorObject* tint);
PyObject* brightened(ColorObject* self, float factor);
PyObject* contrasted(ColorObject* self, float contrast);
PyObject* grayscale(ColorObject* self);

using korvex::signature;

// The shared sentence of the docstrings of the float parameters.
#define KORVEX_FLOAT_RULE(name) \
    " " name " converts by the float protocol, rounded to single precision; NaN raises ValueError."

inline constexpr auto from_int = korvex::static_method(
    signature("from_int", "value"), color_from_int,
    "Returns a new Color from a packed 0xRRGGBBAA int (raylib GetColor).\n\n"
    "The inverse of to_int: takes the unsigned value and the negative one that to_int returns for a red "
    "channel of 128 or more. value converts by the integer rule; OverflowError outside -2**31..2**32-1.");
inline constexpr auto from_hex = korvex::static_method(
    signature("from_hex", "text"), color_from_hex,
    "Returns a new Color from the text \"#rrggbb\" or \"#rrggbbaa\".\n\n"
    "Hexadecimal digits in either case, the \"#\" optional; alpha is 255 when left out. Any other text "
    "raises ValueError naming it; text must be a str (TypeError otherwise).",
    korvex::instance_of(korvex::type_of<&PyUnicode_Type>));
inline constexpr auto from_hsv = korvex::static_method(
    signature("from_hsv", "hue", "saturation", "value"), color_from_hsv,
    "Returns a new Color from hue, saturation and value, alpha 255.\n\n"
    "raylib's ColorFromHSV. "
    "hue is in degrees (any finite value: it wraps around); saturation and value are clamped to 0..1. "
    "Each converts by the float protocol, rounded to single precision; NaN and an infinite hue raise "
    "ValueError.");
inline constexpr auto get_hex = korvex::method(signature("get_hex"), hex_text,
                                               "Returns the colour as the text \"#rrggbbaa\", in lower case.");
inline constexpr auto get_hsv = korvex::method(
    signature("get_hsv"), hsv_tuple,
    "Returns (hue, saturation, value), a tuple of floats (raylib ColorToHSV).\n\n"
    "hue is in degrees 0..360, saturation and value in 0..1; a gray has hue and saturation 0. Alpha is "
    "ignored.");
inline constexpr auto get_lerp = korvex::method(
    signature("get_lerp", "other", "t"), lerped,
    "Returns a new Color between self (t = 0) and other (t = 1).\n\n"
    "raylib's ColorLerp. "
    "t is clamped to 0..1; each channel is (1 - t) * self + t * other in single precision, truncated. other "
    "must be a Color (TypeError otherwise)." KORVEX_FLOAT_RULE("t"),
    color, korvex::anything);
inline constexpr auto get_faded = korvex::method(
    signature("get_faded", "alpha"), faded,
    "Returns a new Color with alpha 255 * alpha, truncated (raylib Fade).\n\n"
    "alpha is clamped to 0..1 and NaN counts as 1, as for fade, which changes self instead. alpha converts "
    "by the float protocol, rounded to single precision.");
inline constexpr auto get_alpha_blended = korvex::method(
    signature("get_alpha_blended", "src", "tint"), alpha_blended,
    "Returns a new Color: src tinted by tint, blended over self by its alpha.\n\n"
    "raylib's ColorAlphaBlend(self, src, tint). "
    "src and tint must be Colors (TypeError otherwise).",
    color, color);
inline constexpr auto get_brightened = korvex::method(
    signature("get_brightened", "factor"), brightened,
    "Returns a new Color, brighter for factor > 0 and darker for factor < 0.\n\n"
    "raylib's ColorBrightness. "
    "factor is clamped to -1..1: -1 gives black, 1 white; alpha is kept." KORVEX_FLOAT_RULE("factor"));
inline constexpr auto get_contrasted = korvex::method(
    signature("get_contrasted", "contrast"), contrasted,
    "Returns a new Color with more (contrast > 0) or less contrast.\n\n"
    "raylib's ColorContrast. "
    "contrast is clamped to -1..1; alpha is kept." KORVEX_FLOAT_RULE("contrast"));
inline constexpr auto get_grayscale = korvex::method(
    signature("get_grayscale"), grayscale,
    "Returns a new Color: the luma of self in r, g and b, alpha kept.\n\n"
    "The luma is 0.299 * r + 0.587 * g + 0.114 * b in double precision, rounded half away from zero.");

#undef KORVEX_FLOAT_RULE

}  // namespace color_impl
