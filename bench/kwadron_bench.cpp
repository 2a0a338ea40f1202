// Benchmarks of the game on the headless display, at both scales, with the
// shipped skins loaded the way the program loads them.
//
//   turn/S         one cursor key through Dekoduj_IDCMP: the four line moves
//                  with their redraws, the score counter, the new tile, the
//                  move check and the win test
//   cells/S        Gfx_Start_Cyfr, all sixteen cells
//   *_sdl/S        the same rectangle copies (taken from the record of
//                  copies) done with SDL_BlitSurface between two surfaces of
//                  the framebuffers' pixel form
//   *_memcpy/S     the same copies as plain memcpy per row
//   load/S         NewDTObject, the layout for the screen and the mask
//   mask/S         Generuj_Maske alone
//   scale/P        a 320 × 240 frame scaled 9× into a 3840 × 2160 screen
//                  (P 0: true colour, 1: pens through their colour table)
//
// After Google Benchmark's own report a summary prints the ratios and the
// cost per pixel (real time; with --benchmark_repetitions the fastest run).
// --figures=FILE also writes them as "name value" lines.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "amiga/datatypes.h"
#include "amiga/exec.h"
#include "amiga/graphics.h"
#include "host/control.h"
#include "host/headless.h"
#include "amiga/intuition.h"
#include "amiga/rawkeycodes.h"
#include "display/scale.h"
#include "graphics/graphics.h"
#include "app/app.h"
#include "gfx/gfx.h"
#include "platform/platform.h"
#include "rules/rules.h"

