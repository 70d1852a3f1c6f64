#include "analysis/file_words_cut.h"

#include "wordcount/count_source.h"

#include <algorithm>

namespace lexmora {

namespace {

// The word count's line-end hyphen joins over a whole text (lines parted by `sep`, as the
// file's first block shows), with where they took bytes out, so that offsets in the joined text
// can be taken back to the text as it is.
void joinWithMap(std::string_view text, std::string_view sep, std::string& out,
                 std::vector<Join>& joins) {
    const std::size_t len = sep.size();
    out.clear();
    joins.clear();
    std::size_t r = 0; // copied up to here
    for (std::size_t j = len; j < text.size(); ++j) {
        if (text[j] != sep.back())
            continue;
        const std::size_t i = j - len; // where the hyphen would be
        const std::size_t x = j + 1;
        if (i < r || text[i] != '-' || (len == 2 && text[i + 1] != sep[0]) || x >= text.size())
            continue;
        const std::size_t keep =
            IsHyphenKeepingCapital(static_cast<unsigned char>(text[x])) ? i + 1 : i;
        out.append(text.substr(r, keep - r));
        r = x;
        joins.push_back({out.size(), x - out.size()});
        j = x - 1;
    }
    out.append(text.substr(r));
}

// Takes the cutter's words with their offsets, folded into the vocabulary or kept aside in
// `staged` (neither: offsets only),
// and marks where sentences begin. A text may be cut in pieces, each fed from its own start: a
// piece's first word is never taken for a sentence start, for what stands before it is not read.
class OffsetSink {
public:
    OffsetSink(const WordRules& rules, Vocabulary* vocabulary, StagedWords* staged, FileWords& out)
        : m_rules(rules), m_vocabulary(vocabulary), m_staged(staged), m_out(out) {}

    // The next piece of text; offsets are counted from its start.
    void startPiece(std::string_view text) {
        m_text = text;
        m_end = 0;
        m_pieceFirst = m_out.offsets.size();
    }

    // A word as it stands in the text.
    void operator()(std::string_view word) {
        add(word, static_cast<std::size_t>(word.data() - m_text.data()), word.size());
    }
    // A word the cutter rewrote or finished: found again after the word before.
    void copied(std::string_view word) { add(word, locate(word), 1); }

private:
    void add(std::string_view word, std::size_t offset, std::size_t length) {
        // The count takes a word that begins with no letter or digit for no token at all.
        if (BucketOfFirst(static_cast<unsigned char>(word[0])) == 0)
            return;
        if (m_vocabulary != nullptr || m_staged != nullptr) {
            if (m_out.offsets.size() > m_pieceFirst && sentenceEndBetween(m_end, offset))
                m_out.sentenceStarts.push_back(static_cast<std::uint32_t>(m_out.offsets.size()));
            std::string& folded = m_staged != nullptr ? m_staged->arena : m_folded;
            const std::size_t at = m_staged != nullptr ? folded.size() : 0;
            folded.resize(at + word.size());
            // Through plain pointers: a store through the string's own would make the
            // compiler load its buffer again for every letter.
            char* const to = folded.data() + at;
            const auto* from = reinterpret_cast<const unsigned char*>(word.data());
            for (std::size_t k = 0; k < word.size(); ++k)
                to[k] = static_cast<char>(LowerCp1252(from[k]));
            if (m_staged != nullptr)
                m_staged->spans.emplace_back(static_cast<std::uint32_t>(at),
                                             static_cast<std::uint32_t>(word.size()));
            else
                m_out.words.push_back(m_vocabulary->idOf(m_folded));
        }
        m_out.offsets.push_back(offset);
        m_end = offset + length;
    }

    // A full stop, question mark or exclamation mark with a blank or a line end after it.
    bool sentenceEndBetween(std::size_t from, std::size_t to) const {
        for (std::size_t k = from; k < to && k < m_text.size(); ++k) {
            const char c = m_text[k];
            if (c != '.' && c != '?' && c != '!')
                continue;
            const char next = k + 1 < m_text.size() ? m_text[k + 1] : '\n';
            if (next == ' ' || next == '\t' || next == '\r' || next == '\n')
                return true;
        }
        return false;
    }

