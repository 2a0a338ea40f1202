// exec: libraries, memory pools, message ports, memory copies.
#pragma once

#include "amiga/types.h"

struct Node {
    struct Node *ln_Succ;
    struct Node *ln_Pred;
    UBYTE ln_Type;
    BYTE ln_Pri;
    char *ln_Name;
};

struct Library {
    struct Node lib_Node;
    UWORD lib_Version;
    UWORD lib_Revision;
    UWORD lib_OpenCnt;
};

struct Message {
    struct Node mn_Node;
    struct MsgPort *mn_ReplyPort;
    UWORD mn_Length;
};

// A port holds a singly linked queue of messages. mp_Owner is the host's own
// link to whatever fills the port (the window of a display), used by WaitPort.
struct MsgPort {
    struct Node mp_Node;
    struct Message *mp_Head;
    struct Message *mp_Tail;
    ULONG mp_Count;
    void *mp_Owner;
};

constexpr ULONG MEMF_ANY = 0;
constexpr ULONG MEMF_PUBLIC = 0x1;
constexpr ULONG MEMF_CHIP = 0x2;
constexpr ULONG MEMF_FAST = 0x4;
constexpr ULONG MEMF_CLEAR = 0x10000;
constexpr ULONG MEMF_SEM_PROTECTED = 0x100000;

// Opens a library of the host's table when it exists at the version asked
// for or later; null otherwise. The environment variable KWADRON_LIBS can
// withhold a library ("-cybergraphics.library") or lower its version
// ("intuition.library=35"), entries separated by commas or blanks.
struct Library *OpenLibrary(CONST_STRPTR name, ULONG version);
void CloseLibrary(struct Library *lib);

// Pools hand out zero-filled blocks whatever the flags; DeletePool frees
// every block still in the pool. Null when threshSize > puddleSize.
APTR CreatePool(ULONG requirements, ULONG puddleSize, ULONG threshSize);
void DeletePool(APTR pool);
// The block's size is remembered by the pool. Null for a null pool or when
// memory is exhausted.
APTR AllocVecPooled(APTR pool, ULONG size);
void FreeVecPooled(APTR pool, APTR memory);

// Copies size bytes; overlapping regions are handled like memmove.
void CopyMem(const void *source, void *dest, ULONG size);

// Sleeps until the port holds a message and returns it without removing it.
struct Message *WaitPort(struct MsgPort *port);
// Takes the first message off the port, null when it is empty.
struct Message *GetMsg(struct MsgPort *port);
void PutMsg(struct MsgPort *port, struct Message *msg);
