// Reading the lists keyness compares: plain lists in both forms, comments, the token line, bad
// lines skipped or refused, UTF-8 and Windows-1252; word list pairs, and the lists refused.
#include "analysis/reference_list.h"

#include "analysis/keyness.h"
#include "analysis/messages.h"
#include "core/command_line.h"
#include "wordcount/word_rules.h"
#include "core/paths.h"
#include "export/table_writer.h"
#include "support/test_support.h"
#include "wordcount/frequency_files.h"
#include "wordcount/messages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

namespace lexmora {
namespace {

// "word=count" of each entry, then "tokens=N".
std::vector<std::string> entriesOf(const ComparedList& list) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < list.size(); ++i)
        out.push_back(std::string(list.word(i)) + "=" + std::to_string(list.counts[i]));
    out.push_back("tokens=" + std::to_string(list.tokens));
    return out;
}

TEST(PlainList, FormsCommentsAndTokens) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> entries;
    };
    const std::vector<Case> cases = {
        {"word<TAB>frequency, tokens summed",
         "the\t10\ncat\t3\n",
         {"cat=3", "the=10", "tokens=13"}},
        {"rank<TAB>frequency<TAB>word, CR LF, shared rank",
         "1\t10\tthe\r\n2.5\t3\tcat\r\n2.5\t3\tdog\r\n",
         {"cat=3", "dog=3", "the=10", "tokens=16"}},
        {"comments, blank lines and the token line",
         "# a list\n\n   \n#tokens: 500\nthe\t10\n# tokens of the list: 600\n",
         {"the=10", "tokens=500"}},
        {"blanks around fields, a zero frequency adds nothing",
         " the \t 10 \nrare\t0\n",
         {"the=10", "tokens=10"}},
        {"one type in two spellings is one entry, spelled the list's way",
         "The\t3\nthe\t2\nTHE\t1\n",
         {"the=6", "tokens=6"}},
        {"the word list's order: accents after their letter, words after their prefixes",
         "\xE9t\xE9\t1\nete\t1\nzoo\t1\net\t1\n",
         {"et=1", "ete=1", "\xE9t\xE9=1", "zoo=1", "tokens=4"}},
        {"UTF-8 is read as Windows-1252 text", "caf\xC3\xA9\t2\n", {"caf\xE9=2", "tokens=2"}},
        {"UTF-8 with a byte-order mark",
         "\xEF\xBB\xBF"
         "na\xC3\xAFve\t4\n",
         {"na\xEFve=4", "tokens=4"}},
        {"Windows-1252 as it is",
         "caf\xE9\t2\n\x9C"
         "uvre\t1\n",
         {"caf\xE9=2", "\x9Cuvre=1", "tokens=3"}},
    };
    for (const Case& c : cases) {
        Result<ComparedList> list = ParsePlainList(c.text, "r.txt", BadLines::Refuse);
        ASSERT_TRUE(list.ok()) << c.what << ": " << list.error().text;
        EXPECT_EQ(entriesOf(list.value()), c.entries) << c.what;
    }
    Result<ComparedList> joined = ParsePlainList("The\t3\nthe\t2\n", "r.txt", BadLines::Refuse);
    EXPECT_EQ(joined->notes,
              (std::vector<std::string>{analysis::msg::KeynessSpellingsJoined("r.txt", 1)}));
}

TEST(PlainList, BadLinesNamedSkippedOrRefused) {
    const std::string text = "the\t10\n"
                             "no tab here\n"    // 2
                             "1\t2\t3\t4\n"     // 3
                             "x\t2\tcat\n"      // 4: rank
                             "\t5\n"            // 5: no word
                             "dog\tmany\n"      // 6
                             "dog\t-3\n"        // 7
                             "# tokens: lots\n" // 8
                             "# tokens: 100\n"  // 9
                             "# tokens: 200\n"  // 10
                             "cat\t4\n";
    Result<ComparedList> skipped = ParsePlainList(text, "caf\xC3\xA9.txt", BadLines::Skip);
    ASSERT_TRUE(skipped.ok());
    EXPECT_EQ(entriesOf(skipped.value()),
              (std::vector<std::string>{"cat=4", "the=10", "tokens=100"}));
    const std::string name = "caf\xE9.txt, line ";
    EXPECT_EQ(skipped->notes,
              (std::vector<std::string>{name + "2 skipped: no tab between word and frequency.",
                                        name + "3 skipped: more than three fields.",
                                        name + "4 skipped: the rank is not a number.",
                                        name + "5 skipped: no word.",
                                        name + "6 skipped: the frequency is not a whole number.",
                                        name + "7 skipped: the frequency is not a whole number.",
                                        name + "8 skipped: the token total is not a whole number.",
                                        name + "10 skipped: a second token total."}));

    Result<ComparedList> refused = ParsePlainList(text, "caf\xC3\xA9.txt", BadLines::Refuse);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.code(), FailureCode::InvalidInput);
    EXPECT_EQ(refused.error().text,
              "Line 2 of \xAB caf\xE9.txt \xBB is not \"word<TAB>frequency\" or "
              "\"rank<TAB>frequency<TAB>word\":\r\nno tab between word and frequency (8 such lines "
              "in all).\r\nCorrect the list, or choose to skip the lines that are not entries.");

    // past ten, the bad lines are counted, not named
    std::string many;
    for (int i = 0; i < 13; ++i)
        many += "bad\n";
    many += "ok\t1\n";
    Result<ComparedList> counted = ParsePlainList(many, "m.txt", BadLines::Skip);
    ASSERT_TRUE(counted.ok());
    EXPECT_EQ(counted->notes.size(), 11u);
    EXPECT_EQ(counted->notes.back(), "... and 3 more lines skipped.");
}

