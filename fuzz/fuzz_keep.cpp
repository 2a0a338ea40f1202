// The kept game's reader: any bytes are a journal or refused, never a crash;
// a journal read is written back to the same journal; and any journal made
// from the bytes (as a model) reads back as it was written.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "keep/keep.h"

namespace {
using host::keep::Journal;

bool same(const Journal &a, const Journal &b) {
    if (!(a.basis == b.basis) || a.run != b.run || a.clock != b.clock || a.messages.size() != b.messages.size())
        return false;
    for (size_t i = 0; i < a.messages.size(); ++i) {
        const auto &x = a.messages[i], &y = b.messages[i];
        if (x.window != y.window || x.cls != y.cls || x.code != y.code || x.qualifier != y.qualifier ||
            x.x != y.x || x.y != y.y)
            return false;
    }
    return true;
}

void round_trip(const Journal &j) {
    const std::string bytes = host::keep::encode(j);
    Journal back;
    if (!host::keep::decode(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), back) || !same(j, back))
        abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Journal j;
    if (host::keep::decode(data, size, j)) round_trip(j);

    // The bytes as a model: a clock read per 8 bytes of the first 16, then
    // a message per 11 bytes.
    Journal m;
    size_t at = 0;
    const auto take = [&](void *to, size_t n) {
        memset(to, 0, n);
        memcpy(to, data + at, std::min(n, size - at));
        at = std::min(size, at + n);
    };
    take(&m.basis, sizeof m.basis);
    for (int i = 0; i < 2 && at < size; ++i) take(&m.clock.emplace_back(), 8);
    while (at < size) {
        host::keep::Message msg;
        take(&msg.window, 1);
        take(&msg.cls, 4);
        take(&msg.code, 2);
        take(&msg.qualifier, 2);
        take(&msg.x, 2);
        take(&msg.y, 2);
        m.messages.push_back(msg);
    }
    round_trip(m);
    return 0;
}
