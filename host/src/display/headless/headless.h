// What the headless driver's files share: its input queue.
#pragma once

#include <deque>
#include <string>

#include "amiga/types.h"

namespace host::headless {
// One entry of the input queue: a message, or a snapshot taken when the
// queue reaches it. Script entries (inner set) go through the input room,
// their coordinates inner-area ones; those of input_push are posted as
// they are, in window coordinates.
struct InputItem {
    enum Kind { Message, Snapshot, Signal, Lost } kind = Message;
    int signal = 0;
    ULONG cls = 0;
    UWORD code = 0;
    UWORD qualifier = 0;
    WORD x = 0, y = 0;
    bool inner = false;
    std::string path;
};
extern std::deque<InputItem> queue;
// Queues the script text's input; on a bad line nothing is queued and
// *error says what and where.
bool input_script_parse(const std::string &text, const std::string &name, std::string *error);
} // namespace host::headless
