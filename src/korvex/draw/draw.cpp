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
using korvex::Need;
using korvex::Paint;
using korvex::Point;
using korvex::raylib_function;
using korvex::signature;
using korvex::Text;
using korvex::Whole;
using korvex::draw::Picture;
using korvex::draw::Sides;

constexpr Need window = Need::window;

#define KORVEX_SIG(name, ...) constexpr auto name##_sig = signature(#name, __VA_ARGS__)
KORVEX_SIG(draw_pixel_v, "position", "color");
KORVEX_SIG(draw_line_v, "start", "end", "color");
KORVEX_SIG(draw_line_ex, "start", "end", "thick", "color");
KORVEX_SIG(draw_circle_v, "center", "radius", "color");
KORVEX_SIG(draw_circle_lines_v, "center", "radius", "color");
KORVEX_SIG(draw_rectangle_rec, "rect", "color");
KORVEX_SIG(draw_rectangle_lines_ex, "rect", "thick", "color");
KORVEX_SIG(draw_rectangle_pro, "rect", "origin", "rotation", "color");
KORVEX_SIG(draw_triangle, "v1", "v2", "v3", "color");
KORVEX_SIG(draw_poly, "center", "sides", "radius", "rotation", "color");
KORVEX_SIG(draw_text, "text", "x", "y", "font_size", "color");
KORVEX_SIG(measure_text, "text", "font_size");
KORVEX_SIG(draw_fps, "x", "y");
KORVEX_SIG(draw_texture_v, "texture", "position", "tint");
KORVEX_SIG(draw_texture_rec, "texture", "source", "position", "tint");
KORVEX_SIG(draw_texture_pro, "texture", "source", "dest", "origin", "rotation", "tint");
#undef KORVEX_SIG

// The parameter forms the docstrings share.
#define KORVEX_LIKES "Positions are vector2-likes, rectangles rect-likes, colors color-likes (Vector2, Rect, Color or a plain sequence). "
#define KORVEX_CHECKS "ValueError for a NaN or infinite number; RuntimeError when no raylib window is open."

auto functions = korvex::terminated<PyMethodDef>(
    raylib_function<draw_pixel_v_sig,
                    "Draws one pixel at a position; returns None.\n\n" KORVEX_LIKES KORVEX_CHECKS, DrawPixelV,
                    window, "draw", Point, Paint>(),
    raylib_function<draw_line_v_sig,
                    "Draws a line one pixel wide from start to end; returns None.\n\n" KORVEX_LIKES KORVEX_CHECKS,
                    DrawLineV, window, "draw", Point, Point, Paint>(),
    raylib_function<draw_line_ex_sig,
                    "Draws a line thick pixels wide from start to end; returns None.\n\n" KORVEX_LIKES KORVEX_CHECKS,
                    DrawLineEx, window, "draw", Point, Point, Length, Paint>(),
    raylib_function<draw_circle_v_sig,
                    "Draws a filled circle; returns None.\n\n" KORVEX_LIKES KORVEX_CHECKS, DrawCircleV, window,
                    "draw", Point, Length, Paint>(),
    raylib_function<draw_circle_lines_v_sig,
                    "Draws the outline of a circle; returns None.\n\n" KORVEX_LIKES KORVEX_CHECKS, DrawCircleLinesV,
                    window, "draw", Point, Length, Paint>(),
    raylib_function<draw_rectangle_rec_sig,
                    "Draws a filled rectangle; returns None.\n\n" KORVEX_LIKES KORVEX_CHECKS, DrawRectangleRec,
                    window, "draw", Area, Paint>(),
    raylib_function<draw_rectangle_lines_ex_sig,
                    "Draws a rectangle's outline, thick pixels wide, inside it; returns None.\n\n" KORVEX_LIKES
                        KORVEX_CHECKS,
                    DrawRectangleLinesEx, window, "draw", Area, Length, Paint>(),
    raylib_function<draw_rectangle_pro_sig,
                    "Draws a filled rectangle turned by rotation degrees about origin.\n\n"
                    "Returns None; origin is relative to the rectangle's corner. " KORVEX_LIKES KORVEX_CHECKS,
                    DrawRectanglePro, window, "draw", Area, Point, Length, Paint>(),
    raylib_function<draw_triangle_sig,
                    "Draws a filled triangle; returns None.\n\n"
                    "The corners go counter-clockwise (raylib draws nothing otherwise). " KORVEX_LIKES
                        KORVEX_CHECKS,
                    DrawTriangle, window, "draw", Point, Point, Point, Paint>(),
    raylib_function<draw_poly_sig,
                    "Draws a filled regular polygon; returns None.\n\n"
                    "sides is an int (3 at least are drawn; ValueError above 65536), rotation in degrees. "
                    KORVEX_LIKES KORVEX_CHECKS,
                    DrawPoly, window, "draw", Point, Sides, Length, Length, Paint>(),
    raylib_function<draw_text_sig,
                    "Draws text in raylib's default font; returns None.\n\n"
                    "text is a str without NUL characters; x, y and font_size are ints (font sizes below 10 "
                    "draw at 10). RuntimeError when no raylib window is open.",
                    DrawText, window, "draw", Text, Whole, Whole, Whole, Paint>(),
    raylib_function<measure_text_sig,
                    "The width in pixels, an int, of text drawn by draw_text.\n\n"
                    "The default font comes with the window: RuntimeError when no raylib window is open.",
                    MeasureText, window, "measure text", Text, Whole>(),
    raylib_function<draw_fps_sig,
                    "Draws the frames per second at x, y; returns None.\n\n"
                    "RuntimeError when no raylib window is open.", DrawFPS, window, "draw", Whole, Whole>(),
    raylib_function<draw_texture_v_sig,
                    "Draws a Texture with its top left corner at position; returns None.\n\n"
                    "texture is a Texture (TypeError otherwise), as Texture.load or a RenderTexture gives. "
                    "tint multiplies its colors (white keeps them). " KORVEX_CHECKS,
                    DrawTextureV, window, "draw", Picture, Point, Paint>(),
    raylib_function<draw_texture_rec_sig,
                    "Draws the source part of a Texture at position; returns None.\n\n"
                    "A negative source width or height flips the part (a RenderTexture's texture is upside "
                    "down: give -height). " KORVEX_CHECKS,
                    DrawTextureRec, window, "draw", Picture, Area, Point, Paint>(),
    raylib_function<draw_texture_pro_sig,
                    "Draws the source part of a Texture into dest, turned about origin.\n\n"
                    "Returns None; rotation is in degrees, origin relative to dest's corner. " KORVEX_CHECKS,
                    DrawTexturePro, window, "draw", Picture, Area, Area, Point, Length, Paint>());

#undef KORVEX_LIKES
#undef KORVEX_CHECKS

int exec_draw(PyObject* module) {
    if (!parser_import(korvex::parser)) return -1;
    korvex::Imported<TextureObject, TextureVTable> texture;
    if (!texture.bind(texture_module_name, "Texture")) return -1;
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
