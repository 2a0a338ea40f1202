// The display core: the driver chosen once, the views it shows, the zoom,
// and one present-and-wait for every driver.
//
// Pacing. On the native screen every copy is visible the moment it lands,
// so a move that redraws its line several times is seen step by step. Here
// a window is shown by presenting its framebuffer, so before a copy lands on
// pixels already drawn since the last present, the picture as it stands is
// presented and kept up for one refresh of the display. The last picture of
// a turn is presented when the program waits for input. Pacing starts with
// the program's first wait (the start-up picture is not drawn step by step)
// and is skipped while a key, a button or a close is waiting, so the picture
// never trails the player's keys by more than one move.
#include "display/display.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "control/settings.h"
#include "control/trace.h"
#include "display/driver.h"
#include "display/input.h"
#include "exec/exec.h"
#include "graphics/graphics.h"
#include "host/control.h"
#include "keep/keep.h"
#include "process/process.h"

namespace host {
// The edition's drivers (display/<platform>/drivers.cpp), in the order they
// are offered; the last is none.
extern const DisplayDriver *const edition_drivers[];
extern const size_t edition_driver_count;

namespace {
const DisplayDriver *driver = nullptr;
std::vector<View *> shown;

// Rectangles copied into shown framebuffers since the last present.
struct Mark {
    const BitMap *bm;
    LONG x0, y0, x1, y1;
};
std::vector<Mark> drawn;
bool pacing = false;      // on from the program's first wait
long long hold_until = 0; // the last present stays up until then
std::vector<View *> stale;   // exposed: to be presented at the next chance
std::vector<View *> changed; // drawn into since their last present
bool lost = false;
bool quitting = false; // a quit signal came

// A quit signal: the session's (SIGHUP, SIGTERM) keeps the game for the
// next start; the player's own Ctrl+C ends it as Esc does.
void quit() {
    quitting = true;
    if (!quit_signal_was_players()) keep::ended_by_host();
}

const DisplayDriver *named(const std::string &name) {
    for (size_t i = 0; i < edition_driver_count; ++i)
        if (name == edition_drivers[i]->name) return edition_drivers[i];
    return nullptr;
}

// KWADRON_DISPLAY names the driver; without it, the first that offers
// itself, else none (the table's last).
const DisplayDriver *choose() {
    if (const DisplayDriver *d = named(settings().display)) return d;
    for (size_t i = 0; i < edition_driver_count; ++i)
        if (edition_drivers[i]->by_default && edition_drivers[i]->by_default()) return edition_drivers[i];
    return edition_drivers[edition_driver_count - 1];
}

void damage(const RastPort *rp, LONG x, LONG y, LONG w, LONG h);
void idle(MsgPort *port) { display_wait(port); }

void use(const DisplayDriver *d) {
    driver = d;
    set_idle_hook(idle);
    set_damage_hook(damage);
}

long long refresh_interval_us() { return display().refresh_us ? display().refresh_us() : 16667; }

bool shows(const View *v, const BitMap *bm) {
    if (v->window) return v->window->rastport.BitMap == bm;
    if (v->screen->bitmap == bm) return true;
    for (const WindowRec *w : v->screen->windows)
        if (w->rastport.BitMap == bm) return true;
    return false;
}

// What changed in the view, grown by the rectangle (the picture's pixels).
void changed_area(View *v, long x0, long y0, long x1, long y1) {
    x0 = std::max(0L, x0), y0 = std::max(0L, y0);
    x1 = std::min(long(v->width), x1), y1 = std::min(long(v->height), y1);
    if (x0 >= x1 || y0 >= y1) return;
    if (v->x0 >= v->x1 || v->y0 >= v->y1) {
        v->x0 = int(x0), v->y0 = int(y0), v->x1 = int(x1), v->y1 = int(y1);
        return;
    }
    v->x0 = std::min(v->x0, int(x0)), v->y0 = std::min(v->y0, int(y0));
    v->x1 = std::max(v->x1, int(x1)), v->y1 = std::max(v->y1, int(y1));
}

void all_changed(View *v) { changed_area(v, 0, 0, v->width, v->height); }

// Where in the view's picture a drawing into rp's bitmap lands: its own
// place, or the window's over its screen; null rp: a colour changed, the
// whole.
void note_area(View *v, const RastPort *rp, LONG x, LONG y, LONG w, LONG h) {
    if (!rp) return all_changed(v);
    long ox = 0, oy = 0;
    if (!v->window && rp->BitMap != v->screen->bitmap)
        for (const WindowRec *win : v->screen->windows)
            if (win->rastport.BitMap == rp->BitMap) ox = win->LeftEdge, oy = win->TopEdge;
    changed_area(v, ox + x, oy + y, ox + long(x) + w, oy + long(y) + h);
}

void forget(std::vector<View *> &list, View *v) { list.erase(std::remove(list.begin(), list.end(), v), list.end()); }

void note(std::vector<View *> &list, View *v) {
    if (std::find(list.begin(), list.end(), v) == list.end()) list.push_back(v);
}

void present(View *v) {
    const long long cpu0 = cpu_now_us();
    forget(stale, v);
    forget(changed, v);
    if (display().present) display().present(v);
    v->x0 = v->y0 = v->x1 = v->y1 = 0;
    trace_present(cpu_now_us() - cpu0);
}

void present_stale() {
    while (!stale.empty()) present(stale.front());
}

// What was drawn into or exposed since its last present: nothing else.
void present_changed() {
    present_stale();
    while (!changed.empty()) present(changed.front());
}

// Waits until the deadline, or until input that cuts it short comes;
// pictures that an expose asked for are shown meanwhile.
void hold(long long until_us) {
    if (!display().wait) return;
    for (;;) {
        present_stale();
        if (quit_signal_taken()) quit();
        if (lost || quitting || monotonic_us() >= until_us || input::waiting()) return;
        display().wait(until_us, quit_signal_fd());
    }
}

// Presents the picture as it stands, after the one before has been up for
// its refresh.
void present_step() {
    drawn.clear();
    if (display().wait) display().wait(0, -1);
    if (input::waiting() || lost) return;
    hold(hold_until);
    present_changed();
    hold_until = monotonic_us() + refresh_interval_us();
}

void damage(const RastPort *rp, LONG x, LONG y, LONG w, LONG h) {
    // Nothing is shown while a kept game is played back: every view opened
    // is still to be presented whole.
    if (keep::playing()) return;
    const auto on_view = [&](View *v) { return !rp || shows(v, rp->BitMap); };
    if (pacing && rp && w > 0 && h > 0 && std::any_of(shown.begin(), shown.end(), on_view)) {
        const Mark m{rp->BitMap, x, y, x + w, y + h};
        for (const Mark &d : drawn)
            if (d.bm == m.bm && d.x0 < m.x1 && m.x0 < d.x1 && d.y0 < m.y1 && m.y0 < d.y1) {
                present_step();
                break;
            }
        drawn.push_back(m);
    }
    // Noted after the step's present: what this draws is shown next.
    for (View *v : shown)
        if (on_view(v)) note(changed, v), note_area(v, rp, x, y, w, h);
}

View *open_view(WindowRec *w, ScreenRec *s, int width, int height) {
    if (!display().open) return nullptr;
    View *v = new View{w, s, width, height, width, height, nullptr};
    if (!display().open(v)) {
        delete v;
        return nullptr;
    }
    shown.push_back(v);
    note(changed, v);
    all_changed(v);
    return v;
}

void close_view(View *v) {
    if (!v) return;
    forget(shown, v);
    forget(stale, v);
    forget(changed, v);
    if (display().close) display().close(v);
    delete v;
}
} // namespace

const DisplayDriver &display() {
    if (!driver) use(choose());
    return *driver;
}

bool display_choose(const char *name) {
    const DisplayDriver *d = named(name ? name : "");
    if (d) use(d);
    return d != nullptr;
}

bool display_opens() { return display().opens; }

void display_public_size(int &w, int &h) {
    w = 640, h = 480;
    if (display().usable_area) display().usable_area(w, h);
}

void display_borders(int &l, int &t, int &r, int &b) {
    l = t = r = b = 0;
    if (display().borders) display().borders(l, t, r, b);
}

bool display_show(WindowRec *w) { return (w->view = open_view(w, nullptr, w->Width, w->Height)) != nullptr; }
bool display_show(ScreenRec *s) { return (s->view = open_view(nullptr, s, s->Width, s->Height)) != nullptr; }
void display_hide(WindowRec *w) {
    close_view(w->view);
    w->view = nullptr;
}
void display_hide(ScreenRec *s) {
    close_view(s->view);
    s->view = nullptr;
}

const std::vector<View *> &views() { return shown; }
View *front_view() { return shown.empty() ? nullptr : shown.back(); }

WindowRec *view_window(const View *v) {
    if (!v) return nullptr;
    if (v->window) return v->window;
    return v->screen->windows.empty() ? nullptr : v->screen->windows.back();
}

void view_layout(int w, int h, int sw, int sh, int &zoom, int &ox, int &oy) {
    zoom = w > 0 && h > 0 ? std::max(1, std::min(sw / w, sh / h)) : 1;
    ox = (sw - w * zoom) / 2;
    oy = (sh - h * zoom) / 2;
}

int open_zoom(int w, int h, int aw, int ah, int extra_w, int extra_h) {
    if (w <= 0 || h <= 0) return 1;
    return std::max(1, std::min((aw - extra_w) / w, (ah - extra_h) / h));
}

void view_stale(View *v) {
    if (!v) return;
    note(stale, v);
    all_changed(v);
}

// A port that no open window owns gets a close message rather than a wait
// that could never end. A quit signal, or a display gone, closes every
// window instead of waiting.
void display_wait(MsgPort *port) {
    if (!port) return;
    // A kept game is played back at the first waits, unseen.
    if (keep::play_some()) return;
    note_first_frame();
    WindowRec *w = port_window(port);
    if (!w) {
        misuse("WaitPort on a port no open window owns");
        post_close(port, nullptr);
        return;
    }
    if (!pacing) catch_quit_signals();
    hold(hold_until);
    present_changed();
    drawn.clear();
    pacing = true;
    hold_until = monotonic_us() + refresh_interval_us();
    while (!port->mp_Head) {
        if (quit_signal_taken()) quit();
        if (quitting || lost || !display().wait) {
            input::close_all();
            break;
        }
        display().wait(-1, quit_signal_fd());
        present_stale();
    }
}

// The display went away for good: the game is closed as by its close
// gadget, so that it ends its own way and keeps the best score; the program
// then ends with 20. Nothing is asked of the display after that.
void display_lost() {
    if (lost) return;
    lost = true;
    keep::ended_by_host();
    fprintf(stderr, "host: the display went away\n");
    input::close_all();
}

bool display_was_lost() { return lost; }

void display_tell(const char *text) {
    if (display().tell) display().tell(text);
}

// Closes whatever is still open, and the display with it.
void display_shutdown() {
    release_quit_signals();
    screens_close_all();
    if (display().shutdown) display().shutdown();
}

// For tests: nothing shown, nothing paced, every driver back to its start.
// The driver is chosen again from the settings on next use.
void display_reset() {
    for (size_t i = 0; i < edition_driver_count; ++i)
        if (edition_drivers[i]->reset) edition_drivers[i]->reset();
    driver = nullptr;
    drawn.clear();
    stale.clear();
    changed.clear();
    pacing = false;
    hold_until = 0;
    lost = false;
    quitting = false;
    input::reset();
}
} // namespace host
