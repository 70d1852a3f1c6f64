#include "search/context_settings.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

TEST(ContextSettings, OnlyBackspaceAndDigitsAreKeys) {
    for (char c = '0'; c <= '9'; ++c)
        EXPECT_TRUE(IsContextKey(c)) << c;
    EXPECT_TRUE(IsContextKey('\b'));
    for (char c : std::string("-+ a.,\r\t\x7f\xE9"))
        EXPECT_FALSE(IsContextKey(c)) << static_cast<int>(c);
}

TEST(ContextSettings, BoxTextIsLimitedAndCleaned) {
    struct Case {
        const char* text;
        double scale;
        const char* expected;
    };
    const Case cases[] = {
        {"600", 1, "550"},
        {"550", 1, "550"},
        {"551", 1, "550"},
        {"0", 1, "0"},
        {"", 1, ""},
        {"0080", 1, "0080"},
        {"12a3", 1, "123"},
        {"-5", 1, "5"},
        {"1100", 2, "1100"},
        {"1101", 2, "1100"},
        {"1000", 2.5, "1000"},
        {"1376", 2.5, "1375"},
        // a paste of a number far beyond any field does not wrap round to a small one
        {"99999999999999999999999999", 1, "550"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LimitContextText(c.text, c.scale), c.expected) << c.text << " / " << c.scale;
}

TEST(ContextSettings, ValueTakenOverIsDividedByTheScale) {
    EXPECT_EQ(ContextValue("", 1), 0);
    EXPECT_EQ(ContextValue("200", 1), 200);
    EXPECT_EQ(ContextValue("0080", 1), 80);
    EXPECT_EQ(ContextValue("1000", 2), 500);
    EXPECT_EQ(ContextValue("7", 2), 3);
    EXPECT_EQ(ContextValue("99999999999999999999", 1), 32767);
}

TEST(ContextSettings, ScaleAndRoles) {
    EXPECT_EQ(ContextScale(ContextRole::ContextSettings, 7), 1);
    EXPECT_EQ(ContextScale(ContextRole::Sort, 7), 1);
    EXPECT_EQ(ContextScale(ContextRole::Extract, 7), 7);
    EXPECT_EQ(ContextScale(ContextRole::Range, 0), 1); // no scale below 1
    EXPECT_TRUE(OneSideOnly(ContextRole::Sort));
    EXPECT_TRUE(OneSideOnly(ContextRole::NextWordMatch));
    EXPECT_FALSE(OneSideOnly(ContextRole::ContextSettings));
    EXPECT_FALSE(OneSideOnly(ContextRole::Extract));
}

TEST(ContextSettings, EnterMovesTheBarOnlyStrictlyInsideItsRange) {
    EXPECT_TRUE(EnterMovesBar("549", 1));
    EXPECT_TRUE(EnterMovesBar("1", 1));
    EXPECT_FALSE(EnterMovesBar("550", 1));
    EXPECT_FALSE(EnterMovesBar("0", 1));
    EXPECT_FALSE(EnterMovesBar("", 1));
    EXPECT_FALSE(EnterMovesBar("300", 2));
}

} // namespace
} // namespace lexmora
