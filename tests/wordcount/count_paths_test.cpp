// The count in memory, the count that spills to bucket files, and the count of every recorded
// word through letter buckets split on disk (a reference written here) give the same pair, byte
// for byte; and UTF-8 sources count as their text says.
#include "wordcount/word_counter.h"

#include "core/text_codec.h"
#include "count_fixture.h"
#include "wordcount/frequency_files.h"
#include "wordcount/word_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace lexmora {
namespace {

using test::folderEntries;
using test::readFile;

// The word list and index as sorting every recorded word through letter buckets gives them:
// a bucket above 15000 words is split by its next letter (œ there read as "oe"), pieces that
// only hold case variants of their own name are listed as that name, the rest sorted and
// collapsed.
class ReferenceCount {
public:
    explicit ReferenceCount(const ProgramState& state) : m_state(state) {}

    void addText(std::string_view text) {
        for (const std::string& word : CutWords(m_state, text)) {
            const int bucket = BucketOfFirst(static_cast<unsigned char>(word[0]));
            if (bucket == 0)
                continue;
            ++m_tokens;
            if (bucket == kOeBucket)
                m_buckets[14].push_back("oe" + LowerCp1252(word.substr(1)));
            else if (bucket != kDigitBucket)
                m_buckets[static_cast<std::size_t>(bucket - 1)].push_back(word);
        }
    }

    // The pair's bytes for `files` source files.
    std::pair<std::string, std::string> pair(std::int64_t files) {
        std::string letters;
        for (int n = 0; n < 26; ++n) {
            const std::int64_t position = m_listBytes + 1;
            const std::int64_t types = gather(m_buckets[static_cast<std::size_t>(n)],
                                              std::string("~") + static_cast<char>('a' + n), 1, -1);
            AppendIndexRecord(
                letters, {static_cast<std::int32_t>(position), static_cast<std::int32_t>(types)});
            m_types += types;
        }
        return {FillCountHeader(m_tokens, m_types, files) + "\r\n" + m_lines, letters + m_records};
    }

private:
    void write(std::string_view word, std::int64_t frequency) {
        AppendIndexRecord(m_records, {static_cast<std::int32_t>(m_listBytes + 1),
                                      static_cast<std::int32_t>(frequency)});
        m_lines.append(word);
        m_lines += "\r\n";
        m_listBytes += static_cast<std::int64_t>(word.size()) + 2;
    }

    std::int64_t gather(std::vector<std::string>& words, const std::string& base, int depth,
                        std::int64_t parentCount) {
        const auto count = static_cast<std::int64_t>(words.size());
        if (count == 0)
            return 0;
        const auto d = static_cast<std::size_t>(depth);
        if (static_cast<unsigned char>(base.back()) < 'a' || count <= kInMemoryWords ||
            count == parentCount) {
            const bool nonAscii = std::any_of(words.begin(), words.end(), [](const std::string& w) {
                return std::any_of(w.begin(), w.end(), [](char c) { return c & 0x80; });
            });
            const int lang = m_state.LanguageIndex;
            const bool accented =
                (lang == 1 && (base[1] == 'a' || base[1] == 'c')) || (lang == 3 && base[1] == 'e');
            if (base.back() == '_' && !nonAscii && (lang == 0 || (base.size() == 3 && !accented))) {
                write(base.substr(1, base.size() - 2), count);
                return 1;
            }
            std::sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
                return CompareWords(a, b) < 0;
            });
            std::int64_t types = 0;
            for (std::size_t i = 0; i < words.size();) {
                std::size_t j = i + 1;
                while (j < words.size() && SameType(words[i], words[j]))
                    ++j;
                write(words[i], static_cast<std::int64_t>(j - i));
                ++types;
                i = j;
            }
            return types;
        }
        std::vector<std::vector<std::string>> pieces(kSubBucketCount);
        for (std::string& w : words) {
            int k = 0;
            if (w.size() > d) {
                k = PieceOf(static_cast<unsigned char>(w[d]));
                if (w[d] == '\x8C' || w[d] == '\x9C')
                    w = w.substr(0, d) + "oe" + w.substr(d + 1);
            }
            pieces[static_cast<std::size_t>(k)].push_back(std::move(w));
        }
        std::int64_t types = 0;
        for (int k = 0; k < kSubBucketCount; ++k)
            types += gather(pieces[static_cast<std::size_t>(k)], base + static_cast<char>(95 + k),
                            depth + 1, count);
        return types;
    }

    const ProgramState& m_state;
    std::vector<std::string> m_buckets[26];
    std::int64_t m_tokens = 0, m_types = 0, m_listBytes = 46;
    std::string m_lines, m_records;
};

