// What tests and scripted runs read back from windows: a pixel, or the
// inner area written as a PNG file.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "display/display.h"
#include "graphics/graphics.h"
#include "host/control.h"

namespace host {
namespace {
uint32_t crc32(const uint8_t *p, size_t n) {
    static const auto table = [] {
        std::vector<uint32_t> t(256);
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put32(std::string &out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out += char(v >> s);
}

void chunk(std::string &out, const char *type, const std::string &data) {
    put32(out, uint32_t(data.size()));
    const std::string body = type + data;
    out += body;
    put32(out, crc32(reinterpret_cast<const uint8_t *>(body.data()), body.size()));
}

// A PNG of 8-bit RGB rows. The data is stored without compression: the
// pictures are small, and no compression library is needed for them.
std::string png_rgb(int w, int h, const std::string &rows) {
    std::string z = "\x78\x01";
    uint32_t a = 1, b = 0;
    for (unsigned char c : rows) a = (a + c) % 65521, b = (b + a) % 65521;
    for (size_t at = 0; at < rows.size(); at += 65535) {
        const size_t n = std::min<size_t>(65535, rows.size() - at);
        z += char(at + n >= rows.size() ? 1 : 0); // the last block
        z += char(n), z += char(n >> 8), z += char(~n), z += char(~n >> 8);
        z.append(rows, at, n);
    }
    put32(z, b << 16 | a);
    std::string header;
    put32(header, uint32_t(w));
    put32(header, uint32_t(h));
    header += std::string("\x08\x02\x00\x00\x00", 5);
    std::string out = "\x89PNG\r\n\x1a\n";
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", "");
    return out;
}
} // namespace

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
    std::string rows;
    rows.reserve(size_t(ih) * (1 + 3 * size_t(iw)));
    for (int y = 0; y < ih; ++y) {
        rows += '\0'; // no filter
        for (int x = 0; x < iw; ++x) {
            const ULONG c = window_pixel(w, x + r->BorderLeft, y + r->BorderTop);
            rows += char(c >> 16), rows += char(c >> 8), rows += char(c);
        }
    }
    const std::string png = png_rgb(iw, ih, rows), aside = png_path + ".part";
    FILE *f = fopen(aside.c_str(), "wb");
    bool ok = f && fwrite(png.data(), 1, png.size(), f) == png.size();
    if (f && fclose(f) != 0) ok = false;
    if (ok) ok = rename(aside.c_str(), png_path.c_str()) == 0;
    if (!ok) remove(aside.c_str());
    return ok;
}
} // namespace host
