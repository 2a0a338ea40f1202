// A whole turn inside the window: the score file, the counters, the
// overlays and the credits as drawn, the buttons and the event loop; then a
// long random play.
#include <algorithm>
#include <random>

#include "graphics/graphics.h"
#include "amiga/dos.h"
#include "amiga/gadtools.h"
#include "amiga/rawkeycodes.h"
#include "game_fixture.h"
#include "support.h"
#include "turn_model.h"

using testgame::GameTest;
using testgame::skin_code;
using testgame::UNTOUCHED;
using namespace testturn;
namespace fs = std::filesystem;

namespace {

IntuiMessage message(ULONG cls, UWORD code, WORD x = 0, WORD y = 0) {
    IntuiMessage m{};
    m.Class = cls, m.Code = code, m.MouseX = x, m.MouseY = y;
    return m;
}

void queue(MsgPort &port, ULONG cls, UWORD code, WORD x = 0, WORD y = 0) {
    PutMsg(&port, &(new IntuiMessage(message(cls, code, x, y)))->ExecMessage);
}

// A folder of its own for the score file.
struct ScoreDir : testfiles::TempDir {
    std::string saved = host::progdir();
    ScoreDir() { host::set_progdir(root.string()); }
    ~ScoreDir() { host::set_progdir(saved); }
};

class TurnTest : public GameTest {
  protected:
    ScoreDir sd;
    void SetUp() override { open(0); }

    fs::path score() const { return sd.root / "score"; }
    static ULONG decode(IntuiMessage m) { return Dekoduj_IDCMP(&m); }
    ULONG key(UWORD code) { return decode(message(IDCMP_RAWKEY, code)); }
    ULONG mouse(UWORD code, LONG x, LONG y) { return decode(message(IDCMP_MOUSEBUTTONS, code, WORD(x), WORD(y))); }
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
    // Every board cell shows its tile, read back from its corner pixels.
    void expect_board_shown() {
        const LONG s = tryb_ekran, W = Kafle[0].szer;
        for (int i = 0; i < 16; ++i) {
            const LONG X = (131 << s) + (i % 4) * W, Y = (48 << s) + (i / 4) * W;
            const LONG e = Tab_PoleGry[i];
            for (LONG k : {LONG(0), W - 1}) {
                const ULONG want = e ? skin_code(Kafle[e - 1].x + k, Kafle[e - 1].y + k) : skin_code(X + k, Y + k);
                EXPECT_EQ(pixel(bl + X + k, bt + Y + k), want) << "cell " << i;
            }
        }
    }
    // An overlay in layout units: the skin's picture at (sx, sy) of w x h
    // through the mask at (dx, dy), and nothing drawn in 8 pixels around it.
    void expect_overlay(LONG sx, LONG sy, LONG dx, LONG dy, LONG w, LONG h) {
        const LONG s = tryb_ekran, X = wx(dx), Y = wy(dy), W = w << s, H = h << s;
        for (LONG y = Y - 8; y < Y + H + 8; ++y)
            for (LONG x = X - 8; x < X + W + 8; ++x) {
                ULONG want = UNTOUCHED;
                const LONG px = (sx << s) + x - X, py = (sy << s) + y - Y;
                if (x >= X && x < X + W && y >= Y && y < Y + H && opaque(px, py)) want = skin_code(px, py);
                ASSERT_EQ(pixel(x, y), want) << "scale " << s << " at " << x - X << "," << y - Y;
            }
    }
};

// The first 11 is made by a left move; whatever tile comes next, no move is left.
const LONG last_move_board[16] = {10, 10, 3, 4, 5, 6, 7, 5, 6, 7, 8, 6, 7, 8, 9, 7};

} // namespace

