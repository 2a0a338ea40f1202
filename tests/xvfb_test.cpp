// The real program in a real X window under Xvfb, driven with xdotool: it
// starts on the default skin, each cursor key moves the tiles its way, the
// new-game button resets the board and Esc ends it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <algorithm>
#include <fstream>
#include <regex>

#include "support.h"
#include "turn_model.h"

namespace fs = std::filesystem;
using namespace testturn;
using ::testing::PrintToString;

namespace {

// The screenshot seen in the game's own pixels: one sample per zoomed pixel.
struct Shot {
    Surface s{nullptr, SDL_FreeSurface};
    int zoom = 1;
    Uint32 px(int x, int y) const { return at(s.get(), x * zoom + zoom / 2, y * zoom + zoom / 2); }
};

bool have(const char *tool) {
    std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
    return system(cmd.c_str()) == 0;
}

class XvfbTest : public ::testing::Test {
  protected:
    fs::path dir;
    Surface skin{nullptr, SDL_FreeSurface};

    void SetUp() override {
        if (!have("xvfb-run") || !have("xdotool") || !have("import")) GTEST_SKIP() << "no Xvfb, xdotool or import";
        dir = fs::temp_directory_path() / ("kwadron-xvfb-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "game");
        fs::copy_file(KWADRON_BINARY, dir / "game" / "kwadron");
        fs::copy_file(fs::path(KWADRON_SOURCE_DIR) / "skins" / "grafika_aga", dir / "game" / "grafika_aga");
        skin = load_rgb(dir / "game" / "grafika_aga");
        ASSERT_TRUE(skin);
    }
    void TearDown() override {
        if (!dir.empty()) fs::remove_all(dir);
    }

    Shot shot(const char *name) {
        Shot s;
        s.s = load_rgb(dir / (std::string(name) + ".png"));
        if (s.s) s.zoom = std::max(1, s.s->w / 320);
        return s;
    }

    Board board(const Shot &s) const { return read_board(s.s.get(), s.zoom, skin.get()); }
    // Layout pixels where two shots differ, outside the board.
    int changes_outside_board(const Shot &a, const Shot &b) const {
        int n = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                const bool board = x >= 131 && x < 287 && y >= 48 && y < 204;
                const bool counter = x >= 30 && x < 96 && ((y >= 52 && y < 63) || (y >= 100 && y < 111));
                if (board || counter) continue;
                n += a.px(x, y) != b.px(x, y);
            }
        return n;
    }
};

} // namespace

TEST_F(XvfbTest, PlaysInARealWindow) {
    const std::string cmd = "timeout -k 5 120 xvfb-run -a -s '-screen 0 1280x1024x24' '" KWADRON_SOURCE_DIR
                            "/tests/e2e/xvfb_play.sh' '" +
                            (dir / "game").string() + "' '" + dir.string() + "' '" + ARROWS_START + "' >/dev/null 2>&1";
    ASSERT_EQ(system(cmd.c_str()), 0) << std::ifstream(dir / "error").rdbuf();
    EXPECT_EQ(testfiles::slurp(dir / "rc"), "0\n");

    Shot start = shot("0");
    ASSERT_TRUE(start.s);
    EXPECT_EQ(start.s->w, 320 * start.zoom);
    EXPECT_EQ(start.s->h, 240 * start.zoom);
    EXPECT_GE(start.zoom, 2);
    // The board after each key, as the model moves it; outside the board
    // only the counters may change.
    expect_each_arrow_its_way(dir, start.zoom, skin.get());
    if (HasFatalFailure()) return;
    for (const char *after : {"1", "2", "3", "4"}) EXPECT_EQ(changes_outside_board(start, shot(after)), 0) << after;
    // A drag up, then a drag left, on the board: each moves it its way.
    const Board b4 = board(shot("4")), b5 = board(shot("5")), b6 = board(shot("6"));
    EXPECT_NE(b5, b4);
    EXPECT_EQ(turn_fault(b4, b5, RAWKEY_UP), "");
    EXPECT_NE(b6, b5);
    EXPECT_EQ(turn_fault(b5, b6, RAWKEY_LEFT), "");

    // New game: two tiles again and a score of zero.
    Shot fresh = shot("newgame");
    ASSERT_TRUE(fresh.s);
    const Board b = board(fresh);
    EXPECT_EQ(std::count(b.begin(), b.end(), 0), 14) << PrintToString(b);
    EXPECT_EQ(std::count(b.begin(), b.end(), -1), 0) << PrintToString(b);
    for (int k = 0; k < 6; ++k)
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(fresh.px(30 + 11 * k + x, 52 + y), at(skin.get(), 309 + x, 241 + y)) << k;
}

