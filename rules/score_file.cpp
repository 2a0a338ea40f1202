// The best score, one "%d\n" line in the file beside the program.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "amiga/dos.h"
#include "rules/rules.h"

BPTR Plik = 0;
// The best score last read from or written to the file.
static LONG Zapisany_Wynik = 0;

// The number on the file's first line; an empty file reads as no text at
// all, which counts as 0.
static LONG Czytaj_Wynik(BPTR plik) {
    char linia[10] = {0};
    if (!FGets(plik, linia, sizeof linia)) linia[0] = 0;
    return LONG(atol(linia));
}

void WczytajHighScore() {
    Plik = Open("progdir:score", MODE_OLDFILE);
    if (!Plik) {
        High_Punkty = 0;
        Zapisany_Wynik = 0;
        return;
    }
    High_Punkty = Czytaj_Wynik(Plik);
    Zapisany_Wynik = High_Punkty;
    Close(Plik);
    Plik = 0;
}

void ZapiszHighScore() {
    Plik = Open("progdir:score", MODE_NEWFILE);
    if (!Plik) {
        puts("Nie moge zapisać wynikow\n");
        return;
    }
    // Another copy of the game may have written a higher best since this one
    // read the file. Until Close no other copy writes it, so the larger of
    // the two is kept, and the counter shows it the next time it is drawn.
    if (BPTR teraz = Open("progdir:score", MODE_OLDFILE)) {
        const LONG w_pliku = Czytaj_Wynik(teraz);
        Close(teraz);
        if (w_pliku > High_Punkty) High_Punkty = w_pliku;
    }
    char linia[16];
    snprintf(linia, sizeof linia, "%d\n", int(High_Punkty));
    Write(Plik, linia, LONG(strlen(linia)));
    if (Close(Plik)) Zapisany_Wynik = High_Punkty;
    Plik = 0;
}

void ZachowajHighScore() {
    if (High_Punkty > Zapisany_Wynik) ZapiszHighScore();
}
