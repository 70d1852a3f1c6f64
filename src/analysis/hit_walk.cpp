#include "analysis/hit_walk.h"

#include "analysis/hit_finder.h"
#include "analysis/messages.h"
#include "analysis/source_bytes.h"
#include "codes/code_detect.h"
#include "codes/code_tables.h"
#include "core/file_io.h"
#include "core/paths.h"
#include "core/prompter.h"
#include "core/text_codec.h"
#include "search/context_text.h"
#include "search/hit_positions.h"
#include "search/result_files.h"
#include "viewer/messages.h"
#include "viewer/record_details.h"
#include "viewer/result_viewer.h"
#include "wordcount/count_source.h"
#include "wordcount/word_rules.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>

namespace lexmora {

namespace {

// Where the line-end hyphen joins took bytes out: from `at` in the joined text on, `removed`
// bytes in all were taken out before.
struct Join {
    std::size_t at;
    std::size_t removed;
};

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

// Folded words kept aside, in order, for the few of them to be numbered later.
struct StagedWords {
    std::string arena;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans; // offset in arena, length
    void clear() {
        arena.clear();
        spans.clear();
    }
    std::string_view operator[](std::size_t i) const {
        return std::string_view(arena).substr(spans[i].first, spans[i].second);
    }
};

// Takes the cutter's words with their offsets, folded and kept aside in `staged` (none: offsets
// only), and marks where sentences begin. A text may be cut in pieces, each fed from its own start:
// a piece's first word is never taken for a sentence start, for what stands before it is not read.
class OffsetSink {
public:
    OffsetSink(const WordRules& rules, StagedWords* staged, FileWords& out)
        : m_rules(rules), m_staged(staged), m_out(out) {}

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
        if (m_staged != nullptr) {
            if (m_out.offsets.size() > m_pieceFirst && sentenceEndBetween(m_end, offset))
                m_out.sentenceStarts.push_back(static_cast<std::uint32_t>(m_out.offsets.size()));
            std::string& folded = m_staged->arena;
            const std::size_t at = folded.size();
            folded.resize(at + word.size());
            // Through plain pointers: a store through the string's own would make the
            // compiler load its buffer again for every letter.
            char* const to = folded.data() + at;
            const auto* from = reinterpret_cast<const unsigned char*>(word.data());
            for (std::size_t k = 0; k < word.size(); ++k)
                to[k] = static_cast<char>(LowerCp1252(from[k]));
            m_staged->spans.emplace_back(static_cast<std::uint32_t>(at),
                                         static_cast<std::uint32_t>(word.size()));
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
    StagedWords* m_staged;
    FileWords& m_out;
    std::string_view m_text;
    std::size_t m_end = 0;        // just after the last word taken
    std::size_t m_pieceFirst = 0; // the index of the piece's first word
};

} // namespace

std::string SourceTextOf(std::string bytes) {
    std::string converted;
    const std::string_view text = SourceTextIn(bytes, converted);
    return text.data() == bytes.data() ? std::move(bytes) : std::move(converted);
}

// Room the walk keeps from file to file, so that a corpus of many files is not a run of
// allocations as large as each file.
struct CutBuffers {
    SourceBytes file;      // a source's bytes
    std::string converted; // and its text, when converted
    std::string block;
    std::vector<Join> joins;
    StagedWords staged; // the words of the stretches around hits, numbered only where read
};

namespace {

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
                std::size_t from, std::size_t to, StagedWords* staged, FileWords& out,
                CutBuffers& buffers) {
    // Room for the whole stretch and the cutter's slack at once: grown piece by piece, the
    // block would be copied (and its fresh pages faulted in) again and again.
    buffers.block.reserve(to - from + kCutterSlack);
    joinWithMap(text.substr(from, to - from), sep, buffers.block, buffers.joins);
    std::string& block = buffers.block;
    const std::size_t size = block.size();
    block.resize(size + kCutterSlack);
    const std::size_t firstWord = out.offsets.size();
    OffsetSink sink(rules, staged, out);
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

// The words are kept aside as they are cut and numbered all at once after, where the lookups
// can be asked for ahead of their turn.
void cutFileWordsInto(const WordRules& rules, std::string_view text, Vocabulary* vocabulary,
                      FileWords& out, CutBuffers& buffers) {
    clearWords(out);
    out.offsets.reserve(text.size() / 6);
    StagedWords* staged = vocabulary != nullptr ? &buffers.staged : nullptr;
    if (staged != nullptr)
        staged->clear();
    cutStretch(rules, text, detectSeparator(text.substr(0, kReadBlock)), 0, text.size(), staged,
               out, buffers);
    out.total = out.offsets.size();
    if (staged == nullptr)
        return;
    out.words.resize(out.total);
    vocabulary->idsOf(
        out.total, [staged](std::size_t i) { return (*staged)[i]; }, out.words.data());
}

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

// Cuts the stretches of text around the hits (offsets ascending): `before` words before each
// hit and `after` from it on. The bytes a stretch needs are guessed from the words wanted and
// doubled for a hit that falls short, until every hit has its words or the file's ends.
void cutAroundHits(const WordRules& rules, std::string_view text,
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
            cutFileWordsInto(rules, text, &vocabulary, out, buffers);
            return;
        }
        for (Stretch& s : stretches) {
            s.firstWord = out.offsets.size();
            cutStretch(rules, text, sep, s.from, s.to, &buffers.staged, out, buffers);
            s.endWord = out.offsets.size();
        }
        out.total = out.offsets.size();
        if (ats.empty() || hitsReached(out, stretches, text, ats, before, after, bytes)) {
            numberWindowWords(out, stretches, ats, before, after, buffers.staged, vocabulary);
            return;
        }
    }
}

} // namespace

