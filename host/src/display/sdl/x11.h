// The SDL display's watch over its connection to the display server. Apart
// from the rest of the driver: the X headers name types as the native
// headers do.
#pragma once

struct SDL_Window;

namespace host {
namespace sdl {
// The display's connection broke under an operation: thrown from Xlib's
// exit handler, caught where the driver's operation began, after which
// nothing may call SDL again.
struct ConnectionBroken {};
} // namespace sdl

// When the connection of the window's X display breaks, Xlib's exit
// handler throws sdl::ConnectionBroken instead of ending the program.
// Nothing happens on other video drivers.
void x11_watch_connection(SDL_Window *win);
// The descriptor of the window's connection to its display server (X11 or
// Wayland), for a wait to poll; -1 where it cannot be had.
int display_connection_fd(SDL_Window *win);
} // namespace host
