// The input room: raw input from the drivers becomes input messages on the
// windows' ports, the same way for every driver.
//
// The pointer: a press and its release are the left button's, positions are
// the window's own (borders included). A drag that goes far enough one way
// (a sixteenth of the window's inner width) is the arrow key of that way,
// wherever it starts: the press it began with is let go outside the window
// first, so a button under it is redrawn released and does nothing. A press
// outside the window is not the window's, but its drag still swipes.
//
// A game pad: the stick holds its arrow from half way out and lets it go
// back under a third, so that a stick resting near half way does not
// repeat the key.
#include "display/input.h"

#include <sys/time.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>

#include "amiga/exec.h"
#include "amiga/rawkeycodes.h"
#include "control/trace.h"
#include "keep/keep.h"

namespace host {
namespace {
void stamp(IntuiMessage *m, const timeval *when = nullptr) {
    timeval tv{};
    if (when)
        tv = *when;
    else
        gettimeofday(&tv, nullptr);
    m->Seconds = ULONG(tv.tv_sec);
    m->Micros = ULONG(tv.tv_usec);
}

UWORD qualifier(unsigned mods) {
    UWORD q = 0;
    const struct {
        unsigned mod;
        UWORD qual;
    } bits[] = {{input::LShift, IEQUALIFIER_LSHIFT},     {input::RShift, IEQUALIFIER_RSHIFT},
                {input::CapsLock, IEQUALIFIER_CAPSLOCK}, {input::Ctrl, IEQUALIFIER_CONTROL},
                {input::LAlt, IEQUALIFIER_LALT},         {input::RAlt, IEQUALIFIER_RALT},
                {input::LMeta, IEQUALIFIER_LCOMMAND},    {input::RMeta, IEQUALIFIER_RCOMMAND},
                {input::LeftHeld, IEQUALIFIER_LEFTBUTTON}, {input::RightHeld, IEQUALIFIER_RBUTTON},
                {input::MiddleHeld, IEQUALIFIER_MIDBUTTON}};
    for (const auto &b : bits)
        if (mods & b.mod) q |= b.qual;
    return q;
}

// The window that has the keys: the view's, else the one opened last.
WindowRec *key_window(const View *v) {
    if (WindowRec *w = view_window(v)) return w;
    const auto &all = open_windows();
    return all.empty() ? nullptr : all.back();
}

// A point of the view's surface as a point of its window, clamped to what
// a message holds.
void to_window(const View *v, const WindowRec *w, int &x, int &y) {
    int z, ox, oy;
    view_layout(v->width, v->height, v->surface_w, v->surface_h, z, ox, oy);
    x = int(std::floor(double(x - ox) / z));
    y = int(std::floor(double(y - oy) / z));
    if (v->screen) {
        x -= w->LeftEdge;
        y -= w->TopEdge;
    }
    x = std::clamp(x, -32768, 32767);
    y = std::clamp(y, -32768, 32767);
}

bool inside(const WindowRec *w, int x, int y) { return x >= 0 && y >= 0 && x < w->Width && y < w->Height; }

void post_key(WindowRec *w, UWORD code, bool down, UWORD q) {
    post_input(w, IDCMP_RAWKEY, down ? code : UWORD(code | IECODE_UP_PREFIX), w->MouseX, w->MouseY, q);
}

struct Drag {
    WindowRec *window = nullptr;
    int x0 = 0, y0 = 0;
    bool pressed = false; // the press was the window's
    bool swiped = false;
} drag;

UWORD arrow(int dx, int dy) {
    if (abs(dx) >= abs(dy)) return dx > 0 ? RAWKEY_RIGHT : RAWKEY_LEFT;
    return dy > 0 ? RAWKEY_DOWN : RAWKEY_UP;
}

const UWORD pad_codes[] = {RAWKEY_UP, RAWKEY_DOWN, RAWKEY_LEFT, RAWKEY_RIGHT, RAWKEY_ESCAPE};
std::map<int, std::array<bool, 5>> pads_held; // each pad's keys down, in the order of pad_codes
} // namespace

// Allocates the message (GT_ReplyIMsg deletes it), stamps it with the time
// and queues it on the window's port; classes the window did not ask for
// are dropped. What is queued is journaled, to be played back if the game
// is kept.
void post_input(Window *win, ULONG cls, UWORD code, WORD mouseX, WORD mouseY, UWORD qualifier) {
    if (!win || !(win->IDCMPFlags & cls)) return;
    keep::record(win, cls, code, mouseX, mouseY, qualifier);
    post_again(win, cls, code, mouseX, mouseY, qualifier);
}

void post_again(Window *win, ULONG cls, UWORD code, WORD mouseX, WORD mouseY, UWORD qualifier, const timeval *when) {
    if (!win || !(win->IDCMPFlags & cls)) return;
    IntuiMessage *m = new IntuiMessage{};
    m->Class = cls;
    m->Code = code;
    m->Qualifier = qualifier;
    m->MouseX = mouseX;
    m->MouseY = mouseY;
    m->IDCMPWindow = win;
    stamp(m, when);
    if (cls == IDCMP_MOUSEMOVE || cls == IDCMP_MOUSEBUTTONS) {
        win->MouseX = mouseX;
        win->MouseY = mouseY;
    }
    PutMsg(win->UserPort, &m->ExecMessage);
}

void post_close(MsgPort *port, Window *w) {
    IntuiMessage *m = new IntuiMessage{};
    m->Class = IDCMP_CLOSEWINDOW;
    if (w) {
        m->MouseX = w->MouseX;
        m->MouseY = w->MouseY;
    }
    m->IDCMPWindow = w;
    stamp(m);
    PutMsg(port, &m->ExecMessage);
}

namespace input {
void key(View *v, UWORD raw, bool down, bool repeat, unsigned mods) {
    WindowRec *w = key_window(v);
    if (!w) return;
    if (down && !repeat) trace_key();
    post_key(w, raw, down, UWORD(qualifier(mods) | (repeat ? IEQUALIFIER_REPEAT : 0)));
}

void pointer_move(View *v, int x, int y, unsigned mods) {
    WindowRec *w = view_window(v);
    if (!w) return;
    to_window(v, w, x, y);
    const UWORD q = qualifier(mods);
    if (inside(w, x, y)) post_input(w, IDCMP_MOUSEMOVE, IECODE_NOBUTTON, WORD(x), WORD(y), q);
    if (drag.window != w || drag.swiped) return;
    const int dx = x - drag.x0, dy = y - drag.y0, reach = std::max(1, w->inner_w / 16);
    if (abs(dx) < reach && abs(dy) < reach) return;
    drag.swiped = true;
    if (drag.pressed) post_input(w, IDCMP_MOUSEBUTTONS, SELECTUP, -1, -1, q);
    const UWORD key = arrow(dx, dy);
    trace_key();
    post_key(w, key, true, q);
    post_key(w, key, false, q);
}

void pointer_button(View *v, Button b, bool down, int x, int y, unsigned mods) {
    WindowRec *w = view_window(v);
    if (!w) return;
    to_window(v, w, x, y);
    const UWORD q = qualifier(mods);
    switch (b) {
    case Left:
        if (down) {
            drag = {w, x, y, inside(w, x, y), false};
            if (drag.pressed) post_input(w, IDCMP_MOUSEBUTTONS, SELECTDOWN, WORD(x), WORD(y), q);
        } else {
            const bool pressed = drag.window == w && drag.pressed && !drag.swiped;
            drag = Drag{};
            if (pressed) post_input(w, IDCMP_MOUSEBUTTONS, SELECTUP, WORD(x), WORD(y), q);
        }
        return;
    case Middle: post_input(w, IDCMP_MOUSEBUTTONS, down ? MIDDLEDOWN : MIDDLEUP, WORD(x), WORD(y), q); return;
    case Right:
        // Without RMBTrap the right button belongs to the menus.
        if (w->Flags & WFLG_RMBTRAP) post_input(w, IDCMP_MOUSEBUTTONS, down ? MENUDOWN : MENUUP, WORD(x), WORD(y), q);
        return;
    }
}

void inner_to_view(const View *v, int &x, int &y) {
    const WindowRec *w = view_window(v);
    if (!w) return;
    x += w->BorderLeft + (v->screen ? w->LeftEdge : 0);
    y += w->BorderTop + (v->screen ? w->TopEdge : 0);
}

bool pad(View *v, int id, const PadState &s) {
    std::array<bool, 5> &was = pads_held[id];
    const auto stick = [&](double toward, int k) { return toward > (was[size_t(k)] ? 1.0 / 3 : 0.5); };
    const std::array<bool, 5> now = {s.up || stick(-s.y, 0), s.down || stick(s.y, 1), s.left || stick(-s.x, 2),
                                     s.right || stick(s.x, 3), s.back};
    WindowRec *w = key_window(v);
    bool posted = false;
    for (size_t k = 0; k < now.size(); ++k) {
        if (now[k] == was[k] || !w) continue;
        if (now[k]) trace_key();
        post_key(w, pad_codes[k], now[k], 0);
        posted = true;
    }
    was = now;
    return posted;
}

void close_box(View *v) {
    if (WindowRec *w = view_window(v)) post_input(w, IDCMP_CLOSEWINDOW, 0, w->MouseX, w->MouseY, 0);
}

void close_all() {
    for (WindowRec *w : open_windows()) post_close(&w->port, w);
}

bool waiting() {
    for (WindowRec *w : open_windows())
        for (Message *m = w->port.mp_Head; m; m = reinterpret_cast<Message *>(m->mn_Node.ln_Succ)) {
            const auto *im = reinterpret_cast<IntuiMessage *>(m);
            const bool press = !(im->Code & IECODE_UP_PREFIX);
            if (im->Class == IDCMP_CLOSEWINDOW ||
                ((im->Class == IDCMP_RAWKEY || im->Class == IDCMP_MOUSEBUTTONS) && press))
                return true;
        }
    return false;
}

void reset() {
    drag = Drag{};
    pads_held.clear();
}
} // namespace input
} // namespace host
