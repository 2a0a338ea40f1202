// The input room: the one place that turns raw input (keys with their
// modifiers, the pointer on a view, game pads, closes) into the input
// messages of a window's port. Drivers call it; so do the host's own ends.
#pragma once

#include <sys/time.h>

#include "amiga/intuition.h"
#include "display/driver.h"

namespace host {
namespace input {
// Modifier keys and buttons held, as a driver reports them.
enum Mods : unsigned {
    LShift = 1u << 0, RShift = 1u << 1, CapsLock = 1u << 2, Ctrl = 1u << 3, LAlt = 1u << 4, RAlt = 1u << 5,
    LMeta = 1u << 6, RMeta = 1u << 7, LeftHeld = 1u << 8, RightHeld = 1u << 9, MiddleHeld = 1u << 10,
};
enum Button { Left, Middle, Right };

// A key going down or up, as its raw key code, on the view that has the
// keys (null: the window opened last).
void key(View *v, UWORD raw, bool down, bool repeat, unsigned mods);
// The pointer at (x, y) of the view's surface: moved, or a button pressed
// or let go. Outside the picture it is outside every window.
void pointer_move(View *v, int x, int y, unsigned mods);
void pointer_button(View *v, Button b, bool down, int x, int y, unsigned mods);

// A game pad's state: its d-pad and left stick are the arrows and its Back
// (Select) button is Esc, for the window that has the keys.
struct PadState {
    bool up = false, down = false, left = false, right = false; // the d-pad
    bool back = false;
    double x = 0, y = 0; // the left stick, -1 to 1, right and down positive
};
// True when a key was posted.
bool pad(View *v, int id, const PadState &now);

// The player asked the view's window to close (its close box).
void close_box(View *v);
// The host ends the program's run: every window gets a close message,
// whatever it asks for (a quit signal, the display lost, the page leaving).
void close_all();

// A point of a window's inner area (the headless display's scripts speak
// so) as a point of the view that shows it.
void inner_to_view(const View *v, int &x, int &y);

// Whether a key press, a button press or a close waits on a window's port.
bool waiting();
// Back to the start: no drag, no pad held.
void reset();
} // namespace input

// Queues a message on the window's port when it asks for the class; mouse
// positions are window coordinates, borders included.
void post_input(Window *w, ULONG cls, UWORD code, WORD mouseX, WORD mouseY, UWORD qualifier);
// The same for a kept message played back: not journaled again; a batch of
// them may share the time they are stamped with.
void post_again(Window *w, ULONG cls, UWORD code, WORD mouseX, WORD mouseY, UWORD qualifier,
                const timeval *when = nullptr);
// Queues a close message whatever the window asks for, for a port that can
// take no other input (a wait on a port no open window owns, say).
void post_close(MsgPort *port, Window *w);
} // namespace host
