// IFF ILBM and PBM decoding of the host's own. SDL2_image 2.6's LBM loader
// writes outside its surface on damaged files and widens pictures to a
// multiple of 16 pixels, so IFF pictures never reach it. Taken: 1 to 8
// planes (Extra Half-Brite too), HAM6 and HAM8, 24-bit, an interleaved
// mask plane (skipped), no compression or ByteRun1. Left out: 32-bit and
// other chunky depths than 8.
#include <algorithm>
#include <cstring>

#include "datatypes/picture.h"

namespace host {
namespace {
constexpr uint32_t CAMG_EHB = 0x80, CAMG_HAM = 0x800;

uint32_t be32(const uint8_t *p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
unsigned be16(const uint8_t *p) { return unsigned(p[0]) << 8 | p[1]; }

bool fail(std::string *why, const char *text) {
    if (why) *why = text;
    return false;
}

// ByteRun1 into exactly out.size() bytes; false when the data runs short.
bool unpack(const uint8_t *in, size_t n, std::vector<uint8_t> &out) {
    size_t i = 0, o = 0;
    while (o < out.size()) {
        if (i >= n) return false;
        int c = int8_t(in[i++]);
        if (c >= 0) {
            size_t len = size_t(c) + 1;
            if (n - i < len || out.size() - o < len) return false;
            memcpy(&out[o], in + i, len);
            i += len, o += len;
        } else if (c != -128) {
            size_t len = size_t(1 - c);
            if (i >= n || out.size() - o < len) return false;
            memset(&out[o], in[i++], len);
            o += len;
        }
    }
    return true;
}
} // namespace

bool ilbm_decode(const uint8_t *data, size_t size, Picture &out, std::string *why) {
    if (size < 12 || memcmp(data, "FORM", 4)) return fail(why, "not an IFF file");
    bool pbm = !memcmp(data + 8, "PBM ", 4);
    if (!pbm && memcmp(data + 8, "ILBM", 4)) return fail(why, "not an IFF picture");
    const uint8_t *bmhd = nullptr, *cmap = nullptr, *body = nullptr;
    size_t cmap_len = 0, body_len = 0;
    uint32_t camg = 0;
    for (size_t at = 12; at <= size && size - at >= 8;) {
        uint32_t len = be32(data + at + 4);
        const uint8_t *chunk = data + at + 8;
        size_t avail = std::min<size_t>(len, size - at - 8);
        if (!memcmp(data + at, "BMHD", 4) && avail >= 20) bmhd = chunk;
        if (!memcmp(data + at, "CMAP", 4)) cmap = chunk, cmap_len = avail;
        if (!memcmp(data + at, "CAMG", 4) && avail >= 4) camg = be32(chunk);
        if (!memcmp(data + at, "BODY", 4)) {
            body = chunk, body_len = avail;
            break;
        }
        if (len > size - at - 8) break;
        at += 8 + size_t(len) + (len & 1);
    }
    if (!bmhd || !body) return fail(why, "IFF picture without header or body");
    long w = be16(bmhd), h = be16(bmhd + 2);
    int planes = bmhd[8], masking = bmhd[9], compression = bmhd[10];
    if (w < 1 || h < 1 || w * h > picture_max_pixels) return fail(why, "IFF picture size refused");
    if (compression > 1) return fail(why, "IFF compression not known");
    bool ham = (camg & CAMG_HAM) && (planes == 6 || planes == 8);
    if (pbm ? planes != 8 : !(planes >= 1 && planes <= 8) && planes != 24)
        return fail(why, "IFF depth not taken");

    std::vector<uint32_t> colours;
    for (size_t i = 0; i + 3 <= cmap_len && i < 3 * 256; i += 3)
        colours.push_back(uint32_t(cmap[i]) << 16 | uint32_t(cmap[i + 1]) << 8 | cmap[i + 2]);
    if ((camg & CAMG_EHB) && planes == 6 && !ham) {
        colours.resize(32, 0);
        for (int i = 0; i < 32; ++i) colours.push_back((colours[i] >> 1) & 0x7F7F7F);
    }

    // Every row: each plane's bits (and the mask's), or the chunky bytes.
    size_t rowbytes = pbm ? size_t(w + 1) / 2 * 2 : size_t(w + 15) / 16 * 2;
    size_t row_planes = pbm ? 1 : size_t(planes) + (masking == 1);
    size_t need = rowbytes * row_planes * size_t(h);
    // A run of two bytes gives at most 128: no use unpacking what cannot fit.
    if (compression == 1 ? body_len < need / 64 : body_len < need)
        return fail(why, "IFF body cut short");
    std::vector<uint8_t> raw(need);
    if (compression == 1) {
        if (!unpack(body, body_len, raw)) return fail(why, "IFF body damaged");
    } else {
        memcpy(raw.data(), body, raw.size());
    }

    out = Picture{};
    out.width = int(w);
    out.height = int(h);
    bool truecolour = planes == 24 || ham;
    if (truecolour) out.rgb.resize(size_t(w) * size_t(h));
    else out.indices.resize(size_t(w) * size_t(h));
    std::vector<uint32_t> values(static_cast<size_t>(w));
    for (long y = 0; y < h; ++y) {
        const uint8_t *row = raw.data() + size_t(y) * rowbytes * row_planes;
        if (pbm) {
            std::copy_n(row, w, out.indices.begin() + y * w);
            continue;
        }
        std::fill(values.begin(), values.end(), 0);
        for (int p = 0; p < planes; ++p) {
            const uint8_t *plane = row + size_t(p) * rowbytes;
            for (long x = 0; x < w; ++x)
                if (plane[x >> 3] & (0x80 >> (x & 7))) values[size_t(x)] |= 1u << p;
        }
        if (planes == 24) {
            for (long x = 0; x < w; ++x) {
                uint32_t v = values[size_t(x)];
                out.rgb[size_t(y * w + x)] = (v & 0xFF) << 16 | (v >> 8 & 0xFF) << 8 | (v >> 16 & 0xFF);
            }
        } else if (ham) {
            // Hold-and-modify: the top two bits say which component the
            // low bits replace, or that they name a colour of the map.
            int low = planes - 2;
            uint32_t c = colours.empty() ? 0 : colours[0];
            for (long x = 0; x < w; ++x) {
                uint32_t v = values[size_t(x)], mode = v >> low, val = v & ((1u << low) - 1);
                uint32_t comp = low == 4 ? val * 0x11 : (val << 2 | val >> 4);
                if (mode == 0) c = val < colours.size() ? colours[val] : 0;
                else if (mode == 1) c = (c & 0xFFFF00) | comp;
                else if (mode == 2) c = (c & 0x00FFFF) | comp << 16;
                else c = (c & 0xFF00FF) | comp << 8;
                out.rgb[size_t(y * w + x)] = c;
            }
        } else {
            for (long x = 0; x < w; ++x) out.indices[size_t(y * w + x)] = uint8_t(values[size_t(x)]);
        }
    }
    if (truecolour) {
        out.depth = 24;
        return true;
    }
    out.palette = colours;
    out.depth = planes;
    int entries = 1 << planes;
    out.colours = colours.empty() ? entries : std::min<int>(int(colours.size()), entries);
    return true;
}
} // namespace host
