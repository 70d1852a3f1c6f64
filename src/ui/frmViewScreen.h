// The KWIC screen: the one window on which KWIC lines are shown. During a search it is the live
// display (a SearchObserver): a rolling window on the last ScreenLines hits, the counters and
// captions, and the buttons that set the command flags the scanner polls. In its viewing role
// (frmViewScreen_viewer.cpp) it shows the result viewer's pages and posts the viewer's commands.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "search/kwic_screen.h"
#include "search/scanner.h"

#include "viewer/viewer_commands.h"
#include "viewer/viewer_loop.h"

#include <QWidget>

#include <array>
#include <bitset>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QBoxLayout;
class QLabel;
class QPainter;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollBar;
class QAction;
class QEventLoop;

namespace lexmora::ui {

class KwicTableView;

// The line list `lstText`: paints the page's lines in a fixed-pitch font, nothing more per hit
// than a copy into its ring of lines. Selection, current line, keys and mouse live here; the
// viewer's commands they post go to `commands`, the screen's.
class KwicLineList : public QWidget {
    Q_OBJECT
public:
    KwicLineList(ProgramState& state, ViewerCommandQueue& commands, QWidget* parent = nullptr);

    // The rolling page: appends a line, dropping the first when `ScreenLines` are held.
    void appendRolling(std::string_view line);
    void clearLines();
    std::size_t count() const { return m_count; }
    const std::string& lineAt(std::size_t row) const; // Windows-1252, as received
    std::string shownAt(std::size_t row) const;       // as drawn: columns, offset and cut
    std::int64_t itemData(std::size_t row) const;     // the line's display position
    bool isSelected(std::size_t row) const;
    void setSelected(std::size_t row, bool selected);
    int currentRow() const { return m_current; }
    void setCurrentRow(int row);
    void setPageLines(int lines); // ScreenLines: the list's height and the ring's size
    // The ring for `lines` lines as the window re-flows, keeping the newest lines held.
    void resizeRing(int lines);
    // The columns and lines the list's area holds in its font.
    QSize fittingPage() const;
    // The viewer's page: the lines from display position `top` on, selected as the list says.
    void setPage(const std::vector<std::string>& lines, std::int64_t top,
                 const SelectionList& selection);
    // The keyword column and left context width the column view aligns on (the viewed file's);
    // 0 takes them from the context settings.
    void setColumnLayout(int keywordColumn, int leftWidth);
    // The words of the viewed file's keyword, drawn in its colour; 0 takes the search's keywords.
    void setKeywordWords(int words);
    // In the viewer the keys page and act on lines; during a search they only move and select.
    void setViewing(bool viewing) { m_viewing = viewing; }
    void markDirty() { m_dirty = true; }
    // Repaints when something changed since the last paint.
    void flush();

    QSize sizeHint() const override;
    // The list's size for a page of so many lines and columns.
    QSize pageSize(int lines, int columns) const;
    static constexpr int kLeastLines = 6;
    static constexpr int kLeastColumns = 40;

Q_SIGNALS:
    void selectionDone();    // the mouse selected lines: SyncSelection
    void selectingStarted(); // the left button went down on a line
    void contextMenuWanted(const QPoint& global);
    void scrollWanted(std::int64_t lines); // the viewer's page moves by so many lines
    void painted();     // the lines, their selection and the current line are drawn as they stand
    void areaChanged(); // resized: the page may hold more or fewer lines and columns

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool pagingKey(int key, bool ctrl);
    std::size_t slot(std::size_t row) const { return (m_first + row) % m_ring.size(); }
    int rowAt(int y) const;
    int keywordColumn() const; // 1-based, the viewed file's or the context settings'
    int keywordWords() const;
    void drawLine(QPainter& painter, int baseline, const std::string& shown, bool marked);

    ProgramState& m_state;
    ViewerCommandQueue& m_commands;
    std::vector<std::string> m_ring;
    std::vector<std::int64_t> m_positions;
    std::vector<char> m_selected;
    std::size_t m_first = 0;
    std::size_t m_count = 0;
    std::int64_t m_nextPosition = 2; // position 1 is a result file's header, never shown
    int m_current = -1;
    int m_anchor = -1;
    int m_dragTo = -1;
    bool m_dirty = false;
    bool m_viewing = false;
    int m_keywordColumn = 0;
    int m_leftWidth = 0;
    int m_keywordWords = 0;
    std::bitset<256> m_delimiters;
};

class frmViewScreen : public QWidget, public SearchObserver {
    Q_OBJECT
public:
    frmViewScreen(ProgramState& state, Prompter& prompter, QWidget* parent = nullptr);

