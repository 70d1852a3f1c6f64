#include "analysis/clusters.h"

#include "analysis/ngram_counter.h"

#include <algorithm>
#include <numeric>

namespace lexmora {

namespace {

constexpr std::size_t kPendingBatch = 1024;

} // namespace

std::optional<NodePlace> NodePlaceNamed(std::string_view name) {
    if (name == "left")
        return NodePlace::Left;
    if (name == "right")
        return NodePlace::Right;
    if (name == "any")
        return NodePlace::Any;
    return std::nullopt;
}

// A stretch's first count in the file (m_recent holds every stretch a later one can equal).
bool ClusterCounter::firstInFile(std::uint64_t span) {
    if (std::find(m_recent.begin(), m_recent.end(), span) != m_recent.end())
        return false;
    m_recent.push_back(span);
    return true;
}

// A sentence that begins after `first` and at or before `last` splits the stretch.
bool ClusterCounter::crossesSentence(const FileWords& words, std::size_t first,
                                     std::size_t last) const {
    if (!m_options.stopAtSentence)
        return false;
    const auto& starts = words.sentenceStarts;
    const auto at = std::upper_bound(starts.begin(), starts.end(), first);
    return at != starts.end() && *at <= last;
}

void ClusterCounter::queueCluster(const FileWords& words, std::size_t first, std::size_t last,
                                  std::int64_t record) {
    const std::uint64_t span = (std::uint64_t{first} << 32) | last;
    const bool fresh = firstInFile(span);
    if (!fresh && !m_options.collectHits)
        return;
    const std::span<const std::uint32_t> ids(words.words.data() + first, last - first + 1);
    m_pending.push_back({m_tallies.hashOf(ids), record, static_cast<std::uint32_t>(first),
                         static_cast<std::uint32_t>(ids.size()), fresh});
    if (m_pending.size() == kPendingBatch) // a file of many hits: room for a batch only
        countQueued(words);
}

void ClusterCounter::countQueued(const FileWords& words) {
    // far enough ahead for the slot to come from memory, near enough to stay in the cache
    constexpr std::size_t kAhead = 8;
    const std::size_t n = m_pending.size();
    for (std::size_t i = 0; i < std::min(n, kAhead); ++i)
        m_tallies.prefetch(m_pending[i].hash);
    for (std::size_t i = 0; i < n; ++i) {
        if (i + kAhead < n)
            m_tallies.prefetch(m_pending[i + kAhead].hash);
        count(words, m_pending[i]);
    }
    m_pending.clear();
}

void ClusterCounter::count(const FileWords& words, const Pending& cluster) {
    bool added = false;
    Tally& t = m_tallies.add(std::span(words.words).subspan(cluster.first, cluster.length),
                             cluster.hash, added);
    // A stretch shared by two hits counts once, but both hits carry it.
    if (m_options.collectHits) {
        if (t.hitList == 0) {
            m_hitLists.emplace_back();
            t.hitList = static_cast<std::uint32_t>(m_hitLists.size());
        }
        std::vector<std::int64_t>& hits = m_hitLists[t.hitList - 1];
        if (hits.empty() || hits.back() != cluster.record)
            hits.push_back(cluster.record);
    }
    if (!cluster.fresh)
        return;
    ++t.freq;
    if (t.lastFile != m_file) {
        ++t.range;
        t.lastFile = m_file;
    }
}

void ClusterCounter::addFile(const FileWords& words, std::span<const PlacedHit> hits) {
    ++m_file;
    m_recent.clear();
    const auto byPlace = [](const PlacedHit& a, const PlacedHit& b) { return a.first < b.first; };
    if (std::is_sorted(hits.begin(), hits.end(), byPlace)) {
        for (const PlacedHit& hit : hits)
            addHit(words, hit);
    } else {
        m_order.resize(hits.size());
        std::iota(m_order.begin(), m_order.end(), 0u);
        std::stable_sort(m_order.begin(), m_order.end(), [&](std::uint32_t a, std::uint32_t b) {
            return byPlace(hits[a], hits[b]);
        });
        for (const std::uint32_t i : m_order)
            addHit(words, hits[i]);
    }
    countQueued(words);
}

void ClusterCounter::addHit(const FileWords& words, const PlacedHit& hit) {
    const int places = m_options.size;
    const int firstPlace = m_options.node == NodePlace::Right ? places - 1 : 0;
    const int lastPlace = m_options.node == NodePlace::Left ? 0 : places - 1;
    const std::size_t total = words.words.size();
    const std::size_t hitEnd = std::size_t{hit.first} + std::max<std::uint32_t>(hit.count, 1);
    if (hitEnd > total)
        return;
    // this hit's stretches and the later hits' begin at or after `from`
    const std::size_t from = hit.first - std::min<std::size_t>(hit.first, places - 1);
    std::erase_if(m_recent, [from](std::uint64_t span) { return (span >> 32) < from; });
    for (int place = firstPlace; place <= lastPlace; ++place) {
        const auto before = static_cast<std::size_t>(place);
        const auto after = static_cast<std::size_t>(places - 1 - place);
        if (before > hit.first || hitEnd + after > total)
            continue;
        const std::size_t first = hit.first - before;
        const std::size_t last = hitEnd + after - 1;
        if (!crossesSentence(words, first, last))
            queueCluster(words, first, last, hit.record);
    }
}

void ClusterCounter::spell(std::span<const std::uint32_t> ids,
                           const std::function<std::string_view(std::uint32_t)>& spelling,
                           std::string& text) {
    text.clear();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i > 0)
            text += ' ';
        text.append(spelling(ids[i]));
    }
}

SequenceList
ClusterCounter::finish(const std::function<std::string_view(std::uint32_t)>& spelling) const {
    SequenceList list;
    std::string text;
    m_tallies.forEach([&](std::span<const std::uint32_t> ids, const Tally& tally) {
        if (!passes(tally))
            return;
        spell(ids, spelling, text);
        list.add(text, tally.freq, tally.range);
    });
    return list;
}

std::unordered_map<std::string, std::vector<std::int64_t>>
ClusterCounter::hitsOf(const std::function<std::string_view(std::uint32_t)>& spelling) const {
    std::unordered_map<std::string, std::vector<std::int64_t>> hits;
    std::string text;
    m_tallies.forEach([&](std::span<const std::uint32_t> ids, const Tally& tally) {
        if (!passes(tally) || tally.hitList == 0)
            return;
        spell(ids, spelling, text);
        std::vector<std::int64_t> records = m_hitLists[tally.hitList - 1];
        std::sort(records.begin(), records.end());
        records.erase(std::unique(records.begin(), records.end()), records.end());
        hits.emplace(text, std::move(records));
    });
    return hits;
}

Table ClusterTable(const ClusterResult& result) {
    return SequenceTable(result.list, "cluster");
}

} // namespace lexmora
