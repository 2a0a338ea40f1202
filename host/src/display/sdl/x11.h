// The SDL display's watch over its X connection. Apart from the rest of the
// driver: the X headers name types as the native headers do.
#pragma once

struct SDL_Window;

namespace host {
// When the connection of the window's X display breaks, on_broken is called
// instead of Xlib ending the program; it must not return into Xlib. Nothing
// happens on other video drivers.
void x11_watch_connection(SDL_Window *win, void (*on_broken)());
} // namespace host
