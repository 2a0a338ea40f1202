// cybergraphics: true-colour display modes and reading pixels as colours.
#include "amiga/cybergraphics.h"

#include <algorithm>

#include "display/display.h"
#include "exec/exec.h"
#include "host/control.h"
#include "graphics/graphics.h"
#include "utility/tags.h"

namespace {
// The one mode id the host gives out: any size, shown scaled.
constexpr ULONG HOST_MODE_ID = 0x50001000u;
} // namespace

// A mode for CYBRBIDTG_NominalWidth x NominalHeight (default 800 x 600) at
// CYBRBIDTG_Depth (default 8): the host shows any size up to 16384 pixels a
// side at depth 15 to 32 or a chunky 8. INVALID_ID without a display, for
// other sizes or depths, or on a fault. The monitor tag is ignored.
ULONG BestCModeIDTagList(const struct TagItem *tags) {
    host::library_check("BestCModeIDTagList", "cybergraphics.library");
    if (host::fault_hit("BestCModeIDTags")) return INVALID_ID;
    if (!host::display_opens()) return INVALID_ID;
    IPTR w = host::get_tag(tags, CYBRBIDTG_NominalWidth, 800);
    IPTR h = host::get_tag(tags, CYBRBIDTG_NominalHeight, 600);
    IPTR d = host::get_tag(tags, CYBRBIDTG_Depth, 8);
    if (w < 1 || h < 1 || w > 16384 || h > 16384) return INVALID_ID;
    if (d != 8 && (d < 15 || d > 32)) return INVALID_ID;
    return HOST_MODE_ID;
}

// Copies the rectangle, clipped to the bitmap, as RGBA (alpha 0) to dst at
// (dstX, dstY), dstMod bytes a row. Pens
// are shown through the bitmap's colours, else the drawing context's.
// Other formats read nothing. Returns the pixels read.
ULONG ReadPixelArray(APTR dst, UWORD dstX, UWORD dstY, UWORD dstMod, struct RastPort *rp, UWORD srcX,
                     UWORD srcY, UWORD width, UWORD height, UBYTE format) {
    host::library_check("ReadPixelArray", "cybergraphics.library");
    if (!dst || !rp || !rp->BitMap || !host::rec(rp->BitMap)->Pixels) return 0;
    if (format != RECTFMT_RGBA) return 0;
    host::settle_copies();
    host::trace("ReadPixelArray");
    const BitMap *bm = rp->BitMap;
    const ColorMap *cm = host::rec(bm)->Colors;
    LONG w = std::min<LONG>(width, host::rec(bm)->Width - LONG(srcX));
    LONG h = std::min<LONG>(height, LONG(bm->Rows) - LONG(srcY));
    if (w <= 0 || h <= 0) return 0;
    auto *out = static_cast<UBYTE *>(dst);
    const bool deep = host::rec(bm)->BytesPerPixel == 4;
    for (LONG y = 0; y < h; ++y) {
        UBYTE *o = out + size_t(dstY + y) * dstMod + size_t(dstX) * 4;
        // The row is read directly: this is the mask's inner loop at start-up.
        const UBYTE *row = host::rec(bm)->Pixels + size_t(srcY + y) * size_t(host::rec(bm)->Width) * host::rec(bm)->BytesPerPixel;
        for (LONG x = 0; x < w; ++x, o += 4) {
            ULONG c = deep ? reinterpret_cast<const uint32_t *>(row)[srcX + x] & 0xFFFFFF
                           : host::pen_rgb(cm, row[srcX + x]);
            o[0] = UBYTE(c >> 16), o[1] = UBYTE(c >> 8), o[2] = UBYTE(c), o[3] = 0;
        }
    }
    return ULONG(w * h);
}
