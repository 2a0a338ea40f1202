// The process entry of the host and the game's own entry function.
#pragma once

#include <string>
#include <vector>

#include "amiga/types.h"

// The game's entry: argc/argv for a shell start; argc 0 and a WBStartup *
// (cast to char **) for a start from the desktop. Returns the return code.
namespace program {
LONG main(LONG argc, char **argv);
}

namespace host {
// Records the process's argument words (argv[1] onwards) as the command line
// that ReadArgs parses. Called by the start-up code; tests call it too.
void set_command_line(int argc, char **argv);
void set_command_line(const std::vector<std::string> &words);
// The line ReadArgs sees for the recorded words: words with blanks, quotes,
// '=' or control characters are quoted, so each argv word stays one value
// ("SKIN=my skins/x" becomes SKIN="my skins/x"). Ends in a newline.
std::string command_line();
} // namespace host
