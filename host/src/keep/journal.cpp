// The journal's bytes: "KWJ", a format byte, what it depends on, the run
// that wrote it, the clock's reads, the messages, and a check of all that.
// Numbers are little-endian; counts and clock reads are varints; each
// message is a tag byte (its kind; whether its qualifier, window or mouse
// position differ from the last message's; whether its code is a release),
// its code, and its mouse position as a step from the last one. A key going
// down or up takes 2 bytes, a mouse move 3 to 5.
#include <cstring>

#include "amiga/intuition.h"
#include "keep/keep.h"

namespace host::keep {
namespace {
const char magic[3] = {'K', 'W', 'J'};
constexpr uint8_t format = 1;

enum Kind : uint8_t { Key, Button, Move, Close, Other };
constexpr uint8_t new_qualifier = 0x08, new_window = 0x10, same_place = 0x20, released = 0x40;

// Moves and closes carry no code of their own: one that does is Other.
Kind kind_of(const Message &m) {
    switch (m.cls) {
    case IDCMP_RAWKEY: return Key;
    case IDCMP_MOUSEBUTTONS: return Button;
    case IDCMP_MOUSEMOVE: return m.code == IECODE_NOBUTTON ? Move : Other;
    case IDCMP_CLOSEWINDOW: return m.code == 0 ? Close : Other;
    default: return Other;
    }
}
const ULONG class_of[] = {IDCMP_RAWKEY, IDCMP_MOUSEBUTTONS, IDCMP_MOUSEMOVE, IDCMP_CLOSEWINDOW};

void put_varint(std::string &out, uint64_t v) {
    while (v >= 0x80) {
        out.push_back(char(uint8_t(v) | 0x80));
        v >>= 7;
    }
    out.push_back(char(v));
}
uint64_t zigzag(int64_t v) { return (uint64_t(v) << 1) ^ uint64_t(v >> 63); }
int64_t unzigzag(uint64_t v) { return int64_t(v >> 1) ^ -int64_t(v & 1); }
void put_u64(std::string &out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(char(uint8_t(v >> (8 * i))));
}

struct Reader {
    const uint8_t *p, *end;
    bool ok = true;
    uint64_t varint() {
        uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (p == end) break;
            const uint8_t b = *p++;
            v |= uint64_t(b & 0x7f) << shift;
            if (!(b & 0x80)) return v;
        }
        ok = false;
        return 0;
    }
    uint64_t u64() {
        if (end - p < 8) {
            ok = false;
            return 0;
        }
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= uint64_t(p[i]) << (8 * i);
        p += 8;
        return v;
    }
    uint8_t byte() {
        if (p == end) {
            ok = false;
            return 0;
        }
        return *p++;
    }
};
void put_message(std::string &out, const Message &m, const Message &last) {
    const Kind k = kind_of(m);
    uint8_t tag = k;
    if (m.qualifier != last.qualifier) tag |= new_qualifier;
    if (m.window != last.window) tag |= new_window;
    if (m.x == last.x && m.y == last.y) tag |= same_place;
    const bool coded = k != Move && k != Close;
    if (coded && (m.code & IECODE_UP_PREFIX)) tag |= released;
    out.push_back(char(tag));
    if (k == Other) put_varint(out, m.cls);
    if (coded) put_varint(out, m.code & ~UWORD(tag & released ? IECODE_UP_PREFIX : 0));
    if (tag & new_qualifier) put_varint(out, m.qualifier);
    if (tag & new_window) out.push_back(char(m.window));
    if (tag & same_place) return;
    put_varint(out, zigzag(m.x - last.x));
    put_varint(out, zigzag(m.y - last.y));
}
} // namespace

size_t message_bytes(const Message &m, const Message &last) {
    static std::string out;
    out.clear();
    put_message(out, m, last);
    return out.size();
}

uint64_t hash(const void *data, size_t size, uint64_t h) {
    const auto *b = static_cast<const uint8_t *>(data);
    for (size_t i = 0; i < size; ++i) h = (h ^ b[i]) * 0x100000001b3ull;
    return h;
}

std::string encode(const Journal &j) {
    std::string out(magic, sizeof magic);
    out.push_back(char(format));
    for (uint64_t v : {j.basis.code, j.basis.args, j.basis.pictures, j.basis.geometry, j.run}) put_u64(out, v);
    put_varint(out, j.clock.size());
    for (int64_t t : j.clock) put_varint(out, zigzag(t));
    put_varint(out, j.messages.size());
    Message last;
    for (const Message &m : j.messages) {
        put_message(out, m, last);
        last = m;
    }
    put_u64(out, hash(out.data(), out.size()));
    return out;
}

bool decode(const uint8_t *data, size_t size, Journal &j, const char **why) {
    const auto fail = [&](const char *w) {
        if (why) *why = w;
        return false;
    };
    if (size < sizeof magic + 1 || memcmp(data, magic, sizeof magic) != 0) return fail("it is not a kept game");
    if (data[sizeof magic] != format) return fail("it is of another format");
    if (size < sizeof magic + 1 + 8 || size > max_bytes + 4096) return fail("it is damaged");
    Reader r{data, data + size - 8};
    if (Reader{data + size - 8, data + size}.u64() != hash(data, size - 8)) return fail("it is damaged");
    r.p += sizeof magic + 1;
    Journal out;
    out.basis = {r.u64(), r.u64(), r.u64(), r.u64()};
    out.run = r.u64();
    const uint64_t reads = r.varint();
    for (uint64_t i = 0; r.ok && i < reads && r.p < r.end; ++i) out.clock.push_back(unzigzag(r.varint()));
    const uint64_t count = r.varint();
    Message last;
    for (uint64_t i = 0; r.ok && i < count; ++i) {
        Message m = last;
        const uint8_t tag = r.byte();
        const uint8_t k = tag & 7;
        const bool coded = k != Move && k != Close;
        if (k > Other || (tag & 0x80) || (!coded && (tag & released))) return fail("it is damaged");
        m.cls = k == Other ? ULONG(r.varint()) : class_of[k];
        m.code = coded ? UWORD(r.varint() | (tag & released ? IECODE_UP_PREFIX : 0)) : k == Move ? IECODE_NOBUTTON : 0;
        if (tag & new_qualifier) m.qualifier = UWORD(r.varint());
        if (tag & new_window) m.window = r.byte();
        if (!(tag & same_place)) {
            m.x = WORD(last.x + unzigzag(r.varint()));
            m.y = WORD(last.y + unzigzag(r.varint()));
        }
        out.messages.push_back(m);
        last = m;
    }
    if (!r.ok || r.p != r.end || out.clock.size() != reads) return fail("it is damaged");
    j = std::move(out);
    return true;
}
} // namespace host::keep
