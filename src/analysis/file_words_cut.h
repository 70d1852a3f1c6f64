// Cutting a source text into the words the hit walk hands on: the word count's cutter over the
// text joined at line-end hyphens, each word's offset taken back to the text as it stands, and
// numbered by its folded spelling.
#pragma once

#include "analysis/hit_walk.h"
#include "analysis/source_bytes.h"
#include "wordcount/word_rules.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lexmora {

// Where the line-end hyphen joins took bytes out: from `at` in the joined text on, `removed`
// bytes in all were taken out before.
struct Join {
    std::size_t at;
    std::size_t removed;
};

// Folded words kept aside, in order, for the few of them to be numbered later.
struct StagedWords {
    std::string arena;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans; // offset in arena, length
    void clear() {
        arena.clear();
        spans.clear();
    }
    std::string_view operator[](std::size_t i) const {
        return std::string_view(arena).substr(spans[i].first, spans[i].second);
    }
};

// Room kept from file to file, so that a corpus of many files is not a run of allocations as
// large as each file.
struct CutBuffers {
    SourceBytes file;      // a source's bytes
    std::string converted; // and its text, when converted
    std::string block;
    std::vector<Join> joins;
    StagedWords staged; // the words of the stretches around hits, numbered only where read
};

// Cuts the whole text into `out`: every word numbered in `vocabulary`, or (null) only their
// offsets kept.
void CutAllWords(const WordRules& rules, std::string_view text, Vocabulary* vocabulary,
                 FileWords& out, CutBuffers& buffers);

// Cuts the stretches of text around the hits (offsets ascending): `before` words before each
// hit and `after` from it on, the words of those windows numbered. The bytes a stretch needs are
// guessed from the words wanted and doubled for a hit that falls short, until every hit has its
// words or the file's ends.
void CutAroundHits(const WordRules& rules, std::string_view text,
                   const std::vector<std::size_t>& ats, std::size_t before, std::size_t after,
                   Vocabulary& vocabulary, FileWords& out, CutBuffers& buffers);

} // namespace lexmora
