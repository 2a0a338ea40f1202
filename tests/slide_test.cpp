// Every redraw of a slide reaches the screen: the pictures the headless
// display presents during one move, read back from their PNG files.
#include <string>
#include <vector>

#include "amiga/exec.h"
#include "amiga/gadtools.h"
#include "amiga/intuition.h"
#include "amiga/rawkeycodes.h"
#include "game_fixture.h"
#include "picture_files.h"
#include "support.h"

namespace {

using Row = std::vector<LONG>;

class SlideTest : public testgame::GameTest {
  protected:
    testfiles::TempDir tmp;
    const std::string dir = tmp.root.string();
    struct Screen *pub = nullptr;
    struct Window *win = nullptr;

    void SetUp() override {
        host::reset_all();
        host::display_choose("headless");
        open(0);
        ASSERT_EQ(Zasoby_Otworz(), 1);
        // The game's drawing goes to a real window, which the display shows.
        pub = LockPubScreen(nullptr);
        win = OpenWindowTags(nullptr, WA_InnerWidth, 320, WA_InnerHeight, 240, WA_PubScreen, pub,
                             WA_IDCMP, IDCMP_RAWKEY | IDCMP_CLOSEWINDOW, TAG_DONE);
        ASSERT_TRUE(win);
        Okno = win;
        RastPort = win->RPort;
        BorderLEFT = win->BorderLeft;
        BorderTOP = win->BorderTop;
    }
    void TearDown() override {
        if (win) CloseWindow(win);
        if (pub) UnlockPubScreen(nullptr, pub);
        GameTest::TearDown();
        Zasoby_Zamknij();
        host::reset_all();
    }

    // What row 1 shows in a presented picture, as exponents: a cell's pixel
    // names the skin pixel it was copied from (-1: neither tile nor background).
    Row shown_row(const std::string &png) {
        const testpic::Surface s = testpic::load_rgb(png);
        EXPECT_TRUE(s) << png;
        Row row;
        for (LONG c = 0; s && c < 4; ++c) {
            const LONG X = 131 + c * Kafle[0].szer, Y = 48 + Kafle[0].wys;
            const ULONG v = testpic::at(s.get(), X, Y);
            LONG e = v == testgame::skin_code(X, Y) ? 0 : -1;
            for (LONG k = 0; k < 16; ++k)
                if (v == testgame::skin_code(Kafle[k].x, Kafle[k].y)) e = k + 1;
            row.push_back(e);
        }
        return row;
    }

    // Row 1 holds the line, the other rows tiles that do not move right, so
    // the new tile of the turn lands in row 1. One cursor key, then the run
    // ends; the rows of every presented picture, in order.
    std::vector<Row> slide_right(const Row &line) {
        const LONG board[16] = {6, 7, 6, 7, line[0], line[1], line[2], line[3],
                                7, 6, 7, 6, 6, 7, 6, 7};
        memcpy(Tab_PoleGry, board, sizeof board);
        Gfx_Start_Cyfr();
        host::headless_frames(dir);
        host::input_push(IDCMP_RAWKEY, RAWKEY_RIGHT);
        Petla_Zdarzen(win->UserPort);
        std::vector<Row> rows;
        for (int i = 1; i <= host::headless_presents(); ++i) {
            char name[32];
            snprintf(name, sizeof name, "/frame-%04d.png", i);
            rows.push_back(shown_row(dir + name));
        }
        return rows;
    }
};

// Rows as seen left to right; the move goes right.
TEST_F(SlideTest, EachRedrawOfAMoveIsShownInOrder) {
    struct Case {
        const char *name;
        Row line;
        std::vector<Row> steps; // the pictures of the redraws
    } cases[] = {
        // The merge redraws from the edge cell, which the second step left
        // alone: its first copy touches nothing drawn since the last picture
        // and so is seen with the second step.
        {"fills in two steps, then merges", {1, 0, 1, 0}, {{0, 1, 0, 1}, {0, 0, 1, 2}, {0, 0, 0, 2}}},
        {"two merges", {1, 1, 1, 1}, {{0, 1, 1, 2}, {0, 0, 2, 2}}},
        {"a lone tile in one jump", {5, 0, 0, 0}, {{0, 0, 0, 5}}},
        {"a gap closed behind the edge tile", {0, 1, 0, 2}, {{0, 0, 1, 2}}},
        {"a full line that cannot move", {2, 1, 2, 1}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (&c != cases) {
            TearDown();
            SetUp();
        }
        const std::vector<Row> shown = slide_right(c.line);
        // The start picture, each redraw held for a refresh, then the
        // picture of the finished turn with its new tile; a key that moves
        // nothing draws nothing, and nothing is shown again.
        std::vector<Row> want = {c.line};
        want.insert(want.end(), c.steps.begin(), c.steps.end());
        if (!c.steps.empty()) want.push_back(Row(Tab_PoleGry + 4, Tab_PoleGry + 8));
        EXPECT_EQ(shown, want);
        if (!c.steps.empty()) { EXPECT_NE(want.back(), want[want.size() - 2]) << "a new tile"; }
    }
}

// A key waiting on the window's port cuts a slide's pacing short: no step is
// held or shown, so the picture never trails the player's keys.
TEST_F(SlideTest, AKeyWaitingSkipsTheSteps) {
    slide_right({1, 0, 1, 0}); // pacing starts with the first wait
    const LONG row[4] = {1, 0, 1, 0};
    memcpy(Tab_PoleGry + 4, row, sizeof row);
    Quit = 0;
    const int shown = host::headless_presents();
    for (UWORD code : {RAWKEY_RIGHT, RAWKEY_ESCAPE}) {
        auto *m = new IntuiMessage{};
        m->Class = IDCMP_RAWKEY, m->Code = code;
        PutMsg(win->UserPort, &m->ExecMessage);
    }
    Petla_Zdarzen(win->UserPort);
    EXPECT_EQ(Tab_PoleGry[7], 2) << "the move was made";
    EXPECT_EQ(host::headless_presents(), shown);
}

} // namespace
