// Keyword files: reading whatever line ends and encodings users give, writing them back byte for
// byte, and the main window's load into the program state with its questions and limits.
#include "keywords/keyword_file.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

namespace lexmora {

void PrintTo(const KeywordLine& line, std::ostream* out) {
    *out << (line.caseSensitive ? "^" : "") << line.text;
}

namespace {

using namespace std::string_literals;
using Lines = std::vector<KeywordLine>;

TEST(KeywordFile, ParsesLinesAndCaseMarks) {
    struct Row {
        const char* what;
        std::string bytes;
        Lines expected;
    };
    const Row rows[] = {
        {"empty file", "", {}},
        {"only line ends", "\r\n\r\n\r\n", {}},
        {"CR LF, an empty line, case mark",
         "^Paris\r\n\r\nlondon\r\n",
         {{"Paris", true}, {"london", false}}},
        {"LF only", "^Paris\n\nlondon", {{"Paris", true}, {"london", false}}},
        {"CR only", "a\rb\r", {{"a", false}, {"b", false}}},
        {"<br> in any case", "a<br>b<BR>^c<Br>", {{"a", false}, {"b", false}, {"c", true}}},
        {"<br> kept when the file has real line ends",
         "a<br>b\r\nc\r\n",
         {{"a<br>b", false}, {"c", false}}},
        {"mixed CR LF and LF", "a\r\nb\nc\r\n", {{"a", false}, {"b", false}, {"c", false}}},
        {"a lone ^ is no keyword", "^\r\nx\r\n", {{"x", false}}},
        {"only the first ^ is the mark", "^^x\r\n", {{"^x", true}}},
        {"no normalisation, no lower-casing", "  Big  House/\r\n", {{"  Big  House/", false}}},
        {"Ctrl-Z at the end", "a\r\nb\r\n\x1A", {{"a", false}, {"b", false}}},
        {"Windows-1252 letters kept",
         "\xE9t\xE9\r\n^\x9C"
         "uvre\r\n",
         {{"\xE9t\xE9", false},
          {"\x9C"
           "uvre",
           true}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const KeywordFileText text = ParseKeywordFile(row.bytes);
        EXPECT_EQ(text.keywords, row.expected);
        EXPECT_FALSE(text.binary);
        EXPECT_EQ(text.overlongLines, 0u);
    }
}

TEST(KeywordFile, OtherEncodingsBecomeWindows1252) {
    struct Row {
        const char* what;
        std::string bytes;
        Lines expected;
        std::size_t unrepresentable;
    };
    const Row rows[] = {
        {"UTF-8 without mark",
         "\xC3\xA9t\xC3\xA9\r\n^\xC5\x93uvre\r\n",
         {{"\xE9t\xE9", false},
          {"\x9C"
           "uvre",
           true}},
         0},
        {"UTF-8 with mark",
         "\xEF\xBB\xBF^caf\xC3\xA9\nthe\n",
         {{"caf\xE9", true}, {"the", false}},
         0},
        {"UTF-16 LE",
         "\xFF\xFE"
         "^\0a\0\xE9\0\r\0\n\0b\0"s,
         {{"a\xE9", true}, {"b", false}},
         0},
        {"UTF-16 BE", "\xFE\xFF\0x\0\n\0y"s, {{"x", false}, {"y", false}}, 0},
        // A letter the code page lacks would become "?", the single wildcard: the line is left out.
        {"UTF-8 outside the code page",
         "\xC5\x81\xC3\xB3"
         "d\xC5\xBA\r\nok\r\n",
         {{"ok", false}},
         1},
        {"UTF-16 outside the code page", "\xFF\xFE\x41\x01\n\0z\0"s, {{"z", false}}, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const KeywordFileText text = ParseKeywordFile(row.bytes);
        EXPECT_EQ(text.keywords, row.expected);
        EXPECT_EQ(text.unrepresentable, row.unrepresentable);
        EXPECT_FALSE(text.binary);
    }
}

TEST(KeywordFile, BinaryAndOverlongInput) {
    EXPECT_TRUE(ParseKeywordFile("MZ\x90\0\x03\0\0\0"s).binary);
    EXPECT_TRUE(ParseKeywordFile(std::string(40000, 'a') + '\0' + "\r\n").binary);
    EXPECT_TRUE(ParseKeywordFile(std::string(40000, 'a') + '\0' + "\r\n").keywords.empty());

    const std::string longest(kMaxKeywordLength, 'x');
    const KeywordFileText text =
        ParseKeywordFile("a\r\n" + std::string(kMaxKeywordLength + 1, 'y') + "\r\n^" + longest +
                         "\r\n" + std::string(1 << 20, 'z'));
    EXPECT_EQ(text.keywords, (Lines{{"a", false}, {longest, true}}));
    EXPECT_EQ(text.overlongLines, 2u);
}

// Keywords whose Windows-1252 bytes a reader would take for a byte-order mark or for UTF-8 are
// written as UTF-8 with its mark, so that they come back as they went.
TEST(KeywordFile, KeywordsThatLookLikeAnotherEncodingReadBackTheSame) {
    const struct {
        Lines lines;
        bool asUtf8;
    } cases[] = {{{{"\xFE\xFFxy", false}}, true},
                 {{{"\xEF\xBB\xBFz", false}}, true},
                 {{{"\xC3\xA9t\xC3\xA9", false}, {"b", true}}, true},
                 {{{"\xFF\xFE", true}, {"b", false}}, false}, // the case mark comes first
                 {{{"\xC3\xA9t\xC3\xA9", false}, {"\xE9t\xE9", false}}, false}};
    for (const auto& c : cases) {
        const std::string bytes = FormatKeywordFile(c.lines);
        EXPECT_EQ(bytes.starts_with("\xEF\xBB\xBF"), c.asUtf8) << c.lines[0].text;
        EXPECT_EQ(ParseKeywordFile(bytes).keywords, c.lines);
    }
}

TEST(KeywordFile, WritesCrLfAndCaseMarksAndReadsBackTheSame) {
    const Lines lines = {{"Paris", true},        {"london", false},      {"", true},
                         {"big house", false},   {"colour/color", true}, {"\xE9t\xE9", false},
                         {"word{<3}word", false}};
    const std::string expected = "^Paris\r\nlondon\r\nbig house\r\n^colour/color\r\n"
                                 "\xE9t\xE9\r\nword{<3}word\r\n";
    EXPECT_EQ(FormatKeywordFile(lines), expected);
    EXPECT_EQ(FormatKeywordFile({}), "");

    test::TempDir dir;
    const std::string path = dir.path() + "/saved.txt";
    ASSERT_TRUE(WriteKeywordFile(path, lines).ok());
    EXPECT_EQ(test::readFile(path), expected);

    auto read = ReadKeywordFile(path);
    ASSERT_TRUE(read.ok());
    Lines withoutEmpty = lines;
    std::erase_if(withoutEmpty, [](const KeywordLine& l) { return l.text.empty(); });
    EXPECT_EQ(read->keywords, withoutEmpty);
    // Saved again, the file is the same byte for byte.
    ASSERT_TRUE(WriteKeywordFile(path, read->keywords).ok());
    EXPECT_EQ(test::readFile(path), expected);

    const Status failed = WriteKeywordFile(dir.path() + "/no/such/folder/k.txt", lines);
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().title, " Keyword file");
}

TEST(KeywordFile, ReadFailures) {
    test::TempDir dir;
    auto missing = ReadKeywordFile(dir.path() + "/missing.txt");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().text, "Cannot open file missing.txt - trying next...");
    EXPECT_EQ(missing.error().title, "");
    EXPECT_FALSE(ReadKeywordFile(dir.path()).ok()); // a folder

    const std::string binary = dir.write("prog.bin", "\x7F"
                                                     "ELF\0\0"s);
    auto read = ReadKeywordFile(binary);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().text, "prog.bin\r\nis not a text file - trying next...");
}

// --- the main window's load ------------------------------------------------------------------

ProgramState heldState() {
    ProgramState state;
    state.Keywords = {"alpha", "Beta"};
    state.KeywordCase = {false, true};
    state.ExcludeStrings = {{"x", ""}, {"y", "z"}};
    state.ExcludeCase = {{false, false}, {true, false}};
    return state;
}

MemoryProbe plenty() {
    return [] { return std::optional<std::uint64_t>(1ull << 40); };
}

TEST(KeywordFileLoad, IntoAnEmptyState) {
    test::TempDir dir;
    const std::string one = dir.write("one.txt", "^Paris\r\n\r\nlondon\r\n");
    const std::string two = dir.write("two.txt", "rome\nberlin\n");
    ProgramState state;
    ScriptedPrompter prompter({});
    const auto outcome = LoadKeywordFiles(state, prompter, {one, two}, plenty());
    EXPECT_TRUE(outcome.changed);
    EXPECT_EQ(outcome.added, 4u);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(state.Keywords, (std::vector<std::string>{"Paris", "london", "rome", "berlin"}));
    EXPECT_EQ(state.KeywordCase, (std::vector<bool>{true, false, false, false}));
    ASSERT_EQ(state.ExcludeStrings.size(), 4u);
    EXPECT_EQ(state.ExcludeStrings[3], std::vector<std::string>{""});
    EXPECT_EQ(state.ExcludeCase[3], std::vector<bool>{false});
    EXPECT_EQ(LoadedKeywordsCaption(state), "4 search string(s) entered");
}

TEST(KeywordFileLoad, QuestionsAboutHeldKeywords) {
    test::TempDir dir;
    const std::string file = dir.write("k.txt", "gamma\r\n");
    struct Row {
        const char* what;
        std::vector<Answer> answers;
        std::size_t questions;
        std::vector<std::string> keywords;
    };
    const Row rows[] = {
        {"No replaces", {Answer::No}, 1, {"gamma"}},
        {"Yes then OK appends", {Answer::Yes, Answer::Ok}, 2, {"alpha", "Beta", "gamma"}},
        {"Yes then Cancel changes nothing", {Answer::Yes, Answer::Cancel}, 2, {"alpha", "Beta"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ProgramState state = heldState();
        ScriptedPrompter prompter(row.answers);
        LoadKeywordFiles(state, prompter, {file}, plenty());
        ASSERT_EQ(prompter.shown.size(), row.questions);
        EXPECT_EQ(prompter.shown[0].text, "Do you wish to keep existing keywords?");
        EXPECT_EQ(prompter.shown[0].title, "2 keywords already loaded");
        EXPECT_EQ(prompter.shown[0].buttons, Buttons::YesNo);
        EXPECT_EQ(prompter.shown[0].icon, Icon::Question);
        if (row.questions > 1) {
            EXPECT_EQ(prompter.shown[1].text, "Continue to add new keywords to existing keywords?");
            EXPECT_EQ(prompter.shown[1].buttons, Buttons::OkCancel);
        }
        EXPECT_EQ(state.Keywords, row.keywords);
        EXPECT_EQ(state.ExcludeStrings.size(), state.Keywords.size());
    }
    // Appending keeps the exclude strings of the keywords already held.
    ProgramState state = heldState();
    ScriptedPrompter prompter({Answer::Yes, Answer::Ok});
    LoadKeywordFiles(state, prompter, {file}, plenty());
    EXPECT_EQ(state.ExcludeStrings,
              (std::vector<std::vector<std::string>>{{"x", ""}, {"y", "z"}, {"", ""}}));
    EXPECT_EQ(state.ExcludeCase,
              (std::vector<std::vector<bool>>{{false, false}, {true, false}, {false, false}}));
    EXPECT_EQ(state.KeywordCase, (std::vector<bool>{false, true, false}));
}

TEST(KeywordFileLoad, BadFilesAreSkippedWithTheirMessages) {
    test::TempDir dir;
    const std::string good = dir.write("good.txt", "one\r\n");
    const std::string binary = dir.write("data.bin", "a\0b"s);
    const std::string lines =
        dir.write("long.txt", "two\r\n" + std::string(300, 'q') + "\r\n\xC4\x80x\r\n");
    ProgramState state;
    ScriptedPrompter prompter({});
    const auto outcome = LoadKeywordFiles(
        state, prompter, {dir.path() + "/missing.txt", binary, good, lines}, plenty());
    EXPECT_EQ(outcome.added, 2u);
    EXPECT_EQ(state.Keywords, (std::vector<std::string>{"one", "two"}));
    ASSERT_EQ(prompter.shown.size(), 3u);
    EXPECT_EQ(prompter.shown[0].text, "Cannot open file missing.txt - trying next...");
    EXPECT_EQ(prompter.shown[1].text, "data.bin\r\nis not a text file - trying next...");
    EXPECT_EQ(prompter.shown[2].text,
              "Lines of long.txt not loaded as keywords:\r\n1 line(s) longer than 255 "
              "characters\r\n1 line(s) with characters the program cannot show");
}

TEST(KeywordFileLoad, NothingLoadedLeavesTheStateAlone) {
    test::TempDir dir;
    const std::string empty = dir.write("empty.txt", "");
    ProgramState state = heldState();
    ScriptedPrompter prompter({Answer::No});
    const auto outcome = LoadKeywordFiles(state, prompter, {empty}, plenty());
    EXPECT_FALSE(outcome.changed);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[1].text, "The chosen file(s) hold no keywords.");
    EXPECT_EQ(prompter.shown[1].title, " Empty file !");
    EXPECT_EQ(state.Keywords, heldState().Keywords);
    EXPECT_EQ(state.ExcludeStrings, heldState().ExcludeStrings);

    // No file chosen: no question at all.
    ScriptedPrompter none({});
    EXPECT_FALSE(LoadKeywordFiles(state, none, {}, plenty()).changed);
    EXPECT_TRUE(none.shown.empty());
}

TEST(KeywordFileLoad, LowMemoryStopsAndKeepsTheFilesBefore) {
    test::TempDir dir;
    const std::string a = dir.write("a.txt", "aaaa\r\n");     // 6 bytes
    const std::string b = dir.write("b.txt", "bbbbbbbb\r\n"); // 10 bytes
    const std::string c = dir.write("c.txt", "c\r\n");
    ProgramState state;
    ScriptedPrompter prompter({});
    // 16 bytes free: the second file brings the total to 16, which is not less than that.
    const auto outcome = LoadKeywordFiles(state, prompter, {a, b, c},
                                          [] { return std::optional<std::uint64_t>(16); });
    EXPECT_EQ(state.Keywords, std::vector<std::string>{"aaaa"});
    EXPECT_EQ(outcome.added, 1u);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "There's not enough memory available to load files!");
    EXPECT_EQ(prompter.shown[0].title, " Low on memory");

    // A system that does not say how much is free loads everything.
    ProgramState unknown;
    ScriptedPrompter quiet({});
    LoadKeywordFiles(unknown, quiet, {a, b, c}, [] { return std::optional<std::uint64_t>(); });
    EXPECT_EQ(unknown.Keywords.size(), 3u);
}

TEST(KeywordFileLoad, HugeFile) {
    test::TempDir dir;
    std::string bytes;
    const std::size_t count = kKeywordListCapacity + 10;
    for (std::size_t i = 0; i < count; ++i)
        bytes += (i % 2 ? "^w" : "w") + std::to_string(i) + "\r\n";
    const std::string path = dir.write("huge.txt", bytes);
    ProgramState state;
    ScriptedPrompter prompter({});
    LoadKeywordFiles(state, prompter, {path}, plenty());
    ASSERT_EQ(state.Keywords.size(), count);
    EXPECT_EQ(state.Keywords[count - 1], "w" + std::to_string(count - 1));
    EXPECT_EQ(state.KeywordCase[count - 1], (count - 1) % 2 == 1);
    EXPECT_EQ(state.ExcludeCase.size(), count);
}

TEST(KeywordFile, MessageTable) {
    struct Row {
        Message message;
        const char* text;
        const char* title;
        Buttons buttons;
        Icon icon;
    };
    const Row rows[] = {
        {keywords::msg::KeepExistingKeywords(5), "Do you wish to keep existing keywords?",
         "5 keywords already loaded", Buttons::YesNo, Icon::Question},
        {keywords::msg::AddToExistingKeywords(5),
         "Continue to add new keywords to existing keywords?", "5 keywords already loaded",
         Buttons::OkCancel, Icon::Question},
        {keywords::msg::KeepKeywordsInWindow(5), "Do you wish to keep existing keywords?",
         "5 keyword(s) already loaded", Buttons::YesNo, Icon::Question},
        {codes::msg::CannotOpenFileTryingNext("/k/gone.txt"),
         "Cannot open file /k/gone.txt - trying next...", "", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::LowOnMemory(), "There's not enough memory available to load files!",
         " Low on memory", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::NoExcludeMemory(), "Not enough memory available for exclude strings",
         "Lack of memory", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::ListFull(), "The listbox can only store approx. 32667 keywords.",
         " Potential list overflow", Buttons::Ok, Icon::Exclamation},
        {keywords::msg::LinesLeftOut("/x/k\xC3\xA9.txt", 2, 0),
         "Lines of k\xE9.txt not loaded as keywords:\r\n2 line(s) longer than 255 characters",
         " Keyword file", Buttons::Ok, Icon::Exclamation},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.message.text, row.text);
        EXPECT_EQ(row.message.title, row.title);
        EXPECT_EQ(row.message.buttons, row.buttons);
        EXPECT_EQ(row.message.icon, row.icon);
    }
}

TEST(KeywordFile, OverflowMessage) {
    const Message m = keywords::msg::ListOverflow(32670);
    EXPECT_EQ(m.title, " Potential list overflow   (32670 keywords selected)");
    EXPECT_EQ(m.text, "The listbox can only store approx. 32667 keywords.\r\n"
                      "If you try to load keywords into the list box, \r\n"
                      "all keywords above this figure will be lost.  \r\n"
                      "Do you wish to go ahead and load keywords into listbox?     \r\n"
                      "\r\n"
                      "If you click on 'Yes' you will lose 3 words.\r\n"
                      "If you click on 'No' all keywords will be stored in memory.");
    EXPECT_EQ(m.buttons, Buttons::YesNo);
    EXPECT_EQ(m.icon, Icon::Exclamation);
}

} // namespace
} // namespace lexmora
