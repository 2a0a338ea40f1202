// What the host keeps of screens and windows beside their native records,
// shared by intuition's rooms and the display that shows them.
#pragma once

#include <string>
#include <vector>

#include "amiga/intuition.h"

namespace host {

struct View; // what a display driver keeps for a screen or window it shows
struct WindowRec;

// A screen with what the host keeps beside the native record.
struct ScreenRec : Screen {
    BitMap *bitmap = nullptr;         // the screen's own picture
    ColorMap colors{};                // its pens
    bool is_public = false;
    bool quiet = false;               // SA_Quiet
    ULONG display_id = 0;             // SA_DisplayID
    int locks = 0;                    // public screen: LockPubScreen count
    std::vector<WindowRec *> windows; // in opening order, the last one in front
    View *view = nullptr;             // own screen: how the driver shows it
};

// A window with what the host keeps beside the native record.
struct WindowRec : Window {
    RastPort rastport{};              // what RPort points to
    MsgPort port{};                   // what UserPort points to
    int inner_w = 0, inner_h = 0;     // the inner area
    // The switches it was opened with.
    bool activate = false, backdrop = false, depth_gadget = false, close_gadget = false, rmb_trap = false,
         no_care_refresh = false;
    IPTR backfill = 0;
    ScreenRec *screen = nullptr;
    View *view = nullptr; // window on the public screen: how the driver shows it
    std::string title;
};

// Largest side of a screen or window, in pixels.
constexpr int max_side = 16384;

// Whether a screen or window handle is one the host gave out and still open.
ScreenRec *screen_rec(const Screen *s);
WindowRec *window_rec(const Window *w);
// The open window whose port this is; null for none.
WindowRec *port_window(const MsgPort *port);
// Every window still open, in opening order.
const std::vector<WindowRec *> &open_windows();
// The default public screen, made on first use.
ScreenRec *public_screen();
// Closes a window; its inner area is first written to KWADRON_SNAPSHOT when
// final_snapshot is set.
void window_close(WindowRec *w, bool final_snapshot);
// Closes every window and screen still open (intuition_reset, display_shutdown).
void screens_close_all();
} // namespace host
