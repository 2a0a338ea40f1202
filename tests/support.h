// What the tests share: whole files in and out, a temporary program folder
// holding the program and the shipped skins, and one run of the program.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/control.h"

namespace testfiles {

namespace fs = std::filesystem;

inline std::string slurp(const fs::path &p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void spit(const fs::path &p, const std::string &text) {
    std::ofstream f(p, std::ios::binary);
    f << text;
}

// A fresh folder under base, removed with what it holds at the end.
struct TempDir {
    fs::path root;
    explicit TempDir(const std::string &base = "/tmp") {
        std::string t = base + "/kwadron-test-XXXXXX";
        root = mkdtemp(t.data()) ? t : base + "/kwadron-test-failed";
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

// game/ holds the program and the shipped skins (its PROGDIR:), work/ is
// the current directory of a run.
// A test of the host's files: dos and icons from their start, a folder of
// its own as PROGDIR:'s place, and nothing left open at the end.
class FilesTest : public testing::Test {
  protected:
    void SetUp() override {
        host::dos_reset();
        host::icon_reset();
        host::ledger_clear();
        host::faults_reset();
    }
    void TearDown() override {
        EXPECT_EQ(host::ledger_count(), 0u) << "handles left open";
        host::dos_reset();
        host::icon_reset();
        host::set_progdir(old_progdir);
    }
    TempDir tmp;
    const std::string dir = tmp.root.string(), old_progdir = host::progdir();
};

struct ProgDir : TempDir {
    fs::path prog = root / "game", work = root / "work";
    ProgDir() {
        fs::create_directories(prog);
        fs::create_directories(work);
        fs::copy_file(KWADRON_BINARY, prog / "kwadron");
        for (const char *skin : {"grafika_aga", "grafika_aga2x"})
            fs::copy_file(fs::path(KWADRON_SOURCE_DIR) / "skins" / skin, prog / skin);
    }
};

struct Outcome {
    int rc = -1; // exit code, 128 + the signal when killed
    std::string out, err;
    std::vector<std::string> trace;
    bool traced(const std::string &line) const {
        return std::find(trace.begin(), trace.end(), line) != trace.end();
    }
    bool traced_prefix(const std::string &prefix) const {
        return std::any_of(trace.begin(), trace.end(), [&](const std::string &l) { return l.rfind(prefix, 0) == 0; });
    }
    // The ledger report names no handle left open.
    bool clean() const { return err.find("still open") == std::string::npos; }
};

struct RunOptions {
    std::string script = "key esc\n";  // the headless display's input
    std::vector<std::string> env{};    // each replaces the default of its name
    fs::path cwd{};                    // default: the work folder
    std::vector<std::string> wrapper{};  // words before the program's path
    fs::path input{};                  // standard input, default /dev/null
};

// A run of the program under way, and the files it writes.
struct Running {
    pid_t pid = -1;
    fs::path out, err, trace;
};

// Starts the program of d with these words on the headless display, with
// the call trace and the ledger report on; tag keeps the files of runs that
// go on at the same time apart. A run that hangs is ended after a minute
// (the alarm outlives exec).
inline Running start(const ProgDir &d, const std::vector<std::string> &words, const RunOptions &o = {},
                     const std::string &tag = "") {
    Running r{-1, d.root / ("out" + tag), d.root / ("err" + tag), d.root / ("trace" + tag)};
    const fs::path script = d.root / ("script" + tag);
    spit(script, o.script);
    fs::remove(r.trace);
    std::vector<std::string> envs = {"KWADRON_DISPLAY=headless", "KWADRON_LEDGER_REPORT=1",
                                     "KWADRON_SCRIPT=" + script.string(),
                                     "KWADRON_CALL_TRACE=" + r.trace.string(), "PATH=/usr/bin:/bin"};
    for (const auto &e : o.env) {
        const std::string key = e.substr(0, e.find('=') + 1);
        std::erase_if(envs, [&](const std::string &x) { return x.rfind(key, 0) == 0; });
        envs.push_back(e);
    }
    std::vector<std::string> argv_s = o.wrapper;
    argv_s.push_back((d.prog / "kwadron").string());
    argv_s.insert(argv_s.end(), words.begin(), words.end());
    const fs::path cwd = o.cwd.empty() ? d.work : o.cwd;
    const fs::path in = o.input.empty() ? fs::path("/dev/null") : o.input;
    fflush(nullptr);
    r.pid = fork();
    if (r.pid == 0) {
        std::vector<char *> argv, envp;
        for (auto &a : argv_s) argv.push_back(a.data());
        argv.push_back(nullptr);
        for (auto &e : envs) envp.push_back(e.data());
        envp.push_back(nullptr);
        dup2(open(in.c_str(), O_RDONLY), 0);
        dup2(open(r.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(r.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        alarm(60);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    return r;
}

// Waits for the run's end: its code and what it wrote.
inline Outcome finish(const Running &run) {
    int status = 0;
    waitpid(run.pid, &status, 0);
    Outcome r;
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = slurp(run.out);
    r.err = slurp(run.err);
    std::istringstream t(slurp(run.trace));
    for (std::string line; std::getline(t, line);) r.trace.push_back(line);
    return r;
}

inline Outcome run(const ProgDir &d, const std::vector<std::string> &words, const RunOptions &o = {}) {
    return finish(start(d, words, o));
}

} // namespace testfiles
