// The SDL driver's views: a desktop window for each window of the public
// screen and each screen of the program's own, sized, placed and presented.
//
// Zoom: a window opens at the largest whole number z (at least 1) for which
// its inner size times z, with the window manager's frame, fits the
// desktop's usable area; a bare 1920 x 1080 desktop gives 1280 x 960 for
// both a 320 x 240 and a 640 x 480 window at zooms 4 and 2. The public
// screen is the usable area divided by the zoom for 320 x 240. A window can
// then be resized; it always keeps whole-number, nearest-pixel scaling.
#include <algorithm>
#include <cstdio>

#include "control/settings.h"
#include "control/trace.h"
#include "display/frame.h"
#include "display/sdl/sdl.h"
#include "display/sdl/x11.h"

namespace host {
namespace sdl {
std::vector<View *> views;

namespace {
// The name every window shows where the program gives none.
const char *const default_title = "Kwadron";

// Through the window's own surface: scaled by the host, the margins black.
void present_surface(View *v) {
    SDL_Surface *s = SDL_GetWindowSurface(v->win);
    if (!s || s->format->BytesPerPixel != 4) return;
    int z, ox, oy;
    layout(v, s->w, s->h, z, ox, oy);
    const int pw = v->lw * z, ph = v->lh * z;
    const SDL_Rect margins[4] = {{0, 0, s->w, std::max(0, oy)},
                                 {0, oy + ph, s->w, std::max(0, s->h - oy - ph)},
                                 {0, oy, std::max(0, ox), ph},
                                 {ox + pw, oy, std::max(0, s->w - ox - pw), ph}};
    SDL_FillRects(s, margins, 4, 0);
    compose_frame(v->window, v->screen, {static_cast<uint32_t *>(s->pixels), size_t(s->pitch), s->w, s->h}, z,
                  ox, oy);
    SDL_UpdateWindowSurface(v->win);
}

// Through an SDL renderer: a texture of the picture's own size, scaled by
// the renderer with whole-number, nearest-pixel scaling.
void present_renderer(View *v) {
    void *px;
    int pitch;
    if (v->tex && SDL_LockTexture(v->tex, nullptr, &px, &pitch) == 0) {
        compose_frame(v->window, v->screen, {static_cast<uint32_t *>(px), size_t(pitch), v->lw, v->lh}, 1, 0, 0);
        SDL_UnlockTexture(v->tex);
    }
    SDL_SetRenderDrawColor(v->ren, 0, 0, 0, 255);
    SDL_RenderClear(v->ren);
    if (v->tex) SDL_RenderCopy(v->ren, v->tex, nullptr, nullptr);
    SDL_RenderPresent(v->ren);
}

// A renderer only where the user names one (SDL_RENDER_DRIVER) or the window
// has no surface of 32-bit pixels to draw into (as on Wayland). The surface
// keeps the process small and quick to start: a renderer loads the whole
// OpenGL stack, most of it to scale one small picture.
bool make_renderer(View *v) {
    if (!settings().render_driver_named) {
        SDL_Surface *s = SDL_GetWindowSurface(v->win);
        if (s && s->format->BytesPerPixel == 4) return true;
    }
    v->ren = SDL_CreateRenderer(v->win, -1, 0);
    return v->ren && SDL_RenderSetLogicalSize(v->ren, v->lw, v->lh) == 0 &&
           SDL_RenderSetIntegerScale(v->ren, SDL_TRUE) == 0 && make_texture(v);
}

View *make_view(const char *title, int lw, int lh, int ww, int wh, Uint32 flags) {
    auto *v = new View{};
    v->lw = lw;
    v->lh = lh;
    if (!title || !*title) title = default_title;
    v->win = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ww, wh, flags);
    if (!v->win || !make_renderer(v)) {
        fprintf(stderr, "host: cannot open a display window: %s\n", SDL_GetError());
        if (v->tex) SDL_DestroyTexture(v->tex);
        if (v->ren) SDL_DestroyRenderer(v->ren);
        if (v->win) SDL_DestroyWindow(v->win);
        delete v;
        return nullptr;
    }
    v->fullscreen = flags & SDL_WINDOW_FULLSCREEN_DESKTOP;
    views.push_back(v);
    x11_watch_connection(v->win, connection_broken);
    return v;
}

// The window's frame as the window manager reports it; none where it
// cannot tell (no window manager, or not mapped yet).
void frame_of(SDL_Window *win, int &l, int &t, int &r, int &b) {
    if (SDL_GetWindowBordersSize(win, &t, &l, &b, &r) != 0) l = t = r = b = 0;
    l = std::max(l, 0), t = std::max(t, 0), r = std::max(r, 0), b = std::max(b, 0);
}

bool desktop_size(int &w, int &h) {
    SDL_DisplayMode m;
    if (!started || SDL_GetDesktopDisplayMode(0, &m) != 0 || m.w <= 0 || m.h <= 0) return false;
    w = m.w;
    h = m.h;
    return true;
}

int fit_zoom(int w, int h, int extra_w, int extra_h) {
    int uw, uh;
    if (w <= 0 || h <= 0 || !usable_size(uw, uh)) return 1;
    return std::max(1, std::min((uw - extra_w) / w, (uh - extra_h) / h));
}

// Sizes a window view at the largest zoom that fits with its frame, and
// centres it within the usable area.
void fit_window(View *v) {
    int l, t, r, b;
    frame_of(v->win, l, t, r, b);
    const int z = fit_zoom(v->lw, v->lh, l + r, t + b);
    const int ww = v->lw * z, wh = v->lh * z;
    int cw, ch;
    SDL_GetWindowSize(v->win, &cw, &ch);
    if (cw != ww || ch != wh) SDL_SetWindowSize(v->win, ww, wh);
    SDL_Rect u;
    if (SDL_GetDisplayUsableBounds(0, &u) == 0 && u.w > 0 && u.h > 0)
        SDL_SetWindowPosition(v->win, u.x + l + std::max(0, (u.w - ww - l - r) / 2),
                              u.y + t + std::max(0, (u.h - wh - t - b) / 2));
    else
        SDL_SetWindowPosition(v->win, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}
} // namespace

View *view_of(Uint32 window_id) {
    SDL_Window *w = SDL_GetWindowFromID(window_id);
    for (View *v : views)
        if (v->win == w) return v;
    return nullptr;
}

WindowRec *target(View *v) {
    if (!v) return nullptr;
    if (v->window) return v->window;
    return v->screen->windows.empty() ? nullptr : v->screen->windows.back();
}

void layout(View *v, int ww, int wh, int &z, int &ox, int &oy) {
    z = std::max(1, std::min(ww / v->lw, wh / v->lh));
    ox = (ww - v->lw * z) / 2;
    oy = (wh - v->lh * z) / 2;
}

// The desktop's area left to windows (panels and docks taken off).
bool usable_size(int &w, int &h) {
    SDL_Rect r;
    if (started && SDL_GetDisplayUsableBounds(0, &r) == 0 && r.w > 0 && r.h > 0) {
        w = r.w;
        h = r.h;
        return true;
    }
    return desktop_size(w, h);
}

int zoom_for(int w, int h) { return fit_zoom(w, h, 0, 0); }

// A resizable window of the inner size times the zoom, never smaller than
// the inner size; the window manager draws its frame, title and close box.
// Once mapped, the frame is known and may call for a smaller zoom.
bool open_window(WindowRec *w) {
    if (!start()) return false;
    const int z = zoom_for(w->Width, w->Height);
    View *v = make_view(w->title.c_str(), w->Width, w->Height, w->Width * z, w->Height * z, SDL_WINDOW_RESIZABLE);
    if (!v) return false;
    SDL_SetWindowMinimumSize(v->win, w->Width, w->Height);
    SDL_PumpEvents();
    fit_window(v);
    v->window = w;
    w->view = v;
    return true;
}

// A fullscreen view of exactly the screen's size, scaled to the desktop. The
// window is made desktop-sized too, so that it fills the desktop even where
// no window manager carries out the fullscreen request.
bool open_screen(ScreenRec *s) {
    if (!start()) return false;
    int dw = s->Width, dh = s->Height;
    desktop_size(dw, dh);
    View *v = make_view(default_title, s->Width, s->Height, dw, dh, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (!v) return false;
    SDL_SetWindowMinimumSize(v->win, s->Width, s->Height);
    v->screen = s;
    s->view = v;
    return true;
}

void close(View *v) {
    if (!v) return;
    forget_view(views, v);
    // Without its server a window is gone already; the process ends soon.
    if (!gone) {
        if (v->tex) SDL_DestroyTexture(v->tex);
        if (v->ren) SDL_DestroyRenderer(v->ren);
        SDL_DestroyWindow(v->win);
    }
    delete v;
}

bool make_texture(View *v) {
    v->tex = SDL_CreateTexture(v->ren, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, v->lw, v->lh);
    if (!v->tex) return false;
    SDL_SetTextureScaleMode(v->tex, SDL_ScaleModeNearest);
    SDL_SetTextureBlendMode(v->tex, SDL_BLENDMODE_NONE);
    return true;
}

void present(View *v) {
    if (gone) return;
    const long long cpu0 = cpu_now_us();
    v->stale = false;
    if (v->ren)
        present_renderer(v);
    else
        present_surface(v);
    trace_present(cpu_now_us() - cpu0);
}

void present_all() {
    for (View *v : views) present(v);
}

void present_stale() {
    for (View *v : views)
        if (v->stale) present(v);
}

// Before asking for fullscreen the window is given the display's size and
// place itself: where no window manager carries out the request, SDL still
// lays the picture out for the display, and a window of its old size would
// show it cropped. Leaving fullscreen gives back the window's own size and
// place (a screen's view, opened fullscreen, gets a window's).
void toggle_fullscreen(View *v) {
    v->fullscreen = !v->fullscreen;
    if (v->fullscreen) {
        SDL_GetWindowSize(v->win, &v->saved.w, &v->saved.h);
        SDL_GetWindowPosition(v->win, &v->saved.x, &v->saved.y);
        SDL_Rect d;
        if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(v->win)), &d) == 0) {
            SDL_SetWindowSize(v->win, d.w, d.h);
            SDL_SetWindowPosition(v->win, d.x, d.y);
        }
        SDL_SetWindowFullscreen(v->win, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_SetWindowFullscreen(v->win, 0);
        if (v->saved.w > 0 && v->saved.h > 0) {
            SDL_SetWindowSize(v->win, v->saved.w, v->saved.h);
            SDL_SetWindowPosition(v->win, v->saved.x, v->saved.y);
        } else {
            fit_window(v);
        }
    }
    v->stale = true;
}
} // namespace sdl
} // namespace host
