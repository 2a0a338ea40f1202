// dos.library: files, locks, the argument parser and fault texts.
#pragma once

#include "amiga/types.h"

// ---- Return codes and truth values -----------------------------------------
constexpr LONG RETURN_OK = 0;
constexpr LONG RETURN_WARN = 5;
constexpr LONG RETURN_ERROR = 10;
constexpr LONG RETURN_FAIL = 20;

constexpr LONG DOSTRUE = -1;
constexpr LONG DOSFALSE = 0;

// ---- Error codes (IoErr) ---------------------------------------------------
constexpr LONG ERROR_NO_FREE_STORE = 103;
constexpr LONG ERROR_TASK_TABLE_FULL = 105;
constexpr LONG ERROR_BAD_TEMPLATE = 114;
constexpr LONG ERROR_BAD_NUMBER = 115;
constexpr LONG ERROR_REQUIRED_ARG_MISSING = 116;
constexpr LONG ERROR_KEY_NEEDS_ARG = 117;
constexpr LONG ERROR_TOO_MANY_ARGS = 118;
constexpr LONG ERROR_UNMATCHED_QUOTES = 119;
constexpr LONG ERROR_LINE_TOO_LONG = 120;
constexpr LONG ERROR_FILE_NOT_OBJECT = 121;
constexpr LONG ERROR_OBJECT_IN_USE = 202;
constexpr LONG ERROR_OBJECT_EXISTS = 203;
constexpr LONG ERROR_DIR_NOT_FOUND = 204;
constexpr LONG ERROR_OBJECT_NOT_FOUND = 205;
constexpr LONG ERROR_OBJECT_WRONG_TYPE = 212;
constexpr LONG ERROR_DISK_FULL = 221;
constexpr LONG ERROR_WRITE_PROTECTED = 223;
constexpr LONG ERROR_READ_PROTECTED = 224;
constexpr LONG ERROR_BREAK = 304;

// ---- Files -----------------------------------------------------------------
constexpr LONG MODE_OLDFILE = 1005;
constexpr LONG MODE_NEWFILE = 1006;

// Names: "PROGDIR:" (any case) is the directory holding the program; any
// other name is a host path, a relative one taken from the current directory.
// MODE_OLDFILE opens an existing file for reading (205 when missing, 212 for
// a directory). MODE_NEWFILE writes to a new file that replaces the old one
// only when Close succeeds.
// Returns a handle or 0 with the reason in IoErr().
BPTR Open(CONST_STRPTR name, LONG accessMode);
// DOSTRUE when everything written reached the file; DOSFALSE otherwise (the
// old content of a MODE_NEWFILE target is then kept). Close(0) does nothing.
LONG Close(BPTR file);
// Bytes read (0 at end of file) or -1 on error.
LONG Read(BPTR file, APTR buffer, LONG length);
// Bytes written or -1 on error.
LONG Write(BPTR file, const void *buffer, LONG length);
// One line of at most len-1 bytes, newline kept, NUL-terminated; the rest of
// a longer line comes with the next call. NULL when nothing is left.
STRPTR FGets(BPTR file, STRPTR buf, ULONG len);

// The process's console streams (standard output and standard input).
BPTR Output();
BPTR Input();

LONG IoErr();
// Sets the code IoErr() returns; gives back the previous one.
LONG SetIoErr(LONG code);

// ---- Locks and the current directory --------------------------------------
constexpr LONG SHARED_LOCK = -2;
constexpr LONG EXCLUSIVE_LOCK = -1;
constexpr LONG ACCESS_READ = SHARED_LOCK;
constexpr LONG ACCESS_WRITE = EXCLUSIVE_LOCK;

// A lock on an existing file or directory; 0 with IoErr 205 when missing.
BPTR Lock(CONST_STRPTR name, LONG type);
void UnLock(BPTR lock);
// Makes the lock's directory the current one and returns the previous lock.
BPTR CurrentDir(BPTR lock);

// ---- Argument parser --------------------------------------------------------
struct CSource {
    STRPTR CS_Buffer;
    LONG CS_Length;
    LONG CS_CurChr;
};

constexpr LONG RDAF_NOPROMPT = 4;

struct RDArgs {
    struct CSource RDA_Source; // a line to parse instead of the command line
    STRPTR RDA_ExtHelp;
    LONG RDA_Flags;
};

// Parses the command line (or rda->RDA_Source when it holds a buffer) with
// the template, whose items are NAME/K (a keyword with a value) or NAME/S (a
// switch); fills the slots of the items given, leaves the others as they
// were. NULL with the reason in IoErr() on failure, the slots then
// untouched. Slots hold IPTR: a /K slot a char *, a /S slot a LONG truth
// value.
struct RDArgs *ReadArgs(CONST_STRPTR arg_template, IPTR *array, struct RDArgs *rda);
// Frees what ReadArgs allocated (the strings the slots point to included).
void FreeArgs(struct RDArgs *rda);

// ---- Fault texts -------------------------------------------------------------
// "header: text\n" to Output(); nothing for code 0. Sets IoErr to code.
LONG PrintFault(LONG code, CONST_STRPTR header);
