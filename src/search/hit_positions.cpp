#include "search/hit_positions.h"

#include "core/folders.h"
#include "core/paths.h"
#include "core/program_location.h"
#include "search/result_files.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora {

namespace {

constexpr std::size_t kEntryBytes = 24;
// No log holds more entries than this (numbers up to the highest, with room for one more).
constexpr std::uint64_t kLogEntries = kMaxLogEntryNumber + 1;
constexpr std::size_t kTrailerBytes = 56;
// The files the cache keeps at most: the oldest go first.
constexpr std::size_t kKeptFiles = 256;
constexpr std::string_view kMagic = "LXHITPOS";
constexpr std::size_t kFlushAt = 1 << 16;

void putLE(char* out, std::uint64_t v, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i)
        out[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint64_t getLE(const char* in, std::size_t bytes) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        v |= std::uint64_t{static_cast<unsigned char>(in[i])} << (8 * i);
    return v;
}

std::int64_t modifiedNsOf(const struct stat& info) {
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

// The dump's path as the cache knows it: with links resolved, so that every way of naming the
// dump finds the same file.
std::string fullPathOf(const std::string& path) {
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) != nullptr)
        return buffer;
    return AbsolutePath(path);
}

std::string cacheFolder() {
    return JoinPath(UserCacheFolder(), "hits");
}

// FNV-1a, 64 bits: a file name for a path (the path itself is checked on reading).
std::string nameFor(std::string_view path) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const char c : path)
        h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    static const char digits[] = "0123456789abcdef";
    std::string name(16, '0');
    for (int i = 15; i >= 0; --i, h >>= 4)
        name[static_cast<std::size_t>(i)] = digits[h & 15];
    return name + ".pos";
}

// Keeps the cache to its last kKeptFiles files.
void pruneCache(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    std::vector<std::pair<std::int64_t, std::string>> files;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat info {};
        const std::string path = JoinPath(folder, name);
        if (name.ends_with(".pos") && ::stat(path.c_str(), &info) == 0)
            files.emplace_back(modifiedNsOf(info), path);
    }
    ::closedir(dir);
    if (files.size() <= kKeptFiles)
        return;
    std::sort(files.begin(), files.end());
    for (std::size_t i = 0; i + kKeptFiles < files.size(); ++i)
        ::unlink(files[i].second.c_str());
}

} // namespace

std::string HitPositionsPathFor(const std::string& dumpPath) {
    return JoinPath(cacheFolder(), nameFor(fullPathOf(dumpPath)));
}

void ForgetHitPositions(const std::string& dumpPath) {
    ::unlink(HitPositionsPathFor(dumpPath).c_str());
}

std::optional<SourceStamp> StampOfFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return SourceStamp{static_cast<std::uint64_t>(info.st_size), modifiedNsOf(info),
                       SourceTextKind::Unknown};
}

HitPositionsWriter::HitPositionsWriter(std::string dumpPath)
    : m_dumpPath(std::move(dumpPath)), m_fullDumpPath(fullPathOf(m_dumpPath)),
      m_positionsPath(JoinPath(cacheFolder(), nameFor(m_fullDumpPath))) {
    // A file of an earlier search of the same name would not match the new dump; it goes now,
    // so that no failure below can leave it in place.
    ::unlink(m_positionsPath.c_str());
    m_partPath = m_positionsPath + ".XXXXXX";
    if (CreateFolderPath(cacheFolder()))
        m_fd = UniqueFd(::mkostemp(m_partPath.data(), O_CLOEXEC));
    m_failed = !m_fd.valid();
    if (m_failed)
        m_partPath.clear();
}

HitPositionsWriter::~HitPositionsWriter() {
    if (m_fd.valid())
        abandon();
}

void HitPositionsWriter::addEntry(std::int32_t entryNumber, const SourceStamp& stamp) {
    if (m_failed)
        return;
    const std::size_t at = m_entries.size();
    m_entries.resize(at + kEntryBytes, 0);
    char* out = m_entries.data() + at;
    putLE(out, static_cast<std::uint32_t>(entryNumber), 4);
    out[4] = static_cast<char>(stamp.kind);
    putLE(out + 8, stamp.size, 8);
    putLE(out + 16, static_cast<std::uint64_t>(stamp.modifiedNs), 8);
    ++m_entryCount;
}

