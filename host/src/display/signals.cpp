// The quit signals: from the program's first wait on, SIGHUP (the terminal
// closed), SIGINT and SIGTERM close the game as its close gadget does, so
// the program ends its own way and keeps the best score.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "display/display.h"

namespace host {
namespace {
const int quit_signals[] = {SIGHUP, SIGINT, SIGTERM};
struct sigaction before[3];
bool caught = false;
std::atomic<bool> quit_asked{false};
std::atomic<void (*)()> wake_op{nullptr};
int wake_pipe[2] = {-1, -1};
// The handler notes the signal and tells the waker thread, which wakes the
// driver; nothing else is safe to do in a handler.
void on_quit_signal(int) {
    const int saved = errno;
    quit_asked = true;
    const char c = 1;
    if (write(wake_pipe[1], &c, 1) < 0) {
        // The pipe is full: a wake is on its way already.
    }
    errno = saved;
}
} // namespace

// Handlers for the quit signals, and once a thread that wakes the driver.
void catch_quit_signals() {
    static bool started = false;
    if (!started) {
        if (pipe2(wake_pipe, O_CLOEXEC) != 0) return;
        fcntl(wake_pipe[1], F_SETFL, O_NONBLOCK);
        std::thread([] {
            char c;
            while (read(wake_pipe[0], &c, 1) > 0 || errno == EINTR)
                if (auto wake = wake_op.load()) wake();
        }).detach();
        started = true;
    }
    wake_op = display().wake;
    if (caught) return;
    struct sigaction sa {};
    sa.sa_handler = on_quit_signal;
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    // A signal ignored by whoever started the program (nohup) stays ignored.
    for (int i = 0; i < 3; ++i)
        if (sigaction(quit_signals[i], nullptr, &before[i]) == 0 && before[i].sa_handler != SIG_IGN)
            sigaction(quit_signals[i], &sa, nullptr);
    caught = true;
}

void release_quit_signals() {
    if (caught)
        for (int i = 0; i < 3; ++i) sigaction(quit_signals[i], &before[i], nullptr);
    caught = false;
    wake_op = nullptr;
    quit_asked = false;
}

bool quit_signal_taken() { return quit_asked.exchange(false); }

} // namespace host
