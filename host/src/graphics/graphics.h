// What the host's rooms share of graphics: bitmaps, pens and the font.
#pragma once

#include <cstddef>
#include <cstdint>

#include "amiga/graphics.h"

namespace host {
// A bitmap as the host keeps it: chunky, either 8-bit pens (one byte a
// pixel) or true colour (one 32-bit 0x00RRGGBB word a pixel); Planes[0] of
// the native record points at the pixels too, as on a chunky display.
struct BitMapRec : BitMap {
    LONG Width = 0;
    UBYTE BytesPerPixel = 0;  // 1 (pens) or 4 (true colour)
    UBYTE *Pixels = nullptr;  // Rows rows of stride_of bytes
    ColorMap *Colors = nullptr; // how its pens look, when known
};
// Every BitMap the host hands out is one.
inline BitMapRec *rec(BitMap *bm) { return static_cast<BitMapRec *>(bm); }
inline const BitMapRec *rec(const BitMap *bm) { return static_cast<const BitMapRec *>(bm); }

// Bitmaps of the host, in the ledger as "bitmap" when tracked is set.
BitMap *bitmap_create(LONG width, LONG height, int depth, bool truecolor, bool tracked);
void bitmap_destroy(BitMap *bm, bool tracked);
// Whether a bitmap has pixels to draw into.
bool usable(const BitMap *bm);
// Row stride in memory; BytesPerRow only holds it when it fits 16 bits.
inline size_t stride_of(const BitMap *bm) { return size_t(rec(bm)->Width) * rec(bm)->BytesPerPixel; }
// Colour 0x00RRGGBB of a bitmap's pixel, pens through the colour map.
ULONG bitmap_rgb(const BitMap *bm, const ColorMap *cm, LONG x, LONG y);

// A drawing context with the system's defaults (InitRastPort's work).
void rastport_init(RastPort *rp);
// Sets one pixel of the drawing context's bitmap to a pen, clipped.
void put_pen(RastPort *rp, LONG x, LONG y, unsigned pen);

// Colour of a pen in a colour map, 0x00RRGGBB.
inline ULONG pen_rgb(const ColorMap *cm, unsigned pen) {
    return cm && pen < 256 ? cm->Colors[pen] : 0;
}
// How a pen looks in true colour: through the context's colours, else the
// default pens.
ULONG pen_colour(const RastPort *rp, unsigned pen);
// A classic desktop's pens: grey, black, white, blue.
void default_pens(ColorMap *cm);
// The first of the map's first pens whose colour is nearest c (0x00RRGGBB),
// and the squared distance to it.
int nearest_pen(const ColorMap *cm, int pens, uint32_t c, long *distance = nullptr);

// While nothing is shown (a kept game played back), plain copies may be
// held back: one to the very rectangle of a copy held takes its place, so
// that cells drawn again and again are copied once. settle_copies() makes
// the ones held; everything else that reads or writes pixels calls it first.
void hold_copies(bool on);
void settle_copies();
// Called before anything draws into a drawing context's bitmap (a null
// context: the colours of every picture changed): the display installs its
// pacing and its note of what to present here.
void set_damage_hook(void (*damage)(const RastPort *rp, LONG x, LONG y, LONG w, LONG h));
// The hook, for the rooms that draw (null when none is installed).
extern void (*damage_hook)(const RastPort *rp, LONG x, LONG y, LONG w, LONG h);

// The built-in 8 x 8 font: characters 32 to 127, bit 7 the leftmost pixel.
extern const unsigned char rom_font[96][8];
} // namespace host