    // Sets the controls for a running search: caption, "&Hide", the View flag, the page size.
    void prepareForSearch(int screenLines);
    // The run is over: the last counters are drawn, the screen is in paging mode.
    void endSearch();
    // The summary lists its lines in place of the hits, a page at a time.
    void beginSummary();
    bool searching() const { return m_searching; }

    // SearchObserver: every call only stores; drawing happens in the throttled yield.
    void onHit(std::string_view kwicLine, std::string_view shortName) override;
    void onKeyword(std::int64_t index) override;
    void onHitCounter(std::int64_t hits) override;
    void onFileCounter(std::int64_t file) override;
    void onFilesInStep(std::int64_t files) override;
    void onFileName(std::string_view name, std::string_view folder) override;
    void onFolder(std::string_view folder) override;
    void onCodeName(std::string_view name) override;
    void onSearchStarted() override;
    void onSavingResults(std::string_view dumpPath) override;
    void onResultSetDeleted(std::string_view dumpName) override;
    void onElapsed(std::int64_t seconds) override;
    void onSummaryLine(std::string_view line) override;
    void onPaused(std::int64_t seconds) override;
    void yield(ProgramState& state) override;
    // While the run is paused: blocks in the event loop until a click or the time limit.
    void waitForEvents(ProgramState& state, std::chrono::milliseconds limit) override;

    // Draws what the observer stored (the counters, captions and lines).
    void flush();
    KwicLineList* lines() const { return m_lstText; }
    const SelectionList& selection() const { return m_selection; }
    // The viewer's commands the screen, its lines, its table and its details window posted and
    // the viewer's loop has not yet taken. A live search's screen posts none.
    ViewerCommandQueue& commands() { return m_commands; }

    // Selection as the screen keeps it. SyncSelection walks the page; ClearSelection unselects.
    void SyncSelection();
    void ClearSelection();
    // Switches the column view on (with the width panel) or off, and redraws.
    void RedrawColumns();

    // --- the viewing role (the result viewer drives the screen) -----------------------------
    // Caption "    Viewing files...", the "Records:" label, the vertical bar, the viewer's menus.
    void prepareForViewing(int screenLines);
    bool viewing() const { return m_viewing; }
    // "File:" with the file's number and name; the file-stepping buttons with several files.
    void showViewedFile(const QString& name, const QString& keyword, std::size_t index,
                        std::size_t count, int recordLength, int keywordColumn, int leftWidth);
    // One page of records from display position `top`; the record label and the bar follow.
    void showPage(const std::vector<std::string>& lines, std::int64_t top, std::int64_t indexCount,
                  double scrollScale);
    void setViewerMenus(const ViewerMenuState& menus);
    // The number panel "please enter value for 'n'"; nothing unless "Ok".
    std::optional<int> askStepN(int current);
    void cancelNumberEntry();
    // The first display position a value of the vertical bar stands for.
    std::int64_t positionOfBar(int value) const;
    // Shows or hides the Advanced items of "&Options" as the user level says.
    void applyUserLevel();
    // The size of the lines' text in points: larger (+1), smaller (-1) or the default (0) as
    // Ctrl++, Ctrl+- and Ctrl+0 ask; remembered in the settings file.
    void stepTextSize(int step);
    int textPoints() const;
    // The page takes the lines and columns the list's area holds (after a resize or a new
    // text size), keeping the keyword column where the user put it.
    void fitPageToWindow();

    // --- the table view (frmViewScreen_table.cpp) ---------------------------------------------
    // The table beside the line view: shown instead of the lines while viewing; the View menu's
    // toggle, remembered in the settings file.
    void setTableView(bool on);
    bool tableViewOn() const { return m_tableOn; }
    KwicTableView* table() const { return m_tblKwic; }
    // The viewer whose records the table reads; nothing once its file is closed.
    void showRecords(ResultViewer* viewer);
    // The current line as a command names it (from the page's first line), in the view shown;
    // whether there is one.
    int currentLine() const;
    bool hasCurrentLine() const;

