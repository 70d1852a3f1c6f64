#include "viewer/viewer_loop.h"

#include "core/paths.h"
#include "core/program_location.h"
#include "core/text_codec.h"
#include "viewer/messages.h"

#include <algorithm>
#include <new>
#include <sys/stat.h>

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

void runExtract(int command, ResultViewer& viewer, ProgramState& state, ViewerPorts& ports) {
    const std::vector<std::int64_t> selected = sortedSelection(viewer, ports.screen);
    const char* verb = command == kMenuCopyExtract   ? "copy"
                       : command == kMenuSaveExtract ? "save"
                                                     : "print";
    const auto request = askRange(verb, viewer, selected, ports);
    if (!request)
        return;
    const auto positions = ExtractPositions(request->range, selected);
    ports.screen.setBusy(true);
    if (command == kMenuCopyExtract) {
        tellIfFailed(CopyExtract(viewer, positions, request->form, ports.clipboard),
                     ports.prompter);
    } else if (command == kMenuSaveExtract) {
        auto saved =
            SaveExtract(viewer, positions, request->form, ViewerOutputFolder(state, viewer),
                        state.InvalidFileNameChars, ports.prompter);
        (void)saved; // success and failure have been told
    } else {
        tellIfFailed(PrintExtract(viewer, request->range, positions, request->form,
                                  ports.screen.printerPage("Courier New"), ports.prompter,
                                  ports.printer),
                     ports.prompter);
    }
    ports.screen.setBusy(false);
}

