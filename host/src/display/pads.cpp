// The stick holds its arrow from half way out and lets it go back under a
// third, so that a stick resting near half way does not repeat the key.
#include "display/pads.h"

#include <array>
#include <map>

#include "amiga/rawkeycodes.h"
#include "control/trace.h"

namespace host {
namespace {
const UWORD codes[] = {RAWKEY_UP, RAWKEY_DOWN, RAWKEY_LEFT, RAWKEY_RIGHT, RAWKEY_ESCAPE};
std::map<int, std::array<bool, 5>> held; // each pad's keys down, in the order of codes
} // namespace

bool pad_update(int pad, const PadState &s, WindowRec *w) {
    std::array<bool, 5> &was = held[pad];
    const auto stick = [&](double toward, int k) { return toward > (was[size_t(k)] ? 1.0 / 3 : 0.5); };
    const std::array<bool, 5> now = {s.up || stick(-s.y, 0), s.down || stick(s.y, 1), s.left || stick(-s.x, 2),
                                     s.right || stick(s.x, 3), s.back};
    bool posted = false;
    for (size_t k = 0; k < now.size(); ++k) {
        if (now[k] == was[k] || !w) continue;
        if (now[k]) trace_key();
        post_input(w, IDCMP_RAWKEY, now[k] ? codes[k] : UWORD(codes[k] | IECODE_UP_PREFIX), w->MouseX, w->MouseY, 0);
        posted = true;
    }
    was = now;
    return posted;
}

void pads_reset() { held.clear(); }
} // namespace host
