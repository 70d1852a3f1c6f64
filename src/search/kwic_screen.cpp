#include "search/kwic_screen.h"

#include <algorithm>
#include <vector>

namespace lexmora {

namespace {

constexpr unsigned char kFixedDelimiters[] = {
    45,  44,  32,  46,  39,  63,  47,  58,  59,  40,  41,  33,  38,  42,  91,  93,  123,
    125, 60,  62,  61,  37,  35,  43,  92,  64,  95,  96,  126, 161, 36,  163, 167, 171,
    187, 191, 215, 164, 166, 168, 169, 173, 174, 175, 176, 177, 183, 185, 186};

bool isDelimiter(const std::bitset<256>& delimiters, char c) {
    return delimiters.test(static_cast<unsigned char>(c));
}

std::string cell(std::string_view word, std::size_t width) {
    std::string out(word.substr(0, width));
    out.resize(width, ' ');
    return out;
}

} // namespace

int SearchScreenLines(int screenHeightPixels, int current) {
    if (screenHeightPixels == 480 || screenHeightPixels == 600)
        return 19;
    if (screenHeightPixels == 768)
        return 21;
    if (screenHeightPixels > 768)
        return 23;
    return current > 0 ? current : kDefaultScreenLines;
}

std::string ShiftLine(std::string_view line, int offset, int columns) {
    std::string out;
    if (columns <= 0)
        return out;
    const auto width = static_cast<std::size_t>(columns);
    if (offset < 0) {
        out.assign(std::min(static_cast<std::size_t>(-static_cast<long long>(offset)), width), ' ');
        out.append(line.substr(0, width - out.size()));
    } else {
        const std::size_t from = offset > 0 ? static_cast<std::size_t>(offset) - 1 : 0;
        if (from < line.size())
            out.assign(line.substr(from, width));
    }
    return out;
}

std::bitset<256> ColumnDelimiters(std::string_view symbolChars) {
    std::bitset<256> set;
    for (unsigned char c : kFixedDelimiters)
        set.set(c);
    set.set(34);
    for (char c : symbolChars)
        set.set(static_cast<unsigned char>(c));
    return set;
}

std::string FormatColumns(std::string_view line, int keywordColumn, int leftWidth, int columnWidth,
                          const std::bitset<256>& delimiters) {
    const std::size_t keyAt = keywordColumn > 1 ? static_cast<std::size_t>(keywordColumn - 1) : 0;
    if (keyAt >= line.size() || columnWidth <= 0)
        return std::string(line);
    const auto width = static_cast<std::size_t>(columnWidth);
    const std::size_t left = std::min(keyAt, static_cast<std::size_t>(std::max(leftWidth, 0)));
    const std::size_t numberField = keyAt - left; // the hit number in front of the context

    // Words to the left, collected from the keyword towards the line start.
    std::vector<std::string_view> leftWords;
    std::size_t p = keyAt;
    while (p > numberField) {
        while (p > numberField && isDelimiter(delimiters, line[p - 1]))
            --p;
        const std::size_t end = p;
        while (p > numberField && !isDelimiter(delimiters, line[p - 1]))
            --p;
        if (end > p)
            leftWords.push_back(line.substr(p, end - p));
    }
    std::string leftCells;
    for (auto it = leftWords.rbegin(); it != leftWords.rend(); ++it)
        leftCells += cell(*it, width);
    if (leftCells.size() > left)
        leftCells.erase(0, leftCells.size() - left);
    else
        leftCells.insert(0, left - leftCells.size(), ' ');

    std::string out(line.substr(0, numberField));
    out += leftCells;
    // The keyword word: from its column up to the first delimiter, at least one character.
    std::size_t q = keyAt + 1;
    while (q < line.size() && !isDelimiter(delimiters, line[q]))
        ++q;
    out.append(line.substr(keyAt, q - keyAt));
    out.push_back(' '); // keeps the first cell off the keyword
    while (out.size() < line.size()) {
        while (q < line.size() && isDelimiter(delimiters, line[q]))
            ++q;
        if (q >= line.size())
            break;
        const std::size_t start = q;
        while (q < line.size() && !isDelimiter(delimiters, line[q]))
            ++q;
        out += cell(line.substr(start, q - start), width);
    }
    if (out.size() > line.size())
        out.resize(line.size());
    return out;
}

bool SelectionList::toggle(std::int64_t position, bool selected) {
    const auto found = m_keys.find(position);
    if (found != m_keys.end()) {
        if (!selected)
            m_keys.erase(found);
        return false;
    }
    if (!selected)
        return false;
    if (m_keys.size() >= kSelectionLimit)
        return true;
    m_keys.insert(position);
    return false;
}

std::string NoRecordsSelectedText() {
    return "0 records selected" + std::string(32, ' ');
}

std::string SelectingRecordsText() {
    return " selecting records" + std::string(32, ' ');
}

} // namespace lexmora
