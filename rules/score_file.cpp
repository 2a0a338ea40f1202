// The best score, one "%d\n" line in the file beside the program.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "amiga/dos.h"
#include "rules/rules.h"

BPTR Plik = 0;
// The best score last read from or written to the file.
static LONG Zapisany_Wynik = 0;

// How far into the file the number may begin.
static const LONG Szukaj_Do = 512;

// The number on the file's first line that is not blank. What an editor may
// add is passed over, so that a best edited by hand is not lost: a UTF-8
// byte-order mark, blank lines and blanks before the number. From there at
// most nine characters are read as atol reads them. An empty file, a NUL
// byte before the number, or only blanks in the first Szukaj_Do bytes read
// as 0.
static LONG Czytaj_Wynik(BPTR plik) {
    char linia[10], liczba[10];
    LONG przeczytane = 0; // bytes passed over so far
    while (FGets(plik, linia, sizeof linia)) {
        const LONG dlugosc = LONG(strlen(linia));
        char *p = linia;
        if (przeczytane == 0 && strncmp(p, "\xEF\xBB\xBF", 3) == 0) {
            p += 3;
            przeczytane = 3;
        }
        while (przeczytane < Szukaj_Do && isspace((unsigned char)*p)) {
            p++;
            przeczytane++;
        }
        if (przeczytane >= Szukaj_Do) return 0;
        if (*p) {
            // The number, with the rest of it when the piece read cut it.
            strcpy(liczba, p);
            const LONG n = LONG(strlen(liczba));
            if (dlugosc == LONG(sizeof linia) - 1 && linia[dlugosc - 1] != '\n' && n < 9)
                FGets(plik, liczba + n, sizeof liczba - n);
            return LONG(atol(liczba));
        }
        // Blanks only: read on after a whole line or a full piece; a shorter
        // one ends at the end of the file or at a NUL byte.
        if (dlugosc < LONG(sizeof linia) - 1 && (dlugosc == 0 || linia[dlugosc - 1] != '\n')) return 0;
    }
    return 0;
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
