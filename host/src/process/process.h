// The process's own ends: the quit signals. From the program's first wait
// on, SIGHUP (the terminal closed), SIGINT and SIGTERM close the game as
// its close gadget does, so that the program ends its own way and keeps the
// best score.
#pragma once

namespace host {
// Takes over the quit signals (once; a signal that whoever started the
// program ignored stays ignored) and ignores SIGPIPE.
void catch_quit_signals();
// Gives them back as they were.
void release_quit_signals();
// Whether a quit signal came since the last call.
bool quit_signal_taken();
// Whether the last one was the player's own (Ctrl+C, SIGINT) rather than
// the session's (SIGHUP, SIGTERM).
bool quit_signal_was_players();
// A descriptor that becomes readable when a quit signal comes, for a wait
// to watch beside its own input; -1 where there is none.
int quit_signal_fd();
} // namespace host
