// Every fallible call of the start-up made to fail, in whole runs of the
// program: the message, the return code, and nothing left open.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "reliability_state.h"

namespace {

using reliability::ProgDir;
using reliability::run_program;
using reliability::RunResult;

const std::string LIB_INTUITION = "Nie mogę otworzyć intuition.library w wersji 36+\n\n";
const std::string LIB_GRAPHICS = "Nie mogę otworzyć graphics.library\n\n";
const std::string LIB_GADTOOLS = "Nie mogę otworzyć gadtools.library\n\n";
const std::string LIB_DATATYPES = "Nie mogę otworzyć datatypes.library w wersji 36+\n\n";
const std::string LIB_ICON = "Nie mogę otworzyć icon.library\n\n";
const std::string NO_PICTURE = "Nie mogę otworzyć pliku graficznego\n\n";
const std::string NO_MODE = "Nie moge znalezc odpowiedniego ekranu\n\n";
const std::string NO_SCREEN = "Nie moge otworzyc ekranu\n\n";
const std::string NO_WINDOW = "Nie mogę otworzyć okna\n\n";
const std::string NO_MEMORY = "Nie moge zaalokowac pamieci\n\n";
const std::string NO_MASK = "Nie moge wygenerowac maski\n\n";
const std::string NO_SAVE = "Nie moge zapisać wynikow\n\n";
const std::string ARGS_MEMORY = "kwadron: not enough memory available\n";

// The output with every known message taken out once per occurrence; what
// remains is something the program should not have said.
std::string unknown_output(std::string out) {
    static const std::vector<std::string> known{
        LIB_INTUITION, LIB_GRAPHICS, LIB_GADTOOLS, LIB_DATATYPES, LIB_ICON, NO_PICTURE, NO_MODE,
        NO_SCREEN,     NO_WINDOW,    NO_MEMORY,    NO_MASK,       NO_SAVE,  ARGS_MEMORY};
    for (const auto &m : known)
        for (size_t at; (at = out.find(m)) != std::string::npos;) out.erase(at, m.size());
    return out;
}

class StartupFaults : public reliability::RunTest {
  protected:
    // A run that must end with exactly this output and code, nothing open.
    void expect_run(const RunResult &r, const std::string &out, LONG rc, const std::string &what) {
        EXPECT_EQ(r.out, out) << what;
        EXPECT_EQ(r.rc, rc) << what;
        EXPECT_TRUE(r.open.empty()) << what << ": " << (r.open.empty() ? "" : r.open.front());
        EXPECT_TRUE(r.handles_clear) << what;
    }

