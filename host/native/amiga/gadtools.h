// gadtools: taking and answering a window's input messages.
#pragma once

#include "amiga/intuition.h"

// Takes a window's next input message.
struct IntuiMessage *GT_GetIMsg(struct MsgPort *port);
// Answers an input message from GT_GetIMsg.
void GT_ReplyIMsg(struct IntuiMessage *msg);
