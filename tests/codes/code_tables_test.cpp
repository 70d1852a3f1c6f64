// Code tables and code files: the built-in rows, the file parser, loading order, CodeMode, and
// the shipped code files against their sample texts.
#include "codes/code_tables.h"

#include "codes/code_detect.h"
#include "codes/messages.h"
#include "core/paths.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

std::string codeFile(const std::vector<std::string>& values) {
    std::string text;
    for (const auto& value : values)
        text += "Label:" + value + "\r\n";
    return text;
}

std::string shippedCodes() {
    return test::sourceDir() + "/data/codes";
}

std::string sample(const std::string& name) {
    return test::readFile(test::sourceDir() + "/tests/codes/samples/" + name);
}

TEST(CodeTables, HexToText) {
    struct Row {
        const char* hex;
        std::string text;
    };
    const Row rows[] = {
        {"", ""},
        {"6127", "a'"},
        {"1B411C", "\x1B"
                   "A\x1C"},
        {"4G", "\x04"},               // read as far as the digits are valid
        {"G4", std::string(1, '\0')}, // no valid first digit
        {"e9E9", "\xE9\xE9"},
        {"414", "A\x04"}, // a lone last digit
    };
    for (const auto& row : rows)
        EXPECT_EQ(HexToText(row.hex), row.text) << row.hex;
}

TEST(CodeTables, ParseCodeTable) {
    CodeRow row;
    ParseCodeTable("41/*41//4243/", row, 1, "\x1B", "\x1C");
    EXPECT_EQ(row.CodeTable[0][0], "A");
    EXPECT_EQ(row.CodeTable[0][1], "\x1B"
                                   "A\x1C");
    EXPECT_EQ(row.CodeTable[0][2], "");
    EXPECT_EQ(row.CodeTable[0][3], "BC");
    EXPECT_EQ(row.CodeTable[0][4], "");
    // Entries beyond 52 are ignored.
    std::string many;
    for (int i = 0; i < 60; ++i)
        many += "41/";
    CodeRow full;
    ParseCodeTable(many, full, 2, "", "");
    EXPECT_EQ(full.CodeTable[1][51], "A");
    EXPECT_EQ(full.CodeTable[0][0], "");
}

TEST(CodeTables, BuiltInRows) {
    const auto rows = BuiltInCodeRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].CodeTable[0][0], "a'");
    EXPECT_EQ(rows[0].CodeTable[0][22], "ss");
    EXPECT_EQ(rows[0].CodeTable[0][48], "SS");
    EXPECT_EQ(rows[1].CodeTable[0][49], "\x92");
    EXPECT_EQ(rows[2].CodeTable[0][25], "oe");
    EXPECT_EQ(rows[2].CodeTable[0][51], "Oe");
    EXPECT_EQ(rows[1].CodeName, "ANSI");
    EXPECT_EQ(rows[2].CodeName, "ASCII");
    EXPECT_EQ(rows[1].CodeSpaceCode, 32);
    EXPECT_EQ(rows[2].CodeDelimiters, " ");
    EXPECT_EQ(rows[1].CodeDelimiters, " \x84\x85\x93\x94\x96\x97");
    EXPECT_EQ(rows[0].CodeDelimiters, "!&'()*+-./,:;<=>?@[\\]_{}\xAD\xA8\"\n\r");
    for (const auto& row : rows)
        EXPECT_TRUE(row.CodeTable[1][0].empty());

    EXPECT_EQ(AnsiSpecialLetters(), "\xE1\xE2\xE0\xE4\xE9\xEA\xE8\xEB\xED\xEE\xEC\xEF\xF3\xF4\xF2"
                                    "\xF6\xFA\xFB\xF9\xFC\xE7\xF1\xDF'-\x9C"
                                    "\xC1\xC2\xC0\xC4\xC9\xCA\xC8\xCB\xCD\xCE\xCC\xCF\xD3\xD4\xD2"
                                    "\xD6\xDA\xDB\xD9\xDC\xC7\xD1\xDF\x92-\x8C");
    ProgramState state;
    SilentPrompter prompter;
    LoadCodeFiles(state, "", {}, prompter);
    EXPECT_EQ(state.CodeLetters[0], AnsiSpecialLetters());
    ASSERT_EQ(state.CodeLetters[1].size(), 52u);
    EXPECT_EQ(state.CodeLetters[1][25], 'o');
    EXPECT_EQ(state.CodeLetters[1][51], 'O');
    EXPECT_EQ(state.CodeLetters[1][0], '\xA0');
    EXPECT_EQ(state.CodeCount, 2);
    EXPECT_EQ(state.CodeMode, kCodeAnsi);
}

