// Input messages: made by the drivers, queued on the windows' ports.
#include <sys/time.h>

#include "amiga/exec.h"
#include "display/display.h"

namespace host {
namespace {
void stamp(IntuiMessage *m) {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    m->Seconds = ULONG(tv.tv_sec);
    m->Micros = ULONG(tv.tv_usec);
}
} // namespace

// Allocates the message (GT_ReplyIMsg deletes it), stamps it with the time
// and queues it on the window's port; classes the window did not ask for
// are dropped. Mouse positions are window coordinates, borders included.
void post_input(Window *win, ULONG cls, UWORD code, WORD mouseX, WORD mouseY, UWORD qualifier) {
    if (!win || !(win->IDCMPFlags & cls)) return;
    IntuiMessage *m = new IntuiMessage{};
    m->Class = cls;
    m->Code = code;
    m->Qualifier = qualifier;
    m->MouseX = mouseX;
    m->MouseY = mouseY;
    m->IDCMPWindow = win;
    stamp(m);
    if (cls == IDCMP_MOUSEMOVE || cls == IDCMP_MOUSEBUTTONS) {
        win->MouseX = mouseX;
        win->MouseY = mouseY;
    }
    PutMsg(win->UserPort, &m->ExecMessage);
}

// The way out when no more input can come: a close message whatever the
// window asks for. The window, when known, gives its mouse position.
void post_close(MsgPort *port, Window *w) {
    IntuiMessage *m = new IntuiMessage{};
    m->Class = IDCMP_CLOSEWINDOW;
    if (w) {
        m->MouseX = w->MouseX;
        m->MouseY = w->MouseY;
    }
    m->IDCMPWindow = w;
    stamp(m);
    PutMsg(port, &m->ExecMessage);
}

void close_all_windows() {
    for (WindowRec *w : open_windows()) post_close(&w->host_Port, w);
}

bool input_waiting() {
    for (WindowRec *w : open_windows())
        for (Message *m = w->host_Port.mp_Head; m; m = reinterpret_cast<Message *>(m->mn_Node.ln_Succ)) {
            const auto *im = reinterpret_cast<IntuiMessage *>(m);
            const bool press = !(im->Code & IECODE_UP_PREFIX);
            if (im->Class == IDCMP_CLOSEWINDOW ||
                ((im->Class == IDCMP_RAWKEY || im->Class == IDCMP_MOUSEBUTTONS) && press))
                return true;
        }
    return false;
}
} // namespace host
