#include "files/file_list.h"

#include "core/file_io.h"
#include "core/text_codec.h"
#include "files/messages.h"

#include <cerrno>
#include <unordered_set>

namespace lexmora::files {

namespace {

// Big enough for 32767 paths of any real length; a larger file is not a list of ours.
constexpr std::size_t kMaxListBytes = 64u << 20;

bool fitsCp1252(std::string_view path) {
    if (!checkUtf8(path).valid)
        return false;
    return cp1252ToUtf8(utf8ToCp1252(path)) == path;
}

} // namespace

bool IsStorableName(std::string_view path) {
    return !path.empty() && path.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

std::string FormatFileList(const std::vector<std::string>& paths) {
    std::string out;
    for (const auto& path : paths) {
        if (!IsStorableName(path))
            continue;
        out += fitsCp1252(path) ? utf8ToCp1252(path) : path;
        out += "\r\n";
    }
    return out;
}

std::string DecodeListLine(std::string_view line) {
    std::string asIs(line);
    std::string fromCp1252 = cp1252ToUtf8(line);
    if (asIs == fromCp1252 || fileIsPresent(asIs))
        return asIs;
    if (fileIsPresent(fromCp1252))
        return fromCp1252;
    // Neither exists: a line that is valid UTF-8 with characters beyond ASCII was most likely
    // written as its own bytes.
    const Utf8Check check = checkUtf8(line);
    return check.valid && check.hasMultiByte ? asIs : fromCp1252;
}

ParsedFileList ParseFileList(std::string_view bytes) {
    ParsedFileList out;
    if (bytes.find('\0') != std::string_view::npos) {
        out.binary = true;
        return out;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    if (!bytes.empty() && bytes.back() == '\x1A')
        bytes.remove_suffix(1);
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view line = bytes.substr(pos, end - pos);
        pos = end;
        if (pos < bytes.size() && bytes[pos] == '\r')
            ++pos;
        if (pos < bytes.size() && bytes[pos] == '\n')
            ++pos;
        if (line.empty())
            continue;
        if (line.front() != '/') {
            ++out.foreignLines;
            continue;
        }
        if (out.paths.size() >= kMaxStoredFiles) {
            ++out.linesCut;
            continue;
        }
        out.paths.push_back(DecodeListLine(line));
    }
    return out;
}

Result<FileListRead> ReadFileList(const std::string& path) {
    errno = 0;
    if (isDirectory(path))
        return files::msg::NotAFileList(path);
    auto bytes = readFileStart(path, kMaxListBytes + 1);
    if (!bytes)
        return files::msg::CannotReadList(path, errno != 0 ? errno : EIO);
    if (bytes->size() > kMaxListBytes)
        return files::msg::NotAFileList(path);
    ParsedFileList parsed = ParseFileList(*bytes);
    if (parsed.binary || (parsed.paths.empty() && parsed.foreignLines > 0))
        return files::msg::NotAFileList(path);
    if (parsed.paths.empty())
        return files::msg::EmptyFileList(path);
    FileListRead out;
    out.foreignLines = parsed.foreignLines;
    out.linesCut = parsed.linesCut;
    for (const auto& file : parsed.paths)
        if (!isRegularFile(file))
            ++out.missing;
    out.paths = std::move(parsed.paths);
    return out;
}

Status WriteFileList(const std::string& path, const std::vector<std::string>& paths) {
    errno = 0;
    if (!writeFileReplacing(path, FormatFileList(paths)))
        return files::msg::CannotWriteList(errno != 0 ? errno : EIO);
    return Status::success();
}

AddOutcome AddToStoredList(std::vector<std::string>& stored,
                           const std::vector<std::string>& paths) {
    AddOutcome outcome;
    std::unordered_set<std::string> present(stored.begin(), stored.end());
    for (const auto& path : paths) {
        if (!IsStorableName(path)) {
            ++outcome.notStorable;
            continue;
        }
        if (present.count(path) != 0)
            continue;
        if (stored.size() >= kMaxStoredFiles) {
            ++outcome.overLimit;
            continue;
        }
        stored.push_back(path);
        present.insert(path);
        ++outcome.added;
    }
    return outcome;
}

} // namespace lexmora::files
