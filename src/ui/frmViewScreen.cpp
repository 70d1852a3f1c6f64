#include "ui/frmViewScreen.h"

#include "core/paths.h"
#include "search/search_run.h"
#include "ui/event_wait.h"
#include "ui/frmWeb.h"
#include "ui/help_qt.h"
#include "ui/kwic_highlight.h"
#include "ui/messages.h"
#include "ui/text_convert.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

#include <algorithm>
#include <optional>

namespace lexmora::ui {

namespace {

constexpr auto kYieldInterval = std::chrono::milliseconds(20);

// "Courier New" where it is installed, else the system's fixed-pitch font.
QFont screenFont() {
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return font;
}

QLabel* label(const char* name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QString number(std::int64_t n) {
    return QString::number(n);
}

} // namespace

// --- the line list --------------------------------------------------------------------------

KwicLineList::KwicLineList(ProgramState& state, ViewerCommandQueue& commands, QWidget* parent)
    : QWidget(parent), m_state(state), m_commands(commands),
      m_delimiters(ColumnDelimiters(state.SymbolChars)) {
    setObjectName("lstText");
    setAccessibleName(tr("KWIC lines"));
    setFont(screenFont());
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setPageLines(state.ScreenLines);
}

void KwicLineList::setPageLines(int lines) {
    const auto n = static_cast<std::size_t>(std::max(lines, 1));
    m_ring.assign(n, std::string());
    m_positions.assign(n, 0);
    m_selected.assign(n, 0);
    m_first = 0;
    m_count = 0;
    m_current = -1;
    for (std::string& s : m_ring)
        s.reserve(512);
    // The window opens at the whole page and re-flows when resized: it may be made smaller than
    // the page, down to a few short lines.
    setMinimumSize(pageSize(std::min(static_cast<int>(n), kLeastLines), kLeastColumns));
    updateGeometry();
    m_dirty = true;
}

void KwicLineList::appendRolling(std::string_view line) {
    std::size_t row;
    if (m_count == m_ring.size()) {
        // The first line goes; its slot takes the new line.
        row = m_first;
        m_first = (m_first + 1) % m_ring.size();
        if (m_current > 0)
            --m_current;
    } else {
        row = slot(m_count);
        ++m_count;
    }
    m_ring[row].assign(line.data(), line.size()); // reuses the slot's buffer
    m_positions[row] = m_nextPosition++;
    m_selected[row] = 0;
    m_dirty = true;
}

void KwicLineList::clearLines() {
    if (m_count == 0)
        return;
    m_first = 0;
    m_count = 0;
    m_current = -1;
    std::fill(m_selected.begin(), m_selected.end(), 0);
    m_dirty = true;
}

const std::string& KwicLineList::lineAt(std::size_t row) const {
    return m_ring[slot(row)];
}

std::string KwicLineList::shownAt(std::size_t row) const {
    const std::string& line = lineAt(row);
    if (m_state.ColumnView) {
        const int leftWidth = m_keywordColumn > 0 ? m_leftWidth : m_state.LeftContext;
        const std::string columns =
            FormatColumns(line, keywordColumn(), leftWidth, m_state.ColumnWidth, m_delimiters);
        return ShiftLine(columns, m_state.HorizontalOffset, m_state.ScreenColumns);
    }
    return ShiftLine(line, m_state.HorizontalOffset, m_state.ScreenColumns);
}

std::int64_t KwicLineList::itemData(std::size_t row) const {
    return m_positions[slot(row)];
}

bool KwicLineList::isSelected(std::size_t row) const {
    return m_selected[slot(row)] != 0;
}

void KwicLineList::setSelected(std::size_t row, bool selected) {
    m_selected[slot(row)] = selected ? 1 : 0;
    m_dirty = true;
}

void KwicLineList::setCurrentRow(int row) {
    m_current = m_count == 0 ? -1 : std::clamp(row, 0, static_cast<int>(m_count) - 1);
    m_dirty = true;
}

void KwicLineList::flush() {
    if (m_dirty)
        update();
    m_dirty = false;
}

QSize KwicLineList::sizeHint() const {
    return pageSize(static_cast<int>(m_ring.size()), m_state.ScreenColumns);
}

QSize KwicLineList::pageSize(int lines, int columns) const {
    const QFontMetrics metrics(font());
    // The advance of a whole line, not one character times the columns: fractional advances add
    // up along the line.
    const QString line(std::max(columns, 10), QLatin1Char('M'));
    return {metrics.horizontalAdvance(line) + 10, metrics.lineSpacing() * lines + 6};
}

int KwicLineList::rowAt(int y) const {
    const int row = (y - 3) / QFontMetrics(font()).lineSpacing();
    return m_count == 0 ? -1 : std::clamp(row, 0, static_cast<int>(m_count) - 1);
}

void KwicLineList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QFontMetrics metrics(font());
    const int step = metrics.lineSpacing();
    const int low = m_dragTo >= 0 ? std::min(m_anchor, m_dragTo) : -1;
    const int high = m_dragTo >= 0 ? std::max(m_anchor, m_dragTo) : -1;
    // Only the page's lines are drawn: at most ScreenLines of them.
    for (std::size_t row = 0; row < m_count; ++row) {
        const int y = 3 + static_cast<int>(row) * step;
        const int r = static_cast<int>(row);
        const bool marked = isSelected(row) || (r >= low && r <= high);
        if (marked) {
            painter.fillRect(0, y, width(), step, palette().highlight());
            painter.setPen(palette().highlightedText().color());
        } else {
            painter.setPen(palette().text().color());
        }
        drawLine(painter, y + metrics.ascent(), shownAt(row), marked);
        if (r == m_current && hasFocus()) {
            painter.setPen(QPen(palette().text().color(), 1, Qt::DotLine));
            painter.drawRect(1, y, width() - 3, step - 1);
        }
    }
    Q_EMIT painted();
}

// --- the screen -----------------------------------------------------------------------------

frmViewScreen::frmViewScreen(ProgramState& state, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state), m_prompter(prompter) {
    setObjectName("frmViewScreen");
    setWindowTitle(kScreenCaption);
    m_state.ColumnView = false; // cleared whenever the screen is loaded

    auto* layout = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    buildMenus(bar);
    layout->setMenuBar(bar);
    m_searchLabels = buildLabels();
    layout->addWidget(m_searchLabels);
    m_viewerLabels = buildViewerLabels();
    layout->addWidget(m_viewerLabels);
    m_lstText = new KwicLineList(state, m_commands, this);
    applyStoredTextSize();
    m_vscVertical = new QScrollBar(Qt::Vertical, this);
    m_vscVertical->setObjectName("vscVertical");
    m_vscVertical->hide();
    auto* page = new QHBoxLayout;
    page->addWidget(m_lstText, 1);
    buildTableView(page);
    page->addWidget(m_vscVertical);
    layout->addLayout(page, 1); // a larger window is more lines, not more blank space
    m_hscHorizontal = new QScrollBar(Qt::Horizontal, this);
    m_hscHorizontal->setObjectName("hscHorizontal");
    layout->addWidget(m_hscHorizontal);
    m_lblMessage = label("lblMessage", QString(), this);
    m_lblMessage->setFont(screenFont());
    m_lblMessage->setMinimumHeight(QFontMetrics(m_lblMessage->font()).lineSpacing() * 2);
    m_lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_lblMessage);
    layout->addWidget(buildNumberPanel());
    layout->addWidget(buildButtons());

