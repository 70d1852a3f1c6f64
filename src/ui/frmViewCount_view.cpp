// The word-frequency window in viewing mode: twelve rows of the loaded word list in five columns,
// the scroll bar over all records (scaled above 32,767), and the menu commands carried out in
// the viewer's order.
#include "ui/frmViewCount.h"

#include "core/recent_files.h"
#include "ui/help_qt.h"

#include "core/paths.h"
#include "ui/keyness_window.h"
#include "ui/table_export_qt.h"
#include "ui/text_convert.h"
#include "wordcount/list_export.h"
#include "wordcount/messages.h"

#include <QActionGroup>
#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace lexmora::ui {

namespace {

constexpr int kScrollTop = 32767;
constexpr const char* kColumnNames[] = {"lstRecord", "lstWords", "lstCount", "lstPerCent",
                                        "lstNorm"};
constexpr const char* kColumnHeads[] = {"Record", "Type", "Frequency", "Percentage", "Norm"};
constexpr int kColumnWidths[] = {8, 31, 10, 11, 16}; // characters

QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    return item;
}

QListWidget* column(QWidget* parent, int i, const QFont& font) {
    auto* list = new QListWidget(parent);
    list->setObjectName(kColumnNames[i]);
    list->setAccessibleName(kColumnHeads[i]); // the heading above it, for a screen reader
    list->setFont(font);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setUniformItemSizes(true);
    const QFontMetrics metrics(font);
    list->setFixedWidth(metrics.horizontalAdvance(QString(kColumnWidths[i], '0')) + 8);
    list->setFixedHeight(metrics.lineSpacing() * (kVisibleRows + 1) + 4);
    return list;
}

} // namespace

QWidget* frmViewCount::createViewPage() {
    auto* page = new QWidget(this);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* heading = new QLabel("Viewing contents of word frequency files", page);
    heading->setObjectName("lblHeading");
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    m_lblFileShown = new QLabel(page);
    m_lblFileShown->setObjectName("lblFileShown");
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(0);
    for (int i = 0; i < 5; ++i) {
        m_columns[static_cast<std::size_t>(i)] = column(page, i, fixed);
        auto* head = new QLabel(kColumnHeads[i], page);
        grid->addWidget(head, 0, i);
        grid->addWidget(m_columns[static_cast<std::size_t>(i)], 1, i);
        m_columns[static_cast<std::size_t>(i)]->installEventFilter(this);
        connect(m_columns[static_cast<std::size_t>(i)], &QListWidget::currentRowChanged, this,
                [this](int row) {
                    for (QListWidget* other : m_columns)
                        if (other->currentRow() != row)
                            other->setCurrentRow(row);
                });
    }
    m_vscWords = new QScrollBar(Qt::Vertical, page);
    m_vscWords->setObjectName("vscWords");
    m_vscWords->setPageStep(11);
    grid->addWidget(m_vscWords, 1, 5);
    connect(m_vscWords, &QScrollBar::valueChanged, this, [this](int value) {
        if (m_syncingBar || !m_table)
            return;
        post(FrequencyScrollRequest{lastRecordOf(value) - kVisibleRows + 1});
    });
    m_lblTypeCount = new QLabel(page);
    m_lblTypeCount->setObjectName("lblTypeCount");
    m_lblTokenCount = new QLabel(page);
    m_lblTokenCount->setObjectName("lblTokenCount");
    m_lblRatio = new QLabel(page);
    m_lblRatio->setObjectName("lblRatio");
    auto* totals = new QHBoxLayout;
    for (auto [caption, value] :
         {std::pair{"Typecount:", m_lblTypeCount}, std::pair{"Tokencount:", m_lblTokenCount},
          std::pair{"Type/token ratio:", m_lblRatio}}) {
        totals->addWidget(new QLabel(caption, page));
        totals->addWidget(value);
        totals->addSpacing(16);
    }
    totals->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading);
    layout->addWidget(m_lblFileShown);
    layout->addLayout(grid);
    layout->addLayout(totals);
    layout->addStretch();
    return page;
}

