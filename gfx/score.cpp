// The two six-place counters, drawn with the skin's digit glyphs.
#include "gfx/gfx.h"
#include "platform/platform.h"
#include "rules/rules.h"

namespace {
constexpr LONG Wiersz_Punkty = 52;
constexpr LONG Wiersz_High = 100;

// Six places show 0 to 999999: a larger score shows 999999, a negative one
// (an edited score file) 000000.
LONG Na_Licznik(LONG wartosc) {
    if (wartosc < 0) return 0;
    if (wartosc > 999999) return 999999;
    return wartosc;
}

// The six digits of a value, most significant first: a divisor from 100000
// down, each digit taken off the value before the next.
void Rozloz(LONG wartosc, LONG cyfry[6]) {
    LONG dzielnik = 100000;
    for (LONG k = 0; k < 6; ++k) {
        cyfry[k] = wartosc / dzielnik;
        wartosc -= cyfry[k] * dzielnik;
        dzielnik /= 10;
    }
}

void Cyfra(LONG miejsce, LONG wiersz, LONG cyfra) {
    const LONG s = tryb_ekran;
    Gfx_Kopia(Cyfry[cyfra].x, Cyfry[cyfra].y, BorderLEFT + ((30 + 11 * miejsce) << s),
              BorderTOP + (wiersz << s), Cyfry[0].szer, Cyfry[0].wys);
}
} // namespace

void Gfx_Start_Punkty() {
    LONG p[6], h[6];
    Rozloz(Na_Licznik(Punkty), p);
    Rozloz(Na_Licznik(High_Punkty), h);
    for (LONG k = 0; k < 6; ++k) {
        Cyfra(k, Wiersz_Punkty, p[k]);
        Cyfra(k, Wiersz_High, h[k]);
    }
}

void Gfx_Punkty(LONG zysk) {
    if (zysk == 0) return;
    Punkty = LONG(ULONG(Punkty) + ULONG(zysk));
    const bool rekord = Punkty > High_Punkty;
    LONG p[6];
    Rozloz(Na_Licznik(Punkty), p);
    for (LONG k = 0; k < 6; ++k) {
        Cyfra(k, Wiersz_Punkty, p[k]);
        if (rekord) Cyfra(k, Wiersz_High, p[k]);
    }
    if (rekord) High_Punkty = Punkty;
}
