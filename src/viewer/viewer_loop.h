// The result viewer's run: choosing result files, opening them one after the other, and the
// command loop that waits for the commands the KWIC screen posts in its queue and runs each on
// the open file. The screen draws and asks; every rule lives here.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "core/view_file.h"
#include "viewer/extracts.h"
#include "viewer/record_details.h"
#include "viewer/result_viewer.h"
#include "viewer/view_command_line.h"
#include "viewer/viewer_commands.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lexmora {

inline constexpr const char* kSelectFilesToView = "   Select files to view";
inline constexpr const char* kLogFileMask = "*.log;dumplog.*";

// The sort dialog's later keys: a level of mode None and those after it are none.
using LaterSortLevels = std::array<SortLevel, kMaxSortLevels - 1>;
inline constexpr LaterSortLevels kNoLaterLevels{SortLevel{SortMode::None, 0, 0},
                                                SortLevel{SortMode::None, 0, 0}};

// The sort dialog's boxes: an empty box is nothing; 0 in both sorts on the keyword itself.
struct SortRequest {
    std::optional<int> leftPos;
    std::optional<int> rightPos;
    bool columnView = false;
    LaterSortLevels then = kNoLaterLevels; // for ties of the one before
};

struct RangeRequest {
    ExtractRange range;
    LineForm form = LineForm::WholeRecord;
};

// What the screen's menus may offer after each command.
struct ViewerMenuState {
    bool everyNth = false;   // more records than screen lines
    bool needsTwo = false;   // at least two display positions
    bool sortedList = false; // "save sorted list" and un-sort
    bool details = false;    // one of this program's result files
    int changeCount = 0;
};

// What the desktop's KWIC screen does for the viewer. Every call but the wait has a do-nothing
// default; the dialogs' defaults answer as a user who cancels.
class ViewerScreen {
public:
    virtual ~ViewerScreen() = default;
    // The commands the screen's buttons, keys and menus and its details window posted and the
    // loop has not yet run. The screen owns them: they live as long as whatever posts them.
    virtual ViewerCommandQueue& commands() = 0;
    // Called once per turn of the loop: lets the events that are waiting run (clicks post
    // commands in `commands()` or set `state.ExitFlag`); when nothing is pending then, waits
    // until something is, without using the processor.
    virtual void waitForCommand(ProgramState& state) = 0;
    // The screen height in pixels, for the page geometry (0: keep the lines and columns held).
    virtual int screenHeightPixels() { return 0; }
    // The file selection window; nothing when the user does not confirm with "Ok".
    virtual std::optional<std::vector<std::string>>
    chooseFiles(const std::string& caption, const std::string& mask, const std::string& folder) {
        (void)caption;
        (void)mask;
        (void)folder;
        return std::nullopt;
    }
    // The "File:" and "Records:" captions; the file-stepping buttons show when fileCount > 1.
    virtual void showFile(ResultViewer& viewer, std::size_t fileIndex, std::size_t fileCount) {
        (void)viewer;
        (void)fileIndex;
        (void)fileCount;
    }
    virtual void setMenus(const ViewerMenuState& menus) { (void)menus; }
    // The file shown is being closed: nothing may read its records any more.
    virtual void closeFile() {}
    // DrawPage from state.TopPosition; sets state.ShownTop to the position shown first.
    virtual void drawPage(ResultViewer& viewer, ProgramState& state) {
        (void)viewer;
        state.ShownTop = state.TopPosition;
    }
    // Column view switched: the column-width panel and the redraw (RedrawColumns).
    virtual void redrawColumns(ResultViewer& viewer, ProgramState& state) {
        drawPage(viewer, state);
    }
    // The display position of a line of the page (its item data).
    virtual std::int64_t positionOfLine(int lineIndex, const ProgramState& state) {
        return state.ShownTop + lineIndex;
    }
    // The selected display positions (the hidden selection list).
    virtual std::vector<std::int64_t> selection() { return {}; }
    virtual void clearSelection() {}
    // The number panel "please enter value for 'n'" (1 .. 100).
    virtual std::optional<int> askStepN(int current) {
        (void)current;
        return std::nullopt;
    }
    // "Find in Lines": the word to look for (`last` offered); nothing when the user cancels.
    virtual std::optional<std::string> askFindWord(const std::string& last) {
        (void)last;
        return std::nullopt;
    }
    // The sort dialog; nothing when the user left it without "Ok".
    virtual std::optional<SortRequest> askSortPositions(bool columnView) {
        (void)columnView;
        return std::nullopt;
    }
    // The range dialog with the verb "copy", "save" or "print"; `confirming` when a selection
    // proposes the range.
    virtual std::optional<RangeRequest> askExtractRange(const std::string& verb,
                                                        const ExtractRange& proposed,
                                                        bool confirming, std::int64_t indexCount) {
        (void)verb;
        (void)proposed;
        (void)confirming;
        (void)indexCount;
        return std::nullopt;
    }
    virtual void showCollocation(const Collocation& collocation) { (void)collocation; }
    // The record details window, shown modally; its buttons post commands in `commands()`.
    // `hit`: where the hit stands in the text, to be made to stand out.
    virtual void showDetails(const std::string& text, TextSpan hit, ProgramState& state) {
        (void)text;
        (void)hit;
        (void)state;
    }
    // The page layout of the printer for a font (from its sample string).
    virtual PageGeometry printerPage(const std::string& font) {
        (void)font;
        return {};
    }
    virtual void setBusy(bool busy) { (void)busy; }
    // "Export KWIC Lines...": the screen asks for a file and format and writes the lines shown
    // (kwic_export.h).
    virtual void exportLines(ResultViewer& viewer) { (void)viewer; }
    // "Collocates...": the collocates of the lines shown; true when the window filtered the
    // lines to a collocate's hits (the page is then drawn again).
    virtual bool openCollocates(ResultViewer& viewer) {
        (void)viewer;
        return false;
    }
    // "Clusters...": the clusters of the lines shown; true as for openCollocates.
    virtual bool openClusters(ResultViewer& viewer) {
        (void)viewer;
        return false;
    }
    // "Concordance Plot...": the plot of the lines shown, in a window beside the viewer.
    virtual void openPlot(ResultViewer& viewer) { (void)viewer; }
};

