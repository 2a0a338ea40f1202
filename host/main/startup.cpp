// The process entry: what the native start-up code does before and after the
// program's own main. Linked only into the executable.
//
// KWADRON_WBSTART=1        start as from the desktop: main gets argc 0 and a
//                          WBStartup; the argument words are the files passed
// KWADRON_LEDGER_REPORT=1  after main, list every handle still open on stderr
//                          and exit with 3 when there is any, or any misuse
// KWADRON_CALL_TRACE=path  write the host's call trace to path at exit
//
// --help (-h) and --version, given alone, are answered here; every other
// word goes to the program's own argument parser.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "amiga/dos.h"
#include "host/control.h"
#include "amiga/startup.h"
#include "amiga/workbench.h"
#include "control/settings.h"
#include "dos/dos.h"

namespace {

// The executable's own path; argv[0] when /proc is not there.
std::string exe_path(const char *argv0) {
    std::vector<char> buf(PATH_MAX);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return argv0 ? argv0 : "";
        if (static_cast<size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<size_t>(n));
        buf.resize(buf.size() * 2);
    }
}

// The desktop's start-up message: the program, then each file passed to it,
// each as a lock on its directory and its name there. A file whose directory
// cannot be locked is left out with a note on stderr.
struct DesktopStart {
    WBStartup msg{};
    std::vector<WBArg> args;
    std::vector<std::string> names;

    DesktopStart(const std::string &exe, int argc, char **argv) {
        std::vector<std::pair<std::string, std::string>> entries;
        std::string dir, name;
        host::dos::split_path(exe, dir, name);
        entries.emplace_back(host::progdir(), name);
        for (int i = 1; i < argc; ++i) {
            host::dos::split_path(argv[i], dir, name);
            entries.emplace_back(dir, name);
        }
        names.reserve(entries.size());
        for (auto &[d, n] : entries) {
            BPTR lock = Lock(d.c_str(), ACCESS_READ);
            if (!lock) {
                fprintf(stderr, "%s: cannot enter %s\n", argv[0] ? argv[0] : "kwadron", d.c_str());
                continue;
            }
            names.push_back(n);
            args.push_back({lock, nullptr});
        }
        for (size_t i = 0; i < args.size(); ++i) args[i].wa_Name = reinterpret_cast<BYTE *>(names[i].data());
        msg.sm_NumArgs = static_cast<LONG>(args.size());
        msg.sm_ArgList = args.data();
    }
    ~DesktopStart() {
        for (auto &a : args) UnLock(a.wa_Lock);
    }
};

const char usage[] =
    "Usage: kwadron [SKIN=<picture>] [SCREEN]\n"
    "       kwadron --help | --version\n"
    "\n"
    "A sliding-tile puzzle on a 4 x 4 board: the arrow keys slide the tiles,\n"
    "Esc quits, F11 or Alt+Enter switches to fullscreen and back.\n"
    "\n"
    "Arguments (template SKIN/K,SCREEN/S; keywords in any case, SKIN=path or\n"
    "SKIN path, double quotes around paths with blanks):\n"
    "  SKIN=<picture>  the skin picture, a path of at most 99 bytes\n"
    "                  (default progdir:grafika_aga)\n"
    "  SCREEN          a screen of the game's own: fullscreen\n"
    "  ?               show the template and read the arguments from a line\n"
    "\n"
    "Examples:\n"
    "  kwadron\n"
    "  kwadron SKIN=progdir:grafika_aga2x\n"
    "  kwadron skin \"My Skins/night.png\" SCREEN\n"
    "\n"
    "progdir: is the player's data folder ($XDG_DATA_HOME/kwadron, by default\n"
    "~/.local/share/kwadron) over the program's own folder: names are looked\n"
    "for in the data folder first. The best score is kept in the file 'score':\n"
    "in the program's folder only when this player can replace that file there,\n"
    "else the player's data folder. A game ended by SIGHUP, SIGTERM or the\n"
    "display going away is kept in the data folder's 'game' and comes back at\n"
    "the next start; Esc, QUIT, the close box and Ctrl+C end it for good.\n"
    "\n"
    "Environment:\n"
    "  KWADRON_DISPLAY=headless|sdl|none  the display (default: a window when\n"
    "                                     a display server is named)\n"
    "  KWADRON_SCRIPT=file                input script of the headless display\n"
    "  KWADRON_SNAPSHOT=file.png          last picture of the window, as PNG\n"
    "  KWADRON_LIBS=-cybergraphics.library  the palette way of working\n"
    "  SDL_VIDEODRIVER, SDL_RENDER_DRIVER   SDL's own choices\n"
    "\n"
    "Return codes: 0 played and quit (also on SIGHUP, SIGINT, SIGTERM), 10 bad\n"
    "command line, 20 could not start or the display went away.\n";

