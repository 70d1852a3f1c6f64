// Blocks written on the writer's thread arrive whole and in order; after a failed write no later
// block reaches the file, even once there is room again.
#include "core/background_writer.h"

#include "core/file_io.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>

namespace lexmora {
namespace {

std::string blockOf(char c, std::size_t size) {
    return std::string(size, c);
}

TEST(BackgroundWriter, WritesTheHandedPrefixOfEachBlockInOrder) {
    test::TempDir dir;
    const std::string path = dir.path() + "/out";
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    ASSERT_TRUE(fd.valid());
    auto writer = BackgroundWriter::start(fd.get());
    ASSERT_TRUE(writer);
    std::string expected;
    std::string block;
    for (int i = 0; i < 40; ++i) {
        // A reused buffer keeps the size it had: only the handed prefix may reach the file.
        const std::size_t size = 1000 + static_cast<std::size_t>(i) * 37;
        if (block.size() < size + 5)
            block.resize(size + 5);
        block.replace(0, size, blockOf(static_cast<char>('a' + i % 26), size));
        expected += block.substr(0, size);
        ASSERT_TRUE(writer->hand(block, size));
    }
    EXPECT_TRUE(writer->finish());
    writer.reset();
    EXPECT_EQ(readFileBytes(path), expected);
}

TEST(BackgroundWriter, NothingFollowsAFailedBlock) {
    test::TempDir dir;
    const std::string path = dir.path() + "/out";
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    ASSERT_TRUE(fd.valid());
    auto writer = BackgroundWriter::start(fd.get());
    ASSERT_TRUE(writer);
    std::string block = blockOf('x', 1000);
    {
        const test::SmallDisk disk(1500); // the second block is cut half way
        writer->hand(block, 1000);
        block.assign(1000, 'y');
        writer->hand(block, 1000);
        EXPECT_FALSE(writer->finish());
    }
    block.assign(1000, 'z'); // room again: still not written behind the cut block
    EXPECT_FALSE(writer->hand(block, 1000));
    EXPECT_FALSE(writer->finish());
    writer.reset();
    EXPECT_EQ(readFileBytes(path), blockOf('x', 1000) + blockOf('y', 500));
}

} // namespace
} // namespace lexmora