// What the viewer hands work to besides the screen.
struct ViewerPorts {
    ViewerScreen& screen;
    Prompter& prompter;
    Clipboard& clipboard;
    Printer& printer;
    FileViewer& files;
};

// How the command loop left a file.
enum class LeaveFile { NextFile, PreviousFile, MoreFiles, Exit };

// The state of one viewing pass that outlives the files viewed in it.
struct ViewingPass {
    int stepN = 1;
    ClipboardGather gathered;
    TextPrintSession printing;
    std::optional<RecordDetails> shownDetails; // the text of the details window
    std::optional<std::string> pickedLog;      // a log the user picked for the current file
    std::optional<SavedExtract> savedExtract;  // the last ".cnc" extract, for the command line
    std::string findWord;                      // the last word of "Find in Lines"
    std::int64_t lastFound = 0;                // the line F3 last went to (0: none)
    std::size_t fileIndex = 0;
    std::size_t fileCount = 1;
};

// ViewerCommandLoop on an open file: waits for a command, then runs the pending one that comes
// first (an Exit before any); returns when the user leaves the file.
LeaveFile ViewerCommandLoop(ResultViewer& viewer, ProgramState& state, ViewingPass& pass,
                            ViewerPorts& ports);

// Runs one turn's command, if any is pending; the leave condition when the user leaves.
std::optional<LeaveFile> RunPendingCommand(ResultViewer& viewer, ProgramState& state,
                                           ViewingPass& pass, ViewerPorts& ports);

// RunResultViewer: file selection, every chosen file in turn, until the user leaves the viewer.
// `firstFiles` (a recent or dropped file) are viewed before the first choice is asked for.
// Each file opened is remembered among the recent result files.
// Returns 0; the exit and pause flags are reset on the way out and a held print job is sent.
int RunResultViewer(ProgramState& state, ViewerPorts& ports,
                    std::vector<std::string> firstFiles = {});

// The folder the viewer's outputs go to: ViewFolder, else the viewed file's folder.
std::string ViewerOutputFolder(const ProgramState& state, const ResultViewer& viewer);

} // namespace lexmora
