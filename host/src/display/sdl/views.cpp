// The SDL driver's views: a desktop window for each window of the public
// screen and each screen of the program's own, sized, placed and presented.
//
// A window opens at the zoom the core gives for its size in the desktop's
// usable area with the window manager's frame, centred there; a bare
// 1920 x 1080 desktop gives 1280 x 960 for both a 320 x 240 and a 640 x 480
// window. It can then be resized; the picture keeps whole-number,
// nearest-pixel scaling, centred, with black margins.
#include <algorithm>
#include <cstdio>

#include "control/settings.h"
#include "display/frame.h"
#include "display/sdl/sdl.h"
#include "display/sdl/x11.h"

namespace host {
namespace sdl {
namespace {
// The name every window shows where the program gives none.
const char *const default_title = "Kwadron";

void surface_size(View *v) { SDL_GetWindowSize(shown(v)->win, &v->surface_w, &v->surface_h); }

// Through the window's own surface: scaled by the host, the margins black.
void present_surface(View *v) {
    SDL_Surface *s = SDL_GetWindowSurface(shown(v)->win);
    if (!s || s->format->BytesPerPixel != 4) return;
    int z, ox, oy;
    view_layout(v->width, v->height, s->w, s->h, z, ox, oy);
    const int pw = v->width * z, ph = v->height * z;
    const SDL_Rect margins[4] = {{0, 0, s->w, std::max(0, oy)},
                                 {0, oy + ph, s->w, std::max(0, s->h - oy - ph)},
                                 {0, oy, std::max(0, ox), ph},
                                 {ox + pw, oy, std::max(0, s->w - ox - pw), ph}};
    SDL_FillRects(s, margins, 4, 0);
    compose_frame(v, {static_cast<uint32_t *>(s->pixels), size_t(s->pitch), s->w, s->h}, z, ox, oy);
    SDL_UpdateWindowSurface(shown(v)->win);
}

// Through an SDL renderer: a texture of the picture's own size, copied to
// the place and zoom the core gives.
void present_renderer(View *v) {
    Shown *d = shown(v);
    void *px;
    int pitch;
    if (d->tex && SDL_LockTexture(d->tex, nullptr, &px, &pitch) == 0) {
        compose_frame(v, {static_cast<uint32_t *>(px), size_t(pitch), v->width, v->height}, 1, 0, 0);
        SDL_UnlockTexture(d->tex);
    }
    int ow, oh, z, ox, oy;
    SDL_GetRendererOutputSize(d->ren, &ow, &oh);
    view_layout(v->width, v->height, ow, oh, z, ox, oy);
    const SDL_Rect to{ox, oy, v->width * z, v->height * z};
    SDL_SetRenderDrawColor(d->ren, 0, 0, 0, 255);
    SDL_RenderClear(d->ren);
    if (d->tex) SDL_RenderCopy(d->ren, d->tex, nullptr, &to);
    SDL_RenderPresent(d->ren);
}

// A renderer only where the user names one (SDL_RENDER_DRIVER) or the window
// has no surface of 32-bit pixels to draw into (as on Wayland). The surface
// keeps the process small and quick to start: a renderer loads the whole
// OpenGL stack, most of it to scale one small picture.
bool make_renderer(View *v) {
    Shown *d = shown(v);
    if (!settings().render_driver_named) {
        SDL_Surface *s = SDL_GetWindowSurface(d->win);
        if (s && s->format->BytesPerPixel == 4) return true;
    }
    d->ren = SDL_CreateRenderer(d->win, -1, 0);
    return d->ren && make_texture(v);
}

bool make_window(View *v, const char *title, int ww, int wh, Uint32 flags) {
    Shown *d = new Shown{};
    v->own = d;
    if (!title || !*title) title = default_title;
    d->win = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ww, wh, flags);
    if (!d->win || !make_renderer(v)) {
        fprintf(stderr, "host: cannot open a display window: %s\n", SDL_GetError());
        close(v);
        return false;
    }
    d->fullscreen = flags & SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_SetWindowMinimumSize(d->win, v->width, v->height);
    x11_watch_connection(d->win);
    return true;
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

// Sizes a window view at the zoom that fits with its frame, and centres it
// within the usable area.
void fit_window(View *v) {
    SDL_Window *win = shown(v)->win;
    int l, t, r, b, uw = v->width, uh = v->height;
    frame_of(win, l, t, r, b);
    usable_area(uw, uh);
    const int z = open_zoom(v->width, v->height, uw, uh, l + r, t + b);
    const int ww = v->width * z, wh = v->height * z;
    int cw, ch;
    SDL_GetWindowSize(win, &cw, &ch);
    if (cw != ww || ch != wh) SDL_SetWindowSize(win, ww, wh);
    SDL_Rect u;
    if (SDL_GetDisplayUsableBounds(0, &u) == 0 && u.w > 0 && u.h > 0)
        SDL_SetWindowPosition(win, u.x + l + std::max(0, (u.w - ww - l - r) / 2),
                              u.y + t + std::max(0, (u.h - wh - t - b) / 2));
    else
        SDL_SetWindowPosition(win, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    surface_size(v);
}
} // namespace

View *view_of(Uint32 window_id) {
    SDL_Window *w = SDL_GetWindowFromID(window_id);
    for (View *v : views())
        if (shown(v)->win == w) return v;
    return nullptr;
}

// The desktop's area left to windows (panels and docks taken off).
bool usable_area(int &w, int &h) {
    SDL_Rect r;
    if (!start()) return false;
    if (SDL_GetDisplayUsableBounds(0, &r) == 0 && r.w > 0 && r.h > 0) {
        w = r.w;
        h = r.h;
        return true;
    }
    return desktop_size(w, h);
}

// A window of the public screen: resizable, at its zoom; the window manager
// draws its frame, title and close box. Once mapped, the frame is known and
// may call for a smaller zoom. A screen of the program's own: fullscreen,
// its window made desktop-sized too, so that it fills the desktop even
// where no window manager carries out the fullscreen request.
bool open(View *v) {
    if (!start()) return false;
    if (v->window) {
        int uw = v->width, uh = v->height;
        usable_area(uw, uh);
        const int z = open_zoom(v->width, v->height, uw, uh);
        if (!make_window(v, v->window->title.c_str(), v->width * z, v->height * z, SDL_WINDOW_RESIZABLE)) return false;
        SDL_PumpEvents();
        fit_window(v);
        return true;
    }
    int dw = v->width, dh = v->height;
    desktop_size(dw, dh);
    if (!make_window(v, default_title, dw, dh, SDL_WINDOW_FULLSCREEN_DESKTOP)) return false;
    surface_size(v);
    return true;
}

void close(View *v) {
    Shown *d = shown(v);
    if (!d) return;
    // Without its server a window is gone already; the process ends soon.
    guarded([d] {
        if (d->tex) SDL_DestroyTexture(d->tex);
        if (d->ren) SDL_DestroyRenderer(d->ren);
        if (d->win) SDL_DestroyWindow(d->win);
    });
    delete d;
    v->own = nullptr;
}

bool make_texture(View *v) {
    Shown *d = shown(v);
    d->tex = SDL_CreateTexture(d->ren, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, v->width, v->height);
    if (!d->tex) return false;
    SDL_SetTextureScaleMode(d->tex, SDL_ScaleModeNearest);
    SDL_SetTextureBlendMode(d->tex, SDL_BLENDMODE_NONE);
    return true;
}

void present(View *v) {
    if (gone) return;
    if (shown(v)->ren)
        present_renderer(v);
    else
        present_surface(v);
}

// Before asking for fullscreen the window is given the display's size and
// place itself: where no window manager carries out the request, SDL still
// lays the picture out for the display, and a window of its old size would
// show it cropped. Leaving fullscreen gives back the window's own size and
// place (a screen's view, opened fullscreen, gets a window's).
void toggle_fullscreen(View *v) {
    Shown *d = shown(v);
    d->fullscreen = !d->fullscreen;
    if (d->fullscreen) {
        SDL_GetWindowSize(d->win, &d->saved.w, &d->saved.h);
        SDL_GetWindowPosition(d->win, &d->saved.x, &d->saved.y);
        SDL_Rect r;
        if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(d->win)), &r) == 0) {
            SDL_SetWindowSize(d->win, r.w, r.h);
            SDL_SetWindowPosition(d->win, r.x, r.y);
        }
        SDL_SetWindowFullscreen(d->win, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_SetWindowFullscreen(d->win, 0);
        if (d->saved.w > 0 && d->saved.h > 0) {
            SDL_SetWindowSize(d->win, d->saved.w, d->saved.h);
            SDL_SetWindowPosition(d->win, d->saved.x, d->saved.y);
        } else {
            fit_window(v);
        }
    }
    surface_size(v);
    view_stale(v);
}
} // namespace sdl
} // namespace host
