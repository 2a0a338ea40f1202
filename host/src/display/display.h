// The host's display: screens and windows (intuition/) ask the driver in
// use for what only a display can give. Nothing of this is native.
#pragma once

#include <algorithm>
#include <vector>

#include "amiga/intuition.h"
#include "intuition/intuition.h"

namespace host {

// The operations of a display, as SDL has for its video drivers. A driver
// leaves null what it does not need.
struct DisplayDriver {
    // What KWADRON_DISPLAY calls it.
    const char *name;
    // Whether it is the one to use when KWADRON_DISPLAY names none: the
    // first of the table that says so is taken, else none.
    bool (*by_default)();
    // False for a driver on which nothing opens: no screens, no windows, no
    // display modes.
    bool opens;
    // Size of the default public screen; false (or null) keeps a nominal
    // 640 x 480.
    bool (*public_size)(int &w, int &h);
    // Border sizes given to a new window; null gives none.
    void (*borders)(int &l, int &t, int &r, int &b);
    // Shows a window of the public screen, or a screen of the program's own.
    bool (*open_window)(WindowRec *w);
    bool (*open_screen)(ScreenRec *s);
    // Stops showing it (a null view is nothing to close).
    void (*close)(View *v);
    // Shows what every window holds now.
    void (*present)();
    // Keeps the picture up until the deadline (monotonic microseconds),
    // taking input as it comes.
    void (*hold)(long long until_us);
    // Takes the input that has arrived: messages onto the windows' ports.
    void (*pump)();
    // Blocks until the window's port holds a message.
    void (*wait)(MsgPort *port, WindowRec *w);
    // The display's refresh interval in microseconds; null: 60 Hz.
    long long (*refresh_us)();
    // Gives back what the driver holds; it may be started again.
    void (*shutdown)();
    // Called from another thread: makes a blocked wait or hold take its
    // input now.
    void (*wake)();
    // Shows a message to the player where standard output is not seen, as a
    // desktop start's.
    void (*tell)(const char *text);
    // Back to how the driver starts, between tests.
    void (*reset)();
};

// The drivers, each in a folder of its own; display.cpp lists those of the
// edition (sdl on the desktop, web in a browser).
extern const DisplayDriver sdl_driver;
extern const DisplayDriver web_driver;
extern const DisplayDriver headless_driver;
extern const DisplayDriver none_driver;

// Takes a driver's view out of its list and off its window or screen.
template <class V> void forget_view(std::vector<V *> &views, V *v) {
    views.erase(std::remove(views.begin(), views.end(), v), views.end());
    if (v->window) v->window->view = nullptr;
    if (v->screen) v->screen->view = nullptr;
}

// The driver in use, chosen from the settings on first use.
const DisplayDriver &display();
// The refresh interval of the driver in use.
long long refresh_interval_us();

// Called by WaitPort while the port is empty: presents what was drawn and
// blocks until input comes.
void display_wait(MsgPort *port);
// Called by the rectangle copies before they draw into rp: paces what the
// display shows.
void display_copy(const RastPort *rp, LONG x, LONG y, LONG w, LONG h);

// Input messages (input.cpp). Queues one on a window's port, when the
// window asks for its class.
void post_input(Window *w, ULONG cls, UWORD code, WORD mouseX, WORD mouseY, UWORD qualifier);
// Queues a close message on the port, whatever the window asks for.
void post_close(MsgPort *port, Window *w);
// Every open window is asked to close.
void close_all_windows();
// Whether a key press, a button press or a close waits on a window's port.
bool input_waiting();

// Ends that keep the best score (ends.cpp). From the first wait on, the
// quit signals close the game as its close gadget does.
void catch_quit_signals();
void release_quit_signals();
// Whether a quit signal came since the last call.
bool quit_signal_taken();
// The display went away for good: every window is asked to close, and the
// program ends with 20 (see display_was_lost).
void display_lost();
void display_lost_reset();

// Frees every picture object still held (datatypes/).
void datatypes_reset();

} // namespace host
