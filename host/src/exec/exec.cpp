// exec: the library table with its open check, and message ports.
#include "amiga/exec.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "control/settings.h"
#include "exec/exec.h"
#include "host/control.h"
#include "control/trace.h"

namespace {

struct HostLibrary {
    const char *name;
    UWORD version;
    struct Library base;
    int opens;
    int present_version; // -1: withheld
};

// The libraries this host provides, at the versions of a current system.
HostLibrary libraries[] = {
    {"intuition.library", 50, {}, 0, 50},   {"graphics.library", 50, {}, 0, 50},
    {"gadtools.library", 50, {}, 0, 50},    {"datatypes.library", 50, {}, 0, 50},
    {"icon.library", 50, {}, 0, 50},        {"cybergraphics.library", 50, {}, 0, 50},
};

bool env_read = false;
void (*idle_hook)(MsgPort *) = nullptr;
// Calls are checked from the first OpenLibrary on: a program opens its
// libraries before anything else, while a test of one call needs none.
bool checking = false;

// KWADRON_LIBS: "-name" withholds a library, "name=N" sets its version.
void read_environment() {
    if (env_read) return;
    env_read = true;
    const std::string &s = host::settings().libs;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ',' || isspace(static_cast<unsigned char>(s[i])))) ++i;
        size_t j = i;
        while (j < s.size() && s[j] != ',' && !isspace(static_cast<unsigned char>(s[j]))) ++j;
        std::string item = s.substr(i, j - i);
        i = j;
        if (item.empty()) continue;
        bool withhold = item[0] == '-';
        if (withhold) item.erase(0, 1);
        int version = -1;
        size_t eq = item.find('=');
        if (eq != std::string::npos) {
            version = atoi(item.c_str() + eq + 1);
            item.resize(eq);
        }
        for (auto &l : libraries)
            if (item == l.name) l.present_version = withhold ? -1 : version < 0 ? l.version : version;
    }
}

HostLibrary *find(const char *name) {
    if (!name) return nullptr;
    for (auto &l : libraries)
        if (strcmp(l.name, name) == 0) return &l;
    return nullptr;
}

// Every stand-in checks its library at each call, by a name that is a
// string of the host's own: the names checked by last are known by their
// address, before any text is compared.
HostLibrary *find_checked(const char *name) {
    struct Checked {
        const char *name;
        HostLibrary *library;
    };
    static Checked checked[8];
    static unsigned next = 0, last = 0;
    if (!name) return nullptr;
    if (checked[last].name == name) return checked[last].library;
    for (unsigned i = 0; i < 8; ++i)
        if (checked[i].name == name) return checked[last = i].library;
    HostLibrary *l = find(name);
    if (l) checked[last = next++ % 8] = {name, l};
    return l;
}

} // namespace

// The base of a library of the table when present at version or later
// (KWADRON_LIBS can withhold or lower one); null otherwise or on a fault.
// From the first call on, stand-ins check that their library is open.
// Names are case-sensitive; a base has no function table.
struct Library *OpenLibrary(CONST_STRPTR name, ULONG version) {
    read_environment();
    HostLibrary *l = find(name);
    if (host::fault_hit("OpenLibrary") || !l || l->present_version < 0 ||
        static_cast<ULONG>(l->present_version) < version) {
        host::trace("OpenLibrary %s %u failed", name ? name : "(null)", unsigned(version));
        return nullptr;
    }
    l->base.lib_Version = static_cast<UWORD>(l->present_version);
    l->base.lib_Node.ln_Name = const_cast<char *>(l->name);
    ++l->opens;
    l->base.lib_OpenCnt = static_cast<UWORD>(l->opens);
    host::ledger_add("library", &l->base, l->name);
    checking = true;
    return &l->base;
}

// Drops one open; null does nothing, a base that is not open is a misuse.
void CloseLibrary(struct Library *lib) {
    if (!lib) return;
    for (auto &l : libraries)
        if (&l.base == lib) {
            if (l.opens <= 0 || !host::ledger_remove("library", lib)) {
                host::misuse("CloseLibrary of a library that is not open");
                return;
            }
            --l.opens;
            return;
        }
    host::misuse("CloseLibrary of an unknown base");
}

namespace host {
void library_check(const char *call, const char *library) {
    if (!checking) return;
    HostLibrary *l = find_checked(library);
    if (l && l->opens > 0) return;
    const std::string what = std::string(call) + " through " + library + ", which is not open";
    misuse(what.c_str());
}

void set_library_version(const char *name, int version) {
    read_environment();
    if (HostLibrary *l = find(name)) l->present_version = version;
}

void set_idle_hook(void (*idle)(MsgPort *)) { idle_hook = idle; }

void exec_reset() {
    idle_hook = nullptr;
    for (auto &l : libraries) {
        l.opens = 0;
        l.present_version = l.version;
    }
    env_read = false;
    checking = false;
}
} // namespace host

// Unlinks the first message; null for an empty or null port.
struct Message *GetMsg(struct MsgPort *port) {
    if (!port || !port->mp_Head) return nullptr;
    Message *m = port->mp_Head;
    port->mp_Head = reinterpret_cast<Message *>(m->mn_Node.ln_Succ);
    if (!port->mp_Head) port->mp_Tail = nullptr;
    --port->mp_Count;
    m->mn_Node.ln_Succ = nullptr;
    return m;
}

// Appends to the port's queue; no task is signalled, mn_ReplyPort untouched.
void PutMsg(struct MsgPort *port, struct Message *msg) {
    if (!port || !msg) return;
    msg->mn_Node.ln_Succ = nullptr;
    if (port->mp_Tail)
        port->mp_Tail->mn_Node.ln_Succ = &msg->mn_Node;
    else
        port->mp_Head = msg;
    port->mp_Tail = msg;
    ++port->mp_Count;
}

// The first message, left on the port. While the port is empty the idle
// hook runs: the display presents what was drawn and waits for input on the
// owning window. Without one nothing could fill the port: a misuse, null.
// No signals.
struct Message *WaitPort(struct MsgPort *port) {
    if (!port) return nullptr;
    while (!port->mp_Head) {
        if (!idle_hook) {
            host::misuse("WaitPort with nothing that can fill the port");
            return nullptr;
        }
        idle_hook(port);
    }
    return port->mp_Head;
}