FileWords CutFileWords(const ProgramState& state, std::string_view text, Vocabulary& vocabulary) {
    FileWords out;
    CutBuffers buffers;
    cutFileWordsInto(MakeWordRules(state), text, &vocabulary, out, buffers);
    return out;
}

namespace {

namespace vmsg = viewer::msg;

// The path of a log's source name on disk: names were written into the log as Windows-1252.
std::string diskPathOf(const std::string& logPath) {
    const std::string utf8 = cp1252ToUtf8(logPath);
    if (fileIsPresent(utf8))
        return utf8;
    return fileIsPresent(logPath) ? logPath : utf8;
}

// The hits of one source file, in record order, and the code its log entry names.
struct SourceGroup {
    std::string logPath; // as the log holds it
    int codeIndex = kCodeAnsi;
    std::vector<std::uint32_t> hits;   // hit numbers (1 = first hit)
    std::vector<std::int32_t> entries; // the log entries that name it
};

// Hits the walk is to place: every hit, or those the request names.
std::vector<bool> wantedHits(const HitWalkRequest& request, std::int64_t hitTotal) {
    std::vector<bool> wanted(static_cast<std::size_t>(hitTotal) + 1, !request.records);
    if (request.records)
        for (const std::int64_t r : *request.records)
            if (r >= 1 && r <= hitTotal)
                wanted[static_cast<std::size_t>(r)] = true;
    return wanted;
}

struct Grouping {
    std::vector<SourceGroup> groups; // in the order their first hits come
    std::int64_t damaged = 0;
};

// The hits grouped by the source file their log entries name; a log missing or of another run
// fails.
Result<Grouping> groupHits(ResultViewer& viewer, const HitWalkRequest& request,
                           const ProgramState& state) {
    const std::string log = LogFileFor(viewer.path());
    const std::string logName = utf8ToCp1252(FileNameOf(log));
    const auto logBytes = fileIsPresent(log) ? readFileBytes(log) : std::nullopt;
    if (!logBytes)
        return Failure(vmsg::LogNotFound(logName), FailureCode::LogNotFound);
    const std::int64_t hitTotal = viewer.RecordTotal() - 1;
    const std::vector<bool> wanted = wantedHits(request, hitTotal);
    Grouping out;
    std::map<std::int32_t, std::size_t> groupOfEntry;
    std::map<std::string, std::size_t> groupOfPath;
    for (std::int64_t hit = 1; hit <= hitTotal; ++hit) {
        if (!wanted[static_cast<std::size_t>(hit)])
            continue;
        const std::string_view record = viewer.readRecord(static_cast<std::uint32_t>(hit + 1));
        const DumpRecordFields fields = SplitDumpRecord(record, viewer.RecordLength());
        if (record == kDamagedRecordText || !fields.logEntryNumber) {
            ++out.damaged;
            continue;
        }
        auto known = groupOfEntry.find(*fields.logEntryNumber);
        if (known == groupOfEntry.end()) {
            const auto entry = FindLogEntry(*logBytes, *fields.logEntryNumber);
            if (!entry)
                return Failure(vmsg::LogEntryMissing(logName, *fields.logEntryNumber),
                               FailureCode::DamagedFile);
            if (!equalsNoCase(entry->shortName, fields.shortName))
                return Failure(vmsg::LogEntryMismatch(logName, *fields.logEntryNumber),
                               FailureCode::DamagedFile);
            auto [place, added] = groupOfPath.emplace(entry->path, out.groups.size());
            if (added)
                out.groups.push_back(
                    {entry->path, CodeOfLogEntry(state, entry->dateAndCode), {}, {}});
            out.groups[place->second].entries.push_back(*fields.logEntryNumber);
            known = groupOfEntry.emplace(*fields.logEntryNumber, place->second).first;
        }
        out.groups[known->second].hits.push_back(static_cast<std::uint32_t>(hit));
    }
    return out;
}

// The number of words a hit covers: the keyword's words, as blanks part them.
std::uint32_t keywordWords(std::string_view keyword) {
    std::uint32_t words = 0;
    bool inWord = false;
    for (const char c : keyword) {
        const bool blank = c == ' ';
        if (!blank && !inWord)
            ++words;
        inWord = !blank;
    }
    return std::max<std::uint32_t>(words, 1);
}

// The keyword a hit belongs to, from the text it matched: its first word, cut before the first
// character that is no letter, digit or apostrophe and folded as the word list folds it, so that
// "The", "the," and "the-middle" are hits of one keyword while the keywords of one result set
// saved for several stay apart.
std::string keywordAtHit(std::string_view fromKeyword) {
    std::string word;
    for (const char c : fromKeyword) {
        const auto byte = static_cast<unsigned char>(c);
        const bool inWord = std::isalnum(byte) || byte >= 0xC0 || c == '\'' || byte == 0x92 ||
                            byte == 0x8A || byte == 0x8C || byte == 0x8E || byte == 0x9A ||
                            byte == 0x9C || byte == 0x9E || byte == 0x9F;
        if (!inWord || byte == 0xD7 || byte == 0xF7)
            break;
        word += static_cast<char>(LowerCp1252(byte));
    }
    return word.empty() ? std::string(fromKeyword.substr(0, fromKeyword.find(' '))) : word;
}

// A hit found in its source: its byte offset there.
struct FoundHit {
    std::uint32_t hit = 0;
    std::size_t at = 0;
    std::string keyword;
};

struct WalkContext {
    const ProgramState& state;
    ResultViewer& viewer;
    Vocabulary& vocabulary;
    const HitFileVisitor& visit;
    WalkCut cut = WalkCut::AllWords;
    std::uint32_t reach = 0;
    std::uint32_t keywordWords = 1;
    std::vector<FoundHit> found;   // room kept from file to file
    std::vector<PlacedHit> placed; // likewise
    std::vector<std::size_t> ats;  // the hits' offsets, ascending
    // Where the search saw each hit, when it kept that beside the result file.
    std::optional<HitPositions> positions;
};

// Places the hits of one file among its words; false when one of them is not in the text any
// more (the file changed since the search).
// The record's text from the keyword to the end of the word after it, cut before a hyphen: the
// search joined lines at a line-end hyphen in its contexts, which no fragment with the join in
// it finds in the source. Every occurrence of the keyword is a hit, so the first place after the
// last hit where it stands is this hit's.
RecordFragment keywordFragment(std::string_view fromKeyword) {
    std::size_t end = fromKeyword.find(' ');
    if (end != std::string_view::npos)
        end = fromKeyword.find(' ', end + 1);
    std::string_view piece = fromKeyword.substr(0, end);
    if (const std::size_t hyphen = piece.find('-', 1); hyphen != std::string_view::npos)
        piece = piece.substr(0, hyphen);
    return {std::string(piece), 0};
}

// True when the search's positions of the file's hits hold for the file as it is now: every log
// entry naming it was stamped with its present size, time and the text the walk reads.
bool positionsHold(const WalkContext& walk, const SourceGroup& group, const SourceStamp& now) {
    if (!walk.positions || now.kind == SourceTextKind::Unknown)
        return false;
    for (const std::int32_t entry : group.entries) {
        const auto stamp = walk.positions->entries.find(entry);
        if (stamp == walk.positions->entries.end() || !(stamp->second == now))
            return false;
    }
    return true;
}

// True when the record's keyword stands at `at` of the source: its first word's ASCII bytes
// (up to a blank or a byte a code or the result's code page may have changed) are there.
bool keywordStandsAt(std::string_view source, std::size_t at, std::string_view fromKeyword) {
    if (at >= source.size())
        return false;
    for (std::size_t k = 0; k < fromKeyword.size() && k < 16; ++k) {
        const auto c = static_cast<unsigned char>(fromKeyword[k]);
        if (c <= ' ' || c >= 0x7F)
            break;
        if (at + k >= source.size() || source[at + k] != fromKeyword[k])
            return false;
    }
    return true;
}

// Finds the hits of one file in its text (walk.found, in record order); returns the number not
// found in it (all of them: the file changed since the search). With `positions` the search's
// own offsets place the hits; a record's text is looked for only where one does not hold.
std::size_t findHits(WalkContext& walk, const SourceGroup& group, std::string_view source,
                     bool positions) {
    // Made at the first hit not placed by its position: making it reads the whole text.
    std::optional<HitFinder> finder;
    const std::size_t column = static_cast<std::size_t>(walk.viewer.KeywordColumn() - 1);
    walk.found.clear();
    std::size_t notFound = 0;
    for (const std::uint32_t hit : group.hits) {
        const std::string_view record = walk.viewer.readRecord(hit + 1);
        const std::string_view text = walk.viewer.kwicText(record);
        const std::string_view fromKeyword =
            column < text.size() ? text.substr(column) : std::string_view();
        if (positions) {
            const std::uint64_t at = walk.positions->hits[hit - 1];
            if (at != kNoHitPosition && keywordStandsAt(source, at, fromKeyword)) {
                walk.found.push_back(
                    {hit, static_cast<std::size_t>(at), keywordAtHit(fromKeyword)});
                continue;
            }
        }
        // The whole fragment is found in all but changed or oddly coded sources: the others
        // are made only when it is not.
        if (!finder)
            finder.emplace(walk.state, group.codeIndex, source);
        auto at = finder->find({FirstRecordFragment(text, column, fromKeyword)}, false);
        if (!at && !fromKeyword.empty() && fromKeyword.front() != ' ')
            at = finder->find({keywordFragment(fromKeyword)}, false);
        if (!at)
            at = finder->find(RecordFragments(text, column, fromKeyword));
        if (!at) {
            ++notFound;
            continue;
        }
        walk.found.push_back({hit, *at, keywordAtHit(fromKeyword)});
    }
    return notFound;
}

// Cuts the file's words as the walk's use needs them.
void cutForWalk(WalkContext& walk, const WordRules& rules, std::string_view source,
                FileWords& words, CutBuffers& buffers) {
    if (walk.cut != WalkCut::Windows) {
        Vocabulary* ids = walk.cut == WalkCut::AllWords ? &walk.vocabulary : nullptr;
        cutFileWordsInto(rules, source, ids, words, buffers);
        return;
    }
    walk.ats.clear();
    for (const FoundHit& f : walk.found)
        walk.ats.push_back(f.at);
    std::sort(walk.ats.begin(), walk.ats.end());
    cutAroundHits(rules, source, walk.ats, walk.reach, walk.reach + walk.keywordWords,
                  walk.vocabulary, words, buffers);
}

// Places the hits found among the file's words (walk.placed).
void placeHits(WalkContext& walk, const FileWords& words) {
    walk.placed.clear();
    for (FoundHit& f : walk.found) {
        const auto it = std::lower_bound(words.offsets.begin(), words.offsets.end(), f.at);
        PlacedHit placed;
        placed.record = f.hit;
        placed.first = static_cast<std::uint32_t>(it - words.offsets.begin());
        const bool onWord = it != words.offsets.end() && *it == f.at;
        placed.count = onWord ? std::min<std::uint32_t>(
                                    walk.keywordWords,
                                    static_cast<std::uint32_t>(words.offsets.size() - placed.first))
                              : 0;
        placed.keyword = std::move(f.keyword);
        walk.placed.push_back(std::move(placed));
    }
}

} // namespace

