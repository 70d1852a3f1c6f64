// writeAll on a write that stops short: partial writes are carried on, an interrupted one is
// tried again, and one that takes nothing without an error (a full device) ends the write with
// ENOSPC instead of spinning for ever.
#include "core/file_io.h"

#include "core/os_calls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace lexmora {
namespace {

std::string written;
int calls = 0;

// Takes at most three bytes a call; the second call is interrupted; from the sixth on, nothing.
ssize_t stingyWrite(int, const void* data, std::size_t size) {
    ++calls;
    if (calls == 2) {
        errno = EINTR;
        return -1;
    }
    if (calls >= 6)
        return 0;
    const std::size_t taken = std::min<std::size_t>(size, 3);
    written.append(static_cast<const char*>(data), taken);
    return static_cast<ssize_t>(taken);
}

struct OsCallsGuard {
    OsCallsGuard() {
        written.clear();
        calls = 0;
        osCalls().writeFile = stingyWrite;
    }
    ~OsCallsGuard() { resetOsCalls(); }
};

TEST(WriteAll, ShortAndInterruptedWritesAreCarriedOnAndAFullDeviceEndsIt) {
    {
        const OsCallsGuard guard;
        EXPECT_TRUE(writeAll(-1, "abcdefghi"));
        EXPECT_EQ(written, "abcdefghi");
        EXPECT_EQ(calls, 4);
    }
    {
        const OsCallsGuard guard;
        errno = 0;
        EXPECT_FALSE(writeAll(-1, "abcdefghijklmnopq")); // 12 bytes taken, then nothing
        EXPECT_EQ(errno, ENOSPC);
        EXPECT_EQ(written, "abcdefghijkl");
    }
}

} // namespace
} // namespace lexmora
