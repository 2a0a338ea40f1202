// The picture a driver shows for a view: composed into a block of 32-bit
// pixels at a whole-number zoom.
#pragma once

#include "display/driver.h"
#include "display/scale.h"

namespace host {
// A window of the public screen: its framebuffer. A screen of the
// program's own: its picture with each of its windows over it at its
// place. The top-left pixel lands at (ox, oy) of t; pens are shown through
// the screen's colours.
void compose_frame(const View *v, const ScaleTarget &t, int zoom, int ox, int oy);
} // namespace host
