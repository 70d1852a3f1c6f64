// Whole count runs over small texts: the bytes of the pair written, the splitting of large
// buckets, skipped files, questions, abandoning, and that no temporary file stays behind.
#include "wordcount/word_counter.h"

#include "core/paths.h"
#include "count_fixture.h"
#include "support/test_support.h"
#include "wordcount/frequency_files.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

using test::folderEntries;
using test::readFile;
using test::records;

struct CountCase {
    test::TempDir dir;
    ProgramState state;
    SilentPrompter silent;
    explicit CountCase(LanguageId language) : state(test::wordcountState(dir, language)) {}

    std::string source(const std::string& name, std::string_view text) {
        return dir.write("source/" + name, text);
    }
    CountResult count(const std::vector<std::string>& files, Prompter& prompter,
                      CountHooks hooks = {}) {
        return CountWords(state, test::countRequest(state, files, "list"), prompter, hooks);
    }
    CountResult count(const std::vector<std::string>& files) { return count(files, silent); }
    std::string list() const { return readFile(state.FrequencyFilesDirectory + "/list.lst"); }
    std::string index() const { return readFile(state.FrequencyFilesDirectory + "/list.sta"); }
    // the types as "word frequency" lines, read back through the index
    std::vector<std::string> types() const {
        Result<CountFile> file = LoadCountFile(state.FrequencyFilesDirectory + "/list.lst");
        EXPECT_TRUE(file.ok()) << (file.ok() ? "" : file.error().text);
        std::vector<std::string> out;
        if (!file)
            return out;
        Result<std::vector<std::string>> words = ReadAllWords(file.value());
        for (std::size_t i = 0; i < words->size(); ++i)
            out.push_back(words.value()[i] + " " + std::to_string(file->types[i].count));
        return out;
    }
    bool tempIsEmpty() const { return folderEntries(state.TempDirectory).empty(); }
};

std::string repeat(const std::string& word, int n) {
    std::string text;
    for (int i = 0; i < n; ++i)
        text += word + (i % 10 == 9 ? "\r\n" : " ");
    return text;
}

TEST(WordcountRun, BeAnAnWritesTheHandCheckedPair) {
    CountCase run(LanguageId::English);
    run.source("a.txt", "be an an\r\n");
    const CountResult result = run.count({"a.txt"});
    ASSERT_EQ(result.outcome, CountOutcome::Completed);
    EXPECT_EQ(result.tokens, 3);
    EXPECT_EQ(result.types, 2);
    EXPECT_EQ(result.files, 1);
    EXPECT_EQ(run.list(), "tokens:3        types:2        files:1      \r\nan\r\nbe\r\n");
    std::string expected = records({{47, 1}, {51, 1}});
    for (int letter = 3; letter <= 26; ++letter)
        expected += records({{55, 0}});
    expected += records({{47, 2}, {51, 1}});
    EXPECT_EQ(run.index(), expected);
    EXPECT_TRUE(run.tempIsEmpty());
    EXPECT_EQ(folderEntries(run.state.FrequencyFilesDirectory),
              (std::vector<std::string>{"list.lst", "list.sta"}));
    EXPECT_EQ(result.resultText, "  Count results:   tokens: 3 - types: 2    :   time elapsed:  0 "
                                 "minutes 0 seconds\r\n   Please click on \xAB Continue \xBB...");
}

TEST(WordcountRun, FrenchTextGivesHandCountedTypes) {
    CountCase run(LanguageId::French);
    // tokens: l homme d aujourd'hui (4) / Le c\x9Cur à l \x9Cuvre 2002 (6) / L'homme LE (3)
    run.source("f.txt",
               "l'homme d'aujourd'hui\r\nLe c\x9Cur \xE0 l'\x9Cuvre 2002\r\nL'homme LE\x1A");
    run.source("g.txt", "\xC9t\xE9 \xE9t\xE9, \xE9T\xC9 (\xE9t\xE9s) caf\xE9 cafe\n");
    const CountResult result = run.count({"f.txt", "g.txt"});
    ASSERT_EQ(result.outcome, CountOutcome::Completed);
    EXPECT_EQ(result.tokens, 13 + 6);
    EXPECT_EQ(run.types(),
              (std::vector<std::string>{"\xE0 1", "aujourd'hui 1", "cafe 1", "caf\xE9 1", "coeur 1",
                                        "d 1", "\xE9t\xE9 3", "\xE9t\xE9s 1", "homme 2", "l 3",
                                        "Le 2", "oeuvre 1"}));
    EXPECT_EQ(result.types, 12);
    EXPECT_EQ(result.files, 2);
}

