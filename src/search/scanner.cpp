#include "search/scanner.h"

#include "codes/code_detect.h"
#include "codes/code_tables.h"
#include "codes/cp1252_case.h"
#include "core/file_checks.h"
#include "core/file_io.h"
#include "core/file_utils.h"
#include "core/paths.h"
#include "core/text_codec.h"
#include "search/kwic_line.h"
#include "search/literal_finder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace lexmora {

namespace {

// Reads are much larger than the line-end detection block: few system calls, and a hit's
// context never has to be cut at a block edge.
constexpr std::size_t kReadChunk = 128 * 1024;
// A match or its context that still runs past the window when the window has grown this large
// is taken as it stands (a pathological "word" of megabytes).
constexpr std::size_t kMaxWindow = 32 * 1024 * 1024;
// How far back an image tag or a tag of a tagged search is looked for.
constexpr std::size_t kTagLookBack = 1024;

const CodeRow& codeRowOf(const ProgramState& state, int codeIndex) {
    static const std::vector<CodeRow> builtIn = BuiltInCodeRows();
    if (codeIndex >= 0 && static_cast<std::size_t>(codeIndex) < state.CodeRows.size())
        return state.CodeRows[static_cast<std::size_t>(codeIndex)];
    if (codeIndex >= 0 && static_cast<std::size_t>(codeIndex) < builtIn.size())
        return builtIn[static_cast<std::size_t>(codeIndex)];
    return builtIn[kCodeAnsi];
}

std::int64_t steadySeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool isApostropheOrHyphenEntry(int entry) { // entry 0..51
    const int pos = entry % 26;
    return pos == 23 || pos == 24;
}

// Case folding of the searched text: none, Windows-1252 (ANSI files) or ASCII letters only
// (other codes, whose upper half is not Windows-1252).
struct Fold {
    FoldTable map;
    bool active = false;
};

Fold makeFold(int mode) {
    Fold f;
    for (int c = 0; c < 256; ++c) {
        unsigned char u = static_cast<unsigned char>(c);
        if (mode == 1)
            u = lowerCp1252(u);
        else if (mode == 2 && c >= 'A' && c <= 'Z')
            u = static_cast<unsigned char>(c + 32);
        f.map[c] = u;
    }
    f.active = mode != 0;
    return f;
}

std::string foldText(const Fold& fold, std::string_view text) {
    std::string out(text);
    if (fold.active)
        for (char& c : out)
            c = static_cast<char>(fold.map[static_cast<unsigned char>(c)]);
    return out;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lowerCp1252(static_cast<unsigned char>(text[i])) !=
            lowerCp1252(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

bool equalText(std::string_view a, std::string_view b, bool caseSensitive) {
    if (a.size() != b.size())
        return false;
    return caseSensitive ? a == b : startsWithNoCase(a, b);
}

std::size_t findText(std::string_view hay, std::string_view needle, bool caseSensitive) {
    if (caseSensitive)
        return hay.find(needle);
    if (needle.size() > hay.size())
        return std::string_view::npos;
    for (std::size_t i = 0; i + needle.size() <= hay.size(); ++i)
        if (startsWithNoCase(hay.substr(i), needle))
            return i;
    return std::string_view::npos;
}

// --- the source text: a window over the file, line-end hyphens removed ------------------------

// A growable byte array whose new bytes are left unset: a read fills them at once, and zeroing
// half a megabyte before every read costs as much as the search itself.
class ByteBuffer {
public:
    char* data() { return m_data.get(); }
    const char* data() const { return m_data.get(); }
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    void resize(std::size_t n) {
        if (n > m_capacity)
            grow(n);
        m_size = n;
    }
    void append(const char* bytes, std::size_t n) {
        const std::size_t old = m_size;
        resize(old + n);
        if (n > 0)
            std::memcpy(m_data.get() + old, bytes, n);
    }
    // Drops the first `n` bytes of the first `valid` (the rest need not be kept).
    void erasePrefix(std::size_t n, std::size_t valid) {
        if (valid > n)
            std::memmove(m_data.get(), m_data.get() + n, valid - n);
        m_size = m_size > n ? m_size - n : 0;
    }

private:
    void grow(std::size_t n) {
        const std::size_t capacity = std::max(n, m_capacity * 2);
        std::unique_ptr<char[]> bigger(new char[capacity]);
        if (m_size > 0)
            std::memcpy(bigger.get(), m_data.get(), m_size);
        m_data = std::move(bigger);
        m_capacity = capacity;
    }
    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// The window's buffers outlive a file and a call, so that the next file reuses their pages
// (fresh pages cost a fault each). A window that grew huge for one file is given back.
struct SourceBuffers {
    ByteBuffer read, folded;
};
constexpr std::size_t kKeptBufferSize = 4 * 1024 * 1024;

SourceBuffers& reusedBuffers() {
    thread_local SourceBuffers buffers;
    if (buffers.read.capacity() > kKeptBufferSize || buffers.folded.capacity() > kKeptBufferSize)
        buffers = SourceBuffers{};
    return buffers;
}

class SourceText {
public:
    explicit SourceText(SourceBuffers& buffers) : m_read(buffers.read), m_folded(buffers.folded) {
        m_read.resize(0);
        m_folded.resize(0);
    }
    // Streams the open file; `rawHead` is what was read from its start already.
    void startStream(int fd, std::string rawHead, bool more, std::uint64_t remaining) {
        m_fd = fd;
        m_remaining = remaining;
        m_pending = std::move(rawHead);
        m_rawEof = !more;
    }
    // Serves a text that is already whole (a converted copy).
    void startWhole(std::string text) {
        m_fd = -1;
        m_pending = std::move(text);
        m_rawEof = true;
    }
    void setLineBreak(std::string lineBreak, bool noCase) {
        m_hyphenBreak = lineBreak.empty() ? std::string() : "-" + lineBreak;
        m_breakNoCase = noCase;
        if (lineBreak.empty())
            return;
        // A hyphen break is found as "-" followed by the line end's first character.
        const unsigned char first = static_cast<unsigned char>(lineBreak[0]);
        m_breakPair.first[0] = m_breakPair.first[1] = '-';
        m_breakPair.second[0] = noCase ? lowerCp1252(first) : first;
        m_breakPair.second[1] = noCase ? upperCp1252(first) : first;
        m_breakPair.distance = 1;
    }
    // `lazy`: the folded copy is made only when foldAll is called (a literal is looked for in
    // the text as read, and only a window that holds it is folded).
    void setFold(const FoldTable* fold, bool active, bool lazy) {
        m_fold = fold;
        m_foldActive = active;
        m_lazyFold = lazy;
    }

    // Drops the text before `keepFrom` and appends the next piece of the file. False when
    // nothing more could be added (end of file or a read failure).
    bool fill(std::size_t keepFrom) {
        if (keepFrom > 0) {
            m_read.erasePrefix(keepFrom, m_read.size());
            if (m_foldActive) {
                m_folded.erasePrefix(keepFrom, m_foldedTo);
                m_foldedTo = m_foldedTo > keepFrom ? m_foldedTo - keepFrom : 0;
            }
            m_atFileStart = false;
        }
        if (m_eof)
            return false;
        const std::size_t before = m_read.size();
        // The held-back tail (or the file's first block) goes first; the file's next piece is
        // read straight behind it, and hyphen breaks are taken out in place.
        m_read.append(m_pending.data(), m_pending.size());
        m_pending.clear();
        if (!m_rawEof && m_fd >= 0) {
            const std::size_t old = m_read.size();
            // One byte more than the file should still hold, so that its end is seen at once.
            const std::size_t chunk =
                static_cast<std::size_t>(std::min<std::uint64_t>(kReadChunk, m_remaining + 1));
            m_read.resize(old + chunk);
            ssize_t got;
            do {
                got = ::read(m_fd, m_read.data() + old, chunk);
            } while (got < 0 && errno == EINTR);
            if (got <= 0) {
                // End of file, or a file that shrank or failed under us: what was read stands.
                m_rawEof = true;
                got = 0;
            }
            m_read.resize(old + static_cast<std::size_t>(got));
            m_remaining -= std::min<std::uint64_t>(m_remaining, static_cast<std::uint64_t>(got));
        }
        removeHyphenBreaks(before);
        if (m_foldActive) {
            m_folded.resize(m_read.size());
            if (!m_lazyFold)
                foldAll();
        }
        if (m_rawEof && m_pending.empty())
            m_eof = true;
        return m_read.size() > before || m_eof;
    }

    // Makes the folded copy of the whole window current.
    void foldAll() {
        if (!m_foldActive || m_foldedTo >= m_read.size())
            return;
        const unsigned char* src = reinterpret_cast<const unsigned char*>(m_read.data());
        unsigned char* dst = reinterpret_cast<unsigned char*>(m_folded.data());
        const FoldTable& map = *m_fold;
        for (std::size_t i = m_foldedTo, n = m_read.size(); i < n; ++i)
            dst[i] = map[src[i]];
        m_foldedTo = m_read.size();
    }

    std::string_view read() const { return {m_read.data(), m_read.size()}; }
    // The text the pattern is matched in (folded up to where foldAll last reached).
    const char* search() const { return m_foldActive ? m_folded.data() : m_read.data(); }
    std::size_t size() const { return m_read.size(); }
    bool eof() const { return m_eof; }
    bool atFileStart() const { return m_atFileStart; }

private:
    // Takes every "-" + line break out of m_read from `from` on (a word hyphenated at a line end
    // is joined). A tail that may be the start of such a break waits in m_pending for more text.
    void removeHyphenBreaks(std::size_t from) {
        if (m_hyphenBreak.empty())
            return;
        const std::string_view hb = m_hyphenBreak;
        char* d = m_read.data();
        const std::size_t n = m_read.size();
        // A tail that may be the start of a break waits for more text.
        std::size_t limit = n;
        if (!m_rawEof)
            for (std::size_t len = std::min(hb.size() - 1, n - from); len > 0; --len)
                if (isBreakAt(std::string_view(d + n - len, len), hb.substr(0, len))) {
                    limit = n - len;
                    break;
                }
        std::size_t write = from, segment = from, scan = from;
        while (scan < limit) {
            const std::size_t at = FindBytePair(d, limit, scan, m_breakPair);
            if (at == std::string::npos)
                break;
            if (at + hb.size() <= limit && isBreakAt(std::string_view(d + at, hb.size()), hb)) {
                if (write != segment)
                    std::memmove(d + write, d + segment, at - segment);
                write += at - segment;
                segment = scan = at + hb.size();
                continue;
            }
            scan = at + 1;
        }
        if (write != segment)
            std::memmove(d + write, d + segment, limit - segment);
        write += limit - segment;
        m_pending.assign(d + limit, n - limit);
        m_read.resize(write);
    }
    bool isBreakAt(std::string_view text, std::string_view hyphenBreak) const {
        if (m_breakNoCase)
            return startsWithNoCase(text, hyphenBreak);
        // A few bytes: compared here rather than through a library call.
        if (text.size() != hyphenBreak.size())
            return false;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] != hyphenBreak[i])
                return false;
        return true;
    }

    ByteBuffer& m_read;
    ByteBuffer& m_folded;
    std::size_t m_foldedTo = 0; // m_folded holds the folded text of m_read up to here
    int m_fd = -1;
    std::uint64_t m_remaining = 0; // bytes the file should still hold
    std::string m_pending;         // raw text not yet in the window
    std::string m_hyphenBreak;
    bool m_breakNoCase = false;
    BytePair m_breakPair;
    const FoldTable* m_fold = nullptr;
    bool m_foldActive = false;
    bool m_lazyFold = false;
    bool m_rawEof = false;
    bool m_eof = false;
    bool m_atFileStart = true;
};

// --- matching ----------------------------------------------------------------------------

// The tokens still to match after a sub-sequence (the endings of "+" and "/").
struct Continuation {
    const std::vector<ScanToken>* tokens;
    std::size_t index;
    bool requireWordEnd; // a required ending counts only when no word character follows it
    const Continuation* next;
};

class Matcher {
public:
    Matcher(const ScanPattern& pattern, const WordClasses& classes,
            const std::vector<std::vector<std::string>>& representations,
            const std::vector<std::string>& letterRepresentations, bool htmlMode,
            unsigned char tagOpen, unsigned char tagClose)
        : m_pattern(pattern), m_classes(classes), m_reps(representations),
          m_letterReps(letterRepresentations), m_html(htmlMode), m_tagOpen(tagOpen),
          m_tagClose(tagClose) {}

    void setText(const char* text, std::size_t size, bool endIsFinal, bool atFileStart) {
        m_text = reinterpret_cast<const unsigned char*>(text);
        m_size = size;
        m_final = endIsFinal;
        m_atFileStart = atFileStart;
    }

    enum class Outcome { Match, NoMatch, NeedMore };

    // Tries the whole pattern with its first token at `start`; `end` is set on a match.
    Outcome matchAt(std::size_t start, std::size_t& end) {
        m_needMore = false;
        bool matched;
        if (m_pattern.start == ScanStart::WildcardWord) {
            const std::size_t wordEnd = skipWord(start);
            matched = !m_needMore && wordEnd > start && run(m_pattern.tokens, 0, wordEnd, nullptr);
        } else {
            matched = run(m_pattern.tokens, 0, start, nullptr);
        }
        if (matched) {
            end = m_end;
            return Outcome::Match;
        }
        return m_needMore ? Outcome::NeedMore : Outcome::NoMatch;
    }

    // The next place where the pattern may start, from `from`; npos when there is none in the
    // text (or, when `needMore`, none that can be told before more text is read).
    std::size_t findCandidate(std::size_t from, bool& needMore) {
        needMore = false;
        const char* base = reinterpret_cast<const char*>(m_text);
        switch (m_pattern.start) {
        case ScanStart::Literal: // found in the text as read, by a LiteralFinder
            return std::string::npos;
        case ScanStart::Special: {
            std::size_t best = std::string::npos;
            const int j = m_pattern.tokens.front().special;
            if (j < 1 || j > 52)
                return best;
            for (const std::string& rep : m_reps[static_cast<std::size_t>(j - 1)]) {
                if (from >= m_size)
                    break;
                const std::size_t limit = best == std::string::npos ? m_size : best;
                if (limit <= from)
                    break;
                const void* hit = memmem(base + from, limit - from, rep.data(), rep.size());
                if (hit)
                    best = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
            }
            return best;
        }
        case ScanStart::AnyLetter:
            for (std::size_t p = from; p < m_size; ++p) {
                const unsigned char c = m_text[p];
                if (m_classes.word1[c] && c != '#' && c != '$' && c != '%' &&
                    !(c >= '0' && c <= '9'))
                    return p;
            }
            return std::string::npos;
        case ScanStart::WildcardWord:
        case ScanStart::EachWord: {
            std::size_t p = from;
            // A search that resumes inside a word goes on at the next word.
            if (p > 0 && p < m_size && m_classes.word1[m_text[p - 1]])
                while (p < m_size && m_classes.word1[m_text[p]])
                    ++p;
            while (p < m_size && !m_classes.word1[m_text[p]])
                ++p;
            if (p >= m_size) {
                needMore = !m_final;
                return std::string::npos;
            }
            return p;
        }
        }
        return std::string::npos;
    }

private:
    // -1 past the end of the text (and a note that more text is wanted when there is more).
    int at(std::size_t p) {
        if (p < m_size)
            return m_text[p];
        if (!m_final)
            m_needMore = true;
        return -1;
    }
    bool word1(std::size_t p) {
        const int c = at(p);
        return c >= 0 && m_classes.word1[c];
    }
    bool word2(std::size_t p) {
        const int c = at(p);
        return c >= 0 && m_classes.word2[c];
    }
    bool wordBefore(std::size_t p) { // the character before p is a word character
        return p > 0 && m_classes.word1[m_text[p - 1]];
    }

    bool startHolds(WordStart start, std::size_t p) {
        switch (start) {
        case WordStart::None:
            return true;
        case WordStart::Boundary:
            return !wordBefore(p);
        case WordStart::AfterOneLetter:
            return wordBefore(p) && !wordBefore(p - 1);
        }
        return true;
    }

    bool textAt(std::size_t p, std::string_view s) {
        if (p + s.size() > m_size) {
            if (!m_final)
                m_needMore = true;
            return false;
        }
        return std::memcmp(m_text + p, s.data(), s.size()) == 0;
    }

    std::size_t skipWord(std::size_t p) {
        while (word1(p))
            ++p;
        return p;
    }

    // From p to the start of the next word: npos when a clause ends first or the text ends.
    std::size_t skipSeparators(std::size_t p) {
        for (;;) {
            const int c = at(p);
            if (c < 0)
                return std::string::npos;
            if (m_classes.word1[c])
                return p;
            if (m_classes.clause[c] && !m_pattern.hasLiteralComma)
                return std::string::npos;
            const unsigned char close = (m_html && c == '<')                 ? '>'
                                        : (m_tagOpen != 0 && c == m_tagOpen) ? m_tagClose
                                                                             : 0;
            if (close != 0) {
                // Mark-up and tags are not words: the walk goes on behind them.
                std::size_t q = p + 1;
                while (true) {
                    const int d = at(q);
                    if (d < 0)
                        return std::string::npos;
                    if (d == close)
                        break;
                    ++q;
                }
                p = q + 1;
                continue;
            }
            ++p;
        }
    }

    bool proceed(const Continuation* k, std::size_t p) {
        if (!k)
            return false; // a sub-sequence always has its continuation
        if (k->requireWordEnd && word1(p))
            return false;
        return run(*k->tokens, k->index, p, k->next);
    }

    bool run(const std::vector<ScanToken>& tokens, std::size_t i, std::size_t p,
             const Continuation* k) {
        while (true) {
            if (i >= tokens.size())
                return proceed(k, p);
            const ScanToken& t = tokens[i];
            switch (t.kind) {
            case ScanTokenKind::End:
                m_end = p;
                return true;
            case ScanTokenKind::Literal:
                if (!startHolds(t.start, p) || !textAt(p, t.text))
                    return false;
                p += t.text.size();
                ++i;
                continue;
            case ScanTokenKind::Special: {
                if (!startHolds(t.start, p) || t.special < 1 || t.special > 52)
                    return false;
                for (const std::string& rep : m_reps[static_cast<std::size_t>(t.special - 1)])
                    if (textAt(p, rep) && run(tokens, i + 1, p + rep.size(), k))
                        return true;
                return false;
            }
            case ScanTokenKind::AnyLetter: {
                if (!startHolds(t.start, p))
                    return false;
                const int c = at(p);
                if (c < 0)
                    return false;
                if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
                    ++p;
                    ++i;
                    continue;
                }
                for (const std::string& rep : m_letterReps)
                    if (textAt(p, rep) && run(tokens, i + 1, p + rep.size(), k))
                        return true;
                return false;
            }
            case ScanTokenKind::InnerStar: {
                const std::size_t wordEnd = skipWord(p);
                if (m_needMore || wordEnd == p)
                    return false;
                // The rest lines up with the end of this word: the longest fill first.
                for (std::size_t q = wordEnd + 1; q-- > p;)
                    if (run(tokens, i + 1, q, k))
                        return true;
                return false;
            }
            case ScanTokenKind::WordEnd:
                if (word2(p))
                    return false;
                ++i;
                continue;
            case ScanTokenKind::NextWord: {
                std::size_t q = skipSeparators(p);
                if (q == std::string::npos)
                    return false;
                if (!t.within) {
                    for (int w = 1; w < t.words; ++w) {
                        q = skipSeparators(skipWord(q));
                        if (q == std::string::npos)
                            return false;
                    }
                    p = q;
                    ++i;
                    continue;
                }
                for (int w = 1;; ++w) {
                    if (run(tokens, i + 1, q, k))
                        return true;
                    if (w >= t.words)
                        return false;
                    q = skipSeparators(skipWord(q));
                    if (q == std::string::npos)
                        return false;
                }
            }
            case ScanTokenKind::Endings: {
                if (!t.required && !word1(p))
                    return run(tokens, i + 1, p, k); // the stem alone is the word
                const Continuation rest{&tokens, i + 1, t.required, k};
                for (const auto& ending : t.endings) {
                    if (ending.empty()) {
                        if (proceed(&rest, p))
                            return true;
                        continue;
                    }
                    if (run(ending, 0, p, &rest))
                        return true;
                }
                return false;
            }
            }
            return false;
        }
    }

    const ScanPattern& m_pattern;
    const WordClasses& m_classes;
    const std::vector<std::vector<std::string>>& m_reps;
    const std::vector<std::string>& m_letterReps;
    bool m_html;
    unsigned char m_tagOpen, m_tagClose;
    const unsigned char* m_text = nullptr;
    std::size_t m_size = 0;
    bool m_final = true;
    bool m_atFileStart = true;
    bool m_needMore = false;
    std::size_t m_end = 0;
};

// --- one call --------------------------------------------------------------------------

struct FileFacts {
    std::string shortName; // upper-case 8.3 name, Windows-1252
    ResultFileSet::SourceFileInfo log;
};

class Scan {
public:
    Scan(ProgramState& state, const ScanPattern& pattern, const ScanContext& context,
         ScanCounts& counts, SearchObserver& observer, Prompter& prompter)
        : m_state(state), m_pattern(pattern), m_context(context), m_counts(counts),
          m_observer(observer), m_prompter(prompter) {}

