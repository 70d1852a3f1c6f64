// The hit walk: a source's words with their offsets and sentence starts, and a result file's
// hits placed among them, files changed or gone since the search left out and named.
#include "analysis/hit_walk.h"

#include "codes/code_tables.h"
#include "search/hit_positions.h"
#include "support/english_state.h"
#include "support/saved_search.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace lexmora {
namespace {

// "word@offset" for every word, and the indexes of the sentence starts.
std::string describe(const FileWords& words, const Vocabulary& vocabulary) {
    std::string out;
    for (std::size_t i = 0; i < words.words.size(); ++i)
        out += vocabulary.spelling(words.words[i]) + "@" + std::to_string(words.offsets[i]) + " ";
    out += "|";
    for (const std::uint32_t s : words.sentenceStarts)
        out += " " + std::to_string(s);
    return out;
}

TEST(HitWalkCut, WordsOffsetsAndSentences) {
    const ProgramState state = test::EnglishState();
    struct Case {
        std::string text, expected;
    };
    const std::vector<Case> cases = {
        // folded; "." before a blank ends a sentence; a number is a word
        {"The Cat. Sat on 35 mats", "the@0 cat@4 sat@9 on@13 35@16 mats@19 | 2"},
        // ? and ! before a line end or the text's end; a one-letter word not counted is no word
        {"Why?\r\nx Now!", "why@0 now@8 | 1"},
        // a line-end hyphen joins: offsets stay those of the text as it is
        {"an infor-\r\nmation desk", "an@0 information@3 desk@18 |"},
        {"Jean-\nPierre came", "jean-pierre@0 came@13 |"},
        // "!" followed by a quotation mark ends no sentence
        {"Stop!\" she said", "stop@0 she@7 said@11 |"},
    };
    for (const Case& c : cases) {
        Vocabulary vocabulary;
        const FileWords words = CutFileWords(state, c.text, vocabulary);
        EXPECT_EQ(describe(words, vocabulary), c.expected) << c.text;
    }
}

TEST(HitWalkCut, VocabularyKeepsSpellingsAsItGrows) {
    Vocabulary vocabulary;
    for (int i = 0; i < 2000; ++i)
        EXPECT_EQ(vocabulary.idOf("w" + std::to_string(i)), static_cast<std::uint32_t>(i));
    for (int i = 0; i < 2000; ++i)
        EXPECT_EQ(vocabulary.find("w" + std::to_string(i)), static_cast<std::uint32_t>(i));
    EXPECT_FALSE(vocabulary.find("w2000"));
    EXPECT_EQ(vocabulary.spelling(1999), "w1999");
}

// What a walk handed its visitor: per file, its name and "record:first+count" per hit.
struct Walked {
    std::vector<std::string> lines;
    Vocabulary vocabulary;
    Result<HitWalkSummary> summary = Failure(Message{});
};

Walked walkOnce(const std::string& dump, std::optional<std::vector<std::int64_t>> records) {
    static const ProgramState state = test::EnglishState();
    Walked out;
    HitWalkRequest request{dump, std::move(records), &state};
    out.summary = WalkHitFiles(
        request, out.vocabulary, [&out](const FileWords& words, std::span<const PlacedHit> hits) {
            std::string line = words.name.substr(words.name.rfind('/') + 1) + ":";
            for (const PlacedHit& h : hits)
                line += " " + std::to_string(h.record) + ":" + std::to_string(h.first) + "+" +
                        std::to_string(h.count) + "=" + h.keyword;
            out.lines.push_back(line);
        });
    return out;
}

// The walk as the search's positions place the hits, checked against the walk that finds every
// record's text in its source (the positions file set aside): the two must agree.
Walked walk(const std::string& dump, std::optional<std::vector<std::int64_t>> records = {}) {
    Walked placed = walkOnce(dump, records);
    const std::string positions = HitPositionsPathFor(dump);
    const std::string aside = positions + ".aside";
    if (std::rename(positions.c_str(), aside.c_str()) == 0) {
        const Walked found = walkOnce(dump, records);
        std::rename(aside.c_str(), positions.c_str());
        EXPECT_EQ(placed.lines, found.lines) << "positions and found texts disagree";
        EXPECT_EQ(placed.summary.ok(), found.summary.ok());
        if (placed.summary.ok() && found.summary.ok()) {
            EXPECT_EQ(placed.summary->hitsPlaced, found.summary->hitsPlaced);
            EXPECT_EQ(placed.summary->notes, found.summary->notes);
        }
    }
    return placed;
}

class HitWalkFiles : public ::testing::Test {
protected:
    const test::OwnCache cache;
    std::string search(const std::string& keyword) {
        return test::SearchAndSave(dir.path() + "/src/", {"a.txt", "b.txt"}, keyword,
                                   dir.makeFolder("out") + "/", 20);
    }
    test::TempDir dir;
};

TEST_F(HitWalkFiles, HitsAtFileStartAndEndAndMultiWordHits) {
    dir.write("src/a.txt", "Cat sat on the mat near the cat");
    dir.write("src/b.txt", "no hits\r\nbut a cat in front of the CAT");
    Walked cats = walk(search("cat"));
    ASSERT_TRUE(cats.summary.ok()) << cats.summary.error().text;
    EXPECT_EQ(cats.lines, (std::vector<std::string>{"a.txt: 1:0+1=cat 2:7+1=cat",
                                                    "b.txt: 3:4+1=cat 4:9+1=cat"}));
    EXPECT_EQ(cats.summary->hitsPlaced, 4);
    EXPECT_EQ(cats.summary->tokens, 8 + 10); // "a" is an English word
    EXPECT_TRUE(cats.summary->notes.empty());

    Walked phrase = walk(search("in front of"));
    ASSERT_TRUE(phrase.summary.ok()) << phrase.summary.error().text;
    EXPECT_EQ(phrase.lines, (std::vector<std::string>{"b.txt: 1:5+3=in"}));
}

TEST_F(HitWalkFiles, HitsAfterALineEndHyphenAreFound) {
    // The search joins "holding-" CR LF "forth" in its contexts; no fragment with the join in
    // it is in the source, and the hit is found by its keyword after the last hit.
    dir.write("src/a.txt", "an old bore holding-\r\nforth on the art of the novel");
    dir.write("src/b.txt", "nothing");
    Walked walked = walk(search("the"));
    ASSERT_TRUE(walked.summary.ok());
    EXPECT_EQ(walked.lines, (std::vector<std::string>{"a.txt: 1:5+1=the 2:8+1=the"}));
    EXPECT_TRUE(walked.summary->notes.empty());
}

TEST_F(HitWalkFiles, HitsWhoseContextsSpanLongBlankRunsOrRepeatAreFound) {
    // The contexts clean the blank runs to one blank: a record's text then stands over more
    // bytes than a near search looks at, and the same words stand again further on.
    const std::string blanks(5000, ' ');
    dir.write("src/a.txt", "the cat" + blanks + "sat on the mat, the end. the cat" + blanks +
                               "sat on the mat, the end");
    dir.write("src/b.txt", "nothing");
    Walked walked = walk(search("the"));
    ASSERT_TRUE(walked.summary.ok());
    EXPECT_EQ(walked.lines, (std::vector<std::string>{"a.txt: 1:0+1=the 2:4+1=the 3:6+1=the "
                                                      "4:8+1=the 5:12+1=the 6:14+1=the"}));
    EXPECT_TRUE(walked.summary->notes.empty());
}

TEST_F(HitWalkFiles, OnlyTheHitsAsked) {
    dir.write("src/a.txt", "Cat sat on the mat near the cat");
    dir.write("src/b.txt", "the cat");
    Walked walked = walk(search("cat"), std::vector<std::int64_t>{3, 1, 99});
    ASSERT_TRUE(walked.summary.ok());
    EXPECT_EQ(walked.lines, (std::vector<std::string>{"a.txt: 1:0+1=cat", "b.txt: 3:1+1=cat"}));
}

TEST_F(HitWalkFiles, FilesChangedOrGoneAreNamedAndTheirHitsLeftOut) {
    dir.write("src/a.txt", "Cat sat on the mat near the cat");
    dir.write("src/b.txt", "the cat");
    const std::string dump = search("cat");
    dir.write("src/a.txt", "A dog sat on the mat near the dog");
    Walked changed = walk(dump);
    ASSERT_TRUE(changed.summary.ok());
    EXPECT_EQ(changed.lines, (std::vector<std::string>{"b.txt: 3:1+1=cat"}));
    EXPECT_EQ(changed.summary->hitsLeftOut, 2);
    ASSERT_EQ(changed.summary->filesLeftOut.size(), 1u);
    EXPECT_EQ(changed.summary->notes,
              (std::vector<std::string>{"2 hits left out: the source file has changed or "
                                        "gone since the search (" +
                                        changed.summary->filesLeftOut[0] + ")."}));

    std::remove((dir.path() + "/src/b.txt").c_str());
    Walked gone = walk(dump);
    ASSERT_TRUE(gone.summary.ok());
    EXPECT_TRUE(gone.lines.empty());
    EXPECT_EQ(gone.summary->hitsLeftOut, 3);
    EXPECT_EQ(gone.summary->filesLeftOut.size(), 2u);
}

TEST_F(HitWalkFiles, ALogMissingOrNoResultFileFails) {
    dir.write("src/a.txt", "the cat");
    dir.write("src/b.txt", "the cat");
    const std::string dump = search("cat");
    std::remove((dump.substr(0, dump.size() - 3) + "log").c_str());
    EXPECT_EQ(walk(dump).summary.code(), FailureCode::LogNotFound);
    EXPECT_EQ(walk(dir.write("lines.dmp", "just a line of text\r\n")).summary.code(),
              FailureCode::NotAResultFile);
    EXPECT_EQ(walk(dir.path() + "/none.dmp").summary.code(), FailureCode::CannotOpen);
}

// Per hit, what a use of the walk reads around it: `reach` words before the hit's first word and
// its own words and `reach` more after, "." before a word that begins a sentence (the window's
// first word aside: what stands before it is not read), "/" where a file's end cuts the window
// short, and the hit's place among the file's words when `withPlace`.
std::vector<std::string> aroundHits(const std::string& dump, WalkCut cut, std::uint32_t reach,
                                    bool withPlace) {
    static const ProgramState state = test::EnglishState();
    Vocabulary vocabulary;
    std::vector<std::string> out;
    HitWalkRequest request{dump, std::nullopt, &state, cut, reach};
    const auto visit = [&](const FileWords& words, std::span<const PlacedHit> hits) {
        for (const PlacedHit& h : hits) {
            std::string line = std::to_string(h.record) + ":";
            if (withPlace)
                line += std::to_string(h.first) + "+" + std::to_string(h.count) + " of " +
                        std::to_string(words.total) + ":";
            const std::size_t from = h.first >= reach ? h.first - reach : 0;
            const std::size_t to =
                std::min<std::size_t>(words.words.size(), std::size_t{h.first} + h.count + reach);
            line += h.first < reach ? " /" : "";
            for (std::size_t i = from; i < to; ++i) {
                const bool starts = i > from && std::binary_search(words.sentenceStarts.begin(),
                                                                   words.sentenceStarts.end(), i);
                line +=
                    std::string(" ") + (starts ? "." : "") + vocabulary.spelling(words.words[i]);
            }
            line += std::size_t{h.first} + h.count + reach > words.total ? " /" : "";
            out.push_back(line);
        }
    };
    const Result<HitWalkSummary> summary = WalkHitFiles(request, vocabulary, visit);
    EXPECT_TRUE(summary.ok());
    return out;
}

TEST_F(HitWalkFiles, StretchesAroundTheHitsHoldTheWordsOfTheWholeFile) {
    // Long words, runs of no words, joined lines, numbers, one-letter words, sentence ends and
    // hits side by side or at a file's ends: the stretches cut around the hits must hold the
    // same words as the whole file cut.
    const std::string a =
        "The start. Donaudampfschifffahrtsgesellschaftskapitaen and the "
        "-- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- the words x y z "
        "42 1999s the the the! Then an infor-\r\nmation desk on the-\r\nnext line, the "
        "self-\r\nMade man; " +
        std::string(300, '.') + " the " + std::string(200, ' ') + "end of it all is the";
    dir.write("src/a.txt", a);
    dir.write("src/b.txt", "the");
    const std::string dump = search("the");
    for (const std::uint32_t reach : {0u, 1u, 2u, 5u, 25u}) {
        const std::vector<std::string> whole = aroundHits(dump, WalkCut::AllWords, reach, false);
        ASSERT_EQ(whole.size(), 10u);

        EXPECT_EQ(aroundHits(dump, WalkCut::Windows, reach, false), whole) << reach;
    }
    // x, y and z are no English words; a digit from a word's fourth character on starts another
    const std::vector<std::string> two = aroundHits(dump, WalkCut::Windows, 2, false);
    EXPECT_EQ(two[0], "1: / the start .donaudampfschifffahrtsgesellschaftskapitaen");
    EXPECT_EQ(two[2], "3: and the the words 42");
    EXPECT_EQ(two[3], "4: 199 9s the the the");
    // The search's own offset places the hit a joined line hides from a look for its text.
    EXPECT_EQ(two[6], "7: thenext line the self-made man");
    EXPECT_EQ(two[7], "8: self-made man .the end of");
    EXPECT_EQ(two[8], "9: all is the /");
    EXPECT_EQ(two[9], "10: / the /");
}

TEST_F(HitWalkFiles, AroundTheHitsOnlyTheWindowsWordsAreNumbered) {
    // Far apart, each hit has a stretch of its own; a word outside every window has no id.
    const std::string filler = " one two three four five six seven eight nine ten eleven twelve";
    dir.write("src/a.txt", "alpha the beta" + filler + filler + " gamma the");
    dir.write("src/b.txt", "nothing");
    static const ProgramState state = test::EnglishState();
    struct Case {
        std::uint32_t reach;
        std::string expected; // the words numbered, "|" where words not numbered part them
    };
    const std::vector<Case> cases = {
        {0, "the | the"},
        {1, "alpha the beta | gamma the"},
    };
    const std::string dump = search("the");
    for (const Case& c : cases) {
        Vocabulary vocabulary;
        std::string got;
        HitWalkRequest request{dump, std::nullopt, &state, WalkCut::Windows, c.reach};
        const auto visit = [&](const FileWords& words, std::span<const PlacedHit>) {
            bool apart = false; // words not numbered since the last one numbered
            for (const std::uint32_t id : words.words) {
                if (id == kNoWord) {
                    apart = !got.empty();
                    continue;
                }
                got += std::string(got.empty() ? ""
                                   : apart     ? " | "
                                               : " ") +
                       vocabulary.spelling(id);
                apart = false;
            }
        };
        ASSERT_TRUE(WalkHitFiles(request, vocabulary, visit).ok());
        EXPECT_EQ(got, c.expected) << c.reach;
    }
}

TEST_F(HitWalkFiles, PositionsPlaceTheHitsAsTheWholeCutDoes) {
    // "the-" CR LF "cat" is one word, "thecat", and no hit; "a" is an English word
    dir.write("src/a.txt", "Cat sat. On the mat near the-\r\ncat, the Cat's cats and a cat");
    dir.write("src/b.txt", "no hits here");
    const std::string dump = search("cat");
    const auto places = [&](WalkCut cut) {
        std::vector<std::string> lines = aroundHits(dump, cut, 0, true);
        for (std::string& line : lines)
            line = line.substr(0, line.find(':', line.find(':') + 1)); // the place alone
        return lines;
    };
    EXPECT_EQ(places(WalkCut::Positions), places(WalkCut::AllWords));
    EXPECT_EQ(places(WalkCut::Positions),
              (std::vector<std::string>{"1:0+1 of 13", "2:8+1 of 13", "3:12+1 of 13"}));
}

} // namespace
} // namespace lexmora
