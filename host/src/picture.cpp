// Picture decoding through SDL2_image, and layout of a decoded picture for a
// screen. The format is found from the file's content; its declared size is
// checked before the decoder sees it, so that a hostile header cannot ask
// for gigabytes. Formats: PNG, GIF, JPEG, BMP, IFF ILBM/PBM, PCX, WebP, QOI,
// PNM, classic TIFF and, tried last as it has no magic number, TGA. GIF and
// IFF are decoded by the host itself (picture_gif.cpp, picture_ilbm.cpp).
// Others (BigTIFF, XCF, XPM, SVG ...) are refused: their size cannot be
// checked first.
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

struct Header {
    const char *type = nullptr; // SDL2_image's name for the loader
    long width = -1, height = -1; // -1: not known from the header
    int depth = 0;                // bit planes the header declares (palette), 0 unknown
    int colours = 0;              // palette entries the header declares, 0 unknown
    const char *damage = nullptr; // why the file is refused although its kind is known
};

struct Bytes {
    const uint8_t *p;
    size_t n;
    bool has(size_t at, size_t len) const { return at <= n && len <= n - at; }
    unsigned u8(size_t at) const { return has(at, 1) ? p[at] : 0; }
    unsigned be16(size_t at) const { return has(at, 2) ? unsigned(p[at]) << 8 | p[at + 1] : 0; }
    unsigned le16(size_t at) const { return has(at, 2) ? unsigned(p[at + 1]) << 8 | p[at] : 0; }
    uint32_t be32(size_t at) const { return has(at, 4) ? uint32_t(be16(at)) << 16 | be16(at + 2) : 0; }
    uint32_t le32(size_t at) const { return has(at, 4) ? uint32_t(le16(at + 2)) << 16 | le16(at) : 0; }
    bool is(size_t at, const char *magic) const {
        size_t len = strlen(magic);
        return has(at, len) && memcmp(p + at, magic, len) == 0;
    }
};

int planes_for(int colours) {
    int d = 1;
    while (d < 8 && (1 << d) < colours) ++d;
    return d;
}

void png(const Bytes &b, Header &h) {
    h.type = "PNG";
    if (!b.is(12, "IHDR")) return;
    h.width = b.be32(16);
    h.height = b.be32(20);
    // The palette's length, and whether the chunks run whole to the end.
    h.damage = "PNG cut short";
    for (size_t at = 8; b.has(at, 12);) {
        uint32_t len = b.be32(at);
        if (!b.has(at + 8, size_t(len) + 4)) break;
        if (b.is(at + 4, "PLTE") && !h.colours) h.colours = int(std::min<uint32_t>(len / 3, 256));
        if (b.is(at + 4, "IEND")) {
            h.damage = nullptr;
            break;
        }
        at += size_t(len) + 12;
    }
}

void gif(const Bytes &b, Header &h) {
    h.type = "GIF";
    h.width = b.le16(6);
    h.height = b.le16(8);
    unsigned packed = b.u8(10);
    size_t at = 13;
    if (packed & 0x80) {
        h.colours = 2 << (packed & 7);
        at += size_t(3) * h.colours;
    }
    // The first image may be larger than the logical screen: it counts too.
    while (b.has(at, 1)) {
        unsigned c = b.u8(at);
        if (c == 0x2C) {
            h.width = std::max<long>(h.width, b.le16(at + 5));
            h.height = std::max<long>(h.height, b.le16(at + 7));
            return;
        }
        if (c != 0x21) return;
        at += 2;
        while (b.has(at, 1) && b.u8(at) != 0) at += size_t(b.u8(at)) + 1;
        ++at;
    }
}

void bmp(const Bytes &b, Header &h) {
    h.type = "BMP";
    unsigned bits;
    if (b.le32(14) == 12) {
        h.width = b.le16(18);
        h.height = b.le16(20);
        bits = b.le16(24);
    } else {
        h.width = int32_t(b.le32(18));
        int32_t rows = int32_t(b.le32(22));
        h.height = rows == INT32_MIN ? -1 : std::abs(rows);
        bits = b.le16(28);
    }
    if (bits >= 1 && bits <= 8) h.depth = int(bits);
}

