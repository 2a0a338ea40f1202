// The headless display: the same framebuffers, no window. Input comes from
// a queue (tests push to it, or an input script fills it: script.cpp), one
// message each time the program waits; what a display would show is
// counted and, on request, written as numbered PNGs. When the queue is used
// up a waiting window gets a close message, so a scripted run always ends.
// Settings (read when the display is first used): KWADRON_SCRIPT (a script
// loaded at start), KWADRON_PUBSCREEN=WxH (the public screen),
// KWADRON_BORDERS=l,t,r,b (window borders), KWADRON_FRAMES (folder for the
// presented pictures).
#include <csignal>
#include <cstdio>

#include "amiga/exec.h"
#include "control/settings.h"
#include "display/driver.h"
#include "display/input.h"
#include "display/headless/headless.h"
#include "host/control.h"
#include "host/headless.h"
#include "graphics/graphics.h"

namespace host {
namespace headless {
std::deque<InputItem> queue;
} // namespace headless

namespace {
using headless::InputItem;
using headless::queue;
HeadlessConfig config;
bool configured = false; // the environment's settings read
int presents = 0;
std::string frames;

// "WxH" into two positive numbers.
bool parse_size(const std::string &s, int &w, int &h) {
    int a = 0, b = 0;
    char end = 0;
    if (sscanf(s.c_str(), "%dx%d%c", &a, &b, &end) != 2 || a <= 0 || b <= 0 || a > 16384 || b > 16384)
        return false;
    w = a;
    h = b;
    return true;
}

// The environment's settings, once after each reset. A bad value is
// reported and ignored.
void configure() {
    if (configured) return;
    configured = true;
    const Settings &s = settings();
    if (!s.pubscreen.empty() && !parse_size(s.pubscreen, config.pub_width, config.pub_height))
        fprintf(stderr, "host: KWADRON_PUBSCREEN=%s is not WxH\n", s.pubscreen.c_str());
    if (!s.borders.empty()) {
        int l, t, r, b;
        char end = 0;
        if (sscanf(s.borders.c_str(), "%d,%d,%d,%d%c", &l, &t, &r, &b, &end) == 4 && l >= 0 &&
            t >= 0 && r >= 0 && b >= 0 && l < 128 && t < 128 && r < 128 && b < 128)
            config.border_left = l, config.border_top = t, config.border_right = r,
            config.border_bottom = b;
        else
            fprintf(stderr, "host: KWADRON_BORDERS=%s is not l,t,r,b\n", s.borders.c_str());
    }
    if (!s.script.empty()) {
        std::string why;
        if (!input_script_load(s.script, &why)) fprintf(stderr, "host: %s\n", why.c_str());
    }
    frames = s.frames;
}

bool public_size(int &w, int &h) {
    configure();
    w = config.pub_width;
    h = config.pub_height;
    return true;
}

void borders(int &l, int &t, int &r, int &b) {
    configure();
    l = config.border_left, t = config.border_top, r = config.border_right, b = config.border_bottom;
}

// A view is its picture, one to one.
bool open(View *) { return true; }

// Counts the picture and writes the front window's inner area when asked.
void present(View *) {
    ++presents;
    if (frames.empty() || open_windows().empty()) return;
    char name[32];
    snprintf(name, sizeof name, "/frame-%04d.png", presents);
    if (!window_snapshot(open_windows().back(), frames + name))
        fprintf(stderr, "host: cannot write %s%s\n", frames.c_str(), name);
}

// One queue entry for a blocked wait (no time passes on this display, so
// a wait with a deadline takes nothing): snapshots are written as they
// come, then one entry of input is handed to the input room. An empty
// queue closes the windows, so that a scripted run ends.
void wait(long long until_us, int) {
    configure();
    if (until_us >= 0) return;
    while (!queue.empty() && queue.front().kind == InputItem::Snapshot) {
        const std::string path = queue.front().path;
        queue.pop_front();
        if (!window_snapshot(current_window(), path))
            fprintf(stderr, "host: cannot write snapshot %s\n", path.c_str());
    }
    if (queue.empty()) {
        input::close_all();
        return;
    }
    const InputItem it = queue.front();
    queue.pop_front();
    if (it.kind == InputItem::Signal) {
        raise(it.signal);
        return;
    }
    if (it.kind == InputItem::Lost) {
        display_lost();
        return;
    }
    View *v = front_view();
    WindowRec *w = view_window(v);
    if (!w) return;
    if (!it.inner) {
        post_input(w, it.cls, it.code, it.x, it.y, it.qualifier);
        return;
    }
    int x = it.x, y = it.y;
    input::inner_to_view(v, x, y);
    const bool up = it.code & IECODE_UP_PREFIX;
    switch (it.cls) {
    case IDCMP_RAWKEY: input::key(v, UWORD(it.code & ~IECODE_UP_PREFIX), !up, false, it.qualifier); break;
    case IDCMP_MOUSEMOVE: input::pointer_move(v, x, y, it.qualifier); break;
    case IDCMP_MOUSEBUTTONS:
        input::pointer_button(v, it.code == SELECTDOWN || it.code == SELECTUP ? input::Left : input::Right, !up, x, y,
                              it.qualifier);
        break;
    case IDCMP_CLOSEWINDOW: input::close_box(v); break;
    default: post_input(w, it.cls, it.code, WORD(x), WORD(y), it.qualifier); break;
    }
}

void reset() {
    queue.clear();
    config = HeadlessConfig{};
    configured = false;
    presents = 0;
    frames.clear();
}
} // namespace

// No time passes on this display: holding and taking input cost nothing.
extern const DisplayDriver headless_driver = [] {
    DisplayDriver d{};
    d.name = "headless";
    d.opens = true;
    d.usable_area = public_size;
    d.borders = borders;
    d.open = open;
    d.present = present;
    d.wait = wait;
    d.refresh_us = [] { return 0LL; };
    d.reset = reset;
    return d;
}();

void headless_configure(const HeadlessConfig &cfg) {
    configure();
    config = cfg;
}

void input_push(ULONG cls, UWORD code, WORD mouseX, WORD mouseY, UWORD qualifier) {
    InputItem it;
    it.cls = cls;
    it.code = code;
    it.x = mouseX;
    it.y = mouseY;
    it.qualifier = qualifier;
    queue.push_back(it);
}
size_t input_pending() { return queue.size(); }

int headless_presents() { return presents; }
void headless_frames(const std::string &folder) { frames = folder; }


} // namespace host
