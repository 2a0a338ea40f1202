// The C library's rand() as glibc makes it, for a C library that makes it
// otherwise (the browser edition's): the same seed then gives the same game.
#pragma once

#include <cstdint>

namespace host {
// glibc's default generator (the additive feedback one of random(), which
// rand() calls): from a seed, the numbers rand() gives after srand(seed).
class GlibcRandom {
  public:
    void seed(unsigned s);
    int next();

  private:
    int32_t r[34] = {};
    unsigned i = 0;
};
} // namespace host
