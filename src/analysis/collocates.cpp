#include "analysis/collocates.h"

#include "analysis/corpus_counter.h"
#include "analysis/corpus_counts.h"
#include "analysis/hit_walk.h"
#include "analysis/messages.h"
#include "core/file_io.h"
#include "core/text_codec.h"
#include "wordcount/word_rules.h"

#include <algorithm>
#include <cerrno>
#include <numeric>
#include <optional>

namespace lexmora {

namespace {

// What the windows hold of one word.
struct WindowWord {
    std::uint32_t id = 0;
    std::int64_t o = 0, left = 0, right = 0, range = 0;
    std::int64_t places = 0; // distinct text positions among the o
    std::int64_t lastFile = -1, lastHit = -1;
    std::array<std::int64_t, 2 * kProfileSide> profile{};
};

// Counts the words of every hit's window, one file at a time.
class WindowTally {
public:
    explicit WindowTally(const CollocatesRequest& request) : m_request(request) {}

    void visit(const FileWords& file, std::span<const PlacedHit> hits, std::size_t vocabulary) {
        m_slotOf.resize(vocabulary, kNone);
        if (m_countCorpus) {
            m_corpus.resize(vocabulary, 0);
            for (const std::uint32_t id : file.words)
                ++m_corpus[id];
            m_tokens += static_cast<std::int64_t>(file.words.size());
        }
        m_seen.assign(file.words.size(), false);
        for (const PlacedHit& hit : hits) {
            countWindow(file, hit);
            ++m_hitIndex;
        }
        ++m_fileIndex;
    }

    void countCorpus(bool on) { m_countCorpus = on; }
    bool countsCorpus() const { return m_countCorpus; }
    std::int64_t windowTokens() const { return m_r1; }
    std::int64_t hitCount() const { return m_hitIndex; }
    std::int64_t corpusTokens() const { return m_tokens; }
    std::vector<std::int64_t> corpusFreq() const { return {m_corpus.begin(), m_corpus.end()}; }
    const std::vector<WindowWord>& words() const { return m_words; }
    // Calls f(slot, hit number) for each hit a word stands in the window of, in walk order.
    template <class F> void forEachHitOfSlot(F f) const {
        for (const auto& chunk : m_hitChunks)
            for (const auto& [slot, hit] : chunk)
                f(slot, hit);
    }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    // The words of the hit's window, bounded by the file's ends and, when asked, by the ends of
    // the hit's sentence. The hit's own words are not in it.
    void countWindow(const FileWords& file, const PlacedHit& hit) {
        const std::size_t n = file.words.size();
        const std::size_t first = hit.first;
        const std::size_t last = hit.count > 0 ? first + hit.count - 1 : first;
        std::size_t low = 0, high = n;
        if (m_request.stopAtSentence) {
            const auto& starts = file.sentenceStarts;
            auto after = std::upper_bound(starts.begin(), starts.end(), first);
            low = after == starts.begin() ? 0 : *(after - 1);
            after = std::upper_bound(starts.begin(), starts.end(), last);
            high = after == starts.end() ? n : *after;
        }
        const std::size_t left = static_cast<std::size_t>(m_request.left);
        const std::size_t from = std::max(low, first > left ? first - left : 0);
        for (std::size_t i = from; i < first; ++i)
            add(file.words[i], i, hit, true, first - i);
        const std::size_t start = std::min<std::size_t>(first + hit.count, n);
        const std::size_t end =
            std::min({high, n, start + static_cast<std::size_t>(m_request.right)});
        for (std::size_t i = start; i < end; ++i)
            add(file.words[i], i, hit, false, i - start + 1);
        m_r1 += static_cast<std::int64_t>(first - std::min(from, first)) +
                static_cast<std::int64_t>(end > start ? end - start : 0);
    }

    void add(std::uint32_t id, std::size_t at, const PlacedHit& hit, bool leftSide,
             std::size_t distance) {
        std::uint32_t& slot = m_slotOf[id];
        if (slot == kNone) {
            slot = static_cast<std::uint32_t>(m_words.size());
            m_words.push_back({});
            m_words.back().id = id;
        }
        WindowWord& w = m_words[slot];
        ++w.o;
        if (!m_seen[at]) {
            m_seen[at] = true;
            ++w.places;
        }
        ++(leftSide ? w.left : w.right);
        if (distance <= static_cast<std::size_t>(kProfileSide))
            ++w.profile[leftSide ? kProfileSide - distance : kProfileSide + distance - 1];
        if (w.lastFile != m_fileIndex) {
            w.lastFile = m_fileIndex;
            ++w.range;
        }
        if (w.lastHit != m_hitIndex) {
            w.lastHit = m_hitIndex;
            if (m_request.keepHits)
                keepHit(slot, static_cast<std::uint32_t>(hit.record));
        }
    }

