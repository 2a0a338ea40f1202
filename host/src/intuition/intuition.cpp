// intuition: screens, windows and text. A window draws into a framebuffer of
// its screen's pixel form, which the display driver shows.
#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "amiga/intuition.h"
#include "display/display.h"
#include "internal.h"
#include "control/settings.h"

namespace host {
namespace {
ScreenRec *pub = nullptr;
std::vector<ScreenRec *> &own_screens() {
    static std::vector<ScreenRec *> v;
    return v;
}
std::vector<WindowRec *> &windows() {
    static std::vector<WindowRec *> v;
    return v;
}

constexpr int max_side = 16384;

// Native window flag bits that the boolean tags stand for.
constexpr ULONG WFLG_DEPTHGADGET = 0x4, WFLG_CLOSEGADGET = 0x8, WFLG_BACKDROP = 0x100,
                WFLG_ACTIVATE = 0x1000, WFLG_NOCAREREFRESH = 0x20000;
// WA_BackFill value that leaves the window unfilled.
constexpr IPTR LAYERS_NOBACKFILL = 1;

// Fills in the native record of a screen around a new bitmap of its own.
bool screen_init(ScreenRec *s, int w, int h, int depth) {
    bool truecolor = depth > 8;
    s->Width = WORD(w);
    s->Height = WORD(h);
    s->host_BitMap = bitmap_create(w, h, truecolor ? 24 : depth, truecolor, false);
    if (!s->host_BitMap) return false;
    if (truecolor) {
        default_pens(&s->host_ColorMap);
    } else {
        memset(&s->host_ColorMap, 0, sizeof s->host_ColorMap);
        s->host_ColorMap.Count = UWORD(1u << depth);
        s->host_BitMap->Colors = &s->host_ColorMap;
    }
    s->ViewPort.ColorMap = &s->host_ColorMap;
    rastport_init(&s->RastPort);
    s->RastPort.BitMap = s->host_BitMap;
    s->RastPort.host_Colors = &s->host_ColorMap;
    return true;
}

void screen_free(ScreenRec *s) {
    if (!s) return;
    display().close(s->view);
    bitmap_destroy(s->host_BitMap, false);
    delete s;
}

// The default public screen, made on first use: the desktop's usable area
// seen through the zoom on SDL, the configured size headless, a nominal
// 640 x 480 without a display (on which nothing can open).
ScreenRec *public_screen() {
    if (pub) return pub;
    int w = 640, h = 480;
    display().public_size(w, h);
    w = std::clamp(w, 1, max_side);
    h = std::clamp(h, 1, max_side);
    ScreenRec *s = new ScreenRec{};
    if (!screen_init(s, w, h, 24)) {
        delete s;
        return nullptr;
    }
    s->host_Public = TRUE;
    pub = s;
    return pub;
}

void window_close(WindowRec *w, bool final_snapshot) {
    if (final_snapshot) {
        const std::string &path = settings().snapshot;
        if (!path.empty() && !window_snapshot(w, path))
            fprintf(stderr, "host: cannot write snapshot %s\n", path.c_str());
    }
    // Messages not taken are given back here, as the system does.
    while (Message *m = GetMsg(&w->host_Port)) delete reinterpret_cast<IntuiMessage *>(m);
    display().close(w->view);
    auto &sw = w->screen->windows;
    sw.erase(std::remove(sw.begin(), sw.end(), w), sw.end());
    auto &all = windows();
    all.erase(std::remove(all.begin(), all.end(), w), all.end());
    ledger_remove("window", w);
    bitmap_destroy(w->host_RastPort.BitMap, false);
    delete w;
}
} // namespace

ScreenRec *screen_rec(const Screen *s) {
    if (!s) return nullptr;
    if (s == pub) return pub;
    for (ScreenRec *r : own_screens())
        if (r == s) return r;
    return nullptr;
}

WindowRec *window_rec(const Window *w) {
    if (!w) return nullptr;
    for (WindowRec *r : windows())
        if (r == w) return r;
    return nullptr;
}

const std::vector<WindowRec *> &open_windows() { return windows(); }

void screens_close_all() {
    while (!windows().empty()) window_close(windows().back(), false);
    while (!own_screens().empty()) {
        ScreenRec *s = own_screens().back();
        own_screens().pop_back();
        ledger_remove("screen", s);
        screen_free(s);
    }
    if (pub) {
        while (ledger_remove("publock", pub)) {
        }
        screen_free(pub);
        pub = nullptr;
    }
}
} // namespace host

using host::ScreenRec;
using host::WindowRec;

