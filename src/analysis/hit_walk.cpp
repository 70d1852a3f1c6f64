#include "analysis/hit_walk.h"

#include "analysis/file_words_cut.h"

#include "analysis/hit_finder.h"
#include "analysis/messages.h"
#include "analysis/source_bytes.h"
#include "codes/code_detect.h"
#include "codes/code_tables.h"
#include "core/file_io.h"
#include "core/ordered_jobs.h"
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

constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;

// A word's first eight bytes, zero-padded.
std::uint64_t headOf(std::string_view word) {
    std::uint64_t v = 0;
    std::memcpy(&v, word.data(), std::min<std::size_t>(8, word.size()));
    return v;
}

// A hash of a short byte string from its head, then 8 bytes at a time.
std::uint64_t hashWord(std::string_view word, std::uint64_t head) {
    std::uint64_t h = (head ^ (word.size() * kMul)) * kMul;
    h ^= h >> 29;
    for (std::size_t i = 8; i < word.size(); i += 8) {
        std::uint64_t v = 0;
        std::memcpy(&v, word.data() + i, std::min<std::size_t>(8, word.size() - i));
        h = (h ^ v) * kMul;
        h ^= h >> 29;
    }
    return (h ^ (h >> 32)) * kMul;
}

} // namespace

std::size_t Vocabulary::slotOf(std::string_view folded, std::uint64_t head,
                               std::uint64_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.id == 0 || (slot.head == head && slot.length == folded.size() &&
                             (folded.size() <= 8 || m_spellings[slot.id - 1] == folded)))
            return i;
    }
}

void Vocabulary::grow() {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(std::max<std::size_t>(1024, old.size() * 2), Slot{});
    for (const Slot& slot : old)
        if (slot.id != 0) {
            const std::string& word = m_spellings[slot.id - 1];
            m_slots[slotOf(word, slot.head, hashWord(word, slot.head))] = slot;
        }
}

std::uint32_t Vocabulary::idOf(std::string_view folded) {
    if (2 * (m_spellings.size() + 1) > m_slots.size())
        grow();
    const std::uint64_t head = headOf(folded);
    Slot& slot = m_slots[slotOf(folded, head, hashWord(folded, head))];
    if (slot.id != 0)
        return slot.id - 1;
    const auto id = static_cast<std::uint32_t>(m_spellings.size());
    m_spellings.emplace_back(folded);
    slot = {head, id + 1, static_cast<std::uint32_t>(folded.size())};
    return id;
}

