#include "libc/random.h"

namespace host {
// The seed's first 31 words come from the "minimal standard" generator
// (16807 * x mod 2^31 - 1, by Schrage's method), then each word is the sum
// of the ones 31 and 3 before it; the first 310 sums are thrown away, and
// each number is a sum without its lowest bit.
void GlibcRandom::seed(unsigned s) {
    r[0] = int32_t(s ? s : 1);
    for (unsigned k = 1; k < 31; ++k) {
        const int32_t hi = r[k - 1] / 127773, lo = r[k - 1] % 127773;
        int32_t word = 16807 * lo - 2836 * hi;
        if (word < 0) word += 2147483647;
        r[k] = word;
    }
    for (unsigned k = 31; k < 34; ++k) r[k] = r[k - 31];
    for (i = 34; i < 344;) next();
}

int GlibcRandom::next() {
    const uint32_t sum = uint32_t(r[(i - 31) % 34]) + uint32_t(r[(i - 3) % 34]);
    r[i % 34] = int32_t(sum);
    ++i;
    return int(sum >> 1);
}
} // namespace host