TEST(WordcountRun, CaseVariantsAreOneTypeSpelledLowerFirst) {
    CountCase run(LanguageId::English);
    run.source("a.txt", "WORD Word word WORD\r\nThe the THE\r\nZebra ZEBRA\r\n");
    ASSERT_EQ(run.count({"a.txt"}).outcome, CountOutcome::Completed);
    EXPECT_EQ(run.types(), (std::vector<std::string>{"the 3", "word 4", "Zebra 2"}));
}

TEST(WordcountRun, FifteenThousandWordsAreSortedInMemoryOneMoreSplits) {
    // 15000 copies of "A" are read and keep their spelling; at 15001 the bucket is split and
    // the underscore piece gives the prefix "a" without being read.
    for (const auto& [copies, expected] :
         std::vector<std::pair<int, std::string>>{{15000, "A 15000"}, {15001, "a 15001"}}) {
        CountCase run(LanguageId::English);
        run.source("a.txt", repeat("A", copies));
        ASSERT_EQ(run.count({"a.txt"}).outcome, CountOutcome::Completed);
        EXPECT_EQ(run.types(), std::vector<std::string>{expected});
        EXPECT_TRUE(run.tempIsEmpty());
    }
}

TEST(WordcountRun, TwentyThousandAbcSplitOnceAndCollapse) {
    CountCase run(LanguageId::English);
    run.source("a.txt", repeat("abc", 20000));
    const CountResult result = run.count({"a.txt"});
    ASSERT_EQ(result.outcome, CountOutcome::Completed);
    EXPECT_EQ(run.types(), std::vector<std::string>{"abc 20000"});
    EXPECT_EQ(result.tokens, 20000);
}

TEST(WordcountRun, TheUnderscorePieceOfTheIsOneLowerCaseType) {
    CountCase run(LanguageId::English);
    run.source("a.txt",
               repeat("The", 16000) + repeat("this", 100) + repeat("toy", 100) + repeat("them", 3));
    ASSERT_EQ(run.count({"a.txt"}).outcome, CountOutcome::Completed);
    EXPECT_EQ(run.types(),
              (std::vector<std::string>{"the 16000", "them 3", "this 100", "toy 100"}));
    EXPECT_TRUE(run.tempIsEmpty());
}

TEST(WordcountRun, AnUnderscorePieceWithAccentsIsReadNotMerged) {
    // ~cafe_ holds cafe and café: taken unread it would list café as cafe.
    CountCase run(LanguageId::English);
    run.source("a.txt", repeat("cafe", 15001) + "caf\xE9 cafa cab cob\r\n");
    ASSERT_EQ(run.count({"a.txt"}).outcome, CountOutcome::Completed);
    EXPECT_EQ(run.types(),
              (std::vector<std::string>{"cab 1", "cafa 1", "cafe 15001", "caf\xE9 1", "cob 1"}));
}

TEST(WordcountRun, SplitOrderMatchesInMemoryOrder) {
    // the same words, once in a small bucket and once in a bucket large enough to split
    const std::string words = "b\xE2t bat b'x b-y ba BA Bz b\xDF"
                              "e bb ";
    CountCase small(LanguageId::English), large(LanguageId::English);
    small.source("a.txt", words);
    large.source("a.txt", words + repeat("bq", 15001));
    ASSERT_EQ(small.count({"a.txt"}).outcome, CountOutcome::Completed);
    ASSERT_EQ(large.count({"a.txt"}).outcome, CountOutcome::Completed);
    std::vector<std::string> got = large.types();
    std::vector<std::string> withoutBq;
    for (const std::string& t : got)
        if (t != "bq 15001")
            withoutBq.push_back(t);
    EXPECT_EQ(withoutBq, small.types());
    EXPECT_EQ(small.types(),
              (std::vector<std::string>{"b'x 1", "b-y 1", "ba 2", "bat 1", "b\xE2t 1", "bb 1",
                                        "b\xDF"
                                        "e 1",
                                        "Bz 1"}));
}

TEST(WordcountRun, DigitWordsAreTokensButNotListed) {
    CountCase run(LanguageId::English);
    run.source("a.txt", "In 2002 the 1990s ended 42\r\n");
    const CountResult result = run.count({"a.txt"});
    EXPECT_EQ(result.tokens, 6); // In, 2002, the, 1990s, ended, 42
    EXPECT_EQ(run.types(), (std::vector<std::string>{"ended 1", "In 1", "the 1"}));
}

