// The board: layout at both scales, cell drawing, the four moves with their
// slide animation, spawning and the move check.

#include "game_fixture.h"
#include "libc/random.h"

using testgame::GameTest;
using testgame::skin_code;

namespace {

enum Dir { RIGHT, LEFT, UP, DOWN };
const char *const dir_names[] = {"right", "left", "up", "down"};

// Cell pk of line `line` in a direction, as board index.
int cell_of(Dir d, int line, int k) {
    switch (d) {
    case RIGHT: return line * 4 + (3 - k);
    case LEFT: return line * 4 + k;
    case UP: return k * 4 + line;
    default: return (3 - k) * 4 + line;
    }
}

LONG (*const move_line[4])(LONG) = {Ruch_Prawo, Ruch_Lewo, Ruch_Gora, Ruch_Dol};

struct Drawn {
    int cell;     // board index
    int exponent; // what the copy shows: 0 for the background
    bool operator==(const Drawn &o) const { return cell == o.cell && exponent == o.exponent; }
};

class BoardTest : public GameTest {
  protected:
    // Decodes the record of copies into the cells drawn and what each showed.
    std::vector<Drawn> drawn() {
        std::vector<Drawn> out;
        const LONG s = tryb_ekran, W = Kafle[0].szer, H = Kafle[0].wys;
        for (const auto &b : host::blit_log()) {
            EXPECT_TRUE(!b.masked && b.minterm == 0xC0u && b.w == W && b.h == H);
            const LONG X = b.dx - bl - (131 << s), Y = b.dy - bt - (48 << s);
            EXPECT_EQ(X % W, 0);
            EXPECT_EQ(Y % H, 0);
            const int cell = int(Y / H) * 4 + int(X / W);
            int e = -1;
            if (b.sx == b.dx - bl && b.sy == b.dy - bt) e = 0;
            for (int i = 0; i < 16; ++i)
                if (b.sx == Kafle[i].x && b.sy == Kafle[i].y) e = i + 1;
            EXPECT_NE(e, -1) << "copy from " << b.sx << "," << b.sy;
            out.push_back({cell, e});
        }
        return out;
    }
};

struct LineCase {
    int in[4];
    int out[4];
    LONG result;
    LONG gain;
    // Each redraw as (first k, what p_k..p3 show), flattened.
    std::vector<std::pair<int, std::vector<int>>> redraws;
};

const LineCase line_cases[] = {
    {{0, 0, 0, 0}, {0, 0, 0, 0}, 0, 0, {}},
    {{1, 2, 1, 2}, {1, 2, 1, 2}, 0, 0, {}},
    {{1, 1, 1, 1}, {2, 2, 0, 0}, 1, 8, {{0, {2, 1, 1, 0}}, {1, {2, 0, 0}}}},
    {{1, 1, 2, 2}, {2, 3, 0, 0}, 1, 12, {{0, {2, 2, 2, 0}}, {1, {3, 0, 0}}}},
    {{1, 1, 2, 0}, {2, 2, 0, 0}, 1, 4, {{0, {2, 2, 0, 0}}}},
    {{2, 1, 1, 0}, {2, 2, 0, 0}, 1, 4, {{1, {2, 0, 0}}}},
    {{0, 1, 0, 1}, {2, 0, 0, 0}, 1, 4, {{0, {1, 0, 1, 0}}, {1, {1, 0, 0}}, {0, {2, 0, 0, 0}}}},
    {{2, 0, 0, 2}, {3, 0, 0, 0}, 1, 8, {{1, {2, 0, 0}}, {0, {3, 0, 0, 0}}}},
    {{0, 0, 0, 5}, {5, 0, 0, 0}, 1, 0, {{0, {5, 0, 0, 0}}}},
    {{1, 2, 0, 3}, {1, 2, 3, 0}, 1, 0, {{2, {3, 0}}}},
    {{1, 2, 3, 3}, {1, 2, 4, 0}, 1, 16, {{2, {4, 0}}}},
};

} // namespace

TEST_F(BoardTest, LineCasesInEveryDirectionAtBothScales) {
    for (LONG scale = 0; scale <= 1; ++scale) {
        open(scale);
        for (int d = 0; d < 4; ++d)
            for (const auto &lc : line_cases) {
                const int line = 2;
                SCOPED_TRACE(::testing::Message() << "scale " << scale << " " << dir_names[d] << " "
                                                  << lc.in[0] << lc.in[1] << lc.in[2] << lc.in[3]);
                reset_state();
                for (int k = 0; k < 4; ++k) Tab_PoleGry[cell_of(Dir(d), line, k)] = lc.in[k];
                host::blit_log_clear();
                EXPECT_EQ(move_line[d](line), lc.result);
                for (int k = 0; k < 4; ++k) EXPECT_EQ(Tab_PoleGry[cell_of(Dir(d), line, k)], lc.out[k]);
                EXPECT_EQ(Sub_Punkty, lc.gain);
                std::vector<Drawn> expected;
                for (const auto &[first, shows] : lc.redraws)
                    for (size_t i = 0; i < shows.size(); ++i)
                        expected.push_back({cell_of(Dir(d), line, first + int(i)), shows[i]});
                EXPECT_EQ(drawn(), expected);
            }
    }
}

