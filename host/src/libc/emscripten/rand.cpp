// rand() and srand() in the browser edition, as glibc's, in place of the
// browser's C library's own.
#include <cstdlib>

#include "libc/random.h"

namespace {
host::GlibcRandom generator = [] {
    host::GlibcRandom g;
    g.seed(1);
    return g;
}();
} // namespace

extern "C" void srand(unsigned seed) { generator.seed(seed); }
extern "C" int rand() { return generator.next(); }