// A text of `tokens` words: most drawn, more often from the front, from a vocabulary of case
// and accent variants, œ and ß, apostrophes, hyphens, digits, and words of 1 to 40 bytes, so
// that t, a and c are split a few levels deep; the others made up, so that the table of word
// forms grows (and a small budget makes it spill again and again).
std::string mixedText(unsigned seed, int tokens) {
    static const std::vector<std::string> vocabulary = {
        "the",
        "The",
        "THE",
        "a",
        "and",
        "to",
        "that",
        "A",
        "thé",
        "tHe",
        "then",
        "them",
        "And",
        "AND",
        "an",
        "at",
        "as",
        "café",
        "Café",
        "CAFÉ",
        "cafe",
        "cœur",
        "Cœur",
        "œuvre",
        "Œuvres",
        "thœ",
        "tœ",
        "straße",
        "ßig",
        "théâtre",
        "thèse",
        "t-shirt",
        "t'as",
        "l'homme",
        "l’homme",
        "aujourd'hui",
        "1990s",
        "2002",
        "abcd1",
        "x",
        "I",
        "i",
        "abcdefgh",
        "abcdefghi",
        "ABCDEFGHI",
        "abcdefghijklmnop",
        "abcdefghijklmnopq",
        "thisisaveryveryverylongwordwithoutanybreak",
        "tha",
        "thz",
        "th",
        "T",
        "ta",
        "tz",
        "exam-",
        "ple",
        "Jean-",
        "Pierre",
        "ça",
        "Ça",
        "à",
        "À",
        "è",
        "ê",
        "über",
        "Über",
        "ñandú",
        "año",
        "zoë",
        "ZOË",
        "çà",
        "c",
        "e",
        "o",
        "s",
        "y",
        "tt",
        "ttt",
        "tttt"};
    static const std::vector<std::string> letters = {"a", "e", "h", "o", "s", "t", "T", "é",
                                                     "è", "œ", "'", "-", "ß", "u", "r", "z"};
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::string text;
    for (int i = 0; i < tokens; ++i) {
        const double x = u(random);
        if (x < 0.25) {
            text += "tac"[random() % 3];
            for (auto n = random() % 12; n > 0; --n)
                text += letters[random() % letters.size()];
        } else {
            text += vocabulary[static_cast<std::size_t>(x * x * x *
                                                        static_cast<double>(vocabulary.size()))];
        }
        text += i % 13 == 12 ? (seed % 2 ? "\n" : "\r\n") : " ";
    }
    return text;
}

