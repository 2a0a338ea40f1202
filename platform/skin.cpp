// The skin picture, and the mask that makes its pure black see-through.
#include <cstdio>

#include "amiga/cybergraphics.h"
#include "amiga/datatypes.h"
#include "gfx/gfx.h"
#include "platform/platform.h"

char nazwa_skina[100];
Object *grafika = nullptr;
struct BitMapHeader *BM_Header = nullptr;
LONG kolor = 0;
struct BitMap *BM_Grafika = nullptr;
APTR mem_pool = nullptr;
UBYTE *maska = nullptr;

namespace {
// A skin holds every region: 320 wide and 483 tall for the normal layout,
// at least 640 x 966 for the double one. Wider than this is no skin.
constexpr UWORD Najwieksza_Szerokosc = 8192;

bool Wymiary_Dobre(const struct BitMapHeader *h) {
    if (h->bmh_Width == 320) return h->bmh_Height >= 483;
    return h->bmh_Width >= 640 && h->bmh_Width <= Najwieksza_Szerokosc && h->bmh_Height >= 966;
}
} // namespace

LONG Wczytaj_Grafike() {
    grafika = NewDTObject(nazwa_skina, DTA_GroupID, GID_PICTURE, PDTA_DestMode, PMODE_V43, TAG_DONE);
    if (!grafika) {
        puts("Nie mogę otworzyć pliku graficznego\n");
        return 0;
    }
    GetDTAttrs(grafika, PDTA_BitMapHeader, &BM_Header, TAG_DONE);
    if (!BM_Header) {
        puts("Nie mogę otworzyć pliku graficznego\n");
        DisposeDTObject(grafika);
        grafika = nullptr;
        return 0;
    }
    kolor = BM_Header->bmh_Depth;
    if (BM_Header->bmh_Width > 320) tryb_ekran = 1;
    if (!Wymiary_Dobre(BM_Header)) {
        // Refused before anything reads outside the picture.
        puts("Plik graficzny ma złe wymiary (potrzeba 320 x 483 albo 640 x 966)\n");
        DisposeDTObject(grafika);
        grafika = nullptr;
        BM_Header = nullptr;
        return 0;
    }
    return 1;
}

LONG createPool() {
    mem_pool = CreatePool(MEMF_PUBLIC | MEMF_CLEAR | MEMF_SEM_PROTECTED, 65536, 16384);
    return mem_pool != nullptr;
}

LONG Generuj_Maske(struct BitMap *bitmapa) {
    const ULONG W = GetBitMapAttr(bitmapa, BMA_WIDTH) & 0xFFFF;
    const ULONG H = GetBitMapAttr(bitmapa, BMA_HEIGHT) & 0xFFFF;
    const ULONG D = GetBitMapAttr(bitmapa, BMA_DEPTH) & 0xFFFF;
    const ULONG RW = (W + 15) & ~15UL;
    const ULONG N = H * RW;
    if (W == 0 || H == 0) return 0;
    if (D == 0) return 0;

    if (!createPool()) {
        puts("Nie moge zaalokowac pamieci\n");
        return 0;
    }
    maska = static_cast<UBYTE *>(AllocVecPooled(mem_pool, (RW / 8) * (H + 1)));

    struct RastPort rp;
    InitRastPort(&rp);
    rp.BitMap = bitmapa;
    rp.Layer = nullptr;

    bool przeszlo = false;
    UBYTE *wpisy = nullptr; // one entry per pixel, 4 bytes in true colour
    ULONG krok = 1;
    LONG czarny = -1;
    if (D > 8 && CyberGfxBase) {
        wpisy = static_cast<UBYTE *>(AllocVecPooled(mem_pool, 4 * N));
        if (wpisy && maska) {
            ReadPixelArray(wpisy, 0, 0, UWORD(4 * RW), &rp, 0, 0, UWORD(W), UWORD(H), RECTFMT_RGBA);
            krok = 4;
            przeszlo = true;
        }
    } else {
        wpisy = static_cast<UBYTE *>(AllocVecPooled(mem_pool, N));
        struct BitMap *pomocnicza = AllocBitMap(W, H, 8, BMF_MINPLANES, nullptr);
        if (wpisy && maska && pomocnicza) {
            struct RastPort tmp = rp;
            tmp.Layer = nullptr;
            tmp.BitMap = pomocnicza;
            ReadPixelArray8(&rp, 0, 0, RW - 1, H - 1, wpisy, &tmp);
            czarny = ObtainBestPen(Ekran->ViewPort.ColorMap, 0, 0, 0, OBP_Precision, PRECISION_EXACT,
                                   TAG_DONE);
            przeszlo = true;
        }
        if (pomocnicza) FreeBitMap(pomocnicza);
    }

    if (przeszlo) {
        // One bit per entry, the leftmost pixel in the highest bit.
        ULONG bajt = 0;
        UBYTE bit = 0x80;
        for (ULONG i = 0; i < N; ++i) {
            const UBYTE *e = wpisy + i * krok;
            const bool widoczny = krok == 4 ? (e[0] | e[1] | e[2]) != 0 : LONG(e[0]) != czarny;
            if (widoczny) maska[bajt] |= bit;
            bit >>= 1;
            if (!bit) {
                ++bajt;
                bit = 0x80;
            }
        }
    }
    if (wpisy) FreeVecPooled(mem_pool, wpisy);
    if (przeszlo) return 1;

    if (maska) FreeVecPooled(mem_pool, maska);
    DeletePool(mem_pool);
    maska = nullptr;
    mem_pool = nullptr;
    return 0;
}
