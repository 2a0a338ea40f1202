// gadtools: a window's input messages. Messages are made by the display with
// new and given back here.
#include "amiga/gadtools.h"

struct IntuiMessage *GT_GetIMsg(struct MsgPort *port) {
    return reinterpret_cast<IntuiMessage *>(GetMsg(port));
}

void GT_ReplyIMsg(struct IntuiMessage *msg) { delete msg; }
