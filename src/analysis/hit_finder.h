// Finding a result file's hits again in their source text: the record's KWIC text holds no
// byte position, so each hit is the first place after the last hit found where a fragment of its
// record stands, as the details of a record find it.
#pragma once

#include "codes/code_tables.h"
#include "core/program_state.h"
#include "search/context_text.h"
#include "viewer/record_details.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace lexmora {

// Finds a record's text in its source: the keyword's offset, or nothing.
class HitFinder {
public:
    HitFinder(const ProgramState& state, int codeIndex, std::string_view source)
        : m_state(state), m_code(codeIndex), m_source(source),
          m_hasNul(source.find('\0') != std::string_view::npos) {}

    // The offset of the keyword of a record, looked for first after the last hit found, from a
    // little before it (a search's hits come in text order, their left contexts overlap), then
    // anywhere.
    std::optional<std::size_t> find(const std::vector<RecordFragment>& fragments,
                                    bool anywhere = true) {
        constexpr std::size_t kBack = 1024;
        const std::size_t back = m_last && *m_last > kBack ? *m_last - kBack : 0;
        for (const bool onwards : {true, false})
            if (onwards || anywhere)
                for (const RecordFragment& fragment : fragments)
                    if (const auto at = findFrom(
                            fragment, onwards ? std::max(back, earliestStart(fragment)) : 0,
                            onwards)) {
                        m_last = *at;
                        return at;
                    }
        return std::nullopt;
    }

private:
    // Where a place of the fragment with its keyword after the last hit can begin at the
    // earliest. Every byte above the blank stands for one character of the fragment, and the
    // keyword's first word stands as it is in a source with no NUL byte: so the place begins
    // no earlier than as many such bytes before the keyword's first occurrence after the last
    // hit as the fragment has characters before its keyword. Searching from there finds what a
    // search from further back finds, sooner. (A source in another code is cleaned before it is
    // compared: no such bound.)
    std::size_t earliestStart(const RecordFragment& fragment) const {
        if (!m_last || m_code != kCodeAnsi)
            return 0;
        const std::string_view text = fragment.text;
        const std::size_t mark = std::min(fragment.mark, text.size());
        const auto solidBefore =
            static_cast<std::size_t>(mark - std::count(text.begin(), text.begin() + mark, ' '));
        std::size_t end = std::min(*m_last + 1, m_source.size()); // the keyword lies past it
        const std::string_view keyword = text.substr(mark, text.find(' ', mark) - mark);
        if (!keyword.empty() && !m_hasNul) {
            end = findVerbatim(keyword, *m_last + 1);
            if (end == std::string_view::npos)
                return m_source.size(); // no keyword after the last hit: no such place
        }
        std::size_t solid = 0;
        for (std::size_t k = end; k > 0; --k)
            if (static_cast<unsigned char>(m_source[k - 1]) > ' ' && ++solid > solidBefore)
                return k;
        return 0;
    }

    // The first place from `from` (after the last hit when `onwards`) where the fragment stands.
    // In a source with no NUL byte it is looked for in the next few kilobytes first, and a
    // fragment with a word the rest of the source does not hold is not looked for at all: a
    // record whose text differs from its source (coded otherwise, changed) costs no search to
    // the file's end.
    std::optional<std::size_t> findFrom(const RecordFragment& fragment, std::size_t from,
                                        bool onwards) const {
        if (m_code == kCodeAnsi && !m_hasNul) {
            constexpr std::size_t kNear = 4096;
            const std::size_t bound = std::min(m_source.size(), from + kNear);
            const auto near = findBefore(fragment, from, bound, onwards);
            if (near && moreSolidBytes(near->start, bound, solidCharacters(fragment.text)))
                return near->mark; // no place that begins before it reaches past the bound
            if (!wordsAllAfter(fragment.text, from))
                return std::nullopt;
            from = firstPlaceNear(fragment.text, from);
        }
        const auto found = findBefore(fragment, from, m_source.size(), onwards);
        return found ? std::optional<std::size_t>(found->mark) : std::nullopt;
    }

