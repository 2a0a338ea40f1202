// The best score, one "%d\n" line in the file beside the program.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "amiga/dos.h"
#include "rules/rules.h"

BPTR Plik = 0;
// The best score last read from or written to the file.
static LONG Zapisany_Wynik = 0;

void WczytajHighScore() {
    Plik = Open("progdir:score", MODE_OLDFILE);
    if (!Plik) {
        High_Punkty = 0;
        Zapisany_Wynik = 0;
        return;
    }
    // An empty file reads as no text at all, which counts as 0.
    char linia[10] = {0};
    if (!FGets(Plik, linia, sizeof linia)) linia[0] = 0;
    High_Punkty = LONG(atol(linia));
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
    char linia[16];
    snprintf(linia, sizeof linia, "%d\n", int(High_Punkty));
    Write(Plik, linia, LONG(strlen(linia)));
    if (Close(Plik)) Zapisany_Wynik = High_Punkty;
    Plik = 0;
}

void ZachowajHighScore() {
    if (High_Punkty > Zapisany_Wynik) ZapiszHighScore();
}
