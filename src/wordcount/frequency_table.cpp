#include "wordcount/frequency_table.h"

#include "core/file_utils.h"
#include "core/text_codec.h"

#include "core/file_io.h"
#include "core/paths.h"
#include "core/staged_file.h"
#include "wordcount/messages.h"
#include "wordcount/word_rules.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <unistd.h>

namespace lexmora {

namespace {

// Norms are written without leading zeros ("916 per 1M", not "00916 per 1M"): padded numbers
// read as codes, and the field is as wide either way.
constexpr NormOption kNorms[] = {
    {1, "per 100 words", 100, " per 100", 1, 1},
    {2, "per 1 000 words (1k)", 1000, " per 1k", 1, 1},
    {3, "per 10 000 words (10k)", 10000, " per 10k", 1, 0},
    {4, "per 100 000 words (100k)", 100000, " per 100k", 1, 0},
    {5, "per 1 000 000 words (1M)", 1000000, " per 1M", 1, 0},
};

// A number with at least `integerDigits` digits before the point and `decimals` after it,
// rounded half away from zero as the program's number formats round.
std::string formatFixed(double value, int integerDigits, int decimals) {
    std::int64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const auto scaled = static_cast<std::int64_t>(std::llround(value * static_cast<double>(scale)));
    std::string whole = std::to_string(scaled / scale);
    if (static_cast<int>(whole.size()) < integerDigits)
        whole.insert(0, static_cast<std::size_t>(integerDigits) - whole.size(), '0');
    if (decimals == 0)
        return whole;
    std::string fraction = std::to_string(scaled % scale);
    fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
    return whole + "." + fraction;
}

void appendField(std::string& line, std::string_view text, std::size_t width, bool mayCut) {
    if (text.size() >= width) {
        line.append(mayCut ? text.substr(0, width) : text);
        return;
    }
    line.append(text);
    line.append(width - text.size(), ' ');
}

// A number is never cut; one as wide as its field or wider still keeps a blank before the next
// field, or a frequency of six digits would read as part of its percentage.
void appendNumberField(std::string& line, std::string_view text, std::size_t width) {
    appendField(line, text, width, false);
    if (text.size() >= width)
        line += ' ';
}

// The whole line starting at a 1-based position of the word list.
std::string lineAt(const CountFile& file, std::int32_t position) {
    std::string word;
    char buffer[256];
    off_t at = position - 1;
    for (;;) {
        const ssize_t got = ::pread(file.list.get(), buffer, sizeof buffer, at);
        if (got <= 0)
            return word;
        const std::string_view read(buffer, static_cast<std::size_t>(got));
        const std::size_t cr = read.find_first_of("\r\n");
        if (cr != std::string_view::npos) {
            word.append(read.substr(0, cr));
            return word;
        }
        word.append(read);
        at += got;
    }
}

} // namespace

const NormOption& NormOptionOf(int option) {
    if (option < 1 || option > 5)
        return kNorms[0];
    return kNorms[option - 1];
}

std::string FormatPercentage(std::int64_t frequency, std::int64_t tokens) {
    const double share =
        tokens > 0 ? static_cast<double>(frequency) / static_cast<double>(tokens) : 0.0;
    return formatFixed(share * 100.0, 1, 4) + "%";
}

std::string FormatNorm(std::int64_t frequency, std::int64_t tokens, int option) {
    const NormOption& norm = NormOptionOf(option);
    const double share =
        tokens > 0 ? static_cast<double>(frequency) / static_cast<double>(tokens) : 0.0;
    return formatFixed(share * static_cast<double>(norm.base), norm.integerDigits, norm.decimals) +
           norm.suffix;
}

std::string DetailsLine(std::int64_t number, std::string_view word, std::int64_t frequency,
                        std::string_view percentage, std::string_view norm) {
    std::string line;
    line.reserve(56);
    appendNumberField(line, std::to_string(number), 6);
    appendField(line, word, 20, true);
    appendNumberField(line, std::to_string(frequency), 6);
    appendNumberField(line, percentage, 9);
    appendField(line, norm, 13, false);
    return line;
}

FrequencyTable::FrequencyTable(CountFile file) : m_file(std::move(file)) {
    m_order.resize(m_file.types.size());
    std::iota(m_order.begin(), m_order.end(), 0);
    m_norm = m_file.defaultNorm;
}

void FrequencyTable::setNorm(int option) {
    m_norm = option == 0 ? m_file.defaultNorm : NormOptionOf(option).option;
}

std::int64_t FrequencyTable::frequencyAt(std::int64_t index) const {
    return m_file.types[static_cast<std::size_t>(m_order[static_cast<std::size_t>(index)])].count;
}

FrequencyRow FrequencyTable::row(std::int64_t index) const {
    const CountIndexRecord& r =
        m_file.types[static_cast<std::size_t>(m_order[static_cast<std::size_t>(index)])];
    FrequencyRow row;
    row.record = index + 1;
    row.word = ReadWordAt(m_file, r.position);
    row.frequency = r.count;
    row.percentage = FormatPercentage(r.count, m_file.tokenCount);
    row.norm = FormatNorm(r.count, m_file.tokenCount, m_norm);
    return row;
}

std::vector<FrequencyRow> FrequencyTable::rows(std::int64_t top, std::int64_t count) const {
    std::vector<FrequencyRow> out;
    for (std::int64_t i = std::max<std::int64_t>(top, 0); i < size() && i < top + count; ++i)
        out.push_back(row(i));
    return out;
}

std::string FrequencyTable::wordOf(std::size_t listIndex) const {
    return lineAt(m_file, m_file.types[listIndex].position);
}

Status FrequencyTable::sortBy(FrequencySort order) {
    const auto& types = m_file.types;
    switch (order) {
    case FrequencySort::Ascending:
    case FrequencySort::Descending: {
        // equal frequencies stay in the list's alphabetical order, both ways
        const bool up = order == FrequencySort::Ascending;
        std::sort(m_order.begin(), m_order.end(), [&types, up](std::int32_t a, std::int32_t b) {
            const auto fa = types[static_cast<std::size_t>(a)].count;
            const auto fb = types[static_cast<std::size_t>(b)].count;
            if (fa != fb)
                return up ? fa < fb : fa > fb;
            return a < b;
        });
        m_listOrder = false;
        m_byEnding = false;
        return Status::success();
    }
    case FrequencySort::WordBeginning:
    case FrequencySort::WordEnding: {
        Result<std::vector<std::string>> words = ReadAllWords(m_file);
        if (!words)
            return words.error();
        auto& keys = words.value();
        const bool ending = order == FrequencySort::WordEnding;
        if (ending)
            for (std::string& key : keys) {
                while (!key.empty() && key.back() == ' ')
                    key.pop_back();
                std::reverse(key.begin(), key.end());
            }
        std::sort(m_order.begin(), m_order.end(), [&keys, ending](std::int32_t a, std::int32_t b) {
            const std::string& ka = keys[static_cast<std::size_t>(a)];
            const std::string& kb = keys[static_cast<std::size_t>(b)];
            // by ending: character codes (memcmp order); by beginning: the list's own order
            const int c = ending ? ka.compare(kb) : CompareWords(ka, kb);
            if (c != 0)
                return c < 0;
            return a < b;
        });
        m_byEnding = ending;
        m_listOrder = !ending;
        for (std::size_t i = 0; m_listOrder && i < m_order.size(); ++i)
            m_listOrder = m_order[i] == static_cast<std::int32_t>(i);
        return Status::success();
    }
    }
    return Status::success();
}

FrequencyTable::Found FrequencyTable::findWord(std::string_view entry) {
    Found found;
    if (entry.empty() || m_order.empty())
        return found;
    if (!m_listOrder && size() > 50000 && !m_warnedSlow) {
        m_warnedSlow = true;
        found.notice = wordcount::msg::SlowWordSearch();
    }
    const auto first = static_cast<unsigned char>(entry[0]);
    const bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
    if (m_listOrder && letter) {
        const int n = (first | 0x20) - 'a';
        std::int64_t lo = 0;
        for (int i = 0; i < n; ++i)
            lo += m_file.letters[static_cast<std::size_t>(i)].count;
        std::int64_t hi = lo + m_file.letters[static_cast<std::size_t>(n)].count - 1;
        while (lo <= hi && hi < size()) {
            const std::int64_t mid = lo + (hi - lo) / 2;
            const std::string word = wordOf(static_cast<std::size_t>(mid));
            if (SameType(word, entry)) {
                found.index = mid;
                return found;
            }
            if (CompareWords(word, entry) < 0)
                lo = mid + 1;
            else
                hi = mid - 1;
        }
        // The letter's records hold every word of the letter in this order: reading the whole
        // list as well would only make a miss cost seconds on a large list.
        return found;
    }
    // Record by record: the word list is read through once, then the record is found in the
    // current order.
    Result<std::vector<std::string>> words = ReadAllWords(m_file);
    if (!words)
        return found;
    for (std::size_t i = 0; i < m_order.size(); ++i)
        if (SameType(words.value()[static_cast<std::size_t>(m_order[i])], entry)) {
            found.index = static_cast<std::int64_t>(i);
            return found;
        }
    return found;
}

std::pair<std::int64_t, std::int64_t> FrequencyTable::valueRange(bool byFrequency) const {
    if (m_order.empty())
        return {0, 0};
    if (!byFrequency)
        return {1, size()};
    std::int64_t lo = frequencyAt(0), hi = lo;
    for (const CountIndexRecord& r : m_file.types) {
        lo = std::min<std::int64_t>(lo, r.count);
        hi = std::max<std::int64_t>(hi, r.count);
    }
    return {lo, hi};
}

Result<std::vector<std::int64_t>>
FrequencyTable::selectRange(std::int64_t minimum, std::int64_t maximum, bool byFrequency) const {
    if (minimum > maximum)
        return wordcount::msg::MinimumAboveMaximum();
    std::vector<std::int64_t> chosen;
    for (std::int64_t i = 0; i < size(); ++i) {
        const std::int64_t value = byFrequency ? frequencyAt(i) : i + 1;
        if (value >= minimum && value <= maximum)
            chosen.push_back(i);
    }
    return chosen;
}

std::vector<std::int64_t>
FrequencyTable::inFrequencyOrder(std::vector<std::int64_t> indices) const {
    const auto higher = [this](std::int64_t a, std::int64_t b) {
        return frequencyAt(a) > frequencyAt(b);
    };
    const auto lower = [this](std::int64_t a, std::int64_t b) {
        return frequencyAt(a) < frequencyAt(b);
    };
    if (std::is_sorted(indices.begin(), indices.end(), lower))
        return indices; // ascending already (the table sorted so, or all of one frequency)
    std::stable_sort(indices.begin(), indices.end(), higher);
    return indices;
}

std::string FrequencyTable::detailsText(const std::vector<std::int64_t>& indices) const {
    std::string text;
    text.reserve(56 * indices.size() + 47);
    text += kDetailsHeader;
    text += "\r\n";
    for (std::int64_t i : indices) {
        const FrequencyRow r = row(i);
        text += DetailsLine(r.record, r.word, r.frequency, r.percentage, r.norm);
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> FrequencyTable::printLines(const std::vector<std::int64_t>& indices,
                                                    bool doubleColumn, int linesPerPage) const {
    std::vector<std::string> lines;
    const auto lineOf = [this](std::int64_t i) {
        const FrequencyRow r = row(i);
        return DetailsLine(r.record, r.word, r.frequency, r.percentage, r.norm);
    };
    const std::size_t perPage = static_cast<std::size_t>(std::max(2, linesPerPage) - 1);
    const std::string gap(11, ' ');
    const std::string header =
        doubleColumn ? std::string(kDetailsHeader) + gap + kDetailsHeader : kDetailsHeader;
    const std::size_t perSheet = doubleColumn ? perPage * 2 : perPage;
    for (std::size_t start = 0; start < indices.size(); start += perSheet) {
        if (start > 0)
            lines.emplace_back("\f");
        lines.push_back(header);
        const std::size_t end = std::min(indices.size(), start + perSheet);
        if (!doubleColumn) {
            for (std::size_t k = start; k < end; ++k)
                lines.push_back(lineOf(indices[k]));
            continue;
        }
        const std::size_t half = (end - start + 1) / 2;
        for (std::size_t k = 0; k < half; ++k) {
            std::string line = lineOf(indices[start + k]);
            if (start + half + k < end) {
                line.resize(std::max<std::size_t>(line.size(), 54), ' ');
                line += gap + lineOf(indices[start + half + k]);
            }
            lines.push_back(line);
        }
    }
    return lines;
}

std::int64_t TopForRecord(std::int64_t index, std::int64_t total, int rows) {
    const std::int64_t lastTop = std::max<std::int64_t>(1, total - rows + 1);
    return std::clamp<std::int64_t>(index + 1 - 6, 1, lastTop);
}

Result<std::string> SaveDetails(ProgramState& state, const FrequencyTable& table,
                                const std::vector<std::int64_t>& indices, Prompter& prompter,
                                const ChooseFolder& chooseFolder) {
    const Answer where =
        prompter.ask(wordcount::msg::SaveDetailsWhere(state.FrequencyFilesDirectory));
    if (where == Answer::Cancel)
        return std::string();
    if (where == Answer::Yes && chooseFolder) {
        const std::optional<std::string> folder = chooseFolder();
        if (folder && !folder->empty())
            state.FrequencyFilesDirectory = *folder;
    }
    const std::string folder = state.FrequencyFilesDirectory;
    // Under the first free name, and never over a file another run saved there meanwhile.
    const auto freeName = [&]() -> std::string {
        const std::string name = MakeUniqueFileName(
            folder, utf8ToCp1252(StripExtension(FileNameOf(table.file().listPath))), ".lex",
            state.InvalidFileNameChars);
        return name.empty() ? std::string() : JoinPath(folder, name);
    };
    const std::string text = table.detailsText(indices);
    int error = 0;
    const std::string path = SaveUnderFreeName(
        freeName, [&text](StagedFile& out) { return out.append(text); }, error);
    if (path.empty()) {
        const Message failed = wordcount::msg::CannotSaveDetails();
        prompter.tell(failed);
        return failed;
    }
    prompter.tell(wordcount::msg::DetailsSaved(path));
    return path;
}

} // namespace lexmora
