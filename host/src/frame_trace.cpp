// KWADRON_TRACE=1: the time to the first frame, on stderr, once:
//   first-frame-us N
// N counts to the moment the program first waits for input, which is when
// the display shows what it drew; from KWADRON_TRACE_T0 (wall-clock seconds,
// e.g. bash's $EPOCHREALTIME taken as the command starts, so the loading of
// the process counts too), else from the host library's start-up.
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "internal.h"
#include "settings.h"

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
} // namespace

void note_first_frame() {
    if (noted) return;
    noted = true;
    if (!settings().trace) return;
    long long us = now_us() - started_us;
    if (settings().trace_t0 > 0) us = wall_us() - (long long)(settings().trace_t0 * 1e6);
    fprintf(stderr, "first-frame-us %lld\n", us);
    fflush(stderr);
}
} // namespace host
