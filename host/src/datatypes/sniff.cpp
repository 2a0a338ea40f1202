// Recognising a picture file by its content: its kind, and the size, depth
// and palette its header declares, read without decoding anything, so that
// a hostile header is refused before a decoder can ask for gigabytes.
#include <cctype>
#include <cstring>

#include "datatypes/picture.h"

namespace host {
namespace {

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

void png(const Bytes &b, PictureKind &h) {
    h.type = "PNG";
    if (!b.is(12, "IHDR")) return;
    h.width = b.be32(16);
    h.height = b.be32(20);
    // The palette's length, and whether the chunks run whole to the end.
    h.damage = "PNG cut short";
    for (size_t at = 8; b.has(at, 12);) {
        uint32_t len = b.be32(at);
        if (!b.has(at + 8, size_t(len) + 4)) break;
        if (b.is(at + 4, "PLTE") && !h.colours) {
            h.colours = int(std::min<uint32_t>(len / 3, 256));
            h.palette_at = at + 8;
        }
        if (b.is(at + 4, "IEND")) {
            h.damage = nullptr;
            break;
        }
        at += size_t(len) + 12;
    }
}

void gif(const Bytes &b, PictureKind &h) {
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

void bmp(const Bytes &b, PictureKind &h) {
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

void ilbm(const Bytes &b, PictureKind &h) {
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
void pcx(const Bytes &b, PictureKind &h) {
    h.width = long(b.le16(8)) - long(b.le16(4)) + 1;
    h.height = long(b.le16(10)) - long(b.le16(6)) + 1;
    unsigned bpp = b.u8(3), planes = b.u8(65), line = b.le16(66);
    bool form_ok = (bpp == 1 && planes >= 1 && planes <= 4) || (bpp == 8 && (planes == 1 || planes == 3));
    if (!form_ok || h.width < 1 || line < (unsigned(h.width) * bpp + 7) / 8 || line > 0x7FFF) return;
    h.type = "PCX";
    unsigned bits = bpp * planes;
    if (bits <= 8) h.depth = int(bits);
}

void jpeg(const Bytes &b, PictureKind &h) {
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

void webp(const Bytes &b, PictureKind &h) {
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
void pnm(const Bytes &b, PictureKind &h) {
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
void tiff(const Bytes &b, PictureKind &h) {
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
bool tga(const Bytes &b, PictureKind &h) {
    if (!b.has(0, 18)) return false;
    unsigned cmap = b.u8(1), type = b.u8(2), bits = b.u8(16);
    bool type_ok = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
    bool bits_ok = bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32;
    if (cmap > 1 || !type_ok || !bits_ok) return false;
    h.type = "TGA";
    h.width = b.le16(12);
    h.height = b.le16(14);
    return true;
}

} // namespace

PictureKind picture_sniff(const uint8_t *data, size_t size) {
    const Bytes b{data, size};
    PictureKind h;
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
} // namespace host