    static std::function<void()> fail(const std::string &call, int nth = 1,
                                      const std::function<void()> &also = {}) {
        return [=] {
            if (also) also();
            host::fault_inject(call, nth);
        };
    }
    static void no_cybergraphics() { host::set_library_version("cybergraphics.library", -1); }
};

TEST_F(StartupFaults, CleanRunsOpenAndCloseEverything) {
    RunResult r = run_program(dir, {});
    expect_run(r, "", 0, "default");
    EXPECT_EQ(host::call_count("OpenLibrary"), 6);
    EXPECT_EQ(host::call_count("OpenWindowTags"), 1);
    r = run_program(dir, {"SCREEN"});
    expect_run(r, "", 0, "own true-colour screen");
    EXPECT_EQ(host::call_count("BestCModeIDTags"), 1);
    r = run_program(dir, {"SCREEN"}, no_cybergraphics);
    expect_run(r, "", 0, "own palette screen");
    EXPECT_EQ(host::call_count("AllocBitMap"), 1);
    r = run_program(dir, {"SKIN=progdir:grafika_aga2x"});
    expect_run(r, "", 0, "double size");
    EXPECT_EQ(tryb_ekran, 1);
}

TEST_F(StartupFaults, EachLibraryThatCannotBeOpened) {
    const std::string messages[6] = {LIB_INTUITION, LIB_GRAPHICS, LIB_GADTOOLS, LIB_DATATYPES, LIB_ICON, ""};
    const char *names[6] = {"intuition.library", "graphics.library", "gadtools.library",
                            "datatypes.library", "icon.library",     "cybergraphics.library"};
    for (int i = 0; i < 6; ++i) {
        // The open itself fails.
        RunResult r = run_program(dir, {}, fail("OpenLibrary", i + 1));
        expect_run(r, messages[i], i == 5 ? 0 : 20, std::string("fault in open ") + names[i]);
        // The library is not there at all.
        r = run_program(dir, {}, [&] { host::set_library_version(names[i], -1); });
        expect_run(r, messages[i], i == 5 ? 0 : 20, std::string("without ") + names[i]);
        // Without cybergraphics the game still starts, on the palette path.
        EXPECT_EQ(host::call_count("OpenWindowTags"), i == 5 ? 1 : 0) << names[i];
    }
    // Too old: every version floor is checked; all missing ones are named at once.
    RunResult r = run_program(dir, {}, [] {
        host::set_library_version("intuition.library", 35);
        host::set_library_version("datatypes.library", 35);
        host::set_library_version("icon.library", 36);
        host::set_library_version("gadtools.library", 35);
    });
    expect_run(r, LIB_INTUITION + LIB_GADTOOLS + LIB_DATATYPES + LIB_ICON, 20, "too old");
    r = run_program(dir, {}, [] {
        host::set_library_version("intuition.library", 36);
        host::set_library_version("gadtools.library", 36);
        host::set_library_version("datatypes.library", 36);
        host::set_library_version("icon.library", 37);
        host::set_library_version("graphics.library", 0);
    });
    expect_run(r, "", 0, "the least versions");
}

TEST_F(StartupFaults, ArgumentsAndIconThatCannotBeHad) {
    RunResult r = run_program(dir, {"SKIN=progdir:grafika_aga"}, fail("ReadArgs"));
    expect_run(r, ARGS_MEMORY, 10, "ReadArgs");

    // Without its icon a desktop start keeps the defaults: the tool type
    // naming a missing skin is never seen.
    dir.write("kwadron.info", "SKIN=progdir:no_such_skin\nSCREEN\n");
    r = run_program(dir, {}, {}, true);
    expect_run(r, NO_PICTURE, 20, "desktop start with its icon");
    r = run_program(dir, {}, fail("GetDiskObjectNew"), true);
    expect_run(r, "", 0, "desktop start without an icon");
    EXPECT_EQ(host::call_count("BestCModeIDTags"), 0); // public screen
}

TEST_F(StartupFaults, SkinScreenAndWindow) {
    expect_run(run_program(dir, {}, fail("NewDTObject")), NO_PICTURE, 20, "NewDTObject");
    expect_run(run_program(dir, {"SCREEN"}, fail("BestCModeIDTags")), NO_MODE, 20, "BestCModeIDTags");
    expect_run(run_program(dir, {"SCREEN"}, fail("OpenScreenTags")), NO_SCREEN, 20, "true-colour screen");
    expect_run(run_program(dir, {"SCREEN"}, fail("OpenScreenTags", 1, no_cybergraphics)), NO_SCREEN, 20,
               "palette screen");
    expect_run(run_program(dir, {}, fail("OpenWindowTags")), NO_WINDOW, 20, "window on the public screen");
    expect_run(run_program(dir, {"SCREEN"}, fail("OpenWindowTags")), NO_WINDOW, 20, "window, own screen");
    expect_run(run_program(dir, {"SCREEN"}, fail("OpenWindowTags", 1, no_cybergraphics)), NO_WINDOW, 20,
               "window, palette screen");
    // No mode at all even at double size.
    expect_run(run_program(dir, {"SCREEN", "SKIN=progdir:grafika_aga2x"}, fail("BestCModeIDTags")), NO_MODE,
               20, "BestCModeIDTags at double size");
}

TEST_F(StartupFaults, MaskMemory) {
    const std::vector<std::string> shell{"SCREEN"};
    // True-colour path: the mask block, then the pixel buffer.
    expect_run(run_program(dir, shell, fail("CreatePool")), NO_MEMORY + NO_MASK, 20, "CreatePool");
    expect_run(run_program(dir, shell, fail("AllocVecPooled", 1)), NO_MASK, 20, "mask block");
    expect_run(run_program(dir, shell, fail("AllocVecPooled", 2)), NO_MASK, 20, "pixel buffer");
    // Palette path: the mask block, the byte array, the scratch bitmap.
    expect_run(run_program(dir, shell, fail("CreatePool", 1, no_cybergraphics)), NO_MEMORY + NO_MASK, 20,
               "CreatePool, palette");
    expect_run(run_program(dir, shell, fail("AllocVecPooled", 1, no_cybergraphics)), NO_MASK, 20,
               "mask block, palette");
    expect_run(run_program(dir, shell, fail("AllocVecPooled", 2, no_cybergraphics)), NO_MASK, 20,
               "byte array");
    expect_run(run_program(dir, shell, fail("AllocBitMap", 1, no_cybergraphics)), NO_MASK, 20,
               "scratch bitmap");
}

TEST_F(StartupFaults, ScoreFileThatCannotBeOpened) {
    dir.write("score", "1234\n");
    expect_run(run_program(dir, {}), "", 0, "score read");
    EXPECT_EQ(High_Punkty, 1234);
    expect_run(run_program(dir, {}, fail("Open")), "", 0, "score not opened");
    EXPECT_EQ(High_Punkty, 0);
    expect_run(run_program(dir, {}, fail("FGets")), "", 0, "score not read");
    EXPECT_EQ(High_Punkty, 0);
    EXPECT_EQ(dir.read("score"), "1234\n");
}

// Every occurrence of every fallible call of a clean run, made to fail in
// turn, in each way of starting.
TEST_F(StartupFaults, EveryCallOfEveryRunFailsInTurn) {
    struct Way {
        const char *name;
        std::vector<std::string> words;
        std::function<void()> setup;
        bool desktop;
    };
    dir.write("score", "77\n");
    const std::vector<Way> ways{
        {"default", {}, {}, false},
        {"own true-colour screen", {"SCREEN"}, {}, false},
        {"own palette screen", {"SCREEN"}, no_cybergraphics, false},
        {"public screen without cybergraphics", {}, no_cybergraphics, false},
        {"double size", {"SKIN", "progdir:grafika_aga2x", "SCREEN"}, {}, false},
        {"desktop", {}, {}, true},
    };
    dir.write("kwadron.info", "SKIN=progdir:grafika_aga2x\n");
    int injected = 0;
    for (const auto &way : ways) {
        RunResult clean = run_program(dir, way.words, way.setup, way.desktop);
        ASSERT_EQ(clean.out, "") << way.name;
        ASSERT_EQ(clean.rc, 0) << way.name;
        std::map<std::string, int> counts;
        for (const auto &call : reliability::fallible_calls()) counts[call] = host::call_count(call);
        for (const auto &[call, count] : counts) {
            for (int n = 1; n <= count; ++n) {
                const std::string what = std::string(way.name) + ": " + call + " #" + std::to_string(n);
                RunResult r = run_program(dir, way.words, fail(call, n, way.setup), way.desktop);
                ++injected;
                EXPECT_TRUE(r.rc == 0 || r.rc == 20 || (r.rc == 10 && call == "ReadArgs")) << what << " rc " << r.rc;
                EXPECT_EQ(unknown_output(r.out), "") << what;
                EXPECT_TRUE(r.open.empty()) << what << ": " << (r.open.empty() ? "" : r.open.front());
                EXPECT_TRUE(r.handles_clear) << what;
                EXPECT_EQ(dir.read("score"), "77\n") << what;
            }
        }
    }
    EXPECT_GT(injected, 40);
    RecordProperty("failure_points", injected);
    printf("failure points injected: %d\n", injected);
}

} // namespace
