// Resource ledger, faults on demand and misuse reports of the host.
#include <signal.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/control.h"
#include "control/settings.h"

namespace host {
namespace {
struct Entry {
    std::string kind;
    const void *handle;
    std::string label;
};
std::vector<Entry> &entries() {
    static std::vector<Entry> e;
    return e;
}
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
bool tracing = !settings().call_trace.empty();
std::vector<std::string> &trace_store() {
    static std::vector<std::string> t;
    return t;
}
} // namespace

void trace_enable(bool on) { tracing = on; }
void trace(const char *fmt, ...) {
    if (!tracing) return;
    char buf[256];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    trace_store().push_back(buf);
}
const std::vector<std::string> &trace_log() { return trace_store(); }
void trace_clear() { trace_store().clear(); }

void ledger_add(const char *kind, const void *handle, const char *label) {
    entries().push_back({kind, handle, label ? label : ""});
}

bool ledger_remove(const char *kind, const void *handle) {
    auto &e = entries();
    for (auto it = e.begin(); it != e.end(); ++it)
        if (it->handle == handle && it->kind == kind) {
            if (it->label.empty())
                trace("release %s", kind);
            else
                trace("release %s %s", kind, it->label.c_str());
            e.erase(it);
            return true;
        }
    return false;
}

size_t ledger_count(const char *kind) {
    if (!kind) return entries().size();
    size_t n = 0;
    for (auto &x : entries()) n += x.kind == kind;
    return n;
}

std::vector<std::string> ledger_open() {
    std::vector<std::string> out;
    for (auto &x : entries()) {
        char buf[64];
        snprintf(buf, sizeof buf, " %p", x.handle);
        out.push_back(x.kind + buf + (x.label.empty() ? "" : " " + x.label));
    }
    return out;
}

void ledger_clear() { entries().clear(); }

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