    // The first place of the fragment in m_source[from, bound) (with its keyword after the last
    // hit when `onwards`): the offsets of its start and its keyword.
    std::optional<FoundText> findBefore(const RecordFragment& fragment, std::size_t from,
                                        std::size_t bound, bool onwards) const {
        const ContextCleaner clean = [this](std::string_view piece) {
            return ExtractContext(m_state, m_code, piece, 0, 0);
        };
        while (from < bound) {
            const std::string_view rest = m_source.substr(from, bound - from);
            auto found = m_code == kCodeAnsi
                             ? FindCleanedText(rest, fragment.text, fragment.mark)
                             : FindContextInSource(rest, fragment.text, fragment.mark, clean, 4096);
            if (!found)
                return std::nullopt;
            found->start += from;
            found->mark += from;
            if (!onwards || !m_last || found->mark > *m_last)
                return found;
            from = found->start + 1;
        }
        return std::nullopt;
    }

    // m_source.find(word, from) byte by byte: the next hit is a few hundred bytes on, and a call
    // to compare at every place its first letter stands costs more than the whole walk to it.
    std::size_t findVerbatim(std::string_view word, std::size_t from) const {
        const std::size_t n = word.size();
        if (n == 0 || n > m_source.size())
            return from <= m_source.size() ? from : std::string_view::npos;
        const char* const p = m_source.data();
        const char first = word[0];
        for (std::size_t k = from; k + n <= m_source.size(); ++k) {
            if (p[k] != first)
                continue;
            std::size_t i = 1;
            while (i < n && p[k + i] == word[i])
                ++i;
            if (i == n)
                return k;
        }
        return std::string_view::npos;
    }

    // Where the search of a fragment can start without passing a place of it: before the first
    // occurrence of its longest word (it stands as it is in a source with no NUL byte) around
    // which the fragment stands. A place with that word at p holds as many bytes above the blank
    // before p as the fragment has characters before the word, and as many from p on as it has
    // from the word on: it lies within those bounds, and only they are looked at, occurrence
    // after occurrence, instead of every place the fragment's first word stands.
    std::size_t firstPlaceNear(std::string_view text, std::size_t from) const {
        std::size_t wordAt = 0, wordEnd = 0;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = std::min(text.find(' ', at), text.size());
            if (end - at > wordEnd - wordAt) {
                wordAt = at;
                wordEnd = end;
            }
            at = end + 1;
        }
        const std::string_view word = text.substr(wordAt, wordEnd - wordAt);
        if (word.empty())
            return from;
        const std::size_t before = solidCharacters(text.substr(0, wordAt));
        const std::size_t after = solidCharacters(text.substr(wordAt));
        for (std::size_t p = findFar(word, from); p != std::string_view::npos;
             p = findFar(word, p + 1)) {
            std::size_t low = p, solid = 0;
            while (low > from &&
                   (static_cast<unsigned char>(m_source[low - 1]) <= ' ' || ++solid <= before))
                --low;
            std::size_t high = p;
            for (solid = 0; high < m_source.size() && solid < after; ++high)
                solid += static_cast<unsigned char>(m_source[high]) > ' ' ? 1 : 0;
            if (FindCleanedText(m_source.substr(low, high - low), text, 0))
                return low;
        }
        return m_source.size();
    }

    // m_source.find(word, from) by the C library's search, which skips fast over long stretches.
    std::size_t findFar(std::string_view word, std::size_t from) const {
        if (from >= m_source.size())
            return std::string_view::npos;
        const void* at =
            ::memmem(m_source.data() + from, m_source.size() - from, word.data(), word.size());
        return at == nullptr
                   ? std::string_view::npos
                   : static_cast<std::size_t>(static_cast<const char*>(at) - m_source.data());
    }

    // True when m_source[from, to) holds more than `count` bytes above the blank: each stands
    // for one character of a fragment.
    bool moreSolidBytes(std::size_t from, std::size_t to, std::size_t count) const {
        std::size_t n = 0;
        for (std::size_t k = from; k < to; ++k)
            if (static_cast<unsigned char>(m_source[k]) > ' ' && ++n > count)
                return true;
        return false;
    }
    static std::size_t solidCharacters(std::string_view text) {
        return static_cast<std::size_t>(
            std::count_if(text.begin(), text.end(), [](char c) { return c != ' '; }));
    }

    // True when every word of the text (as blanks part them) stands in m_source from `from`.
    bool wordsAllAfter(std::string_view text, std::size_t from) const {
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = std::min(text.find(' ', at), text.size());
            if (end > at && findFar(text.substr(at, end - at), from) == std::string_view::npos)
                return false;
            at = end + 1;
        }
        return true;
    }

    const ProgramState& m_state;
    int m_code;
    std::string_view m_source;
    bool m_hasNul; // a NUL byte may stand inside a word the fragment holds
    std::optional<std::size_t> m_last;
};

} // namespace lexmora
