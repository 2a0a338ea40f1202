// No signals reach a page: its game ends by its own keys and buttons, or
// with the page.
#include "display/display.h"

namespace host {
void catch_quit_signals() {}
void release_quit_signals() {}
bool quit_signal_taken() { return false; }
} // namespace host
