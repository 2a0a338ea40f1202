// The SDL driver's input: SDL's events translated into the calls of the
// input room (keys as raw key codes, the pointer at window pixels, pads as
// their state), and window events into presents.
#include <map>

#include "amiga/rawkeycodes.h"
#include "display/input.h"
#include "display/sdl/sdl.h"
#include "host/control.h"

namespace host {
namespace sdl {
namespace {
bool swallowed[SDL_NUM_SCANCODES];

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

unsigned mods(Uint16 mod) {
    unsigned m = 0;
    const struct {
        Uint16 sdl;
        unsigned ours;
    } keys[] = {{KMOD_LSHIFT, input::LShift}, {KMOD_RSHIFT, input::RShift}, {KMOD_CAPS, input::CapsLock},
                {KMOD_CTRL, input::Ctrl},     {KMOD_LALT, input::LAlt},     {KMOD_RALT, input::RAlt},
                {KMOD_LGUI, input::LMeta},    {KMOD_RGUI, input::RMeta}};
    for (const auto &k : keys)
        if (mod & k.sdl) m |= k.ours;
    const Uint32 b = SDL_GetMouseState(nullptr, nullptr);
    if (b & SDL_BUTTON_LMASK) m |= input::LeftHeld;
    if (b & SDL_BUTTON_RMASK) m |= input::RightHeld;
    if (b & SDL_BUTTON_MMASK) m |= input::MiddleHeld;
    return m;
}

View *focused() {
    SDL_Window *focus = SDL_GetKeyboardFocus();
    return focus ? view_of(SDL_GetWindowID(focus)) : nullptr;
}

// Each pad's state, kept from its events.
std::map<SDL_JoystickID, input::PadState> pads;

void on_pad_button(const SDL_ControllerButtonEvent &b) {
    input::PadState &s = pads[b.which];
    const bool down = b.type == SDL_CONTROLLERBUTTONDOWN;
    switch (b.button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP: s.up = down; break;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: s.down = down; break;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: s.left = down; break;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: s.right = down; break;
    case SDL_CONTROLLER_BUTTON_BACK: s.back = down; break;
    default: return;
    }
    input::pad(focused(), b.which, s);
}

void on_pad_axis(const SDL_ControllerAxisEvent &a) {
    input::PadState &s = pads[a.which];
    if (a.axis == SDL_CONTROLLER_AXIS_LEFTX)
        s.x = a.value / 32767.0;
    else if (a.axis == SDL_CONTROLLER_AXIS_LEFTY)
        s.y = a.value / 32767.0;
    else
        return;
    input::pad(focused(), a.which, s);
}

void on_key(const SDL_KeyboardEvent &k) {
    View *v = view_of(k.windowID);
    const SDL_Scancode sc = k.keysym.scancode;
    if (sc < 0 || sc >= SDL_NUM_SCANCODES) return;
    const bool down = k.type == SDL_KEYDOWN;
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
    UWORD code;
    if (raw_key(sc, code)) input::key(v, code, down, k.repeat, mods(k.keysym.mod));
}

void on_mouse(const SDL_Event &e) {
    if (e.type == SDL_MOUSEMOTION) {
        if (View *v = view_of(e.motion.windowID)) input::pointer_move(v, e.motion.x, e.motion.y, mods(SDL_GetModState()));
        return;
    }
    View *v = view_of(e.button.windowID);
    if (!v) return;
    input::Button b;
    switch (e.button.button) {
    case SDL_BUTTON_LEFT: b = input::Left; break;
    case SDL_BUTTON_MIDDLE: b = input::Middle; break;
    case SDL_BUTTON_RIGHT: b = input::Right; break;
    default: return;
    }
    input::pointer_button(v, b, e.type == SDL_MOUSEBUTTONDOWN, e.button.x, e.button.y, mods(SDL_GetModState()));
}

void on_window(const SDL_WindowEvent &e) {
    View *v = view_of(e.windowID);
    if (!v) return;
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE: input::close_box(v); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: SDL_GetWindowSize(shown(v)->win, &v->surface_w, &v->surface_h); [[fallthrough]];
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED: view_stale(v); break;
    default: break;
    }
}
} // namespace

void handle(const SDL_Event &e) {
    switch (e.type) {
    case SDL_QUIT: input::close_all(); break;
    case SDL_WINDOWEVENT: on_window(e.window); break;
    case SDL_RENDER_DEVICE_RESET:
        for (View *v : views()) {
            Shown *d = shown(v);
            if (!d->ren) continue;
            if (d->tex) SDL_DestroyTexture(d->tex);
            d->tex = nullptr;
            make_texture(v);
            view_stale(v);
        }
        break;
    case SDL_RENDER_TARGETS_RESET:
        for (View *v : views()) view_stale(v);
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

void input_reset() { pads.clear(); }
} // namespace sdl
} // namespace host
