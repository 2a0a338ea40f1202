// The SDL display: a window of its own for each window on the public screen,
// a fullscreen display for each screen the program opens, and the input
// events of both turned into input messages.
//
// Zoom: a window opens at the largest whole number z (at least 1) for which
// its inner size times z, with the window manager's frame, fits the
// desktop's usable area; a bare 1920 x 1080 desktop gives 1280 x 960 for
// both a 320 x 240 and a 640 x 480 window at zooms 4 and 2. The public
// screen is the usable area divided by the zoom for 320 x 240. A window can
// then be resized; it always keeps whole-number, nearest-pixel scaling.
#include <SDL.h>

#include <algorithm>
#include <csetjmp>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "display/display.h"
#include "display/sdl/x11.h"
#include "display/scale.h"
#include "internal.h"
#include "control/settings.h"

namespace host {
struct View {
    SDL_Window *win = nullptr;
    SDL_Renderer *ren = nullptr;
    SDL_Texture *tex = nullptr;
    int lw = 0, lh = 0;           // logical size: the picture shown
    WindowRec *window = nullptr;  // a window on the public screen, or
    ScreenRec *screen = nullptr;  // an own screen with its windows
    bool fullscreen = false;
    SDL_Rect saved{};             // size and place as a window, before fullscreen
    bool stale = false;           // to be presented again
};

namespace {
bool started = false;
bool failed = false;
bool gone = false; // the X server went away: no more calls to it
std::vector<View *> views;
bool swallowed[SDL_NUM_SCANCODES];

// Positions of mouse events in game pixels, worked out before the renderer
// rewrites the events (it truncates towards zero, so -0.5 would become 0).
struct MousePos {
    Uint32 type, window_id, timestamp;
    int x, y;
};
std::deque<MousePos> positions;

constexpr UWORD NOBUTTON = 0xFF;
constexpr UWORD Q_LSHIFT = 0x1, Q_RSHIFT = 0x2, Q_CAPS = 0x4, Q_CTRL = 0x8, Q_LALT = 0x10,
                Q_RALT = 0x20, Q_LCMD = 0x40, Q_RCMD = 0x80, Q_MID = 0x1000,
                Q_RBUT = 0x2000, Q_LBUT = 0x4000;

View *view_of(Uint32 window_id) {
    SDL_Window *w = SDL_GetWindowFromID(window_id);
    for (View *v : views)
        if (v->win == w) return v;
    return nullptr;
}

// The window a view's input goes to: its own, or the front one on its screen.
WindowRec *target(View *v) {
    if (!v) return nullptr;
    if (v->window) return v->window;
    return v->screen->windows.empty() ? nullptr : v->screen->windows.back();
}

// Where the picture lies in the window: the largest whole-number zoom that
// fits, centred; at least 1.
void layout(View *v, int ww, int wh, int &z, int &ox, int &oy) {
    z = std::max(1, std::min(ww / v->lw, wh / v->lh));
    ox = (ww - v->lw * z) / 2;
    oy = (wh - v->lh * z) / 2;
}

int SDLCALL watch(void *, SDL_Event *e) {
    int x, y;
    Uint32 id;
    if (e->type == SDL_MOUSEMOTION)
        x = e->motion.x, y = e->motion.y, id = e->motion.windowID;
    else if (e->type == SDL_MOUSEBUTTONDOWN || e->type == SDL_MOUSEBUTTONUP)
        x = e->button.x, y = e->button.y, id = e->button.windowID;
    else
        return 1;
    View *v = view_of(id);
    if (!v) return 1;
    int ww, wh, z, ox, oy;
    SDL_GetWindowSize(v->win, &ww, &wh);
    layout(v, ww, wh, z, ox, oy);
    if (positions.size() > 4096) positions.pop_front();
    positions.push_back({e->type, id, e->common.timestamp, int(std::floor(double(x - ox) / z)),
                         int(std::floor(double(y - oy) / z))});
    return 1;
}

// The floored position recorded for the event; the event's own otherwise.
void logical_pos(const SDL_Event &e, int x, int y, Uint32 id, int &lx, int &ly) {
    while (!positions.empty()) {
        MousePos p = positions.front();
        positions.pop_front();
        if (p.type == e.type && p.window_id == id && p.timestamp == e.common.timestamp) {
            lx = p.x;
            ly = p.y;
            return;
        }
    }
    lx = x;
    ly = y;
}

// Raw key codes of the keys the program reads; others are not passed on.
UWORD raw_key(SDL_Scancode sc) {
    switch (sc) {
    case SDL_SCANCODE_ESCAPE: return 0x45;
    case SDL_SCANCODE_UP: return 0x4C;
    case SDL_SCANCODE_DOWN: return 0x4D;
    case SDL_SCANCODE_RIGHT: return 0x4E;
    case SDL_SCANCODE_LEFT: return 0x4F;
    default: return 0xFFFF;
    }
}

UWORD qualifier(Uint16 mod) {
    UWORD q = 0;
    if (mod & KMOD_LSHIFT) q |= Q_LSHIFT;
    if (mod & KMOD_RSHIFT) q |= Q_RSHIFT;
    if (mod & KMOD_CAPS) q |= Q_CAPS;
    if (mod & KMOD_CTRL) q |= Q_CTRL;
    if (mod & KMOD_LALT) q |= Q_LALT;
    if (mod & KMOD_RALT) q |= Q_RALT;
    if (mod & KMOD_LGUI) q |= Q_LCMD;
    if (mod & KMOD_RGUI) q |= Q_RCMD;
    Uint32 b = SDL_GetMouseState(nullptr, nullptr);
    if (b & SDL_BUTTON_LMASK) q |= Q_LBUT;
    if (b & SDL_BUTTON_RMASK) q |= Q_RBUT;
    if (b & SDL_BUTTON_MMASK) q |= Q_MID;
    return q;
}

// The frame into t at zoom z from (ox, oy): a window's framebuffer, or a
// screen's picture with each of its windows over it at its place.
void compose(View *v, const ScaleTarget &t, int z, int ox, int oy) {
    auto put = [&](const BitMap *bm, const ColorMap *cm, int x, int y) {
        if (!bm || !bm->Pixels) return;
        const size_t pitch = size_t(bm->Width) * bm->BytesPerPixel;
        if (bm->BytesPerPixel == 4) {
            scale_rgb(reinterpret_cast<const uint32_t *>(bm->Pixels), pitch, bm->Width, bm->Rows, t, z,
                      ox + x * z, oy + y * z);
        } else {
            uint32_t lut[256];
            for (unsigned i = 0; i < 256; ++i) lut[i] = pen_rgb(cm, i);
            scale_pens(bm->Pixels, pitch, bm->Width, bm->Rows, lut, t, z, ox + x * z, oy + y * z);
        }
    };
    if (v->window) {
        put(v->window->host_RastPort.BitMap, &v->window->screen->host_ColorMap, 0, 0);
    } else {
        ScreenRec *s = v->screen;
        put(s->host_BitMap, &s->host_ColorMap, 0, 0);
        for (WindowRec *w : s->windows)
            put(w->host_RastPort.BitMap, &s->host_ColorMap, w->LeftEdge, w->TopEdge);
    }
}

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
    compose(v, {static_cast<uint32_t *>(s->pixels), size_t(s->pitch), s->w, s->h}, z, ox, oy);
    SDL_UpdateWindowSurface(v->win);
}

// Through an SDL renderer: a texture of the picture's own size, scaled by
// the renderer with whole-number, nearest-pixel scaling.
void present_renderer(View *v) {
    void *px;
    int pitch;
    if (v->tex && SDL_LockTexture(v->tex, nullptr, &px, &pitch) == 0) {
        compose(v, {static_cast<uint32_t *>(px), size_t(pitch), v->lw, v->lh}, 1, 0, 0);
        SDL_UnlockTexture(v->tex);
    }
    SDL_SetRenderDrawColor(v->ren, 0, 0, 0, 255);
    SDL_RenderClear(v->ren);
    if (v->tex) SDL_RenderCopy(v->ren, v->tex, nullptr, nullptr);
    SDL_RenderPresent(v->ren);
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

bool make_texture(View *v) {
    v->tex = SDL_CreateTexture(v->ren, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, v->lw, v->lh);
    if (!v->tex) return false;
    SDL_SetTextureScaleMode(v->tex, SDL_ScaleModeNearest);
    SDL_SetTextureBlendMode(v->tex, SDL_BLENDMODE_NONE);
    return true;
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

// The X server went away: the display is marked lost, which asks every
// window to close, so the game ends its own way; a quit event ends a wait.
// Where the display code goes on when the X connection breaks under one of
// its operations: Xlib would end the program at the next call that finds the
// connection broken, so no call of SDL or Xlib may follow.
jmp_buf *on_break = nullptr;

// The X server went away: the display is marked lost, which asks every
// window to close, and the operation under way is left at once.
void connection_broken() {
    gone = true;
    display_lost();
    if (on_break) longjmp(*on_break, 1);
}

// Runs one operation of the record, leaving it where the connection breaks;
// nothing once it has.
template <class F> void guarded(F op) {
    if (gone) return;
    jmp_buf here;
    on_break = &here;
    if (setjmp(here) == 0) op();
    on_break = nullptr;
}

// The name every window shows where the program gives none.
const char *const default_title = "Kwadron";

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
void borders(SDL_Window *win, int &l, int &t, int &r, int &b) {
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
} // namespace

// The desktop's area left to windows (panels and docks taken off).
bool sdl_usable_size(int &w, int &h) {
    SDL_Rect r;
    if (started && SDL_GetDisplayUsableBounds(0, &r) == 0 && r.w > 0 && r.h > 0) {
        w = r.w;
        h = r.h;
        return true;
    }
    return desktop_size(w, h);
}

namespace {

int fit_zoom(int w, int h, int extra_w, int extra_h) {
    int uw, uh;
    if (w <= 0 || h <= 0 || !sdl_usable_size(uw, uh)) return 1;
    return std::max(1, std::min((uw - extra_w) / w, (uh - extra_h) / h));
}

// Sizes a window view at the largest zoom that fits with its frame, and
// centres it within the usable area.
void fit_window(View *v) {
    int l, t, r, b;
    borders(v->win, l, t, r, b);
    int z = fit_zoom(v->lw, v->lh, l + r, t + b);
    int ww = v->lw * z, wh = v->lh * z, cw, ch;
    SDL_GetWindowSize(v->win, &cw, &ch);
    if (cw != ww || ch != wh) SDL_SetWindowSize(v->win, ww, wh);
    SDL_Rect u;
    if (SDL_GetDisplayUsableBounds(0, &u) == 0 && u.w > 0 && u.h > 0)
        SDL_SetWindowPosition(v->win, u.x + l + std::max(0, (u.w - ww - l - r) / 2),
                              u.y + t + std::max(0, (u.h - wh - t - b) / 2));
    else
        SDL_SetWindowPosition(v->win, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
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

void close_message(WindowRec *w) {
    if (w) post_input(w, IDCMP_CLOSEWINDOW, 0, w->MouseX, w->MouseY, 0);
}

void on_key(const SDL_KeyboardEvent &k) {
    View *v = view_of(k.windowID);
    SDL_Scancode sc = k.keysym.scancode;
    if (sc < 0 || sc >= SDL_NUM_SCANCODES) return;
    bool down = k.type == SDL_KEYDOWN;
    if (down && !k.repeat) trace_key();
    // F11 and Alt+Enter switch the view between window and fullscreen.
    if (down && (sc == SDL_SCANCODE_F11 ||
                 (sc == SDL_SCANCODE_RETURN && (k.keysym.mod & KMOD_ALT)))) {
        swallowed[sc] = true;
        if (v && !k.repeat) toggle_fullscreen(v);
        return;
    }
    if (!down && swallowed[sc]) {
        swallowed[sc] = false;
        return;
    }
    WindowRec *w = target(v);
    UWORD code = raw_key(sc);
    if (!w || code == 0xFFFF) return;
    UWORD q = qualifier(k.keysym.mod);
    if (k.repeat) q |= IEQUALIFIER_REPEAT;
    post_input(w, IDCMP_RAWKEY, down ? code : UWORD(code | IECODE_UP_PREFIX), w->MouseX, w->MouseY, q);
}

void on_mouse(const SDL_Event &e) {
    bool motion = e.type == SDL_MOUSEMOTION;
    Uint32 id = motion ? e.motion.windowID : e.button.windowID;
    View *v = view_of(id);
    WindowRec *w = target(v);
    if (!w) return;
    int lx, ly;
    logical_pos(e, motion ? e.motion.x : e.button.x, motion ? e.motion.y : e.button.y, id, lx, ly);
    if (v->screen) {
        lx -= w->LeftEdge;
        ly -= w->TopEdge;
    }
    bool inside = lx >= 0 && ly >= 0 && lx < w->Width && ly < w->Height;
    UWORD q = qualifier(SDL_GetModState());
    if (motion) {
        if (inside) post_input(w, IDCMP_MOUSEMOVE, NOBUTTON, WORD(lx), WORD(ly), q);
        return;
    }
    bool down = e.type == SDL_MOUSEBUTTONDOWN;
    UWORD code;
    switch (e.button.button) {
    case SDL_BUTTON_LEFT: code = down ? SELECTDOWN : SELECTUP; break;
    case SDL_BUTTON_MIDDLE: code = down ? MIDDLEDOWN : MIDDLEUP; break;
    case SDL_BUTTON_RIGHT:
        // Without RMBTrap the right button belongs to the menus.
        if (!(w->Flags & WFLG_RMBTRAP)) return;
        code = down ? MENUDOWN : MENUUP;
        break;
    default: return;
    }
    // A press outside the picture keeps its out-of-range position.
    lx = std::clamp(lx, -32768, 32767);
    ly = std::clamp(ly, -32768, 32767);
    post_input(w, IDCMP_MOUSEBUTTONS, code, WORD(lx), WORD(ly), q);
}

void handle(const SDL_Event &e) {
    switch (e.type) {
    case SDL_QUIT:
        for (WindowRec *w : open_windows()) close_message(w);
        break;
    case SDL_WINDOWEVENT: {
        View *v = view_of(e.window.windowID);
        if (!v) break;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: close_message(target(v)); break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED: v->stale = true; break;
        default: break;
        }
        break;
    }
    case SDL_RENDER_DEVICE_RESET:
        for (View *v : views) {
            if (!v->ren) continue;
            if (v->tex) SDL_DestroyTexture(v->tex);
            v->tex = nullptr;
            make_texture(v);
            v->stale = true;
        }
        break;
    case SDL_RENDER_TARGETS_RESET:
        for (View *v : views) v->stale = true;
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: on_key(e.key); break;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: on_mouse(e); break;
    default: break;
    }
}
} // namespace

namespace {
// Video only: with other subsystems up SDL_WaitEvent would poll. The hints
// keep the screensaver and the desktop's compositing as they are, and keep
// closing a window from also raising SDL_QUIT (which would close it twice).
bool start() {
    if (started) return true;
    if (failed) return false;
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The display code handles the quit signals itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // With the software renderer, SDL would otherwise show its window surface
    // through an OpenGL texture and load the whole GL stack for it (about
    // 90 MB resident with Mesa's software rasteriser). The environment still
    // takes precedence.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "host: no display: %s\n", SDL_GetError());
        failed = true;
        return false;
    }
    // A display nobody sees (offscreen, dummy, ...) only when the user names
    // it: a stale DISPLAY must end in the game's own message, not a window
    // that does not exist.
    const char *driver = SDL_GetCurrentVideoDriver();
    if (!settings().sdl_driver_named && !(driver && (!strcmp(driver, "x11") || !strcmp(driver, "wayland")))) {
        fprintf(stderr, "host: no display that can be seen (SDL found \"%s\")\n", driver ? driver : "");
        SDL_Quit();
        failed = true;
        return false;
    }
    // Added before any renderer, so that it sees mouse events first.
    SDL_AddEventWatch(watch, nullptr);
    started = true;
    return true;
}


} // namespace

int sdl_zoom_for(int w, int h) { return fit_zoom(w, h, 0, 0); }

namespace {
// The default public screen: the usable area seen through the zoom of a
// 320 x 240 window.
bool public_size(int &w, int &h) {
    int dw, dh;
    if (!start() || !sdl_usable_size(dw, dh)) return false;
    int z = sdl_zoom_for(320, 240);
    w = std::max(1, dw / z);
    h = std::max(1, dh / z);
    return true;
}

// The window manager draws the frame: no borders inside the window.
void no_borders(int &l, int &t, int &r, int &b) { l = t = r = b = 0; }

// A resizable window of the inner size times the zoom, never smaller than
// the inner size; the window manager draws its frame, title and close box.
// Once mapped, the frame is known and may call for a smaller zoom.
bool open_window(WindowRec *w) {
    if (!start()) return false;
    int z = sdl_zoom_for(w->Width, w->Height);
    View *v = make_view(w->title.c_str(), w->Width, w->Height, w->Width * z, w->Height * z,
                           SDL_WINDOW_RESIZABLE);
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
    views.erase(std::remove(views.begin(), views.end(), v), views.end());
    if (v->window) v->window->view = nullptr;
    if (v->screen) v->screen->view = nullptr;
    // Without its server a window is gone already; the process ends soon.
    if (!gone) {
        if (v->tex) SDL_DestroyTexture(v->tex);
        if (v->ren) SDL_DestroyRenderer(v->ren);
        SDL_DestroyWindow(v->win);
    }
    delete v;
}

void present_all() {
    for (View *v : views) present(v);
}

// Takes every event already queued.
void pump() {
    if (!started) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) handle(e);
}

// Presents again the views that an event asked for.
void present_stale() {
    for (View *v : views)
        if (v->stale) present(v);
}

// Sleeps in SDL_WaitEventTimeout until the deadline, taking events as they
// come; a key, a button or a close cuts it short.
void hold(long long until_us) {
    if (!started) return;
    for (;;) {
        present_stale();
        long long left = until_us - monotonic_us();
        if (left <= 0 || input_waiting()) return;
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, int((left + 999) / 1000))) {
            handle(e);
            pump();
        }
    }
}

// The display's refresh interval; 60 Hz where SDL cannot tell.
long long refresh_us() {
    SDL_DisplayMode m;
    if (started && SDL_GetCurrentDisplayMode(0, &m) == 0 && m.refresh_rate > 0)
        return 1000000 / m.refresh_rate;
    return 16667;
}

// Shows what was drawn, then sleeps in SDL_WaitEvent (no timer, no polling)
// until an event puts a message on the port. Events already queued are
// taken together before the views that asked for it are presented again.
void wait(MsgPort *port, WindowRec *) {
    present_all();
    while (!port->mp_Head) {
        SDL_Event e;
        if (!SDL_WaitEvent(&e)) {
            fprintf(stderr, "host: waiting for input failed: %s\n", SDL_GetError());
            post_close(port, static_cast<Window *>(port->mp_Owner));
            return;
        }
        handle(e);
        pump();
        present_stale();
    }
}

void shutdown() {
    while (!views.empty()) close(views.back());
    if (!started || gone) return;
    SDL_DelEventWatch(watch, nullptr);
    positions.clear();
    SDL_Quit();
    started = false;
}
} // namespace

// From another thread: a quit event ends SDL's wait, and its handling closes
// the windows.
void wake() {
    if (!started || gone) return;
    SDL_Event e{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
}

// A message box of the desktop's, without a window of the game's.
void tell(const char *text) { SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Kwadron", text, nullptr); }

const DisplayDriver sdl_driver = {
    "sdl",
    true,
    public_size,
    no_borders,
    open_window,
    open_screen,
    close,
    [] { guarded(present_all); },
    [](long long until_us) { guarded([=] { hold(until_us); }); },
    [] { guarded(pump); },
    [](MsgPort *port, WindowRec *w) { guarded([=] { wait(port, w); }); },
    refresh_us,
    shutdown,
    wake,
    tell};
} // namespace host