// One slide recorded from the real window: the first tile lands at the
// edge, the second beside it, then they merge; each picture is seen.
TEST_F(XvfbTest, EachRedrawOfASlideReachesTheWindow) {
    if (!have("ffmpeg") || !have("faketime")) GTEST_SKIP() << "no ffmpeg or faketime";
    // A loaded machine can drop a recorded frame: up to three recordings.
    std::vector<std::string> seen;
    bool found = false;
    for (int attempt = 0; attempt < 3 && !found; ++attempt) {
        fs::remove_all(dir / "rec");
        fs::create_directories(dir / "rec");
        const std::string cmd = "timeout -k 5 120 xvfb-run -a -s '-screen 0 1280x1024x24' '" KWADRON_SOURCE_DIR
                                "/tests/e2e/xvfb_slide.sh' '" +
                                (dir / "game").string() + "' '" + (dir / "rec").string() + "' >/dev/null 2>&1";
        ASSERT_EQ(system(cmd.c_str()), 0) << std::ifstream(dir / "rec" / "error").rdbuf();
        int zoom = 0;
        std::ifstream(dir / "rec" / "zoom") >> zoom;
        ASSERT_GT(zoom, 0);
        // The top row of each frame as occupied cells, e.g. "1010"; each
        // pattern noted once when it first differs from the one before.
        seen.clear();
        for (int i = 1;; ++i) {
            char name[32];
            snprintf(name, sizeof name, "frame-%04d.png", i);
            Surface f = load_rgb(dir / "rec" / name);
            if (!f) break;
            std::string row;
            for (int c = 0; c < 4; ++c) {
                bool used = false;
                for (int y = 2; y < 37; y += 3)
                    for (int x = 2; x < 37; x += 3)
                        used |= at(f.get(), (39 * c + x) * zoom + zoom / 2, y * zoom + zoom / 2) !=
                                at(skin.get(), 131 + 39 * c + x, 48 + y);
                row += used ? '1' : '0';
            }
            if (seen.empty() || seen.back() != row) seen.push_back(row);
        }
        auto at_step = seen.begin();
        for (const char *step : {"1010", "0101", "0011", "0001"}) at_step = std::find(at_step, seen.end(), step);
        found = at_step != seen.end();
    }
    EXPECT_TRUE(found) << ::testing::PrintToString(seen);
}

