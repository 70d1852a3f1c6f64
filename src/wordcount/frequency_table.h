// The frequency viewer's engine: a loaded count pair as a table of records in a chosen order,
// with the row values (percentage, norm), the sorts, the word search, and the saved or printed
// text of a range of records. The window only shows what this gives.
#pragma once

#include "core/frequency_commands.h"
#include "core/program_state.h"
#include "core/prompter.h"
#include "core/result.h"
#include "wordcount/frequency_files.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

inline constexpr int kVisibleRows = 12;
inline constexpr const char* kDetailsHeader = "       Word/type       Frequency    %    norm";

struct NormOption {
    int option;          // 1..5
    const char* caption; // the menu item
    std::int64_t base;
    const char* suffix;
    int integerDigits; // the format's zeros before the point
    int decimals;
};
// Option 1 per 100 .. 5 per 1M; anything else gives option 1.
const NormOption& NormOptionOf(int option);

// f / tokens as a percentage, four decimals and a leading zero: "0.0997%".
std::string FormatPercentage(std::int64_t frequency, std::int64_t tokens);
// f / tokens x base in the option's format with its suffix: "01.0 per 1k".
std::string FormatNorm(std::int64_t frequency, std::int64_t tokens, int option);
// One ".lex" line without its line end: number 6, word 20 (cut), frequency 6, percentage 9,
// norm 13, each left-aligned and blank-padded. A number wider than its field is kept whole.
std::string DetailsLine(std::int64_t number, std::string_view word, std::int64_t frequency,
                        std::string_view percentage, std::string_view norm);

struct FrequencyRow {
    std::int64_t record = 0; // 1-based, in the table's order
    std::string word;        // at most 30 characters
    std::int64_t frequency = 0;
    std::string percentage;
    std::string norm;
};

class FrequencyTable {
public:
    explicit FrequencyTable(CountFile file);

    const CountFile& file() const { return m_file; }
    std::int64_t size() const { return static_cast<std::int64_t>(m_order.size()); }

    int norm() const { return m_norm; }
    void setNorm(int option); // 0: the file's default

    FrequencyRow row(std::int64_t index) const; // 0-based in the current order
    // The word list's own index of the record at `index` (0-based, current order).
    std::int32_t listIndexAt(std::int64_t index) const {
        return m_order[static_cast<std::size_t>(index)];
    }
    std::vector<FrequencyRow> rows(std::int64_t top, std::int64_t count) const;
    std::int64_t frequencyAt(std::int64_t index) const;

    Status sortBy(FrequencySort order);
    // True while the table is in the word list's own order (the fast word search works).
    bool inListOrder() const { return m_listOrder; }
    bool sortedByEnding() const { return m_byEnding; }

    struct Found {
        std::optional<std::int64_t> index; // 0-based in the current order
        std::optional<Message> notice;     // the one-time warning of a slow search
    };
    // Case-insensitive search for a word; by the letter's records and binary search while the
    // table is in list order, else record by record.
    Found findWord(std::string_view entry);

    // The lowest and highest value of the records: frequencies, or record numbers 1..size.
    std::pair<std::int64_t, std::int64_t> valueRange(bool byFrequency) const;
    // The records (0-based, current order) whose value lies in [minimum, maximum].
    Result<std::vector<std::int64_t>> selectRange(std::int64_t minimum, std::int64_t maximum,
                                                  bool byFrequency) const;

    // Records chosen by frequency in the order a list by frequency is read: highest first, ties
    // as the table shows them; a table sorted by frequency keeps its own direction.
    std::vector<std::int64_t> inFrequencyOrder(std::vector<std::int64_t> indices) const;

    // The header and one line per record, CR LF after each: the ".lex" text.
    std::string detailsText(const std::vector<std::int64_t>& indices) const;
    // Printed lines: the header, then one line per record, or two side by side (the first
    // half of the records on the left, the rest on the right, page by page).
    std::vector<std::string> printLines(const std::vector<std::int64_t>& indices, bool doubleColumn,
                                        int linesPerPage) const;

private:
    std::string wordOf(std::size_t listIndex) const; // whole word
    CountFile m_file;
    std::vector<std::int32_t> m_order; // list index of each record
    int m_norm = 1;
    bool m_listOrder = true;
    bool m_byEnding = false;
    bool m_warnedSlow = false;
};

// The first visible record (1-based) that shows record `index` (0-based) as the seventh row,
// or the first or last page near the ends.
std::int64_t TopForRecord(std::int64_t index, std::int64_t total, int rows = kVisibleRows);

// Saves the records as a ".lex" file named after the word list in FrequencyFilesDirectory
// (asking first whether to choose another folder through `chooseFolder`). The saved path.
using ChooseFolder = std::function<std::optional<std::string>()>;
Result<std::string> SaveDetails(ProgramState& state, const FrequencyTable& table,
                                const std::vector<std::int64_t>& indices, Prompter& prompter,
                                const ChooseFolder& chooseFolder);

} // namespace lexmora
