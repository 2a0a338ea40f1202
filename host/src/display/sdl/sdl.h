// What the SDL driver's files share. Nothing outside the driver sees this.
#pragma once

#include <SDL.h>

#include "display/driver.h"
#include "display/sdl/x11.h"

namespace host {
namespace sdl {
// The driver's own record of a view: a desktop window, shown through its
// own surface (or a renderer, where the user names one or there is no
// surface to draw into).
struct Shown {
    SDL_Window *win = nullptr;
    SDL_Renderer *ren = nullptr;
    SDL_Texture *tex = nullptr;
    bool fullscreen = false;
    SDL_Rect saved{}; // size and place as a window, before fullscreen
};
inline Shown *shown(View *v) { return static_cast<Shown *>(v->own); }

// driver.cpp: SDL started (on first use), and whether the display went
// away.
extern bool started;
extern bool gone;
bool start();
// Runs an operation of the driver, leaving it where the display's
// connection breaks (the display is then lost); nothing once it has.
template <class F> void guarded(F op) {
    if (gone) return;
    try {
        op();
    } catch (const ConnectionBroken &) {
        gone = true;
        display_lost();
    }
}

// views.cpp
bool usable_area(int &w, int &h);
bool open(View *v);
void close(View *v);
void present(View *v);
void toggle_fullscreen(View *v);
// A renderer's texture, made again after its device was reset.
bool make_texture(View *v);
// The view of an SDL window id; null for none of ours.
View *view_of(Uint32 window_id);

// input.cpp: an event, translated into the input room's calls.
void handle(const SDL_Event &e);
void input_reset();
} // namespace sdl
} // namespace host
