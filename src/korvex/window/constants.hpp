// The window module's int constants (constants.cpp).
#pragma once

#include "korvex/common/python.hpp"

// Adds FLAG_*, KEY_*, MOUSE_BUTTON_*, BLEND_*, LOG_* and RL_* to `module`.
int add_window_constants(PyObject* module);
