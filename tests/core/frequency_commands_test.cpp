// The word-frequency window's pending commands: taken in the viewer loop's order whatever the
// order they were posted in, one of each kind.
#include "core/frequency_commands.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

TEST(FrequencyCommands, PendingCommandsRunInTheLoopsOrder) {
    FrequencyCommandQueue queue;
    queue.post(FrequencyNormRequest{3});
    queue.post(FrequencySortCommand{FrequencySort::WordEnding});
    queue.post(FrequencySaveRequest{RangeBy::ListOrder});
    queue.post(FrequencyWordSearchRequest{});
    queue.post(FrequencyScrollRequest{40});
    queue.post(FrequencySelectFileRequest{});
    const std::vector<FrequencyCommand> expected = {FrequencyWordSearchRequest{},
                                                    FrequencySelectFileRequest{},
                                                    FrequencySaveRequest{RangeBy::ListOrder},
                                                    FrequencySortCommand{FrequencySort::WordEnding},
                                                    FrequencyScrollRequest{40},
                                                    FrequencyNormRequest{3}};
    for (const FrequencyCommand& command : expected) {
        const auto next = queue.take();
        ASSERT_TRUE(next.has_value());
        EXPECT_EQ(*next, command);
    }
    EXPECT_TRUE(queue.empty());
    EXPECT_FALSE(queue.take().has_value());
}

TEST(FrequencyCommands, ALaterPostOfAKindReplacesThePendingOne) {
    FrequencyCommandQueue queue;
    queue.post(FrequencySortCommand{FrequencySort::Ascending});
    queue.post(FrequencySortCommand{FrequencySort::Descending});
    EXPECT_EQ(queue.take(), FrequencyCommand(FrequencySortCommand{FrequencySort::Descending}));
    EXPECT_TRUE(queue.empty());
    queue.post(FrequencyScrollRequest{1});
    queue.post(FrequencyNormRequest{2});
    queue.clear();
    EXPECT_TRUE(queue.empty());
}

} // namespace
} // namespace lexmora