std::optional<std::uint32_t> Vocabulary::find(std::string_view folded) const {
    if (m_slots.empty())
        return std::nullopt;
    const std::uint64_t head = headOf(folded);
    const Slot& slot = m_slots[slotOf(folded, head, hashWord(folded, head))];
    if (slot.id == 0)
        return std::nullopt;
    return slot.id - 1;
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

// What every file's share of the walk reads, the same for all of them.
struct WalkShared {
    const ProgramState& state;
    const ResultViewer& viewer; // read only: the record layout
    int resultFd = -1;          // the result file, read by each job at its own offsets
    WordRules rules;
    WalkCut cut = WalkCut::AllWords;
    std::uint32_t reach = 0;
    std::uint32_t keywordWords = 1;
    std::size_t workerSpellings = 0;
    std::size_t column = 0; // the keyword's column in a record's text
    // Where the search saw each hit, when it kept that beside the result file.
    std::optional<HitPositions> positions;
};

// A result file's records read a block at a time by one job, apart from the viewer: record r
// stands at (r - 1) times the record length, and a file's hits come in runs of records.
class RecordBlocks {
public:
    // The record's KWIC text; empty when it cannot be read.
    std::string_view kwicText(const WalkShared& walk, std::uint32_t record) {
        const auto length = static_cast<std::size_t>(walk.viewer.RecordLength());
        if (record < m_first || record >= m_first + m_count) {
            constexpr std::size_t kBlockBytes = std::size_t{1} << 18;
            const auto total = static_cast<std::uint32_t>(walk.viewer.RecordTotal());
            m_count = std::min<std::uint32_t>(
                static_cast<std::uint32_t>(std::max<std::size_t>(1, kBlockBytes / length)),
                total - std::min(record, total) + 1);
            m_first = record;
            m_bytes.resize(m_count * length);
            if (!readAllAt(walk.resultFd, m_bytes.data(), m_bytes.size(),
                           static_cast<std::uint64_t>(record - 1) * length)) {
                m_count = 0;
                return {};
            }
        }
        const std::string_view bytes =
            std::string_view(m_bytes).substr((record - m_first) * length, length);
        if (bytes.size() < 2)
            return {};
        return walk.viewer.kwicText(bytes.substr(0, length - 2));
    }

private:
    std::string m_bytes;
    std::uint32_t m_first = 0;
    std::uint32_t m_count = 0;
};

// One source file's share of the walk: done by a worker, apart from the thread that numbers the
// words and visits the files. Its room is kept from file to file.
struct FileJob {
    const SourceGroup* group = nullptr;
    std::string path;
    RecordBlocks records;
    bool read = false;
    std::size_t notFound = 0; // hits not found in the file
    std::vector<FoundHit> found;
    std::vector<std::size_t> ats; // the found hits' offsets, ascending
    FileWords words;              // numbered in `spellings`, until the walk numbers them
    std::vector<PlacedHit> placed;
    CutBuffers* buffers = nullptr; // the room of the worker doing it
    // The words are numbered where they are cut, by a vocabulary of the job's own (a slot's jobs
    // are done one at a time), and given the walk's numbers when they come back. It is begun
    // afresh when it grows large, so that its room stays small beside the walk's.
    Vocabulary spellings;
    bool spellingsBegunAfresh = false;
    std::vector<std::uint32_t> walkIds; // the walk's number of each of its words, or kNoWord
};

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
bool positionsHold(const WalkShared& walk, const SourceGroup& group, const SourceStamp& now) {
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

// Finds the job's hits in its text (job.found, in record order); returns the number not found
// in it (all of them: the file changed since the search). With `positions` the search's own
// offsets place the hits; a record's text is looked for only where one does not hold.
std::size_t findHits(const WalkShared& walk, FileJob& job, std::string_view source,
                     bool positions) {
    // Made at the first hit not placed by its position: making it reads the whole text.
    std::optional<HitFinder> finder;
    const std::size_t column = walk.column;
    const SourceGroup& group = *job.group;
    job.found.clear();
    std::size_t notFound = 0;
    for (const std::uint32_t hit : group.hits) {
        const std::string_view text = job.records.kwicText(walk, hit + 1);
        const std::string_view fromKeyword =
            column < text.size() ? text.substr(column) : std::string_view();
        if (positions) {
            const std::uint64_t at = walk.positions->hits[hit - 1];
            if (at != kNoHitPosition && keywordStandsAt(source, at, fromKeyword)) {
                job.found.push_back({hit, static_cast<std::size_t>(at), keywordAtHit(fromKeyword)});
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
        job.found.push_back({hit, *at, keywordAtHit(fromKeyword)});
    }
    return notFound;
}

// Cuts the file's words as the walk's use needs them.
void cutForWalk(const WalkShared& walk, FileJob& job, std::string_view source) {
    job.spellingsBegunAfresh = job.spellings.size() > walk.workerSpellings;
    if (job.spellingsBegunAfresh)
        job.spellings = Vocabulary();
    if (walk.cut != WalkCut::Windows) {
        Vocabulary* ids = walk.cut == WalkCut::AllWords ? &job.spellings : nullptr;
        CutAllWords(walk.rules, source, ids, job.words, *job.buffers);
        return;
    }
    job.ats.clear();
    for (const FoundHit& f : job.found)
        job.ats.push_back(f.at);
    std::sort(job.ats.begin(), job.ats.end());
    CutAroundHits(walk.rules, source, job.ats, walk.reach, walk.reach + walk.keywordWords,
                  job.spellings, job.words, *job.buffers);
}

// Gives the job's words the walk's numbers, in text order, so that the walk's vocabulary numbers
// spellings in the order the files, one after another, first hold them.
void numberInWalk(FileJob& job, Vocabulary& vocabulary) {
    if (job.spellingsBegunAfresh)
        job.walkIds.clear();
    job.walkIds.resize(job.spellings.size(), kNoWord);
    for (std::uint32_t& id : job.words.words) {
        if (id == kNoWord)
            continue;
        std::uint32_t& walkId = job.walkIds[id];
        if (walkId == kNoWord)
            walkId = vocabulary.idOf(job.spellings.spelling(id));
        id = walkId;
    }
}

// Places the hits found among the file's words (job.placed).
void placeHits(const WalkShared& walk, FileJob& job) {
    const std::vector<std::uint64_t>& offsets = job.words.offsets;
    job.placed.clear();
    for (FoundHit& f : job.found) {
        const auto it = std::lower_bound(offsets.begin(), offsets.end(), f.at);
        PlacedHit placed;
        placed.record = f.hit;
        placed.first = static_cast<std::uint32_t>(it - offsets.begin());
        const bool onWord = it != offsets.end() && *it == f.at;
        placed.count =
            onWord
                ? std::min<std::uint32_t>(walk.keywordWords,
                                          static_cast<std::uint32_t>(offsets.size() - placed.first))
                : 0;
        placed.keyword = std::move(f.keyword);
        job.placed.push_back(std::move(placed));
    }
}

// Reads, finds and cuts one file: the part of the walk done apart from the result file.
void walkFile(const WalkShared& walk, FileJob& job) {
    const SourceGroup& group = *job.group;
    SourceStamp stamp;
    // Hits placed by their positions need only the text around them.
    const std::size_t places =
        walk.cut == WalkCut::Windows && walk.positions ? group.hits.size() : 0;
    const std::optional<std::string_view> bytes = job.buffers->file.read(job.path, places, stamp);
    job.read = bytes.has_value();
    job.placed.clear();
    if (!job.read) {
        job.notFound = group.hits.size();
        return;
    }
    const std::string_view source = SourceTextIn(*bytes, job.buffers->converted, &stamp.kind);
    job.notFound = findHits(walk, job, source, positionsHold(walk, group, stamp));
    if (job.notFound == group.hits.size())
        return;
    cutForWalk(walk, job, source);
    placeHits(walk, job);
}

// Threads that read and cut the sources while the calling thread numbers the words and visits:
// two at most, for the calling thread has its share.
std::size_t walkWorkers() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 1 ? 2 : 0;
}

} // namespace

std::string SourceTextOf(std::string bytes) {
    std::string converted;
    const std::string_view text = SourceTextIn(bytes, converted);
    return text.data() == bytes.data() ? std::move(bytes) : std::move(converted);
}

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
    const WalkShared walk{state,
                          viewer,
                          viewer.descriptor(),
                          MakeWordRules(state),
                          request.cut,
                          request.reach,
                          keywordWords(viewer.ViewKeyword()),
                          request.workerSpellings,
                          static_cast<std::size_t>(viewer.KeywordColumn() - 1),
                          ReadHitPositions(viewer.path(),
                                           static_cast<std::uint64_t>(viewer.RecordTotal() - 1),
                                           viewer.RecordLength())};
    std::int64_t unfound = 0; // hits of files that are there, not found in them
    std::vector<std::string> unfoundFiles;
    bool stopped = false;
    const auto finish = [&](std::size_t, FileJob& job) {
        const SourceGroup& group = *job.group;
        summary.sourceFiles.push_back(job.path);
        if (job.notFound == group.hits.size()) {
            summary.hitsLeftOut += static_cast<std::int64_t>(group.hits.size());
            summary.filesLeftOut.push_back(group.logPath);
        } else {
            if (job.notFound > 0) {
                unfound += static_cast<std::int64_t>(job.notFound);
                unfoundFiles.push_back(group.logPath);
            }
            numberInWalk(job, vocabulary);
            FileWords& words = job.words;
            summary.tokens += static_cast<std::int64_t>(words.total);
            summary.hitsPlaced += static_cast<std::int64_t>(job.placed.size());
            words.path = job.path;
            words.name = group.logPath;
            visit(words, job.placed);
        }
        stopped = control && control->poll() == RunStep::Stop;
        return !stopped;
    };
    if (control && control->poll() == RunStep::Stop)
        return Failure(analysis::msg::WalkStopped(), FailureCode::Cancelled);
    OrderedJobs<FileJob> jobs(walkWorkers(), walkWorkers() + 1);
    std::vector<CutBuffers> room(std::max<std::size_t>(1, walkWorkers()));
    const std::optional<CaughtFailure> failed = jobs.run(
        grouping->groups.size(),
        [&](std::size_t g, FileJob& job) {
            job.group = &grouping->groups[g];
            job.path = diskPathOf(job.group->logPath);
        },
        [&](FileJob& job, std::size_t worker) {
            job.buffers = &room[worker];
            walkFile(walk, job);
        },
        finish);
    if (failed)
        return Failure(analysis::msg::WalkFailed(failed->why),
                       failed->outOfMemory ? FailureCode::OutOfMemory : FailureCode::Unspecified);
    if (stopped && summary.sourceFiles.size() < grouping->groups.size())
        return Failure(analysis::msg::WalkStopped(), FailureCode::Cancelled);
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
