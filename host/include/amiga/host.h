// Control surface of the host stand-in, for the program's start-up code, the
// test suite and the benchmarks. The game's own code never includes this.
#pragma once

#include <string>
#include <vector>

#include "amiga/types.h"

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

// Reports a programming error in a call (a library not open, a bad handle).
// Aborts in debug and test builds, is counted otherwise.
void misuse(const char *what);
int misuse_count();

// ---- Call trace -------------------------------------------------------------
// When on, the host notes the calls a test or a whole-program run wants to
// follow, one line each ("SetRGB32 3", "release window", "release library
// icon.library", ...). KWADRON_CALL_TRACE=path turns it on for a whole run
// and writes the lines to that file at exit.
void trace_enable(bool on);
bool trace_on();
void trace(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
const std::vector<std::string> &trace_log();
void trace_clear();

// Resets every piece of host state between tests: ledger, faults, libraries,
// input queues, the recorded copies and the headless display.
void reset_all();

} // namespace host

namespace host {
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

// Gives a library of the host's table another version; -1 withholds it.
// Takes precedence over KWADRON_LIBS until the next reset.
void set_library_version(const char *name, int version);

// Per-module resets, called by reset_all().
void exec_reset();
void graphics_reset();
void dos_reset();
void icon_reset();
void display_reset();
} // namespace host

struct BitMap;
struct RastPort;
struct Window;
struct Screen;

namespace host {
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

// ---- Displays --------------------------------------------------------------
// None: no display at all (screens and windows fail to open). Headless: the
// same framebuffers with no window, for tests and benchmarks. Sdl: a real
// window. Chosen by KWADRON_DISPLAY (headless, sdl, none); without it, Sdl
// when a display server is named in the environment, None otherwise.
enum class DisplayKind { None, Headless, Sdl };
void display_select(DisplayKind kind);
DisplayKind display_kind();

struct HeadlessConfig {
    int pub_width = 1024;  // size of the public screen
    int pub_height = 768;
    int border_left = 0;   // window borders given to every window
    int border_top = 0;
    int border_right = 0;
    int border_bottom = 0;
};
void headless_configure(const HeadlessConfig &cfg);
const HeadlessConfig &headless_config();

// Input for the headless display: messages queued here are delivered to the
// next window that waits, in order. When the queue is empty a waiting window
// gets a close message, so a scripted run always ends.
void input_push(ULONG cls, UWORD code, WORD mouseX = 0, WORD mouseY = 0, UWORD qualifier = 0);
size_t input_pending();
// Reads a script of input lines (see host/src/script.cpp for the words).
bool input_script_load(const std::string &path, std::string *error = nullptr);

// The window most recently opened and still open, or null.
Window *current_window();
// Colour 0x00RRGGBB of a window pixel (border included); pens are shown
// through the screen's colours.
ULONG window_pixel(const Window *w, LONG x, LONG y);
// Writes the window's inner area as a PNG.
bool window_snapshot(const Window *w, const std::string &png_path);

// Presents pending drawing (SDL) and gives back display resources at exit.
void display_shutdown();
} // namespace host
