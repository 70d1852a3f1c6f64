#include "viewer/extracts.h"

#include "core/file_io.h"
#include "core/file_utils.h"
#include "core/paths.h"
#include "core/staged_file.h"
#include "core/text_codec.h"
#include "viewer/messages.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora {

void Clipboard::setUtf8Text(const std::string& text) {
    setText(utf8ToCp1252(text));
}

namespace {

namespace msg = viewer::msg;

// Writes a file through a temporary neighbour renamed over it at the end, so that a failed or
// abandoned write never leaves a half-written output (nor harms an older file of the name).
class AtomicOutput {
public:
    explicit AtomicOutput(std::string path) : m_path(std::move(path)) {
        m_temp = m_path + ".XXXXXX";
        m_fd = UniqueFd(::mkstemp(m_temp.data()));
        if (m_fd.valid())
            ::fchmod(m_fd.get(), 0644);
    }
    ~AtomicOutput() {
        if (m_fd.valid()) {
            m_fd.reset();
            ::unlink(m_temp.c_str());
        }
    }
    bool valid() const { return m_fd.valid(); }
    bool append(std::string_view data) {
        m_buffer.append(data);
        return m_buffer.size() < (1u << 20) || flush();
    }
    bool commit() {
        if (!m_fd.valid() || !flush())
            return false;
        const bool closed = ::close(m_fd.release()) == 0;
        if (!closed || std::rename(m_temp.c_str(), m_path.c_str()) != 0) {
            ::unlink(m_temp.c_str());
            return false;
        }
        return true;
    }

private:
    bool flush() {
        const bool ok = m_ok && writeAll(m_fd.get(), m_buffer);
        m_buffer.clear();
        m_ok = ok;
        return ok;
    }
    std::string m_path, m_temp;
    UniqueFd m_fd;
    std::string m_buffer;
    bool m_ok = true;
};

std::string outputBase(const ResultViewer& viewer) {
    // The name on disk is UTF-8; the unique-name rule works on the program's text.
    return utf8ToCp1252(FileNameOf(viewer.path()));
}

std::vector<std::string> wrapLine(std::string_view line, std::size_t columns) {
    std::vector<std::string> out;
    if (columns == 0)
        columns = 1;
    while (line.size() > columns) {
        std::size_t cut = line.rfind(' ', columns);
        if (cut == std::string_view::npos || cut == 0)
            cut = columns;
        out.emplace_back(line.substr(0, cut));
        line.remove_prefix(cut);
        while (!line.empty() && line.front() == ' ')
            line.remove_prefix(1);
    }
    out.emplace_back(line);
    return out;
}

} // namespace

Status CheckExtractRange(const ExtractRange& range, std::int64_t indexCount) {
    if (range.first > range.last || range.first < 1 || range.last > indexCount)
        return msg::StartAfterFinish();
    return {};
}

std::vector<std::int64_t> ExtractPositions(const ExtractRange& range,
                                           const std::vector<std::int64_t>& selection) {
    std::vector<std::int64_t> positions;
    if (selection.empty()) {
        for (std::int64_t p = range.first; p <= range.last; ++p)
            positions.push_back(p);
        return positions;
    }
    for (std::int64_t p : selection)
        if (p >= range.first && p <= range.last)
            positions.push_back(p);
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}

std::optional<ExtractRange> RangeOfSelection(const std::vector<std::int64_t>& selection) {
    if (selection.empty())
        return std::nullopt;
    const auto [lo, hi] = std::minmax_element(selection.begin(), selection.end());
    return ExtractRange{*lo, *hi};
}

std::string ExtractLine(std::string_view record, LineForm form, int leftContextWidth) {
    if (form == LineForm::WholeRecord)
        return std::string(record);
    // Column LeftContextWidth - 25; a narrower left context starts at the record's beginning.
    const std::size_t start =
        leftContextWidth > 26 ? static_cast<std::size_t>(leftContextWidth - 26) : 0;
    if (start >= record.size())
        return {};
    return std::string(record.substr(start, kKwicSectionWidth));
}