TEST(WordcountRun, UnsuitableFilesAreSkipped) {
    CountCase run(LanguageId::English);
    run.source("empty.txt", "");
    run.source("binary.txt", std::string("word\0word", 9));
    run.source("picture.gif", "GIF89a words words");
    run.source("utf16.txt", std::string("\xFF\xFEh\0i\0 \0t\0h\0e\0r\0e\0\r\0\n\0", 22));
    run.source("text.txt", "here");
    const CountResult result =
        run.count({"empty.txt", "binary.txt", "picture.gif", "utf16.txt", "text.txt"});
    ASSERT_EQ(result.outcome, CountOutcome::Completed);
    EXPECT_EQ(run.types(), (std::vector<std::string>{"here 1", "hi 1", "there 1"}));
    EXPECT_EQ(result.files, 5);
    EXPECT_TRUE(run.silent.shown.empty());
}

TEST(WordcountRun, NoWordsAtAllIsRefused) {
    CountCase run(LanguageId::English);
    run.source("binary.txt", std::string("\0\0\0", 3));
    run.source("digits.txt", "... 123 !!! x");
    const CountResult result = run.count({"binary.txt", "digits.txt"});
    // "123" is a token, so only the binary file alone has no word at all
    EXPECT_EQ(result.outcome, CountOutcome::Completed);
    CountCase none(LanguageId::English);
    none.source("binary.txt", std::string("\0\0\0", 3));
    none.source("marks.txt", "... !!! x ;;");
    const CountResult refused = none.count({"binary.txt", "marks.txt"});
    EXPECT_EQ(refused.outcome, CountOutcome::NoWords);
    ASSERT_EQ(none.silent.shown.size(), 1u);
    EXPECT_EQ(none.silent.shown[0].title, " Aborting wordcount");
    EXPECT_EQ(none.silent.shown[0].text, "Files unsuitable or no words in files!  \r\nCannot "
                                         "continue.");
    EXPECT_TRUE(none.tempIsEmpty());
    EXPECT_TRUE(folderEntries(none.state.FrequencyFilesDirectory).empty());
}

TEST(WordcountRun, MissingFileIgnoredOrAbandoned) {
    CountCase run(LanguageId::English);
    run.source("b.txt", "words here");
    ScriptedPrompter ignore({Answer::Ignore});
    const CountResult result = run.count({"gone.txt", "b.txt"}, ignore);
    ASSERT_EQ(result.outcome, CountOutcome::Completed);
    EXPECT_EQ(ignore.shown[0].title, " File error");
    EXPECT_EQ(result.tokens, 2);

    CountCase abort(LanguageId::English);
    const CountResult stopped = abort.count({"gone.txt"}); // safe answer: Abort
    EXPECT_EQ(stopped.outcome, CountOutcome::Abandoned);
    EXPECT_EQ(abort.state.ExitFlag, ExitRequest::UserPressedExit);
    EXPECT_TRUE(abort.tempIsEmpty());
}

TEST(WordcountRun, ExitAnsweredNoResumesYesLeavesNothing) {
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        CountCase run(LanguageId::English);
        run.source("a.txt", repeat("alpha", 70000)); // more than one block
        run.source("b.txt", "beta");
        ScriptedPrompter prompter({answer});
        // The user presses Exit at the first yield.
        struct ExitOnFirstYield : RunHost {
            int calls = 0;
            void yield(ProgramState& s) override {
                if (++calls == 1)
                    s.ExitFlag = ExitRequest::UserPressedExit;
            }
        } host;
        CountHooks hooks;
        hooks.host = &host;
        const CountResult result = run.count({"a.txt", "b.txt"}, prompter, hooks);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].title, " Abandon Wordcount");
        if (answer == Answer::No) {
            EXPECT_EQ(result.outcome, CountOutcome::Completed);
            EXPECT_EQ(run.types(), (std::vector<std::string>{"alpha 70000", "beta 1"}));
            EXPECT_EQ(run.state.ExitFlag, ExitRequest::None);
        } else {
            EXPECT_EQ(result.outcome, CountOutcome::Abandoned);
            EXPECT_EQ(run.state.ExitFlag, ExitRequest::UserConfirmedLeaving);
            EXPECT_TRUE(folderEntries(run.state.FrequencyFilesDirectory).empty());
        }
        EXPECT_TRUE(run.tempIsEmpty());
    }
}