TEST(WordcountPaths, InMemorySpilledAndReferenceGiveTheSamePair) {
    struct Budget {
        const char* what;
        std::size_t bytes;
        bool spills;
    };
    const Budget budgets[] = {
        {"in memory", kCountMemoryBudget, false},
        {"spilled, pieces split on disk", 4096, true},
        {"spilled, pieces read back and split in memory", 600 << 10, true},
    };
    for (const LanguageId language :
         {LanguageId::English, LanguageId::French, LanguageId::Italian}) {
        const std::string one = utf8ToCp1252(mixedText(static_cast<unsigned>(language), 70000));
        const std::string two = utf8ToCp1252(mixedText(7 + static_cast<unsigned>(language), 30000));
        for (const Budget& budget : budgets) {
            SCOPED_TRACE(std::string(budget.what) + ", language " +
                         std::to_string(static_cast<int>(language)));
            test::TempDir dir;
            ProgramState state = test::wordcountState(dir, language);
            dir.write("source/one.txt", one);
            dir.write("source/two.txt", two);
            ReferenceCount reference(state);
            reference.addText(one);
            reference.addText(two);
            const auto [list, index] = reference.pair(2);

            SilentPrompter silent;
            CountHooks hooks;
            hooks.memoryBudget = budget.bytes;
            bool sawTemporaryFiles = false;
            hooks.progress = [&](const CountProgress& p) {
                if (p.phase == CountProgress::Phase::Gather)
                    sawTemporaryFiles =
                        sawTemporaryFiles || !folderEntries(state.TempDirectory).empty();
            };
            const CountResult result = CountWords(
                state, test::countRequest(state, {"one.txt", "two.txt"}, "list"), silent, hooks);
            ASSERT_EQ(result.outcome, CountOutcome::Completed);
            EXPECT_EQ(sawTemporaryFiles, budget.spills);
            EXPECT_TRUE(readFile(state.FrequencyFilesDirectory + "/list.lst") == list);
            EXPECT_TRUE(readFile(state.FrequencyFilesDirectory + "/list.sta") == index);
            EXPECT_TRUE(folderEntries(state.TempDirectory).empty());
        }
    }
}

TEST(WordcountPaths, SpilledCountLeavesNoFileWhenAbandoned) {
    // Exit confirmed while the words are read, and while the spilled letters are gathered.
    for (const CountProgress::Phase phase :
         {CountProgress::Phase::Scatter, CountProgress::Phase::Gather}) {
        test::TempDir dir;
        ProgramState state = test::wordcountState(dir, LanguageId::English);
        dir.write("source/one.txt", utf8ToCp1252(mixedText(1, 40000)));
        dir.write("source/two.txt", "last words");
        ScriptedPrompter yes({Answer::Yes});
        CountHooks hooks;
        hooks.memoryBudget = 4096;
        hooks.progress = [&](const CountProgress& p) {
            if (p.phase == phase && (phase == CountProgress::Phase::Gather || p.fileNumber == 2))
                state.ExitFlag = ExitRequest::UserPressedExit;
        };
        EXPECT_EQ(
            CountWords(state, test::countRequest(state, {"one.txt", "two.txt"}, "list"), yes, hooks)
                .outcome,
            CountOutcome::Abandoned);
        EXPECT_TRUE(folderEntries(state.TempDirectory).empty());
        EXPECT_TRUE(folderEntries(state.FrequencyFilesDirectory).empty());
    }
}

// The types of the list as "word frequency", words in UTF-8.
std::vector<std::string> utf8Types(const ProgramState& state) {
    Result<CountFile> file = LoadCountFile(state.FrequencyFilesDirectory + "/list.lst");
    std::vector<std::string> out;
    if (!file)
        return {"<no list>"};
    Result<std::vector<std::string>> words = ReadAllWords(file.value());
    for (std::size_t i = 0; i < words->size(); ++i)
        out.push_back(cp1252ToUtf8(words.value()[i]) + " " + std::to_string(file->types[i].count));
    return out;
}

// One sample in each language, written in UTF-8 (the source spells the characters), with its
// word list worked out by hand. Characters Windows-1252 cannot hold (東京, 😀) break words;
// ’ is Windows-1252's code 146, € code 128, – code 150.
struct Utf8Case {
    LanguageId language;
    std::string text;
    std::int64_t tokens;
    std::vector<std::string> types; // "word frequency", words in UTF-8 here
};

