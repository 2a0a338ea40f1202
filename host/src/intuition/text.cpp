// intuition: text in the built-in ROM font.
#include <cstring>

#include "amiga/intuition.h"
#include "exec/exec.h"
#include "graphics/graphics.h"

// Draws each text of the chain at (left + LeftEdge, top + TopEdge), the top
// of an 8 x 8 cell per byte, in the built-in ROM font whatever ITextFont
// names; bytes outside 32..127 are blank. JAM2 fills the cell's other pixels
// with BackPen. Clipped to the bitmap; rp's own pens and mode are not used.
void PrintIText(struct RastPort *rp, const struct IntuiText *itext, LONG left, LONG top) {
    host::library_check("PrintIText", "intuition.library");
    if (!rp || !host::usable(rp->BitMap)) return;
    for (const IntuiText *t = itext; t; t = t->NextText) {
        if (!t->IText) continue;
        LONG x = left + t->LeftEdge, y = top + t->TopEdge;
        if (host::damage_hook) host::damage_hook(rp, x, y, LONG(strlen(reinterpret_cast<const char *>(t->IText))) * 8, 8);
        for (const UBYTE *c = t->IText; *c; ++c, x += 8) {
            const unsigned char *glyph = (*c >= 32 && *c < 128) ? host::rom_font[*c - 32] : nullptr;
            for (int row = 0; row < 8; ++row)
                for (int col = 0; col < 8; ++col) {
                    bool set = glyph && (glyph[row] & (0x80 >> col));
                    if (set)
                        host::put_pen(rp, x + col, y + row, t->FrontPen);
                    else if (t->DrawMode & JAM2)
                        host::put_pen(rp, x + col, y + row, t->BackPen);
                }
        }
    }
}

// 8 pixels per byte of IText, whatever the font; 0 for a null text.
LONG IntuiTextLength(const struct IntuiText *itext) {
    host::library_check("IntuiTextLength", "intuition.library");
    if (!itext || !itext->IText) return 0;
    return LONG(strlen(reinterpret_cast<const char *>(itext->IText))) * 8;
}