TEST(WordcountRun, ExitDuringTheGatherLeavesNoPieces) {
    CountCase run(LanguageId::English);
    run.source("a.txt", repeat("abc", 20000) + repeat("abd", 20000));
    ScriptedPrompter yes({Answer::Yes});
    CountHooks hooks;
    hooks.progress = [&run](const CountProgress& p) {
        if (p.phase == CountProgress::Phase::Gather)
            run.state.ExitFlag = ExitRequest::UserPressedExit;
    };
    EXPECT_EQ(run.count({"a.txt"}, yes, hooks).outcome, CountOutcome::Abandoned);
    EXPECT_TRUE(run.tempIsEmpty());
    EXPECT_TRUE(folderEntries(run.state.FrequencyFilesDirectory).empty());
}

TEST(WordcountRun, ExistingListIsKeptUnlessOverwriteIsConfirmed) {
    CountCase run(LanguageId::English);
    run.source("a.txt", "new words");
    run.dir.write("out/list.lst", "old");
    run.dir.write("out/list.sta", "old");
    // No, then the name dialog is left, then "continue?" No: nothing starts
    const CountResult refused = run.count({"a.txt"});
    EXPECT_EQ(refused.outcome, CountOutcome::NotStarted);
    EXPECT_EQ(run.state.ExitFlag, ExitRequest::UserPressedExit);
    EXPECT_EQ(run.list(), "old");
    ASSERT_EQ(run.silent.shown.size(), 2u);
    EXPECT_EQ(run.silent.shown[0].text,
              "file \xAB list.lst \xBB already exists:\r\ndo you wish to overwrite it?");
    EXPECT_EQ(run.silent.shown[1].title, " You have not entered a name!");

    run.state.ExitFlag = ExitRequest::None;
    ScriptedPrompter no({Answer::No});
    CountHooks hooks;
    hooks.askText = [](const std::string&, std::size_t) {
        return std::optional<std::string>("other.lst");
    };
    const CountResult renamed =
        CountWords(run.state, test::countRequest(run.state, {"a.txt"}, "list"), no, hooks);
    ASSERT_EQ(renamed.outcome, CountOutcome::Completed);
    EXPECT_EQ(FileNameOf(renamed.listPath), "other.lst");
    EXPECT_EQ(run.list(), "old");

    ScriptedPrompter yes({Answer::Yes});
    ASSERT_EQ(run.count({"a.txt"}, yes).outcome, CountOutcome::Completed);
    EXPECT_EQ(run.list(), "tokens:2        types:2        files:1      \r\nnew\r\nwords\r\n");
}

TEST(WordcountRun, TooManyTokensIsRefusedBeforeWriting) {
    CountCase run(LanguageId::English);
    run.source("a.txt", "one two three four");
    CountHooks hooks;
    hooks.tokenLimit = 3;
    const CountResult result = run.count({"a.txt"}, run.silent, hooks);
    EXPECT_EQ(result.outcome, CountOutcome::Failed);
    ASSERT_EQ(run.silent.shown.size(), 1u);
    EXPECT_EQ(run.silent.shown[0].title, " Count too large");
    EXPECT_TRUE(folderEntries(run.state.FrequencyFilesDirectory).empty());
    EXPECT_TRUE(run.tempIsEmpty());
}

TEST(WordcountRun, HeaderFieldsTakeTheirWidestCounts) {
    EXPECT_EQ(FillCountHeader(999999999, 999999999, 9999999),
              "tokens:999999999types:999999999files:9999999");
    EXPECT_EQ(FillCountHeader(12034, 2311, 3), "tokens:12034    types:2311     files:3      ");
}

TEST(WordcountRun, UnwritableFrequencyFolderFailsCleanly) {
    CountCase run(LanguageId::English);
    run.source("a.txt", "some words");
    run.state.FrequencyFilesDirectory = run.dir.path() + "/no/such/folder";
    const CountResult result = run.count({"a.txt"});
    EXPECT_EQ(result.outcome, CountOutcome::Failed);
    ASSERT_FALSE(run.silent.shown.empty());
    EXPECT_EQ(run.silent.shown.back().title, " Error opening files!");
    EXPECT_TRUE(run.tempIsEmpty());
}

