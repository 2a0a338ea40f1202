// The program's directory and the PROGDIR: prefix.
#include <strings.h>

#include <string>

#include "amiga/host.h"

namespace host {
namespace {
std::string &dir() {
    static std::string d = ".";
    return d;
}
} // namespace

void set_progdir(const std::string &d) { dir() = d.empty() ? "." : d; }
const std::string &progdir() { return dir(); }

std::string resolve_path(const char *name) {
    if (!name) return std::string();
    static const char prefix[] = "PROGDIR:";
    const size_t n = sizeof prefix - 1;
    if (strncasecmp(name, prefix, n) != 0) return name;
    std::string rest = name + n;
    while (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    return rest.empty() ? dir() : dir() + "/" + rest;
}
} // namespace host
