// dos.library: files and the console streams.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
#include "keep/keep.h"

using host::dos::code_of;
using host::dos::dir_of;
using host::dos::file_of;
using host::dos::FileHandle;
using host::dos::files;
using host::dos::io_err;
using host::dos::Kind;

namespace {
FileHandle console_out(Kind::ConsoleOut, 1);
FileHandle console_in(Kind::ConsoleIn, 0);

BPTR handle_of(const void *p) { return reinterpret_cast<BPTR>(p); }
} // namespace

namespace host::dos {
std::map<BPTR, std::unique_ptr<FileHandle>> &files() {
    static std::map<BPTR, std::unique_ptr<FileHandle>> f;
    return f;
}

FileHandle *file_of(BPTR fh, const char *call) {
    if (fh == handle_of(&console_out)) return &console_out;
    if (fh == handle_of(&console_in)) return &console_in;
    auto it = files().find(fh);
    if (it != files().end()) return it->second.get();
    std::string what = std::string(call) + ": not an open file handle";
    host::misuse(what.c_str());
    return nullptr;
}
} // namespace host::dos

namespace {
// A file written aside and never closed is removed when the process ends, so
// no stray temporary stays beside the target.
struct TempSweeper {
    TempSweeper() { files(); } // the map must outlive the sweeper
    ~TempSweeper() {
        for (auto &[h, f] : files())
            if (f->kind == Kind::NewFile) unlink(f->temp.c_str());
    }
} sweeper;

// Writes all of it to a descriptor; false (IoErr set) when that fails.
bool write_all(int fd, const char *p, size_t n) {
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            io_err = code_of(errno, true, ERROR_DISK_FULL);
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// A file the game meant to keep and could not: said on standard error, as
// the game's own message (if any) goes to standard output.
void tell_not_kept(const std::string &path) {
    fprintf(stderr, "%s\n", host::dos::fault_line(io_err, ("kwadron: cannot keep " + path).c_str()).c_str());
}
} // namespace

namespace host {
// Closes every file (written-aside files are discarded), frees every lock
// and argument handle, returns to the start directory and clears IoErr.
void dos_reset() {
    for (auto &[h, f] : files()) {
        close(f->fd);
        if (f->kind == Kind::NewFile) unlink(f->temp.c_str());
        ledger_remove("file", reinterpret_cast<const void *>(h));
    }
    files().clear();
    dos::turns_reset();
    dos::locks_reset();
    dos::args_reset();
    console_in.pos = console_in.len = 0;
    io_err = 0;
}
} // namespace host

// Opens a file by dos name. MODE_OLDFILE: an existing regular file, for
// reading only (writing through it is left out); anything else (a directory,
// a pipe, a device) gives 212, so that no read can wait on a writer.
// MODE_NEWFILE: the content goes to a new file beside the target, made
// durable and renamed over the target at Close, so the old content stays
// whole until then. A writable file in a folder where nothing can be made is
// rewritten in place: the new bytes over the old ones, cut to their length at
// Close, so that the first line read is always the old one or the new one.
// A target that is not a regular file (a device, a pipe) is written as it
// stands. A read-only target gives 223. Writers of one folder take turns:
// Open waits while another process has a file of it open to be written (up
// to five seconds, then 202). Reading a MODE_NEWFILE handle is left out, as
// are MODE_READWRITE and record locking. A MODE_NEWFILE open that fails says
// so on standard error too.
namespace {
BPTR keep_handle(std::unique_ptr<FileHandle> f) {
    BPTR h = handle_of(f.get());
    files()[h] = std::move(f);
    host::ledger_add("file", reinterpret_cast<const void *>(h));
    return h;
}

BPTR open_file(CONST_STRPTR name, LONG accessMode, std::string &path) {
    if (host::fault_hit("Open")) {
        io_err = ERROR_OBJECT_NOT_FOUND;
        return 0;
    }
    if (!name) {
        io_err = ERROR_OBJECT_NOT_FOUND;
        return 0;
    }
    auto f = std::make_unique<FileHandle>();
    // While a kept game is played back its writes go nowhere: they were
    // made the first time. No name is looked up for them.
    if (accessMode == MODE_NEWFILE && host::keep::playing()) {
        path = name;
        f->kind = Kind::Again;
        return keep_handle(std::move(f));
    }
    path = host::resolve_path(name, accessMode != MODE_OLDFILE);
    struct stat st;
    switch (accessMode) {
    case MODE_OLDFILE: {
        // O_NONBLOCK keeps a pipe without a writer from blocking the open.
        f->kind = Kind::ReadOnly;
        f->fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (f->fd < 0) {
            io_err = code_of(errno, false, ERROR_OBJECT_NOT_FOUND);
            return 0;
        }
        if (fstat(f->fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            close(f->fd);
            io_err = ERROR_OBJECT_WRONG_TYPE;
            return 0;
        }
        fcntl(f->fd, F_SETFL, fcntl(f->fd, F_GETFL) & ~O_NONBLOCK);
        break;
    }
    case MODE_NEWFILE: {
        // Through a symbolic link the file it names is replaced, not the link.
        if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
            if (char *real = realpath(path.c_str(), nullptr)) {
                path = real;
                free(real);
            }
        }
        bool exists = stat(path.c_str(), &st) == 0;
        if (!path.empty() && path.back() == '/') {
            io_err = ERROR_OBJECT_WRONG_TYPE;
            return 0;
        }
        if (exists && S_ISDIR(st.st_mode)) {
            io_err = ERROR_OBJECT_WRONG_TYPE;
            return 0;
        }
        if (exists && access(path.c_str(), W_OK) != 0) {
            io_err = code_of(errno, true, ERROR_WRITE_PROTECTED);
            return 0;
        }
        f->target = path;
        if (exists && !S_ISREG(st.st_mode)) {
            f->kind = Kind::InPlace;
            f->fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (f->fd < 0) {
                io_err = code_of(errno, true, ERROR_OBJECT_NOT_FOUND);
                return 0;
            }
            fcntl(f->fd, F_SETFL, fcntl(f->fd, F_GETFL) & ~O_NONBLOCK);
            break;
        }
        if (!host::dos::take_turn(dir_of(path))) return 0;
        f->turn = dir_of(path);
        f->kind = Kind::NewFile;
        f->fd = !exists || host::dos::replaceable(path) ? host::dos::create_temp(path, f->temp) : -1;
        if (f->fd < 0 && exists) {
            // No room for a new file beside a writable one (a folder that is
            // not writable), or none may take its place (another's file in a
            // sticky folder): the file itself is rewritten.
            f->kind = Kind::InPlace;
            f->temp.clear();
            f->cut = true;
            f->fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        }
        if (f->fd < 0) {
            io_err = code_of(errno, true, ERROR_WRITE_PROTECTED);
            host::dos::end_turn(f->turn);
            return 0;
        }
        if (exists && f->kind == Kind::NewFile) fchmod(f->fd, st.st_mode & 07777);
        host::kill_point("open");
        break;
    }
    default:
        host::misuse("Open: unknown access mode");
        io_err = ERROR_OBJECT_WRONG_TYPE;
        return 0;
    }
    return keep_handle(std::move(f));
}
} // namespace

BPTR Open(CONST_STRPTR name, LONG accessMode) {
    std::string path;
    const BPTR h = open_file(name, accessMode, path);
    if (!h && accessMode == MODE_NEWFILE && name) tell_not_kept(path.empty() ? name : path);
    return h;
}

// Closes a file. A MODE_NEWFILE file is flushed to the disk and renamed over
// its target; if any write failed (or this step does), the new file is
// removed, the target keeps its old content and the result is DOSFALSE
// (said on standard error too). A file rewritten in place is cut to what was
// written and flushed. Close(0) and closing the console streams do nothing.
LONG Close(BPTR file) {
    if (!file || file == handle_of(&console_out) || file == handle_of(&console_in)) return DOSTRUE;
    FileHandle *f = file_of(file, "Close");
    if (!f) return DOSFALSE;
    bool ok = !f->failed;
    if (host::fault_hit("Close")) {
        io_err = ERROR_DISK_FULL;
        ok = false;
    }
    auto fail_with = [&](LONG fallback) {
        if (ok) io_err = code_of(errno, true, fallback);
        ok = false;
    };
    if (f->kind == Kind::NewFile) {
        if (ok && !host::dos::make_durable(f->fd)) fail_with(ERROR_DISK_FULL);
        if (ok) host::kill_point("sync");
        if (close(f->fd) != 0) fail_with(ERROR_DISK_FULL);
        if (ok && rename(f->temp.c_str(), f->target.c_str()) != 0) fail_with(ERROR_WRITE_PROTECTED);
        if (!ok) {
            unlink(f->temp.c_str());
        } else {
            host::kill_point("rename");
            // Makes the rename itself durable.
            int dfd = open(dir_of(f->target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dfd >= 0) {
                host::dos::make_durable(dfd);
                close(dfd);
            }
        }
    } else {
        if (f->cut) {
            const off_t end = lseek(f->fd, 0, SEEK_CUR);
            if (end < 0 || ftruncate(f->fd, end) != 0) fail_with(ERROR_DISK_FULL);
            host::kill_point("cut");
            if (!host::dos::make_durable(f->fd)) fail_with(ERROR_DISK_FULL);
            host::kill_point("sync");
        }
        if (f->fd >= 0) close(f->fd);
    }
    if (!ok && !f->target.empty()) tell_not_kept(f->target);
    if (!f->turn.empty()) host::dos::end_turn(f->turn);
    host::ledger_remove("file", reinterpret_cast<const void *>(file));
    files().erase(file);
    return ok ? DOSTRUE : DOSFALSE;
}

// Writes length bytes; the count, or -1 on an error (IoErr 221 for a full
// disk). A failed write to a MODE_NEWFILE file spoils it: Close then keeps
// the old file. Writes to Output() go through the C library's stdout, so
// they stay in order with puts.
LONG Write(BPTR file, const void *buffer, LONG length) {
    FileHandle *f = file_of(file, "Write");
    if (!f) return -1;
    if (host::fault_hit("Write")) {
        io_err = ERROR_DISK_FULL;
        f->failed = true;
        return -1;
    }
    if (length <= 0) return 0;
    if (!buffer) {
        host::misuse("Write: no buffer");
        return -1;
    }
    const char *p = static_cast<const char *>(buffer);
    size_t n = static_cast<size_t>(length);
    switch (f->kind) {
    case Kind::ConsoleOut:
        if (fwrite(p, 1, n, stdout) != n) {
            io_err = ERROR_DISK_FULL;
            return -1;
        }
        return length;
    case Kind::ReadOnly:
    case Kind::ConsoleIn:
        io_err = ERROR_WRITE_PROTECTED;
        return -1;
    case Kind::InPlace:
        // Unread read-ahead would otherwise be skipped: step back over it.
        if (f->pos < f->len) lseek(f->fd, -static_cast<off_t>(f->len - f->pos), SEEK_CUR);
        f->pos = f->len = 0;
        break;
    case Kind::NewFile: break;
    case Kind::Again: return length;
    }
    if (!write_all(f->fd, p, n)) {
        f->failed = true;
        return -1;
    }
    host::kill_point("write");
    return length;
}

// Standard output and standard input of the process. They belong to the
// process: they are not in the ledger and Close leaves them open.
BPTR Output() { return handle_of(&console_out); }
BPTR Input() { return handle_of(&console_in); }

