// The web display: the program's window, or its own screen, in the page's
// canvas (#screen). A present waits for the browser's next frame and draws
// the picture then, so that each step of a slide is shown for a frame; a
// wait yields to the browser until input comes. The page sizes the canvas
// at a whole-number zoom of device pixels. This file shows and waits;
// input.cpp takes the page's input.
#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "control/trace.h"
#include "display/frame.h"
#include "display/web/web.h"

namespace host {
namespace web {
std::vector<View *> views;
} // namespace web

namespace {
using web::views;

// The picture of the front view, RGBA bytes as the canvas takes them.
std::vector<uint32_t> frame;

// The canvas takes the picture's size; an own screen asks the page for
// fullscreen, which the browser grants at the next key or tap.
EM_JS(void, web_canvas, (int w, int h, int fullscreen), {
    const canvas = document.getElementById('screen');
    canvas.width = w;
    canvas.height = h;
    Module.kwadronFullscreen = !!fullscreen;
    if (Module.onCanvas) Module.onCanvas(w, h);
});

// Draws the picture at the browser's next frame. That wait is the pacing:
// each picture is up for one frame of the display, whatever its rate, so
// the driver has no hold of its own (a timer on top of it would overshoot
// the frame and show each step of a slide for two).
EM_ASYNC_JS(void, web_draw, (const uint8_t *rgba, int w, int h), {
    await new Promise(requestAnimationFrame);
    const canvas = document.getElementById('screen');
    const pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4);
    canvas.getContext('2d').putImageData(new ImageData(pixels, w, h), 0, 0);
    if (Module.onPresent) Module.onPresent();
});

// Sleeps until input comes, or ms milliseconds pass (ms < 0: no limit).
EM_ASYNC_JS(void, web_sleep, (int ms), {
    await new Promise(resolve => {
        Module.kwadronWake = resolve;
        if (ms >= 0) setTimeout(resolve, ms);
    });
    Module.kwadronWake = null;
});

EM_JS(void, web_tell, (const char *text), {
    if (Module.onTell) Module.onTell(UTF8ToString(text));
});

EM_JS(int, web_size, (int *w, int *h), {
    const dpr = window.devicePixelRatio || 1;
    HEAP32[w >> 2] = Math.max(1, Math.floor(window.innerWidth * dpr));
    HEAP32[h >> 2] = Math.max(1, Math.floor(window.innerHeight * dpr));
    return 1;
});

// With ASYNCIFY, a main that has slept once returns to no caller, and the
// runtime would never end: no atexit handler would run and the page would
// not hear of the end (Module.onExit). Its return value ends it here. Set
// before main runs, since a failing start may sleep too (decoding the skin).
EM_JS(void, web_end_with_main, (), {
    Asyncify.whenDone().then(code => {
        try {
            exit(code);
        } catch (e) {
            if (!(e instanceof ExitStatus)) throw e;
        }
    });
});
[[maybe_unused]] const bool ends_with_main = (web_end_with_main(), true);

void show(View *v) {
    web_canvas(v->lw, v->lh, v->screen != nullptr);
}

void present() {
    if (views.empty()) return;
    View *v = views.back();
    const long long cpu0 = cpu_now_us();
    frame.assign(size_t(v->lw) * size_t(v->lh), 0);
    compose_frame(v->window, v->screen, {frame.data(), size_t(v->lw) * 4, v->lw, v->lh}, 1, 0, 0);
    // 0x00RRGGBB words to the canvas's bytes R, G, B, A.
    for (uint32_t &p : frame) p = 0xFF000000u | (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF);
    trace_present(cpu_now_us() - cpu0);
    web_draw(reinterpret_cast<const uint8_t *>(frame.data()), v->lw, v->lh);
}

// The page's size in device pixels, seen through the zoom of a 320 x 240
// window, as the desktop's public screen is.
bool public_size(int &w, int &h) {
    int dw, dh;
    web_size(&dw, &dh);
    const int z = std::max(1, std::min(dw / 320, dh / 240));
    w = std::max(1, dw / z);
    h = std::max(1, dh / z);
    return true;
}

bool open_view(View *v) {
    views.push_back(v);
    show(v);
    web::listen();
    return true;
}

bool open_window(WindowRec *w) { return open_view(w->view = new View{w, nullptr, w->Width, w->Height}); }
bool open_screen(ScreenRec *s) { return open_view(s->view = new View{nullptr, s, s->Width, s->Height}); }

void close(View *v) {
    if (!v) return;
    forget_view(views, v);
    delete v;
    if (!views.empty()) show(views.back());
}

void wait(MsgPort *port, WindowRec *) {
    present();
    while (!port->mp_Head) web_sleep(-1);
}

void shutdown() {
    while (!views.empty()) close(views.back());
    frame.clear();
    frame.shrink_to_fit();
}
} // namespace

namespace web {
// The page is going away (a reload, a closed tab): the game is closed as by
// its close gadget, so that it keeps its best before the page is gone. It
// runs at once, before the page is: the waits it may meet on its way out do
// not wait (see dos/storage_browser.cpp).
extern "C" EMSCRIPTEN_KEEPALIVE void web_leave() {
    EM_ASM({ Module.kwadronLeaving = true; });
    close_all_windows();
    wake();
}

void wake() {
    EM_ASM({
        if (Module.kwadronWake) Module.kwadronWake();
    });
}
} // namespace web

const DisplayDriver web_driver = [] {
    DisplayDriver d{};
    d.name = "web";
    d.by_default = [] { return true; };
    d.opens = true;
    d.public_size = public_size;
    d.open_window = open_window;
    d.open_screen = open_screen;
    d.close = close;
    d.present = present;
    d.wait = wait;
    d.shutdown = shutdown;
    d.tell = web_tell;
    return d;
}();
} // namespace host
