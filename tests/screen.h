// What a picture of the game's window shows, read back with the default
// skin: the numbers on its counters.
#pragma once

#include <SDL.h>
#include <SDL_image.h>

#include <filesystem>
#include <memory>

namespace screen {

using Surface = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

inline Surface load(const std::filesystem::path &p) {
    SDL_Surface *raw = IMG_Load(p.c_str());
    SDL_Surface *rgb = raw ? SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_ARGB8888, 0) : nullptr;
    SDL_FreeSurface(raw);
    return Surface(rgb, SDL_FreeSurface);
}

inline Uint32 at(const SDL_Surface *s, int x, int y) {
    return static_cast<const Uint32 *>(s->pixels)[y * (s->pitch / 4) + x] & 0xFFFFFF;
}

// The number on a counter (row 52: the score, 100: the best) of a picture of
// the inner area, at any whole zoom: each of the six places matched against
// the skin's digit glyphs. -1 when a place shows none.
inline long counter(const std::filesystem::path &png, int row) {
    static const Surface skin = load(std::filesystem::path(KWADRON_SOURCE_DIR) / "skins" / "grafika_aga");
    const Surface shot = load(png);
    const int zoom = shot ? shot->w / 320 : 0;
    if (!skin || zoom < 1 || shot->h < 240 * zoom) return -1;
    long value = 0;
    for (int place = 0; place < 6; ++place) {
        int digit = -1;
        for (int d = 0; d < 10 && digit < 0; ++d) {
            bool same = true;
            for (int y = 0; y < 11 && same; ++y)
                for (int x = 0; x < 10 && same; ++x)
                    same = at(shot.get(), (30 + 11 * place + x) * zoom + zoom / 2, (row + y) * zoom + zoom / 2) ==
                           at(skin.get(), 309 + x, 241 + 12 * d + y);
            if (same) digit = d;
        }
        if (digit < 0) return -1;
        value = value * 10 + digit;
    }
    return value;
}

} // namespace screen
