#include "codes/code_tables.h"

#include "codes/messages.h"
#include "core/file_io.h"
#include "core/paths.h"

#include <algorithm>
#include <dirent.h>

namespace lexmora {

namespace {

// The built-in columns, in the code file's own table notation.
constexpr const char* kRow0Lower = "6127/61/6127/6165/6527/65/6527/65/6927/69/6927/69/6F27/6F/"
                                   "6F27/6F65/7527/75/7527/7565/63/6E/7373/27/2D/6F65/";
constexpr const char* kRow0Upper = "4127/41/4127/4165/4527/45/4527/45/4927/49/4927/49/4F27/4F/"
                                   "4F27/4F65/5527/55/5527/5565/43/4E/5353/27/2D/4F65/";
constexpr const char* kAnsiLower =
    "E1/E2/E0/E4/E9/EA/E8/EB/ED/EE/EC/EF/F3/F4/F2/F6/FA/FB/F9/FC/E7/F1/DF/27/2D/9C/";
constexpr const char* kAnsiUpper =
    "C1/C2/C0/C4/C9/CA/C8/CB/CD/CE/CC/CF/D3/D4/D2/D6/DA/DB/D9/DC/C7/D1/DF/92/2D/8C/";
constexpr const char* kAsciiLower =
    "A0/83/85/84/82/88/8A/89/A1/8C/8D/8B/A2/93/95/94/A3/96/97/81/87/A4/E1/27/2D/6F65/";
constexpr const char* kAsciiUpper =
    "41/41/41/8E/90/45/45/45/49/49/49/49/4F/4F/4F/99/55/55/55/9A/80/A5/E1/27/2D/4F65/";

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string joinedTable(const CodeRow& row) {
    std::string letters;
    for (const auto& entry : row.CodeTable[0])
        letters += entry.empty() ? '\0' : entry[0];
    return letters;
}

// The lines of a code file; a CR before the LF and a lone CR at the very end are dropped.
std::vector<std::string_view> splitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size() && lines.size() < kCodeFileLines) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = next;
    }
    return lines;
}

bool isCodeFileName(const std::string& name) {
    return name.size() > 4 && equalsNoCase(ExtensionOf(name), kCodeFileExtension);
}

std::string firstLine(std::string_view bytes) {
    const auto lines = splitLines(bytes);
    return lines.empty() ? std::string() : std::string(lines[0]);
}

} // namespace

const std::string& AnsiSpecialLetters() {
    static const std::string letters = [] {
        CodeRow row;
        ParseCodeTable(std::string(kAnsiLower) + kAnsiUpper, row, 1, "", "");
        return joinedTable(row);
    }();
    return letters;
}

std::string HexToText(std::string_view hex) {
    std::string text;
    text.reserve(hex.size() / 2 + 1);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]);
        if (high < 0) {
            text += '\0';
            continue;
        }
        const int low = i + 1 < hex.size() ? hexDigit(hex[i + 1]) : -1;
        text += static_cast<char>(low < 0 ? high : high * 16 + low);
    }
    return text;
}

void ParseCodeTable(std::string_view table, CodeRow& row, int tableNumber, std::string_view prefix,
                    std::string_view suffix) {
    if (tableNumber != 1 && tableNumber != 2)
        return;
    auto& target = row.CodeTable[tableNumber - 1];
    std::size_t start = 0;
    int position = 0;
    while (start < table.size() && position < kSpecialCharCount) {
        std::size_t end = table.find('/', start);
        if (end == std::string_view::npos)
            end = table.size(); // a last entry without its "/" still counts
        std::string_view entry = table.substr(start, end - start);
        std::string& slot = target[position++];
        if (!entry.empty() && entry[0] == '*') {
            slot = std::string(prefix) + HexToText(entry.substr(1)) + std::string(suffix);
        } else {
            slot = HexToText(entry);
        }
        start = end + 1;
    }
}

