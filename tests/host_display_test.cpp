// Screens, windows and input of the headless display, and the input room
// that turns every driver's raw input into messages.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "graphics/graphics.h"
#include "amiga/cybergraphics.h"
#include "amiga/exec.h"
#include "amiga/gadtools.h"
#include "amiga/rawkeycodes.h"
#include "host/control.h"
#include "display/driver.h"
#include "display/input.h"
#include "host/headless.h"
#include "amiga/intuition.h"

namespace {

constexpr ULONG GAME_IDCMP = IDCMP_MOUSEBUTTONS | IDCMP_MOUSEMOVE | IDCMP_CLOSEWINDOW | IDCMP_RAWKEY;

class DisplayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::reset_all();
        host::display_choose("headless");
    }
    void TearDown() override { host::reset_all(); }
    void borders(int l, int t, int r, int b) {
        host::HeadlessConfig c;
        c.border_left = l, c.border_top = t, c.border_right = r, c.border_bottom = b;
        host::headless_configure(c);
    }
    Window *game_window(Screen *s, LONG left = 0, LONG top = 0, ULONG idcmp = GAME_IDCMP) {
        return OpenWindowTags(nullptr, WA_Left, left, WA_Top, top, WA_InnerWidth, 320, WA_InnerHeight,
                              240, WA_RMBTrap, TRUE, WA_NoCareRefresh, TRUE, WA_BackFill, 5,
                              WA_PubScreen, s, WA_Title, "Kwadron", WA_Activate, FALSE,
                              WA_DepthGadget, TRUE, WA_Backdrop, TRUE, WA_CloseGadget, TRUE,
                              WA_Flags, WFLG_RMBTRAP, WA_IDCMP, idcmp, TAG_DONE);
    }
    // The next message the program would get, taken and given back.
    IntuiMessage take(Window *w) {
        WaitPort(w->UserPort);
        IntuiMessage *m = GT_GetIMsg(w->UserPort);
        IntuiMessage copy = *m;
        GT_ReplyIMsg(m);
        return copy;
    }
};

TEST_F(DisplayTest, WindowOnThePublicScreenHasItsPlaceSizeBordersAndBackground) {
    borders(4, 11, 5, 2);
    Screen *pub = LockPubScreen(nullptr);
    ASSERT_NE(pub, nullptr);
    // Pens 1 and 2 are the credits' black and white.
    EXPECT_EQ(pub->ViewPort.ColorMap->Colors[1], 0x000000u);
    EXPECT_EQ(pub->ViewPort.ColorMap->Colors[2], 0xFFFFFFu);

    Window *w = game_window(pub, 352, 264);
    UnlockPubScreen(nullptr, pub);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(host::current_window(), w);
    EXPECT_EQ(w->LeftEdge, 352);
    EXPECT_EQ(w->Width, 320 + 4 + 5);
    EXPECT_EQ(w->Height, 240 + 11 + 2);
    EXPECT_EQ(w->BorderLeft, 4);
    EXPECT_EQ(w->BorderTop, 11);
    EXPECT_STREQ(w->Title, "Kwadron");
    const host::WindowRec *r = host::window_rec(w);
    EXPECT_TRUE(r->close_gadget && r->backdrop && r->depth_gadget && !r->activate);
    // Filled with pen 0, borders and all.
    EXPECT_EQ(host::window_pixel(w, 0, 0), 0xAAAAAAu);
    EXPECT_EQ(host::window_pixel(w, 328, 252), 0xAAAAAAu);
    EXPECT_EQ(host::window_pixel(w, 329, 0), 0u);
    CloseWindow(w);
    EXPECT_EQ(host::current_window(), nullptr);
    EXPECT_EQ(host::ledger_count(), 0u);
}