TEST(PlainList, ListsThatCannotBeCompared) {
    const std::pair<std::string, Message> cases[] = {
        {"", analysis::msg::KeynessEmptyList("r.txt")},
        {"# only a comment\n\n", analysis::msg::KeynessEmptyList("r.txt")},
        {"the\t0\n", analysis::msg::KeynessEmptyList("r.txt")},
        {"# tokens: 0\nthe\t0\ncat\t0\n", analysis::msg::KeynessEmptyList("r.txt")},
        {"# tokens: 0\nthe\t1\n", analysis::msg::KeynessNoTokens("r.txt")},
        {"# tokens: 5\nthe\t4\ncat\t3\n",
         analysis::msg::KeynessFrequenciesExceedTokens("r.txt", 7, 5)},
        {"a\t999999999999999999\nb\t999999999999999999\n",
         analysis::msg::KeynessBadLine("r.txt", 1, analysis::msg::kLineFrequencyTooLarge, 2)},
    };
    for (const auto& [text, message] : cases) {
        Result<ComparedList> list = ParsePlainList(text, "r.txt", BadLines::Refuse);
        ASSERT_FALSE(list.ok()) << text;
        EXPECT_EQ(list.error().text, message.text) << text;
    }
}

TEST(TypeOrder, SpellingsOfOneTypeCompareEqual) {
    EXPECT_EQ(CompareTypes("Paris", "paris"), 0);
    EXPECT_EQ(CompareTypes("\xC9T\xC9", "\xE9t\xE9"), 0);
    EXPECT_LT(CompareTypes("ete", "\xE9t\xE9"), 0);
    EXPECT_LT(CompareTypes("\xE9t\xE9", "etz"), 0); // base letters first
    EXPECT_LT(CompareTypes("cat", "cats"), 0);
}

// A word list pair as the word count writes it: header, one CR LF line per word; the index's
// 26 letter records, then one record per type.
std::string writePair(const test::TempDir& dir, const std::string& name,
                      const std::vector<std::pair<std::string, int>>& words, std::int64_t tokens) {
    std::string list = FillCountHeader(tokens, static_cast<std::int64_t>(words.size()), 1) + "\r\n";
    std::array<CountIndexRecord, kLetterRecords> letters{};
    std::string types;
    for (const auto& [word, count] : words) {
        CountIndexRecord& letter = letters[static_cast<std::size_t>((word[0] | 0x20) - 'a')];
        if (letter.count++ == 0)
            letter.position = static_cast<std::int32_t>(list.size() + 1);
        AppendIndexRecord(types, {static_cast<std::int32_t>(list.size() + 1), count});
        list += word + "\r\n";
    }
    std::string index;
    for (const CountIndexRecord& letter : letters)
        AppendIndexRecord(index, letter);
    dir.write(name + ".sta", index + types);
    return dir.write(name + ".lst", list);
}

TEST(CountList, ReadInTypeOrderAndCompared) {
    test::TempDir dir;
    const std::string target =
        writePair(dir, "t", {{"alpha", 50}, {"beta", 20}, {"Gamma", 10}, {"zeta", 8}}, 1000);
    const std::string reference =
        writePair(dir, "r", {{"alpha", 20}, {"beta", 40}, {"zeta", 16}}, 2000);
    Result<ComparedList> list = LoadCountList(target);
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(entriesOf(list.value()), (std::vector<std::string>{"alpha=50", "beta=20", "Gamma=10",
                                                                 "zeta=8", "tokens=1000"}));
    KeynessRequest request;
    request.targetPath = target;
    request.referencePath = reference;
    request.pLevel.reset();
    Result<KeynessResult> result = RunKeyness(request);
    ASSERT_TRUE(result.ok()) << result.error().text;
    ASSERT_EQ(result->table.rows.size(), 4u);
    EXPECT_EQ(std::get<std::string>(result->table.rows[0][0]), "alpha");
    EXPECT_EQ(std::get<std::string>(result->table.rows[1][0]), "Gamma");

    // a plain reference beside a word list target
    request.referencePath = dir.write("r.txt", "# tokens: 2000\n1\t20\tALPHA\n2\t40\tbeta\n");
    result = RunKeyness(request);
    ASSERT_TRUE(result.ok()) << result.error().text;
    EXPECT_EQ(std::get<std::int64_t>(result->table.rows[0][2]), 20); // ALPHA is alpha
}

