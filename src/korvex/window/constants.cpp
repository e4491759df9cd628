// The module's int constants, with raylib's values: FLAG_*, KEY_*,
// MOUSE_BUTTON_*, BLEND_*, LOG_*, and rlgl's blend factors and equations
// (RL_*) for set_blend_factors_separate. Names of single values are
// stringified from raylib's own enumerators, so a name and its value cannot
// drift apart; runs of consecutive values (letters, digits, F keys, keypad
// digits, the blend modes, the log levels, the mouse buttons) are generated,
// and the asserts hold raylib to the runs.
#include <raylib.h>
#include <rlgl.h>

#include <cstdio>

#include "korvex/common/python.hpp"
#include "korvex/window/constants.hpp"

namespace {

struct Named {
    const char* name;
    long value;
};

#define KORVEX_NAMED(name) Named{#name, static_cast<long>(name)}

constexpr Named singles[] = {
    KORVEX_NAMED(FLAG_VSYNC_HINT), KORVEX_NAMED(FLAG_FULLSCREEN_MODE), KORVEX_NAMED(FLAG_WINDOW_RESIZABLE),
    KORVEX_NAMED(FLAG_WINDOW_UNDECORATED), KORVEX_NAMED(FLAG_WINDOW_HIDDEN), KORVEX_NAMED(FLAG_WINDOW_MINIMIZED),
    KORVEX_NAMED(FLAG_WINDOW_MAXIMIZED), KORVEX_NAMED(FLAG_WINDOW_UNFOCUSED), KORVEX_NAMED(FLAG_WINDOW_TOPMOST),
    KORVEX_NAMED(FLAG_WINDOW_ALWAYS_RUN), KORVEX_NAMED(FLAG_WINDOW_TRANSPARENT), KORVEX_NAMED(FLAG_WINDOW_HIGHDPI),
    KORVEX_NAMED(FLAG_WINDOW_MOUSE_PASSTHROUGH), KORVEX_NAMED(FLAG_BORDERLESS_WINDOWED_MODE),
    KORVEX_NAMED(FLAG_MSAA_4X_HINT), KORVEX_NAMED(FLAG_INTERLACED_HINT),

    KORVEX_NAMED(KEY_NULL), KORVEX_NAMED(KEY_APOSTROPHE), KORVEX_NAMED(KEY_COMMA), KORVEX_NAMED(KEY_MINUS),
    KORVEX_NAMED(KEY_PERIOD), KORVEX_NAMED(KEY_SLASH), KORVEX_NAMED(KEY_SEMICOLON), KORVEX_NAMED(KEY_EQUAL),
    KORVEX_NAMED(KEY_LEFT_BRACKET), KORVEX_NAMED(KEY_BACKSLASH), KORVEX_NAMED(KEY_RIGHT_BRACKET),
    KORVEX_NAMED(KEY_GRAVE), KORVEX_NAMED(KEY_SPACE), KORVEX_NAMED(KEY_ESCAPE), KORVEX_NAMED(KEY_ENTER),
    KORVEX_NAMED(KEY_TAB), KORVEX_NAMED(KEY_BACKSPACE), KORVEX_NAMED(KEY_INSERT), KORVEX_NAMED(KEY_DELETE),
    KORVEX_NAMED(KEY_RIGHT), KORVEX_NAMED(KEY_LEFT), KORVEX_NAMED(KEY_DOWN), KORVEX_NAMED(KEY_UP),
    KORVEX_NAMED(KEY_PAGE_UP), KORVEX_NAMED(KEY_PAGE_DOWN), KORVEX_NAMED(KEY_HOME), KORVEX_NAMED(KEY_END),
    KORVEX_NAMED(KEY_CAPS_LOCK), KORVEX_NAMED(KEY_SCROLL_LOCK), KORVEX_NAMED(KEY_NUM_LOCK),
    KORVEX_NAMED(KEY_PRINT_SCREEN), KORVEX_NAMED(KEY_PAUSE), KORVEX_NAMED(KEY_LEFT_SHIFT),
    KORVEX_NAMED(KEY_LEFT_CONTROL), KORVEX_NAMED(KEY_LEFT_ALT), KORVEX_NAMED(KEY_LEFT_SUPER),
    KORVEX_NAMED(KEY_RIGHT_SHIFT), KORVEX_NAMED(KEY_RIGHT_CONTROL), KORVEX_NAMED(KEY_RIGHT_ALT),
    KORVEX_NAMED(KEY_RIGHT_SUPER), KORVEX_NAMED(KEY_KB_MENU), KORVEX_NAMED(KEY_KP_DECIMAL),
    KORVEX_NAMED(KEY_KP_DIVIDE), KORVEX_NAMED(KEY_KP_MULTIPLY), KORVEX_NAMED(KEY_KP_SUBTRACT),
    KORVEX_NAMED(KEY_KP_ADD), KORVEX_NAMED(KEY_KP_ENTER), KORVEX_NAMED(KEY_KP_EQUAL), KORVEX_NAMED(KEY_BACK),
    KORVEX_NAMED(KEY_MENU), KORVEX_NAMED(KEY_VOLUME_UP), KORVEX_NAMED(KEY_VOLUME_DOWN),

    KORVEX_NAMED(RL_ZERO), KORVEX_NAMED(RL_ONE), KORVEX_NAMED(RL_SRC_COLOR), KORVEX_NAMED(RL_ONE_MINUS_SRC_COLOR),
    KORVEX_NAMED(RL_SRC_ALPHA), KORVEX_NAMED(RL_ONE_MINUS_SRC_ALPHA), KORVEX_NAMED(RL_DST_ALPHA),
    KORVEX_NAMED(RL_ONE_MINUS_DST_ALPHA), KORVEX_NAMED(RL_DST_COLOR), KORVEX_NAMED(RL_ONE_MINUS_DST_COLOR),
    KORVEX_NAMED(RL_SRC_ALPHA_SATURATE), KORVEX_NAMED(RL_CONSTANT_COLOR), KORVEX_NAMED(RL_ONE_MINUS_CONSTANT_COLOR),
    KORVEX_NAMED(RL_CONSTANT_ALPHA), KORVEX_NAMED(RL_ONE_MINUS_CONSTANT_ALPHA), KORVEX_NAMED(RL_FUNC_ADD),
    KORVEX_NAMED(RL_MIN), KORVEX_NAMED(RL_MAX), KORVEX_NAMED(RL_FUNC_SUBTRACT),
    KORVEX_NAMED(RL_FUNC_REVERSE_SUBTRACT),
};

#undef KORVEX_NAMED

// A run: prefix + each word, the first worth `first`, each next one more.
struct Run {
    const char* prefix;
    long first;
    const char* words;  // space separated
};

constexpr Run runs[] = {
    {"KEY_", KEY_A, "A B C D E F G H I J K L M N O P Q R S T U V W X Y Z"},
    {"KEY_", KEY_ZERO, "ZERO ONE TWO THREE FOUR FIVE SIX SEVEN EIGHT NINE"},
    {"KEY_", KEY_F1, "F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 F11 F12"},
    {"KEY_", KEY_KP_0, "KP_0 KP_1 KP_2 KP_3 KP_4 KP_5 KP_6 KP_7 KP_8 KP_9"},
    {"MOUSE_BUTTON_", MOUSE_BUTTON_LEFT, "LEFT RIGHT MIDDLE SIDE EXTRA FORWARD BACK"},
    {"BLEND_", BLEND_ALPHA,
     "ALPHA ADDITIVE MULTIPLIED ADD_COLORS SUBTRACT_COLORS ALPHA_PREMULTIPLY CUSTOM CUSTOM_SEPARATE"},
    {"LOG_", LOG_ALL, "ALL TRACE DEBUG INFO WARNING ERROR FATAL NONE"},
};

static_assert(KEY_Z == KEY_A + 25 && KEY_NINE == KEY_ZERO + 9 && KEY_F12 == KEY_F1 + 11 && KEY_KP_9 == KEY_KP_0 + 9);
static_assert(MOUSE_BUTTON_BACK == MOUSE_BUTTON_LEFT + 6 && BLEND_CUSTOM_SEPARATE == BLEND_ALPHA + 7 &&
              LOG_NONE == LOG_ALL + 7);

int add_run(PyObject* module, const Run& run) {
    long value = run.first;
    for (const char* word = run.words; *word != '\0';) {
        int length = 0;
        while (word[length] != '\0' && word[length] != ' ') ++length;
        char name[64];
        std::snprintf(name, sizeof name, "%s%.*s", run.prefix, length, word);
        if (PyModule_Add(module, name, PyLong_FromLong(value++)) < 0) return -1;
        word += length;
        while (*word == ' ') ++word;
    }
    return 0;
}

}  // namespace

int add_window_constants(PyObject* module) {
    for (const Named& named : singles)
        if (PyModule_Add(module, named.name, PyLong_FromLong(named.value)) < 0) return -1;
    for (const Run& run : runs)
        if (add_run(module, run) < 0) return -1;
    return 0;
}
