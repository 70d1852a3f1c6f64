#include "viewer/line_find.h"

#include "wordcount/word_rules.h"

namespace lexmora {

namespace {

// Letters (as the word list files them) and digits: what may not stand right beside a whole
// word.
bool isWordByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return PieceOf(byte) >= 2 || (byte >= '0' && byte <= '9');
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
