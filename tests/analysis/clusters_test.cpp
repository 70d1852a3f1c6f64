// Clusters counted from hand-built file words and hits: the worked figures, the three places of
// the hit, multi-word hits as one block, sentence ends, the filters, and a stretch holding two
// hits counted once.
#include "analysis/clusters.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace lexmora {
namespace {

// Files of words with ids in a small vocabulary of their own; "|" before a word starts a
// sentence.
class Corpus {
public:
    FileWords file(const std::string& text) {
        FileWords f;
        std::istringstream in(text);
        std::string word;
        while (in >> word) {
            if (word[0] == '|') {
                f.sentenceStarts.push_back(static_cast<std::uint32_t>(f.words.size()));
                word.erase(0, 1);
            }
            f.words.push_back(idOf(word));
            f.offsets.push_back(0);
        }
        return f;
    }
    // The hits: every place where `keyword` (words separated by blanks) stands.
    std::vector<PlacedHit> hits(const FileWords& f, const std::string& keyword) {
        const FileWords k = file(keyword);
        std::vector<PlacedHit> out;
        for (std::size_t i = 0; i + k.words.size() <= f.words.size(); ++i)
            if (std::equal(k.words.begin(), k.words.end(), f.words.begin() + i))
                out.push_back({static_cast<std::int64_t>(out.size() + 1),
                               static_cast<std::uint32_t>(i),
                               static_cast<std::uint32_t>(k.words.size()), keyword});
        return out;
    }
    std::string_view spelling(std::uint32_t id) const { return m_words[id]; }

private:
    std::uint32_t idOf(const std::string& word) {
        for (std::size_t i = 0; i < m_words.size(); ++i)
            if (m_words[i] == word)
                return static_cast<std::uint32_t>(i);
        m_words.push_back(word);
        return static_cast<std::uint32_t>(m_words.size() - 1);
    }
    std::vector<std::string> m_words;
};

std::string clusters(const std::vector<std::string>& texts, const std::string& keyword,
                     ClusterOptions options, SequenceSort sort = SequenceSort::Freq) {
    Corpus corpus;
    ClusterCounter counter(options);
    for (const std::string& text : texts) {
        const FileWords f = corpus.file(text);
        const std::vector<PlacedHit> hits = corpus.hits(f, keyword);
        counter.addFile(f, hits);
    }
    SequenceList list = counter.finish([&corpus](std::uint32_t id) { return corpus.spelling(id); });
    SortSequences(list, sort);
    std::string out;
    for (const SequenceItem& item : list.items)
        out += std::string(list.textOf(item)) + " " + std::to_string(item.freq) + " " +
               std::to_string(item.range) + "\n";
    return out;
}

ClusterOptions options(int size, NodePlace node, std::int64_t minFreq = 1,
                       std::int64_t minRange = 1) {
    ClusterOptions o;
    o.size = size;
    o.node = node;
    o.minFreq = minFreq;
    o.minRange = minRange;
    return o;
}

const std::vector<std::string> kWorked = {"in the end of the day", "at the end of the road"};

TEST(Clusters, WorkedFigures) {
    EXPECT_EQ(clusters(kWorked, "end", options(2, NodePlace::Left, 2)), "end of 2 2\n");
    EXPECT_EQ(clusters(kWorked, "end", options(2, NodePlace::Right, 2)), "the end 2 2\n");
    EXPECT_EQ(clusters(kWorked, "end", options(3, NodePlace::Right)),
              "at the end 1 1\nin the end 1 1\n");
    EXPECT_EQ(clusters(kWorked, "end", options(3, NodePlace::Any, 2)),
              "end of the 2 2\nthe end of 2 2\n");
    EXPECT_EQ(clusters(kWorked, "end", options(3, NodePlace::Any, 1, 2)),
              "end of the 2 2\nthe end of 2 2\n");
}

TEST(Clusters, AMultiWordHitIsOneBlock) {
    EXPECT_EQ(clusters(kWorked, "the end", options(2, NodePlace::Any), SequenceSort::Alpha),
              "at the end 1 1\nin the end 1 1\nthe end of 2 2\n");
    EXPECT_EQ(clusters(kWorked, "the end", options(3, NodePlace::Left)), "the end of the 2 2\n");
}

TEST(Clusters, TheTextsEdgesAndSentenceEnds) {
    const ClusterOptions any3 = options(3, NodePlace::Any);
    // near the start and end of the file there is room on one side only
    EXPECT_EQ(clusters({"end of it"}, "end", any3), "end of it 1 1\n");
    ClusterOptions stop = any3;
    stop.stopAtSentence = true;
    EXPECT_EQ(clusters({"so at the end |of it"}, "end", stop), "at the end 1 1\n");
    EXPECT_EQ(clusters({"so at the end |of it"}, "end", any3, SequenceSort::Alpha),
              "at the end 1 1\nend of it 1 1\nthe end of 1 1\n");
}

TEST(Clusters, AStretchWithTwoHitsCountsOnce) {
    EXPECT_EQ(clusters({"a b b c"}, "b", options(3, NodePlace::Any), SequenceSort::Alpha),
              "a b b 1 1\nb b c 1 1\n");
}

TEST(Clusters, FiltersAndSorts) {
    const std::vector<std::string> texts = {"x big end y big end z", "big end q", "w end"};
    EXPECT_EQ(clusters(texts, "end", options(2, NodePlace::Right, 1, 1), SequenceSort::Range),
              "big end 3 2\nw end 1 1\n");
    EXPECT_EQ(clusters(texts, "end", options(2, NodePlace::Right, 1, 2)), "big end 3 2\n");
    EXPECT_EQ(clusters(texts, "end", options(2, NodePlace::Left, 1, 1), SequenceSort::Ending),
              "end q 1 1\nend y 1 1\nend z 1 1\n");
}

// "cluster: hit hit ...;" for every listed cluster, alphabetically; hits numbered across files.
std::string carriers(const std::vector<std::string>& texts, const std::string& keyword,
                     ClusterOptions o) {
    o.collectHits = true;
    Corpus corpus;
    ClusterCounter counter(o);
    std::int64_t numbered = 0;
    for (const std::string& text : texts) {
        const FileWords f = corpus.file(text);
        std::vector<PlacedHit> hits = corpus.hits(f, keyword);
        for (PlacedHit& hit : hits)
            hit.record += numbered;
        numbered += static_cast<std::int64_t>(hits.size());
        counter.addFile(f, hits);
    }
    const auto hits = counter.hitsOf([&corpus](std::uint32_t id) { return corpus.spelling(id); });
    std::map<std::string, std::vector<std::int64_t>> sorted(hits.begin(), hits.end());
    std::string out;
    for (const auto& [cluster, records] : sorted) {
        out += cluster + ":";
        for (std::int64_t r : records)
            out += " " + std::to_string(r);
        out += ";";
    }
    return out;
}

TEST(Clusters, TheHitsThatCarryEachCluster) {
    EXPECT_EQ(carriers(kWorked, "end", options(2, NodePlace::Left, 2)), "end of: 1 2;");
    EXPECT_EQ(carriers(kWorked, "end", options(3, NodePlace::Right)),
              "at the end: 2;in the end: 1;");
    // a stretch shared by two hits counts once but both carry it
    EXPECT_EQ(carriers({"a b b c"}, "b", options(3, NodePlace::Any)), "a b b: 1 2;b b c: 1 2;");
    // clusters below the filters carry nothing to show
    EXPECT_EQ(carriers({"x big end y big end z", "big end q", "w end"}, "end",
                       options(2, NodePlace::Right, 2)),
              "big end: 1 2 3;");
    // without collectHits nothing is kept
    Corpus corpus;
    ClusterCounter counter(options(2, NodePlace::Left));
    const FileWords f = corpus.file("the end of it");
    counter.addFile(f, corpus.hits(f, "end"));
    EXPECT_TRUE(
        counter.hitsOf([&corpus](std::uint32_t id) { return corpus.spelling(id); }).empty());
}

TEST(NodePlace, Names) {
    EXPECT_EQ(NodePlaceNamed("left"), NodePlace::Left);
    EXPECT_EQ(NodePlaceNamed("right"), NodePlace::Right);
    EXPECT_EQ(NodePlaceNamed("any"), NodePlace::Any);
    EXPECT_FALSE(NodePlaceNamed("middle"));
}

} // namespace
} // namespace lexmora
