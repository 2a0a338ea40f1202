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

// A port holds a singly linked queue of messages.
struct MsgPort {
    struct Node mp_Node;
    struct Message *mp_Head;
    struct Message *mp_Tail;
    ULONG mp_Count;
};

constexpr ULONG MEMF_ANY = 0;
constexpr ULONG MEMF_PUBLIC = 0x1;
constexpr ULONG MEMF_CHIP = 0x2;
constexpr ULONG MEMF_FAST = 0x4;
constexpr ULONG MEMF_CLEAR = 0x10000;
constexpr ULONG MEMF_SEM_PROTECTED = 0x100000;

// Opens a library of the host's table at a least version.
struct Library *OpenLibrary(CONST_STRPTR name, ULONG version);
// Closes a library opened by OpenLibrary.
void CloseLibrary(struct Library *lib);

// Makes a memory pool.
APTR CreatePool(ULONG requirements, ULONG puddleSize, ULONG threshSize);
// Frees a pool with every block still in it.
void DeletePool(APTR pool);
// A block from a pool; the pool remembers its size.
APTR AllocVecPooled(APTR pool, ULONG size);
// Gives a block back to its pool.
void FreeVecPooled(APTR pool, APTR memory);

// Copies bytes between memory regions.
void CopyMem(const void *source, void *dest, ULONG size);

// Waits for a message on the port.
struct Message *WaitPort(struct MsgPort *port);
// Takes the first message off the port.
struct Message *GetMsg(struct MsgPort *port);
// Queues a message on the port.
void PutMsg(struct MsgPort *port, struct Message *msg);
