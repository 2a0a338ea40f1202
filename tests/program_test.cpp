// The real program, started as a player or the desktop would start it, on
// the headless display with input scripts.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "test_files.h"

namespace fs = std::filesystem;

namespace {


struct Result {
    int rc = -1;
    std::string out, err;
    std::vector<std::string> trace;
    bool traced(const std::string &line) const {
        return std::find(trace.begin(), trace.end(), line) != trace.end();
    }
    bool traced_prefix(const std::string &prefix) const {
        for (const auto &l : trace)
            if (l.rfind(prefix, 0) == 0) return true;
        return false;
    }
};

// The program and its skins copied into a folder of their own, so that its
// score file and icons stay inside the test.
class ProgramTest : public ::testing::Test {
  protected:
    fs::path root, prog, work;
    std::vector<std::string> wrapper; // words before the program's path

    void SetUp() override {
        root = fs::temp_directory_path() /
               ("kwadron-prog-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        prog = root / "game";
        work = root / "work";
        fs::create_directories(prog);
        fs::create_directories(work);
        fs::copy_file(KWADRON_BINARY, prog / "kwadron");
        for (const char *skin : {"grafika_aga", "grafika_aga2x"})
            fs::copy_file(fs::path(KWADRON_SOURCE_DIR) / "skins" / skin, prog / skin);
    }
    void TearDown() override { fs::remove_all(root); }

    Result run(const std::vector<std::string> &words, const std::string &script = "key esc\n",
               const std::vector<std::string> &env = {}, const fs::path &cwd = {}) {
        Result r;
        const fs::path script_file = root / "script", out = root / "out", err = root / "err",
                       trace = root / "trace";
        testfiles::spit(script_file, script);
        std::vector<std::string> envs = {"KWADRON_DISPLAY=headless", "KWADRON_LEDGER_REPORT=1",
                                         "KWADRON_SCRIPT=" + script_file.string(),
                                         "KWADRON_CALL_TRACE=" + trace.string(), "PATH=/usr/bin:/bin"};
        // A word given here replaces the default of the same name.
        for (const auto &e : env) {
            const std::string key = e.substr(0, e.find('=') + 1);
            std::erase_if(envs, [&](const std::string &d) { return d.rfind(key, 0) == 0; });
            envs.push_back(e);
        }
        std::vector<std::string> argv_s = wrapper;
        argv_s.push_back((prog / "kwadron").string());
        argv_s.insert(argv_s.end(), words.begin(), words.end());
        pid_t pid = fork();
        if (pid == 0) {
            std::vector<char *> argv, envp;
            for (auto &a : argv_s) argv.push_back(a.data());
            argv.push_back(nullptr);
            for (auto &e : envs) envp.push_back(e.data());
            envp.push_back(nullptr);
            int in = open("/dev/null", O_RDONLY);
            int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(in, 0);
            dup2(o, 1);
            dup2(e, 2);
            if (chdir((cwd.empty() ? work : cwd).c_str()) != 0) _exit(126);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        r.out = testfiles::slurp(out);
        r.err = testfiles::slurp(err);
        std::istringstream t(testfiles::slurp(trace));
        for (std::string line; std::getline(t, line);) r.trace.push_back(line);
        return r;
    }

    std::string progpath(const char *name) const { return (prog / name).string(); }
};

} // namespace

TEST_F(ProgramTest, NoArgumentsTakesTheDefaultSkinOnThePublicScreen) {
    Result r = run({});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.traced("NewDTObject progdir:grafika_aga"));
    EXPECT_FALSE(r.traced_prefix("OpenScreenTags"));
    EXPECT_TRUE(r.traced("OpenWindowTags 352,264 320x240 public titled"));
    EXPECT_TRUE(r.traced("SetDTAttrs remap=1"));
}

TEST_F(ProgramTest, ScreenSwitchOpensAScreenOfItsOwn) {
    Result r = run({"SCREEN"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.traced("OpenScreenTags 320x240x24"));
    EXPECT_TRUE(r.traced("OpenWindowTags 0,0 320x240 own"));
    EXPECT_TRUE(r.traced("SetDTAttrs remap=1"));
    EXPECT_TRUE(r.traced("ReadPixelArray"));
    EXPECT_TRUE(r.traced("release screen"));

    r = run({"skin=progdir:grafika_aga2x", "screen"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.traced("OpenScreenTags 640x480x24"));
}

TEST_F(ProgramTest, PaletteScreenWithoutCybergraphics) {
    Result r = run({"SCREEN"}, "key esc\n", {"KWADRON_LIBS=-cybergraphics.library"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.traced("OpenScreenTags 320x256x8"));
    EXPECT_TRUE(r.traced("OpenWindowTags 0,8 320x240 own"));
    EXPECT_TRUE(r.traced("SetDTAttrs remap=0"));
    EXPECT_TRUE(r.traced("ReadPixelArray8"));
    EXPECT_FALSE(r.traced("ReadPixelArray"));
    EXPECT_TRUE(r.traced("SetRGB32 255"));

    // The true-colour skin cannot go on a palette screen: the public one it is.
    r = run({"SCREEN", "SKIN=progdir:grafika_aga2x"}, "key esc\n", {"KWADRON_LIBS=-cybergraphics.library"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_FALSE(r.traced_prefix("OpenScreenTags"));
    EXPECT_TRUE(r.traced("OpenWindowTags 192,144 640x480 public titled"));
    EXPECT_TRUE(r.traced("SetDTAttrs remap=1"));
}

TEST_F(ProgramTest, BadCommandLinesSayWhyAndLeaveNothingOpen) {
    const std::string name = progpath("kwadron");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"FOO=1"}, name + ": wrong number of arguments\n"},
        {{"grafika"}, name + ": wrong number of arguments\n"},
        {{"SKIN"}, name + ": value after keyword missing\n"},
        {{"SKIN=a", "SKIN=b"}, name + ": wrong number of arguments\n"},
        {{"SKIN="}, name + ": value after keyword missing\n"},
        {{"SCREEN=1"}, name + ": bad template\n"},
    };
    for (const auto &[words, message] : cases) {
        Result r = run(words);
        EXPECT_EQ(r.rc, 10) << words[0] << " " << r.err;
        if (!message.empty()) {
            EXPECT_EQ(r.out, message);
        }
        EXPECT_FALSE(r.traced_prefix("NewDTObject")) << words[0];
    }
    const std::string long_path(100, 'x');
    Result r = run({"SKIN=" + long_path});
    EXPECT_EQ(r.rc, 10) << r.err;
    EXPECT_EQ(r.out, "Za długa ścieżka pliku graficznego (najwyżej 99 znaków)\n\n");
}

TEST_F(ProgramTest, MissingOrWrongSkin) {
    Result r = run({"SKIN=nothing-here"});
    EXPECT_EQ(r.rc, 20) << r.err;
    EXPECT_EQ(r.out, "Nie mogę otworzyć pliku graficznego\n\n");

    testfiles::spit(work / "notes.txt", "not a picture\n");
    r = run({"SKIN=notes.txt"});
    EXPECT_EQ(r.rc, 20) << r.err;
    EXPECT_EQ(r.out, "Nie mogę otworzyć pliku graficznego\n\n");

    // A path of 99 characters is still taken.
    std::string path = "./" + std::string(93, 's') + ".png";
    fs::copy_file(prog / "grafika_aga", work / path);
    ASSERT_EQ(path.size(), 99u);
    r = run({"SKIN=" + path});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(ProgramTest, RelativeSkinPathsStartInTheCurrentDirectory) {
    fs::create_directories(work / "skins" / "deep");
    fs::copy_file(prog / "grafika_aga", work / "skins" / "mine");
    Result r = run({"SKIN=skins/mine"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "");
    r = run({"SKIN=skins/mine"}, "key esc\n", {}, work / "skins" / "deep");
    EXPECT_EQ(r.out, "Nie mogę otworzyć pliku graficznego\n\n");
    r = run({"SKIN=../mine"}, "key esc\n", {}, work / "skins" / "deep");
    EXPECT_EQ(r.out, "");
}

TEST_F(ProgramTest, DesktopStartReadsTheLastIconsToolTypes) {
    // The program's own icon says one thing, the project's icon another.
    testfiles::spit(prog / "kwadron.info", "SKIN=no-such-skin\n");
    fs::create_directories(work / "project");
    fs::copy_file(prog / "grafika_aga2x", work / "project" / "night");
    testfiles::spit(work / "project" / "night.info", "skin=night\nSCREEN=NO\n");
    // The icon's relative path is taken in the directory restored afterwards.
    Result r = run({(work / "project" / "night").string()}, "key esc\n", {"KWADRON_WBSTART=1"});
    EXPECT_EQ(r.rc, 20) << r.err;
    EXPECT_EQ(r.out, "Nie mogę otworzyć pliku graficznego\n\n");
    r = run({(work / "project" / "night").string()}, "key esc\n", {"KWADRON_WBSTART=1"}, work / "project");
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.traced("NewDTObject night"));
    EXPECT_TRUE(r.traced("OpenScreenTags 640x480x24"));

    // Alone, the program reads its own icon; without one the defaults stay.
    r = run({}, "key esc\n", {"KWADRON_WBSTART=1"});
    EXPECT_EQ(r.out, "Nie mogę otworzyć pliku graficznego\n\n");
    fs::remove(prog / "kwadron.info");
    r = run({}, "key esc\n", {"KWADRON_WBSTART=1"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.traced("NewDTObject progdir:grafika_aga"));
    EXPECT_FALSE(r.traced_prefix("OpenScreenTags"));
}

TEST_F(ProgramTest, TheBestScoreIsKeptWhenTheGameEndsMidway) {
    // A best score that stays below the file's leaves the file alone.
    testfiles::spit(prog / "score", "999999\n");
    const auto before = fs::last_write_time(prog / "score");
    std::string script;
    for (int i = 0; i < 10; ++i) script += "key left\nkey up\nkey right\nkey down\n";
    Result r = run({}, script + "click 58 196\n"); // quit
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(testfiles::slurp(prog / "score"), "999999\n");
    EXPECT_EQ(fs::last_write_time(prog / "score"), before);

    // One the counter showed above it is written at the end, by QUIT or Esc.
    for (const char *end : {"click 58 196\n", "key esc\n"}) {
        testfiles::spit(prog / "score", "0\n");
        r = run({}, script + end);
        EXPECT_EQ(r.rc, 0) << r.err;
        EXPECT_TRUE(std::regex_match(testfiles::slurp(prog / "score"), std::regex("[1-9][0-9]*\n"))) << end;
    }

    // Played until nothing moves: the best score lands in the file.
    fs::remove(prog / "score");
    script.clear();
    for (int i = 0; i < 1500; ++i) script += "key left\nkey up\nkey right\nkey down\n";
    r = run({}, script + "snapshot " + (root / "end.png").string() + "\nkey esc\n");
    EXPECT_EQ(r.rc, 0) << r.err;
    ASSERT_TRUE(fs::exists(prog / "score"));
    EXPECT_TRUE(std::regex_match(testfiles::slurp(prog / "score"), std::regex("[1-9][0-9]*\n")));
    EXPECT_TRUE(fs::exists(root / "end.png"));
}

TEST_F(ProgramTest, NoDisplayMeansNoWindow) {
    Result r = run({}, "", {"KWADRON_DISPLAY=none"});
    EXPECT_EQ(r.rc, 20) << r.err;
    EXPECT_EQ(r.out, "Nie mogę otworzyć okna\n\n");
    r = run({"SCREEN"}, "", {"KWADRON_DISPLAY=none"});
    EXPECT_EQ(r.rc, 20) << r.err;
    EXPECT_EQ(r.out, "Nie moge znalezc odpowiedniego ekranu\n\n");
}

TEST_F(ProgramTest, AStaleDisplayEndsPromptlyWithTheWindowMessage) {
    for (const char *env : {"DISPLAY=:58", "WAYLAND_DISPLAY=wayland-58"}) {
        const auto t0 = std::chrono::steady_clock::now();
        // SDL's desktop libraries (dbus) keep memory of their own; the game's
        // own handles are checked by the ledger report.
        Result r = run({}, "", {"KWADRON_DISPLAY=", env, "XDG_RUNTIME_DIR=" + root.string(),
                                "ASAN_OPTIONS=detect_leaks=0"});
        const auto secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        EXPECT_EQ(r.rc, 20) << env << r.err;
        EXPECT_EQ(r.out, "Nie mogę otworzyć okna\n\n") << env;
        EXPECT_LT(secs, 10.0) << env; // a hang is the fault looked for, not speed
    }
}

TEST_F(ProgramTest, HelpAndVersionAnswerBeforeTheTemplate) {
    for (const char *word : {"--help", "-h"}) {
        Result r = run({word});
        EXPECT_EQ(r.rc, 0);
        EXPECT_EQ(r.out.rfind("Usage: kwadron [SKIN=<picture>] [SCREEN]\n", 0), 0u) << word;
        EXPECT_NE(r.out.find("Return codes: 0 played and quit, 10 bad command line, 20 could not start."),
                  std::string::npos);
        EXPECT_FALSE(r.traced_prefix("OpenLibrary"));
    }
    Result r = run({"--version"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_TRUE(std::regex_match(r.out, std::regex("kwadron [0-9]+\\.[0-9]+(\\.[0-9]+)?\n")));
    // Anywhere else such a word is the template's to judge.
    r = run({"SCREEN", "--help"});
    EXPECT_EQ(r.rc, 10);
    EXPECT_EQ(r.out, (prog / "kwadron").string() + ": wrong number of arguments\n");
}

TEST_F(ProgramTest, AnInstalledGameKeepsItsPlayersBestScore) {
    // Installed by root, played by an ordinary user who quits mid-game.
    const fs::path home = root / "home";
    fs::create_directories(home);
    chown(home.c_str(), 65534, 65534);
    fs::permissions(root, fs::perms::all);
    fs::permissions(work, fs::perms::all);
    wrapper = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    std::string script;
    for (int i = 0; i < 10; ++i) script += "key left\nkey up\nkey right\nkey down\n";
    Result r = run({}, script + "key esc\n", {"HOME=" + home.string(), "KWADRON_CALL_TRACE=/dev/null"});
    EXPECT_EQ(r.rc, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "");
    const fs::path kept = home / ".local/share/kwadron/score";
    ASSERT_TRUE(fs::exists(kept));
    EXPECT_TRUE(std::regex_match(testfiles::slurp(kept), std::regex("[1-9][0-9]*\n")));
    EXPECT_FALSE(fs::exists(prog / "score"));
    // The next start reads it from there.
    const std::string best = testfiles::slurp(kept);
    r = run({}, "snapshot " + (work / "start.png").string() + "\nkey esc\n",
            {"HOME=" + home.string(), "KWADRON_CALL_TRACE=/dev/null"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(testfiles::slurp(kept), best);
}

TEST_F(ProgramTest, ADesktopStartTellsItsFailureOnStandardErrorToo) {
    testfiles::spit(prog / "kwadron.info", "SKIN=no-such-skin\n");
    Result r = run({}, "", {"KWADRON_WBSTART=1"});
    EXPECT_EQ(r.rc, 20);
    EXPECT_EQ(r.out, "Nie mogę otworzyć pliku graficznego\n\n");
    EXPECT_NE(r.err.find("Nie mogę otworzyć pliku graficznego\n"), std::string::npos);
    // A shell start keeps standard error for itself.
    r = run({"SKIN=no-such-skin"});
    EXPECT_EQ(r.err.find("Nie mogę"), std::string::npos);
}
