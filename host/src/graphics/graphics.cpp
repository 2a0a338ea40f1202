// graphics: bitmaps, rectangle copies, pens and colours.
#include "amiga/graphics.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "host/control.h"
#include "amiga/intuition.h"
#include "internal.h"

namespace host {
namespace {
bool log_on = false;
std::vector<BlitRecord> &log_store() {
    static std::vector<BlitRecord> v;
    return v;
}

// Largest bitmap the host hands out, in pixels.
constexpr int64_t max_pixels = int64_t(1) << 28;

struct Clip {
    LONG sx, sy, dx, dy, w, h;
};

// Cuts the copy down to what lies inside both bitmaps; false when nothing does.
bool clip(const BitMap *src, const BitMap *dst, LONG sx, LONG sy, LONG dx, LONG dy, LONG w, LONG h,
          Clip &c) {
    int64_t x0 = sx, y0 = sy, x1 = dx, y1 = dy, cw = w, ch = h;
    if (cw <= 0 || ch <= 0) return false;
    if (x0 < 0) { x1 -= x0; cw += x0; x0 = 0; }
    if (y0 < 0) { y1 -= y0; ch += y0; y0 = 0; }
    if (x1 < 0) { x0 -= x1; cw += x1; x1 = 0; }
    if (y1 < 0) { y0 -= y1; ch += y1; y1 = 0; }
    cw = std::min({cw, int64_t(src->Width) - x0, int64_t(dst->Width) - x1});
    ch = std::min({ch, int64_t(src->Rows) - y0, int64_t(dst->Rows) - y1});
    if (cw <= 0 || ch <= 0) return false;
    c = {LONG(x0), LONG(y0), LONG(x1), LONG(y1), LONG(cw), LONG(ch)};
    return true;
}

void record(bool masked, const BitMap *src, LONG sx, LONG sy, LONG w, LONG h, RastPort *dst, LONG dx,
            LONG dy, ULONG minterm) {
    if (log_on) log_store().push_back({masked, src, sx, sy, w, h, dst, dx, dy, minterm});
}

} // namespace

// How a pen looks in a true-colour bitmap.
ULONG pen_colour(const RastPort *rp, unsigned pen) {
    if (rp->host_Colors) return pen_rgb(rp->host_Colors, pen);
    static ColorMap defaults = [] {
        ColorMap cm{};
        default_pens(&cm);
        return cm;
    }();
    return pen_rgb(&defaults, pen);
}

// Sets one pixel to a pen, clipped to the bitmap.
void put_pen(RastPort *rp, LONG x, LONG y, unsigned pen) {
    BitMap *bm = rp->BitMap;
    if (x < 0 || y < 0 || x >= bm->Width || y >= bm->Rows) return;
    UBYTE *row = bm->Pixels + size_t(y) * bm->BytesPerRow;
    if (bm->BytesPerPixel == 1)
        row[x] = UBYTE(pen);
    else
        reinterpret_cast<uint32_t *>(row)[x] = pen_colour(rp, pen);
}
bool usable(const BitMap *bm) { return bm && bm->Pixels && bm->Width > 0 && bm->Rows > 0; }

void rastport_init(RastPort *rp) {
    if (!rp) return;
    memset(rp, 0, sizeof *rp);
    rp->FgPen = 1;
    rp->DrawMode = JAM2;
}

void blit_log_enable(bool on) { log_on = on; }
const std::vector<BlitRecord> &blit_log() { return log_store(); }
void blit_log_clear() { log_store().clear(); }

void *zalloc(size_t size) {
    constexpr size_t huge = size_t(2) << 20;
    if (size < huge / 2) return calloc(1, size ? size : 1);
    void *p = nullptr;
    if (posix_memalign(&p, huge, size) != 0) return nullptr;
    madvise(p, (size + huge - 1) & ~(huge - 1), MADV_HUGEPAGE);
    memset(p, 0, size);
    return p;
}

void default_pens(ColorMap *cm) {
    static const ULONG pens[4] = {0xAAAAAA, 0x000000, 0xFFFFFF, 0x6688BB};
    memset(cm, 0, sizeof *cm);
    memcpy(cm->Colors, pens, sizeof pens);
    cm->Count = 4;
}

BitMap *bitmap_create(LONG width, LONG height, int depth, bool truecolor, bool tracked) {
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) return nullptr;
    if (int64_t(width) * height > max_pixels) return nullptr;
    BitMap *bm = new (std::nothrow) BitMap{};
    if (!bm) return nullptr;
    bm->BytesPerPixel = truecolor ? 4 : 1;
    size_t stride = size_t(width) * bm->BytesPerPixel;
    bm->Pixels = static_cast<UBYTE *>(zalloc(size_t(height) * stride));
    if (!bm->Pixels) {
        delete bm;
        return nullptr;
    }
    bm->Width = width;
    bm->Rows = UWORD(height);
    bm->BytesPerRow = stride > 0xFFFF ? 0 : UWORD(stride);
    bm->Depth = UBYTE(truecolor ? 24 : std::clamp(depth, 1, 8));
    if (tracked) ledger_add("bitmap", bm);
    return bm;
}

