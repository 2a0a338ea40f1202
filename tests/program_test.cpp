// The real program, started as a player or the desktop would start it, on
// the headless display with input scripts: one run for each way through the
// start-up, and every fallible call of the start-up made to fail in turn.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <thread>

#include "amiga/dos.h"
#include "amiga/startup.h"
#include "amiga/workbench.h"
#include "game_fixture.h"
#include "support.h"
#include "turn_model.h"

namespace fs = std::filesystem;
using testfiles::ProgDir;
using testfiles::Outcome;
using testfiles::RunOptions;

namespace {

const std::string NO_PICTURE = "Nie mogę otworzyć pliku graficznego\n\n";
const std::string NO_WINDOW = "Nie mogę otworzyć okna\n\n";
const std::string TOO_LONG = "Za długa ścieżka pliku graficznego (najwyżej 99 bajtów)\n\n";

class ProgramTest : public ::testing::Test {
  protected:
    ProgDir d;
    Outcome run(const std::vector<std::string> &words, const RunOptions &o = {}) {
        Outcome r = testfiles::run(d, words, o);
        EXPECT_TRUE(r.clean()) << r.err;
        return r;
    }
};

// Forty moves, enough for a score above zero.
const std::string MOVES = [] {
    std::string m;
    for (int i = 0; i < 10; ++i) m += "key left\nkey up\nkey right\nkey down\n";
    return m;
}();

} // namespace

TEST_F(ProgramTest, PublicScreenOwnTrueColourScreenAndPaletteScreen) {
    Outcome r = run({});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.traced("NewDTObject progdir:grafika_aga"));
    EXPECT_FALSE(r.traced_prefix("OpenScreenTags"));
    EXPECT_TRUE(r.traced("OpenWindowTags 352,264 320x240 public titled"));
    EXPECT_TRUE(r.traced("SetDTAttrs remap=1"));

    r = run({"skin=progdir:grafika_aga2x", "screen"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.traced("OpenScreenTags 640x480x24"));
    EXPECT_TRUE(r.traced("OpenWindowTags 0,0 640x480 own"));
    EXPECT_TRUE(r.traced("ReadPixelArray"));

    r = run({"SCREEN"}, {.env = {"KWADRON_LIBS=-cybergraphics.library"}});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.traced("OpenScreenTags 320x256x8"));
    EXPECT_TRUE(r.traced("OpenWindowTags 0,8 320x240 own"));
    EXPECT_TRUE(r.traced("SetDTAttrs remap=0"));
    EXPECT_TRUE(r.traced("ReadPixelArray8"));

    // The true-colour skin cannot go on a palette screen: the public one it is.
    r = run({"SCREEN", "SKIN=progdir:grafika_aga2x"}, {.env = {"KWADRON_LIBS=-cybergraphics.library"}});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_FALSE(r.traced_prefix("OpenScreenTags"));
    EXPECT_TRUE(r.traced("OpenWindowTags 192,144 640x480 public titled"));
}

TEST_F(ProgramTest, CommandLinesAndSkinPaths) {
    Outcome r = run({"SKIN=a", "SKIN=b"});
    EXPECT_EQ(r.rc, 10);
    EXPECT_EQ(r.out, (d.prog / "kwadron").string() + ": wrong number of arguments\n");
    EXPECT_FALSE(r.traced_prefix("NewDTObject"));

    // 99 characters are a path, 100 are too many.
    const std::string p99 = "./" + std::string(93, 's') + ".png";
    fs::copy_file(d.prog / "grafika_aga", d.work / p99);
    r = run({"SKIN=" + p99});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "");
    r = run({"SKIN=." + p99});
    EXPECT_EQ(r.rc, 10);
    EXPECT_EQ(r.out, TOO_LONG);

    // Relative paths start in the current directory; no picture is 20.
    fs::create_directories(d.work / "deep");
    fs::copy_file(d.prog / "grafika_aga", d.work / "mine");
    const RunOptions deep{.cwd = d.work / "deep"};
    r = run({"SKIN=../mine"}, deep);
    EXPECT_EQ(r.rc, 0) << r.err;
    r = run({"SKIN=mine"}, deep);
    EXPECT_EQ(r.rc, 20);
    EXPECT_EQ(r.out, NO_PICTURE);

    // A lone '?' asks for the line on standard input.
    testfiles::spit(d.root / "answer", "SKIN=progdir:grafika_aga2x\n");
    r = run({"?"}, {.input = d.root / "answer"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "SKIN/K,SCREEN/S: ");
    EXPECT_TRUE(r.traced("NewDTObject progdir:grafika_aga2x"));
}