TEST_F(DisplayTest, QueuedInputReachesThePortAndAnEmptyQueueCloses) {
    borders(4, 11, 4, 2);
    Screen *pub = LockPubScreen(nullptr);
    Window *w = game_window(pub);
    UnlockPubScreen(nullptr, pub);
    ASSERT_NE(w, nullptr);
    host::input_push(IDCMP_NEWSIZE, 0);              // not asked for: dropped
    host::input_push(IDCMP_RAWKEY, RAWKEY_UP, 0, 0, IEQUALIFIER_REPEAT);
    host::input_push(IDCMP_MOUSEBUTTONS, SELECTDOWN, 50, 60);
    EXPECT_EQ(host::input_pending(), 3u);

    IntuiMessage m = take(w);
    EXPECT_EQ(m.Class, IDCMP_RAWKEY);
    EXPECT_EQ(m.Code, RAWKEY_UP);
    EXPECT_EQ(m.Qualifier, IEQUALIFIER_REPEAT);
    m = take(w);
    EXPECT_EQ(m.Class, IDCMP_MOUSEBUTTONS);
    EXPECT_EQ(m.Code, SELECTDOWN);
    EXPECT_EQ(m.MouseX, 50); // input_push gives window coordinates as they are
    EXPECT_EQ(m.MouseY, 60);
    EXPECT_EQ(take(w).Class, IDCMP_CLOSEWINDOW);
    EXPECT_EQ(take(w).Class, IDCMP_CLOSEWINDOW);

    // Closed even when the window does not ask for it; messages left on the
    // port go with the window.
    Window *quiet = OpenWindowTags(nullptr, WA_InnerWidth, 10, WA_InnerHeight, 10, WA_IDCMP, 0, TAG_DONE);
    ASSERT_NE(quiet, nullptr);
    WaitPort(quiet->UserPort);
    EXPECT_EQ(reinterpret_cast<IntuiMessage *>(quiet->UserPort->mp_Head)->Class, IDCMP_CLOSEWINDOW);
    CloseWindow(quiet);
    CloseWindow(w);
    EXPECT_EQ(host::ledger_count(), 0u);
}

TEST_F(DisplayTest, ReadPixelArrayClipsAndShowsPensThroughTheirColours) {
    Screen *pub = LockPubScreen(nullptr);
    Window *w = OpenWindowTags(nullptr, WA_InnerWidth, 4, WA_InnerHeight, 2, WA_PubScreen, pub, TAG_DONE);
    UnlockPubScreen(nullptr, pub);
    ASSERT_NE(w, nullptr);
    reinterpret_cast<uint32_t *>(host::rec(w->RPort->BitMap)->Pixels)[3] = 0x123456;
    UBYTE buf[2][5 * 4];
    memset(buf, 0xEE, sizeof buf);
    // Asked for 5 x 3 from (2, 0): only 2 x 2 lie inside, nothing beyond is written.
    EXPECT_EQ(ReadPixelArray(buf, 0, 0, 5 * 4, w->RPort, 2, 0, 5, 3, RECTFMT_RGBA), 4u);
    const UBYTE grey_then_mine[9] = {0xAA, 0xAA, 0xAA, 0, 0x12, 0x34, 0x56, 0, 0xEE};
    EXPECT_EQ(memcmp(buf[0], grey_then_mine, 9), 0);
    CloseWindow(w);

    BitMap *pens = AllocBitMap(2, 1, 8, BMF_CLEAR, nullptr);
    ASSERT_NE(pens, nullptr);
    host::rec(pens)->Pixels[1] = 3;
    RastPort rp;
    InitRastPort(&rp);
    rp.BitMap = pens;
    ColorMap cm{};
    cm.Colors[3] = 0xABCDEF;
    host::rec(pens)->Colors = &cm;
    UBYTE rgba[8];
    EXPECT_EQ(ReadPixelArray(rgba, 0, 0, 8, &rp, 0, 0, 2, 1, RECTFMT_RGBA), 2u);
    const UBYTE want[8] = {0, 0, 0, 0, 0xAB, 0xCD, 0xEF, 0};
    EXPECT_EQ(memcmp(rgba, want, 8), 0);
    FreeBitMap(pens);
}

// Libraries closed in the wrong order: the call through the closed one is
// reported, naming the call and the library.
TEST_F(DisplayTest, ACallThroughAClosedLibraryIsReportedLoudly) {
    host::misuse_abort(false);
    Library *intuition = OpenLibrary("intuition.library", 36);
    ASSERT_TRUE(intuition);
    Screen *s = LockPubScreen(nullptr);
    Window *w = game_window(s);
    ASSERT_TRUE(w);
    UnlockPubScreen(nullptr, s);
    CloseLibrary(intuition);
    const int before = host::misuse_count();
    testing::internal::CaptureStderr();
    CloseWindow(w);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(host::misuse_count(), before + 1);
    EXPECT_NE(said.find("CloseWindow through intuition.library, which is not open"), std::string::npos) << said;
    // A library never opened counts the same.
    testing::internal::CaptureStderr();
    EXPECT_EQ(GT_GetIMsg(nullptr), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("GT_GetIMsg through gadtools.library"), std::string::npos);
}

} // namespace