TEST(CodeTables, ParseCodeFileEveryLine) {
    std::string table1a, table1b;
    for (int i = 0; i < 26; ++i) {
        table1a += "61/";
        table1b += "*41/";
    }
    const CodeRow row = ParseCodeFile(codeFile({
        "Word Perfect",
        ".wp .WPD",
        "FF575043",
        "010A4142",
        "1B",
        "1C",
        table1a,
        table1b,
        "",
        "",
        "",
        "",
        "ignored",
        "ignored",
        "8020",
        "41614262",
        "0102030405060708090A0B0C0D0E0F10111213"
        "141516",
    }));
    EXPECT_EQ(row.CodeName, "Word Perfect");
    EXPECT_EQ(row.CodeExtensions, ".wp .WPD");
    EXPECT_EQ(row.CodeSignature, "\xFFWPC");
    EXPECT_TRUE(row.CodeCheckSecond);
    EXPECT_EQ(row.CodeSecondPosition, 10);
    EXPECT_EQ(row.CodeSecondSignature, "AB");
    EXPECT_EQ(row.CodeTable[0][0], "a");
    EXPECT_EQ(row.CodeTable[0][25], "a");
    EXPECT_EQ(row.CodeTable[0][26], "\x1B"
                                    "A\x1C");
    EXPECT_EQ(row.CodeTable[0][51], "\x1B"
                                    "A\x1C");
    EXPECT_TRUE(row.CodeTable[1][0].empty()); // lines 11 and 12 empty: no table 2
    EXPECT_EQ(row.CodeSpaceCode, 0x80);
    EXPECT_EQ(row.CodeSecondCode, 0x20);
    EXPECT_EQ(row.CodeDelimiters, "\x80");
    EXPECT_EQ(row.CodeSubstitutes[0], "AB");
    EXPECT_EQ(row.CodeSubstitutes[1], "ab");
    ASSERT_EQ(row.CodeByteList.size(), 20u);
    EXPECT_EQ(row.CodeByteList[19], 20);
}

TEST(CodeTables, ShortAndFaultyCodeFiles) {
    // Three lines, LF ends, a value holding a colon, a flag of 00 that ends line 4.
    CodeRow row = ParseCodeFile("Name:Mini:2\nExt:.mi\nSig:4D\nSecond:000141\n");
    EXPECT_EQ(row.CodeName, "Mini:2");
    EXPECT_EQ(row.CodeSignature, "M");
    EXPECT_FALSE(row.CodeCheckSecond);
    EXPECT_EQ(row.CodeSecondPosition, 0);
    EXPECT_TRUE(row.CodeSecondSignature.empty());
    EXPECT_TRUE(row.CodeTable[0][0].empty());
    EXPECT_EQ(row.CodeSpaceCode, 32); // no separator line: words end at blanks
    EXPECT_TRUE(row.CodeByteList.empty());
    // Bad hex digits.
    row = ParseCodeFile("Name:X\r\nExt:\r\nSig:ZZ41\r\n");
    EXPECT_EQ(row.CodeSignature, std::string("\0A", 2));
    row = ParseCodeFile("");
    EXPECT_TRUE(row.CodeName.empty());
}

