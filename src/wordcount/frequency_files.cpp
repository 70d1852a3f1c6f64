#include "wordcount/frequency_files.h"

#include "core/file_io.h"
#include "core/io_block.h"
#include "core/paths.h"
#include "core/text_codec.h"
#include "wordcount/messages.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora {

namespace {

void putCount(std::string& header, std::size_t offset, std::int64_t value) {
    const std::string digits = std::to_string(value);
    header.replace(offset, digits.size(), digits);
}

// The leading decimal digits of a 9-character field (leading blanks skipped).
std::int64_t readCountField(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ')
        ++i;
    std::int64_t value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
        value = value * 10 + (field[i] - '0');
    return value;
}

} // namespace

std::string FillCountHeader(std::int64_t tokens, std::int64_t types, std::int64_t files) {
    std::string header = kCountHeader;
    putCount(header, 7, tokens);
    putCount(header, 22, types);
    putCount(header, 37, files);
    return header;
}

void AppendIndexRecord(std::string& out, CountIndexRecord record) {
    const auto put = [&out](std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int shift = 0; shift < 32; shift += 8)
            out += static_cast<char>((u >> shift) & 0xFF);
    };
    put(record.position);
    put(record.count);
}

CountIndexRecord DecodeIndexRecord(const char* bytes) {
    const auto get = [bytes](int at) {
        std::uint32_t u = 0;
        for (int i = 3; i >= 0; --i)
            u = (u << 8) | static_cast<unsigned char>(bytes[at + i]);
        return static_cast<std::int32_t>(u);
    };
    return CountIndexRecord{get(0), get(4)};
}

std::string ListPathFor(const ProgramState& state, const std::string& name) {
    // The name is text as typed (Windows-1252); the file's name on disk is UTF-8.
    return AddBackslash(state.FrequencyFilesDirectory) + cp1252ToUtf8(name) + ".lst";
}

std::string IndexPathOf(const std::string& listPath) {
    return StripExtension(listPath) + ".sta";
}

std::optional<std::string> ChooseListName(ProgramState& state, const std::string& proposed,
                                          Prompter& prompter, const AskText& askText,
                                          bool* overwriteAgreed) {
    std::string name = proposed;
    if (overwriteAgreed != nullptr)
        *overwriteAgreed = false;
    while (fileIsPresent(ListPathFor(state, name))) {
        if (prompter.ask(wordcount::msg::ListFileExists(name)) == Answer::Yes) {
            if (overwriteAgreed != nullptr)
                *overwriteAgreed = true;
            return name;
        }
        // the entry may not make the full name longer than 255 characters
        const std::size_t full = ListPathFor(state, name).size();
        const std::size_t limit = std::min<std::size_t>(75, full < 255 ? 255 - full : 0);
        std::optional<std::string> entered;
        for (;;) {
            entered = askText ? askText(wordcount::msg::kNewNamePrompt, limit) : std::nullopt;
            if (entered)
                break;
            if (prompter.ask(core::msg::NoNameEntered()) != Answer::Yes) {
                state.ExitFlag = ExitRequest::UserPressedExit;
                return std::nullopt;
            }
        }
        std::string entry = entered->substr(0, std::min(entered->size(), limit));
        if (entry.empty()) {
            state.ExitFlag = ExitRequest::UserPressedExit;
            return std::nullopt;
        }
        name = StripExtension(entry);
        if (name.empty()) {
            state.ExitFlag = ExitRequest::UserPressedExit;
            return std::nullopt;
        }
    }
    return name;
}

int DefaultNormFor(std::int64_t tokens, std::int64_t files) {
    const std::int64_t a = files > 0 ? tokens / files : tokens;
    if (a < 500)
        return 1;
    if (a < 5000)
        return 2;
    if (a < 50000)
        return 3;
    if (a < 500000)
        return 4;
    return 5;
}

std::string TypeTokenRatioText(std::int64_t tokens, std::int64_t types) {
    if (types <= 0)
        return "1:0";
    const double ratio =
        std::round(static_cast<double>(tokens) / static_cast<double>(types) * 10) / 10;
    char text[64];
    if (ratio == std::floor(ratio))
        std::snprintf(text, sizeof text, "1:%.0f", ratio);
    else
        std::snprintf(text, sizeof text, "1:%.1f", ratio);
    return text;
}

