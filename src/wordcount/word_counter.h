// The word count run: the scatter pass counts every word form of the source files in a table
// in memory (spilling to letter bucket files in the temporary folder only when the table
// outgrows its budget), then the gather pass sorts and collapses each letter, split by further
// letters while it is large, into the word list and its index.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "core/run_control.h"
#include "wordcount/count_request.h"
#include "wordcount/frequency_files.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lexmora {

inline constexpr std::int64_t kInMemoryWords = 15000; // a bucket above this is split
// What the count's word forms may take in memory before they spill to disk.
inline constexpr std::size_t kCountMemoryBudget = std::size_t{48} << 20;

struct CountProgress {
    enum class Phase { Scatter, Gather };
    Phase phase = Phase::Scatter;
    int fileNumber = 0; // 1-based, scatter pass
    int fileTotal = 0;
    std::string fileName;   // shortened to 25 characters, lower case
    std::string path;       // the file's folder
    int letter = 0;         // 1..26, gather pass
    std::string bucketText; // "~a.tmp (1234 words)" cut to the name's last 5 characters
    std::int64_t tokens = 0;
    double fraction = 0; // 0..1 of the file (scatter) or of all words (gather)
    std::int64_t elapsedSeconds = 0;
};

struct CountHooks {
    // The window or the command line: yielded to once per block of text read, waited on while
    // the count is paused; it reads nothing back but ProgramState. None: nothing to yield to.
    RunHost* host = nullptr;
    // At most about every 50 ms, and at every file and bucket.
    std::function<void(const CountProgress&)> progress;
    AskText askText; // the text entry dialog for a new list name
    // The most tokens a list may hold: the header's 9-digit field (lower only in tests).
    std::int64_t tokenLimit = kMaxHeaderCount;
    // Bytes for the word forms held in memory (lower only in tests, to make the count spill).
    std::size_t memoryBudget = kCountMemoryBudget;
    // Tests: called on the reading side before each block is read (a throw there is a failure
    // of the reader, as running out of memory would be).
    std::function<void()> beforeBlock;
};

enum class CountOutcome {
    Completed,
    NotStarted, // no name settled
    NoWords,    // no suitable file, or no word at all
    Abandoned,  // the user left (an exit request)
    Failed,     // a file or device failure; the message was shown
};

struct CountResult {
    CountOutcome outcome = CountOutcome::Failed;
    std::int64_t tokens = 0;
    std::int64_t types = 0;
    std::int64_t files = 0;
    std::int64_t partialFiles = 0; // sources not read, or read only in part (the user was told)
    std::int64_t elapsedSeconds = 0;
    std::string listPath;
    std::string indexPath;
    std::string resultText; // "  Count results:   tokens: ..." when completed
};

// The whole run over the request's files, with its list name as the proposed base name of the
// pair in FrequencyFilesDirectory. Every message goes through the prompter; no temporary file
// survives the call.
CountResult CountWords(ProgramState& state, const CountRequest& request, Prompter& prompter,
                       const CountHooks& hooks);

// The result line shown when a count is done.
std::string CountResultText(std::int64_t tokens, std::int64_t types, std::int64_t seconds);

// The words the counter would record from a text, in order (tests and tools; no files).
std::vector<std::string> CutWords(const ProgramState& state, std::string_view text);

// The line-end hyphen joins of the reader over a whole text: "exam-" CR LF "ple" becomes
// "example", "Jean-" CR LF "Pierre" becomes "Jean-Pierre".
std::string JoinLineEndHyphens(std::string_view text);

} // namespace lexmora
