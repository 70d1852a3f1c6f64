// Where each hit of a saved search stands in its source, kept in the user's cache folder (one
// file per dump, named after its full path), so that the analyses built on a result file
// (collocates, clusters, the dispersion plot) place a hit by its offset instead of finding its
// record's text again in the source. The result files themselves are not touched.
//
// The file is an aid, never a result: any failure to write it only leaves it out, and a reader
// takes it only while the dump and each source are as they were when it was written (full path,
// sizes and modification times); otherwise the record's text is looked for as before.
//
// Layout (integers little-endian): one 8-byte offset per hit in record order (all ones: not
// known), then one 24-byte stamp per log entry (entry number 4, text kind 1, 3 blank, size 8,
// modification time in nanoseconds 8), then the dump's full path, then a 56-byte trailer: hit
// count 8, entry count 8, path length 8, dump size 8, dump modification time 8, record length 4,
// 4 blank, "LXHITPOS".
#pragma once

#include "core/file_io.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lexmora {

inline constexpr std::uint64_t kNoHitPosition = ~std::uint64_t{0};

// What the offsets of a source count: the file's own bytes, or the Windows-1252 text its UTF-8
// was converted into (as the analyses read it). Other conversions leave the offsets unknown.
enum class SourceTextKind : std::uint8_t { Unknown = 0, Raw = 1, Utf8 = 2 };

struct SourceStamp {
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    SourceTextKind kind = SourceTextKind::Unknown;
    bool operator==(const SourceStamp&) const = default;
};

// The positions file of a dump: in UserCacheFolder()/hits, named after the dump's full path.
std::string HitPositionsPathFor(const std::string& dumpPath);
// Removes the positions file of a dump that is gone or cut back.
void ForgetHitPositions(const std::string& dumpPath);

// A file's size and modification time now (kind left Unknown), or nothing when it is not there.
std::optional<SourceStamp> StampOfFile(const std::string& path);

// Gathers the positions while the dump is written and puts the file in place once the dump is
// closed. Written under a temporary name and renamed: a file under the final name is whole.
class HitPositionsWriter {
public:
    explicit HitPositionsWriter(std::string dumpPath);
    ~HitPositionsWriter(); // an unfinished file goes
    HitPositionsWriter(const HitPositionsWriter&) = delete;
    HitPositionsWriter& operator=(const HitPositionsWriter&) = delete;

    void addEntry(std::int32_t entryNumber, const SourceStamp& stamp);
    void addHit(std::uint64_t position);
    // After the dump is closed for good: stamps it and renames the file into place; with
    // `keep` false (or after any failure) the file is removed instead.
    void finish(bool keep, int recordLength);

private:
    bool flush();
    void abandon();

    std::string m_dumpPath, m_fullDumpPath, m_positionsPath, m_partPath;
    UniqueFd m_fd;
    std::string m_buffer;
    std::vector<char> m_entries;
    std::uint64_t m_hits = 0, m_entryCount = 0;
    bool m_failed = false;
};

// The positions of a dump's hits, when a file of them belongs to the dump as it is now.
struct HitPositions {
    std::vector<std::uint64_t> hits; // by hit number - 1
    std::unordered_map<std::int32_t, SourceStamp> entries;
};
std::optional<HitPositions> ReadHitPositions(const std::string& dumpPath, std::uint64_t hitCount,
                                             int recordLength);

} // namespace lexmora