void bitmap_destroy(BitMap *bm, bool tracked) {
    if (!bm) return;
    if (tracked && !ledger_remove("bitmap", bm)) {
        misuse("FreeBitMap of a bitmap the host did not hand out");
        return;
    }
    free(bm->Pixels);
    delete bm;
}

IPTR get_tag(const TagItem *list, Tag tag, IPTR def) {
    for (const TagItem *t = list; t && t->ti_Tag != TAG_DONE; ++t)
        if (t->ti_Tag == tag) return t->ti_Data;
    return def;
}

bool has_tag(const TagItem *list, Tag tag) {
    for (const TagItem *t = list; t && t->ti_Tag != TAG_DONE; ++t)
        if (t->ti_Tag == tag) return true;
    return false;
}

void graphics_reset() {
    log_on = false;
    log_store().clear();
}
} // namespace host

// Row stride in memory; BytesPerRow only holds it when it fits 16 bits.
static size_t stride_of(const BitMap *bm) { return size_t(bm->Width) * bm->BytesPerPixel; }

// Copies the rectangle at (xSrc, ySrc) of src to (xDest, yDest) of destRP's
// bitmap, clipped to both bitmaps (no layers). Only minterm 0xC0 (a plain
// copy) between bitmaps of one pixel form; other minterms or mixed forms are
// a misuse. FALSE for those or a missing bitmap, else TRUE.
BOOL BltBitMapRastPort(const struct BitMap *src, LONG xSrc, LONG ySrc, struct RastPort *destRP,
                       LONG xDest, LONG yDest, LONG xSize, LONG ySize, ULONG minterm) {
    host::library_check("BltBitMapRastPort", "graphics.library");
    host::record(false, src, xSrc, ySrc, xSize, ySize, destRP, xDest, yDest, minterm);
    if (!destRP || !host::usable(src) || !host::usable(destRP->BitMap)) return FALSE;
    if (minterm != 0xC0) {
        host::misuse("BltBitMapRastPort with a minterm other than 0xC0");
        return FALSE;
    }
    BitMap *dst = destRP->BitMap;
    if (src->BytesPerPixel != dst->BytesPerPixel) {
        host::misuse("BltBitMapRastPort between bitmaps of different pixel forms");
        return FALSE;
    }
    host::Clip c;
    if (!host::clip(src, dst, xSrc, ySrc, xDest, yDest, xSize, ySize, c)) return TRUE;
    host::display_copy(destRP, c.dx, c.dy, c.w, c.h);
    const size_t bpp = src->BytesPerPixel, ss = stride_of(src), ds = stride_of(dst);
    const UBYTE *s = src->Pixels + size_t(c.sy) * ss + size_t(c.sx) * bpp;
    UBYTE *d = dst->Pixels + size_t(c.dy) * ds + size_t(c.dx) * bpp;
    const size_t n = size_t(c.w) * bpp;
    for (LONG y = 0; y < c.h; ++y, s += ss, d += ds) memmove(d, s, n);
    return TRUE;
}