void frmViewCount::createViewMenus(QMenuBar* bar) {
    QMenu* files = bar->addMenu("&Files");
    files->setObjectName("mnuViewFiles");
    connect(addItem(files, "mnuSelectFile", "&Select File"), &QAction::triggered, this,
            [this] { post(FrequencySelectFileRequest{}); });
    connect(addItem(files, "mnuExportList", "Ex&port..."), &QAction::triggered, this,
            [this] { exportList(); });
    connect(addItem(files, "mnuCompareReference", "&Compare with a Reference List..."),
            &QAction::triggered, this, [this] { compareWithReference(); });
    connect(addItem(files, "mnuViewExit", "&Exit"), &QAction::triggered, this,
            [this] { setMode(FrequencyWindowMode::Leaving); });
    createSharedMenus(bar, false);
    QMenu* options = bar->addMenu("&Options");
    options->setObjectName("mnuFreqOpt");
    connect(addItem(options, "mnuPerform", "&Perform Frequency Count"), &QAction::triggered, this,
            [this] { post(FrequencyCountRequest{}); });
    auto byMenu = [this, options](const char* title, const char* freqName, const char* listName,
                                  auto makeCommand) {
        QMenu* sub = options->addMenu(title);
        connect(addItem(sub, freqName, "by &frequency"), &QAction::triggered, this,
                [this, makeCommand] { post(makeCommand(RangeBy::Frequency)); });
        connect(addItem(sub, listName, "by &list order"), &QAction::triggered, this,
                [this, makeCommand] { post(makeCommand(RangeBy::ListOrder)); });
    };
    byMenu("Print &Count Details", "mnuPrintFrequency", "mnuPrintListOrder",
           [](RangeBy by) { return FrequencyCommand{FrequencyPrintRequest{by}}; });
    byMenu("&Save Count Details", "mnuFrequency", "mnuListOrder",
           [](RangeBy by) { return FrequencyCommand{FrequencySaveRequest{by}}; });
    auto sortItem = [this](QMenu* sub, const char* name, const char* caption, FrequencySort s) {
        connect(addItem(sub, name, caption), &QAction::triggered, this,
                [this, s] { post(FrequencySortCommand{s}); });
    };
    QMenu* alpha = options->addMenu("Sort &alphabetically");
    sortItem(alpha, "mnuWordBegin", "word &beginning", FrequencySort::WordBeginning);
    sortItem(alpha, "mnuWordEnd", "word &ending", FrequencySort::WordEnding);
    QMenu* numeric = options->addMenu("Sort &numerically");
    sortItem(numeric, "mnuAsc", "&ascending", FrequencySort::Ascending);
    sortItem(numeric, "mnuDesc", "&descending", FrequencySort::Descending);
    connect(addItem(options, "mnuWordSearch", "&Word search"), &QAction::triggered, this,
            [this] { post(FrequencyWordSearchRequest{}); });
    QMenu* norms = bar->addMenu("&Normalisation settings");
    norms->setObjectName("mnuNormOpts");
    auto* group = new QActionGroup(norms);
    for (int option = 0; option <= 5; ++option) {
        QAction* item = addItem(norms, ("mnuNorm" + std::to_string(option)).c_str(),
                                option == 0 ? "&Defaults" : NormOptionOf(option).caption);
        item->setCheckable(option != 0);
        if (option != 0)
            group->addAction(item);
        m_normItems[static_cast<std::size_t>(option)] = item;
        connect(item, &QAction::triggered, this,
                [this, option] { post(FrequencyNormRequest{option}); });
    }
    QMenu* help = bar->addMenu("&Help");
    connect(addItem(help, "mnuPerforming", "&performing word count"), &QAction::triggered, this,
            [this] { ShowHelpTopic(this, m_state, m_prompter, help::kWordCount); });
    connect(addItem(help, "mnuViewing", "&viewing word count"), &QAction::triggered, this,
            [this] { ShowHelpTopic(this, m_state, m_prompter, help::kFrequencyViewer); });
}

