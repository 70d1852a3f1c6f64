// Where the program keeps its working memory. A walk over a corpus fills tens of megabytes of
// fresh buffers; in 4 KB pages each first touch is a page fault, and in a virtual machine those
// faults took a third of the CPU time of collocates, clusters and the plot. Large pages for the
// heap, and a heap that keeps what it frees, take most of them away.
#pragma once

#include <cstddef>

namespace lexmora {

// What KeepHeapInLargePages did.
struct HeapPages {
    bool advised = false;     // the heap's reserve was marked for large pages
    std::size_t reserved = 0; // bytes of heap set aside (address space, not memory) and marked
};

// Tunes the allocator, once, first thing in main: buffers up to 32 MB come from the heap and
// stay there when freed (a next file's buffer reuses them, instead of mapping and faulting in
// fresh pages), every thread allocates from that one heap, the heap grows in large steps, and
// its first step is marked for transparent large pages. Under another allocator (a
// sanitizer's), or where the system has no large pages, nothing is marked and the program runs
// as before.
HeapPages KeepHeapInLargePages();

} // namespace lexmora
