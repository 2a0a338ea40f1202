// A whole turn inside the window: the score file, the counters, the
// overlays and states, the buttons, the event loop and the outlined text.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "amiga/dos.h"
#include "amiga/gadtools.h"
#include "game_fixture.h"
#include "test_files.h"

using testgame::GameTest;
namespace fs = std::filesystem;

namespace {


IntuiMessage message(ULONG cls, UWORD code, WORD x = 0, WORD y = 0) {
    IntuiMessage m{};
    m.Class = cls;
    m.Code = code;
    m.MouseX = x;
    m.MouseY = y;
    return m;
}

constexpr UWORD KEY_UP = 0x4C, KEY_DOWN = 0x4D, KEY_RIGHT = 0x4E, KEY_LEFT = 0x4F, KEY_ESC = 0x45;

class TurnTest : public GameTest {
  protected:
    fs::path dir;
    std::string saved_progdir;

    void SetUp() override {
        saved_progdir = host::progdir();
        dir = fs::temp_directory_path() / ("kwadron-turn-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        host::set_progdir(dir.string());
        open(0);
    }
    void TearDown() override {
        host::set_progdir(saved_progdir);
        fs::remove_all(dir);
        GameTest::TearDown();
    }

    fs::path score() const { return dir / "score"; }

    ULONG key(UWORD code) {
        IntuiMessage m = message(IDCMP_RAWKEY, code);
        return Dekoduj_IDCMP(&m);
    }
    ULONG mouse(UWORD code, LONG x, LONG y) {
        IntuiMessage m = message(IDCMP_MOUSEBUTTONS, code, WORD(x), WORD(y));
        return Dekoduj_IDCMP(&m);
    }

    void set_board(const LONG (&b)[16]) { memcpy(Tab_PoleGry, b, sizeof b); }

    size_t masked_copies(LONG sx) {
        size_t n = 0;
        for (const auto &b : host::blit_log()) n += b.masked && b.sx == sx;
        return n;
    }
    // Digits drawn into a counter row, in order, read from the copies' sources.
    std::vector<int> digits_in_row(LONG row) {
        std::vector<int> out;
        for (const auto &b : host::blit_log())
            if (!b.masked && b.dy == wy(row) && b.sx == Cyfry[0].x) out.push_back(int((b.sy - Cyfry[0].y) / 12));
        return out;
    }
};

// The first 11 is made by a left move; whatever tile comes next, no move is left.
const LONG last_move_board[16] = {10, 10, 3, 4, 5, 6, 7, 5, 6, 7, 8, 6, 7, 8, 9, 7};

} // namespace

TEST_F(TurnTest, ScoreFileIsReadAsItsFirstLine) {
    const std::pair<std::string, LONG> cases[] = {
        {"1234\n", 1234}, {"  56abc", 56}, {"abc", 0}, {"", 0}, {"-42\n", -42},
        {"1234567890123\n", 123456789}, {"\n", 0}, {"7", 7},
    };
    for (const auto &[text, value] : cases) {
        testfiles::spit(score(), text);
        High_Punkty = 999;
        WczytajHighScore();
        EXPECT_EQ(High_Punkty, value) << '"' << text << '"';
    }
    fs::remove(score());
    High_Punkty = 999;
    WczytajHighScore();
    EXPECT_EQ(High_Punkty, 0);
    EXPECT_EQ(host::ledger_count("file"), 0u);
}

TEST_F(TurnTest, GameOverWritesTheBestScoreExactly) {
    // No file yet: the first game over creates it.
    WczytajHighScore();
    set_board(last_move_board);
    EXPECT_EQ(key(KEY_LEFT), 0u);
    EXPECT_EQ(Gra_OK, 0);
    EXPECT_EQ(testfiles::slurp(score()), std::to_string(High_Punkty) + "\n");
    EXPECT_EQ(High_Punkty, 2048);

    // A lower score still rewrites the file, with the unchanged best.
    testfiles::spit(score(), "  5000junk");
    WczytajHighScore();
    reset_state();
    WczytajHighScore();
    set_board(last_move_board);
    key(KEY_LEFT);
    EXPECT_EQ(testfiles::slurp(score()), "5000\n");
    EXPECT_EQ(host::ledger_count("file"), 0u);
}

TEST_F(TurnTest, AFailedWriteKeepsTheOldFileAndTheGameGoesOn) {
    testfiles::spit(score(), "777\n");
    High_Punkty = 900;
    host::fault_inject("Open");
    ::testing::internal::CaptureStdout();
    ZapiszHighScore();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Nie moge zapisać wynikow\n\n");
    EXPECT_EQ(testfiles::slurp(score()), "777\n");

    // A program directory that cannot hold files at all.
    testfiles::spit(dir / "plain", "x");
    host::set_progdir((dir / "plain").string());
    set_board(last_move_board);
    ::testing::internal::CaptureStdout();
    key(KEY_LEFT);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Nie moge zapisać wynikow\n\n");
    EXPECT_EQ(Gra_OK, 0);
    EXPECT_EQ(masked_copies(0), 1u);
    EXPECT_EQ(host::ledger_count("file"), 0u);
}

TEST_F(TurnTest, Counters) {
    Punkty = 0;
    High_Punkty = 1234;
    Gfx_Start_Punkty();
    EXPECT_EQ(digits_in_row(52), (std::vector<int>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(digits_in_row(100), (std::vector<int>{0, 0, 1, 2, 3, 4}));
    // Places at x = 30 + 11k.
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(host::blit_log()[2 * i].dx, wx(30 + 11 * LONG(i)));

    host::blit_log_clear();
    High_Punkty = 100;
    Punkty = 96;
    Gfx_Punkty(4);
    EXPECT_EQ(digits_in_row(52), (std::vector<int>{0, 0, 0, 1, 0, 0}));
    EXPECT_TRUE(digits_in_row(100).empty());
    EXPECT_EQ(High_Punkty, 100);
    host::blit_log_clear();
    Gfx_Punkty(8);
    EXPECT_EQ(digits_in_row(52), (std::vector<int>{0, 0, 0, 1, 0, 8}));
    EXPECT_EQ(digits_in_row(100), (std::vector<int>{0, 0, 0, 1, 0, 8}));
    EXPECT_EQ(High_Punkty, 108);
    host::blit_log_clear();
    Gfx_Punkty(0);
    EXPECT_TRUE(host::blit_log().empty());

    // Past six places, and a negative best score from an edited file.
    host::blit_log_clear();
    Punkty = 1234567;
    High_Punkty = -5;
    Gfx_Start_Punkty();
    EXPECT_EQ(digits_in_row(52), (std::vector<int>{9, 9, 9, 9, 9, 9}));
    EXPECT_EQ(digits_in_row(100), (std::vector<int>{0, 0, 0, 0, 0, 0}));
}

TEST_F(TurnTest, AMoveWithoutMergeRedrawsNoCounter) {
    const LONG board[16] = {0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0};
    set_board(board);
    key(KEY_LEFT);
    EXPECT_TRUE(digits_in_row(52).empty());
    EXPECT_TRUE(digits_in_row(100).empty());
    int tiles = 0;
    for (LONG c : Tab_PoleGry) tiles += c != 0;
    EXPECT_EQ(tiles, 3);
}

TEST_F(TurnTest, LastMoveMakingTheWinningTileIsGameOverOnly) {
    set_board(last_move_board);
    key(KEY_LEFT);
    EXPECT_EQ(Tab_PoleGry[0], 11);
    EXPECT_EQ(masked_copies(0), 1u);
    EXPECT_EQ(masked_copies(141), 0u);
    EXPECT_EQ(Gra_OK, 0);
    EXPECT_EQ(Gra_Won, 1);
    EXPECT_EQ(Funk[2].aktywny, 0);
}

TEST_F(TurnTest, WinIsAnnouncedOncePerGame) {
    const LONG board[16] = {10, 10, 0, 0};
    set_board(board);
    key(KEY_LEFT);
    EXPECT_EQ(masked_copies(141), 1u);
    EXPECT_EQ(Gra_OK, 2);
    EXPECT_EQ(Gra_Won, 2);
    EXPECT_EQ(Funk[2].aktywny, 1);
    EXPECT_EQ(testfiles::slurp(score()), "2048\n");
    // The return button is drawn with the others, just below the picture.
    bool back_drawn = false;
    for (const auto &b : host::blit_log()) back_drawn |= b.dx == Funk[2].x && b.dy == Funk[2].y;
    EXPECT_TRUE(back_drawn);

    // Keys do nothing while the picture is shown.
    LONG before[16];
    memcpy(before, Tab_PoleGry, sizeof before);
    host::blit_log_clear();
    key(KEY_RIGHT);
    EXPECT_EQ(memcmp(before, Tab_PoleGry, sizeof before), 0);
    EXPECT_TRUE(host::blit_log().empty());

    Wykonaj(3);
    EXPECT_EQ(Gra_OK, 1);
    EXPECT_EQ(Funk[2].aktywny, 0);
    const LONG again[16] = {10, 10, 11, 0};
    set_board(again);
    host::blit_log_clear();
    key(KEY_LEFT);
    EXPECT_EQ(masked_copies(141), 0u);
    EXPECT_EQ(Gra_OK, 1);

    Wykonaj(2);
    EXPECT_EQ(Gra_Won, 1);
    set_board(board);
    host::blit_log_clear();
    key(KEY_LEFT);
    EXPECT_EQ(masked_copies(141), 1u);
}

TEST_F(TurnTest, CreditsAfterGameOverThenBackLetsKeysReachAStuckBoard) {
    set_board(last_move_board);
    key(KEY_LEFT);
    ASSERT_EQ(Gra_OK, 0);
    Wykonaj(1);
    EXPECT_EQ(Gra_OK, 0);
    EXPECT_EQ(Funk[2].aktywny, 1);
    Wykonaj(3);
    EXPECT_EQ(Gra_OK, 1);
    LONG before[16];
    memcpy(before, Tab_PoleGry, sizeof before);
    const fs::file_time_type written = fs::last_write_time(score());
    for (UWORD k : {KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT}) {
        host::blit_log_clear();
        key(k);
        EXPECT_TRUE(host::blit_log().empty());
    }
    EXPECT_EQ(memcmp(before, Tab_PoleGry, sizeof before), 0);
    EXPECT_EQ(Gra_OK, 1);
    EXPECT_EQ(fs::last_write_time(score()), written);
}

TEST_F(TurnTest, NewGameFromEveryState) {
    High_Punkty = 321;
    auto check = [&](const char *state) {
        Punkty = 50;
        Sub_Punkty = 7;
        Wykonaj(2);
        int tiles = 0;
        for (LONG c : Tab_PoleGry) tiles += c != 0;
        EXPECT_EQ(tiles, 2) << state;
        EXPECT_EQ(Punkty, 0) << state;
        EXPECT_EQ(Sub_Punkty, 0) << state;
        EXPECT_EQ(Gra_OK, 1) << state;
        EXPECT_EQ(Gra_Won, 1) << state;
        EXPECT_EQ(Funk[2].aktywny, 0) << state;
        EXPECT_GE(High_Punkty, 321) << state;
    };
    check("playing");
    set_board(last_move_board);
    key(KEY_LEFT);
    check("game over");
    const LONG win[16] = {10, 10};
    set_board(win);
    key(KEY_LEFT);
    ASSERT_EQ(Gra_OK, 2);
    check("won");
    Wykonaj(1);
    check("credits");
}

TEST_F(TurnTest, ButtonsWorkByPressAndRelease) {
    const Przycisk &nowa = Funk[1];
    const LONG in_x = nowa.x + 5, in_y = nowa.y + 5;
    const LONG pressed_y = nowa.zrodlo_y + nowa.wys + 1;

    EXPECT_EQ(mouse(SELECTDOWN, in_x, in_y), 0u);
    EXPECT_EQ(Fun, 1u);
    ASSERT_EQ(host::blit_log().size(), 1u);
    EXPECT_EQ(host::blit_log()[0].sy, pressed_y);
    EXPECT_EQ(host::blit_log()[0].dx, nowa.x);
    host::blit_log_clear();
    EXPECT_EQ(mouse(SELECTUP, in_x, in_y), 2u);
    ASSERT_EQ(host::blit_log().size(), 1u);
    EXPECT_EQ(host::blit_log()[0].sy, nowa.zrodlo_y);

    // Released elsewhere: the button comes back up and nothing runs.
    mouse(SELECTDOWN, in_x, in_y);
    host::blit_log_clear();
    EXPECT_EQ(mouse(SELECTUP, 0, 0), 0u);
    ASSERT_EQ(host::blit_log().size(), 1u);
    EXPECT_EQ(host::blit_log()[0].sy, nowa.zrodlo_y);

    // Pressed elsewhere, released over the button: nothing.
    host::blit_log_clear();
    EXPECT_EQ(mouse(SELECTDOWN, 0, 0), 0u);
    EXPECT_EQ(Fun, 4u);
    EXPECT_EQ(mouse(SELECTUP, in_x, in_y), 0u);
    EXPECT_TRUE(host::blit_log().empty());

    // The rectangle's first row and column are outside, its last ones inside.
    const LONG x = nowa.x, y = nowa.y, w = nowa.szer, h = nowa.wys;
    const std::tuple<LONG, LONG, bool> edges[] = {
        {x, y + 1, false}, {x + 1, y, false}, {x + 1, y + 1, true},
        {x + w - 1, y + h - 1, true}, {x + w, y + 1, false}, {x + 1, y + h, false},
    };
    for (const auto &[px, py, hit] : edges) {
        mouse(SELECTDOWN, px, py);
        EXPECT_EQ(Fun, hit ? 1u : 4u) << px << "," << py;
        EXPECT_EQ(mouse(SELECTUP, px, py), hit ? 2u : 0u) << px << "," << py;
    }

    // The return button answers only while it is shown.
    const Przycisk &wroc = Funk[2];
    mouse(SELECTDOWN, wroc.x + 3, wroc.y + 3);
    EXPECT_EQ(Fun, 4u);
    Wykonaj(1);
    mouse(SELECTDOWN, wroc.x + 3, wroc.y + 3);
    EXPECT_EQ(Fun, 2u);
    EXPECT_EQ(mouse(SELECTUP, wroc.x + 3, wroc.y + 3), 3u);

    // A redraw of the button row between press and release cancels the click.
    mouse(SELECTDOWN, in_x, in_y);
    OdswierzGad(0, 4, Okno);
    host::blit_log_clear();
    EXPECT_EQ(mouse(SELECTUP, in_x, in_y), 0u);
    EXPECT_TRUE(host::blit_log().empty());

    // Other buttons of the mouse do nothing.
    host::blit_log_clear();
    EXPECT_EQ(mouse(MENUDOWN, in_x, in_y), 0u);
    EXPECT_EQ(mouse(MENUUP, in_x, in_y), 0u);
    EXPECT_TRUE(host::blit_log().empty());
}

namespace {
void queue(MsgPort &port, ULONG cls, UWORD code, WORD x = 0, WORD y = 0) {
    IntuiMessage *m = new IntuiMessage(message(cls, code, x, y));
    PutMsg(&port, &m->ExecMessage);
}
} // namespace

TEST_F(TurnTest, LoopHandlesWaitingMessagesAfterAStop) {
    MsgPort port{};
    const LONG board[16] = {0, 0, 0, 1};
    set_board(board);
    queue(port, IDCMP_RAWKEY, KEY_ESC);
    queue(port, IDCMP_RAWKEY, KEY_LEFT);
    Petla_Zdarzen(&port);
    EXPECT_EQ(Quit, 1);
    EXPECT_EQ(Tab_PoleGry[0], 1);
    EXPECT_EQ(port.mp_Count, 0u);
}

TEST_F(TurnTest, KeyUpCodesAndOtherKeysDoNothing) {
    const LONG board[16] = {0, 0, 0, 1, 0, 0, 2, 0};
    set_board(board);
    for (UWORD code : {0xC5, 0xCC, 0xCD, 0xCE, 0xCF, 0x40, 0x10, 0x44}) key(code);
    EXPECT_EQ(memcmp(board, Tab_PoleGry, sizeof board), 0);
    EXPECT_EQ(Quit, 0);
    EXPECT_TRUE(host::blit_log().empty());
    // A repeated key moves once per message, whatever its qualifier.
    IntuiMessage m = message(IDCMP_RAWKEY, KEY_LEFT);
    m.Qualifier = IEQUALIFIER_REPEAT;
    Dekoduj_IDCMP(&m);
    EXPECT_EQ(Tab_PoleGry[0], 1);
}

TEST_F(TurnTest, CloseGadgetAndQuitButtonEndWithoutWritingTheScore) {
    const LONG board[16] = {1, 1};
    for (int way = 0; way < 3; ++way) {
        reset_state();
        set_board(board);
        MsgPort port{};
        queue(port, IDCMP_RAWKEY, KEY_LEFT); // a new best score
        if (way == 0) queue(port, IDCMP_CLOSEWINDOW, 0);
        if (way == 1) queue(port, IDCMP_RAWKEY, KEY_ESC);
        if (way == 2) {
            queue(port, IDCMP_MOUSEBUTTONS, SELECTDOWN, WORD(Funk[3].x + 2), WORD(Funk[3].y + 2));
            queue(port, IDCMP_MOUSEBUTTONS, SELECTUP, WORD(Funk[3].x + 2), WORD(Funk[3].y + 2));
        }
        Petla_Zdarzen(&port);
        EXPECT_EQ(Quit, 1);
        EXPECT_EQ(High_Punkty, 4);
        EXPECT_FALSE(fs::exists(score()));
    }
}

TEST_F(TurnTest, PrintujDrawsAnOutlinedLineCentred) {
    fill_frame(0x123456);
    Printuj(210, 55, "ABCDEF");
    EXPECT_EQ(Tekst.FrontPen, 1);
    EXPECT_STREQ(text, "ABCDEF");

    // The same line drawn plainly at the expected place, to compare with.
    struct BitMap *ref = AllocBitMap(frame->Width, frame->Rows, 24, 0, nullptr);
    struct RastPort rrp;
    InitRastPort(&rrp);
    rrp.BitMap = ref;
    SetRast(&rrp, 0); // pen 0, the grey of the default pens: not black
    IntuiText it = Tekst;
    const LONG cx = bl + 186, cy = bt + 55;
    ASSERT_EQ(IntuiTextLength(&it), 48);
    PrintIText(&rrp, &it, cx, cy);
    auto glyph = [&](LONG x, LONG y) {
        return x >= 0 && y >= 0 && x < ref->Width && y < ref->Rows &&
               reinterpret_cast<ULONG *>(ref->Pixels)[y * ref->Width + x] == 0;
    };
    size_t ink = 0;
    for (LONG y = 0; y < frame->Rows; ++y)
        for (LONG x = 0; x < frame->Width; ++x) {
            const bool body = glyph(x, y);
            const bool outline = !body && (glyph(x + 1, y + 1) || glyph(x - 1, y - 1) ||
                                           glyph(x + 1, y - 1) || glyph(x - 1, y + 1));
            const ULONG want = body ? 0x000000 : outline ? 0xFFFFFF : 0x123456;
            ink += body;
            ASSERT_EQ(pixel(x, y), want) << x << "," << y;
        }
    EXPECT_GT(ink, 20u);
    FreeBitMap(ref);

    // Longer than the buffer: cut, never overflowed.
    Printuj(210, 70, "0123456789012345678901234567890123456789");
    EXPECT_EQ(strlen(text), 29u);
}
