// The parts of a dispersion run: the corpus files as named, their words counted as the word
// count counts them, the names the rows show, and the hit walk's files gathered per keyword.
#pragma once

#include "analysis/dispersion.h"
#include "analysis/hit_walk.h"
#include "core/prompter.h"
#include "core/result.h"
#include "wordcount/word_rules.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace lexmora {

// The corpus named by files, folders and .flist files as full paths, each once, in order.
// A folder or list that cannot be read is named through the prompter and the rest goes on.
// `tree`: folders with all their sub-folders; `pattern`: the files taken from folders.
std::vector<std::string> ExpandCorpus(const std::vector<std::string>& corpus, bool tree,
                                      const std::string& pattern, Prompter& prompter);

// The tokens of one file as the word count counts them (a word with a letter or digit first);
// an empty or binary file has none. Fails when the file cannot be opened or read.
Result<std::int64_t> CountFileTokens(const WordRules& rules, const std::string& path);

// The names the rows show: the paths without the folder they all share, in Windows-1252.
std::vector<std::string> DisplayNames(const std::vector<std::string>& paths);

// Gathers the walk's files: each hit's place under its keyword (keywords in the order first
// met), each file's words. With a corpus, the parts are its files in its order and a hit in a
// file outside it is counted apart; without, the parts are the files visited.
class DispersionCollector {
public:
    explicit DispersionCollector(std::vector<std::string> corpus);

    void addFile(const FileWords& file, std::span<const PlacedHit> hits);
    // A part the walk left out (changed or gone since the search): no part at all.
    void dropFile(const std::string& nameInLog);
    // The parts the walk did not visit: their words still to be counted.
    std::vector<std::size_t> unvisited() const;
    void setWords(std::size_t part, std::int64_t words) { m_words[part] = words; }
    void dropPart(std::size_t part) { m_dropped[part] = true; }
    std::int64_t hitsOutside() const { return m_outside; }
    const std::string& path(std::size_t part) const { return m_paths[part]; }
    bool corpusGiven() const { return m_corpusGiven; }

    // The parts kept, with their display names, and each keyword's places among them.
    DispersionData take();

private:
    std::optional<std::size_t> partOf(const std::string& path);
    std::size_t keywordIndex(const std::string& keyword);

    bool m_corpusGiven;
    std::vector<std::string> m_paths;
    std::vector<std::optional<std::int64_t>> m_words;
    std::vector<bool> m_dropped;
    std::unordered_map<std::string, std::size_t> m_parts; // canonical path -> part
    std::vector<KeywordPlaces> m_keywords;
    std::unordered_map<std::string, std::size_t> m_keywordIndex;
    std::int64_t m_outside = 0;
};

} // namespace lexmora
