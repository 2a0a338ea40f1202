// dos.library: locks, the current directory and names of paths.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "amiga/dos.h"
#include "dos/dos.h"
#include "host/control.h"

using host::dos::code_of;

namespace {
struct LockObj {
    std::string path; // absolute host path
};

// The directory the process started in; stands for the lock 0 as well.
LockObj &process_dir() {
    static LockObj d = [] {
        char *cwd = getcwd(nullptr, 0);
        LockObj l{cwd ? cwd : "."};
        free(cwd);
        return l;
    }();
    return d;
}

std::map<BPTR, std::unique_ptr<LockObj>> &locks() {
    static std::map<BPTR, std::unique_ptr<LockObj>> l;
    return l;
}

BPTR current_dir = 0; // 0 until the first CurrentDir: the process's own lock
[[maybe_unused]] const LockObj &start_dir = process_dir(); // taken at load


BPTR handle_of(const void *p) { return reinterpret_cast<BPTR>(p); }

// What a lock stands for: 0 and the process's own lock are the start
// directory; nullptr (a misuse of call) for what is not a lock.
const LockObj *lock_obj(BPTR lock, const char *call) {
    if (!lock || lock == handle_of(&process_dir())) return &process_dir();
    auto it = locks().find(lock);
    if (it != locks().end()) return it->second.get();
    host::misuse((std::string(call) + ": not a lock").c_str());
    return nullptr;
}

// Makes the directory the process's working directory; false (the old one
// stays) when it cannot be entered.
bool enter(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && chdir(path.c_str()) == 0;
}
} // namespace

namespace host::dos {
// Frees every lock and returns to the start directory; if that is gone,
// the process stays where it is.
void locks_reset() {
    for (auto &[h, l] : locks()) ledger_remove("lock", reinterpret_cast<const void *>(h));
    locks().clear();
    if (current_dir != 0) enter(process_dir().path);
    current_dir = 0;
}
} // namespace host::dos

// A lock names an existing file or directory by its absolute path. Shared
// and exclusive locks are alike here: no access is refused to others.
BPTR Lock(CONST_STRPTR name, LONG type) {
    (void)type;
    if (host::fault_hit("Lock")) {
        SetIoErr(ERROR_OBJECT_NOT_FOUND);
        return 0;
    }
    if (!name) {
        SetIoErr(ERROR_OBJECT_NOT_FOUND);
        return 0;
    }
    std::string path = host::resolve_path(name);
    char *real = realpath(path.empty() ? "." : path.c_str(), nullptr);
    if (!real) {
        SetIoErr(code_of(errno, false, ERROR_OBJECT_NOT_FOUND));
        return 0;
    }
    auto l = std::make_unique<LockObj>(LockObj{real});
    free(real);
    BPTR h = handle_of(l.get());
    locks()[h] = std::move(l);
    host::ledger_add("lock", reinterpret_cast<const void *>(h));
    return h;
}

// UnLock(0) and unlocking the process's own directory do nothing.
void UnLock(BPTR lock) {
    if (!lock || lock == handle_of(&process_dir())) return;
    if (!locks().erase(lock)) {
        host::misuse("UnLock: not a lock");
        return;
    }
    host::ledger_remove("lock", reinterpret_cast<const void *>(lock));
}

// Changes the process's working directory to the lock's directory (a lock on
// a file changes nothing on the disk side) and returns the previous lock; the
// first call returns the process's own lock for its start directory, which
// UnLock leaves alone. Lock 0 also stands for the start directory (natively
// the boot volume, which has no counterpart here).
BPTR CurrentDir(BPTR lock) {
    BPTR prev = current_dir ? current_dir : handle_of(&process_dir());
    const LockObj *target = lock_obj(lock, "CurrentDir");
    if (!target) return prev;
    enter(target->path); // a lock on a file, or a directory that cannot be entered, changes nothing
    current_dir = lock ? lock : handle_of(&process_dir());
    return prev;
}

// The lock's absolute host path into buffer; DOSFALSE (IoErr 120) when it
// does not fit in length bytes with its NUL. Lock 0 names the start
// directory.
LONG NameFromLock(BPTR lock, STRPTR buffer, LONG length) {
    const LockObj *l = lock_obj(lock, "NameFromLock");
    if (!l) return DOSFALSE;
    if (!buffer || length <= 0 || l->path.size() >= size_t(length)) {
        SetIoErr(ERROR_LINE_TOO_LONG);
        return DOSFALSE;
    }
    memcpy(buffer, l->path.c_str(), l->path.size() + 1);
    return DOSTRUE;
}

// Appends filename to the path in dirname with one '/' between them; a
// filename starting with '/' replaces the path. DOSFALSE (IoErr 120), with
// dirname unchanged, when the result does not fit in size bytes.
LONG AddPart(STRPTR dirname, CONST_STRPTR filename, ULONG size) {
    if (!dirname || !filename) return DOSFALSE;
    std::string path = dirname;
    if (filename[0] == '/' || path.empty())
        path = filename;
    else {
        if (path.back() != '/') path += '/';
        path += filename;
    }
    if (path.size() >= size) {
        SetIoErr(ERROR_LINE_TOO_LONG);
        return DOSFALSE;
    }
    memcpy(dirname, path.c_str(), path.size() + 1);
    return DOSTRUE;
}