bool frmViewCount::openCountFile(const std::string& listPath) {
    closeCountFile();
    Result<CountFile> loaded = LoadCountFile(listPath);
    if (!loaded) {
        m_prompter.tell(loaded.error());
        return false;
    }
    m_table = std::make_unique<FrequencyTable>(std::move(loaded.value()));
    const CountFile& file = m_table->file();
    m_lblFileShown->setText(pathToQt(listPath));
    m_lblTypeCount->setText(QString::number(file.typeCount));
    m_lblTokenCount->setText(QString::number(file.tokenCount));
    m_lblRatio->setText(toQt(TypeTokenRatioText(file.tokenCount, file.typeCount)));
    m_top = 1;
    setNorm(0);
    syncScrollBar();
    ShowRows();
    if (!m_state.SettingsPath.empty()) // a settings file that cannot be written keeps its list
        RememberRecent(m_state.SettingsPath, RecentKind::WordList, listPath);
    return true;
}

void frmViewCount::closeCountFile() {
    m_table.reset();
    for (QListWidget* list : m_columns)
        list->clear();
}

void frmViewCount::SelectCountFile() {
    for (;;) {
        const std::optional<std::string> chosen = m_dialogs.chooseListFile();
        if (!chosen || chosen->empty()) {
            m_prompter.tell(wordcount::msg::NoFilesSelected());
            if (!m_table)
                setMode(m_backFromViewing);
            return;
        }
        if (openCountFile(*chosen))
            return;
    }
}

void frmViewCount::syncScrollBar() {
    const std::int64_t types = m_table ? m_table->size() : 0;
    m_vscWords->setVisible(types > kVisibleRows);
    m_scrollScale = types > kScrollTop
                        ? static_cast<double>(types - kVisibleRows) / (kScrollTop - kVisibleRows)
                        : 1.0;
    m_syncingBar = true;
    m_vscWords->setRange(kVisibleRows, static_cast<int>(std::min<std::int64_t>(types, kScrollTop)));
    const std::int64_t last = m_top + kVisibleRows - 1;
    m_vscWords->setValue(kVisibleRows +
                         static_cast<int>(std::llround((last - kVisibleRows) / m_scrollScale)));
    m_syncingBar = false;
}

std::int64_t frmViewCount::lastRecordOf(int value) const {
    // The value stands for the last visible record; scaled so that both ends of the bar reach
    // both ends of the list.
    return kVisibleRows + std::llround((value - kVisibleRows) * m_scrollScale);
}

void frmViewCount::ShowRows() {
    const int selected = m_columns[0]->currentRow();
    for (QListWidget* list : m_columns)
        list->clear();
    if (!m_table)
        return;
    // Only the visible rows are read from the word list.
    for (const FrequencyRow& row : m_table->rows(m_top - 1, kVisibleRows)) {
        m_columns[0]->addItem(QString::number(row.record));
        m_columns[1]->addItem(toQt(row.word));
        m_columns[2]->addItem(QString::number(row.frequency));
        m_columns[3]->addItem(toQt(row.percentage));
        m_columns[4]->addItem(toQt(row.norm));
    }
    if (selected >= 0 && selected < m_columns[0]->count())
        m_columns[0]->setCurrentRow(selected);
}

void frmViewCount::scrollTo(std::int64_t top) {
    if (!m_table)
        return;
    const std::int64_t lastTop = std::max<std::int64_t>(1, m_table->size() - kVisibleRows + 1);
    m_top = std::clamp<std::int64_t>(top, 1, lastTop);
    syncScrollBar();
}

void frmViewCount::post(const FrequencyCommand& command) {
    m_commands.post(command);
    runFrequencyCommands();
}

void frmViewCount::runFrequencyCommands() {
    while (const std::optional<FrequencyCommand> next = m_commands.take()) {
        carryOut(*next);
        if (m_state.FrequencyMode != FrequencyWindowMode::Viewing) {
            m_commands.clear();
            return;
        }
    }
    ShowRows();
}

