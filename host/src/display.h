// Links between the display modules of the host (screens, windows, input,
// the SDL view and the headless queue); nothing of this is native.
#pragma once

#include <string>
#include <vector>

#include "amiga/host.h"
#include "amiga/intuition.h"

namespace host {

struct SdlView;
struct WindowRec;

// A screen with what the host keeps beside the native record.
struct ScreenRec : Screen {
    int locks = 0;                   // public screen: LockPubScreen count
    std::vector<WindowRec *> windows; // in opening order, the last one in front
    SdlView *view = nullptr;         // own screen on SDL: its fullscreen display
};

// A window with what the host keeps beside the native record.
struct WindowRec : Window {
    ScreenRec *screen = nullptr;
    SdlView *view = nullptr; // window on the public screen on SDL: its own window
    std::string title;
};

// The display in use, chosen from the environment on first use.
DisplayKind display_active();

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

// One entry of the headless input queue: a message, or a snapshot taken when
// the queue reaches it. Coordinates of script entries are inner-area ones
// (inner set), those of input_push the message's own.
struct InputItem {
    enum Kind { Message, Snapshot } kind = Message;
    ULONG cls = 0;
    UWORD code = 0;
    UWORD qualifier = 0;
    WORD x = 0, y = 0;
    bool inner = false;
    std::string path;
};
void input_queue_push(const InputItem &item);
// Parses script text; on a bad line nothing is queued and *error tells why.
bool input_script_parse(const std::string &text, const std::string &name, std::string *error);

// ---- SDL display (display_sdl.cpp) ----
// Starts SDL's video subsystem once; false when no display can be had.
bool sdl_start();
bool sdl_desktop_size(int &w, int &h);
// The part of the desktop left to windows; the desktop where unknown.
bool sdl_usable_size(int &w, int &h);
// Whole-number zoom for a picture of w x h on the desktop.
int sdl_zoom_for(int w, int h);
// Opens the view of a window on the public screen, or of an own screen.
bool sdl_open_window_view(WindowRec *w);
bool sdl_open_screen_view(ScreenRec *s);
void sdl_close_view(SdlView *v);
// Presents every view, then blocks until the port holds a message.
void sdl_wait(MsgPort *port);
void sdl_present_all();
void sdl_shutdown();

} // namespace host
