// Xlib ends the program (exit 1) when its connection to the X server breaks
// (the session ends, the server crashes). Its exit handler is taken over
// instead; the driver then makes no further call of the connection, since
// Xlib would end the program at the next one that found it broken. The
// library is the one SDL loaded, looked up by name: the program does not
// link it.
#include "display/sdl/x11.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

namespace host {
namespace {
void (*broken)() = nullptr;

// Returns, so that Xlib goes on to the exit handler instead of ending.
int io_error(Display *) { return 0; }

void exit_handler(Display *, void *) {
    if (broken) broken();
}
} // namespace

void x11_watch_connection(SDL_Window *win, void (*on_broken)()) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(win, &info) || info.subsystem != SDL_SYSWM_X11) return;
    static void *x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    using SetExit = void (*)(Display *, void (*)(Display *, void *), void *);
    using SetError = int (*(*)(int (*)(Display *)))(Display *);
    auto set_exit = x11 ? reinterpret_cast<SetExit>(dlsym(x11, "XSetIOErrorExitHandler")) : nullptr;
    auto set_error = x11 ? reinterpret_cast<SetError>(dlsym(x11, "XSetIOErrorHandler")) : nullptr;
    if (!set_exit || !set_error) return;
    broken = on_broken;
    set_error(io_error);
    set_exit(info.info.x11.display, exit_handler, nullptr);
}
} // namespace host
