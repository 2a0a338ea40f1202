// datatypes: picture objects. The file is decoded when the object is made;
// laying it out for a screen gives the bitmap in that screen's pixel form.
#include "amiga/datatypes.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "amiga/dos.h"
#include "host/control.h"
#include "intuition/intuition.h"
#include "exec/exec.h"
#include "keep/keep.h"
#include "graphics/graphics.h"
#include "utility/tags.h"
#include "datatypes/picture.h"
#include "control/settings.h"

struct DTObject {
    host::Picture pic;
    BitMapHeader bmh{};
    std::vector<ULONG> cregs;
    std::vector<UBYTE> colour_registers;
    ULONG num_colors = 0;
    struct Screen *screen = nullptr;
    bool remap = true;
    LONG precision = PRECISION_IMAGE;
    BitMap *dest = nullptr;
};

namespace {
constexpr LONG DTERROR_UNKNOWN_DATATYPE = 2000;
constexpr LONG DTERROR_COULDNT_OPEN = 2002;
// Picture files larger than this are not read.
constexpr off_t max_file = off_t(256) << 20;

std::set<DTObject *> &objects() {
    static std::set<DTObject *> s;
    return s;
}

DTObject *live(Object *o, const char *call) {
    if (!o) return nullptr;
    if (!objects().count(o)) {
        host::misuse(call);
        return nullptr;
    }
    return o;
}

Object *refuse(LONG code, const std::string &path, const std::string &why) {
    SetIoErr(code);
    if (host::settings().debug) fprintf(stderr, "host: %s: %s\n", path.c_str(), why.c_str());
    return nullptr;
}

bool read_file(const std::string &path, std::vector<uint8_t> &data) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t buf[65536];
    size_t got;
    while ((got = fread(buf, 1, sizeof buf, f)) > 0) {
        if (data.size() + got > size_t(max_file)) {
            fclose(f);
            return false;
        }
        data.insert(data.end(), buf, buf + got);
    }
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

void apply(DTObject *o, const TagItem *tags) {
    if (host::has_tag(tags, PDTA_Screen))
        o->screen = reinterpret_cast<Screen *>(host::get_tag(tags, PDTA_Screen, 0));
    if (host::has_tag(tags, PDTA_Remap)) o->remap = host::get_tag(tags, PDTA_Remap, TRUE) != 0;
    if (host::has_tag(tags, OBP_Precision))
        o->precision = LONG(host::get_tag(tags, OBP_Precision, PRECISION_IMAGE));
}

// Header, colour table (3 x max(2^depth, colours) entries, zero beyond the
// file's colours) and colour count of a decoded picture. A true-colour
// picture has no colour table: 256 black entries stand in for it.
void describe(DTObject *o) {
    const host::Picture &p = o->pic;
    o->bmh.bmh_Width = UWORD(p.width);
    o->bmh.bmh_Height = UWORD(p.height);
    o->bmh.bmh_Depth = UBYTE(p.depth);
    o->bmh.bmh_XAspect = 1;
    o->bmh.bmh_YAspect = 1;
    o->bmh.bmh_PageWidth = WORD(std::min(p.width, 0x7FFF));
    o->bmh.bmh_PageHeight = WORD(std::min(p.height, 0x7FFF));
    size_t entries = 256;
    if (p.has_palette()) {
        entries = std::max<size_t>(size_t(1) << p.depth, size_t(p.colours));
        o->num_colors = ULONG(p.colours);
    }
    o->cregs.assign(3 * entries, 0);
    o->colour_registers.assign(3 * entries, 0);
    if (!p.has_palette()) return;
    size_t known = std::min<size_t>(size_t(p.colours), p.palette.size());
    for (size_t i = 0; i < known; ++i) {
        uint32_t c = p.palette[i];
        UBYTE rgb[3] = {UBYTE(c >> 16), UBYTE(c >> 8), UBYTE(c)};
        for (int k = 0; k < 3; ++k) {
            o->cregs[3 * i + k] = rgb[k] * 0x01010101u;
            o->colour_registers[3 * i + k] = rgb[k];
        }
    }
}
} // namespace

// Decodes the file (the name may start with PROGDIR:) into a picture
// object. Tags: DTA_GroupID (anything but GID_PICTURE is refused),
// PDTA_Screen, PDTA_Remap, OBP_Precision; PDTA_DestMode and others are
// taken as given: the object always keeps the picture's full depth. The
// format is recognised by content; there are no datatype descriptors. Null,
// with IoErr set, for a missing file or name (205), a directory (212), a file
// that cannot be read (2002), is over 256 MB or cannot be decoded (2000), or
// on a fault (103).
Object *NewDTObjectA(APTR name, const struct TagItem *tags) {
    host::library_check("NewDTObjectA", "datatypes.library");
    if (host::fault_hit("NewDTObject")) {
        SetIoErr(ERROR_NO_FREE_STORE);
        return nullptr;
    }
    if (!name) return refuse(ERROR_OBJECT_NOT_FOUND, "", "no name");
    if (host::get_tag(tags, DTA_GroupID, GID_PICTURE) != GID_PICTURE)
        return refuse(DTERROR_UNKNOWN_DATATYPE, "", "not a picture group");
    std::string path = host::resolve_path(static_cast<const char *>(name));
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return refuse(ERROR_OBJECT_NOT_FOUND, path, "missing");
    if (!S_ISREG(st.st_mode)) return refuse(ERROR_OBJECT_WRONG_TYPE, path, "not a file");
    if (st.st_size > max_file) return refuse(DTERROR_UNKNOWN_DATATYPE, path, "file too large");
    std::vector<uint8_t> data;
    if (!read_file(path, data)) return refuse(DTERROR_COULDNT_OPEN, path, "cannot read");
    host::keep::note_picture(data.data(), data.size());
    auto *o = new DTObject{};
    std::string why;
    if (!host::picture_decode(data.data(), data.size(), o->pic, &why)) {
        delete o;
        return refuse(DTERROR_UNKNOWN_DATATYPE, path, why);
    }
    describe(o);
    apply(o, tags);
    objects().insert(o);
    host::ledger_add("dtobject", o);
    host::trace("NewDTObject %s", static_cast<const char *>(name));
    return o;
}

