// The SDL display: a window of its own for each window on the public screen,
// a fullscreen display for each screen the program opens, and the input
// events of both turned into input messages. This file starts and stops
// SDL, waits for input and makes the driver's record; views.cpp shows the
// pictures, input.cpp translates the events.
#include <SDL.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "control/settings.h"
#include "control/trace.h"
#include "display/sdl/sdl.h"
#include "display/sdl/x11.h"
#include "display/display.h"

namespace host {
namespace sdl {
bool started = false;
bool gone = false;

namespace {
bool failed = false;

// Where the display code goes on when the X connection breaks under one of
// its operations: Xlib would end the program at the next call that finds the
// connection broken, so no call of SDL or Xlib may follow.
jmp_buf *on_break = nullptr;

// Runs one operation of the record, leaving it where the connection breaks;
// nothing once it has.
template <class F> void guarded(F op) {
    if (gone) return;
    jmp_buf here;
    on_break = &here;
    if (setjmp(here) == 0) op();
    on_break = nullptr;
}

// The default public screen: the usable area seen through the zoom of a
// 320 x 240 window.
bool public_size(int &w, int &h) {
    int dw, dh;
    if (!start() || !usable_size(dw, dh)) return false;
    const int z = zoom_for(320, 240);
    w = std::max(1, dw / z);
    h = std::max(1, dh / z);
    return true;
}

// Takes every event already queued.
void pump() {
    if (!started) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) handle(e);
}

// Sleeps in SDL_WaitEventTimeout until the deadline, taking events as they
// come; a key, a button or a close cuts it short.
void hold(long long until_us) {
    if (!started) return;
    for (;;) {
        present_stale();
        const long long left = until_us - monotonic_us();
        if (left <= 0 || input_waiting()) return;
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, int((left + 999) / 1000))) {
            handle(e);
            pump();
        }
    }
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

// The display's refresh interval; 60 Hz where SDL cannot tell.
long long refresh_us() {
    SDL_DisplayMode m;
    if (started && SDL_GetCurrentDisplayMode(0, &m) == 0 && m.refresh_rate > 0) return 1000000 / m.refresh_rate;
    return 16667;
}

void shutdown() {
    while (!views.empty()) close(views.back());
    if (!started || gone) return;
    SDL_DelEventWatch(watch, nullptr);
    input_reset();
    SDL_Quit();
    started = false;
}

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
} // namespace

// Video, and game pads. The hints
// keep the screensaver and the desktop's compositing as they are, keep
// closing a window from also raising SDL_QUIT (which would close it twice)
// and leave the quit signals to the display code.
bool start() {
    if (started) return true;
    if (failed) return false;
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
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
    // Game pads, where the system has them. SDL reads them by polling while
    // one is connected, and not otherwise.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        fprintf(stderr, "host: no game pads: %s\n", SDL_GetError());
    // Added before any renderer, so that it sees mouse events first.
    SDL_AddEventWatch(watch, nullptr);
    started = true;
    return true;
}

// The X server went away: the display is marked lost, which asks every
// window to close, and the operation under way is left at once.
void connection_broken() {
    gone = true;
    display_lost();
    if (on_break) longjmp(*on_break, 1);
}
} // namespace sdl

const DisplayDriver sdl_driver = [] {
    using namespace sdl;
    DisplayDriver d{};
    d.name = "sdl";
    // Where a display server is named in the environment.
    d.by_default = [] { return settings().display_named; };
    d.opens = true;
    d.public_size = public_size;
    d.open_window = open_window;
    d.open_screen = open_screen;
    d.close = close;
    d.present = [] { guarded(present_all); };
    d.hold = [](long long until_us) { guarded([=] { hold(until_us); }); };
    d.pump = [] { guarded(pump); };
    d.wait = [](MsgPort *port, WindowRec *w) { guarded([=] { wait(port, w); }); };
    d.refresh_us = refresh_us;
    d.shutdown = shutdown;
    d.wake = wake;
    d.tell = tell;
    return d;
}();
} // namespace host
