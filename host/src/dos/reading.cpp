// dos.library: reading files and the console.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "amiga/dos.h"
#include "dos/dos.h"
#include "host/control.h"

using host::dos::code_of;
using host::dos::file_of;
using host::dos::FileHandle;
using host::dos::io_err;
using host::dos::Kind;

namespace {
// Reads more into the read-ahead; false at end of file or on error (IoErr
// then says which: 0 at the end). The console is read a byte at a time so
// that nothing beyond the line asked for is taken from standard input.
bool fill(FileHandle &f) {
    size_t want = f.kind == Kind::ConsoleIn ? 1 : sizeof f.buf;
    for (;;) {
        ssize_t n = read(f.fd, f.buf, want);
        if (n > 0) {
            f.pos = 0;
            f.len = static_cast<size_t>(n);
            return true;
        }
        if (n == 0) {
            io_err = 0;
            return false;
        }
        if (errno != EINTR) {
            io_err = code_of(errno, false, ERROR_READ_PROTECTED);
            return false;
        }
    }
}

bool readable(const FileHandle &f) {
    return f.kind == Kind::ReadOnly || f.kind == Kind::InPlace || f.kind == Kind::ConsoleIn;
}
} // namespace

// Reads up to length bytes; 0 at the end of the file, -1 on an error or on a
// handle not open for reading (IoErr 212).
LONG Read(BPTR file, APTR buffer, LONG length) {
    if (host::fault_hit("Read")) {
        io_err = ERROR_READ_PROTECTED;
        return -1;
    }
    FileHandle *f = file_of(file, "Read");
    if (!f) return -1;
    if (!readable(*f)) {
        io_err = ERROR_OBJECT_WRONG_TYPE;
        return -1;
    }
    if (length <= 0) return 0;
    if (!buffer) {
        host::misuse("Read: no buffer");
        return -1;
    }
    char *out = static_cast<char *>(buffer);
    size_t want = static_cast<size_t>(length), got = 0;
    while (got < want) {
        if (f->pos == f->len && !fill(*f)) {
            if (io_err != 0 && got == 0) return -1;
            break;
        }
        size_t n = std::min(want - got, f->len - f->pos);
        memcpy(out + got, f->buf + f->pos, n);
        f->pos += n;
        got += n;
        if (f->kind == Kind::ConsoleIn) break; // what the console has now
    }
    return static_cast<LONG>(got);
}

// Reads one line: at most len-1 bytes, up to and including a newline, then
// a NUL. The rest of a longer line is returned by the next call. NULL when
// the end of the file comes first (IoErr 0) or on an error. NUL bytes in the
// file are copied like any other.
STRPTR FGets(BPTR file, STRPTR buf, ULONG len) {
    if (host::fault_hit("FGets")) {
        io_err = ERROR_READ_PROTECTED;
        return nullptr;
    }
    FileHandle *f = file_of(file, "FGets");
    if (!f) return nullptr;
    if (!buf || len == 0) {
        host::misuse("FGets: no buffer");
        return nullptr;
    }
    if (!readable(*f)) {
        io_err = ERROR_OBJECT_WRONG_TYPE;
        return nullptr;
    }
    if (f->pos == f->len && !fill(*f)) return nullptr;
    size_t n = 0, max = len - 1;
    while (n < max) {
        if (f->pos == f->len && !fill(*f)) break;
        char c = f->buf[f->pos++];
        buf[n++] = c;
        if (c == '\n') break;
    }
    buf[n] = '\0';
    return buf;
}

