// What the host's rooms share of exec: memory and the library check.
#pragma once

#include <cstddef>

namespace host {
// Zero-filled memory for the host's blocks, given back with free(). Large
// blocks are asked for in huge pages where the system allows, since page
// faults are most of what a picture's first touch costs.
void *zalloc(size_t size);

// What WaitPort does while the port is empty: the display installs its
// wait here (null: WaitPort gives up, a misuse).
void set_idle_hook(void (*idle)(struct MsgPort *port));

// Every call of a library's stand-in begins here: a call through a library
// that is not open (never opened, or closed) is reported as a misuse.
void library_check(const char *call, const char *library);
} // namespace host
