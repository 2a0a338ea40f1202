// The headless display: the same framebuffers, no window. Input comes from
// a queue (tests push to it, or an input script fills it), one message each
// time the program waits; what a display would show is counted and, on
// request, written as numbered PNGs.
//
// Input scripts: one command a line; blank lines and everything after '#'
// are ignored. Coordinates are in the window's inner area (the host adds the
// borders).
//
//   key up|down|left|right|esc|<hex code>   press and release of a raw key
//   press X Y / release X Y                 left mouse button down / up
//   click X Y                               press and release
//   rightclick X Y                          right button down and up
//   move X Y                                the mouse moves there
//   close                                   the close gadget
//   snapshot PATH                           writes the inner area as a PNG
//                                           when the program next waits
//
// When the queue is used up a waiting window gets a close message, so a
// scripted run always ends. Settings (read when the display is chosen):
// KWADRON_SCRIPT (a script loaded at start), KWADRON_PUBSCREEN=WxH (the
// public screen), KWADRON_BORDERS=l,t,r,b (window borders), KWADRON_FRAMES
// (folder for the presented pictures).
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <sstream>

#include "amiga/exec.h"
#include "display/display.h"
#include "host/headless.h"
#include "internal.h"
#include "control/settings.h"

namespace host {
namespace {
constexpr UWORD NOBUTTON = 0xFF;

// One entry of the input queue: a message, or a snapshot taken when the
// queue reaches it. Coordinates of script entries are inner-area ones
// (inner set), those of input_push the message's own.
struct InputItem {
    enum Kind { Message, Snapshot } kind = Message;
    ULONG cls = 0;
    UWORD code = 0;
    UWORD qualifier = 0;
    WORD x = 0, y = 0;
    bool inner = false;
    std::string path;
};
std::deque<InputItem> queue;
HeadlessConfig config;
bool configured = false; // the environment's settings read
int presents = 0;
std::string frames;

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
    } names[] = {{"up", 0x4C},     {"down", 0x4D},  {"right", 0x4E}, {"left", 0x4F},
                 {"esc", 0x45}};
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
            items.push_back(msg(IDCMP_RAWKEY, code));
            items.push_back(msg(IDCMP_RAWKEY, UWORD(code | IECODE_UP_PREFIX)));
        } else if (cmd == "press" || cmd == "release" || cmd == "click" || cmd == "rightclick" ||
                   cmd == "move") {
            if (!point()) return fail(cmd + " needs two whole numbers X Y");
            if (cmd == "move") {
                items.push_back(msg(IDCMP_MOUSEMOVE, NOBUTTON, x, y, true));
            } else if (cmd == "rightclick") {
                items.push_back(msg(IDCMP_MOUSEBUTTONS, MENUDOWN, x, y, true));
                items.push_back(msg(IDCMP_MOUSEBUTTONS, MENUUP, x, y, true));
            } else {
                if (cmd != "release") items.push_back(msg(IDCMP_MOUSEBUTTONS, SELECTDOWN, x, y, true));
                if (cmd != "press") items.push_back(msg(IDCMP_MOUSEBUTTONS, SELECTUP, x, y, true));
            }
        } else if (cmd == "close") {
            if (w.size() != 1) return fail("close takes nothing");
            items.push_back(msg(IDCMP_CLOSEWINDOW, 0));
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

// "WxH" into two positive numbers.
bool parse_size(const std::string &s, int &w, int &h) {
    int a = 0, b = 0;
    char end = 0;
    if (sscanf(s.c_str(), "%dx%d%c", &a, &b, &end) != 2 || a <= 0 || b <= 0 || a > 16384 || b > 16384)
        return false;
    w = a;
    h = b;
    return true;
}

// The environment's settings, once after each reset. A bad value is
// reported and ignored.
void configure() {
    if (configured) return;
    configured = true;
    const Settings &s = settings();
    if (!s.pubscreen.empty() && !parse_size(s.pubscreen, config.pub_width, config.pub_height))
        fprintf(stderr, "host: KWADRON_PUBSCREEN=%s is not WxH\n", s.pubscreen.c_str());
    if (!s.borders.empty()) {
        int l, t, r, b;
        char end = 0;
        if (sscanf(s.borders.c_str(), "%d,%d,%d,%d%c", &l, &t, &r, &b, &end) == 4 && l >= 0 &&
            t >= 0 && r >= 0 && b >= 0 && l < 128 && t < 128 && r < 128 && b < 128)
            config.border_left = l, config.border_top = t, config.border_right = r,
            config.border_bottom = b;
        else
            fprintf(stderr, "host: KWADRON_BORDERS=%s is not l,t,r,b\n", s.borders.c_str());
    }
    if (!s.script.empty()) {
        std::string why;
        if (!input_script_load(s.script, &why)) fprintf(stderr, "host: %s\n", why.c_str());
    }
    frames = s.frames;
}

bool public_size(int &w, int &h) {
    configure();
    w = config.pub_width;
    h = config.pub_height;
    return true;
}

void borders(int &l, int &t, int &r, int &b) {
    configure();
    l = config.border_left, t = config.border_top, r = config.border_right, b = config.border_bottom;
}

bool open_window(WindowRec *) { return true; }
bool open_screen(ScreenRec *) { return true; }
void close(View *) {}

// Counts the picture and writes the front window's inner area when asked.
void present() {
    ++presents;
    if (frames.empty() || open_windows().empty()) return;
    char name[32];
    snprintf(name, sizeof name, "/frame-%04d.png", presents);
    if (!window_snapshot(open_windows().back(), frames + name))
        fprintf(stderr, "host: cannot write %s%s\n", frames.c_str(), name);
}

// No time passes on this display: holding and taking input cost nothing.
void hold(long long) {}
void pump() {}
long long refresh_us() { return 16667; }

// Presents, then takes the next queue entries for the waiting window:
// snapshots are written as they come, the first message is posted; an empty
// queue posts a close.
void wait(MsgPort *port, WindowRec *w) {
    configure();
    present();
    while (!queue.empty()) {
        InputItem it = queue.front();
        queue.pop_front();
        if (it.kind == InputItem::Snapshot) {
            if (!window_snapshot(w, it.path))
                fprintf(stderr, "host: cannot write snapshot %s\n", it.path.c_str());
            continue;
        }
        if (!(w->IDCMPFlags & it.cls)) continue;
        WORD x = it.x, y = it.y;
        if (it.inner) {
            x = WORD(x + w->BorderLeft);
            y = WORD(y + w->BorderTop);
        }
        post_input(w, it.cls, it.code, x, y, it.qualifier);
        if (port->mp_Head) return;
    }
    // Whatever the window asks for, so that a scripted run ends.
    post_close(port, w);
}

void shutdown() {}
} // namespace

const DisplayDriver headless_driver = {"headless", true, public_size, borders, open_window,
                                       open_screen, close, present, hold, pump, wait, refresh_us,
                                       shutdown, nullptr, nullptr};

void headless_select(const HeadlessConfig &cfg) {
    configure();
    config = cfg;
    display_use(headless_driver);
}
const HeadlessConfig &headless_config() { return config; }

void input_push(ULONG cls, UWORD code, WORD mouseX, WORD mouseY, UWORD qualifier) {
    InputItem it;
    it.cls = cls;
    it.code = code;
    it.x = mouseX;
    it.y = mouseY;
    it.qualifier = qualifier;
    queue.push_back(it);
}
size_t input_pending() { return queue.size(); }

int headless_presents() { return presents; }
void headless_frames(const std::string &folder) { frames = folder; }

void headless_reset() {
    queue.clear();
    config = HeadlessConfig{};
    configured = false;
    presents = 0;
    frames.clear();
}

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
    return input_script_parse(all.str(), path, error);
}
} // namespace host
