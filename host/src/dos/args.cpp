// dos.library: the command-line parser (ReadArgs) and the recorded command
// line it reads.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "amiga/dos.h"
#include "host/control.h"
#include "amiga/startup.h"
#include "dos/dos.h"

namespace {

std::vector<std::string> g_words;

// Longest line parsed, from any source; longer ones give 120.
constexpr size_t kMaxLine = 1 << 20;

struct Item {
    std::string name; // upper case
    bool sw = false;  // /S: a switch; otherwise /K: a keyword with a value
};

// What one successful ReadArgs allocated; the slots point into it.
struct ArgStore {
    std::unique_ptr<RDArgs> own; // set when ReadArgs made the RDArgs itself
    std::vector<std::unique_ptr<char[]>> strings;
};

std::map<RDArgs *, std::unique_ptr<ArgStore>> &stores() {
    static std::map<RDArgs *, std::unique_ptr<ArgStore>> s;
    return s;
}

// RDArgs the caller gave to ReadArgs: FreeArgs on one holding nothing is fine.
std::set<RDArgs *> &given() {
    static std::set<RDArgs *> g;
    return g;
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string upper(std::string s) {
    for (char &c : s) c = upper(c);
    return s;
}

bool blank(char c) { return c == ' ' || c == '\t'; }

bool line_end(const std::string &s, size_t pos) { return pos >= s.size() || s[pos] == '\n' || s[pos] == '\0'; }

// Items separated by ',', each NAME/K (a keyword taking a value) or NAME/S
// (a switch), the modifier in any case. False for anything else.
bool parse_template(const char *tmpl, std::vector<Item> &items) {
    std::string t = tmpl;
    if (t.empty()) return true;
    size_t start = 0;
    for (;;) {
        size_t comma = t.find(',', start);
        std::string entry = t.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        size_t slash = entry.find('/');
        if (slash == 0 || slash == std::string::npos || slash + 2 != entry.size()) return false;
        char mod = upper(entry[slash + 1]);
        if (mod != 'K' && mod != 'S') return false;
        Item item;
        item.name = upper(entry.substr(0, slash));
        if (item.name.find('=') != std::string::npos) return false;
        item.sw = mod == 'S';
        items.push_back(std::move(item));
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

enum class Tok { End, Word, Quoted, Equal, Error };

// One item of the line: blanks separate items, '=' ends an unquoted word and
// is an item of its own, a ';' at the start of an item ends the line. A
// quoted word runs to the next '"' with the escapes ** *" *N *E (*x -> x).
Tok next_item(const std::string &s, size_t &pos, std::string &out) {
    out.clear();
    while (pos < s.size() && blank(s[pos])) ++pos;
    if (line_end(s, pos)) return Tok::End;
    char c = s[pos];
    if (c == ';') {
        pos = s.size();
        return Tok::End;
    }
    if (c == '=') {
        ++pos;
        return Tok::Equal;
    }
    if (c == '"') {
        ++pos;
        for (;;) {
            if (line_end(s, pos)) return Tok::Error;
            char q = s[pos++];
            if (q == '"') return Tok::Quoted;
            if (q == '*') {
                if (line_end(s, pos)) return Tok::Error;
                char e = s[pos++];
                if (e == 'N' || e == 'n') q = '\n';
                else if (e == 'E' || e == 'e') q = 0x1B;
                else q = e;
            }
            out += q;
        }
    }
    while (!line_end(s, pos) && !blank(s[pos]) && s[pos] != '=') out += s[pos++];
    return Tok::Word;
}

struct Parse {
    const std::vector<Item> &items;
    ArgStore &store;
    std::vector<IPTR> vals;
    std::vector<bool> filled;

    IPTR keep(const std::string &s) {
        auto p = std::make_unique<char[]>(s.size() + 1);
        memcpy(p.get(), s.c_str(), s.size() + 1);
        store.strings.push_back(std::move(p));
        return reinterpret_cast<IPTR>(store.strings.back().get());
    }
    // The item not yet given that the unquoted word names, or -1.
    int keyword(const std::string &word) const {
        std::string w = upper(word);
        for (size_t i = 0; i < items.size(); ++i)
            if (!filled[i] && items[i].name == w) return static_cast<int>(i);
        return -1;
    }

    // 0, or the error: a word that names no item still to be given is one
    // too many, a keyword needs a value (after an optional '='), a stray '='
    // is a bad template.
    LONG run(const std::string &line) {
        size_t pos = 0;
        std::string word;
        for (;;) {
            Tok t = next_item(line, pos, word);
            if (t == Tok::End) return 0;
            if (t == Tok::Error) return ERROR_UNMATCHED_QUOTES;
            if (t == Tok::Equal) return ERROR_BAD_TEMPLATE;
            int k = t == Tok::Word ? keyword(word) : -1;
            if (k < 0) return ERROR_TOO_MANY_ARGS;
            filled[k] = true;
            if (items[k].sw) {
                vals[k] = static_cast<IPTR>(static_cast<intptr_t>(DOSTRUE));
                continue;
            }
            Tok v = next_item(line, pos, word);
            if (v == Tok::Equal) v = next_item(line, pos, word);
            if (v == Tok::End) return ERROR_KEY_NEEDS_ARG;
            if (v == Tok::Error) return ERROR_UNMATCHED_QUOTES;
            if (v == Tok::Equal) return ERROR_BAD_TEMPLATE;
            vals[k] = keep(word);
        }
    }
};

// True when the line, blanks and the newline aside, is a lone '?'.
bool asks_for_help(const std::string &line) {
    size_t a = 0, b = line.size();
    while (a < b && (blank(line[a]) || line[a] == '\n')) ++a;
    while (b > a && (blank(line[b - 1]) || line[b - 1] == '\n')) --b;
    return b - a == 1 && line[a] == '?';
}

// Shows the template and reads the answer from Input(); an empty line at
// the end of input or on a read error, 120 past kMaxLine.
LONG prompt(const char *tmpl, std::string &line) {
    std::string ask = std::string(tmpl) + ": ";
    Write(Output(), ask.data(), static_cast<LONG>(ask.size()));
    fflush(stdout);
    line.clear();
    char buf[512];
    while (FGets(Input(), buf, sizeof buf)) {
        line += buf;
        if (!line.empty() && line.back() == '\n') break;
        if (line.size() > kMaxLine) return ERROR_LINE_TOO_LONG;
    }
    if (line.empty() || line.back() != '\n') line += '\n';
    return 0;
}

bool plain(const std::string &w) {
    if (w.empty() || w[0] == ';') return false;
    for (char c : w)
        if (blank(c) || c == '\n' || c == '"' || c == '=') return false;
    return true;
}

std::string quoted(const std::string &w) {
    std::string q = "\"";
    for (char c : w) {
        if (c == '*') q += "**";
        else if (c == '"') q += "*\"";
        else if (c == '\n') q += "*N";
        else q += c;
    }
    return q + "\"";
}

std::string value_word(const std::string &w) { return plain(w) ? w : quoted(w); }

} // namespace

namespace host {
void set_command_line(int argc, char **argv) {
    g_words.clear();
    for (int i = 1; argv && i < argc && argv[i]; ++i) g_words.emplace_back(argv[i]);
}

void set_command_line(const std::vector<std::string> &words) { g_words = words; }

std::string command_line() {
    std::string line;
    for (size_t i = 0; i < g_words.size(); ++i) {
        if (i) line += ' ';
        const std::string &w = g_words[i];
        size_t eq = w.find('=');
        if (eq != std::string::npos && eq > 0 && plain(w.substr(0, eq)))
            line += w.substr(0, eq + 1) + (eq + 1 < w.size() ? value_word(w.substr(eq + 1)) : "");
        else
            line += value_word(w);
    }
    return line + "\n";
}

void dos::args_reset() {
    for (auto &[rda, store] : stores()) ledger_remove("rdargs", rda);
    stores().clear();
    given().clear();
}
} // namespace host

// Parses the recorded command line, or rda->RDA_Source when the caller gives
// a buffer there, against the template; the slots of the items given are
// filled, all others keep their values. A lone '?' shows the template and parses a line read from Input()
// instead (not with RDAF_NOPROMPT); RDA_ExtHelp is not shown. On failure
// nothing in the array changes and IoErr holds 114, 117-120 or 103.
struct RDArgs *ReadArgs(CONST_STRPTR arg_template, IPTR *array, struct RDArgs *rda) {
    try {
        if (rda) given().insert(rda);
        if (host::fault_hit("ReadArgs")) {
            SetIoErr(ERROR_NO_FREE_STORE);
            return nullptr;
        }
        std::vector<Item> items;
        if (!arg_template || !parse_template(arg_template, items) || (!items.empty() && !array)) {
            SetIoErr(ERROR_BAD_TEMPLATE);
            return nullptr;
        }
        std::string line;
        const CSource *src = rda ? &rda->RDA_Source : nullptr;
        if (src && src->CS_Buffer && src->CS_Length > 0) {
            LONG from = src->CS_CurChr < 0 ? 0 : src->CS_CurChr;
            if (from < src->CS_Length) line.assign(src->CS_Buffer + from, static_cast<size_t>(src->CS_Length - from));
        } else {
            line = host::command_line();
        }
        if (line.size() > kMaxLine) {
            SetIoErr(ERROR_LINE_TOO_LONG);
            return nullptr;
        }
        if (asks_for_help(line) && !(rda && (rda->RDA_Flags & RDAF_NOPROMPT))) {
            if (LONG err = prompt(arg_template, line)) {
                SetIoErr(err);
                return nullptr;
            }
        }
        auto store = std::make_unique<ArgStore>();
        Parse p{items, *store, std::vector<IPTR>(array, array + items.size()), std::vector<bool>(items.size())};
        if (LONG err = p.run(line)) {
            SetIoErr(err);
            return nullptr;
        }
        if (!rda) {
            store->own = std::make_unique<RDArgs>();
            *store->own = RDArgs{};
            rda = store->own.get();
        }
        auto &all = stores();
        auto old = all.find(rda);
        if (old != all.end()) {
            // A handle given again without FreeArgs: the old values go.
            if (old->second->own) store->own = std::move(old->second->own);
            all.erase(old);
        } else {
            host::ledger_add("rdargs", rda);
        }
        std::copy(p.vals.begin(), p.vals.end(), array);
        all[rda] = std::move(store);
        return rda;
    } catch (const std::bad_alloc &) {
        SetIoErr(ERROR_NO_FREE_STORE);
        return nullptr;
    }
}

// Frees the strings, numbers and lists the slots point to, and the RDArgs
// when ReadArgs made it. FreeArgs(NULL), and FreeArgs on an RDArgs of the
// caller's own that holds nothing (after a failed ReadArgs), do nothing.
void FreeArgs(struct RDArgs *rda) {
    if (!rda) return;
    auto it = stores().find(rda);
    if (it == stores().end()) {
        if (given().count(rda)) return;
        host::misuse("FreeArgs: not an argument handle");
        return;
    }
    host::ledger_remove("rdargs", rda);
    stores().erase(it);
}
