#include "core/command_line.h"

#include "core/text_codec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace lexmora {
namespace {

// The words /bin/sh makes of a line: each printed between brackets on a line of its own.
std::string wordsAsShellSees(const std::string& line) {
    const std::string command = "printf '[%s]\\n' " + line;
    FILE* pipe = ::popen(("/bin/sh -c " + ShellQuote(command)).c_str(), "r");
    if (pipe == nullptr)
        return "<no shell>";
    std::string out;
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

TEST(ShellQuote, AwkwardWordsComeBackFromTheShellUnchanged) {
    struct Case {
        std::string word;
        std::string quoted;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"/home/ann/out_1.dmp", "/home/ann/out_1.dmp"},
        {"", "''"},
        {"two words", "'two words'"},
        {"l'homme", "'l'\\''homme'"},
        {"'", "''\\'''"},
        {"-dash", "-dash"},
        {"caf\xC3\xA9", "'caf\xC3\xA9'"},
        {"$HOME", "'$HOME'"},
        {"a\\b", "'a\\b'"},
        {"~ann", "'~ann'"},
        {"#not a comment", "'#not a comment'"},
        {"x=1", "'x=1'"},
        {"*.txt", "'*.txt'"},
        {"lo?e", "'lo?e'"},
        {"^Case", "'^Case'"},
        {"line\nbreak", "'line\nbreak'"},
        {"`date`;$(id)&|<>", "'`date`;$(id)&|<>'"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShellQuote(c.word), c.quoted) << c.word;
        EXPECT_EQ(wordsAsShellSees(ShellQuote(c.word)), "[" + c.word + "]\n") << c.word;
    }
    EXPECT_EQ(wordsAsShellSees(ShellLine({"a b", "", "c'd"})), "[a b]\n[]\n[c'd]\n");
}

// The words bash makes of a line, as wordsAsShellSees (the line goes to bash in plain single
// quotes, which /bin/sh passes on byte for byte).
std::string wordsAsBashSees(const std::string& line) {
    std::string command = "'";
    for (char c : "printf '[%s]\\n' " + line)
        command += c == '\'' ? std::string("'\\''") : std::string(1, c);
    command += "'";
    FILE* pipe = ::popen(("bash -c " + command).c_str(), "r");
    if (pipe == nullptr)
        return "<no shell>";
    std::string out;
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

// A name that is not UTF-8 is written so that the line is UTF-8 text (what a clipboard carries)
// and bash gives the name's bytes back.
TEST(ShellQuote, NamesThatAreNotUtf8ComeBackFromBashByteForByte) {
    struct Case {
        std::string word;
        std::string quoted;
    };
    const Case cases[] = {
        {"bad\xFF\xFE.txt", "$'bad\\xff\\xfe.txt'"},
        {"\xE9t\xE9 l'a\\b", "$'\\xe9t\\xe9 l\\'a\\\\b'"}, // Windows-1252 text
        {"caf\xC3\xA9 \xFF"
         "1",
         "$'caf\xC3\xA9 \\xff1'"},  // UTF-8 stays, hex digit after
        {"cut\xC3", "$'cut\\xc3'"}, // a sequence cut short
        {"tab\t\xFF$x", "$'tab\\x09\\xff$x'"},
    };
    for (const Case& c : cases) {
        const std::string quoted = ShellQuote(c.word);
        EXPECT_EQ(quoted, c.quoted);
        EXPECT_TRUE(checkUtf8(quoted).valid) << quoted;
        EXPECT_EQ(wordsAsBashSees(ShellLine({"x", c.word})), "[x]\n[" + c.word + "]\n") << quoted;
    }
}

TEST(PositionList, RunsBecomeRanges) {
    EXPECT_EQ(PositionList({}), "");
    EXPECT_EQ(PositionList({3}), "3");
    EXPECT_EQ(PositionList({7, 3, 5, 6, 5}), "3,5-7");
    EXPECT_EQ(PositionList({2, 3, 4, 10, 12, 13}), "2-4,10,12-13");
}

ProgramState searchState() {
    ProgramState state;
    state.ProgramFolder = "/prog";
    state.SourceDirectory = "/texts/";
    state.SourceFileType = "*.txt";
    state.LeftContext = 40;
    state.RightContext = 30;
    state.CodeMode = 1;
    state.LanguageIndex = 0;
    state.Keywords = {"love", "-dash"};
    state.KeywordCase = {false, false};
    state.ExcludeStrings = {{}, {}};
    state.ExcludeCase = {{}, {}};
    return state;
}

std::string searchLine(const ProgramState& state) {
    const auto words = SearchCommandWords(state);
    return words ? ShellLine(*words) : "<not one line>";
}

TEST(SearchCommandWords, EachDesktopStateHasItsLine) {
    const std::string common = "--left 40 --right 30 --code ansi --language english";
    struct Case {
        const char* what;
        std::function<void(ProgramState&)> change;
        std::string expected;
    };
    const Case cases[] = {
        {"a folder", [](ProgramState&) {},
         "--home /prog search --source /texts/ --pattern '*.txt' " + common + " -- love -dash"},
        {"a tree, saved to one file set in ASCII",
         [](ProgramState& s) {
             s.IncludeSubfolders = true;
             s.SaveToFile = true;
             s.SingleFile = true;
             s.ResultCode = 2;
             s.TargetDirectory = "/my results";
         },
         "--home /prog search --source /texts/ --tree --pattern '*.txt' " + common +
             " --save '/my results' --single-file --ascii --quiet -- love -dash"},
        {"a whole folder while its search holds the files found there",
         [](ProgramState& s) {
             s.AllFilesInFolder = true;
             s.SourceFiles = {"a.txt", "b.txt"};
         },
         "--home /prog search --source /texts/ --pattern '*.txt' " + common + " -- love -dash"},
        {"one chosen file", [](ProgramState& s) { s.SourceFiles = {"l'a.txt"}; },
         "--home /prog search --source '/texts/l'\\''a.txt' --pattern '*.txt' " + common +
             " -- love -dash"},
        {"chosen files",
         [](ProgramState& s) {
             s.SourceFiles = {"b.txt", "a b.txt"};
         },
         "--home /prog search --source /texts/ --file b.txt --file 'a b.txt' --pattern '*.txt' " +
             common + " -- love -dash"},
        {"a file list",
         [](ProgramState& s) {
             s.SourceIsFileList = true;
             s.FileListName = "/lists/x.flist";
         },
         "--home /prog search --list /lists/x.flist --pattern '*.txt' " + common +
             " -- love -dash"},
        {"case-sensitive keywords, code file and French",
         [](ProgramState& s) {
             s.KeywordCase = {true, true};
             s.CodeRows.resize(4);
             s.CodeRows[3].CodeName = "Html";
             s.CodeMode = 3;
             s.LanguageIndex = 1;
         },
         "--home /prog search --source /texts/ --pattern '*.txt' --left 40 --right 30 --code Html "
         "--language french --case -- love -dash"},
        {"mixed case",
         [](ProgramState& s) {
             s.Keywords = {"Paris", "caf\xE9"};
             s.KeywordCase = {true, false};
         },
         "--home /prog search --source /texts/ --pattern '*.txt' " + common +
             " --case-marks -- '^Paris' 'caf\xC3\xA9'"},
        {"the same exclude strings for every keyword",
         [](ProgramState& s) {
             s.ExcludeStrings = {{"love me", ""}, {"love me", ""}};
             s.ExcludeCase = {{false, false}, {false, false}};
         },
         "--home /prog search --source /texts/ --pattern '*.txt' " + common +
             " --exclude 'love me' -- love -dash"},
        {"a tag after the keyword",
         [](ProgramState& s) {
             s.TaggedSearch = true;
             s.TagBefore = false;
             s.ExcludeStrings = {{"<n>"}, {"<n>"}};
             s.ExcludeCase = {{false}, {false}};
         },
         "--home /prog search --source /texts/ --pattern '*.txt' " + common +
             " --tag '<n>' --tag-after -- love -dash"},
        {"exclude strings of one keyword only",
         [](ProgramState& s) {
             s.ExcludeStrings = {{"x"}, {""}};
             s.ExcludeCase = {{false}, {false}};
         },
         "<not one line>"},
        {"an exclude string with its own case rule",
         [](ProgramState& s) {
             s.ExcludeStrings = {{"X"}, {"X"}};
             s.ExcludeCase = {{true}, {true}};
         },
         "<not one line>"},
        {"a case-insensitive keyword that looks marked",
         [](ProgramState& s) {
             s.Keywords = {"A", "^b"};
             s.KeywordCase = {true, false};
         },
         "<not one line>"},
    };
    for (const Case& c : cases) {
        ProgramState state = searchState();
        c.change(state);
        EXPECT_EQ(searchLine(state), c.expected) << c.what;
    }
}

TEST(ViewCommandWords, SortDeletionsAndExtract) {
    ProgramState state;
    state.ProgramFolder = "/prog";
    ViewLine view;
    view.file = "-odd name.dmp";
    EXPECT_EQ(ShellLine(ViewCommandWords(state, view)), "--home /prog view -- '-odd name.dmp'");

    view.stepN = 3;
    view.sort = ViewLine::Sort::Right;
    view.sortPosition = 2;
    view.backwards = true;
    view.rightContext = 60;
    view.deletions = {5, 3, 4};
    view.extract = ViewLine::Extract{2, 9, true};
    view.outputFolder = "/out";
    EXPECT_EQ(ShellLine(ViewCommandWords(state, view)),
              "--home /prog --yes view --every 3 --sort right --pos 2 --backwards --right 60 "
              "--delete 3-5 --extract cnc --range 2-9 --part --folder /out -- '-odd name.dmp'");

    // One deletion asks nothing; a keyword sort has no position.
    view.deletions = {4};
    view.sort = ViewLine::Sort::Keyword;
    view.backwards = false;
    view.extract.reset();
    EXPECT_EQ(ShellLine(ViewCommandWords(state, view)),
              "--home /prog view --every 3 --sort keyword --right 60 --delete 4 -- "
              "'-odd name.dmp'");
}

TEST(CountCommandWords, FolderTreeFilesAndList) {
    ProgramState state;
    state.ProgramFolder = "/prog";
    state.LanguageIndex = 2;
    state.WordbreakAtApostrophe = false;
    state.SourceDirectory = "/texts/";
    state.SourceFileType = "*.*";
    state.FrequencyFilesDirectory = "/freq";
    EXPECT_EQ(ShellLine(CountCommandWords(state, "nov\xE9")),
              "--home /prog count --language german --no-apostrophe --pattern '*.*' --folder "
              "/freq --out 'nov\xC3\xA9' -- /texts/");
    state.IncludeSubfolders = true;
    state.WordbreakAtHyphen = true;
    state.WordbreakAtApostrophe = true;
    EXPECT_EQ(ShellLine(CountCommandWords(state, "n")),
              "--home /prog count --language german --apostrophe --hyphen --tree --pattern '*.*' "
              "--folder /freq --out n -- /texts/");
    state.IncludeSubfolders = false;
    state.WordbreakAtHyphen = false;
    state.SourceFiles = {"a.txt", "b c.txt"};
    EXPECT_EQ(ShellLine(CountCommandWords(state, "n")),
              "--home /prog count --language german --apostrophe --folder /freq --out n -- "
              "/texts/a.txt '/texts/b c.txt'");
    state.SourceIsFileList = true;
    state.StoredFileList = {"/x/1.txt"};
    EXPECT_EQ(ShellLine(CountCommandWords(state, "n")),
              "--home /prog count --language german --apostrophe --folder /freq --out n -- "
              "/x/1.txt");
}

} // namespace
} // namespace lexmora
