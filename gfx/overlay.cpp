// Game over and win pictures over the board, the outlined text and the
// button row.
#include <cstdio>

#include "gfx/gfx.h"
#include "platform/platform.h"
#include "rules/rules.h"

struct TextAttr Topaz8 = {"topaz.font", 8, FS_NORMAL, FPF_ROMFONT};
char text[30];
struct IntuiText Tekst = {1, 0, JAM1, 0, 0, &Topaz8, reinterpret_cast<UBYTE *>(text), nullptr};
ULONG Fun = 0;

void Gfx_GameOver() {
    const LONG s = tryb_ekran;
    Gfx_Kopia_Maska(0, 402 << s, BorderLEFT + (140 << s), BorderTOP + (85 << s), 140 << s, 80 << s);
    ZapiszHighScore();
    Gra_OK = 0;
}

void Gfx_Continue() {
    if (Gra_Won == 2) return;
    bool jest = false;
    for (LONG i = 0; i < 16 && !jest; ++i) jest = Tab_PoleGry[i] == 11;
    if (!jest) return;

    const LONG s = tryb_ekran;
    Gfx_Kopia_Maska(141 << s, 402 << s, BorderLEFT + (140 << s), BorderTOP + (85 << s), 132 << s,
                    81 << s);
    Gra_Won = 2;
    Funk[2].aktywny = 1;
    Gra_OK = 2;
    OdswierzGad(0, 4, Okno);
    ZapiszHighScore();
}

void Printuj(LONG x, LONG y, const char *napis) {
    snprintf(text, sizeof text, "%s", napis ? napis : "");
    const LONG L = IntuiTextLength(&Tekst);
    Tekst.FrontPen = 2;
    const LONG s = tryb_ekran;
    const LONG cx = BorderLEFT + (x << s) - (L >> 1);
    const LONG cy = BorderTOP + (y << s);
    PrintIText(RastPort, &Tekst, cx - 1, cy - 1);
    PrintIText(RastPort, &Tekst, cx + 1, cy + 1);
    PrintIText(RastPort, &Tekst, cx - 1, cy + 1);
    PrintIText(RastPort, &Tekst, cx + 1, cy - 1);
    Tekst.FrontPen = 1;
    PrintIText(RastPort, &Tekst, cx, cy);
}

void OdswierzGad(ULONG pierwszy, ULONG koniec, struct Window *okno) {
    for (Fun = pierwszy; Fun < koniec; ++Fun) {
        if (Fun > 3) continue;
        const struct Przycisk &f = Funk[Fun];
        if (f.aktywny && okno)
            BltBitMapRastPort(BM_Grafika, f.zrodlo_x, f.zrodlo_y, okno->RPort, f.x, f.y, f.szer, f.wys,
                              0xC0);
    }
}
