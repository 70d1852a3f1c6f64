// N-grams of a corpus: every sequence of 2 to 8 words of the source files, cut and folded as
// the word count cuts and folds words, counted with its frequency and its range (the number of
// files it occurs in), in bounded memory (see ngram_counter.h), filtered and sorted.
#pragma once

#include "analysis/sequence_list.h"
#include "core/program_state.h"
#include "core/prompter.h"
#include "core/result.h"
#include "core/run_control.h"
#include "core/settings.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lexmora {

// What the counting tables may take before they spill to the temporary folder.
inline constexpr std::size_t kNgramMemoryBound = std::size_t{64} << 20;

struct NgramRequest {
    std::vector<std::string> sources; // full paths (UTF-8), in the order the count takes them
    int minSize = 3;                  // a range of sizes in one run: minSize..maxSize
    int maxSize = 3;
    std::int64_t minFreq = 2;
    std::int64_t minRange = 1;
    bool stopAtSentence = false;
    std::optional<LanguageId> language; // none: the state's
    SequenceSort sort = SequenceSort::Freq;
    std::size_t top = 0;                         // 0: every n-gram that passes
    std::size_t memoryBound = kNgramMemoryBound; // lower only in tests, to force a spill
};

// "3" or "2-5" into sizes; nothing when not within 2..8 or not in that form.
std::optional<std::pair<int, int>> ParseNgramSize(std::string_view text);
std::string NgramSizeText(int minSize, int maxSize);

struct NgramProgress {
    enum class Phase { Reading, Merging };
    Phase phase = Phase::Reading;
    int fileNumber = 0; // 1-based
    int fileTotal = 0;
    std::string path;
    std::int64_t tokens = 0;
    double fraction = 0; // of the file (reading) or of the partitions (merging)
};

struct NgramHooks {
    RunHost* host = nullptr;      // yielded to once per block read; none: nothing to yield to
    Prompter* prompter = nullptr; // asks about an Exit; none: the safe answer (stop)
    std::function<void(const NgramProgress&)> progress; // at most about every 50 ms
};

struct NgramResult;
// Told, when the list is about to be handed on, what the run read (its list still empty).
using NgramListing = std::function<void(const NgramResult&)>;

struct NgramResult {
    SequenceList list;       // filtered, sorted, cut to `top` (empty when streamed)
    std::int64_t listed = 0; // n-grams in the list, or handed on when streamed
    int minSize = 3, maxSize = 3;
    std::int64_t minFreq = 2, minRange = 1;
    bool stopAtSentence = false;
    int languageIndex = 0;
    std::int64_t tokens = 0;
    std::int64_t files = 0;         // files read
    bool spilled = false;           // the tables went to temporary files on the way
    std::vector<std::string> notes; // files left out, read errors (Windows-1252), also told
};

// The whole run. Files that cannot be read, binary files and missing files are named in the
// notes and left out. Fails when nothing could be read, when the temporary files cannot be
// written (none is left), and with FailureCode::Cancelled when the user leaves.
Result<NgramResult> CountNgrams(ProgramState& state, const NgramRequest& request,
                                const NgramHooks& hooks = {});

// The same run with the list handed on to `row` one n-gram at a time, in order (up to `top`),
// so that it never stands whole in memory; the result's list stays empty. When `row` returns
// false the run stops and fails as Cancelled.
Result<NgramResult> CountNgrams(ProgramState& state, const NgramRequest& request,
                                const NgramHooks& hooks, const SequenceRowSink& row,
                                const NgramListing& listing = {});

// The table of a result: columns ngram, freq, range.
Table NgramTable(const NgramResult& result);

} // namespace lexmora
