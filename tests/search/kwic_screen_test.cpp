#include "search/kwic_screen.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

TEST(KwicScreen, LinesFromTheScreenHeight) {
    const std::pair<int, int> cases[] = {{480, 19},  {600, 19}, {768, 21}, {769, 23},
                                         {1080, 23}, {700, 17}, {300, 17}};
    for (const auto& [height, lines] : cases)
        EXPECT_EQ(SearchScreenLines(height, 17), lines) << height;
    EXPECT_EQ(SearchScreenLines(700, 0), 19);
}

TEST(KwicScreen, LinesShiftAndCut) {
    struct Case {
        const char* line;
        int offset;
        int columns;
        std::string expected;
    };
    const Case cases[] = {
        {"abcdef", -3, 8, "   abcde"},
        {"0123456789abc", 10, 84, "9abc"},
        {"0123456789abc", 0, 5, "01234"},
        {"0123456789abc", 1, 5, "01234"},
        {"abc", 4, 84, ""},
        {"abc", -90, 84, std::string(84, ' ')},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShiftLine(c.line, c.offset, c.columns), c.expected) << c.line << c.offset;
}

TEST(KwicScreen, ColumnViewKeepsTheKeywordColumn) {
    const auto delimiters = ColumnDelimiters("");
    // hit number, 20 characters of left context, "jumps", the right context
    const std::string a = "    1   quick, brown fox jumps over the lazy dog";
    const std::string b = "   12" + std::string(16, ' ') + "a-b jumps";
    EXPECT_EQ(FormatColumns(a, 26, 20, 10, delimiters),
              "    1brown     fox       jumps over      the    ");
    EXPECT_EQ(FormatColumns(b, 26, 20, 10, delimiters), "   12a         b         jumps");
    // one left word, padded on the left to the context; the last cell cut at the line's end
    const std::string c = "    3" + std::string(17, ' ') + "xy jumps, far";
    EXPECT_EQ(FormatColumns(c, 26, 20, 10, delimiters), "    3          xy        jumps far ");
}

TEST(KwicScreen, ColumnDelimitersHoldTheFixedSetAndTheSymbols) {
    const auto set = ColumnDelimiters("\xA7|");
    for (int c : {45, 44, 32, 46, 39, 63, 34, 186, 215, 124})
        EXPECT_TRUE(set.test(static_cast<std::size_t>(c))) << c;
    for (int c : {int{'a'}, int{'Z'}, int{'0'}, 0xE9, 0x9C})
        EXPECT_FALSE(set.test(static_cast<std::size_t>(c))) << c;
    EXPECT_EQ(ColumnDelimiters("").count(), 50u);
}

TEST(KwicScreen, SelectionStopsAtItsLimit) {
    SelectionList list;
    for (std::int64_t p = 2; p < 2 + static_cast<std::int64_t>(kSelectionLimit); ++p)
        ASSERT_FALSE(list.toggle(p, true));
    EXPECT_EQ(list.size(), 32767u);
    EXPECT_TRUE(list.toggle(999999, true)); // the 32,768th is refused
    EXPECT_EQ(list.size(), 32767u);
    EXPECT_FALSE(list.contains(999999));
    EXPECT_FALSE(list.toggle(5, true)); // already there
    EXPECT_FALSE(list.toggle(5, false));
    EXPECT_FALSE(list.contains(5));
    EXPECT_FALSE(list.toggle(999999, true));     // room again
    EXPECT_FALSE(list.toggle(123456789, false)); // removing what is not there changes nothing
    EXPECT_EQ(list.size(), 32767u);
}

TEST(KwicScreen, Messages) {
    const Message limit = search::msg::SelectionLimit(false);
    EXPECT_EQ(limit.text, "The maximum number of items you can select is 32767.");
    EXPECT_EQ(limit.title, "Selection limit reached");
    EXPECT_EQ(limit.icon, Icon::Exclamation);
    EXPECT_EQ(search::msg::SelectionLimit(true).text,
              "The maximum number of items you can select is 32767.\r\n"
              "There is no limit if you use the 'Extract' options in the main menu.");
    const Message minimise = search::msg::MinimiseRefused();
    EXPECT_EQ(minimise.text, "You cannot minimise this window during active search !\r\n\r\n"
                             "You must first click on \xAB Pause \xBB.");
    EXPECT_EQ(minimise.title, " Action not permitted!");
    EXPECT_EQ(NoRecordsSelectedText(), "0 records selected                                ");
    EXPECT_EQ(SelectingRecordsText().size(), 18u + 32u);
}

} // namespace
} // namespace lexmora
