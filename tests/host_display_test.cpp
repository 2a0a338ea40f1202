// Screens, windows and input of the headless display, and a pad's input on
// the desktop's.
#include <SDL.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "amiga/cybergraphics.h"
#include "amiga/exec.h"
#include "amiga/gadtools.h"
#include "amiga/rawkeycodes.h"
#include "host/control.h"
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
    EXPECT_TRUE(w->host_CloseGadget && w->host_Backdrop && w->host_DepthGadget && !w->host_Activate);
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
    reinterpret_cast<uint32_t *>(w->RPort->BitMap->Pixels)[3] = 0x123456;
    UBYTE buf[2][5 * 4];
    memset(buf, 0xEE, sizeof buf);
    // Asked for 5 x 3 from (2, 0): only 2 x 2 lie inside, nothing beyond is written.
    EXPECT_EQ(ReadPixelArray(buf, 0, 0, 5 * 4, w->RPort, 2, 0, 5, 3, RECTFMT_RGBA), 4u);
    const UBYTE grey_then_mine[9] = {0xAA, 0xAA, 0xAA, 0, 0x12, 0x34, 0x56, 0, 0xEE};
    EXPECT_EQ(memcmp(buf[0], grey_then_mine, 9), 0);
    CloseWindow(w);

    BitMap *pens = AllocBitMap(2, 1, 8, BMF_CLEAR, nullptr);
    ASSERT_NE(pens, nullptr);
    pens->Pixels[1] = 3;
    RastPort rp;
    InitRastPort(&rp);
    rp.BitMap = pens;
    ColorMap cm{};
    cm.Colors[3] = 0xABCDEF;
    rp.host_Colors = &cm;
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

// A game pad on the desktop: SDL's pad events reach the window as the
// arrows and Esc, down and up; the A button and small moves of the stick as
// nothing, and a stick that comes back only part way keeps its arrow held.
// On SDL's dummy video, in a process of its own (the settings are
// read once); what came, if not what should have.
static std::string pad_keys_through_sdl() {
    host::reset_all();
    host::display_choose("sdl");
    Window *w = OpenWindowTags(nullptr, WA_InnerWidth, 320, WA_InnerHeight, 240, WA_IDCMP, GAME_IDCMP, TAG_DONE);
    if (!w) return "no window";
    enum : Uint32 { B = SDL_CONTROLLERBUTTONDOWN, R = SDL_CONTROLLERBUTTONUP, S = SDL_CONTROLLERAXISMOTION };
    enum : int { X = SDL_CONTROLLER_AXIS_LEFTX, Y = SDL_CONTROLLER_AXIS_LEFTY };
    const struct {
        Uint32 type;
        int which, value;
    } events[] = {{B, SDL_CONTROLLER_BUTTON_A, 0},         {B, SDL_CONTROLLER_BUTTON_DPAD_UP, 0},
                  {R, SDL_CONTROLLER_BUTTON_DPAD_UP, 0},   {B, SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0},
                  {R, SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0}, {B, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0},
                  {R, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0}, {B, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0},
                  {R, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0}, {B, SDL_CONTROLLER_BUTTON_BACK, 0},
                  {R, SDL_CONTROLLER_BUTTON_BACK, 0},      {S, Y, -15000}, {S, Y, -30000}, {S, Y, -15000}, {S, Y, -30000},
                  {S, Y, 0}, {S, Y, 30000}, {S, Y, 0}, {S, X, -30000}, {S, X, 0}, {S, X, 15000}, {S, X, 30000},
                  {S, X, 15000}, {S, X, 0}};
    for (const auto &e : events) {
        SDL_Event ev{};
        ev.type = e.type;
        if (e.type == S) ev.caxis.axis = Uint8(e.which), ev.caxis.value = Sint16(e.value);
        else ev.cbutton.button = Uint8(e.which);
        SDL_PushEvent(&ev);
    }
    std::string got, want;
    for (UWORD code : {RAWKEY_UP, RAWKEY_DOWN, RAWKEY_LEFT, RAWKEY_RIGHT, RAWKEY_ESCAPE, RAWKEY_UP, RAWKEY_DOWN,
                       RAWKEY_LEFT, RAWKEY_RIGHT})
        for (UWORD c : {code, UWORD(code | IECODE_UP_PREFIX)}) {
            want += std::to_string(c) + " ";
            WaitPort(w->UserPort);
            IntuiMessage *m = GT_GetIMsg(w->UserPort);
            got += m->Class == IDCMP_RAWKEY ? std::to_string(m->Code) + " " : "class " + std::to_string(m->Class) + " ";
            GT_ReplyIMsg(m);
        }
    CloseWindow(w);
    host::reset_all();
    return got == want ? "" : "keys " + got + "for " + want;
}

TEST_F(DisplayTest, APadsDpadStickAndBackAreTheArrowsAndEsc) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    EXPECT_EXIT(
        {
            const std::string wrong = pad_keys_through_sdl();
            fputs(wrong.c_str(), stderr);
            _exit(wrong.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    unsetenv("SDL_VIDEODRIVER");
}
