// intuition: windows. A window draws into a framebuffer of its screen's
// pixel form, which the display driver shows.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "amiga/intuition.h"
#include "control/settings.h"
#include "display/display.h"
#include "exec/exec.h"
#include "graphics/graphics.h"
#include "host/control.h"
#include "intuition/intuition.h"
#include "utility/tags.h"

namespace host {
namespace {
std::vector<WindowRec *> &windows() {
    static std::vector<WindowRec *> v;
    return v;
}

// Native window flag bits that the boolean tags stand for.
constexpr ULONG WFLG_DEPTHGADGET = 0x4, WFLG_CLOSEGADGET = 0x8, WFLG_BACKDROP = 0x100,
                WFLG_ACTIVATE = 0x1000, WFLG_NOCAREREFRESH = 0x20000;
// WA_BackFill value that leaves the window unfilled.
constexpr IPTR LAYERS_NOBACKFILL = 1;

} // namespace

void window_close(WindowRec *w, bool final_snapshot) {
    if (final_snapshot) {
        const std::string &path = settings().snapshot;
        if (!path.empty() && !window_snapshot(w, path))
            fprintf(stderr, "host: cannot write snapshot %s\n", path.c_str());
    }
    // Messages not taken are given back here, as the system does.
    while (Message *m = GetMsg(&w->port)) delete reinterpret_cast<IntuiMessage *>(m);
    display_hide(w);
    auto &sw = w->screen->windows;
    sw.erase(std::remove(sw.begin(), sw.end(), w), sw.end());
    auto &all = windows();
    all.erase(std::remove(all.begin(), all.end(), w), all.end());
    ledger_remove("window", w);
    bitmap_destroy(w->rastport.BitMap, false);
    delete w;
}
WindowRec *window_rec(const Window *w) {
    if (!w) return nullptr;
    for (WindowRec *r : windows())
        if (r == w) return r;
    return nullptr;
}

const std::vector<WindowRec *> &open_windows() { return windows(); }

WindowRec *port_window(const MsgPort *port) {
    for (WindowRec *r : windows())
        if (&r->port == port) return r;
    return nullptr;
}

} // namespace host

using host::ScreenRec;
using host::WindowRec;

// Opens a window on WA_CustomScreen, WA_PubScreen or else the public screen.
// Size: WA_InnerWidth/WA_InnerHeight, or WA_Width/WA_Height as outer size,
// else the screen's; place WA_Left/WA_Top as given (not moved onto the
// screen). Borders: none on SDL (the window manager draws the frame), the
// configured ones headless. The framebuffer is filled with pen 0's colour
// unless WA_BackFill is LAYERS_NOBACKFILL. WA_Title, WA_IDCMP, WA_Flags and
// the gadget and activation switches are recorded; there are no gadgets to
// draw, and the close gadget is the window manager's. Null without a
// display, on a fault, or for a bad screen.
struct Window *OpenWindowTagList(const struct NewWindow *, const struct TagItem *tags) {
    host::library_check("OpenWindowTagList", "intuition.library");
    using namespace host;
    if (fault_hit("OpenWindowTags")) return nullptr;
    if (!display_opens()) return nullptr;
    Screen *given = reinterpret_cast<Screen *>(get_tag(tags, WA_CustomScreen, 0));
    if (!given) given = reinterpret_cast<Screen *>(get_tag(tags, WA_PubScreen, 0));
    ScreenRec *s = given ? screen_rec(given) : public_screen();
    if (!s) {
        if (given) misuse("OpenWindowTags on a screen that is not open");
        return nullptr;
    }
    int bl, bt, br, bb;
    display_borders(bl, bt, br, bb);
    LONG iw = has_tag(tags, WA_InnerWidth) ? LONG(get_tag(tags, WA_InnerWidth, 0))
              : has_tag(tags, WA_Width)    ? LONG(get_tag(tags, WA_Width, 0)) - bl - br
                                           : s->Width - bl - br;
    LONG ih = has_tag(tags, WA_InnerHeight) ? LONG(get_tag(tags, WA_InnerHeight, 0))
              : has_tag(tags, WA_Height)    ? LONG(get_tag(tags, WA_Height, 0)) - bt - bb
                                            : s->Height - bt - bb;
    if (iw <= 0 || ih <= 0 || iw > max_side || ih > max_side) return nullptr;
    LONG ow = iw + bl + br, oh = ih + bt + bb;
    bool truecolor = host::rec(s->bitmap)->BytesPerPixel == 4;
    BitMap *fb = bitmap_create(ow, oh, s->bitmap->Depth, truecolor, false);
    if (!fb) return nullptr;
    if (get_tag(tags, WA_BackFill, 0) != LAYERS_NOBACKFILL) {
        if (truecolor) {
            ULONG c = pen_rgb(&s->colors, 0);
            auto *px = reinterpret_cast<uint32_t *>(host::rec(fb)->Pixels);
            std::fill(px, px + size_t(ow) * size_t(oh), c);
        } // a pen framebuffer starts at pen 0 already
    }
    host::rec(fb)->Colors = &s->colors;

