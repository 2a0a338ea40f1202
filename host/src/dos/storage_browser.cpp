// Lasting storage in a browser: IndexedDB, written when a writer's turn ends
// (an fsync of its own would write the whole storage once more, and wait for
// it). Writers take turns between the tabs of a browser: a MODE_NEWFILE handle
// holds the browser's lock named after the folder from Open to Close. On
// taking the turn the files are read again from the browser's storage, so
// that what another tab wrote is seen; on giving it back they are written to
// the storage, so that a reload finds them. The page keeps a copy of the
// folder's small files that is written at once (Module.kwadronMirror): a
// page going away (Module.kwadronLeaving) has no time to wait for the lock or
// the storage, and takes and leaves that copy instead.
#include <emscripten.h>

#include <map>
#include <string>

#include "dos/dos.h"

namespace host::dos {
namespace {
std::map<std::string, int> users;

EM_ASYNC_JS(void, web_take_turn, (const char *dir), {
    const folder = UTF8ToString(dir), name = 'kwadron:' + folder;
    if (Module.kwadronLeaving) {
        if (Module.kwadronRestore) Module.kwadronRestore(folder);
        return;
    }
    Module.kwadronTurns = Module.kwadronTurns || {};
    if (navigator.locks)
        await new Promise(taken => navigator.locks.request(name, () => new Promise(give_back => {
            Module.kwadronTurns[name] = give_back;
            taken();
        })));
    await new Promise(done => FS.syncfs(true, done));
    if (Module.kwadronRestore) Module.kwadronRestore(folder);
});

EM_ASYNC_JS(void, web_end_turn, (const char *dir), {
    const folder = UTF8ToString(dir), name = 'kwadron:' + folder;
    if (Module.kwadronMirror) Module.kwadronMirror(folder);
    const stored = new Promise(done => FS.syncfs(false, done));
    if (!Module.kwadronLeaving) await stored;
    const give_back = Module.kwadronTurns && Module.kwadronTurns[name];
    if (give_back) {
        delete Module.kwadronTurns[name];
        give_back();
    }
});
} // namespace

bool make_durable(int) { return true; }

bool take_turn(const std::string &dir) {
    if (users[dir]++ == 0) web_take_turn(dir.c_str());
    return true;
}

void end_turn(const std::string &dir) {
    auto it = users.find(dir);
    if (it == users.end() || --it->second > 0) return;
    users.erase(it);
    web_end_turn(dir.c_str());
}

void turns_reset() { users.clear(); }
} // namespace host::dos
