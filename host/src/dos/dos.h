// Shared between the dos.library sources of the host; not for the game.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "amiga/types.h"

namespace host::dos {
// The code IoErr() gives.
extern LONG io_err;
// The dos error code for a C library error; fallback for the unusual ones.
LONG code_of(int e, bool writing, LONG fallback);
// "header: text" for a code, as PrintFault writes it; the text alone without
// a header; "" for code 0.
std::string fault_line(LONG code, CONST_STRPTR header);

// An open file: of the process's console, read, replaced at Close or
// rewritten in place; or written again while a kept game is played back,
// which goes nowhere (the first time it was kept).
enum class Kind { ReadOnly, NewFile, InPlace, ConsoleOut, ConsoleIn, Again };

struct FileHandle {
    explicit FileHandle(Kind k = Kind::ReadOnly, int descriptor = -1) : kind(k), fd(descriptor) {}
    Kind kind;
    int fd;
    std::string target; // MODE_NEWFILE: the file written (replaced at Close)
    std::string temp;   // MODE_NEWFILE: where the new content is written
    bool failed = false; // a write went wrong: Close keeps the old file
    bool cut = false;    // rewritten in place: Close cuts it to what was written
    std::string turn;    // MODE_NEWFILE: the folder whose writers' turn this is
    char buf[4096];      // read-ahead for FGets and Read
    size_t pos = 0, len = 0;
};

// Every file handle open, by handle.
std::map<BPTR, std::unique_ptr<FileHandle>> &files();
// The file of a handle: the console streams, or one open; null (a misuse
// reported for call) for anything else.
FileHandle *file_of(BPTR fh, const char *call);

// The folder of a path ("." for a bare name, "/" for the root's files).
std::string dir_of(const std::string &path);
// Makes the folder and its missing parents; the last one private.
bool make_dirs(const std::string &path);
// The folder and the file name of a path ("a/b/" counts as "a/b").
void split_path(std::string path, std::string &dir, std::string &name);

// Whether this process may replace the file at path whole (through a
// symbolic link, the file it names): make a new file in its folder and
// rename it over path. An existing file must be one it may write, and in a
// sticky folder (like /tmp) its own, unless the folder is.
bool replaceable(std::string path);
// A new, unique file beside target (O_EXCL), its name in temp; its
// descriptor, or -1. Temporaries that killed writers left are removed first.
int create_temp(const std::string &target, std::string &temp);
// Makes what was written to the file (or folder) lasting; false when that
// fails (errno says why).
bool make_durable(int fd);
// Waits until the data folder can be read: at once on the desktop; in the
// browser, until the page has read it from the storage, which it does while
// the program starts.
void data_folder_ready();
// Waits for the folder's turn to write (up to five seconds); false (IoErr
// 202) when another process keeps it longer. end_turn gives it back.
bool take_turn(const std::string &dir);
void end_turn(const std::string &dir);

// Part of dos_reset: turns, locks and the current directory, argument
// handles.
void turns_reset();
void locks_reset();
void args_reset();
} // namespace host::dos