// A line as an editor may leave it reads as the number on it, and a lower
// best written after it keeps that number.
TEST_F(TurnTest, TheScoreLineReadsAsItsEditorMeantIt) {
    const std::pair<std::string, LONG> lines[] = {
        {"\xEF\xBB\xBF" "5000\n", 5000}, {"\n5000\n", 5000}, {"          5000\n", 5000}, {"5000\r\n", 5000},
        {"5000\n", 5000}, {" \t\r\n\n  123456789012\n", 123456789}, {"  1234junk\n", 1234}, {"  -56abc", -56},
        {"abc\n5000\n", 0}, {std::string(600, '\n') + "5000\n", 0}};
    for (const auto &[text, number] : lines) {
        testfiles::spit(score(), text);
        WczytajHighScore();
        EXPECT_EQ(High_Punkty, number) << text;
        High_Punkty = number - 1;
        ZapiszHighScore();
        EXPECT_EQ(testfiles::slurp(score()), std::to_string(number) + "\n") << text;
    }
}

TEST_F(TurnTest, ScoreFileIsReadAndWrittenAtGameOver) {
    WczytajHighScore();
    EXPECT_EQ(High_Punkty, 0);

    // No file yet: the first game over creates it. The move makes the
    // winning tile, but game over is all that is shown.
    set_board(last_move_board);
    EXPECT_EQ(key(RAWKEY_LEFT), 0u);
    EXPECT_EQ(Tab_PoleGry[0], 11);
    EXPECT_EQ(Gra_OK, 0);
    EXPECT_EQ(masked_copies(0), 1u);
    EXPECT_EQ(masked_copies(141), 0u);
    EXPECT_EQ(Funk[2].aktywny, 0);
    EXPECT_EQ(High_Punkty, 2048);
    EXPECT_EQ(testfiles::slurp(score()), "2048\n");

    // A lower score still rewrites the file, with the unchanged best.
    testfiles::spit(score(), "5000\n");
    reset_state();
    WczytajHighScore();
    set_board(last_move_board);
    key(RAWKEY_LEFT);
    EXPECT_EQ(testfiles::slurp(score()), "5000\n");
    EXPECT_EQ(host::ledger_count("file"), 0u);

    // Another copy of the game wrote a higher best meanwhile: it is kept,
    // and this copy's best takes it.
    testfiles::spit(score(), "9000\n");
    reset_state();
    set_board(last_move_board);
    key(RAWKEY_LEFT);
    EXPECT_EQ(testfiles::slurp(score()), "9000\n");
    EXPECT_EQ(High_Punkty, 9000);
}

// The game's own line when the file cannot be opened; the host's on
// standard error whether the open or the close fails.
TEST_F(TurnTest, AFailedWriteKeepsTheOldFileAndTheGameGoesOn) {
    for (const char *call : {"Open", "Close"}) {
        testfiles::spit(score(), "777\n");
        reset_state();
        host::blit_log_clear();
        High_Punkty = 900;
        host::fault_inject(call, call[0] == 'O' ? 1 : 2); // the write, not the read of what another copy wrote
        set_board(last_move_board);
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        key(RAWKEY_LEFT);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), call[0] == 'O' ? "Nie moge zapisać wynikow\n\n" : "");
        EXPECT_EQ(::testing::internal::GetCapturedStderr().rfind("kwadron: cannot keep ", 0), 0u) << call;
        EXPECT_EQ(testfiles::slurp(score()), "777\n");
        EXPECT_EQ(Gra_OK, 0);
        EXPECT_EQ(masked_copies(0), 1u);
        EXPECT_EQ(host::ledger_count("file"), 0u);
    }
}

