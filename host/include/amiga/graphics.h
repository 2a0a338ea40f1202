// graphics: bitmaps, drawing contexts, rectangle copies, pens and colours.
//
// Host bitmaps are chunky: either 8-bit pens (one byte a pixel) or true
// colour (one 32-bit 0x00RRGGBB word a pixel). All drawing is rectangle
// copies and fills into them.
#pragma once

#include "amiga/types.h"

typedef UBYTE *PLANEPTR;

struct BitMap {
    UWORD BytesPerRow;
    UWORD Rows;
    UBYTE Flags;
    UBYTE Depth;   // reported depth: 1..8 for pens, 24 for true colour
    UWORD pad;
    // Host fields.
    LONG Width;
    UBYTE BytesPerPixel; // 1 (pens) or 4 (true colour)
    UBYTE *Pixels;       // Rows rows of BytesPerRow bytes
    struct ColorMap *Colors; // colours of a pen bitmap's pens, when known
};

// Colours of a screen's pens: 0x00RRGGBB each, and which pens are taken.
struct ColorMap {
    UWORD Count;
    ULONG Colors[256];
    UBYTE Shared[256];
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
    struct ColorMap *host_Colors; // how pens look when drawing into true colour
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

// Copies a rectangle from a bitmap into a drawing context's bitmap. Only
// minterm 0xC0 (plain copy) is carried out; others are reported as misuse.
// The rectangle is clipped to both bitmaps, so nothing outside either is
// read or written. Both bitmaps must have the same pixel form.
BOOL BltBitMapRastPort(const struct BitMap *src, LONG xSrc, LONG ySrc, struct RastPort *destRP,
                       LONG xDest, LONG yDest, LONG xSize, LONG ySize, ULONG minterm);

// As above, through a one-bit mask plane laid out like one plane of the
// source bitmap (rows of ((width + 15) / 16) * 2 bytes, bit 0x80 leftmost),
// addressed with source coordinates. Minterm 0xE0: where the mask bit is
// set the source pixel is copied, elsewhere the destination stays.
void BltMaskBitMapRastPort(const struct BitMap *src, LONG xSrc, LONG ySrc, struct RastPort *destRP,
                           LONG xDest, LONG yDest, LONG xSize, LONG ySize, ULONG minterm,
                           const UBYTE *bltMask);

// Bitmaps of depth 1..8 hold pens; deeper ones (or a friend bitmap in true
// colour) hold true colour. Null on a fault or when memory is exhausted.
struct BitMap *AllocBitMap(ULONG sizex, ULONG sizey, ULONG depth, ULONG flags,
                           const struct BitMap *friend_bitmap);
void FreeBitMap(struct BitMap *bm);
// Width, height, depth or flags; 0 for an unknown attribute or a null bitmap.
ULONG GetBitMapAttr(const struct BitMap *bm, ULONG attribute);
void InitRastPort(struct RastPort *rp);

// Sets a pen's colour from 32-bit left-justified components.
void SetRGB32(struct ViewPort *vp, ULONG n, ULONG r, ULONG g, ULONG b);
// Fills the whole bitmap of the drawing context with a pen.
void SetRast(struct RastPort *rp, ULONG pen);

// Pen number of the inclusive rectangle's pixels, one byte each, rows
// padded to a multiple of 16 pixels. Pixels outside the bitmap read as 0.
// Returns the number of pixels read, 0 for a true-colour bitmap.
LONG ReadPixelArray8(struct RastPort *rp, ULONG xstart, ULONG ystart, ULONG xstop, ULONG ystop,
                     UBYTE *array, struct RastPort *temprp);

// The pen whose colour matches best; with PRECISION_EXACT only an exact
// match counts. -1 when none can be had.
LONG ObtainBestPenA(struct ColorMap *cm, ULONG r, ULONG g, ULONG b, const struct TagItem *tags);
template <class... A> LONG ObtainBestPen(struct ColorMap *cm, ULONG r, ULONG g, ULONG b, A... tags) {
    auto l = host::make_tags(tags...);
    return ObtainBestPenA(cm, r, g, b, l.items);
}
void ReleasePen(struct ColorMap *cm, ULONG n);