// On a bare 1920 x 1080 display both skins open at the largest zoom that
// fits (1280 x 960); a screen of its own is named and, after F11 to a
// window and F11 back, shows the whole picture centred between equal bars.
TEST_F(XvfbTest, WindowSizeTitleAndFullscreen) {
    fs::copy_file(fs::path(KWADRON_SOURCE_DIR) / "skins" / "grafika_aga2x", dir / "game" / "grafika_aga2x");
    const std::string run = "'" KWADRON_SOURCE_DIR "/tests/e2e/xvfb_window.sh' '" +
                            (dir / "game" / "kwadron").string() + "' '" + dir.string();
    const std::string cmd = "timeout -k 5 120 xvfb-run -a -s '-screen 0 1920x1080x24' bash -c \"set -e; " + run +
                            "/small' 0 SKIN=progdir:grafika_aga; " + run + "/large' 0 SKIN=progdir:grafika_aga2x; " +
                            run + "/screen' 2 SCREEN\" >/dev/null 2>&1";
    ASSERT_EQ(system(cmd.c_str()), 0);
    auto text = [&](const char *name) { return testfiles::slurp(dir / name); };
    for (const char *name : {"small.geom", "large.geom"})
        EXPECT_NE(text(name).find("WIDTH=1280\nHEIGHT=960"), std::string::npos) << name << text(name);
    EXPECT_EQ(text("small.name"), "Kwadron\n");
    EXPECT_EQ(text("screen.name"), "Kwadron\n");
    EXPECT_NE(text("screen.geom").find("WIDTH=1920\nHEIGHT=1080"), std::string::npos) << text("screen.geom");
    for (const char *shot : {"screen.1.png", "screen.2.png"}) {
        Surface s = load_rgb(dir / shot);
        ASSERT_TRUE(s) << shot;
        int x0 = s->w, y0 = s->h, x1 = 0, y1 = 0;
        for (int y = 0; y < s->h; ++y)
            for (int x = 0; x < s->w; ++x)
                if (at(s.get(), x, y)) x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x + 1),
                                       y1 = std::max(y1, y + 1);
        EXPECT_EQ(x1 - x0, 1280) << shot;
        EXPECT_EQ(y1 - y0, 960) << shot;
        EXPECT_EQ(x0, s->w - x1) << shot;
        EXPECT_EQ(y0, s->h - y1) << shot;
    }
}

// SIGHUP (a closed terminal), SIGINT and SIGTERM end a game with a new best
// on its counter as its close gadget does (0); so does its X server going
// away, with 20, also when it goes at the instant of a SIGTERM or in the
// middle of a slide. Each time the file holds the best the counter showed
// (or more: the slide may merge). The next start shows the game as it was
// left, but after Ctrl+C (a new game); Esc there ends it for good.
TEST_F(XvfbTest, EveryEndKeepsTheBestOnTheCounter) {
    if (!have("Xvfb") || !have("faketime")) GTEST_SKIP() << "no Xvfb or faketime";
    const std::string cmd = "timeout -k 5 120 '" KWADRON_SOURCE_DIR "/tests/e2e/xvfb_ends.sh' '" + (dir / "game").string() + "' '" +
                            (dir / "ends").string() + "' >/dev/null 2>&1";
    ASSERT_EQ(system(cmd.c_str()), 0);
    for (const std::string end : {"HUP", "INT", "TERM", "X", "TERMX1", "TERMX2", "TERMX3", "SLIDEX"}) {
        const fs::path out = dir / "ends" / end;
        const long best = testturn::counter(out / "before.png", 100);
        EXPECT_GT(best, 0) << end;
        EXPECT_EQ(testfiles::slurp(out / "rc"), end.find('X') != std::string::npos ? "20\n" : "0\n") << end;
        const std::string kept = testfiles::slurp(out / "score");
        if (end == "SLIDEX")
            EXPECT_TRUE(std::regex_match(kept, std::regex("[0-9]+\n")) && std::stol(kept) >= best) << kept;
        else
            EXPECT_EQ(kept, std::to_string(best) + "\n") << end;
        const Surface before = load_rgb(out / "before.png"), again = load_rgb(out / "again.png");
        const bool same = before->w == again->w && before->h == again->h &&
                          !memcmp(before->pixels, again->pixels, size_t(before->pitch) * size_t(before->h));
        if (end == "INT")
            EXPECT_EQ(testturn::counter(out / "again.png", 52), 0) << end;
        else if (end == "SLIDEX")
            EXPECT_GE(testturn::counter(out / "again.png", 52), testturn::counter(out / "before.png", 52));
        else
            EXPECT_TRUE(same) << end;
        EXPECT_FALSE(fs::exists(out / "kept")) << end;
    }
}