void HitPositionsWriter::addHit(std::uint64_t position) {
    if (m_failed)
        return;
    const std::size_t at = m_buffer.size();
    m_buffer.resize(at + 8);
    putLE(m_buffer.data() + at, position, 8);
    ++m_hits;
    if (m_buffer.size() >= kFlushAt)
        (void)flush();
}

bool HitPositionsWriter::flush() {
    if (!m_failed && !writeAll(m_fd.get(), m_buffer))
        m_failed = true;
    m_buffer.clear();
    return !m_failed;
}

void HitPositionsWriter::abandon() {
    m_fd.reset();
    if (!m_partPath.empty())
        ::unlink(m_partPath.c_str());
    m_failed = true;
}

void HitPositionsWriter::finish(bool keep, int recordLength) {
    if (!m_fd.valid())
        return;
    const std::optional<SourceStamp> dump = StampOfFile(m_dumpPath);
    if (!keep || m_failed || !dump || m_hits == 0) {
        abandon();
        return;
    }
    m_buffer.append(m_entries.data(), m_entries.size());
    m_buffer += m_fullDumpPath;
    char trailer[kTrailerBytes] = {};
    putLE(trailer, m_hits, 8);
    putLE(trailer + 8, m_entryCount, 8);
    putLE(trailer + 16, m_fullDumpPath.size(), 8);
    putLE(trailer + 24, dump->size, 8);
    putLE(trailer + 32, static_cast<std::uint64_t>(dump->modifiedNs), 8);
    putLE(trailer + 40, static_cast<std::uint32_t>(recordLength), 4);
    std::memcpy(trailer + 48, kMagic.data(), kMagic.size());
    m_buffer.append(trailer, kTrailerBytes);
    const bool written = flush() && ::close(m_fd.release()) == 0;
    if (!written || ::rename(m_partPath.c_str(), m_positionsPath.c_str()) != 0) {
        abandon();
        return;
    }
    pruneCache(cacheFolder());
}

std::optional<HitPositions> ReadHitPositions(const std::string& dumpPath, std::uint64_t hitCount,
                                             int recordLength) {
    const std::optional<SourceStamp> dump = StampOfFile(dumpPath);
    const std::string fullPath = fullPathOf(dumpPath);
    const std::string path = JoinPath(cacheFolder(), nameFor(fullPath));
    const std::optional<std::uint64_t> size = fileSize(path);
    // Anything short of the positions of every hit is no file of this dump; one far larger
    // than a log's entries can make is none either (and is not read).
    const std::uint64_t least = kTrailerBytes + 8 * hitCount + fullPath.size();
    if (!dump || !size || *size < least || *size > least + kEntryBytes * kLogEntries)
        return std::nullopt;
    const std::optional<std::string> bytes = readFileBytes(path);
    if (!bytes || bytes->size() != *size)
        return std::nullopt;
    const char* trailer = bytes->data() + bytes->size() - kTrailerBytes;
    const std::uint64_t entries = getLE(trailer + 8, 8);
    if (std::string_view(trailer + 48, kMagic.size()) != kMagic || getLE(trailer, 8) != hitCount ||
        getLE(trailer + 16, 8) != fullPath.size() || entries > kLogEntries ||
        bytes->size() != least + kEntryBytes * entries ||
        std::string_view(trailer - fullPath.size(), fullPath.size()) != fullPath ||
        getLE(trailer + 24, 8) != dump->size ||
        static_cast<std::int64_t>(getLE(trailer + 32, 8)) != dump->modifiedNs ||
        getLE(trailer + 40, 4) != static_cast<std::uint32_t>(recordLength))
        return std::nullopt;
    HitPositions out;
    out.hits.resize(hitCount);
    for (std::uint64_t i = 0; i < hitCount; ++i)
        out.hits[i] = getLE(bytes->data() + 8 * i, 8);
    const char* entry = bytes->data() + 8 * hitCount;
    for (std::uint64_t i = 0; i < entries; ++i, entry += kEntryBytes) {
        const auto kind = static_cast<unsigned char>(entry[4]);
        SourceStamp stamp{getLE(entry + 8, 8), static_cast<std::int64_t>(getLE(entry + 16, 8)),
                          kind <= 2 ? static_cast<SourceTextKind>(kind) : SourceTextKind::Unknown};
        out.entries[static_cast<std::int32_t>(getLE(entry, 4))] = stamp;
    }
    return out;
}

} // namespace lexmora
