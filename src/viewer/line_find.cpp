#include "viewer/line_find.h"

#include "wordcount/word_rules.h"

#include <array>

namespace lexmora {

namespace {

// Letters and digits of Windows-1252: what may not stand right beside a whole word.
constexpr std::array<bool, 256> kWordBytes = [] {
    std::array<bool, 256> table{};
    for (int c = '0'; c <= '9'; ++c)
        table[static_cast<std::size_t>(c)] = true;
    for (int c = 'a'; c <= 'z'; ++c)
        table[static_cast<std::size_t>(c)] = table[static_cast<std::size_t>(c - 32)] = true;
    for (int c : {0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F, 0xAA, 0xB5, 0xBA})
        table[static_cast<std::size_t>(c)] = true;
    for (int c = 0xC0; c <= 0xFF; ++c)
        table[static_cast<std::size_t>(c)] = c != 0xD7 && c != 0xF7;
    return table;
}();

bool isWordByte(char c) {
    return kWordBytes[static_cast<unsigned char>(c)];
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

LineFinder::LineFinder(std::string_view word)
    : m_word(trimmed(word)), m_folded(LowerCp1252(m_word)) {}

bool LineFinder::holds(std::string_view line) const {
    if (m_folded.empty() || line.size() < m_folded.size())
        return false;
    m_line.assign(line);
    for (char& c : m_line)
        c = static_cast<char>(LowerCp1252(static_cast<unsigned char>(c)));
    const std::string& folded = m_line;
    for (std::size_t at = folded.find(m_folded); at != std::string::npos;
         at = folded.find(m_folded, at + 1)) {
        const std::size_t end = at + m_folded.size();
        const bool startsWord = at == 0 || !isWordByte(folded[at - 1]) || !isWordByte(folded[at]);
        const bool endsWord =
            end == folded.size() || !isWordByte(folded[end]) || !isWordByte(folded[end - 1]);
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

std::vector<std::int64_t> PositionsHolding(ResultViewer& viewer, const LineFinder& finder) {
    std::vector<std::int64_t> positions;
    if (finder.empty() || viewer.IndexCount() < 2)
        return positions;
    viewer.VisitRecords(2, viewer.IndexCount(),
                        [&](std::int64_t position, std::string_view record) {
                            if (finder.holds(viewer.kwicText(record)))
                                positions.push_back(position);
                            return true;
                        });
    return positions;
}

std::optional<std::int64_t> NextPositionHolding(ResultViewer& viewer, const LineFinder& finder,
                                                std::int64_t from) {
    if (finder.empty() || viewer.IndexCount() < 2)
        return std::nullopt;
    std::optional<std::int64_t> found;
    auto look = [&](std::int64_t first, std::int64_t last) {
        if (first <= last)
            viewer.VisitRecords(first, last, [&](std::int64_t position, std::string_view record) {
                if (finder.holds(viewer.kwicText(record)))
                    found = position;
                return !found;
            });
    };
    look(std::max<std::int64_t>(from + 1, 2), viewer.IndexCount());
    if (!found)
        look(2, std::min(from, viewer.IndexCount()));
    return found;
}

} // namespace lexmora
