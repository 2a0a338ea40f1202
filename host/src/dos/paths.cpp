// Names of paths: their parts, the program's directory and the PROGDIR:
// prefix. PROGDIR: is two layers,
// like a multi-directory assign: the player's data folder
// ($XDG_DATA_HOME/kwadron, by default ~/.local/share/kwadron) over the
// program's own folder. Names are found in the data folder first; a file is
// written beside the program only when this player can replace it there,
// else into the data folder, made (mode 0700) when first needed.
#include <strings.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "control/settings.h"
#include "dos/dos.h"
#include "host/control.h"

namespace host {
namespace dos {
std::string dir_of(const std::string &path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

void split_path(std::string path, std::string &dir, std::string &name) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const size_t slash = path.rfind('/');
    dir = dir_of(path);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace dos

namespace {
std::string &dir() {
    static std::string d = ".";
    return d;
}

std::string &data_dir() {
    static std::string d = settings().data_home.empty() ? "" : settings().data_home + "/kwadron";
    return d;
}

bool exists(const std::string &p) {
    struct stat st;
    return lstat(p.c_str(), &st) == 0;
}

} // namespace

// Makes the folder and its missing parents; the last one private.
bool dos::make_dirs(const std::string &path) {
    if (path.empty()) return false;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::string parent = dos::dir_of(path);
    if (parent != path && parent != "." && parent != "/" && !make_dirs(parent)) return false;
    return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

void set_progdir(const std::string &d) { dir() = d.empty() ? "." : d; }
const std::string &progdir() { return dir(); }
void set_datadir(const std::string &d) { data_dir() = d; }
const std::string &datadir() { return data_dir(); }

std::string resolve_path(const char *name, bool for_writing) {
    if (!name) return std::string();
    dos::data_folder_ready();
    static const char prefix[] = "PROGDIR:";
    const size_t n = sizeof prefix - 1;
    if (strncasecmp(name, prefix, n) != 0) return name;
    std::string rest = name + n;
    while (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    if (rest.empty()) return dir();
    const std::string beside = dir() + "/" + rest;
    if (data_dir().empty()) return beside;
    const std::string mine = data_dir() + "/" + rest;
    // What a read would find is what a write replaces.
    if (exists(mine)) return mine;
    if (!for_writing) return beside;
    // Beside the program when this player can replace the file there (a
    // folder shared by players may hold another's); else the data folder,
    // where the file can still be replaced whole. Only when that cannot be
    // made either is a writable file beside the program rewritten.
    if (dos::replaceable(beside)) return beside;
    if (dos::make_dirs(dos::dir_of(mine)) || !exists(beside)) return mine;
    return beside;
}
} // namespace host
