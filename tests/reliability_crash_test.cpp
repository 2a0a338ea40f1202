// The score file against crashes: a child writes the best score over and
// over and is killed at a random moment; the file must then hold one whole
// "%d\n" line, of the value before or of one the child wrote. KWADRON_KILLS
// sets how many kills (default 2000, 800 under the address sanitizer);
// scripts/soak.sh runs more.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <string>
#include <thread>

#include "host/control.h"
#include "reliability_state.h"

namespace {

std::string slurp(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

TEST(ScoreFileCrash, KilledWhileWritingLeavesAWholeLine) {
    const char *env = getenv("KWADRON_KILLS");
#if defined(__SANITIZE_ADDRESS__)
    const long fallback = 800; // a fork under the address sanitizer is slow
#else
    const long fallback = 2000;
#endif
    const long kills = env && *env ? strtol(env, nullptr, 10) : fallback;
    ASSERT_LE(kills, 99999); // the values written keep to the nine digits read back
    // Memory-backed storage makes a write quick, so the kills land in every
    // part of it, not mostly in the flush to the disk.
    char tmpl[] = "/dev/shm/kwadron_crash_XXXXXX";
    char tmpl2[] = "/tmp/kwadron_crash_XXXXXX";
    const char *d = mkdtemp(tmpl);
    if (!d) d = mkdtemp(tmpl2);
    ASSERT_NE(d, nullptr);
    const std::string dir = d, score = dir + "/score";
    host::reset_all();
    host::set_progdir(dir);

    std::mt19937 rng(99);
    const std::regex line("-?[0-9]+\n");
    long previous = -1; // no file yet
    long changed = 0, unchanged = 0;
    for (long k = 1; k <= kills; ++k) {
        const long base = k * 10000; // nine digits at most up to 99999 kills
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        fflush(nullptr);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            alarm(10);
            close(ready[0]);
            // Every other child says so only once its first line is written,
            // so that kills also come in the middle of a run of writes.
            const bool after_first = k % 2 == 0;
            for (long v = base;; ++v) {
                if (v == base + (after_first ? 1 : 0) && write(ready[1], "!", 1) != 1) _exit(1);
                High_Punkty = LONG(v);
                ZapiszHighScore();
            }
        }
        // The kill comes a random time after the child has started writing.
        close(ready[1]);
        char c;
        ASSERT_EQ(read(ready[0], &c, 1), 1);
        close(ready[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 400));
        kill(pid, SIGKILL);
        int st = 0;
        waitpid(pid, &st, 0);
        ASSERT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == SIGKILL) << "kill " << k;

        const std::string text = slurp(score);
        if (previous < 0 && text.empty() && !std::filesystem::exists(score)) {
            ++unchanged; // killed before its first write was done
            continue;
        }
        ASSERT_TRUE(std::regex_match(text, line)) << "kill " << k << ": \"" << text << "\"";
        const long value = std::stol(text);
        if (value == previous) {
            ++unchanged;
        } else {
            ASSERT_GE(value, base) << "kill " << k;
            ASSERT_LT(value, base + 10000) << "kill " << k;
            ++changed;
        }
        previous = value;
    }
    // The game reads back what is there.
    WczytajHighScore();
    EXPECT_EQ(High_Punkty, previous);
    EXPECT_GT(changed, 0);

    long leftovers = 0;
    for (auto &e : std::filesystem::directory_iterator(dir)) leftovers += e.path().filename() != "score";
    printf("kills survived: %ld (%ld with a new value, %ld with the old one); %ld unfinished temporary files "
           "left beside the score file\n",
           kills, changed, unchanged, leftovers);
    host::reset_all();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

} // namespace
