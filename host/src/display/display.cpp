// The display: the driver chosen once, the pacing of what is shown, input
// messages, and what tests read back from windows.
//
// Pacing. On the native screen every copy is visible the moment it lands,
// so a move that redraws its line several times is seen step by step. Here
// a window is shown by presenting its framebuffer, so before a copy lands on
// pixels already drawn since the last present, the picture as it stands is
// presented and kept up for one refresh of the display. The last picture of
// a turn is presented when the program waits for input. Pacing starts with
// the program's first wait (the start-up picture is not drawn step by step)
// and is skipped while a key, a button or a close is waiting, so the picture
// never trails the player's keys by more than one move.
//
// Ends that keep the best score. From the program's first wait on, SIGHUP
// (the terminal closed), SIGINT and SIGTERM close the game as its close
// gadget does, so the program ends its own way; a display that goes away
// does the same.
#include <SDL.h>
#include <SDL_image.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <thread>

#include "amiga/exec.h"
#include "display/display.h"
#include "internal.h"
#include "control/settings.h"

namespace host {
namespace {
// The none driver: nothing opens.
bool none_size(int &, int &) { return false; }
void none_borders(int &l, int &t, int &r, int &b) { l = t = r = b = 0; }
bool none_open_window(WindowRec *) { return false; }
bool none_open_screen(ScreenRec *) { return false; }
void none_close(View *) {}
void none_present() {}
void none_hold(long long) {}
void none_pump() {}
void none_wait(MsgPort *, WindowRec *) {}
long long none_refresh() { return 16667; }
void none_shutdown() {}
const DisplayDriver none_driver = {"none",       false,     none_size,     none_borders,
                                   none_open_window, none_open_screen, none_close, none_present,
                                   none_hold,    none_pump,      none_wait,     none_refresh,
                                   none_shutdown, nullptr, nullptr};

const DisplayDriver *driver = nullptr;

// ---- Signals and a lost display ----------------------------------------------
const int quit_signals[] = {SIGHUP, SIGINT, SIGTERM};
struct sigaction before[3];
bool caught = false;
std::atomic<bool> quit_asked{false};
std::atomic<void (*)()> wake_op{nullptr};
int wake_pipe[2] = {-1, -1};
bool lost = false;

// The handler notes the signal and tells the waker thread, which wakes the
// driver; nothing else is safe to do in a handler.
void on_quit_signal(int) {
    const int saved = errno;
    quit_asked = true;
    const char c = 1;
    if (write(wake_pipe[1], &c, 1) < 0) {
        // The pipe is full: a wake is on its way already.
    }
    errno = saved;
}

// Handlers for the quit signals, and once a thread that wakes the driver.
void catch_quit_signals() {
    static bool started = false;
    if (!started) {
        if (pipe2(wake_pipe, O_CLOEXEC) != 0) return;
        fcntl(wake_pipe[1], F_SETFL, O_NONBLOCK);
        std::thread([] {
            char c;
            while (read(wake_pipe[0], &c, 1) > 0 || errno == EINTR)
                if (auto wake = wake_op.load()) wake();
        }).detach();
        started = true;
    }
    wake_op = display().wake;
    if (caught) return;
    struct sigaction sa {};
    sa.sa_handler = on_quit_signal;
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    // A signal ignored by whoever started the program (nohup) stays ignored.
    for (int i = 0; i < 3; ++i)
        if (sigaction(quit_signals[i], nullptr, &before[i]) == 0 && before[i].sa_handler != SIG_IGN)
            sigaction(quit_signals[i], &sa, nullptr);
    caught = true;
}

void release_quit_signals() {
    if (caught)
        for (int i = 0; i < 3; ++i) sigaction(quit_signals[i], &before[i], nullptr);
    caught = false;
    wake_op = nullptr;
    quit_asked = false;
}

// Every open window is asked to close.
void close_all() {
    for (WindowRec *w : open_windows()) post_close(&w->host_Port, w);
}

// KWADRON_DISPLAY names the driver; without it, sdl when a display server
// is named in the environment, none otherwise.
const DisplayDriver *choose() {
    const Settings &s = settings();
    if (s.display == "headless") return &headless_driver;
    if (s.display == "sdl") return &sdl_driver;
    if (s.display == "none") return &none_driver;
    return s.display_named ? &sdl_driver : &none_driver;
}

// Rectangles copied into shown framebuffers since the last present.
struct Mark {
    const BitMap *bm;
    LONG x0, y0, x1, y1;
};
std::vector<Mark> drawn;
bool pacing = false;       // on from the program's first wait
long long hold_until = 0;  // the last present stays up until then

bool shown(const BitMap *bm) {
    for (WindowRec *w : open_windows())
        if (w->host_RastPort.BitMap == bm || w->screen->host_BitMap == bm) return true;
    return false;
}

// Presents the picture as it stands, after the one before has been up for
// its refresh.
void present_step() {
    const DisplayDriver &d = display();
    drawn.clear();
    d.pump();
    if (input_waiting()) return;
    d.hold(hold_until);
    d.present();
    hold_until = monotonic_us() + d.refresh_us();
}

void microseconds(ULONG &secs, ULONG &micros) {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    secs = ULONG(tv.tv_sec);
    micros = ULONG(tv.tv_usec);
}
} // namespace

const DisplayDriver &display() {
    if (!driver) driver = choose();
    return *driver;
}

void display_use(const DisplayDriver &d) { driver = &d; }

long long monotonic_us() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

void display_copy(const RastPort *rp, LONG x, LONG y, LONG w, LONG h) {
    if (!pacing || !rp || w <= 0 || h <= 0 || !shown(rp->BitMap)) return;
    const Mark m{rp->BitMap, x, y, x + w, y + h};
    for (const Mark &d : drawn)
        if (d.bm == m.bm && d.x0 < m.x1 && m.x0 < d.x1 && d.y0 < m.y1 && m.y0 < d.y1) {
            present_step();
            break;
        }
    drawn.push_back(m);
}

bool input_waiting() {
    for (WindowRec *w : open_windows())
        for (Message *m = w->host_Port.mp_Head; m; m = reinterpret_cast<Message *>(m->mn_Node.ln_Succ)) {
            const auto *im = reinterpret_cast<IntuiMessage *>(m);
            const bool press = !(im->Code & IECODE_UP_PREFIX);
            if (im->Class == IDCMP_CLOSEWINDOW ||
                ((im->Class == IDCMP_RAWKEY || im->Class == IDCMP_MOUSEBUTTONS) && press))
                return true;
        }
    return false;
}

// Allocates the message (GT_ReplyIMsg deletes it), stamps it with the time
// and queues it on the window's port; classes the window did not ask for
// are dropped. Mouse positions are window coordinates, borders included.
void post_input(Window *win, ULONG cls, UWORD code, WORD mouseX, WORD mouseY, UWORD qualifier) {
    if (!win || !(win->IDCMPFlags & cls)) return;
    IntuiMessage *m = new IntuiMessage{};
    m->Class = cls;
    m->Code = code;
    m->Qualifier = qualifier;
    m->MouseX = mouseX;
    m->MouseY = mouseY;
    m->IDCMPWindow = win;
    microseconds(m->Seconds, m->Micros);
    if (cls == IDCMP_MOUSEMOVE || cls == IDCMP_MOUSEBUTTONS) {
        win->MouseX = mouseX;
        win->MouseY = mouseY;
    }
    PutMsg(win->UserPort, &m->ExecMessage);
}

// Queues a close message whatever the window asks for: the way out when no
// more input can come. The window, when known, gives its mouse position.
void post_close(MsgPort *port, Window *w) {
    IntuiMessage *m = new IntuiMessage{};
    m->Class = IDCMP_CLOSEWINDOW;
    if (w) {
        m->MouseX = w->MouseX;
        m->MouseY = w->MouseY;
    }
    m->IDCMPWindow = w;
    microseconds(m->Seconds, m->Micros);
    PutMsg(port, &m->ExecMessage);
}

// Called by WaitPort while the port is empty: the driver presents what was
// drawn and blocks until input comes. A port that no open window owns gets
// a close message rather than a wait that could never end.
void display_wait(MsgPort *port) {
    if (!port) return;
    WindowRec *w = window_rec(static_cast<Window *>(port->mp_Owner));
    if (!w || &w->host_Port != port) {
        misuse("WaitPort on a port no open window owns");
        post_close(port, nullptr);
        return;
    }
    const DisplayDriver &d = display();
    if (!pacing) catch_quit_signals();
    if (quit_asked.exchange(false)) {
        close_all();
        return;
    }
    d.hold(hold_until);
    drawn.clear();
    pacing = true;
    hold_until = monotonic_us() + d.refresh_us();
    d.wait(port, w);
}

Window *current_window() {
    const auto &ws = open_windows();
    return ws.empty() ? nullptr : ws.back();
}

ULONG bitmap_rgb(const BitMap *bm, const ColorMap *cm, LONG x, LONG y) {
    if (!bm || !bm->Pixels || x < 0 || y < 0 || x >= bm->Width || y >= bm->Rows) return 0;
    const UBYTE *row = bm->Pixels + size_t(y) * size_t(bm->Width) * bm->BytesPerPixel;
    if (bm->BytesPerPixel == 4) return reinterpret_cast<const uint32_t *>(row)[x] & 0xFFFFFF;
    return pen_rgb(cm, row[x]);
}

ULONG window_pixel(const Window *w, LONG x, LONG y) {
    const WindowRec *r = window_rec(w);
    if (!r) return 0;
    return bitmap_rgb(r->host_RastPort.BitMap, &r->screen->host_ColorMap, x, y);
}

// The inner area only, through the screen's colours; the file is replaced
// whole (written aside, then renamed).
bool window_snapshot(const Window *w, const std::string &png_path) {
    const WindowRec *r = window_rec(w);
    if (!r || png_path.empty()) return false;
    int iw = r->host_InnerWidth, ih = r->host_InnerHeight;
    if (iw <= 0 || ih <= 0) return false;
    SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, iw, ih, 24, SDL_PIXELFORMAT_RGB24);
    if (!s) return false;
    for (int y = 0; y < ih; ++y) {
        UBYTE *row = static_cast<UBYTE *>(s->pixels) + size_t(y) * s->pitch;
        for (int x = 0; x < iw; ++x) {
            ULONG c = bitmap_rgb(r->host_RastPort.BitMap, &r->screen->host_ColorMap,
                                 x + r->BorderLeft, y + r->BorderTop);
            row[3 * x] = UBYTE(c >> 16);
            row[3 * x + 1] = UBYTE(c >> 8);
            row[3 * x + 2] = UBYTE(c);
        }
    }
    std::string aside = png_path + ".part";
    bool ok = IMG_SavePNG(s, aside.c_str()) == 0;
    SDL_FreeSurface(s);
    if (ok) ok = rename(aside.c_str(), png_path.c_str()) == 0;
    if (!ok) remove(aside.c_str());
    return ok;
}

void display_lost() {
    if (lost) return;
    lost = true;
    fprintf(stderr, "host: the display went away\n");
    close_all();
}

bool display_was_lost() { return lost; }

void display_tell(const char *text) {
    if (display().tell) display().tell(text);
}

// Closes whatever is still open, and the display with it.
void display_shutdown() {
    release_quit_signals();
    screens_close_all();
    display().shutdown();
}

// For tests: nothing open, nothing queued, settings back to their defaults.
// The driver is chosen again from the settings on next use.
void display_reset() {
    datatypes_reset();
    screens_close_all();
    headless_reset();
    driver = nullptr;
    drawn.clear();
    pacing = false;
    hold_until = 0;
    release_quit_signals();
    lost = false;
}
} // namespace host