TEST(CodeTables, LoadOrderAndCodeMode) {
    test::TempDir dir;
    dir.write("b.wp#", codeFile({"Zeta", ".zz"}));
    dir.write("a.WP#", codeFile({"alpha", ".aa"}));
    dir.write("c.txt", codeFile({"Not a code file"}));
    ProgramState state;
    SilentPrompter prompter;
    EXPECT_EQ(OrderedCodeFiles(dir.path(), prompter), (std::vector<std::string>{"a.WP#", "b.wp#"}));
    LoadCodeFolder(state, dir.path(), prompter);
    EXPECT_EQ(state.CodeCount, 4);
    EXPECT_EQ(CodeModeCaption(state, 3), "alpha");
    EXPECT_EQ(CodeModeCaption(state, 4), "Zeta");
    EXPECT_EQ(CodeModeCaption(state, 0), "Automatic");
    EXPECT_EQ(state.CodeMode, kCodeAutomatic);
    EXPECT_TRUE(prompter.shown.empty());

    EXPECT_TRUE(SetCodeMode(state, 4));
    EXPECT_FALSE(SetCodeMode(state, 5));
    EXPECT_EQ(state.CodeMode, 4);
    EXPECT_EQ(FindCodeMode(state, "ZETA"), 4);
    EXPECT_EQ(FindCodeMode(state, "ascii"), 2);
    EXPECT_EQ(FindCodeMode(state, "nothing"), -1);

    // A new load replaces the rows and goes back to Automatic.
    test::TempDir other;
    other.write("x.wp#", codeFile({"Only"}));
    LoadCodeFolder(state, other.path(), prompter);
    EXPECT_EQ(state.CodeCount, 3);
    EXPECT_EQ(state.CodeMode, kCodeAutomatic);
    // No code files at all: ANSI.
    test::TempDir empty;
    LoadCodeFolder(state, empty.path(), prompter);
    EXPECT_EQ(state.CodeCount, 2);
    EXPECT_EQ(state.CodeMode, kCodeAnsi);
    EXPECT_EQ(state.CodeRows.size(), 3u);
}

TEST(CodeTables, DamagedCodeFileIsToldAndStillLoaded) {
    struct Case {
        std::string bytes;
        std::optional<std::string> problem;
    };
    const std::vector<Case> cases = {
        {codeFile({"Alpha", ".alp", "4142", "00", "", "", "61/62/*63/"}), std::nullopt},
        {codeFile({"Alpha", ".alp", "4142 "}), std::nullopt}, // trailing blanks are no damage
        {std::string("Name:Alpha\r\n\0\0\r\n", 16), "it is not a text file."},
        {codeFile({"", ".alp"}), "its first line gives no name."},
        {codeFile({"Alpha", ".alp", "41G2"}), "line 3 is not hexadecimal."},
        {codeFile({"Alpha", ".alp", "", "", "", "", "61/62;63/"}),
         "line 7 is not a table of hexadecimal entries."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CodeFileProblem(c.bytes), c.problem) << c.bytes;

    test::TempDir dir;
    dir.write("bad.wp#", codeFile({"Beta", ".bet", "zz"}));
    ProgramState state;
    SilentPrompter prompter;
    LoadCodeFiles(state, dir.path(), {"bad.wp#"}, prompter);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "The code file bad.wp# is damaged:\r\nline 3 is not "
                                      "hexadecimal.\r\nFiles in its code may not be read right.");
    EXPECT_EQ(state.CodeRows[3].CodeName, "Beta");
}

TEST(ShippedCodeFiles, NoneIsDamaged) {
    const std::string folder = shippedCodes();
    for (const std::string name : {"html.wp#", "rtf.wp#", "tex.wp#"}) {
        const auto bytes = test::readFile(JoinPath(folder, name));
        EXPECT_EQ(CodeFileProblem(bytes), std::nullopt) << name;
    }
}

