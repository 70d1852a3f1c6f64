#include "viewer/record_details.h"

#include "codes/code_tables.h"
#include "search/context_text.h"
#include "viewer/viewer_fixture.h"

#include <gtest/gtest.h>

#include <tuple>

namespace lexmora {
namespace {

using test::Hit;

constexpr const char* kSourceA = "The black cat sat on the mat.\r\nA walking  cat ran.\r\n";

std::vector<Hit> detailHits() {
    return {{"a.txt", "The black ", "cat", " sat on the mat. A"},
            {"a.txt", "A walking ", "cat", " ran."},
            {"b.txt", "", "cat", " alone"}};
}

ViewerOptions onDisk() {
    ViewerOptions o;
    o.freeMemory = [] { return std::optional<std::uint64_t>(0); };
    return o;
}

TEST(RecordDetails, FindsTheHitInTheSourceThroughTheLog) {
    test::TempDir dir;
    dir.write("a.txt", kSourceA);
    const std::string path = test::writeResultFile(dir, "d.dmp", detailHits());
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    auto details = ExpandRecord(*viewer, 3);
    ASSERT_TRUE(details.ok()) << details.error().text;
    EXPECT_EQ(details->positionInFile, 43u);
    EXPECT_EQ(DetailsText(*details),
              "record no. = 2     keyword = cat     position in file = 43\r\n"
              "path           =  " +
                  dir.path() +
                  "\r\n"
                  "sourcefile  =  a.txt\r\n"
                  "\r\n"
                  "The black cat sat on the mat. A walking cat ran. \r\n");
    // the second "cat" is the hit, not the first
    const TextSpan hit = DetailsHitSpan(*details);
    EXPECT_EQ(DetailsText(*details).substr(hit.from - 10, 10 + hit.length), "A walking cat");
    EXPECT_EQ(hit.length, 3u);
    // Copy takes the wider context shown, not only the record from the keyword on.
    EXPECT_EQ(DetailsClipboardText(*details, true),
              "findstring = cat   sourcefile = a.txt  path = " + dir.path() +
                  "\r\n\r\nThe black cat sat on the mat. A walking cat ran. ");
    EXPECT_EQ(DetailsClipboardText(*details, false),
              "The black cat sat on the mat. A walking cat ran. ");

    auto saved = SaveDetails(*details, *viewer, true, dir.path(), "", prompter);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(*saved, dir.path() + "/d_001.sav");
    EXPECT_EQ(test::readFile(*saved), "         sourcefile   =  a.txt\r\n" + DetailsText(*details));
    auto plain = SaveDetails(*details, *viewer, false, dir.path(), "", prompter);
    ASSERT_TRUE(plain.ok());
    EXPECT_EQ(test::readFile(*plain), "         sourcefile   =  a.txt\r\n"
                                      "The black cat sat on the mat. A walking cat ran. \r\n");
}

// The hit marked in the details is the whole keyword: every word of a keyword of several words,
// and not the punctuation after it.
TEST(RecordDetails, HitMarkIsTheWholeKeywordWithoutPunctuation) {
    struct Case {
        const char* keyword;
        std::string source;
        Hit hit;
        const char* marked;
    };
    const Case cases[] = {
        {"cat",
         "A black cat, then a dog.\r\n",
         {"a.txt", "A black ", "cat", ", then a dog."},
         "cat"},
        {"\xE9t\xE9",
         "Il a \xE9t\xE9, dit-il.\r\n",
         {"a.txt", "Il a ", "\xE9t\xE9", ", dit-il."},
         "\xE9t\xE9"},
        {"la maison",
         "Voici la maison. Fin\r\n",
         {"a.txt", "Voici ", "la maison", ". Fin"},
         "la maison"},
        // the line break between the words reads as a blank in the text shown
        {"la maison",
         "Voici la\r\nmaison bleue\r\n",
         {"a.txt", "Voici ", "la maison", " bleue"},
         "la maison"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        dir.write("a.txt", c.source);
        const std::string path = test::writeResultFile(dir, "d.dmp", {c.hit}, c.keyword);
        SilentPrompter prompter;
        auto viewer = ResultViewer::open(path, prompter, onDisk());
        ASSERT_TRUE(viewer.ok());
        auto details = ExpandRecord(*viewer, 2);
        ASSERT_TRUE(details.ok()) << details.error().text;
        EXPECT_EQ(details->notice, "") << c.keyword;
        EXPECT_EQ(details->text.substr(details->hitAt, details->hitLength), c.marked) << c.keyword;
    }
}

TEST(RecordDetails, LaterSetOfARunFindsItsEntries) {
    test::TempDir dir;
    dir.write("a.txt", kSourceA);
    // The run's numbering continues: this set's first entry is 00008.
    const std::string path = test::writeResultFile(dir, "d.dmp", detailHits(), "cat", 7);
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    auto details = ExpandRecord(*viewer, 2);
    ASSERT_TRUE(details.ok()) << details.error().text;
    EXPECT_EQ(details->positionInFile, 11u);
    EXPECT_EQ(details->sourceFile, "a.txt");
}

TEST(RecordDetails, VanishedChangedSourceAndBrokenLogs) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "d.dmp", detailHits());
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());

