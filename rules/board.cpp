// The game's state, as it stands at program start.
#include "rules/rules.h"

LONG Tab_PoleGry[16];

LONG Punkty = 0;
LONG Sub_Punkty = 0;
LONG High_Punkty = 0;

UBYTE Gra_OK = 1;
UBYTE Gra_Won = 1;
WORD Quit = 0;