std::string BuildExtractText(ResultViewer& viewer, const std::vector<std::int64_t>& positions,
                             LineForm form) {
    std::string text;
    for (std::int64_t p : positions) {
        text += ExtractLine(viewer.GetRecord(p), form, viewer.LeftContextWidth());
        text += "\r\n";
    }
    return text;
}

Status CopyExtract(ResultViewer& viewer, const std::vector<std::int64_t>& positions, LineForm form,
                   Clipboard& clipboard,
                   const std::function<std::optional<std::uint64_t>()>& freeMemory) {
    const std::uint64_t width = form == LineForm::WholeRecord
                                    ? static_cast<std::uint64_t>(viewer.RecordLength() - 2)
                                    : kKwicSectionWidth;
    const std::uint64_t estimate = positions.size() * (width + 2);
    const auto available = freeMemory ? freeMemory() : std::nullopt;
    if (available && *available <= estimate)
        return msg::NotEnoughMemoryToCopy();
    clipboard.setText(BuildExtractText(viewer, positions, form));
    return {};
}

Result<std::string> SaveExtract(ResultViewer& viewer, const std::vector<std::int64_t>& positions,
                                LineForm form, const std::string& folder,
                                const std::string& invalidFileNameChars, Prompter& prompter) {
    // The name is free when chosen; another run saving an extract of the same file meanwhile
    // makes this one take the next free name, never the other's.
    std::string name;
    bool created = false;
    const auto freeName = [&]() -> std::string {
        name = MakeUniqueFileName(folder, StripExtension(outputBase(viewer)), ".cnc",
                                  invalidFileNameChars);
        return name.empty() ? std::string() : JoinPath(folder, name);
    };
    const auto write = [&](StagedFile& out) {
        created = true;
        for (std::int64_t p : positions) {
            std::string line = ExtractLine(viewer.GetRecord(p), form, viewer.LeftContextWidth());
            line += "\r\n";
            if (!out.append(line))
                return false;
        }
        return true;
    };
    int error = 0;
    const std::string path = SaveUnderFreeName(freeName, write, error);
    if (path.empty()) {
        const Message failure =
            created ? msg::ExtractSaveFailed()
                    : msg::CannotCreateOutput(name.empty() ? outputBase(viewer) + ".cnc"
                                                           : utf8ToCp1252(name));
        prompter.tell(failure);
        return failure;
    }
    prompter.tell(msg::TextSaved(utf8ToCp1252(folder), utf8ToCp1252(name)));
    return path;
}

std::string NewFileNameFor(const ResultViewer& viewer, const std::string& folder,
                           const std::string& invalidFileNameChars) {
    const std::string base = StripExtension(FileNameOf(viewer.path()));
    const std::string path = JoinPath(folder, base + ".new");
    struct stat target {};
    struct stat viewed {};
    const bool same = ::stat(path.c_str(), &target) == 0 &&
                      ::stat(viewer.path().c_str(), &viewed) == 0 &&
                      target.st_dev == viewed.st_dev && target.st_ino == viewed.st_ino;
    if (!same)
        return path;
    const std::string name =
        MakeUniqueFileName(folder, utf8ToCp1252(base), ".new", invalidFileNameChars);
    return name.empty() ? std::string() : JoinPath(folder, name);
}

Result<std::string> SaveChanges(ResultViewer& viewer, const std::string& folder,
                                const std::string& invalidFileNameChars, Prompter& prompter) {
    const std::string path = NewFileNameFor(viewer, folder, invalidFileNameChars);
    if (path.empty()) {
        prompter.tell(msg::DiscProblem());
        return msg::DiscProblem();
    }
    if (prompter.ask(msg::SaveChangesTo(utf8ToCp1252(path))) != Answer::Ok)
        return std::string();
    AtomicOutput out(path);
    bool ok = out.valid();
    viewer.VisitRecords(1, viewer.IndexCount(), [&](std::int64_t, std::string_view record) {
        // A record that cannot be read is not copied as if it were sound.
        ok = ok && record.size() + 2 == static_cast<std::size_t>(viewer.RecordLength()) &&
             record != kDamagedRecordText && out.append(record) && out.append("\r\n");
        return ok;
    });
    if (!ok || !out.commit()) {
        prompter.tell(msg::DiscProblem());
        return msg::DiscProblem();
    }
    viewer.markSaved();
    return path;
}

