// The SDL driver's input: keys, mouse, game pads and window events turned
// into the input messages of the window they belong to, with the native
// codes.
#include <algorithm>
#include <cmath>
#include <deque>
#include <map>

#include "amiga/rawkeycodes.h"
#include "control/trace.h"
#include "display/gestures.h"
#include "display/pads.h"
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

// Each pad's state, kept from its events (what it means: display/pads.cpp).
std::map<SDL_JoystickID, PadState> pads;

void on_pad_button(const SDL_ControllerButtonEvent &b) {
    PadState &s = pads[b.which];
    const bool down = b.type == SDL_CONTROLLERBUTTONDOWN;
    switch (b.button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP: s.up = down; break;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: s.down = down; break;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: s.left = down; break;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: s.right = down; break;
    case SDL_CONTROLLER_BUTTON_BACK: s.back = down; break;
    default: return;
    }
    pad_update(b.which, s, key_window());
}

void on_pad_axis(const SDL_ControllerAxisEvent &a) {
    PadState &s = pads[a.which];
    if (a.axis == SDL_CONTROLLER_AXIS_LEFTX)
        s.x = a.value / 32767.0;
    else if (a.axis == SDL_CONTROLLER_AXIS_LEFTY)
        s.y = a.value / 32767.0;
    else
        return;
    pad_update(a.which, s, key_window());
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
    pads.clear();
}
} // namespace sdl
} // namespace host