    connect(m_hscHorizontal, &QScrollBar::valueChanged, this, [this](int value) {
        m_state.HorizontalOffset = value;
        m_lstText->markDirty();
        m_lstText->flush();
    });
    connect(m_lstText, &KwicLineList::selectingStarted, this,
            [this] { m_lblMessage->setText(toQt(SelectingRecordsText())); });
    connect(m_lstText, &KwicLineList::selectionDone, this, &frmViewScreen::SyncSelection);
    connect(m_lstText, &KwicLineList::contextMenuWanted, this, &frmViewScreen::showTextOptions);
    connect(m_lstText, &KwicLineList::painted, this, &frmViewScreen::updateDeleteButton);
    connect(m_lstText, &KwicLineList::areaChanged, this, &frmViewScreen::fitPageToWindow);
    connect(m_lstText, &KwicLineList::scrollWanted, this, &frmViewScreen::scrollBy);
    connect(m_vscVertical, &QScrollBar::valueChanged, this,
            [this](int value) { Q_EMIT pageWanted(positionOfBar(value)); });
}

QWidget* frmViewScreen::buildLabels() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(label("lblString", "Keyword:", box), 0, 0);
    m_lblStringNum = label("lblStringNum", "", box);
    grid->addWidget(m_lblStringNum, 0, 1);
    grid->addWidget(label("lblOf2", "of", box), 0, 2);
    m_lblStringTotal = label("lblStringTotal", "", box);
    grid->addWidget(m_lblStringTotal, 0, 3);
    m_lblStringName = label("lblStringName", "", box);
    m_lblStringName->setFont(QFont("Arial", -1, QFont::Bold));
    grid->addWidget(m_lblStringName, 0, 4, 1, 3);

    grid->addWidget(label("lblFile", "File:", box), 1, 0);
    m_lblFileNum = label("lblFileNum", "", box);
    grid->addWidget(m_lblFileNum, 1, 1);
    grid->addWidget(label("lblOf1", "of", box), 1, 2);
    m_lblFileTotal = label("lblFileTotal", "", box);
    grid->addWidget(m_lblFileTotal, 1, 3);
    m_lblFileName = label("lblFileName", "", box);
    grid->addWidget(m_lblFileName, 1, 4, 1, 3);

    grid->addWidget(label("lblPath", "Path:", box), 2, 0);
    m_lblPathName = label("lblPathName", "", box);
    grid->addWidget(m_lblPathName, 2, 1, 1, 6);

    grid->addWidget(label("lblWP", "Code set:", box), 3, 0);
    m_lblWPName = label("lblWPName", "", box);
    grid->addWidget(m_lblWPName, 3, 1, 1, 3);
    grid->addWidget(label("lblFound", "Found:", box), 3, 4);
    m_lblFoundNum = label("lblFoundNum", "0", box);
    grid->addWidget(m_lblFoundNum, 3, 5);

    grid->addWidget(label("lblProgess", "Progress:", box), 4, 0);
    m_picture1 = new QWidget(box);
    m_picture1->setObjectName("Picture1");
    m_picture1->setFixedSize(200, 14);
    m_picture1->setAutoFillBackground(true);
    m_picture1->setBackgroundRole(QPalette::Base);
    m_shpProgressShow = new QWidget(m_picture1);
    m_shpProgressShow->setObjectName("shpProgressShow");
    m_shpProgressShow->setAutoFillBackground(true);
    m_shpProgressShow->setBackgroundRole(QPalette::Highlight);
    m_shpProgressShow->setGeometry(0, 0, 0, 14);
    grid->addWidget(m_picture1, 4, 1, 1, 3);
    m_lblProgressShow = label("lblProgressShow", "", box);
    grid->addWidget(m_lblProgressShow, 4, 4, 1, 3);
    grid->setColumnStretch(6, 1);
    return box;
}

