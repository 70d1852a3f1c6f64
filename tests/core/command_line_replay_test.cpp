// The copied command lines run through /bin/sh with the built lexmora-cli: every file they
// write must be the file the desktop's engine run wrote, byte for byte.
#include "codes/program_start.h"
#include "core/command_line.h"

#include "codes/code_tables.h"
#include "core/paths.h"
#include "core/program_location.h"
#include "core/settings.h"
#include "search/search_run.h"
#include "support/test_support.h"
#include "viewer/extracts.h"
#include "viewer/view_command_line.h"
#include "wordcount/count_request.h"
#include "wordcount/word_counter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <functional>
#include <map>
#include <sys/wait.h>

namespace lexmora {
namespace {

const std::string kCli = test::binDir() + "/lexmora-cli";

// Every file of a folder (not its sub-folders) by name, with its bytes.
std::map<std::string, std::string> filesOf(const std::string& folder) {
    std::map<std::string, std::string> files;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                files[name] = test::readFile(JoinPath(folder, name));
        }
        ::closedir(dir);
    }
    return files;
}

// The desktop's output folder moved aside and made anew empty, so that the line writes into
// the same place; what the desktop wrote is returned.
std::map<std::string, std::string> takeAway(const std::string& folder) {
    auto files = filesOf(folder);
    for (const auto& [name, bytes] : files)
        std::remove(JoinPath(folder, name).c_str());
    return files;
}

