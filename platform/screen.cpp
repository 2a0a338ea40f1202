// The screen the game stands on, and its one window.
#include <cstdio>

#include "amiga/cybergraphics.h"
#include "amiga/datatypes.h"
#include "platform/platform.h"

struct Screen *Ekran = nullptr;
WORD EkranP = 0;
struct Window *Okno = nullptr;
struct RastPort *RastPort = nullptr;
WORD BorderLEFT = 0;
WORD BorderTOP = 0;

LONG Otworz_Ekran(LONG przelacznik, LONG skala) {
    const LONG s = skala;
    if (przelacznik == 1 && CyberGfxBase) {
        ULONG tryb = BestCModeIDTags(CYBRBIDTG_NominalWidth, 320 << s, CYBRBIDTG_NominalHeight, 240 << s,
                                     CYBRBIDTG_Depth, 24, TAG_DONE);
        if (tryb == INVALID_ID) {
            puts("Nie moge znalezc odpowiedniego ekranu\n");
            return 0;
        }
        Ekran = OpenScreenTags(nullptr, SA_Width, 320 << s, SA_Height, 240 << s, SA_Depth, 24,
                               SA_DisplayID, tryb, SA_Quiet, TRUE, TAG_DONE);
        if (!Ekran) {
            puts("Nie moge otworzyc ekranu\n");
            return 0;
        }
        EkranP = 1;
        return 1;
    }
    if (przelacznik == 1 && !CyberGfxBase && kolor <= 8) {
        Ekran = OpenScreenTags(nullptr, SA_Width, 320 << s, SA_Height, 256 << s, SA_Depth, kolor,
                               SA_DisplayID, PAL_MONITOR_ID | LORES_KEY, SA_Quiet, TRUE, TAG_DONE);
        if (!Ekran) {
            puts("Nie moge otworzyc ekranu\n");
            return 0;
        }
        ULONG *kolory = nullptr;
        GetDTAttrs(grafika, PDTA_CRegs, &kolory, TAG_DONE);
        if (kolory)
            for (ULONG i = 0; i < (1UL << kolor); ++i)
                SetRGB32(&Ekran->ViewPort, i, kolory[3 * i], kolory[3 * i + 1], kolory[3 * i + 2]);
        SetRast(&Ekran->RastPort, 0);
        EkranP = 1;
        return 1;
    }
    Ekran = LockPubScreen(nullptr);
    args[1] = 0;
    return 1;
}

LONG Otworz_Okno(LONG przelacznik, LONG skala) {
    const LONG IW = 320 << skala, IH = 240 << skala;
    const LONG lewy = LONG(Ekran->Width - IW) >> 1;
    const LONG gora = LONG(Ekran->Height - IH) >> 1;
    const BOOL wlasny = przelacznik != 0;
    Okno = OpenWindowTags(nullptr,
                          WA_Left, lewy,
                          WA_Top, gora,
                          WA_InnerWidth, IW,
                          WA_InnerHeight, IH,
                          WA_RMBTrap, TRUE,
                          WA_NoCareRefresh, TRUE,
                          WA_BackFill, 5,
                          WA_PubScreen, Ekran,
                          WA_Title, wlasny ? nullptr : "Kwadron",
                          WA_Activate, wlasny ? TRUE : FALSE,
                          WA_DepthGadget, wlasny ? FALSE : TRUE,
                          WA_Backdrop, wlasny ? FALSE : TRUE,
                          WA_CloseGadget, wlasny ? FALSE : TRUE,
                          WA_Flags, WFLG_RMBTRAP,
                          WA_IDCMP, IDCMP_MOUSEBUTTONS | IDCMP_MOUSEMOVE | IDCMP_CLOSEWINDOW | IDCMP_RAWKEY,
                          TAG_DONE);
    if (!EkranP) UnlockPubScreen(nullptr, Ekran);
    if (!Okno) {
        puts("Nie mogę otworzyć okna\n");
        return 0;
    }
    RastPort = Okno->RPort;
    BorderTOP = Okno->BorderTop;
    BorderLEFT = Okno->BorderLeft;
    return 1;
}
