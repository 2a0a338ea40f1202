// The run's side of the kept game: the journal begun at the program's
// first read of the clock, played back at its first waits, and kept or
// forgotten at its end.
#include "keep/keep.h"

#include <algorithm>
#include <ctime>

#include "display/input.h"
#include "graphics/graphics.h"
#include "host/control.h"
#include "intuition/intuition.h"
#include "kwadron_game_code.h"

namespace host::keep {
namespace {
// Messages posted back at one wait: the program takes them all before it
// waits again, so the batches only bound what is queued at once.
constexpr size_t batch = 256;

struct Run {
    bool started = false;
    Journal journal;        // this run's, from its start (a kept one's first)
    size_t clock_given = 0; // clock reads answered from the journal
    size_t played = 0;      // kept messages posted back
    bool replaying = false;
    size_t bytes = 0;       // the messages' size in the journal
    bool too_long = false;  // past max_bytes: not kept
    bool by_host = false;
    uint64_t taken_up = 0;  // the run that wrote the kept game taken up
    Message last;
    uint64_t pictures = hash(nullptr, 0);
};
Run run;

Basis basis_now() {
    Basis b;
    b.code = KWADRON_GAME_CODE;
    const std::string line = command_line();
    b.args = hash(line.data(), line.size());
    b.pictures = run.pictures;
    b.geometry = hash(nullptr, 0);
    for (const WindowRec *w : open_windows()) {
        const int g[] = {w->inner_w, w->inner_h, w->BorderLeft, w->BorderTop, w->BorderRight, w->BorderBottom};
        b.geometry = hash(g, sizeof g, b.geometry);
    }
    return b;
}

const char *differs(const Basis &kept, const Basis &now) {
    if (kept.code != now.code) return "it was played on another version of the game";
    if (kept.args != now.args) return "it was started with other arguments";
    if (kept.pictures != now.pictures) return "it was played with another skin";
    if (kept.geometry != now.geometry) return "its window was of another size";
    return nullptr;
}

void set_aside(const char *why) {
    store_set_aside();
    store_tell(std::string("the game kept from last time was set aside (") + why + "); a new game starts.");
}

// The start: a kept game that matches this one is taken up.
void start() {
    run.started = true;
    run.journal.run = store_run_id();
    run.journal.basis = basis_now();
    std::string bytes;
    if (!store_load(bytes)) return;
    Journal kept;
    const char *why = "it is damaged";
    if (!decode(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), kept, &why)) {
        set_aside(why);
        return;
    }
    if (const char *d = differs(kept.basis, run.journal.basis)) {
        set_aside(d);
        return;
    }
    run.taken_up = kept.run;
    run.journal.clock = std::move(kept.clock);
    run.journal.messages = std::move(kept.messages);
    run.bytes = bytes.size(); // a bound: the messages and the rest
    if (!run.journal.messages.empty()) run.last = run.journal.messages.back();
    run.replaying = !run.journal.messages.empty();
    hold_copies(run.replaying);
}

// The kept game this run took up or wrote is forgotten, not one another
// copy of the program kept since.
void forget() {
    std::string bytes;
    Journal kept;
    if (store_load(bytes) && decode(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), kept) &&
        (kept.run == run.journal.run || (run.taken_up && kept.run == run.taken_up)))
        store_drop();
}

// A run too long to keep forgets what was kept before, which is behind it.
void save() {
    if (run.too_long)
        forget();
    else
        store_save(encode(run.journal));
}
} // namespace

time_t clock_read() {
    if (!run.started) start();
    if (run.clock_given < run.journal.clock.size()) return time_t(run.journal.clock[run.clock_given++]);
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    run.journal.clock.push_back(now.tv_sec);
    ++run.clock_given;
    return now.tv_sec;
}

void note_picture(const void *data, size_t size) {
    if (!run.started) run.pictures = hash(data, size, run.pictures);
}

void record(const Window *w, ULONG cls, UWORD code, WORD x, WORD y, UWORD qualifier) {
    if (!run.started || run.too_long) return;
    const auto &ws = open_windows();
    const auto at = std::find(ws.begin(), ws.end(), w);
    Message m{uint8_t(std::min<size_t>(size_t(at - ws.begin()), 255)), cls, code, qualifier, x, y};
    run.bytes += message_bytes(m, run.last);
    if (run.bytes > max_bytes) {
        run.too_long = true;
        return;
    }
    run.journal.messages.push_back(m);
    run.last = m;
}

bool play_some() {
    if (!run.replaying) return false;
    const auto &ms = run.journal.messages;
    const size_t end = std::min(ms.size(), run.played + batch);
    timeval now{};
    gettimeofday(&now, nullptr);
    for (; run.played < end; ++run.played) {
        const Message &m = ms[run.played];
        const auto &ws = open_windows();
        if (m.window < ws.size()) post_again(ws[m.window], m.cls, m.code, m.x, m.y, m.qualifier, &now);
    }
    run.replaying = run.played < ms.size();
    if (!run.replaying) hold_copies(false);
    return true;
}

bool playing() { return run.replaying; }

void ended_by_host() { run.by_host = true; }

void keep_now() {
    if (run.started) save();
}

void finish() {
    if (!run.started) return;
    if (run.by_host)
        save();
    else
        forget(); // the player ended it
}

void reset() { run = Run{}; }
} // namespace host::keep

namespace host {
void keep_finish() { keep::finish(); }
void keep_reset() { keep::reset(); }
} // namespace host

// The C library's clock, as the program reads it: through the journal. It
// is defined here, beside what the rest of the host calls, so that it is
// linked whenever the host is, also where a sanitizer's library defines it
// first.
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
