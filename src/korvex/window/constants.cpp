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
};

#undef KORVEX_NAMED

// A run: prefix + each word, the first worth `first`, each next one more.
struct Run {
    const char* prefix;
    long first;
    const char* words;  // space separated
};

// A run written as raylib's names: the prefix, the first name (whose value
// starts the run) and the names after it, stringified so that the table names
// each constant once.
#define KORVEX_RUN(prefix, first, ...) Run{#prefix, prefix##first, #first " " #__VA_ARGS__}

// In the order the module has always added them: single names first (above),
// then these.
constexpr Run runs[] = {
    KORVEX_RUN(KEY_, NULL), KORVEX_RUN(KEY_, APOSTROPHE), KORVEX_RUN(KEY_, COMMA, MINUS PERIOD SLASH),
    KORVEX_RUN(KEY_, SEMICOLON), KORVEX_RUN(KEY_, EQUAL), KORVEX_RUN(KEY_, LEFT_BRACKET, BACKSLASH RIGHT_BRACKET),
    KORVEX_RUN(KEY_, GRAVE), KORVEX_RUN(KEY_, SPACE),
    KORVEX_RUN(KEY_, ESCAPE, ENTER TAB BACKSPACE INSERT DELETE RIGHT LEFT DOWN UP PAGE_UP PAGE_DOWN HOME END),
    KORVEX_RUN(KEY_, CAPS_LOCK, SCROLL_LOCK NUM_LOCK PRINT_SCREEN PAUSE),
    KORVEX_RUN(KEY_, LEFT_SHIFT, LEFT_CONTROL LEFT_ALT LEFT_SUPER RIGHT_SHIFT RIGHT_CONTROL RIGHT_ALT RIGHT_SUPER
                                     KB_MENU),
    KORVEX_RUN(KEY_, KP_DECIMAL, KP_DIVIDE KP_MULTIPLY KP_SUBTRACT KP_ADD KP_ENTER KP_EQUAL),
    KORVEX_RUN(KEY_, BACK, MENU), KORVEX_RUN(KEY_, VOLUME_UP, VOLUME_DOWN),

    // rlgl's blend factors and equations are GL's values.
    KORVEX_RUN(RL_, ZERO, ONE),
    KORVEX_RUN(RL_, SRC_COLOR, ONE_MINUS_SRC_COLOR SRC_ALPHA ONE_MINUS_SRC_ALPHA DST_ALPHA ONE_MINUS_DST_ALPHA
                                   DST_COLOR ONE_MINUS_DST_COLOR SRC_ALPHA_SATURATE),
    KORVEX_RUN(RL_, CONSTANT_COLOR, ONE_MINUS_CONSTANT_COLOR CONSTANT_ALPHA ONE_MINUS_CONSTANT_ALPHA),
    KORVEX_RUN(RL_, FUNC_ADD, MIN MAX), KORVEX_RUN(RL_, FUNC_SUBTRACT, FUNC_REVERSE_SUBTRACT),

    KORVEX_RUN(KEY_, A, B C D E F G H I J K L M N O P Q R S T U V W X Y Z),
    KORVEX_RUN(KEY_, ZERO, ONE TWO THREE FOUR FIVE SIX SEVEN EIGHT NINE),
    KORVEX_RUN(KEY_, F1, F2 F3 F4 F5 F6 F7 F8 F9 F10 F11 F12),
    KORVEX_RUN(KEY_, KP_0, KP_1 KP_2 KP_3 KP_4 KP_5 KP_6 KP_7 KP_8 KP_9),
    KORVEX_RUN(MOUSE_BUTTON_, LEFT, RIGHT MIDDLE SIDE EXTRA FORWARD BACK),
    KORVEX_RUN(BLEND_, ALPHA, ADDITIVE MULTIPLIED ADD_COLORS SUBTRACT_COLORS ALPHA_PREMULTIPLY CUSTOM CUSTOM_SEPARATE),
    KORVEX_RUN(LOG_, ALL, TRACE DEBUG INFO WARNING ERROR FATAL NONE),
};

#undef KORVEX_RUN

static_assert(KEY_Z == KEY_A + 25 && KEY_NINE == KEY_ZERO + 9 && KEY_F12 == KEY_F1 + 11 && KEY_KP_9 == KEY_KP_0 + 9);
static_assert(MOUSE_BUTTON_BACK == MOUSE_BUTTON_LEFT + 6 && BLEND_CUSTOM_SEPARATE == BLEND_ALPHA + 7 &&
              LOG_NONE == LOG_ALL + 7);
static_assert(KEY_SLASH == KEY_COMMA + 3 && KEY_RIGHT_BRACKET == KEY_LEFT_BRACKET + 2 && KEY_MENU == KEY_BACK + 1 &&
              KEY_VOLUME_DOWN == KEY_VOLUME_UP + 1 && RL_ONE == RL_ZERO + 1 &&
              RL_FUNC_REVERSE_SUBTRACT == RL_FUNC_SUBTRACT + 1);
static_assert(KEY_END == KEY_ESCAPE + 13 && KEY_PAUSE == KEY_CAPS_LOCK + 4 && KEY_KP_EQUAL == KEY_KP_DECIMAL + 6 &&
              KEY_KB_MENU == KEY_LEFT_SHIFT + 8);
static_assert(RL_SRC_ALPHA_SATURATE == RL_SRC_COLOR + 8 && RL_ONE_MINUS_CONSTANT_ALPHA == RL_CONSTANT_COLOR + 3 &&
              RL_MAX == RL_FUNC_ADD + 2);

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
