// The display core: the driver chosen once, and the pacing of what is shown.
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
#include <cstring>
#include <vector>

#include "control/settings.h"
#include "control/trace.h"
#include "display/display.h"
#include "display/gestures.h"
#include "display/pads.h"
#include "host/control.h"

namespace host {
namespace {
// Every driver of the edition; adding one is a folder and a line here.
const DisplayDriver *const drivers[] = {
#ifdef __EMSCRIPTEN__
    &web_driver,
#else
    &sdl_driver, &headless_driver,
#endif
    &none_driver};

const DisplayDriver *driver = nullptr;

const DisplayDriver *named(const std::string &name) {
    for (const DisplayDriver *d : drivers)
        if (name == d->name) return d;
    return nullptr;
}

// KWADRON_DISPLAY names the driver; without it, the first that offers
// itself, else none.
const DisplayDriver *choose() {
    if (const DisplayDriver *d = named(settings().display)) return d;
    for (const DisplayDriver *d : drivers)
        if (d->by_default && d->by_default()) return d;
    return &none_driver;
}

// Rectangles copied into shown framebuffers since the last present.
struct Mark {
    const BitMap *bm;
    LONG x0, y0, x1, y1;
};
std::vector<Mark> drawn;
bool pacing = false;       // on from the program's first wait
long long hold_until = 0;  // the last present stays up until then

bool shown(const BitMap *bm) {
    for (WindowRec *w : open_windows())
        if (w->host_RastPort.BitMap == bm || w->screen->host_BitMap == bm) return true;
    return false;
}

void hold(long long until_us) {
    if (display().hold) display().hold(until_us);
}

// Presents the picture as it stands, after the one before has been up for
// its refresh.
void present_step() {
    const DisplayDriver &d = display();
    drawn.clear();
    if (d.pump) d.pump();
    if (input_waiting()) return;
    hold(hold_until);
    if (d.present) d.present();
    hold_until = monotonic_us() + refresh_interval_us();
}
} // namespace

const DisplayDriver &display() {
    if (!driver) driver = choose();
    return *driver;
}

bool display_choose(const char *name) {
    const DisplayDriver *d = named(name ? name : "");
    if (d) driver = d;
    return d != nullptr;
}

long long refresh_interval_us() { return display().refresh_us ? display().refresh_us() : 16667; }

void display_copy(const RastPort *rp, LONG x, LONG y, LONG w, LONG h) {
    if (!pacing || !rp || w <= 0 || h <= 0 || !shown(rp->BitMap)) return;
    const Mark m{rp->BitMap, x, y, x + w, y + h};
    for (const Mark &d : drawn)
        if (d.bm == m.bm && d.x0 < m.x1 && m.x0 < d.x1 && d.y0 < m.y1 && m.y0 < d.y1) {
            present_step();
            break;
        }
    drawn.push_back(m);
}

// A port that no open window owns gets a close message rather than a wait
// that could never end.
void display_wait(MsgPort *port) {
    if (!port) return;
    WindowRec *w = window_rec(static_cast<Window *>(port->mp_Owner));
    if (!w || &w->host_Port != port) {
        misuse("WaitPort on a port no open window owns");
        post_close(port, nullptr);
        return;
    }
    const DisplayDriver &d = display();
    if (!pacing) catch_quit_signals();
    if (quit_signal_taken()) {
        close_all_windows();
        return;
    }
    hold(hold_until);
    drawn.clear();
    pacing = true;
    hold_until = monotonic_us() + refresh_interval_us();
    if (d.wait)
        d.wait(port, w);
    else
        post_close(port, w);
}

void display_tell(const char *text) {
    if (display().tell) display().tell(text);
}

// Closes whatever is still open, and the display with it.
void display_shutdown() {
    release_quit_signals();
    screens_close_all();
    if (display().shutdown) display().shutdown();
}

// For tests: nothing open, nothing queued, every driver back to its start.
// The driver is chosen again from the settings on next use.
void display_reset() {
    datatypes_reset();
    screens_close_all();
    for (const DisplayDriver *d : drivers)
        if (d->reset) d->reset();
    driver = nullptr;
    drawn.clear();
    pacing = false;
    hold_until = 0;
    release_quit_signals();
    display_lost_reset();
    gestures_reset();
    pads_reset();
}
} // namespace host
