#include "viewer/viewer_loop.h"

#include "core/command_line.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/program_location.h"
#include "core/recent_files.h"
#include "core/text_codec.h"
#include "viewer/keyword_span.h"
#include "viewer/line_find.h"
#include "viewer/messages.h"

#include <algorithm>
#include <new>
#include <sys/stat.h>
#include <utility>

namespace lexmora {

namespace {

namespace msg = viewer::msg;

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void tellIfFailed(const Status& status, Prompter& prompter) {
    if (!status)
        prompter.tell(status.error());
}

std::vector<std::int64_t> sortedSelection(ResultViewer& viewer, ViewerScreen& screen) {
    std::vector<std::int64_t> selected = screen.selection();
    std::erase_if(selected, [&](std::int64_t p) { return p < 2 || p > viewer.IndexCount(); });
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    return selected;
}

std::vector<std::string> linesAt(ResultViewer& viewer, const std::vector<std::int64_t>& positions) {
    std::vector<std::string> lines;
    lines.reserve(positions.size());
    for (std::int64_t p : positions)
        lines.emplace_back(viewer.kwicText(viewer.GetRecord(p)));
    return lines;
}

// The page's first line stays on a record and the page as full as the records allow.
void keepPageValid(ResultViewer& viewer, ProgramState& state) {
    const std::int64_t lines = std::max(1, state.ScreenLines);
    const std::int64_t lastTop = std::max<std::int64_t>(2, viewer.IndexCount() - lines + 1);
    state.TopPosition = std::clamp<long long>(state.TopPosition, 2, lastTop);
}

void showPosition(std::int64_t position, ResultViewer& viewer, ProgramState& state) {
    const std::int64_t lines = std::max(1, state.ScreenLines);
    if (position < state.TopPosition || position >= state.TopPosition + lines)
        state.TopPosition = position;
    keepPageValid(viewer, state);
}

ViewerMenuState menusOf(const ResultViewer& viewer, const ProgramState& state) {
    ViewerMenuState menus;
    menus.everyNth = viewer.everyNthAvailable(state.ScreenLines);
    menus.needsTwo = viewer.IndexCount() >= 2;
    menus.sortedList = viewer.sorted();
    menus.details = viewer.isOwnResultFile();
    menus.changeCount = viewer.ChangeCount();
    return menus;
}

// Re-indexing drops every deletion: unsaved ones are offered for saving first.
void offerSaveBeforeReindex(ResultViewer& viewer, const ProgramState& state, ViewerPorts& ports) {
    auto saved = SaveOnLeaving(viewer, ViewerOutputFolder(state, viewer),
                               state.InvalidFileNameChars, ports.prompter);
    (void)saved; // a failure has been told; the re-index goes on as asked
}

// The range dialog with its check: Retry asks again, Cancel or leaving the dialog abandons.
std::optional<RangeRequest> askRange(const std::string& verb, ResultViewer& viewer,
                                     const std::vector<std::int64_t>& selected,
                                     ViewerPorts& ports) {
    const auto proposed = RangeOfSelection(selected).value_or(
        ExtractRange{std::min<std::int64_t>(2, viewer.IndexCount()), viewer.IndexCount()});
    for (;;) {
        auto request =
            ports.screen.askExtractRange(verb, proposed, !selected.empty(), viewer.IndexCount());
        if (!request)
            return std::nullopt;
        const Status checked = CheckExtractRange(request->range, viewer.IndexCount());
        if (checked)
            return request;
        if (ports.prompter.ask(checked.error()) != Answer::Retry)
            return std::nullopt;
    }
}

// One command's run on the open file, with everything it reaches.
struct CommandContext {
    ResultViewer& viewer;
    ProgramState& state;
    ViewingPass& pass;
    ViewerPorts& ports;
};

// What the loop does once a command has run: redraw the page, keep it as it is, or leave the
// file.
struct AfterCommand {
    std::optional<LeaveFile> leave;
    bool redraw = true;
};
constexpr AfterCommand kRedraw{std::nullopt, true};
constexpr AfterCommand kKeepPage{std::nullopt, false};
AfterCommand leaving(LeaveFile how) {
    return {how, false};
}

enum class ExtractVerb { Copy, Save, Print };

AfterCommand runExtract(ExtractVerb verb, CommandContext& c) {
    const std::vector<std::int64_t> selected = sortedSelection(c.viewer, c.ports.screen);
    const char* word = verb == ExtractVerb::Copy   ? "copy"
                       : verb == ExtractVerb::Save ? "save"
                                                   : "print";
    const auto request = askRange(word, c.viewer, selected, c.ports);
    if (!request)
        return kRedraw;
    const auto positions = ExtractPositions(request->range, selected);
    c.ports.screen.setBusy(true);
    switch (verb) {
    case ExtractVerb::Copy:
        tellIfFailed(CopyExtract(c.viewer, positions, request->form, c.ports.clipboard),
                     c.ports.prompter);
        break;
    case ExtractVerb::Save: {
        auto saved =
            SaveExtract(c.viewer, positions, request->form, ViewerOutputFolder(c.state, c.viewer),
                        c.state.InvalidFileNameChars, c.ports.prompter);
        // Success and failure have been told; a written extract is kept for the command line.
        if (saved && !saved->empty())
            c.pass.savedExtract =
                SavedExtract{c.viewer.path(), positions, request->form, c.viewer.RecordIndex()};
        break;
    }
    case ExtractVerb::Print:
        tellIfFailed(PrintExtract(c.viewer, request->range, positions, request->form,
                                  c.ports.screen.printerPage("Courier New"), c.ports.prompter,
                                  c.ports.printer),
                     c.ports.prompter);
        break;
    }
    c.ports.screen.setBusy(false);
    return kRedraw;
}

AfterCommand runSort(SortMode mode, CommandContext& c) {
    for (;;) {
        const auto request = c.ports.screen.askSortPositions(c.state.ColumnView);
        if (!request)
            return kRedraw; // the pending sort is dropped
        c.state.ColumnView = request->columnView;
        if (!request->leftPos && !request->rightPos) {
            if (c.ports.prompter.ask(msg::NoSortValues()) != Answer::Retry)
                return kRedraw;
            continue;
        }
        c.ports.screen.setBusy(true);
        try {
            std::vector<SortLevel> levels{{mode, std::max(0, request->leftPos.value_or(0)),
                                           std::max(0, request->rightPos.value_or(0))}};
            for (const SortLevel& then : request->then) {
                if (then.mode == SortMode::None)
                    break;
                levels.push_back(then);
            }
            c.viewer.Sort(levels, c.state.RightContext);
        } catch (const std::bad_alloc&) {
            c.ports.screen.setBusy(false);
            c.ports.prompter.tell(msg::SortFailed(7)); // 7: out of memory
            return kRedraw;
        }
        c.ports.screen.setBusy(false);
        c.state.TopPosition = 2;
        return kRedraw;
    }
}

// The user picks the log of the viewed file by hand; false when none was picked.
bool pickLog(const ResultViewer& viewer, ViewingPass& pass, ViewerPorts& ports) {
    const auto picked = ports.screen.chooseFiles(kSelectFilesToView, kLogFileMask,
                                                 FolderOf(AbsolutePath(viewer.path())));
    if (!picked || picked->empty())
        return false;
    pass.pickedLog = picked->front();
    return true;
}

AfterCommand runViewLog(CommandContext& c) {
    const std::string log = c.pass.pickedLog.value_or(LogFileFor(c.viewer.path()));
    if (isFile(log)) {
        ViewFile(log, "", "", c.state, c.ports.prompter, c.ports.files);
        return kRedraw;
    }
    if (c.ports.prompter.ask(msg::LogNotFound(utf8ToCp1252(FileNameOf(log)))) != Answer::Retry)
        return kRedraw;
    if (pickLog(c.viewer, c.pass, c.ports))
        ViewFile(*c.pass.pickedLog, "", "", c.state, c.ports.prompter, c.ports.files);
    return kRedraw;
}

AfterCommand runEveryNth(CommandContext& c) {
    if (!c.viewer.everyNthAvailable(c.state.ScreenLines))
        return kKeepPage;
    if (const auto n = c.ports.screen.askStepN(std::max(1, c.pass.stepN))) {
        offerSaveBeforeReindex(c.viewer, c.state, c.ports);
        c.pass.stepN = std::clamp(*n, 1, kMaxStepN);
        c.ports.screen.setBusy(true);
        c.viewer.Reindex(c.pass.stepN);
        c.ports.screen.setBusy(false);
        c.state.TopPosition = 2;
    }
    return kRedraw;
}

AfterCommand runUnsort(CommandContext& c) {
    c.viewer.Unsort();
    c.state.TopPosition = 2;
    return kRedraw;
}

AfterCommand runRestoreAll(CommandContext& c) {
    c.viewer.RestoreAllDeletions();
    c.state.TopPosition = 2;
    return kRedraw;
}

// The word of a find: asked for unless F3 repeats the last one.
std::optional<LineFinder> findWordOf(CommandContext& c, bool repeat) {
    if (!repeat || c.pass.findWord.empty()) {
        auto word = c.ports.screen.askFindWord(c.pass.findWord);
        if (!word || LineFinder(*word).empty())
            return std::nullopt;
        c.pass.findWord = LineFinder(*word).word();
        c.pass.lastFound = 0;
    }
    return LineFinder(c.pass.findWord);
}

// "Find in Lines": the lines without the word are deleted (Restore all Deletions brings them
// back), and the user is told how many hold it.
AfterCommand runFindInLines(CommandContext& c) {
    const auto finder = findWordOf(c, false);
    if (!finder)
        return kKeepPage;
    std::vector<std::int64_t> holding = PositionsHolding(c.viewer, *finder);
    const std::int64_t shown = c.viewer.IndexCount() - 1;
    if (holding.empty()) {
        c.ports.prompter.tell(msg::NoLineHoldsWord(finder->word()));
        return kKeepPage;
    }
    std::vector<std::int64_t> others;
    std::size_t next = 0;
    for (std::int64_t position = 2; position <= c.viewer.IndexCount(); ++position) {
        if (next < holding.size() && holding[next] == position)
            ++next;
        else
            others.push_back(position);
    }
    if (!others.empty()) {
        ScriptedPrompter agreed({Answer::Yes}); // the user asked for it by the find
        c.viewer.DeleteSelected(std::move(others), agreed);
        c.ports.screen.clearSelection();
    }
    c.state.TopPosition = 2;
    c.pass.lastFound = 0;
    c.ports.prompter.tell(
        msg::LinesHoldingWord(static_cast<std::int64_t>(holding.size()), shown, finder->word()));
    return kRedraw;
}

// F3: the next line holding the word goes to the top of the page (the last page stays whole).
AfterCommand runFindNext(CommandContext& c) {
    const auto finder = findWordOf(c, true);
    if (!finder)
        return kKeepPage;
    const std::int64_t from = c.pass.lastFound != 0 ? c.pass.lastFound : c.state.TopPosition - 1;
    const auto found = NextPositionHolding(c.viewer, *finder, from);
    if (!found) {
        c.ports.prompter.tell(msg::NoLineHoldsWord(finder->word()));
        return kKeepPage;
    }
    c.pass.lastFound = *found;
    c.state.TopPosition = *found;
    return kRedraw;
}

AfterCommand runUndoDeletion(CommandContext& c) {
    const std::int64_t position =
        c.viewer.LastDeleted() ? c.viewer.LastDeleted()->position : c.state.TopPosition;
    if (c.viewer.UndoLastDeletion())
        showPosition(position, c.viewer, c.state);
    return kRedraw;
}

AfterCommand runSaveChanges(CommandContext& c) {
    auto saved = SaveChanges(c.viewer, ViewerOutputFolder(c.state, c.viewer),
                             c.state.InvalidFileNameChars, c.ports.prompter);
    // " Disc problem" has been told; the file stays open with its changes. A written file is
    // kept for the command line, as an extract is.
    if (saved && !saved->empty())
        c.pass.savedExtract =
            SavedExtract{c.viewer.path(), {}, LineForm::WholeRecord, c.viewer.RecordIndex(), true};
    return kRedraw;
}

AfterCommand runCollocate(CommandContext& c) {
    const auto collocation = c.viewer.Collocate();
    if (collocation)
        c.ports.screen.showCollocation(*collocation);
    else
        c.ports.prompter.tell(collocation.error());
    return kRedraw;
}

AfterCommand runColumnView(CommandContext& c) {
    c.state.ColumnView = !c.state.ColumnView;
    c.ports.screen.redrawColumns(c.viewer, c.state);
    return kKeepPage; // the column view has redrawn the page itself
}

// Exit asks whether more files are to be viewed.
AfterCommand askExit(CommandContext& c) {
    switch (c.ports.prompter.ask(msg::ExitQuestion())) {
    case Answer::Yes:
        c.state.ExitFlag = ExitRequest::UserConfirmedLeaving; // asked for more files
        return leaving(LeaveFile::MoreFiles);
    case Answer::No:
        c.state.ExitFlag = ExitRequest::UserConfirmedLeaving;
        return leaving(LeaveFile::Exit);
    default:
        c.state.ExitFlag = ExitRequest::None;
        return kKeepPage;
    }
}

// --- one function per command ----------------------------------------------------------------

AfterCommand run(const FileStepFlag& command, CommandContext& c) {
    if (command.step == FileStep::Next && c.pass.fileIndex + 1 < c.pass.fileCount)
        return leaving(LeaveFile::NextFile);
    if (command.step == FileStep::Previous && c.pass.fileIndex > 0)
        return leaving(LeaveFile::PreviousFile);
    return kKeepPage; // no file on that side
}

AfterCommand run(const DetailsFlag& command, CommandContext& c) {
    const std::int64_t position = c.ports.screen.positionOfLine(command.line, c.state);
    for (;;) {
        auto details = ExpandRecord(c.viewer, position, c.pass.pickedLog, &c.state);
        if (details) {
            c.pass.shownDetails = std::move(*details);
            c.ports.screen.showDetails(DetailsText(*c.pass.shownDetails),
                                       DetailsHitSpan(*c.pass.shownDetails), c.state);
            return kRedraw;
        }
        if (details.code() != FailureCode::LogNotFound) {
            c.ports.prompter.tell(details.error());
            return kRedraw;
        }
        // "Sorry - cannot find" the log: Retry lets the user pick it.
        if (c.ports.prompter.ask(details.error()) != Answer::Retry ||
            !pickLog(c.viewer, c.pass, c.ports))
            return kRedraw;
    }
}

AfterCommand run(const DetailsSaveFlag& command, CommandContext& c) {
    if (!c.pass.shownDetails)
        return kRedraw;
    const std::string folder = c.state.TargetDirectory.empty()
                                   ? ViewerOutputFolder(c.state, c.viewer)
                                   : c.state.TargetDirectory;
    auto saved = SaveDetails(*c.pass.shownDetails, c.viewer, command.withDetails, folder,
                             c.state.InvalidFileNameChars, c.ports.prompter);
    (void)saved; // success and failure have been told
    return kRedraw;
}

AfterCommand run(const PrintTextFlag& command, CommandContext& c) {
    std::vector<std::string> lines;
    if (command.text == PrintedText::SelectedLines) {
        lines = linesAt(c.viewer, sortedSelection(c.viewer, c.ports.screen));
        if (lines.empty())
            return kRedraw;
    } else {
        if (!c.pass.shownDetails)
            return kRedraw;
        lines =
            SplitLines(command.text == PrintedText::ShownDetails ? DetailsText(*c.pass.shownDetails)
                                                                 : c.pass.shownDetails->text);
    }
    tellIfFailed(c.pass.printing.print(lines, c.ports.screen.printerPage("Arial"), c.ports.prompter,
                                       c.ports.printer),
                 c.ports.prompter);
    return kRedraw;
}

AfterCommand run(const ClipboardFlag& command, CommandContext& c) {
    switch (command.action) {
    case ClipboardAction::CopyShownDetails:
    case ClipboardAction::CopyShownText:
        if (c.pass.shownDetails)
            c.ports.clipboard.setText(DetailsClipboardText(
                *c.pass.shownDetails, command.action == ClipboardAction::CopyShownDetails));
        return kRedraw;
    case ClipboardAction::AddSelectedLines: {
        const Status added =
            c.pass.gathered.add(linesAt(c.viewer, sortedSelection(c.viewer, c.ports.screen)));
        if (added)
            return kRedraw;
        c.ports.prompter.tell(added.error());
        if (added.code() == FailureCode::StringTooLong &&
            c.ports.prompter.ask(msg::DeletePresentString()) == Answer::Yes)
            c.pass.gathered.clear();
        return kRedraw;
    }
    case ClipboardAction::CopySelectedLines:
        c.pass.gathered.copy(linesAt(c.viewer, sortedSelection(c.viewer, c.ports.screen)),
                             c.ports.clipboard);
        return kRedraw;
    }
    return kRedraw;
}

AfterCommand run(const DeleteFlag& command, CommandContext& c) {
    std::vector<std::int64_t> positions = sortedSelection(c.viewer, c.ports.screen);
    if (positions.empty())
        positions.push_back(c.ports.screen.positionOfLine(command.line, c.state));
    if (c.viewer.DeleteSelected(positions, c.ports.prompter) == 0)
        return kRedraw;
    c.ports.screen.clearSelection();
    keepPageValid(c.viewer, c.state);
    return kRedraw;
}

AfterCommand run(const TextSaveFlag&, CommandContext& c) {
    const auto selected = sortedSelection(c.viewer, c.ports.screen);
    if (selected.empty())
        return kRedraw;
    auto saved = SaveExtract(c.viewer, selected, LineForm::WholeRecord,
                             ViewerOutputFolder(c.state, c.viewer), c.state.InvalidFileNameChars,
                             c.ports.prompter);
    (void)saved; // success and failure have been told
    return kRedraw;
}

AfterCommand run(const OpenSourceFlag&, CommandContext& c) {
    if (!c.pass.shownDetails || c.pass.shownDetails->sourcePath.empty())
        return kRedraw;
    const RecordDetails& details = *c.pass.shownDetails;
    if (!details.positionInFile) { // the hit was not found in the source: its top it is
        ViewFile(details.sourcePath, "", "", c.state, c.ports.prompter, c.ports.files);
        return kRedraw;
    }
    // The hit in its place: its bytes in the source, the keyword's words without punctuation.
    const FileMark mark{*details.positionInFile - 1,
                        KeywordLength(details.recordText, KeywordWordCount(details.keyword))};
    ViewFileAt(details.sourcePath, mark, c.state, c.ports.prompter, c.ports.files);
    return kRedraw;
}

// "Copy as Command Line": the view line on the clipboard, told with the line itself.
AfterCommand runCopyCommandLine(CommandContext& c) {
    const auto view =
        DescribeView(c.viewer, c.pass.savedExtract, ViewerOutputFolder(c.state, c.viewer));
    if (!view) {
        c.ports.prompter.tell(view.error());
        return kKeepPage;
    }
    std::vector<std::string> words = ViewCommandWords(c.state, *view);
    words.insert(words.begin(), CliProgramPath(c.state));
    const std::string line = ShellLine(words);
    c.ports.clipboard.setUtf8Text(line);
    c.ports.prompter.tell(core::msg::CommandLineCopied(line));
    return kKeepPage;
}

AfterCommand run(const ViewerMenuCommand& command, CommandContext& c) {
    switch (command.item) {
    case ViewerMenu::CopyExtract:
        return runExtract(ExtractVerb::Copy, c);
    case ViewerMenu::SaveExtract:
        return runExtract(ExtractVerb::Save, c);
    case ViewerMenu::PrintExtract:
        return runExtract(ExtractVerb::Print, c);
    case ViewerMenu::SortByBeginning:
        return runSort(SortMode::WordBeginning, c);
    case ViewerMenu::SortByEnd:
        return runSort(SortMode::WordEnd, c);
    case ViewerMenu::SaveSorted:
    case ViewerMenu::SaveChanges:
        return runSaveChanges(c);
    case ViewerMenu::Collocate:
        return runCollocate(c);
    case ViewerMenu::Unsort:
        return runUnsort(c);
    case ViewerMenu::ViewLog:
        return runViewLog(c);
    case ViewerMenu::RestoreAll:
        return runRestoreAll(c);
    case ViewerMenu::UndoDeletion:
        return runUndoDeletion(c);
    case ViewerMenu::EveryNth:
        return runEveryNth(c);
    case ViewerMenu::ColumnView:
        return runColumnView(c);
    case ViewerMenu::MoreFiles:
        return leaving(LeaveFile::MoreFiles);
    case ViewerMenu::Exit:
        return askExit(c);
    case ViewerMenu::CopyCommandLine:
        return runCopyCommandLine(c);
    case ViewerMenu::Export:
        c.ports.screen.exportLines(c.viewer);
        return kKeepPage;
    case ViewerMenu::Collocates:
        return c.ports.screen.openCollocates(c.viewer) ? kRedraw : kKeepPage;
    case ViewerMenu::FindInLines:
        return runFindInLines(c);
    case ViewerMenu::FindNext:
        return runFindNext(c);
    case ViewerMenu::Clusters:
        return c.ports.screen.openClusters(c.viewer) ? kRedraw : kKeepPage;
    case ViewerMenu::Plot:
        c.ports.screen.openPlot(c.viewer);
        return kKeepPage;
    }
    return kKeepPage;
}

// After a command that changed what is shown: a valid page, the menus, the page drawn.
void redrawPage(CommandContext& c) {
    keepPageValid(c.viewer, c.state);
    c.ports.screen.setMenus(menusOf(c.viewer, c.state));
    c.ports.screen.drawPage(c.viewer, c.state);
}

} // namespace

std::string ViewerOutputFolder(const ProgramState& state, const ResultViewer& viewer) {
    if (!state.ViewFolder.empty())
        return state.ViewFolder;
    const std::string folder = FolderOf(AbsolutePath(viewer.path()));
    return folder.empty() ? std::string(".") : folder;
}

std::optional<LeaveFile> RunPendingCommand(ResultViewer& viewer, ProgramState& state,
                                           ViewingPass& pass, ViewerPorts& ports) {
    CommandContext context{viewer, state, pass, ports};
    AfterCommand after = kKeepPage;
    if (state.ExitFlag == ExitRequest::UserPressedExit) {
        // Leaving comes first; the Exit button answers for a menu item chosen with it.
        ports.screen.commands().discard<ViewerMenuCommand>();
        after = askExit(context);
    } else if (const auto command = ports.screen.commands().take()) {
        after = std::visit([&context](const auto& c) { return run(c, context); }, *command);
    }
    if (after.leave)
        return after.leave;
    if (after.redraw)
        redrawPage(context);
    return std::nullopt;
}

LeaveFile ViewerCommandLoop(ResultViewer& viewer, ProgramState& state, ViewingPass& pass,
                            ViewerPorts& ports) {
    for (;;) {
        ports.screen.waitForCommand(state);
        if (auto leave = RunPendingCommand(viewer, state, pass, ports))
            return *leave;
    }
}

namespace {

// The file shown, its command loop, and the save prompt for its changes when the user leaves.
LeaveFile viewOpenFile(ResultViewer& viewer, ProgramState& state, ViewingPass& pass,
                       ViewerPorts& ports) {
    state.ExitFlag = ExitRequest::None;
    state.TopPosition = 2;
    state.ShownTop = 2;
    ports.screen.showFile(viewer, pass.fileIndex, pass.fileCount);
    ports.screen.setMenus(menusOf(viewer, state));
    ports.screen.drawPage(viewer, state);
    const LeaveFile leave = ViewerCommandLoop(viewer, state, pass, ports);
    auto saved = SaveOnLeaving(viewer, ViewerOutputFolder(state, viewer),
                               state.InvalidFileNameChars, ports.prompter);
    (void)saved; // a failure has been told
    ports.screen.closeFile();
    return leave;
}

// Steps to the next file in the direction the user went; false when there is none that way.
bool stepFile(ViewingPass& pass, bool backwards) {
    if (backwards && pass.fileIndex == 0)
        return false;
    if (backwards)
        --pass.fileIndex;
    else
        ++pass.fileIndex;
    return true;
}

// The chosen files in turn, the user stepping between them; true when the user leaves the
// viewer, false when files are to be chosen again. A file that cannot be opened is skipped.
bool viewChosenFiles(const std::vector<std::string>& files, ProgramState& state, ViewingPass& pass,
                     ViewerPorts& ports) {
    pass.fileCount = files.size();
    pass.fileIndex = 0;
    bool backwards = false;
    bool firstFile = true;
    while (pass.fileIndex < files.size()) {
        pass.pickedLog.reset();
        pass.shownDetails.reset();
        ViewerOptions options;
        options.stepN = pass.stepN;
        options.firstFile = firstFile;
        firstFile = false;
        ports.screen.setBusy(true);
        auto opened = ResultViewer::open(files[pass.fileIndex], ports.prompter, options);
        ports.screen.setBusy(false);
        if (!opened) {
            ports.prompter.tell(opened.error());
            if (opened.code() == FailureCode::EmptyFile) {
                OfferEmptyFileDeletion(files[pass.fileIndex], ports.prompter);
                return false; // the user chooses again
            }
            if (!stepFile(pass, backwards))
                return false;
            continue;
        }
        if (!state.SettingsPath.empty()) // a settings file that cannot be written keeps its list
            RememberRecent(state.SettingsPath, RecentKind::ResultFile, files[pass.fileIndex]);
        const LeaveFile leave = viewOpenFile(*opened, state, pass, ports);
        if (leave == LeaveFile::Exit)
            return true;
        if (leave == LeaveFile::MoreFiles)
            return false;
        backwards = leave == LeaveFile::PreviousFile;
        stepFile(pass, backwards); // the loop offers a step only where there is a file
    }
    return false; // every file failed: choose again
}

} // namespace

int RunResultViewer(ProgramState& state, ViewerPorts& ports, std::vector<std::string> firstFiles) {
    const ScreenGeometry geometry = ViewerScreenGeometry(
        ports.screen.screenHeightPixels(), ScreenGeometry{state.ScreenLines, state.ScreenColumns});
    state.ScreenLines = geometry.lines;
    state.ScreenColumns = geometry.columns;
    state.ColumnView = false;
    ViewingPass pass;
    for (bool leaving = false; !leaving;) {
        // A file opened from outside the chooser writes its outputs beside itself.
        const bool given = !firstFiles.empty();
        auto chosen = given ? std::optional<std::vector<std::string>>(std::exchange(firstFiles, {}))
                            : ports.screen.chooseFiles(kSelectFilesToView, state.ViewFileMask,
                                                       state.TargetDirectory);
        if (!chosen || chosen->empty())
            break;
        state.ViewFolder = given ? FolderOf(chosen->front()) : state.TargetDirectory;
        leaving = viewChosenFiles(*chosen, state, pass, ports);
    }
    tellIfFailed(pass.printing.finish(ports.printer), ports.prompter);
    state.ExitFlag = ExitRequest::None;
    state.PauseFlag = false;
    ports.screen.commands().discard<ViewerMenuCommand>();
    return 0;
}

} // namespace lexmora
