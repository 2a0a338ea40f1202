// The system's codecs in the browser: the browser's own decoders (PNG, JPEG,
// BMP, WebP, and what else it reads), asked for the file's own colours, not
// converted to the screen's colour space. A PNG with a palette stays a
// palette picture, its pixels found again among the palette's colours, as
// the desktop's decoder gives it.
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

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
// one of it.
bool as_palette(Picture &p, const std::vector<uint32_t> &palette) {
    std::unordered_map<uint32_t, uint8_t> index;
    for (size_t i = palette.size(); i-- > 0;) index[palette[i]] = uint8_t(i);
    std::vector<uint8_t> indices(p.rgb.size());
    // A skin's pixels come in runs of one colour: the map is asked once a run.
    uint32_t last = ~0u;
    uint8_t at = 0;
    for (size_t i = 0; i < p.rgb.size(); ++i) {
        if (p.rgb[i] != last) {
            auto it = index.find(p.rgb[i]);
            if (it == index.end()) return false;
            last = p.rgb[i];
            at = it->second;
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
