// The n-gram count over texts written to a temporary folder: the worked figures, file and
// sentence ends, the filters and every sort as whole lists, a forced spill against the list
// counted in memory, and every way out leaving no temporary file.
#include "analysis/ngrams.h"

#include "analysis/messages.h"
#include "support/test_support.h"
#include "wordcount/count_fixture.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace lexmora {
namespace {

class NgramsTest : public ::testing::Test {
protected:
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, LanguageId::English);
    SilentPrompter prompter;

    // The texts as files f1.txt, f2.txt, ... of the source folder, in that order.
    std::vector<std::string> write(const std::vector<std::string>& texts) {
        std::vector<std::string> paths;
        for (std::size_t i = 0; i < texts.size(); ++i)
            paths.push_back(dir.write("source/f" + std::to_string(i + 1) + ".txt", texts[i]));
        return paths;
    }

    Result<NgramResult> count(NgramRequest request, RunHost* host = nullptr) {
        NgramHooks hooks;
        hooks.prompter = &prompter;
        hooks.host = host;
        return CountNgrams(state, request, hooks);
    }

    // "text freq range" lines of a run over the texts.
    std::string lines(const std::vector<std::string>& texts, NgramRequest request) {
        request.sources = write(texts);
        const Result<NgramResult> r = count(request);
        if (!r)
            return "failed: " + r.error().text;
        return linesOf(*r);
    }

    static std::string linesOf(const NgramResult& r) {
        std::string out;
        for (const SequenceItem& item : r.list.items)
            out += std::string(r.list.textOf(item)) + " " + std::to_string(item.freq) + " " +
                   std::to_string(item.range) + "\n";
        return out;
    }

    static NgramRequest sized(int low, int high, std::int64_t minFreq, std::int64_t minRange) {
        NgramRequest r;
        r.minSize = low;
        r.maxSize = high;
        r.minFreq = minFreq;
        r.minRange = minRange;
        return r;
    }

    std::vector<std::string> temporaryEntries() const {
        return test::folderEntries(state.TempDirectory);
    }
};

const std::vector<std::string> kWorked = {"in the end of the day", "at the end of the road"};

TEST_F(NgramsTest, WorkedFigures) {
    EXPECT_EQ(lines(kWorked, sized(3, 3, 2, 2)), "end of the 2 2\nthe end of 2 2\n");
    EXPECT_EQ(lines(kWorked, sized(2, 2, 2, 2)), "end of 2 2\nof the 2 2\nthe end 2 2\n");
}

TEST_F(NgramsTest, SequencesNeverCrossAFileEnd) {
    EXPECT_EQ(lines({"alpha beta", "gamma delta"}, sized(2, 2, 1, 1)),
              "alpha beta 1 1\ngamma delta 1 1\n");
    // two words and one: no 3-gram at all
    EXPECT_EQ(lines({"one two", "three"}, sized(3, 3, 1, 1)), "");
}

TEST_F(NgramsTest, StopAtSentenceEnd) {
    // A mark ends a sentence only before a blank or a line end (12.50 and abc.def do not), also
    // at the end of a line of a CR LF file.
    const std::string text =
        "one two. three four? five six! seven 12.50 abc.def eight.\r\nnine ten";
    NgramRequest request = sized(2, 2, 1, 1);
    request.stopAtSentence = true;
    request.sort = SequenceSort::Ending; // byte order of the reversed texts: "05 21" first
    EXPECT_EQ(lines({text}, request), "12 50 1 1\nseven 12 1 1\n50 abc 1 1\nabc def 1 1\n"
                                      "nine ten 1 1\none two 1 1\nthree four 1 1\n"
                                      "def eight 1 1\nfive six 1 1\n");
    request.stopAtSentence = false;
    EXPECT_EQ(lines({text}, request),
              "12 50 1 1\nseven 12 1 1\n50 abc 1 1\ntwo three 1 1\neight nine 1 1\n"
              "four five 1 1\nabc def 1 1\nnine ten 1 1\nsix seven 1 1\none two 1 1\n"
              "three four 1 1\ndef eight 1 1\nfive six 1 1\n");
}

TEST_F(NgramsTest, CaseIsFoldedAsTheWordListFoldsIt) {
    EXPECT_EQ(lines({"The End. THE END the end"}, sized(2, 2, 2, 1)), "the end 3 1\nend the 2 1\n");
}

