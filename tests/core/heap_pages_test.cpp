// The heap tuning: a walk's buffers (several megabytes) come from the heap's marked reserve, and
// a buffer freed and asked for again is the same memory, not a fresh mapping to fault in.
#include "core/heap_pages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace lexmora {
namespace {

// The VmFlags of the mapping that holds `address`, from /proc/self/smaps; empty when none does.
std::string flagsOfMappingAt(std::uintptr_t address) {
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        std::uintptr_t from = 0, to = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> from >> dash >> to && dash == '-') {
            inside = from <= address && address < to;
            continue;
        }
        if (inside && line.rfind("VmFlags:", 0) == 0)
            return line;
    }
    return {};
}

TEST(HeapPagesTest, WalkBuffersComeFromTheMarkedHeapAndAreReused) {
    const HeapPages pages = KeepHeapInLargePages();
    if (pages.reserved == 0)
        GTEST_SKIP() << "malloc is not the system allocator here (a sanitizer's)";
    if (!std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled"))
        GTEST_SKIP() << "this system has no transparent large pages";
    ASSERT_TRUE(pages.advised) << "the reserve was not marked (trimmed away before it was?)";
    EXPECT_GE(pages.reserved, std::size_t{64} << 20);

    constexpr std::size_t kBuffer = std::size_t{8} << 20; // a large source file's bytes
    void* first = std::malloc(kBuffer);
    ASSERT_NE(first, nullptr);
    const auto address = reinterpret_cast<std::uintptr_t>(first);
    EXPECT_LT(address, reinterpret_cast<std::uintptr_t>(sbrk(0))) << "mapped, not from the heap";
    EXPECT_NE(flagsOfMappingAt(address + kBuffer / 2).find(" hg"), std::string::npos)
        << flagsOfMappingAt(address + kBuffer / 2);
    std::free(first);

    void* again = std::malloc(kBuffer);
    EXPECT_EQ(again, first);
    std::free(again);

    // a worker thread's block (an n-gram counter's table) comes from the same heap, and reuses
    // what the calling thread freed
    void* workers = nullptr;
    std::thread([&workers] {
        workers = std::malloc(kBuffer);
        std::free(workers);
    }).join();
    EXPECT_EQ(workers, first) << "from an arena of its own";
}

} // namespace
} // namespace lexmora
