// KWADRON_TRACE=1: the time to the first frame, on stderr, once:
//   first-frame-us N
// N counts from the host library's start-up (before the program's main; the
// loading of the process itself is not in it) to the moment the program
// first waits for input, which is when the display shows what it drew.
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "internal.h"

namespace host {
namespace {
long long now_us() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}
const long long started_us = now_us();
bool noted = false;
} // namespace

void note_first_frame() {
    if (noted) return;
    noted = true;
    const char *e = getenv("KWADRON_TRACE");
    if (!e || strcmp(e, "1") != 0) return;
    fprintf(stderr, "first-frame-us %lld\n", now_us() - started_us);
    fflush(stderr);
}
} // namespace host
