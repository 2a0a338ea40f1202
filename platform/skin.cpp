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
// One row of the mask from one row of entries: a bit per pixel, the leftmost
// in the highest bit. True colour (4 bytes R, G, B, A): seen where R, G or B
// is not 0. Pens (1 byte): seen where the pen is not the black one.
void Wiersz_Maski(UBYTE *cel, const UBYTE *wpisy, ULONG RW, ULONG krok, LONG czarny) {
    for (ULONG b = 0; b < RW / 8; ++b) {
        const UBYTE *e = wpisy + b * 8 * krok;
        UBYTE bajt = 0;
        if (krok == 4) {
            for (ULONG i = 0; i < 8; ++i, e += 4) bajt = UBYTE(bajt << 1 | ((e[0] | e[1] | e[2]) != 0));
        } else {
            for (ULONG i = 0; i < 8; ++i) bajt = UBYTE(bajt << 1 | (LONG(e[i]) != czarny));
        }
        cel[b] = bajt;
    }
}
} // namespace

// Gives back a picture that cannot serve, after its message.
static LONG Odrzuc(const char *komunikat) {
    puts(komunikat);
    DisposeDTObject(grafika);
    grafika = nullptr;
    BM_Header = nullptr;
    return 0;
}

LONG Wczytaj_Grafike() {
    grafika = NewDTObject(nazwa_skina, DTA_GroupID, GID_PICTURE, PDTA_DestMode, PMODE_V43, TAG_DONE);
    if (!grafika) {
        puts("Nie mogę otworzyć pliku graficznego\n");
        return 0;
    }
    GetDTAttrs(grafika, PDTA_BitMapHeader, &BM_Header, TAG_DONE);
    if (!BM_Header) return Odrzuc("Nie mogę otworzyć pliku graficznego\n");
    kolor = BM_Header->bmh_Depth;
    if (BM_Header->bmh_Width > 320) tryb_ekran = 1;
    // Refused before anything reads outside the picture.
    if (!Wymiary_Dobre(BM_Header))
        return Odrzuc("Plik graficzny ma złe wymiary (potrzeba 320 x 483 albo 640 x 966)\n");
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
    UBYTE *wpisy = nullptr; // one entry a pixel: 4 bytes R, G, B, A, or a pen
    if (D > 8 && CyberGfxBase) {
        wpisy = static_cast<UBYTE *>(AllocVecPooled(mem_pool, 4 * N));
        if (wpisy && maska) {
            // One bulk read of the whole picture, rows 4 x RW bytes apart.
            ReadPixelArray(wpisy, 0, 0, UWORD(4 * RW), &rp, 0, 0, UWORD(W), UWORD(H), RECTFMT_RGBA);
            for (ULONG y = 0; y < H; ++y) Wiersz_Maski(maska + y * (RW / 8), wpisy + 4 * y * RW, RW, 4, -1);
            przeszlo = true;
        }
    } else {
        LONG czarny = -1;
        wpisy = static_cast<UBYTE *>(AllocVecPooled(mem_pool, N));
        struct BitMap *pomocnicza = AllocBitMap(W, H, 8, BMF_MINPLANES, nullptr);
        if (wpisy && maska && pomocnicza) {
            struct RastPort tmp = rp;
            tmp.Layer = nullptr;
            tmp.BitMap = pomocnicza;
            ReadPixelArray8(&rp, 0, 0, RW - 1, H - 1, wpisy, &tmp);
            czarny = ObtainBestPen(Ekran->ViewPort.ColorMap, 0, 0, 0, OBP_Precision, PRECISION_EXACT,
                                   TAG_DONE);
            for (ULONG y = 0; y < H; ++y) Wiersz_Maski(maska + y * (RW / 8), wpisy + y * RW, RW, 1, czarny);
            przeszlo = true;
        }
        if (pomocnicza) FreeBitMap(pomocnicza);
    }

    if (wpisy) FreeVecPooled(mem_pool, wpisy);
    if (przeszlo) return 1;

    if (maska) FreeVecPooled(mem_pool, maska);
    DeletePool(mem_pool);
    maska = nullptr;
    mem_pool = nullptr;
    return 0;
}