// The copied command line, run through /bin/sh with the built lexmora-cli, prints the table
// the engine gave.
TEST(CommandLine, ReplayedLineGivesTheSameTable) {
    test::TempDir dir;
    const std::string target = writePair(dir, "my target", {{"alpha", 50}, {"beta", 20}}, 1000);
    KeynessRequest request;
    request.targetPath = target;
    request.referencePath =
        dir.write("it's here.txt", "# tokens: 2000\nalpha\t20\nbad line\nbeta\t40\ngamma\t9\n");
    request.badLines = BadLines::Skip;
    request.measure = KeynessMeasure::LogRatio;
    request.k = 0.5;
    request.pLevel = 0.0001;
    request.correction = PCorrection::Sidak;
    request.minTarget = 0;
    request.minReference = 1;
    request.show = KeywordShow::Negative;
    request.top = 7;
    const std::vector<std::string> words = KeynessCommandWords(request);
    EXPECT_EQ(
        std::vector<std::string>(words.begin() + 3, words.end()),
        (std::vector<std::string>{"--measure", "logratio", "--k", "0.5", "--p", "0.0001",
                                  "--correct", "sidak", "--min-target", "0", "--min-ref", "1",
                                  "--show", "negative", "--top", "7", "--bad-lines", "skip"}));

    request.pLevel.reset();
    request.correction = PCorrection::None;
    Result<KeynessResult> result = RunKeyness(request);
    ASSERT_TRUE(result.ok()) << result.error().text;
    ASSERT_EQ(result->table.rows.size(), 2u); // gamma, then beta
    std::vector<std::string> line = {test::binDir() + "/lexmora-cli", "--home", dir.path()};
    for (const std::string& word : KeynessCommandWords(request))
        line.push_back(word);
    line.push_back("--format");
    line.push_back("tsv");
    const std::string out = JoinPath(dir.path(), "out.tsv");
    const std::string shell = ShellLine(line) + " > " + ShellQuote(out) + " 2>/dev/null";
    ASSERT_EQ(std::system(("/bin/sh -c " + ShellQuote(shell)).c_str()), 0);
    EXPECT_EQ(test::readFile(out), TableText(result->table, TableFormat::Tsv));
}

TEST(CountList, RefusedLists) {
    test::TempDir dir;
    const std::string good = writePair(dir, "good", {{"alpha", 5}}, 10);
    const std::string empty = writePair(dir, "empty", {}, 10);
    const std::string plain = dir.write("plain.txt", "alpha\t5\n");
    dir.write("damaged.lst", "tokens: nonsense\r\n");
    dir.write("damaged.sta", "");
    const std::string folder = dir.makeFolder("folder.txt");
    struct Case {
        std::string target, reference, text;
    };
    const std::vector<Case> cases = {
        {good, good, analysis::msg::KeynessSameList("good.lst").text},
        {plain, plain, analysis::msg::KeynessSameList("plain.txt").text},
        {empty, good, analysis::msg::KeynessEmptyList("empty.lst").text},
        {good, empty, analysis::msg::KeynessEmptyList("empty.lst").text},
        {dir.path() + "/damaged.lst", good, wordcount::msg::InvalidFile("damaged.lst").text},
        {plain, good, wordcount::msg::CannotOpenIndex("plain.sta", "plain.txt").text},
        {good, folder, analysis::msg::KeynessNotAFile("folder.txt").text},
        {good, dir.path() + "/missing.txt",
         analysis::msg::KeynessCannotReadList("missing.txt", "No such file or directory").text},
    };
    for (const Case& c : cases) {
        KeynessRequest request;
        request.targetPath = c.target;
        request.referencePath = c.reference;
        Result<KeynessResult> result = RunKeyness(request);
        ASSERT_FALSE(result.ok()) << c.target << " " << c.reference;
        EXPECT_EQ(result.error().text, c.text) << c.target << " " << c.reference;
    }
}

} // namespace
} // namespace lexmora
