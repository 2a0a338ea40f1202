// graphics: bitmaps and drawing contexts.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "amiga/graphics.h"
#include "exec/exec.h"
#include "graphics/graphics.h"
#include "host/control.h"

namespace host {
namespace {
// Largest bitmap the host hands out, in pixels.
constexpr int64_t max_pixels = int64_t(1) << 28;

} // namespace

bool usable(const BitMap *bm) { return bm && host::rec(bm)->Pixels && host::rec(bm)->Width > 0 && bm->Rows > 0; }

void rastport_init(RastPort *rp) {
    if (!rp) return;
    memset(rp, 0, sizeof *rp);
    rp->FgPen = 1;
    rp->DrawMode = JAM2;
}

// Sets one pixel to a pen, clipped to the bitmap.
void put_pen(RastPort *rp, LONG x, LONG y, unsigned pen) {
    settle_copies();
    BitMap *bm = rp->BitMap;
    if (x < 0 || y < 0 || x >= host::rec(bm)->Width || y >= bm->Rows) return;
    UBYTE *row = host::rec(bm)->Pixels + size_t(y) * stride_of(bm);
    if (host::rec(bm)->BytesPerPixel == 1)
        row[x] = UBYTE(pen);
    else
        reinterpret_cast<uint32_t *>(row)[x] = pen_colour(rp, pen);
}
BitMap *bitmap_create(LONG width, LONG height, int depth, bool truecolor, bool tracked) {
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) return nullptr;
    if (int64_t(width) * height > max_pixels) return nullptr;
    BitMapRec *bm = new (std::nothrow) BitMapRec{};
    if (!bm) return nullptr;
    bm->BytesPerPixel = truecolor ? 4 : 1;
    size_t stride = size_t(width) * bm->BytesPerPixel;
    bm->Pixels = static_cast<UBYTE *>(zalloc(size_t(height) * stride));
    if (!bm->Pixels) {
        delete bm;
        return nullptr;
    }
    bm->Planes[0] = bm->Pixels;
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
    settle_copies();
    free(rec(bm)->Pixels);
    delete rec(bm);
}

ULONG bitmap_rgb(const BitMap *bm, const ColorMap *cm, LONG x, LONG y) {
    settle_copies();
    if (!bm || !host::rec(bm)->Pixels || x < 0 || y < 0 || x >= host::rec(bm)->Width || y >= bm->Rows) return 0;
    const UBYTE *row = host::rec(bm)->Pixels + size_t(y) * stride_of(bm);
    if (host::rec(bm)->BytesPerPixel == 4) return reinterpret_cast<const uint32_t *>(row)[x] & 0xFFFFFF;
    return pen_rgb(cm, row[x]);
}
} // namespace host

// A zero-filled bitmap: pens for depth 1..8, true colour (depth 24) when
// deeper or when the friend bitmap is true colour. Flags are ignored and the
// width is not rounded up. Null on a fault, for a side of 0 or over 0xFFFF,
// more than 2^28 pixels, or when memory runs out.
struct BitMap *AllocBitMap(ULONG sizex, ULONG sizey, ULONG depth, ULONG,
                           const struct BitMap *friend_bitmap) {
    host::library_check("AllocBitMap", "graphics.library");
    if (host::fault_hit("AllocBitMap")) return nullptr;
    if (sizex > 0xFFFF || sizey > 0xFFFF) return nullptr;
    bool truecolor = depth > 8 || (friend_bitmap && host::rec(friend_bitmap)->BytesPerPixel == 4);
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
    case BMA_WIDTH: return ULONG(host::rec(bm)->Width);
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