    int run();

private:
    int pollFlags();
    int searchFile(const std::string& path, const std::string& listedName);
    int scanText(SourceText& text, int codeIndex, bool htmlMode, const FileFacts& facts);
    bool rejectedByImageTag(std::string_view read, std::size_t s);
    bool rejectedByExcludes(std::string_view line, std::string_view matched);
    bool rejectedByTag(std::string_view read, std::size_t s, std::size_t e, bool eofEnd);

    ProgramState& m_state;
    const ScanPattern& m_pattern;
    const ScanContext& m_context;
    ScanCounts& m_counts;
    SearchObserver& m_observer;
    Prompter& m_prompter;
    std::string m_tag;
    bool m_tagCase = false;
    std::string m_line;
};

int Scan::pollFlags() {
    m_observer.yield(m_state);
    while (m_state.PauseFlag && m_state.ExitFlag == ExitRequest::None) {
        m_observer.onPaused(steadySeconds() - m_context.runStartSeconds);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        m_observer.yield(m_state);
    }
    if (m_state.ExitFlag == ExitRequest::UserConfirmedLeaving)
        return kStepAbandoned; // leaving was confirmed already (Ctrl-C, the program's exit)
    if (m_state.ExitFlag == ExitRequest::UserPressedExit) {
        if (m_prompter.ask(search::msg::AbandonSearch()) == Answer::Yes) {
            m_state.ExitFlag = ExitRequest::UserConfirmedLeaving;
            return kStepAbandoned;
        }
        m_state.ExitFlag = ExitRequest::None;
    }
    return 0;
}

int Scan::run() {
    m_counts = ScanCounts{};
    const std::size_t k = static_cast<std::size_t>(m_context.keywordIndex);
    if (m_state.TaggedSearch && k < m_state.ExcludeStrings.size()) {
        const auto& list = m_state.ExcludeStrings[k];
        for (std::size_t j = 0; j < list.size(); ++j) {
            if (!list[j].empty()) {
                m_tag = list[j];
                m_tagCase = k < m_state.ExcludeCase.size() && j < m_state.ExcludeCase[k].size() &&
                            m_state.ExcludeCase[k][j];
                break;
            }
        }
    }
    const std::vector<std::string> files = m_state.SourceFiles; // a stable copy for the call
    for (std::size_t i = 0; i < files.size(); ++i) {
        m_observer.onFileCounter(m_context.filesBefore + static_cast<std::int64_t>(i) + 1);
        const std::string path =
            m_state.SourceIsFileList ? files[i] : AddBackslash(m_state.SourceDirectory) + files[i];
        const int result = searchFile(path, files[i]);
        if (result < 0)
            return result;
    }
    if (m_context.results && m_counts.hits > 0) {
        const Status written = m_context.results->writeSummaryLine(BuildStepLine(
            m_counts.hits, m_pattern.patternText, utf8ToCp1252(m_state.SourceDirectory),
            static_cast<std::int64_t>(files.size()), m_counts.bytes));
        if (!written) {
            m_counts.failure = written.error();
            return kStepDeviceFailure;
        }
    }
    return 0;
}

int Scan::searchFile(const std::string& path, const std::string& listedName) {
    if (int flags = pollFlags(); flags < 0)
        return flags;
    for (;;) {
        const int answer = CheckFileExists(path, m_prompter);
        if (answer == 0)
            break;
        if (answer == static_cast<int>(Answer::Abort))
            return kStepAbandoned;
        if (answer != static_cast<int>(Answer::Retry))
            return 0; // Ignore: the file is skipped
    }
    const std::string name = FileNameOf(path);
    if (HasInvalidExtension(name, m_state.InvalidFileExtensions))
        return 0;
    m_observer.onFileName(ShortenPath(toLowerAscii(name), 25),
                          m_state.SourceIsFileList ? ShortenPath(FolderOf(path), 40) : "");

    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return 0;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return 0;
    const std::uint64_t length = static_cast<std::uint64_t>(info.st_size);

    FileFacts facts;
    facts.shortName = utf8ToCp1252(ShortFileName(name));
    facts.log.shortName = facts.shortName;
    // The path is kept in its real case: on this system it is what opens the file again.
    facts.log.path = utf8ToCp1252(
        m_state.SourceIsFileList ? path : AddBackslash(m_state.SourceDirectory) + listedName);
    facts.log.fileDate = FormatShortDate(static_cast<std::int64_t>(info.st_mtime));

    // The first block: the code, and where the line end is looked for.
    std::string head(std::min<std::uint64_t>(length, kBlockSize), '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n = ::read(fd.get(), head.data() + got, head.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    head.resize(got);
    const bool more = length > got;
    const DetectedCode code = DetectCode(m_state, head, name, more);
    const int codeIndex = std::max(1, code.codeIndex);
    const CodeRow& row = codeRowOf(m_state, codeIndex);
    const bool htmlMode = codeIndex == 3 || ExtensionListed(row.CodeExtensions, ".htm");
    facts.log.codeName = DetectedCodeName(m_state, code);
    m_observer.onCodeName(facts.log.codeName);

    // A file too short to hold the pattern is not scanned. The pattern text itself carries a
    // blank for every word boundary, so only what a match must contain is counted: a file that
    // is nothing but the keyword is still searched.
    const std::size_t needed =
        m_pattern.start == ScanStart::Literal ? m_pattern.tokens.front().text.size() : 1;
    if (length < needed)
        return 0;
    m_counts.bytes += static_cast<std::int64_t>(length);

    SourceText text(reusedBuffers());
    std::string lineBreakSample;
    if (code.conversion != SourceConversion::None) {
        std::string all = std::move(head);
        if (more) {
            const auto rest = readFileBytes(path);
            if (rest)
                all = *rest;
        }
        std::string converted = ConvertSourceText(all, code.conversion);
        lineBreakSample = converted.substr(0, kBlockSize);
        text.startWhole(std::move(converted));
    } else {
        lineBreakSample = head;
        text.startStream(fd.get(), std::move(head), more, length - got);
    }
    const std::string lineBreak = DetectLineBreak(lineBreakSample, htmlMode);
    text.setLineBreak(lineBreak, lineBreak == "<br>");
    return scanText(text, codeIndex, htmlMode, facts);
}

int Scan::scanText(SourceText& text, int codeIndex, bool htmlMode, const FileFacts& facts) {
    const std::size_t k = static_cast<std::size_t>(m_context.keywordIndex);
    const bool caseSensitive = k < m_state.KeywordCase.size() && m_state.KeywordCase[k];
    const Fold fold = makeFold(caseSensitive ? 0 : (codeIndex == kCodeAnsi ? 1 : 2));
    // A literal start is looked for in the text as read: a window is folded only once it is
    // known to hold a candidate.
    const bool literalStart = m_pattern.start == ScanStart::Literal;
    text.setFold(&fold.map, fold.active, literalStart);

    const WordClasses classes = MakeWordClasses(m_state, codeIndex);
    const CodeRow& row = codeRowOf(m_state, codeIndex);
    // Every representation of each special letter in this code, folded as the text is.
    std::vector<std::vector<std::string>> reps(52);
    std::vector<std::string> letterReps;
    const int tables = codeIndex >= kFirstCodeFile ? 2 : 1;
    for (int j = 0; j < 52; ++j) {
        auto& list = reps[static_cast<std::size_t>(j)];
        const int other = j < 26 ? j + 26 : j - 26;
        for (int t = 0; t < tables; ++t)
            for (int e : {j, other}) {
                if (e == other && caseSensitive)
                    continue;
                const std::string& r = row.CodeTable[t][e];
                if (r.empty())
                    continue;
                std::string folded = foldText(fold, r);
                if (std::find(list.begin(), list.end(), folded) == list.end())
                    list.push_back(folded);
            }
        if (!isApostropheOrHyphenEntry(j))
            for (int t = 0; t < tables; ++t) {
                const std::string& r = row.CodeTable[t][j];
                if (r.empty())
                    continue;
                std::string folded = foldText(fold, r);
                if (std::find(letterReps.begin(), letterReps.end(), folded) == letterReps.end())
                    letterReps.push_back(folded);
            }
    }
    const unsigned char tagOpen = m_tag.empty() ? 0 : static_cast<unsigned char>(m_tag.front());
    const unsigned char tagClose = m_tag.empty() ? 0 : static_cast<unsigned char>(m_tag.back());
    Matcher matcher(m_pattern, classes, reps, letterReps, htmlMode, tagOpen, tagClose);

    const int wideFactor = codeIndex >= kFirstCodeFile ? 8 : 5; // quarters
    const std::size_t leftWidth =
        static_cast<std::size_t>(std::max(0, m_state.LeftContext)) * wideFactor / 4;
    const std::size_t rightWidth =
        static_cast<std::size_t>(std::max(0, m_state.RightContext)) * wideFactor / 4;
    // What a window keeps before the place a search resumes: the left context and the look-back
    // of the word-boundary rules.
    const std::size_t keepBefore = leftWidth + 4;
    std::size_t overlap = 0;
    if (m_pattern.start == ScanStart::Literal)
        overlap = m_pattern.tokens.front().text.size();
    else if (m_pattern.start == ScanStart::Special)
        for (const auto& r : reps[static_cast<std::size_t>(
                 std::clamp(m_pattern.tokens.front().special, 1, 52) - 1)])
            overlap = std::max(overlap, r.size());

    std::int64_t hitNumber = 1;
    const std::int64_t hitsShownBefore = m_context.hitsBefore;
    std::optional<LiteralFinder> literal;
    if (literalStart)
        literal.emplace(foldText(fold, m_pattern.tokens.front().text), fold.map);

    text.fill(0);
    std::size_t pos = 0;
    bool forceFinal = false; // the window is as large as it may grow: take it as it stands
    std::size_t polls = 0;

    auto refill = [&](std::size_t resume) {
        const std::size_t keepFrom = resume > keepBefore ? resume - keepBefore : 0;
        if (text.eof())
            return false;
        if (keepFrom == 0 && text.size() >= kMaxWindow) {
            forceFinal = true;
            return true;
        }
        text.fill(keepFrom);
        pos = resume - keepFrom;
        return true;
    };

    for (;;) {
        if ((++polls & 63) == 0)
            if (int flags = pollFlags(); flags < 0)
                return flags;
        const bool final = text.eof() || forceFinal;
        matcher.setText(text.search(), text.size(), final, text.atFileStart());
        bool needMore = false;
        std::size_t s;
        if (literal) {
            s = literal->find(text.read().data(), text.size(), pos);
            if (s != std::string::npos)
                text.foldAll();
        } else {
            s = matcher.findCandidate(pos, needMore);
        }
        if (s == std::string::npos) {
            if (final)
                break;
            const std::size_t size = text.size();
            std::size_t resume = size > overlap ? size - overlap + (overlap > 0 ? 1 : 0) : 0;
            if (needMore)
                resume = std::max(pos, std::min(resume, size));
            resume = std::max(resume, std::min(pos, size));
            if (!refill(resume))
                break;
            continue;
        }
        std::size_t e = 0;
        const Matcher::Outcome outcome = matcher.matchAt(s, e);
        if (outcome == Matcher::Outcome::NeedMore ||
            (outcome == Matcher::Outcome::Match && !final && e + rightWidth + 1 > text.size())) {
            // A hit too close to the end of the window: it is found again, with its whole
            // context, once more of the file is in.
            if (!refill(s))
                forceFinal = true;
            continue;
        }
        forceFinal = false;
        if (outcome == Matcher::Outcome::NoMatch) {
            pos = s + 1;
            continue;
        }
        if (e <= s) {
            pos = s + 1;
            continue;
        }
        pos = e;

        const std::string_view read = text.read();
        if (htmlMode && rejectedByImageTag(read, s))
            continue;
        // The KWIC line from the text as read.
        const std::size_t leftFrom = s > leftWidth ? s - leftWidth : 0;
        const std::size_t rightTo = std::min(read.size(), e + rightWidth + 1);
        const std::string left =
            s > 0 ? ExtractContext(m_state, codeIndex,
                                   std::string_view(read).substr(leftFrom, s - leftFrom), tagOpen,
                                   tagClose)
                  : std::string();
        const std::string matched = ExtractContext(
            m_state, codeIndex, std::string_view(read).substr(s, e - s), tagOpen, tagClose);
        const std::string right =
            e < rightTo
                ? ExtractContext(m_state, codeIndex, std::string_view(read).substr(e, rightTo - e),
                                 tagOpen, tagClose)
                : std::string();
        m_line.clear();
        AppendKwicLine(m_line, hitNumber, left, matched, right, m_state.LeftContext,
                       m_state.RightContext);
        if (!m_state.TaggedSearch && rejectedByExcludes(m_line, matched))
            continue;
        if (m_state.TaggedSearch && !m_tag.empty() && rejectedByTag(read, s, e, final))
            continue;

        if (m_context.results) {
            if (m_state.ResultCode == kCodeAscii)
                ToDosCodePage(m_line);
            std::int32_t entry = static_cast<std::int32_t>(m_state.LogEntryNumber);
            const Status written =
                m_context.results->writeHit(m_line, facts.log, hitNumber == 1, entry);
            m_state.LogEntryNumber = entry;
            if (!written) {
                m_counts.failure = written.error();
                return kStepDeviceFailure;
            }
        }
        ++hitNumber;
        ++m_counts.hits;
        m_counts.bytesWritten += m_context.recordLength;
        m_observer.onHitCounter(hitsShownBefore + m_counts.hits);
        if (m_context.results && m_state.ResultCode == kCodeAscii)
            FromDosCodePage(m_line); // the screen shows Windows characters
        m_observer.onHit(m_line, facts.shortName);
        if (int flags = pollFlags(); flags < 0)
            return flags;
    }
    return 0;
}

bool Scan::rejectedByImageTag(std::string_view read, std::size_t s) {
    const std::size_t from = s > kTagLookBack ? s - kTagLookBack : 0;
    for (std::size_t p = s; p-- > from;) {
        if (read[p] == '>')
            return false; // a tag closed before the hit
        if (read[p] == '<')
            return startsWithNoCase(std::string_view(read).substr(p), "<img ");
    }
    return false;
}

bool Scan::rejectedByExcludes(std::string_view line, std::string_view matched) {
    const std::size_t k = static_cast<std::size_t>(m_context.keywordIndex);
    if (k >= m_state.ExcludeStrings.size())
        return false;
    const auto& list = m_state.ExcludeStrings[k];
    const std::size_t column =
        kHitNumberFieldWidth + static_cast<std::size_t>(std::max(0, m_state.LeftContext));
    for (std::size_t j = 0; j < list.size(); ++j) {
        if (list[j].empty())
            continue;
        const bool cs = k < m_state.ExcludeCase.size() && j < m_state.ExcludeCase[k].size() &&
                        m_state.ExcludeCase[k][j];
        if (ExcludeStringHolds(line, column, matched, list[j], cs))
            return true;
    }
    return false;
}

bool Scan::rejectedByTag(std::string_view read, std::size_t s, std::size_t e, bool eofEnd) {
    (void)eofEnd;
    const char open = m_tag.front();
    const char close = m_tag.back();
    if (m_state.TagBefore) {
        std::size_t p = s;
        while (p > 0 && read[p - 1] == ' ')
            --p;
        if (p == 0 || read[p - 1] != close)
            return true;
        const std::size_t from = p > kTagLookBack ? p - kTagLookBack : 0;
        for (std::size_t q = p - 1; q-- > from;)
            if (read[q] == open)
                return !TagMatches(m_tag, std::string_view(read).substr(q, p - q), m_tagCase);
        return true;
    }
    std::size_t p = e;
    while (p < read.size() && read[p] == ' ')
        ++p;
    if (p >= read.size() || read[p] != open)
        return true;
    const std::size_t to = std::min(read.size(), p + kTagLookBack);
    for (std::size_t q = p + 1; q < to; ++q)
        if (read[q] == close)
            return !TagMatches(m_tag, std::string_view(read).substr(p, q - p + 1), m_tagCase);
    return true;
}

} // namespace

void ToDosCodePage(std::string& text) {
    static const auto table = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c)
            t[static_cast<std::size_t>(c)] = '?';
        for (int c = 255; c >= 0; --c)
            t[cp437ByteToCp1252(static_cast<unsigned char>(c))] = static_cast<unsigned char>(c);
        for (int c = 0; c < 128; ++c)
            t[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c);
        return t;
    }();
    for (char& c : text)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
}

