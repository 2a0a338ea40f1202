// No signals reach a page: its game ends by its own keys and buttons, or
// with the page (display/emscripten/).
#include "process/process.h"

namespace host {
void catch_quit_signals() {}
void release_quit_signals() {}
bool quit_signal_taken() { return false; }
bool quit_signal_was_players() { return false; }
int quit_signal_fd() { return -1; }
void process_reset() {}
} // namespace host
