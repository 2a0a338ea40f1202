// The SDL display: a window of its own for each window on the public screen,
// a fullscreen display for each screen the program opens. This file starts
// and stops SDL, waits for its events and makes the driver's record;
// views.cpp shows the pictures, input.cpp translates the events.
//
// The wait polls the display's own connection beside the descriptor the
// core gives (a quit signal's), so that the main thread wakes by itself and
// no other thread ever calls SDL or Xlib.
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "control/settings.h"
#include "control/trace.h"
#include "display/driver.h"
#include "display/sdl/sdl.h"
#include "display/sdl/x11.h"
#include "host/control.h"

namespace host {
namespace sdl {
bool started = false;
bool gone = false;

namespace {
bool failed = false;

// Takes every event that has come; true when there was any.
bool take_events() {
    SDL_PumpEvents();
    bool any = false;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        handle(e);
        any = true;
    }
    return any;
}

// The connection to poll: the first view's (one server for all).
int connection_fd() {
    for (View *v : views())
        if (int fd = display_connection_fd(shown(v)->win); fd >= 0) return fd;
    return -1;
}

// Polls the connection and wake_fd until something comes or the deadline
// passes. Pads are read by polling while one is open, as SDL itself does;
// without a connection to poll, the wait looks again every tenth of a
// second (only on displays a user names).
void wait(long long until_us, int wake_fd) {
    if (!started || take_events() || until_us == 0) return;
    const int fd = connection_fd();
    for (;;) {
        int ms = -1;
        if (until_us > 0) {
            const long long left = until_us - monotonic_us();
            if (left <= 0) return;
            ms = int((left + 999) / 1000);
        }
        const int most = SDL_NumJoysticks() > 0 ? 8 : fd < 0 ? 100 : -1;
        if (most >= 0 && (ms < 0 || ms > most)) ms = most;
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake_fd, POLLIN, 0}};
        if (poll(fds, 2, ms) < 0 && errno != EINTR) {
            fprintf(stderr, "host: waiting for input failed: %s\n", strerror(errno));
            display_lost();
            return;
        }
        if (fds[1].revents) return;
        const bool hung_up = fds[0].revents & (POLLHUP | POLLERR | POLLNVAL);
        if (take_events()) return;
        // The server closed the connection and SDL did not notice (as on
        // Wayland): the display is lost all the same.
        if (hung_up) {
            gone = true;
            display_lost();
            return;
        }
    }
}

// The display's refresh interval; 60 Hz where SDL cannot tell.
long long refresh_us() {
    SDL_DisplayMode m;
    if (started && !gone && SDL_GetCurrentDisplayMode(0, &m) == 0 && m.refresh_rate > 0) return 1000000 / m.refresh_rate;
    return 16667;
}

// SDL's last calls of the display find out whether it is still there.
void shutdown() {
    if (!started) return;
    input_reset();
    guarded([] { SDL_Quit(); });
    started = false;
}

// A message box of the desktop's, without a window of the game's.
void tell(const char *text) { SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Kwadron", text, nullptr); }
} // namespace

// Video, and game pads. The hints keep the screensaver and the desktop's
// compositing as they are, keep closing a window from also raising SDL_QUIT
// (which would close it twice) and leave the quit signals to the process.
bool start() {
    if (started) return !gone;
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
    started = true;
    return true;
}
} // namespace sdl

extern const DisplayDriver sdl_driver = [] {
    using namespace sdl;
    DisplayDriver d{};
    d.name = "sdl";
    // Where a display server is named in the environment.
    d.by_default = [] { return settings().display_named; };
    d.opens = true;
    d.usable_area = [](int &w, int &h) {
        bool ok = false;
        guarded([&] { ok = usable_area(w, h); });
        return ok;
    };
    d.open = [](View *v) {
        bool ok = false;
        guarded([&] { ok = open(v); });
        return ok;
    };
    d.close = close;
    d.present = [](View *v) { guarded([=] { present(v); }); };
    d.wait = [](long long until_us, int wake_fd) { guarded([=] { wait(until_us, wake_fd); }); };
    d.refresh_us = refresh_us;
    d.shutdown = shutdown;
    d.tell = tell;
    return d;
}();
} // namespace host
