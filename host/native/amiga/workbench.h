// The start-up message of a program started from the desktop.
#pragma once

#include "amiga/exec.h"
#include "amiga/types.h"

struct WBArg {
    BPTR wa_Lock; // directory the entry lives in
    BYTE *wa_Name; // its file name in that directory
};

struct WBStartup {
    struct Message sm_Message; // how the desktop delivered it; unused here
    struct MsgPort *sm_Process;
    BPTR sm_Segment;
    LONG sm_NumArgs; // entries in sm_ArgList, the program itself included
    char *sm_ToolWindow;
    struct WBArg *sm_ArgList; // [0] the program, then the files passed to it
};