// Opens a screen of the program's own: SA_Width, SA_Height (default 640 x
// 480), SA_Depth (1..8 a palette screen whose pens start black, deeper true
// colour with the desktop's first pens; default 8), SA_DisplayID (kept;
// INVALID_ID refused), SA_Quiet (kept; there is no title bar to draw). Other
// tags are ignored. Shown fullscreen on SDL. Null without a display, on a
// fault, outside sides 1..16384 or depths 1..32, or when the display fails.
struct Screen *OpenScreenTagList(const struct NewScreen *, const struct TagItem *tags) {
    host::library_check("OpenScreenTagList", "intuition.library");
    if (host::fault_hit("OpenScreenTags")) return nullptr;
    if (!host::display().opens) return nullptr;
    LONG w = LONG(host::get_tag(tags, SA_Width, 640));
    LONG h = LONG(host::get_tag(tags, SA_Height, 480));
    LONG depth = LONG(host::get_tag(tags, SA_Depth, 8));
    ULONG id = ULONG(host::get_tag(tags, SA_DisplayID, 0));
    if (w <= 0 || h <= 0 || w > host::max_side || h > host::max_side || depth < 1 || depth > 32 ||
        id == INVALID_ID)
        return nullptr;
    auto *s = new ScreenRec{};
    if (!host::screen_init(s, w, h, depth)) {
        delete s;
        return nullptr;
    }
    s->host_Quiet = host::get_tag(tags, SA_Quiet, FALSE) ? TRUE : FALSE;
    s->host_DisplayID = id;
    if (!host::display().open_screen(s)) {
        host::screen_free(s);
        return nullptr;
    }
    host::own_screens().push_back(s);
    host::ledger_add("screen", s);
    host::trace("OpenScreenTags %dx%dx%d", int(s->Width), int(s->Height), int(s->host_BitMap->Depth));
    return s;
}

// Closes an own screen; null does nothing. Windows still open on it, or a
// screen not from OpenScreenTagList, are a misuse and nothing is closed.
void CloseScreen(struct Screen *screen) {
    host::library_check("CloseScreen", "intuition.library");
    if (!screen) return;
    ScreenRec *s = host::screen_rec(screen);
    if (!s || s->host_Public) {
        host::misuse("CloseScreen of a screen the program did not open");
        return;
    }
    if (!s->windows.empty()) {
        host::misuse("CloseScreen with windows still open on it");
        return;
    }
    auto &v = host::own_screens();
    v.erase(std::remove(v.begin(), v.end(), s), v.end());
    host::ledger_remove("screen", s);
    host::screen_free(s);
}

// The default public screen (NULL or "Workbench"): the desktop's usable
// area seen through the display's zoom, made on first use. Other names are
// not known: null. Each lock is recorded until UnlockPubScreen.
struct Screen *LockPubScreen(CONST_STRPTR name) {
    host::library_check("LockPubScreen", "intuition.library");
    if (name && strcasecmp(name, "Workbench") != 0) return nullptr;
    ScreenRec *s = host::public_screen();
    if (!s) return nullptr;
    ++s->locks;
    host::ledger_add("publock", s);
    return s;
}

