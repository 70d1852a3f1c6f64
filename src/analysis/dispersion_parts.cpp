#include "analysis/dispersion_parts.h"

#include "analysis/messages.h"
#include "core/file_io.h"
#include "core/program_location.h"
#include "core/text_codec.h"
#include "files/file_list.h"
#include "wordcount/count_source.h"
#include "wordcount/count_sources.h"
#include "wordcount/word_rules.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <unordered_set>

namespace lexmora {

namespace {

// One name for a file however it was reached (links, "..", a relative path).
std::string canonicalPath(const std::string& path) {
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) != nullptr)
        return buffer;
    return path;
}

bool endsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The paths one corpus entry stands for.
std::vector<std::string> expandEntry(const std::string& entry, bool tree,
                                     const std::string& pattern, Prompter& prompter) {
    const std::string full = AbsolutePath(entry);
    if (isDirectory(full))
        return ListCountSources(full, tree, prompter, pattern);
    if (endsWith(full, files::kFileListExtension)) {
        Result<files::FileListRead> list = files::ReadFileList(full);
        if (!list) {
            prompter.ask(list.error());
            return {};
        }
        return list->paths;
    }
    return {full}; // a missing file is named when its words are counted
}

// Counts words as the word count does: a word with a letter or a digit first is a token.
struct TokenSink {
    std::int64_t tokens = 0;
    void operator()(std::string_view word) {
        tokens += BucketOfFirst(static_cast<unsigned char>(word[0])) != 0 ? 1 : 0;
    }
};

} // namespace

std::vector<std::string> ExpandCorpus(const std::vector<std::string>& corpus, bool tree,
                                      const std::string& pattern, Prompter& prompter) {
    std::vector<std::string> paths;
    std::unordered_set<std::string> seen;
    for (const std::string& entry : corpus)
        for (std::string& path : expandEntry(entry, tree, pattern, prompter))
            if (seen.insert(canonicalPath(path)).second)
                paths.push_back(std::move(path));
    return paths;
}

Result<std::int64_t> CountFileTokens(const WordRules& rules, const std::string& path) {
    SourceReader reader;
    int error = 0;
    const SourceReader::Kind kind =
        reader.open(path, error) ? reader.probe(error) : SourceReader::Kind::Unreadable;
    if (kind == SourceReader::Kind::Unreadable)
        return Failure(analysis::msg::DispersionUnreadable(error), FailureCode::CannotOpen, error);
    if (kind != SourceReader::Kind::Text)
        return std::int64_t{0};
    TokenSink sink;
    WordCutter<TokenSink> cutter(rules, sink);
    std::string block, carry;
    std::string_view separator;
    for (bool first = true;; first = false) {
        SourceReader::reserveTail(block, 0, carry.size());
        std::copy(carry.begin(), carry.end(), block.begin());
        std::size_t end = 0;
        const long got = reader.next(block, carry.size(), end, error);
        if (got < 0)
            return Failure(analysis::msg::DispersionUnreadable(error), FailureCode::DeviceFailure,
                           error);
        if (first)
            separator = detectSeparator(std::string_view(block.data(), end));
        const std::size_t ready = joinHyphens(block.data(), end, separator, got == 0, carry);
        cutter.feed(block, ready);
        if (got == 0)
            break;
    }
    cutter.finish();
    return sink.tokens;
}

std::vector<std::string> DisplayNames(const std::vector<std::string>& paths) {
    // npos + 1 is 0: a bare name shares no folder
    std::size_t shared = paths.empty() ? 0 : paths.front().rfind('/') + 1;
    for (const std::string& p : paths) {
        std::size_t n = 0;
        const std::size_t limit = std::min(shared, p.size());
        while (n < limit && p[n] == paths.front()[n])
            ++n;
        while (n > 0 && paths.front()[n - 1] != '/')
            --n; // back to a folder's end
        shared = n;
    }
    std::vector<std::string> names;
    names.reserve(paths.size());
    for (const std::string& p : paths)
        names.push_back(utf8ToCp1252(std::string_view(p).substr(shared)));
    return names;
}

DispersionCollector::DispersionCollector(std::vector<std::string> corpus)
    : m_corpusGiven(!corpus.empty()), m_paths(std::move(corpus)), m_words(m_paths.size()),
      m_dropped(m_paths.size(), false) {
    for (std::size_t i = 0; i < m_paths.size(); ++i)
        m_parts.emplace(canonicalPath(m_paths[i]), i);
}

std::optional<std::size_t> DispersionCollector::partOf(const std::string& path) {
    const std::string key = canonicalPath(path);
    if (const auto found = m_parts.find(key); found != m_parts.end())
        return found->second;
    if (m_corpusGiven)
        return std::nullopt;
    m_paths.push_back(path);
    m_words.emplace_back();
    m_dropped.push_back(false);
    m_parts.emplace(key, m_paths.size() - 1);
    return m_paths.size() - 1;
}

std::size_t DispersionCollector::keywordIndex(const std::string& keyword) {
    // a record holds the hit as found ("La", "LA"): one keyword whatever its case
    std::string folded = LowerCp1252(keyword);
    const auto [at, added] = m_keywordIndex.emplace(folded, m_keywords.size());
    if (added)
        m_keywords.push_back({std::move(folded), {}});
    return at->second;
}

void DispersionCollector::addFile(const FileWords& file, std::span<const PlacedHit> hits) {
    const std::optional<std::size_t> part = partOf(file.path);
    if (!part) {
        m_outside += static_cast<std::int64_t>(hits.size());
        return;
    }
    m_words[*part] = static_cast<std::int64_t>(file.total);
    for (const PlacedHit& hit : hits) {
        KeywordPlaces& k = m_keywords[keywordIndex(hit.keyword)];
        if (k.places.size() <= *part)
            k.places.resize(*part + 1);
        k.places[*part].push_back(hit.first);
    }
}

void DispersionCollector::dropFile(const std::string& nameInLog) {
    for (std::size_t i = 0; i < m_paths.size(); ++i)
        if (!m_words[i] && (utf8ToCp1252(m_paths[i]) == nameInLog ||
                            utf8ToCp1252(canonicalPath(m_paths[i])) == nameInLog))
            m_dropped[i] = true;
}

std::vector<std::size_t> DispersionCollector::unvisited() const {
    std::vector<std::size_t> parts;
    for (std::size_t i = 0; i < m_paths.size(); ++i)
        if (!m_words[i] && !m_dropped[i])
            parts.push_back(i);
    return parts;
}

DispersionData DispersionCollector::take() {
    std::vector<std::size_t> kept;
    std::vector<std::string> keptPaths;
    for (std::size_t i = 0; i < m_paths.size(); ++i)
        if (m_words[i] && !m_dropped[i]) {
            kept.push_back(i);
            keptPaths.push_back(m_paths[i]);
        }
    const std::vector<std::string> names = DisplayNames(keptPaths);
    DispersionData data;
    for (std::size_t j = 0; j < kept.size(); ++j)
        data.files.push_back({names[j], keptPaths[j], *m_words[kept[j]]});
    for (KeywordPlaces& k : m_keywords) {
        KeywordPlaces out{k.keyword, std::vector<std::vector<std::uint32_t>>(kept.size())};
        for (std::size_t j = 0; j < kept.size(); ++j)
            if (kept[j] < k.places.size()) {
                out.places[j] = std::move(k.places[kept[j]]);
                std::sort(out.places[j].begin(), out.places[j].end());
            }
        data.keywords.push_back(std::move(out));
    }
    m_keywords.clear();
    m_keywordIndex.clear();
    return data;
}

} // namespace lexmora
