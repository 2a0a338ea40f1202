// The game kept across an end the player did not choose: a journal of
// everything the program's run takes from the host after its start (the
// clock it reads, the input messages of its windows), which the next start
// plays back before its first picture. The program's state follows from
// these, the arguments, the pictures it loaded and its windows' geometry;
// the journal names those, and one made under others is set aside.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "amiga/types.h"

struct Window;

namespace host {
namespace keep {
// One input message as the journal holds it: its window (by opening
// order), class, code, qualifier and mouse position.
struct Message {
    uint8_t window = 0;
    ULONG cls = 0;
    UWORD code = 0, qualifier = 0;
    WORD x = 0, y = 0;
};

// What a journal depends on, each as a hash.
struct Basis {
    uint64_t code = 0, args = 0, pictures = 0, geometry = 0;
    bool operator==(const Basis &o) const {
        return code == o.code && args == o.args && pictures == o.pictures && geometry == o.geometry;
    }
};

struct Journal {
    Basis basis;
    uint64_t run = 0; // the run that wrote it
    std::vector<int64_t> clock;
    std::vector<Message> messages;
};

// The journal's bytes, and back: false for bytes that are not a whole
// journal of this format (cut short, changed, of a newer format); why then
// says which.
std::string encode(const Journal &j);
bool decode(const uint8_t *data, size_t size, Journal &j, const char **why = nullptr);
// The bytes a message takes after the one before it.
size_t message_bytes(const Message &m, const Message &last);
// Most bytes a journal's messages may take: a longer run is not kept.
constexpr size_t max_bytes = 1u << 20;

uint64_t hash(const void *data, size_t size, uint64_t h = 0xcbf29ce484222325ull);

// ---- The run's side ---------------------------------------------------------
// The clock as the program reads it (the C library's time()). The first
// read is the run's start: a kept game that matches is taken up from there.
time_t clock_read();
// A picture file the program loaded (before its start).
void note_picture(const void *data, size_t size);
// A message posted to a window's port.
void record(const Window *w, ULONG cls, UWORD code, WORD x, WORD y, UWORD qualifier);
// At a wait: posts the next kept messages while a kept game is played
// back; false once it is done (then the wait waits).
bool play_some();
// Whether a kept game is being played back.
bool playing();
// The end was not the player's (the session closing, the display lost,
// the page leaving): the game is kept at the program's end.
void ended_by_host();
// The game as it stands, written where the next start finds it (the page
// calls this when it is hidden).
void keep_now();
// At the program's end: kept when the host ended it, else forgotten.
void finish();
void reset();

// ---- Where an edition keeps it (keep/<platform>/store.cpp) -------------------
bool store_load(std::string &bytes);
bool store_save(const std::string &bytes);
void store_set_aside();
void store_drop();
void store_tell(const std::string &text);
uint64_t store_run_id();
} // namespace keep
} // namespace host
