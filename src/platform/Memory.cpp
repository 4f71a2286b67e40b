#include "platform/Memory.h"

#include <cstdlib>   // tells which C library this is

#if defined(__GLIBC__)
#include <malloc.h>

namespace {

// Blocks up to this size come from the heap, whose freed memory is reused: the most the
// allocator accepts. Larger ones are mapped and unmapped on their own.
constexpr int HeapBlockLimit = 32 * 1024 * 1024;
// The free memory at the top of the heap that is kept rather than given back: room for the
// buffers of a command on the largest scripts.
constexpr int KeptFreeMemory = 256 * 1024 * 1024;

} // namespace
#endif

bool KeepFreedMemoryForReuse()
{
#if defined(__GLIBC__)
    // Fixing the limit also turns off the allocator's own moving of it, which starts at 128 KB.
    return mallopt(M_MMAP_THRESHOLD, HeapBlockLimit) == 1 && mallopt(M_TRIM_THRESHOLD, KeptFreeMemory) == 1;
#else
    return false;
#endif
}
