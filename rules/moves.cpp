// Slide-and-merge of one board line toward an edge, with a redraw after
// every step that brings a tile into a cell and after every merge.
#include "gfx/gfx.h"
#include "rules/rules.h"

namespace {

enum Kierunek { PRAWO, LEWO, GORA, DOL };

// Row and column of cell pk of the line (k = distance from the edge).
void Komorka(Kierunek kier, LONG linia, int k, LONG &wiersz, LONG &kolumna) {
    switch (kier) {
    case PRAWO: wiersz = linia; kolumna = 3 - k; break;
    case LEWO: wiersz = linia; kolumna = k; break;
    case GORA: wiersz = k; kolumna = linia; break;
    case DOL: wiersz = 3 - k; kolumna = linia; break;
    }
}

// Redraws cell pk and every cell behind it, up to the far edge.
void Odswiez(Kierunek kier, LONG linia, int k) {
    LONG wiersz, kolumna;
    Komorka(kier, linia, k, wiersz, kolumna);
    switch (kier) {
    case PRAWO: Gfx_Prawo(wiersz, kolumna); break;
    case LEWO: Gfx_Lewo(wiersz, kolumna); break;
    case GORA: Gfx_Gora(wiersz, kolumna); break;
    case DOL: Gfx_Dol(wiersz, kolumna); break;
    }
}

// Adds the value of a merged tile, 2 to the power of its exponent.
void Dodaj_Punkty(LONG wykladnik) {
    if (wykladnik >= 0 && wykladnik < 31) Sub_Punkty += LONG(1) << wykladnik;
}

LONG Ruch(Kierunek kier, LONG linia) {
    if (Gra_OK != 1) return 0;
    if (linia < 0 || linia > 3) return 0;

    LONG *p[4];
    for (int k = 0; k < 4; ++k) {
        LONG wiersz, kolumna;
        Komorka(kier, linia, k, wiersz, kolumna);
        p[k] = &Tab_PoleGry[wiersz * 4 + kolumna];
    }
    LONG *&p0 = p[0], *&p1 = p[1], *&p2 = p[2], *&p3 = p[3];
    LONG zmiana = 0;
    LONG licznik = 0;

    // Fill p0: at most three shifts of the whole line.
    if (*p0 == 0) {
        while (*p0 == 0 && licznik <= 2) {
            *p0 = *p1; *p1 = *p2; *p2 = *p3; *p3 = 0;
            ++licznik;
            if (*p0 != 0) {
                Odswiez(kier, linia, 0);
                zmiana = 1;
            }
        }
    }
    // Fill p1 with what the shifts left.
    if (*p1 == 0 && licznik <= 1) {
        while (*p1 == 0 && licznik <= 1) {
            *p1 = *p2; *p2 = *p3; *p3 = 0;
            ++licznik;
            if (*p1 != 0) {
                Odswiez(kier, linia, 1);
                zmiana = 1;
            }
        }
    }
    // Fill p2.
    if (*p2 == 0 && licznik == 0) {
        *p2 = *p3; *p3 = 0;
        ++licznik;
        if (*p2 != 0) {
            Odswiez(kier, linia, 2);
            zmiana = 1;
        }
    }
    // Merges, from the edge outward, each on what the one before left.
    if (*p0 != 0 && *p0 == *p1) {
        *p0 += 1;
        *p1 = *p2; *p2 = *p3; *p3 = 0;
        Odswiez(kier, linia, 0);
        Dodaj_Punkty(*p0);
        zmiana = 1;
    }
    if (*p1 != 0 && *p1 == *p2) {
        *p1 += 1;
        *p2 = *p3; *p3 = 0;
        Odswiez(kier, linia, 1);
        Dodaj_Punkty(*p1);
        zmiana = 1;
    }
    if (*p2 != 0 && *p2 == *p3) {
        *p2 += 1;
        *p3 = 0;
        Odswiez(kier, linia, 2);
        Dodaj_Punkty(*p2);
        zmiana = 1;
    }
    return zmiana;
}

} // namespace

LONG Ruch_Prawo(LONG wiersz) { return Ruch(PRAWO, wiersz); }
LONG Ruch_Lewo(LONG wiersz) { return Ruch(LEWO, wiersz); }
LONG Ruch_Gora(LONG kolumna) { return Ruch(GORA, kolumna); }
LONG Ruch_Dol(LONG kolumna) { return Ruch(DOL, kolumna); }
