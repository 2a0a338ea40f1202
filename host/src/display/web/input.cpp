// The web driver's input: the page's keys, its pointer (a mouse or a finger)
// on the canvas and its game pads, turned into the input messages of the
// window in the canvas, with the native codes. The listeners are the
// page's; what each event means is decided here.
//
// The browser tells of a pad's buttons only when asked, so the pads are read
// at each frame while one is connected, and not otherwise; what a pad's
// state means is decided in display/pads.cpp.
#include <emscripten.h>

#include <cstring>

#include "amiga/rawkeycodes.h"
#include "control/trace.h"
#include "display/gestures.h"
#include "display/pads.h"
#include "display/web/web.h"

namespace host {
namespace {
// The keys the program reads, by the page's names for them.
const struct {
    const char *name;
    UWORD code;
} keys[] = {{"ArrowUp", RAWKEY_UP},       {"ArrowDown", RAWKEY_DOWN}, {"ArrowRight", RAWKEY_RIGHT},
            {"ArrowLeft", RAWKEY_LEFT},   {"Escape", RAWKEY_ESCAPE}};

UWORD qualifier(int mods) {
    UWORD q = 0;
    if (mods & 1) q |= IEQUALIFIER_LSHIFT;
    if (mods & 2) q |= IEQUALIFIER_CONTROL;
    if (mods & 4) q |= IEQUALIFIER_LALT;
    if (mods & 8) q |= IEQUALIFIER_LCOMMAND;
    return q;
}

void post_key(UWORD code, bool down, UWORD q) {
    WindowRec *w = web::input_window();
    if (!w) return;
    if (down) trace_key();
    post_input(w, IDCMP_RAWKEY, down ? code : UWORD(code | IECODE_UP_PREFIX), w->MouseX, w->MouseY, q);
    web::wake();
}

// The listeners: keys on the whole page (the game has them as soon as it is
// drawn; the arrows do not scroll it), the pointer on the canvas, held while
// a button or finger is down so that a release outside still counts, and
// the pads. An own screen goes fullscreen (the canvas with what holds it) at
// the first key or tap.
EM_JS(void, web_listen_js, (), {
    const canvas = document.getElementById('screen');
    const fullscreen = () => {
        const stage = canvas.parentElement;
        if (Module.kwadronFullscreen && !document.fullscreenElement && stage.requestFullscreen) {
            Module.kwadronFullscreen = false;
            stage.requestFullscreen().catch(() => {});
        }
    };
    const mods = e => (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0) | (e.metaKey ? 8 : 0);
    const key = (e, down) => {
        const size = lengthBytesUTF8(e.key) + 1, name = _malloc(size);
        stringToUTF8(e.key, name, size);
        const used = Module._web_key(name, down, e.repeat ? 1 : 0, mods(e));
        _free(name);
        if (used) e.preventDefault();
        if (down) fullscreen();
    };
    window.addEventListener('keydown', e => key(e, 1));
    window.addEventListener('keyup', e => key(e, 0));
    const point = (e, kind) => {
        if (!e.isPrimary) return;
        const r = canvas.getBoundingClientRect();
        const x = Math.floor((e.clientX - r.left) * canvas.width / r.width);
        const y = Math.floor((e.clientY - r.top) * canvas.height / r.height);
        Module._web_pointer(kind, x, y, mods(e));
    };
    canvas.addEventListener('pointerdown', e => {
        canvas.focus();
        if (e.button !== 0) return;
        canvas.setPointerCapture(e.pointerId);
        point(e, 0);
        fullscreen();
    });
    canvas.addEventListener('pointermove', e => point(e, 1));
    canvas.addEventListener('pointerup', e => { if (e.button === 0) point(e, 2); });
    canvas.addEventListener('pointercancel', e => point(e, 2));
    canvas.addEventListener('contextmenu', e => e.preventDefault());
    let reading = false;
    // The standard mapping's d-pad (12 to 15: up, down, left, right) and
    // Back (8), as bits, and the left stick.
    const readPads = () => {
        const pads = Array.from(navigator.getGamepads ? navigator.getGamepads() : []).filter(p => p);
        if (pads.length === 0) { reading = false; return; }
        for (const p of pads) {
            const bits = [12, 13, 14, 15, 8].reduce((sum, i, k) => sum | (p.buttons[i] && p.buttons[i].pressed ? 1 << k : 0), 0);
            Module._web_pad(p.index, bits, p.axes[0] || 0, p.axes[1] || 0);
        }
        requestAnimationFrame(readPads);
    };
    // The browser reports pads only to a page that listens for them, and
    // polls them as long as one does: listened for from the start and for
    // ten seconds after each key, touch or return to the page, and for good
    // once a pad has been used here.
    let listening = false, stopLater = 0;
    const padUsed = () => localStorage.getItem('kwadron-pad') === '1';
    const onPad = () => {
        try {
            localStorage.setItem('kwadron-pad', '1');
        } catch (e) {
        }
        if (!reading) { reading = true; requestAnimationFrame(readPads); }
    };
    const listenForPads = () => {
        if (!listening) window.addEventListener('gamepadconnected', onPad);
        listening = true;
        clearTimeout(stopLater);
        if (!padUsed()) stopLater = setTimeout(() => {
            if (reading || padUsed()) return;
            window.removeEventListener('gamepadconnected', onPad);
            listening = false;
        }, 10000);
    };
    listenForPads();
    window.addEventListener('keydown', listenForPads);
    canvas.addEventListener('pointerdown', listenForPads);
    window.addEventListener('focus', listenForPads);
    document.addEventListener('visibilitychange', () => { if (!document.hidden) listenForPads(); });
});
} // namespace

namespace web {
WindowRec *input_window() {
    if (views.empty()) return nullptr;
    View *v = views.back();
    if (v->window) return v->window;
    return v->screen->windows.empty() ? nullptr : v->screen->windows.back();
}

void listen() {
    static bool listening = false;
    if (listening) return;
    listening = true;
    web_listen_js();
}
} // namespace web
} // namespace host

using namespace host;

// A key of the page; 1 when the program reads it, so the page does not act
// on it itself.
extern "C" EMSCRIPTEN_KEEPALIVE int web_key(const char *name, int down, int repeat, int mods) {
    for (const auto &k : keys)
        if (!strcmp(k.name, name)) {
            post_key(k.code, down != 0, UWORD(qualifier(mods) | (repeat ? IEQUALIFIER_REPEAT : 0)));
            return 1;
        }
    return 0;
}

// The pointer at (x, y) of the picture: 0 pressed, 1 moved, 2 let go.
extern "C" EMSCRIPTEN_KEEPALIVE void web_pointer(int kind, int x, int y, int mods) {
    WindowRec *w = web::input_window();
    if (!w) return;
    View *v = web::views.back();
    if (v->screen) {
        x -= w->LeftEdge;
        y -= w->TopEdge;
    }
    const UWORD q = qualifier(mods);
    if (kind == 0)
        pointer_down(w, x, y, q);
    else if (kind == 1)
        pointer_move(w, x, y, q);
    else
        pointer_up(w, x, y, q);
    web::wake();
}

// A pad's state at a frame: its d-pad and Back as bits (1 up, 2 down, 4
// left, 8 right, 16 Back) and its left stick.
extern "C" EMSCRIPTEN_KEEPALIVE void web_pad(int pad, int bits, double x, double y) {
    PadState s;
    s.up = bits & 1, s.down = bits & 2, s.left = bits & 4, s.right = bits & 8, s.back = bits & 16;
    s.x = x, s.y = y;
    if (pad_update(pad, s, web::input_window())) web::wake();
}
