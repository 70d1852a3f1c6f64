#include "core/heap_pages.h"

#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace lexmora {

namespace {

constexpr std::size_t kMegabyte = std::size_t{1} << 20;
constexpr std::uintptr_t kLargePage = 2 * kMegabyte;
// The allocator's ceiling for its mapping threshold on 64-bit systems.
constexpr int kHeapBlockLimit = 32 << 20;
// Address space the heap takes at each step: the first step is the one marked, so it holds a
// whole walk's buffers (a collocates run of the most frequent word peaks near 90 MB).
constexpr int kHeapStep = 192 << 20;
// Above the step, or freeing the block above would hand the step straight back.
constexpr int kKeepFreed = 256 << 20;

std::uintptr_t roundUpToLargePage(std::uintptr_t address) {
    return (address + kLargePage - 1) & ~(kLargePage - 1);
}

} // namespace

HeapPages KeepHeapInLargePages() {
    // One heap for every thread: a worker's tables would otherwise come from an arena of its
    // own, mapped in 4 KB pages that are neither marked nor kept (an n-gram count's worker spent
    // a fifth of its time faulting them in). Our threads allocate in large blocks, seldom, so
    // they do not queue for the heap's lock.
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, kHeapBlockLimit);
    mallopt(M_TRIM_THRESHOLD, kKeepFreed);
    mallopt(M_TOP_PAD, kHeapStep);
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // A block the heap has no room for makes it take its next step now, while nothing lies in it.
    void* block = std::malloc(kMegabyte);
    // Touched, so that the compiler does not drop a block nobody reads together with its free.
    if (block != nullptr)
        *static_cast<volatile char*>(block) = 0;
    std::free(block);
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    HeapPages pages;
    const std::uintptr_t from = roundUpToLargePage(before);
    if (before == static_cast<std::uintptr_t>(-1) || after <= from)
        return pages; // the heap did not grow: another allocator serves malloc
    pages.reserved = after - from;
    pages.advised = madvise(reinterpret_cast<void*>(from), pages.reserved, MADV_HUGEPAGE) == 0;
    return pages;
}

} // namespace lexmora
