// The hits of a result file placed among the words of their source texts: each source file that
// has hits is read again (in the code its log entry names), cut into words by the word count's
// rules for the language, folded as the word list folds them, and handed with its hits to a
// visitor, one file at a time, so that memory holds one file's words, never the corpus's.
// Collocates, clusters and the dispersion plot are all built on this walk.
#pragma once

#include "analysis/vocabulary.h"
#include "core/program_state.h"
#include "core/result.h"
#include "core/run_control.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// The id of a word the walk did not number (WalkCut::Windows: outside every window).
inline constexpr std::uint32_t kNoWord = 0xFFFFFFFF;

// What the walk cuts of each file with hits, so that each use pays only for what it reads.
enum class WalkCut {
    // Every word, numbered in the vocabulary: for a count of the files' own words.
    AllWords,
    // Only the stretches around the hits, numbered: `reach` words each side of a hit's own
    // words (fewer at a file's ends). Between stretches the words are not there, so
    // `PlacedHit::first` indexes the stretches' words, not the file's.
    Windows,
    // No word numbered, every word's offset: a hit's index among the file's words and the
    // file's word total, the least a dispersion needs.
    Positions,
};

// One source file's words in order (WalkCut::Windows: the words of the stretches around the
// hits, stretch after stretch).
struct FileWords {
    std::string path;                          // as opened on disk (UTF-8)
    std::string name;                          // the file name as the log holds it (Windows-1252)
    std::vector<std::uint32_t> words;          // vocabulary ids (none with WalkCut::Positions)
    std::vector<std::uint64_t> offsets;        // byte offset in the file of each word's start
    std::size_t total = 0;                     // the file's words (WalkCut::Windows: those cut)
    std::vector<std::uint32_t> sentenceStarts; // indexes of the words that begin a sentence
                                               // after the first (a . ? or ! then a blank or
                                               // a line end stands before them)
};

// A hit placed among its file's words.
struct PlacedHit {
    std::int64_t record = 0; // the hit's record number in the result file (1 = first hit)
    std::uint32_t first = 0; // index of the hit's first word in FileWords::words
    // The hit's words (a multi-word keyword: several). 0 when the hit begins with no word of the
    // list (a one-letter word the language does not count): `first` is then the word after it.
    std::uint32_t count = 1;
    std::string keyword; // the matched text's first word, folded (Windows-1252)
};

struct HitWalkRequest {
    std::string resultPath; // the .dmp file
    // The hits the viewer shows, by hit number (1 = first hit), in any order; none: every hit.
    std::optional<std::vector<std::int64_t>> records;
    // Code tables, language and word count options for reading and cutting the sources.
    const ProgramState* state = nullptr;
    WalkCut cut = WalkCut::AllWords;
    std::uint32_t reach = 0; // WalkCut::Windows: the words wanted on each side of a hit
};

struct HitWalkSummary {
    std::int64_t hitsPlaced = 0;
    std::int64_t hitsLeftOut = 0;          // in files changed or gone since the search
    std::vector<std::string> filesLeftOut; // their names (Windows-1252)
    std::vector<std::string> sourceFiles;  // every file the log names, as opened (UTF-8)
    std::vector<std::string> notes;        // what the user is to be told (Windows-1252)
    std::int64_t tokens = 0;               // words cut of the files read (FileWords::total)
};

using HitFileVisitor = std::function<void(const FileWords&, std::span<const PlacedHit>)>;

// Walks the files with hits in log order. Fails with the result file's own failures (empty,
// damaged, not a result file, log missing); `control` (may be null) can stop the walk, which
// then fails with FailureCode::Cancelled.
Result<HitWalkSummary> WalkHitFiles(const HitWalkRequest& request, Vocabulary& vocabulary,
                                    const HitFileVisitor& visit, RunControl* control = nullptr);

// Cuts one whole text (already in Windows-1252) into FileWords, as the walk does each source:
// lines joined at a line-end hyphen as the word count joins them, offsets those of `text`.
FileWords CutFileWords(const ProgramState& state, std::string_view text, Vocabulary& vocabulary);

// A source file's bytes as the word count reads them: UTF-16, and UTF-8 where detected, converted
// to Windows-1252, a byte-order mark dropped.
std::string SourceTextOf(std::string bytes);

} // namespace lexmora
