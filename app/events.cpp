// The event loop, the decoding of keys and clicks, and the button commands.
#include "amiga/exec.h"
#include "amiga/gadtools.h"
#include "amiga/rawkeycodes.h"
#include "app/app.h"
#include "gfx/gfx.h"
#include "platform/platform.h"
#include "rules/rules.h"

namespace {
// The third line names a place of the authors on the web.
const char *const Napisy[7] = {"Based on game by:", "Brennoch", "www.kwadron.example",
                               "Code:", "Ulmerik", "Graphics:", "Vexol"};
const LONG Napisy_Y[7] = {55, 70, 83, 105, 118, 142, 155};

bool Trafiony(const struct Przycisk &f, const struct IntuiMessage *w) {
    return f.aktywny && LONG(f.x) < w->MouseX && w->MouseX < LONG(f.x) + LONG(f.szer) &&
           LONG(f.y) < w->MouseY && w->MouseY < LONG(f.y) + LONG(f.wys);
}

// One move: the four lines of the direction, then the turn when any changed.

void Tura(UWORD klawisz) {
    LONG wynik[4] = {0, 0, 0, 0};
    Sub_Punkty = 0;
    for (LONG i = 0; i < 4; ++i) {
        switch (klawisz) {
        case RAWKEY_UP: wynik[i] = Ruch_Gora(i); break;
        case RAWKEY_DOWN: wynik[i] = Ruch_Dol(i); break;
        case RAWKEY_RIGHT: wynik[i] = Ruch_Prawo(i); break;
        default: wynik[i] = Ruch_Lewo(i); break;
        }
    }
    if (wynik[0] != 1 && wynik[1] != 1 && wynik[2] != 1 && wynik[3] != 1) return;
    Gfx_Punkty(Sub_Punkty);
    Losuj_Cyfre();
    if (Sprawdz_Ruch() == 0)
        Gfx_GameOver();
    else
        Gfx_Continue();
}
} // namespace

void Petla_Zdarzen(struct MsgPort *port) {
    struct IntuiMessage kopia;
    while (!Quit) {
        WaitPort(port);
        struct IntuiMessage *wiadomosc;
        while ((wiadomosc = GT_GetIMsg(port))) {
            CopyMem(wiadomosc, &kopia, sizeof kopia);
            GT_ReplyIMsg(wiadomosc);
            ULONG kod = Dekoduj_IDCMP(&kopia);
            if (kod) Wykonaj(LONG(kod));
        }
    }
}

ULONG Dekoduj_IDCMP(struct IntuiMessage *w) {
    ULONG wynik = 0;
    const LONG s = tryb_ekran;
    switch (w->Class) {
    case IDCMP_CLOSEWINDOW:
        Quit = 1;
        break;
    case IDCMP_MOUSEBUTTONS:
        if (w->Code == SELECTDOWN) {
            Fun = 4;
            for (ULONG i = 0; i < 4; ++i)
                if (Trafiony(Funk[i], w)) {
                    Fun = i;
                    break;
                }
            if (Fun <= 3) {
                const struct Przycisk &f = Funk[Fun];
                Gfx_Kopia(f.zrodlo_x, f.zrodlo_y + f.wys + (1 << s), f.x, f.y, f.szer, f.wys);
            }
        } else if (w->Code == SELECTUP) {
            if (Fun > 3) break;
            const struct Przycisk &f = Funk[Fun];
            Gfx_Kopia(f.zrodlo_x, f.zrodlo_y, f.x, f.y, f.szer, f.wys);
            if (Trafiony(f, w)) wynik = f.kod;
        }
        break;
    case IDCMP_RAWKEY:
        switch (w->Code) {
        case RAWKEY_ESCAPE: Quit = 1; break;
        case RAWKEY_UP:
        case RAWKEY_DOWN:
        case RAWKEY_RIGHT:
        case RAWKEY_LEFT: Tura(w->Code); break;
        default: break;
        }
        break;
    default:
        break;
    }
    return wynik;
}

void Nowa_Gra() {
    for (LONG i = 0; i < 16; ++i) Tab_PoleGry[i] = 0;
    Sub_Punkty = 0;
    Punkty = 0;
    Losuj_Cyfre();
    Losuj_Cyfre();
    Gfx_Start_Punkty();
    Gfx_Start_Cyfr();
    Funk[2].aktywny = 0;
    Gra_Won = 1;
    Gra_OK = 1;
}

void Wykonaj(LONG kod) {
    switch (kod) {
    case 1:
        Gra_OK = 0;
        for (int i = 0; i < 7; ++i) Printuj(210, Napisy_Y[i], Napisy[i]);
        Funk[2].aktywny = 1;
        OdswierzGad(0, 4, Okno);
        break;
    case 2:
        Nowa_Gra();
        break;
    case 3:
        Gfx_Start_Cyfr();
        Gra_OK = 1;
        Funk[2].aktywny = 0;
        break;
    case 4:
        Quit = 1;
        break;
    default:
        break;
    }
}