void FromDosCodePage(std::string& text) {
    for (char& c : text)
        c = static_cast<char>(cp437ByteToCp1252(static_cast<unsigned char>(c)));
}

Message AbandonSearchQuestion() {
    return Message{joinLines({"You have just pressed \xAB Exit \xBB -",
                              "do you wish to return to main screen?"}),
                   " Abandon Search", Buttons::YesNo, Icon::Question};
}

WordClasses MakeWordClasses(const ProgramState& state, int codeIndex) {
    WordClasses w;
    const CodeRow& row = codeRowOf(state, codeIndex);
    for (int c = 0; c < 256; ++c) {
        const bool letter = (c >= 65 && c <= 90) || (c >= 97 && c <= 122) || (c >= 35 && c <= 37);
        w.word1[c] = letter || (c >= 48 && c <= 57);
        w.word2[c] = letter;
    }
    auto clause = [&](int c) { w.clause[c] = true; };
    // Sentence punctuation ends a walk from word to word; a line break, a tab and the other
    // punctuation only separate words.
    for (int c = 0; c < 32; ++c)
        if (c != '\t' && c != '\n' && c != '\r')
            clause(c);
    for (int c : {'!', ',', '.', ':', ';', '?'})
        clause(c);
    if (codeIndex == kCodeAnsi) {
        for (int c : {130, 133, 161})
            clause(c);
        for (int c : {140, 156, 170, 176, 186})
            w.word1[c] = w.word2[c] = true;
        for (int c = 192; c <= 255; ++c)
            if (c != 215 && c != 247)
                w.word1[c] = w.word2[c] = true;
    }
    if (codeIndex <= kCodeAscii) {
        for (int e = 0; e < 52; ++e) {
            const std::string& r = row.CodeTable[0][e];
            if (r.size() == 1 && !isApostropheOrHyphenEntry(e)) {
                const unsigned char c = static_cast<unsigned char>(r[0]);
                w.word1[c] = w.word2[c] = true;
            }
        }
    } else {
        // The bytes of the code's special letters belong to words.
        for (int t = 0; t < 2; ++t)
            for (int e = 0; e < 52; ++e)
                if (!isApostropheOrHyphenEntry(e))
                    for (char ch : row.CodeTable[t][e]) {
                        const unsigned char c = static_cast<unsigned char>(ch);
                        w.word1[c] = w.word2[c] = true;
                    }
        for (char ch : row.CodeDelimiters) {
            const unsigned char c = static_cast<unsigned char>(ch);
            if (c != row.CodeSpaceCode && !w.word1[c])
                clause(c);
        }
    }
    const int blank =
        codeIndex <= kCodeAscii ? ' ' : (row.CodeSpaceCode > 0 ? row.CodeSpaceCode : ' ');
    w.blank = static_cast<unsigned char>(blank);
    w.word1[w.blank] = w.word2[w.blank] = false;
    w.clause[w.blank] = false;
    for (int c : {39, 146}) {
        w.apostrophe[c] = true;
        w.word1[c] = w.word2[c] = false;
    }
    return w;
}