void frmViewCount::carryOut(const FrequencyCommand& command) {
    if (std::holds_alternative<FrequencyCountRequest>(command)) {
        setMode(FrequencyWindowMode::Counting);
        return;
    }
    if (std::holds_alternative<FrequencySelectFileRequest>(command)) {
        SelectCountFile();
        return;
    }
    if (!m_table)
        return;
    if (std::holds_alternative<FrequencyWordSearchRequest>(command))
        findWord();
    else if (const auto* save = std::get_if<FrequencySaveRequest>(&command))
        saveDetails(save->by);
    else if (const auto* print = std::get_if<FrequencyPrintRequest>(&command))
        printDetails(print->by);
    else if (const auto* sort = std::get_if<FrequencySortCommand>(&command))
        sortTable(sort->sort);
    else if (const auto* scroll = std::get_if<FrequencyScrollRequest>(&command))
        scrollTo(scroll->top);
    else if (const auto* norm = std::get_if<FrequencyNormRequest>(&command))
        setNorm(norm->option);
}

void frmViewCount::sortTable(FrequencySort sort) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status sorted = m_table->sortBy(sort);
    QApplication::restoreOverrideCursor();
    if (!sorted)
        m_prompter.tell(sorted.error());
    m_columns[0]->setCurrentRow(-1);
    scrollTo(1);
}

void frmViewCount::setNorm(int option) {
    if (!m_table)
        return;
    m_table->setNorm(option);
    m_normItems[static_cast<std::size_t>(m_table->norm())]->setChecked(true);
}

void frmViewCount::findWord() {
    for (;;) {
        const std::optional<std::string> entry =
            m_dialogs.askText("Please enter word to search for", 30);
        if (!entry || entry->empty()) {
            if (m_prompter.ask(wordcount::msg::NoWordEntered()) == Answer::Yes)
                continue;
            return;
        }
        if (!goToWord(*entry))
            m_prompter.tell(wordcount::msg::CannotFindMatch());
        return;
    }
}

bool frmViewCount::eventFilter(QObject* watched, QEvent* event) {
    auto* list = qobject_cast<QListWidget*>(watched);
    if (list == nullptr || !m_table)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        post(FrequencyScrollRequest{m_top + (delta > 0 ? -3 : 3)});
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int row = list->currentRow();
    const int last = list->count() - 1;
    if (key == Qt::Key_Up && row <= 0) {
        post(FrequencyScrollRequest{m_top - 1});
        return true;
    }
    if (key == Qt::Key_Down && row >= last) {
        post(FrequencyScrollRequest{m_top + 1});
        return true;
    }
    if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
        post(FrequencyScrollRequest{m_top + (key == Qt::Key_PageUp ? -11 : 11)});
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace lexmora::ui

namespace lexmora::ui {

void frmViewCount::exportList() {
    if (!m_table)
        return;
    const QString name = QFileInfo(pathToQt(m_table->file().listPath)).completeBaseName();
    ExportTableInteractively(
        this, m_prompter, tr("Export the word list"), name,
        [this](TableWriter& writer, const auto& progress, const std::string& target) {
            return ExportWordList(*m_table, writer, progress, target);
        });
}

} // namespace lexmora::ui

namespace lexmora::ui {

bool frmViewCount::goToWord(const std::string& word) {
    if (!m_table)
        return false;
    FrequencyTable::Found found = m_table->findWord(word);
    if (found.notice)
        m_prompter.tell(*found.notice);
    if (!found.index)
        return false;
    scrollTo(TopForRecord(*found.index, m_table->size()));
    ShowRows();
    m_columns[0]->setCurrentRow(static_cast<int>(*found.index + 1 - m_top));
    return true;
}

void frmViewCount::compareWithReference() {
    if (!m_table)
        return;
    OpenKeynessWindow(
        m_state, m_prompter, m_table->file().listPath,
        [this](const std::string& word) {
            if (!goToWord(word))
                m_prompter.tell(wordcount::msg::CannotFindMatch());
            raise();
            activateWindow();
        },
        this);
}

} // namespace lexmora::ui