Result<CountFile> LoadCountFile(const std::string& listPath) {
    CountFile file;
    file.listPath = listPath;
    file.indexPath = IndexPathOf(listPath);
    const std::string listName = FileNameOf(listPath);
    const std::string indexName = FileNameOf(file.indexPath);

    // O_NONBLOCK: a FIFO named like a word list is refused at once instead of waiting for a
    // writer (it changes nothing for a regular file).
    file.list = UniqueFd(::open(listPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.list.valid())
        return wordcount::msg::CannotOpenList(listName, std::strerror(errno));
    UniqueFd index(::open(file.indexPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!index.valid())
        return wordcount::msg::CannotOpenIndex(indexName, listName);

    struct stat listStat {};
    struct stat indexStat {};
    if (::fstat(file.list.get(), &listStat) != 0 || ::fstat(index.get(), &indexStat) != 0 ||
        !S_ISREG(listStat.st_mode) || !S_ISREG(indexStat.st_mode))
        return wordcount::msg::InvalidFile(listName);
    const auto listSize = static_cast<std::uint64_t>(listStat.st_size);
    const auto indexSize = static_cast<std::uint64_t>(indexStat.st_size);

    char header[kCountHeaderLength + 2] = {};
    if (listSize < kCountHeaderLength + 2 || !readAllAt(file.list.get(), header, sizeof header, 0))
        return wordcount::msg::InvalidFile(listName);
    const std::string_view text(header, sizeof header);
    file.tokenCount = readCountField(text.substr(7, 9));
    file.typeCount = readCountField(text.substr(22, 9));
    file.fileCount = readCountField(text.substr(37, 9));
    if (file.tokenCount == 0 || text.substr(0, 7) != "tokens:")
        return wordcount::msg::InvalidFile(listName);
    if (file.fileCount == 0)
        file.fileCount = std::max<std::int64_t>(1, (file.tokenCount - file.typeCount) / 1000);
    file.defaultNorm = DefaultNormFor(file.tokenCount, file.fileCount);

    // The index must hold every record the header counts; a longer file (an older, longer
    // pair overwritten in place) is read only as far as the counts go.
    const std::uint64_t records = kLetterRecords + static_cast<std::uint64_t>(file.typeCount);
    if (file.typeCount > file.tokenCount || indexSize < records * kIndexRecordSize)
        return wordcount::msg::MismatchedPair(listName, indexName, "the index is too short");
    std::string bytes(records * kIndexRecordSize, '\0');
    if (!readAllAt(index.get(), bytes.data(), bytes.size(), 0))
        return wordcount::msg::MismatchedPair(listName, indexName, "the index cannot be read");
    std::int64_t letterTypes = 0;
    for (int n = 0; n < kLetterRecords; ++n) {
        file.letters[n] = DecodeIndexRecord(bytes.data() + n * kIndexRecordSize);
        if (file.letters[n].count < 0)
            return wordcount::msg::MismatchedPair(listName, indexName,
                                                  "a letter record is damaged");
        letterTypes += file.letters[n].count;
    }
    if (letterTypes != file.typeCount)
        return wordcount::msg::MismatchedPair(listName, indexName,
                                              "the letter records do not add up");

    file.types.resize(static_cast<std::size_t>(file.typeCount));
    std::int64_t frequencies = 0;
    for (std::size_t i = 0; i < file.types.size(); ++i)
        file.types[i] = DecodeIndexRecord(bytes.data() + (kLetterRecords + i) * kIndexRecordSize);

    // Every type record must point at the start of its own line, in order, and every
    // frequency must be a real count: the list is read through once to check.
    std::int64_t expected = kFirstLinePosition;
    std::size_t next = 0;
    std::string block(kIoBlock, '\0');
    std::uint64_t offset = kCountHeaderLength + 2;
    std::int64_t lineStart = kFirstLinePosition;
    while (offset < listSize && next < file.types.size()) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), listSize - offset));
        if (!readAllAt(file.list.get(), block.data(), want, offset))
            return wordcount::msg::MismatchedPair(listName, indexName,
                                                  "the word list cannot be read");
        for (std::size_t i = 0; i < want && next < file.types.size(); ++i) {
            if (block[i] != '\n')
                continue;
            const CountIndexRecord& r = file.types[next];
            if (r.position != lineStart || lineStart != expected || r.count <= 0)
                return wordcount::msg::MismatchedPair(listName, indexName,
                                                      "type " + std::to_string(next + 1) +
                                                          " is not where the index says");
            frequencies += r.count;
            ++next;
            lineStart = static_cast<std::int64_t>(offset + i) + 2;
            expected = lineStart;
        }
        offset += want;
    }
    if (next != file.types.size())
        return wordcount::msg::MismatchedPair(listName, indexName, "the word list has fewer lines");
    if (frequencies > file.tokenCount)
        return wordcount::msg::MismatchedPair(listName, indexName,
                                              "the frequencies exceed the tokens");
    return file;
}

std::string ReadWordAt(const CountFile& file, std::int32_t position) {
    char text[30];
    if (position < 1)
        return {};
    const ssize_t got = ::pread(file.list.get(), text, sizeof text, position - 1);
    if (got <= 0)
        return {};
    const std::string_view read(text, static_cast<std::size_t>(got));
    const std::size_t cr = read.find('\r');
    return std::string(cr == std::string_view::npos ? read : read.substr(0, cr));
}

Status ForEachWord(const CountFile& file,
                   const std::function<void(std::size_t, std::string_view)>& take) {
    struct stat st {};
    if (::fstat(file.list.get(), &st) != 0)
        return wordcount::msg::InvalidFile(FileNameOf(file.listPath));
    std::string block(kIoBlock, '\0');
    std::uint64_t offset = kCountHeaderLength + 2;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    std::string word; // a word cut by the block's end
    std::size_t index = 0;
    while (offset < size && index < file.types.size()) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - offset));
        if (!readAllAt(file.list.get(), block.data(), want, offset))
            return wordcount::msg::InvalidFile(FileNameOf(file.listPath));
        std::size_t from = 0;
        for (std::size_t i = 0; i < want && index < file.types.size(); ++i) {
            if (block[i] != '\n')
                continue;
            std::string_view piece(block.data() + from, i - from);
            if (!word.empty()) {
                word.append(piece);
                piece = word;
            }
            if (!piece.empty() && piece.back() == '\r')
                piece.remove_suffix(1);
            take(index++, piece);
            word.clear();
            from = i + 1;
        }
        if (index < file.types.size())
            word.append(block.data() + from, want - from);
        offset += want;
    }
    return {};
}

Result<std::vector<std::string>> ReadAllWords(const CountFile& file) {
    std::vector<std::string> words;
    words.reserve(file.types.size());
    Status read =
        ForEachWord(file, [&](std::size_t, std::string_view word) { words.emplace_back(word); });
    if (!read)
        return read.failure();
    words.resize(file.types.size());
    return words;
}

} // namespace lexmora
