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

// Opens a file to read (MODE_OLDFILE) or to replace (MODE_NEWFILE).
BPTR Open(CONST_STRPTR name, LONG accessMode);
// Closes a file; DOSTRUE when everything written reached it.
LONG Close(BPTR file);
// Reads bytes from a file.
LONG Read(BPTR file, APTR buffer, LONG length);
// Writes bytes to a file.
LONG Write(BPTR file, const void *buffer, LONG length);
// Reads one line.
STRPTR FGets(BPTR file, STRPTR buf, ULONG len);

// The process's standard output.
BPTR Output();
// The process's standard input.
BPTR Input();
// The reason the last failing call gave.
LONG IoErr();
// Sets the code IoErr() returns.
LONG SetIoErr(LONG code);

// ---- Locks and the current directory --------------------------------------
constexpr LONG SHARED_LOCK = -2;
constexpr LONG EXCLUSIVE_LOCK = -1;
constexpr LONG ACCESS_READ = SHARED_LOCK;
constexpr LONG ACCESS_WRITE = EXCLUSIVE_LOCK;

// A lock on an existing file or directory.
BPTR Lock(CONST_STRPTR name, LONG type);
// Gives a lock back.
void UnLock(BPTR lock);
// Makes the lock's directory the current one.
BPTR CurrentDir(BPTR lock);
// The full name of a lock's object.
LONG NameFromLock(BPTR lock, STRPTR buffer, LONG length);
// Adds a file name to a path.
LONG AddPart(STRPTR dirname, CONST_STRPTR filename, ULONG size);

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

// Parses the command line against a template of NAME/K and NAME/S items.
struct RDArgs *ReadArgs(CONST_STRPTR arg_template, IPTR *array, struct RDArgs *rda);
// Frees what ReadArgs allocated.
void FreeArgs(struct RDArgs *rda);

// ---- Fault texts -------------------------------------------------------------
// Prints the text of a fault code.
LONG PrintFault(LONG code, CONST_STRPTR header);