    // The pairs run into the millions for a frequent keyword: kept in chunks that never move,
    // for a vector grown by doubling would copy them and touch twice the memory.
    void keepHit(std::uint32_t slot, std::uint32_t record) {
        constexpr std::size_t kChunkPairs = std::size_t{1} << 16;
        if (m_hitChunks.empty() || m_hitChunks.back().size() == kChunkPairs) {
            m_hitChunks.emplace_back();
            m_hitChunks.back().reserve(kChunkPairs);
        }
        m_hitChunks.back().emplace_back(slot, record);
    }

    const CollocatesRequest& m_request;
    bool m_countCorpus = false;
    std::vector<std::uint32_t> m_slotOf; // by vocabulary id
    std::vector<WindowWord> m_words;
    std::vector<std::uint32_t> m_corpus; // by vocabulary id, when the corpus is the walked files
    std::vector<bool> m_seen;            // the file's word positions counted so far
    std::vector<std::vector<std::pair<std::uint32_t, std::uint32_t>>> m_hitChunks;
    std::int64_t m_tokens = 0, m_r1 = 0, m_hitIndex = 0, m_fileIndex = 0;
};

// One collocate that passed the thresholds, with its scores.
struct Candidate {
    std::uint32_t slot = 0;
    std::int64_t fc = 0;
    CollocateScores scores;
    double key = 0; // the chosen measure
};

struct Selection {
    std::vector<Candidate> rows;
    std::vector<std::string> mismatches; // words with fc < O
    std::int64_t overlapped = 0;         // listed with O21 taken as 0
};

std::vector<bool> stopWordIds(const CollocatesRequest& request, const Vocabulary& vocabulary) {
    std::vector<bool> stop(vocabulary.size(), false);
    for (const std::string& word : request.stopWords)
        if (const auto id = vocabulary.find(LowerCp1252(word)))
            stop[*id] = true;
    return stop;
}

// The collocates that pass the stop list, the thresholds and the significance cut, scored.
Selection selectCollocates(const CollocatesRequest& request, const WindowTally& tally,
                           const CorpusCounts& corpus, const Vocabulary& vocabulary) {
    const std::vector<bool> stop = stopWordIds(request, vocabulary);
    Selection out;
    const auto& words = tally.words();
    for (std::uint32_t slot = 0; slot < words.size(); ++slot) {
        const WindowWord& w = words[slot];
        const std::string& spelling = vocabulary.spelling(w.id);
        // Numbers are tokens but never words of the list.
        if (stop[w.id] || BucketOfFirst(static_cast<unsigned char>(spelling[0])) == kDigitBucket)
            continue;
        const std::int64_t fc = w.id < corpus.freq.size() ? corpus.freq[w.id] : 0;
        const bool overlapped = w.o > fc && w.places <= fc;
        const auto scores = ScoreCollocate(
            {w.o, fc, tally.hitCount(), tally.windowTokens(), corpus.tokens, overlapped});
        if (!scores) {
            out.mismatches.push_back(spelling);
            continue;
        }
        if (w.o < request.minFreq || fc < request.minCollFreq || w.range < request.minRange)
            continue;
        if (request.significantOnly && scores->ll < kSignificantLL)
            continue;
        out.overlapped += overlapped ? 1 : 0;
        out.rows.push_back({slot, fc, *scores, scores->of(request.measure, w.o)});
    }
    return out;
}

// By the measure, descending; ties by O, then alphabetically.
void sortCandidates(std::vector<Candidate>& rows, const WindowTally& tally,
                    const Vocabulary& vocabulary) {
    const auto& words = tally.words();
    std::sort(rows.begin(), rows.end(), [&](const Candidate& a, const Candidate& b) {
        if (a.key != b.key)
            return a.key > b.key;
        if (words[a.slot].o != words[b.slot].o)
            return words[a.slot].o > words[b.slot].o;
        return CompareWords(vocabulary.spelling(words[a.slot].id),
                            vocabulary.spelling(words[b.slot].id)) < 0;
    });
}

Row tableRow(const Candidate& c, const WindowWord& w, const std::string& spelling) {
    const CollocateScores& s = c.scores;
    return {spelling, w.o,   w.left, w.right, w.range, c.fc,      s.expected,
            s.mi,     s.mi3, s.t,    s.z,     s.ll,    s.logDice, s.logRatio};
}

// The rows' hits, from the (slot, hit) pairs of the walk: counted per row, then placed.
RowHits hitsOfRows(const std::vector<Candidate>& rows, const WindowTally& tally) {
    constexpr std::uint32_t kNoRow = 0xFFFFFFFF;
    std::vector<std::uint32_t> rowOfSlot(tally.words().size(), kNoRow);
    for (std::size_t r = 0; r < rows.size(); ++r)
        rowOfSlot[rows[r].slot] = static_cast<std::uint32_t>(r);
    std::vector<std::uint32_t> starts(rows.size() + 1, 0);
    tally.forEachHitOfSlot([&](std::uint32_t slot, std::uint32_t) {
        if (rowOfSlot[slot] != kNoRow)
            ++starts[rowOfSlot[slot] + 1];
    });
    for (std::size_t r = 1; r < starts.size(); ++r)
        starts[r] += starts[r - 1];
    std::vector<std::uint32_t> hits(starts.back());
    std::vector<std::uint32_t> next(starts.begin(), starts.end() - 1);
    tally.forEachHitOfSlot([&](std::uint32_t slot, std::uint32_t hit) {
        if (rowOfSlot[slot] != kNoRow)
            hits[next[rowOfSlot[slot]]++] = hit;
    });
    // The walk gives a file's hits in record order and the files in the order of their first
    // hits, so a row's hits are nearly always ascending already.
    for (std::size_t r = 0; r + 1 < starts.size(); ++r) {
        const auto from = hits.begin() + starts[r], to = hits.begin() + starts[r + 1];
        if (!std::is_sorted(from, to))
            std::sort(from, to);
    }
    return RowHits(std::move(starts), std::move(hits));
}

std::string examplesOf(std::vector<std::string> words) {
    std::sort(words.begin(), words.end());
    std::string out;
    for (std::size_t i = 0; i < words.size() && i < 10; ++i)
        out += (i ? ", " : "") + words[i];
    return out + (words.size() > 10 ? ", ..." : ".");
}

// The corpus files, counted ahead while the hits were walked, finished for the windows' words
// only, the only ones a row reads: the files left are looked up in a table of some thousands
// of words, which stays in the cache, not in one of the whole vocabulary of the files with hits.
Result<CorpusCounts> countWindowWordsIn(CorpusCounter& counter, const WindowTally& tally,
                                        const Vocabulary& vocabulary, RunControl* control) {
    Vocabulary windowWords; // its ids are the tally's slots: the words are told in slot order
    for (const WindowWord& w : tally.words())
        windowWords.idOf(vocabulary.spelling(w.id));
    Result<CorpusCounts> counted = counter.finish(windowWords, control);
    if (!counted)
        return counted;
    std::vector<std::int64_t> freq(vocabulary.size(), 0);
    for (std::size_t slot = 0; slot < tally.words().size(); ++slot)
        freq[tally.words()[slot].id] = counted->freq[slot];
    counted->freq = std::move(freq);
    return counted;
}

Result<CorpusCounts> corpusOf(const CollocatesRequest& request, CorpusCounter* counter,
                              const WindowTally& tally, const Vocabulary& vocabulary,
                              RunControl* control) {
    if (!request.wordList.empty())
        return CountFromWordList(request.wordList, vocabulary);
    if (counter)
        return countWindowWordsIn(*counter, tally, vocabulary, control);
    CorpusCounts counts;
    counts.tokens = tally.corpusTokens();
    counts.freq = tally.corpusFreq();
    counts.notes.push_back(analysis::msg::CorpusIsFilesWithHits().text);
    return counts;
}

} // namespace

const std::vector<Column>& CollocateColumns() {
    static const std::vector<Column> columns = [] {
        std::vector<Column> c = {{"collocate", ColumnKind::Text}};
        for (const char* name : {"freq", "freq_left", "freq_right", "range", "coll_freq"})
            c.push_back({name, ColumnKind::Integer});
        for (const char* name : {"expected", "MI", "MI3", "T", "Z", "LL", "logDice", "LogRatio"})
            c.push_back({name, ColumnKind::Real});
        return c;
    }();
    return columns;
}

Status CheckCollocatesRequest(const CollocatesRequest& request) {
    if (request.left < 0 || request.right < 0 || request.left > kMaxSpan ||
        request.right > kMaxSpan)
        return Failure(analysis::msg::SpanOutOfRange(), FailureCode::InvalidInput);
    if (request.left == 0 && request.right == 0)
        return Failure(analysis::msg::SpanBothZero(), FailureCode::InvalidInput);
    return Status::success();
}

Result<std::vector<std::string>> ReadStopList(const std::string& path) {
    errno = 0;
    const auto bytes = readFileBytes(path);
    if (!bytes)
        return Failure(analysis::msg::StopListUnreadable(path, errno ? errno : ENOENT),
                       FailureCode::CannotOpen, errno);
    const std::string text = SourceTextOf(*bytes);
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line = std::string_view(text).substr(at, end - at);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        if (!line.empty())
            words.emplace_back(line);
        at = end + 1;
    }
    return words;
}

