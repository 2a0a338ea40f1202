// Laying a decoded picture out for a screen: true colour, or the screen's
// pens (the picture's own indices, or each colour's nearest pen).
#include <algorithm>
#include <unordered_map>

#include "datatypes/picture.h"
#include "graphics/graphics.h"

namespace host {
BitMap *picture_layout(const Picture &p, const LayoutTarget &t) {
    if (p.width <= 0 || p.height <= 0) return nullptr;
    const size_t n = size_t(p.width) * size_t(p.height);
    bool pal_pic = p.has_palette() && p.indices.size() == n;
    if (!pal_pic && p.rgb.size() != n) return nullptr;
    auto colour_of = [&](uint8_t i) -> uint32_t { return i < p.palette.size() ? p.palette[i] : 0; };

    if (t.truecolor) {
        BitMap *bm = bitmap_create(p.width, p.height, 24, true, false);
        if (!bm) return nullptr;
        auto *px = reinterpret_cast<uint32_t *>(host::rec(bm)->Pixels);
        if (pal_pic)
            for (size_t i = 0; i < n; ++i) px[i] = colour_of(p.indices[i]);
        else
            std::copy(p.rgb.begin(), p.rgb.end(), px);
        return bm;
    }

    BitMap *bm = bitmap_create(p.width, p.height, std::clamp(t.depth, 1, 8), false, false);
    if (!bm) return nullptr;
    host::rec(bm)->Colors = t.colours;
    uint8_t *px = host::rec(bm)->Pixels;
    int pens = 256;
    if (t.colours && t.colours->Count > 0) pens = std::min<int>(t.colours->Count, 256);
    if (pal_pic && (!t.remap || !t.colours)) {
        std::copy(p.indices.begin(), p.indices.end(), px);
        return bm;
    }
    if (!t.colours) { // nothing to map to: black
        return bm;
    }
    if (pal_pic) {
        uint8_t map[256];
        for (int i = 0; i < 256; ++i) {
            uint32_t c = colour_of(uint8_t(i));
            map[i] = i < pens && (t.colours->Colors[i] & 0xFFFFFF) == c ? uint8_t(i)
                                                                        : uint8_t(nearest_pen(t.colours, pens, c));
        }
        for (size_t i = 0; i < n; ++i) px[i] = map[p.indices[i]];
        return bm;
    }
    std::unordered_map<uint32_t, uint8_t> seen;
    for (size_t i = 0; i < n; ++i) {
        auto it = seen.find(p.rgb[i]);
        if (it == seen.end()) it = seen.emplace(p.rgb[i], uint8_t(nearest_pen(t.colours, pens, p.rgb[i]))).first;
        px[i] = it->second;
    }
    return bm;
}

} // namespace host
