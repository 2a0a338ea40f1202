// Xlib ends the program (exit 1) when its connection to the X server breaks
// (the session ends, the server crashes). Its exit handler is taken over
// instead, and leaves the operation under way by an exception; the driver
// then makes no further call of the connection. The libraries are the ones
// SDL loaded, looked up by name: the program links neither.
#include "display/sdl/x11.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>


namespace host {
namespace {
// Returns, so that Xlib goes on to the exit handler instead of ending.
int io_error(Display *) { return 0; }

void exit_handler(Display *, void *) { throw sdl::ConnectionBroken{}; }

void *x11() {
    static void *lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    return lib;
}

bool wm_info(SDL_Window *win, SDL_SysWMinfo &info) {
    SDL_VERSION(&info.version);
    return win && SDL_GetWindowWMInfo(win, &info);
}
} // namespace

void x11_watch_connection(SDL_Window *win) {
    SDL_SysWMinfo info;
    if (!wm_info(win, info) || info.subsystem != SDL_SYSWM_X11 || !x11()) return;
    using SetExit = void (*)(Display *, void (*)(Display *, void *), void *);
    using SetError = int (*(*)(int (*)(Display *)))(Display *);
    auto set_exit = reinterpret_cast<SetExit>(dlsym(x11(), "XSetIOErrorExitHandler"));
    auto set_error = reinterpret_cast<SetError>(dlsym(x11(), "XSetIOErrorHandler"));
    if (!set_exit || !set_error) return;
    set_error(io_error);
    set_exit(info.info.x11.display, exit_handler, nullptr);
}

int display_connection_fd(SDL_Window *win) {
    SDL_SysWMinfo info;
    if (!wm_info(win, info)) return -1;
    if (info.subsystem == SDL_SYSWM_X11 && x11()) {
        using Number = int (*)(Display *);
        static const auto number = reinterpret_cast<Number>(dlsym(x11(), "XConnectionNumber"));
        if (number) return number(info.info.x11.display);
    }
#if SDL_VIDEO_DRIVER_WAYLAND
    if (info.subsystem == SDL_SYSWM_WAYLAND) {
        using GetFd = int (*)(struct wl_display *);
        static void *wl = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_NOLOAD);
        static const auto get_fd = wl ? reinterpret_cast<GetFd>(dlsym(wl, "wl_display_get_fd")) : nullptr;
        if (get_fd) return get_fd(info.info.wl.display);
    }
#endif
    return -1;
}
} // namespace host
