// Blocks written on the writer's thread arrive whole and in order; after a failed write no later
// block reaches the file, even once there is room again.
#include "core/background_writer.h"

#include "core/file_io.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>

namespace lexmora {
namespace {

// A new file in a folder of its own, and a writer to it.
struct WrittenFile {
    test::TempDir dir;
    std::string path = dir.path() + "/out";
    UniqueFd fd{::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)};
    std::unique_ptr<BackgroundWriter> writer = BackgroundWriter::start(fd.get());
};

TEST(BackgroundWriter, WritesTheHandedPrefixOfEachBlockInOrder) {
    WrittenFile out;
    ASSERT_TRUE(out.fd.valid() && out.writer);
    std::string expected;
    std::string block;
    for (int i = 0; i < 40; ++i) {
        // A reused buffer keeps the size it had: only the handed prefix may reach the file.
        const std::size_t size = 1000 + static_cast<std::size_t>(i) * 37;
        if (block.size() < size + 5)
            block.resize(size + 5);
        block.replace(0, size, std::string(size, static_cast<char>('a' + i % 26)));
        expected += block.substr(0, size);
        ASSERT_TRUE(out.writer->hand(block, size));
    }
    EXPECT_TRUE(out.writer->finish());
    out.writer.reset();
    EXPECT_EQ(readFileBytes(out.path), expected);
}

TEST(BackgroundWriter, NothingFollowsAFailedBlock) {
    WrittenFile out;
    ASSERT_TRUE(out.fd.valid() && out.writer);
    std::string block(1000, 'x');
    {
        const test::SmallDisk disk(1500); // the second block is cut half way
        out.writer->hand(block, 1000);
        block.assign(1000, 'y');
        out.writer->hand(block, 1000);
        EXPECT_FALSE(out.writer->finish());
    }
    block.assign(1000, 'z'); // room again: still not written behind the cut block
    EXPECT_FALSE(out.writer->hand(block, 1000));
    EXPECT_FALSE(out.writer->finish());
    out.writer.reset();
    EXPECT_EQ(readFileBytes(out.path), std::string(1000, 'x') + std::string(500, 'y'));
}

} // namespace
} // namespace lexmora