void runSort(SortMode mode, ResultViewer& viewer, ProgramState& state, ViewerPorts& ports) {
    for (;;) {
        const auto request = ports.screen.askSortPositions(state.ColumnView);
        if (!request)
            return; // the pending sort is dropped
        state.ColumnView = request->columnView;
        if (!request->leftPos && !request->rightPos) {
            if (ports.prompter.ask(msg::NoSortValues()) != Answer::Retry)
                return;
            continue;
        }
        ports.screen.setBusy(true);
        try {
            viewer.Sort(mode, std::max(0, request->leftPos.value_or(0)),
                        std::max(0, request->rightPos.value_or(0)), state.RightContext);
        } catch (const std::bad_alloc&) {
            ports.screen.setBusy(false);
            ports.prompter.tell(msg::SortFailed(7)); // 7: out of memory
            return;
        }
        ports.screen.setBusy(false);
        state.TopPosition = 2;
        return;
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

void runViewLog(ResultViewer& viewer, ProgramState& state, ViewingPass& pass, ViewerPorts& ports) {
    const std::string log = pass.pickedLog.value_or(LogFileFor(viewer.path()));
    if (isFile(log)) {
        ViewFile(log, "", "", state, ports.prompter, ports.files);
        return;
    }
    if (ports.prompter.ask(msg::LogNotFound(utf8ToCp1252(FileNameOf(log)))) != Answer::Retry)
        return;
    if (pickLog(viewer, pass, ports))
        ViewFile(*pass.pickedLog, "", "", state, ports.prompter, ports.files);
}

void runDetails(std::int64_t position, ResultViewer& viewer, ProgramState& state, ViewingPass& pass,
                ViewerPorts& ports) {
    for (;;) {
        auto details = ExpandRecord(viewer, position, pass.pickedLog, &state);
        if (details) {
            pass.shownDetails = std::move(*details);
            ports.screen.showDetails(DetailsText(*pass.shownDetails), state);
            return;
        }
        const Message& failure = details.error();
        if (failure.buttons != Buttons::RetryCancel) {
            ports.prompter.tell(failure);
            return;
        }
        // "Sorry - cannot find" the log: Retry lets the user pick it.
        if (ports.prompter.ask(failure) != Answer::Retry || !pickLog(viewer, pass, ports))
            return;
    }
}

void runDelete(ResultViewer& viewer, ProgramState& state, ViewerPorts& ports) {
    std::vector<std::int64_t> positions = sortedSelection(viewer, ports.screen);
    if (positions.empty() && state.DeleteFlag > 0)
        positions.push_back(ports.screen.positionOfLine(state.DeleteFlag - 1, state));
    if (viewer.DeleteSelected(positions, ports.prompter) == 0)
        return;
    ports.screen.clearSelection();
    keepPageValid(viewer, state);
}

void runClipboard(int flag, ResultViewer& viewer, ViewingPass& pass, ViewerPorts& ports) {
    if (flag == 1 || flag == -1) {
        // The details window's Copy: the shown text, with its details line when ticked.
        if (pass.shownDetails)
            ports.clipboard.setText(DetailsClipboardText(*pass.shownDetails, flag == 1));
        return;
    }
    const auto lines = linesAt(viewer, sortedSelection(viewer, ports.screen));
    if (flag == 2) {
        const Status added = pass.gathered.add(lines);
        if (added)
            return;
        ports.prompter.tell(added.error());
        if (added.error().text == msg::StringTooLong().text &&
            ports.prompter.ask(msg::DeletePresentString()) == Answer::Yes)
            pass.gathered.clear();
        return;
    }
    pass.gathered.copy(lines, ports.clipboard);
}

void runPrintText(int flag, ResultViewer& viewer, ViewingPass& pass, ViewerPorts& ports) {
    std::vector<std::string> lines;
    if (flag == 2) {
        lines = linesAt(viewer, sortedSelection(viewer, ports.screen));
        if (lines.empty())
            return;
    } else {
        if (!pass.shownDetails)
            return;
        lines = SplitLines(flag == 1 ? DetailsText(*pass.shownDetails) : pass.shownDetails->text);
    }
    tellIfFailed(pass.printing.print(lines, ports.screen.printerPage("Arial"), ports.prompter,
                                     ports.printer),
                 ports.prompter);
}

void runSaveText(ResultViewer& viewer, ProgramState& state, ViewerPorts& ports) {
    const auto selected = sortedSelection(viewer, ports.screen);
    if (selected.empty())
        return;
    auto saved =
        SaveExtract(viewer, selected, LineForm::WholeRecord, ViewerOutputFolder(state, viewer),
                    state.InvalidFileNameChars, ports.prompter);
    (void)saved;
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
    // Leaving comes first: Exit asks whether more files are to be viewed.
    if (state.ExitFlag == ExitRequest::UserPressedExit || state.ViewerMenuCommand == kMenuExit) {
        state.ViewerMenuCommand = 0;
        switch (ports.prompter.ask(msg::ExitQuestion())) {
        case Answer::Yes:
            state.ExitFlag = ExitRequest::UserConfirmedLeaving; // asked for more files
            return LeaveFile::MoreFiles;
        case Answer::No:
            state.ExitFlag = ExitRequest::UserConfirmedLeaving;
            return LeaveFile::Exit;
        default:
            state.ExitFlag = ExitRequest::None;
            return std::nullopt;
        }
    }
    if (state.ViewerMenuCommand == kMenuMoreFiles) {
        state.ViewerMenuCommand = 0;
        return LeaveFile::MoreFiles;
    }

    bool ran = true;
    if (state.FileStepFlag != 0) {
        const int step = state.FileStepFlag;
        state.FileStepFlag = 0;
        if (step > 0 && pass.fileIndex + 1 < pass.fileCount)
            return LeaveFile::NextFile;
        if (step < 0 && pass.fileIndex > 0)
            return LeaveFile::PreviousFile;
        ran = false; // no file on that side
    } else if (state.DetailsFlag > 0) {
        const std::int64_t position = ports.screen.positionOfLine(state.DetailsFlag - 1, state);
        state.DetailsFlag = 0;
        runDetails(position, viewer, state, pass, ports);
    } else if (state.DetailsSaveFlag != 0) {
        const bool withDetails = state.DetailsSaveFlag == 1;
        state.DetailsSaveFlag = 0;
        if (pass.shownDetails) {
            const std::string folder = state.TargetDirectory.empty()
                                           ? ViewerOutputFolder(state, viewer)
                                           : state.TargetDirectory;
            auto saved = SaveDetails(*pass.shownDetails, viewer, withDetails, folder,
                                     state.InvalidFileNameChars, ports.prompter);
            (void)saved;
        }
    } else if (state.PrintTextFlag != 0) {
        const int flag = state.PrintTextFlag;
        state.PrintTextFlag = 0;
        runPrintText(flag, viewer, pass, ports);
    } else if (state.ViewerMenuCommand == kMenuPrintExtract ||
               state.ViewerMenuCommand == kMenuCopyExtract) {
        const int command = state.ViewerMenuCommand;
        state.ViewerMenuCommand = 0;
        runExtract(command, viewer, state, ports);
    } else if (state.ClipboardFlag != 0) {
        const int flag = state.ClipboardFlag;
        state.ClipboardFlag = 0;
        runClipboard(flag, viewer, pass, ports);
    } else if (state.ViewerMenuCommand == kMenuViewLog) {
        state.ViewerMenuCommand = 0;
        runViewLog(viewer, state, pass, ports);
    } else if (state.ViewerMenuCommand == kMenuEveryNth) {
        state.ViewerMenuCommand = 0;
        if (!viewer.everyNthAvailable(state.ScreenLines)) {
            ran = false;
        } else if (const auto n = ports.screen.askStepN(std::max(1, pass.stepN))) {
            offerSaveBeforeReindex(viewer, state, ports);
            pass.stepN = std::clamp(*n, 1, kMaxStepN);
            ports.screen.setBusy(true);
            viewer.Reindex(pass.stepN);
            ports.screen.setBusy(false);
            state.TopPosition = 2;
        }
    } else if (state.ViewerMenuCommand == kMenuUnsort) {
        state.ViewerMenuCommand = 0;
        viewer.Unsort();
        state.TopPosition = 2;
    } else if (state.ViewerMenuCommand == kMenuRestoreAll) {
        state.ViewerMenuCommand = 0;
        viewer.RestoreAllDeletions();
        state.TopPosition = 2;
    } else if (state.ViewerMenuCommand == kMenuSortByBeginning ||
               state.ViewerMenuCommand == kMenuSortByEnd) {
        const SortMode mode =
            state.ViewerMenuCommand == kMenuSortByEnd ? SortMode::WordEnd : SortMode::WordBeginning;
        state.ViewerMenuCommand = 0;
        runSort(mode, viewer, state, ports);
    } else if (state.ViewerMenuCommand == kMenuSaveExtract) {
        state.ViewerMenuCommand = 0;
        runExtract(kMenuSaveExtract, viewer, state, ports);
    } else if (state.DeleteFlag != 0) {
        runDelete(viewer, state, ports);
        state.DeleteFlag = 0;
    } else if (state.TextSaveFlag != 0) {
        state.TextSaveFlag = 0;
        runSaveText(viewer, state, ports);
    } else if (state.ViewerMenuCommand == kMenuUndoDeletion) {
        state.ViewerMenuCommand = 0;
        const std::int64_t position =
            viewer.LastDeleted() ? viewer.LastDeleted()->position : state.TopPosition;
        if (viewer.UndoLastDeletion())
            showPosition(position, viewer, state);
    } else if (state.ViewerMenuCommand == kMenuSaveChanges ||
               state.ViewerMenuCommand == kMenuSaveSorted) {
        state.ViewerMenuCommand = 0;
        auto saved = SaveChanges(viewer, ViewerOutputFolder(state, viewer),
                                 state.InvalidFileNameChars, ports.prompter);
        (void)saved; // " Disc problem" has been told; the file stays open with its changes
    } else if (state.ViewerMenuCommand == kMenuCollocate) {
        state.ViewerMenuCommand = 0;
        const auto collocation = viewer.Collocate();
        if (collocation)
            ports.screen.showCollocation(*collocation);
        else
            ports.prompter.tell(collocation.error());
    } else if (state.OpenSourceFlag != 0) {
        state.OpenSourceFlag = 0;
        if (pass.shownDetails && !pass.shownDetails->sourcePath.empty())
            ViewFile(pass.shownDetails->sourcePath, "", "", state, ports.prompter, ports.files);
    } else if (state.ViewerMenuCommand == kMenuColumnView) {
        state.ViewerMenuCommand = 0;
        state.ColumnView = !state.ColumnView;
        ports.screen.redrawColumns(viewer, state);
        return std::nullopt;
    } else if (state.ViewerMenuCommand != 0) {
        state.ViewerMenuCommand = 0; // an item the viewer does not know
        ran = false;
    } else {
        ran = false;
    }
    if (ran) {
        keepPageValid(viewer, state);
        ports.screen.setMenus(menusOf(viewer, state));
        ports.screen.drawPage(viewer, state);
    }
    return std::nullopt;
}

LeaveFile ViewerCommandLoop(ResultViewer& viewer, ProgramState& state, ViewingPass& pass,
                            ViewerPorts& ports) {
    for (;;) {
        ports.screen.yield(state);
        if (auto leave = RunPendingCommand(viewer, state, pass, ports))
            return *leave;
    }
}

int RunResultViewer(ProgramState& state, ViewerPorts& ports) {
    const ScreenGeometry geometry = ViewerScreenGeometry(
        ports.screen.screenHeightPixels(), ScreenGeometry{state.ScreenLines, state.ScreenColumns});
    state.ScreenLines = geometry.lines;
    state.ScreenColumns = geometry.columns;
    state.ColumnView = false;
    ViewingPass pass;
    bool leaving = false;
    while (!leaving) {
        const auto chosen =
            ports.screen.chooseFiles(kSelectFilesToView, state.ViewFileMask, state.TargetDirectory);
        if (!chosen || chosen->empty())
            break;
        const std::vector<std::string> files = *chosen;
        state.ViewFolder = state.TargetDirectory;
        pass.fileCount = files.size();
        pass.fileIndex = 0;
        bool backwards = false;
        bool firstFile = true;
        for (;;) {
            if (pass.fileIndex >= files.size())
                break; // every file failed: choose again
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
                if (opened.error().title == msg::EmptyFile().title)
                    break; // the empty file has been deleted: the user chooses again
                if (backwards && pass.fileIndex == 0)
                    break;
                if (backwards)
                    --pass.fileIndex;
                else
                    ++pass.fileIndex;
                continue;
            }
            ResultViewer& viewer = *opened;
            state.ExitFlag = ExitRequest::None;
            state.TopPosition = 2;
            state.ShownTop = 2;
            ports.screen.showFile(viewer, pass.fileIndex, pass.fileCount);
            ports.screen.setMenus(menusOf(viewer, state));
            ports.screen.drawPage(viewer, state);
            const LeaveFile leave = ViewerCommandLoop(viewer, state, pass, ports);
            auto saved = SaveOnLeaving(viewer, ViewerOutputFolder(state, viewer),
                                       state.InvalidFileNameChars, ports.prompter);
            (void)saved;
            if (leave == LeaveFile::Exit) {
                leaving = true;
                break;
            }
            if (leave == LeaveFile::MoreFiles)
                break;
            backwards = leave == LeaveFile::PreviousFile;
            if (backwards)
                --pass.fileIndex;
            else
                ++pass.fileIndex;
        }
    }
    tellIfFailed(pass.printing.finish(ports.printer), ports.prompter);
    state.ExitFlag = ExitRequest::None;
    state.PauseFlag = false;
    state.ViewerMenuCommand = 0;
    return 0;
}

} // namespace lexmora
