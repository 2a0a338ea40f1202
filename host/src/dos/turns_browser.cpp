// Writers take turns between the tabs of a browser: a MODE_NEWFILE handle
// holds the browser's lock named after the folder from Open to Close. On
// taking the turn the files are read again from the browser's storage, so
// that what another tab wrote is seen; on giving it back they are written to
// the storage, so that a reload finds them.
#include <emscripten.h>

#include <map>
#include <string>

#include "dos/dos.h"

namespace host::dos {
namespace {
std::map<std::string, int> users;

EM_ASYNC_JS(void, web_take_turn, (const char *dir), {
    const name = 'kwadron:' + UTF8ToString(dir);
    Module.kwadronTurns = Module.kwadronTurns || {};
    if (navigator.locks)
        await new Promise(taken => navigator.locks.request(name, () => new Promise(give_back => {
            Module.kwadronTurns[name] = give_back;
            taken();
        })));
    await new Promise(done => FS.syncfs(true, done));
});

EM_ASYNC_JS(void, web_end_turn, (const char *dir), {
    await new Promise(done => FS.syncfs(false, done));
    const name = 'kwadron:' + UTF8ToString(dir);
    const give_back = Module.kwadronTurns && Module.kwadronTurns[name];
    if (give_back) {
        delete Module.kwadronTurns[name];
        give_back();
    }
});
} // namespace

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