TEST_F(ProgramTest, DesktopStartReadsTheLastIconsToolTypes) {
    // The program's own icon says one thing, the project's icon another.
    testfiles::spit(d.prog / "kwadron.info", "SKIN=no-such-skin\n");
    fs::create_directories(d.work / "project");
    fs::copy_file(d.prog / "grafika_aga2x", d.work / "project" / "night");
    testfiles::spit(d.work / "project" / "night.info", "skin=night\nSCREEN=NO\n");
    Outcome r = run({(d.work / "project" / "night").string()},
                    {.env = {"KWADRON_WBSTART=1"}, .cwd = d.work / "project"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.traced("NewDTObject night"));
    EXPECT_TRUE(r.traced("OpenScreenTags 640x480x24"));

    // Alone, the program reads its own icon, and tells a failure on standard
    // error too; without an icon the defaults stay.
    r = run({}, {.env = {"KWADRON_WBSTART=1"}});
    EXPECT_EQ(r.rc, 20);
    EXPECT_EQ(r.out, NO_PICTURE);
    EXPECT_NE(r.err.find("Nie mogę otworzyć pliku graficznego\n"), std::string::npos);
    fs::remove(d.prog / "kwadron.info");
    r = run({}, {.env = {"KWADRON_WBSTART=1"}});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.traced("NewDTObject progdir:grafika_aga"));

    // A picture without an icon, opened with the game, is the skin: the
    // double-size one opens the board at double size.
    fs::copy_file(d.prog / "grafika_aga2x", d.work / "project" / "day");
    r = run({"project/day"}, {.env = {"KWADRON_WBSTART=1", "KWADRON_SNAPSHOT=" + (d.root / "day.png").string()}});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.traced("NewDTObject " + fs::canonical(d.work / "project" / "day").string()));
    SDL_Surface *shot = IMG_Load((d.root / "day.png").c_str());
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->w, 640);
    SDL_FreeSurface(shot);
    // One that cannot be a skin says so, on standard error too.
    testfiles::spit(d.work / "notes.txt", "not a picture\n");
    r = run({"notes.txt"}, {.env = {"KWADRON_WBSTART=1"}});
    EXPECT_EQ(r.rc, 20);
    EXPECT_EQ(r.out, NO_PICTURE);
    EXPECT_NE(r.err.find(NO_PICTURE), std::string::npos);
}

TEST_F(ProgramTest, TheBestScoreIsWrittenOnlyWhenBeaten) {
    // A best score below the file's leaves the file alone.
    testfiles::spit(d.prog / "score", "999999\n");
    const auto before = fs::last_write_time(d.prog / "score");
    Outcome r = run({}, {.script = MOVES + "click 58 196\n"}); // quit
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(fs::last_write_time(d.prog / "score"), before);
    // One above it is written when the program ends.
    testfiles::spit(d.prog / "score", "0\n");
    r = run({}, {.script = MOVES + "key esc\n"});
    EXPECT_TRUE(std::regex_match(testfiles::slurp(d.prog / "score"), std::regex("[1-9][0-9]*\n")));
}

