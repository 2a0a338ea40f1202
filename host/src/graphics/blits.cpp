// graphics: rectangle copies, plain and through a mask, and their record.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "amiga/graphics.h"
#include "exec/exec.h"
#include "graphics/graphics.h"
#include "host/control.h"

namespace host {
namespace {
bool log_on = false;
std::vector<BlitRecord> &log_store() {
    static std::vector<BlitRecord> v;
    return v;
}

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
    cw = std::min({cw, int64_t(host::rec(src)->Width) - x0, int64_t(host::rec(dst)->Width) - x1});
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

void (*damage_hook)(const RastPort *, LONG, LONG, LONG, LONG) = nullptr;
void set_damage_hook(void (*damage)(const RastPort *, LONG, LONG, LONG, LONG)) { damage_hook = damage; }

void blit_log_enable(bool on) { log_on = on; }
const std::vector<BlitRecord> &blit_log() { return log_store(); }
void blit_log_clear() { log_store().clear(); }

namespace {
struct Held {
    const BitMap *src;
    BitMap *dst;
    Clip c;
    uint64_t place; // of c
};
// The copies held, pairwise apart or on the very same rectangle, and the
// bitmaps they read and write.
std::vector<Held> held;
std::vector<const BitMap *> held_reads, held_writes;
bool holding = false;

void copy_now(const BitMap *src, BitMap *dst, const Clip &c) {
    const size_t bpp = rec(src)->BytesPerPixel, ss = stride_of(src), ds = stride_of(dst);
    const UBYTE *s = rec(src)->Pixels + size_t(c.sy) * ss + size_t(c.sx) * bpp;
    UBYTE *d = rec(dst)->Pixels + size_t(c.dy) * ds + size_t(c.dx) * bpp;
    const size_t n = size_t(c.w) * bpp;
    for (LONG y = 0; y < c.h; ++y, s += ss, d += ds) memmove(d, s, n);
}

bool meet(const Clip &a, const Clip &b) {
    return a.dx < b.dx + b.w && b.dx < a.dx + a.w && a.dy < b.dy + b.h && b.dy < a.dy + a.h;
}

uint64_t place(const Clip &c) {
    return uint64_t(uint16_t(c.dx)) << 48 | uint64_t(uint16_t(c.dy)) << 32 | uint64_t(uint16_t(c.w)) << 16 |
           uint16_t(c.h);
}

bool among(const std::vector<const BitMap *> &list, const BitMap *bm) {
    return std::find(list.begin(), list.end(), bm) != list.end();
}

void note_bitmap(std::vector<const BitMap *> &list, const BitMap *bm) {
    if (!among(list, bm)) list.push_back(bm);
}

// Held back in place of a held copy to the very same rectangle, or beside
// them when it meets none; the held ones are made first when it meets one
// otherwise, or reads a bitmap they write, or writes one they read.
void copy(const BitMap *src, BitMap *dst, const Clip &c) {
    if (!holding) return copy_now(src, dst, c);
    if (among(held_writes, src) || among(held_reads, dst)) settle_copies();
    const uint64_t here = place(c);
    Held *same = nullptr;
    for (Held &h : held)
        if (h.place == here && h.dst == dst) {
            same = &h;
            break;
        }
    if (same) {
        *same = {src, dst, c, here};
    } else {
        for (const Held &h : held)
            if (h.dst == dst && meet(h.c, c)) {
                settle_copies();
                break;
            }
        held.push_back({src, dst, c, here});
        note_bitmap(held_writes, dst);
    }
    note_bitmap(held_reads, src);
}
} // namespace

void hold_copies(bool on) {
    if (!on) settle_copies();
    holding = on;
}

void settle_copies() {
    for (const Held &h : held) copy_now(h.src, h.dst, h.c);
    held.clear();
    held_reads.clear();
    held_writes.clear();
}

void graphics_reset() {
    damage_hook = nullptr;
    log_on = false;
    log_store().clear();
    held.clear();
    held_reads.clear();
    held_writes.clear();
    holding = false;
}
} // namespace host

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
    if (host::rec(src)->BytesPerPixel != host::rec(dst)->BytesPerPixel) {
        host::misuse("BltBitMapRastPort between bitmaps of different pixel forms");
        return FALSE;
    }
    host::Clip c;
    if (!host::clip(src, dst, xSrc, ySrc, xDest, yDest, xSize, ySize, c)) return TRUE;
    if (host::damage_hook) host::damage_hook(destRP, c.dx, c.dy, c.w, c.h);
    host::copy(src, dst, c);
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
    if (host::rec(src)->BytesPerPixel != host::rec(dst)->BytesPerPixel) {
        host::misuse("BltMaskBitMapRastPort between bitmaps of different pixel forms");
        return;
    }
    host::Clip c;
    if (!host::clip(src, dst, xSrc, ySrc, xDest, yDest, xSize, ySize, c)) return;
    if (host::damage_hook) host::damage_hook(destRP, c.dx, c.dy, c.w, c.h);
    host::settle_copies();
    const size_t mstride = size_t((host::rec(src)->Width + 15) / 16) * 2;
    const size_t ss = host::stride_of(src), ds = host::stride_of(dst);
    for (LONG y = 0; y < c.h; ++y) {
        const UBYTE *mrow = bltMask + size_t(c.sy + y) * mstride;
        const UBYTE *srow = host::rec(src)->Pixels + size_t(c.sy + y) * ss;
        UBYTE *drow = host::rec(dst)->Pixels + size_t(c.dy + y) * ds;
        if (host::rec(src)->BytesPerPixel == 1) {
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

