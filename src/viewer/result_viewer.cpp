#include "viewer/result_viewer.h"

#include "core/file_io.h"
#include "core/paths.h"
#include "search/result_files.h"
#include "viewer/messages.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora {

namespace {

namespace msg = viewer::msg;

constexpr std::size_t kBlockBytes = 1 << 18;
constexpr std::size_t kBinaryProbe = 32767;

// The numeric value of the text at `from`, as a number is read after a label: leading blanks
// skipped, digits up to the first non-digit; 0 when there are none.
long long numberAt(std::string_view line, std::size_t from) {
    if (from >= line.size())
        return 0;
    std::size_t i = from;
    while (i < line.size() && line[i] == ' ')
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) {
        negative = line[i] == '-';
        ++i;
    }
    long long value = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9' && value < 1000000000)
        value = value * 10 + (line[i++] - '0');
    return negative ? -value : value;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

bool endsWithCrLf(std::string_view record) {
    return record.size() >= 2 && record[record.size() - 2] == '\r' && record.back() == '\n';
}

} // namespace

std::optional<std::uint64_t> FreePhysicalMemory() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    std::uint64_t value = 0;
    std::string unit;
    while (in >> key >> value) {
        std::getline(in, unit);
        if (key == "MemAvailable:")
            return value * 1024;
    }
    return std::nullopt;
}

ScreenGeometry ViewerScreenGeometry(int screenHeightPixels, ScreenGeometry current) {
    if (screenHeightPixels == 480 || screenHeightPixels == 600 || screenHeightPixels == 768)
        return {22, 86};
    if (screenHeightPixels > 768)
        return {23, 86};
    return current;
}

std::string LogFileFor(const std::string& resultPath) {
    const std::string folder = FolderOf(resultPath);
    const std::string name = FileNameOf(resultPath);
    std::string logName;
    if (equalsNoCase(StripExtension(name), "dumpfile"))
        logName = "dumplog" + (name.size() >= 4 ? name.substr(name.size() - 4) : name);
    else
        logName = StripExtension(name) + ".log";
    return folder.empty() ? logName : JoinPath(folder, logName);
}

namespace {

// This program's result-file names: "*.dmp" or "dumpfile.*".
bool hasResultFileName(const std::string& path) {
    const std::string name = FileNameOf(path);
    return equalsNoCase(ExtensionOf(name), ".dmp") ||
           equalsNoCase(StripExtension(name), "dumpfile");
}

// A regular file (not reached through a link) that holds nothing.
bool isEmptyRegularFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
}

} // namespace

bool OfferEmptyFileDeletion(const std::string& path, Prompter& prompter) {
    // Only a result file's name, only a file that is still empty, and only when the user says so:
    // anything else may be a file the user keeps.
    if (!hasResultFileName(path) || !isEmptyRegularFile(path))
        return false;
    if (prompter.ask(msg::DeleteEmptyFile(FileNameOf(path))) != Answer::Yes)
        return false;
    if (::unlink(path.c_str()) != 0)
        return false;
    // Its log and summary go with it only when they are empty too: a log holding entries is
    // what is left of a run, and no file of the same base name is taken on its name alone.
    for (const std::string& companion : {LogFileFor(path), LogPathFor(path), SummaryPathFor(path)})
        if (companion != path && isEmptyRegularFile(companion))
            ::unlink(companion.c_str());
    return true;
}

