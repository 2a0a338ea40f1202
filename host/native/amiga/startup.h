// The process entry of the host and the game's own entry function.
#pragma once

#include "amiga/types.h"

// The game's entry: argc/argv for a shell start; argc 0 and a WBStartup *
// (cast to char **) for a start from the desktop. Returns the return code.
namespace program {
LONG main(LONG argc, char **argv);
}
