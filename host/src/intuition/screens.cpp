// intuition: the default public screen and screens of the program's own.
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "amiga/intuition.h"
#include "display/display.h"
#include "exec/exec.h"
#include "graphics/graphics.h"
#include "host/control.h"
#include "intuition/intuition.h"
#include "utility/tags.h"

namespace host {
namespace {
ScreenRec *pub = nullptr;

std::vector<ScreenRec *> &own_screens() {
    static std::vector<ScreenRec *> v;
    return v;
}

// Fills in the native record of a screen around a new bitmap of its own.
bool screen_init(ScreenRec *s, int w, int h, int depth) {
    bool truecolor = depth > 8;
    s->Width = WORD(w);
    s->Height = WORD(h);
    s->bitmap = bitmap_create(w, h, truecolor ? 24 : depth, truecolor, false);
    if (!s->bitmap) return false;
    if (truecolor) {
        default_pens(&s->colors);
    } else {
        memset(&s->colors, 0, sizeof s->colors);
        s->colors.Count = UWORD(1u << depth);
    }
    host::rec(s->bitmap)->Colors = &s->colors;
    s->ViewPort.ColorMap = &s->colors;
    rastport_init(&s->RastPort);
    s->RastPort.BitMap = s->bitmap;
    return true;
}

void screen_free(ScreenRec *s) {
    if (!s) return;
    display_hide(s);
    bitmap_destroy(s->bitmap, false);
    delete s;
}

} // namespace

// The default public screen, made on first use: the desktop's usable area
// at one to one, the configured size headless, a nominal 640 x 480 without
// a display (on which nothing can open).
ScreenRec *public_screen() {
    if (pub) return pub;
    int w, h;
    display_public_size(w, h);
    w = std::clamp(w, 1, max_side);
    h = std::clamp(h, 1, max_side);
    ScreenRec *s = new ScreenRec{};
    if (!screen_init(s, w, h, 24)) {
        delete s;
        return nullptr;
    }
    s->is_public = TRUE;
    pub = s;
    return pub;
}

ScreenRec *screen_rec(const Screen *s) {
    if (!s) return nullptr;
    if (s == pub) return pub;
    for (ScreenRec *r : own_screens())
        if (r == s) return r;
    return nullptr;
}

void intuition_reset() { screens_close_all(); }

void screens_close_all() {
    while (!open_windows().empty()) window_close(open_windows().back(), false);
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

// Opens a screen of the program's own: SA_Width, SA_Height (default 640 x
// 480), SA_Depth (1..8 a palette screen whose pens start black, deeper true
// colour with the desktop's first pens; default 8), SA_DisplayID (kept;
// INVALID_ID refused), SA_Quiet (kept; there is no title bar to draw). Other
// tags are ignored. Shown fullscreen on SDL. Null without a display, on a
// fault, outside sides 1..16384 or depths 1..32, or when the display fails.
struct Screen *OpenScreenTagList(const struct NewScreen *, const struct TagItem *tags) {
    host::library_check("OpenScreenTagList", "intuition.library");
    if (host::fault_hit("OpenScreenTags")) return nullptr;
    if (!host::display_opens()) return nullptr;
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
    s->quiet = host::get_tag(tags, SA_Quiet, FALSE) ? TRUE : FALSE;
    s->display_id = id;
    if (!host::display_show(s)) {
        host::screen_free(s);
        return nullptr;
    }
    host::own_screens().push_back(s);
    host::ledger_add("screen", s);
    host::trace("OpenScreenTags %dx%dx%d", int(s->Width), int(s->Height), int(s->bitmap->Depth));
    return s;
}

// Closes an own screen; null does nothing. Windows still open on it, or a
// screen not from OpenScreenTagList, are a misuse and nothing is closed.
void CloseScreen(struct Screen *screen) {
    host::library_check("CloseScreen", "intuition.library");
    if (!screen) return;
    ScreenRec *s = host::screen_rec(screen);
    if (!s || s->is_public) {
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
// area at one to one, made on first use. Other names are
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
    if (!s || !s->is_public || s->locks <= 0 || !host::ledger_remove("publock", s)) {
        host::misuse("UnlockPubScreen without a lock");
        return;
    }
    --s->locks;
}

