// The picture a driver shows for a window or a screen: composed into a
// block of 32-bit pixels at a whole-number zoom.
#pragma once

#include "display/display.h"
#include "display/scale.h"

namespace host {
// A window of the public screen: its framebuffer. A screen of the
// program's own (window null): its picture with each of its windows over it
// at its place. The top-left pixel lands at (ox, oy) of t; pens are shown
// through the screen's colours.
void compose_frame(const WindowRec *window, const ScreenRec *screen, const ScaleTarget &t, int zoom, int ox,
                   int oy);
} // namespace host
