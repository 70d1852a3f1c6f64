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
    const bool fresh = m_spans.insert(span).second;
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
