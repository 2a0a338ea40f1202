// The headless display, for tests and benchmarks: the same framebuffers,
// no window; input comes from a queue, and what would be shown is counted.
#pragma once

#include <string>

#include "amiga/types.h"

namespace host {

struct HeadlessConfig {
    int pub_width = 1024;  // size of the public screen
    int pub_height = 768;
    int border_left = 0;   // window borders given to every window
    int border_top = 0;
    int border_right = 0;
    int border_bottom = 0;
};
// Settings of the headless display in place of the environment's, for the
// screens and windows opened afterwards (choose it with display_choose).
void headless_configure(const HeadlessConfig &cfg);

// Messages queued here are delivered to the next window that waits, in
// order. When the queue is empty a waiting window gets a close message, so
// a scripted run always ends.
void input_push(ULONG cls, UWORD code, WORD mouseX = 0, WORD mouseY = 0, UWORD qualifier = 0);
size_t input_pending();
// Reads a script of input lines (see host/src/display/headless/script.cpp).
bool input_script_load(const std::string &path, std::string *error = nullptr);

// Pictures presented since the last reset: every state the program drew
// that a display would have shown, in order.
int headless_presents();
// Writes each presented picture into the folder as frame-0001.png, ...
// ("" stops). KWADRON_FRAMES sets it for a whole run.
void headless_frames(const std::string &folder);

} // namespace host
