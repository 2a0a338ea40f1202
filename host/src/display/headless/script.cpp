// The headless display's input scripts, turned into its input queue.
//
// Input scripts: one command a line; blank lines and everything after '#'
// are ignored. Coordinates are in the window's inner area (the host adds the
// borders).
//
//   key up|down|left|right|esc|<hex code>   press and release of a raw key
//   press X Y / release X Y                 left mouse button down / up
//   click X Y                               press and release
//   rightclick X Y                          right button down and up
//   move X Y                                the mouse moves there (with the
//                                           button down on the board, far
//                                           enough: a swipe, an arrow key)
//   close                                   the close gadget
//   snapshot PATH                           writes the inner area as a PNG
//                                           when the program next waits
//   signal hup|int|term                     the process gets the signal
//   lost                                    the display goes away
//
#include <signal.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "amiga/intuition.h"
#include "amiga/rawkeycodes.h"
#include "display/headless/headless.h"
#include "host/headless.h"

namespace host {
namespace headless {
namespace {
bool parse_int(const std::string &s, long lo, long hi, long &out) {
    if (s.empty()) return false;
    char *end = nullptr;
    long v = strtol(s.c_str(), &end, 10);
    if (*end || v < lo || v > hi) return false;
    out = v;
    return true;
}

// A key name or a hexadecimal raw code (0x45 or 45) below 0x80.
bool parse_key(const std::string &s, UWORD &code) {
    static const struct {
        const char *name;
        UWORD code;
    } names[] = {{"up", RAWKEY_UP},       {"down", RAWKEY_DOWN}, {"right", RAWKEY_RIGHT},
                 {"left", RAWKEY_LEFT}, {"esc", RAWKEY_ESCAPE}};
    std::string low;
    for (char c : s) low += char(tolower(static_cast<unsigned char>(c)));
    for (auto &n : names)
        if (low == n.name) {
            code = n.code;
            return true;
        }
    std::string hex = low.rfind("0x", 0) == 0 ? low.substr(2) : low;
    if (hex.empty() || hex.size() > 2) return false;
    for (char c : hex)
        if (!isxdigit(static_cast<unsigned char>(c))) return false;
    unsigned long v = strtoul(hex.c_str(), nullptr, 16);
    if (v >= 0x80) return false;
    code = UWORD(v);
    return true;
}

InputItem msg(ULONG cls, UWORD code, long x = 0, long y = 0, bool inner = false) {
    InputItem it;
    it.cls = cls;
    it.code = code;
    it.x = WORD(x);
    it.y = WORD(y);
    it.inner = inner;
    return it;
}
} // namespace

// Parses script text; on a bad line nothing is queued and *error tells why.
bool input_script_parse(const std::string &text, const std::string &name, std::string *error) {
    std::vector<InputItem> items;
    std::istringstream in(text);
    std::string line;
    int lineno = 0;
    auto fail = [&](const std::string &why) {
        if (error) *error = name + ":" + std::to_string(lineno) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineno;
        if (size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string x; words >> x;) w.push_back(x);
        if (w.empty()) continue;
        const std::string &cmd = w[0];
        long x = 0, y = 0;
        auto point = [&]() {
            return w.size() == 3 && parse_int(w[1], -32768, 32767, x) &&
                   parse_int(w[2], -32768, 32767, y);
        };
        if (cmd == "key") {
            UWORD code;
            if (w.size() != 2 || !parse_key(w[1], code))
                return fail("key needs up, down, left, right, esc or a hex code below 80");
            items.push_back(msg(IDCMP_RAWKEY, code, 0, 0, true));
            items.push_back(msg(IDCMP_RAWKEY, UWORD(code | IECODE_UP_PREFIX), 0, 0, true));
        } else if (cmd == "press" || cmd == "release" || cmd == "click" || cmd == "rightclick" ||
                   cmd == "move") {
            if (!point()) return fail(cmd + " needs two whole numbers X Y");
            if (cmd == "move") {
                items.push_back(msg(IDCMP_MOUSEMOVE, IECODE_NOBUTTON, x, y, true));
            } else if (cmd == "rightclick") {
                items.push_back(msg(IDCMP_MOUSEBUTTONS, MENUDOWN, x, y, true));
                items.push_back(msg(IDCMP_MOUSEBUTTONS, MENUUP, x, y, true));
            } else {
                if (cmd != "release") items.push_back(msg(IDCMP_MOUSEBUTTONS, SELECTDOWN, x, y, true));
                if (cmd != "press") items.push_back(msg(IDCMP_MOUSEBUTTONS, SELECTUP, x, y, true));
            }
        } else if (cmd == "close") {
            if (w.size() != 1) return fail("close takes nothing");
            items.push_back(msg(IDCMP_CLOSEWINDOW, 0, 0, 0, true));
        } else if (cmd == "signal") {
            InputItem it;
            it.kind = InputItem::Signal;
            if (w.size() == 2) it.signal = w[1] == "hup" ? SIGHUP : w[1] == "int" ? SIGINT : w[1] == "term" ? SIGTERM : 0;
            if (!it.signal) return fail("signal needs hup, int or term");
            items.push_back(it);
        } else if (cmd == "lost") {
            if (w.size() != 1) return fail("lost takes nothing");
            InputItem it;
            it.kind = InputItem::Lost;
            items.push_back(it);
        } else if (cmd == "snapshot") {
            // The path is the rest of the line, blanks included.
            size_t at = line.find("snapshot") + 8;
            std::string path = line.substr(at);
            path.erase(0, path.find_first_not_of(" \t"));
            path.erase(path.find_last_not_of(" \t\r") + 1);
            if (path.empty()) return fail("snapshot needs a file name");
            InputItem it;
            it.kind = InputItem::Snapshot;
            it.path = path;
            items.push_back(it);
        } else {
            return fail("unknown command '" + cmd + "'");
        }
    }
    for (auto &it : items) queue.push_back(it);
    return true;
}

} // namespace headless

// Queues the script's input after anything already queued. A file that
// cannot be read or a bad line queues nothing; *error says what and where.
bool input_script_load(const std::string &path, std::string *error) {
    struct stat st {};
    std::ifstream f;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) f.open(path, std::ios::binary);
    if (!f.is_open()) {
        if (error) *error = "cannot read input script " + path;
        return false;
    }
    std::ostringstream all;
    all << f.rdbuf();
    return headless::input_script_parse(all.str(), path, error);
}
} // namespace host