TEST(WordcountPaths, Utf8SourcesCountAsTheirTextSays) {
    const Utf8Case cases[] = {
        {LanguageId::English,
         "Naïve café owners don’t queue. The CAFÉ’s crème brûlée: 東京 Zoë and I.\r\n",
         12,
         {"and 1", "brûlée 1", "café 2", "crème 1", "don 1", "I 1", "Naïve 1", "owners 1",
          "queue 1", "The 1", "Zoë 1"}},
        {LanguageId::French,
         "L’été où j’ai vu l’œuvre de Molière à Besançon : aujourd’hui ça coûte 3 €.\r\n",
         15,
         {"à 1", "ai 1", "aujourd'hui 1", "Besançon 1", "ça 1", "coûte 1", "de 1", "été 1", "j 1",
          "l 2", "Molière 1", "oeuvre 1", "où 1", "vu 1"}},
        {LanguageId::German,
         "Die Straße führt über Köln nach München – großartig! Ökonomie 2024 😀 Ärger.\r\n",
         11,
         {"Ärger 1", "Die 1", "führt 1", "großartig 1", "Köln 1", "München 1", "nach 1",
          "Ökonomie 1", "Straße 1", "über 1"}},
        {LanguageId::Italian,
         "Perché l’università è già aperta? Sì, è così: 42 città.\r\n",
         10,
         {"aperta 1", "città 1", "così 1", "è 2", "già 1", "l'università 1", "Perché 1", "Sì 1"}},
        {LanguageId::Spanish,
         "¿Dónde está el niño? ¡Mañana él irá a Cádiz y ya!\r\n",
         11,
         {"a 1", "Cádiz 1", "Dónde 1", "el 1", "él 1", "está 1", "irá 1", "Mañana 1", "niño 1",
          "y 1", "ya 1"}},
    };
    for (const Utf8Case& c : cases) {
        SCOPED_TRACE(c.text);
        for (const std::string& text : {c.text, "\xEF\xBB\xBF" + c.text}) { // and with a BOM
            test::TempDir dir;
            ProgramState state = test::wordcountState(dir, c.language);
            dir.write("source/u.txt", text);
            SilentPrompter silent;
            const CountResult result =
                CountWords(state, test::countRequest(state, {"u.txt"}, "list"), silent, {});
            ASSERT_EQ(result.outcome, CountOutcome::Completed);
            EXPECT_EQ(utf8Types(state), c.types);
            EXPECT_EQ(result.tokens, c.tokens);
        }
    }
}

TEST(WordcountPaths, Utf8CharacterAcrossTwoReadBlocks) {
    // the é of "Perché" starts on the last byte of the first 256 KiB block
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, LanguageId::English);
    dir.write("source/u.txt",
              "\xC3\xA9t\xC3\xA9\r\n" + std::string(262131, ' ') + "Perch\xC3\xA9 \r\n");
    SilentPrompter silent;
    ASSERT_EQ(CountWords(state, test::countRequest(state, {"u.txt"}, "list"), silent, {}).outcome,
              CountOutcome::Completed);
    EXPECT_EQ(utf8Types(state), (std::vector<std::string>{"été 1", "Perché 1"}));
}
TEST(WordcountPaths, Windows1252TextIsNotTakenForUtf8) {
    // E9 followed by a blank is no UTF-8 sequence: the file is Windows-1252, as before
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, LanguageId::English);
    dir.write("source/a.txt", "caf\xE9 na\xEFve\r\n");
    SilentPrompter silent;
    ASSERT_EQ(CountWords(state, test::countRequest(state, {"a.txt"}, "list"), silent, {}).outcome,
              CountOutcome::Completed);
    EXPECT_EQ(readFile(state.FrequencyFilesDirectory + "/list.lst"),
              "tokens:2        types:2        files:1      \r\ncaf\xE9\r\nna\xEFve\r\n");
}

// A list named as typed, "café" in Windows-1252, is a file named in UTF-8, as every other file.
TEST(WordcountPaths, ListNamedWithAnAccentIsAUtf8FileName) {
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, LanguageId::French);
    dir.write("source/a.txt", "un mot\r\n");
    SilentPrompter silent;
    const CountResult result =
        CountWords(state, test::countRequest(state, {"a.txt"}, "caf\xE9"), silent, {});
    ASSERT_EQ(result.outcome, CountOutcome::Completed);
    EXPECT_EQ(result.listPath, state.FrequencyFilesDirectory + "/caf\xC3\xA9.lst");
    EXPECT_EQ(readFile(state.FrequencyFilesDirectory + "/caf\xC3\xA9.sta").empty(), false);
}

} // namespace
} // namespace lexmora
