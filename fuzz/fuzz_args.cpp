// The argument parser with the game's template on arbitrary lines, given as
// the parser's own source buffer and as recorded command-line words.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "amiga/dos.h"
#include "host/control.h"
#include "amiga/startup.h"
#include "fuzz_common.h"

namespace {
const char Szablon[] = "SKIN/K,SCREEN/S";
const char Domyslna[] = "progdir:grafika_aga";

// One parse: the slots are either untouched or hold a string and a switch.
void parse(struct RDArgs *own) {
    IPTR slots[2] = {reinterpret_cast<IPTR>(Domyslna), 0};
    struct RDArgs *rda = ReadArgs(Szablon, slots, own);
    if (!rda) {
        const LONG e = IoErr();
        if (e != ERROR_BAD_TEMPLATE && (e < ERROR_KEY_NEEDS_ARG || e > ERROR_LINE_TOO_LONG) && e != ERROR_NO_FREE_STORE)
            fuzzing::broken("ReadArgs failed with an unknown code");
        if (slots[0] != reinterpret_cast<IPTR>(Domyslna) || slots[1] != 0)
            fuzzing::broken("a failed ReadArgs changed the slots");
    } else {
        if (slots[1] != 0 && slots[1] != IPTR(intptr_t(DOSTRUE))) fuzzing::broken("SCREEN neither 0 nor -1");
        if (!slots[0]) fuzzing::broken("SKIN lost its value");
        volatile size_t n = strlen(reinterpret_cast<const char *>(slots[0])); // within the parser's memory
        (void)n;
        FreeArgs(rda);
    }
    if (own) FreeArgs(own);
    if (host::ledger_count() != 0) fuzzing::broken("an argument handle left open");
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzing::quiet_streams();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > 8192) return 0; // longer lines are the unit tests' business
    std::string line(reinterpret_cast<const char *>(data), size);

    // The line as the parser's source, with or without the prompt.
    struct RDArgs own {};
    own.RDA_Source.CS_Buffer = line.data();
    own.RDA_Source.CS_Length = LONG(line.size());
    own.RDA_Flags = size && (data[0] & 1) ? RDAF_NOPROMPT : 0;
    parse(&own);

    // The same bytes as shell words, split at NUL bytes and quoted by the
    // start-up code.
    std::vector<std::string> words;
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i)
        if (i == size || data[i] == 0) {
            if (i > start) words.emplace_back(line.substr(start, i - start));
            start = i + 1;
        }
    host::set_command_line(words);
    parse(nullptr);
    host::dos_reset();
    return 0;
}
