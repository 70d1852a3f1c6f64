#include "analysis/source_bytes.h"

#include "codes/code_detect.h"
#include "core/file_io.h"
#include "core/text_codec.h"
#include "wordcount/count_source.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora {

namespace {

// A file is mapped when it is larger than this many bytes for each place wanted: a place and its
// words take a few pages at most.
constexpr std::size_t kBytesPerPlace = 64 * 1024;

} // namespace

SourceBytes::~SourceBytes() {
    unmap();
}

void SourceBytes::unmap() {
    if (m_map != nullptr)
        ::munmap(m_map, m_mapped);
    m_map = nullptr;
    m_mapped = 0;
}

std::optional<std::string_view> SourceBytes::read(const std::string& path, std::size_t places,
                                                  SourceStamp& stamp) {
    unmap();
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    stamp = {static_cast<std::uint64_t>(info.st_size),
             static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
             SourceTextKind::Unknown};
    const auto size = static_cast<std::size_t>(info.st_size);
    if (places > 0 && size / kBytesPerPlace > places) {
        void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd.get(), 0);
        if (map != MAP_FAILED) {
            m_map = map;
            m_mapped = size;
            return std::string_view(static_cast<const char*>(map), size);
        }
    }
    if (m_capacity < size) {
        m_capacity = size + size / 2;
        m_room.reset(new char[m_capacity]);
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(fd.get(), m_room.get() + done, size - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return std::string_view(m_room.get(), done);
}

std::string_view SourceTextIn(std::string_view all, std::string& converted, SourceTextKind* kind) {
    SourceTextKind ignored;
    SourceTextKind& out = kind ? *kind : ignored;
    out = SourceTextKind::Unknown;
    if (all.size() >= 2 &&
        ((all[0] == '\xFF' && all[1] == '\xFE') || (all[0] == '\xFE' && all[1] == '\xFF')))
        return converted = utf16ToCp1252(all.substr(2), all[0] == '\xFE');
    const std::string_view first = all.substr(0, kDetectBlock);
    if (allAscii(first) ||
        DetectConversion(first, all.size() > first.size()) != SourceConversion::Utf8) {
        out = SourceTextKind::Raw;
        return all;
    }
    out = SourceTextKind::Utf8;
    return converted = utf8ToCp1252(all.substr(all.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0));
}

} // namespace lexmora