    // The first word byte after the last word that can begin `word` (œ and the right quotation
    // mark were rewritten by the cutter).
    std::size_t locate(std::string_view word) const {
        const auto first = static_cast<unsigned char>(word.empty() ? 0 : word[0]);
        const std::size_t limit = std::min(m_text.size(), m_end + 4096);
        for (std::size_t k = m_end; k < limit; ++k) {
            const auto c = static_cast<unsigned char>(m_text[k]);
            if (m_rules.cls[c] == 1)
                continue;
            if (c == first || (c == 0x9C && first == 'o') || (c == 0x8C && first == 'O') ||
                (c == 0x92 && first == '\''))
                return k;
        }
        return std::min(m_end, m_text.size());
    }

    const WordRules& m_rules;
    Vocabulary* m_vocabulary;
    StagedWords* m_staged;
    FileWords& m_out;
    std::string_view m_text;
    std::string m_folded;
    std::size_t m_end = 0;        // just after the last word taken
    std::size_t m_pieceFirst = 0; // the index of the piece's first word
};

void clearWords(FileWords& out) {
    out.words.clear();
    out.offsets.clear();
    out.sentenceStarts.clear();
    out.total = 0;
}

// Cuts text[from, to) into `out` after the words already there: joined at line-end hyphens as
// the word count joins lines, offsets taken back to those of `text`. `from` and `to` must stand
// where the cutter starts afresh (see safeCutByte).
void cutStretch(const WordRules& rules, std::string_view text, std::string_view sep,
                std::size_t from, std::size_t to, Vocabulary* vocabulary, StagedWords* staged,
                FileWords& out, CutBuffers& buffers) {
    // Room for the whole stretch and the cutter's slack at once: grown piece by piece, the
    // block would be copied (and its fresh pages faulted in) again and again.
    buffers.block.reserve(to - from + kCutterSlack);
    joinWithMap(text.substr(from, to - from), sep, buffers.block, buffers.joins);
    std::string& block = buffers.block;
    const std::size_t size = block.size();
    block.resize(size + kCutterSlack);
    const std::size_t firstWord = out.offsets.size();
    OffsetSink sink(rules, vocabulary, staged, out);
    sink.startPiece(std::string_view(block.data(), size));
    WordCutter<OffsetSink> cutter(rules, sink);
    cutter.feed(block, size);
    cutter.finish();
    auto join = buffers.joins.begin();
    std::size_t removed = 0;
    for (std::size_t k = firstWord; k < out.offsets.size(); ++k) {
        for (; join != buffers.joins.end() && join->at <= out.offsets[k]; ++join)
            removed = join->removed;
        out.offsets[k] += removed + from;
    }
}

} // namespace

void CutAllWords(const WordRules& rules, std::string_view text, Vocabulary* vocabulary,
                 FileWords& out, CutBuffers& buffers) {
    clearWords(out);
    out.offsets.reserve(text.size() / 6);
    if (vocabulary != nullptr)
        out.words.reserve(text.size() / 6);
    cutStretch(rules, text, detectSeparator(text.substr(0, kReadBlock)), 0, text.size(), vocabulary,
               nullptr, out, buffers);
    out.total = out.offsets.size();
}

namespace {

// A byte the cutter ends a word at and that no line-end hyphen join takes out: the cutter
// starts afresh after it, so a stretch from there is cut as the whole text is.
bool safeCutByte(const WordRules& rules, unsigned char c) {
    return rules.cls[c] == 1 && c != '-' && c != '\r' && c != '\n';
}

// A stretch of text around one or more hits; its words from `firstWord` on.
struct Stretch {
    std::size_t from = 0, to = 0;
    std::size_t firstWord = 0, endWord = 0;
};

// The stretches around the hits (offsets ascending), `bytes` of each hit's wanted on each side,
// widened to safe bytes and merged where they meet.
std::vector<Stretch>
stretchesAround(const WordRules& rules, std::string_view text, const std::vector<std::size_t>& ats,
                const std::vector<std::pair<std::size_t, std::size_t>>& bytes) {
    std::vector<Stretch> out;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t h = 0; h < ats.size(); ++h) {
        std::size_t from = ats[h] > bytes[h].first ? ats[h] - bytes[h].first : 0;
        std::size_t to = std::min(text.size(), ats[h] + bytes[h].second);
        if (!out.empty() && from <= out.back().to) {
            from = out.back().from;
            to = std::max(to, out.back().to);
            out.pop_back();
        }
        while (from > 0 && !safeCutByte(rules, p[from - 1]))
            --from;
        while (to < text.size() && !safeCutByte(rules, p[to]))
            ++to;
        to = std::min(text.size(), to + 1); // the safe byte too: no join ends the stretch
        out.push_back({from, to});
    }
    return out;
}

// True when every hit has its `before` words and `after` words in its stretch, or the file's
// end on that side; the hits wanting more get twice the bytes.
bool hitsReached(const FileWords& words, const std::vector<Stretch>& stretches,
                 std::string_view text, const std::vector<std::size_t>& ats, std::size_t before,
                 std::size_t after, std::vector<std::pair<std::size_t, std::size_t>>& bytes) {
    bool all = true;
    auto stretch = stretches.begin();
    for (std::size_t h = 0; h < ats.size(); ++h) {
        while (stretch->to <= ats[h] && stretch + 1 != stretches.end())
            ++stretch;
        const auto first = static_cast<std::size_t>(
            std::lower_bound(words.offsets.begin(), words.offsets.end(), ats[h]) -
            words.offsets.begin());
        if (stretch->from > 0 && first < stretch->firstWord + before) {
            bytes[h].first *= 2;
            all = false;
        }
        if (stretch->to < text.size() && stretch->endWord < first + after) {
            bytes[h].second *= 2;
            all = false;
        }
    }
    return all;
}

// Numbers the words the hits' windows hold (`before` words before a hit, `after` from it on,
// within its stretch); the others are kNoWord, for no use reads them.
void numberWindowWords(FileWords& out, const std::vector<Stretch>& stretches,
                       const std::vector<std::size_t>& ats, std::size_t before, std::size_t after,
                       const StagedWords& staged, Vocabulary& vocabulary) {
    out.words.assign(out.offsets.size(), kNoWord);
    auto stretch = stretches.begin();
    for (const std::size_t at : ats) {
        while (stretch->to <= at && stretch + 1 != stretches.end())
            ++stretch;
        const auto first = static_cast<std::size_t>(
            std::lower_bound(out.offsets.begin(), out.offsets.end(), at) - out.offsets.begin());
        const std::size_t from = std::max(stretch->firstWord, first > before ? first - before : 0);
        const std::size_t to = std::min(stretch->endWord, first + after);
        for (std::size_t i = from; i < to; ++i)
            if (out.words[i] == kNoWord)
                out.words[i] = vocabulary.idOf(staged[i]);
    }
}

} // namespace

