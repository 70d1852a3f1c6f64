// What leaves the viewer: extracts of a range or selection (clipboard, ".cnc" file, printer),
// the ".new" result file in the current order, and the text gathered for the clipboard. The
// clipboard and the printer are interfaces the desktop implements.
#pragma once

#include "core/prompter.h"
#include "core/result.h"
#include "viewer/result_viewer.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// The whole record, or the KWIC section only: 86 characters from 31 columns before the keyword.
enum class LineForm { WholeRecord, KwicSection };
inline constexpr int kKwicSectionWidth = 86;

struct ExtractRange {
    std::int64_t first = 1;
    std::int64_t last = 1;
};

// Plain text in, Windows-1252; the desktop converts it for the system clipboard.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const std::string& text) = 0;
    // Text that is UTF-8 already (a command line holding file names as they are on disk).
    virtual void setUtf8Text(const std::string& text);
};

// Pages of text for the printer; each page a list of lines already fitted to the page width.
struct PrintJob {
    std::string font; // "Courier New" for extracts, "Arial" for selected text
    std::vector<std::vector<std::string>> pages;
};
class Printer {
public:
    virtual ~Printer() = default;
    virtual Status print(const PrintJob& job) = 0;
};
struct PageGeometry {
    int columns = 86;
    int lines = 60;
};

// The range dialog's check: first after last asks Retry/Cancel; positions outside
// 1 .. indexCount are refused with the same message.
Status CheckExtractRange(const ExtractRange& range, std::int64_t indexCount);

// Display positions of an extract in display order: the range, or the selected positions
// within it when a selection exists.
std::vector<std::int64_t> ExtractPositions(const ExtractRange& range,
                                           const std::vector<std::int64_t>& selection);
// The range a selection proposes: its lowest and highest positions.
std::optional<ExtractRange> RangeOfSelection(const std::vector<std::int64_t>& selection);

// One line of an extract, without CR LF.
std::string ExtractLine(std::string_view record, LineForm form, int leftContextWidth);

// The extract as text, each line ended by CR LF.
std::string BuildExtractText(ResultViewer& viewer, const std::vector<std::int64_t>& positions,
                             LineForm form);

// "&Copy Extract to Clipboard". Refused, with nothing copied, when the free memory is not larger
// than the text would be.
Status
CopyExtract(ResultViewer& viewer, const std::vector<std::int64_t>& positions, LineForm form,
            Clipboard& clipboard,
            const std::function<std::optional<std::uint64_t>()>& freeMemory = FreePhysicalMemory);

// "Cut and &Save Extract to File": a new ".cnc" file in `folder`, named after the viewed file.
// Returns the path written; the success or failure message is told through the prompter.
Result<std::string> SaveExtract(ResultViewer& viewer, const std::vector<std::int64_t>& positions,
                                LineForm form, const std::string& folder,
                                const std::string& invalidFileNameChars, Prompter& prompter);

// The ".new" file's name: the viewed name with ".new" in `folder`; when that is the viewed file
// itself, a unique name instead, so that the output never overwrites its input.
std::string NewFileNameFor(const ResultViewer& viewer, const std::string& folder,
                           const std::string& invalidFileNameChars);

// "Save Changes &to File" / save sorted list: asks, then writes the header and the records in
// display order, record after record. The file appears whole or not at all. Returns the path
// written, or an empty path when the user cancelled; a failure has been told through the prompter.
Result<std::string> SaveChanges(ResultViewer& viewer, const std::string& folder,
                                const std::string& invalidFileNameChars, Prompter& prompter);

// Leaving a file with unsaved deletions: asks "Do you wish to save changes made?" and saves on
// Yes. Returns the path written, or an empty path when nothing was saved.
Result<std::string> SaveOnLeaving(ResultViewer& viewer, const std::string& folder,
                                  const std::string& invalidFileNameChars, Prompter& prompter);

// Lines cut to pages: word-wrapped at a blank where one lies in the line, else cut.
std::vector<std::vector<std::string>> LayOutPages(const std::vector<std::string>& lines,
                                                  PageGeometry page);

// "&Print Extract": asks for the printer, then prints the heading (file name, range, count) and
// the records in "Courier New".
Status PrintExtract(ResultViewer& viewer, const ExtractRange& range,
                    const std::vector<std::int64_t>& positions, LineForm form, PageGeometry page,
                    Prompter& prompter, Printer& printer);

// "&Print" of selected lines and of the details window's text, in "Arial". Jobs go onto one
// document for as long as the user answers Yes to "print more on the same page"; No, or leaving
// the viewer (finish), sends the document to the printer.
class TextPrintSession {
public:
    // Asks for the printer when no document is open (Cancel: nothing printed, nothing held),
    // adds the lines, then asks whether more goes on the same page.
    Status print(const std::vector<std::string>& lines, PageGeometry page, Prompter& prompter,
                 Printer& printer);
    // Sends a held document; nothing happens when none is open.
    Status finish(Printer& printer);
    bool holding() const { return m_open; }

private:
    bool m_open = false;
    std::vector<std::string> m_lines;
    PageGeometry m_page;
};

// Text split at its line breaks (CR LF, or LF alone), without them; a last empty line is dropped.
std::vector<std::string> SplitLines(std::string_view text);

// Text gathered by "&Add to Clipboard" for a later "&Copy to Clipboard".
class ClipboardGather {
public:
    explicit ClipboardGather(std::size_t limit = std::size_t(64) << 20) : m_limit(limit) {}
    // Appends the lines, each with CR LF; refused (nothing added) beyond the limit: StringTooLong
    // when the lines alone pass it, OutOfMemory when the gathered text would.
    Status add(const std::vector<std::string>& lines);
    const std::string& text() const { return m_text; }
    void clear() { m_text.clear(); }
    // "&Copy to Clipboard": the gathered text, or the given lines when nothing was gathered.
    void copy(const std::vector<std::string>& selectedLines, Clipboard& clipboard) const;

private:
    std::size_t m_limit;
    std::string m_text;
};

} // namespace lexmora
