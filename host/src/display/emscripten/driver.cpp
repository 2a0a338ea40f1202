// The web display: the program's window, or its own screen, in the page's
// canvas. A present draws the picture at the browser's next frame, so that
// each step of a slide is shown for a frame (the driver needs no pacing of
// its own); a wait yields to the browser until input comes. The canvas is
// placed on the stage at the core's zoom. input.cpp takes the page's input.
#include <algorithm>
#include <vector>

#include "display/driver.h"
#include "display/frame.h"
#include "emscripten/page.h"

namespace host {
namespace {
// The picture of the view in front, RGBA bytes as the canvas takes them.
std::vector<uint32_t> frame;

// Places the canvas in the stage at the largest zoom that fits.
void place(View *v) {
    int z, x, y;
    view_layout(v->width, v->height, v->surface_w, v->surface_h, z, x, y);
    kw_zoom(z, x, y);
}

void show(View *v) {
    kw_show(v->width, v->height, v->screen != nullptr);
    kw_stage(&v->surface_w, &v->surface_h);
    place(v);
    frame.clear();
}

bool usable_area(int &w, int &h) {
    kw_stage(&w, &h);
    return true;
}

bool open(View *v) {
    show(v);
    return true;
}

void close(View *v) {
    if (v == front_view() && views().size() > 1) show(views()[views().size() - 2]);
}

// What changed since the last present, composed and put in the canvas
// alone: the rest of the frame, and of the canvas, is as it was. The whole
// when the frame is new. Each present is shown at a frame of its own.
void present(View *v) {
    if (v != front_view()) return;
    const size_t w = size_t(v->width);
    int x0 = v->x0, y0 = v->y0, x1 = v->x1, y1 = v->y1;
    if (frame.size() != w * size_t(v->height)) {
        frame.assign(w * size_t(v->height), 0);
        x0 = y0 = 0, x1 = v->width, y1 = v->height;
    }
    if (x0 >= x1 || y0 >= y1) x1 = x0, y1 = y0; // nothing to put; the frame is waited for all the same
    uint32_t *at = frame.data() + size_t(y0) * w + size_t(x0);
    compose_frame(v, {at, w * 4, x1 - x0, y1 - y0}, 1, -x0, -y0);
    // 0x00RRGGBB words to the canvas's bytes R, G, B, A.
    for (int y = y0; y < y1; ++y, at += w)
        for (uint32_t *p = at, *end = at + (x1 - x0); p < end; ++p)
            *p = 0xFF000000u | (*p & 0xFF) << 16 | (*p & 0xFF00) | (*p >> 16 & 0xFF);
    kw_present(reinterpret_cast<const uint8_t *>(frame.data()), v->width, v->height, x0, y0, x1 - x0, y1 - y0);
}

void wait(long long until_us, int) {
    if (until_us == 0) return;
    kw_sleep(until_us < 0 ? -1 : int(std::max(0LL, until_us / 1000)));
}

void shutdown() {
    frame.clear();
    frame.shrink_to_fit();
}

[[maybe_unused]] const bool ends_with_main = (kw_end_with_main(), true);
} // namespace

namespace web {
// The stage took a new size: the canvas is placed again.
void resized(int w, int h) {
    for (View *v : views()) v->surface_w = w, v->surface_h = h;
    if (View *v = front_view()) place(v);
}
} // namespace web

extern const DisplayDriver web_driver = [] {
    DisplayDriver d{};
    d.name = "web";
    d.by_default = [] { return true; };
    d.opens = true;
    d.usable_area = usable_area;
    d.open = open;
    d.close = close;
    d.present = present;
    d.wait = wait;
    d.refresh_us = [] { return 0LL; };
    d.shutdown = shutdown;
    d.tell = kw_tell;
    return d;
}();
} // namespace host