std::vector<CodeRow> BuiltInCodeRows() {
    std::vector<CodeRow> rows(3);
    ParseCodeTable(std::string(kRow0Lower) + kRow0Upper, rows[0], 1, "", "");
    ParseCodeTable(std::string(kAnsiLower) + kAnsiUpper, rows[1], 1, "", "");
    ParseCodeTable(std::string(kAsciiLower) + kAsciiUpper, rows[2], 1, "", "");
    rows[0].CodeDelimiters =
        std::string("!&'()*+-./,:;<=>?@[\\]_{}") + '\xAD' + '\xA8' + '"' + '\n' + '\r';
    rows[1].CodeName = "ANSI";
    rows[1].CodeDelimiters = std::string(" ") + '\x84' + '\x85' + '\x93' + '\x94' + '\x96' + '\x97';
    rows[2].CodeName = "ASCII";
    rows[2].CodeDelimiters = " ";
    for (int r = 1; r <= 2; ++r) {
        rows[static_cast<std::size_t>(r)].CodeSpaceCode = 32;
        rows[static_cast<std::size_t>(r)].CodeSecondCode = 32;
    }
    return rows;
}

std::string_view CodeLineValue(std::string_view line) {
    const std::size_t colon = line.find(':');
    return colon == std::string_view::npos ? line : line.substr(colon + 1);
}

const CodeRow& CodeRowOf(const ProgramState& state, int codeIndex) {
    static const std::vector<CodeRow> builtIn = BuiltInCodeRows();
    if (codeIndex >= 0 && static_cast<std::size_t>(codeIndex) < state.CodeRows.size())
        return state.CodeRows[static_cast<std::size_t>(codeIndex)];
    if (codeIndex >= 0 && static_cast<std::size_t>(codeIndex) < builtIn.size())
        return builtIn[static_cast<std::size_t>(codeIndex)];
    return builtIn[kCodeAnsi];
}

CodeRow ParseCodeFile(std::string_view bytes) {
    const auto lines = splitLines(bytes);
    auto value = [&lines](int number) -> std::string_view {
        const auto index = static_cast<std::size_t>(number - 1);
        return index < lines.size() ? CodeLineValue(lines[index]) : std::string_view();
    };
    CodeRow row;
    row.CodeName = std::string(value(1));
    row.CodeExtensions = std::string(value(2));
    row.CodeSignature = HexToText(value(3));

    const std::string second = HexToText(value(4));
    if (!second.empty() && second[0] != '\0') {
        row.CodeCheckSecond = true;
        if (second.size() > 1)
            row.CodeSecondPosition = static_cast<unsigned char>(second[1]);
        if (second.size() > 2)
            row.CodeSecondSignature = second.substr(2);
    }

    ParseCodeTable(std::string(value(7)) + std::string(value(8)), row, 1, HexToText(value(5)),
                   HexToText(value(6)));
    const std::string table2 = std::string(value(11)) + std::string(value(12));
    if (!table2.empty())
        ParseCodeTable(table2, row, 2, HexToText(value(9)), HexToText(value(10)));

    const std::string codes = HexToText(value(15));
    if (codes.empty()) {
        // Without a separator every word of the file would run into the next.
        row.CodeSpaceCode = 32;
        row.CodeSecondCode = 32;
    } else {
        row.CodeSpaceCode = static_cast<unsigned char>(codes[0]);
        row.CodeSecondCode = codes.size() > 1 ? static_cast<unsigned char>(codes[1]) : 0;
    }
    row.CodeDelimiters = std::string(1, static_cast<char>(row.CodeSpaceCode));

    const std::string_view substitutes = value(16);
    for (std::size_t i = 0; i + 4 <= substitutes.size(); i += 4) {
        const std::string pair = HexToText(substitutes.substr(i, 4));
        row.CodeSubstitutes[0] += pair[0];
        row.CodeSubstitutes[1] += pair[1];
    }

    const std::string byteList = HexToText(value(17));
    for (std::size_t i = 0; i < byteList.size() && i < kMaxCodeBytes; ++i)
        row.CodeByteList.push_back(static_cast<unsigned char>(byteList[i]));
    return row;
}

