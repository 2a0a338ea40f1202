// The host's traces: the call trace that tests and whole-program runs
// follow, the timings of KWADRON_TRACE, and the one clock of the host.
//
// KWADRON_TRACE=1: timings on stderr, one a line.
//   first-frame-us N       once: N counts to the moment the program first
//                          waits for input, which is when the display shows
//                          what it drew; from KWADRON_TRACE_T0 (wall-clock
//                          seconds, e.g. bash's $EPOCHREALTIME taken as the
//                          command starts, so the loading of the process
//                          counts too), else from the host library's start-up
//   key-us T               a key went down
//   present-us T cpu-us C  a picture was presented, at a CPU cost of C
// T, like N, from KWADRON_TRACE_T0 or the start-up. The first present comes
// just after first-frame-us.
#include <time.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "control/settings.h"
#include "control/trace.h"
#include "host/control.h"

namespace host {
namespace {
bool calls_traced = !settings().call_trace.empty();
std::vector<std::string> &trace_store() {
    static std::vector<std::string> t;
    return t;
}

long long wall_us() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}
const long long started_us = monotonic_us();
bool noted = false;

bool timings_on() { return settings().trace; }

// Microseconds from KWADRON_TRACE_T0 if it is set, else from the host
// library's start-up.
long long since_start_us() {
    static const long long t0_us = settings().trace_t0 > 0 ? (long long)(settings().trace_t0 * 1e6) : 0;
    return t0_us ? wall_us() - t0_us : monotonic_us() - started_us;
}
} // namespace

long long monotonic_us() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

void trace_enable(bool on) { calls_traced = on; }
void trace(const char *fmt, ...) {
    if (!calls_traced) return;
    char buf[256];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    trace_store().push_back(buf);
}
const std::vector<std::string> &trace_log() { return trace_store(); }

void note_first_frame() {
    if (noted) return;
    noted = true;
    if (!timings_on()) return;
    fprintf(stderr, "first-frame-us %lld\n", since_start_us());
    fflush(stderr);
}

void trace_key() {
    if (!timings_on()) return;
    fprintf(stderr, "key-us %lld\n", since_start_us());
    fflush(stderr);
}

void trace_present(long long cpu_us) {
    if (!timings_on()) return;
    fprintf(stderr, "present-us %lld cpu-us %lld\n", since_start_us(), cpu_us);
    fflush(stderr);
}

// The whole process: a renderer may hand its work to threads of its own.
long long cpu_now_us() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}
} // namespace host
