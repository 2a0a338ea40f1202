// The quit signals on the desktop. The handler only notes the signal and
// writes a byte into a pipe whose other end the display's wait watches, so
// that the main thread wakes by itself: nothing else may call the display,
// whose connection only the main thread uses.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "process/process.h"

namespace host {
namespace {
const int quit_signals[] = {SIGHUP, SIGINT, SIGTERM};
struct sigaction before[3];
struct sigaction before_pipe;
bool caught = false;
std::atomic<bool> quit_asked{false};
std::atomic<int> last_signal{0};
int wake_pipe[2] = {-1, -1};

void on_quit_signal(int sig) {
    const int saved = errno;
    last_signal = sig;
    quit_asked = true;
    const char c = 1;
    if (write(wake_pipe[1], &c, 1) < 0) {
        // The pipe is full: the wait has been woken already.
    }
    errno = saved;
}
} // namespace

void catch_quit_signals() {
    if (caught) return;
    if (wake_pipe[0] < 0 && pipe2(wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction sa {};
    sa.sa_handler = on_quit_signal;
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    // A signal ignored by whoever started the program (nohup) stays ignored.
    for (int i = 0; i < 3; ++i)
        if (sigaction(quit_signals[i], nullptr, &before[i]) == 0 && before[i].sa_handler != SIG_IGN)
            sigaction(quit_signals[i], &sa, nullptr);
    // A write to a display server that went away fails instead of ending
    // the program before it keeps its best.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &before_pipe);
    caught = true;
}

void release_quit_signals() {
    if (caught) {
        for (int i = 0; i < 3; ++i) sigaction(quit_signals[i], &before[i], nullptr);
        sigaction(SIGPIPE, &before_pipe, nullptr);
    }
    caught = false;
    quit_signal_taken();
}

bool quit_signal_taken() {
    char buf[64];
    if (wake_pipe[0] >= 0)
        while (read(wake_pipe[0], buf, sizeof buf) > 0) {
        }
    return quit_asked.exchange(false);
}

bool quit_signal_was_players() { return last_signal == SIGINT; }

int quit_signal_fd() { return wake_pipe[0]; }

void process_reset() {
    release_quit_signals();
    last_signal = 0;
}
} // namespace host
