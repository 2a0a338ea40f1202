// The input decoder fed arbitrary message sequences, on a synthetic skin and
// window: a starting position (board, scores, flags, button state) and then
// messages of any class, code and mouse position, each decoded and its
// command carried out.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "amiga/graphics.h"
#include "amiga/rawkeycodes.h"
#include "host/control.h"
#include "app/app.h"
#include "fuzz_common.h"
#include "gfx/gfx.h"
#include "platform/platform.h"
#include "rules/rules.h"

namespace {

// The skin and the window at one scale; every skin pixel holds its place.
struct Context {
    struct BitMap *skin = nullptr, *frame = nullptr;
    struct RastPort rp {};
    struct Window okno {};
    std::vector<UBYTE> mask;
    void prepare(int s) {
        const LONG sw = 320 << s, sh = 483 << s;
        const size_t row = size_t((sw + 15) / 16) * 2;
        skin = AllocBitMap(sw, sh, 24, 0, nullptr);
        mask.assign(row * size_t(sh + 1), 0);
        for (LONG y = 0; y < sh; ++y)
            for (LONG x = 0; x < sw; ++x) {
                reinterpret_cast<ULONG *>(skin->Planes[0])[y * sw + x] = ULONG(x << 12 | y);
                if ((x ^ y) & 1) mask[size_t(y) * row + size_t(x / 8)] |= UBYTE(0x80 >> (x & 7));
            }
        frame = AllocBitMap((320 << s) + 9, (240 << s) + 13, 24, 0, nullptr);
        InitRastPort(&rp);
        rp.BitMap = frame;
        okno.RPort = &rp;
        okno.BorderLeft = 4;
        okno.BorderTop = 11;
    }
};
Context ctx[2];
Prostokat kafle0[16], cyfry0[10]; // the tables before the layout scales them
Przycisk funk0[4];
size_t handles = 0;               // the two contexts' bitmaps

struct Reader {
    const uint8_t *p;
    size_t n;
    uint8_t u8() { return n ? (--n, *p++) : 0; }
    uint16_t u16() { return uint16_t(u8() | u8() << 8); }
    uint32_t u32() { return uint32_t(u16() | uint32_t(u16()) << 16); }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzing::quiet_streams();
    host::set_progdir(fuzzing::scratch_dir("kwadron_fuzz_input"));
    memcpy(kafle0, Kafle, sizeof Kafle);
    memcpy(cyfry0, Cyfry, sizeof Cyfry);
    memcpy(funk0, Funk, sizeof Funk);
    ctx[0].prepare(0);
    ctx[1].prepare(1);
    handles = host::ledger_count();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Reader in{data, size};
    const int s = in.u8() & 1;
    Context &c = ctx[s];
    memcpy(Kafle, kafle0, sizeof Kafle);
    memcpy(Cyfry, cyfry0, sizeof Cyfry);
    memcpy(Funk, funk0, sizeof Funk);
    tryb_ekran = s, BM_Grafika = c.skin, RastPort = &c.rp, Okno = &c.okno, maska = c.mask.data();
    BorderLEFT = c.okno.BorderLeft, BorderTOP = c.okno.BorderTop;
    Skaluj_Uklad();

    // The position: tiles up to exponent 19, any scores and flags.
    LONG highest = 0;
    for (LONG &cell : Tab_PoleGry) {
        cell = in.u8() % 20;
        highest = std::max(highest, cell);
    }
    Punkty = LONG(in.u32()), High_Punkty = LONG(in.u32());
    Gra_OK = in.u8() % 3, Gra_Won = 1 + (in.u8() & 1), Funk[2].aktywny = in.u8() & 1, Fun = in.u8() % 6, Quit = 0;

    // The messages: class, code, mouse position.
    size_t count = 0;
    while (in.n >= 6 && count++ < 2000) {
        IntuiMessage m{};
        const uint8_t k = in.u8();
        const ULONG classes[] = {IDCMP_RAWKEY, IDCMP_MOUSEBUTTONS, IDCMP_MOUSEMOVE, IDCMP_CLOSEWINDOW};
        const UWORD buttons[] = {SELECTDOWN, SELECTUP, MENUDOWN, MENUUP, MIDDLEDOWN, MIDDLEUP};
        m.Class = k < 200 ? classes[k % 4] : ULONG(1) << (k % 32);
        const uint16_t code = in.u16();
        m.Code = code;
        if (!(code & 0x8000) && m.Class == IDCMP_RAWKEY) m.Code = UWORD(RAWKEY_UP + code % 4); // mostly cursor keys
        if (!(code & 0x8000) && m.Class == IDCMP_MOUSEBUTTONS) m.Code = buttons[code % 6];
        m.MouseX = WORD(in.u16() % 800 - 100);
        m.MouseY = WORD(in.u16() % 600 - 100);
        if (m.Class == IDCMP_MOUSEBUTTONS && (code & 0x4000)) {
            // Right on a button, to get past the random guesses.
            const Przycisk &f = Funk[code % 4];
            m.MouseX = WORD(f.x + f.szer / 2);
            m.MouseY = WORD(f.y + f.wys / 2);
        }
        m.IDCMPWindow = Okno;
        const ULONG kod = Dekoduj_IDCMP(&m);
        if (kod > 4) fuzzing::broken("a command outside 1 to 4");
        if (kod) Wykonaj(LONG(kod));
        for (LONG cell : Tab_PoleGry)
            if (cell < 0 || cell > highest + 16 + 1) fuzzing::broken("a cell out of range");
        if (Gra_OK > 2) fuzzing::broken("Gra_OK out of range");
    }
    if (host::ledger_count() != handles) fuzzing::broken("a handle left open");
    return 0;
}