// The input room, fed as a driver feeds it: the same raw events through a
// window's view and through an own screen's view (its window at an offset
// of the screen, both shown at 3x in the middle of a larger surface) give
// the same messages.
TEST_F(DisplayTest, RawInputBecomesTheSameMessagesThroughEveryView) {
    borders(2, 3, 2, 1);
    using namespace host::input;
    Screen *own = OpenScreenTags(nullptr, SA_Width, 400, SA_Height, 300, SA_Depth, 24, TAG_DONE);
    ASSERT_NE(own, nullptr);
    for (auto [name, screen] : {std::pair<const char *, Screen *>{"public", nullptr}, {"own screen", own}}) {
        SCOPED_TRACE(name);
        Window *w = OpenWindowTags(nullptr, WA_Left, 30, WA_Top, 20, WA_InnerWidth, 320, WA_InnerHeight, 240,
                                   screen ? WA_CustomScreen : TAG_IGNORE, screen, WA_RMBTrap, TRUE,
                                   WA_Flags, WFLG_RMBTRAP, WA_IDCMP, GAME_IDCMP, TAG_DONE);
        ASSERT_NE(w, nullptr);
        host::View *v = host::views().back();
        ASSERT_EQ(host::view_window(v), w);
        v->surface_w = v->width * 3 + 10, v->surface_h = v->height * 3 + 7; // margins of 5 and 3
        // A point of the window's inner area as the driver sees it, pressed or moved to.
        auto at = [&](int x, int y) {
            host::input::inner_to_view(v, x, y);
            return std::pair{5 + 3 * x + 1, 3 + 3 * y + 2};
        };
        auto press = [&](Button b, bool down, int x, int y, unsigned mods = 0) {
            pointer_button(v, b, down, at(x, y).first, at(x, y).second, mods);
        };
        auto move = [&](int x, int y) { pointer_move(v, at(x, y).first, at(x, y).second, 0); };
        // The messages on the port, taken: their class, code, position (the
        // pointer's only) and qualifier; with arrows_only, the codes of the keys.
        auto drain = [&](bool arrows_only) {
            std::string s;
            while (IntuiMessage *m = GT_GetIMsg(w->UserPort)) {
                char line[64];
                const bool pointer = m->Class == IDCMP_MOUSEBUTTONS || m->Class == IDCMP_MOUSEMOVE;
                if (arrows_only)
                    snprintf(line, sizeof line, "%s", m->Class == IDCMP_RAWKEY ? (std::to_string(m->Code) + " ").c_str() : "");
                else if (pointer)
                    snprintf(line, sizeof line, "%lx %x %d,%d %x|", (unsigned long)m->Class, m->Code, m->MouseX, m->MouseY,
                             m->Qualifier);
                else
                    snprintf(line, sizeof line, "%lx %x %x|", (unsigned long)m->Class, m->Code, m->Qualifier);
                s += line;
                GT_ReplyIMsg(m);
            }
            return s;
        };
        struct Step {
            const char *what;
            std::function<void()> act;
            std::string want;
        } steps[] = {
            {"a key with shift and a repeat", [&] { key(v, RAWKEY_UP, true, true, LShift | LeftHeld); },
             "400 4c 4201|"},
            {"a click: down and up where the pointer is", [&] { press(Left, true, 50, 60, Ctrl); press(Left, false, 51, 60); },
             "8 68 52,63 8|8 e8 53,63 0|"},
            {"the right button, trapped", [&] { press(Right, true, 10, 10); press(Right, false, 10, 10); },
             "8 69 12,13 0|8 e9 12,13 0|"},
            {"a press outside the window is not its own", [&] { press(Left, true, -20, 100); press(Left, false, -20, 100); },
             ""},
            {"a swipe right from a button: let go outside, then the arrow",
             [&] { press(Left, true, 58, 156); move(70, 160); move(79, 160); press(Left, false, 79, 160); },
             "8 68 60,159 0|10 ff 72,163 0|10 ff 81,163 0|8 e8 -1,-1 0|400 4e 0|400 ce 0|"},
            {"swipes left, up and down, each once (the codes of the keys)", [&] {
                 for (auto [dx, dy] : {std::pair{-25, 3}, {2, -30}, {-1, 40}}) {
                     press(Left, true, 200, 120);
                     move(200 + dx, 120 + dy), move(200 + 2 * dx, 120 + 2 * dy);
                     press(Left, false, 200 + 2 * dx, 120 + 2 * dy);
                 }
             },
             "79 207 76 204 77 205 "},
            {"a pad's stick held past half way, still at 0.4, let go at 0.3; another pad's Back", [&] {
                 for (double y : {-0.6, -0.4, -0.3}) pad(v, 0, PadState{.y = y});
                 for (bool back : {true, false}) pad(v, 1, PadState{.back = back});
             },
             "400 4c 0|400 cc 0|400 45 0|400 c5 0|"},
            {"the close box", [&] { close_box(v); }, "200 0 0|"},
        };
        for (const Step &step : steps) {
            step.act();
            EXPECT_EQ(drain(std::string(step.what).rfind("swipes", 0) == 0), step.want) << step.what;
        }
        CloseWindow(w);
    }
    CloseScreen(own);
    EXPECT_EQ(host::ledger_count(), 0u);
}
