// The keyword language as typed: classes, keystroke filter, normalisation, Next Word Match,
// options and the hand-over to the program state.
#include "keywords/keyword_syntax.h"

#include "keywords/keyword_handover.h"
#include "keywords/messages.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

TEST(KeywordSyntax, CharacterClasses) {
    const SpecialChars chars;
    struct Row {
        unsigned char c;
        CharClass expected;
    };
    const Row rows[] = {
        {'A', CharClass::Letter},   {'z', CharClass::Letter},  {0xC0, CharClass::Letter},
        {0xD6, CharClass::Letter},  {0xD7, CharClass::Other},  {0xD8, CharClass::Letter},
        {0xDC, CharClass::Letter},  {0xDD, CharClass::Other},  {0xDE, CharClass::Other},
        {0xDF, CharClass::Letter},  {0xF7, CharClass::Other},  {0xFC, CharClass::Letter},
        {0xFD, CharClass::Other},   {0xFF, CharClass::Other},  {0x8C, CharClass::Letter},
        {0x9C, CharClass::Letter},  {'5', CharClass::Digit},   {' ', CharClass::Special},
        {'?', CharClass::Special},  {'@', CharClass::Other},   {'*', CharClass::Special},
        {'\\', CharClass::Special}, {'{', CharClass::Special}, {'(', CharClass::Other},
        {'<', CharClass::Special},  {'=', CharClass::Special}, {'-', CharClass::Other},
        {'\'', CharClass::Other},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ClassifyChar(row.c, chars), row.expected) << int(row.c);
    const SpecialChars changed{'(', ')', '@'};
    EXPECT_EQ(ClassifyChar('(', changed), CharClass::Special);
    EXPECT_EQ(ClassifyChar('{', changed), CharClass::Other);
    EXPECT_EQ(ClassifyChar('@', changed), CharClass::Special);
    EXPECT_EQ(ClassifyChar('?', changed), CharClass::Other);
}

struct Key {
    std::string text; // the box before the key
    std::size_t caret;
    char key;
    KeyAction action;
    std::string messageText; // "" = no message
    BracketState before = BracketState::Normal;
    BracketState after = BracketState::Normal;
    EntryMode mode = EntryMode::Keywords;
    bool tagged = false;
};

void checkKeys(const std::vector<Key>& keys, const SpecialChars& chars = {}) {
    for (const auto& k : keys) {
        SCOPED_TRACE(k.text + " + '" + std::string(1, k.key) + "'");
        BracketState state = k.before;
        const KeyOutcome out =
            FilterKeystroke(k.text, k.caret, k.key, k.mode, k.tagged, chars, state);
        EXPECT_EQ(out.action, k.action);
        EXPECT_EQ(out.message ? out.message->text : "", k.messageText);
        EXPECT_EQ(state, k.after);
    }
}

