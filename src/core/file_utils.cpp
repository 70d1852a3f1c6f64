#include "core/file_utils.h"

#include "core/file_io.h"
#include "core/glob.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/text_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora {
namespace {

bool hasWildcard(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool wildcardMatch(std::string_view name, std::string_view pattern) {
    return GlobMatch(pattern, name, [](char p, char n) { return lowerAscii(p) == lowerAscii(n); });
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Calls `visit` with the name of every regular file (or link to one) of the folder.
template <typename Visit> void forEachFile(const std::string& folder, Visit visit) {
    const std::string where = folder.empty() ? std::string(".") : folder;
    DirHandle dir(::opendir(where.c_str()));
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st {};
            regular =
                ::fstatat(::dirfd(dir.get()), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (regular)
            visit(name);
    }
}

bool isFileNameByteToReplace(unsigned char c, std::string_view invalidChars) {
    // "/", "*" and "?" always go: a name must stay one plain name that no pattern reads as
    // wildcards.
    return c < 32 || c == 127 || c == ' ' || c == '/' || c == '*' || c == '?' ||
           invalidChars.find(static_cast<char>(c)) != std::string_view::npos;
}

std::string counterSuffix(unsigned n) {
    std::string digits = std::to_string(n);
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
    return "_" + digits;
}

} // namespace

bool MatchesFilePattern(std::string_view name, std::string_view pattern) {
    if (name.empty())
        return false;
    if (name.front() == '.' && (pattern.empty() || pattern.front() != '.'))
        return false;
    if (wildcardMatch(name, pattern))
        return true;
    return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
           name.find('.') == std::string_view::npos &&
           wildcardMatch(name, pattern.substr(0, pattern.size() - 2));
}

bool FileExists(const std::string& name) {
    if (hasWildcard(FileNameOf(name)))
        return CountFiles(name) > 0;
    return isRegularFile(name);
}

std::size_t CountFiles(std::string_view patterns) {
    std::vector<std::string_view> list;
    std::size_t pos = 0;
    while (pos <= patterns.size()) {
        const std::size_t end = std::min(patterns.find(';', pos), patterns.size());
        if (end > pos)
            list.push_back(patterns.substr(pos, end - pos));
        pos = end + 1;
    }
    if (list.empty())
        return 0;
    const std::string folder = FolderOf(list.front());
    std::size_t count = 0;
    for (std::string_view each : list) {
        const std::string pattern = FileNameOf(each);
        if (pattern.empty())
            continue;
        if (!hasWildcard(pattern)) {
            count += isRegularFile(JoinPath(folder, pattern)) ? 1 : 0;
            continue;
        }
        forEachFile(folder, [&](std::string_view name) {
            if (MatchesFilePattern(name, pattern))
                ++count;
        });
    }
    return count;
}

bool HasInvalidExtension(std::string_view name, std::string_view invalidExtensions) {
    std::string extension = ExtensionOf(name).substr(0, 4);
    while (!extension.empty() && extension.back() == ' ')
        extension.pop_back();
    if (extension.empty())
        return false;
    for (std::size_t pos = 0; pos < invalidExtensions.size(); pos += 4) {
        std::string_view entry = invalidExtensions.substr(pos, 4);
        while (!entry.empty() && entry.back() == ' ')
            entry.remove_suffix(1);
        if (equalsNoCase(entry, extension))
            return true;
    }
    return false;
}

std::string ReadWholeFile(const std::string& name) {
    return readFileBytes(name).value_or(std::string());
}

std::vector<std::string> SplitText(std::string_view text) {
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    std::string_view separator;
    for (std::string_view candidate : {"\r\n", "\r", "\n", "<br>"}) {
        if (text.find(candidate) != std::string_view::npos) {
            separator = candidate;
            break;
        }
    }
    if (separator.empty()) {
        lines.emplace_back(text);
        return lines;
    }
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find(separator, pos), text.size());
        lines.emplace_back(text.substr(pos, end - pos));
        pos = end + separator.size();
    }
    return lines;
}

std::vector<std::string> SplitLines(const std::string& name) {
    return SplitText(ReadWholeFile(name));
}

bool IsUnicodeText(std::string_view text) {
    return text.size() >= 2 &&
           ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF'));
}

bool IsBinaryText(std::string_view start, std::uint64_t fileLength) {
    if (fileLength == 0 || IsUnicodeText(start))
        return false;
    const std::size_t tested = static_cast<std::size_t>(
        std::min<std::uint64_t>({fileLength - 1, kBinaryTestLength, start.size()}));
    return start.substr(0, tested).find('\0') != std::string_view::npos;
}

std::string MakeUniqueFileName(const std::string& folder, std::string_view base,
                               std::string_view extension, std::string_view invalidChars) {
    std::string cleaned(base);
    for (char& c : cleaned)
        if (isFileNameByteToReplace(static_cast<unsigned char>(c), invalidChars))
            c = '_';
    if (!cleaned.empty() && cleaned.front() == '.')
        cleaned.front() = '_'; // a leading "." would hide the file from listings
    const std::string stem = cp1252ToUtf8(cleaned);
    for (unsigned n = 1; n <= 999999; ++n) {
        const std::string suffix = counterSuffix(n);
        const std::size_t fixed = suffix.size() + extension.size();
        std::size_t cut = fixed >= kMaxFileNameLength ? 0 : kMaxFileNameLength - fixed;
        if (cut < stem.size()) {
            // Never cut inside a character's UTF-8 sequence.
            while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80)
                --cut;
        } else {
            cut = stem.size();
        }
        std::string name = stem.substr(0, cut) + suffix + std::string(extension);
        if (!fileIsPresent(JoinPath(folder, name)))
            return name;
    }
    return {};
}

void DeleteResultFiles(const std::string& name) {
    const std::string base = StripExtension(name);
    for (const char* extension : {".dmp", ".log", ".sum"})
        ::unlink((base + extension).c_str());
}

} // namespace lexmora