// As BltBitMapRastPort, through a mask laid out like one plane of src (rows
// of ((width + 15) / 16) * 2 bytes, bit 0x80 leftmost) and addressed with
// source coordinates. Minterm 0xE0 only: the source pixel is copied where the
// mask bit is set, elsewhere the destination stays. Null mask does nothing.
void BltMaskBitMapRastPort(const struct BitMap *src, LONG xSrc, LONG ySrc, struct RastPort *destRP,
                           LONG xDest, LONG yDest, LONG xSize, LONG ySize, ULONG minterm,
                           const UBYTE *bltMask) {
    host::library_check("BltMaskBitMapRastPort", "graphics.library");
    host::record(true, src, xSrc, ySrc, xSize, ySize, destRP, xDest, yDest, minterm);
    if (!destRP || !bltMask || !host::usable(src) || !host::usable(destRP->BitMap)) return;
    if (minterm != 0xE0) {
        host::misuse("BltMaskBitMapRastPort with a minterm other than 0xE0");
        return;
    }
    BitMap *dst = destRP->BitMap;
    if (src->BytesPerPixel != dst->BytesPerPixel) {
        host::misuse("BltMaskBitMapRastPort between bitmaps of different pixel forms");
        return;
    }
    host::Clip c;
    if (!host::clip(src, dst, xSrc, ySrc, xDest, yDest, xSize, ySize, c)) return;
    host::display_copy(destRP, c.dx, c.dy, c.w, c.h);
    const size_t mstride = size_t((src->Width + 15) / 16) * 2;
    const size_t ss = stride_of(src), ds = stride_of(dst);
    for (LONG y = 0; y < c.h; ++y) {
        const UBYTE *mrow = bltMask + size_t(c.sy + y) * mstride;
        const UBYTE *srow = src->Pixels + size_t(c.sy + y) * ss;
        UBYTE *drow = dst->Pixels + size_t(c.dy + y) * ds;
        if (src->BytesPerPixel == 1) {
            for (LONG x = 0; x < c.w; ++x) {
                LONG mx = c.sx + x;
                if (mrow[mx >> 3] & (0x80 >> (mx & 7))) drow[c.dx + x] = srow[mx];
            }
        } else {
            auto s32 = reinterpret_cast<const uint32_t *>(srow);
            auto d32 = reinterpret_cast<uint32_t *>(drow);
            for (LONG x = 0; x < c.w; ++x) {
                LONG mx = c.sx + x;
                if (mrow[mx >> 3] & (0x80 >> (mx & 7))) d32[c.dx + x] = s32[mx];
            }
        }
    }
}

// A zero-filled bitmap: pens for depth 1..8, true colour (depth 24) when
// deeper or when the friend bitmap is true colour. Flags are ignored and the
// width is not rounded up. Null on a fault, for a side of 0 or over 0xFFFF,
// more than 2^28 pixels, or when memory runs out.
struct BitMap *AllocBitMap(ULONG sizex, ULONG sizey, ULONG depth, ULONG,
                           const struct BitMap *friend_bitmap) {
    host::library_check("AllocBitMap", "graphics.library");
    if (host::fault_hit("AllocBitMap")) return nullptr;
    if (sizex > 0xFFFF || sizey > 0xFFFF) return nullptr;
    bool truecolor = depth > 8 || (friend_bitmap && friend_bitmap->BytesPerPixel == 4);
    return host::bitmap_create(LONG(sizex), LONG(sizey), int(depth), truecolor, true);
}

// Null does nothing; a bitmap not from AllocBitMap is a misuse.
void FreeBitMap(struct BitMap *bm) {
    host::library_check("FreeBitMap", "graphics.library");
    host::bitmap_destroy(bm, true);
}

// BMA_WIDTH (exact), BMA_HEIGHT, BMA_DEPTH (24 for true colour), BMA_FLAGS
// (always 0); 0 for other attributes or a null bitmap.
ULONG GetBitMapAttr(const struct BitMap *bm, ULONG attribute) {
    host::library_check("GetBitMapAttr", "graphics.library");
    if (!bm) return 0;
    switch (attribute) {
    case BMA_WIDTH: return ULONG(bm->Width);
    case BMA_HEIGHT: return bm->Rows;
    case BMA_DEPTH: return bm->Depth;
    case BMA_FLAGS: return bm->Flags;
    default: return 0;
    }
}

// Clears the context: no bitmap, layer or font, FgPen 1, BgPen 0, JAM2.
void InitRastPort(struct RastPort *rp) {
    host::library_check("InitRastPort", "graphics.library");
    host::rastport_init(rp);
}

// Sets pen n (0..255) of the viewport's colour map to the top 8 bits of each
// component. Pixels already drawn in true colour keep their colour.
void SetRGB32(struct ViewPort *vp, ULONG n, ULONG r, ULONG g, ULONG b) {
    host::library_check("SetRGB32", "graphics.library");
    if (!vp || !vp->ColorMap || n > 255) return;
    host::trace("SetRGB32 %u", unsigned(n));
    vp->ColorMap->Colors[n] = ((r >> 24) << 16) | ((g >> 24) << 8) | (b >> 24);
}