namespace {

// The keyword of a header: after whichever of "##Keyword   " and "##Findstring" stands further
// right, to the end of the text field (a keyword may hold blanks), trimmed.
std::string keywordOfHeader(std::string_view firstLine, int textWidth) {
    const std::size_t kw = firstLine.rfind("##Keyword   ");
    const std::size_t fs = firstLine.rfind("##Findstring");
    std::size_t label = std::string_view::npos;
    if (kw != std::string_view::npos && (fs == std::string_view::npos || kw > fs))
        label = kw;
    else if (fs != std::string_view::npos)
        label = fs;
    const auto width = static_cast<std::size_t>(textWidth);
    if (label == std::string_view::npos || label + 15 >= width)
        return {};
    return std::string(trim(firstLine.substr(label + 15, width - (label + 15))));
}

Failure cannotOpen(const std::string& path, const ViewerOptions& options, int error) {
    return Failure(msg::CannotOpenFile(FileNameOf(path), !options.firstFile, std::strerror(error)),
                   FailureCode::CannotOpen, error);
}

Failure notAResultFile(const std::string& name) {
    return Failure(msg::NotAResultFile(name), FailureCode::NotAResultFile);
}

Failure damagedFile(const std::string& name, const std::string& why) {
    return Failure(msg::DamagedFile(name, why), FailureCode::DamagedFile);
}

} // namespace

Result<ResultViewer> ResultViewer::open(const std::string& path, Prompter& prompter,
                                        ViewerOptions options) {
    ResultViewer v;
    v.m_path = path;
    if (const Status opened = v.openFile(options); !opened)
        return opened.failure();
    if (v.m_fileLength == 0)
        return Failure(msg::EmptyFile(), FailureCode::EmptyFile);
    const Result<std::string> firstLine = v.readFirstLine(options);
    if (!firstLine)
        return firstLine.failure();
    if (const Status laid = v.readLayout(*firstLine); !laid)
        return laid.failure();
    if (const Status counted = v.countRecords(prompter); !counted)
        return counted.failure();
    v.planIndex(options);
    v.buildIndex();
    return v;
}

