// Whole runs of the program inside the test process: the game's module state
// put back as it stands at load, a program directory holding the shipped
// skins, and one call of program::main with its output captured.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "amiga/dos.h"
#include "host/control.h"
#include "host/headless.h"
#include "amiga/startup.h"
#include "amiga/workbench.h"
#include "game_fixture.h"
#include "app/app.h"
#include "gfx/gfx.h"
#include "platform/platform.h"
#include "rules/rules.h"

namespace reliability {

// Every module-level variable of the game back to its start value.
inline void reset_game_state() { testgame::reset_program_state(); }

// True when every handle of the game is back to null (Ekran may still name
// the public screen, which the game never owned).
inline bool game_handles_clear() {
    return !IntuitionBase && !GfxBase && !GadToolsBase && !DataTypesBase && !IconBase && !CyberGfxBase &&
           !grafika && !BM_Header && !BM_Grafika && !EkranP && !Okno && !RastPort && !maska &&
           !mem_pool && !Plik;
}

// A temporary program directory with copies of the shipped skins.
class ProgDir {
  public:
    std::filesystem::path path;
    ProgDir() {
        char tmpl[] = "/tmp/kwadron_rel_XXXXXX";
        if (!mkdtemp(tmpl)) ADD_FAILURE() << "mkdtemp";
        path = tmpl;
        const std::filesystem::path skins = std::filesystem::path(KWADRON_SOURCE_DIR) / "skins";
        for (const char *name : {"grafika_aga", "grafika_aga2x"})
            std::filesystem::copy_file(skins / name, path / name);
    }
    ~ProgDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string &name) const { return (path / name).string(); }
    void write(const std::string &name, const std::string &data) const {
        std::ofstream(path / name, std::ios::binary) << data;
    }
    std::string read(const std::string &name) const {
        std::ifstream f(path / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
};

struct RunResult {
    LONG rc = -1;
    std::string out;                // standard output of the run
    std::vector<std::string> open;  // ledger entries left at the return
    bool handles_clear = false;     // the game's handles all null again
};

// One whole run of the program on the headless display. 'words' are the
// command-line words after the program's name; 'before' runs after the host
// has been reset (faults, library versions, input). With 'desktop', main gets
// a desktop start whose only entry is the program itself in the program
// directory (its icon, kwadron.info, gives the tool types).
inline RunResult run_program(const ProgDir &dir, const std::vector<std::string> &words,
                             const std::function<void()> &before = {}, bool desktop = false) {
    host::reset_all();
    reset_game_state();
    host::headless_select();
    host::headless_select(host::HeadlessConfig{});
    host::set_progdir(dir.path.string());
    host::set_command_line(words);

    std::vector<std::string> store{"kwadron"};
    store.insert(store.end(), words.begin(), words.end());
    std::vector<char *> argv;
    for (auto &w : store) argv.push_back(w.data());
    argv.push_back(nullptr);

    BPTR lock = 0;
    WBArg entry{};
    WBStartup wb{};
    std::string name = "kwadron";
    if (desktop) {
        lock = Lock(dir.path.c_str(), ACCESS_READ);
        entry.wa_Lock = lock;
        entry.wa_Name = reinterpret_cast<BYTE *>(name.data());
        wb.sm_NumArgs = 1;
        wb.sm_ArgList = &entry;
    }
    host::faults_reset(); // counts start with the program
    if (before) before();

    RunResult r;
    ::testing::internal::CaptureStdout();
    r.rc = desktop ? program::main(0, reinterpret_cast<char **>(&wb))
                   : program::main(LONG(store.size()), argv.data());
    fflush(stdout);
    r.out = ::testing::internal::GetCapturedStdout();
    if (lock) UnLock(lock);
    r.open = host::ledger_open();
    r.handles_clear = game_handles_clear();
    return r;
}

// Calls of the fallible host operations in the run just made.
inline const std::vector<std::string> &fallible_calls() {
    static const std::vector<std::string> names{
        "OpenLibrary", "ReadArgs",  "GetDiskObjectNew", "NewDTObject", "BestCModeIDTags", "OpenScreenTags",
        "OpenWindowTags", "CreatePool", "AllocVecPooled", "AllocBitMap", "Open", "FGets",
        "Read", "Write", "Close", "Lock"};
    return names;
}

// Whole runs in a program directory of their own; afterwards no call may have
// been misused and everything is put back for the next test.
class RunTest : public ::testing::Test {
  protected:
    ProgDir dir;
    int misuses_before = 0;
    void SetUp() override { misuses_before = host::misuse_count(); }
    void TearDown() override {
        EXPECT_EQ(host::misuse_count(), misuses_before);
        host::reset_all();
        reset_game_state();
    }
};

} // namespace reliability
