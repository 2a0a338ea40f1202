// The least an SDL2 program does to show a picture: start SDL's video, open
// a window, present one picture of the game's size scaled by a whole number,
// exit. The yardstick for the game's start-up and memory, and a bench for
// the ways of presenting.
//
//   sdl_baseline [--renderer | --surface | --surface-rect] [--window WxH]
//                [--fullscreen] [--picture WxH] [--frames N]
//
//   --renderer      an SDL_Renderer (SDL_RENDER_DRIVER picks which, as for
//                   any SDL program) with a streaming texture, logical size
//                   and whole-number scale; the default
//   --surface       the window's own surface, the picture scaled into it by
//                   the host's scaler, black around it, the whole window
//                   updated at every picture. SDL would back the surface
//                   with a renderer's texture (OpenGL where there is one);
//                   SDL_HINT_FRAMEBUFFER_ACCELERATION "0" keeps it in the
//                   system's own shared-memory image, unless the variable
//                   SDL_FRAMEBUFFER_ACCELERATION says otherwise
//   --surface-rect  the same, updating only the part of the window that
//                   changed (one tile's square) after the first picture
//   --window WxH    window size (default 1280x960)
//   --fullscreen    a fullscreen window of the desktop's size instead
//   --picture WxH   the picture's own size (default 320x240)
//   --frames N      present N pictures, each with one square changed, and
//                   print "present-cpu-us M" (M: the median CPU time of a
//                   present after the first, all threads of the process)
//
// With KWADRON_TRACE=1 it prints "first-frame-us N" on stderr after the
// first present, timed as the game times its own (see frame_trace.cpp):
// from KWADRON_TRACE_T0 (wall-clock seconds at the command's start) if set.
#include <SDL.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/scale.h"

namespace {

enum class Mode { Renderer, Surface, SurfaceRect };

long long clock_us(clockid_t id) {
    timespec t{};
    clock_gettime(id, &t);
    return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

void note_first_frame(long long started_us) {
    const char *e = getenv("KWADRON_TRACE");
    if (!e || strcmp(e, "1") != 0) return;
    long long us = clock_us(CLOCK_MONOTONIC) - started_us;
    if (const char *t0 = getenv("KWADRON_TRACE_T0")) {
        char *end = nullptr;
        const double s = strtod(t0, &end);
        if (end != t0 && s > 0) us = clock_us(CLOCK_REALTIME) - (long long)(s * 1e6);
    }
    fprintf(stderr, "first-frame-us %lld\n", us);
    fflush(stderr);
}

bool size_arg(const char *s, int &w, int &h) {
    return s && sscanf(s, "%dx%d", &w, &h) == 2 && w > 0 && h > 0 && w <= 16384 && h <= 16384;
}

// A picture with some detail; frame n has a square of side `square` at a
// place of its own changed.
struct Picture {
    int w, h, square;
    std::vector<uint32_t> px;
    Picture(int w_, int h_) : w(w_), h(h_), square(std::max(1, std::min(w_, h_) / 4)), px(size_t(w_) * h_) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) px[size_t(y) * w + x] = uint32_t((x * 7) << 16 | (y * 5) << 8 | (x ^ y));
    }
    SDL_Rect changed(int n) const {
        const int cols = std::max(1, w / square), rows = std::max(1, h / square);
        return {(n % cols) * square, (n / cols % rows) * square, square, square};
    }
    void change(int n) {
        const SDL_Rect r = changed(n);
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) px[size_t(y) * w + x] ^= 0x00FFFFFFu;
    }
};

struct Shown {
    SDL_Window *win = nullptr;
    SDL_Renderer *ren = nullptr;
    SDL_Texture *tex = nullptr;
};

bool open_renderer(Shown &s, const Picture &p) {
    s.ren = SDL_CreateRenderer(s.win, -1, 0);
    if (!s.ren || SDL_RenderSetLogicalSize(s.ren, p.w, p.h) != 0 || SDL_RenderSetIntegerScale(s.ren, SDL_TRUE) != 0)
        return false;
    s.tex = SDL_CreateTexture(s.ren, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, p.w, p.h);
    return s.tex && SDL_SetTextureScaleMode(s.tex, SDL_ScaleModeNearest) == 0;
}

// The whole picture through the renderer, as the game's display does it.
bool present_renderer(Shown &s, const Picture &p) {
    void *px;
    int pitch;
    if (SDL_LockTexture(s.tex, nullptr, &px, &pitch) != 0) return false;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x)
            static_cast<uint32_t *>(px)[size_t(y) * (size_t(pitch) / 4) + x] = 0xFF000000u | p.px[size_t(y) * p.w + x];
    SDL_UnlockTexture(s.tex);
    SDL_SetRenderDrawColor(s.ren, 0, 0, 0, 255);
    SDL_RenderClear(s.ren);
    SDL_RenderCopy(s.ren, s.tex, nullptr, nullptr);
    SDL_RenderPresent(s.ren);
    return true;
}

