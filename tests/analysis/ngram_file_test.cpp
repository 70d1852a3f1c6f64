// Saved n-grams: the exact bytes of a saved list, read back as it was, and every damaged form
// refused with the reason a user reads.
#include "analysis/ngram_file.h"

#include "analysis/messages.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

NgramResult workedResult() {
    NgramResult r;
    r.minSize = 2;
    r.maxSize = 3;
    r.minFreq = 2;
    r.minRange = 2;
    r.stopAtSentence = true;
    r.languageIndex = static_cast<int>(LanguageId::French);
    r.tokens = 12;
    r.files = 2;
    r.list.add("end of", 2, 2);
    r.list.add("end of the", 2, 2);
    r.list.add("caf\xE9 cr\xE8me", 2, 2);
    return r;
}

// Worked out by hand but for the checksum, which the file's own test below checks.
constexpr const char* kWorkedBody = "LEXMORA-NGRAMS\t1\n"
                                    "size\t2-3\n"
                                    "min-freq\t2\n"
                                    "min-range\t2\n"
                                    "stop-at-sentence\tyes\n"
                                    "language\tFrench\n"
                                    "tokens\t12\n"
                                    "files\t2\n"
                                    "sort\talpha\n"
                                    "ngram\tfreq\trange\n"
                                    "end of\t2\t2\n"
                                    "end of the\t2\t2\n"
                                    "caf\xE9 cr\xE8me\t2\t2\n";

std::string rows(const NgramResult& r) {
    std::string out;
    for (const SequenceItem& item : r.list.items)
        out += std::string(r.list.textOf(item)) + "|" + std::to_string(item.freq) + "|" +
               std::to_string(item.range) + "\n";
    return out;
}

TEST(NgramFile, SavedBytesAndReadBack) {
    const std::string text = NgramFileText(workedResult(), SequenceSort::Alpha);
    const std::string body = kWorkedBody;
    ASSERT_EQ(text.substr(0, body.size()), body);
    const std::string end = text.substr(body.size());
    EXPECT_EQ(end.substr(0, 6), "end\t3\t");
    EXPECT_EQ(end.size(), 6u + 16u + 1u);

    test::TempDir dir;
    const std::string path = dir.path() + "/saved.ngr";
    ASSERT_TRUE(SaveNgramFile(workedResult(), SequenceSort::Alpha, path, Placement::KeepExisting));
    EXPECT_EQ(test::readFile(path), text);
    SequenceSort sort = SequenceSort::Freq;
    const Result<NgramResult> back = LoadNgramFile(path, &sort);
    ASSERT_TRUE(back) << back.error().text;
    EXPECT_EQ(rows(*back), rows(workedResult()));
    EXPECT_EQ(sort, SequenceSort::Alpha);
    EXPECT_EQ(back->minSize, 2);
    EXPECT_EQ(back->maxSize, 3);
    EXPECT_EQ(back->languageIndex, static_cast<int>(LanguageId::French));
    EXPECT_TRUE(back->stopAtSentence);
    EXPECT_EQ(NgramFileText(*back, sort), text);

    // never over a file of the name unless told
    const Status again =
        SaveNgramFile(workedResult(), SequenceSort::Freq, path, Placement::KeepExisting);
    ASSERT_FALSE(again);
    EXPECT_EQ(again.error().text, analysis::msg::NgramFileExists(path).text);
    EXPECT_EQ(test::readFile(path), text);
}

TEST(NgramFile, DamagedFormsAreRefused) {
    const std::string good = NgramFileText(workedResult(), SequenceSort::Alpha);
    auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const auto damaged = [](const std::string& reason) {
        return analysis::msg::NgramFileDamaged("x.ngr", reason).text;
    };
    struct Case {
        std::string bytes;
        std::string expected;
    };
    const Case cases[] = {
        {"", analysis::msg::NotAnNgramFile("x.ngr").text},
        {"just some text\n", analysis::msg::NotAnNgramFile("x.ngr").text},
        {std::string("\x7f"
                     "ELF\x02\x01\0\0",
                     8),
         analysis::msg::NotAnNgramFile("x.ngr").text},
        {replaced("NGRAMS\t1", "NGRAMS\t2"), analysis::msg::NgramFileTooNew("x.ngr", 2).text},
        {replaced("NGRAMS\t1", "NGRAMS\tone"), damaged("version")},
        {good.substr(0, 40), damaged("cut short in the settings")},
        {good.substr(0, good.size() - 30), damaged("cut short after 2 rows")},
        {good.substr(0, good.size() - 1), damaged("cut short after 3 rows")},
        {replaced("size\t2-3", "size\t2-9"), damaged("size 2-9")},
        {replaced("min-freq\t2", "min-freq\t0"), damaged("min-freq 0")},
        {replaced("language\tFrench", "language\tKlingon"), damaged("language Klingon")},
        {replaced("sort\talpha", "sort\tshuffle"), damaged("sort shuffle")},
        {replaced("stop-at-sentence", "stop-at-sentences"), damaged("setting line 5")},
        {replaced("ngram\tfreq\trange", "ngram\tfreq"), damaged("column line")},
        {replaced("end of\t2\t2", "end of\t2"), damaged("row 1")},
        {replaced("end of\t2\t2", "end of\t2\tx"), damaged("row 1")},
        {replaced("end of\t2\t2", "end of\t1\t2"), damaged("row 1")}, // range above freq
        {replaced("end of\t2\t2", "end of\t5\t3"), damaged("row 1")}, // range above files
        {replaced("end of\t2\t2", "end\t2\t2"), damaged("row count")},
        {replaced("end of the\t2", "endless\t2"), damaged("row 2")}, // one word: below size 2
        {replaced("end of the\t2\t2", "end of the\t3\t2"), damaged("checksum")},
        {replaced("end\t3\t", "end\t4\t"), damaged("row count")},
        {good + "more\n", damaged("bytes after the end line")},
    };
    for (const Case& c : cases) {
        const Result<NgramResult> r = ParseNgramFile(c.bytes, "x.ngr");
        ASSERT_FALSE(r) << c.expected;
        EXPECT_EQ(r.error().text, c.expected);
    }
    test::TempDir dir;
    const Result<NgramResult> folder = LoadNgramFile(dir.path());
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.error().text, analysis::msg::NotAnNgramFile(dir.path()).text);
    EXPECT_FALSE(LoadNgramFile(dir.path() + "/missing.ngr"));
}

} // namespace
} // namespace lexmora
