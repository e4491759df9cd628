// korvex.window.window: raylib's window, its frame, timing and input, as
// module functions. The module has no types of its own for other modules to
// bind; drawing code (korvex.draw.draw) checks for the window through raylib
// itself (IsWindowReady), so a window opened by any caller of the same
// shared raylib counts.
#pragma once

inline constexpr const char* window_module_name = "korvex.window.window";