TEST(KeywordSyntax, KeystrokeFilter) {
    using enum KeyAction;
    using B = BracketState;
    const std::string after = " After { you must enter either \xAB < \xBB or \xAB = \xBB ";
    checkKeys({
        {"ab", 2, 'c', Accept, ""},
        {"ab", 2, kKeyEnter, Commit, ""},
        {"", 0, '+', Discard, ""},
        {"ab", 0, '/', Discard, ""},
        {"ab*", 3, '/', Discard, "You cannot use this procedure after a wildcard"},
        {"ab?", 3, '+', Discard, "You cannot use this procedure after a wildcard"},
        {"ab", 2, '+', Accept, ""},
        {"ab", 2, '{', Accept, "", B::Normal, B::AwaitOperator},
        {"ab{", 3, 'x', Discard, after, B::AwaitOperator, B::AwaitOperator},
        {"ab{", 3, '<', Accept, "", B::AwaitOperator, B::InNumber},
        {"ab{", 3, '=', Accept, "", B::AwaitOperator, B::InNumber},
        {"ab{", 3, kKeyBackspace, Accept, "", B::AwaitOperator, B::Normal},
        {"ab{<", 4, '3', Accept, "", B::InNumber, B::InNumber},
        {"ab{<3", 5, ' ', Accept, "", B::InNumber, B::InNumber},
        {"ab{<3", 5, 'x', Replace, "You must close brackets with }", B::InNumber, B::Normal},
        {"ab{<3", 5, '}', Accept, "", B::InNumber, B::Normal},
        // A box of fewer than two characters starts over.
        {"a", 1, 'x', Accept, "", B::AwaitOperator, B::Normal},
        // Exclude strings.
        {"ab", 2, '*', Discard, "You cannot use special characters in words to exclude", B::Normal,
         B::Normal, EntryMode::ExcludeStrings},
        {"ab", 2, '?', Discard, "You cannot use special characters in words to exclude", B::Normal,
         B::Normal, EntryMode::ExcludeStrings},
        {"ab", 2, '{', Discard, "You cannot use this procedure in words to exclude", B::Normal,
         B::Normal, EntryMode::ExcludeStrings},
        {"ab", 2, 'x', Accept, "", B::Normal, B::Normal, EntryMode::ExcludeStrings},
        {"ab", 2, '*', Accept, "", B::Normal, B::Normal, EntryMode::ExcludeStrings, true},
        {"ab", 2, '{', Accept, "", B::Normal, B::Normal, EntryMode::ExcludeStrings, true},
    });
    // Parentheses: the messages name them.
    checkKeys(
        {{"ab", 2, '(', Accept, "", B::Normal, B::AwaitOperator},
         {"ab(", 3, 'x', Discard, " After ( you must enter either \xAB < \xBB or \xAB = \xBB ",
          B::AwaitOperator, B::AwaitOperator},
         {"ab(<3", 5, 'x', Replace, "You must close brackets with )", B::InNumber, B::Normal}},
        {'(', ')', '?'});
    BracketState state = BracketState::InNumber;
    const KeyOutcome out = FilterKeystroke("ab{<3", 5, 'x', EntryMode::Keywords, false, {}, state);
    EXPECT_EQ(out.replacement, '}');
    EXPECT_EQ(out.message->title, " Illegal character");
    EXPECT_EQ(out.message->icon, Icon::Exclamation);
}

TEST(KeywordSyntax, NormaliseEntry) {
    struct Row {
        const char* entry;
        const char* expected;
    };
    const Row rows[] = {
        // operators
        {"colour\\color", "colour/color"},
        {"a/b/c", "a/b,c"},
        {"a+b+c", "a+b+c"},
        {"a+b/c", "a+b,c"},
        {"a/b.c", "a/b,c"},
        {"a/b. c", "a/b. c"},
        {"colour/", "colour"},
        {"colour+", "colour"},
        {"a/b,/c", "a/b,c"},
        {"a/ b", "a/b"},
        {"a/b, c", "a/b,c"},
        // wildcards
        {"**ing", "*ing"},
        {"*?ing", "*ing"},
        {"*colour*", "*colour*"},
        {"**colour", "*colour"},
        {"a?b", "a?b"},
        {"* ?", "* ?"},
        // spaces
        {"  big   house", "big house"},
        {"   ", ""},
        {"big ", "big "},
        {"big  ", "big "},
        // conditions
        {"word {<3} word", "word{<3}word"},
        {"word {=2} word", "word{=2}word"},
        {"word{<3} word", "word{<3}word"},
        {"word {<3}word", "word{<3}word"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(NormaliseEntry(row.entry, {}), row.expected) << row.entry;
    EXPECT_EQ(NormaliseEntry("word ( <3 ) word", {'(', ')', '?'}), "word(<3 )word");
    EXPECT_EQ(NormaliseEntry("*@ing", {'{', '}', '@'}), "*ing");
    EXPECT_EQ(NormaliseEntry("*?ing", {'{', '}', '@'}), "*?ing");
}

TEST(KeywordSyntax, NormaliseNeverGrowsAndIsStable) {
    // Every byte, alone and between letters: the pass only ever removes or rewrites.
    for (int b = 1; b < 256; ++b) {
        const std::string c(1, static_cast<char>(b));
        for (const std::string& entry : {c, "a" + c + "b", c + c + c, "a/" + c + "/" + c}) {
            const std::string once = NormaliseEntry(entry, {});
            EXPECT_LE(once.size(), entry.size());
        }
    }
}

TEST(KeywordSyntax, NextWordMatch) {
    const SpecialChars chars;
    EXPECT_EQ(NextWordCondition(2, 0, chars), "{=2}");
    EXPECT_EQ(NextWordCondition(2, 5, chars), "{=2}");
    EXPECT_EQ(NextWordCondition(0, 5, chars), "{<5}");
    EXPECT_EQ(NextWordCondition(0, 0, chars), "");
    EXPECT_EQ(NextWordCondition(0, 12, {'[', ']', '?'}), "[<12]");

    auto edit = InsertNextWordMatch("word word", 4, true, 2, 0, chars);
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->text, "word{=2} word");
    EXPECT_EQ(edit->caret, 13u);
    EXPECT_FALSE(InsertNextWordMatch("word", 4, false, 2, 0, chars));
    EXPECT_FALSE(InsertNextWordMatch("", 0, true, 2, 0, chars));
    EXPECT_FALSE(InsertNextWordMatch("word", 4, true, 0, 0, chars));
    edit = InsertNextWordMatch("ab", 99, true, 0, 3, chars);
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->text, "ab{<3}");
}