std::optional<std::string> CodeFileProblem(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos)
        return "it is not a text file.";
    const auto lines = splitLines(bytes);
    auto value = [&lines](std::size_t number) -> std::string_view {
        std::string_view v = number <= lines.size() ? CodeLineValue(lines[number - 1]) : "";
        while (!v.empty() && (v.back() == ' ' || v.back() == '\t'))
            v.remove_suffix(1);
        return v;
    };
    if (value(1).find_first_not_of(" \t") == std::string_view::npos)
        return "its first line gives no name.";
    const auto onlyOf = [](std::string_view v, std::string_view extra) {
        for (const char c : v)
            if (hexDigit(c) < 0 && extra.find(c) == std::string_view::npos)
                return false;
        return true;
    };
    for (const std::size_t line : {3u, 4u, 5u, 6u, 9u, 10u, 15u, 16u})
        if (!onlyOf(value(line), ""))
            return "line " + std::to_string(line) + " is not hexadecimal.";
    for (const std::size_t line : {7u, 8u, 11u, 12u})
        if (!onlyOf(value(line), "*/"))
            return "line " + std::to_string(line) + " is not a table of hexadecimal entries.";
    return std::nullopt;
}

void LoadCodeFiles(ProgramState& state, const std::string& folder,
                   const std::vector<std::string>& fileNames, Prompter& prompter) {
    std::vector<CodeRow> rows = BuiltInCodeRows();
    for (const auto& name : fileNames) {
        const auto bytes = readFileBytes(JoinPath(folder, name));
        if (!bytes) {
            prompter.tell(codes::msg::CannotOpenFileTryingNext(name));
            rows.emplace_back();
            continue;
        }
        // A damaged code file is still loaded as it reads; the user is told what is wrong.
        if (const auto problem = CodeFileProblem(*bytes))
            prompter.tell(codes::msg::DamagedCodeFile(name, *problem));
        rows.push_back(ParseCodeFile(*bytes));
    }
    state.CodeRows = std::move(rows);
    state.CodeCount = static_cast<int>(state.CodeRows.size()) - 1;
    state.CodeLetters[0] = joinedTable(state.CodeRows[kCodeAnsi]);
    state.CodeLetters[1] = joinedTable(state.CodeRows[kCodeAscii]);
    state.CodeMode = state.CodeCount > kCodeAscii ? kCodeAutomatic : kCodeAnsi;
}

std::vector<std::string> OrderedCodeFiles(const std::string& folder, Prompter& prompter) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (isCodeFileName(name) && isRegularFile(JoinPath(folder, name)))
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::pair<std::string, std::string>> keyed; // lower-cased first line, name
    for (const auto& name : names) {
        const auto bytes = readFileStart(JoinPath(folder, name), 4096);
        if (!bytes)
            prompter.tell(codes::msg::CannotOpenFileTryingNext(name));
        keyed.emplace_back(toLowerAscii(bytes ? firstLine(*bytes) : std::string()), name);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> ordered;
    for (auto& item : keyed)
        ordered.push_back(std::move(item.second));
    return ordered;
}

std::string CodeFilesFolder(const ProgramState& state) {
    return state.CodeFolder.empty() ? JoinPath(state.InstallFolder, "codes") : state.CodeFolder;
}

void LoadCodeFolder(ProgramState& state, const std::string& folder, Prompter& prompter) {
    LoadCodeFiles(state, folder, OrderedCodeFiles(folder, prompter), prompter);
}

std::string CodeModeCaption(const ProgramState& state, int mode) {
    if (mode == kCodeAutomatic)
        return "Automatic";
    if (mode == kCodeAnsi)
        return "ANSI";
    if (mode == kCodeAscii)
        return "ASCII";
    if (mode > 0 && static_cast<std::size_t>(mode) < state.CodeRows.size())
        return state.CodeRows[static_cast<std::size_t>(mode)].CodeName;
    return "";
}

bool SetCodeMode(ProgramState& state, int mode) {
    const int highest = std::max(state.CodeCount, kCodeAscii);
    if (mode < kCodeAutomatic || mode > highest)
        return false;
    state.CodeMode = mode;
    return true;
}

int FindCodeMode(const ProgramState& state, std::string_view name) {
    if (equalsNoCase(name, "auto") || equalsNoCase(name, "automatic"))
        return kCodeAutomatic;
    if (equalsNoCase(name, "ansi"))
        return kCodeAnsi;
    if (equalsNoCase(name, "ascii"))
        return kCodeAscii;
    for (std::size_t k = kFirstCodeFile; k < state.CodeRows.size(); ++k)
        if (equalsNoCase(name, state.CodeRows[k].CodeName))
            return static_cast<int>(k);
    return -1;
}

} // namespace lexmora
