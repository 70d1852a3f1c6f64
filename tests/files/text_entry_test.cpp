#include "files/text_entry.h"

#include <gtest/gtest.h>

using namespace lexmora;
using namespace lexmora::files;
using Action = KeyOutcome::Action;

namespace {

const std::string kInvalid = "\\?<>:*/|\"";

struct KeyCase {
    const char* what;
    EntryMode mode;
    std::size_t length;
    std::size_t selected;
    std::size_t maxLength;
    char key;
    bool hasDot;
    Action action;
    char inserted;
    bool message;
};

TEST(TextEntry, KeystrokeTable) {
    const KeyCase cases[] = {
        {"letter in a name", EntryMode::File, 3, 0, 50, 'a', false, Action::Insert, 'a', false},
        {"colon dropped silently", EntryMode::File, 3, 0, 50, ':', false, Action::Discard, ':',
         false},
        {"slash dropped", EntryMode::File1, 3, 0, 50, '/', false, Action::Discard, '/', false},
        {"double quote dropped", EntryMode::File, 0, 0, 50, '"', false, Action::Discard, '"',
         false},
        {"line break dropped", EntryMode::File, 3, 0, 50, '\n', false, Action::Discard, '\n',
         false},
        {"tab dropped", EntryMode::File, 3, 0, 50, '\t', false, Action::Discard, '\t', false},
        {"accented letter kept", EntryMode::File, 3, 0, 50, '\xE9', false, Action::Insert, '\xE9',
         false},
        {"Enter accepts", EntryMode::File, 3, 0, 50, kKeyEnter, false, Action::Accept, kKeyEnter,
         false},
        {"51st character refused", EntryMode::File, 50, 0, 50, 'x', false, Action::Discard, 'x',
         true},
        {"Backspace at the limit", EntryMode::File, 50, 0, 50, kKeyBackspace, false, Action::Insert,
         kKeyBackspace, false},
        {"Enter at the limit", EntryMode::File, 50, 0, 50, kKeyEnter, false, Action::Accept,
         kKeyEnter, false},
        {"typing over a selection", EntryMode::File, 50, 50, 50, 'x', false, Action::Insert, 'x',
         false},
        {"full File1 name opens the extension", EntryMode::File1, 8, 0, 8, 'x', false,
         Action::Insert, '.', false},
        {"full File1 name with a dot", EntryMode::File1, 8, 0, 8, 'x', true, Action::Discard, 'x',
         false},
        {"free text takes anything", EntryMode::Free, 3, 0, 5, ':', false, Action::Insert, ':',
         false},
        {"free text Enter", EntryMode::Free, 3, 0, 5, kKeyEnter, false, Action::Accept, kKeyEnter,
         false},
        {"numbers take letters (checked later)", EntryMode::Numeric, 1, 0, 5, 'a', false,
         Action::Insert, 'a', false},
    };
    for (const auto& c : cases) {
        const KeyOutcome out =
            FilterEntryKey(c.mode, c.length, c.selected, c.maxLength, c.key, kInvalid, c.hasDot);
        EXPECT_EQ(out.action, c.action) << c.what;
        if (out.action == Action::Insert) {
            EXPECT_EQ(out.key, c.inserted) << c.what;
        }
        EXPECT_EQ(out.message.has_value(), c.message) << c.what;
    }
}

TEST(TextEntry, LimitMessageWording) {
    const KeyOutcome out = FilterEntryKey(EntryMode::File, 50, 0, 50, 'x', kInvalid, false);
    ASSERT_TRUE(out.message);
    EXPECT_EQ(out.message->text, "Please use no more than 50 characters");
    EXPECT_EQ(out.message->title, "");
    EXPECT_EQ(out.message->icon, Icon::None);
}

TEST(TextEntry, ModesFromTheTag) {
    EXPECT_EQ(EntryModeFromTag("File"), EntryMode::File);
    EXPECT_EQ(EntryModeFromTag("File1"), EntryMode::File1);
    EXPECT_EQ(EntryModeFromTag("Numeric"), EntryMode::Numeric);
    EXPECT_EQ(EntryModeFromTag("file"), EntryMode::Free);
    EXPECT_EQ(EntryModeFromTag(""), EntryMode::Free);
}

TEST(TextEntry, PastedTextObeysTheSameRules) {
    EXPECT_EQ(CleanEntryText(EntryMode::File, "a:b/c\r\nd", 50, kInvalid), "abcd");
    EXPECT_EQ(CleanEntryText(EntryMode::File, "abcdef", 4, kInvalid), "abcd");
    EXPECT_EQ(CleanEntryText(EntryMode::Free, "a:b", 0, kInvalid), "a:b");
}

struct NumberCase {
    const char* text;
    bool valid;
};

TEST(TextEntry, NumberTable) {
    const NumberCase cases[] = {
        {"12", true},    {" 7 ", true},  {"-3", true},   {"+4", true},   {"1.5", true},
        {"1e3", true},   {"0", false},   {"0.0", false}, {"-0", false},  {"a", false},
        {"12a", false},  {"", false},    {" ", false},   {"inf", false}, {"nan", false},
        {"0x10", false}, {"1,5", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidNumberEntry(c.text), c.valid) << "'" << c.text << "'";
    EXPECT_FALSE(CheckNumericEntry("").has_value()); // an empty box is not checked
    const auto message = CheckNumericEntry("x");
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "You must enter a valid number");
    EXPECT_EQ(message->title, " Invalid entry!");
}

TEST(TextEntry, FolderNameLimits) {
    EXPECT_EQ(FolderNameLimit(std::string(240, 'a')), 15u);
    EXPECT_EQ(FolderNameLimit(std::string(100, 'a')), 50u);
    EXPECT_EQ(FolderNameLimit(std::string(205, 'a')), 50u);
    EXPECT_EQ(FolderNameLimit(std::string(300, 'a')), 0u);
    EXPECT_EQ(FolderNamePrompt(15), "Please enter folder name below\r\n(max. 15 characters)");
    EXPECT_TRUE(IsReservedName(".."));
    EXPECT_FALSE(IsReservedName("..a"));
}

} // namespace
