// The kept game in the browser: in the page's localStorage, which is
// written at once, so that a tab discarded while hidden has left it there
// (the page's side: web/page/storage.js).
#include <emscripten.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "emscripten/page.h"
#include "keep/keep.h"

namespace host::keep {
bool store_load(std::string &bytes) {
    uint8_t *data = nullptr;
    const int size = kw_game_load(&data);
    if (size < 0) return false;
    bytes.assign(reinterpret_cast<const char *>(data), size_t(size));
    free(data);
    return true;
}

bool store_save(const std::string &bytes) {
    return kw_game_save(reinterpret_cast<const uint8_t *>(bytes.data()), int(bytes.size())) != 0;
}

void store_set_aside() { kw_game_set_aside(); }
void store_drop() { kw_game_drop(); }

void store_tell(const std::string &text) {
    fprintf(stderr, "kwadron: %s\n", text.c_str());
    std::string told = text;
    if (!told.empty()) told[0] = char(toupper(static_cast<unsigned char>(told[0])));
    kw_tell(told.c_str());
}

uint64_t store_run_id() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const double parts[] = {double(now.tv_sec), emscripten_get_now(), emscripten_random(), emscripten_random()};
    return hash(parts, sizeof parts);
}
} // namespace host::keep