// Eight copies at once, each to its own best, ending by Esc, the close
// gadget, the quit button, a game over, or a kill at a random instant: the
// file ends with one whole line, never below the best any copy showed at its
// clean end.
TEST_F(ProgramTest, CopiesPlayingAtOnceKeepTheLargestBest) {
    std::mt19937 rng(20261207);
    const char *const keys[] = {"key left\n", "key up\n", "key right\n", "key down\n"};
    const char *const ends[] = {"key esc\n", "close\n", "click 58 196\n", ""};
    for (int round = 0; round < 3; ++round) {
        testfiles::spit(d.prog / "score", "10\n");
        std::vector<testfiles::Running> copies;
        for (int i = 0; i < 8; ++i) {
            std::string script;
            for (int n = 20 + int(rng() % 400); n > 0; --n) script += keys[rng() % 4];
            // The last two are killed; a long game ends in a game over.
            script += i < 6 ? ends[i % 3] : "";
            const std::string shot = "KWADRON_SNAPSHOT=" + (d.root / ("shot" + std::to_string(i) + ".png")).string();
            fs::remove(d.root / ("shot" + std::to_string(i) + ".png"));
            copies.push_back(testfiles::start(d, {}, {.script = script, .env = {shot}}, std::to_string(i)));
        }
        for (int i = 6; i < 8; ++i) {
            std::this_thread::sleep_for(std::chrono::microseconds(rng() % 60000));
            kill(copies[size_t(i)].pid, SIGKILL);
        }
        long shown = 10;
        for (int i = 0; i < 8; ++i) {
            const Outcome r = testfiles::finish(copies[size_t(i)]);
            if (i >= 6) continue;
            EXPECT_EQ(r.rc, 0) << r.err;
            const long best = testturn::counter(d.root / ("shot" + std::to_string(i) + ".png"), 100);
            ASSERT_GE(best, 0) << "copy " << i;
            shown = std::max(shown, best);
        }
        const std::string text = testfiles::slurp(d.prog / "score");
        ASSERT_TRUE(std::regex_match(text, std::regex("[0-9]+\n"))) << text;
        EXPECT_GE(std::stol(text), shown) << "round " << round;
    }
}