QWidget* frmViewScreen::buildButtons() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    m_cmdPause = new QPushButton("&Pause ", box);
    m_cmdPause->setObjectName("cmdPause");
    m_cmdView = new QPushButton("&Hide", box);
    m_cmdView->setObjectName("cmdView");
    m_cmdExit = new QPushButton("E&xit", box);
    m_cmdExit->setObjectName("cmdExit");
    for (QPushButton* b : {m_cmdPause, m_cmdView, m_cmdExit}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
    }
    // The viewer's buttons: they page through files and delete lines, never during a search.
    struct ViewerButton {
        const char* name;
        const char* caption;
        std::optional<FileStep> step; // none: Delete
    };
    const ViewerButton viewerButtons[] = {
        {"cmdLastFile", "&Previous File", FileStep::Previous},
        {"cmdNextFile", "&Next File", FileStep::Next},
        {"cmdDelete", "&Delete", std::nullopt},
    };
    for (const ViewerButton& b : viewerButtons) {
        auto* button = new QPushButton(b.caption, box);
        button->setObjectName(b.name);
        button->setAutoDefault(false);
        button->hide();
        row->addWidget(button);
        const auto step = b.step;
        connect(button, &QPushButton::clicked, this, [this, step] {
            // The file buttons name their direction; Delete the selected lines, else the current
            // one.
            if (step)
                m_commands.post(FileStepFlag{*step});
            else if (hasCurrentLine() || !m_selection.empty())
                m_commands.post(DeleteFlag{currentLine()});
        });
    }
    row->addStretch();
    row->addWidget(m_cmdPause);
    row->addWidget(m_cmdView);
    row->addWidget(m_cmdExit);
    connect(m_cmdPause, &QPushButton::clicked, this, &frmViewScreen::togglePause);
    connect(m_cmdView, &QPushButton::clicked, this, &frmViewScreen::toggleView);
    connect(m_cmdExit, &QPushButton::clicked, this, &frmViewScreen::pressExit);
    return box;
}

