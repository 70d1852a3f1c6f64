#include "analysis/clusters.h"

#include "analysis/ngram_counter.h"

#include <algorithm>

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

bool ClusterCounter::SpanSet::insert(std::uint64_t span) {
    if (2 * (m_size + 1) > m_slots.size()) {
        std::vector<std::uint64_t> old = std::move(m_slots);
        m_slots.assign(std::max<std::size_t>(256, 2 * old.size()), 0);
        m_size = 0;
        for (const std::uint64_t s : old)
            if (s != 0)
                insert(s);
    }
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = (span * 0x9E3779B97F4A7C15ull) >> 20 & mask;; i = (i + 1) & mask) {
        if (m_slots[i] == span)
            return false;
        if (m_slots[i] == 0) {
            m_slots[i] = span;
            ++m_size;
            return true;
        }
    }
}

void ClusterCounter::SpanSet::clear() {
    if (m_size > 0)
        std::fill(m_slots.begin(), m_slots.end(), 0);
    m_size = 0;
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
    const bool fresh = m_spans.insert(span);
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
    const int places = m_options.size;
    const int firstPlace = m_options.node == NodePlace::Right ? places - 1 : 0;
    const int lastPlace = m_options.node == NodePlace::Left ? 0 : places - 1;
    const std::size_t total = words.words.size();
    for (const PlacedHit& hit : hits) {
        const std::size_t hitEnd = std::size_t{hit.first} + std::max<std::uint32_t>(hit.count, 1);
        if (hitEnd > total)
            continue;
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
    countQueued(words);
    m_spans.clear();
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
