// The display: which one is in use, the headless input queue, input
// messages, and what tests read back from windows.
#include <SDL.h>
#include <SDL_image.h>
#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "amiga/exec.h"
#include "display.h"
#include "internal.h"

namespace host {
namespace {
bool chosen = false;
DisplayKind kind = DisplayKind::None;
HeadlessConfig config;
std::deque<InputItem> &queue() {
    static std::deque<InputItem> q;
    return q;
}

// "WxH" into two positive numbers.
bool parse_size(const char *s, int &w, int &h) {
    int a = 0, b = 0;
    char end = 0;
    if (sscanf(s, "%dx%d%c", &a, &b, &end) != 2 || a <= 0 || b <= 0 || a > 16384 || b > 16384)
        return false;
    w = a;
    h = b;
    return true;
}

// Headless settings from the environment: KWADRON_PUBSCREEN, KWADRON_BORDERS
// and KWADRON_SCRIPT (see script.cpp). A bad value is reported and ignored.
void headless_environment() {
    if (const char *s = getenv("KWADRON_PUBSCREEN")) {
        if (!parse_size(s, config.pub_width, config.pub_height))
            fprintf(stderr, "host: KWADRON_PUBSCREEN=%s is not WxH\n", s);
    }
    if (const char *s = getenv("KWADRON_BORDERS")) {
        int l, t, r, b;
        char end = 0;
        if (sscanf(s, "%d,%d,%d,%d%c", &l, &t, &r, &b, &end) == 4 && l >= 0 && t >= 0 && r >= 0 &&
            b >= 0 && l < 128 && t < 128 && r < 128 && b < 128)
            config.border_left = l, config.border_top = t, config.border_right = r,
            config.border_bottom = b;
        else
            fprintf(stderr, "host: KWADRON_BORDERS=%s is not l,t,r,b\n", s);
    }
    if (const char *s = getenv("KWADRON_SCRIPT")) {
        std::string why;
        if (!input_script_load(s, &why)) fprintf(stderr, "host: %s\n", why.c_str());
    }
}

void choose(DisplayKind k) {
    chosen = true;
    kind = k;
    if (k == DisplayKind::Headless) headless_environment();
}

void microseconds(ULONG &secs, ULONG &micros) {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    secs = ULONG(tv.tv_sec);
    micros = ULONG(tv.tv_usec);
}

// Takes the next queue entries for the waiting window: snapshots are written
// as they come, the first message is posted; an empty queue posts a close.
void headless_wait(MsgPort *port, WindowRec *w) {
    auto &q = queue();
    while (!q.empty()) {
        InputItem it = q.front();
        q.pop_front();
        if (it.kind == InputItem::Snapshot) {
            if (!window_snapshot(w, it.path))
                fprintf(stderr, "host: cannot write snapshot %s\n", it.path.c_str());
            continue;
        }
        if (!(w->IDCMPFlags & it.cls)) continue;
        WORD x = it.x, y = it.y;
        if (it.inner) {
            x = WORD(x + w->BorderLeft);
            y = WORD(y + w->BorderTop);
        }
        post_input(w, it.cls, it.code, x, y, it.qualifier);
        if (port->mp_Head) return;
    }
    // Posted whatever the window asks for, so that a scripted run ends.
    IntuiMessage *m = new IntuiMessage{};
    m->Class = IDCMP_CLOSEWINDOW;
    m->MouseX = w->MouseX;
    m->MouseY = w->MouseY;
    m->IDCMPWindow = w;
    microseconds(m->Seconds, m->Micros);
    PutMsg(port, &m->ExecMessage);
}
} // namespace

DisplayKind display_active() {
    if (!chosen) {
        const char *e = getenv("KWADRON_DISPLAY");
        DisplayKind k = DisplayKind::None;
        if (e && !strcmp(e, "headless"))
            k = DisplayKind::Headless;
        else if (e && !strcmp(e, "sdl"))
            k = DisplayKind::Sdl;
        else if (e && !strcmp(e, "none"))
            k = DisplayKind::None;
        else if ((getenv("DISPLAY") && *getenv("DISPLAY")) ||
                 (getenv("SDL_VIDEODRIVER") && *getenv("SDL_VIDEODRIVER")) ||
                 (getenv("WAYLAND_DISPLAY") && *getenv("WAYLAND_DISPLAY")))
            k = DisplayKind::Sdl;
        choose(k);
    }
    return kind;
}

// Takes effect for screens and windows opened afterwards; a headless choice
// also reads the headless settings of the environment.
void display_select(DisplayKind k) { choose(k); }
DisplayKind display_kind() { return display_active(); }

void headless_configure(const HeadlessConfig &cfg) { config = cfg; }
const HeadlessConfig &headless_config() { return config; }

void input_queue_push(const InputItem &item) { queue().push_back(item); }

void input_push(ULONG cls, UWORD code, WORD mouseX, WORD mouseY, UWORD qualifier) {
    InputItem it;
    it.cls = cls;
    it.code = code;
    it.x = mouseX;
    it.y = mouseY;
    it.qualifier = qualifier;
    queue().push_back(it);
}

size_t input_pending() { return queue().size(); }

// Allocates the message (GT_ReplyIMsg deletes it), stamps it with the time
// and queues it on the window's port; classes the window did not ask for
// are dropped. Mouse positions are window coordinates, borders included.
void post_input(Window *win, ULONG cls, UWORD code, WORD mouseX, WORD mouseY, UWORD qualifier) {
    if (!win || !(win->IDCMPFlags & cls)) return;
    IntuiMessage *m = new IntuiMessage{};
    m->Class = cls;
    m->Code = code;
    m->Qualifier = qualifier;
    m->MouseX = mouseX;
    m->MouseY = mouseY;
    m->IDCMPWindow = win;
    microseconds(m->Seconds, m->Micros);
    if (cls == IDCMP_MOUSEMOVE || cls == IDCMP_MOUSEBUTTONS) {
        win->MouseX = mouseX;
        win->MouseY = mouseY;
    }
    PutMsg(win->UserPort, &m->ExecMessage);
}

// Called by WaitPort while the port is empty. Headless: feeds the queue;
// SDL: presents and sleeps in SDL_WaitEvent. A port that no open window owns
// gets a close message rather than a wait that could never end.
void display_wait(MsgPort *port) {
    if (!port) return;
    WindowRec *w = window_rec(static_cast<Window *>(port->mp_Owner));
    if (!w || &w->host_Port != port) {
        misuse("WaitPort on a port no open window owns");
        IntuiMessage *m = new IntuiMessage{};
        m->Class = IDCMP_CLOSEWINDOW;
        PutMsg(port, &m->ExecMessage);
        return;
    }
    if (display_active() == DisplayKind::Sdl)
        sdl_wait(port);
    else
        headless_wait(port, w);
}

Window *current_window() {
    const auto &ws = open_windows();
    return ws.empty() ? nullptr : ws.back();
}

ULONG bitmap_rgb(const BitMap *bm, const ColorMap *cm, LONG x, LONG y) {
    if (!bm || !bm->Pixels || x < 0 || y < 0 || x >= bm->Width || y >= bm->Rows) return 0;
    const UBYTE *row = bm->Pixels + size_t(y) * size_t(bm->Width) * bm->BytesPerPixel;
    if (bm->BytesPerPixel == 4) return reinterpret_cast<const uint32_t *>(row)[x] & 0xFFFFFF;
    return pen_rgb(cm, row[x]);
}

ULONG window_pixel(const Window *w, LONG x, LONG y) {
    const WindowRec *r = window_rec(w);
    if (!r) return 0;
    return bitmap_rgb(r->host_RastPort.BitMap, &r->screen->host_ColorMap, x, y);
}

// The inner area only, through the screen's colours; the file is replaced
// whole (written aside, then renamed).
bool window_snapshot(const Window *w, const std::string &png_path) {
    const WindowRec *r = window_rec(w);
    if (!r || png_path.empty()) return false;
    int iw = r->host_InnerWidth, ih = r->host_InnerHeight;
    if (iw <= 0 || ih <= 0) return false;
    SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, iw, ih, 24, SDL_PIXELFORMAT_RGB24);
    if (!s) return false;
    for (int y = 0; y < ih; ++y) {
        UBYTE *row = static_cast<UBYTE *>(s->pixels) + size_t(y) * s->pitch;
        for (int x = 0; x < iw; ++x) {
            ULONG c = bitmap_rgb(r->host_RastPort.BitMap, &r->screen->host_ColorMap,
                                 x + r->BorderLeft, y + r->BorderTop);
            row[3 * x] = UBYTE(c >> 16);
            row[3 * x + 1] = UBYTE(c >> 8);
            row[3 * x + 2] = UBYTE(c);
        }
    }
    std::string aside = png_path + ".part";
    bool ok = IMG_SavePNG(s, aside.c_str()) == 0;
    SDL_FreeSurface(s);
    if (ok) ok = rename(aside.c_str(), png_path.c_str()) == 0;
    if (!ok) remove(aside.c_str());
    return ok;
}

// Closes whatever is still open and SDL with it.
void display_shutdown() {
    screens_close_all();
    sdl_shutdown();
}

// For tests: nothing open, nothing queued, settings back to their defaults.
// The display choice is made again from the environment on next use.
void display_reset() {
    datatypes_reset();
    screens_close_all();
    queue().clear();
    config = HeadlessConfig{};
    chosen = false;
    kind = DisplayKind::None;
}
} // namespace host
