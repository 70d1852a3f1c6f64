#include "core/paths.h"

namespace lexmora {

std::string AddBackslash(std::string_view path) {
    std::string out(path);
    if (!out.empty() && out.back() != kPathSeparator)
        out += kPathSeparator;
    return out;
}

std::string FolderOf(std::string_view path) {
    const auto slash = path.rfind(kPathSeparator);
    if (slash == std::string_view::npos)
        return {};
    if (slash == 0)
        return "/";
    return std::string(path.substr(0, slash));
}

std::string FileNameOf(std::string_view path) {
    const auto slash = path.rfind(kPathSeparator);
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtensionOf(std::string_view name) {
    const std::string file = FileNameOf(name);
    const auto dot = file.rfind('.');
    return dot == std::string::npos ? std::string() : file.substr(dot);
}

std::string StripExtension(std::string_view name) {
    const auto slash = name.rfind(kPathSeparator);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(name);
    return std::string(name.substr(0, dot));
}

std::string ShortenPath(std::string_view text, std::size_t n) {
    if (text.size() <= n)
        return std::string(text);
    const std::size_t half = n / 2;
    return std::string(text.substr(0, half)) + "~" + std::string(text.substr(text.size() - half));
}

std::string ShortFileName(std::string_view name) {
    const std::string upper = toUpperAscii(name);
    const auto dot = upper.rfind('.');
    std::string base = dot == std::string::npos ? upper : upper.substr(0, dot);
    std::string ext = dot == std::string::npos ? std::string() : upper.substr(dot + 1);
    std::string shortName;
    for (char c : base)
        if (c != ' ' && c != '.' && shortName.size() < 8)
            shortName += c;
    if (!ext.empty())
        shortName += "." + ext.substr(0, 3);
    return shortName;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (folder.empty())
        return std::string(name);
    while (!name.empty() && name.front() == kPathSeparator)
        name.remove_prefix(1);
    return AddBackslash(folder) + std::string(name);
}

std::string toLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

std::string toUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

} // namespace lexmora
