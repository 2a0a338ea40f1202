// icon.library: icons as small text files of tool types.
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "amiga/dos.h"
#include "host/control.h"
#include "exec/exec.h"
#include "amiga/icon.h"

namespace {

// Bytes of an icon file looked at; the rest is ignored.
constexpr size_t kMaxIcon = 256 * 1024;

struct IconStore {
    DiskObject dobj{};
    std::vector<std::unique_ptr<char[]>> texts;
    std::vector<STRPTR> tool_types; // NULL-terminated when not empty
};

std::map<DiskObject *, std::unique_ptr<IconStore>> &icons() {
    static std::map<DiskObject *, std::unique_ptr<IconStore>> i;
    return i;
}

bool blank(char c) { return c == ' ' || c == '\t'; }

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The whole icon file through dos (so PROGDIR: names work), up to kMaxIcon
// bytes; false when it cannot be opened.
bool read_icon(const std::string &name, std::string &out) {
    BPTR fh = Open(name.c_str(), MODE_OLDFILE);
    if (!fh) return false;
    char buf[4096];
    LONG n;
    while (out.size() < kMaxIcon && (n = Read(fh, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    Close(fh);
    if (out.size() > kMaxIcon) out.resize(kMaxIcon);
    return true;
}

// One tool type per line, blanks at either end dropped; empty lines and
// lines beginning with '#' skipped. A NUL byte ends its entry early.
void parse_icon(const std::string &text, IconStore &icon) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) nl = text.size();
        size_t a = pos, b = nl;
        pos = nl + 1;
        while (a < b && (blank(text[a]) || text[a] == '\r')) ++a;
        while (b > a && (blank(text[b - 1]) || text[b - 1] == '\r')) --b;
        if (a == b || text[a] == '#') continue;
        auto entry = std::make_unique<char[]>(b - a + 1);
        memcpy(entry.get(), text.data() + a, b - a);
        entry[b - a] = '\0';
        icon.tool_types.push_back(entry.get());
        icon.texts.push_back(std::move(entry));
    }
    if (!icon.tool_types.empty()) icon.tool_types.push_back(nullptr);
}

} // namespace

namespace host {
// Frees every icon still held.
void icon_reset() {
    for (auto &[d, icon] : icons()) ledger_remove("diskobject", d);
    icons().clear();
}
} // namespace host

namespace {
// The icon of the file, read from name + ".info"; without one, a default
// project icon when default_one is set, else null (IoErr 205).
DiskObject *get_icon(CONST_STRPTR name, bool default_one) {
    try {
        auto icon = std::make_unique<IconStore>();
        icon->dobj.do_Magic = WB_DISKMAGIC;
        icon->dobj.do_Version = WB_DISKVERSION;
        icon->dobj.do_Type = WBPROJECT;
        std::string text;
        if (name && read_icon(std::string(name) + ".info", text)) {
            parse_icon(text, *icon);
            if (!icon->tool_types.empty()) icon->dobj.do_ToolTypes = icon->tool_types.data();
        } else if (!default_one) {
            SetIoErr(ERROR_OBJECT_NOT_FOUND);
            return nullptr;
        }
        DiskObject *d = &icon->dobj;
        icons()[d] = std::move(icon);
        host::ledger_add("diskobject", d);
        return d;
    } catch (const std::bad_alloc &) {
        SetIoErr(ERROR_NO_FREE_STORE);
        return nullptr;
    }
}
} // namespace

// Reads name + ".info" (a dos name: PROGDIR: works, relative names start
// from the current directory). Without a readable file, and for a NULL name,
// the result is a default project icon with no tool types. Of the native
// icon only the tool types exist; no images, positions or drawer data. NULL,
// with IoErr ERROR_NO_FREE_STORE, only when memory runs out or on a fault.
struct DiskObject *GetDiskObjectNew(CONST_STRPTR name) {
    host::library_check("GetDiskObjectNew", "icon.library");
    if (host::fault_hit("GetDiskObjectNew")) {
        SetIoErr(ERROR_NO_FREE_STORE);
        return nullptr;
    }
    return get_icon(name, true);
}

// As GetDiskObjectNew, but NULL (IoErr 205) when the file has no icon of its
// own.
struct DiskObject *GetDiskObject(CONST_STRPTR name) {
    host::library_check("GetDiskObject", "icon.library");
    if (host::fault_hit("GetDiskObject")) {
        SetIoErr(ERROR_NO_FREE_STORE);
        return nullptr;
    }
    return get_icon(name, false);
}

// Frees an icon from GetDiskObjectNew; its tool type texts go with it.
// FreeDiskObject(NULL) does nothing.
void FreeDiskObject(struct DiskObject *diskobj) {
    host::library_check("FreeDiskObject", "icon.library");
    if (!diskobj) return;
    auto it = icons().find(diskobj);
    if (it == icons().end()) {
        host::misuse("FreeDiskObject: not an icon");
        return;
    }
    host::ledger_remove("diskobject", diskobj);
    icons().erase(it);
}

// Finds the entry whose name is typeName (ASCII letters in any case) and
// returns a pointer into it just past the '=' and any blanks around it, or
// to its end ("") when the entry is the bare name. An entry such as
// "(NAME=x)" does not begin with the name and is not found. NULL when no
// entry matches or the array is NULL. Values are never taken for names.
STRPTR FindToolType(STRPTR *toolTypeArray, CONST_STRPTR typeName) {
    host::library_check("FindToolType", "icon.library");
    if (!toolTypeArray || !typeName || !*typeName) return nullptr;
    size_t n = strlen(typeName);
    for (STRPTR *tt = toolTypeArray; *tt; ++tt) {
        char *e = *tt;
        size_t i = 0;
        while (i < n && e[i] && upper(e[i]) == upper(typeName[i])) ++i;
        if (i < n) continue;
        char *p = e + n;
        while (blank(*p)) ++p;
        if (*p == '\0') return p;
        if (*p != '=') continue;
        ++p;
        while (blank(*p)) ++p;
        return p;
    }
    return nullptr;
}
