// Picture decoding and layout for the datatypes module; nothing of this is
// native.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "amiga/graphics.h"
#include "exec/exec.h"

namespace host {

// Allocator of large pixel arrays through zalloc (huge pages where allowed).
template <class T> struct PixelAlloc {
    using value_type = T;
    PixelAlloc() = default;
    template <class U> PixelAlloc(const PixelAlloc<U> &) {}
    T *allocate(size_t n) {
        if (void *p = zalloc(n * sizeof(T))) return static_cast<T *>(p);
        throw std::bad_alloc();
    }
    void deallocate(T *p, size_t) { free(p); }
    template <class U> bool operator==(const PixelAlloc<U> &) const { return true; }
};

// Largest picture taken: each side and the whole, in pixels.
constexpr long picture_max_side = 16384;
constexpr long picture_max_pixels = 64L << 20;
// Bit planes for a palette of so many colours.
inline int picture_planes(int colours) {
    int d = 1;
    while (d < 8 && (1 << d) < colours) ++d;
    return d;
}
inline bool picture_size_ok(long w, long h) {
    return w >= 1 && h >= 1 && w <= picture_max_side && h <= picture_max_side && w * h <= picture_max_pixels;
}

struct Picture {
    int width = 0, height = 0;
    int depth = 0;                // 1..8 for a palette picture, 24 for true colour
    int colours = 0;              // colours the file declares (palette pictures)
    std::vector<uint32_t> palette; // 0x00RRGGBB, as the decoder gives them
    std::vector<uint8_t> indices;  // palette pictures: one colour index a pixel
    std::vector<uint32_t, PixelAlloc<uint32_t>> rgb; // true colour: 0x00RRGGBB a pixel
    bool has_palette() const { return depth <= 8; }
};

// What a file's first bytes say it is.
struct PictureKind {
    const char *type = nullptr; // SDL2_image's name for the loader
    long width = -1, height = -1; // -1: not known from the header
    int depth = 0;                // bit planes the header declares (palette), 0 unknown
    int colours = 0;              // palette entries the header declares, 0 unknown
    size_t palette_at = 0;        // where a PNG's palette entries begin in the file, 0 none
    const char *damage = nullptr; // why the file is refused although its kind is known
};
PictureKind picture_sniff(const uint8_t *data, size_t size);

// Decodes a picture held in memory, recognising its format by content.
// False, with the reason in *why, for anything it cannot or will not take.
bool picture_decode(const uint8_t *data, size_t size, Picture &out, std::string *why);

// A picture of a kind the host does not decode itself, through the system's
// codecs (SDL2_image on the desktop).
bool codec_decode(const uint8_t *data, size_t size, const PictureKind &kind, Picture &out, std::string *why);

// The first image of a GIF file.
bool gif_decode(const uint8_t *data, size_t size, Picture &out, std::string *why);

// An IFF ILBM or PBM picture.
bool ilbm_decode(const uint8_t *data, size_t size, Picture &out, std::string *why);

// A TGA picture, rows and columns in the order its header gives.
bool tga_decode(const uint8_t *data, size_t size, Picture &out, std::string *why);

// What a picture is laid out for: a true-colour form, or pens of a colour map
// of 'pens' entries in a bitmap of 'depth' planes.
struct LayoutTarget {
    bool truecolor = true;
    int depth = 24;
    ColorMap *colours = nullptr; // the pens' colours (palette targets)
    bool remap = true;           // map colours to the nearest pens
};
// A new untracked bitmap of the picture in the target's form, or null.
BitMap *picture_layout(const Picture &p, const LayoutTarget &t);

} // namespace host
