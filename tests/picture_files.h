// Small picture files made by the tests: palette surfaces and an IFF ILBM
// writer, written with the test palette whose colours are never black; and
// any picture file read back as 0xRRGGBB pixels.
#pragma once

#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace testpic {

using Surface = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// The picture in 32-bit pixels (ARGB8888), or null.
inline Surface load_rgb(const std::filesystem::path &p) {
    Surface raw(IMG_Load(p.c_str()), SDL_FreeSurface);
    return Surface(raw ? SDL_ConvertSurfaceFormat(raw.get(), SDL_PIXELFORMAT_ARGB8888, 0) : nullptr, SDL_FreeSurface);
}

inline Uint32 at(const SDL_Surface *s, int x, int y) {
    return static_cast<const Uint32 *>(s->pixels)[y * (s->pitch / 4) + x] & 0xFFFFFF;
}

using Bytes = std::vector<uint8_t>;

// Colour i of the test palettes: all different, none of them black.
inline uint32_t colour(int i) { return uint32_t(0x10 + i * 7) << 16 | uint32_t(0xF0 - i * 5) << 8 | uint32_t(i * 3 + 1); }
// Colour index of pixel (x, y) in the test pictures.
inline int index_at(int x, int y, int colours) { return (x + 3 * y) % colours; }

inline SDL_Surface *palette_surface(int w, int h, int colours) {
    SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 8, SDL_PIXELFORMAT_INDEX8);
    SDL_Color c[256] = {};
    for (int i = 0; i < colours; ++i)
        c[i] = {Uint8(colour(i) >> 16), Uint8(colour(i) >> 8), Uint8(colour(i)), 255};
    s->format->palette->ncolors = colours;
    SDL_SetPaletteColors(s->format->palette, c, 0, colours);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            static_cast<Uint8 *>(s->pixels)[y * s->pitch + x] = Uint8(index_at(x, y, colours));
    return s;
}

inline void put16be(Bytes &b, unsigned v) { b.push_back(Uint8(v >> 8)), b.push_back(Uint8(v)); }
inline void put32be(Bytes &b, uint32_t v) { put16be(b, v >> 16), put16be(b, v & 0xFFFF); }

// An uncompressed IFF ILBM of 'planes' bit planes, with a CAMG chunk when
// 'camg' is set; its pixels those of the test pictures, or 'row' in each row.
inline Bytes ilbm(int w, int h, int planes, uint32_t camg = 0, const std::vector<int> &row = {}) {
    int colours = 1 << planes, rowbytes = (w + 15) / 16 * 2;
    Bytes body;
    body.insert(body.end(), {'B', 'M', 'H', 'D'});
    put32be(body, 20);
    put16be(body, w), put16be(body, h), put32be(body, 0);
    body.insert(body.end(), {Uint8(planes), 0, 0, 0, 0, 0, 1, 1});
    put16be(body, w), put16be(body, h);
    body.insert(body.end(), {'C', 'M', 'A', 'P'});
    put32be(body, 3 * colours);
    for (int i = 0; i < colours; ++i)
        body.insert(body.end(), {Uint8(colour(i) >> 16), Uint8(colour(i) >> 8), Uint8(colour(i))});
    if (camg) body.insert(body.end(), {'C', 'A', 'M', 'G', 0, 0, 0, 4}), put32be(body, camg);
    body.insert(body.end(), {'B', 'O', 'D', 'Y'});
    put32be(body, uint32_t(rowbytes * planes * h));
    for (int y = 0; y < h; ++y)
        for (int p = 0; p < planes; ++p)
            for (int xb = 0; xb < rowbytes; ++xb) {
                Uint8 v = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    int x = xb * 8 + bit;
                    if (x < w && ((row.empty() ? index_at(x, y, colours) : row[size_t(x)]) >> p & 1))
                        v |= Uint8(0x80 >> bit);
                }
                body.push_back(v);
            }
    Bytes f = {'F', 'O', 'R', 'M'};
    put32be(f, uint32_t(body.size() + 4));
    f.insert(f.end(), {'I', 'L', 'B', 'M'});
    f.insert(f.end(), body.begin(), body.end());
    return f;
}

} // namespace testpic