TEST_F(NgramsTest, MinimumFrequencyAndRange) {
    // one-letter words but "a" and "I" are no English words: two letters each
    const std::vector<std::string> texts = {"aa bb aa bb aa bb cc", "aa bb xx", "yy zz"};
    struct Case {
        std::int64_t minFreq, minRange;
        const char* expected;
    };
    const Case cases[] = {
        {1, 1, "aa bb 4 2\nbb aa 2 1\nbb cc 1 1\nbb xx 1 1\nyy zz 1 1\n"},
        {2, 1, "aa bb 4 2\nbb aa 2 1\n"},
        {1, 2, "aa bb 4 2\n"},
        {5, 1, ""},
        {2, 3, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lines(texts, sized(2, 2, c.minFreq, c.minRange)), c.expected)
            << c.minFreq << " " << c.minRange;
}

TEST_F(NgramsTest, EverySortTiesAlphabetically) {
    const std::vector<std::string> texts = {"big dog big dog cat sat cat sat", "cat sat on"};
    struct Case {
        SequenceSort sort;
        const char* expected;
    };
    const Case cases[] = {
        {SequenceSort::Freq, "cat sat 3 2\nbig dog 2 1\ndog big 1 1\ndog cat 1 1\nsat cat 1 1\n"
                             "sat on 1 1\n"},
        {SequenceSort::Range, "cat sat 3 2\nbig dog 2 1\ndog big 1 1\ndog cat 1 1\nsat cat 1 1\n"
                              "sat on 1 1\n"},
        {SequenceSort::Alpha, "big dog 2 1\ncat sat 3 2\ndog big 1 1\ndog cat 1 1\nsat cat 1 1\n"
                              "sat on 1 1\n"},
        // reversed: "tac tas", "gib god", "tac god", "god gib", "no tas", "tas tac"
        {SequenceSort::Ending, "dog big 1 1\nbig dog 2 1\nsat on 1 1\ndog cat 1 1\n"
                               "sat cat 1 1\ncat sat 3 2\n"},
    };
    for (const Case& c : cases) {
        NgramRequest request = sized(2, 2, 1, 1);
        request.sort = c.sort;
        EXPECT_EQ(lines(texts, request), c.expected) << SequenceSortName(c.sort);
    }
}

TEST_F(NgramsTest, ARangeOfSizesInOneRunAndTop) {
    NgramRequest request = sized(2, 4, 2, 2);
    EXPECT_EQ(lines(kWorked, request),
              "end of 2 2\nend of the 2 2\nof the 2 2\nthe end 2 2\nthe end of 2 2\n"
              "the end of the 2 2\n");
    request.top = 2;
    EXPECT_EQ(lines(kWorked, request), "end of 2 2\nend of the 2 2\n");
}

// Random texts over a small vocabulary, so that many sequences repeat within and across files.
std::vector<std::string> randomTexts(int files, int words, unsigned seed) {
    static const char* vocabulary[] = {"the", "end",  "of", "a",  "day", "road", "in", "at",
                                       "Day", "ROAD", "xx", "yy", "zz",  "ww",   "vv", "uu"};
    std::mt19937 random(seed);
    std::vector<std::string> texts;
    for (int f = 0; f < files; ++f) {
        std::string text;
        for (int w = 0; w < words; ++w) {
            text += vocabulary[random() % 16];
            text += random() % 11 == 0 ? ". " : (random() % 13 == 0 ? "\n" : " ");
        }
        texts.push_back(text);
    }
    return texts;
}

TEST_F(NgramsTest, ASpilledRunGivesTheListOfARunInMemory) {
    // 40 files of 3000 words: a bound of a few kilobytes spills many times, within files too,
    // so that ranges must be joined across spills.
    for (bool sentences : {false, true}) {
        NgramRequest request = sized(2, 5, 2, 1);
        request.sources = write(randomTexts(40, 3000, sentences ? 7 : 3));
        request.stopAtSentence = sentences;
        const Result<NgramResult> inMemory = count(request);
        request.memoryBound = 4096;
        const Result<NgramResult> spilled = count(request);
        ASSERT_TRUE(inMemory && spilled);
        EXPECT_FALSE(inMemory->spilled);
        EXPECT_TRUE(spilled->spilled);
        EXPECT_GT(inMemory->list.items.size(), 1000u);
        EXPECT_EQ(linesOf(*spilled), linesOf(*inMemory));
        EXPECT_EQ(spilled->tokens, 40 * 3000);
        EXPECT_TRUE(temporaryEntries().empty());
    }
}

// Confirms leaving at the n-th yield; looks into the temporary folder at every one.
class LeavingHost : public RunHost {
public:
    explicit LeavingHost(int at) : m_at(at) {}
    void yield(ProgramState& state) override {
        if (!test::folderEntries(state.TempDirectory).empty())
            ++m_glimpses;
        if (++m_yields == m_at)
            state.ExitFlag = ExitRequest::UserConfirmedLeaving;
    }
    int yields() const { return m_yields; }
    int glimpses() const { return m_glimpses; }

private:
    int m_at;
    int m_yields = 0, m_glimpses = 0;
};

TEST_F(NgramsTest, LeavingMidRunLeavesNoTemporaryFile) {
    NgramRequest request = sized(3, 3, 2, 1);
    request.sources = write(randomTexts(30, 2000, 11));
    request.memoryBound = 4096;
    // a run that goes to the end yields this often: leave after a quarter, half and in the merge
    LeavingHost counting(1 << 30);
    ASSERT_TRUE(count(request, &counting));
    // The spills and the sorted runs have no name in the folder while the run goes on, so that
    // a process killed at any moment leaves nothing either. (Where the file system cannot make
    // a file without a name, one stands for the moment before its removal: a look may catch it.)
    EXPECT_GT(counting.yields(), 20);
    EXPECT_LE(counting.glimpses(), 1) << "of " << counting.yields() << " looks";
    const int late = counting.yields() - 3;
    for (int at : {counting.yields() / 4, counting.yields() / 2, late}) {
        LeavingHost host(at);
        const Result<NgramResult> r = count(request, &host);
        state.ExitFlag = ExitRequest::None;
        EXPECT_TRUE(temporaryEntries().empty()) << at;
        // The merge yields as the workers report, so a run may yield fewer times than the
        // one counted and end before it is asked to leave: then it is a whole run.
        if (at == late && r.ok()) {
            EXPECT_LT(host.yields(), at) << "asked to leave, and went on to the end";
            continue;
        }
        ASSERT_FALSE(r) << at;
        EXPECT_EQ(r.code(), FailureCode::Cancelled);
    }
}

// Pauses at the n-th yield, and goes on after a few waits.
class PausingHost : public RunHost {
public:
    explicit PausingHost(int at) : m_at(at) {}
    void yield(ProgramState& state) override {
        if (++m_yields == m_at)
            state.PauseFlag = true;
    }
    void waitForEvents(ProgramState& state, std::chrono::milliseconds) override {
        if (++m_waits == 3)
            state.PauseFlag = false;
    }
    int waits() const { return m_waits; }

private:
    int m_at;
    int m_yields = 0, m_waits = 0;
};

TEST_F(NgramsTest, APauseAnywhereGivesTheSameList) {
    NgramRequest request = sized(2, 4, 2, 1);
    request.sources = write(randomTexts(30, 2000, 13));
    request.memoryBound = 4096;
    LeavingHost counting(1 << 30);
    const Result<NgramResult> whole = count(request, &counting);
    ASSERT_TRUE(whole);
    // in the count, and as late as the merge goes
    for (int at : {counting.yields() / 2, counting.yields() - 2}) {
        PausingHost host(at);
        const Result<NgramResult> r = count(request, &host);
        state.PauseFlag = false;
        ASSERT_TRUE(r) << at;
        EXPECT_EQ(linesOf(*r), linesOf(*whole)) << at;
        EXPECT_TRUE(temporaryEntries().empty()) << at;
        // the merge yields as its threads go, so a run may end before the late pause
        if (at == counting.yields() / 2) {
            EXPECT_GE(host.waits(), 3);
        }
    }
}

TEST_F(NgramsTest, AnUnwritableTemporaryFolderOrAFullDiskIsToldAndLeavesNothing) {
    NgramRequest request = sized(3, 3, 2, 1);
    request.sources = write(randomTexts(20, 3000, 5));
    request.memoryBound = 4096;
    const std::string temp = state.TempDirectory;
    state.TempDirectory = dir.write("not-a-folder", "x");
    Result<NgramResult> r = count(request);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.code(), FailureCode::CannotWrite);
    EXPECT_EQ(r.error().text,
              analysis::msg::CannotSpillInFolder(state.TempDirectory, "Not a directory").text);
    state.TempDirectory = temp;
    {
        test::SmallDisk disk(10000);
        r = count(request);
    }
    ASSERT_FALSE(r);
    EXPECT_EQ(r.code(), FailureCode::DiskFull);
    EXPECT_TRUE(temporaryEntries().empty());
}