// Fills the whole bitmap (a window's borders too) with the pen, or in true
// colour with the pen's colour.
void SetRast(struct RastPort *rp, ULONG pen) {
    host::library_check("SetRast", "graphics.library");
    if (!rp || !host::usable(rp->BitMap)) return;
    host::trace("SetRast %u", unsigned(pen));
    BitMap *bm = rp->BitMap;
    if (bm->BytesPerPixel == 1) {
        memset(bm->Pixels, int(pen & 0xFF), stride_of(bm) * bm->Rows);
        return;
    }
    uint32_t colour = host::pen_colour(rp, pen & 0xFF);
    auto p = reinterpret_cast<uint32_t *>(bm->Pixels);
    std::fill(p, p + size_t(bm->Width) * bm->Rows, colour);
}

// A true-colour pixel reads as the first pen holding exactly its colour, or
// as pen 255 when no pen does.
static UBYTE pen_of_colour(const ColorMap *cm, uint32_t colour) {
    ColorMap defaults;
    if (!cm) {
        host::default_pens(&defaults);
        cm = &defaults;
    }
    unsigned count = cm->Count ? cm->Count : 256;
    for (unsigned i = 0; i < count && i < 256; ++i)
        if ((cm->Colors[i] & 0xFFFFFF) == (colour & 0xFFFFFF)) return UBYTE(i);
    return 255;
}

// Pen numbers of the inclusive rectangle, one byte a pixel, rows padded to
// a multiple of 16; pixels outside the bitmap read as 0, true-colour ones as
// the pen of their exact colour. Returns the pixel count, 0 for a bad
// rectangle or bitmap. temprp is not used.
LONG ReadPixelArray8(struct RastPort *rp, ULONG xstart, ULONG ystart, ULONG xstop, ULONG ystop,
                     UBYTE *array, struct RastPort *) {
    host::library_check("ReadPixelArray8", "graphics.library");
    if (!rp || !array || !host::usable(rp->BitMap) || xstop < xstart || ystop < ystart) return 0;
    if (xstop > 0xFFFF || ystop > 0xFFFF) return 0;
    host::trace("ReadPixelArray8");
    const BitMap *bm = rp->BitMap;
    const size_t w = xstop - xstart + 1, h = ystop - ystart + 1;
    const size_t padded = (w + 15) / 16 * 16;
    for (size_t y = 0; y < h; ++y) {
        UBYTE *out = array + y * padded;
        size_t by = ystart + y;
        for (size_t x = 0; x < w; ++x) {
            size_t bx = xstart + x;
            if (bx >= size_t(bm->Width) || by >= bm->Rows) {
                out[x] = 0;
                continue;
            }
            const UBYTE *row = bm->Pixels + by * stride_of(bm);
            out[x] = bm->BytesPerPixel == 1
                         ? row[bx]
                         : pen_of_colour(bm->Colors ? bm->Colors : rp->host_Colors,
                                         reinterpret_cast<const uint32_t *>(row)[bx]);
        }
    }
    return LONG(w * h);
}

// The first pen of the map (Count pens, 256 when 0) with exactly the colour,
// else the nearest by RGB distance, or -1 under PRECISION_EXACT or for a null
// map. Pens are not reserved, so any can come back; OBP_FailIfBad is ignored.
LONG ObtainBestPenA(struct ColorMap *cm, ULONG r, ULONG g, ULONG b, const struct TagItem *tags) {
    host::library_check("ObtainBestPenA", "graphics.library");
    if (!cm) return -1;
    LONG precision = LONG(host::get_tag(tags, OBP_Precision, IPTR(PRECISION_IMAGE)));
    host::trace("ObtainBestPen");
    const int R = int(r >> 24), G = int(g >> 24), B = int(b >> 24);
    unsigned count = cm->Count ? std::min<unsigned>(cm->Count, 256) : 256;
    LONG best = -1;
    long best_d = 0;
    for (unsigned i = 0; i < count; ++i) {
        ULONG c = cm->Colors[i];
        int dr = int((c >> 16) & 0xFF) - R, dg = int((c >> 8) & 0xFF) - G, db = int(c & 0xFF) - B;
        long d = long(dr) * dr + long(dg) * dg + long(db) * db;
        if (d == 0) return LONG(i);
        if (precision != PRECISION_EXACT && (best < 0 || d < best_d)) {
            best = LONG(i);
            best_d = d;
        }
    }
    return best;
}

// Does nothing: ObtainBestPenA reserves no pens.
void ReleasePen(struct ColorMap *, ULONG) {
    host::library_check("ReleasePen", "graphics.library");
}