std::string ExtractContext(const ProgramState& state, int codeIndex, std::string_view text,
                           unsigned char tagOpen, unsigned char tagClose) {
    const CodeRow& row = codeRowOf(state, codeIndex);
    const unsigned char blankCode =
        codeIndex <= kCodeAscii
            ? ' '
            : static_cast<unsigned char>(row.CodeSpaceCode > 0 ? row.CodeSpaceCode : ' ');
    const bool translate = state.LanguageIndex != 0 && codeIndex != kCodeAnsi;
    const CodeRow& ansi = codeRowOf(state, kCodeAnsi);
    const bool allTranslated = translate && codeIndex >= kFirstCodeFile;
    // Written through a pointer: every byte of the text gives at most one byte, except a
    // special letter replaced by its ANSI form, which makes room for itself.
    std::string out(text.size(), '\0');
    char* o = out.data();
    bool lastBlank = false;
    const std::size_t n = text.size();
    if (tagOpen == 0 && !translate && blankCode == ' ') {
        // Plain text: without branches on the data, as blanks stand at random.
        unsigned lastBlank1 = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned c = static_cast<unsigned char>(text[i]);
            const unsigned blank = (c - 1u) < 32u; // 1 .. 32: a blank or a control character
            const unsigned nul = c == 0;
            *o = static_cast<char>(c ^ ((c ^ ' ') & (0u - blank)));
            o += (nul | (blank & lastBlank1)) ^ 1u;
            lastBlank1 = blank | (lastBlank1 & nul);
        }
        out.resize(static_cast<std::size_t>(o - out.data()));
        return out;
    }
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        // The common case: a plain character, copied.
        if (c > ' ' && c != tagOpen && c != blankCode &&
            !(translate && (c > 126 || allTranslated))) {
            *o++ = static_cast<char>(c);
            lastBlank = false;
            ++i;
            continue;
        }
        if (c == 0) {
            ++i;
            continue;
        }
        if (tagOpen != 0 && c == tagOpen) {
            std::size_t j = i + 1;
            while (j < n && static_cast<unsigned char>(text[j]) != tagClose && text[j] != '\r')
                ++j;
            i = j < n && static_cast<unsigned char>(text[j]) == tagClose ? j + 1 : j;
            if (!lastBlank)
                *o++ = ' ';
            lastBlank = true;
            continue;
        }
        if (c == blankCode || c == ' ' || c < 32) {
            if (!lastBlank)
                *o++ = ' ';
            lastBlank = true;
            ++i;
            continue;
        }
        // The longest representation of a special letter that stands here.
        std::size_t bestLength = 0;
        int bestEntry = -1;
        const int tables = codeIndex >= kFirstCodeFile ? 2 : 1;
        for (int t = 0; t < tables; ++t)
            for (int e = 0; e < 52; ++e) {
                const std::string& r = row.CodeTable[t][e];
                if (!r.empty() && r.size() > bestLength && text.substr(i, r.size()) == r &&
                    (r.size() > 1 || static_cast<unsigned char>(r[0]) > 126)) {
                    bestLength = r.size();
                    bestEntry = e;
                }
            }
        if (bestEntry >= 0 && !ansi.CodeTable[0][bestEntry].empty()) {
            const std::string& replacement = ansi.CodeTable[0][bestEntry];
            const std::size_t written = static_cast<std::size_t>(o - out.data());
            const std::size_t needed = written + replacement.size() + (n - i - bestLength);
            if (needed > out.size()) {
                out.resize(needed);
                o = out.data() + written;
            }
            std::memcpy(o, replacement.data(), replacement.size());
            o += replacement.size();
            lastBlank = false;
            i += bestLength;
            continue;
        }
        *o++ = static_cast<char>(c);
        lastBlank = false;
        ++i;
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

