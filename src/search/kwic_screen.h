// The rules of the KWIC screen that are not drawing: its page size, how a line is shifted
// sideways and cut, the column view, and the selection with its limit.
#pragma once

#include "core/message.h"
#include "search/messages.h"

#include <bitset>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace lexmora {

inline constexpr int kSearchScreenColumns = 84;
inline constexpr int kDefaultScreenLines = 19;
inline constexpr std::size_t kSelectionLimit = 32767;
inline constexpr int kMinColumnWidth = 10;
inline constexpr int kMaxColumnWidth = 35;
inline constexpr const char* kLiveCaption = "    Searching files for keyword...";
inline constexpr const char* kScreenCaption = "     VIEWING TEXT";

// Lines of the live screen for a screen height in pixels: 480 or 600 give 19, 768 gives 21, more
// than 768 gives 23; other heights keep `current`.
int SearchScreenLines(int screenHeightPixels, int current);

// A line as the page shows it: a negative offset -n puts n blanks in front, a positive offset n
// starts the line at its n-th character; then the line is cut to `columns` characters.
std::string ShiftLine(std::string_view line, int offset, int columns);

// The characters that end a word in the column view: the fixed set, the double quote and the
// symbol characters of the settings.
std::bitset<256> ColumnDelimiters(std::string_view symbolChars);

// One line in word columns: the words left of the keyword column (1-based) in cells of
// `columnWidth` characters, padded or cut on the left to `leftWidth` so that the keyword keeps its
// column, the keyword word unchanged, then the words to its right in cells, no longer than the
// line. The hit number field in front of the left context is kept as it is.
std::string FormatColumns(std::string_view line, int keywordColumn, int leftWidth, int columnWidth,
                          const std::bitset<256>& delimiters);

// The selected display positions, in order, at most kSelectionLimit of them.
class SelectionList {
public:
    // Adds (selected) or removes one position. True when the limit refused an addition.
    bool toggle(std::int64_t position, bool selected);
    bool contains(std::int64_t position) const { return m_keys.count(position) != 0; }
    std::size_t size() const { return m_keys.size(); }
    bool empty() const { return m_keys.empty(); }
    void clear() { m_keys.clear(); }
    const std::set<std::int64_t>& keys() const { return m_keys; }

private:
    std::set<std::int64_t> m_keys;
};

// lblMessage texts of the selection.
std::string NoRecordsSelectedText(); // "0 records selected" and 32 blanks
std::string SelectingRecordsText();  // " selecting records" and 32 blanks

} // namespace lexmora
