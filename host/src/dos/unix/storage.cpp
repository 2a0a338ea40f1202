// Lasting storage on the desktop: the disk, through fsync. Processes
// writing files of one folder take turns: a MODE_NEWFILE handle
// holds an exclusive lock (flock) on the folder from Open to Close, so that
// what the file holds cannot change between a read and the write that
// follows it. The handles of one process share the lock.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string>

#include "amiga/dos.h"
#include "dos/dos.h"

namespace host::dos {
namespace {
struct Turn {
    int fd;
    int users;
};
std::map<std::string, Turn> &turns() {
    static std::map<std::string, Turn> t;
    return t;
}
constexpr int turn_wait_ms = 5000;
} // namespace

bool make_durable(int fd) { return fsync(fd) == 0; }

void data_folder_ready() {}

// Waits for the folder's turn, up to turn_wait_ms; false (IoErr 202) when
// another process keeps it longer. A folder that cannot be opened is not
// locked.
bool take_turn(const std::string &dir) {
    auto it = turns().find(dir);
    if (it != turns().end()) {
        ++it->second.users;
        return true;
    }
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;
    for (int waited = 0; flock(fd, LOCK_EX | LOCK_NB) != 0; waited += 10) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= turn_wait_ms) {
            close(fd);
            SetIoErr(ERROR_OBJECT_IN_USE);
            return false;
        }
        usleep(10000);
    }
    turns()[dir] = {fd, 1};
    return true;
}

void end_turn(const std::string &dir) {
    auto it = turns().find(dir);
    if (it == turns().end() || --it->second.users > 0) return;
    close(it->second.fd); // drops the lock
    turns().erase(it);
}

void turns_reset() {
    for (auto &[d, t] : turns()) close(t.fd);
    turns().clear();
}
} // namespace host::dos