// Each tag's data is the address of a variable: pointers are written as
// pointers, numbers as ULONG. Known: PDTA_BitMapHeader, PDTA_CRegs,
// PDTA_ColorRegisters, PDTA_NumColors, PDTA_DestBitMap (null before the
// layout), PDTA_Screen, DTA_GroupID; others and null addresses are skipped.
// Returns how many were answered, 0 for an object that does not exist
// (a misuse, as for the calls below).
ULONG GetDTAttrsA(Object *obj, const struct TagItem *tags) {
    host::library_check("GetDTAttrsA", "datatypes.library");
    DTObject *o = live(obj, "GetDTAttrs on an object that does not exist");
    if (!o) return 0;
    ULONG n = 0;
    for (const TagItem *t = tags; t && t->ti_Tag != TAG_DONE; ++t) {
        void *to = reinterpret_cast<void *>(t->ti_Data);
        if (!to) continue;
        switch (t->ti_Tag) {
        case PDTA_BitMapHeader: *static_cast<BitMapHeader **>(to) = &o->bmh; break;
        case PDTA_CRegs: *static_cast<ULONG **>(to) = o->cregs.data(); break;
        case PDTA_ColorRegisters: *static_cast<UBYTE **>(to) = o->colour_registers.data(); break;
        case PDTA_NumColors: *static_cast<ULONG *>(to) = o->num_colors; break;
        case PDTA_DestBitMap: *static_cast<BitMap **>(to) = o->dest; break;
        case PDTA_Screen: *static_cast<Screen **>(to) = o->screen; break;
        case DTA_GroupID: *static_cast<ULONG *>(to) = GID_PICTURE; break;
        default: continue;
        }
        ++n;
    }
    return n;
}

// PDTA_Screen, PDTA_Remap and OBP_Precision (kept; the nearest pen is always
// taken). They count at the next layout; the window and requester are not
// used. Returns how many were taken.
ULONG SetDTAttrsA(Object *obj, struct Window *, struct Requester *, const struct TagItem *tags) {
    host::library_check("SetDTAttrsA", "datatypes.library");
    DTObject *o = live(obj, "SetDTAttrs on an object that does not exist");
    if (!o) return 0;
    apply(o, tags);
    host::trace("SetDTAttrs remap=%d", o->remap ? 1 : 0);
    ULONG n = 0;
    for (const TagItem *t = tags; t && t->ti_Tag != TAG_DONE; ++t)
        n += t->ti_Tag == PDTA_Screen || t->ti_Tag == PDTA_Remap || t->ti_Tag == OBP_Precision;
    return n;
}

// msg[0] is the method id, the other words its message. DTM_PROCLAYOUT
// only: makes PDTA_DestBitMap (replacing any earlier one) in the form of
// PDTA_Screen. On a true-colour screen it holds the picture's colours; on a
// palette screen it holds pens: the picture's own indices when Remap is off
// (for a palette picture), else each colour's nearest pen of the screen.
// Without a screen (or with one not open, a misuse) the picture keeps its own
// form. Alpha is dropped. Non-zero when the bitmap exists; other methods: 0.
IPTR DoDTMethodA(Object *obj, struct Window *, struct Requester *, const IPTR *msg, int words) {
    host::library_check("DoDTMethodA", "datatypes.library");
    DTObject *o = live(obj, "DoDTMethod on an object that does not exist");
    if (!o || !msg || words < 1 || msg[0] != DTM_PROCLAYOUT) return 0;
    host::LayoutTarget t;
    host::ScreenRec *s = host::screen_rec(o->screen);
    if (o->screen && !s) host::misuse("PDTA_Screen is not an open screen");
    if (s && s->bitmap && host::rec(s->bitmap)->BytesPerPixel == 1) {
        t = {false, s->bitmap->Depth, &s->colors, o->remap};
    } else if (!s && o->pic.has_palette()) {
        t = {false, o->pic.depth, nullptr, false};
    }
    host::bitmap_destroy(o->dest, false);
    o->dest = host::picture_layout(o->pic, t);
    return o->dest ? 1 : 0;
}

// Frees the object with its header, colour tables and bitmap; null does
// nothing.
void DisposeDTObject(Object *obj) {
    host::library_check("DisposeDTObject", "datatypes.library");
    DTObject *o = live(obj, "DisposeDTObject of an object that does not exist");
    if (!o) return;
    objects().erase(o);
    host::ledger_remove("dtobject", o);
    host::bitmap_destroy(o->dest, false);
    delete o;
}

namespace host {
// Frees every picture object still held.
void datatypes_reset() {
    for (DTObject *o : objects()) {
        bitmap_destroy(o->dest, false);
        delete o;
    }
    objects().clear();
}
} // namespace host
