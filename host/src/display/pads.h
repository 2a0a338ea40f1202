// A game pad, as both drivers see it: its d-pad and left stick are the
// arrows and its Back (Select) button is Esc; the other buttons do nothing,
// the game's buttons being for the pointer.
#pragma once

#include "display/display.h"

namespace host {
struct PadState {
    bool up = false, down = false, left = false, right = false; // the d-pad
    bool back = false;
    double x = 0, y = 0; // the left stick, -1 to 1, right and down positive
};

// Posts to w (when there is one) the keys that the pad's new state presses
// or lets go; true when any was posted.
bool pad_update(int pad, const PadState &now, WindowRec *w);
void pads_reset();
} // namespace host
