// The host's control surface, for the process entry, the tests and the
// benchmarks. The game's own code never includes this.
#pragma once

#include <string>
#include <vector>

#include "amiga/types.h"

struct BitMap;
struct RastPort;
struct Window;

namespace host {

// ---- Resource ledger -------------------------------------------------------
// Every handle the host gives out is recorded under its kind until it is
// given back: "library", "screen", "publock", "window", "dtobject", "pool",
// "bitmap", "file", "rdargs", "diskobject", "lock".
void ledger_add(const char *kind, const void *handle, const char *label = "");
// Removes a handle; false when it was not recorded (a double release).
bool ledger_remove(const char *kind, const void *handle);
size_t ledger_count(const char *kind = nullptr);
// One line per open handle, e.g. "window 0x55d0...".
std::vector<std::string> ledger_open();
void ledger_clear();

// ---- Faults on demand ------------------------------------------------------
// Makes the nth following call (1 = the next one) of the named operation
// fail, e.g. fault_inject("AllocVecPooled", 2). Names are the native ones.
void fault_inject(const std::string &call, int nth = 1);
// Called by each fallible operation: true when this call is to fail.
bool fault_hit(const char *call);
// Number of times the named operation has been called since the last reset.
int call_count(const std::string &call);
void faults_reset();
// A step of a file write (open, write, cut, sync, rename): with
// KWADRON_KILL_AT naming it, the process kills itself there (SIGKILL), so
// that tests can see what a kill at that instant leaves.
void kill_point(const char *step);

// Reports a programming error in a call (a library not open, a bad handle)
// on stderr. Aborts in debug builds unless KWADRON_MISUSE_CONTINUE is set;
// counted always.
void misuse(const char *what);
int misuse_count();
// Whether a misuse aborts; tests that provoke one turn it off.
void misuse_abort(bool on);

// ---- Call trace -------------------------------------------------------------
// When on, the host notes the calls a test or a whole-program run wants to
// follow, one line each ("SetRGB32 3", "release window", ...).
// KWADRON_CALL_TRACE=path turns it on for a whole run; the process entry
// writes the lines to that file at exit.
void trace_enable(bool on);
void trace(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
const std::vector<std::string> &trace_log();

// ---- Record of copies ------------------------------------------------------
struct BlitRecord {
    bool masked;          // BltMaskBitMapRastPort rather than BltBitMapRastPort
    const BitMap *src;
    LONG sx, sy, w, h;    // source rectangle as asked
    RastPort *dst;
    LONG dx, dy;          // destination as asked
    ULONG minterm;
};
void blit_log_enable(bool on);
const std::vector<BlitRecord> &blit_log();
void blit_log_clear();

// ---- Files and start-up ----------------------------------------------------
// Directory that PROGDIR: names: the directory of the executable, found at
// start-up; tests may point it elsewhere.
void set_progdir(const std::string &dir);
const std::string &progdir();
// Host path of a native name: a case-insensitive PROGDIR: prefix becomes the
// program's directory; other names are host paths as they stand.
// PROGDIR: is the player's data folder over the program's own: a name is
// found in the data folder first, then beside the program; for writing a new
// file goes beside the program when that folder is writable, else into the
// data folder (made when needed). The data folder is $XDG_DATA_HOME/kwadron
// (~/.local/share/kwadron); an empty one turns the layer off.
std::string resolve_path(const char *name, bool for_writing = false);
void set_datadir(const std::string &dir);
const std::string &datadir();

// Records the process's argument words (argv[1] onwards) as the command line
// that ReadArgs parses. Called by the process entry; tests call it too.
void set_command_line(int argc, char **argv);
void set_command_line(const std::vector<std::string> &words);
// The line ReadArgs sees for the recorded words: words with blanks, quotes,
// '=' or control characters are quoted, so each argv word stays one value
// ("SKIN=my skins/x" becomes SKIN="my skins/x"). Ends in a newline.
std::string command_line();

// Gives a library of the host's table another version; -1 withholds it.
// Takes precedence over KWADRON_LIBS until the next reset.
void set_library_version(const char *name, int version);

// ---- Windows ---------------------------------------------------------------
// The window most recently opened and still open, or null.
Window *current_window();
// Colour 0x00RRGGBB of a window pixel (border included); pens are shown
// through the screen's colours.
ULONG window_pixel(const Window *w, LONG x, LONG y);
// Writes the window's inner area as a PNG (replaced whole).
bool window_snapshot(const Window *w, const std::string &png_path);

// ---- The display, resets and the end ----------------------------------------
// Chooses the display driver by name (sdl, headless, none) in place of the
// settings' choice, for the screens and windows opened afterwards; false
// for an unknown name.
bool display_choose(const char *name);
// Every piece of host state back to the start, between tests: ledger,
// faults, libraries, input queues, the recorded copies and the display.
void reset_all();
// Each room's own, called by reset_all().
void exec_reset();
void graphics_reset();
void dos_reset();
void icon_reset();
void datatypes_reset();
void intuition_reset();
void display_reset();
void process_reset();
// At the program's end: the game in progress kept for the next start when
// the host ended it (the session closing, the display lost, the page
// leaving), else forgotten.
void keep_finish();
void keep_reset();
// Presents pending drawing and gives back display resources at exit.
void display_shutdown();
// Shows the text to the player in a message box, where the display has one.
void display_tell(const char *text);
// Whether the display went away while the program ran (the X server ended):
// the program then ends as by its close gadget, with 20.
bool display_was_lost();

} // namespace host
