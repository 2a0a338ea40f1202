// gadtools: a window's input messages. Messages are made by the display with
// new and given back here.
#include "amiga/gadtools.h"
#include "exec/exec.h"

// The port's first message, taken off as by GetMsg; null when it is empty.
// There are no gadgets, so no gadget messages are made or filtered.
struct IntuiMessage *GT_GetIMsg(struct MsgPort *port) {
    host::library_check("GT_GetIMsg", "gadtools.library");
    return reinterpret_cast<IntuiMessage *>(GetMsg(port));
}

// Frees the message (null does nothing); there is no reply port to send it to.
void GT_ReplyIMsg(struct IntuiMessage *msg) {
    host::library_check("GT_ReplyIMsg", "gadtools.library");
    delete msg;
}
