// graphics: bitmaps, drawing contexts, rectangle copies, pens and colours.
#pragma once

#include "amiga/types.h"

typedef UBYTE *PLANEPTR;

struct BitMap {
    UWORD BytesPerRow;
    UWORD Rows;
    UBYTE Flags;
    UBYTE Depth;   // reported depth: 1..8 for pens, 24 for true colour
    UWORD pad;
    PLANEPTR Planes[8];
};

// Colours of a screen's pens: 0x00RRGGBB each.
struct ColorMap {
    UWORD Count;
    ULONG Colors[256];
};

struct ViewPort {
    struct ColorMap *ColorMap;
};

struct TextFont;
struct Layer;

struct RastPort {
    struct Layer *Layer;
    struct BitMap *BitMap;
    UBYTE FgPen;
    UBYTE BgPen;
    UBYTE DrawMode;
    struct TextFont *Font;
};

constexpr ULONG BMA_HEIGHT = 0;
constexpr ULONG BMA_DEPTH = 4;
constexpr ULONG BMA_WIDTH = 8;
constexpr ULONG BMA_FLAGS = 12;

constexpr ULONG BMF_CLEAR = 1;
constexpr ULONG BMF_DISPLAYABLE = 2;
constexpr ULONG BMF_INTERLEAVED = 4;
constexpr ULONG BMF_STANDARD = 8;
constexpr ULONG BMF_MINPLANES = 16;

constexpr UBYTE JAM1 = 0;
constexpr UBYTE JAM2 = 1;
constexpr UBYTE COMPLEMENT = 2;
constexpr UBYTE INVERSVID = 4;

constexpr Tag OBP_Precision = 0x84000000u;
constexpr Tag OBP_FailIfBad = 0x84000001u;
constexpr LONG PRECISION_EXACT = -1;
constexpr LONG PRECISION_IMAGE = 0;
constexpr LONG PRECISION_ICON = 16;
constexpr LONG PRECISION_GUI = 32;

// Copies a rectangle of a bitmap into a drawing context.
BOOL BltBitMapRastPort(const struct BitMap *src, LONG xSrc, LONG ySrc, struct RastPort *destRP,
                       LONG xDest, LONG yDest, LONG xSize, LONG ySize, ULONG minterm);
// Copies a rectangle of a bitmap through a one-bit mask.
void BltMaskBitMapRastPort(const struct BitMap *src, LONG xSrc, LONG ySrc, struct RastPort *destRP,
                           LONG xDest, LONG yDest, LONG xSize, LONG ySize, ULONG minterm,
                           const UBYTE *bltMask);

// Makes a pen or true-colour bitmap.
struct BitMap *AllocBitMap(ULONG sizex, ULONG sizey, ULONG depth, ULONG flags,
                           const struct BitMap *friend_bitmap);
// Frees a bitmap from AllocBitMap.
void FreeBitMap(struct BitMap *bm);
// Width, height, depth or flags of a bitmap.
ULONG GetBitMapAttr(const struct BitMap *bm, ULONG attribute);
// Sets a drawing context to the defaults.
void InitRastPort(struct RastPort *rp);

// Sets a pen's colour.
void SetRGB32(struct ViewPort *vp, ULONG n, ULONG r, ULONG g, ULONG b);
// Fills a drawing context's bitmap with a pen.
void SetRast(struct RastPort *rp, ULONG pen);

// Reads a rectangle's pixels as pen numbers.
LONG ReadPixelArray8(struct RastPort *rp, ULONG xstart, ULONG ystart, ULONG xstop, ULONG ystop,
                     UBYTE *array, struct RastPort *temprp);

// The pen nearest a colour.
LONG ObtainBestPenA(struct ColorMap *cm, ULONG r, ULONG g, ULONG b, const struct TagItem *tags);
template <class... A> LONG ObtainBestPen(struct ColorMap *cm, ULONG r, ULONG g, ULONG b, A... tags) {
    auto l = host::make_tags(tags...);
    return ObtainBestPenA(cm, r, g, b, l.items);
}
// Gives back a pen from ObtainBestPen.
void ReleasePen(struct ColorMap *cm, ULONG n);