void ilbm(const Bytes &b, Header &h) {
    h.type = "LBM";
    for (size_t at = 12; b.has(at, 8);) {
        uint32_t len = b.be32(at + 4);
        if (b.is(at, "BMHD") && b.has(at + 8, 20)) {
            h.width = b.be16(at + 8);
            h.height = b.be16(at + 10);
            unsigned planes = b.u8(at + 16);
            if (planes >= 1 && planes <= 8) h.depth = int(planes);
            return;
        }
        if (len > b.n) return;
        at += 8 + size_t(len) + (len & 1);
    }
}

// SDL2_image's PCX loader trusts the header's line length: only sane
// headers are handed to it.
void pcx(const Bytes &b, Header &h) {
    h.width = long(b.le16(8)) - long(b.le16(4)) + 1;
    h.height = long(b.le16(10)) - long(b.le16(6)) + 1;
    unsigned bpp = b.u8(3), planes = b.u8(65), line = b.le16(66);
    bool form_ok = (bpp == 1 && planes >= 1 && planes <= 4) || (bpp == 8 && (planes == 1 || planes == 3));
    if (!form_ok || h.width < 1 || line < (unsigned(h.width) * bpp + 7) / 8 || line > 0x7FFF) return;
    h.type = "PCX";
    unsigned bits = bpp * planes;
    if (bits <= 8) h.depth = int(bits);
}

void jpeg(const Bytes &b, Header &h) {
    h.type = "JPG";
    for (size_t at = 2; b.has(at, 4);) {
        if (b.u8(at) != 0xFF) return;
        unsigned m = b.u8(at + 1);
        if (m == 0xFF) {
            ++at;
            continue;
        }
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD9)) {
            at += 2;
            continue;
        }
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            h.height = b.be16(at + 5);
            h.width = b.be16(at + 7);
            return;
        }
        at += 2 + size_t(b.be16(at + 2));
    }
}

void webp(const Bytes &b, Header &h) {
    h.type = "WEBP";
    if (b.is(12, "VP8X")) {
        h.width = 1 + long(b.le32(24) & 0xFFFFFF);
        h.height = 1 + long(b.le32(27) & 0xFFFFFF);
    } else if (b.is(12, "VP8 ")) {
        h.width = b.le16(26) & 0x3FFF;
        h.height = b.le16(28) & 0x3FFF;
    } else if (b.is(12, "VP8L")) {
        uint32_t v = b.le32(21);
        h.width = 1 + long(v & 0x3FFF);
        h.height = 1 + long((v >> 14) & 0x3FFF);
    }
}

// Width and height of a PNM header: "P6 # comment\n 640 480 ...".
void pnm(const Bytes &b, Header &h) {
    h.type = "PNM";
    size_t at = 2;
    long v[2] = {-1, -1};
    for (long &x : v) {
        for (;;) {
            while (b.has(at, 1) && isspace(b.u8(at))) ++at;
            if (b.u8(at) != '#') break;
            while (b.has(at, 1) && b.u8(at) != '\n') ++at;
        }
        if (!b.has(at, 1) || !isdigit(b.u8(at))) {
            // A size that cannot be read here is not left to the decoder.
            h.damage = "PNM header without a readable size";
            return;
        }
        x = 0;
        while (b.has(at, 1) && isdigit(b.u8(at))) {
            x = x * 10 + (b.u8(at++) - '0');
            if (x > 1L << 30) x = 1L << 30;
        }
    }
    h.width = v[0];
    h.height = v[1];
}

// Classic TIFF: the size from the first IFD's ImageWidth and ImageLength.
void tiff(const Bytes &b, Header &h) {
    const bool le = b.is(0, "II");
    auto u16 = [&](size_t at) { return le ? b.le16(at) : b.be16(at); };
    auto u32 = [&](size_t at) { return le ? b.le32(at) : b.be32(at); };
    h.type = "TIF";
    h.damage = "TIFF header without a readable size";
    if (u16(2) != 42) return; // 43 is BigTIFF
    size_t ifd = u32(4);
    if (ifd < 8 || !b.has(ifd, 2)) return;
    unsigned count = u16(ifd);
    if (!b.has(ifd + 2, size_t(count) * 12)) return;
    long w = -1, hgt = -1;
    for (unsigned i = 0; i < count; ++i) {
        size_t e = ifd + 2 + size_t(i) * 12;
        unsigned tag = u16(e), type = u16(e + 2);
        if ((tag != 256 && tag != 257) || u32(e + 4) != 1) continue;
        long v = type == 3 ? long(u16(e + 8)) : type == 4 ? long(u32(e + 8)) : -1;
        (tag == 256 ? w : hgt) = v;
    }
    if (w < 0 || hgt < 0) return;
    h.width = w;
    h.height = hgt;
    h.damage = nullptr;
}

