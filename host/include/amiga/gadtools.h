// gadtools: taking and answering a window's input messages.
#pragma once

#include "amiga/intuition.h"

// Next input message of the port, null when the port is empty.
struct IntuiMessage *GT_GetIMsg(struct MsgPort *port);
// Hands a message back to the system, which frees it.
void GT_ReplyIMsg(struct IntuiMessage *msg);
