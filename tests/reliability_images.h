// A PNG writer for the bad-input tests (any colour type and bit depth, plain
// or interlaced, stored deflate blocks) with the raw pieces to spoil files
// with; ILBM and GIF come from the shared test writers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picture_files.h"

namespace reliability {

using Bytes = std::string;

inline void put_be32(Bytes &b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b += char((v >> s) & 0xFF);
}
inline void put_be16(Bytes &b, uint32_t v) {
    b += char((v >> 8) & 0xFF);
    b += char(v & 0xFF);
}

inline uint32_t crc32(const Bytes &data, size_t from = 0) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < data.size(); ++i) {
        c ^= uint8_t(data[i]);
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return c ^ 0xFFFFFFFFu;
}

inline void png_chunk(Bytes &out, const char *type, const Bytes &data) {
    put_be32(out, uint32_t(data.size()));
    Bytes body = type + data;
    out += body;
    put_be32(out, crc32(body));
}

// A zlib stream of stored blocks.
inline Bytes zlib_stored(const Bytes &raw) {
    Bytes z = "\x78\x01";
    size_t at = 0;
    do {
        size_t n = std::min<size_t>(65535, raw.size() - at);
        z += char(at + n == raw.size() ? 1 : 0);
        z += char(n & 0xFF);
        z += char(n >> 8);
        z += char(~n & 0xFF);
        z += char((~n >> 8) & 0xFF);
        z.append(raw, at, n);
        at += n;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    put_be32(z, (b << 16) | a);
    return z;
}

struct PngForm {
    uint32_t width = 320, height = 483;
    int bit_depth = 8;
    int colour_type = 2; // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    bool interlaced = false;
    int palette_size = 256; // colour type 3
};

inline int png_channels(int colour_type) {
    switch (colour_type) {
    case 0: case 3: return 1;
    case 4: return 2;
    case 2: return 3;
    default: return 4;
    }
}

// Sample c of pixel (x, y): a pattern with pure black in it.
inline uint32_t png_sample(const PngForm &s, uint32_t x, uint32_t y, int c) {
    const uint32_t max = (1u << s.bit_depth) - 1;
    if (s.colour_type == 3) return ((x / 8) ^ (y / 8)) % uint32_t(s.palette_size) & max;
    if ((x + y) % 7 == 0) return c == 3 || (s.colour_type == 4 && c == 1) ? max : 0;
    return ((x * 3 + y * 5 + uint32_t(c) * 11) * 2654435761u >> 7) & max;
}

inline Bytes png_rows(const PngForm &s, uint32_t x0, uint32_t dx, uint32_t y0, uint32_t dy) {
    Bytes raw;
    const int ch = png_channels(s.colour_type);
    for (uint32_t y = y0; y < s.height; y += dy) {
        raw += '\0';
        uint32_t acc = 0;
        int bits = 0;
        for (uint32_t x = x0; x < s.width; x += dx)
            for (int c = 0; c < ch; ++c) {
                uint32_t v = png_sample(s, x, y, c);
                if (s.bit_depth == 16) {
                    put_be16(raw, v);
                    continue;
                }
                acc = (acc << s.bit_depth) | v;
                bits += s.bit_depth;
                if (bits == 8) {
                    raw += char(acc);
                    acc = 0;
                    bits = 0;
                }
            }
        if (bits) raw += char(acc << (8 - bits));
    }
    return raw;
}

inline Bytes png_ihdr(const PngForm &s) {
    Bytes h;
    put_be32(h, s.width);
    put_be32(h, s.height);
    h += char(s.bit_depth);
    h += char(s.colour_type);
    h += '\0';
    h += '\0';
    h += char(s.interlaced ? 1 : 0);
    return h;
}

inline Bytes png_file(const PngForm &s) {
    Bytes out = "\x89PNG\r\n\x1a\n";
    png_chunk(out, "IHDR", png_ihdr(s));
    if (s.colour_type == 3) {
        Bytes plte;
        for (int i = 0; i < s.palette_size; ++i) {
            plte += char(i == 0 ? 0 : (i * 37) & 0xFF);
            plte += char(i == 0 ? 0 : (i * 91) & 0xFF);
            plte += char(i == 0 ? 0 : 255 - i);
        }
        png_chunk(out, "PLTE", plte);
    }
    Bytes raw;
    if (!s.interlaced) {
        raw = png_rows(s, 0, 1, 0, 1);
    } else {
        static const uint32_t pass[7][4] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                                            {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};
        for (auto &p : pass)
            if (s.width > p[0] && s.height > p[2]) raw += png_rows(s, p[0], p[1], p[2], p[3]);
    }
    png_chunk(out, "IDAT", zlib_stored(raw));
    png_chunk(out, "IEND", "");
    return out;
}

// A file of the shared test writers, as bytes.
inline Bytes bytes_of(const testpic::Bytes &b) { return Bytes(b.begin(), b.end()); }
inline Bytes ilbm_file(int width, int height, int planes) { return bytes_of(testpic::ilbm(width, height, planes)); }
inline Bytes gif_file(int width, int height, int bits) { return bytes_of(testpic::gif(width, height, bits)); }

} // namespace reliability
