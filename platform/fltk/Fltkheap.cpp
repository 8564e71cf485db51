#include "platform/fltk/Fltkheap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace platform::fltk {
namespace {
constexpr size_t kMiB = size_t{1} << 20;
constexpr size_t kLargePage = 2 * kMiB;
// The largest threshold glibc accepts on 64-bit systems.
constexpr int kMmapThreshold = 32 << 20;
// Blocks somewhat below the threshold, so that they come from the heap; together
// more than start-up needs.
constexpr size_t kReserve = 30 * kMiB;
constexpr int kReserveBlocks = 2;
}  // namespace

void PrepareHeap() {
    static bool done = false;
    if (done) return;
    done = true;
    if (!mallopt(M_MMAP_THRESHOLD, kMmapThreshold)) return;
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    // The threads that help at start-up (the skins' decoder) and later (the ZIP
    // writer) allocate from this heap too, instead of from arenas of their own
    // that would be faulted in page by page.
    mallopt(M_ARENA_MAX, 1);
    // Growing the heap by large blocks and freeing them leaves the space at the top
    // of the heap, untouched (so not yet resident), for what start-up makes.
    auto before = reinterpret_cast<uintptr_t>(sbrk(0));
    // volatile: a compiler may drop a malloc whose block is only freed again.
    void* volatile blocks[kReserveBlocks] = {};
    for (int i = 0; i < kReserveBlocks; ++i) blocks[i] = std::malloc(kReserve);
    auto top = reinterpret_cast<uintptr_t>(sbrk(0));
    uintptr_t start = (before + kLargePage - 1) & ~(kLargePage - 1);
#ifdef MADV_HUGEPAGE
    // Only when the blocks really came from a contiguous heap.
    if (before != static_cast<uintptr_t>(-1) && top > start + kLargePage)
        madvise(reinterpret_cast<void*>(start), top - start, MADV_HUGEPAGE);
#endif
    for (int i = 0; i < kReserveBlocks; ++i) std::free(blocks[i]);
}

}  // namespace platform::fltk