TEST_F(NgramsTest, FilesThatCannotBeReadAreNamedAndTheRestCounted) {
    NgramRequest request = sized(2, 2, 1, 1);
    request.sources = write({"good words here"});
    const std::string binary = dir.write("source/b.txt", std::string("bad\0words", 9));
    const std::string missing = dir.path() + "/source/missing.txt";
    request.sources.insert(request.sources.begin(), {binary, missing});
    const Result<NgramResult> r = count(request);
    ASSERT_TRUE(r);
    EXPECT_EQ(linesOf(*r), "good words 1 1\nwords here 1 1\n");
    EXPECT_EQ(r->files, 1);
    ASSERT_EQ(r->notes.size(), 2u);
    EXPECT_EQ(r->notes[0], analysis::msg::NotATextSource(binary).text);
    EXPECT_NE(r->notes[1].find("missing.txt"), std::string::npos);
    EXPECT_EQ(prompter.shown.size(), 2u);

    request.sources = {binary, missing};
    const Result<NgramResult> none = count(request);
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error().text, analysis::msg::NoWordsForNgrams().text);
}

TEST(NgramSize, ParsedWithinTwoToEight) {
    struct Case {
        const char* text;
        int low, high; // 0: refused
    };
    const Case cases[] = {{"3", 3, 3}, {"2-5", 2, 5}, {"8", 8, 8},   {"2-2", 2, 2}, {"1", 0, 0},
                          {"9", 0, 0}, {"5-2", 0, 0}, {"2-9", 0, 0}, {"", 0, 0},    {"3-", 0, 0},
                          {"x", 0, 0}, {"10", 0, 0},  {"-3", 0, 0}};
    for (const Case& c : cases) {
        const auto size = ParseNgramSize(c.text);
        if (c.low == 0)
            EXPECT_FALSE(size) << c.text;
        else
            EXPECT_EQ(size, (std::pair{c.low, c.high})) << c.text;
    }
}

} // namespace
} // namespace lexmora
