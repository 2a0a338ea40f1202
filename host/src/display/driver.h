// What a display driver is and what it may ask of the core, as SDL has for
// its video drivers: a driver translates its raw events into the calls of
// the input room (display/input.h) and presents a view when asked; the core
// decides everything else (which window input is for, offsets, qualifiers,
// gestures, pads, the zoom, pacing).
#pragma once

#include <vector>

#include "intuition/intuition.h"

namespace host {

// What the core shows: a window of the public screen, or a screen of the
// program's own with its windows over it. The driver keeps its own record
// in `own`.
struct View {
    WindowRec *window = nullptr;
    ScreenRec *screen = nullptr;
    int width = 0, height = 0; // the picture, in its own pixels
    int surface_w = 0, surface_h = 0; // what the driver shows it in, in its pixels
    void *own = nullptr;
    // What changed since its last present, in the picture's pixels: columns
    // x0..x1 and rows y0..y1, the ends left out (the whole at first, and
    // after an expose). A driver may present that part alone.
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// The operations of a display. A driver leaves null what it does not need.
struct DisplayDriver {
    // What KWADRON_DISPLAY calls it.
    const char *name;
    // Whether it is the one to use when KWADRON_DISPLAY names none: the
    // first of the edition's table that says so is taken, else none.
    bool (*by_default)();
    // False for a driver on which nothing opens.
    bool opens;
    // The area a window may take, in the display's pixels; false (or null):
    // a nominal 640 x 480.
    bool (*usable_area)(int &w, int &h);
    // Border sizes given to a new window; null gives none.
    void (*borders)(int &l, int &t, int &r, int &b);
    // Starts showing the view (a window: at open_zoom around its centre; a
    // screen: filling the display), setting its surface size.
    bool (*open)(View *v);
    void (*close)(View *v);
    // Shows the view's picture as it stands (compose_frame).
    void (*present)(View *v);
    // Takes the input that came, translated into the input room's calls,
    // and, while none came, waits until the deadline (monotonic
    // microseconds; 0: do not wait, -1: no deadline) or until wake_fd (-1:
    // none) can be read.
    void (*wait)(long long until_us, int wake_fd);
    // The display's refresh interval in microseconds, for pacing; null:
    // 60 Hz; 0: the driver paces presents itself.
    long long (*refresh_us)();
    // Gives back what the driver holds; it may be started again.
    void (*shutdown)();
    // Shows a message to the player where standard output is not seen.
    void (*tell)(const char *text);
    // Back to how the driver starts, between tests.
    void (*reset)();
};

// Every view open, in opening order; the one opened last is in front.
const std::vector<View *> &views();
View *front_view();
// The window a view's input goes to: its own, or the front one of its screen.
WindowRec *view_window(const View *v);
// Where a picture of w x h lies in a surface of sw x sh: the largest
// whole-number zoom that fits (at least 1), centred.
void view_layout(int w, int h, int sw, int sh, int &zoom, int &ox, int &oy);
// The zoom a window of w x h opens at in an area of aw x ah that loses
// extra_w x extra_h to the window's frame: as large as fits, at least 1.
int open_zoom(int w, int h, int aw, int ah, int extra_w = 0, int extra_h = 0);
// Pictures shown again at the next chance (an expose, a resize).
void view_stale(View *v);
// The display went away for good: every window is asked to close, and the
// program ends with 20; nothing more is asked of the driver.
void display_lost();
} // namespace host
