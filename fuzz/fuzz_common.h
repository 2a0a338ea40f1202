// What the fuzz targets share: quiet standard streams and a scratch folder.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzzing {

// Standard input reads nothing (a '?' line asks for a new one) and the
// game's messages go nowhere; libFuzzer reports on standard error.
inline void quiet_streams() {
    int null = open("/dev/null", O_RDWR);
    if (null < 0) return;
    dup2(null, 0);
    dup2(null, 1);
    close(null);
}

// A new folder, in memory (files are written per input), removed when the
// run ends normally; one that crashed stays for a look.
inline std::string scratch_dir(const char *name) {
    static std::string made;
    made = std::string("/dev/shm/") + name + "_XXXXXX";
    if (!mkdtemp(made.data())) abort();
    atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(made, ec);
    });
    return made;
}

inline void write_file(const std::string &path, const uint8_t *data, size_t size) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) abort();
    if (size && fwrite(data, 1, size, f) != size) abort();
    fclose(f);
}

// Stops the run with a message: a broken promise of the code under test.
[[noreturn]] inline void broken(const char *what) {
    fprintf(stderr, "fuzz: %s\n", what);
    abort();
}

} // namespace fuzzing
