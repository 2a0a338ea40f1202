// The SDL driver's input: keys, mouse, game pads and window events turned
// into the input messages of the window they belong to, with the native
// codes. A pad's d-pad and left stick are the arrows and its Back button is
// Esc; its other buttons do nothing, the game's buttons being for the mouse.
#include <algorithm>
#include <cmath>
#include <deque>
#include <iterator>

#include "amiga/rawkeycodes.h"
#include "control/trace.h"
#include "display/gestures.h"
#include "display/sdl/sdl.h"
#include "display/display.h"

namespace host {
namespace sdl {
namespace {
bool swallowed[SDL_NUM_SCANCODES];

// Positions of mouse events in game pixels, worked out before the renderer
// rewrites the events (it truncates towards zero, so -0.5 would become 0).
struct MousePos {
    Uint32 type, window_id, timestamp;
    int x, y;
};
std::deque<MousePos> positions;

// The floored position recorded for the event; the event's own otherwise.
void logical_pos(const SDL_Event &e, int x, int y, Uint32 id, int &lx, int &ly) {
    while (!positions.empty()) {
        MousePos p = positions.front();
        positions.pop_front();
        if (p.type == e.type && p.window_id == id && p.timestamp == e.common.timestamp) {
            lx = p.x;
            ly = p.y;
            return;
        }
    }
    lx = x;
    ly = y;
}

// Raw key codes of the keys the program reads; others are not passed on.
bool raw_key(SDL_Scancode sc, UWORD &code) {
    switch (sc) {
    case SDL_SCANCODE_ESCAPE: code = RAWKEY_ESCAPE; return true;
    case SDL_SCANCODE_UP: code = RAWKEY_UP; return true;
    case SDL_SCANCODE_DOWN: code = RAWKEY_DOWN; return true;
    case SDL_SCANCODE_RIGHT: code = RAWKEY_RIGHT; return true;
    case SDL_SCANCODE_LEFT: code = RAWKEY_LEFT; return true;
    default: return false;
    }
}

UWORD qualifier(Uint16 mod) {
    UWORD q = 0;
    if (mod & KMOD_LSHIFT) q |= IEQUALIFIER_LSHIFT;
    if (mod & KMOD_RSHIFT) q |= IEQUALIFIER_RSHIFT;
    if (mod & KMOD_CAPS) q |= IEQUALIFIER_CAPSLOCK;
    if (mod & KMOD_CTRL) q |= IEQUALIFIER_CONTROL;
    if (mod & KMOD_LALT) q |= IEQUALIFIER_LALT;
    if (mod & KMOD_RALT) q |= IEQUALIFIER_RALT;
    if (mod & KMOD_LGUI) q |= IEQUALIFIER_LCOMMAND;
    if (mod & KMOD_RGUI) q |= IEQUALIFIER_RCOMMAND;
    const Uint32 b = SDL_GetMouseState(nullptr, nullptr);
    if (b & SDL_BUTTON_LMASK) q |= IEQUALIFIER_LEFTBUTTON;
    if (b & SDL_BUTTON_RMASK) q |= IEQUALIFIER_RBUTTON;
    if (b & SDL_BUTTON_MMASK) q |= IEQUALIFIER_MIDBUTTON;
    return q;
}

// The window that has the keys: the front one of the view with the focus,
// else the last one opened.
WindowRec *key_window() {
    if (SDL_Window *focus = SDL_GetKeyboardFocus())
        for (View *v : views)
            if (v->win == focus) return target(v);
    const auto &all = open_windows();
    return all.empty() ? nullptr : all.back();
}

void pad_key(UWORD code, bool down) {
    WindowRec *w = key_window();
    if (!w) return;
    if (down) trace_key();
    post_input(w, IDCMP_RAWKEY, down ? code : UWORD(code | IECODE_UP_PREFIX), w->MouseX, w->MouseY, 0);
}

void on_pad_button(const SDL_ControllerButtonEvent &b) {
    static const struct {
        Uint8 button;
        UWORD code;
    } map[] = {{SDL_CONTROLLER_BUTTON_DPAD_UP, RAWKEY_UP},
               {SDL_CONTROLLER_BUTTON_DPAD_DOWN, RAWKEY_DOWN},
               {SDL_CONTROLLER_BUTTON_DPAD_LEFT, RAWKEY_LEFT},
               {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, RAWKEY_RIGHT},
               {SDL_CONTROLLER_BUTTON_BACK, RAWKEY_ESCAPE}};
    for (const auto &m : map)
        if (m.button == b.button) pad_key(m.code, b.type == SDL_CONTROLLERBUTTONDOWN);
}

// The left stick past half way is an arrow held; back under a third, let go.
bool stick_held[4]; // up, down, left, right

void on_pad_axis(const SDL_ControllerAxisEvent &a) {
    bool *held = stick_held;
    if (a.axis != SDL_CONTROLLER_AXIS_LEFTX && a.axis != SDL_CONTROLLER_AXIS_LEFTY) return;
    const int first = a.axis == SDL_CONTROLLER_AXIS_LEFTY ? 0 : 2;
    const UWORD codes[4] = {RAWKEY_UP, RAWKEY_DOWN, RAWKEY_LEFT, RAWKEY_RIGHT};
    for (int k = first; k < first + 2; ++k) {
        const int toward = k == first ? -a.value : a.value;
        if (!held[k] && toward > 16384) held[k] = true, pad_key(codes[k], true);
        else if (held[k] && toward < 10923) held[k] = false, pad_key(codes[k], false);
    }
}

void close_message(WindowRec *w) {
    if (w) post_input(w, IDCMP_CLOSEWINDOW, 0, w->MouseX, w->MouseY, 0);
}

void on_key(const SDL_KeyboardEvent &k) {
    View *v = view_of(k.windowID);
    const SDL_Scancode sc = k.keysym.scancode;
    if (sc < 0 || sc >= SDL_NUM_SCANCODES) return;
    const bool down = k.type == SDL_KEYDOWN;
    if (down && !k.repeat) trace_key();
    // F11 and Alt+Enter switch the view between window and fullscreen.
    if (down && (sc == SDL_SCANCODE_F11 || (sc == SDL_SCANCODE_RETURN && (k.keysym.mod & KMOD_ALT)))) {
        swallowed[sc] = true;
        if (v && !k.repeat) toggle_fullscreen(v);
        return;
    }
    if (!down && swallowed[sc]) {
        swallowed[sc] = false;
        return;
    }
    WindowRec *w = target(v);
    UWORD code;
    if (!w || !raw_key(sc, code)) return;
    UWORD q = qualifier(k.keysym.mod);
    if (k.repeat) q |= IEQUALIFIER_REPEAT;
    post_input(w, IDCMP_RAWKEY, down ? code : UWORD(code | IECODE_UP_PREFIX), w->MouseX, w->MouseY, q);
}

void on_mouse(const SDL_Event &e) {
    const bool motion = e.type == SDL_MOUSEMOTION;
    const Uint32 id = motion ? e.motion.windowID : e.button.windowID;
    View *v = view_of(id);
    WindowRec *w = target(v);
    if (!w) return;
    int lx, ly;
    logical_pos(e, motion ? e.motion.x : e.button.x, motion ? e.motion.y : e.button.y, id, lx, ly);
    if (v->screen) {
        lx -= w->LeftEdge;
        ly -= w->TopEdge;
    }
    // A press outside the picture keeps its out-of-range position.
    lx = std::clamp(lx, -32768, 32767);
    ly = std::clamp(ly, -32768, 32767);
    const UWORD q = qualifier(SDL_GetModState());
    if (motion) {
        pointer_move(w, lx, ly, q);
        return;
    }
    const bool down = e.type == SDL_MOUSEBUTTONDOWN;
    UWORD code;
    switch (e.button.button) {
    case SDL_BUTTON_LEFT:
        if (down)
            pointer_down(w, lx, ly, q);
        else
            pointer_up(w, lx, ly, q);
        return;
    case SDL_BUTTON_MIDDLE: code = down ? MIDDLEDOWN : MIDDLEUP; break;
    case SDL_BUTTON_RIGHT:
        // Without RMBTrap the right button belongs to the menus.
        if (!(w->Flags & WFLG_RMBTRAP)) return;
        code = down ? MENUDOWN : MENUUP;
        break;
    default: return;
    }
    post_input(w, IDCMP_MOUSEBUTTONS, code, WORD(lx), WORD(ly), q);
}

void on_window(const SDL_WindowEvent &e) {
    View *v = view_of(e.windowID);
    if (!v) return;
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE: close_message(target(v)); break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED: v->stale = true; break;
    default: break;
    }
}
} // namespace

int SDLCALL watch(void *, SDL_Event *e) {
    int x, y;
    Uint32 id;
    if (e->type == SDL_MOUSEMOTION)
        x = e->motion.x, y = e->motion.y, id = e->motion.windowID;
    else if (e->type == SDL_MOUSEBUTTONDOWN || e->type == SDL_MOUSEBUTTONUP)
        x = e->button.x, y = e->button.y, id = e->button.windowID;
    else
        return 1;
    View *v = view_of(id);
    if (!v) return 1;
    int ww, wh, z, ox, oy;
    SDL_GetWindowSize(v->win, &ww, &wh);
    layout(v, ww, wh, z, ox, oy);
    if (positions.size() > 4096) positions.pop_front();
    positions.push_back({e->type, id, e->common.timestamp, int(std::floor(double(x - ox) / z)),
                         int(std::floor(double(y - oy) / z))});
    return 1;
}

void handle(const SDL_Event &e) {
    switch (e.type) {
    case SDL_QUIT:
        for (WindowRec *w : open_windows()) close_message(w);
        break;
    case SDL_WINDOWEVENT: on_window(e.window); break;
    case SDL_RENDER_DEVICE_RESET:
        for (View *v : views) {
            if (!v->ren) continue;
            if (v->tex) SDL_DestroyTexture(v->tex);
            v->tex = nullptr;
            make_texture(v);
            v->stale = true;
        }
        break;
    case SDL_RENDER_TARGETS_RESET:
        for (View *v : views) v->stale = true;
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: on_key(e.key); break;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: on_mouse(e); break;
    case SDL_CONTROLLERDEVICEADDED: SDL_GameControllerOpen(e.cdevice.which); break;
    case SDL_CONTROLLERDEVICEREMOVED:
        SDL_GameControllerClose(SDL_GameControllerFromInstanceID(e.cdevice.which));
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: on_pad_button(e.cbutton); break;
    case SDL_CONTROLLERAXISMOTION: on_pad_axis(e.caxis); break;
    default: break;
    }
}

void input_reset() {
    positions.clear();
    std::fill(std::begin(stick_held), std::end(stick_held), false);
}
} // namespace sdl
} // namespace host
