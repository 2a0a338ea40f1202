// A game drawn into a plain framebuffer: a synthetic skin whose every pixel
// tells where in the skin it lies, a window bitmap with borders, and the
// record of copies. No display is involved.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/graphics.h"
#include "amiga/graphics.h"
#include "host/control.h"
#include "host/headless.h"
#include "app/app.h"
#include "gfx/gfx.h"
#include "platform/platform.h"
#include "rules/rules.h"

namespace testgame {

// Colour of skin pixel (x, y): its coordinates, so a window pixel names its source.
inline ULONG skin_code(LONG x, LONG y) { return (ULONG(x) << 12) | ULONG(y); }
constexpr ULONG UNTOUCHED = 0xFF000000u;

// The tables as the program starts with them.
struct Tables {
    Prostokat kafle[16];
    Prostokat cyfry[10];
    Przycisk funk[4];
};
inline const Tables tables_at_load = [] {
    Tables x;
    memcpy(x.kafle, Kafle, sizeof Kafle);
    memcpy(x.cyfry, Cyfry, sizeof Cyfry);
    memcpy(x.funk, Funk, sizeof Funk);
    return x;
}();

// The board, the scores and the flags as a game starts; Fun as given.
inline void reset_game_state(ULONG fun) {
    memset(Tab_PoleGry, 0, sizeof Tab_PoleGry);
    Punkty = Sub_Punkty = High_Punkty = 0;
    Gra_OK = 1;
    Gra_Won = 1;
    Quit = 0;
    Fun = fun;
}

// Everything the game keeps at module level, back to how a run starts.
inline void reset_program_state() {
    memcpy(Kafle, tables_at_load.kafle, sizeof Kafle);
    memcpy(Cyfry, tables_at_load.cyfry, sizeof Cyfry);
    memcpy(Funk, tables_at_load.funk, sizeof Funk);
    reset_game_state(0);
    tryb_ekran = 0;
    kolor = 0;
    args[0] = reinterpret_cast<IPTR>("progdir:grafika_aga");
    args[1] = 0;
    memset(nazwa_skina, 0, sizeof nazwa_skina);
    IntuitionBase = GfxBase = GadToolsBase = DataTypesBase = IconBase = CyberGfxBase = nullptr;
    grafika = nullptr, BM_Header = nullptr, BM_Grafika = nullptr, mem_pool = nullptr, maska = nullptr;
    Ekran = nullptr, EkranP = 0, Okno = nullptr, RastPort = nullptr;
    BorderLEFT = BorderTOP = 0;
    Plik = 0;
    Tekst.FrontPen = 1;
}

class GameTest : public ::testing::Test {
  protected:
    static bool opaque(LONG x, LONG y) { return (x + y) % 3 == 0; }
    struct BitMap *skin = nullptr;
    struct BitMap *frame = nullptr;
    struct RastPort rp {};
    struct Window okno {};
    UBYTE *mask_block = nullptr;
    LONG bl = 4, bt = 11;

    // Sets up the game's drawing context at a scale; the mask is opaque
    // where opaque(x, y) says, a pattern that differs from row to row.
    void open(LONG scale) {
        close();
        host::ledger_clear();
        host::faults_reset();
        reset_program_state();
        tryb_ekran = scale;
        const LONG sw = 320 << scale, sh = 483 << scale;
        const size_t mrow = size_t((sw + 15) / 16) * 2;
        skin = AllocBitMap(sw, sh, 24, 0, nullptr);
        mask_block = new UBYTE[mrow * size_t(sh + 1)]();
        for (LONG y = 0; y < sh; ++y)
            for (LONG x = 0; x < sw; ++x) {
                reinterpret_cast<ULONG *>(host::rec(skin)->Pixels)[y * sw + x] = skin_code(x, y);
                if (opaque(x, y)) mask_block[y * mrow + x / 8] |= UBYTE(0x80 >> (x & 7));
            }
        const LONG fw = (320 << scale) + bl + 3, fh = (240 << scale) + bt + 2;
        frame = AllocBitMap(fw, fh, 24, 0, nullptr);
        fill_frame(UNTOUCHED);
        InitRastPort(&rp);
        rp.BitMap = frame;
        okno = {};
        okno.RPort = &rp;
        okno.BorderLeft = BYTE(bl);
        okno.BorderTop = BYTE(bt);
        BM_Grafika = skin;
        RastPort = &rp;
        Okno = &okno;
        maska = mask_block;
        BorderLEFT = WORD(bl);
        BorderTOP = WORD(bt);
        Skaluj_Uklad();
        reset_state();
        host::blit_log_clear();
        host::blit_log_enable(true);
    }

    // As after start-up, once the buttons are drawn.
    void reset_state() { reset_game_state(4); }

    void fill_frame(ULONG colour) {
        auto p = reinterpret_cast<ULONG *>(host::rec(frame)->Pixels);
        std::fill(p, p + size_t(host::rec(frame)->Width) * frame->Rows, colour);
    }

    ULONG pixel(LONG x, LONG y) const {
        return reinterpret_cast<const ULONG *>(host::rec(frame)->Pixels)[size_t(y) * host::rec(frame)->Width + x];
    }

    // Window position of a layout point at the current scale.
    LONG wx(LONG x) const { return bl + (x << tryb_ekran); }
    LONG wy(LONG y) const { return bt + (y << tryb_ekran); }

    void close() {
        host::blit_log_enable(false);
        host::blit_log_clear();
        if (skin) FreeBitMap(skin);
        if (frame) FreeBitMap(frame);
        delete[] mask_block;
        skin = frame = nullptr, mask_block = nullptr;
        BM_Grafika = nullptr, RastPort = nullptr, Okno = nullptr, maska = nullptr;
    }

    void TearDown() override { close(); }
};

} // namespace testgame
