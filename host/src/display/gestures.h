// The pointer on a window, as both drivers see it (a mouse, or a finger on
// a touch screen): a press and its release are the left button's, and a
// drag that starts on the board and goes far enough one way is the arrow key
// of that way. Positions are window coordinates, borders included.
#pragma once

#include "display/display.h"

namespace host {
void pointer_down(WindowRec *w, int x, int y, UWORD qualifier);
void pointer_move(WindowRec *w, int x, int y, UWORD qualifier);
void pointer_up(WindowRec *w, int x, int y, UWORD qualifier);
void gestures_reset();
} // namespace host
