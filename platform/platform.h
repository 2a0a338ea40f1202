// Platform resources: the system libraries, the screen and the window, the
// skin picture and its mask.
#pragma once

#include "amiga/datatypes.h"
#include "amiga/exec.h"
#include "amiga/graphics.h"
#include "amiga/intuition.h"
#include "amiga/types.h"

extern struct Library *IntuitionBase;
extern struct Library *GfxBase;
extern struct Library *GadToolsBase;
extern struct Library *DataTypesBase;
extern struct Library *IconBase;
extern struct Library *CyberGfxBase; // null: the palette way of working

// Opens the libraries; 1 when every required one is open.
LONG Zasoby_Otworz();
// Gives back everything that exists, whatever stage the start reached.
void Zasoby_Zamknij();

// Screen and window.
extern struct Screen *Ekran;
extern WORD EkranP; // 1 when the program opened Ekran itself
extern struct Window *Okno;
extern struct RastPort *RastPort;
extern WORD BorderLEFT;
extern WORD BorderTOP;
LONG Otworz_Ekran(LONG przelacznik, LONG skala);
LONG Otworz_Okno(LONG przelacznik, LONG skala);

// The argument slots; Otworz_Ekran clears SCREEN on the public screen.
extern IPTR args[2];

// Skin picture and mask.
extern char nazwa_skina[100];
extern Object *grafika;
extern struct BitMapHeader *BM_Header;
extern LONG kolor;
extern struct BitMap *BM_Grafika;
extern APTR mem_pool;
extern UBYTE *maska;
LONG Wczytaj_Grafike();
LONG Generuj_Maske(struct BitMap *bitmapa);
LONG createPool();