QWidget* frmViewScreen::buildNumberPanel() {
    m_picEnterNumber = new QWidget(this);
    m_picEnterNumber->setObjectName("picEnterNumber");
    auto* row = new QHBoxLayout(m_picEnterNumber);
    row->setContentsMargins(0, 0, 0, 0);
    m_lblEnterNumber = label("lblEnterNumber", "column\n width", m_picEnterNumber);
    row->addWidget(m_lblEnterNumber);
    m_txtNumber = new QLineEdit(m_picEnterNumber);
    m_txtNumber->setObjectName("txtNumber");
    m_lblEnterNumber->setBuddy(m_txtNumber); // a screen reader names the box by its label
    m_txtNumber->setFixedWidth(QFontMetrics(m_txtNumber->font()).horizontalAdvance("0") * 5 + 12);
    m_vscNumber = new QScrollBar(Qt::Vertical, m_picEnterNumber);
    m_vscNumber->setObjectName("vscNumber");
    m_vscNumber->setRange(kMinColumnWidth, kMaxColumnWidth);
    m_vscNumber->setInvertedAppearance(true);
    m_vscNumber->setFixedHeight(40);
    auto* ok = new QPushButton("Ok", m_picEnterNumber);
    ok->setObjectName("cmdNumberOk");
    auto* cancel = new QPushButton("Cancel", m_picEnterNumber);
    cancel->setObjectName("cmdNumberCancel");
    row->addWidget(m_txtNumber);
    row->addWidget(m_vscNumber);
    row->addWidget(ok);
    row->addWidget(cancel);
    row->addStretch();
    m_picEnterNumber->hide();
    connect(m_vscNumber, &QScrollBar::valueChanged, this,
            [this](int v) { m_txtNumber->setText(QString::number(v)); });
    connect(ok, &QPushButton::clicked, this, &frmViewScreen::onNumberOk);
    // Enter confirms the box and Escape cancels it, as in any dialog.
    connect(m_txtNumber, &QLineEdit::returnPressed, ok, &QPushButton::click);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_picEnterNumber);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, cancel, &QPushButton::click);
    connect(cancel, &QPushButton::clicked, this, [this] {
        if (m_numberEntry == NumberEntry::StepN) {
            cancelNumberEntry();
            return;
        }
        m_state.ColumnView = false;
        RedrawColumns();
    });
    return m_picEnterNumber;
}

void frmViewScreen::buildMenus(QMenuBar* bar) {
    buildOptionsMenu(bar);

    QMenu* user = bar->addMenu("&User Level");
    user->setObjectName("mnuUser");
    QAction* advanced = user->addAction("&Advanced");
    advanced->setObjectName("mnuUserAdvanced");
    QAction* normal = user->addAction("&Normal");
    normal->setObjectName("mnuUserNormal");
    advanced->setCheckable(true);
    normal->setCheckable(true);
    advanced->setChecked(m_state.AdvancedUser);
    normal->setChecked(!m_state.AdvancedUser);
    connect(advanced, &QAction::triggered, this, [this, advanced, normal] {
        m_state.AdvancedUser = true;
        advanced->setChecked(true);
        normal->setChecked(false);
        applyUserLevel();
    });
    connect(normal, &QAction::triggered, this, [this, advanced, normal] {
        m_state.AdvancedUser = false;
        advanced->setChecked(false);
        normal->setChecked(true);
        applyUserLevel();
    });

    buildTextOptions();
    buildViewMenu(bar);

    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("mnuScreenHelp");
    QAction* helpItem = help->addAction("&Help");
    helpItem->setObjectName("mnuScreenHelpItem");
    connect(helpItem, &QAction::triggered, this, [this] {
        ShowHelpTopic(this, m_state, m_prompter, m_viewing ? help::kViewer : help::kSearchScreen);
    });
}

