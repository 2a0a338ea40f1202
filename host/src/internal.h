// Links between the host's own modules; nothing of this is native.
#pragma once

#include "amiga/graphics.h"
#include "amiga/intuition.h"

namespace host {
// Zero-filled memory for the host's blocks, given back with free(). Large
// blocks are asked for in huge pages where the system allows, since page
// faults are most of what a picture's first touch costs.
void *zalloc(size_t size);

// Bitmaps of the host, in the ledger as "bitmap" when tracked is set.
BitMap *bitmap_create(LONG width, LONG height, int depth, bool truecolor, bool tracked);
void bitmap_destroy(BitMap *bm, bool tracked);

// Colour of a pen in a colour map, 0x00RRGGBB.
inline ULONG pen_rgb(const ColorMap *cm, unsigned pen) {
    return cm && pen < 256 ? cm->Colors[pen] : 0;
}
// A drawing context with the system's defaults (InitRastPort's work).
void rastport_init(RastPort *rp);
// Whether a bitmap has pixels to draw into.
bool usable(const BitMap *bm);
// Sets one pixel of the drawing context's bitmap to a pen, clipped.
void put_pen(RastPort *rp, LONG x, LONG y, unsigned pen);
// The built-in 8 x 8 font: characters 32 to 127, bit 7 the leftmost pixel.
extern const unsigned char rom_font[96][8];

// A classic desktop's pens: grey, black, white, blue.
void default_pens(ColorMap *cm);

// Blocks until the port has a message (the display fills it). Implemented
// by the display module.
void display_wait(MsgPort *port);
// Called by the rectangle copies before they draw into rp: paces what the
// display shows (display.cpp).
void display_copy(const RastPort *rp, LONG x, LONG y, LONG w, LONG h);
// Queues a close message on the port, whatever the window asks for.
void post_close(MsgPort *port, Window *w);
// Queues one input message on a window's port.
void post_input(Window *w, ULONG cls, UWORD code, WORD mouseX, WORD mouseY, UWORD qualifier);

// Every call of a library's stand-in begins here: a call through a library
// that is not open (never opened, or closed) is reported as a misuse.
void library_check(const char *call, const char *library);

// Reports the first frame once when KWADRON_TRACE=1 (frame_trace.cpp).
void note_first_frame();
// With KWADRON_TRACE=1, reports a key going down, and a present with the
// CPU time it took (the difference of two cpu_now_us readings).
void trace_key();
void trace_present(long long cpu_us);
long long cpu_now_us();
} // namespace host
