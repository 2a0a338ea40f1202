// What the SDL driver's files share: the views it shows, and how each file
// serves the others. Nothing outside the driver sees this.
#pragma once

#include <SDL.h>

#include <vector>

#include "display/display.h"

namespace host {
// A window of the desktop showing a window of the public screen, or a
// screen of the program's own with its windows.
struct View {
    SDL_Window *win = nullptr;
    SDL_Renderer *ren = nullptr;
    SDL_Texture *tex = nullptr;
    int lw = 0, lh = 0;           // logical size: the picture shown
    WindowRec *window = nullptr;  // a window on the public screen, or
    ScreenRec *screen = nullptr;  // an own screen with its windows
    bool fullscreen = false;
    SDL_Rect saved{};             // size and place as a window, before fullscreen
    bool stale = false;           // to be presented again
};

namespace sdl {
// driver.cpp: SDL started (on first use), and whether the X server went away,
// after which nothing may call SDL again.
extern bool started;
extern bool gone;
bool start();
// Called from a view's X connection when it breaks.
void connection_broken();

// views.cpp: every view shown, in opening order.
extern std::vector<View *> views;
View *view_of(Uint32 window_id);
// The window a view's input goes to: its own, or the front one on its screen.
WindowRec *target(View *v);
// Where the picture lies in a window of ww x wh: the largest whole-number
// zoom that fits, at least 1, centred.
void layout(View *v, int ww, int wh, int &z, int &ox, int &oy);
// The desktop's area left to windows; the largest zoom for w x h in it.
bool usable_size(int &w, int &h);
int zoom_for(int w, int h);
bool open_window(WindowRec *w);
bool open_screen(ScreenRec *s);
void close(View *v);
void present(View *v);
void present_all();
// Presents again the views that an event asked for.
void present_stale();
void toggle_fullscreen(View *v);
// A renderer's texture, made again after its device was reset.
bool make_texture(View *v);

// input.cpp: events into input messages, window events into presents.
void handle(const SDL_Event &e);
// Watches mouse events before a renderer rewrites them.
int SDLCALL watch(void *, SDL_Event *e);
void input_reset();
} // namespace sdl
} // namespace host
