// korvex.draw.draw: raylib's 2D drawing, one module function per raylib
// function (names in snake_case, raylib's arguments in raylib's order), and
// the batches of batch.cpp.
//
// Every Vector2, Rectangle and Color argument goes through the parser's
// exported functions, so the package's own objects and any like-value are
// taken. The parser accepts NaN and infinities; coordinates, sizes, radii,
// thicknesses and angles must be finite here (ValueError), since raylib would
// carry them into the GL buffers. raylib crashes without a window, so every
// function raises RuntimeError "cannot draw: no raylib window is ready"
// first, after its arguments are checked.
#include "korvex/draw/draw.hpp"

#include "korvex/common/args.hpp"
#include "korvex/common/module.hpp"
#include "korvex/common/types.hpp"
#include "korvex/draw/batch.hpp"
#include "korvex/draw/kinds.hpp"

namespace {

using korvex::Area;
using korvex::Length;
using korvex::Paint;
using korvex::Point;
using korvex::window_entry;
using korvex::signature;
using korvex::Text;
using korvex::Whole;
using korvex::draw::Picture;
using korvex::draw::Sides;

constexpr auto draw_pixel_v = window_entry<DrawPixelV, "draw", Point, Paint>(
    signature("draw_pixel_v", "position", "color"), "Draws one pixel at a position; returns None.");
constexpr auto draw_line_v = window_entry<DrawLineV, "draw", Point, Point, Paint>(
    signature("draw_line_v", "start", "end", "color"), "Draws a line one pixel wide from start to end; returns None.");
constexpr auto draw_line_ex = window_entry<DrawLineEx, "draw", Point, Point, Length, Paint>(
    signature("draw_line_ex", "start", "end", "thick", "color"),
    "Draws a line thick pixels wide from start to end; returns None.");
constexpr auto draw_circle_v = window_entry<DrawCircleV, "draw", Point, Length, Paint>(
    signature("draw_circle_v", "center", "radius", "color"), "Draws a filled circle; returns None.");
constexpr auto draw_circle_lines_v = window_entry<DrawCircleLinesV, "draw", Point, Length, Paint>(
    signature("draw_circle_lines_v", "center", "radius", "color"), "Draws the outline of a circle; returns None.");
constexpr auto draw_rectangle_rec = window_entry<DrawRectangleRec, "draw", Area, Paint>(
    signature("draw_rectangle_rec", "rect", "color"), "Draws a filled rectangle; returns None.");
constexpr auto draw_rectangle_lines_ex = window_entry<DrawRectangleLinesEx, "draw", Area, Length, Paint>(
    signature("draw_rectangle_lines_ex", "rect", "thick", "color"),
    "Draws a rectangle's outline, thick pixels wide, inside it; returns None.");
constexpr auto draw_rectangle_pro = window_entry<DrawRectanglePro, "draw", Area, Point, Length, Paint>(
    signature("draw_rectangle_pro", "rect", "origin", "rotation", "color"),
    "Draws a filled rectangle turned by rotation degrees about origin.\n\n"
    "Returns None; origin is relative to the rectangle's corner.");
constexpr auto draw_triangle = window_entry<DrawTriangle, "draw", Point, Point, Point, Paint>(
    signature("draw_triangle", "v1", "v2", "v3", "color"),
    "Draws a filled triangle; returns None.\n\n"
    "The corners go counter-clockwise (raylib draws nothing otherwise).");
constexpr auto draw_poly = window_entry<DrawPoly, "draw", Point, Sides, Length, Length, Paint>(
    signature("draw_poly", "center", "sides", "radius", "rotation", "color"),
    "Draws a filled regular polygon; returns None.\n\n"
    "sides is an int (3 at least are drawn; ValueError above 65536), rotation in degrees.");
constexpr auto draw_text = window_entry<DrawText, "draw", Text, Whole, Whole, Whole, Paint>(
    signature("draw_text", "text", "x", "y", "font_size", "color"),
    "Draws text in raylib's default font; returns None.\n\n"
    "x, y and font_size are ints (font sizes below 10 draw at 10).");
// The default font comes with the window.
constexpr auto measure_text = window_entry<MeasureText, "measure text", Text, Whole>(
    signature("measure_text", "text", "font_size"), "The width in pixels, an int, of text drawn by draw_text.");
constexpr auto draw_fps = window_entry<DrawFPS, "draw", Whole, Whole>(
    signature("draw_fps", "x", "y"), "Draws the frames per second at x, y; returns None.");
constexpr auto draw_texture_v = window_entry<DrawTextureV, "draw", Picture, Point, Paint>(
    signature("draw_texture_v", "texture", "position", "tint"),
    "Draws a Texture with its top left corner at position; returns None.\n\n"
    "tint multiplies its colors (white keeps them).");
constexpr auto draw_texture_rec = window_entry<DrawTextureRec, "draw", Picture, Area, Point, Paint>(
    signature("draw_texture_rec", "texture", "source", "position", "tint"),
    "Draws the source part of a Texture at position; returns None.\n\n"
    "A negative source width or height flips the part (a RenderTexture's texture is upside down: give "
    "-height).");
constexpr auto draw_texture_pro = window_entry<DrawTexturePro, "draw", Picture, Area, Area, Point, Length, Paint>(
    signature("draw_texture_pro", "texture", "source", "dest", "origin", "rotation", "tint"),
    "Draws the source part of a Texture into dest, turned about origin.\n\n"
    "Returns None; rotation is in degrees, origin relative to dest's corner.");

auto functions = korvex::method_table<
    draw_pixel_v, draw_line_v, draw_line_ex, draw_circle_v, draw_circle_lines_v, draw_rectangle_rec,
    draw_rectangle_lines_ex, draw_rectangle_pro, draw_triangle, draw_poly, draw_text, measure_text, draw_fps,
    draw_texture_v, draw_texture_rec, draw_texture_pro>();

int exec_draw(PyObject* module) {
    if (!parser_import(korvex::parser)) return -1;
    ImportedTexture texture;
    if (!texture.bind()) return -1;
    korvex::draw::texture_type = texture.type;
    if (PyModule_AddFunctions(module, functions.data()) < 0) return -1;
    return PyModule_AddFunctions(module, korvex::draw::batch_functions());
}

}  // namespace

KORVEX_MODULE(draw, exec_draw,
              "Drawing with raylib: shapes, text, textures and batches.\n\n"
              "Draw between begin_drawing() and end_drawing() of korvex.window.window, or into a "
              "RenderTexture. Positions, rectangles and colors are the package's Vector2, Rect and Color or "
              "any like-value (a tuple, a list). draw_rectangles, draw_circles and draw_pixels draw a whole "
              "sequence in one call. Everything raises RuntimeError without a raylib window.")
