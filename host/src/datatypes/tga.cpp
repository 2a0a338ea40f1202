// TGA decoding of the host's own, so that both editions read TGA alike (a
// browser has no TGA decoder). Taken: colour-mapped (8-bit indices into a
// map of 15, 16, 24 or 32-bit entries, kept as a palette picture), true
// colour of 15, 16, 24 or 32 bits, grey of 8 bits (16 with alpha), each plain
// or run-length encoded, rows and columns in the order the header gives.
// Alpha is left out; the extension area and footer of TGA 2.0 are not read.
#include <algorithm>

#include "datatypes/picture.h"

namespace host {
namespace {
bool fail(std::string *why, const char *text) {
    if (why) *why = text;
    return false;
}

unsigned le16(const uint8_t *p) { return unsigned(p[0]) | unsigned(p[1]) << 8; }

// 0x00RRGGBB of a pixel or map entry: 15 and 16 bits are 5 bits a component
// (the top bit left out), 24 and 32 bits blue, green, red (then alpha).
uint32_t colour_of(const uint8_t *p, unsigned bits) {
    if (bits > 16) return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    const unsigned v = le16(p);
    auto five = [](unsigned x) { return uint32_t((x & 31) << 3 | (x & 31) >> 2); };
    return five(v >> 10) << 16 | five(v >> 5) << 8 | five(v);
}

bool colour_bits(unsigned bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }
} // namespace

bool tga_decode(const uint8_t *data, size_t size, Picture &out, std::string *why) {
    if (!data || size < 18) return fail(why, "TGA header cut short");
    const unsigned map_type = data[1], type = data[2], kind = type & ~8u;
    const unsigned map_first = le16(data + 3), map_len = le16(data + 5), map_bits = data[7];
    const long w = le16(data + 12), h = le16(data + 14);
    const unsigned bits = data[16], desc = data[17];
    const bool rle = type & 8, top_down = desc & 0x20, right_to_left = desc & 0x10;
    if (map_type > 1 || kind < 1 || kind > 3) return fail(why, "not a TGA file");
    if (kind == 1 && (map_type != 1 || map_len == 0 || !colour_bits(map_bits)))
        return fail(why, "TGA without a usable colour map");
    if (kind == 1 ? bits != 8 : kind == 2 ? !colour_bits(bits) : bits != 8 && bits != 16)
        return fail(why, "TGA pixel depth not taken");
    if (desc & 0xC0) return fail(why, "interleaved TGA not taken");
    if (w < 1 || h < 1 || w > picture_max_side || h > picture_max_side || w * h > picture_max_pixels)
        return fail(why, "TGA picture size refused");

    // The image ID, then the colour map (present in any kind), then the pixels.
    const size_t entry = (map_bits + 7) / 8, map_at = 18 + size_t(data[0]);
    const size_t map_bytes = map_type ? size_t(map_len) * entry : 0;
    if (size < map_at || size - map_at < map_bytes) return fail(why, "TGA colour map cut short");
    const uint8_t *p = data + map_at + map_bytes, *const end = data + size;
    const size_t px = (bits + 7) / 8, n = size_t(w) * size_t(h);
    // Each packet of 1 + px bytes brings at most 128 pixels.
    if (size_t(end - p) < (rle ? (n + 127) / 128 * (1 + px) : n * px)) return fail(why, "TGA image data cut short");

    Picture pic;
    pic.width = int(w);
    pic.height = int(h);
    if (kind == 2) {
        pic.depth = 24;
        pic.rgb.resize(n);
    } else {
        pic.indices.resize(n);
        // A map's entries keep their indices; those below its first are black.
        const size_t colours = kind == 3 ? 256 : std::min<size_t>(256, size_t(map_first) + map_len);
        pic.palette.assign(colours, 0);
        for (size_t i = 0; i < colours; ++i)
            if (kind == 3) pic.palette[i] = uint32_t(i * 0x010101);
            else if (i >= map_first) pic.palette[i] = colour_of(data + map_at + (i - map_first) * entry, map_bits);
        pic.colours = int(colours);
        pic.depth = 1;
        while ((size_t(1) << pic.depth) < colours) ++pic.depth;
    }
    // Pixel i of the file, placed as the header's origin says.
    bool in_map = true;
    auto put = [&](size_t i, const uint8_t *v) {
        const size_t fy = i / size_t(w), fx = i % size_t(w);
        const size_t at = (top_down ? fy : size_t(h) - 1 - fy) * size_t(w) + (right_to_left ? size_t(w) - 1 - fx : fx);
        if (kind == 2) pic.rgb[at] = colour_of(v, bits);
        else pic.indices[at] = v[0];
        if (kind == 1) in_map = in_map && v[0] >= map_first && v[0] - map_first < map_len;
    };
    if (!rle) {
        for (size_t i = 0; i < n; ++i) put(i, p + i * px);
    } else {
        // Packets may run on from one row into the next; one that runs past
        // the last pixel is cut there.
        for (size_t i = 0; i < n;) {
            if (p == end) return fail(why, "TGA image data cut short");
            const unsigned head = *p++;
            const size_t count = std::min<size_t>((head & 0x7F) + 1, n - i);
            const size_t bytes = head & 0x80 ? px : count * px;
            if (size_t(end - p) < bytes) return fail(why, "TGA image data cut short");
            for (size_t k = 0; k < count; ++k) put(i++, head & 0x80 ? p : p + k * px);
            p += bytes;
        }
    }
    if (!in_map) return fail(why, "TGA colour index outside its map");
    out = std::move(pic);
    return true;
}
} // namespace host
