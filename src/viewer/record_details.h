// Record details: a KWIC record's source file found through the result file's log, the hit
// found again in the source, a wider context around it, the details lines, and the ".sav" file.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "core/result.h"
#include "viewer/extracts.h"
#include "viewer/result_viewer.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// Bytes of source text read on either side of the hit for the wider context.
inline constexpr std::size_t kDetailsContextBytes = 600;

struct RecordDetails {
    std::int64_t recordNumber = 0; // the hit's number in the result file (1 = first hit)
    std::string keyword;           // Windows-1252
    std::optional<std::uint64_t> positionInFile; // 1-based byte position of the hit
    std::string path;                            // the source's folder, as the log holds it
    std::string sourceFile;                      // the source's file name, as the log holds it
    std::string sourcePath;                      // the path opened on disk (UTF-8)
    std::string text;                            // the wider context, or the record's own text
    std::string notice;     // why the record's own text is shown; empty otherwise
    std::string recordText; // the record's KWIC text from the keyword on
    // Where the hit stands in `text`: the record's word at the keyword; length 0 when it
    // cannot be placed.
    std::size_t hitAt = 0;
    std::size_t hitLength = 0;
};

// A stretch of a text by offset and length.
struct TextSpan {
    std::size_t from = 0;
    std::size_t length = 0; // 0: none
};

// Where a KWIC fragment stands in source text: offsets of its first character, of a marked
// character and just after its end.
struct FoundText {
    std::size_t start = 0;
    std::size_t mark = 0;
    std::size_t end = 0; // just after the fragment's last character
};

// ExpandRecord for the record at a display position. `logPath` overrides the log beside the
// result file (the user picked one after "File not found"). The source is read in the code the
// log names for it, from the code tables of `state` (the built-in ones when null), and cleaned
// as the search cleaned its contexts. A missing or unreadable log fails with LogNotFound (the user
// may pick the log), a record out of place with DamagedFile.
Result<RecordDetails> ExpandRecord(ResultViewer& viewer, std::int64_t position,
                                   const std::optional<std::string>& logPath = std::nullopt,
                                   const ProgramState* state = nullptr);

// The code a search read a source file in, from the code name of its log entry (the rest of the
// line after the 10-character file date, cut to 9 characters as the log holds it): a code row of
// `state`, ANSI for "UTF-8" and for names no row has.
int CodeOfLogEntry(const ProgramState& state, std::string_view dateAndCode);

// Where a KWIC fragment stands in source text that `clean` turns into KWIC text the way the
// search does: the first place whose cleaned text begins with the fragment (blanks at its ends
// ignored). Returns the offsets in `source` of the fragment's start, of its character `mark` and
// just after its end. The source is cleaned `chunkBytes` at a time (at least 4096).
using ContextCleaner = std::function<std::string(std::string_view)>;
std::optional<FoundText> FindContextInSource(std::string_view source, std::string_view fragment,
                                             std::size_t mark, const ContextCleaner& clean,
                                             std::size_t chunkBytes = std::size_t(1) << 20);

// A piece of a record's KWIC text to look for in its source, with the offset of the keyword in it.
struct RecordFragment {
    std::string text;
    std::size_t mark = 0;
};

// The pieces of a record's text looked for in the source, best first: the last 40 characters of
// the left context and the first 40 from the keyword on (`text` the record's KWIC text, `column`
// the keyword's offset in it, `recordText` the text from the keyword on). The search cut its
// contexts out of the raw text, so a context's first or last word may be a piece of a code
// ("ute;" of "&eacute;") that the whole text never cleans to: each is left out in turn. Results
// saved "as ASCII" hold the DOS code page: each piece is also given in Windows text.
std::vector<RecordFragment> RecordFragments(std::string_view text, std::size_t column,
                                            std::string_view recordText);
// The first of them, the whole of both pieces as the record holds them: what a source that has
// not changed holds.
RecordFragment FirstRecordFragment(std::string_view text, std::size_t column,
                                   std::string_view recordText);

// The text the details window shows: the details lines, a blank line, the text.
std::string DetailsText(const RecordDetails& details);
// Where the hit stands in DetailsText(details), so that the window can make it stand out.
TextSpan DetailsHitSpan(const RecordDetails& details);

// The clipboard text of the details window: with details, the "findstring = " line, two line
// breaks and the shown text; without, the shown text alone.
std::string DetailsClipboardText(const RecordDetails& details, bool withDetails);

// The details window's Save: a ".sav" file in `folder` named after the viewed file, headed by
// the source file line; the details lines only with `withDetails`. Returns the path written.
Result<std::string> SaveDetails(const RecordDetails& details, const ResultViewer& viewer,
                                bool withDetails, const std::string& folder,
                                const std::string& invalidFileNameChars, Prompter& prompter);

// Where a cleaned KWIC fragment stands in raw source text: runs of blanks and control
// characters in the source match one blank of the fragment, NUL bytes are skipped.
std::optional<FoundText> FindCleanedText(std::string_view source, std::string_view fragment,
                                         std::size_t mark);

} // namespace lexmora