    // Hook for tests: called on every yield and wait before the events are handled.
    std::function<void(ProgramState&)> onYieldForTest;

Q_SIGNALS:
    void pageWanted(std::int64_t top); // the viewer's page is to start at this position

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void showRunMessage(std::string text);
    QWidget* buildLabels();
    QWidget* buildButtons();
    QWidget* buildNumberPanel();
    void buildMenus(QMenuBar* bar);
    void buildOptionsMenu(QMenuBar* bar);
    void buildTextOptions();
    void buildViewMenu(QMenuBar* bar);
    void applyStoredTextSize();
    QWidget* buildViewerLabels();
    void scrollBy(std::int64_t lines);
    void onNumberOk();
    void togglePause();
    void toggleView();
    void pressExit();
    void applyHorizontalRange();
    void showTextOptions(const QPoint& where);
    // Delete is offered only while there is a line to delete: one chosen or selected.
    void updateDeleteButton();
    // The table view's parts.
    void buildTableView(QBoxLayout* page);
    void addTableViewItem(QMenu* view);
    void restoreTableView();
    void applyTableView();
    void showTablePage(std::int64_t top);
    void syncTableSelection();
    void setTableFont(const QFont& font);
    void onTableSelection(bool refused);
    void onTableMoved(std::int64_t top);

    ProgramState& m_state;
    Prompter& m_prompter;
    // The lines, the table and the details window post here; all are the screen's children or
    // modal on it, so none posts once the screen has gone.
    ViewerCommandQueue m_commands;
    bool m_searching = false;
    bool m_summary = false;
    bool m_summaryStarted = false;
    bool m_refusingMinimise = false;
    std::chrono::steady_clock::time_point m_lastYield{};
    std::chrono::steady_clock::time_point m_pauseStart{};
    bool m_wasPaused = false;
    SelectionList m_selection;

    // What the observer stored since the last flush.
    bool m_labelsDirty = false;
    std::int64_t m_found = 0;
    std::int64_t m_fileNum = 0;
    std::int64_t m_fileTotal = 0;
    std::string m_fileName;
    std::string m_folder;
    std::string m_codeName;
    std::string m_message;
    std::int64_t m_pausedSeconds = -1;
    std::size_t m_longestLine = 0;
    std::int64_t m_keywordShown = -1; // the keyword being searched, as onKeyword told it
    std::size_t m_rangeFor = 0;
    int m_defaultPoints = 10; // the screen font's own size

    KwicLineList* m_lstText = nullptr;
    QScrollBar* m_hscHorizontal = nullptr;
    QLabel* m_lblStringNum = nullptr;
    QLabel* m_lblStringTotal = nullptr;
    QLabel* m_lblStringName = nullptr;
    QLabel* m_lblFileNum = nullptr;
    QLabel* m_lblFileTotal = nullptr;
    QLabel* m_lblPathName = nullptr;
    QLabel* m_lblFileName = nullptr;
    QLabel* m_lblWPName = nullptr;
    QLabel* m_lblFoundNum = nullptr;
    QWidget* m_shpProgressShow = nullptr;
    QWidget* m_picture1 = nullptr;
    QLabel* m_lblProgressShow = nullptr;
    QLabel* m_lblMessage = nullptr;
    QPushButton* m_cmdPause = nullptr;
    QPushButton* m_cmdView = nullptr;
    QPushButton* m_cmdExit = nullptr;
    QWidget* m_picEnterNumber = nullptr;
    QScrollBar* m_vscNumber = nullptr;
    QLineEdit* m_txtNumber = nullptr;
    QAction* m_mnuColumnView = nullptr;
    QMenu* m_options = nullptr;
    QMenu* m_textOptions = nullptr;

    // The viewing role.
    enum class NumberEntry { ColumnWidth, StepN };
    bool m_viewing = false;
    NumberEntry m_numberEntry = NumberEntry::ColumnWidth;
    QEventLoop* m_numberLoop = nullptr;
    std::optional<int> m_numberAnswer;
    std::int64_t m_indexCount = 0;
    std::int64_t m_top = 2;
    double m_scrollScale = 1.0;
    QWidget* m_viewerLabels = nullptr;
    QWidget* m_searchLabels = nullptr;
    QLabel* m_lblViewFileNum = nullptr;
    QLabel* m_lblViewFileTotal = nullptr;
    QLabel* m_lblViewFileName = nullptr;
    QLabel* m_lblRecordNum = nullptr;
    QLabel* m_lblViewKeyword = nullptr;
    QLabel* m_lblEnterNumber = nullptr;
    QScrollBar* m_vscVertical = nullptr;
    std::array<QAction*, kViewerMenuCount> m_viewerItems{}; // by ViewerMenu
    QList<QAction*> m_viewerTextItems;                      // the text options only the viewer runs

    // The table view.
    KwicTableView* m_tblKwic = nullptr;
    QAction* m_mnuTableView = nullptr;
    bool m_tableOn = false;     // as the user left it (the settings file)
    bool m_tableMoving = false; // the page follows the table: it is not moved back
};

} // namespace lexmora::ui
