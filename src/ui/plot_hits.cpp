#include "ui/plot_hits.h"

#include "analysis/hit_walk.h"
#include "core/file_io.h"
#include "core/prompter.h"
#include "core/text_codec.h"
#include "search/result_files.h"
#include "wordcount/word_rules.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace lexmora::ui {

std::string CanonicalPlotPath(const std::string& path) {
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) != nullptr)
        return buffer;
    return path;
}

namespace {

// A log's source name on disk: the log holds names in Windows-1252.
std::string diskPathOf(const std::string& logPath) {
    const std::string utf8 = cp1252ToUtf8(logPath);
    return fileIsPresent(utf8) || !fileIsPresent(logPath) ? utf8 : logPath;
}

} // namespace

PlotHitIndex::PlotHitIndex(const ProgramState& state, std::string resultPath,
                           std::optional<std::vector<std::int64_t>> records)
    : m_state(state), m_resultPath(std::move(resultPath)), m_records(std::move(records)) {}

bool PlotHitIndex::groupHits() {
    if (m_grouped)
        return m_viewer.has_value();
    m_grouped = true;
    SilentPrompter quiet;
    Result<ResultViewer> opened = ResultViewer::open(m_resultPath, quiet);
    if (!opened)
        return false;
    m_viewer.emplace(std::move(*opened));
    const auto logBytes = readFileBytes(LogFileFor(m_resultPath));
    if (!logBytes)
        return true; // lines can still be shown
    const std::int64_t total = m_viewer->RecordTotal() - 1;
    std::vector<std::int64_t> hits;
    if (m_records) {
        hits = *m_records;
        std::sort(hits.begin(), hits.end());
    } else {
        for (std::int64_t hit = 1; hit <= total; ++hit)
            hits.push_back(hit);
    }
    std::unordered_map<std::int32_t, std::string> pathOfEntry;
    for (const std::int64_t hit : hits) {
        if (hit < 1 || hit > total)
            continue;
        const std::string_view record = m_viewer->readRecord(static_cast<std::uint32_t>(hit + 1));
        const DumpRecordFields fields = SplitDumpRecord(record, m_viewer->RecordLength());
        if (!fields.logEntryNumber)
            continue;
        auto known = pathOfEntry.find(*fields.logEntryNumber);
        if (known == pathOfEntry.end()) {
            const auto entry = FindLogEntry(*logBytes, *fields.logEntryNumber);
            const std::string path =
                entry ? CanonicalPlotPath(diskPathOf(entry->path)) : std::string();
            known = pathOfEntry.emplace(*fields.logEntryNumber, path).first;
        }
        if (!known->second.empty())
            m_hitsOfPath[known->second].push_back(hit);
    }
    return true;
}

const std::map<std::string, std::vector<std::int64_t>>*
PlotHitIndex::placesOf(const DispersionData& data, std::size_t file) {
    if (const auto done = m_placed.find(file); done != m_placed.end())
        return &done->second;
    if (!groupHits() || file >= data.files.size())
        return nullptr;
    const auto hits = m_hitsOfPath.find(CanonicalPlotPath(data.files[file].path));
    if (hits == m_hitsOfPath.end())
        return nullptr;
    // Only this file's hits are walked: one file read and cut, not the corpus.
    std::map<std::string, std::vector<std::pair<std::uint32_t, std::int64_t>>> found;
    Vocabulary vocabulary;
    HitWalkRequest request{m_resultPath, hits->second, &m_state};
    const Result<HitWalkSummary> walked = WalkHitFiles(
        request, vocabulary, [&found](const FileWords&, std::span<const PlacedHit> placed) {
            for (const PlacedHit& hit : placed)
                found[LowerCp1252(hit.keyword)].emplace_back(hit.first, hit.record);
        });
    if (!walked)
        return nullptr;
    std::map<std::string, std::vector<std::int64_t>> byKeyword;
    for (auto& [keyword, pairs] : found) {
        // The run sorts each keyword's places; equal places are one and the same pixel.
        std::sort(pairs.begin(), pairs.end());
        std::vector<std::int64_t>& numbers = byKeyword[keyword];
        for (const auto& pair : pairs)
            numbers.push_back(pair.second);
    }
    return &m_placed.emplace(file, std::move(byKeyword)).first->second;
}

std::optional<std::int64_t> PlotHitIndex::hitOf(const DispersionData& data, std::size_t keyword,
                                                std::size_t file, std::size_t place) {
    if (keyword >= data.keywords.size())
        return std::nullopt;
    const auto* placed = placesOf(data, file);
    if (placed == nullptr)
        return std::nullopt;
    const auto numbers = placed->find(data.keywords[keyword].keyword);
    if (numbers == placed->end() || place >= numbers->second.size())
        return std::nullopt;
    return numbers->second[place];
}

std::string PlotHitIndex::lineOf(std::int64_t hit) {
    if (!groupHits() || hit < 1 || hit >= m_viewer->RecordTotal())
        return {};
    const std::string record(m_viewer->readRecord(static_cast<std::uint32_t>(hit + 1)));
    const std::string_view text = m_viewer->kwicText(record);
    // The hit's number column and the far left context are left out: a line to read at a glance.
    const int keyword = m_viewer->KeywordColumn() - 1;
    const int numberWidth = std::max(0, keyword - m_viewer->LeftContextWidth());
    const auto from = static_cast<std::size_t>(std::max(numberWidth, keyword - kLineLeft));
    if (from >= text.size())
        return {};
    return std::string(text.substr(from, static_cast<std::size_t>(keyword + kLineRight) - from));
}

} // namespace lexmora::ui
