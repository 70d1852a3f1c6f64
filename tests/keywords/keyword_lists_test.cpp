// The keyword window's lists: filling from the program state with its questions, committing,
// editing and deleting keywords and their exclude lists, the modes, Clear and the hand-over.
#include "keywords/keyword_lists.h"

#include "keywords/keyword_file.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

std::vector<std::string> texts(const std::vector<KeywordEntry>& list) {
    std::vector<std::string> out;
    for (const auto& e : list)
        out.push_back(e.text);
    return out;
}

std::vector<std::string> texts(const std::vector<ExcludeEntry>& list) {
    std::vector<std::string> out;
    for (const auto& e : list)
        out.push_back(e.text);
    return out;
}

ProgramState heldState() {
    ProgramState state;
    state.Keywords = {"alpha", "Beta", "gamma"};
    state.KeywordCase = {false, true, false};
    state.ExcludeStrings = {{"x", ""}, {"", ""}, {"Y", "z"}};
    state.ExcludeCase = {{false, false}, {false, false}, {true, false}};
    return state;
}

TEST(KeywordLists, FillAsksWhetherToKeep) {
    const ProgramState state = heldState();
    struct Row {
        const char* what;
        bool askKeep;
        std::vector<Answer> answers;
        std::size_t questions;
        std::vector<std::string> shown;
    };
    const Row rows[] = {
        {"Yes keeps", true, {Answer::Yes}, 1, {"alpha", "Beta", "gamma"}},
        {"No starts empty", true, {Answer::No}, 1, {}},
        {"back from loading files: no question", false, {}, 0, {"alpha", "Beta", "gamma"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        KeywordLists lists;
        ScriptedPrompter prompter(row.answers);
        EXPECT_EQ(lists.fill(state, prompter, row.askKeep), KeywordLists::Fill::Shown);
        ASSERT_EQ(prompter.shown.size(), row.questions);
        if (row.questions) {
            EXPECT_EQ(prompter.shown[0].text, "Do you wish to keep existing keywords?");
            EXPECT_EQ(prompter.shown[0].title, "3 keyword(s) already loaded");
        }
        EXPECT_EQ(texts(lists.keywords()), row.shown);
    }
    KeywordLists lists;
    ScriptedPrompter prompter({Answer::Yes});
    (void)lists.fill(state, prompter, true);
    EXPECT_TRUE(lists.keywords()[1].caseSensitive);
    EXPECT_EQ(texts(lists.keywords()[0].excludes), std::vector<std::string>{"x"});
    EXPECT_TRUE(lists.keywords()[1].excludes.empty());
    ASSERT_EQ(lists.keywords()[2].excludes.size(), 2u);
    EXPECT_TRUE(lists.keywords()[2].excludes[0].caseSensitive);
    EXPECT_FALSE(lists.selectedKeyword());
    // The program state is not changed by what the window shows.
    EXPECT_EQ(state.Keywords.size(), 3u);
}

TEST(KeywordLists, ListBoxCapacity) {
    auto stateWith = [](std::size_t n) {
        ProgramState state;
        state.Keywords.assign(n, "w");
        state.KeywordCase.assign(n, false);
        return state;
    };
    {
        // Exactly the capacity: no question.
        const ProgramState state = stateWith(kKeywordListCapacity);
        KeywordLists lists;
        ScriptedPrompter prompter({});
        EXPECT_EQ(lists.fill(state, prompter, false), KeywordLists::Fill::Shown);
        EXPECT_TRUE(prompter.shown.empty());
        EXPECT_EQ(lists.keywords().size(), kKeywordListCapacity);
        EXPECT_FALSE(lists.inMemory());
        // One more typed keyword does not fit.
        EXPECT_FALSE(lists.commit("extra", false, prompter));
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].title, " Potential list overflow");
    }
    const ProgramState state = stateWith(kKeywordListCapacity + 1);
    {
        KeywordLists lists;
        ScriptedPrompter prompter({Answer::No});
        EXPECT_EQ(lists.fill(state, prompter, false), KeywordLists::Fill::Closed);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].title, " Potential list overflow   (32668 keywords selected)");
    }
    {
        KeywordLists lists;
        ScriptedPrompter prompter({Answer::Yes});
        EXPECT_EQ(lists.fill(state, prompter, false), KeywordLists::Fill::Shown);
        EXPECT_EQ(lists.keywords().size(), kKeywordListCapacity);
        EXPECT_TRUE(lists.inMemory());
        ProgramState out = state;
        lists.handOver(out, "", false);
        EXPECT_EQ(out.Keywords.size(), kKeywordListCapacity);
    }
}

