// dos.library: the error codes of IoErr, from the C library's and to
// their fault texts.
#include <cerrno>
#include <cstdio>
#include <string>

#include "amiga/dos.h"
#include "dos/dos.h"

namespace host::dos {
LONG io_err = 0;

LONG code_of(int e, bool writing, LONG fallback) {
    switch (e) {
    case ENOENT: return writing ? ERROR_DIR_NOT_FOUND : ERROR_OBJECT_NOT_FOUND;
    case ENOTDIR:
    case EISDIR: return ERROR_OBJECT_WRONG_TYPE;
    case EACCES:
    case EPERM:
    case EROFS: return writing ? ERROR_WRITE_PROTECTED : ERROR_READ_PROTECTED;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ERROR_DISK_FULL;
    case ENOMEM: return ERROR_NO_FREE_STORE;
    case EBUSY:
    case ETXTBSY: return ERROR_OBJECT_IN_USE;
    case EEXIST: return ERROR_OBJECT_EXISTS;
    default: return fallback;
    }
}
} // namespace host::dos

// The code the last failing call left (calls that succeed may leave it).
LONG IoErr() { return host::dos::io_err; }

// Sets the code IoErr() returns and gives back the previous one.
LONG SetIoErr(LONG code) {
    LONG old = host::dos::io_err;
    host::dos::io_err = code;
    return old;
}


namespace {
const char *fault_text(LONG code) {
    switch (code) {
    case ERROR_NO_FREE_STORE: return "not enough memory available";
    case ERROR_TASK_TABLE_FULL: return "process table full";
    case ERROR_BAD_TEMPLATE: return "bad template";
    case ERROR_BAD_NUMBER: return "bad number";
    case ERROR_REQUIRED_ARG_MISSING: return "required argument missing";
    case ERROR_KEY_NEEDS_ARG: return "value after keyword missing";
    case ERROR_TOO_MANY_ARGS: return "wrong number of arguments";
    case ERROR_UNMATCHED_QUOTES: return "unmatched quotes";
    case ERROR_LINE_TOO_LONG: return "argument line invalid or too long";
    case ERROR_FILE_NOT_OBJECT: return "file is not executable";
    case ERROR_OBJECT_IN_USE: return "object is in use";
    case ERROR_OBJECT_EXISTS: return "object already exists";
    case ERROR_DIR_NOT_FOUND: return "directory not found";
    case ERROR_OBJECT_NOT_FOUND: return "object not found";
    case ERROR_OBJECT_WRONG_TYPE: return "object is not of required type";
    case ERROR_DISK_FULL: return "disk is full";
    case ERROR_WRITE_PROTECTED: return "file is write protected";
    case ERROR_READ_PROTECTED: return "file is read protected";
    case ERROR_BREAK: return "***Break";
    default: return nullptr;
    }
}
} // namespace

std::string host::dos::fault_line(LONG code, CONST_STRPTR header) {
    if (code == 0) return {};
    std::string text;
    if (const char *t = fault_text(code)) {
        text = t;
    } else {
        char buf[32];
        snprintf(buf, sizeof buf, "Error code %ld", static_cast<long>(code));
        text = buf;
    }
    return header ? std::string(header) + ": " + text : text;
}

// Writes "header: text\n" (the text alone without a header) to Output() and
// sets IoErr to code. Code 0 prints nothing and gives DOSFALSE. Codes
// without a text here read "Error code <n>"; there are no localised texts.
LONG PrintFault(LONG code, CONST_STRPTR header) {
    SetIoErr(code);
    if (code == 0) return DOSFALSE;
    std::string s = host::dos::fault_line(code, header) + "\n";
    Write(Output(), s.data(), static_cast<LONG>(s.size()));
    return DOSTRUE;
}
