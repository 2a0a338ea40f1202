// Lasting storage in a browser: IndexedDB, read by the page as the program
// starts (the first name looked up waits for it), written when a writer's turn ends
// (an fsync of its own would write the whole storage once more, and wait for
// it). Writers take turns between the tabs of a browser: a MODE_NEWFILE handle
// holds the turn of its folder from Open to Close (web/library.js: the
// browser's lock, the storage read again on taking it and written on giving
// it back).
#include <map>
#include <string>

#include "dos/dos.h"
#include "emscripten/page.h"

namespace host::dos {
namespace {
std::map<std::string, int> users;
} // namespace

bool make_durable(int) { return true; }

void data_folder_ready() {
    static bool ready = false;
    if (!ready) kw_data_ready();
    ready = true;
}

bool take_turn(const std::string &dir) {
    if (users[dir]++ == 0) kw_take_turn(dir.c_str());
    return true;
}

void end_turn(const std::string &dir) {
    auto it = users.find(dir);
    if (it == users.end() || --it->second > 0) return;
    users.erase(it);
    kw_end_turn(dir.c_str());
}

void turns_reset() { users.clear(); }
} // namespace host::dos