    // The source is gone: the record's own text, and why.
    auto gone = ExpandRecord(*viewer, 2);
    ASSERT_TRUE(gone.ok());
    EXPECT_FALSE(gone->positionInFile.has_value());
    EXPECT_EQ(gone->text, "The black cat sat on the mat. A");
    EXPECT_NE(DetailsText(*gone).find("position in file = unknown"), std::string::npos);
    EXPECT_NE(gone->notice.find("cannot be found"), std::string::npos);

    dir.write("a.txt", "Completely different text now.\r\n");
    auto changed = ExpandRecord(*viewer, 2);
    ASSERT_TRUE(changed.ok());
    EXPECT_NE(changed->notice.find("has changed"), std::string::npos);

    // The log holds only its header: entry 1 is not there.
    const std::string log = dir.path() + "/d.log";
    const std::string logBytes = test::readFile(log);
    dir.write("d.log", logBytes.substr(0, 298));
    auto shorter = ExpandRecord(*viewer, 2);
    ASSERT_FALSE(shorter.ok());
    EXPECT_NE(shorter.error().text.find("Cannot find entry 1"), std::string::npos);

    // A log of another result file names other files under the same numbers.
    std::string foreign = logBytes;
    foreign.replace(298 + 11, 5, "Z.TXT");
    dir.write("d.log", foreign);
    auto mismatch = ExpandRecord(*viewer, 2);
    ASSERT_FALSE(mismatch.ok());
    EXPECT_NE(mismatch.error().text.find("names another source file"), std::string::npos);

    std::remove(log.c_str());
    auto missing = ExpandRecord(*viewer, 2);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().text, "Sorry - cannot find d.log");
    EXPECT_EQ(missing.error().title, "File not found");
    EXPECT_EQ(missing.error().buttons, Buttons::RetryCancel);
    // The user picked the log by hand.
    const std::string picked = dir.write("picked.log", logBytes);
    EXPECT_TRUE(ExpandRecord(*viewer, 2, picked).ok());

    EXPECT_FALSE(ExpandRecord(*viewer, 1).ok()); // the header has no details
}

TEST(RecordDetails, CleanedTextFoundInRawSource) {
    const std::string source = std::string("ab\r\n  cd\0ef  gh", 15);
    const auto found = FindCleanedText(source, "ab cdef gh", 3);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->start, 0u);
    EXPECT_EQ(found->mark, 6u); // the "c"
    EXPECT_EQ(found->end, source.size());
    EXPECT_FALSE(FindCleanedText(source, "abcd", 0).has_value());
}

ProgramState withHtmlCode() {
    ProgramState state;
    SilentPrompter quiet;
    LoadCodeFiles(state, test::sourceDir() + "/data/codes", {"html.wp#"}, quiet);
    return state;
}

TEST(RecordDetails, CodeOfTheLogEntryNamesTheCodeTheSearchRead) {
    const ProgramState state = withHtmlCode();
    ASSERT_EQ(state.CodeRows.size(), 4u);
    const std::vector<std::pair<std::string, int>> cases = {
        {"06/12/2026HTML/", 3}, // the log line ends 5 characters into "HTML/XML entities"
        {"06/12/2026HTML/XML", 3},        {"06/12/2026HTML/XML e", kCodeAnsi},
        {"06/12/2026html/xml", 3},        {"06/12/2026ANSI", kCodeAnsi},
        {"06/12/2026ASCII", kCodeAscii},  {"06/12/2026UTF-8", kCodeAnsi},
        {"06/12/2026Windows", kCodeAnsi}, {"", kCodeAnsi},
        {"06/12/2026", kCodeAnsi}};
    for (const auto& [field, code] : cases)
        EXPECT_EQ(CodeOfLogEntry(state, field), code) << field;
}

// An HTML source read with the HTML code: the KWIC records hold the letters its entities stand
// for, and the wider context is cleaned the same way.
constexpr const char* kHtmlSource = "<p>Le caf&eacute; est noir.</p>\r\n"
                                    "<p>Un autre caf&eacute; tr&egrave;s noir ici.</p>";

std::vector<Hit> htmlHits() {
    return {{"page.htm", "caf\xE9 est ", "noir", ".</p> <p>Un autre"},
            {"page.htm", "tr\xE8s ", "noir", " ici.</p>"}};
}

