// The resource ledger: every handle the host gives out, until it is given
// back.
#include <cstdio>
#include <string>
#include <vector>

#include "host/control.h"

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
} // namespace

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

} // namespace host