TEST(CodeTables, UnreadableCodeFileIsToldAndKeepsAnEmptyRow) {
    test::TempDir dir;
    dir.write("a.wp#", codeFile({"Alpha"}));
    ProgramState state;
    SilentPrompter prompter;
    LoadCodeFiles(state, dir.path(), {"missing.wp#", "a.wp#"}, prompter);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Cannot open file missing.wp# - trying next...");
    EXPECT_EQ(prompter.shown[0].title, "");
    EXPECT_EQ(prompter.shown[0].icon, Icon::Exclamation);
    EXPECT_EQ(state.CodeCount, 4);
    EXPECT_TRUE(state.CodeRows[3].CodeName.empty());
    EXPECT_EQ(state.CodeRows[4].CodeName, "Alpha");
}

TEST(ShippedCodeFiles, LoadInTheOrderOfTheirFirstLines) {
    ProgramState state;
    SilentPrompter prompter;
    LoadCodeFolder(state, shippedCodes(), prompter);
    EXPECT_TRUE(prompter.shown.empty());
    ASSERT_EQ(state.CodeCount, 5);
    EXPECT_EQ(state.CodeRows[3].CodeName, "HTML/XML entities");
    EXPECT_EQ(state.CodeRows[4].CodeName, "RTF escapes");
    EXPECT_EQ(state.CodeRows[5].CodeName, "TeX/LaTeX accents");
    for (int k = 3; k <= 5; ++k)
        for (int j = 0; j < kSpecialCharCount; ++j) {
            EXPECT_FALSE(state.CodeRows[k].CodeTable[0][j].empty()) << k << " " << j;
            EXPECT_FALSE(state.CodeRows[k].CodeTable[1][j].empty()) << k << " " << j;
        }
    // The program folder holds a copy of them.
    ProgramState copied;
    LoadCodeFolder(copied, test::binDir() + "/codes", prompter);
    EXPECT_EQ(copied.CodeCount, 5);
}

struct SampleCase {
    const char* file;
    int code;
    SourceConversion conversion;
    std::vector<std::pair<int, int>> entries; // (table, entry) whose text the sample holds
};

