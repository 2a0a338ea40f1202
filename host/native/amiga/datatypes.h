// datatypes: picture objects decoded from any picture file.
#pragma once

#include "amiga/intuition.h"

typedef struct DTObject Object;
struct Requester;
struct GadgetInfo;

struct BitMapHeader {
    UWORD bmh_Width;
    UWORD bmh_Height;
    WORD bmh_Left;
    WORD bmh_Top;
    UBYTE bmh_Depth;
    UBYTE bmh_Masking;
    UBYTE bmh_Compression;
    UBYTE bmh_Pad;
    UWORD bmh_Transparent;
    UBYTE bmh_XAspect;
    UBYTE bmh_YAspect;
    WORD bmh_PageWidth;
    WORD bmh_PageHeight;
};

constexpr Tag DTA_GroupID = 0x8000101Fu;
constexpr ULONG GID_PICTURE = 0x70696374u;
constexpr Tag PDTA_ModeID = 0x800010C8u;
constexpr Tag PDTA_BitMapHeader = 0x800010C9u;
constexpr Tag PDTA_BitMap = 0x800010CAu;
constexpr Tag PDTA_ColorRegisters = 0x800010CBu;
constexpr Tag PDTA_CRegs = 0x800010CCu;
constexpr Tag PDTA_NumColors = 0x800010D1u;
constexpr Tag PDTA_Remap = 0x800010D3u;
constexpr Tag PDTA_Screen = 0x800010D4u;
constexpr Tag PDTA_DestBitMap = 0x800010D7u;
constexpr Tag PDTA_SourceMode = 0x800010FAu;
constexpr Tag PDTA_DestMode = 0x800010FBu;
constexpr ULONG PMODE_V42 = 0;
constexpr ULONG PMODE_V43 = 1;
constexpr ULONG DTM_PROCLAYOUT = 0x602;

// Makes a picture object from a file.
Object *NewDTObjectA(APTR name, const struct TagItem *tags);
template <class... A> Object *NewDTObject(APTR name, A... tags) {
    auto l = host::make_tags(tags...);
    return NewDTObjectA(name, l.items);
}
// Reads attributes of an object.
ULONG GetDTAttrsA(Object *o, const struct TagItem *tags);
template <class... A> ULONG GetDTAttrs(Object *o, A... tags) {
    auto l = host::make_tags(tags...);
    return GetDTAttrsA(o, l.items);
}
// Sets attributes of an object.
ULONG SetDTAttrsA(Object *o, struct Window *win, struct Requester *req, const struct TagItem *tags);
template <class... A> ULONG SetDTAttrs(Object *o, struct Window *win, struct Requester *req, A... tags) {
    auto l = host::make_tags(tags...);
    return SetDTAttrsA(o, win, req, l.items);
}
// Carries out a method on an object.
IPTR DoDTMethodA(Object *o, struct Window *win, struct Requester *req, const IPTR *msg, int words);
template <class... A> IPTR DoDTMethod(Object *o, struct Window *win, struct Requester *req, A... msg) {
    IPTR w[] = {host::tag_word(msg)...};
    return DoDTMethodA(o, win, req, w, static_cast<int>(sizeof...(A)));
}
// Frees an object from NewDTObjectA.
void DisposeDTObject(Object *o);
