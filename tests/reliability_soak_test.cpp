// Random play through the real event loop on the headless display, checked
// message by message against a model of the moves written apart from the
// game's own. KWADRON_SOAK_MESSAGES sets the length (default 100000) and
// KWADRON_SOAK_SEED the seed; scripts/soak.sh runs it long.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "amiga/datatypes.h"
#include "amiga/dos.h"
#include "reliability_state.h"

namespace {

using Board = std::array<LONG, 16>;

// One line toward its first cell: pack, then merge equal pairs from the edge
// outward, each tile at most once. Returns the points gained.
LONG model_line(std::array<LONG, 4> &line) {
    std::array<LONG, 4> packed{};
    int n = 0;
    for (LONG v : line)
        if (v) packed[size_t(n++)] = v;
    std::array<LONG, 4> out{};
    int o = 0;
    LONG gain = 0;
    for (int i = 0; i < n; ++i) {
        if (i + 1 < n && packed[size_t(i)] == packed[size_t(i + 1)]) {
            out[size_t(o++)] = packed[size_t(i)] + 1;
            gain += LONG(1) << (packed[size_t(i)] + 1);
            ++i;
        } else {
            out[size_t(o++)] = packed[size_t(i)];
        }
    }
    line = out;
    return gain;
}

// The board after a cursor key (0x4C up, 0x4D down, 0x4E right, 0x4F left).
Board model_move(const Board &b, UWORD key, LONG &gain) {
    Board r = b;
    gain = 0;
    for (int l = 0; l < 4; ++l) {
        int idx[4];
        for (int k = 0; k < 4; ++k) {
            switch (key) {
            case 0x4C: idx[k] = k * 4 + l; break;
            case 0x4D: idx[k] = (3 - k) * 4 + l; break;
            case 0x4E: idx[k] = l * 4 + (3 - k); break;
            default: idx[k] = l * 4 + k; break;
            }
        }
        std::array<LONG, 4> line;
        for (int k = 0; k < 4; ++k) line[size_t(k)] = b[size_t(idx[k])];
        gain += model_line(line);
        for (int k = 0; k < 4; ++k) r[size_t(idx[k])] = line[size_t(k)];
    }
    return r;
}

bool model_can_move(const Board &b) {
    for (UWORD k = 0x4C; k <= 0x4F; ++k) {
        LONG g;
        if (model_move(b, k, g) != b) return true;
    }
    return false;
}

// How good a board is for a player who keeps the biggest tile in the lower
// left corner: free cells, the corner, and rows that fall toward it.
long board_value(const Board &r) {
    long value = 0;
    for (LONG v : r) value += v == 0 ? 1000 : 0;
    const LONG top = *std::max_element(r.begin(), r.end());
    if (r[12] == top) value += 4000;
    for (int c = 0; c < 3; ++c) value += r[size_t(12 + c)] >= r[size_t(13 + c)] ? 300 : 0;
    return value;
}

// That player: two moves ahead (new tiles left aside), up only when nothing
// else moves.
UWORD corner_player(const Board &b) {
    UWORD best = 0x4C;
    long best_value = -1;
    for (UWORD k : {UWORD(0x4D), UWORD(0x4F), UWORD(0x4E)}) {
        LONG g;
        const Board r = model_move(b, k, g);
        if (r == b) continue;
        long value = board_value(r) + g;
        for (UWORD k2 : {UWORD(0x4D), UWORD(0x4F), UWORD(0x4E)}) {
            LONG g2;
            const Board r2 = model_move(r, k2, g2);
            if (r2 != r) value = std::max(value, board_value(r2) + g + g2);
        }
        if (value > best_value) best_value = value, best = k;
    }
    return best;
}

Board board_now() {
    Board b;
    std::copy(std::begin(Tab_PoleGry), std::end(Tab_PoleGry), b.begin());
    return b;
}

long rss_kb() {
    std::ifstream f("/proc/self/statm");
    long pages = 0, resident = 0;
    f >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long env_long(const char *name, long fallback) {
    const char *v = getenv(name);
    return v && *v ? strtol(v, nullptr, 10) : fallback;
}

struct Totals {
    long messages = 0, games = 0, game_overs = 0, wins = 0, turns = 0;
    LONG max_tile = 0;
};

class Soak : public ::testing::Test {
  protected:
    std::string progdir;
    void SetUp() override {
        // Every game over rewrites the score file with a flush to the disk;
        // memory-backed storage keeps that cheap.
        char tmpl[] = "/dev/shm/kwadron_soak_XXXXXX";
        char tmpl2[] = "/tmp/kwadron_soak_XXXXXX";
        const char *d = mkdtemp(tmpl);
        if (!d) d = mkdtemp(tmpl2);
        ASSERT_NE(d, nullptr);
        progdir = d;
        const std::string skins = std::string(KWADRON_SOURCE_DIR) + "/skins/";
        for (const char *name : {"grafika_aga", "grafika_aga2x"})
            std::filesystem::copy_file(skins + name, progdir + "/" + name);
    }
    void TearDown() override {
        host::reset_all();
        reliability::reset_game_state();
        std::error_code ec;
        std::filesystem::remove_all(progdir, ec);
    }

    // The start-up of the program up to its event loop.
    void start(const char *skin, bool own_screen, unsigned seed) {
        host::reset_all();
        reliability::reset_game_state();
        host::headless_select();
        host::headless_select(host::HeadlessConfig{});
        host::set_progdir(progdir);
        ASSERT_EQ(Zasoby_Otworz(), 1);
        snprintf(nazwa_skina, sizeof nazwa_skina, "%s", skin);
        args[1] = own_screen ? 1 : 0;
        ASSERT_EQ(Wczytaj_Grafike(), 1);
        ASSERT_EQ(Otworz_Ekran(LONG(args[1]), tryb_ekran), 1);
        ASSERT_EQ(Otworz_Okno(LONG(args[1]), tryb_ekran), 1);
        Uloz_Grafike();
        ASSERT_EQ(Generuj_Maske(BM_Grafika), 1);
        Skaluj_Uklad();
        srand(seed);
        Pierwsza_Gra();
    }

    // A point strictly inside button i, in window coordinates.
    static std::pair<WORD, WORD> inside(int i) {
        const Przycisk &f = Funk[i];
        return {WORD(f.x + f.szer / 2), WORD(f.y + f.wys / 2)};
    }

    // One message through the event loop: queued, taken by the loop's wait,
    // handled; the empty queue then closes the window, which ends the loop.
    static void deliver(ULONG cls, UWORD code, WORD x, WORD y) {
        host::input_push(cls, code, x, y);
        Quit = 0;
        Petla_Zdarzen(Okno->UserPort);
        Quit = 0;
    }

    void play(long count, std::mt19937 &rng, Totals &t) {
        const size_t ledger_at_start = host::ledger_count();
        const std::string score_path = progdir + "/score";
        LONG model_score = Punkty;
        ++t.games;
        const long batch = std::max(1000L, count / 20);
        for (long m = 0; m < count; ++m) {
            const Board before = board_now();
            const LONG punkty_before = Punkty, high_before = High_Punkty;
            const UBYTE ok_before = Gra_OK;
            ULONG cls = IDCMP_RAWKEY;
            UWORD code = 0;
            WORD x = 0, y = 0;
            const unsigned r = rng() % 1000;
            bool click = false;
            if (ok_before != 1 && r < 300) {
                // Game over, credits or the win picture: new game or back.
                const int b = Funk[2].aktywny ? 2 : 1;
                std::tie(x, y) = inside(b);
                deliver(IDCMP_MOUSEBUTTONS, SELECTDOWN, x, y);
                ++t.messages;
                cls = IDCMP_MOUSEBUTTONS;
                code = SELECTUP;
                click = true;
            } else if (r < 700) {
                // Mostly a player who keeps to a corner, to reach big tiles.
                code = UWORD(0x4C + rng() % 4);
                if (rng() % 20 != 0) code = corner_player(before);
            } else if (r < 750) {
                code = UWORD((0x4C + rng() % 4) | 0x80);
            } else if (r < 780) {
                code = UWORD(rng() % 0x100);
                if (code == 0x45) code = 0x44; // Esc alone is below
            } else if (r < 860) {
                cls = IDCMP_MOUSEBUTTONS;
                const UWORD codes[] = {SELECTDOWN, SELECTUP, MENUDOWN, MENUUP, MIDDLEDOWN, UWORD(rng())};
                code = codes[rng() % 6];
                x = WORD(int(rng() % 760) - 60);
                y = WORD(int(rng() % 600) - 60);
                click = code == SELECTUP;
            } else if (r < 900) {
                // A whole click on a button other than quit, or a press
                // released elsewhere.
                const unsigned pick = rng() % 64;
                const int b = pick == 0 ? 1 : pick < 8 ? 0 : 2; // a new game now and then
                std::tie(x, y) = inside(b);
                deliver(IDCMP_MOUSEBUTTONS, SELECTDOWN, x, y);
                ++t.messages;
                cls = IDCMP_MOUSEBUTTONS;
                code = SELECTUP;
                if (rng() % 4 == 0) x = WORD(x + 200);
                click = true;
            } else if (r < 960) {
                cls = IDCMP_MOUSEMOVE;
                x = WORD(rng() % 700);
                y = WORD(rng() % 500);
            } else if (r < 970) {
                cls = IDCMP_CLOSEWINDOW;
            } else if (r < 980) {
                code = 0x45;
            } else {
                cls = ULONG(1) << (rng() % 32);
                code = UWORD(rng());
                x = WORD(rng());
                y = WORD(rng());
                click = cls == IDCMP_MOUSEBUTTONS && code == SELECTUP;
            }
            deliver(cls, code, x, y);
            ++t.messages;

            const Board after = board_now();
            const std::string what = "message " + std::to_string(t.messages);
            for (LONG v : after) ASSERT_TRUE(v >= 0 && v <= 17) << what;
            ASSERT_GE(High_Punkty, Punkty) << what;
            ASSERT_GE(High_Punkty, high_before) << what;
            const bool arrow = cls == IDCMP_RAWKEY && code >= 0x4C && code <= 0x4F;
            if (arrow && ok_before == 1) {
                LONG gain;
                const Board moved = model_move(before, code, gain);
                if (moved == before) {
                    ASSERT_EQ(after, before) << what;
                    ASSERT_EQ(Punkty, punkty_before) << what;
                    continue;
                }
                ++t.turns;
                int spawned = 0;
                for (size_t i = 0; i < 16; ++i) {
                    if (after[i] == moved[i]) continue;
                    ASSERT_EQ(moved[i], 0) << what << " cell " << i;
                    ASSERT_TRUE(after[i] == 1 || after[i] == 2) << what;
                    ++spawned;
                }
                ASSERT_EQ(spawned, 1) << what;
                model_score += gain;
                ASSERT_EQ(Punkty, model_score) << what;
                ASSERT_EQ(High_Punkty, std::max(high_before, Punkty)) << what;
                for (LONG v : after) t.max_tile = std::max(t.max_tile, v);
                if (!model_can_move(after)) {
                    ASSERT_EQ(Gra_OK, 0) << what;
                    ++t.game_overs;
                } else {
                    ASSERT_NE(Gra_OK, 0) << what;
                }
                if (Gra_OK != 1) {
                    // Game over or the first win: the best score is on disk.
                    std::ifstream f(score_path);
                    std::string text((std::istreambuf_iterator<char>(f)), {});
                    ASSERT_EQ(text, std::to_string(High_Punkty) + "\n") << what;
                    t.wins += Gra_OK == 2;
                }
            } else if (click && Punkty == 0 && after != before) {
                // A new game: two fresh tiles, play on.
                int tiles = 0;
                for (LONG v : after) {
                    ASSERT_TRUE(v == 0 || v == 1 || v == 2) << what;
                    tiles += v != 0;
                }
                ASSERT_EQ(tiles, 2) << what;
                ASSERT_EQ(Gra_OK, 1) << what;
                ASSERT_EQ(Gra_Won, 1) << what;
                model_score = 0;
                ++t.games;
            } else {
                ASSERT_EQ(after, before) << what;
                ASSERT_EQ(Punkty, punkty_before) << what;
            }
            if ((m + 1) % batch == 0) {
                ASSERT_EQ(host::ledger_count(), ledger_at_start) << what;
            }
        }
    }
};

TEST_F(Soak, RandomPlayThroughTheEventLoop) {
    const long total = env_long("KWADRON_SOAK_MESSAGES", 100000);
    const unsigned seed = unsigned(env_long("KWADRON_SOAK_SEED", 20261206));
    std::mt19937 rng(seed);
    Totals t;
    const long rss_start = rss_kb();
    // Half at the normal size on the public screen, half at double size on
    // a screen of its own.
    start("progdir:grafika_aga", false, seed);
    play(total / 2, rng, t);
    ASSERT_FALSE(HasFatalFailure());
    const long rss_mid = rss_kb();
    Zasoby_Zamknij();
    EXPECT_EQ(host::ledger_count(), 0u);
    start("progdir:grafika_aga2x", true, seed + 1);
    play(total - total / 2, rng, t);
    ASSERT_FALSE(HasFatalFailure());
    Zasoby_Zamknij();
    EXPECT_EQ(host::ledger_count(), 0u);
    const long rss_end = rss_kb();
    printf("soak: %ld messages handled, %ld games played, %ld turns, %ld game overs, %ld wins, max tile %d "
           "(%ld), RSS %ld kB at start, %ld kB after the first half, %ld kB at the end\n",
           t.messages, t.games, t.turns, t.game_overs, t.wins, int(t.max_tile), 1L << t.max_tile, rss_start,
           rss_mid, rss_end);
    EXPECT_GE(t.messages, total);
#if !defined(__SANITIZE_ADDRESS__)
    // Without the sanitizer's quarantine the second half must not need
    // more memory than the first.
    EXPECT_LT(rss_end - rss_mid, 16 * 1024);
#endif
}

} // namespace
