// Writing a file whole: the new content goes to a temporary beside its
// target first.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

#include "amiga/dos.h"
#include "dos/dos.h"

namespace host::dos {
namespace {
// Whether name is ".<base>.<pid>.<n>.<n>.tmp", a temporary of create_temp;
// its pid then goes to *pid.
bool temp_of(const std::string &name, const std::string &base, long *pid) {
    const std::string head = "." + base + ".";
    if (name.size() <= head.size() + 4 || name.compare(0, head.size(), head) != 0 ||
        name.compare(name.size() - 4, 4, ".tmp") != 0)
        return false;
    const std::string mid = name.substr(head.size(), name.size() - head.size() - 4);
    int dots = 0;
    for (char c : mid) {
        if (c == '.')
            ++dots;
        else if (c < '0' || c > '9')
            return false;
    }
    if (dots != 2 || mid.front() == '.' || mid.back() == '.' || mid.find("..") != std::string::npos) return false;
    *pid = strtol(mid.c_str(), nullptr, 10);
    return *pid > 0;
}

// Removes temporaries that a process killed while writing left beside the
// target; those of processes still running are theirs.
void remove_stale_temps(const std::string &dir, const std::string &base) {
    DIR *d = opendir(dir.c_str());
    if (!d) return;
    while (struct dirent *e = readdir(d)) {
        long pid = 0;
        if (!temp_of(e->d_name, base, &pid)) continue;
        if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        const std::string path = dir + "/" + e->d_name;
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(path.c_str());
    }
    closedir(d);
}

} // namespace

bool replaceable(std::string path) {
    struct stat st, folder;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char *real = realpath(path.c_str(), nullptr)) {
            path = real;
            free(real);
        }
    }
    const std::string dir = dir_of(path);
    if (access(dir.c_str(), W_OK | X_OK) != 0 || stat(dir.c_str(), &folder) != 0) return false;
    if (stat(path.c_str(), &st) != 0) return true;
    if (access(path.c_str(), W_OK) != 0) return false;
    // In a sticky folder (like /tmp) only the file's owner, the folder's or
    // root may rename over it.
    const uid_t me = geteuid();
    return !(folder.st_mode & S_ISVTX) || me == 0 || st.st_uid == me || folder.st_uid == me;
}

// Creates a new, unique file beside target (O_EXCL); its descriptor or -1.
int create_temp(const std::string &target, std::string &temp) {
    std::string dir, base;
    split_path(target, dir, base);
    if (base.size() > 200) base.resize(200); // room for the suffix within NAME_MAX
    remove_stale_temps(dir, base);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Not rand(): the program's own random sequence must stay its own.
        struct timespec ts;
        clock_gettime(CLOCK_REALTIME, &ts);
        char suffix[64];
        snprintf(suffix, sizeof suffix, ".%ld.%u.%ld", static_cast<long>(getpid()), ++counter,
                 static_cast<long>(ts.tv_nsec));
        temp = dir + "/." + base + suffix + ".tmp";
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

} // namespace host::dos
