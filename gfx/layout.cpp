// Where every element of the skin lies, where it lands in the window, and
// the two copies through which everything is drawn.
#include "gfx/gfx.h"
#include "platform/platform.h"

LONG tryb_ekran = 0;

struct Prostokat Kafle[16] = {
    {0, 241, 39, 39},   {40, 241, 39, 39},  {80, 241, 39, 39},  {120, 241, 39, 39},
    {0, 281, 39, 39},   {40, 281, 39, 39},  {80, 281, 39, 39},  {120, 281, 39, 39},
    {0, 321, 39, 39},   {40, 321, 39, 39},  {80, 321, 39, 39},  {120, 321, 39, 39},
    {0, 361, 39, 39},   {40, 361, 39, 39},  {80, 361, 39, 39},  {120, 361, 39, 39},
};

struct Prostokat Cyfry[10] = {
    {309, 241, 10, 11}, {309, 253, 10, 11}, {309, 265, 10, 11}, {309, 277, 10, 11},
    {309, 289, 10, 11}, {309, 301, 10, 11}, {309, 313, 10, 11}, {309, 325, 10, 11},
    {309, 337, 10, 11}, {309, 349, 10, 11},
};

struct Przycisk Funk[4] = {
    {23, 169, 71, 15, 160, 273, 1, 1},
    {23, 149, 71, 15, 160, 241, 2, 1},
    {174, 175, 71, 15, 160, 337, 3, 0},
    {23, 189, 71, 15, 160, 305, 4, 1},
};

static void Podwoj(struct Prostokat &p) {
    p.x = UWORD(p.x << 1);
    p.y = UWORD(p.y << 1);
    p.szer = UWORD(p.szer << 1);
    p.wys = UWORD(p.wys << 1);
}

void Skaluj_Uklad() {
    const LONG s = tryb_ekran;
    for (auto &f : Funk) {
        f.x = UWORD(BorderLEFT + (f.x << s));
        f.y = UWORD(BorderTOP + (f.y << s));
    }
    if (s != 1) return;
    for (auto &f : Funk) {
        f.szer = UWORD(f.szer << 1);
        f.wys = UWORD(f.wys << 1);
        f.zrodlo_x = UWORD(f.zrodlo_x << 1);
        f.zrodlo_y = UWORD(f.zrodlo_y << 1);
    }
    for (auto &k : Kafle) Podwoj(k);
    for (auto &c : Cyfry) Podwoj(c);
}

void Gfx_Kopia(LONG zx, LONG zy, LONG cx, LONG cy, LONG szer, LONG wys) {
    BltBitMapRastPort(BM_Grafika, zx, zy, RastPort, cx, cy, szer, wys, 0xC0);
}

void Gfx_Kopia_Maska(LONG zx, LONG zy, LONG cx, LONG cy, LONG szer, LONG wys) {
    BltMaskBitMapRastPort(BM_Grafika, zx, zy, RastPort, cx, cy, szer, wys, 0xE0, maska);
}

void Gfx_Tlo() {
    const LONG s = tryb_ekran;
    Gfx_Kopia(0, 0, BorderLEFT, BorderTOP, 320 << s, 240 << s);
}
