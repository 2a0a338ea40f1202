// Opening the system libraries, and the one release routine.
#include <cstdio>

#include "amiga/datatypes.h"
#include "platform/platform.h"

struct Library *IntuitionBase = nullptr;
struct Library *GfxBase = nullptr;
struct Library *GadToolsBase = nullptr;
struct Library *DataTypesBase = nullptr;
struct Library *IconBase = nullptr;
struct Library *CyberGfxBase = nullptr;

LONG Zasoby_Otworz() {
    LONG wynik = 1;
    if (!(IntuitionBase = OpenLibrary("intuition.library", 36))) {
        puts("Nie mogę otworzyć intuition.library w wersji 36+\n");
        wynik = 0;
    }
    if (!(GfxBase = OpenLibrary("graphics.library", 0))) {
        puts("Nie mogę otworzyć graphics.library\n");
        wynik = 0;
    }
    if (!(GadToolsBase = OpenLibrary("gadtools.library", 36))) {
        puts("Nie mogę otworzyć gadtools.library\n");
        wynik = 0;
    }
    if (!(DataTypesBase = OpenLibrary("datatypes.library", 36))) {
        puts("Nie mogę otworzyć datatypes.library w wersji 36+\n");
        wynik = 0;
    }
    if (!(IconBase = OpenLibrary("icon.library", 37))) {
        puts("Nie mogę otworzyć icon.library\n");
        wynik = 0;
    }
    CyberGfxBase = OpenLibrary("cybergraphics.library", 0);
    return wynik;
}

void Zasoby_Zamknij() {
    if (grafika) {
        DisposeDTObject(grafika);
        grafika = nullptr;
        BM_Header = nullptr;
        BM_Grafika = nullptr;
    }
    if (Okno) {
        CloseWindow(Okno);
        Okno = nullptr;
        RastPort = nullptr;
    }
    if (EkranP) {
        CloseScreen(Ekran);
        Ekran = nullptr;
        EkranP = 0;
    }
    if (maska) {
        FreeVecPooled(mem_pool, maska);
        DeletePool(mem_pool);
        maska = nullptr;
        mem_pool = nullptr;
    }
    if (CyberGfxBase) { CloseLibrary(CyberGfxBase); CyberGfxBase = nullptr; }
    if (DataTypesBase) { CloseLibrary(DataTypesBase); DataTypesBase = nullptr; }
    if (IconBase) { CloseLibrary(IconBase); IconBase = nullptr; }
    if (GadToolsBase) { CloseLibrary(GadToolsBase); GadToolsBase = nullptr; }
    if (GfxBase) { CloseLibrary(GfxBase); GfxBase = nullptr; }
    if (IntuitionBase) { CloseLibrary(IntuitionBase); IntuitionBase = nullptr; }
}
