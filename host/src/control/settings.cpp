// Reads the environment once. The KWADRON_* names are the program's public
// interface (README, --help); each is described in settings.h.
#include "control/settings.h"

#include <cstdlib>
#include <cstring>

namespace host {
namespace {
std::string text(const char *name) {
    const char *v = getenv(name);
    return v ? v : "";
}
bool on(const char *name) { return text(name) == "1"; }
bool set(const char *name) { return !text(name).empty(); }

Settings read() {
    Settings s;
    s.display = text("KWADRON_DISPLAY");
    s.script = text("KWADRON_SCRIPT");
    s.pubscreen = text("KWADRON_PUBSCREEN");
    s.borders = text("KWADRON_BORDERS");
    s.frames = text("KWADRON_FRAMES");
    s.snapshot = text("KWADRON_SNAPSHOT");
    s.libs = text("KWADRON_LIBS");
    s.call_trace = text("KWADRON_CALL_TRACE");
    s.trace = on("KWADRON_TRACE");
    const std::string t0 = text("KWADRON_TRACE_T0");
    s.trace_t0 = t0.empty() ? 0 : strtod(t0.c_str(), nullptr);
    s.debug = getenv("KWADRON_DEBUG") != nullptr;
    s.misuse_continue = getenv("KWADRON_MISUSE_CONTINUE") != nullptr;
    s.wbstart = on("KWADRON_WBSTART");
    s.ledger_report = on("KWADRON_LEDGER_REPORT");
    s.kill_at = text("KWADRON_KILL_AT");
    s.sdl_driver_named = set("SDL_VIDEODRIVER");
    s.render_driver_named = set("SDL_RENDER_DRIVER");
    s.display_named = set("DISPLAY") || set("WAYLAND_DISPLAY") || s.sdl_driver_named;
    const std::string xdg = text("XDG_DATA_HOME"), home = text("HOME");
    if (xdg[0] == '/')
        s.data_home = xdg;
    else if (home[0] == '/')
        s.data_home = home + "/.local/share";
    return s;
}
} // namespace

const Settings &settings() {
    static const Settings s = read();
    return s;
}
} // namespace host
