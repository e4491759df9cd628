// korvex.window.window: raylib's window, the frame, blending, timing and
// input, as module functions named after raylib's in snake_case.
//
// raylib crashes the process when a frame is begun or ended, the background
// cleared or the window closed while no window is open, so those functions
// check for the window first: RuntimeError "cannot ...: no raylib window is
// ready", and close_window() then does nothing. The timing and input queries
// read raylib's state, which is there with or without a window.
#include "korvex/window/window.hpp"

#include <raylib.h>
#include <rlgl.h>  // after raylib.h, which it then leaves its Matrix

#include "korvex/common/args.hpp"
#include "korvex/common/entry.hpp"
#include "korvex/common/module.hpp"
#include "korvex/common/types.hpp"
#include "korvex/window/call.hpp"
#include "korvex/window/constants.hpp"

namespace {

using korvex::Need;
using korvex::signature;

// raylib's input state is sized by these (rcore.c): keys 0..511, mouse
// buttons 0..MOUSE_BUTTON_BACK.
constexpr int key_codes = 512;
constexpr int button_codes = MOUSE_BUTTON_BACK + 1;
using Key = korvex::Code<key_codes>;
using Button = korvex::Code<button_codes>;
using korvex::Length;
using korvex::Paint;
using korvex::Whole;

// --- opening and closing ---------------------------------------------------------------

// GL implementations stop far below this; Mesa aborts the process for some
// sides past it instead of failing.
constexpr int max_window_side = 32768;

// raylib keeps the title pointer it is given (CORE.Window.title) and only
// replaces it when given a non-empty title, so the text must outlive the
// window: the last non-empty title is kept here, as a bytes object (no C++
// allocation that could throw through the interpreter, and no newer C++
// runtime symbol than the rest of the package needs).
PyObject* window_title = nullptr;

bool open_window(int width, int height, PyObject* title_arg) {
    const char* title = nullptr;
    if (!korvex::text_argument(title_arg, "title", title)) return false;
    if (width <= 0 || height <= 0 || width > max_window_side || height > max_window_side) {
        PyErr_Format(PyExc_ValueError, "window width and height must be between 1 and %d (got %d by %d)",
                     max_window_side, width, height);
        return false;
    }
    if (IsWindowReady()) {
        PyErr_SetString(PyExc_RuntimeError, "cannot open a window: a raylib window is already open");
        return false;
    }
    if (*title != '\0') {
        PyObject* kept = PyBytes_FromString(title);
        if (kept == nullptr) return false;
        Py_XSETREF(window_title, kept);
    }
    // When raylib cannot open the window (no display, no GL context) it
    // returns with GLFW terminated and the window not ready, and a later call
    // starts again from the beginning.
    InitWindow(width, height, *title != '\0' ? PyBytes_AS_STRING(window_title) : "");
    if (IsWindowReady()) return true;
    PyErr_SetString(PyExc_RuntimeError, "raylib could not open a window (is a display available?)");
    return false;
}

void close_open_window() {
    if (IsWindowReady()) CloseWindow();
}

// raylib reads the flags when it opens the window; set later, they would
// only be half applied (use the window's own state functions for that).
bool set_flags(PyObject* flags_arg) {
    long long flags;
    if (!korvex::to_int64(flags_arg, flags)) return false;
    if (flags < 0 || flags > 0xFFFFFFFFLL) {
        PyErr_SetString(PyExc_ValueError, "flags must be between 0 and 0xFFFFFFFF");
        return false;
    }
    if (IsWindowReady()) {
        PyErr_SetString(PyExc_RuntimeError, "set_config_flags() must be called before init_window()");
        return false;
    }
    SetConfigFlags(static_cast<unsigned int>(flags));
    return true;
}

// raylib's TakeScreenshot writes under the working directory of the time the
// window opened and reports failure only in its log; this writes the window's
// pixels to `path` as given and says whether it could.
PyObject* screenshot(PyObject* path_arg) {
    PyObject* path;
    if (!korvex::path_argument(path_arg, "path", path)) return nullptr;
    if (!IsWindowReady()) {
        Py_DECREF(path);
        return korvex::raise_no_window("take a screenshot");
    }
    Image screen = LoadImageFromScreen();
    const bool written = screen.data != nullptr && ExportImage(screen, PyBytes_AS_STRING(path));
    UnloadImage(screen);
    Py_DECREF(path);
    return PyBool_FromLong(written);
}

constexpr auto init_window = korvex::function(
    signature("init_window", "width", "height", "title"), open_window,
    "Opens raylib's window of width by height pixels; returns None.\n\n"
    "title is a str without NUL characters. ValueError when a side is not in 1..32768; RuntimeError when a "
    "window is already open or raylib cannot open one (no display): nothing is then left open, and a later "
    "call may try again.");
constexpr auto close_window = korvex::function(
    signature("close_window"), close_open_window,
    "Closes raylib's window and its GL context; returns None.\n\nDoes nothing when no window is open.");
constexpr auto set_config_flags = korvex::function(
    signature("set_config_flags", "flags"), set_flags,
    "Sets the FLAG_* bits for the next init_window(); returns None.\n\n"
    "flags is an int of 0..0xFFFFFFFF (ValueError otherwise). RuntimeError when a window is already open.");
constexpr auto take_screenshot = korvex::function(
    signature("take_screenshot", "path"), screenshot,
    "Writes the window's pixels to an image file; returns True on success.\n\n"
    "path is a str or path-like object; its extension picks the format (.png). RuntimeError when no raylib "
    "window is open.");

// --- the frame as a with block ----------------------------------------------------------

struct FrameObject {
    PyObject_HEAD
};

PyObject* the_frame = nullptr;  // drawing() hands out this one object

PyObject* enter_frame(PyObject* self) {
    if (!IsWindowReady()) return korvex::raise_no_window("begin a frame");
    BeginDrawing();
    return Py_NewRef(self);
}

// Ends the frame also when the block raised, and returns False so that the
// exception propagates.
PyObject* exit_frame(PyObject*, PyObject*, PyObject*, PyObject*) {
    if (!IsWindowReady()) return korvex::raise_no_window("end a frame");
    EndDrawing();
    Py_RETURN_FALSE;
}

constexpr auto enter = korvex::method(signature("__enter__"), enter_frame,
                                      "Begins a frame (begin_drawing) and returns this object.\n\n"
                                      "Raises RuntimeError when no raylib window is open.");
constexpr auto exit = korvex::method(signature("__exit__", "exc_type", "exc_val", "exc_tb"), exit_frame,
                                     "Ends the frame (end_drawing), also after an exception; returns False.\n\n"
                                     "An exception raised in the block propagates.");
constexpr auto drawing = korvex::function(
    signature("drawing"), [] { return Py_NewRef(the_frame); },
    "A context manager: with drawing(): draws one frame.\n\n"
    "The block runs between begin_drawing() and end_drawing(); the frame ends also when the block raises.");

auto frame_methods = korvex::method_table<enter, exit>();

// Frames hold no state: Frame() makes another one, equal in use to the one
// drawing() hands out.
PyTypeObject frame_type = korvex::static_type<FrameObject>({
    .name = "korvex.window.window.Frame",
    .lifecycle = {.create = PyBaseObject_Type.tp_new},
    .methods = frame_methods.data(),
});

// --- the table ---------------------------------------------------------------------------

#define KORVEX_SIG(name, ...) constexpr auto name##_sig = signature(#name __VA_OPT__(, ) __VA_ARGS__)
KORVEX_SIG(is_window_ready);
KORVEX_SIG(window_should_close);
KORVEX_SIG(set_target_fps, "fps");
KORVEX_SIG(get_fps);
KORVEX_SIG(get_frame_time);
KORVEX_SIG(get_time);
KORVEX_SIG(get_screen_width);
KORVEX_SIG(get_screen_height);
KORVEX_SIG(set_trace_log_level, "level");
KORVEX_SIG(begin_drawing);
KORVEX_SIG(end_drawing);
KORVEX_SIG(clear_background, "color");
KORVEX_SIG(begin_blend_mode, "mode");
KORVEX_SIG(end_blend_mode);
KORVEX_SIG(set_blend_factors_separate, "src_rgb", "dst_rgb", "src_alpha", "dst_alpha", "eq_rgb", "eq_alpha");
KORVEX_SIG(is_key_down, "key");
KORVEX_SIG(is_key_pressed, "key");
KORVEX_SIG(is_key_released, "key");
KORVEX_SIG(is_key_up, "key");
KORVEX_SIG(get_key_pressed);
KORVEX_SIG(get_char_pressed);
KORVEX_SIG(is_mouse_button_down, "button");
KORVEX_SIG(is_mouse_button_pressed, "button");
KORVEX_SIG(is_mouse_button_released, "button");
KORVEX_SIG(get_mouse_position);
KORVEX_SIG(get_mouse_delta);
KORVEX_SIG(get_mouse_wheel_move);
#undef KORVEX_SIG

using korvex::raylib_function;
constexpr Need always = Need::nothing;
constexpr Need window = Need::window;

auto functions = korvex::terminated<PyMethodDef>(
    korvex::Entry<init_window>::definition(),
    korvex::Entry<close_window>::definition(),
    raylib_function<is_window_ready_sig, "True while raylib's window is open.", IsWindowReady, always, "">(),
    raylib_function<window_should_close_sig,
                    "True when the window was asked to close (Escape, the close button).\n\n"
                    "True when no window is open.", WindowShouldClose, always, "">(),
    korvex::Entry<set_config_flags>::definition(),
    raylib_function<set_target_fps_sig,
                    "Sets the frame rate end_drawing() waits for; returns None.\n\n"
                    "0 or less: no waiting.", SetTargetFPS, always, "", Whole>(),
    raylib_function<get_fps_sig, "The frames per second of the last half second, an int.", GetFPS, always, "">(),
    raylib_function<get_frame_time_sig, "The seconds the last frame took, a float.", GetFrameTime, always, "">(),
    raylib_function<get_time_sig, "The seconds since the window opened, a float.", GetTime, always, "">(),
    raylib_function<get_screen_width_sig, "The window's width in pixels, an int.", GetScreenWidth, always, "">(),
    raylib_function<get_screen_height_sig, "The window's height in pixels, an int.", GetScreenHeight, always,
                    "">(),
    raylib_function<set_trace_log_level_sig,
                    "Sets the least severe LOG_* level raylib prints; returns None.", SetTraceLogLevel, always, "",
                    Whole>(),
    korvex::Entry<take_screenshot>::definition(),
    raylib_function<begin_drawing_sig,
                    "Begins a frame of drawing to the window; returns None.\n\n"
                    "RuntimeError when no raylib window is open.", BeginDrawing, window, "begin a frame">(),
    raylib_function<end_drawing_sig,
                    "Ends the frame: draws it, shows it and reads input; returns None.\n\n"
                    "Waits for the target frame rate. RuntimeError when no raylib window is open.", EndDrawing,
                    window, "end a frame">(),
    korvex::Entry<drawing>::definition(),
    raylib_function<clear_background_sig,
                    "Fills the target with a color-like; returns None.\n\n"
                    "RuntimeError when no raylib window is open.", ClearBackground, window, "draw", Paint>(),
    raylib_function<begin_blend_mode_sig,
                    "Blends what is drawn next by a BLEND_* mode; returns None.\n\n"
                    "RuntimeError when no raylib window is open.", BeginBlendMode, window, "set a blend mode",
                    Whole>(),
    raylib_function<end_blend_mode_sig,
                    "Returns to alpha blending; returns None.\n\n"
                    "RuntimeError when no raylib window is open.", EndBlendMode, window, "set a blend mode">(),
    raylib_function<set_blend_factors_separate_sig,
                    "Sets the factors and equations of BLEND_CUSTOM_SEPARATE; returns None.\n\n"
                    "The factors are RL_* (GL) factor constants, the equations RL_FUNC_* ones. "
                    "RuntimeError when no raylib window is open.", rlSetBlendFactorsSeparate, window,
                    "set a blend mode", Whole, Whole, Whole, Whole, Whole, Whole>(),
    raylib_function<is_key_down_sig, "True while a KEY_* key is held down.\n\nFalse for codes outside raylib's.",
                    IsKeyDown, always, "", Key>(),
    raylib_function<is_key_pressed_sig,
                    "True when a KEY_* key went down since the last frame.\n\nFalse for codes outside raylib's.",
                    IsKeyPressed, always, "", Key>(),
    raylib_function<is_key_released_sig,
                    "True when a KEY_* key went up since the last frame.\n\nFalse for codes outside raylib's.",
                    IsKeyReleased, always, "", Key>(),
    raylib_function<is_key_up_sig, "True while a KEY_* key is not held down.\n\nFalse for codes outside raylib's.",
                    IsKeyUp, always, "", Key>(),
    raylib_function<get_key_pressed_sig,
                    "The next KEY_* code from the queue of pressed keys, or 0 when empty.", GetKeyPressed, always,
                    "">(),
    raylib_function<get_char_pressed_sig,
                    "The next typed character's code point from the queue, or 0 when empty.", GetCharPressed,
                    always, "">(),
    raylib_function<is_mouse_button_down_sig,
                    "True while a MOUSE_BUTTON_* button is held down.\n\nFalse for codes outside raylib's.",
                    IsMouseButtonDown, always, "", Button>(),
    raylib_function<is_mouse_button_pressed_sig,
                    "True when a MOUSE_BUTTON_* button went down since the last frame.\n\n"
                    "False for codes outside raylib's.", IsMouseButtonPressed, always, "", Button>(),
    raylib_function<is_mouse_button_released_sig,
                    "True when a MOUSE_BUTTON_* button went up since the last frame.\n\n"
                    "False for codes outside raylib's.", IsMouseButtonReleased, always, "", Button>(),
    raylib_function<get_mouse_position_sig, "The mouse position in the window, a Vector2.", GetMousePosition,
                    always, "">(),
    raylib_function<get_mouse_delta_sig, "How far the mouse moved since the last frame, a Vector2.", GetMouseDelta,
                    always, "">(),
    raylib_function<get_mouse_wheel_move_sig, "How far the mouse wheel turned since the last frame, a float.",
                    GetMouseWheelMove, always, "">());

int exec_window(PyObject* module) {
    if (!parser_import(korvex::parser)) return -1;
    korvex::Imported<Vector2Object, Vector2VTable> vector2;
    if (!vector2.bind(vector2_module_name, "Vector2")) return -1;
    korvex::vector2_table = vector2.table;
    if (korvex::publish_type(module, &frame_type, nullptr) < 0) return -1;
    the_frame = PyObject_New(PyObject, &frame_type);
    if (the_frame == nullptr) return -1;
    if (PyModule_AddFunctions(module, functions.data()) < 0) return -1;
    return add_window_constants(module);
}

}  // namespace

KORVEX_MODULE(window, exec_window,
              "The raylib window: the frame, blending, timing and input.\n\n"
              "init_window() opens the window, close_window() closes it. Each frame is drawn between "
              "begin_drawing() and end_drawing(), or in a with drawing(): block. Everything that needs the "
              "window raises RuntimeError without one; the timing and input queries answer as raylib does. "
              "The constants FLAG_*, KEY_*, MOUSE_BUTTON_*, BLEND_*, LOG_* and RL_* carry raylib's values.")