TEST(WordcountRun, LongLineAndHyphensAcrossBlocks) {
    // one line of more than a block, a join exactly at a block boundary
    CountCase run(LanguageId::English);
    std::string text = "a\r\n" + std::string(262144 - 3 - 5, ' ') + "exam-\r\nple ";
    std::string longLine;
    for (int i = 0; i < 300000; ++i)
        longLine += "word ";
    run.source("a.txt", text + longLine);
    ASSERT_EQ(run.count({"a.txt"}).outcome, CountOutcome::Completed);
    EXPECT_EQ(run.types(), (std::vector<std::string>{"a 1", "example 1", "word 300000"}));
}

// The sources are read and cut on a thread of their own, ahead of the counting: what the user
// is told and asked still comes in file order, and an answer still decides what is counted.
TEST(WordcountRun, NoticesAndQuestionsKeepFileOrderWhileTheReadingRunsAhead) {
    struct Case {
        const char* what;
        std::vector<Answer> answers; // to the question about 3.txt
        std::vector<std::string> types;
    };
    const std::vector<Case> cases = {
        {"retried until it is there",
         {Answer::Retry, Answer::Retry},
         {"alpha 70000", "delta 1", "epsilon 70000", "gamma 2"}},
        {"ignored", {Answer::Ignore}, {"alpha 70000", "delta 1", "epsilon 70000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CountCase run(LanguageId::English);
        run.source("1.txt", repeat("alpha", 70000)); // more than a block
        run.source("locked", "never counted");
        run.source("4.txt", "delta");
        run.source("5.txt", repeat("epsilon", 70000));
        // 3.txt appears while the second question is shown
        struct Answering : Prompter {
            CountCase* run;
            std::vector<Answer> answers;
            std::vector<std::string> shown;
            Answer ask(const Message& message) override {
                shown.push_back(message.text.substr(0, message.text.find('\r')));
                if (shown.size() == 3)
                    run->source("3.txt", "gamma gamma");
                return shown.size() - 2 < answers.size() ? answers[shown.size() - 2]
                                                         : Answer::Abort;
            }
        } prompter;
        prompter.run = &run;
        prompter.answers = c.answers;
        test::LockedCalls locked;
        const CountResult result =
            run.count({"1.txt", "locked", "3.txt", "4.txt", "5.txt"}, prompter);
        ASSERT_EQ(result.outcome, CountOutcome::Completed);
        EXPECT_EQ(run.types(), c.types);
        const std::string folder = run.state.SourceDirectory + "/";
        std::vector<std::string> shown = {"Cannot read file " + folder + "locked -"};
        for (std::size_t i = 0; i < c.answers.size(); ++i)
            shown.push_back("Cannot find file " + folder + "3.txt");
        EXPECT_EQ(prompter.shown, shown);
    }
}

// Leaving in the middle of a file, or failing there (the words outgrow memory and no folder
// takes them), ends the reading thread with the run, and nothing stays behind.
TEST(WordcountRun, EndingMidFileEndsTheReading) {
    const auto threads = [] { return folderEntries("/proc/self/task").size(); };
    const std::size_t before = threads();
    for (const bool spillFails : {false, true}) {
        SCOPED_TRACE(spillFails ? "spill fails" : "exit confirmed");
        CountCase run(LanguageId::English);
        std::string distinct; // in block 2: more words than the smallest budget holds
        for (int i = 0; i < 20000; ++i)
            distinct += std::string{'w', char('a' + i % 26), char('a' + i / 26 % 26),
                                    char('a' + i / 676), ' '};
        run.source("a.txt", repeat("alpha", 70000) + distinct);
        run.source("b.txt", repeat("gamma", 70000));
        struct ExitOnFirstYield : RunHost {
            void yield(ProgramState& s) override { s.ExitFlag = ExitRequest::UserPressedExit; }
        } host;
        CountHooks hooks;
        if (spillFails) {
            hooks.memoryBudget = 4096;
            run.state.TempDirectory = run.source("not-a-folder", "");
        } else {
            hooks.host = &host;
        }
        ScriptedPrompter prompter({Answer::Yes});
        EXPECT_EQ(run.count({"a.txt", "b.txt"}, prompter, hooks).outcome,
                  spillFails ? CountOutcome::Failed : CountOutcome::Abandoned);
        EXPECT_EQ(threads(), before);
        EXPECT_TRUE(folderEntries(run.state.FrequencyFilesDirectory).empty());
        EXPECT_TRUE(folderEntries(run.dir.path() + "/temp").empty());
    }
}

} // namespace
} // namespace lexmora
