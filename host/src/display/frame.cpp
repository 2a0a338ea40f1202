#include "display/frame.h"

#include "graphics/graphics.h"

namespace host {
namespace {
void put(const BitMap *bm, const ColorMap *cm, const ScaleTarget &t, int z, int ox, int oy) {
    if (!bm || !host::rec(bm)->Pixels) return;
    settle_copies();
    const size_t pitch = stride_of(bm);
    if (host::rec(bm)->BytesPerPixel == 4) {
        scale_rgb(reinterpret_cast<const uint32_t *>(host::rec(bm)->Pixels), pitch, host::rec(bm)->Width, bm->Rows, t, z, ox, oy);
    } else {
        uint32_t lut[256];
        for (unsigned i = 0; i < 256; ++i) lut[i] = pen_rgb(cm, i);
        scale_pens(host::rec(bm)->Pixels, pitch, host::rec(bm)->Width, bm->Rows, lut, t, z, ox, oy);
    }
}
} // namespace

void compose_frame(const View *v, const ScaleTarget &t, int z, int ox, int oy) {
    if (const WindowRec *window = v->window) {
        put(window->rastport.BitMap, &window->screen->colors, t, z, ox, oy);
        return;
    }
    const ScreenRec *screen = v->screen;
    put(screen->bitmap, &screen->colors, t, z, ox, oy);
    for (const WindowRec *w : screen->windows)
        put(w->rastport.BitMap, &screen->colors, t, z, ox + w->LeftEdge * z, oy + w->TopEdge * z);
}
} // namespace host
