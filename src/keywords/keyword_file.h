// Keyword files: one keyword per line, a leading "^" for a case-sensitive one, a regular
// expression written between two "/" ("/colou?r/", "^/[[:upper:]]\w+ville/"). Reading them
// (whatever their line ends or character encoding), writing them back, and the main window's
// load of several files into the program state with its questions and limits.
#pragma once

#include "core/message.h"
#include "core/program_state.h"
#include "core/prompter.h"
#include "core/result.h"
#include "keywords/keyword_handover.h"
#include "keywords/messages.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// The keyword list box holds this many keywords; more stay only in the program state.
inline constexpr std::size_t kKeywordListCapacity = 32667;
// A longer line is no keyword anyone typed (a text without line ends, say); it is not loaded.
inline constexpr std::size_t kMaxKeywordLength = 255;
inline constexpr char kCaseMarker = '^';
// A line that begins and ends with it holds a regular expression between the two. The keyword
// entry never leaves an operator at a keyword's end ("/" there is dropped when the entry is
// committed), so no keyword file the program wrote holds such a line for a plain keyword.
inline constexpr char kRegexMarker = '/';

struct KeywordLine {
    std::string text; // Windows-1252, as written
    bool caseSensitive = false;
    bool regex = false; // the text is a regular expression
    bool operator==(const KeywordLine&) const = default;
};

struct KeywordFileText {
    std::vector<KeywordLine> keywords;
    std::size_t overlongLines = 0;   // longer than kMaxKeywordLength, left out
    std::size_t unrepresentable = 0; // characters Windows-1252 cannot hold, left out
    bool binary = false;             // a NUL byte outside UTF-16 text: nothing is taken
};

// The keywords of a keyword file's bytes. UTF-16 (with its byte-order mark) and UTF-8 (with a
// byte-order mark, or valid and holding a multi-byte sequence) are converted to Windows-1252;
// anything else is taken as Windows-1252. Lines are split at the first of CR LF, CR, LF and
// "<br>" that the text holds; a CR or LF still inside a line ends it too. Empty lines and a
// Ctrl-Z at the very end are skipped, and a line holding only "^" gives no keyword. A line
// "/.../" (after the "^") gives the expression between the two "/": "//" gives an empty one,
// which the search refuses with its reason.
KeywordFileText ParseKeywordFile(std::string_view bytes);

// The file's keywords; the failure is "Cannot open file <name> - trying next..." (or the
// binary-file message) for a file that cannot be read or is not text.
Result<KeywordFileText> ReadKeywordFile(const std::string& path);

// The bytes of a keyword file: each keyword with non-empty text on its own line, "^" before a
// case-sensitive one, an expression between two "/", CR LF after every line, no byte-order mark.
std::string FormatKeywordFile(const std::vector<KeywordLine>& keywords);

// Writes the file whole (or leaves what was there): false with the message on failure.
Status WriteKeywordFile(const std::string& path, const std::vector<KeywordLine>& keywords);

// The lines a keyword window's list gives for saving.
std::vector<KeywordLine> KeywordLinesOf(const std::vector<KeywordEntry>& list);

// --- the main window's "from Files" ---------------------------------------------------------

// Free physical memory, or nothing when the system does not say.
using MemoryProbe = std::function<std::optional<std::uint64_t>()>;

struct KeywordLoadOutcome {
    bool changed = false;  // the program state's keywords were replaced or extended
    std::size_t added = 0; // keywords taken from the files
    std::size_t heldBefore = 0;
};

// Loads the chosen files (full paths, in order) into Keywords, KeywordCase and KeywordRegex
// after the questions about the keywords already held. Keywords kept keep their exclude
// strings; the new ones get none. When the files give no keyword at all the state is left as it
// was.
KeywordLoadOutcome LoadKeywordFiles(ProgramState& state, Prompter& prompter,
                                    const std::vector<std::string>& paths,
                                    const MemoryProbe& freeMemory);

// The main window's keyword caption after a load: the count and " search string(s) entered".
std::string LoadedKeywordsCaption(const ProgramState& state);

} // namespace lexmora
