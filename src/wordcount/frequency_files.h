// The count file pair: the word list (".lst", a header line and one line per type) and its index
// (".sta", 8-byte little-endian records: 26 letter records, then one per type). Naming a new
// pair, writing its parts, and reading a pair back with its consistency checks.
#pragma once

#include "core/file_io.h"
#include "core/program_state.h"
#include "core/prompter.h"
#include "core/result.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

inline constexpr const char* kCountHeader = "tokens:         types:         files:       ";
inline constexpr std::size_t kCountHeaderLength = 44;
inline constexpr std::int64_t kFirstLinePosition = 47; // 1-based, after the header and CR LF
inline constexpr int kLetterRecords = 26;
inline constexpr std::size_t kIndexRecordSize = 8;
// The widest counts the header's fields hold (9, 9 and 7 digits).
inline constexpr std::int64_t kMaxHeaderCount = 999'999'999;
inline constexpr std::int64_t kMaxHeaderFiles = 9'999'999;
inline constexpr std::int64_t kMaxPosition = 2'147'483'647; // positions are 32-bit signed

struct CountIndexRecord {
    std::int32_t position = 0; // 1-based position of a line in the word list
    std::int32_t count = 0;    // a frequency, or the number of types of a letter
};

// The header line (44 characters, no line end) with the three counts written into its fields.
// The counts must fit their fields (see kMaxHeaderCount, kMaxHeaderFiles).
std::string FillCountHeader(std::int64_t tokens, std::int64_t types, std::int64_t files);
void AppendIndexRecord(std::string& out, CountIndexRecord record);
CountIndexRecord DecodeIndexRecord(const char* bytes);

// The text entry dialog: the prompt and the longest entry; nothing when left without "Ok".
using AskText =
    std::function<std::optional<std::string>(const std::string& prompt, std::size_t maxLength)>;

// Settles the base name of a new count pair in FrequencyFilesDirectory, asking before an
// existing one is overwritten. Nothing (and the exit flag set to "pressed Exit") when the count is
// not to start. `overwriteAgreed` (when given) tells whether the user agreed to replace a pair of
// that name.
std::optional<std::string> ChooseListName(ProgramState& state, const std::string& proposed,
                                          Prompter& prompter, const AskText& askText,
                                          bool* overwriteAgreed = nullptr);

// The full name of the word list and of its index for a base name.
std::string ListPathFor(const ProgramState& state, const std::string& name);
std::string IndexPathOf(const std::string& listPath); // ".sta" in place of ".lst"

// A loaded pair, as the frequency viewer holds it.
struct CountFile {
    std::string listPath;
    std::string indexPath;
    std::int64_t tokenCount = 0;
    std::int64_t typeCount = 0;
    std::int64_t fileCount = 0;
    int defaultNorm = 1; // 1 per 100 .. 5 per 1M
    std::array<CountIndexRecord, kLetterRecords> letters{};
    std::vector<CountIndexRecord> types; // in word-list order
    UniqueFd list;                       // open for ReadWordAt
};

// Opens a word list and its index and checks that they belong together. The failure is the
// message to show.
Result<CountFile> LoadCountFile(const std::string& listPath);

// The word whose line starts at the 1-based position (at most 30 characters).
std::string ReadWordAt(const CountFile& file, std::int32_t position);
// Every word of the list in word-list order, whole.
Result<std::vector<std::string>> ReadAllWords(const CountFile& file);
// Each word of the list in turn with its index in word-list order, the words read in blocks
// (the view holds for the call only).
Status ForEachWord(const CountFile& file,
                   const std::function<void(std::size_t, std::string_view)>& take);

// The norm chosen for a list by its average number of tokens per file (1 per 100 .. 5 per 1M).
int DefaultNormFor(std::int64_t tokens, std::int64_t files);
// "1:" and tokens / types rounded to one decimal.
std::string TypeTokenRatioText(std::int64_t tokens, std::int64_t types);

} // namespace lexmora
