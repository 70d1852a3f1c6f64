#include "viewer/result_viewer.h"

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

bool preadAll(int fd, char* buffer, std::size_t size, std::uint64_t offset) {
    while (size > 0) {
        const ssize_t got = ::pread(fd, buffer, size, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return false;
        buffer += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

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

Result<ResultViewer> ResultViewer::open(const std::string& path, Prompter& prompter,
                                        ViewerOptions options) {
    ResultViewer v;
    v.m_path = path;
    const std::string name = FileNameOf(path);
    v.m_fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!v.m_fd.valid() || ::fstat(v.m_fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = v.m_fd.valid() ? EISDIR : errno;
        return msg::CannotOpenFile(!options.firstFile, std::strerror(error));
    }
    v.m_fileLength = static_cast<std::uint64_t>(st.st_size);

    if (v.m_fileLength == 0) {
        // Only the empty file itself and, for a result set, its log and summary are removed:
        // another file of the same base name may hold anything.
        v.m_fd.reset();
        ::unlink(path.c_str());
        if (equalsNoCase(ExtensionOf(name), ".dmp")) {
            ::unlink(LogPathFor(path).c_str());
            ::unlink(SummaryPathFor(path).c_str());
        }
        return msg::EmptyFile();
    }

    // The first line: a header record is never longer than the largest record length.
    const std::size_t probe =
        static_cast<std::size_t>(std::min<std::uint64_t>(v.m_fileLength, kMaxRecordLength + 2));
    std::string start(probe, '\0');
    if (!preadAll(v.m_fd.get(), start.data(), probe, 0))
        return msg::CannotOpenFile(!options.firstFile, std::strerror(errno ? errno : EIO));
    const std::size_t binaryProbe =
        std::min<std::size_t>(probe, std::min<std::size_t>(kBinaryProbe, v.m_fileLength - 1));
    if (std::memchr(start.data(), '\0', binaryProbe) != nullptr)
        return msg::NotAResultFile(name);
    const std::size_t lineEnd = start.find("\r\n");
    if (lineEnd == std::string::npos)
        return msg::NotAResultFile(name);
    const std::string_view firstLine = std::string_view(start).substr(0, lineEnd);

    const std::size_t lengthLabel = firstLine.empty() || firstLine[0] != '#'
                                        ? std::string_view::npos
                                        : firstLine.find("##Recordlength");
    if (lengthLabel != std::string_view::npos) {
        v.m_hasHeader = true;
        v.m_ownResult = firstLine.substr(0, 3) == "#32";
        const long long length = numberAt(firstLine, lengthLabel + 17);
        if (length <= kRecordTrailerLength || length > kMaxRecordLength)
            return msg::DamagedFile(name, "its header gives the record length " +
                                              std::to_string(length) + ".");
        if (static_cast<long long>(lineEnd) + 2 != length)
            return msg::DamagedFile(name, "its header gives the record length " +
                                              std::to_string(length) +
                                              ", but its first record is " +
                                              std::to_string(lineEnd + 2) + " bytes long.");
        v.m_recordLength = static_cast<int>(length);
        v.m_textWidth = TextFieldWidth(v.m_recordLength);
        const std::size_t leftLabel = firstLine.find("##LeftContext");
        const long long left =
            leftLabel == std::string_view::npos ? 0 : numberAt(firstLine, leftLabel + 16);
        if (left < 0 || left + 6 > v.m_textWidth)
            return msg::DamagedFile(name, "its left context of " + std::to_string(left) +
                                              " does not fit records of " + std::to_string(length) +
                                              " bytes.");
        v.m_leftContext = static_cast<int>(left);
        const std::size_t kw = firstLine.rfind("##Keyword   ");
        const std::size_t fs = firstLine.rfind("##Findstring");
        std::size_t label = std::string_view::npos;
        if (kw != std::string_view::npos && (fs == std::string_view::npos || kw > fs))
            label = kw;
        else if (fs != std::string_view::npos)
            label = fs;
        // The keyword runs to the end of the text field: a keyword may hold blanks.
        if (label != std::string_view::npos && label + 15 < static_cast<std::size_t>(v.m_textWidth))
            v.m_keyword = std::string(trim(firstLine.substr(
                label + 15, static_cast<std::size_t>(v.m_textWidth) - (label + 15))));
    } else {
        v.m_recordLength = static_cast<int>(lineEnd + 2);
        v.m_textWidth = v.m_recordLength - 2;
        if (v.m_recordLength > kMaxRecordLength)
            return msg::NotAResultFile(name);
    }

    const std::uint64_t length = static_cast<std::uint64_t>(v.m_recordLength);
    const std::uint64_t total = v.m_fileLength / length;
    if (total > 0xFFFFFFF0ull)
        return msg::NotAResultFile(name);
    v.m_recordTotal = static_cast<std::int64_t>(total);
    // A record out of place means the header lies or the file lost bytes: no record is shown
    // as right when it is not.
    {
        std::string last(length, '\0');
        if (!preadAll(v.m_fd.get(), last.data(), length, (total - 1) * length) ||
            !endsWithCrLf(last))
            return msg::DamagedFile(name, "its records are not " + std::to_string(length) +
                                              " bytes long as its first record is.");
    }
    if (const std::uint64_t extra = v.m_fileLength % length; extra != 0)
        prompter.tell(msg::IncompleteLastRecord(name, extra));

    if (v.m_recordTotal > kScrollBarRange) {
        v.m_scrollScale = static_cast<double>(v.m_recordTotal) / kScrollBarRange;
        v.m_scrollScaled = true;
    }
    v.m_stepN = std::clamp(options.stepN, 1, kMaxStepN);
    const std::int64_t indexCount = (v.m_recordTotal - 1) / v.m_stepN + 1;
    const auto freeBytes = options.freeMemory ? options.freeMemory() : std::nullopt;
    v.m_wantMemory = indexCount <= kInMemoryCapacity && freeBytes &&
                     static_cast<double>(*freeBytes) >
                         static_cast<double>(v.m_recordTotal) * v.m_recordLength * 1.5;
    v.buildIndex();
    return v;
}

bool ResultViewer::loadIntoMemory() {
    m_memory.clear();
    const std::size_t length = static_cast<std::size_t>(m_recordLength);
    m_memory.reserve(m_index.size() * length);
    std::size_t loaded = 0;
    for (std::uint32_t record : m_index) {
        const std::size_t at = m_memory.size();
        m_memory.resize(at + length);
        if (!preadAll(m_fd.get(), m_memory.data() + at, length,
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
    m_cache.resize(static_cast<std::size_t>(count) * length);
    m_cacheCount = 0;
    if (!preadAll(m_fd.get(), m_cache.data(), m_cache.size(),
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
            const bool sequential = record > m_lastRead && record <= m_lastRead + 64;
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

void ResultViewer::Sort(SortMode mode, int leftPos, int rightPos, int rightContext) {
    if (mode == SortMode::None || m_index.size() < 2)
        return;
    const std::size_t n = m_index.size() - 1;
    // Keys are built in file order so that records on disk are read in large blocks.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> order(n); // record, key slot
    for (std::size_t i = 0; i < n; ++i)
        order[i] = {m_index[i + 1], static_cast<std::uint32_t>(i)};
    std::sort(order.begin(), order.end());
    // Built aside and taken over at the end: a sort that fails half-way (memory) leaves the
    // index, the keys and the last sort as they were.
    std::vector<SortKey> keys(n);
    KeyArena arena;
    const int column = KeywordColumn();
    const int rightLimit = m_leftContext + 4 + std::max(rightContext, 0);
    for (const auto& [record, slot] : order) {
        const std::string_view text = readRecord(record);
        const auto start = FindKeyStart(text, column, m_textWidth, leftPos, rightPos, rightLimit);
        SortKey key;
        key.offset = arena.size();
        AppendKeyText(arena.bytes(), text, start, m_textWidth, mode);
        key.length = arena.size() - key.offset;
        key.record = record;
        keys[slot] = key;
    }
    for (auto& key : keys)
        key.prefix = KeyPrefix(arena.view(key), mode);
    SortKeysQuick(keys, arena, mode);
    for (std::size_t i = 0; i < n; ++i)
        m_index[i + 1] = keys[i].record;
    m_keys = std::move(keys);
    m_keyArena = std::move(arena);
    m_sorted = true;
    m_sortMode = mode;
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
}

Result<Collocation> ResultViewer::Collocate() const {
    if (m_sortMode == SortMode::None)
        return viewer::msg::CollocationNeedsSort();
    std::vector<std::string> words;
    words.reserve(m_keys.size());
    for (const auto& key : m_keys) {
        std::string word = CollocateWord(m_keyArena.view(key), m_sortMode);
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
        result.collocates.push_back({words[i], count});
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
    --m_changeCount;
    return true;
}

void ResultViewer::RestoreAllDeletions() {
    buildIndex();
}

} // namespace lexmora
