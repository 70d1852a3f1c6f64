// The dispersion picture: where a hit's mark falls, marks merged per pixel, and a picture that
// is well-formed XML whatever the file names hold.
#include "analysis/dispersion_svg.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lexmora {
namespace {

TEST(DispersionSvg, MarkPixelFromFirstToLastWord) {
    struct Case {
        std::uint32_t before;
        std::int64_t words;
        int bar, x;
    };
    const std::vector<Case> cases = {
        {0, 1000, 500, 0},     // the first word: the bar's first pixel
        {999, 1000, 500, 499}, // the last word: its last pixel
        {1, 1000, 500, 0},     // two words to a pixel
        {2, 1000, 500, 1},     //
        {0, 1, 500, 0},        // a file of one word
        {6, 7, 3, 2},          // more pixels than words would allow rounding up: never past
        {5, 10, 3, 1},         // 1.5 rounds down
        {3, 0, 500, 0},        // a file of no words has no place to give
        {70000, 80000, 20000, 17500},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MarkPixel(c.before, c.words, c.bar), c.x)
            << c.before << " of " << c.words << " words, bar " << c.bar;
}

TEST(DispersionSvg, MarksCloserThanAPixelMerge) {
    const std::vector<std::uint32_t> places = {0, 1, 2, 3, 500, 998, 999};
    const std::vector<PlotMark> marks = MergeMarks(places, 1000, 500);
    ASSERT_EQ(marks.size(), 4u);
    const std::vector<std::pair<int, int>> expected = {{0, 2}, {1, 2}, {250, 1}, {499, 2}};
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_EQ(marks[i].x, expected[i].first);
        EXPECT_EQ(marks[i].hits, expected[i].second);
    }
}

// A small XML checker: every tag closed in order, attributes quoted, only the five predefined
// entities and character references, no control character, a single root. Empty when well
// formed, else what is wrong.
std::string xmlFault(const std::string& xml) {
    std::vector<std::string> open;
    std::size_t i = 0, roots = 0;
    if (xml.rfind("<?xml", 0) == 0)
        i = xml.find("?>") + 2;
    while (i < xml.size()) {
        const unsigned char c = static_cast<unsigned char>(xml[i]);
        if (c < 0x20 && c != '\n' && c != '\r' && c != '\t')
            return "control character at " + std::to_string(i);
        if (c == '&') {
            const std::size_t end = xml.find(';', i);
            const std::string name = xml.substr(i + 1, end - i - 1);
            if (end == std::string::npos || (name != "amp" && name != "lt" && name != "gt" &&
                                             name != "quot" && name != "apos" && name[0] != '#'))
                return "bad entity at " + std::to_string(i);
            i = end + 1;
            continue;
        }
        if (c == '>')
            return "stray > at " + std::to_string(i);
        if (c != '<') {
            if (open.empty() && c != '\n' && c != ' ')
                return "text outside the root at " + std::to_string(i);
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        const bool closing = xml[j] == '/';
        j += closing ? 1 : 0;
        const std::size_t nameEnd = xml.find_first_of(" />\n", j);
        const std::string name = xml.substr(j, nameEnd - j);
        j = nameEnd;
        char quote = 0;
        for (; j < xml.size() && (quote != 0 || xml[j] != '>'); ++j) {
            if (quote == 0 && (xml[j] == '"' || xml[j] == '\''))
                quote = xml[j];
            else if (xml[j] == quote)
                quote = 0;
            else if (quote != 0 && xml[j] == '<')
                return "< in an attribute at " + std::to_string(j);
            else if (quote == 0 && xml[j] == '=' && xml[j + 1] != '"' && xml[j + 1] != '\'')
                return "unquoted attribute at " + std::to_string(j);
        }
        if (j >= xml.size())
            return "unclosed tag at " + std::to_string(i);
        if (closing) {
            if (open.empty() || open.back() != name)
                return "</" + name + "> closes nothing open at " + std::to_string(i);
            open.pop_back();
        } else if (xml[j - 1] != '/') {
            roots += open.empty() ? 1 : 0;
            open.push_back(name);
        }
        i = j + 1;
    }
    if (!open.empty())
        return "<" + open.back() + "> never closed";
    return roots == 1 ? "" : "not one root";
}

TEST(DispersionSvg, TheCheckerCatchesFaults) {
    EXPECT_EQ(xmlFault("<a><b/>x</a>"), "");
    EXPECT_NE(xmlFault("<a><b></a>"), "");
    EXPECT_NE(xmlFault("<a>x & y</a>"), "");
    EXPECT_NE(xmlFault("<a t=\"<\"/>"), "");
    EXPECT_NE(xmlFault("<a>\x01</a>"), "");
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(DispersionSvg, WellFormedWithOneMarkPerDistinctPixelAndEscapedNames) {
    DispersionData data;
    data.files = {{"caf\xE9 & <b>\"q\".txt", "/c/1.txt", 1000},
                  {"tab\there.txt", "/c/2.txt", 500},
                  {"empty.txt", "/c/3.txt", 0}};
    // walk: pixels (bar 505 for 1000 words) 0, 0, 252, 504 in the first; 0 and 504 in the second
    data.keywords = {{"walk", {{0, 1, 500, 999}, {0, 499}, {}}}, {"r\xF4le<&>", {{10}, {}, {}}}};
    const std::string svg = DispersionSvg(data, 900);
    EXPECT_EQ(xmlFault(svg), "");
    // marks only: a mark is a pixel wide and a band high (a file of no words has a bar of 1)
    EXPECT_EQ(occurrences(svg, "\" width=\"1\" height=\"8\""), 3u + 2u + 1u);
    EXPECT_EQ(occurrences(svg, "class=\"s2\""), 1u); // two hits on the first pixel: darker
    EXPECT_NE(svg.find("caf\xC3\xA9 &amp; &lt;b&gt;&quot;q&quot;.txt"), std::string::npos);
    EXPECT_NE(svg.find("tab?here.txt"), std::string::npos);
    EXPECT_NE(svg.find("r\xC3\xB4le&lt;&amp;&gt;: 1 hits"), std::string::npos);
    EXPECT_NE(svg.find("walk: 6 hits, range 2 of 2 files (100.0%), Juilland's D"),
              std::string::npos);
    EXPECT_NE(svg.find(">n/a</text>"), std::string::npos); // per 1,000 of the empty file
}

TEST(DispersionSvg, SavedWholeAndNeverOverAnotherFileUnlessAllowed) {
    test::TempDir dir;
    const std::string path = dir.path() + "/plot.svg";
    ASSERT_TRUE(SaveDispersionSvg("<svg/>\n", path, Placement::KeepExisting).ok());
    EXPECT_EQ(test::readFile(path), "<svg/>\n");
    const Status again = SaveDispersionSvg("<svg>new</svg>\n", path, Placement::KeepExisting);
    ASSERT_FALSE(again.ok());
    EXPECT_EQ(again.error().text, path + " exists already: the plot was not saved.");
    EXPECT_EQ(test::readFile(path), "<svg/>\n");
    ASSERT_TRUE(SaveDispersionSvg("<svg>new</svg>\n", path, Placement::Replace).ok());
    EXPECT_EQ(test::readFile(path), "<svg>new</svg>\n");
    const Status noFolder =
        SaveDispersionSvg("<svg/>", dir.path() + "/none/plot.svg", Placement::Replace);
    ASSERT_FALSE(noFolder.ok());
    EXPECT_EQ(noFolder.code(), FailureCode::CannotWrite);
}

} // namespace
} // namespace lexmora
