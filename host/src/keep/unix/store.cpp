// The kept game on the desktop: the file "game" in the player's data folder,
// replaced whole; one set aside becomes "game.set-aside" beside it.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "dos/dos.h"
#include "host/control.h"
#include "keep/keep.h"

namespace host::keep {
namespace {
std::string path() { return datadir().empty() ? "" : datadir() + "/game"; }
} // namespace

bool store_load(std::string &bytes) {
    const std::string p = path();
    FILE *f = p.empty() ? nullptr : fopen(p.c_str(), "rb");
    if (!f) return false;
    char buf[65536];
    size_t n;
    bytes.clear();
    while ((n = fread(buf, 1, sizeof buf, f)) > 0 && bytes.size() <= max_bytes + 4096) bytes.append(buf, n);
    fclose(f);
    return true;
}

// Written beside it and renamed over it, so that a kill halfway leaves the
// one kept before.
bool store_save(const std::string &bytes) {
    const std::string p = path();
    if (p.empty() || !dos::make_dirs(datadir())) return false;
    std::string temp;
    const int fd = dos::create_temp(p, temp);
    if (fd < 0) return false;
    bool ok = write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) && dos::make_durable(fd);
    ok = close(fd) == 0 && ok && rename(temp.c_str(), p.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        fprintf(stderr, "kwadron: cannot keep the game in progress in %s: %s\n", p.c_str(), strerror(errno));
    }
    return ok;
}

void store_set_aside() {
    const std::string p = path();
    if (!p.empty()) rename(p.c_str(), (p + ".set-aside").c_str());
}

void store_drop() {
    const std::string p = path();
    if (!p.empty()) unlink(p.c_str());
}

void store_tell(const std::string &text) { fprintf(stderr, "kwadron: %s\n", text.c_str()); }

uint64_t store_run_id() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const uint64_t parts[] = {uint64_t(now.tv_sec), uint64_t(now.tv_nsec), uint64_t(getpid())};
    return hash(parts, sizeof parts);
}
} // namespace host::keep
