// The program's entry: settings, the start-up in its fixed order, the event
// loop and the one way out.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <cstdlib>

#include "amiga/datatypes.h"
#include "amiga/dos.h"
#include "amiga/icon.h"
#include "amiga/startup.h"
#include "amiga/workbench.h"
#include "app/app.h"
#include "gfx/gfx.h"
#include "platform/platform.h"
#include "rules/rules.h"

IPTR args[2] = {reinterpret_cast<IPTR>("progdir:grafika_aga"), 0};

namespace {
const char Szablon[] = "SKIN/K,SCREEN/S";

// The path of a file opened with the game, when it needs the room.
char Plik_Skory[1024];

void Za_Dluga() { puts("Za długa ścieżka pliku graficznego (najwyżej 99 bajtów)\n"); }

// Puts the skin path into nazwa_skina; a path that does not fit is refused.
bool Kopiuj_Nazwe(const char *sciezka) {
    if (!sciezka) sciezka = "";
    // strnlen, not strlen: GCC 12 takes a string reached through an integer
    // slot to be shorter than the buffer and drops a strlen test at -O1 and up.
    if (strnlen(sciezka, sizeof nazwa_skina) >= sizeof nazwa_skina) {
        Za_Dluga();
        return false;
    }
    snprintf(nazwa_skina, sizeof nazwa_skina, "%s", sciezka);
    return true;
}

// Whether the file (in the current directory) has an icon of its own.
bool Ma_Ikone(CONST_STRPTR nazwa) {
    struct DiskObject *wlasna = GetDiskObject(nazwa);
    if (!wlasna) return false;
    FreeDiskObject(wlasna);
    return true;
}
} // namespace

void Uloz_Grafike() {
    // On the program's own palette screen the pens are the picture's own.
    if (!CyberGfxBase && args[1] == 1)
        SetDTAttrs(grafika, nullptr, nullptr, PDTA_Screen, Ekran, PDTA_Remap, FALSE, TAG_DONE);
    else
        SetDTAttrs(grafika, nullptr, nullptr, PDTA_Screen, Ekran, PDTA_Remap, TRUE, OBP_Precision,
                   PRECISION_IMAGE, TAG_DONE);
    DoDTMethod(grafika, nullptr, nullptr, DTM_PROCLAYOUT, nullptr, 2);
    GetDTAttrs(grafika, PDTA_DestBitMap, &BM_Grafika, TAG_DONE);
}

void Pierwsza_Gra() {
    WczytajHighScore();
    Gfx_Tlo();
    Losuj_Cyfre();
    Losuj_Cyfre();
    OdswierzGad(0, 4, Okno);
    Gfx_Start_Punkty();
    Gfx_Start_Cyfr();
}

LONG program::main(LONG argc, char **argv) {
    struct RDArgs *rdargs = nullptr;
    struct DiskObject *ikona = nullptr;
    BPTR wyjscie = 0;
    // A start that never reaches play is a failure for whoever started it.
    LONG kod = RETURN_FAIL;
    bool wynik_wczytany = false;
    bool sciezka_za_dluga = false;

    if (!Zasoby_Otworz()) goto koniec;

    if (argc > 0) {
        rdargs = ReadArgs(Szablon, args, nullptr);
        if (!rdargs) {
            PrintFault(IoErr(), argv[0]);
            Zasoby_Zamknij();
            return 10;
        }
        if (args[1]) args[1] = 1;
        wyjscie = Output();
    } else {
        struct WBStartup *wb = reinterpret_cast<struct WBStartup *>(argv);
        if (!wb || wb->sm_NumArgs < 1 || !wb->sm_ArgList) {
            Zasoby_Zamknij();
            return 10;
        }
        struct WBArg *arg = &wb->sm_ArgList[wb->sm_NumArgs - 1];
        if (!arg->wa_Name || !arg->wa_Name[0]) {
            Zasoby_Zamknij();
            return 10;
        }
        CONST_STRPTR nazwa = reinterpret_cast<CONST_STRPTR>(arg->wa_Name);
        BPTR stary = CurrentDir(arg->wa_Lock);
        ikona = GetDiskObjectNew(nazwa);
        if (ikona) {
            STRPTR wartosc = FindToolType(ikona->do_ToolTypes, "SKIN");
            if (wartosc) args[0] = reinterpret_cast<IPTR>(wartosc);
            if (FindToolType(ikona->do_ToolTypes, "SCREEN")) args[1] = 1;
        }
        // A picture opened with the game that has no icon of its own is the
        // skin itself, named in full since its directory is left again.
        if (wb->sm_NumArgs > 1 && !Ma_Ikone(nazwa)) {
            sciezka_za_dluga = !NameFromLock(arg->wa_Lock, Plik_Skory, sizeof Plik_Skory) ||
                               !AddPart(Plik_Skory, nazwa, sizeof Plik_Skory);
            args[0] = reinterpret_cast<IPTR>(Plik_Skory);
        }
        CurrentDir(stary);
    }

    if (argc == 0 || wyjscie) {
        if (sciezka_za_dluga) Za_Dluga();
        if (sciezka_za_dluga || !Kopiuj_Nazwe(reinterpret_cast<const char *>(args[0]))) {
            if (rdargs) FreeArgs(rdargs);
            if (ikona) FreeDiskObject(ikona);
            Zasoby_Zamknij();
            return 10;
        }
    }
    if (rdargs) FreeArgs(rdargs);
    if (ikona) FreeDiskObject(ikona);

    if (!Wczytaj_Grafike()) goto koniec;
    if (!Otworz_Ekran(LONG(args[1]), tryb_ekran)) goto koniec;
    if (!Otworz_Okno(LONG(args[1]), tryb_ekran)) goto koniec;
    {
        struct MsgPort *port = Okno->UserPort;

        Uloz_Grafike();
        if (!Generuj_Maske(BM_Grafika)) {
            puts("Nie moge wygenerowac maski\n");
            goto koniec;
        }
        Skaluj_Uklad();
        srand(unsigned(time(nullptr)));
        Pierwsza_Gra();
        wynik_wczytany = true;
        kod = RETURN_OK;

        Petla_Zdarzen(port);
    }

koniec:
    if (wynik_wczytany) ZachowajHighScore();
    Zasoby_Zamknij();
    return kod;
}