TEST(RecordDetails, CodedSourceIsCleanedAsTheSearchCleanedIt) {
    test::TempDir dir;
    dir.write("page.htm", kHtmlSource);
    const std::string path =
        test::writeResultFile(dir, "n.dmp", htmlHits(), "noir", 0, "HTML/XML entities");
    const ProgramState state = withHtmlCode();
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    const std::string cleaned =
        "<p>Le caf\xE9 est noir.</p> <p>Un autre caf\xE9 tr\xE8s noir ici.</p>";
    // the hit placed in the cleaned text, which is shorter than the source before it; marked
    // to the next blank, as the lists mark it
    const std::vector<std::tuple<std::int64_t, std::uint64_t, std::size_t, std::size_t>> cases = {
        {2, 23, cleaned.find("noir"), 9}, {3, 70, cleaned.rfind("noir"), 4}};
    for (const auto& [position, inFile, hitAt, hitLength] : cases) {
        auto details = ExpandRecord(*viewer, position, std::nullopt, &state);
        ASSERT_TRUE(details.ok()) << details.error().text;
        EXPECT_EQ(details->notice, "");
        EXPECT_EQ(details->positionInFile, inFile);
        EXPECT_EQ(details->text, cleaned);
        EXPECT_EQ(details->hitAt, hitAt);
        EXPECT_EQ(details->hitLength, hitLength);
    }
    // Without the code the entities do not match the records' letters: the source looks changed
    // and the record's own text is shown, never a wrong place.
    auto ansi = ExpandRecord(*viewer, 2);
    ASSERT_TRUE(ansi.ok());
    EXPECT_FALSE(ansi->positionInFile.has_value());
    EXPECT_NE(ansi->notice.find("has changed"), std::string::npos);
    EXPECT_EQ(ansi->text.substr(ansi->hitAt, ansi->hitLength), "noir.</p>"); // its own text
}

TEST(RecordDetails, HitFarIntoALargeCodedSourceIsFound) {
    // Small chunks, so that the hit lies many chunks in and the halving is walked.
    std::string source;
    while (source.size() < 20000)
        source += "blah &eacute;t&eacute;  \r\n";
    const std::size_t noir = source.size() + 15; // behind "<b>caf&eacute; "
    source += "<b>caf&eacute; noir</b> fin";
    const ProgramState state = withHtmlCode();
    const ContextCleaner clean = [&state](std::string_view piece) {
        return ExtractContext(state, 3, piece, 0, 0);
    };
    const std::string fragment = "\xE9t\xE9 <b>caf\xE9 noir</b> fin";
    const auto found = FindContextInSource(source, fragment, 12, clean, 4096);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->start, noir - 15 - 4 - 17); // "&eacute;t&eacute;", blanks, CR LF
    EXPECT_EQ(found->mark, noir);
    EXPECT_EQ(found->end, source.size());
    // The whole file at once finds the same place.
    const auto once = FindContextInSource(source, fragment, 12, clean);
    ASSERT_TRUE(once.has_value());
    EXPECT_EQ(once->mark, noir);
}

TEST(RecordDetails, Utf8SourceIsConvertedAsTheSearchConvertedIt) {
    test::TempDir dir;
    dir.write("u.txt", "Un caf\xC3\xA9 noir ici.\n");
    const std::string path = test::writeResultFile(
        dir, "u.dmp", {{"u.txt", "Un caf\xE9 ", "noir", " ici."}}, "noir", 0, "UTF-8");
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    auto details = ExpandRecord(*viewer, 2);
    ASSERT_TRUE(details.ok());
    EXPECT_EQ(details->positionInFile, 9u);
    EXPECT_EQ(details->text, "Un caf\xE9 noir ici. ");
}

TEST(RecordDetails, FragmentFoundThroughAnyCleaner) {
    // A cleaner that reads "<x>" as one blank, as a tagged search does.
    const ContextCleaner dropTags = [](std::string_view text) {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '<') {
                while (i < text.size() && text[i] != '>')
                    ++i;
                if (out.empty() || out.back() != ' ')
                    out += ' ';
                continue;
            }
            if (text[i] == ' ' && !out.empty() && out.back() == ' ')
                continue;
            out += text[i];
        }
        return out;
    };
    const std::string source = "one <t>two three<u> four two <v>three five";
    const auto found = FindContextInSource(source, " two three four ", 5, dropTags);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->start, 7u); // "two"
    EXPECT_EQ(found->mark, 11u); // "three"
    EXPECT_EQ(found->end, 24u);  // after "four"
    EXPECT_FALSE(FindContextInSource(source, "three four five", 6, dropTags).has_value());
    EXPECT_FALSE(FindContextInSource(source, "   ", 1, dropTags).has_value());
}

TEST(RecordDetails, SaveIntoAFolderThatCannotBeWrittenWritesNothing) {
    test::TempDir dir;
    dir.write("a.txt", kSourceA);
    const std::string path = test::writeResultFile(dir, "d.dmp", detailHits());
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    auto details = ExpandRecord(*viewer, 2);
    ASSERT_TRUE(details.ok());
    auto saved = SaveDetails(*details, *viewer, true, dir.path() + "/none", "", prompter);
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().text, "Cannot continue");
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Cannot continue");
}

} // namespace
} // namespace lexmora