TEST_F(TurnTest, Counters) {
    Punkty = 0, High_Punkty = 1234;
    Gfx_Start_Punkty();
    EXPECT_EQ(digits_in_row(52), (std::vector<int>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(digits_in_row(100), (std::vector<int>{0, 0, 1, 2, 3, 4}));
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(host::blit_log()[2 * i].dx, wx(30 + 11 * LONG(i)));

    host::blit_log_clear();
    High_Punkty = 100;
    Punkty = 96;
    Gfx_Punkty(4);
    EXPECT_EQ(digits_in_row(52), (std::vector<int>{0, 0, 0, 1, 0, 0}));
    EXPECT_TRUE(digits_in_row(100).empty());
    host::blit_log_clear();
    Gfx_Punkty(8);
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

TEST_F(TurnTest, GameOverAndWinPicturesAtBothScales) {
    for (LONG scale = 0; scale <= 1; ++scale) {
        open(scale);
        Gfx_GameOver();
        expect_overlay(0, 402, 140, 85, 140, 80);
        EXPECT_EQ(Gra_OK, 0);

        fill_frame(UNTOUCHED);
        reset_state();
        Tab_PoleGry[7] = 11;
        Gfx_Continue();
        expect_overlay(141, 402, 140, 85, 132, 81);
        EXPECT_EQ(Gra_OK, 2);
        EXPECT_EQ(Funk[2].aktywny, 1);
    }
}

TEST_F(TurnTest, WinIsAnnouncedOncePerGameAndBackRedrawsTheBoard) {
    const LONG board[16] = {10, 10, 0, 0};
    set_board(board);
    key(RAWKEY_LEFT);
    EXPECT_EQ(masked_copies(141), 1u);
    EXPECT_EQ(Gra_OK, 2);
    EXPECT_EQ(Gra_Won, 2);
    EXPECT_EQ(testfiles::slurp(score()), "2048\n");
    bool back_drawn = false;
    for (const auto &b : host::blit_log()) back_drawn |= b.dx == Funk[2].x && b.dy == Funk[2].y;
    EXPECT_TRUE(back_drawn);

    // Keys do nothing while the picture is shown.
    LONG before[16];
    memcpy(before, Tab_PoleGry, sizeof before);
    host::blit_log_clear();
    key(RAWKEY_RIGHT);
    EXPECT_EQ(memcmp(before, Tab_PoleGry, sizeof before), 0);
    EXPECT_TRUE(host::blit_log().empty());

    fill_frame(UNTOUCHED);
    Wykonaj(3);
    expect_board_shown();
    EXPECT_EQ(Gra_OK, 1);
    EXPECT_EQ(Funk[2].aktywny, 0);
    const LONG again[16] = {10, 10, 11, 0};
    set_board(again);
    host::blit_log_clear();
    key(RAWKEY_LEFT);
    EXPECT_EQ(masked_copies(141), 0u);
    EXPECT_EQ(Gra_OK, 1);

    Wykonaj(2);
    EXPECT_EQ(Gra_Won, 1);
    set_board(board);
    host::blit_log_clear();
    key(RAWKEY_LEFT);
    EXPECT_EQ(masked_copies(141), 1u);
}

TEST_F(TurnTest, CreditsAreDrawnOutlinedAndCentredAtBothScales) {
    const char *const lines[7] = {"Based on game by:", "Brennoch", "www.kwadron.example", "Code:", "Ulmerik",
                                  "Graphics:", "Vexol"};
    const LONG rows[7] = {55, 70, 83, 105, 118, 142, 155};
    for (LONG scale = 0; scale <= 1; ++scale) {
        open(scale);
        fill_frame(0x123456);
        Wykonaj(1);
        EXPECT_EQ(Gra_OK, 0);
        EXPECT_EQ(Funk[2].aktywny, 1);
        EXPECT_EQ(pixel(Funk[2].x, Funk[2].y), testgame::skin_code(Funk[2].zrodlo_x, Funk[2].zrodlo_y)) << "BACK";
        EXPECT_EQ(Tekst.FrontPen, 1);

        // The same lines drawn at the expected places: white pen 2 at the four
        // diagonal neighbours, then black pen 1 on top.
        struct BitMap *ref = AllocBitMap(host::rec(frame)->Width, frame->Rows, 24, 0, nullptr);
        std::fill_n(reinterpret_cast<ULONG *>(host::rec(ref)->Pixels), size_t(host::rec(ref)->Width) * ref->Rows, 0x123456);
        struct RastPort rrp;
        InitRastPort(&rrp);
        rrp.BitMap = ref;
        const LONG top = wy(45), bottom = wy(170), left = wx(120);
        for (int i = 0; i < 7; ++i) {
            IntuiText it = Tekst;
            it.IText = reinterpret_cast<UBYTE *>(const_cast<char *>(lines[i]));
            const LONG cx = wx(210) - IntuiTextLength(&it) / 2, cy = wy(rows[i]);
            it.FrontPen = 2;
            for (const auto &[ox, oy] : {std::pair{-1, -1}, {1, 1}, {-1, 1}, {1, -1}}) PrintIText(&rrp, &it, cx + ox, cy + oy);
            it.FrontPen = 1;
            PrintIText(&rrp, &it, cx, cy);
        }
        size_t ink = 0;
        for (LONG y = top; y < bottom; ++y)
            for (LONG x = left; x < host::rec(frame)->Width; ++x) {
                const ULONG want = reinterpret_cast<ULONG *>(host::rec(ref)->Pixels)[y * host::rec(ref)->Width + x];
                ink += want == 0;
                ASSERT_EQ(pixel(x, y), want) << "scale " << scale << " at " << x << "," << y;
            }
        EXPECT_GT(ink, 300u);
        FreeBitMap(ref);
    }
    // Longer than the buffer: cut, never overflowed.
    Printuj(210, 70, "0123456789012345678901234567890123456789");
    EXPECT_EQ(strlen(text), 29u);
}

// The first game draws the background; every new game shows its two tiles.
TEST_F(TurnTest, NewGameFromEveryStateKeepsTheBestScore) {
    auto check = [&](const char *state) {
        SCOPED_TRACE(state);
        Punkty = 50;
        Sub_Punkty = 7;
        const LONG best = High_Punkty;
        fill_frame(UNTOUCHED);
        Wykonaj(2);
        int tiles = 0;
        for (LONG c : Tab_PoleGry) tiles += c != 0;
        EXPECT_EQ(tiles, 2);
        expect_board_shown();
        EXPECT_TRUE(Punkty == 0 && Sub_Punkty == 0 && Gra_OK == 1 && Gra_Won == 1 && !Funk[2].aktywny);
        EXPECT_EQ(High_Punkty, best);
    };
    Pierwsza_Gra();
    EXPECT_EQ(pixel(bl, bt), skin_code(0, 0)) << "the first game draws the background";
    High_Punkty = 321;
    check("playing");
    set_board(last_move_board);
    key(RAWKEY_LEFT);
    check("game over");
    const LONG win[16] = {10, 10};
    set_board(win);
    key(RAWKEY_LEFT);
    ASSERT_EQ(Gra_OK, 2);
    check("won");
    Wykonaj(1);
    check("credits");
}

TEST_F(TurnTest, ButtonsWorkByPressAndRelease) {
    const Przycisk &nowa = Funk[1];
    const LONG in_x = nowa.x + 5, in_y = nowa.y + 5;
    // Drawn pressed on the press, up again and run on the release over it.
    EXPECT_EQ(mouse(SELECTDOWN, in_x, in_y), 0u);
    EXPECT_EQ(mouse(SELECTUP, in_x, in_y), 2u);
    ASSERT_EQ(host::blit_log().size(), 2u);
    EXPECT_EQ(host::blit_log()[0].sy, nowa.zrodlo_y + nowa.wys + 1);
    EXPECT_EQ(host::blit_log()[0].dx, nowa.x);
    EXPECT_EQ(host::blit_log()[1].sy, nowa.zrodlo_y);

    // Released elsewhere, or pressed elsewhere and released over it: nothing.
    mouse(SELECTDOWN, in_x, in_y);
    EXPECT_EQ(mouse(SELECTUP, 0, 0), 0u);
    host::blit_log_clear();
    EXPECT_EQ(mouse(SELECTDOWN, 0, 0), 0u);
    EXPECT_EQ(mouse(SELECTUP, in_x, in_y), 0u);
    EXPECT_TRUE(host::blit_log().empty());

    // The rectangle's first row and column are outside, its last ones inside.
    const LONG x = nowa.x, y = nowa.y, w = nowa.szer, h = nowa.wys;
    const std::tuple<LONG, LONG, bool> edges[] = {{x, y + 1, false},         {x + 1, y, false},
                                                  {x + 1, y + 1, true},     {x + w - 1, y + h - 1, true},
                                                  {x + w, y + 1, false},    {x + 1, y + h, false}};
    for (const auto &[px, py, hit] : edges) {
        mouse(SELECTDOWN, px, py);
        EXPECT_EQ(mouse(SELECTUP, px, py), hit ? 2u : 0u) << px << "," << py;
    }

    // The return button answers only while it is shown.
    const Przycisk &wroc = Funk[2];
    mouse(SELECTDOWN, wroc.x + 3, wroc.y + 3);
    EXPECT_EQ(Fun, 4u);
    Wykonaj(1);
    mouse(SELECTDOWN, wroc.x + 3, wroc.y + 3);
    EXPECT_EQ(mouse(SELECTUP, wroc.x + 3, wroc.y + 3), 3u);

    // A redraw of the button row between press and release cancels the
    // click; the other mouse buttons do nothing.
    mouse(SELECTDOWN, in_x, in_y);
    OdswierzGad(0, 4, Okno);
    host::blit_log_clear();
    EXPECT_EQ(mouse(SELECTUP, in_x, in_y), 0u);
    EXPECT_EQ(mouse(MENUDOWN, in_x, in_y), 0u);
    EXPECT_EQ(mouse(MENUUP, in_x, in_y), 0u);
    EXPECT_TRUE(host::blit_log().empty());
}

TEST_F(TurnTest, CloseGadgetEscAndQuitButtonEndWithoutWritingTheScore) {
    const LONG board[16] = {1, 1};
    for (int way = 0; way < 3; ++way) {
        reset_state();
        set_board(board);
        MsgPort port{};
        queue(port, IDCMP_RAWKEY, RAWKEY_LEFT); // a new best score
        const WORD qx = WORD(Funk[3].x + 2), qy = WORD(Funk[3].y + 2);
        if (way == 0) queue(port, IDCMP_CLOSEWINDOW, 0);
        if (way == 1) queue(port, IDCMP_RAWKEY, RAWKEY_ESCAPE);
        if (way == 2) queue(port, IDCMP_MOUSEBUTTONS, SELECTDOWN, qx, qy), queue(port, IDCMP_MOUSEBUTTONS, SELECTUP, qx, qy);
        Petla_Zdarzen(&port);
        EXPECT_EQ(Quit, 1);
        EXPECT_EQ(High_Punkty, 4);
        EXPECT_FALSE(fs::exists(score()));
    }
}

// ---- Random play through the event loop ------------------------------------

namespace {

// A player who keeps the big tiles in the lower left corner, to reach wins:
// the move leaving most free cells, up only when nothing else moves.
UWORD corner_player(const Board &b) {
    UWORD best = RAWKEY_UP;
    long best_value = -1;
    for (UWORD k : {RAWKEY_DOWN, RAWKEY_LEFT, RAWKEY_RIGHT}) {
        LONG g;
        const Board r = model_move(b, k, g);
        if (r == b) continue;
        long value = g + 4000 * (r[12] == *std::max_element(r.begin(), r.end()));
        for (LONG v : r) value += v ? 0 : 1000;
        if (value > best_value) best_value = value, best = k;
    }
    return best;
}

} // namespace

// Random messages through the real event loop at both scales, each checked
// against the model; no handle may pile up. KWADRON_SOAK_MESSAGES sets the
// length; scripts/soak.sh runs it long.
TEST(Soak, RandomPlayThroughTheEventLoop) {
    const char *env = getenv("KWADRON_SOAK_MESSAGES");
    const long total = env && *env ? strtol(env, nullptr, 10) : 40000;
    testfiles::ProgDir d;
    std::mt19937 rng(20261206);
    long messages = 0, turns = 0, wins = 0, game_overs = 0;
    for (int half = 0; half < 2; ++half) {
        host::reset_all();
        testgame::reset_program_state();
        host::display_choose("headless");
        host::set_progdir(d.prog.string());
        snprintf(nazwa_skina, sizeof nazwa_skina, "%s", half ? "progdir:grafika_aga2x" : "progdir:grafika_aga");
        args[1] = IPTR(half);
        ASSERT_TRUE(Zasoby_Otworz() && Wczytaj_Grafike() && Otworz_Ekran(LONG(args[1]), tryb_ekran) &&
                    Otworz_Okno(LONG(args[1]), tryb_ekran));
        Uloz_Grafike();
        ASSERT_EQ(Generuj_Maske(BM_Grafika), 1);
        Skaluj_Uklad();
        srand(unsigned(half));
        Pierwsza_Gra();
        const size_t handles = host::ledger_count();
        // One message: queued, taken by the loop's wait and handled; the
        // empty queue then closes the window, which ends the loop.
        auto deliver = [&](ULONG cls, UWORD code, WORD x, WORD y) {
            host::input_push(cls, code, x, y);
            Petla_Zdarzen(Okno->UserPort);
            Quit = 0;
            ++messages;
        };
        auto click = [&](int i, WORD dx) {
            const Przycisk &f = Funk[i];
            deliver(IDCMP_MOUSEBUTTONS, SELECTDOWN, WORD(f.x + f.szer / 2), WORD(f.y + f.wys / 2));
            deliver(IDCMP_MOUSEBUTTONS, SELECTUP, WORD(f.x + f.szer / 2 + dx), WORD(f.y + f.wys / 2));
        };
        LONG model_score = Punkty;
        for (long m = 0; m < total / 2; ++m) {
            Board before;
            std::copy(std::begin(Tab_PoleGry), std::end(Tab_PoleGry), before.begin());
            const LONG punkty = Punkty, best = High_Punkty;
            const UBYTE ok = Gra_OK;
            const unsigned r = rng() % 100;
            UWORD key = 0;
            if (ok != 1 && r < 30) {
                click(Funk[2].aktywny ? 2 : 1, 0); // back or a new game
            } else if (r < 75) {
                key = rng() % 20 ? corner_player(before) : UWORD(RAWKEY_UP + rng() % 4);
                deliver(IDCMP_RAWKEY, key, 0, 0);
            } else if (r < 85) {
                const UWORD codes[] = {SELECTDOWN, SELECTUP, MENUDOWN, MENUUP, UWORD(rng())};
                deliver(IDCMP_MOUSEBUTTONS, codes[rng() % 5], WORD(rng() % 760 - 60), WORD(rng() % 600 - 60));
            } else if (r < 90) {
                click(rng() % 8 ? 0 : 2, WORD(rng() % 4 ? 0 : 200)); // credits or back, or let go elsewhere
            } else if (r < 95) {
                const UWORD code = UWORD(rng() % 0x100);
                deliver(IDCMP_RAWKEY, code == RAWKEY_ESCAPE || (code >= RAWKEY_UP && code <= RAWKEY_LEFT) ? 0x44 : code, 0, 0);
            } else {
                deliver(r < 97 ? IDCMP_CLOSEWINDOW : ULONG(1) << (rng() % 32), UWORD(rng()), WORD(rng()), WORD(rng()));
            }
            Board after;
            std::copy(std::begin(Tab_PoleGry), std::end(Tab_PoleGry), after.begin());
            const std::string what = "message " + std::to_string(messages);
            ASSERT_GE(High_Punkty, std::max(Punkty, best)) << what;
            if (key && ok == 1) {
                ASSERT_EQ(turn_fault(before, after, key), "") << what;
                LONG gain;
                if (model_move(before, key, gain) == before) continue;
                ++turns;
                model_score += gain;
                ASSERT_EQ(Punkty, model_score) << what;
                bool can_move = false;
                for (UWORD k = RAWKEY_UP; k <= RAWKEY_LEFT; ++k) can_move = can_move || model_move(after, k, gain) != after;
                ASSERT_EQ(Gra_OK == 0, !can_move) << what;
                game_overs += Gra_OK == 0;
                wins += Gra_OK == 2;
                if (Gra_OK != 1) {
                    ASSERT_EQ(testfiles::slurp(d.prog / "score"), std::to_string(High_Punkty) + "\n") << what;
                }
            } else if (after != before) {
                // Off a turn only a new game changes the board.
                ASSERT_EQ(Gra_OK, 1) << what;
                int tiles = 0;
                for (LONG v : after) tiles += v != 0;
                ASSERT_EQ(tiles, 2) << what;
                ASSERT_EQ(Punkty, 0) << what;
                model_score = 0;
            } else {
                ASSERT_EQ(after, before) << what;
                ASSERT_EQ(Punkty, punkty) << what;
            }
            if (m % 1000 == 0) {
                ASSERT_EQ(host::ledger_count(), handles) << what;
            }
        }
        Zasoby_Zamknij();
        EXPECT_EQ(host::ledger_count(), 0u);
    }
    printf("soak: %ld messages, %ld turns, %ld game overs, %ld wins\n", messages, turns, game_overs, wins);
    host::reset_all();
    testgame::reset_program_state();
}
