// The cluster counter against a plain reference (a std::map of id vectors, the rules written
// out once more) on generated files: few words, so that many clusters tie on frequency and the
// final order rests on the alphabetical tie-break; hits at a file's first and last words, hits
// that run past the end, hits of no word and of several, two at one place, hits out of the
// text's order; empty files; sentence ends. The list
// printed and the hits that carry each cluster must be the reference's, in every sort.
#include "analysis/clusters.h"

#include "wordcount/word_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace lexmora {
namespace {

using Ids = std::vector<std::uint32_t>;

// Spellings that tie and differ in the ways the orders look at: prefixes, accents, case of the
// first letter's base, equal endings.
const std::vector<std::string> kSpellings = {"the", "end",  "a", "ab", "b",    "ba",
                                             "th",  "\xe9", "e", "de", "ende", "of"};

struct GeneratedFile {
    FileWords words;
    std::vector<PlacedHit> hits;
};

std::vector<GeneratedFile> generate(unsigned seed, int vocabulary) {
    std::mt19937 random(seed);
    auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    std::vector<GeneratedFile> files(static_cast<std::size_t>(1 + below(6)));
    std::int64_t record = 0;
    for (GeneratedFile& f : files) {
        const int total = below(4) == 0 ? below(3) : below(40); // some empty or of one word
        for (int i = 0; i < total; ++i) {
            f.words.words.push_back(static_cast<std::uint32_t>(below(vocabulary)));
            f.words.offsets.push_back(0);
            if (i > 0 && below(6) == 0)
                f.words.sentenceStarts.push_back(static_cast<std::uint32_t>(i));
        }
        f.words.total = f.words.words.size();
        std::vector<std::uint32_t> places;
        if (total > 0) // the first and the last word are always hit
            places = {0, static_cast<std::uint32_t>(total - 1)};
        for (int i = 0; i < total / 4; ++i)
            places.push_back(static_cast<std::uint32_t>(below(total + 1)));
        std::sort(places.begin(), places.end());
        for (const std::uint32_t at : places) {
            // mostly one word; sometimes none (a letter the language does not count), or a
            // multi-word block, which may run past the file's end
            const int pick = below(8);
            const std::uint32_t count = pick == 0 ? 0 : pick == 1 ? 2 : pick == 2 ? 3 : 1;
            f.hits.push_back({++record, at, count, "k"});
        }
        if (seed % 2 == 1) // the viewer's hits may come in another order than the text's
            std::shuffle(f.hits.begin(), f.hits.end(), random);
    }
    return files;
}

struct RefTally {
    std::int64_t freq = 0, range = 0, lastFile = -1;
    std::set<std::int64_t> hits;
};

std::map<Ids, RefTally> referenceClusters(const std::vector<GeneratedFile>& files,
                                          const ClusterOptions& o) {
    std::map<Ids, RefTally> tallies;
    for (std::size_t file = 0; file < files.size(); ++file) {
        const FileWords& w = files[file].words;
        std::set<std::pair<std::size_t, std::size_t>> counted;
        for (const PlacedHit& hit : files[file].hits) {
            const std::size_t block = std::max<std::uint32_t>(hit.count, 1);
            for (int place = 0; place < o.size; ++place) {
                if ((o.node == NodePlace::Left && place != 0) ||
                    (o.node == NodePlace::Right && place != o.size - 1))
                    continue;
                const std::size_t after = static_cast<std::size_t>(o.size - 1 - place);
                if (static_cast<std::size_t>(place) > hit.first ||
                    hit.first + block + after > w.words.size())
                    continue;
                const std::size_t first = hit.first - static_cast<std::size_t>(place);
                const std::size_t last = hit.first + block + after - 1;
                const bool split =
                    o.stopAtSentence &&
                    std::any_of(w.sentenceStarts.begin(), w.sentenceStarts.end(),
                                [&](std::uint32_t s) { return s > first && s <= last; });
                if (split)
                    continue;
                RefTally& t = tallies[Ids(w.words.begin() + static_cast<std::ptrdiff_t>(first),
                                          w.words.begin() + static_cast<std::ptrdiff_t>(last) + 1)];
                t.hits.insert(hit.record);
                if (!counted.insert({first, last}).second)
                    continue;
                ++t.freq;
                if (t.lastFile != static_cast<std::int64_t>(file)) {
                    ++t.range;
                    t.lastFile = static_cast<std::int64_t>(file);
                }
            }
        }
    }
    return tallies;
}

std::string spell(const Ids& ids) {
    std::string text;
    for (const std::uint32_t id : ids)
        text += (text.empty() ? "" : " ") + kSpellings[id];
    return text;
}

struct Row {
    std::string text;
    std::int64_t freq, range;
};

// The reference's list in the order asked, written out one comparison at a time.
std::string referenceList(const std::map<Ids, RefTally>& tallies, const ClusterOptions& o,
                          SequenceSort sort) {
    std::vector<Row> rows;
    for (const auto& [ids, t] : tallies)
        if (t.freq >= o.minFreq && t.range >= o.minRange)
            rows.push_back({spell(ids), t.freq, t.range});
    std::sort(rows.begin(), rows.end(), [sort](const Row& a, const Row& b) {
        if (sort == SequenceSort::Freq && a.freq != b.freq)
            return a.freq > b.freq;
        if (sort == SequenceSort::Range && a.range != b.range)
            return a.range > b.range;
        if (sort == SequenceSort::Ending && CompareFromEnd(a.text, b.text) != 0)
            return CompareFromEnd(a.text, b.text) < 0;
        return CompareWords(a.text, b.text) < 0;
    });
    std::string out;
    for (const Row& r : rows)
        out += r.text + " " + std::to_string(r.freq) + " " + std::to_string(r.range) + "\n";
    return out;
}

std::string referenceHits(const std::map<Ids, RefTally>& tallies, const ClusterOptions& o) {
    std::map<std::string, std::set<std::int64_t>> byText;
    for (const auto& [ids, t] : tallies)
        if (t.freq >= o.minFreq && t.range >= o.minRange)
            byText[spell(ids)] = t.hits;
    std::string out;
    for (const auto& [text, hits] : byText) {
        out += text + ":";
        for (const std::int64_t h : hits)
            out += " " + std::to_string(h);
        out += ";";
    }
    return out;
}

struct Counted {
    std::string list, hits;
};

Counted countClusters(const std::vector<GeneratedFile>& files, ClusterOptions o,
                      SequenceSort sort) {
    o.collectHits = true;
    ClusterCounter counter(o);
    for (const GeneratedFile& f : files)
        counter.addFile(f.words, f.hits);
    const auto spelling = [](std::uint32_t id) -> std::string_view { return kSpellings[id]; };
    SequenceList list = counter.finish(spelling);
    SortSequences(list, sort);
    Counted out;
    for (const SequenceItem& item : list.items)
        out.list += std::string(list.textOf(item)) + " " + std::to_string(item.freq) + " " +
                    std::to_string(item.range) + "\n";
    const auto hits = counter.hitsOf(spelling);
    for (const auto& [text, records] : std::map(hits.begin(), hits.end())) {
        out.hits += text + ":";
        for (const std::int64_t h : records)
            out.hits += " " + std::to_string(h);
        out.hits += ";";
    }
    return out;
}

struct Case {
    const char* name;
    int size;
    NodePlace node;
    std::int64_t minFreq, minRange;
    bool stopAtSentence;
    SequenceSort sort;
    int vocabulary;
};

const Case kCases[] = {
    {"size 2 anywhere, two words: everything ties", 2, NodePlace::Any, 1, 1, false,
     SequenceSort::Freq, 2},
    {"size 3 anywhere by frequency", 3, NodePlace::Any, 1, 1, false, SequenceSort::Freq, 5},
    {"size 3 at the left, min freq 2", 3, NodePlace::Left, 2, 1, false, SequenceSort::Freq, 4},
    {"size 3 at the right, min range 2, by range", 3, NodePlace::Right, 1, 2, false,
     SequenceSort::Range, 4},
    {"size 4 anywhere, sentence ends", 4, NodePlace::Any, 1, 1, true, SequenceSort::Freq, 3},
    {"size 5 alphabetically", 5, NodePlace::Any, 1, 1, false, SequenceSort::Alpha, 3},
    {"size 2 by ending, accents", 2, NodePlace::Any, 1, 1, false, SequenceSort::Ending, 12},
    {"size 8, the most places", 8, NodePlace::Any, 1, 1, false, SequenceSort::Freq, 2},
    {"size 3, many words, stop at sentence, by ending", 3, NodePlace::Any, 1, 1, true,
     SequenceSort::Ending, 12},
};

TEST(ClustersAgainstReference, GeneratedFiles) {
    for (const Case& c : kCases) {
        for (unsigned seed = 1; seed <= 40; ++seed) {
            SCOPED_TRACE(std::string(c.name) + ", seed " + std::to_string(seed));
            ClusterOptions o;
            o.size = c.size;
            o.node = c.node;
            o.minFreq = c.minFreq;
            o.minRange = c.minRange;
            o.stopAtSentence = c.stopAtSentence;
            const std::vector<GeneratedFile> files = generate(seed, c.vocabulary);
            const std::map<Ids, RefTally> tallies = referenceClusters(files, o);
            const Counted counted = countClusters(files, o, c.sort);
            EXPECT_EQ(counted.list, referenceList(tallies, o, c.sort));
            EXPECT_EQ(counted.hits, referenceHits(tallies, o));
        }
    }
}

// The generator does what the cases count on: ties in the final order and hits at both ends.
TEST(ClustersAgainstReference, TheGeneratedFilesHoldTiesAndEdges) {
    ClusterOptions o;
    o.minFreq = 1;
    int ties = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const std::vector<GeneratedFile> files = generate(seed, 5);
        std::map<std::int64_t, int> byFreq;
        for (const auto& [ids, t] : referenceClusters(files, o))
            ++byFreq[t.freq];
        for (const auto& [freq, n] : byFreq)
            ties += n > 1 ? 1 : 0;
        for (const GeneratedFile& f : files)
            if (!f.words.words.empty()) {
                const auto at = [&f](std::size_t i) {
                    return std::any_of(f.hits.begin(), f.hits.end(),
                                       [i](const PlacedHit& h) { return h.first == i; });
                };
                EXPECT_TRUE(at(0));
                EXPECT_TRUE(at(f.words.words.size() - 1));
            }
    }
    EXPECT_GT(ties, 40);
}

} // namespace
} // namespace lexmora
