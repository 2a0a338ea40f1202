// GIF decoding of the host's own. SDL2_image 2.6's GIF loader frees memory
// it does not own on some damaged files, so GIF never reaches it. Only the
// first image is taken; transparency and animation are left out.
#include <algorithm>
#include <cstring>

#include "datatypes/picture.h"

namespace host {
namespace {
struct Reader {
    const uint8_t *p;
    size_t n, at = 0;
    bool has(size_t len) const { return at <= n && len <= n - at; }
    int byte() { return has(1) ? p[at++] : -1; }
    long le16() {
        if (!has(2)) return -1;
        long v = p[at] | p[at + 1] << 8;
        at += 2;
        return v;
    }
    // Skips a chain of sub-blocks; false when it runs off the end.
    bool skip_blocks() {
        for (;;) {
            int len = byte();
            if (len <= 0) return len == 0;
            if (!has(size_t(len))) return false;
            at += size_t(len);
        }
    }
};

bool fail(std::string *why, const char *text) {
    if (why) *why = text;
    return false;
}

// LZW codes of min_code + 1 to 12 bits, least significant bit first, into
// exactly 'count' indices. False when the stream is damaged or too short.
bool lzw(const std::vector<uint8_t> &data, int min_code, size_t count, std::vector<uint8_t> &out) {
    const int clear = 1 << min_code, end = clear + 1;
    uint16_t prefix[4096];
    uint8_t suffix[4096];
    uint8_t stack[4097];
    for (int i = 0; i < clear; ++i) prefix[i] = 0, suffix[i] = uint8_t(i);
    int width = min_code + 1, next = clear + 2, prev = -1;
    uint8_t first = 0;
    uint32_t acc = 0;
    int bits = 0;
    size_t in = 0;
    out.clear();
    out.reserve(count);
    while (out.size() < count) {
        while (bits < width) {
            if (in >= data.size()) return false;
            acc |= uint32_t(data[in++]) << bits;
            bits += 8;
        }
        int code = int(acc & ((1u << width) - 1));
        acc >>= width;
        bits -= width;
        if (code == clear) {
            width = min_code + 1;
            next = clear + 2;
            prev = -1;
            continue;
        }
        if (code == end) return false;
        if (prev < 0) {
            if (code >= clear) return false;
            first = uint8_t(code);
            out.push_back(first);
            prev = code;
            continue;
        }
        if (code > next || (code == next && next >= 4096)) return false;
        int in_code = code, sp = 0;
        if (code == next) {
            stack[sp++] = first;
            code = prev;
        }
        while (code >= clear) {
            if (sp >= 4096) return false;
            stack[sp++] = suffix[code];
            code = prefix[code];
        }
        first = uint8_t(code);
        stack[sp++] = first;
        while (sp > 0 && out.size() < count) out.push_back(stack[--sp]);
        if (next < 4096) {
            prefix[next] = uint16_t(prev);
            suffix[next] = first;
            ++next;
            if (next == (1 << width) && width < 12) ++width;
        }
        prev = in_code;
    }
    return true;
}
} // namespace

bool gif_decode(const uint8_t *data, size_t size, Picture &out, std::string *why) {
    Reader r{data, size};
    if (!r.has(13) || (memcmp(data, "GIF87a", 6) && memcmp(data, "GIF89a", 6)))
        return fail(why, "not a GIF");
    r.at = 10;
    int packed = r.byte();
    r.at = 13;
    std::vector<uint32_t> global, local;
    auto table = [&](int flags, std::vector<uint32_t> &t) {
        if (!(flags & 0x80)) return true;
        size_t n = size_t(2) << (flags & 7);
        if (!r.has(3 * n)) return false;
        for (size_t i = 0; i < n; ++i, r.at += 3)
            t.push_back(uint32_t(data[r.at]) << 16 | uint32_t(data[r.at + 1]) << 8 | data[r.at + 2]);
        return true;
    };
    if (!table(packed, global)) return fail(why, "GIF colour table cut short");
    for (;;) {
        int c = r.byte();
        if (c == 0x21) {
            if (r.byte() < 0 || !r.skip_blocks()) return fail(why, "GIF extension cut short");
            continue;
        }
        if (c != 0x2C) return fail(why, "GIF without an image");
        break;
    }
    r.at += 4; // the image's place on the logical screen
    long w = r.le16(), h = r.le16();
    int flags = r.byte();
    if (w < 1 || h < 1 || flags < 0) return fail(why, "GIF image of no size");
    if (w * h > picture_max_pixels) return fail(why, "GIF image too large");
    if (!table(flags, local)) return fail(why, "GIF colour table cut short");
    const std::vector<uint32_t> &colours = local.empty() ? global : local;
    if (colours.empty()) return fail(why, "GIF without colours");
    int min_code = r.byte();
    if (min_code < 2 || min_code > 8) return fail(why, "GIF code size out of range");
    std::vector<uint8_t> stream;
    for (int len; (len = r.byte()) > 0;) {
        if (!r.has(size_t(len))) return fail(why, "GIF image data cut short");
        stream.insert(stream.end(), data + r.at, data + r.at + len);
        r.at += size_t(len);
    }
    std::vector<uint8_t> rows;
    if (!lzw(stream, min_code, size_t(w) * size_t(h), rows)) return fail(why, "GIF image data damaged");

    out = Picture{};
    out.width = int(w);
    out.height = int(h);
    out.palette = colours;
    out.colours = int(colours.size());
    int depth = 1;
    while ((1 << depth) < out.colours) ++depth;
    out.depth = depth;
    if (!(flags & 0x40)) {
        out.indices = std::move(rows);
        return true;
    }
    // Interlaced: rows 0, 8, 16 ... then 4, 12 ... then 2, 6 ... then 1, 3 ...
    out.indices.resize(rows.size());
    static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    size_t from = 0;
    for (int pass = 0; pass < 4; ++pass)
        for (long y = start[pass]; y < h; y += step[pass], from += size_t(w))
            std::copy_n(rows.begin() + long(from), w, out.indices.begin() + y * w);
    return true;
}
} // namespace host
