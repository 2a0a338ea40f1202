// graphics: pens, colours, fills and reading pens back.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "amiga/graphics.h"
#include "exec/exec.h"
#include "graphics/graphics.h"
#include "host/control.h"
#include "utility/tags.h"

namespace host {
void default_pens(ColorMap *cm) {
    static const ULONG pens[4] = {0xAAAAAA, 0x000000, 0xFFFFFF, 0x6688BB};
    memset(cm, 0, sizeof *cm);
    memcpy(cm->Colors, pens, sizeof pens);
    cm->Count = 4;
}

// How a pen looks in a true-colour bitmap.
ULONG pen_colour(const RastPort *rp, unsigned pen) {
    if (rp->BitMap && host::rec(rp->BitMap)->Colors) return pen_rgb(host::rec(rp->BitMap)->Colors, pen);
    static ColorMap defaults = [] {
        ColorMap cm{};
        default_pens(&cm);
        return cm;
    }();
    return pen_rgb(&defaults, pen);
}


int nearest_pen(const ColorMap *cm, int pens, uint32_t c, long *distance) {
    long best = -1;
    int pen = 0;
    for (int i = 0; i < pens && best != 0; ++i) {
        const ULONG k = cm->Colors[i];
        const int dr = int(k >> 16 & 0xFF) - int(c >> 16 & 0xFF), dg = int(k >> 8 & 0xFF) - int(c >> 8 & 0xFF),
                  db = int(k & 0xFF) - int(c & 0xFF);
        const long d = long(dr) * dr + long(dg) * dg + long(db) * db;
        if (best < 0 || d < best) best = d, pen = i;
    }
    if (distance) *distance = best;
    return pen;
}
} // namespace host

// Sets pen n (0..255) of the viewport's colour map to the top 8 bits of each
// component. Pixels already drawn in true colour keep their colour.
void SetRGB32(struct ViewPort *vp, ULONG n, ULONG r, ULONG g, ULONG b) {
    host::library_check("SetRGB32", "graphics.library");
    if (!vp || !vp->ColorMap || n > 255) return;
    host::trace("SetRGB32 %u", unsigned(n));
    vp->ColorMap->Colors[n] = ((r >> 24) << 16) | ((g >> 24) << 8) | (b >> 24);
    if (host::damage_hook) host::damage_hook(nullptr, 0, 0, 0, 0);
}

// Fills the whole bitmap (a window's borders too) with the pen, or in true
// colour with the pen's colour.
void SetRast(struct RastPort *rp, ULONG pen) {
    host::library_check("SetRast", "graphics.library");
    if (!rp || !host::usable(rp->BitMap)) return;
    host::trace("SetRast %u", unsigned(pen));
    host::settle_copies();
    BitMap *bm = rp->BitMap;
    if (host::damage_hook) host::damage_hook(rp, 0, 0, host::rec(bm)->Width, bm->Rows);
    if (host::rec(bm)->BytesPerPixel == 1) {
        memset(host::rec(bm)->Pixels, int(pen & 0xFF), host::stride_of(bm) * bm->Rows);
        return;
    }
    uint32_t colour = host::pen_colour(rp, pen & 0xFF);
    auto p = reinterpret_cast<uint32_t *>(host::rec(bm)->Pixels);
    std::fill(p, p + size_t(host::rec(bm)->Width) * bm->Rows, colour);
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
    host::settle_copies();
    const BitMap *bm = rp->BitMap;
    const size_t w = xstop - xstart + 1, h = ystop - ystart + 1;
    const size_t padded = (w + 15) / 16 * 16;
    for (size_t y = 0; y < h; ++y) {
        UBYTE *out = array + y * padded;
        size_t by = ystart + y;
        for (size_t x = 0; x < w; ++x) {
            size_t bx = xstart + x;
            if (bx >= size_t(host::rec(bm)->Width) || by >= bm->Rows) {
                out[x] = 0;
                continue;
            }
            const UBYTE *row = host::rec(bm)->Pixels + by * host::stride_of(bm);
            out[x] = host::rec(bm)->BytesPerPixel == 1
                         ? row[bx]
                         : pen_of_colour(host::rec(bm)->Colors,
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
    const int count = cm->Count ? std::min<int>(cm->Count, 256) : 256;
    long distance;
    const int pen = host::nearest_pen(cm, count, (r >> 24) << 16 | (g >> 24) << 8 | (b >> 24), &distance);
    return distance == 0 || precision != PRECISION_EXACT ? LONG(pen) : -1;
}

// Does nothing: ObtainBestPenA reserves no pens.
void ReleasePen(struct ColorMap *, ULONG) {
    host::library_check("ReleasePen", "graphics.library");
}