TEST_F(BoardTest, LayoutAtDoubleScaleWithBorders) {
    open(1);
    const Przycisk &nowa = Funk[1];
    EXPECT_EQ(std::tie(nowa.x, nowa.y, nowa.szer, nowa.wys, nowa.zrodlo_x, nowa.zrodlo_y),
              std::make_tuple(bl + 46, bt + 298, 142, 30, 320, 482));
    EXPECT_EQ(std::tie(Kafle[15].x, Kafle[15].y, Kafle[15].szer, Kafle[15].wys), std::make_tuple(240, 722, 78, 78));
    EXPECT_EQ(std::tie(Cyfry[9].x, Cyfry[9].y, Cyfry[9].szer, Cyfry[9].wys), std::make_tuple(618, 698, 20, 22));
    // The background reaches every pixel of the inner area and no border pixel.
    Gfx_Tlo();
    EXPECT_EQ(pixel(bl, bt), skin_code(0, 0));
    EXPECT_EQ(pixel(bl + 639, bt + 479), skin_code(639, 479));
    EXPECT_EQ(pixel(bl - 1, bt), testgame::UNTOUCHED);
    EXPECT_EQ(pixel(bl + 640, bt + 480), testgame::UNTOUCHED);
}

TEST_F(BoardTest, ExponentsAboveTheSkinShowTheLastTileImage) {
    open(0);
    for (LONG e : {16, 17, 40, 1 << 30}) {
        Tab_PoleGry[0] = e;
        host::blit_log_clear();
        Gfx_Pole(0, 0);
        ASSERT_EQ(host::blit_log().size(), 1u);
        EXPECT_EQ(host::blit_log()[0].sx, Kafle[15].x);
        EXPECT_EQ(host::blit_log()[0].sy, Kafle[15].y);
    }
}

TEST_F(BoardTest, SpawnsFollowTheRecipeOnEmptyCellsOnly) {
    open(0);
    for (int hole = 0; hole < 16; ++hole) {
        for (int i = 0; i < 16; ++i) Tab_PoleGry[i] = 3 + (i % 2);
        Tab_PoleGry[hole] = 0;
        host::blit_log_clear();
        Losuj_Cyfre();
        EXPECT_TRUE(Tab_PoleGry[hole] == 1 || Tab_PoleGry[hole] == 2);
        ASSERT_EQ(host::blit_log().size(), 1u);
    }
    // A full board is left alone rather than searched for ever.
    host::blit_log_clear();
    Losuj_Cyfre();
    EXPECT_TRUE(host::blit_log().empty());

    // The recipe from the C library's rand(), so that a seed replays a game:
    // the first four tiles on an empty board as (cell, exponent), worked out
    // from the recipe alone.
    const std::pair<unsigned, std::vector<std::pair<int, LONG>>> seeds[] = {
        {1, {{10, 1}, {8, 1}, {14, 1}, {11, 1}}},
        {11, {{13, 1}, {14, 2}, {6, 1}, {0, 1}}},
        {163, {{13, 1}, {1, 1}, {9, 2}, {0, 1}}},
    };
    for (const auto &[seed, tiles] : seeds) {
        reset_state();
        srand(seed);
        for (const auto &[cell, e] : tiles) {
            Losuj_Cyfre();
            EXPECT_EQ(Tab_PoleGry[cell], e) << "seed " << seed << ", cell " << cell;
        }
        EXPECT_EQ(std::count(Tab_PoleGry, Tab_PoleGry + 16, 0), 16 - long(tiles.size())) << "seed " << seed;
    }
    // The browser edition's rand() gives the desktop's numbers, so a seed
    // gives the same game in both.
    for (unsigned seed : {0u, 1u, 163u, 1767225600u}) {
        host::GlibcRandom browser;
        browser.seed(seed);
        srand(seed);
        for (int k = 0; k < 400; ++k) ASSERT_EQ(browser.next(), rand()) << "seed " << seed << ", number " << k;
    }
}

TEST_F(BoardTest, MoveCheckScansRowsAndColumnsEachAlone) {
    open(0);
    // All cells different, then each (cell, source) copied in: -1 empties it.
    const auto check = [](std::initializer_list<std::pair<int, int>> copies) {
        for (int i = 0; i < 16; ++i) Tab_PoleGry[i] = i + 1;
        for (const auto &[to, from] : copies) Tab_PoleGry[to] = from < 0 ? 0 : Tab_PoleGry[from];
        return Sprawdz_Ruch();
    };
    EXPECT_EQ(check({}), 0);
    EXPECT_EQ(check({{3, 4}, {0, 5}}), 0) << "equal cells that are not neighbours";
    // One empty cell, or one equal pair in a row only or a column only.
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(check({{i, -1}}), 1) << "empty " << i;
        if (i % 4 < 3) { EXPECT_EQ(check({{i + 1, i}}), 1) << "row pair at " << i; }
        if (i < 12) { EXPECT_EQ(check({{i + 4, i}}), 1) << "column pair at " << i; }
    }
}
