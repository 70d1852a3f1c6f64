// The result viewer's commands: what the KWIC screen's buttons, keys and menus and the record
// details window post, and the pending commands the viewer's command loop takes one at a time,
// the most urgent first.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <variant>

namespace lexmora {

enum class FileStep { Previous, Next };

// What "print" prints: the selected lines of the page, or the text of the details window with
// or without its details lines.
enum class PrintedText { SelectedLines, ShownDetails, ShownText };

// What goes to the clipboard: the selected lines added to the gathered text or copied, or the
// details window's text with its "findstring = " line or alone.
enum class ClipboardAction { AddSelectedLines, CopySelectedLines, CopyShownDetails, CopyShownText };

// The viewer's "&Options" items (the mnuScreenOpt menu array).
enum class ViewerMenu {
    CopyExtract,     // "&Copy Extract to Clipboard"
    SaveExtract,     // "Cut and &Save Extract to File"
    PrintExtract,    // "&Print Extract"
    SortByBeginning, // sort on a word read forwards
    SortByEnd,       // sort on a word read backwards
    SaveSorted,      // save the sorted list as a file
    Collocate,       // "C&ollocate on Sort"
    Unsort,          // back to file order
    ViewLog,         // "View &Logfile"
    RestoreAll,      // "&Restore all Deletions"
    UndoDeletion,    // "Un&do last Deletion"
    SaveChanges,     // "Save Changes &to File"
    EveryNth,        // "Every &nth Occurrence"
    ColumnView,      // "Column &View"
    MoreFiles,       // "View &more Files"
    Exit,            // "E&xit", as the Exit button
    CopyCommandLine, // "Copy as Command &Line"
    Collocates,      // "Collocates with &Statistics...": the collocates of the lines shown
    Export,          // "Export &KWIC Lines...": the lines shown, as CSV, TSV, XLSX or JSON
    FindInLines,     // "&Find in Lines...": only the lines holding a word stay shown
    FindNext,        // F3: the next line holding the word at the top of the page
    Clusters,        // "Cl&usters...": the word sequences around the hits shown
    Plot,            // "Concord&ance Plot...": where the hits shown fall in the files
};
inline constexpr std::size_t kViewerMenuCount = static_cast<std::size_t>(ViewerMenu::Plot) + 1;

// cmdLastFile, cmdNextFile.
struct FileStepFlag {
    FileStep step = FileStep::Next;
    bool operator==(const FileStepFlag&) const = default;
};
// cmdDelete and the Delete key: the selected lines, else the current line of the page.
struct DeleteFlag {
    int line = 0; // 0: the page's first line
    bool operator==(const DeleteFlag&) const = default;
};
// A double click on a line: the record details of that line.
struct DetailsFlag {
    int line = 0; // 0: the page's first line
    bool operator==(const DetailsFlag&) const = default;
};
// Ctrl+P, "&Print" of the text options and of the details window.
struct PrintTextFlag {
    PrintedText text = PrintedText::SelectedLines;
    bool operator==(const PrintTextFlag&) const = default;
};
// Ctrl+C, "&Copy to Clipboard", "&Add to Clipboard", the details window's Copy.
struct ClipboardFlag {
    ClipboardAction action = ClipboardAction::CopySelectedLines;
    bool operator==(const ClipboardFlag&) const = default;
};
// The details window's "&Save".
struct DetailsSaveFlag {
    bool withDetails = true; // the details lines go to the file too
    bool operator==(const DetailsSaveFlag&) const = default;
};
// The details window's "&File": the record's source file in the text viewer.
struct OpenSourceFlag {
    bool operator==(const OpenSourceFlag&) const = default;
};
// "Save to &File" of the text options: the selected lines to a ".cnc" file.
struct TextSaveFlag {
    bool operator==(const TextSaveFlag&) const = default;
};
// An "&Options" item.
struct ViewerMenuCommand {
    ViewerMenu item = ViewerMenu::Exit;
    bool operator==(const ViewerMenuCommand&) const = default;
};

using ViewerCommand =
    std::variant<FileStepFlag, DeleteFlag, DetailsFlag, PrintTextFlag, ClipboardFlag,
                 DetailsSaveFlag, OpenSourceFlag, TextSaveFlag, ViewerMenuCommand>;

// The commands posted and not yet run: one of each kind, as the screen's flags held them, so a
// second click of the same kind replaces the first (the menu items are one kind: the item
// chosen last). The loop takes them in this order: Exit and "View more Files", file step,
// record details, details save, print text, print or copy extract, clipboard, view log, every
// nth, un-sort, restore all, sort, save extract, delete, text save, undo deletion, save changes
// or sorted list, collocate, open source, column view.
class ViewerCommandQueue {
public:
    void post(const ViewerCommand& command) { m_pending[command.index()] = command; }
    // The pending command that runs first, taken out; nothing when none is pending.
    std::optional<ViewerCommand> take();
    bool empty() const;
    void clear() { m_pending = {}; }

    // The pending command of one kind, left in place.
    template <typename Command> std::optional<Command> pending() const {
        const auto& slot = m_pending[indexOf<Command>()];
        return slot ? std::optional<Command>(std::get<Command>(*slot)) : std::nullopt;
    }
    template <typename Command> void discard() { m_pending[indexOf<Command>()].reset(); }

private:
    template <typename Command> static constexpr std::size_t indexOf() {
        return ViewerCommand(Command{}).index();
    }

    std::array<std::optional<ViewerCommand>, std::variant_size_v<ViewerCommand>> m_pending;
};

} // namespace lexmora