int runLine(const std::vector<std::string>& words) {
    std::vector<std::string> all = words;
    all.insert(all.begin(), kCli);
    const std::string line = ShellLine(all) + " >/dev/null 2>&1";
    const int status = std::system(("/bin/sh -c " + ShellQuote(line)).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Desktop {
    test::TempDir dir;
    std::string home, texts, out, freq;
    ProgramState state;
    SilentPrompter prompter;

    Desktop() {
        home = dir.makeFolder("prog");
        texts = dir.makeFolder("my texts");
        out = dir.makeFolder("out 'desk'");
        freq = dir.makeFolder("freq");
        // As lexmora-cli starts: the same program folder, settings and code files.
        const ProgramLocation location = LocateProgramFrom(test::binDir(), home);
        StartProgram(state, location, prompter);

        dir.write("my texts/l'amour.txt",
                  "Mon amour, my love: love is caf\xE9 and Love at the caf\xE9 in Paris.\r\n"
                  "Love letters, love songs and lovely days; love again and again.\r\n");
        dir.write("my texts/-second.txt", "No love here? Yes, love here, and LOVE there.\r\n"
                                          "A love for words; love of Paris.\r\n");
        dir.write("my texts/sub/third.txt", "Deep love in a sub folder, love and love.\r\n");
        state.SourceDirectory = AddBackslash(texts);
        state.SourceFileType = "*.txt";
        state.LeftContext = 25;
        state.RightContext = 20;
        state.TargetDirectory = out;
        state.FrequencyFilesDirectory = freq;
    }

    void keywords(std::vector<std::string> words, std::vector<bool> cases) {
        state.Keywords = std::move(words);
        state.KeywordCase = std::move(cases);
        state.ExcludeStrings.assign(state.Keywords.size(), {});
        state.ExcludeCase.assign(state.Keywords.size(), {});
    }

    SearchRun search() {
        struct : SearchObserver {
        } observer;
        SearchRun run;
        ProgramState copy = state; // the run changes counters and paths in the state
        RunSearch(copy, SearchRequestFor(copy), run, observer, prompter);
        return run;
    }
};

TEST(CommandLineReplay, SearchesWriteTheDesktopsResultFiles) {
    struct Case {
        const char* what;
        std::function<void(Desktop&)> set;
    };
    const Case cases[] = {
        {"one file set per keyword, chosen files, mixed case",
         [](Desktop& d) {
             d.state.SourceFiles = {"l'amour.txt", "-second.txt"};
             d.keywords({"love", "Paris", "caf\xE9"}, {false, true, false});
             d.state.SaveToFile = true;
         }},
        {"one result file set for all, a tree, ASCII, an exclude string",
         [](Desktop& d) {
             d.state.IncludeSubfolders = true;
             d.keywords({"love", "lo?e*"}, {false, false});
             d.state.ExcludeStrings = {{"my love"}, {"my love"}};
             d.state.ExcludeCase = {{false}, {false}};
             d.state.SaveToFile = true;
             d.state.SingleFile = true;
             d.state.ResultCode = kCodeAscii;
         }},
    };
    for (const Case& c : cases) {
        Desktop d;
        c.set(d);
        const SearchRun run = d.search();
        ASSERT_FALSE(run.keptDumpFiles.empty()) << c.what;
        const auto desktop = takeAway(d.out);
        const auto words = SearchCommandWords(d.state);
        ASSERT_TRUE(words) << c.what;
        EXPECT_EQ(runLine(*words), 0) << c.what << ": " << ShellLine(*words);
        EXPECT_EQ(filesOf(d.out), desktop) << c.what << ": " << ShellLine(*words);
    }
}

TEST(CommandLineReplay, ViewerSortEveryNthDeletionsAndExtract) {
    Desktop d;
    d.state.IncludeSubfolders = true;
    d.keywords({"love"}, {false});
    d.state.SaveToFile = true;
    const SearchRun run = d.search();
    ASSERT_EQ(run.keptDumpFiles.size(), 1u);
    const std::string dump = run.keptDumpFiles[0];
    const std::string extracts = d.dir.makeFolder("extracts");

    struct Case {
        const char* what;
        int stepN;
        std::function<void(ResultViewer&, Prompter&)> change;
        ExtractRange range;
        LineForm form;
    };
    const Case cases[] = {
        {"a deletion, a sort on the first word to the right, another deletion",
         1,
         [](ResultViewer& v, Prompter& p) {
             v.DeleteSelected({3}, p);
             v.Sort(SortMode::WordBeginning, 0, 1, 20);
             v.DeleteSelected({2, 5}, p);
         },
         {2, 5},
         LineForm::WholeRecord},
        {"every second, sorted backwards on the third word to the right within a narrow "
         "right context, KWIC sections",
         2,
         [](ResultViewer& v, Prompter& p) {
             v.Sort(SortMode::WordEnd, 0, 3, 8);
             v.DeleteSelected({4}, p);
         },
         {2, 4},
         LineForm::KwicSection},
        {"three levels: 1R, 2R backwards, 1L, with a deletion",
         1,
         [](ResultViewer& v, Prompter& p) {
             v.Sort({{SortMode::WordBeginning, 0, 1},
                     {SortMode::WordEnd, 0, 2},
                     {SortMode::WordBeginning, 1, 0}},
                    20);
             v.DeleteSelected({3}, p);
         },
         {2, 7},
         LineForm::WholeRecord},
        {"sorted left, then back to file order with a deletion",
         1,
         [](ResultViewer& v, Prompter& p) {
             v.Sort(SortMode::WordBeginning, 2, 0, 20);
             v.Unsort();
             v.DeleteSelected({6}, p);
         },
         {3, 7},
         LineForm::WholeRecord},
    };
    for (const Case& c : cases) {
        ScriptedPrompter yes({Answer::Yes, Answer::Yes, Answer::Yes});
        ViewerOptions options;
        options.stepN = c.stepN;
        auto viewer = ResultViewer::open(dump, d.prompter, options);
        ASSERT_TRUE(viewer) << c.what;
        c.change(*viewer, yes);
        const auto positions = ExtractPositions(c.range, {});
        const auto saved =
            SaveExtract(*viewer, positions, c.form, extracts, d.state.InvalidFileNameChars, yes);
        ASSERT_TRUE(saved && !saved->empty()) << c.what;
        const auto view = DescribeView(
            *viewer, SavedExtract{dump, positions, c.form, viewer->RecordIndex()}, extracts);
        ASSERT_TRUE(view) << c.what;
        ASSERT_TRUE(view->extract) << c.what;
        const auto desktop = takeAway(extracts);
        const auto words = ViewCommandWords(d.state, *view);
        EXPECT_EQ(runLine(words), 0) << c.what << ": " << ShellLine(words);
        EXPECT_EQ(filesOf(extracts), desktop) << c.what << ": " << ShellLine(words);
        takeAway(extracts);
    }
}

// "Save Changes" and "Save Sorted List" write the ".new" file of the whole display order: the
// copied line must write it too, not only show the order.
TEST(CommandLineReplay, ViewerSavedChangesWriteTheSameNewFile) {
    Desktop d;
    d.state.IncludeSubfolders = true;
    d.keywords({"love"}, {false});
    d.state.SaveToFile = true;
    const SearchRun run = d.search();
    ASSERT_EQ(run.keptDumpFiles.size(), 1u);
    const std::string dump = run.keptDumpFiles[0];
    const std::string folder = d.dir.makeFolder("new files");

    struct Case {
        const char* what;
        std::vector<Answer> answers; // to the deletion, then to the ".new" file's name
        std::function<void(ResultViewer&, Prompter&)> change;
    };
    const Case cases[] = {
        {"a sorted list, nothing deleted",
         {Answer::Ok},
         [](ResultViewer& v, Prompter&) { v.Sort(SortMode::WordBeginning, 1, 0, 20); }},
        {"sorted backwards with two deletions",
         {Answer::Yes, Answer::Ok},
         [](ResultViewer& v, Prompter& p) {
             v.Sort(SortMode::WordEnd, 0, 1, 20);
             v.DeleteSelected({3, 5}, p);
         }},
    };
    for (const auto& [what, answers, change] : cases) {
        ScriptedPrompter yes(answers);
        auto viewer = ResultViewer::open(dump, d.prompter);
        ASSERT_TRUE(viewer) << what;
        change(*viewer, yes);
        const auto saved = SaveChanges(*viewer, folder, d.state.InvalidFileNameChars, yes);
        ASSERT_TRUE(saved && !saved->empty()) << what;
        const auto view = DescribeView(
            *viewer, SavedExtract{dump, {}, LineForm::WholeRecord, viewer->RecordIndex(), true},
            folder);
        ASSERT_TRUE(view) << what;
        const auto desktop = takeAway(folder);
        const auto words = ViewCommandWords(d.state, *view);
        EXPECT_EQ(runLine(words), 0) << what << ": " << ShellLine(words);
        EXPECT_EQ(filesOf(folder), desktop) << what << ": " << ShellLine(words);
        takeAway(folder);
    }
}

TEST(CommandLineReplay, ViewOrderNoLineCanGiveIsRefused) {
    Desktop d;
    d.state.SourceFiles = {"l'amour.txt", "-second.txt"};
    d.keywords({"love"}, {false});
    d.state.SaveToFile = true;
    const SearchRun run = d.search();
    ASSERT_EQ(run.keptDumpFiles.size(), 1u);
    auto viewer = ResultViewer::open(run.keptDumpFiles[0], d.prompter);
    ASSERT_TRUE(viewer);
    // Undone after a sort, a deletion comes back where it stood, not where the sort puts it.
    viewer->DeleteSelected({2}, d.prompter);
    viewer->Sort(SortMode::WordEnd, 0, 1, 20);
    viewer->UndoLastDeletion();
    const auto order = viewer->RecordIndex();
    auto fresh = ResultViewer::open(run.keptDumpFiles[0], d.prompter);
    fresh->Sort(SortMode::WordEnd, 0, 1, 20);
    ASSERT_NE(fresh->RecordIndex(), order);
    EXPECT_EQ(DescribeView(*viewer, std::nullopt, "").code(), FailureCode::InvalidInput);
    // Words on both sides of the keyword: the line sorts on one side only.
    viewer->Sort(SortMode::WordBeginning, 1, 1, 20);
    EXPECT_EQ(DescribeView(*viewer, std::nullopt, "").code(), FailureCode::InvalidInput);
}

TEST(CommandLineReplay, TheAddedOptionsRefuseWhatTheyCannotSay) {
    Desktop d;
    const std::string texts = d.texts;
    const std::vector<std::vector<std::string>> usageErrors = {
        {"--home", d.home, "search", "--file", "c.txt", "--", "love"}, // no folder for the file
        {"--home", d.home, "search", "--source", texts, "--tree", "--file", "c.txt", "love"},
        {"--home", d.home, "view", "--sort", "right", "--right", "wide", "--", "x.dmp"},
        {"--home", d.home, "view", "--right"},
        {"--home", d.home, "count", "--out", "n", "--pattern"}, // the mask is missing
    };
    for (const auto& words : usageErrors)
        EXPECT_EQ(runLine(words), 2) << ShellLine(words);
}

TEST(CommandLineReplay, CountsWriteTheDesktopsWordList) {
    struct Case {
        const char* what;
        std::function<void(Desktop&)> set;
    };
    const Case cases[] = {
        {"a folder tree of .txt files, German",
         [](Desktop& d) {
             d.state.IncludeSubfolders = true;
             ApplyLanguage(d.state, LanguageId::German);
         }},
        {"a whole folder of .txt files, English",
         [](Desktop& d) { d.state.AllFilesInFolder = true; }},
        {"chosen files, French with hyphen breaks",
         [](Desktop& d) {
             d.state.SourceFiles = {"-second.txt", "l'amour.txt"};
             ApplyLanguage(d.state, LanguageId::French);
             d.state.WordbreakAtHyphen = true;
         }},
    };
    for (const Case& c : cases) {
        Desktop d;
        c.set(d);
        const std::string name = "words 'one'";
        ProgramState copy = d.state;
        const CountResult result =
            CountWords(copy, CountRequestFor(d.state, name, d.prompter), d.prompter, {});
        ASSERT_EQ(result.outcome, CountOutcome::Completed) << c.what;
        const auto desktop = takeAway(d.freq);
        ASSERT_EQ(desktop.size(), 2u) << c.what;
        const auto words = CountCommandWords(d.state, name);
        EXPECT_EQ(runLine(words), 0) << c.what << ": " << ShellLine(words);
        EXPECT_EQ(filesOf(d.freq), desktop) << c.what << ": " << ShellLine(words);
    }
}

} // namespace
} // namespace lexmora
