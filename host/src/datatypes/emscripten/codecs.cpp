// The system's codecs in the browser: the browser's own decoders (PNG, JPEG,
// BMP, WebP, and what else it reads), asked for the file's own colours, not
// converted to the screen's colour space. A PNG with a palette stays a
// palette picture, its pixels found again among the palette's colours, as
// the desktop's decoder gives it.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "datatypes/picture.h"
#include "emscripten/page.h"

namespace host {
namespace {
// The colours of a PNG's palette (PLTE), as the sniffing found it; none
// when it has none.
std::vector<uint32_t> png_palette(const uint8_t *data, const PictureKind &kind) {
    std::vector<uint32_t> palette;
    if (strcmp(kind.type, "PNG") || !kind.palette_at) return palette;
    for (int k = 0; k < kind.colours; ++k) {
        const uint8_t *c = data + kind.palette_at + 3 * size_t(k);
        palette.push_back(uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2]);
    }
    return palette;
}

// The picture as indices into the palette, when every pixel's colour is
// one of it (the first entry of a colour that the palette holds twice).
bool as_palette(Picture &p, const std::vector<uint32_t> &palette) {
    // The palette's colours in order, each with its entry, for a binary search.
    std::vector<uint64_t> index(palette.size());
    for (size_t i = 0; i < palette.size(); ++i) index[i] = uint64_t(palette[i]) << 8 | i;
    std::sort(index.begin(), index.end());
    std::vector<uint8_t> indices(p.rgb.size());
    // A skin's pixels come in runs of one colour: the palette is searched once a run.
    uint32_t last = ~0u;
    uint8_t at = 0;
    for (size_t i = 0; i < p.rgb.size(); ++i) {
        if (p.rgb[i] != last) {
            const auto it = std::lower_bound(index.begin(), index.end(), uint64_t(p.rgb[i]) << 8);
            if (it == index.end() || *it >> 8 != p.rgb[i]) return false;
            last = p.rgb[i];
            at = uint8_t(*it & 0xFF);
        }
        indices[i] = at;
    }
    p.indices = std::move(indices);
    p.palette = palette;
    p.colours = int(palette.size());
    p.depth = picture_planes(p.colours);
    p.rgb.clear();
    return true;
}
} // namespace

bool codec_decode(const uint8_t *data, size_t size, const PictureKind &kind, Picture &out, std::string *why) {
    int w = 0, h = 0;
    uint8_t *rgba = nullptr;
    if (!kw_decode(data, int(size), &w, &h, &rgba)) {
        if (why) *why = std::string("the browser cannot decode this ") + kind.type;
        return false;
    }
    if (!picture_size_ok(w, h)) {
        free(rgba);
        if (why) *why = "picture size refused";
        return false;
    }
    out.width = w;
    out.height = h;
    out.depth = 24;
    out.rgb.resize(size_t(w) * size_t(h));
    for (size_t i = 0; i < out.rgb.size(); ++i) {
        const uint8_t *c = rgba + 4 * i;
        out.rgb[i] = uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2];
    }
    free(rgba);
    const std::vector<uint32_t> palette = png_palette(data, kind);
    if (!palette.empty()) as_palette(out, palette);
    return true;
}
} // namespace host
