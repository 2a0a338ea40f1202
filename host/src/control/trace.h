// The host's timings and its clock, for the rooms that note them.
#pragma once

namespace host {
// Monotonic time in microseconds.
long long monotonic_us();
// The CPU time of the whole process so far, in microseconds.
long long cpu_now_us();

// With KWADRON_TRACE=1: the first frame (once), a key going down, and a
// present with the CPU time it took (the difference of two cpu_now_us
// readings), one line each on stderr.
void note_first_frame();
void trace_key();
void trace_present(long long cpu_us);
} // namespace host
