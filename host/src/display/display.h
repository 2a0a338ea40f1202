// The display code of the host: screens and windows (intuition.cpp) ask
// the display driver chosen at start for what only a display can give.
// Nothing of this is native.
#pragma once

#include <string>
#include <vector>

#include "amiga/intuition.h"
#include "host/control.h"

namespace host {

struct View; // what a driver keeps for a screen or window it shows
struct WindowRec;

// A screen with what the host keeps beside the native record.
struct ScreenRec : Screen {
    int locks = 0;                    // public screen: LockPubScreen count
    std::vector<WindowRec *> windows; // in opening order, the last one in front
    View *view = nullptr;             // own screen: how the driver shows it
};

// A window with what the host keeps beside the native record.
struct WindowRec : Window {
    ScreenRec *screen = nullptr;
    View *view = nullptr; // window on the public screen: how the driver shows it
    std::string title;
};

// The operations of a display, as SDL has for its video drivers. Three
// drivers: sdl (display_sdl.cpp), headless (display_headless.cpp) and none
// (display.cpp), chosen once from the settings.
struct DisplayDriver {
    const char *name;
    // False for the driver on which nothing opens: no screens, no windows,
    // no display modes.
    bool opens;
    // Size of the default public screen; false to keep a nominal 640 x 480.
    bool (*public_size)(int &w, int &h);
    // Border sizes given to a new window.
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
    // The display's refresh interval in microseconds.
    long long (*refresh_us)();
    // Gives back what the driver holds; it may be started again.
    void (*shutdown)();
    // Called from another thread: makes a blocked wait or hold take its
    // input now (null where nothing blocks).
    void (*wake)();
    // Shows a message to the player where standard output is not seen, as a
    // desktop start's (null where nobody would see it).
    void (*tell)(const char *text);
};
extern const DisplayDriver sdl_driver;
extern const DisplayDriver headless_driver;

// The driver in use, chosen on first use; display_use sets it.
const DisplayDriver &display();
void display_use(const DisplayDriver &d);
// Whether a key press, a button press or a close waits on a window's port.
bool input_waiting();
// The display went away for good: every window is asked to close, and the
// program ends with 20 (see display_was_lost).
void display_lost();

// Whether a screen or window handle is one the host gave out and still open.
ScreenRec *screen_rec(const Screen *s);
WindowRec *window_rec(const Window *w);
// Every window still open, in opening order.
const std::vector<WindowRec *> &open_windows();
// Closes every window and screen still open (display_reset, display_shutdown).
void screens_close_all();

// Frees every picture object still held.
void datatypes_reset();

// Colour 0x00RRGGBB of a framebuffer pixel, pens through the colour map.
ULONG bitmap_rgb(const BitMap *bm, const ColorMap *cm, LONG x, LONG y);

// Monotonic time in microseconds.
long long monotonic_us();

// The headless driver's settings and input queue (display_headless.cpp).
void headless_reset();

// ---- SDL display (display_sdl.cpp) ----
// The part of the desktop left to windows; the desktop where unknown.
bool sdl_usable_size(int &w, int &h);
// Whole-number zoom for a picture of w x h on the desktop.
int sdl_zoom_for(int w, int h);

} // namespace host
