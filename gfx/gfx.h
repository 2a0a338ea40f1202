// Presentation: the skin's layout and the display scale, the board, the
// counters, the overlays, the buttons and the outlined text.
#pragma once

#include "amiga/graphics.h"
#include "amiga/intuition.h"
#include "amiga/types.h"

// A region of the skin picture.
struct Prostokat {
    UWORD x, y, szer, wys;
};

// A button: its place in the window, its images in the skin, its command.
struct Przycisk {
    UWORD x, y;               // layout units at first, window pixels once scaled
    UWORD szer, wys;
    UWORD zrodlo_x, zrodlo_y; // released image; the pressed one lies below it
    UBYTE kod;                // command of a completed click
    UBYTE aktywny;            // 0: neither drawn nor clickable
};

extern struct Prostokat Kafle[16]; // tile images, entry e - 1 for exponent e
extern struct Prostokat Cyfry[10]; // digit glyphs of the counters
extern struct Przycisk Funk[4];    // credits, new game, return, quit

// Display scale: 0 for a 320 x 240 window, 1 for 640 x 480.
extern LONG tryb_ekran;

// Converts the tables to the scale and the window, once.
void Skaluj_Uklad();
// Copies the whole background into the window.
void Gfx_Tlo();

// The two copies out of the skin into the window: plain, and through the mask.
void Gfx_Kopia(LONG zx, LONG zy, LONG cx, LONG cy, LONG szer, LONG wys);
void Gfx_Kopia_Maska(LONG zx, LONG zy, LONG cx, LONG cy, LONG szer, LONG wys);

// Board cells: one, a run toward the far edge of a line, or all sixteen.
void Gfx_Pole(LONG r, LONG c);
void Gfx_Prawo(LONG wiersz, LONG kolumna);
void Gfx_Lewo(LONG wiersz, LONG kolumna);
void Gfx_Gora(LONG wiersz, LONG kolumna);
void Gfx_Dol(LONG wiersz, LONG kolumna);
void Gfx_Start_Cyfr();

// Score counters.
void Gfx_Start_Punkty();
void Gfx_Punkty(LONG zysk);

// Overlays, outlined text and the button row.
void Gfx_GameOver();
void Gfx_Continue();
void Printuj(LONG x, LONG y, const char *napis);
void OdswierzGad(ULONG pierwszy, ULONG koniec, struct Window *okno);

extern struct IntuiText Tekst;
extern struct TextAttr Topaz8;
extern char text[30];
extern ULONG Fun;