std::string DetectLineBreak(std::string_view firstBlock, bool htmlMode) {
    if (firstBlock.find("\r\n") != std::string_view::npos)
        return "\r\n";
    if (firstBlock.find('\n') != std::string_view::npos)
        return "\n";
    if (firstBlock.find('\r') != std::string_view::npos)
        return "\r";
    if (htmlMode && findText(firstBlock, "<br>", false) != std::string_view::npos)
        return "<br>";
    return {};
}

bool ExcludeStringHolds(std::string_view line, std::size_t matchColumn,
                        std::string_view matchedText, std::string_view exclude,
                        bool caseSensitive) {
    // The longest beginning of the matched text that the exclude string holds.
    for (std::size_t n = std::min(matchedText.size(), exclude.size()); n > 0; --n) {
        const std::size_t offset = findText(exclude, matchedText.substr(0, n), caseSensitive);
        if (offset == std::string_view::npos)
            continue;
        if (offset > matchColumn)
            return false;
        const std::size_t start = matchColumn - offset;
        if (start + exclude.size() > line.size())
            return false;
        return equalText(line.substr(start, exclude.size()), exclude, caseSensitive);
    }
    return false;
}

bool TagMatches(std::string_view tag, std::string_view text, bool caseSensitive) {
    // Iterative glob with one back-up point for the last "*".
    std::size_t t = 0, s = 0, star = std::string_view::npos, mark = 0;
    auto same = [&](char a, char b) {
        return caseSensitive ? a == b
                             : lowerCp1252(static_cast<unsigned char>(a)) ==
                                   lowerCp1252(static_cast<unsigned char>(b));
    };
    while (s < text.size()) {
        if (t < tag.size() && (tag[t] == '?' || (tag[t] != '*' && same(tag[t], text[s])))) {
            ++t;
            ++s;
        } else if (t < tag.size() && tag[t] == '*') {
            star = t++;
            mark = s;
        } else if (star != std::string_view::npos) {
            t = star + 1;
            s = ++mark;
        } else {
            return false;
        }
    }
    while (t < tag.size() && tag[t] == '*')
        ++t;
    return t == tag.size();
}

int SearchFiles(ProgramState& state, const ScanPattern& pattern, const ScanContext& context,
                ScanCounts& counts, SearchObserver& observer, Prompter& prompter) {
    Scan scan(state, pattern, context, counts, observer, prompter);
    return scan.run();
}

} // namespace lexmora
