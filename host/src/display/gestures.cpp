// A drag is a swipe when it starts on the board (the skin's board, at
// (131, 48) to (287, 204) of a 320 x 240 window, twice that at double size)
// and moves half a cell's width or more: its longer axis gives the arrow.
// The press it began with is let go outside the window first, so a button
// under it is redrawn released and does nothing.
#include "display/gestures.h"

#include <cstdlib>

#include "amiga/rawkeycodes.h"

namespace host {
namespace {
struct Drag {
    WindowRec *window = nullptr;
    int x0 = 0, y0 = 0;
    bool on_board = false;
    bool swiped = false;
} drag;

bool on_board(const WindowRec *w, int x, int y) {
    const int s = w->host_InnerWidth > 320 ? 1 : 0;
    const int ix = x - w->BorderLeft, iy = y - w->BorderTop;
    return ix >= (131 << s) && ix < (287 << s) && iy >= (48 << s) && iy < (204 << s);
}

UWORD arrow(int dx, int dy) {
    if (abs(dx) >= abs(dy)) return dx > 0 ? RAWKEY_RIGHT : RAWKEY_LEFT;
    return dy > 0 ? RAWKEY_DOWN : RAWKEY_UP;
}
} // namespace

void pointer_down(WindowRec *w, int x, int y, UWORD q) {
    if (!w) return;
    drag = {w, x, y, on_board(w, x, y), false};
    post_input(w, IDCMP_MOUSEBUTTONS, SELECTDOWN, WORD(x), WORD(y), q);
}

void pointer_move(WindowRec *w, int x, int y, UWORD q) {
    if (!w) return;
    if (x >= 0 && y >= 0 && x < w->Width && y < w->Height)
        post_input(w, IDCMP_MOUSEMOVE, IECODE_NOBUTTON, WORD(x), WORD(y), q);
    if (drag.window != w || !drag.on_board || drag.swiped) return;
    const int dx = x - drag.x0, dy = y - drag.y0, reach = w->host_InnerWidth > 320 ? 40 : 20;
    if (abs(dx) < reach && abs(dy) < reach) return;
    drag.swiped = true;
    post_input(w, IDCMP_MOUSEBUTTONS, SELECTUP, -1, -1, q);
    const UWORD key = arrow(dx, dy);
    post_input(w, IDCMP_RAWKEY, key, WORD(x), WORD(y), q);
    post_input(w, IDCMP_RAWKEY, UWORD(key | IECODE_UP_PREFIX), WORD(x), WORD(y), q);
}

void pointer_up(WindowRec *w, int x, int y, UWORD q) {
    const bool swiped = drag.swiped && drag.window == w;
    drag = Drag{};
    if (w && !swiped) post_input(w, IDCMP_MOUSEBUTTONS, SELECTUP, WORD(x), WORD(y), q);
}

void gestures_reset() { drag = Drag{}; }
} // namespace host
