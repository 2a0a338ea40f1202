// Faults on demand, misuse reports and kill points.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "control/settings.h"
#include "host/control.h"

namespace host {
namespace {
std::map<std::string, int> &pending_faults() {
    static std::map<std::string, int> f;
    return f;
}
std::map<std::string, int> &calls() {
    static std::map<std::string, int> c;
    return c;
}
int misuses = 0;
// Debug builds stop at the first misuse unless told to go on.
bool fatal_by_default() {
#ifdef NDEBUG
    return false;
#else
    return !settings().misuse_continue;
#endif
}
bool misuse_fatal = fatal_by_default();
} // namespace

void fault_inject(const std::string &call, int nth) { pending_faults()[call] = nth < 1 ? 1 : nth; }

bool fault_hit(const char *call) {
    ++calls()[call];
    auto &f = pending_faults();
    auto it = f.find(call);
    if (it == f.end()) return false;
    if (--it->second > 0) return false;
    f.erase(it);
    return true;
}

int call_count(const std::string &call) {
    auto it = calls().find(call);
    return it == calls().end() ? 0 : it->second;
}

void faults_reset() {
    pending_faults().clear();
    calls().clear();
    misuse_fatal = fatal_by_default();
}

void kill_point(const char *step) {
    if (settings().kill_at == step) raise(SIGKILL);
}

void misuse(const char *what) {
    ++misuses;
    fprintf(stderr, "host: misuse: %s\n", what);
    if (misuse_fatal) abort();
}

void misuse_abort(bool on) { misuse_fatal = on; }

int misuse_count() { return misuses; }

} // namespace host