    auto *w = new WindowRec{};
    w->screen = s;
    w->WScreen = s;
    w->LeftEdge = WORD(get_tag(tags, WA_Left, 0));
    w->TopEdge = WORD(get_tag(tags, WA_Top, 0));
    w->Width = WORD(ow);
    w->Height = WORD(oh);
    w->BorderLeft = BYTE(bl), w->BorderTop = BYTE(bt), w->BorderRight = BYTE(br),
    w->BorderBottom = BYTE(bb);
    w->inner_w = WORD(iw);
    w->inner_h = WORD(ih);
    rastport_init(&w->rastport);
    w->rastport.BitMap = fb;
    w->RPort = &w->rastport;
    w->UserPort = &w->port;
    w->IDCMPFlags = ULONG(get_tag(tags, WA_IDCMP, 0));
    if (const char *t = reinterpret_cast<const char *>(get_tag(tags, WA_Title, 0))) {
        w->title = t;
        w->Title = w->title.data();
    }
    auto flag = [&](Tag tag, ULONG bit) -> BOOL {
        bool on = get_tag(tags, tag, 0) != 0;
        if (on) w->Flags |= bit;
        return on ? TRUE : FALSE;
    };
    w->Flags = ULONG(get_tag(tags, WA_Flags, 0));
    w->activate = flag(WA_Activate, WFLG_ACTIVATE);
    w->backdrop = flag(WA_Backdrop, WFLG_BACKDROP);
    w->depth_gadget = flag(WA_DepthGadget, WFLG_DEPTHGADGET);
    w->close_gadget = flag(WA_CloseGadget, WFLG_CLOSEGADGET);
    w->rmb_trap = flag(WA_RMBTrap, WFLG_RMBTRAP);
    w->no_care_refresh = flag(WA_NoCareRefresh, WFLG_NOCAREREFRESH);
    w->backfill = get_tag(tags, WA_BackFill, 0);

    s->windows.push_back(w);
    windows().push_back(w);
    if (s->is_public && !display_show(w)) {
        window_close(w, false);
        return nullptr;
    }
    ledger_add("window", w);
    trace("OpenWindowTags %d,%d %dx%d %s%s", int(w->LeftEdge), int(w->TopEdge), int(w->inner_w),
          int(w->inner_h), s->is_public ? "public" : "own", w->Title ? " titled" : "");
    return w;
}

// Closes the window, freeing its framebuffer and any messages not taken.
// With KWADRON_SNAPSHOT set, the inner area is first written there as a PNG.
// Null does nothing; a window that is not open is a misuse.
void CloseWindow(struct Window *window) {
    host::library_check("CloseWindow", "intuition.library");
    if (!window) return;
    WindowRec *w = host::window_rec(window);
    if (!w) {
        host::misuse("CloseWindow of a window that is not open");
        return;
    }
    host::window_close(w, true);
}