TEST(KeywordLists, CommitEditDelete) {
    KeywordLists lists;
    SilentPrompter prompter;
    (void)lists.fill(ProgramState{}, prompter, true);
    EXPECT_FALSE(lists.deleteEnabled());
    EXPECT_TRUE(lists.commit("one", false, prompter));
    EXPECT_TRUE(lists.commit("Two", true, prompter));
    EXPECT_TRUE(lists.commit("three", false, prompter));
    EXPECT_TRUE(lists.deleteEnabled());
    EXPECT_EQ(lists.selectedKeyword(), 2u);
    EXPECT_EQ(texts(lists.keywords()), (std::vector<std::string>{"one", "Two", "three"}));

    // Exclude strings for the third keyword.
    lists.selectKeyword(2);
    ASSERT_TRUE(lists.chooseExcludeMode(prompter));
    EXPECT_TRUE(lists.commit("not", false, prompter));
    EXPECT_TRUE(lists.commit("Never", true, prompter));
    lists.chooseKeywordMode();

    // Editing replaces the text and the case flag.
    const auto box = lists.editKeyword(1);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "Two");
    EXPECT_TRUE(box->caseSensitive);
    EXPECT_EQ(lists.editedKeyword(), 1u);
    EXPECT_TRUE(lists.commit("two", false, prompter));
    EXPECT_FALSE(lists.editedKeyword());
    EXPECT_EQ(lists.selectedKeyword(), 1u);
    EXPECT_FALSE(lists.keywords()[1].caseSensitive);
    EXPECT_EQ(lists.keywords()[1].text, "two");

    // Deleting the second keyword keeps the exclude strings of the third with the third.
    lists.selectKeyword(1);
    EXPECT_TRUE(lists.deleteKeyword());
    EXPECT_EQ(texts(lists.keywords()), (std::vector<std::string>{"one", "three"}));
    EXPECT_EQ(texts(lists.keywords()[1].excludes), (std::vector<std::string>{"not", "Never"}));
    EXPECT_FALSE(lists.selectedKeyword());

    // An edited keyword committed empty is deleted.
    ASSERT_TRUE(lists.editKeyword(0));
    EXPECT_TRUE(lists.commit("", false, prompter));
    EXPECT_EQ(texts(lists.keywords()), std::vector<std::string>{"three"});
    // An empty commit with nothing edited does nothing.
    EXPECT_TRUE(lists.commit("", false, prompter));
    EXPECT_EQ(lists.keywords().size(), 1u);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(KeywordLists, ExcludeMode) {
    KeywordLists lists;
    ScriptedPrompter prompter({});
    (void)lists.fill(ProgramState{}, prompter, true);
    ASSERT_TRUE(lists.commit("word", false, prompter));
    lists.selectKeyword(0);
    KeywordLists none; // nothing selected

    EXPECT_FALSE(none.chooseExcludeMode(prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "First identify keyword by clicking on it");
    EXPECT_EQ(none.mode(), EntryMode::Keywords);

    ASSERT_TRUE(lists.chooseExcludeMode(prompter));
    EXPECT_EQ(lists.mode(), EntryMode::ExcludeStrings);
    lists.commit("a", false, prompter);
    lists.commit("B", true, prompter);
    lists.commit("c", false, prompter);
    EXPECT_EQ(texts(lists.visibleExcludes()), (std::vector<std::string>{"a", "B", "c"}));
    EXPECT_EQ(lists.selectedExclude(), 2u);
    // A keyword cannot be edited from the exclude list.
    EXPECT_FALSE(lists.editKeyword(0));

    const auto box = lists.editExclude(1);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "B");
    EXPECT_TRUE(box->caseSensitive);
    lists.commit("b", false, prompter);
    EXPECT_FALSE(lists.visibleExcludes()[1].caseSensitive);
    ASSERT_TRUE(lists.editExclude(0));
    lists.commit("", false, prompter); // an edited line committed empty goes
    EXPECT_EQ(texts(lists.visibleExcludes()), (std::vector<std::string>{"b", "c"}));
    lists.selectExclude(1);
    EXPECT_TRUE(lists.deleteExclude());
    EXPECT_EQ(texts(lists.visibleExcludes()), std::vector<std::string>{"b"});

    // Clear in exclude mode empties only this keyword's list.
    lists.clear();
    EXPECT_TRUE(lists.visibleExcludes().empty());
    EXPECT_EQ(lists.keywords().size(), 1u);
    lists.chooseKeywordMode();
    lists.clear();
    EXPECT_TRUE(lists.keywords().empty());
}

TEST(KeywordLists, HandOver) {
    KeywordLists lists;
    ScriptedPrompter prompter({Answer::Yes});
    (void)lists.fill(heldState(), prompter, true);

    ProgramState state;
    lists.handOver(state, "Pending", false);
    EXPECT_EQ(state.Keywords, (std::vector<std::string>{"alpha", "Beta", "gamma", "pending"}));
    EXPECT_EQ(state.KeywordCase, (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(state.ExcludeStrings[2], (std::vector<std::string>{"Y", "z"}));
    EXPECT_EQ(state.ExcludeStrings[3], (std::vector<std::string>{"", ""}));

    // While a keyword is edited, the entry box text is not added.
    ASSERT_TRUE(lists.editKeyword(0));
    lists.handOver(state, "changed", false);
    EXPECT_EQ(state.Keywords, (std::vector<std::string>{"alpha", "Beta", "gamma"}));

    // In exclude mode the text left in the box is a word to exclude for the selected keyword.
    lists.commit("alpha", false, prompter);
    lists.selectKeyword(1);
    ASSERT_TRUE(lists.chooseExcludeMode(prompter));
    lists.handOver(state, "Left", true);
    EXPECT_EQ(state.Keywords, (std::vector<std::string>{"alpha", "Beta", "gamma"}));
    EXPECT_EQ(state.ExcludeStrings[1], (std::vector<std::string>{"Left", ""}));
    EXPECT_EQ(state.ExcludeCase[1], (std::vector<bool>{true, false}));

    // An empty list hands over nothing at all.
    KeywordLists empty;
    ProgramState cleared = heldState();
    empty.handOver(cleared, "", false);
    EXPECT_TRUE(cleared.Keywords.empty());
    EXPECT_TRUE(cleared.ExcludeStrings.empty());
}

} // namespace
} // namespace lexmora
