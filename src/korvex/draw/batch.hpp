// The batch functions of the draw module (batch.cpp).
#pragma once

#include "korvex/common/python.hpp"

namespace korvex::draw {

// The method table of draw_rectangles, draw_circles and draw_pixels, ended
// by the empty entry.
PyMethodDef* batch_functions();

}  // namespace korvex::draw
