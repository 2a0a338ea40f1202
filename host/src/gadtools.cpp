// gadtools: a window's input messages. Messages are made by the display with
// new and given back here.
#include "amiga/gadtools.h"
#include "internal.h"

struct IntuiMessage *GT_GetIMsg(struct MsgPort *port) {
    host::library_check("GT_GetIMsg", "gadtools.library");
    return reinterpret_cast<IntuiMessage *>(GetMsg(port));
}

void GT_ReplyIMsg(struct IntuiMessage *msg) {
    host::library_check("GT_ReplyIMsg", "gadtools.library");
    delete msg;
}
