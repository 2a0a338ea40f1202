// The system's codecs on the desktop: SDL2_image, for PNG, JPEG, BMP, PCX,
// WebP, QOI, PNM and classic TIFF. A kind is handed over only when
// SDL_image's own test for it takes the data. Others (BigTIFF, XCF, XPM,
// SVG ...) are refused: their size cannot be checked first.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "datatypes/picture.h"

namespace host {
namespace {

bool fail(std::string *why, const std::string &text) {
    if (why) *why = text;
    return false;
}

// Colour indices of a palette surface of 1, 4 or 8 bits a pixel.
void read_indices(SDL_Surface *s, Picture &out) {
    int bpp = s->format->BitsPerPixel;
    bool lsb = SDL_PIXELORDER(s->format->format) == SDL_BITMAPORDER_4321;
    const auto *base = static_cast<const uint8_t *>(s->pixels);
    out.indices.resize(size_t(s->w) * size_t(s->h));
    for (int y = 0; y < s->h; ++y) {
        const uint8_t *row = base + size_t(y) * s->pitch;
        uint8_t *o = out.indices.data() + size_t(y) * s->w;
        for (int x = 0; x < s->w; ++x) {
            if (bpp == 8) {
                o[x] = row[x];
            } else if (bpp == 4) {
                uint8_t v = row[x >> 1];
                o[x] = lsb == !(x & 1) ? (v & 0x0F) : (v >> 4);
            } else {
                uint8_t v = row[x >> 3];
                o[x] = (v >> (lsb ? (x & 7) : 7 - (x & 7))) & 1;
            }
        }
    }
}

// Whether SDL_image's content test for the kind accepts the data.
bool sdl_takes(const char *type, SDL_RWops *rw) {
    static const struct {
        const char *type;
        int (*is)(SDL_RWops *);
    } tests[] = {{"PNG", IMG_isPNG}, {"BMP", IMG_isBMP}, {"PCX", IMG_isPCX},  {"JPG", IMG_isJPG},
                 {"WEBP", IMG_isWEBP}, {"PNM", IMG_isPNM}, {"QOI", IMG_isQOI}, {"TIF", IMG_isTIF}};
    // Kinds whose loaders SDL_image tries after those of the refused kinds.
    const bool late = !strcmp(type, "QOI") || !strcmp(type, "WEBP");
    if (!strcmp(type, "TIF") && IMG_isSVG(rw)) return false;
    if (late && (IMG_isSVG(rw) || IMG_isTIF(rw) || IMG_isXCF(rw) || IMG_isXPM(rw) || IMG_isXV(rw))) return false;
    for (const auto &t : tests)
        if (!strcmp(t.type, type)) return t.is(rw) != 0;
    return false;
}
} // namespace

bool codec_decode(const uint8_t *data, size_t size, const PictureKind &h, Picture &out, std::string *why) {
    SDL_RWops *rw = SDL_RWFromConstMem(data, int(size));
    if (!rw) return fail(why, SDL_GetError());
    // SDL_image picks its loader by content, whatever type it is given; a
    // file that its loader for this kind does not take would go to another
    // (SVG, TIFF ...), so it is refused here.
    if (!sdl_takes(h.type, rw)) {
        SDL_RWclose(rw);
        return fail(why, std::string("damaged ") + h.type + " file");
    }
    SDL_Surface *s = IMG_LoadTyped_RW(rw, 1, h.type);
    if (!s) return fail(why, std::string("cannot decode: ") + IMG_GetError());
    if (!picture_size_ok(s->w, s->h) || !s->pixels) {
        SDL_FreeSurface(s);
        return fail(why, "picture size refused");
    }
    out.width = s->w;
    out.height = s->h;
    SDL_Palette *pal = s->format->palette;
    int bpp = s->format->BitsPerPixel;
    bool ok = true;
    if (pal && pal->ncolors > 0 && (bpp == 1 || bpp == 4 || bpp == 8)) {
        int n = std::min(pal->ncolors, 256);
        for (int i = 0; i < n; ++i)
            out.palette.push_back(uint32_t(pal->colors[i].r) << 16 | uint32_t(pal->colors[i].g) << 8 |
                                  pal->colors[i].b);
        // The file's own palette size where the decoder widened it.
        out.colours = h.colours > 0 ? std::min(h.colours, 256) : n;
        out.depth = h.depth > 0 ? h.depth : picture_planes(out.colours);
        if (h.depth > 0 && h.colours == 0) out.colours = std::min(n, 1 << h.depth);
        read_indices(s, out);
    } else if (s->format->format == SDL_PIXELFORMAT_RGB24) {
        // The common true-colour case, taken straight from the decoder's rows.
        out.depth = 24;
        out.rgb.resize(size_t(s->w) * size_t(s->h));
        for (int y = 0; y < s->h; ++y) {
            const uint8_t *row = static_cast<const uint8_t *>(s->pixels) + size_t(y) * size_t(s->pitch);
            uint32_t *o = out.rgb.data() + size_t(y) * size_t(s->w);
            for (int x = 0; x < s->w; ++x, row += 3) o[x] = uint32_t(row[0]) << 16 | uint32_t(row[1]) << 8 | row[2];
        }
    } else {
        SDL_Surface *c = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
        if (c) {
            out.depth = 24;
            out.rgb.resize(size_t(c->w) * size_t(c->h));
            for (int y = 0; y < c->h; ++y) {
                const auto *row =
                    reinterpret_cast<const uint32_t *>(static_cast<const uint8_t *>(c->pixels) + size_t(y) * c->pitch);
                for (int x = 0; x < c->w; ++x) out.rgb[size_t(y) * c->w + x] = row[x] & 0xFFFFFF;
            }
            SDL_FreeSurface(c);
        } else {
            ok = fail(why, SDL_GetError());
        }
    }
    SDL_FreeSurface(s);
    if (!ok) out = Picture{};
    return ok;
}

} // namespace host