Status ResultViewer::openFile(const ViewerOptions& options) {
    // O_NONBLOCK: a FIFO named like a result file is refused at once instead of waiting for a
    // writer (it changes nothing for a regular file).
    m_fd = UniqueFd(::open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (!m_fd.valid() || ::fstat(m_fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return cannotOpen(m_path, options,
                          !m_fd.valid()         ? errno
                          : S_ISDIR(st.st_mode) ? EISDIR
                                                : EINVAL);
    m_fileLength = static_cast<std::uint64_t>(st.st_size);
    return {};
}

Result<std::string> ResultViewer::readFirstLine(const ViewerOptions& options) {
    const std::string name = FileNameOf(m_path);
    // A header record is never longer than the largest record length.
    const std::size_t probe =
        static_cast<std::size_t>(std::min<std::uint64_t>(m_fileLength, kMaxRecordLength + 2));
    std::string start(probe, '\0');
    if (!readAllAt(m_fd.get(), start.data(), probe, 0))
        return cannotOpen(m_path, options, errno ? errno : EIO);
    const std::size_t binaryProbe =
        std::min<std::size_t>(probe, std::min<std::size_t>(kBinaryProbe, m_fileLength - 1));
    if (std::memchr(start.data(), '\0', binaryProbe) != nullptr)
        return notAResultFile(name);
    const std::size_t lineEnd = start.find("\r\n");
    if (lineEnd == std::string::npos)
        return notAResultFile(name);
    start.resize(lineEnd);
    return start;
}

Status ResultViewer::readLayout(std::string_view firstLine) {
    const std::size_t lengthLabel = firstLine.empty() || firstLine[0] != '#'
                                        ? std::string_view::npos
                                        : firstLine.find("##Recordlength");
    if (lengthLabel != std::string_view::npos)
        return readHeader(firstLine, lengthLabel);
    // A plain line file: every line as long as the first.
    m_recordLength = static_cast<int>(firstLine.size() + 2);
    m_textWidth = m_recordLength - 2;
    if (m_recordLength > kMaxRecordLength)
        return notAResultFile(FileNameOf(m_path));
    return {};
}

Status ResultViewer::readHeader(std::string_view firstLine, std::size_t lengthLabel) {
    const std::string name = FileNameOf(m_path);
    m_hasHeader = true;
    m_ownResult = firstLine.substr(0, 3) == "#32";
    const long long length = numberAt(firstLine, lengthLabel + 17);
    if (length <= kRecordTrailerLength || length > kMaxRecordLength)
        return damagedFile(name,
                           "its header gives the record length " + std::to_string(length) + ".");
    if (static_cast<long long>(firstLine.size()) + 2 != length)
        return damagedFile(name, "its header gives the record length " + std::to_string(length) +
                                     ", but its first record is " +
                                     std::to_string(firstLine.size() + 2) + " bytes long.");
    m_recordLength = static_cast<int>(length);
    m_textWidth = TextFieldWidth(m_recordLength);
    const std::size_t leftLabel = firstLine.find("##LeftContext");
    const long long left =
        leftLabel == std::string_view::npos ? 0 : numberAt(firstLine, leftLabel + 16);
    if (left < 0 || left + 6 > m_textWidth)
        return damagedFile(name, "its left context of " + std::to_string(left) +
                                     " does not fit records of " + std::to_string(length) +
                                     " bytes.");
    m_leftContext = static_cast<int>(left);
    m_keyword = keywordOfHeader(firstLine, m_textWidth);
    return {};
}

Status ResultViewer::countRecords(Prompter& prompter) {
    const std::string name = FileNameOf(m_path);
    const std::uint64_t length = static_cast<std::uint64_t>(m_recordLength);
    const std::uint64_t total = m_fileLength / length;
    if (total > 0xFFFFFFF0ull)
        return notAResultFile(name);
    m_recordTotal = static_cast<std::int64_t>(total);
    // A record out of place means the header lies or the file lost bytes: no record is shown
    // as right when it is not.
    std::string last(length, '\0');
    if (!readAllAt(m_fd.get(), last.data(), length, (total - 1) * length) || !endsWithCrLf(last))
        return damagedFile(name, "its records are not " + std::to_string(length) +
                                     " bytes long as its first record is.");
    if (const std::uint64_t extra = m_fileLength % length; extra != 0)
        prompter.tell(msg::IncompleteLastRecord(name, extra));
    return {};
}

void ResultViewer::planIndex(const ViewerOptions& options) {
    if (m_recordTotal > kScrollBarRange) {
        m_scrollScale = static_cast<double>(m_recordTotal) / kScrollBarRange;
        m_scrollScaled = true;
    }
    m_stepN = std::clamp(options.stepN, 1, kMaxStepN);
    const std::int64_t indexCount = (m_recordTotal - 1) / m_stepN + 1;
    const auto freeBytes = options.freeMemory ? options.freeMemory() : std::nullopt;
    m_wantMemory =
        indexCount <= kInMemoryCapacity && freeBytes &&
        static_cast<double>(*freeBytes) > static_cast<double>(m_recordTotal) * m_recordLength * 1.5;
}

bool ResultViewer::loadIntoMemory() {
    m_memory.clear();
    const std::size_t length = static_cast<std::size_t>(m_recordLength);
    m_memory.reserve(m_index.size() * length);
    std::size_t loaded = 0;
    for (std::uint32_t record : m_index) {
        const std::size_t at = m_memory.size();
        m_memory.resize(at + length);
        if (!readAllAt(m_fd.get(), m_memory.data() + at, length,
                       static_cast<std::uint64_t>(record - 1) * length) ||
            !endsWithCrLf(std::string_view(m_memory).substr(at, length))) {
            m_memory.resize(at);
            break; // a read error ends the loading: only the records read are shown
        }
        ++loaded;
    }
    m_index.resize(loaded);
    return loaded > 0;
}

void ResultViewer::buildIndex() {
    ++m_orderGeneration;
    m_index.clear();
    m_index.reserve(static_cast<std::size_t>((m_recordTotal - 1) / m_stepN + 1));
    for (std::int64_t r = 1; r <= m_recordTotal; r += m_stepN)
        m_index.push_back(static_cast<std::uint32_t>(r));
    m_inMemory = false;
    if (m_wantMemory)
        m_inMemory = loadIntoMemory();
    if (!m_inMemory && m_index.empty())
        for (std::int64_t r = 1; r <= m_recordTotal; r += m_stepN)
            m_index.push_back(static_cast<std::uint32_t>(r));
    m_cacheCount = 0;
    m_sorted = false;
    m_sortMode = SortMode::None;
    m_levels.clear();
    m_keys.clear();
    m_keyArena.clear();
    m_lastDeleted.reset();
    m_changeCount = 0;
}

std::string_view ResultViewer::damaged() {
    ++m_damagedSeen;
    return kDamagedRecordText;
}

bool ResultViewer::readBlock(std::uint32_t record, bool sequential) {
    const std::size_t length = static_cast<std::size_t>(m_recordLength);
    std::uint64_t count = 1;
    if (sequential)
        count = std::max<std::uint64_t>(1, kBlockBytes / length);
    count = std::min<std::uint64_t>(count, static_cast<std::uint64_t>(m_recordTotal) - record + 1);
    // The buffer only grows: a sorted order reads one record, then a block, then one again, and
    // a string resized back up would clear the whole block each time.
    const std::size_t bytes = static_cast<std::size_t>(count) * length;
    if (m_cache.size() < bytes)
        m_cache.resize(std::max(bytes, (kBlockBytes / length) * length));
    m_cacheCount = 0;
    if (!readAllAt(m_fd.get(), m_cache.data(), bytes,
                   static_cast<std::uint64_t>(record - 1) * length))
        return false;
    m_cacheFirst = record;
    m_cacheCount = static_cast<std::uint32_t>(count);
    return true;
}

std::string_view ResultViewer::readRecord(std::uint32_t record) {
    if (record < 1 || record > m_recordTotal)
        return damaged();
    const std::size_t length = static_cast<std::size_t>(m_recordLength);
    std::string_view bytes;
    if (m_inMemory) {
        const std::size_t slot = (record - 1) / static_cast<std::uint32_t>(m_stepN);
        if ((slot + 1) * length > m_memory.size())
            return damaged();
        bytes = std::string_view(m_memory).substr(slot * length, length);
    } else {
        if (m_cacheCount == 0 || record < m_cacheFirst || record >= m_cacheFirst + m_cacheCount) {
            // Two steps forward in a row read ahead a block; a sorted order jumps about and
            // reads single records, not a block for each near jump.
            const bool forward = record > m_lastRead && record <= m_lastRead + 64;
            const bool sequential = forward && m_forwardReads > 0;
            m_forwardReads = forward ? m_forwardReads + 1 : 0;
            if (!readBlock(record, sequential))
                return damaged();
        }
        bytes = std::string_view(m_cache).substr((record - m_cacheFirst) * length, length);
    }
    m_lastRead = record;
    if (!endsWithCrLf(bytes))
        return damaged();
    return bytes.substr(0, length - 2);
}

std::string_view ResultViewer::GetRecord(std::int64_t position) {
    if (position < 1 || position > IndexCount())
        return damaged();
    return readRecord(recordAt(position));
}

void ResultViewer::VisitRecords(std::int64_t first, std::int64_t last,
                                const std::function<bool(std::int64_t, std::string_view)>& visit) {
    first = std::max<std::int64_t>(first, 1);
    last = std::min(last, IndexCount());
    constexpr std::int64_t kBatch = 65536; // a few MB of records: few passes over the file
    std::vector<std::pair<std::uint32_t, std::uint32_t>> order; // record, place in the batch
    std::string bytes;
    for (std::int64_t start = first; start <= last; start += kBatch) {
        const std::int64_t end = std::min(last, start + kBatch - 1);
        if (m_inMemory) {
            for (std::int64_t p = start; p <= end; ++p)
                if (!visit(p, GetRecord(p)))
                    return;
            continue;
        }
        // Lines in file order (no sort, or one undone) are read ahead a block at a time and
        // handed on from it, not copied.
        const auto from = m_index.begin() + (start - 1), to = m_index.begin() + end;
        if (std::is_sorted(from, to)) {
            for (std::int64_t p = start; p <= end; ++p)
                if (!visit(p, readRecord(recordAt(p))))
                    return;
            continue;
        }
        order.clear();
        for (std::int64_t p = start; p <= end; ++p)
            order.emplace_back(recordAt(p), static_cast<std::uint32_t>(p - start));
        std::sort(order.begin(), order.end());
        bytes.clear();
        std::vector<std::pair<std::size_t, std::size_t>> place(order.size()); // offset, size
        for (const auto& [record, slot] : order) {
            const std::string_view text = readRecord(record);
            place[slot] = {bytes.size(), text.size()};
            bytes.append(text);
        }
        for (std::size_t slot = 0; slot < place.size(); ++slot)
            if (!visit(start + static_cast<std::int64_t>(slot),
                       std::string_view(bytes).substr(place[slot].first, place[slot].second)))
                return;
    }
}

std::string_view ResultViewer::kwicText(std::string_view record) const {
    std::string_view text = record.substr(
        0, std::min<std::size_t>(record.size(), static_cast<std::size_t>(m_textWidth)));
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

void ResultViewer::Reindex(int stepN) {
    m_stepN = std::clamp(stepN, 1, kMaxStepN);
    const std::int64_t indexCount = (m_recordTotal - 1) / m_stepN + 1;
    if (indexCount > kInMemoryCapacity)
        m_wantMemory = false;
    buildIndex();
}

SortKey ResultViewer::buildKey(std::uint32_t record, const KeyPlace& place, SortMode mode,
                               KeyArena& arena, std::string& scratch) {
    const std::string_view text = readRecord(record);
    const auto start = FindKeyStart(text, place.column, m_textWidth, place.leftPos, place.rightPos,
                                    place.rightLimit);
    scratch.clear();
    AppendKeyText(scratch, text, start, m_textWidth, mode);
    SortKey key;
    key.offset = arena.add(scratch);
    key.length = static_cast<std::uint32_t>(scratch.size());
    key.record = record;
    key.prefix = KeyPrefix(scratch, mode);
    return key;
}

struct ResultViewer::LevelScratch {
    std::string key, word, firstWord;
};

SortKey ResultViewer::buildLevelKey(std::uint32_t record, const std::vector<KeyPlace>& places,
                                    const std::vector<SortLevel>& levels, KeyArena& arena,
                                    LevelScratch& strings) {
    const std::string_view text = readRecord(record);
    std::string& scratch = strings.key;
    std::string& word = strings.word;
    std::string& firstWord = strings.firstWord;
    scratch.clear();
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const KeyPlace& place = places[i];
        const auto start = FindKeyStart(text, place.column, m_textWidth, place.leftPos,
                                        place.rightPos, place.rightLimit);
        word.clear();
        AppendLevelWord(word, text, start, m_textWidth, levels[i].mode);
        AppendPackedLevel(scratch, word, levels[i].mode);
        if (i == 0)
            firstWord = word;
    }
    // The first level's word as it reads rides behind the packed key, outside the part sorted
    // on: collocation counts it.
    const auto packed = static_cast<std::uint32_t>(scratch.size());
    scratch += firstWord;
    SortKey key;
    key.offset = arena.add(scratch);
    key.length = packed;
    key.record = record;
    key.prefix = KeyPrefix(std::string_view(scratch).substr(0, packed), SortMode::WordEnd);
    return key;
}

std::vector<SortKey> ResultViewer::buildKeys(const std::function<SortKey(std::uint32_t)>& make) {
    const std::size_t n = m_index.size() - 1;
    std::vector<SortKey> keys(n);
    // Keys are built in file order so that records on disk are read in large blocks; the index
    // holds each record once, so a table by record number gives that order unsorted.
    constexpr std::uint32_t kNoSlot = ~std::uint32_t{0};
    const std::uint32_t highest = *std::max_element(m_index.begin() + 1, m_index.end());
    std::vector<std::uint32_t> slotOf(std::size_t{highest} + 1, kNoSlot);
    for (std::size_t i = 0; i < n; ++i)
        slotOf[m_index[i + 1]] = static_cast<std::uint32_t>(i);
    for (std::uint32_t record = 0; record <= highest; ++record)
        if (slotOf[record] != kNoSlot)
            keys[slotOf[record]] = make(record);
    return keys;
}

void ResultViewer::Sort(SortMode mode, int leftPos, int rightPos, int rightContext) {
    Sort(std::vector<SortLevel>{{mode, leftPos, rightPos}}, rightContext);
}

void ResultViewer::Sort(const std::vector<SortLevel>& levels, int rightContext) {
    if (levels.empty() || levels.size() > kMaxSortLevels || m_index.size() < 2)
        return;
    for (const SortLevel& level : levels)
        if (level.mode == SortMode::None)
            return;
    // The last sort's keys go first, so that two sets of keys are never held at once. Should
    // this sort fail for memory, the index stays in the last order, without its keys.
    m_keys = {};
    m_keyArena.clear();
    m_sortMode = SortMode::None;
    m_levels.clear();
    const int rightLimit = m_leftContext + 4 + std::max(rightContext, 0);
    std::vector<KeyPlace> places;
    for (const SortLevel& level : levels)
        places.push_back({KeywordColumn(), level.leftPos, level.rightPos, rightLimit});
    KeyArena arena;
    std::string scratch;
    LevelScratch levelScratch;
    const bool oneLevel = levels.size() == 1;
    const auto make = [&](std::uint32_t record) {
        return oneLevel ? buildKey(record, places.front(), levels.front().mode, arena, scratch)
                        : buildLevelKey(record, places, levels, arena, levelScratch);
    };
    std::vector<SortKey> keys = buildKeys(make);
    if (oneLevel)
        SortKeysQuick(keys, arena, levels.front().mode);
    else
        SortKeysQuick(keys, arena, SortMode::WordEnd); // packed keys sort in binary order
    for (std::size_t i = 0; i < keys.size(); ++i)
        m_index[i + 1] = keys[i].record;
    // A deletion undone later brings its key back: it must point into this sort's keys.
    if (m_lastDeleted)
        m_lastDeleted->key = make(m_lastDeleted->record);
    m_keys = std::move(keys);
    m_keyArena = std::move(arena);
    m_sorted = true;
    ++m_orderGeneration;
    m_levels = levels;
    m_sortMode = levels.front().mode;
    m_sortLeft = levels.front().leftPos;
    m_sortRight = levels.front().rightPos;
    m_sortRightContext = rightContext;
}

std::string_view ResultViewer::firstLevelText(const SortKey& key) const {
    const std::string_view text = m_keyArena.view(key);
    if (m_levels.size() <= 1)
        return text;
    SortKey word = key; // the first level's word, stored just behind the packed key
    word.offset = key.offset + key.length;
    word.length = static_cast<std::uint32_t>(FirstPackedLength(text));
    return m_keyArena.view(word);
}

void ResultViewer::Unsort() {
    // Sorting by record number gives file order, with or without deletions: the same as
    // re-indexing when nothing was deleted, and deleted records stay away.
    if (m_index.size() > 2)
        std::sort(m_index.begin() + 1, m_index.end());
    // The keys follow the index, so that a collocation still counts the records shown.
    std::sort(m_keys.begin(), m_keys.end(),
              [](const SortKey& a, const SortKey& b) { return a.record < b.record; });
    m_sorted = false;
    ++m_orderGeneration;
}

namespace {

// The spelling of words[from, to) (equal but for case, sorted bytewise) that occurs most; of
// spellings as frequent the last in byte order, which is the one in lower case ("la", not "LA").
std::string commonestSpelling(const std::vector<std::string>& words, std::size_t from,
                              std::size_t to) {
    std::size_t best = from, bestCount = 0;
    for (std::size_t i = from; i < to;) {
        std::size_t j = i + 1;
        while (j < to && words[j] == words[i])
            ++j;
        if (j - i >= bestCount) {
            best = i;
            bestCount = j - i;
        }
        i = j;
    }
    return words[best];
}

} // namespace

Result<Collocation> ResultViewer::Collocate() const {
    if (m_sortMode == SortMode::None)
        return viewer::msg::CollocationNeedsSort();
    std::vector<std::string> words;
    words.reserve(m_keys.size());
    for (const auto& key : m_keys) {
        std::string word = CollocateWord(firstLevelText(key), m_sortMode);
        if (!word.empty())
            words.push_back(std::move(word));
    }
    std::sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
        const int c = CompareText(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    Collocation result;
    for (std::size_t i = 0; i < words.size();) {
        std::size_t j = i + 1;
        while (j < words.size() && CompareText(words[i], words[j]) == 0)
            ++j;
        const auto count = static_cast<std::int64_t>(j - i);
        result.collocates.push_back({commonestSpelling(words, i, j), count});
        result.largest = std::max(result.largest, count);
        result.smallest = result.smallest == 0 ? count : std::min(result.smallest, count);
        i = j;
    }
    return result;
}

std::int64_t ResultViewer::DeleteSelected(std::vector<std::int64_t> positions, Prompter& prompter) {
    // The header record never goes: a saved file must stay a result file.
    std::erase_if(positions, [&](std::int64_t p) { return p < 2 || p > IndexCount(); });
    std::sort(positions.begin(), positions.end(), std::greater<>());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    if (positions.empty())
        return 0;
    if (positions.size() > 1 && prompter.ask(viewer::msg::DeleteItems(
                                    static_cast<std::int64_t>(positions.size()))) != Answer::Yes)
        return 0;
    // Highest first, as the selection is walked: the last one deleted is the lowest position.
    const std::int64_t lowest = positions.back();
    DeletedRecord deleted;
    deleted.record = recordAt(lowest);
    deleted.position = lowest;
    if (!m_keys.empty())
        deleted.key = m_keys[static_cast<std::size_t>(lowest - 2)];
    // One pass over the index however many records go.
    std::vector<bool> gone(m_index.size(), false);
    for (std::int64_t p : positions)
        gone[static_cast<std::size_t>(p - 1)] = true;
    std::size_t out = 0;
    for (std::size_t i = 0; i < m_index.size(); ++i) {
        if (gone[i])
            continue;
        if (!m_keys.empty() && i >= 1)
            m_keys[out - 1] = m_keys[i - 1];
        m_index[out++] = m_index[i];
    }
    m_index.resize(out);
    if (!m_keys.empty())
        m_keys.resize(out - 1);
    m_lastDeleted = deleted;
    ++m_orderGeneration;
    m_changeCount += static_cast<int>(positions.size());
    return static_cast<std::int64_t>(positions.size());
}

bool ResultViewer::UndoLastDeletion() {
    if (m_changeCount == 0 || !m_lastDeleted)
        return false;
    const DeletedRecord& d = *m_lastDeleted;
    const std::int64_t position = std::min<std::int64_t>(d.position, IndexCount() + 1);
    m_index.insert(m_index.begin() + (position - 1), d.record);
    if (d.key && m_keys.size() + 2 == m_index.size())
        m_keys.insert(m_keys.begin() + (position - 2), *d.key);
    // Undone once: a second undo must not bring the same record back twice.
    m_lastDeleted.reset();
    ++m_orderGeneration;
    --m_changeCount;
    return true;
}

void ResultViewer::RestoreAllDeletions() {
    buildIndex();
}

} // namespace lexmora
