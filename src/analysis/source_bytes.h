// A source file's bytes as the hit walk reads them, and the text they stand for.
#pragma once

#include "search/hit_positions.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lexmora {

// The bytes of one source at a time. A file is read whole into room kept from file to file (grown
// without being cleared: fresh or zeroed pages for every file cost more than the reading), or,
// when only a few places of a large file are wanted, mapped, so that only the pages around them
// are read at all.
class SourceBytes {
public:
    SourceBytes() = default;
    ~SourceBytes();
    SourceBytes(const SourceBytes&) = delete;
    SourceBytes& operator=(const SourceBytes&) = delete;

    // The file's bytes (a file cut short while read: what it holds), valid until the next call;
    // nothing when it cannot be read. `places`: how many places of it are to be read (0: all of
    // it). `stamp` takes its size and modification time.
    std::optional<std::string_view> read(const std::string& path, std::size_t places,
                                         SourceStamp& stamp);

private:
    void unmap();

    std::unique_ptr<char[]> m_room;
    std::size_t m_capacity = 0;
    void* m_map = nullptr;
    std::size_t m_mapped = 0;
};

// The text of a source's bytes: the bytes themselves, or their conversion into `converted`
// (UTF-16, and UTF-8 where detected, into Windows-1252, a byte-order mark dropped); `kind` tells
// which, as the positions file names them.
std::string_view SourceTextIn(std::string_view all, std::string& converted,
                              SourceTextKind* kind = nullptr);

} // namespace lexmora