// TGA has no magic number: its header has to look sane to be tried.
bool tga(const Bytes &b, Header &h) {
    if (!b.has(0, 18)) return false;
    unsigned cmap = b.u8(1), type = b.u8(2), bits = b.u8(16);
    bool type_ok = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
    bool bits_ok = bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32;
    if (cmap > 1 || !type_ok || !bits_ok) return false;
    h.type = "TGA";
    h.width = b.le16(12);
    h.height = b.le16(14);
    // SDL2_image takes a TGA whose pixels run short: count them first.
    size_t pixel = (bits + 7) / 8, pixels = size_t(h.width) * size_t(h.height);
    size_t need = 18 + b.u8(0) + (cmap ? size_t(b.le16(5)) * ((b.u8(7) + 7) / 8) : 0);
    need += type >= 9 ? (pixels + 127) / 128 * (1 + pixel) : pixels * pixel;
    if (b.n < need) h.damage = "TGA cut short";
    if (cmap == 1 && (type == 1 || type == 9) && bits == 8) {
        h.colours = int(std::min(256u, b.le16(5)));
        h.depth = 8;
    }
    return true;
}

Header identify(const Bytes &b) {
    Header h;
    static const uint8_t png_magic[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.has(0, 8) && !memcmp(b.p, png_magic, 8))
        png(b, h);
    else if (b.is(0, "GIF87a") || b.is(0, "GIF89a"))
        gif(b, h);
    else if (b.is(0, "BM") && b.has(0, 30))
        bmp(b, h);
    else if (b.is(0, "FORM") && (b.is(8, "ILBM") || b.is(8, "PBM ")))
        ilbm(b, h);
    else if (b.u8(0) == 0x0A && b.u8(1) <= 5 && b.u8(2) <= 1 && b.has(0, 128))
        pcx(b, h);
    else if (b.u8(0) == 0xFF && b.u8(1) == 0xD8 && b.u8(2) == 0xFF)
        jpeg(b, h);
    else if (b.is(0, "RIFF") && b.is(8, "WEBP"))
        webp(b, h);
    else if ((b.is(0, "II") || b.is(0, "MM")) && b.has(0, 8))
        tiff(b, h);
    else if (b.is(0, "qoif") && b.has(0, 14)) {
        h.type = "QOI";
        h.width = b.be32(4);
        h.height = b.be32(8);
    } else if (b.u8(0) == 'P' && b.u8(1) >= '1' && b.u8(1) <= '6' && isspace(b.u8(2)))
        pnm(b, h);
    else
        tga(b, h);
    return h;
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
// Whether SDL_image's content test for the kind accepts the data; TGA has no
// test and is taken by its type.
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
    return !strcmp(type, "TGA");
}
} // namespace

bool picture_decode(const uint8_t *data, size_t size, Picture &out, std::string *why) {
    out = Picture{};
    if (!data || size == 0) return fail(why, "empty file");
    if (size > size_t(INT32_MAX)) return fail(why, "file too large");
    Bytes b{data, size};
    Header h = identify(b);
    if (!h.type) return fail(why, "not a picture format that can be read");
    if (h.damage) return fail(why, h.damage);
    if (h.width != -1 && !size_ok(h.width, h.height))
        return fail(why, "picture size " + std::to_string(h.width) + " x " + std::to_string(h.height) +
                             " refused");
    if (!strcmp(h.type, "GIF")) return gif_decode(data, size, out, why);
    if (!strcmp(h.type, "LBM")) return ilbm_decode(data, size, out, why);
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

// One run of the fuzzer: decode, then lay out for a true-colour target and
// for a 16-pen target with and without remapping.
bool picture_fuzz_one(const uint8_t *data, size_t size) {
    Picture p;
    if (!picture_decode(data, size, p, nullptr)) return false;
    ColorMap cm{};
    cm.Count = 16;
    for (int i = 0; i < 16; ++i) cm.Colors[i] = uint32_t(i * 0x111111);
    LayoutTarget targets[3];
    targets[1] = {false, 4, &cm, true};
    targets[2] = {false, 4, &cm, false};
    bool ok = true;
    for (auto &t : targets) {
        BitMap *bm = picture_layout(p, t);
        ok = ok && bm;
        bitmap_destroy(bm, false);
    }
    return ok;
}
} // namespace host