void frmViewScreen::prepareForSearch(int screenLines) {
    m_state.ScreenLines = screenLines > 0 ? screenLines : kDefaultScreenLines;
    m_state.ScreenColumns = kSearchScreenColumns;
    m_state.ViewFlag = true;
    m_state.PauseFlag = false;
    m_lstText->setPageLines(m_state.ScreenLines);
    m_lstText->setKeywordWords(0);
    m_selection.clear();
    setWindowTitle(kLiveCaption);
    m_cmdView->setText("&Hide");
    m_cmdPause->setText("&Pause ");
    m_cmdView->show();
    m_cmdPause->show();
    m_lblStringTotal->setText(number(static_cast<std::int64_t>(m_state.Keywords.size())));
    m_found = 0;
    m_message.clear();
    m_summary = false;
    m_searching = true;
    m_keywordShown = -1;
    // The keyword in view, near the middle of the line; the bar moves the lines sideways.
    std::size_t longestKeyword = 0;
    for (const std::string& k : m_state.Keywords)
        longestKeyword = std::max(longestKeyword, k.size());
    m_longestLine = static_cast<std::size_t>(5 + std::max(m_state.LeftContext, 0) +
                                             std::max(m_state.RightContext, 0)) +
                    longestKeyword;
    applyHorizontalRange();
    // Lines that fit are not moved at all; longer ones only as far as their end.
    const int keyColumn = m_state.LeftContext + 6;
    const long long overflow = static_cast<long long>(m_longestLine) - m_state.ScreenColumns;
    m_hscHorizontal->setValue(overflow <= 0 || keyColumn <= m_state.ScreenColumns / 2
                                  ? 0
                                  : static_cast<int>(std::min<long long>(
                                        keyColumn - m_state.ScreenColumns / 3, overflow + 1)));
    m_state.HorizontalOffset = m_hscHorizontal->value();
    m_labelsDirty = true;
    m_lastYield = std::chrono::steady_clock::now();
    adjustSize();
    if (isVisible()) // a window left large (maximised) keeps its size: the page fills it
        fitPageToWindow();
}

void frmViewScreen::applyHorizontalRange() {
    if (m_rangeFor == m_longestLine)
        return;
    m_rangeFor = m_longestLine;
    const int columns = m_state.ScreenColumns;
    const long long most = static_cast<long long>(m_longestLine) - columns + 1;
    m_state.MaxHorizontalOffset = static_cast<int>(std::clamp(most, 1LL, 32767LL));
    m_hscHorizontal->setRange(-columns / 2, m_state.MaxHorizontalOffset);
    m_hscHorizontal->setPageStep(columns / 2);
}

void frmViewScreen::endSearch() {
    m_searching = false;
    m_state.PauseFlag = false;
    m_cmdPause->hide();
    m_cmdView->hide();
    flush();
}

void frmViewScreen::beginSummary() {
    // The hits stay in view until the first summary line replaces them.
    m_summary = true;
    m_summaryStarted = false;
}

void frmViewScreen::onHit(std::string_view kwicLine, std::string_view) {
    if (!m_state.ViewFlag) {
        // Hidden lines cost nothing per hit: the list is only emptied.
        m_lstText->clearLines();
        return;
    }
    m_lstText->appendRolling(kwicLine);
    if (kwicLine.size() > m_longestLine)
        m_longestLine = kwicLine.size();
}

void frmViewScreen::onKeyword(std::int64_t index) {
    m_keywordShown = index;
    m_labelsDirty = true;
}

void frmViewScreen::onHitCounter(std::int64_t hits) {
    m_found = hits;
    m_labelsDirty = true;
}

void frmViewScreen::onFileCounter(std::int64_t file) {
    m_fileNum = file;
    m_labelsDirty = true;
}

