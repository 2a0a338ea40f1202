// intuition: screens, windows, input messages and text.
#pragma once

#include "amiga/exec.h"
#include "amiga/graphics.h"
#include "amiga/inputevent.h"

struct Screen {
    struct Screen *NextScreen;
    WORD LeftEdge, TopEdge;
    WORD Width, Height;
    struct ViewPort ViewPort;
    struct RastPort RastPort;
};

struct Window {
    struct Window *NextWindow;
    WORD LeftEdge, TopEdge;
    WORD Width, Height;
    WORD MouseY, MouseX;
    ULONG Flags;
    STRPTR Title;
    struct Screen *WScreen;
    struct RastPort *RPort;
    BYTE BorderLeft, BorderTop, BorderRight, BorderBottom;
    struct MsgPort *UserPort;
    ULONG IDCMPFlags;
};

struct IntuiMessage {
    struct Message ExecMessage;
    ULONG Class;
    UWORD Code;
    UWORD Qualifier;
    APTR IAddress;
    WORD MouseX, MouseY;
    ULONG Seconds, Micros;
    struct Window *IDCMPWindow;
    struct IntuiMessage *SpecialLink;
};

struct TextAttr {
    CONST_STRPTR ta_Name;
    UWORD ta_YSize;
    UBYTE ta_Style;
    UBYTE ta_Flags;
};

struct IntuiText {
    UBYTE FrontPen, BackPen;
    UBYTE DrawMode;
    WORD LeftEdge;
    WORD TopEdge;
    struct TextAttr *ITextFont;
    UBYTE *IText;
    struct IntuiText *NextText;
};

struct NewScreen;
struct NewWindow;

constexpr UBYTE FS_NORMAL = 0;
constexpr UBYTE FPF_ROMFONT = 0x01;
constexpr UBYTE FPF_DISKFONT = 0x02;

// Message classes.
constexpr ULONG IDCMP_NEWSIZE = 0x2;
constexpr ULONG IDCMP_REFRESHWINDOW = 0x4;
constexpr ULONG IDCMP_MOUSEBUTTONS = 0x8;
constexpr ULONG IDCMP_MOUSEMOVE = 0x10;
constexpr ULONG IDCMP_CLOSEWINDOW = 0x200;
constexpr ULONG IDCMP_RAWKEY = 0x400;
constexpr ULONG IDCMP_ACTIVEWINDOW = 0x40000;
constexpr ULONG IDCMP_INACTIVEWINDOW = 0x80000;

// Mouse button codes.
constexpr UWORD SELECTDOWN = IECODE_LBUTTON;
constexpr UWORD SELECTUP = IECODE_LBUTTON | IECODE_UP_PREFIX;
constexpr UWORD MENUDOWN = IECODE_RBUTTON;
constexpr UWORD MENUUP = IECODE_RBUTTON | IECODE_UP_PREFIX;
constexpr UWORD MIDDLEDOWN = IECODE_MBUTTON;
constexpr UWORD MIDDLEUP = IECODE_MBUTTON | IECODE_UP_PREFIX;

constexpr ULONG WFLG_RMBTRAP = 0x10000;

constexpr Tag WA_Left = 0x80000064u;
constexpr Tag WA_Top = 0x80000065u;
constexpr Tag WA_Width = 0x80000066u;
constexpr Tag WA_Height = 0x80000067u;
constexpr Tag WA_IDCMP = 0x8000006Au;
constexpr Tag WA_Flags = 0x8000006Bu;
constexpr Tag WA_Title = 0x8000006Eu;
constexpr Tag WA_CustomScreen = 0x80000070u;
constexpr Tag WA_InnerWidth = 0x80000076u;
constexpr Tag WA_InnerHeight = 0x80000077u;
constexpr Tag WA_PubScreen = 0x80000079u;
constexpr Tag WA_BackFill = 0x8000007Fu;
constexpr Tag WA_DepthGadget = 0x80000083u;
constexpr Tag WA_CloseGadget = 0x80000084u;
constexpr Tag WA_Backdrop = 0x80000085u;
constexpr Tag WA_NoCareRefresh = 0x80000087u;
constexpr Tag WA_Activate = 0x80000089u;
constexpr Tag WA_RMBTrap = 0x8000008Au;

constexpr Tag SA_Width = 0x80000023u;
constexpr Tag SA_Height = 0x80000024u;
constexpr Tag SA_Depth = 0x80000025u;
constexpr Tag SA_DisplayID = 0x80000032u;
constexpr Tag SA_Quiet = 0x80000038u;

constexpr ULONG INVALID_ID = 0xFFFFFFFFu;
constexpr ULONG PAL_MONITOR_ID = 0x00021000u;
constexpr ULONG LORES_KEY = 0x00000000u;

// Opens a screen of the program's own.
struct Screen *OpenScreenTagList(const struct NewScreen *ns, const struct TagItem *tags);
template <class... A> struct Screen *OpenScreenTags(const struct NewScreen *ns, A... tags) {
    auto l = host::make_tags(tags...);
    return OpenScreenTagList(ns, l.items);
}
// Closes a screen from OpenScreenTagList.
void CloseScreen(struct Screen *screen);

// Locks the default public screen.
struct Screen *LockPubScreen(CONST_STRPTR name);
// Drops a lock from LockPubScreen.
void UnlockPubScreen(CONST_STRPTR name, struct Screen *screen);

// Opens a window on a screen.
struct Window *OpenWindowTagList(const struct NewWindow *nw, const struct TagItem *tags);
template <class... A> struct Window *OpenWindowTags(const struct NewWindow *nw, A... tags) {
    auto l = host::make_tags(tags...);
    return OpenWindowTagList(nw, l.items);
}
// Closes a window from OpenWindowTagList.
void CloseWindow(struct Window *window);

// Draws a chain of texts.
void PrintIText(struct RastPort *rp, const struct IntuiText *itext, LONG left, LONG top);
// Width in pixels of a text.
LONG IntuiTextLength(const struct IntuiText *itext);
