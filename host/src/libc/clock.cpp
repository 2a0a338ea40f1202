// The C library's clock as the program reads it: through the kept game's
// journal, so that a game taken up again draws the tiles it drew before.
#include <ctime>

#include "keep/keep.h"

#if defined(__GLIBC__)
#define KW_LIBC_NOEXCEPT noexcept
#else
#define KW_LIBC_NOEXCEPT
#endif

extern "C" time_t time(time_t *t) KW_LIBC_NOEXCEPT {
    const time_t now = host::keep::clock_read();
    if (t) *t = now;
    return now;
}
