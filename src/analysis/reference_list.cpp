#include "analysis/reference_list.h"

#include "analysis/messages.h"
#include "codes/code_detect.h"
#include "core/file_io.h"
#include "core/paths.h"
#include "wordcount/frequency_files.h"
#include "wordcount/messages.h"
#include "wordcount/word_rules.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora {

namespace {

// Far above any real corpus, far below what an int64 holds.
constexpr std::int64_t kMostTokens = 1'000'000'000'000'000;
// Bad lines a note names one by one; the rest are counted.
constexpr std::int64_t kBadLinesNamed = 10;
constexpr std::uint64_t kLargestText = std::numeric_limits<std::uint32_t>::max();

Result<std::string> readWhole(const std::string& path) {
    const std::string name = FileNameOf(path);
    // O_NONBLOCK: a FIFO is refused at once instead of waiting for a writer.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid())
        return Failure(analysis::msg::KeynessCannotReadList(name, std::strerror(errno)),
                       FailureCode::CannotOpen, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Failure(analysis::msg::KeynessNotAFile(name), FailureCode::InvalidInput);
    if (static_cast<std::uint64_t>(st.st_size) >= kLargestText)
        return Failure(analysis::msg::KeynessListTooLarge(name), FailureCode::InvalidInput);
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got =
            ::pread(fd.get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Failure(analysis::msg::KeynessCannotReadList(name, std::strerror(errno)),
                           FailureCode::DeviceFailure, errno);
        if (got == 0)
            break; // shortened while read: what is there is the list
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A whole number of at most 18 digits; -1 when the field is not one.
std::int64_t wholeNumber(std::string_view s) {
    s = trimBlanks(s);
    if (s.empty() || s.size() > 18)
        return -1;
    std::int64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// A rank: digits with at most one point (tied ranks are often shared out, "3.5").
bool isRank(std::string_view s) {
    s = trimBlanks(s);
    bool digit = false, point = false;
    for (char c : s) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

bool startsNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

// Reads the lines of a plain list into `list`, counting bad lines; the first failure that
// stops the reading.
class PlainListReader {
public:
    PlainListReader(ComparedList& list, BadLines badLines) : m_list(list), m_badLines(badLines) {}

    Status read(std::string_view text) {
        std::int64_t number = 0;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            ++number;
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (const char* why = readLine(line))
                bad(number, why);
        }
        if (m_badLines == BadLines::Skip && m_bad > kBadLinesNamed)
            m_list.notes.push_back(analysis::msg::KeynessMoreSkipped(m_bad - kBadLinesNamed));
        if (m_bad > 0 && m_badLines == BadLines::Refuse)
            return Failure(
                analysis::msg::KeynessBadLine(m_list.name, m_firstBad, m_firstWhy, m_bad),
                FailureCode::InvalidInput);
        return Status::success();
    }

    std::int64_t sum() const { return m_sum; }
    std::int64_t givenTokens() const { return m_givenTokens; }

private:
    // Nothing when the line is an entry, a comment or blank; else why it is none.
    const char* readLine(std::string_view line) {
        if (trimBlanks(line).empty())
            return nullptr;
        if (line.front() == '#')
            return readComment(line.substr(1));
        const std::size_t tab1 = line.find('\t');
        if (tab1 == std::string_view::npos)
            return analysis::msg::kLineNoTab;
        const std::size_t tab2 = line.find('\t', tab1 + 1);
        std::string_view word, frequency;
        if (tab2 == std::string_view::npos) {
            word = line.substr(0, tab1);
            frequency = line.substr(tab1 + 1);
        } else {
            if (line.find('\t', tab2 + 1) != std::string_view::npos)
                return analysis::msg::kLineTooManyFields;
            if (!isRank(line.substr(0, tab1)))
                return analysis::msg::kLineBadRank;
            frequency = line.substr(tab1 + 1, tab2 - tab1 - 1);
            word = line.substr(tab2 + 1);
        }
        word = trimBlanks(word);
        if (word.empty())
            return analysis::msg::kLineNoWord;
        const std::int64_t count = wholeNumber(frequency);
        if (count < 0)
            return analysis::msg::kLineBadFrequency;
        if (m_sum > kMostTokens - count)
            return analysis::msg::kLineFrequencyTooLarge;
        if (count == 0)
            return nullptr; // an entry that adds nothing
        m_sum += count;
        m_list.words.push_back({static_cast<std::uint32_t>(m_list.text.size()),
                                static_cast<std::uint32_t>(word.size())});
        m_list.text.append(word);
        m_list.counts.push_back(count);
        return nullptr;
    }

    // "# tokens: N" gives the token total; any other comment is read over.
    const char* readComment(std::string_view rest) {
        rest = trimBlanks(rest);
        if (!startsNoCase(rest, "tokens:"))
            return nullptr;
        const std::int64_t tokens = wholeNumber(rest.substr(7));
        if (tokens < 0 || tokens > kMostTokens)
            return analysis::msg::kLineBadTokens;
        if (m_givenTokens >= 0)
            return analysis::msg::kLineSecondTokens;
        m_givenTokens = tokens;
        return nullptr;
    }

    void bad(std::int64_t number, const char* why) {
        if (m_bad++ == 0) {
            m_firstBad = number;
            m_firstWhy = why;
        }
        if (m_badLines == BadLines::Skip && m_bad <= kBadLinesNamed)
            m_list.notes.push_back(analysis::msg::KeynessSkippedLine(m_list.name, number, why));
    }

    ComparedList& m_list;
    BadLines m_badLines;
    std::int64_t m_sum = 0;
    std::int64_t m_givenTokens = -1;
    std::int64_t m_bad = 0;
    std::int64_t m_firstBad = 0;
    std::string m_firstWhy;
};

bool inTypeOrder(const ComparedList& list) {
    for (std::size_t i = 1; i < list.size(); ++i)
        if (CompareTypes(list.word(i - 1), list.word(i)) >= 0)
            return false;
    return true;
}

} // namespace


std::int64_t PutInTypeOrder(ComparedList& list) {
    if (inTypeOrder(list))
        return 0;
    std::vector<std::uint32_t> order(list.size());
    std::iota(order.begin(), order.end(), 0u);
    // the word list's own order, so that a type keeps the spelling the word count would give it
    std::stable_sort(order.begin(), order.end(), [&list](std::uint32_t x, std::uint32_t y) {
        return CompareWords(list.word(x), list.word(y)) < 0;
    });
    std::vector<ComparedList::Span> words;
    std::vector<std::int64_t> counts;
    words.reserve(list.size());
    counts.reserve(list.size());
    std::int64_t joined = 0;
    const std::string_view text = list.text;
    for (std::uint32_t i : order) {
        if (!words.empty() && CompareTypes(list.word(i), text.substr(words.back().offset,
                                                                     words.back().length)) == 0) {
            counts.back() += list.counts[i];
            ++joined;
            continue;
        }
        words.push_back(list.words[i]);
        counts.push_back(list.counts[i]);
    }
    list.words = std::move(words);
    list.counts = std::move(counts);
    return joined;
}

Result<ComparedList> LoadCountList(const std::string& listPath) {
    Result<CountFile> loaded = LoadCountFile(listPath);
    if (!loaded)
        return Failure(loaded.error(), FailureCode::InvalidInput);
    const CountFile& file = loaded.value();
    ComparedList list;
    list.name = FileNameOf(listPath);
    if (file.types.empty())
        return Failure(analysis::msg::KeynessEmptyList(list.name), FailureCode::InvalidInput);
    Result<std::string> text = readWhole(listPath);
    if (!text)
        return text.failure();
    list.text = std::move(text.value());
    list.tokens = file.tokenCount;
    list.words.reserve(file.types.size());
    list.counts.reserve(file.types.size());
    const char* const base = list.text.data();
    const std::size_t size = list.text.size();
    for (const CountIndexRecord& r : file.types) {
        // LoadCountFile checked that each record starts a line of the list as it was read
        const auto offset = static_cast<std::size_t>(r.position - 1);
        if (offset >= size)
            return Failure(wordcount::msg::InvalidFile(list.name), FailureCode::InvalidInput);
        const void* cr = std::memchr(base + offset, '\r', size - offset);
        const std::size_t end =
            cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - base) : size;
        list.words.push_back(
            {static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(end - offset)});
        list.counts.push_back(r.count);
    }
    if (const std::int64_t joined = PutInTypeOrder(list))
        list.notes.push_back(analysis::msg::KeynessSpellingsJoined(list.name, joined));
    return list;
}

Result<ComparedList> ParsePlainList(std::string_view bytes, const std::string& name,
                                    BadLines badLines) {
    ComparedList list;
    list.name = name;
    const SourceConversion conversion = DetectConversion(bytes, false);
    const std::string converted =
        conversion == SourceConversion::None ? std::string() : ConvertSourceText(bytes, conversion);
    const std::string_view text = conversion == SourceConversion::None ? bytes : converted;
    // room for every line at once: no copying as the entries come
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    list.words.reserve(lines);
    list.counts.reserve(lines);
    list.text.reserve(text.size());
    PlainListReader reader(list, badLines);
    if (Status read = reader.read(text); !read)
        return read.failure();
    if (list.words.empty())
        return Failure(analysis::msg::KeynessEmptyList(name), FailureCode::InvalidInput);
    list.tokens = reader.givenTokens() >= 0 ? reader.givenTokens() : reader.sum();
    if (list.tokens == 0)
        return Failure(analysis::msg::KeynessNoTokens(name), FailureCode::InvalidInput);
    if (reader.sum() > list.tokens)
        return Failure(
            analysis::msg::KeynessFrequenciesExceedTokens(name, reader.sum(), list.tokens),
            FailureCode::InvalidInput);
    if (const std::int64_t joined = PutInTypeOrder(list))
        list.notes.push_back(analysis::msg::KeynessSpellingsJoined(name, joined));
    return list;
}

Result<ComparedList> LoadPlainList(const std::string& path, BadLines badLines) {
    Result<std::string> bytes = readWhole(path);
    if (!bytes)
        return bytes.failure();
    return ParsePlainList(bytes.value(), FileNameOf(path), badLines);
}

Result<ComparedList> LoadReferenceList(const std::string& path, BadLines badLines) {
    if (equalsNoCase(ExtensionOf(FileNameOf(path)), ".lst"))
        return LoadCountList(path);
    return LoadPlainList(path, badLines);
}

} // namespace lexmora