Result<std::string> SaveOnLeaving(ResultViewer& viewer, const std::string& folder,
                                  const std::string& invalidFileNameChars, Prompter& prompter) {
    if (viewer.ChangeCount() <= 0 || prompter.ask(msg::SaveChangesOnLeaving()) != Answer::Yes)
        return std::string();
    return SaveChanges(viewer, folder, invalidFileNameChars, prompter);
}

std::vector<std::vector<std::string>> LayOutPages(const std::vector<std::string>& lines,
                                                  PageGeometry page) {
    std::vector<std::vector<std::string>> pages;
    const std::size_t perPage = page.lines > 0 ? static_cast<std::size_t>(page.lines) : 1;
    std::vector<std::string> current;
    for (const auto& line : lines) {
        for (auto& piece : wrapLine(line, static_cast<std::size_t>(std::max(page.columns, 1)))) {
            current.push_back(std::move(piece));
            if (current.size() == perPage) {
                pages.push_back(std::move(current));
                current.clear();
            }
        }
    }
    if (!current.empty())
        pages.push_back(std::move(current));
    return pages;
}

Status PrintExtract(ResultViewer& viewer, const ExtractRange& range,
                    const std::vector<std::int64_t>& positions, LineForm form, PageGeometry page,
                    Prompter& prompter, Printer& printer) {
    if (prompter.ask(msg::PrinterReady()) != Answer::Ok)
        return {};
    std::vector<std::string> lines;
    lines.push_back(utf8ToCp1252(FileNameOf(viewer.path())));
    lines.push_back(std::to_string(range.first) + " to " + std::to_string(range.last) +
                    "   records: " + std::to_string(positions.size()));
    lines.emplace_back();
    for (std::int64_t p : positions)
        lines.push_back(ExtractLine(viewer.GetRecord(p), form, viewer.LeftContextWidth()));
    return printer.print(PrintJob{"Courier New", LayOutPages(lines, page)});
}

Status TextPrintSession::print(const std::vector<std::string>& lines, PageGeometry page,
                               Prompter& prompter, Printer& printer) {
    if (!m_open) {
        if (prompter.ask(msg::PrinterReady()) != Answer::Ok)
            return {};
        m_open = true;
        m_page = page;
        m_lines.clear();
    } else {
        m_lines.emplace_back(); // one job below the other on the same page
    }
    m_lines.insert(m_lines.end(), lines.begin(), lines.end());
    if (prompter.ask(msg::PrintMoreOnPage()) == Answer::Yes)
        return {};
    return finish(printer);
}

Status TextPrintSession::finish(Printer& printer) {
    if (!m_open)
        return {};
    m_open = false;
    PrintJob job{"Arial", LayOutPages(m_lines, m_page)};
    m_lines.clear();
    return printer.print(job);
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

Status ClipboardGather::add(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 2;
    if (size > m_limit)
        return Failure(msg::StringTooLong(), FailureCode::StringTooLong);
    if (m_text.size() + size > m_limit)
        return Failure(msg::NotEnoughMemoryToAdd(), FailureCode::OutOfMemory);
    for (const auto& line : lines) {
        m_text += line;
        m_text += "\r\n";
    }
    return {};
}

void ClipboardGather::copy(const std::vector<std::string>& selectedLines,
                           Clipboard& clipboard) const {
    if (!m_text.empty()) {
        clipboard.setText(m_text);
        return;
    }
    std::string text;
    for (const auto& line : selectedLines) {
        text += line;
        text += "\r\n";
    }
    clipboard.setText(text);
}

} // namespace lexmora