Result<HitWalkSummary> WalkHitFiles(const HitWalkRequest& request, Vocabulary& vocabulary,
                                    const HitFileVisitor& visit, RunControl* control) {
    static const ProgramState defaults;
    const ProgramState& state = request.state ? *request.state : defaults;
    SilentPrompter quiet;
    Result<ResultViewer> opened = ResultViewer::open(request.resultPath, quiet);
    if (!opened)
        return opened.failure();
    ResultViewer& viewer = *opened;
    if (!viewer.isOwnResultFile())
        return Failure(analysis::msg::NoSourcesInResultFile(FileNameOf(request.resultPath)),
                       FailureCode::NotAResultFile);
    Result<Grouping> grouping = groupHits(viewer, request, state);
    if (!grouping)
        return grouping.failure();
    HitWalkSummary summary;
    if (grouping->damaged > 0) {
        summary.hitsLeftOut += grouping->damaged;
        summary.notes.push_back(analysis::msg::DamagedRecordsLeftOut(grouping->damaged).text);
    }
    WalkContext walk{state,
                     viewer,
                     vocabulary,
                     visit,
                     request.cut,
                     request.reach,
                     keywordWords(viewer.ViewKeyword()),
                     {},
                     {},
                     {},
                     ReadHitPositions(viewer.path(),
                                      static_cast<std::uint64_t>(viewer.RecordTotal() - 1),
                                      viewer.RecordLength())};
    const WordRules rules = MakeWordRules(state);
    FileWords words;
    CutBuffers buffers;
    std::int64_t unfound = 0; // hits of files that are there, not found in them
    std::vector<std::string> unfoundFiles;
    for (const SourceGroup& group : grouping->groups) {
        if (control && control->poll() == RunStep::Stop)
            return Failure(analysis::msg::WalkStopped(), FailureCode::Cancelled);
        const std::string path = diskPathOf(group.logPath);
        summary.sourceFiles.push_back(path);
        SourceStamp stamp;
        // Hits placed by their positions need only the text around them.
        const std::size_t places =
            walk.cut == WalkCut::Windows && walk.positions ? group.hits.size() : 0;
        const std::optional<std::string_view> bytes = buffers.file.read(path, places, stamp);
        const bool read = bytes.has_value();
        const std::string_view source =
            read ? SourceTextIn(*bytes, buffers.converted, &stamp.kind) : "";
        const std::size_t notFound =
            read ? findHits(walk, group, source, positionsHold(walk, group, stamp))
                 : group.hits.size();
        if (notFound == group.hits.size()) {
            summary.hitsLeftOut += static_cast<std::int64_t>(group.hits.size());
            summary.filesLeftOut.push_back(group.logPath);
            continue;
        }
        if (notFound > 0) {
            unfound += static_cast<std::int64_t>(notFound);
            unfoundFiles.push_back(group.logPath);
        }
        cutForWalk(walk, rules, source, words, buffers);
        placeHits(walk, words);
        summary.tokens += static_cast<std::int64_t>(words.total);
        summary.hitsPlaced += static_cast<std::int64_t>(walk.placed.size());
        words.path = path;
        words.name = group.logPath;
        visit(words, walk.placed);
    }
    if (!summary.filesLeftOut.empty())
        summary.notes.push_back(analysis::msg::FilesLeftOut(summary.hitsLeftOut - grouping->damaged,
                                                            summary.filesLeftOut)
                                    .text);
    if (unfound > 0) {
        summary.hitsLeftOut += unfound;
        summary.notes.push_back(analysis::msg::HitsNotFound(unfound, unfoundFiles).text);
    }
    return summary;
}

} // namespace lexmora