void frmViewScreen::onFilesInStep(std::int64_t files) {
    m_fileTotal = files;
    m_labelsDirty = true;
}

void frmViewScreen::onFileName(std::string_view name, std::string_view folder) {
    (void)folder; // the path label stays empty for a stored file list
    m_fileName.assign(name);
    m_labelsDirty = true;
}

void frmViewScreen::onFolder(std::string_view folder) {
    m_folder.assign(folder);
    m_labelsDirty = true;
}

void frmViewScreen::onCodeName(std::string_view name) {
    m_codeName.assign(name);
    m_labelsDirty = true;
}

void frmViewScreen::onSearchStarted() {
    setWindowTitle(kLiveCaption);
}

void frmViewScreen::onSummaryLine(std::string_view line) {
    if (!m_summaryStarted) {
        m_summaryStarted = true;
        m_lstText->clearLines();
        m_state.ColumnView = false;
        RedrawColumns();
        m_hscHorizontal->setValue(0);
        m_state.HorizontalOffset = 0;
    }
    // A page of the summary: the next line after a full page starts a new one.
    if (m_lstText->count() >= static_cast<std::size_t>(m_state.ScreenLines))
        m_lstText->clearLines();
    m_lstText->appendRolling(line);
    m_lstText->flush();
}

void frmViewScreen::onSavingResults(std::string_view dumpPath) {
    showRunMessage(SavingResultsCaption(dumpPath));
}

void frmViewScreen::onResultSetDeleted(std::string_view dumpName) {
    showRunMessage(ResultSetDeletedCaption(dumpName));
}

void frmViewScreen::onElapsed(std::int64_t seconds) {
    // Below "saving results to" when results were saved.
    if (m_state.SaveToFile && !m_message.empty())
        m_message += "\n" + ElapsedCaption(seconds);
    else
        m_message = ElapsedCaption(seconds);
    m_labelsDirty = true;
    flush();
}

void frmViewScreen::showRunMessage(std::string text) {
    m_message = std::move(text);
    m_labelsDirty = true;
}

void frmViewScreen::onPaused(std::int64_t) {
    const auto now = std::chrono::steady_clock::now();
    if (!m_wasPaused) {
        m_wasPaused = true;
        m_pauseStart = now;
    }
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(now - m_pauseStart).count();
    if (seconds != m_pausedSeconds) {
        m_pausedSeconds = seconds;
        m_labelsDirty = true;
    }
}

void frmViewScreen::yield(ProgramState& state) {
    if (onYieldForTest)
        onYieldForTest(state);
    // The event loop runs at most every 20 ms, not once per hit.
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastYield < kYieldInterval)
        return;
    m_lastYield = now;
    if (!state.PauseFlag && m_wasPaused) {
        m_wasPaused = false;
        m_pausedSeconds = -1;
        m_labelsDirty = true;
    }
    flush();
    QCoreApplication::processEvents();
}

void frmViewScreen::waitForEvents(ProgramState& state, std::chrono::milliseconds limit) {
    if (onYieldForTest)
        onYieldForTest(state);
    flush();
    WaitForEvents(limit);
}

void frmViewScreen::flush() {
    if (m_labelsDirty) {
        m_labelsDirty = false;
        m_lblFoundNum->setText(number(m_found));
        m_lblFileNum->setText(number(m_fileNum));
        m_lblFileTotal->setText(number(m_fileTotal));
        m_lblFileName->setText(pathToQt(m_fileName));
        // File and folder names are the file system's bytes, not Windows-1252 text.
        m_lblPathName->setText(m_state.SourceIsFileList ? QString() : pathToQt(m_folder));
        m_lblWPName->setText(toQt(m_codeName));
        m_lblMessage->setText(toQt(m_message));
        const std::int64_t total = std::max<std::int64_t>(m_fileTotal, 1);
        const std::int64_t done = std::clamp<std::int64_t>(m_fileNum, 0, total);
        m_shpProgressShow->setGeometry(0, 0, static_cast<int>(m_picture1->width() * done / total),
                                       m_picture1->height());
        m_lblProgressShow->setText(m_pausedSeconds >= 0
                                       ? QString(" paused: %1 secs").arg(m_pausedSeconds)
                                       : QString(" %1 %").arg(done * 100 / total));
        // The keyword being searched.
        const auto k = static_cast<std::size_t>(std::max<std::int64_t>(m_keywordShown, 0));
        if (k < m_state.Keywords.size()) {
            m_lblStringNum->setText(number(m_keywordShown + 1));
            m_lblStringName->setText(toQt(m_state.Keywords[k]));
        }
    }
    applyHorizontalRange();
    m_lstText->flush();
}