Result<CollocatesResult> ComputeCollocates(const CollocatesRequest& request, RunControl* control) {
    if (Status checked = CheckCollocatesRequest(request); !checked)
        return checked.failure();
    static const ProgramState defaults;
    const ProgramState& state = request.state ? *request.state : defaults;
    Vocabulary vocabulary;
    WindowTally tally(request);
    tally.countCorpus(request.wordList.empty() && request.corpusFiles.empty());
    // The corpus files are counted on a thread of their own while the hits are walked.
    std::optional<CorpusCounter> corpusCounter;
    if (request.wordList.empty() && !request.corpusFiles.empty()) {
        corpusCounter.emplace(state, request.corpusFiles);
        corpusCounter->start();
    }
    std::optional<ExtraPauseTick> pausing;
    if (corpusCounter && control)
        pausing.emplace(*control, [&] { corpusCounter->hold(); });
    HitWalkRequest walkRequest{request.resultPath, request.records, &state};
    // Counting the files with hits takes every word; else only the windows' words are read.
    if (!tally.countsCorpus()) {
        walkRequest.cut = WalkCut::Windows;
        walkRequest.reach = static_cast<std::uint32_t>(std::max(request.left, request.right));
    }
    Result<HitWalkSummary> walked = WalkHitFiles(
        walkRequest, vocabulary,
        [&](const FileWords& file, std::span<const PlacedHit> hits) {
            tally.visit(file, hits, vocabulary.size());
            if (corpusCounter)
                corpusCounter->resume(); // the walk's poll went on
        },
        control);
    pausing.reset();
    if (!walked)
        return walked.failure();
    if (tally.hitCount() == 0 && walked->hitsLeftOut == 0)
        return Failure(analysis::msg::NoHitsToWalk(), FailureCode::EmptyFile);
    Result<CorpusCounts> corpus =
        corpusOf(request, corpusCounter ? &*corpusCounter : nullptr, tally, vocabulary, control);
    if (!corpus)
        return corpus.failure();
    Selection selected = selectCollocates(request, tally, *corpus, vocabulary);
    sortCandidates(selected.rows, tally, vocabulary);
    if (request.top && selected.rows.size() > *request.top)
        selected.rows.resize(*request.top);

    CollocatesResult result;
    result.table.columns = CollocateColumns();
    result.table.notes = walked->notes;
    result.table.notes.insert(result.table.notes.end(), corpus->notes.begin(), corpus->notes.end());
    if (!selected.mismatches.empty())
        result.table.notes.push_back(
            analysis::msg::WordListMismatch(static_cast<std::int64_t>(selected.mismatches.size()),
                                            examplesOf(selected.mismatches))
                .text);
    if (selected.overlapped > 0)
        result.table.notes.push_back(analysis::msg::OverlappedCollocates(selected.overlapped).text);
    for (const Candidate& c : selected.rows) {
        const WindowWord& w = tally.words()[c.slot];
        result.table.rows.push_back(tableRow(c, w, vocabulary.spelling(w.id)));
        result.profiles.push_back(w.profile);
    }
    if (request.keepHits)
        result.hits = hitsOfRows(selected.rows, tally);
    result.corpusTokens = corpus->tokens;
    result.windowTokens = tally.windowTokens();
    result.hitCount = tally.hitCount();
    return result;
}

} // namespace lexmora
