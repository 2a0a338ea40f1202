// Picture decoding through SDL2_image, and layout of a decoded picture for a
// screen. The kind comes from the file's content (picture_sniff.cpp); its
// declared size is checked before the decoder sees it. Formats: PNG, GIF,
// JPEG, BMP, IFF ILBM/PBM, PCX, WebP, QOI, PNM, classic TIFF and, tried last
// as it has no magic number, TGA. GIF, IFF and TGA are decoded by the host
// itself (picture_gif.cpp, picture_ilbm.cpp, picture_tga.cpp). Others
// (BigTIFF, XCF, XPM, SVG ...) are refused: their size cannot be checked
// first.
#include "picture.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_map>

#include "internal.h"

namespace host {
namespace {

int planes_for(int colours) {
    int d = 1;
    while (d < 8 && (1 << d) < colours) ++d;
    return d;
}

bool size_ok(long w, long h) {
    return w >= 1 && h >= 1 && w <= picture_max_side && h <= picture_max_side &&
           w * h <= picture_max_pixels;
}

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

unsigned distance(uint32_t a, uint32_t b) {
    int dr = int(a >> 16 & 0xFF) - int(b >> 16 & 0xFF);
    int dg = int(a >> 8 & 0xFF) - int(b >> 8 & 0xFF);
    int db = int(a & 0xFF) - int(b & 0xFF);
    return unsigned(dr * dr + dg * dg + db * db);
}

// The pen whose colour is closest; the lowest pen among equals.
uint8_t nearest_pen(const ColorMap *cm, int pens, uint32_t c) {
    unsigned best = ~0u;
    int pen = 0;
    for (int i = 0; i < pens; ++i) {
        unsigned d = distance(cm->Colors[i] & 0xFFFFFF, c);
        if (d < best) best = d, pen = i;
        if (d == 0) break;
    }
    return uint8_t(pen);
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

bool picture_decode(const uint8_t *data, size_t size, Picture &out, std::string *why) {
    out = Picture{};
    if (!data || size == 0) return fail(why, "empty file");
    if (size > size_t(INT32_MAX)) return fail(why, "file too large");
    const PictureKind h = picture_sniff(data, size);
    if (!h.type) return fail(why, "not a picture format that can be read");
    if (h.damage) return fail(why, h.damage);
    if (h.width != -1 && !size_ok(h.width, h.height))
        return fail(why, "picture size " + std::to_string(h.width) + " x " + std::to_string(h.height) +
                             " refused");
    if (!strcmp(h.type, "GIF")) return gif_decode(data, size, out, why);
    if (!strcmp(h.type, "LBM")) return ilbm_decode(data, size, out, why);
    if (!strcmp(h.type, "TGA")) return tga_decode(data, size, out, why);
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
    if (!size_ok(s->w, s->h) || !s->pixels) {
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
        out.depth = h.depth > 0 ? h.depth : planes_for(out.colours);
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

BitMap *picture_layout(const Picture &p, const LayoutTarget &t) {
    if (p.width <= 0 || p.height <= 0) return nullptr;
    const size_t n = size_t(p.width) * size_t(p.height);
    bool pal_pic = p.has_palette() && p.indices.size() == n;
    if (!pal_pic && p.rgb.size() != n) return nullptr;
    auto colour_of = [&](uint8_t i) -> uint32_t { return i < p.palette.size() ? p.palette[i] : 0; };

    if (t.truecolor) {
        BitMap *bm = bitmap_create(p.width, p.height, 24, true, false);
        if (!bm) return nullptr;
        auto *px = reinterpret_cast<uint32_t *>(bm->Pixels);
        if (pal_pic)
            for (size_t i = 0; i < n; ++i) px[i] = colour_of(p.indices[i]);
        else
            std::copy(p.rgb.begin(), p.rgb.end(), px);
        return bm;
    }

    BitMap *bm = bitmap_create(p.width, p.height, std::clamp(t.depth, 1, 8), false, false);
    if (!bm) return nullptr;
    bm->Colors = t.colours;
    uint8_t *px = bm->Pixels;
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
                                                                        : nearest_pen(t.colours, pens, c);
        }
        for (size_t i = 0; i < n; ++i) px[i] = map[p.indices[i]];
        return bm;
    }
    std::unordered_map<uint32_t, uint8_t> seen;
    for (size_t i = 0; i < n; ++i) {
        auto it = seen.find(p.rgb[i]);
        if (it == seen.end()) it = seen.emplace(p.rgb[i], nearest_pen(t.colours, pens, p.rgb[i])).first;
        px[i] = it->second;
    }
    return bm;
}

} // namespace host