// A kill at any step of the write at the end leaves the old line or the new
// one: rewritten in place (a file the player may write in a folder they may
// not, no data folder to go to) and replaced whole.
TEST_F(ProgramTest, AKillAtAnyStepOfTheWriteLeavesTheOldLineOrTheNew) {
    if (getuid() != 0) GTEST_SKIP() << "needs root to become another user";
    fs::permissions(d.root, fs::perms::all);
    fs::permissions(d.work, fs::perms::all);
    const RunOptions player{.script = MOVES + "key esc\n",
                            .env = {"KWADRON_CALL_TRACE=/dev/null"},
                            .wrapper = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"}};
    for (const bool in_place : {true, false}) {
        ASSERT_EQ(chown(d.prog.c_str(), in_place ? 0 : 65534, 0), 0);
        for (const std::string step : {"open", "write", "cut", "sync", "rename", ""}) {
            const std::string what = (in_place ? "in place, " : "replaced, ") + step;
            // A shorter new line than the old shows what a missing cut would leave.
            testfiles::spit(d.prog / "score", "-1000000\n");
            ASSERT_EQ(chown((d.prog / "score").c_str(), 65534, 65534), 0);
            RunOptions o = player;
            o.env.push_back("KWADRON_KILL_AT=" + step);
            const Outcome r = run({}, o);
            const bool reached = step == "open" || step == "write" || step == "sync" ||
                                 (in_place ? step == "cut" : step == "rename");
            EXPECT_EQ(r.rc, reached ? 128 + SIGKILL : 0) << what << r.err;
            const std::string text = testfiles::slurp(d.prog / "score");
            const std::string first = text.substr(0, text.find('\n') + 1);
            EXPECT_TRUE(first == "-1000000\n" || std::regex_match(first, std::regex("[1-9][0-9]*\n")))
                << what << ": " << text;
            // Only a kill between the bytes and the cut leaves more than a line.
            if (in_place && step == "write") {
                EXPECT_NE(first, "-1000000\n") << what;
            } else {
                EXPECT_EQ(text, first) << what;
            }
            if (!reached) {
                EXPECT_NE(first, "-1000000\n") << what;
                // The writers killed before left their temporaries; this one swept them.
                for (const auto &e : fs::directory_iterator(d.prog))
                    EXPECT_NE(e.path().extension(), ".tmp") << what << ": " << e.path();
            }
        }
    }
}

// Each arrow of the input script moves the board its way: the cells of the
// pictures taken before and after it.
TEST_F(ProgramTest, EachArrowMovesTheBoardItsWay) {
    if (!fs::exists("/usr/bin/faketime")) GTEST_SKIP() << "no faketime";
    Outcome r = run({}, {.script = "snapshot 0.png\nkey up\nsnapshot 1.png\nkey down\nsnapshot 2.png\nkey left\n"
                                   "snapshot 3.png\nkey right\nsnapshot 4.png\nkey esc\n",
                         .env = {"FAKETIME_DONT_FAKE_MONOTONIC=1", "ASAN_OPTIONS=verify_asan_link_order=0"},
                         .wrapper = {"/usr/bin/faketime", "-f", std::string("@") + testturn::ARROWS_START}});
    ASSERT_EQ(r.rc, 0) << r.err;
    testturn::expect_each_arrow_its_way(d.work, 1, testturn::load_rgb(d.prog / "grafika_aga").get());
}

// A game the session or the display ended comes back at the next start as
// it was, and goes on with the tiles it would have had; one its player
// ended, or a kept one that does not fit the start, gives a new game.
TEST_F(ProgramTest, AGameTheHostEndedComesBackAsItWas) {
    if (!fs::exists("/usr/bin/faketime")) GTEST_SKIP() << "no faketime";
    const fs::path data = d.root / "data", kept = data / "kwadron/game";
    const auto at = [&](const char *clock, const std::string &script, const std::vector<std::string> &words = {},
                        const std::string &kill_at = "") {
        return run(words, {.script = script,
                           .env = {"XDG_DATA_HOME=" + data.string(), "FAKETIME_DONT_FAKE_MONOTONIC=1",
                                   "ASAN_OPTIONS=verify_asan_link_order=0", "KWADRON_KILL_AT=" + kill_at},
                           .wrapper = {"/usr/bin/faketime", "-f", std::string("@") + clock}});
    };
    const auto pic = [&](const char *name) { return testfiles::slurp(d.work / name); };
    const char *start = testturn::ARROWS_START, *later = "2026-03-01 10:00:00";
    // The credits shown (a button), mouse moves, keys; then three keys more.
    const std::string journey = "key left\nmove 30 40\nkey up\nclick 50 176\nkey right\nmove 200 10\nkey down\n",
                      next = "key left\nkey up\nkey left\n";
    ASSERT_EQ(at(start, "snapshot fresh.png\n" + journey + next + "snapshot whole.png\nkey esc\n").rc, 0);
    ASSERT_NE(pic("fresh.png"), "");

    for (const char *end : {"signal term", "signal hup", "lost"}) {
        fs::remove_all(data);
        EXPECT_EQ(at(start, journey + "snapshot left.png\n" + end + "\n").rc, std::string(end) == "lost" ? 20 : 0);
        ASSERT_TRUE(fs::exists(kept)) << end;
        at(later, "snapshot back.png\n" + next + "snapshot next.png\nsignal term\n");
        EXPECT_TRUE(pic("back.png") == pic("left.png")) << end;
        EXPECT_TRUE(pic("next.png") == pic("whole.png")) << end;
    }
    for (const char *end : {"key esc", "close", "signal int"}) {
        fs::remove_all(data);
        at(start, journey + "signal term\n");
        at(later, std::string("key left\n") + end + "\n");
        EXPECT_FALSE(fs::exists(kept)) << end;
        fs::remove(d.prog / "score");
        at(start, "snapshot again.png\nkey esc\n");
        EXPECT_TRUE(pic("again.png") == pic("fresh.png")) << end;
    }

    // The best written when the game was lost is not written again by the
    // playback (a write would be killed at its open).
    std::string lost;
    for (int i = 0; i < 150; ++i) lost += "key up\nkey right\nkey down\nkey left\n";
    fs::remove_all(data);
    EXPECT_NE(at(start, lost + "signal term\n", {}, "open").rc, 0); // killed
    at(start, lost + "snapshot left.png\nsignal term\n");
    EXPECT_EQ(at(later, "snapshot back.png\nsignal term\n", {}, "open").rc, 0);
    EXPECT_TRUE(pic("back.png") == pic("left.png")) << "a game lost";

    fs::remove_all(data);
    fs::copy_file(d.prog / "grafika_aga", d.prog / "mine");
    at(start, journey + "signal term\n", {"SKIN=progdir:mine"});
    const std::string made_with_mine = testfiles::slurp(kept);
    at(start, journey + "signal term\n");
    const std::string good = testfiles::slurp(kept);
    std::string newer = good, changed = good;
    newer[3] = 2;
    changed[good.size() / 2] ^= 4;
    const struct {
        std::string bytes;
        std::vector<std::string> words;
        const char *why;
    } set_aside[] = {{good.substr(0, good.size() - 3), {}, "it is damaged"},
                     {changed, {}, "it is damaged"},
                     {std::string(40, '\x5a'), {}, "it is not a kept game"},
                     {newer, {}, "it is of another format"},
                     {good, {"SCREEN"}, "it was started with other arguments"},
                     {made_with_mine, {"SKIN=progdir:mine"}, "it was played with another skin"}};
    fs::copy_file(d.prog / "grafika_aga2x", d.prog / "mine", fs::copy_options::overwrite_existing);
    for (const auto &c : set_aside) {
        testfiles::spit(kept, c.bytes);
        fs::remove(d.prog / "score");
        const Outcome r = at(start, "snapshot again.png\nkey esc\n", c.words);
        EXPECT_NE(r.err.find(std::string("set aside (") + c.why + ")"), std::string::npos) << c.why << r.err;
        EXPECT_EQ(testfiles::slurp(data / "kwadron/game.set-aside"), c.bytes) << c.why;
        if (c.words.empty()) {
            EXPECT_TRUE(pic("again.png") == pic("fresh.png")) << c.why;
        }
    }
}

TEST_F(ProgramTest, HelpAndVersionAnswerBeforeTheTemplate) {
    Outcome r = run({"--help"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out.rfind("Usage: kwadron [SKIN=<picture>] [SCREEN]\n", 0), 0u);
    EXPECT_FALSE(r.traced_prefix("OpenLibrary"));
    r = run({"--version"});
    EXPECT_TRUE(std::regex_match(r.out, std::regex("kwadron [0-9]+\\.[0-9]+(\\.[0-9]+)?\n")));
    r = run({"SCREEN", "--help"});
    EXPECT_EQ(r.rc, 10);
}

TEST_F(ProgramTest, NoDisplayOrAStaleOneEndsPromptlyWithAMessage) {
    Outcome r = run({}, {.script = "", .env = {"KWADRON_DISPLAY=none"}});
    EXPECT_EQ(r.rc, 20);
    EXPECT_EQ(r.out, NO_WINDOW);
    r = run({"SCREEN"}, {.script = "", .env = {"KWADRON_DISPLAY=none"}});
    EXPECT_EQ(r.out, "Nie moge znalezc odpowiedniego ekranu\n\n");
    for (const char *stale : {"DISPLAY=:58", "WAYLAND_DISPLAY=wayland-58"}) {
        const auto t0 = std::chrono::steady_clock::now();
        // SDL's desktop libraries keep memory of their own; the game's own
        // handles are checked by the ledger report.
        r = run({}, {.script = "",
                     .env = {"KWADRON_DISPLAY=", stale, "XDG_RUNTIME_DIR=" + d.root.string(), "ASAN_OPTIONS=detect_leaks=0"}});
        const auto secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        EXPECT_EQ(r.rc, 20) << stale;
        EXPECT_EQ(r.out, NO_WINDOW) << stale;
        EXPECT_LT(secs, 10.0) << stale; // a hang is the fault looked for, not speed
    }
}

// Root's best of 100 in the program's folder, played by another user: in a
// folder installed by root (the file one the player may write), shared by
// players (writable by all) or sticky like /tmp, the player's best goes to
// their data folder, made private, and root's file is untouched. Only with
// no data folder to be made is root's file in the sticky folder, one the
// player may write, rewritten in place: still root's.
TEST_F(ProgramTest, EachPlayerKeepsTheirBestWhereTheyCanReplaceIt) {
    const passwd *nobody = getpwnam("nobody");
    const group *nogroup = getgrnam("nogroup");
    if (getuid() != 0 || !nobody || !nogroup || !fs::exists("/usr/bin/setpriv"))
        GTEST_SKIP() << "needs root, setpriv, the user nobody and the group nogroup to play as another user";
    const fs::path home = d.root / "home", xdg = home / "xdg", score = d.prog / "score";
    fs::create_directories(home);
    ASSERT_EQ(chown(home.c_str(), nobody->pw_uid, nogroup->gr_gid), 0);
    fs::permissions(d.root, fs::perms::all);
    fs::permissions(d.work, fs::perms::all);
    const std::vector<std::string> player{"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
    const struct {
        const char *what;
        mode_t folder, file; // the program's folder and root's score in it
        std::string env;     // where the data folder is
        fs::path kept;       // where the best is kept
    } ways[] = {{"installed", 0755, 0666, "HOME=" + home.string(), home / ".local/share/kwadron/score"},
                {"shared", 0777, 0644, "XDG_DATA_HOME=" + xdg.string(), xdg / "kwadron/score"},
                {"sticky", 01777, 0666, "XDG_DATA_HOME=" + xdg.string(), xdg / "kwadron/score"},
                {"sticky, no data folder", 01777, 0666, "HOME=/nonexistent", score}};
    for (const auto &w : ways) {
        fs::remove_all(xdg);
        ASSERT_EQ(chmod(d.prog.c_str(), w.folder), 0);
        testfiles::spit(score, "100\n");
        ASSERT_EQ(chmod(score.c_str(), w.file), 0);
        const Outcome r = run({}, {.script = MOVES + MOVES + "key esc\n",
                                   .env = {"HOME=" + home.string(), w.env, "KWADRON_CALL_TRACE=/dev/null"},
                                   .wrapper = player});
        EXPECT_EQ(r.rc, 0) << w.what << ": " << r.err;
        const std::string kept = testfiles::slurp(w.kept);
        EXPECT_TRUE(std::regex_match(kept, std::regex("[1-9][0-9]*\n")) && kept != "100\n") << w.what << ": " << kept;
        if (w.kept != score) {
            EXPECT_EQ(fs::status(w.kept.parent_path()).permissions(), fs::perms::owner_all) << w.what;
            EXPECT_EQ(testfiles::slurp(score), "100\n") << w.what;
        }
        struct stat st {};
        EXPECT_TRUE(stat(score.c_str(), &st) == 0 && st.st_uid == 0 && (st.st_mode & 07777) == w.file) << w.what;
    }
}

// ---- Every fallible call of the start-up made to fail ----------------------

namespace {

struct InProcess {
    LONG rc = -1;
    std::string out;
    bool clean = false; // nothing left open, every handle of the game null
};

// One whole run of program::main inside the test process, so that host
// calls can be made to fail; 'before' runs once the host is reset.
InProcess run_main(const ProgDir &d, const std::vector<std::string> &words, const std::function<void()> &before,
                   bool desktop) {
    host::reset_all();
    testgame::reset_program_state();
    host::display_choose("headless");
    host::set_progdir(d.prog.string());
    host::set_command_line(words);
    std::vector<std::string> store{"kwadron"};
    store.insert(store.end(), words.begin(), words.end());
    std::vector<char *> argv;
    for (auto &w : store) argv.push_back(w.data());
    argv.push_back(nullptr);
    std::string name = "kwadron";
    WBArg entry{};
    WBStartup wb{};
    if (desktop) {
        entry.wa_Lock = Lock(d.prog.c_str(), ACCESS_READ);
        entry.wa_Name = reinterpret_cast<BYTE *>(name.data());
        wb.sm_NumArgs = 1;
        wb.sm_ArgList = &entry;
    }
    host::faults_reset(); // counts start with the program
    if (before) before();
    InProcess r;
    ::testing::internal::CaptureStdout();
    r.rc = desktop ? program::main(0, reinterpret_cast<char **>(&wb)) : program::main(LONG(store.size()), argv.data());
    fflush(stdout);
    r.out = ::testing::internal::GetCapturedStdout();
    if (entry.wa_Lock) UnLock(entry.wa_Lock);
    r.clean = host::ledger_open().empty() && !IntuitionBase && !GfxBase && !GadToolsBase && !DataTypesBase &&
              !IconBase && !CyberGfxBase && !grafika && !BM_Header && !BM_Grafika && !EkranP && !Okno && !RastPort && !maska &&
              !mem_pool && !Plik;
    return r;
}

// What remains of the output once every known message is taken out.
std::string unknown_output(std::string out) {
    static const std::vector<std::string> known{
        "Nie mogę otworzyć intuition.library w wersji 36+\n\n", "Nie mogę otworzyć graphics.library\n\n",
        "Nie mogę otworzyć gadtools.library\n\n", "Nie mogę otworzyć datatypes.library w wersji 36+\n\n",
        "Nie mogę otworzyć icon.library\n\n", NO_PICTURE, "Nie moge znalezc odpowiedniego ekranu\n\n",
        "Nie moge otworzyc ekranu\n\n", NO_WINDOW, "Nie moge zaalokowac pamieci\n\n",
        "Nie moge wygenerowac maski\n\n", "kwadron: not enough memory available\n"};
    for (const auto &m : known)
        for (size_t at; (at = out.find(m)) != std::string::npos;) out.erase(at, m.size());
    return out;
}

} // namespace

TEST_F(ProgramTest, EveryCallOfEveryStartFailsInTurn) {
    const auto no_cyber = [] { host::set_library_version("cybergraphics.library", -1); };
    struct Way {
        const char *name;
        std::vector<std::string> words;
        std::function<void()> setup;
        bool desktop;
    };
    const std::vector<Way> ways{
        {"default", {}, {}, false},
        {"own true-colour screen", {"SCREEN"}, {}, false},
        {"own palette screen", {"SCREEN"}, no_cyber, false},
        {"double size", {"SKIN", "progdir:grafika_aga2x", "SCREEN"}, {}, false},
        {"desktop", {}, {}, true},
    };
    testfiles::spit(d.prog / "score", "77\n");
    testfiles::spit(d.prog / "kwadron.info", "SKIN=progdir:grafika_aga2x\n");
    const char *fallible[] = {"OpenLibrary", "ReadArgs", "GetDiskObjectNew", "NewDTObject", "BestCModeIDTags",
                              "OpenScreenTags", "OpenWindowTags", "CreatePool", "AllocVecPooled", "AllocBitMap",
                              "Open", "FGets", "Close", "Lock"};
    int injected = 0;
    for (const auto &way : ways) {
        InProcess clean = run_main(d, way.words, way.setup, way.desktop);
        ASSERT_EQ(clean.out, "") << way.name;
        ASSERT_EQ(clean.rc, 0) << way.name;
        ASSERT_TRUE(clean.clean) << way.name;
        std::map<std::string, int> counts;
        for (const char *call : fallible) counts[call] = host::call_count(call);
        for (const auto &[call, count] : counts)
            for (int n = 1; n <= count; ++n) {
                const std::string what = std::string(way.name) + ": " + call + " #" + std::to_string(n);
                InProcess r = run_main(d, way.words, [&, call = call, n] {
                    if (way.setup) way.setup();
                    host::fault_inject(call, n);
                }, way.desktop);
                ++injected;
                EXPECT_TRUE(r.rc == 0 || r.rc == 20 || (r.rc == 10 && call == "ReadArgs")) << what << " rc " << r.rc;
                EXPECT_EQ(unknown_output(r.out), "") << what;
                EXPECT_TRUE(r.clean) << what;
                EXPECT_EQ(testfiles::slurp(d.prog / "score"), "77\n") << what;
            }
    }
    host::reset_all();
    testgame::reset_program_state();
    EXPECT_GT(injected, 40);
}
