// A new tile on a random empty cell, and the test for a possible move.
#include <cstdlib>

#include "gfx/gfx.h"
#include "rules/rules.h"

void Losuj_Cyfre() {
    // Every caller leaves an empty cell; a full board would never end the draw.
    bool wolne = false;
    for (LONG i = 0; i < 16; ++i) wolne = wolne || Tab_PoleGry[i] == 0;
    if (!wolne) return;

    LONG pozycja, rodzaj;
    do {
        LONG a = rand(), b = rand();
        pozycja = ((a % 33) ^ b) % 16;
        LONG c = rand(), d = rand();
        rodzaj = ((c % 33) ^ d) % 16;
    } while (Tab_PoleGry[pozycja] != 0);

    LONG wiersz = pozycja / 4, kolumna = pozycja % 4;
    Tab_PoleGry[wiersz * 4 + kolumna] = rodzaj >= 13 ? 2 : 1;
    Gfx_Pole(wiersz, kolumna);
}

LONG Sprawdz_Ruch() {
    for (LONG r = 0; r < 4; ++r)
        for (LONG c = 0; c < 4; ++c)
            if (Tab_PoleGry[r * 4 + c] == 0) return 1;
    for (LONG r = 1; r < 4; ++r)
        for (LONG c = 0; c < 4; ++c)
            if (Tab_PoleGry[(r - 1) * 4 + c] == Tab_PoleGry[r * 4 + c]) return 1;
    for (LONG c = 0; c < 3; ++c)
        for (LONG r = 0; r < 4; ++r)
            if (Tab_PoleGry[r * 4 + c] == Tab_PoleGry[r * 4 + c + 1]) return 1;
    return 0;
}
