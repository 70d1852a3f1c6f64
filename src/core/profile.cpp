#include "core/profile.h"

#include "core/file_io.h"
#include "core/paths.h"

#include <cstdio>
#include <vector>

namespace lexmora {
namespace {

struct Line {
    std::string_view content; // without its line end
    std::size_t begin = 0;    // offset of the line in the text
    std::size_t end = 0;      // offset just past its line end
};

std::vector<Line> splitProfileLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t stop = pos;
        while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n')
            ++stop;
        std::size_t next = stop;
        if (next < text.size() && text[next] == '\r')
            ++next;
        if (next < text.size() && text[next] == '\n')
            ++next;
        lines.push_back({text.substr(pos, stop - pos), pos, next});
        pos = next;
    }
    return lines;
}

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trim(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view line) {
    const auto t = trim(line);
    if (t.empty() || t.front() == ';')
        return std::nullopt;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    KeyLine kl{trim(line.substr(0, eq)), trim(line.substr(eq + 1))};
    if (kl.value.size() >= 2 && kl.value.front() == '"' && kl.value.back() == '"')
        kl.value = kl.value.substr(1, kl.value.size() - 2);
    return kl;
}

struct Position {
    bool sectionFound = false;
    std::optional<std::size_t> keyLine; // index of the matching key line
    std::size_t insertAfter = 0;        // index of the section's last non-blank line
};

Position locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Position where;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i].content)) {
            if (inSection)
                break; // only the first section of that name is used
            inSection = equalsNoCase(*name, section);
            if (inSection) {
                where.sectionFound = true;
                where.insertAfter = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!trim(lines[i].content).empty())
            where.insertAfter = i;
        const auto kl = keyLine(lines[i].content);
        if (kl && equalsNoCase(kl->key, key)) {
            where.keyLine = i;
            return where;
        }
    }
    return where;
}

std::string_view lineEndOf(std::string_view text) {
    const auto lf = text.find('\n');
    if (lf == std::string_view::npos)
        return "\r\n";
    return (lf > 0 && text[lf - 1] == '\r') ? std::string_view("\r\n") : std::string_view("\n");
}

} // namespace

std::optional<std::string> findProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
    const auto lines = splitProfileLines(text);
    const auto where = locate(lines, section, key);
    if (!where.keyLine)
        return std::nullopt;
    return std::string(keyLine(lines[*where.keyLine].content)->value);
}

std::string setProfileValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value) {
    const auto lines = splitProfileLines(text);
    const auto where = locate(lines, section, key);
    const std::string_view eol = lineEndOf(text);
    const std::string newLine = std::string(key) + "=" + std::string(value);
    std::string out;
    if (where.keyLine) {
        const Line& old = lines[*where.keyLine];
        out.append(text.substr(0, old.begin));
        out += newLine;
        out.append(text.substr(old.begin + old.content.size()));
        return out;
    }
    if (where.sectionFound) {
        const Line& last = lines[where.insertAfter];
        out.append(text.substr(0, last.end));
        if (last.end == last.begin + last.content.size())
            out += eol; // the section's last line had no line end
        out += newLine;
        out += eol;
        out.append(text.substr(last.end));
        return out;
    }
    out.append(text);
    if (!out.empty() && out.back() != '\n' && out.back() != '\r')
        out += eol;
    out += "[" + std::string(section) + "]";
    out += eol;
    out += newLine;
    out += eol;
    return out;
}

std::optional<std::string> readProfileValue(const std::string& path, std::string_view section,
                                            std::string_view key) {
    const auto text = readFileBytes(path);
    if (!text)
        return std::nullopt;
    return findProfileValue(*text, section, key);
}

bool writeProfileValue(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view value) {
    const std::pair<std::string, std::string> one{std::string(key), std::string(value)};
    return writeProfileValues(path, section, std::span(&one, 1));
}

bool writeProfileValues(const std::string& path, std::string_view section,
                        std::span<const std::pair<std::string, std::string>> keyValues) {
    const auto old = readFileBytes(path);
    if (!old && fileIsPresent(path))
        return false; // there but unreadable: never replace what we could not read
    std::string text = old.value_or(std::string());
    for (const auto& [key, value] : keyValues)
        text = setProfileValue(text, section, key, value);
    return writeFileReplacing(path, text);
}

} // namespace lexmora
