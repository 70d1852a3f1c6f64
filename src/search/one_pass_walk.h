// What a run that reads each source once for all its keywords records of its walk (the first
// keyword's turn, shown and saved as it goes): the steps (folders or the file list) and, per
// file, what the live screen and the result files are told of it, so that each later keyword's
// turn can be played back in keyword order exactly as a walk of that keyword alone would have
// gone. Their hits wait in a HitSpool.
#pragma once

#include "search/hit_filters.h"
#include "search/hit_spool.h"
#include "search/result_files.h"
#include "search/scan_pattern.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lexmora {

// How far the walk got with a file.
enum class WalkFileState : std::uint8_t {
    Unread,     // not a regular file, or missing and passed over: counted as not read
    Passed,     // an extension never searched: passed over without a word
    OpenFailed, // named on the screen, then found unreadable
    Read,       // named, its code shown, searched (when long enough)
};

struct WalkFile {
    WalkFileState state = WalkFileState::Unread;
    std::string nameCaption, folderCaption; // the live screen's file name and folder
    std::string shortName;                  // for the hits' lines on the screen
    ResultFileSet::SourceFileInfo log;
    std::uint64_t length = 0;    // its size when opened
    std::uint64_t bytesRead = 0; // what the scan read of it
};

struct WalkStep {
    std::int64_t filesInStep = 0;
    std::optional<std::string> folderCaption; // shown unless the sources are a stored list
    std::string sourceDirectory;              // the step's folder, as the summary names it
    std::size_t listSize = 0;                 // the files the step was given
    std::size_t firstFile = 0;                // index of its first WalkFile
};

// Whether the pattern's search begins with a literal the pass's automaton can look for; the
// others search the pass's windows alone, as their own scan would.
inline bool HasLiteralStart(const ScanPattern& pattern) {
    return pattern.start == ScanStart::Literal &&
           pattern.tokens.front().kind == ScanTokenKind::Literal &&
           !pattern.tokens.front().text.empty();
}

// What a match must hold at least (its first literal, else a character): a shorter file is
// not searched for the pattern.
inline std::size_t ShortestMatchOf(const ScanPattern& pattern) {
    return pattern.start == ScanStart::Literal ? pattern.tokens.front().text.size() : 1;
}

// One keyword of the pass: its index in Keywords, compiled pattern and settings.
struct PassKeyword {
    std::size_t index = 0;
    ScanPattern pattern;
    bool caseSensitive = false;
    SearchTag tag;
};

struct OnePassWalk {
    // In keyword order; slot i of the spool is keywords[i]. Slot 0 is the turn that walks.
    std::vector<PassKeyword> keywords;
    std::vector<WalkStep> steps;
    std::vector<WalkFile> files;
    std::unique_ptr<HitSpool> hits;
    bool complete = false;    // the walk reached its end (not abandoned)
    bool spoolFailed = false; // the hits could not be kept: later keywords read the sources
};

} // namespace lexmora
