// The KWIC screen in its viewing role: the page of records the result viewer draws, the vertical
// bar with its scale, the paging keys, the number panel for 'n' and the viewer's menus. Every
// menu item and key only posts a command; the viewer's loop runs it.
#include "ui/frmViewScreen.h"

#include "ui/command_line_qt.h"
#include "ui/kwic_highlight.h"
#include "ui/qt_clipboard.h"
#include "ui/text_convert.h"

#include <QAction>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace lexmora::ui {

namespace {

constexpr const char* kViewingCaption = "    Viewing files...";
constexpr const char* kStepNCaption = "please enter value for 'n'";
constexpr int kLeftContextColumn = 6; // behind the five-character hit number

struct MenuItem {
    ViewerMenu item;
    const char* name;
    const char* caption;
    bool separatorAfter;
};

// The "&Options" items in their order; the sort item's Normal caption is set by the user level.
constexpr MenuItem kMenuItems[] = {
    {ViewerMenu::CopyExtract, "mnuCopyExtract", "&Copy Extract to Clipboard", false},
    {ViewerMenu::SaveExtract, "mnuSaveExtract", "Cut and &Save Extract to File", false},
    {ViewerMenu::PrintExtract, "mnuPrintExtract", "&Print Extract", false},
    {ViewerMenu::Export, "mnuExport", "Export &KWIC Lines...", true},
    {ViewerMenu::SortByBeginning, "mnuSortBeginning", "Sort by &Beginning of Word", false},
    {ViewerMenu::SortByEnd, "mnuSortEnd", "Sort by &End of Word", false},
    {ViewerMenu::SaveSorted, "mnuSaveSorted", "Save Sor&ted List to File", false},
    {ViewerMenu::Collocate, "mnuCollocate", "C&ollocate on Sort", false},
    {ViewerMenu::Collocates, "mnuCollocates", "Collocates with &Statistics...", false},
    {ViewerMenu::Clusters, "mnuClusters", "Clusters (&Word Sequences)...", false},
    {ViewerMenu::Plot, "mnuPlot", "Concord&ance Plot...", false},
    {ViewerMenu::Unsort, "mnuUnsort", "&Un-sort", true},
    {ViewerMenu::ViewLog, "mnuViewLog", "View &Logfile", true},
    {ViewerMenu::FindInLines, "mnuFindInLines", "&Find in Lines...", false},
    {ViewerMenu::FindNext, "mnuFindNext", "F&ind Next", false},
    {ViewerMenu::RestoreAll, "mnuRestoreAll", "&Restore all Deletions", false},
    {ViewerMenu::UndoDeletion, "mnuUndoDeletion", "Un&do last Deletion", false},
    {ViewerMenu::SaveChanges, "mnuSaveChanges", "Save Changes &to File", true},
    {ViewerMenu::EveryNth, "mnuEveryNth", "Every &nth Occurrence", false},
    {ViewerMenu::ColumnView, "mnuColumnView", "Column &View", true},
    {ViewerMenu::CopyCommandLine, "mnuCopyCommandLine", "Copy as Command &Line", true},
    {ViewerMenu::MoreFiles, "mnuMoreFiles", "View &more Files", false},
    {ViewerMenu::Exit, "mnuScreenExit", "E&xit", false},
};

// The items shown to Advanced users only (sort to column view).
bool advancedOnly(ViewerMenu item) {
    return item >= ViewerMenu::SortByBeginning && item <= ViewerMenu::ColumnView;
}

// Items that are the viewer's alone: the live screen offers only the column view, the command
// line and Exit.
bool viewerOnly(ViewerMenu item) {
    return item != ViewerMenu::ColumnView && item != ViewerMenu::CopyCommandLine &&
           item != ViewerMenu::Exit;
}

QLabel* label(const char* name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

std::size_t slotOf(ViewerMenu item) {
    return static_cast<std::size_t>(item);
}

} // namespace

// --- the line list in the viewer ----------------------------------------------------------

void KwicLineList::setPage(const std::vector<std::string>& lines, std::int64_t top,
                           const SelectionList& selection) {
    m_first = 0;
    m_count = std::min(lines.size(), m_ring.size());
    for (std::size_t row = 0; row < m_count; ++row) {
        m_ring[row].assign(lines[row]);
        m_positions[row] = top + static_cast<std::int64_t>(row);
        m_selected[row] = selection.contains(m_positions[row]) ? 1 : 0;
    }
    if (m_current >= static_cast<int>(m_count))
        m_current = static_cast<int>(m_count) - 1;
    m_dirty = true;
    flush();
}

void KwicLineList::setKeywordWords(int words) {
    m_keywordWords = words;
    m_dirty = true;
}

void KwicLineList::setColumnLayout(int keywordColumn, int leftWidth) {
    m_keywordColumn = keywordColumn;
    m_leftWidth = leftWidth;
    m_dirty = true;
}

void KwicLineList::wheelEvent(QWheelEvent* event) {
    if (!m_viewing) {
        QWidget::wheelEvent(event);
        return;
    }
    const int notches = event->angleDelta().y() / 120;
    if (notches != 0)
        Q_EMIT scrollWanted(-3 * static_cast<std::int64_t>(notches));
    event->accept();
}

// --- the screen's viewer parts --------------------------------------------------------------

void frmViewScreen::buildOptionsMenu(QMenuBar* bar) {
    m_options = bar->addMenu("&Options");
    m_options->setObjectName("mnuScreenOpt");
    for (const MenuItem& entry : kMenuItems) {
        QAction* action = m_options->addAction(entry.caption);
        action->setObjectName(entry.name);
        action->setVisible(!viewerOnly(entry.item));
        m_viewerItems[slotOf(entry.item)] = action;
        if (entry.separatorAfter)
            m_options->addSeparator();
        const ViewerMenu item = entry.item;
        connect(action, &QAction::triggered, this, [this, item] {
            if (item == ViewerMenu::Exit) {
                pressExit();
            } else if (m_viewing) {
                m_commands.post(ViewerMenuCommand{item});
            } else if (item == ViewerMenu::ColumnView) {
                m_state.ColumnView = !m_state.ColumnView; // the live screen switches it itself
                RedrawColumns();
            } else if (item == ViewerMenu::CopyCommandLine) {
                QtClipboard clipboard;
                (void)CopySearchCommandLine(m_state, m_prompter, clipboard);
            }
        });
    }
    m_mnuColumnView = m_viewerItems[slotOf(ViewerMenu::ColumnView)];
    m_viewerItems[slotOf(ViewerMenu::FindInLines)]->setShortcut(QKeySequence::Find);
    m_viewerItems[slotOf(ViewerMenu::FindNext)]->setShortcut(QKeySequence::FindNext);
}

void frmViewScreen::buildTextOptions() {
    m_textOptions = new QMenu("Text Options", this);
    m_textOptions->setObjectName("mnuTextOptions");
    struct TextItem {
        const char* name;
        const char* caption;
        std::function<ViewerCommand()> command;
    };
    const TextItem items[] = {
        {"mnuAddClipboard", "&Add to Clipboard",
         [] { return ClipboardFlag{ClipboardAction::AddSelectedLines}; }},
        {"mnuCopyClipboard", "&Copy to Clipboard",
         [] { return ClipboardFlag{ClipboardAction::CopySelectedLines}; }},
        {"mnuExpand", "&Expand Context", [this] { return DetailsFlag{currentLine()}; }},
        {"mnuTextDelete", "&Delete", [this] { return DeleteFlag{currentLine()}; }},
        {"mnuPrintText", "&Print", [] { return PrintTextFlag{PrintedText::SelectedLines}; }},
        {"mnuTextSave", "Save to &File", [] { return TextSaveFlag{}; }},
    };
    // Only the viewer's loop runs these: the live screen does not offer them.
    for (const TextItem& item : items) {
        QAction* action = m_textOptions->addAction(item.caption);
        action->setObjectName(item.name);
        action->setVisible(false);
        m_viewerTextItems << action;
        connect(action, &QAction::triggered, this,
                [this, command = item.command] { m_commands.post(command()); });
    }
    QAction* clear = m_textOptions->addAction("Clear &Selection");
    clear->setObjectName("mnuClearSelection");
    connect(clear, &QAction::triggered, this, &frmViewScreen::ClearSelection);
    m_textOptions->addAction("Close &Menu");
}

QWidget* frmViewScreen::buildViewerLabels() {
    auto* box = new QWidget(this);
    box->setObjectName("picViewerLabels");
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(label("lblViewKeywordCaption", "Keyword:", box), 0, 0);
    m_lblViewKeyword = label("lblViewKeyword", "", box);
    m_lblViewKeyword->setFont(QFont("Arial", -1, QFont::Bold));
    grid->addWidget(m_lblViewKeyword, 0, 1, 1, 4);
    grid->addWidget(label("lblViewFile", "File:", box), 1, 0);
    m_lblViewFileNum = label("lblViewFileNum", "", box);
    grid->addWidget(m_lblViewFileNum, 1, 1);
    grid->addWidget(label("lblViewOf", "of", box), 1, 2);
    m_lblViewFileTotal = label("lblViewFileTotal", "", box);
    grid->addWidget(m_lblViewFileTotal, 1, 3);
    m_lblViewFileName = label("lblViewFileName", "", box);
    grid->addWidget(m_lblViewFileName, 1, 4);
    grid->addWidget(label("lblRecords", "Records:", box), 2, 0);
    m_lblRecordNum = label("lblRecordNum", "", box);
    grid->addWidget(m_lblRecordNum, 2, 1, 1, 4);
    grid->setColumnStretch(4, 1);
    box->hide();
    return box;
}

void frmViewScreen::prepareForViewing(int screenLines) {
    m_viewing = true;
    m_searching = false;
    m_state.ScreenLines = screenLines > 0 ? screenLines : kDefaultScreenLines;
    m_lstText->setPageLines(m_state.ScreenLines);
    m_lstText->setViewing(true);
    m_selection.clear();
    setWindowTitle(kViewingCaption);
    m_searchLabels->hide();
    m_viewerLabels->show();
    m_vscVertical->show();
    m_cmdPause->hide();
    m_cmdView->hide();
    findChild<QPushButton*>("cmdDelete")->show();
    for (const MenuItem& entry : kMenuItems)
        m_viewerItems[slotOf(entry.item)]->setVisible(true);
    m_mnuColumnView->setCheckable(true);
    for (QAction* action : m_viewerTextItems)
        action->setVisible(true);
    applyUserLevel();
    restoreTableView(); // the view the user chose last
    adjustSize();
    if (isVisible()) // a window left large (maximised) keeps its size: the page fills it
        fitPageToWindow();
}

void frmViewScreen::showViewedFile(const QString& name, const QString& keyword, std::size_t index,
                                   std::size_t count, int recordLength, int keywordColumn,
                                   int leftWidth) {
    m_lblViewKeyword->setText(keyword);
    m_lblViewFileNum->setText(QString::number(index + 1));
    m_lblViewFileTotal->setText(QString::number(count));
    m_lblViewFileName->setText(name);
    findChild<QPushButton*>("cmdLastFile")->setVisible(count > 1);
    findChild<QPushButton*>("cmdNextFile")->setVisible(count > 1);
    m_lstText->setColumnLayout(keywordColumn, leftWidth);
    m_lstText->setKeywordWords(KeywordWordCount(keyword.toStdString()));
    // The keys page from the start, without a click in the list first.
    m_lstText->setFocus(Qt::OtherFocusReason);
    m_selection.clear();
    m_lblMessage->clear();
    // The keyword in the middle of the page, so that both contexts show as far as they fit; a
    // line that is moved at all starts no earlier than its left context (column 6), never in
    // the middle of the hit number.
    m_longestLine = static_cast<std::size_t>(std::max(recordLength, 1));
    m_rangeFor = 0;
    applyHorizontalRange();
    const int columns = m_state.ScreenColumns;
    m_hscHorizontal->setValue(keywordColumn > columns / 2
                                  ? std::max(keywordColumn - columns / 2, kLeftContextColumn)
                                  : 0);
    m_state.HorizontalOffset = m_hscHorizontal->value();
}

void frmViewScreen::showPage(const std::vector<std::string>& lines, std::int64_t top,
                             std::int64_t indexCount, double scrollScale) {
    m_top = top;
    m_indexCount = indexCount;
    m_scrollScale = scrollScale > 1.0 ? scrollScale : 1.0;
    m_lstText->setPage(lines, top, m_selection);
    // The sort dialog may have switched the column view: the item's check mark follows it.
    m_mnuColumnView->setChecked(m_state.ColumnView);
    const std::int64_t last = top + static_cast<std::int64_t>(lines.size()) - 1;
    m_lblRecordNum->setText(lines.empty()
                                ? QString(" 0 of %1").arg(std::max<std::int64_t>(indexCount - 1, 0))
                                : QString(" %1 to %2 of %3").arg(top).arg(last).arg(indexCount));
    // The bar holds at most 32767 steps; beyond that each step stands for ScrollScale records.
    const std::int64_t lastTop =
        std::max<std::int64_t>(2, indexCount - std::max(m_state.ScreenLines, 1) + 1);
    const QSignalBlocker quiet(m_vscVertical);
    const bool scaled = m_scrollScale > 1.0;
    const auto barOf = [&](std::int64_t position) {
        return static_cast<int>(scaled ? std::llround(static_cast<double>(position) / m_scrollScale)
                                       : position);
    };
    m_vscVertical->setRange(scaled ? 0 : 2, std::min<int>(barOf(lastTop), 32767));
    m_vscVertical->setPageStep(std::max(1, barOf(std::max(m_state.ScreenLines, 1))));
    m_vscVertical->setValue(barOf(top));
    m_vscVertical->setEnabled(lastTop > 2);
    showTablePage(top);
    updateDeleteButton();
}

std::int64_t frmViewScreen::positionOfBar(int value) const {
    const std::int64_t lastTop =
        std::max<std::int64_t>(2, m_indexCount - std::max(m_state.ScreenLines, 1) + 1);
    const auto position = static_cast<std::int64_t>(std::llround(value * m_scrollScale));
    // The bar's end always reaches the last page, whatever the rounding of the scale.
    if (value >= m_vscVertical->maximum())
        return lastTop;
    return std::clamp<std::int64_t>(position, 2, lastTop);
}

void frmViewScreen::scrollBy(std::int64_t lines) {
    const std::int64_t lastTop =
        std::max<std::int64_t>(2, m_indexCount - std::max(m_state.ScreenLines, 1) + 1);
    const std::int64_t top = std::clamp<std::int64_t>(m_top + lines, 2, lastTop);
    if (top != m_top)
        Q_EMIT pageWanted(top);
}

void frmViewScreen::setViewerMenus(const ViewerMenuState& menus) {
    const auto enable = [this](ViewerMenu item, bool on) {
        m_viewerItems[slotOf(item)]->setEnabled(on);
    };
    enable(ViewerMenu::EveryNth, menus.everyNth);
    for (ViewerMenu item :
         {ViewerMenu::CopyExtract, ViewerMenu::SaveExtract, ViewerMenu::PrintExtract,
          ViewerMenu::SortByBeginning, ViewerMenu::SortByEnd, ViewerMenu::Collocate})
        enable(item, menus.needsTwo);
    enable(ViewerMenu::SaveSorted, menus.sortedList);
    enable(ViewerMenu::Unsort, menus.sortedList);
    for (ViewerMenu item :
         {ViewerMenu::RestoreAll, ViewerMenu::UndoDeletion, ViewerMenu::SaveChanges})
        enable(item, menus.changeCount > 0);
    findChild<QAction*>("mnuExpand")->setEnabled(menus.details);
}

void frmViewScreen::applyUserLevel() {
    if (!m_viewing)
        return;
    for (const MenuItem& entry : kMenuItems)
        if (advancedOnly(entry.item))
            m_viewerItems[slotOf(entry.item)]->setVisible(m_state.AdvancedUser);
    m_viewerItems[slotOf(ViewerMenu::SortByBeginning)]->setText(
        m_state.AdvancedUser ? "Sort by &Beginning of Word" : "&Sort");
}

std::optional<int> frmViewScreen::askStepN(int current) {
    m_numberEntry = NumberEntry::StepN;
    m_lblEnterNumber->setText(kStepNCaption);
    m_vscNumber->setRange(1, kMaxStepN);
    m_vscNumber->setValue(std::max(current, 1));
    m_txtNumber->setText(QString::number(std::max(current, 1)));
    m_picEnterNumber->show();
    m_txtNumber->setFocus();
    m_txtNumber->selectAll();
    m_numberAnswer.reset();
    QEventLoop loop;
    m_numberLoop = &loop;
    loop.exec();
    m_numberLoop = nullptr;
    m_picEnterNumber->hide();
    m_numberEntry = NumberEntry::ColumnWidth;
    return m_numberAnswer;
}

void frmViewScreen::cancelNumberEntry() {
    if (m_numberLoop != nullptr)
        m_numberLoop->quit();
}

void frmViewScreen::onNumberOk() {
    bool fine = false;
    const int value = m_txtNumber->text().toInt(&fine);
    if (m_numberEntry == NumberEntry::StepN) {
        if (fine)
            m_numberAnswer = std::clamp(value, 1, kMaxStepN);
        cancelNumberEntry();
        return;
    }
    m_state.ColumnWidth =
        fine ? std::clamp(value, kMinColumnWidth, kMaxColumnWidth) : m_state.ColumnWidth;
    m_picEnterNumber->hide();
    m_lstText->markDirty();
    m_lstText->flush();
}

} // namespace lexmora::ui