// Started from the desktop with standard output going nowhere a player
// looks: what the program writes is kept and, at the end, shown in a message
// box as well as written to standard error and the old standard output.
struct DesktopMessages {
    int saved = -1;
    FILE *kept = nullptr;

    void begin() {
        fflush(stdout);
        kept = tmpfile();
        if (!kept) return;
        saved = dup(STDOUT_FILENO);
        if (saved < 0 || dup2(fileno(kept), STDOUT_FILENO) < 0) {
            fclose(kept);
            kept = nullptr;
        }
    }
    void end() {
        if (!kept) return;
        fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
        std::string text;
        rewind(kept);
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, kept)) > 0) text.append(buf, n);
        fclose(kept);
        if (text.empty()) return;
        fwrite(text.data(), 1, text.size(), stdout);
        fwrite(text.data(), 1, text.size(), stderr);
        fflush(stdout);
        while (!text.empty() && text.back() == '\n') text.pop_back();
        host::display_tell(text.c_str());
    }
};

} // namespace

int main(int argc, char **argv) {
    if (argc == 2 && (!strcmp(argv[1], "--help") || !strcmp(argv[1], "-h"))) {
        fputs(usage, stdout);
        return 0;
    }
    if (argc == 2 && !strcmp(argv[1], "--version")) {
        printf("kwadron %s\n", KWADRON_VERSION);
        return 0;
    }
    std::string exe = exe_path(argc > 0 ? argv[0] : nullptr);
    std::string dir, name;
    host::dos::split_path(exe, dir, name);
    host::set_progdir(exe.find('/') == std::string::npos ? "." : dir);
    host::set_command_line(argc, argv);

    LONG rc;
    const host::Settings &env = host::settings();
    if (env.wbstart) {
        DesktopMessages messages;
        if (!isatty(STDOUT_FILENO)) messages.begin();
        {
            DesktopStart wb(exe, argc, argv);
            rc = program::main(0, reinterpret_cast<char **>(&wb.msg));
        }
        messages.end();
    } else {
        rc = program::main(argc, argv);
    }
    fflush(stdout);

    if (!env.call_trace.empty()) {
        if (FILE *f = fopen(env.call_trace.c_str(), "w")) {
            for (auto &line : host::trace_log()) fprintf(f, "%s\n", line.c_str());
            fclose(f);
        }
    }

    // The report comes before the display's shutdown, which closes whatever
    // the program left open and would hide it. A game whose display went
    // away, found by then or by the shutdown's last calls (a quit signal and
    // the display's end at once), kept its best score but did not end as its
    // player chose: 20.
    int code = static_cast<int>(rc);
    bool reported = false;
    if (env.ledger_report) {
        std::vector<std::string> open = host::ledger_open();
        for (auto &entry : open) fprintf(stderr, "still open: %s\n", entry.c_str());
        reported = !open.empty() || host::misuse_count() > 0;
    }
    host::display_shutdown();
    host::keep_finish();
    if (host::display_was_lost()) code = RETURN_FAIL;
    if (reported) code = 3;
    return code;
}