// Through the window's surface: black around the picture on the first
// present, then the picture (or only the changed square) scaled into it.
bool present_surface(Shown &s, const Picture &p, const SDL_Rect *changed) {
    SDL_Surface *surf = SDL_GetWindowSurface(s.win);
    if (!surf || surf->format->BytesPerPixel != 4) return false;
    const int z = std::max(1, std::min(surf->w / p.w, surf->h / p.h));
    const int ox = (surf->w - p.w * z) / 2, oy = (surf->h - p.h * z) / 2;
    if (SDL_MUSTLOCK(surf)) SDL_LockSurface(surf);
    const host::ScaleTarget t{static_cast<uint32_t *>(surf->pixels), size_t(surf->pitch), surf->w, surf->h};
    SDL_Rect r = changed ? *changed : SDL_Rect{0, 0, p.w, p.h};
    if (!changed) SDL_FillRect(surf, nullptr, SDL_MapRGB(surf->format, 0, 0, 0));
    host::scale_rgb(p.px.data() + size_t(r.y) * p.w + r.x, size_t(p.w) * 4, r.w, r.h, t, z, ox + r.x * z,
                    oy + r.y * z);
    if (SDL_MUSTLOCK(surf)) SDL_UnlockSurface(surf);
    if (!changed) return SDL_UpdateWindowSurface(s.win) == 0;
    const SDL_Rect d{ox + r.x * z, oy + r.y * z, r.w * z, r.h * z};
    return SDL_UpdateWindowSurfaceRects(s.win, &d, 1) == 0;
}

int usage() {
    fprintf(stderr, "usage: sdl_baseline [--renderer | --surface | --surface-rect] [--window WxH] [--fullscreen]\n"
                    "                    [--picture WxH] [--frames N]\n");
    return 2;
}
} // namespace

int main(int argc, char **argv) {
    const long long started = clock_us(CLOCK_MONOTONIC);
    Mode mode = Mode::Renderer;
    int ww = 1280, wh = 960, pw = 320, ph = 240, frames = 1;
    bool fullscreen = false;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        const char *next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!strcmp(a, "--renderer")) mode = Mode::Renderer;
        else if (!strcmp(a, "--surface")) mode = Mode::Surface;
        else if (!strcmp(a, "--surface-rect")) mode = Mode::SurfaceRect;
        else if (!strcmp(a, "--fullscreen")) fullscreen = true;
        else if (!strcmp(a, "--window") && size_arg(next, ww, wh)) ++i;
        else if (!strcmp(a, "--picture") && size_arg(next, pw, ph)) ++i;
        else if (!strcmp(a, "--frames") && next && (frames = atoi(next)) > 0 && frames <= 100000) ++i;
        else return usage();
    }

    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    if (mode != Mode::Renderer) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "sdl_baseline: %s\n", SDL_GetError());
        return 1;
    }
    Uint32 flags = 0;
    if (fullscreen) {
        SDL_DisplayMode dm;
        if (SDL_GetDesktopDisplayMode(0, &dm) == 0) ww = dm.w, wh = dm.h;
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    Picture pic(pw, ph);
    Shown s;
    s.win = SDL_CreateWindow("sdl_baseline", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ww, wh, flags);
    bool ok = s.win && (mode != Mode::Renderer || open_renderer(s, pic));

    std::vector<long long> cpu;
    for (int n = 0; ok && n < frames; ++n) {
        SDL_PumpEvents();
        SDL_Rect r = pic.changed(n);
        if (n > 0) pic.change(n);
        const long long c0 = clock_us(CLOCK_PROCESS_CPUTIME_ID);
        if (mode == Mode::Renderer) ok = present_renderer(s, pic);
        else ok = present_surface(s, pic, mode == Mode::SurfaceRect && n > 0 ? &r : nullptr);
        if (n > 0) cpu.push_back(clock_us(CLOCK_PROCESS_CPUTIME_ID) - c0);
        if (n == 0) note_first_frame(started);
    }
    if (!ok) fprintf(stderr, "sdl_baseline: %s\n", SDL_GetError());
    if (ok && !cpu.empty()) {
        std::sort(cpu.begin(), cpu.end());
        printf("present-cpu-us %lld\n", cpu[cpu.size() / 2]);
    }
    if (s.tex) SDL_DestroyTexture(s.tex);
    if (s.ren) SDL_DestroyRenderer(s.ren);
    if (s.win) SDL_DestroyWindow(s.win);
    SDL_Quit();
    return ok ? 0 : 1;
}
