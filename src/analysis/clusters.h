// Clusters of a result file: the word sequences of a given size that contain a hit, read from
// the source texts at each hit (see hit_walk.h), with their frequency and range. A hit of
// several words (a multi-word keyword) is one block: it is never split, and it fills one of the
// cluster's places, so that a 3-word cluster of "at the end" holds the block and two words.
#pragma once

#include "analysis/hit_walk.h"
#include "analysis/id_sequence_table.h"
#include "analysis/sequence_list.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lexmora {

// Where the hit stands in a cluster.
enum class NodePlace { Left, Right, Any };
std::optional<NodePlace> NodePlaceNamed(std::string_view name); // "left", "right", "any"

struct ClusterOptions {
    int size = 3; // places, 2..8; the hit's block is one of them
    NodePlace node = NodePlace::Any;
    std::int64_t minFreq = 2;
    std::int64_t minRange = 1;
    bool stopAtSentence = false;
    bool collectHits = false; // also tell which hits carry each cluster (the viewer's filter)
};

// Counts the clusters of the hits, file after file. A stretch of text counts once however many
// hits it holds (two hits side by side do not count the words around them twice).
class ClusterCounter {
public:
    explicit ClusterCounter(const ClusterOptions& options) : m_options(options) {}

    void addFile(const FileWords& words, std::span<const PlacedHit> hits);

    // The clusters that pass the filters, spelled by `spelling` (a vocabulary's), in counting
    // order (sort them with SortSequences).
    SequenceList finish(const std::function<std::string_view(std::uint32_t)>& spelling) const;
    // With collectHits: the hits (record numbers, ascending) that carry each cluster that
    // passes the filters, keyed by its spelling as finish() writes it.
    std::unordered_map<std::string, std::vector<std::int64_t>>
    hitsOf(const std::function<std::string_view(std::uint32_t)>& spelling) const;

private:
    // 24 bytes: a file number and a list number cannot pass 2^32 (the log numbers the files)
    struct Tally {
        std::int64_t freq = 0;
        std::uint32_t range = 0;
        std::uint32_t lastFile = 0; // 0: none yet (files are numbered from 1)
        std::uint32_t hitList = 0;  // with collectHits: its hits are m_hitLists[hitList - 1]
    };
    // A cluster of the file being counted, its tally not read yet: they are gathered per file
    // so that each one's slot can be asked for a few clusters before it is counted.
    struct Pending {
        std::uint64_t hash;
        std::int64_t record;
        std::uint32_t first, length;
        bool fresh; // its stretch is counted now (false: a stretch already counted in the file)
    };
    void addHit(const FileWords& words, const PlacedHit& hit);
    bool firstInFile(std::uint64_t span);
    void queueCluster(const FileWords& words, std::size_t first, std::size_t last,
                      std::int64_t record);
    void countQueued(const FileWords& words);
    void count(const FileWords& words, const Pending& cluster);
    bool passes(const Tally& tally) const {
        return tally.freq >= m_options.minFreq && tally.range >= m_options.minRange;
    }
    static void spell(std::span<const std::uint32_t> ids,
                      const std::function<std::string_view(std::uint32_t)>& spelling,
                      std::string& text);
    bool crossesSentence(const FileWords& words, std::size_t first, std::size_t last) const;

    ClusterOptions m_options;
    IdSequenceTable<Tally> m_tallies;
    std::vector<std::vector<std::int64_t>> m_hitLists; // with collectHits only
    // The stretches (first << 32 | last) counted lately in this file. With the hits taken in
    // text order, a hit's stretches can be shared only with those of the hits a cluster's
    // length before it: those few are kept, not the file's.
    std::vector<std::uint64_t> m_recent;
    std::vector<std::uint32_t> m_order; // the hits' indexes in text order, when not given so
    std::vector<Pending> m_pending;
    std::uint32_t m_file = 0;
};

struct ClusterRequest {
    std::string resultPath;
    std::optional<std::vector<std::int64_t>> records; // the hits the viewer shows; none: all
    ClusterOptions options;
    SequenceSort sort = SequenceSort::Freq;
    std::size_t top = 0; // 0: all
};

struct ClusterResult {
    SequenceList list;
    HitWalkSummary summary;
    // With options.collectHits: the hits (1 = first, ascending) that carry each listed cluster.
    std::unordered_map<std::string, std::vector<std::int64_t>> hits;
};

// Walks the result file's hits and counts their clusters; fails as the walk fails (and with
// FailureCode::InvalidInput for a size outside 2..8).
Result<ClusterResult> CountClusters(const ProgramState& state, const ClusterRequest& request,
                                    RunControl* control = nullptr);

// The table of a result: columns cluster, freq, range.
Table ClusterTable(const ClusterResult& result);

} // namespace lexmora
