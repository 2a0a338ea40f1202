// What tests and scripted runs read back from windows: a pixel, or the
// inner area written as a PNG file.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "datatypes/png.h"
#include "intuition/intuition.h"
#include "graphics/graphics.h"
#include "host/control.h"

namespace host {
Window *current_window() {
    const auto &ws = open_windows();
    return ws.empty() ? nullptr : ws.back();
}

ULONG window_pixel(const Window *w, LONG x, LONG y) {
    const WindowRec *r = window_rec(w);
    if (!r) return 0;
    return bitmap_rgb(r->rastport.BitMap, &r->screen->colors, x, y);
}

// The inner area only, through the screen's colours; the file is replaced
// whole (written aside, then renamed).
bool window_snapshot(const Window *w, const std::string &png_path) {
    const WindowRec *r = window_rec(w);
    if (!r || png_path.empty()) return false;
    const int iw = r->inner_w, ih = r->inner_h;
    if (iw <= 0 || ih <= 0) return false;
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(ih) * 3 * size_t(iw));
    for (int y = 0; y < ih; ++y)
        for (int x = 0; x < iw; ++x) {
            const ULONG c = window_pixel(w, x + r->BorderLeft, y + r->BorderTop);
            rgb.insert(rgb.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
        }
    return png_write(png_path, png_encode(iw, ih, rgb.data(), nullptr, false));
}
} // namespace host
