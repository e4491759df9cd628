// korvex.draw.draw: raylib's 2D drawing as module functions (shapes, text in
// the default font, textures) and batches that draw many shapes in one call.
// The module publishes no types; it binds the parser's exported functions
// and the Texture type at import.
#pragma once

inline constexpr const char* draw_module_name = "korvex.draw.draw";