void CutAroundHits(const WordRules& rules, std::string_view text,
                   const std::vector<std::size_t>& ats, std::size_t before, std::size_t after,
                   Vocabulary& vocabulary, FileWords& out, CutBuffers& buffers) {
    constexpr std::size_t kBytesPerWord = 12;
    const std::string_view sep = detectSeparator(text.substr(0, kReadBlock));
    std::vector<std::pair<std::size_t, std::size_t>> bytes(
        ats.size(), {kBytesPerWord * (before + 1), kBytesPerWord * (after + 1)});
    for (;;) {
        clearWords(out);
        buffers.staged.clear();
        std::vector<Stretch> stretches = stretchesAround(rules, text, ats, bytes);
        // Hits so dense that their stretches take in much of the text: the whole of it is cut
        // once and every word numbered as it comes, which holds every hit's words, rather than
        // most of it kept aside again and again.
        std::size_t covered = 0;
        for (const Stretch& s : stretches)
            covered += s.to - s.from;
        if (covered > text.size() / 2) {
            CutAllWords(rules, text, &vocabulary, out, buffers);
            return;
        }
        for (Stretch& s : stretches) {
            s.firstWord = out.offsets.size();
            cutStretch(rules, text, sep, s.from, s.to, nullptr, &buffers.staged, out, buffers);
            s.endWord = out.offsets.size();
        }
        out.total = out.offsets.size();
        if (ats.empty() || hitsReached(out, stretches, text, ats, before, after, bytes)) {
            numberWindowWords(out, stretches, ats, before, after, buffers.staged, vocabulary);
            return;
        }
    }
}

FileWords CutFileWords(const ProgramState& state, std::string_view text, Vocabulary& vocabulary) {
    FileWords out;
    CutBuffers buffers;
    CutAllWords(MakeWordRules(state), text, &vocabulary, out, buffers);
    return out;
}

} // namespace lexmora
