// What the web driver's files share. Nothing outside the driver sees this.
#pragma once

#include <vector>

#include "display/display.h"

namespace host {
// A window of the public screen, or a screen of the program's own with its
// windows, shown in the page's canvas.
struct View {
    WindowRec *window = nullptr;
    ScreenRec *screen = nullptr;
    int lw = 0, lh = 0; // the picture's size
};

namespace web {
// Every view open, in opening order; the last one is in the canvas.
extern std::vector<View *> views;
// The window the canvas's input goes to: the front view's own, or the
// front window of its screen.
WindowRec *input_window();
// Wakes a wait or a hold for input that has come (input.cpp calls it).
void wake();
// Starts taking the page's input, once.
void listen();
} // namespace web
} // namespace host
