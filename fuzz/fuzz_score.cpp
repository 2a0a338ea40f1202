// The score file: reading arbitrary content, and writing any value and
// reading it back.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/control.h"
#include "fuzz_common.h"
#include "rules/rules.h"

namespace {
std::string dir;

// The best score a file's content stands for: past a UTF-8 byte-order mark
// at the start and blanks of any lines, a decimal number with a sign read
// from at most nine bytes of its line; 0 when it does not begin within the
// first 512 bytes.
LONG expected(const uint8_t *data, size_t size) {
    size_t at = size >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    while (at < size && at < 512 && isspace(data[at])) ++at;
    if (at >= 512) return 0;
    std::string line(reinterpret_cast<const char *>(data) + at, std::min<size_t>(size - at, 9));
    return LONG(strtol(line.substr(0, line.find('\n')).c_str(), nullptr, 10));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzing::quiet_streams();
    dir = fuzzing::scratch_dir("kwadron_fuzz_score");
    host::set_progdir(dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string score = dir + "/score";
    fuzzing::write_file(score, data, size);
    High_Punkty = 4321;
    WczytajHighScore();
    if (High_Punkty != expected(data, size)) fuzzing::broken("the score read differs from the file");
    if (Plik != 0 || host::ledger_count() != 0) fuzzing::broken("the score file left open");

    // Any value written comes back whole (cut to nine characters on
    // reading), never below the one the file held.
    if (size >= 4) {
        LONG v;
        memcpy(&v, data, 4);
        High_Punkty = v;
        ZapiszHighScore();
        char want[16];
        snprintf(want, sizeof want, "%d\n", int(std::max(v, expected(data, size))));
        FILE *f = fopen(score.c_str(), "rb");
        char got[32] = {0};
        size_t n = f ? fread(got, 1, sizeof got - 1, f) : 0;
        if (f) fclose(f);
        if (n != strlen(want) || memcmp(got, want, n) != 0) fuzzing::broken("the score written is not one line");
        WczytajHighScore();
        if (High_Punkty != expected(reinterpret_cast<const uint8_t *>(want), strlen(want)))
            fuzzing::broken("the score written reads back wrong");
        if (host::ledger_count() != 0) fuzzing::broken("the score file left open after writing");
    }
    return 0;
}