TEST(ShippedCodeFiles, DetectedOnTheirSamples) {
    ProgramState state;
    SilentPrompter prompter;
    LoadCodeFolder(state, shippedCodes(), prompter);
    const SampleCase cases[] = {
        {"sample.html", 3, SourceConversion::None, {{0, 4}, {1, 6}, {0, 51}, {0, 23}, {0, 11}}},
        {"sample.rtf", 4, SourceConversion::None, {{0, 4}, {1, 6}, {0, 49}, {0, 51}}},
        {"sample.tex", 5, SourceConversion::None, {{0, 4}, {1, 6}, {0, 51}, {0, 11}}},
        {"ansi.txt", 1, SourceConversion::None, {}},
        {"utf8.txt", 1, SourceConversion::Utf8, {}},
        {"utf8-bom.txt", 1, SourceConversion::Utf8, {}},
        {"utf16le.txt", 1, SourceConversion::Utf16LittleEndian, {}},
        {"utf16be.txt", 1, SourceConversion::Utf16BigEndian, {}},
        {"utf8-page.html", 3, SourceConversion::Utf8, {{0, 4}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string bytes = sample(c.file);
        const DetectedCode detected = DetectCode(state, state.CodeMode, bytes, c.file, false);
        EXPECT_EQ(detected.codeIndex, c.code);
        EXPECT_EQ(detected.conversion, c.conversion);
        const std::string text = ConvertSourceText(bytes, detected.conversion);
        for (const auto& [table, entry] : c.entries) {
            const std::string& form =
                state.CodeRows[static_cast<std::size_t>(c.code)].CodeTable[table][entry];
            EXPECT_NE(text.find(form), std::string::npos) << form;
        }
    }
}

TEST(CodeDetect, ConvertedText) {
    EXPECT_EQ(ConvertSourceText(sample("utf8.txt"), SourceConversion::Utf8),
              "Le caf\xE9 et la cr\xE8me \x96 \x93\x9Cuvre\x94 ??\r\n");
    EXPECT_EQ(ConvertSourceText(sample("utf8-bom.txt"), SourceConversion::Utf8), "na\xEFve\r\n");
    EXPECT_EQ(ConvertSourceText(sample("utf16le.txt"), SourceConversion::Utf16LittleEndian),
              "Gr\xFC\xDF"
              "e\r\n");
    EXPECT_EQ(ConvertSourceText(sample("utf16be.txt"), SourceConversion::Utf16BigEndian),
              "Gr\xFC\xDF"
              "e\r\n");
}

TEST(CodeDetect, Rules) {
    ProgramState state;
    SilentPrompter prompter;
    LoadCodeFiles(state, "", {}, prompter);
    state.CodeRows.push_back(ParseCodeFile(codeFile({"Empty signature", ".e1"})));
    state.CodeRows.push_back(ParseCodeFile(codeFile({"Two", ".two", "4142", "0105585A"})));
    state.CodeCount = 4;
    state.CodeMode = kCodeAutomatic;
    struct Row {
        std::string bytes;
        const char* name;
        bool more;
        int code;
        SourceConversion conversion;
    };
    using C = SourceConversion;
    const Row rows[] = {
        {"plain", "a.txt", false, 1, C::None},
        {"plain", "A.E1", false, 3, C::None}, // extension, any case
        {"plain", "a.e1x", false, 1, C::None},
        {"ABCDXZ", "a.txt", false, 4, C::None},
        {"ABCDXY", "a.txt", false, 1, C::None}, // second signature missing
        {"ABC", "a.two", false, 4, C::None},
        {"caf\xC3\xA9", "a.txt", false, 1, C::Utf8},
        {"caf\xC3", "a.txt", true, 1, C::None}, // cut, but no whole multi-byte sequence
        {"caf\xC3\xA9\xC3", "a.txt", true, 1, C::Utf8},
        {"caf\xC3\xA9\xC3", "a.txt", false, 1, C::None}, // broken at the true end
        {"caf\xE9", "a.txt", false, 1, C::None},
        {"\xEF\xBB\xBF"
         "ABCDXZ",
         "a.txt", false, 4, C::Utf8},
        {"", "a.txt", false, 1, C::None},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes);
        const DetectedCode detected =
            DetectCode(state, state.CodeMode, row.bytes, row.name, row.more);
        EXPECT_EQ(detected.codeIndex, row.code);
        EXPECT_EQ(detected.conversion, row.conversion);
    }
    // A fixed code is never converted; "UTF-8" names a converted file read as ANSI.
    state.CodeMode = kCodeAnsi;
    EXPECT_EQ(DetectCode(state, state.CodeMode, "caf\xC3\xA9", "a.txt", false).conversion, C::None);
    state.CodeMode = 4;
    EXPECT_EQ(DetectCode(state, state.CodeMode, "plain", "a.txt", false).codeIndex, 4);
    EXPECT_EQ(DetectedCodeName(state, {1, C::Utf8}), "UTF-8");
    EXPECT_EQ(DetectedCodeName(state, {1, C::None}), "ANSI");
    EXPECT_EQ(DetectedCodeName(state, {4, C::Utf8}), "Two");
    EXPECT_TRUE(ExtensionListed(".htm .HTML", ".html"));
    EXPECT_TRUE(ExtensionListed(".htm,.html", ".HTM"));
    EXPECT_FALSE(ExtensionListed(".html", ".htm"));
    EXPECT_FALSE(ExtensionListed(".htm", "."));
}

} // namespace
} // namespace lexmora
