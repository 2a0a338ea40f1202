// cybergraphics: true-colour display modes and pixel reading.
#pragma once

#include "amiga/graphics.h"

constexpr Tag CYBRBIDTG_Depth = 0x80050000u;
constexpr Tag CYBRBIDTG_NominalWidth = 0x80050001u;
constexpr Tag CYBRBIDTG_NominalHeight = 0x80050002u;
constexpr Tag CYBRBIDTG_MonitorID = 0x80050003u;

constexpr UBYTE RECTFMT_RGBA = 1;

// A true-colour display mode for the size and depth, or INVALID_ID.
ULONG BestCModeIDTagList(const struct TagItem *tags);
template <class... A> ULONG BestCModeIDTags(A... tags) {
    auto l = host::make_tags(tags...);
    return BestCModeIDTagList(l.items);
}

// Reads a rectangle of a drawing context's pixels as colours.
ULONG ReadPixelArray(APTR dst, UWORD dstX, UWORD dstY, UWORD dstMod, struct RastPort *rp, UWORD srcX,
                     UWORD srcY, UWORD width, UWORD height, UBYTE format);
