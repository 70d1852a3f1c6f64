// The oe ligatures written out, as result file names and word list names want them.
#include "core/ligatures.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

TEST(Ligatures, WrittenOutInTheirCaseAndNothingElseTouched) {
    struct Case {
        std::string text, expected;
    };
    const Case cases[] = {
        {"", ""},
        {"c\x9Cur", "coeur"},
        {"\x8C"
         "uvre",
         "OEuvre"},
        {"\x9C\x8C\x9C", "oeOEoe"},
        // The other letters of the upper half, and the bytes next to the ligatures, stay.
        {"\xE9t\xE9 \x8B\x8D\x9B\x9D", "\xE9t\xE9 \x8B\x8D\x9B\x9D"},
        {"plain", "plain"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SpellOutOeLigatures(c.text), c.expected) << c.text;
}

} // namespace
} // namespace lexmora
