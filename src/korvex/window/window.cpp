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

using korvex::raylib_entry;
using korvex::window_entry;
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

constexpr auto is_window_ready = raylib_entry<IsWindowReady>(signature("is_window_ready"),
    "True while raylib's window is open.");

constexpr auto window_should_close = raylib_entry<WindowShouldClose>(
    signature("window_should_close"),
    "True when the window was asked to close (Escape, the close button).\n\n"
    "True when no window is open.");

constexpr auto set_target_fps = raylib_entry<SetTargetFPS, Whole>(
    signature("set_target_fps", "fps"),
    "Sets the frame rate end_drawing() waits for; returns None.\n\n"
    "0 or less: no waiting.");

constexpr auto get_fps = raylib_entry<GetFPS>(signature("get_fps"),
    "The frames per second of the last half second, an int.");

constexpr auto get_frame_time = raylib_entry<GetFrameTime>(signature("get_frame_time"),
    "The seconds the last frame took, a float.");

constexpr auto get_time = raylib_entry<GetTime>(signature("get_time"),
    "The seconds since the window opened, a float.");

constexpr auto get_screen_width = raylib_entry<GetScreenWidth>(signature("get_screen_width"),
    "The window's width in pixels, an int.");

constexpr auto get_screen_height = raylib_entry<GetScreenHeight>(signature("get_screen_height"),
    "The window's height in pixels, an int.");

constexpr auto set_trace_log_level = raylib_entry<SetTraceLogLevel, Whole>(
    signature("set_trace_log_level", "level"),
    "Sets the least severe LOG_* level raylib prints; returns None.");

constexpr auto begin_drawing = window_entry<BeginDrawing, "begin a frame">(signature("begin_drawing"),
    "Begins a frame of drawing to the window; returns None.");

constexpr auto end_drawing = window_entry<EndDrawing, "end a frame">(signature("end_drawing"),
    "Ends the frame: draws it, shows it and reads input; returns None.\n\n"
    "Waits for the target frame rate.");

constexpr auto clear_background = window_entry<ClearBackground, "draw", Paint>(
    signature("clear_background", "color"),
    "Fills the target with a color-like; returns None.");

constexpr auto begin_blend_mode = window_entry<BeginBlendMode, "set a blend mode", Whole>(
    signature("begin_blend_mode", "mode"),
    "Blends what is drawn next by a BLEND_* mode; returns None.");

constexpr auto end_blend_mode = window_entry<EndBlendMode, "set a blend mode">(
    signature("end_blend_mode"),
    "Returns to alpha blending; returns None.");

constexpr auto set_blend_factors_separate =
    window_entry<rlSetBlendFactorsSeparate, "set a blend mode", Whole, Whole, Whole, Whole, Whole, Whole>(
        signature("set_blend_factors_separate", "src_rgb", "dst_rgb", "src_alpha", "dst_alpha", "eq_rgb",
                  "eq_alpha"),
    "Sets the factors and equations of BLEND_CUSTOM_SEPARATE; returns None.\n\n"
    "The factors are RL_* (GL) factor constants, the equations RL_FUNC_* ones.");

constexpr auto is_key_down = raylib_entry<IsKeyDown, Key>(signature("is_key_down", "key"),
    "True while a KEY_* key is held down.");

constexpr auto is_key_pressed = raylib_entry<IsKeyPressed, Key>(signature("is_key_pressed", "key"),
    "True when a KEY_* key went down since the last frame.");

constexpr auto is_key_released = raylib_entry<IsKeyReleased, Key>(
    signature("is_key_released", "key"),
    "True when a KEY_* key went up since the last frame.");

constexpr auto is_key_up = raylib_entry<IsKeyUp, Key>(signature("is_key_up", "key"),
    "True while a KEY_* key is not held down.");

constexpr auto get_key_pressed = raylib_entry<GetKeyPressed>(signature("get_key_pressed"),
    "The next KEY_* code from the queue of pressed keys, or 0 when empty.");

constexpr auto get_char_pressed = raylib_entry<GetCharPressed>(signature("get_char_pressed"),
    "The next typed character's code point from the queue, or 0 when empty.");

constexpr auto is_mouse_button_down = raylib_entry<IsMouseButtonDown, Button>(
    signature("is_mouse_button_down", "button"),
    "True while a MOUSE_BUTTON_* button is held down.");

constexpr auto is_mouse_button_pressed = raylib_entry<IsMouseButtonPressed, Button>(
    signature("is_mouse_button_pressed", "button"),
    "True when a MOUSE_BUTTON_* button went down since the last frame.");

constexpr auto is_mouse_button_released = raylib_entry<IsMouseButtonReleased, Button>(
    signature("is_mouse_button_released", "button"),
    "True when a MOUSE_BUTTON_* button went up since the last frame.");

constexpr auto get_mouse_position = raylib_entry<GetMousePosition>(signature("get_mouse_position"),
    "The mouse position in the window, a Vector2.");

constexpr auto get_mouse_delta = raylib_entry<GetMouseDelta>(signature("get_mouse_delta"),
    "How far the mouse moved since the last frame, a Vector2.");

constexpr auto get_mouse_wheel_move = raylib_entry<GetMouseWheelMove>(
    signature("get_mouse_wheel_move"),
    "How far the mouse wheel turned since the last frame, a float.");

auto functions = korvex::method_table<
    init_window, close_window, is_window_ready, window_should_close, set_config_flags, set_target_fps, get_fps,
    get_frame_time, get_time, get_screen_width, get_screen_height, set_trace_log_level, take_screenshot,
    begin_drawing, end_drawing, drawing, clear_background, begin_blend_mode, end_blend_mode,
    set_blend_factors_separate, is_key_down, is_key_pressed, is_key_released, is_key_up, get_key_pressed,
    get_char_pressed, is_mouse_button_down, is_mouse_button_pressed, is_mouse_button_released, get_mouse_position,
    get_mouse_delta, get_mouse_wheel_move>();

int exec_window(PyObject* module) {
    if (!parser_import(korvex::parser)) return -1;
    ImportedVector2 vector2;
    if (!vector2.bind()) return -1;
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
