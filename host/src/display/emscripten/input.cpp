// The web driver's input: the page's listeners (web/library.js) call these
// exports with its keys already as raw key codes, its pointer at device
// pixels of the stage and its pads' states; each is handed to the input
// room, and the wait under way is woken.
#include <emscripten.h>

#include "display/driver.h"
#include "display/input.h"
#include "emscripten/page.h"
#include "keep/keep.h"

using namespace host;

namespace host::web {
void resized(int w, int h);
} // namespace host::web

extern "C" {
EMSCRIPTEN_KEEPALIVE void kw_key(int raw, int down, int repeat, int mods) {
    input::key(front_view(), UWORD(raw), down != 0, repeat != 0, unsigned(mods));
    kw_wake();
}

EMSCRIPTEN_KEEPALIVE void kw_pointer(int kind, int x, int y, int mods) {
    if (kind == 1)
        input::pointer_move(front_view(), x, y, unsigned(mods));
    else
        input::pointer_button(front_view(), input::Left, kind == 0, x, y, unsigned(mods));
    kw_wake();
}

EMSCRIPTEN_KEEPALIVE void kw_pad(int pad, int bits, double x, double y) {
    input::PadState s;
    s.up = bits & 1, s.down = bits & 2, s.left = bits & 4, s.right = bits & 8, s.back = bits & 16;
    s.x = x, s.y = y;
    if (input::pad(front_view(), pad, s)) kw_wake();
}

EMSCRIPTEN_KEEPALIVE void kw_resize(int w, int h) { web::resized(w, h); }

// The page is hidden, or going away: the game as it stands is kept where
// the next visit finds it, since a hidden page may be discarded unwarned.
EMSCRIPTEN_KEEPALIVE void kw_keep() { keep::keep_now(); }

// The page is going away (a reload, a closed tab): the game is closed as by
// its close gadget, so that it keeps its best before the page is gone. It
// runs at once: the waits it meets on its way out do not wait.
EMSCRIPTEN_KEEPALIVE void kw_leave() {
    keep::ended_by_host();
    input::close_all();
    kw_wake();
}
}
