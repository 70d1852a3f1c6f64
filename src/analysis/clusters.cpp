#include "analysis/clusters.h"

#include "analysis/ngram_counter.h"

#include <algorithm>

namespace lexmora {

std::optional<NodePlace> NodePlaceNamed(std::string_view name) {
    if (name == "left")
        return NodePlace::Left;
    if (name == "right")
        return NodePlace::Right;
    if (name == "any")
        return NodePlace::Any;
    return std::nullopt;
}

std::size_t ClusterCounter::KeyHash::operator()(const std::vector<std::uint32_t>& ids) const {
    return static_cast<std::size_t>(HashSequence(ids.data(), static_cast<int>(ids.size())));
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

void ClusterCounter::addCluster(const FileWords& words, std::size_t first, std::size_t last,
                                std::int64_t record) {
    const std::uint64_t span = (std::uint64_t{first} << 32) | last;
    const bool fresh = m_spans.insert(span);
    if (!fresh && !m_options.collectHits)
        return;
    m_key.assign(words.words.begin() + static_cast<std::ptrdiff_t>(first),
                 words.words.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    Tally& t = m_tallies[m_key];
    // A stretch shared by two hits counts once, but both hits carry it.
    if (m_options.collectHits && (t.hits.empty() || t.hits.back() != record))
        t.hits.push_back(record);
    if (!fresh)
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
                addCluster(words, first, last, hit.record);
        }
    }
    m_spans.clear();
}

void ClusterCounter::spell(const std::vector<std::uint32_t>& ids,
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
    for (const auto& [ids, tally] : m_tallies) {
        if (!passes(tally))
            continue;
        spell(ids, spelling, text);
        list.add(text, tally.freq, tally.range);
    }
    return list;
}

std::unordered_map<std::string, std::vector<std::int64_t>>
ClusterCounter::hitsOf(const std::function<std::string_view(std::uint32_t)>& spelling) const {
    std::unordered_map<std::string, std::vector<std::int64_t>> hits;
    std::string text;
    for (const auto& [ids, tally] : m_tallies) {
        if (!passes(tally) || tally.hits.empty())
            continue;
        spell(ids, spelling, text);
        std::vector<std::int64_t> records = tally.hits;
        std::sort(records.begin(), records.end());
        records.erase(std::unique(records.begin(), records.end()), records.end());
        hits.emplace(text, std::move(records));
    }
    return hits;
}

Table ClusterTable(const ClusterResult& result) {
    return SequenceTable(result.list, "cluster");
}

} // namespace lexmora
