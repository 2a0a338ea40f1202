// devices/inputevent: the codes and qualifiers of input events.
#pragma once

#include "amiga/types.h"

// A key's or button's release: its press code with this bit.
constexpr UWORD IECODE_UP_PREFIX = 0x80;
constexpr UWORD IECODE_LBUTTON = 0x68;
constexpr UWORD IECODE_RBUTTON = 0x69;
constexpr UWORD IECODE_MBUTTON = 0x6A;
constexpr UWORD IECODE_NOBUTTON = 0xFF;

constexpr UWORD IEQUALIFIER_LSHIFT = 0x0001;
constexpr UWORD IEQUALIFIER_RSHIFT = 0x0002;
constexpr UWORD IEQUALIFIER_CAPSLOCK = 0x0004;
constexpr UWORD IEQUALIFIER_CONTROL = 0x0008;
constexpr UWORD IEQUALIFIER_LALT = 0x0010;
constexpr UWORD IEQUALIFIER_RALT = 0x0020;
constexpr UWORD IEQUALIFIER_LCOMMAND = 0x0040;
constexpr UWORD IEQUALIFIER_RCOMMAND = 0x0080;
constexpr UWORD IEQUALIFIER_REPEAT = 0x0200;
constexpr UWORD IEQUALIFIER_MIDBUTTON = 0x1000;
constexpr UWORD IEQUALIFIER_RBUTTON = 0x2000;
constexpr UWORD IEQUALIFIER_LEFTBUTTON = 0x4000;