namespace {

// The layout tables as the program starts with them (Skaluj_Uklad changes
// them in place, once per start).
struct Tabele {
    Prostokat kafle[16];
    Prostokat cyfry[10];
    Przycisk funk[4];
};
const Tabele poczatek = [] {
    Tabele t;
    memcpy(t.kafle, Kafle, sizeof Kafle);
    memcpy(t.cyfry, Cyfry, sizeof Cyfry);
    memcpy(t.funk, Funk, sizeof Funk);
    return t;
}();


// A board on which a left move shifts, merges and redraws in every row,
// and its mirror image for a right move.
const LONG plansza_lewo[16] = {0, 1, 1, 2, 2, 0, 2, 3, 0, 0, 0, 4, 3, 3, 3, 3};
const LONG plansza_prawo[16] = {2, 1, 1, 0, 3, 2, 0, 2, 4, 0, 0, 0, 3, 3, 3, 3};
// Every cell holds a tile, for the whole-board redraw.
const LONG plansza_pelna[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

// Loads the skin onto the open screen, as the program does: layout for the
// screen's pixel form, then the mask.
bool Uloz_Skin() {
    SetDTAttrs(grafika, nullptr, nullptr, PDTA_Screen, Ekran, PDTA_Remap, TRUE, OBP_Precision,
               PRECISION_IMAGE, TAG_DONE);
    DoDTMethod(grafika, nullptr, nullptr, DTM_PROCLAYOUT, nullptr, 2);
    GetDTAttrs(grafika, PDTA_DestBitMap, &BM_Grafika, TAG_DONE);
    return BM_Grafika && Generuj_Maske(BM_Grafika);
}

void Zwolnij_Maske() {
    if (maska) FreeVecPooled(mem_pool, maska);
    if (mem_pool) DeletePool(mem_pool);
    maska = nullptr;
    mem_pool = nullptr;
}

void Zwolnij_Skin() {
    Zwolnij_Maske();
    if (grafika) DisposeDTObject(grafika);
    grafika = nullptr;
    BM_Header = nullptr;
    BM_Grafika = nullptr;
}

// The program's start on the headless display up to its first frame: the
// libraries, the shipped skin of the scale, a window on the public screen,
// the layout, the mask and the background.
bool Otworz_Gre(int skala) {
    host::reset_all();
    host::display_choose("headless");
    host::set_progdir(KWADRON_SKINS_DIR);
    memcpy(Kafle, poczatek.kafle, sizeof Kafle);
    memcpy(Cyfry, poczatek.cyfry, sizeof Cyfry);
    memcpy(Funk, poczatek.funk, sizeof Funk);
    tryb_ekran = 0;
    args[1] = 0;
    snprintf(nazwa_skina, sizeof nazwa_skina, "PROGDIR:%s", skala ? "grafika_aga2x" : "grafika_aga");
    if (!Zasoby_Otworz() || !Wczytaj_Grafike() || tryb_ekran != skala) return false;
    if (!Otworz_Ekran(0, tryb_ekran) || !Otworz_Okno(0, tryb_ekran)) return false;
    if (!Uloz_Skin()) return false;
    Skaluj_Uklad();
    Gfx_Tlo();
    return true;
}

void Zamknij_Gre() {
    Zasoby_Zamknij();
    host::reset_all();
}

struct Gra {
    bool ok;
    explicit Gra(benchmark::State &st) : ok(Otworz_Gre(int(st.range(0)))) {
        if (!ok) st.SkipWithError("the game could not be opened");
    }
    ~Gra() { Zamknij_Gre(); }
};

// The state before one timed move: a fixed board, a score below the best.
void Przygotuj(const LONG (&plansza)[16]) {
    memcpy(Tab_PoleGry, plansza, sizeof Tab_PoleGry);
    Punkty = 1000;
    High_Punkty = 50000;
    Sub_Punkty = 0;
    Gra_OK = 1;
    Gra_Won = 1;
}

ULONG Klawisz(UWORD kod) {
    IntuiMessage m{};
    m.Class = IDCMP_RAWKEY;
    m.Code = kod;
    return Dekoduj_IDCMP(&m);
}

void Ruch(bool lewo) {
    Przygotuj(lewo ? plansza_lewo : plansza_prawo);
    Klawisz(lewo ? RAWKEY_LEFT : RAWKEY_RIGHT);
}

// ---- The copies alone -------------------------------------------------------

struct Kopia {
    int sx, sy, w, h, dx, dy;
};
using Kopie = std::vector<Kopia>;

// The plain copies the game made while f ran.
template <class F> Kopie Zapisz(F f) {
    host::blit_log_clear();
    host::blit_log_enable(true);
    f();
    host::blit_log_enable(false);
    Kopie k;
    for (const auto &b : host::blit_log())
        if (!b.masked && b.src == BM_Grafika && b.dst == RastPort)
            k.push_back({int(b.sx), int(b.sy), int(b.w), int(b.h), int(b.dx), int(b.dy)});
    host::blit_log_clear();
    return k;
}

// SDL surfaces over the skin bitmap and the window's framebuffer: 32-bit
// 0x00RRGGBB in both, so SDL copies without conversion.
struct Powierzchnie {
    SDL_Surface *src = nullptr, *dst = nullptr;
    Powierzchnie() {
        const host::BitMapRec *s = host::rec(BM_Grafika), *d = host::rec(RastPort->BitMap);
        if (s->BytesPerPixel != 4 || d->BytesPerPixel != 4) return;
        src = SDL_CreateRGBSurfaceWithFormatFrom(s->Pixels, s->Width, s->Rows, 32, s->Width * 4,
                                                 SDL_PIXELFORMAT_RGB888);
        dst = SDL_CreateRGBSurfaceWithFormatFrom(d->Pixels, d->Width, d->Rows, 32, d->Width * 4,
                                                 SDL_PIXELFORMAT_RGB888);
        if (src) SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
    }
    ~Powierzchnie() {
        SDL_FreeSurface(src);
        SDL_FreeSurface(dst);
    }
};

void Kopiuj_SDL(const Powierzchnie &p, const Kopie &k) {
    for (const Kopia &c : k) {
        SDL_Rect s{c.sx, c.sy, c.w, c.h}, d{c.dx, c.dy, c.w, c.h};
        SDL_BlitSurface(p.src, &s, p.dst, &d);
    }
}

// Rectangles inside both bitmaps, as the game's copies are.
void Kopiuj_Memcpy(const Kopie &k) {
    const host::BitMapRec *s = host::rec(BM_Grafika), *d = host::rec(RastPort->BitMap);
    const size_t ss = size_t(s->Width) * 4, ds = size_t(d->Width) * 4;
    for (const Kopia &c : k) {
        const UBYTE *z = s->Pixels + size_t(c.sy) * ss + size_t(c.sx) * 4;
        UBYTE *do_ = d->Pixels + size_t(c.dy) * ds + size_t(c.dx) * 4;
        for (int y = 0; y < c.h; ++y, z += ss, do_ += ds) memcpy(do_, z, size_t(c.w) * 4);
    }
}

size_t Piksele(const Kopie &k) {
    size_t n = 0;
    for (const Kopia &c : k) n += size_t(c.w) * size_t(c.h);
    return n;
}

// ---- Benchmarks ---------------------------------------------------------------

// Alternate left and right moves, each on its fixed board (restoring the
// 16 cells is part of the loop; it is a 64-byte copy).
void turn(benchmark::State &st) {
    Gra g(st);
    if (!g.ok) return;
    srand(1);
    bool lewo = true;
    for (auto _ : st) {
        Ruch(lewo);
        lewo = !lewo;
    }
    benchmark::DoNotOptimize(Tab_PoleGry);
}

// The copies of one left and one right move, alternately.
template <bool sdl> void turn_copies(benchmark::State &st) {
    Gra g(st);
    if (!g.ok) return;
    srand(1);
    const Kopie k[2] = {Zapisz([] { Ruch(true); }), Zapisz([] { Ruch(false); })};
    Powierzchnie p;
    if (sdl && (!p.src || !p.dst)) return st.SkipWithError("no SDL surface");
    int i = 0;
    for (auto _ : st) {
        if (sdl)
            Kopiuj_SDL(p, k[i]);
        else
            Kopiuj_Memcpy(k[i]);
        i ^= 1;
    }
    st.counters["copies"] = double(k[0].size() + k[1].size()) / 2;
    st.counters["px"] = double(Piksele(k[0]) + Piksele(k[1])) / 2;
}

void cells(benchmark::State &st) {
    Gra g(st);
    if (!g.ok) return;
    memcpy(Tab_PoleGry, plansza_pelna, sizeof Tab_PoleGry);
    for (auto _ : st) Gfx_Start_Cyfr();
}

template <bool sdl> void cells_copies(benchmark::State &st) {
    Gra g(st);
    if (!g.ok) return;
    memcpy(Tab_PoleGry, plansza_pelna, sizeof Tab_PoleGry);
    const Kopie k = Zapisz([] { Gfx_Start_Cyfr(); });
    Powierzchnie p;
    if (sdl && (!p.src || !p.dst)) return st.SkipWithError("no SDL surface");
    for (auto _ : st) {
        if (sdl)
            Kopiuj_SDL(p, k);
        else
            Kopiuj_Memcpy(k);
    }
    st.counters["copies"] = double(k.size());
    st.counters["px"] = double(Piksele(k));
}

// The skin from its file to the laid-out bitmap and the mask (the release
// of the previous one is not timed).
void load(benchmark::State &st) {
    Gra g(st);
    if (!g.ok) return;
    const int64_t px = int64_t(BM_Header->bmh_Width) * BM_Header->bmh_Height;
    for (auto _ : st) {
        st.PauseTiming();
        Zwolnij_Skin();
        st.ResumeTiming();
        if (!Wczytaj_Grafike() || !Uloz_Skin()) return st.SkipWithError("the skin did not load");
    }
    st.SetItemsProcessed(st.iterations() * px);
    st.counters["px"] = double(px);
}

void mask(benchmark::State &st) {
    Gra g(st);
    if (!g.ok) return;
    const int64_t px = int64_t(host::rec(BM_Grafika)->Width) * BM_Grafika->Rows;
    for (auto _ : st) {
        st.PauseTiming();
        Zwolnij_Maske();
        st.ResumeTiming();
        if (!Generuj_Maske(BM_Grafika)) return st.SkipWithError("no mask");
    }
    st.SetItemsProcessed(st.iterations() * px);
    st.counters["px"] = double(px);
}

// The presenting scaler at a 3840 × 2160 fullscreen: 320 × 240 at 9×,
// centred. The frame is the one a game shows, not a flat colour.
void scale(benchmark::State &st) {
    const int w = 320, h = 240, dw = 3840, dh = 2160, z = 9;
    std::vector<uint32_t> rgb(size_t(w) * h), lut(256), out(size_t(dw) * dh);
    std::vector<uint8_t> pens(size_t(w) * h);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint32_t(i * 2654435761u) >> 8, pens[i] = uint8_t(i / 7);
    for (int i = 0; i < 256; ++i) lut[i] = 0xFF000000u | uint32_t(i * 0x010101);
    const host::ScaleTarget t{out.data(), size_t(dw) * 4, dw, dh};
    for (auto _ : st) {
        if (st.range(0))
            host::scale_pens(pens.data(), w, w, h, lut.data(), t, z, (dw - w * z) / 2, (dh - h * z) / 2);
        else
            host::scale_rgb(rgb.data(), w * 4, w, h, t, z, (dw - w * z) / 2, (dh - h * z) / 2);
        benchmark::ClobberMemory();
    }
    st.counters["px"] = double(w) * z * h * z;
}

BENCHMARK(turn)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(turn_copies<true>)->Name("turn_sdl")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(turn_copies<false>)->Name("turn_memcpy")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(cells)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(cells_copies<true>)->Name("cells_sdl")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(cells_copies<false>)->Name("cells_memcpy")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(load)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(mask)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(scale)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// ---- Summary ------------------------------------------------------------------

// Google Benchmark's console report, keeping each run's time and counters.
class Zbieracz : public benchmark::ConsoleReporter {
  public:
    struct Wynik {
        double ns = 0; // real time per iteration
        double px = 0;
    };
    std::map<std::string, Wynik> wyniki;

    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred || r.iterations == 0) continue;
            Wynik w;
            w.ns = r.real_accumulated_time * 1e9 / double(r.iterations);
            auto px = r.counters.find("px");
            if (px != r.counters.end()) w.px = px->second.value;
            // With repetitions the fastest counts: the others lost time to
            // whatever else the machine was doing.
            auto it = wyniki.find(r.run_name.function_name + "/" + r.run_name.args);
            if (it == wyniki.end() || w.ns < it->second.ns)
                wyniki[r.run_name.function_name + "/" + r.run_name.args] = w;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

void Podsumuj(const Zbieracz &z, const char *plik) {
    auto ns = [&](const std::string &n) {
        auto it = z.wyniki.find(n);
        return it == z.wyniki.end() ? 0.0 : it->second.ns;
    };
    auto px = [&](const std::string &n) {
        auto it = z.wyniki.find(n);
        return it == z.wyniki.end() ? 0.0 : it->second.px;
    };
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::vector<std::pair<std::string, double>> liczby;

    printf("\n%-34s %5s %11s %11s %11s %8s %8s\n", "what", "scale", "game us", "SDL blit us",
           "memcpy us", "game/SDL", "game/mem");
    for (const char *co : {"turn", "cells"}) {
        for (int s = 0; s < 2; ++s) {
            const std::string k = "/" + std::to_string(s);
            double g = ns(co + k), b = ns(std::string(co) + "_sdl" + k), m = ns(std::string(co) + "_memcpy" + k);
            printf("%-34s %5d %11.2f %11.2f %11.2f %8.2f %8.2f\n",
                   std::string(co) == "turn" ? "turn (key to every redraw)" : "Gfx_Start_Cyfr (16 cells)", s,
                   g / 1e3, b / 1e3, m / 1e3, ratio(g, b), ratio(g, m));
            liczby.push_back({std::string(co) + k + "_us", g / 1e3});
            liczby.push_back({std::string(co) + "_sdl" + k + "_us", b / 1e3});
            liczby.push_back({std::string(co) + "_memcpy" + k + "_us", m / 1e3});
            liczby.push_back({std::string(co) + k + "_per_sdl", ratio(g, b)});
            liczby.push_back({std::string(co) + k + "_per_memcpy", ratio(g, m)});
        }
    }
    printf("\n%-34s %5s %11s %11s\n", "what", "scale", "ms", "ns/pixel");
    for (const char *co : {"load", "mask"}) {
        for (int s = 0; s < 2; ++s) {
            const std::string n = co + ("/" + std::to_string(s));
            double t = ns(n), p = px(n);
            printf("%-34s %5d %11.3f %11.2f\n",
                   std::string(co) == "load" ? "skin load + layout + mask" : "mask (Generuj_Maske)", s, t / 1e6,
                   ratio(t, p));
            liczby.push_back({n + "_ms", t / 1e6});
            liczby.push_back({n + "_ns_per_px", ratio(t, p)});
        }
    }
    printf("\n%-34s %5s %11s %11s\n", "what", "pens", "ms", "ns/pixel");
    for (int p = 0; p < 2; ++p) {
        const std::string n = "scale/" + std::to_string(p);
        const double t = ns(n);
        printf("%-34s %5d %11.3f %11.3f\n", "scale 320x240 x9 into 3840x2160", p, t / 1e6, ratio(t, px(n)));
        liczby.push_back({n + "_ms", t / 1e6});
    }
    if (plik) {
        std::ofstream f(plik);
        for (auto &[n, v] : liczby) f << n << ' ' << v << '\n';
    }
}
} // namespace

int main(int argc, char **argv) {
    const char *plik = nullptr;
    std::vector<char *> reszta;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && !strncmp(argv[i], "--figures=", 10))
            plik = argv[i] + 10;
        else
            reszta.push_back(argv[i]);
    }
    int n = int(reszta.size());
    benchmark::Initialize(&n, reszta.data());
    if (benchmark::ReportUnrecognizedArguments(n, reszta.data())) return 1;
    Zbieracz z;
    benchmark::RunSpecifiedBenchmarks(&z);
    benchmark::Shutdown();
    Podsumuj(z, plik);
    return 0;
}
