// icon.library: the tool types of a file's icon.
#pragma once

#include "amiga/types.h"

constexpr UWORD WB_DISKMAGIC = 0xE310;
constexpr UWORD WB_DISKVERSION = 1;

constexpr UBYTE WBDISK = 1;
constexpr UBYTE WBDRAWER = 2;
constexpr UBYTE WBTOOL = 3;
constexpr UBYTE WBPROJECT = 4;

// An icon here is a text file "<name>.info" beside the file, one tool type
// per line; only the record fields below exist.
struct DiskObject {
    UWORD do_Magic;
    UWORD do_Version;
    UBYTE do_Type;
    STRPTR do_DefaultTool;
    STRPTR *do_ToolTypes; // NULL-terminated, or NULL when there are none
};

// Reads the icon of a file, or gives a default one.
struct DiskObject *GetDiskObjectNew(CONST_STRPTR name);
// Reads the icon of a file; NULL when it has none.
struct DiskObject *GetDiskObject(CONST_STRPTR name);
// Frees an icon from GetDiskObjectNew.
void FreeDiskObject(struct DiskObject *diskobj);
// Looks up a tool type's value.
STRPTR FindToolType(STRPTR *toolTypeArray, CONST_STRPTR typeName);
