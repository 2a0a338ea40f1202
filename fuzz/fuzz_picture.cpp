// Skin pictures through the game's own path with arbitrary files: decoding
// and the size check, a screen of the picture's kind (true colour, or own
// palette screen), the layout for it and the mask.
#include <cstdint>
#include <cstdio>
#include <string>

#include "amiga/datatypes.h"
#include "host/control.h"
#include "host/headless.h"
#include "app/app.h"
#include "fuzz_common.h"
#include "gfx/gfx.h"
#include "platform/platform.h"

namespace {
std::string dir;
size_t libraries = 0;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzing::quiet_streams();
    dir = fuzzing::scratch_dir("kwadron_fuzz_picture");
    host::display_choose("headless");
    host::set_progdir(dir);
    if (!Zasoby_Otworz()) fuzzing::broken("no libraries");
    libraries = host::ledger_count();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string path = dir + "/skin";
    fuzzing::write_file(path, data, size);
    snprintf(nazwa_skina, sizeof nazwa_skina, "%s", path.c_str());
    tryb_ekran = 0;
    kolor = 0;
    if (Wczytaj_Grafike()) {
        // The last byte picks the palette way of working: an own palette
        // screen when the picture has at most 8 planes.
        const bool palette = size && (data[size - 1] & 1);
        struct Library *cyber = CyberGfxBase;
        if (palette) CyberGfxBase = nullptr;
        args[1] = palette ? 1 : 0;
        if (Otworz_Ekran(LONG(args[1]), tryb_ekran)) {
            Uloz_Grafike();
            if (Generuj_Maske(BM_Grafika)) {
                // The spare row after the picture's rows stays clear.
                const ULONG W = GetBitMapAttr(BM_Grafika, BMA_WIDTH) & 0xFFFF;
                const ULONG H = GetBitMapAttr(BM_Grafika, BMA_HEIGHT) & 0xFFFF;
                const ULONG row = ((W + 15) & ~15UL) / 8;
                for (ULONG i = 0; i < row; ++i)
                    if (maska[H * row + i]) fuzzing::broken("the mask's spare row is not clear");
                FreeVecPooled(mem_pool, maska);
                DeletePool(mem_pool);
                maska = nullptr;
                mem_pool = nullptr;
            } else if (maska || mem_pool) {
                fuzzing::broken("a failed mask left its memory");
            }
            if (EkranP)
                CloseScreen(Ekran);
            else
                UnlockPubScreen(nullptr, Ekran);
            Ekran = nullptr;
            EkranP = 0;
        }
        CyberGfxBase = cyber;
        args[1] = 0;
        DisposeDTObject(grafika);
        grafika = nullptr;
        BM_Header = nullptr;
        BM_Grafika = nullptr;
    } else if (grafika) {
        fuzzing::broken("a refused picture left its object");
    }
    if (host::ledger_count() != libraries) fuzzing::broken("a handle left open");
    return 0;
}