// Drops one lock; the name is not looked at, null does nothing, and a screen
// without a lock is a misuse.
void UnlockPubScreen(CONST_STRPTR, struct Screen *screen) {
    host::library_check("UnlockPubScreen", "intuition.library");
    if (!screen) return;
    ScreenRec *s = host::screen_rec(screen);
    if (!s || !s->host_Public || s->locks <= 0 || !host::ledger_remove("publock", s)) {
        host::misuse("UnlockPubScreen without a lock");
        return;
    }
    --s->locks;
}

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
    const DisplayDriver &d = display();
    if (!d.opens) return nullptr;
    Screen *given = reinterpret_cast<Screen *>(get_tag(tags, WA_CustomScreen, 0));
    if (!given) given = reinterpret_cast<Screen *>(get_tag(tags, WA_PubScreen, 0));
    ScreenRec *s = given ? screen_rec(given) : public_screen();
    if (!s) {
        if (given) misuse("OpenWindowTags on a screen that is not open");
        return nullptr;
    }
    int bl, bt, br, bb;
    d.borders(bl, bt, br, bb);
    LONG iw = has_tag(tags, WA_InnerWidth) ? LONG(get_tag(tags, WA_InnerWidth, 0))
              : has_tag(tags, WA_Width)    ? LONG(get_tag(tags, WA_Width, 0)) - bl - br
                                           : s->Width - bl - br;
    LONG ih = has_tag(tags, WA_InnerHeight) ? LONG(get_tag(tags, WA_InnerHeight, 0))
              : has_tag(tags, WA_Height)    ? LONG(get_tag(tags, WA_Height, 0)) - bt - bb
                                            : s->Height - bt - bb;
    if (iw <= 0 || ih <= 0 || iw > max_side || ih > max_side) return nullptr;
    LONG ow = iw + bl + br, oh = ih + bt + bb;
    bool truecolor = s->host_BitMap->BytesPerPixel == 4;
    BitMap *fb = bitmap_create(ow, oh, s->host_BitMap->Depth, truecolor, false);
    if (!fb) return nullptr;
    if (get_tag(tags, WA_BackFill, 0) != LAYERS_NOBACKFILL) {
        if (truecolor) {
            ULONG c = pen_rgb(&s->host_ColorMap, 0);
            auto *px = reinterpret_cast<uint32_t *>(fb->Pixels);
            std::fill(px, px + size_t(ow) * size_t(oh), c);
        } // a pen framebuffer starts at pen 0 already
    }
    if (!truecolor) fb->Colors = &s->host_ColorMap;

    auto *w = new WindowRec{};
    w->screen = s;
    w->WScreen = s;
    w->LeftEdge = WORD(get_tag(tags, WA_Left, 0));
    w->TopEdge = WORD(get_tag(tags, WA_Top, 0));
    w->Width = WORD(ow);
    w->Height = WORD(oh);
    w->BorderLeft = BYTE(bl), w->BorderTop = BYTE(bt), w->BorderRight = BYTE(br),
    w->BorderBottom = BYTE(bb);
    w->host_InnerWidth = WORD(iw);
    w->host_InnerHeight = WORD(ih);
    rastport_init(&w->host_RastPort);
    w->host_RastPort.BitMap = fb;
    w->host_RastPort.host_Colors = &s->host_ColorMap;
    w->RPort = &w->host_RastPort;
    w->host_Port.mp_Owner = static_cast<Window *>(w);
    w->UserPort = &w->host_Port;
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
    w->host_Activate = flag(WA_Activate, WFLG_ACTIVATE);
    w->host_Backdrop = flag(WA_Backdrop, WFLG_BACKDROP);
    w->host_DepthGadget = flag(WA_DepthGadget, WFLG_DEPTHGADGET);
    w->host_CloseGadget = flag(WA_CloseGadget, WFLG_CLOSEGADGET);
    w->host_RMBTrap = flag(WA_RMBTrap, WFLG_RMBTRAP);
    w->host_NoCareRefresh = flag(WA_NoCareRefresh, WFLG_NOCAREREFRESH);
    w->host_BackFill = get_tag(tags, WA_BackFill, 0);

    s->windows.push_back(w);
    windows().push_back(w);
    if (s->host_Public && !d.open_window(w)) {
        window_close(w, false);
        return nullptr;
    }
    ledger_add("window", w);
    trace("OpenWindowTags %d,%d %dx%d %s%s", int(w->LeftEdge), int(w->TopEdge), int(w->host_InnerWidth),
          int(w->host_InnerHeight), s->host_Public ? "public" : "own", w->Title ? " titled" : "");
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

// Draws each text of the chain at (left + LeftEdge, top + TopEdge), the top
// of an 8 x 8 cell per byte, in the built-in ROM font whatever ITextFont
// names; bytes outside 32..127 are blank. JAM2 fills the cell's other pixels
// with BackPen. Clipped to the bitmap; rp's own pens and mode are not used.
void PrintIText(struct RastPort *rp, const struct IntuiText *itext, LONG left, LONG top) {
    host::library_check("PrintIText", "intuition.library");
    if (!rp || !host::usable(rp->BitMap)) return;
    for (const IntuiText *t = itext; t; t = t->NextText) {
        if (!t->IText) continue;
        LONG x = left + t->LeftEdge, y = top + t->TopEdge;
        for (const UBYTE *c = t->IText; *c; ++c, x += 8) {
            const unsigned char *glyph = (*c >= 32 && *c < 128) ? host::rom_font[*c - 32] : nullptr;
            for (int row = 0; row < 8; ++row)
                for (int col = 0; col < 8; ++col) {
                    bool set = glyph && (glyph[row] & (0x80 >> col));
                    if (set)
                        host::put_pen(rp, x + col, y + row, t->FrontPen);
                    else if (t->DrawMode & JAM2)
                        host::put_pen(rp, x + col, y + row, t->BackPen);
                }
        }
    }
}

// 8 pixels per byte of IText, whatever the font; 0 for a null text.
LONG IntuiTextLength(const struct IntuiText *itext) {
    host::library_check("IntuiTextLength", "intuition.library");
    if (!itext || !itext->IText) return 0;
    return LONG(strlen(reinterpret_cast<const char *>(itext->IText))) * 8;
}
