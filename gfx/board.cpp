// The board: every cell is a copy out of the skin, a tile image or the
// background at the cell's own place.
#include "gfx/gfx.h"
#include "platform/platform.h"
#include "rules/rules.h"

void Gfx_Pole(LONG r, LONG c) {
    if (r < 0 || r > 3 || c < 0 || c > 3) return;
    const LONG s = tryb_ekran;
    const LONG W = Kafle[0].szer, H = Kafle[0].wys;
    const LONG X = (131 << s) + c * W, Y = (48 << s) + r * H;
    LONG e = Tab_PoleGry[r * 4 + c];
    if (e > 0) {
        // The skin has images up to exponent 16; higher tiles show the last.
        if (e > 16) e = 16;
        Gfx_Kopia(Kafle[e - 1].x, Kafle[e - 1].y, BorderLEFT + X, BorderTOP + Y, W, H);
    } else {
        Gfx_Kopia(X, Y, BorderLEFT + X, BorderTOP + Y, W, H);
    }
}

void Gfx_Prawo(LONG wiersz, LONG kolumna) {
    for (LONG c = kolumna; c >= 0; --c) Gfx_Pole(wiersz, c);
}

void Gfx_Lewo(LONG wiersz, LONG kolumna) {
    for (LONG c = kolumna; c <= 3; ++c) Gfx_Pole(wiersz, c);
}

void Gfx_Gora(LONG wiersz, LONG kolumna) {
    for (LONG r = wiersz; r <= 3; ++r) Gfx_Pole(r, kolumna);
}

void Gfx_Dol(LONG wiersz, LONG kolumna) {
    for (LONG r = wiersz; r >= 0; --r) Gfx_Pole(r, kolumna);
}

void Gfx_Start_Cyfr() {
    for (LONG r = 0; r < 4; ++r)
        for (LONG c = 0; c < 4; ++c) Gfx_Pole(r, c);
}
