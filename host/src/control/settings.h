// The host's settings: every environment variable it reads, read once.
#pragma once

#include <string>

namespace host {
struct Settings {
    std::string display;      // KWADRON_DISPLAY: headless, sdl or none
    std::string script;       // KWADRON_SCRIPT: input script of the headless display
    std::string pubscreen;    // KWADRON_PUBSCREEN: WxH of the headless public screen
    std::string borders;      // KWADRON_BORDERS: l,t,r,b window borders, headless
    std::string frames;       // KWADRON_FRAMES: folder for every presented picture, headless
    std::string snapshot;     // KWADRON_SNAPSHOT: the window's last picture, as PNG
    std::string libs;         // KWADRON_LIBS: libraries withheld or at other versions
    std::string call_trace;   // KWADRON_CALL_TRACE: file for the call trace
    bool trace = false;       // KWADRON_TRACE=1: timings on stderr
    double trace_t0 = 0;      // KWADRON_TRACE_T0: wall-clock start, in seconds
    bool debug = false;       // KWADRON_DEBUG: why a picture was refused
    bool misuse_continue = false; // KWADRON_MISUSE_CONTINUE: misuse counted, not fatal
    bool wbstart = false;     // KWADRON_WBSTART=1: start as from the desktop
    bool ledger_report = false; // KWADRON_LEDGER_REPORT=1: handles left open at exit
    std::string kill_at;      // KWADRON_KILL_AT: the step of a file write to be killed at (tests)
    // Not ours, read here so that nothing else reads the environment.
    bool display_named = false; // DISPLAY, WAYLAND_DISPLAY or SDL_VIDEODRIVER set
    bool sdl_driver_named = false; // SDL_VIDEODRIVER set
    bool render_driver_named = false; // SDL_RENDER_DRIVER set
    std::string data_home;    // $XDG_DATA_HOME, else $HOME/.local/share; "" if neither
};

// The settings, read from the environment on first use.
const Settings &settings();
} // namespace host