void frmViewScreen::togglePause() {
    m_state.PauseFlag = !m_state.PauseFlag;
    m_cmdPause->setText(m_state.PauseFlag ? "&Continue" : "&Pause ");
}

void frmViewScreen::toggleView() {
    m_state.ViewFlag = !m_state.ViewFlag;
    m_cmdView->setText(m_state.ViewFlag ? "&Hide" : "&View");
}

void frmViewScreen::pressExit() {
    m_state.ExitFlag = ExitRequest::UserPressedExit;
    if (!m_searching)
        close();
}

void frmViewScreen::SyncSelection() {
    bool refused = false;
    for (std::size_t row = 0; row < m_lstText->count(); ++row) {
        const bool selected = m_lstText->isSelected(row);
        if (m_selection.toggle(m_lstText->itemData(row), selected)) {
            m_lstText->setSelected(row, false); // the selection stays as it was
            refused = true;
        }
    }
    m_lblMessage->setText(toQt(m_message));
    m_lstText->flush();
    updateDeleteButton();
    if (refused)
        m_prompter.tell(search::msg::SelectionLimit(false));
}

void frmViewScreen::ClearSelection() {
    for (std::size_t row = 0; row < m_lstText->count(); ++row)
        m_lstText->setSelected(row, false);
    m_lstText->setCurrentRow(-1);
    m_selection.clear();
    syncTableSelection();
    m_lblMessage->setText(toQt(NoRecordsSelectedText()));
    m_lstText->flush();
    updateDeleteButton();
}

void frmViewScreen::RedrawColumns() {
    if (m_state.ColumnView) {
        m_numberEntry = NumberEntry::ColumnWidth;
        m_lblEnterNumber->setText("column\n width");
        m_vscNumber->setRange(kMinColumnWidth, kMaxColumnWidth);
        m_vscNumber->setValue(m_state.ColumnWidth);
        m_txtNumber->setText(QString::number(m_state.ColumnWidth));
        m_picEnterNumber->show();
        m_txtNumber->setFocus();
    } else {
        m_picEnterNumber->hide();
    }
    // The item switches the view on and off again, during a search as in the viewer.
    m_mnuColumnView->setCheckable(true);
    m_mnuColumnView->setChecked(m_state.ColumnView);
    m_lstText->markDirty();
    m_lstText->flush();
}

void frmViewScreen::updateDeleteButton() {
    if (auto* button = findChild<QPushButton*>("cmdDelete"))
        button->setEnabled(m_lstText->count() > 0 && (hasCurrentLine() || !m_selection.empty()));
}

void frmViewScreen::showTextOptions(const QPoint& where) {
    (m_selection.empty() ? m_options : m_textOptions)->popup(where);
}

void frmViewScreen::mousePressEvent(QMouseEvent* event) {
    // A click outside the list, with the text options open and no search running, unselects.
    if (!m_searching && m_textOptions->isVisible())
        ClearSelection();
    QWidget::mousePressEvent(event);
}

void frmViewScreen::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_searching &&
        !m_state.PauseFlag && !m_refusingMinimise) {
        // Restored at once; the message waits until the state change is over, and is shown once
        // however many times the platform reports the same minimise (it may echo it late).
        m_refusingMinimise = true;
        QTimer::singleShot(0, this, [this] {
            showNormal();
            m_prompter.tell(search::msg::MinimiseRefused());
            QTimer::singleShot(250, this, [this] { m_refusingMinimise = false; });
        });
    }
    QWidget::changeEvent(event);
}

void frmViewScreen::closeEvent(QCloseEvent* event) {
    // Closing the window during a search is the Exit button: the scanner asks.
    if (m_searching) {
        m_state.ExitFlag = ExitRequest::UserPressedExit;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace lexmora::ui
