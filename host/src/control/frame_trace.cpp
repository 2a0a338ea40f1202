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

#include <cstdio>

#include "internal.h"
#include "control/settings.h"

namespace host {
namespace {
long long now_us() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}
long long wall_us() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}
const long long started_us = now_us();
bool noted = false;

bool tracing() { return settings().trace; }

// Microseconds from KWADRON_TRACE_T0 if it is set, else from the host
// library's start-up.
long long since_start_us() {
    static const long long t0_us = settings().trace_t0 > 0 ? (long long)(settings().trace_t0 * 1e6) : 0;
    return t0_us ? wall_us() - t0_us : now_us() - started_us;
}
} // namespace

void note_first_frame() {
    if (noted) return;
    noted = true;
    if (!tracing()) return;
    fprintf(stderr, "first-frame-us %lld\n", since_start_us());
    fflush(stderr);
}

void trace_key() {
    if (!tracing()) return;
    fprintf(stderr, "key-us %lld\n", since_start_us());
    fflush(stderr);
}

void trace_present(long long cpu_us) {
    if (!tracing()) return;
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
