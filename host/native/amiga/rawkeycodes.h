// devices/rawkeycodes: the raw codes of the keys the program reads. A key's
// release is its code with IECODE_UP_PREFIX.
#pragma once

#include "amiga/types.h"

constexpr UWORD RAWKEY_ESCAPE = 0x45;
constexpr UWORD RAWKEY_UP = 0x4C;
constexpr UWORD RAWKEY_DOWN = 0x4D;
constexpr UWORD RAWKEY_RIGHT = 0x4E;
constexpr UWORD RAWKEY_LEFT = 0x4F;