TEST(KeywordSyntax, Options) {
    ProgramState state;
    EXPECT_EQ(SpecialCharsCaption(state), " special characters:   / , + , { , } , * , ? ");
    SetBracketType(state, BracketType::Square);
    EXPECT_EQ(state.OpenBracket, "[");
    EXPECT_EQ(state.CloseBracket, "]");
    EXPECT_EQ(CurrentBracketType(state), BracketType::Square);
    EXPECT_TRUE(SetSingleWildcard(state, '@'));
    EXPECT_FALSE(SetSingleWildcard(state, '#'));
    EXPECT_EQ(SpecialCharsCaption(state), " special characters:   / , + , [ , ] , * , @ ");
    SetBracketType(state, BracketType::Parentheses);
    EXPECT_EQ(SpecialChars::from(state).openBracket, '(');
    EXPECT_EQ(ExcludeOptionCaption(state), " Enter words to exclude");
    ToggleTaggedSearch(state);
    EXPECT_EQ(ExcludeOptionCaption(state), " Enter tag to match");
    EXPECT_FALSE(CaseAfterClick("", true));
    EXPECT_TRUE(CaseAfterClick("a", true));
}

TEST(KeywordHandOver, FillsTheFourArrays) {
    ProgramState state;
    std::vector<KeywordEntry> list = {
        {"Love", false, {{"In love", true}, {"my love", false}}},
        {"", false, {}},
        {"Paris", true, {}},
    };
    HandOverKeywords(state, list, "Pending", false, false);
    EXPECT_EQ(state.Keywords, (std::vector<std::string>{"love", "Paris", "pending"}));
    EXPECT_EQ(state.KeywordCase, (std::vector<bool>{false, true, false}));
    const std::vector<std::vector<std::string>> excludes = {
        {"In love", "my love"}, {"", ""}, {"", ""}};
    EXPECT_EQ(state.ExcludeStrings, excludes);
    const std::vector<std::vector<bool>> cases = {{true, false}, {false, false}, {false, false}};
    EXPECT_EQ(state.ExcludeCase, cases);
    EXPECT_EQ(list.size(), 4u); // the pending text joined the list
    EXPECT_EQ(KeywordCountCaption(state), "3 keyword(s) entered");
}

TEST(KeywordHandOver, EmptyListAndEditing) {
    ProgramState state;
    state.Keywords = {"old"};
    std::vector<KeywordEntry> list;
    HandOverKeywords(state, list, "typed", false, true); // being edited: not added
    EXPECT_TRUE(state.Keywords.empty());
    EXPECT_TRUE(state.ExcludeStrings.empty());
    EXPECT_EQ(KeywordCountCaption(state), "0 keyword(s) entered");
    list = {{"A", false, {}}, {"B", false, {}}};
    HandOverKeywords(state, list, "", false, false);
    EXPECT_EQ(state.ExcludeStrings, (std::vector<std::vector<std::string>>{{}, {}}));
}

TEST(KeywordMessages, Texts) {
    EXPECT_EQ(keywords::msg::NoSpecialCharsInExcludes().title, " Illegal character");
    EXPECT_EQ(keywords::msg::NoProcedureInExcludes().title, " Illegal procedure");
    EXPECT_EQ(keywords::msg::NoOperatorAfterWildcard().title, " Illegal operation");
    EXPECT_EQ(keywords::msg::AfterOpenBracket('[').title, " Error entering character");
    EXPECT_EQ(keywords::msg::HelpFileMissingWarning().text, "Cannot find help file!");
    EXPECT_EQ(keywords::msg::HelpFileMissingWarning().title, "File missing");
}

} // namespace
} // namespace lexmora
