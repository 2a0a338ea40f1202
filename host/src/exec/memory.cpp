// exec: memory pools, the host's own allocator and memory copies.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "amiga/exec.h"
#include "exec/exec.h"
#include "host/control.h"

namespace {
struct Pool {
    std::vector<void *> blocks;
};
} // namespace

namespace host {
#ifdef __EMSCRIPTEN__
// The module's memory is zero where malloc has never been, above the break
// it had before (its heap only grows): only the part of a block below that
// is cleared. A picture's bitmaps, the first time, are not written twice.
void *zalloc(size_t size) {
    char *const fresh = static_cast<char *>(sbrk(0));
    char *p = static_cast<char *>(malloc(size ? size : 1));
    if (p && p < fresh) memset(p, 0, std::min(size, size_t(fresh - p)));
    return p;
}
#else
void *zalloc(size_t size) {
    constexpr size_t huge = size_t(2) << 20;
    if (size < huge / 2) return calloc(1, size ? size : 1);
    void *p = nullptr;
    if (posix_memalign(&p, huge, size) != 0) return nullptr;
    madvise(p, (size + huge - 1) & ~(huge - 1), MADV_HUGEPAGE);
    memset(p, 0, size);
    return p;
}
#endif
} // namespace host

// A pool of separate zero-filled blocks, whatever the requirements; null
// when threshSize > puddleSize or on a fault. No semaphore guards it.
APTR CreatePool(ULONG, ULONG puddleSize, ULONG threshSize) {
    if (threshSize > puddleSize) return nullptr;
    if (host::fault_hit("CreatePool")) return nullptr;
    Pool *p = new (std::nothrow) Pool;
    if (p) host::ledger_add("pool", p);
    host::trace("CreatePool");
    return p;
}

// Frees the pool and its blocks; null does nothing, a foreign pool is a misuse.
void DeletePool(APTR pool) {
    if (!pool) return;
    if (!host::ledger_remove("pool", pool)) {
        host::misuse("DeletePool of an unknown pool");
        return;
    }
    Pool *p = static_cast<Pool *>(pool);
    for (void *b : p->blocks) free(b);
    delete p;
}

// A zero-filled block whose size the pool remembers; null for a null pool,
// on a fault or when memory runs out.
APTR AllocVecPooled(APTR pool, ULONG size) {
    if (!pool) return nullptr;
    if (host::fault_hit("AllocVecPooled")) return nullptr;
    Pool *p = static_cast<Pool *>(pool);
    void *b = host::zalloc(size);
    if (!b) return nullptr;
    try {
        p->blocks.push_back(b);
    } catch (const std::bad_alloc &) {
        free(b);
        return nullptr;
    }
    return b;
}

// Null pool or block does nothing; a block not in the pool is a misuse.
void FreeVecPooled(APTR pool, APTR memory) {
    if (!pool || !memory) return;
    Pool *p = static_cast<Pool *>(pool);
    for (auto it = p->blocks.begin(); it != p->blocks.end(); ++it)
        if (*it == memory) {
            free(memory);
            p->blocks.erase(it);
            return;
        }
    host::misuse("FreeVecPooled of a block not in the pool");
}

// Copies size bytes (0 allowed); overlapping regions work, as with memmove.
void CopyMem(const void *source, void *dest, ULONG size) {
    if (size) memmove(dest, source, size);
}

