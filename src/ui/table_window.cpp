#include "ui/table_window.h"

#include "core/messages.h"
#include "core/text_codec.h"
#include "export/messages.h"
#include "export/table_writer.h"
#include "ui/help_qt.h"
#include "ui/qt_clipboard.h"
#include "ui/qt_printer.h"
#include "ui/table_model.h"
#include "ui/text_convert.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace lexmora::ui {

namespace {

// Events run at most this often while a run works, so a long run is not slowed by them.
constexpr std::chrono::milliseconds kEventInterval{40};

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QString& accessible) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAccessibleName(accessible);
    b->setAutoDefault(false);
    return b;
}

struct FormatFilter {
    TableFormat format;
    const char* filter;
};
constexpr FormatFilter kFilters[] = {
    {TableFormat::Csv, "CSV, for spreadsheets (*.csv)"},
    {TableFormat::Tsv, "Tab-separated text (*.tsv)"},
    {TableFormat::Xlsx, "Excel workbook (*.xlsx)"},
    {TableFormat::Json, "JSON (*.json)"},
};

// The printed table: its aligned text (UTF-8), in pages of the printer's lines, the header
// repeated.
PrintJob tableJob(const std::string& alignedText, int linesPerPage) {
    PrintJob job;
    job.font = "Courier New";
    std::vector<std::string> lines;
    const std::string text = utf8ToCp1252(alignedText);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    if (lines.empty())
        return job;
    const std::size_t perPage = static_cast<std::size_t>(std::max(linesPerPage, 3));
    const std::string header = lines.front();
    job.pages.push_back({header});
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (job.pages.back().size() >= perPage)
            job.pages.push_back({header});
        job.pages.back().push_back(lines[i]);
    }
    return job;
}

} // namespace

QString TableTextForQt(const Table& table, TableFormat format) {
    const std::string text = TableText(table, format);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<TableSaveChoice> ChooseTableFile(QWidget* parent, const QString& caption,
                                               const QString& suggestedName) {
    QStringList filters;
    for (const FormatFilter& f : kFilters)
        filters << QString::fromLatin1(f.filter);
    QString chosenFilter = filters.front();
    const QString path =
        QFileDialog::getSaveFileName(parent, caption, suggestedName, filters.join(";;"),
                                     &chosenFilter, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return std::nullopt;
    TableSaveChoice choice;
    choice.format = kFilters[std::max<qsizetype>(0, filters.indexOf(chosenFilter))].format;
    // A name that ends like one of the formats says the format; otherwise the filter does.
    const QString suffix = QFileInfo(path).suffix().toLower();
    QString named = path;
    if (const auto byName = TableFormatNamed(suffix.toStdString());
        byName && *byName != TableFormat::Table)
        choice.format = *byName;
    else
        named += QString::fromLatin1(TableFormatExtension(choice.format));
    choice.path = pathFromQt(named);
    return choice;
}

TableWindow::TableWindow(ProgramState& state, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_state(state), m_prompter(prompter), m_model(new TableModel(this)) {
    setObjectName("frmTable");
    setAccessibleName(tr("Table"));
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    createTableView();

    auto* optionsBox = new QWidget(this);
    optionsBox->setObjectName("pnlOptions");
    m_optionsHolder = new QVBoxLayout(optionsBox);
    m_optionsHolder->setContentsMargins(0, 0, 0, 0);
    auto* detailsBox = new QWidget(this);
    detailsBox->setObjectName("pnlDetails");
    m_detailsHolder = new QVBoxLayout(detailsBox);
    m_detailsHolder->setContentsMargins(0, 0, 0, 0);
    detailsBox->hide();

    auto* middle = new QHBoxLayout;
    middle->addWidget(m_tblRows, 1);
    middle->addWidget(detailsBox);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(optionsBox);
    m_runRow = createRunRow();
    layout->addWidget(m_runRow);
    layout->addWidget(createFindRow());
    layout->addLayout(middle, 1);
    layout->addWidget(createButtonRow());
    m_runRow->hide();
    useDefaultDialogs();
    resize(900, 600);
    showRowCount();
}

TableWindow::~TableWindow() = default;

void TableWindow::createTableView() {
    m_tblRows = new QTableView(this);
    m_tblRows->setObjectName("tblRows");
    m_tblRows->setAccessibleName(tr("Table rows"));
    m_tblRows->setTabKeyNavigation(false); // the arrows move between cells, Tab moves on
    m_tblRows->setModel(m_model);
    m_tblRows->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tblRows->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tblRows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tblRows->setSortingEnabled(true);
    m_tblRows->horizontalHeader()->setSortIndicatorShown(true);
    m_tblRows->horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
    m_tblRows->horizontalHeader()->setStretchLastSection(false);
    m_tblRows->verticalHeader()->setDefaultSectionSize(m_tblRows->fontMetrics().height() + 6);
    m_tblRows->setAlternatingRowColors(true);
    // The first column (the word, the n-gram) takes the room the others leave.
    m_tblRows->viewport()->installEventFilter(this);
    connect(m_tblRows->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) {
                if (m_fitting)
                    return;
                if (section == 0)
                    m_firstColumnWidth = size;
                else
                    fitFirstColumn();
            });
    connect(m_tblRows, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        const int row = m_model->tableRowAt(index.row());
        if (row >= 0)
            Q_EMIT rowActivated(row);
    });
    connect(m_tblRows->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                Q_EMIT currentRowChanged(current.isValid() ? m_model->tableRowAt(current.row())
                                                           : -1);
            });
}

QWidget* TableWindow::createRunRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_cmdStart = button(row, "cmdStart", tr("&Start"), tr("Start"));
    m_cmdStart->setDefault(true);
    m_prgRun = new QProgressBar(row);
    m_prgRun->setObjectName("prgRun");
    m_prgRun->setAccessibleName(tr("Progress"));
    m_prgRun->setRange(0, 1000);
    m_prgRun->setValue(0);
    m_lblStatus = new QLabel(row);
    m_lblStatus->setObjectName("lblStatus");
    m_lblStatus->setAccessibleName(tr("Status"));
    m_lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_cmdStart);
    layout->addWidget(m_prgRun, 1);
    layout->addWidget(m_lblStatus, 2);
    connect(m_cmdStart, &QPushButton::clicked, this, [this] {
        if (m_running)
            stop();
        else
            start();
    });
    return row;
}

QWidget* TableWindow::createFindRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(tr("&Find:"), row);
    label->setObjectName("lblFind");
    m_txtFind = new QLineEdit(row);
    m_txtFind->setObjectName("txtFind");
    m_txtFind->setAccessibleName(tr("Find in the first column"));
    m_txtFind->setPlaceholderText(tr("rows whose first column holds this text"));
    m_txtFind->setClearButtonEnabled(true);
    label->setBuddy(m_txtFind);
    m_lblRows = new QLabel(row);
    m_lblRows->setObjectName("lblRows");
    m_lblRows->setAccessibleName(tr("Rows shown"));
    layout->addWidget(label);
    layout->addWidget(m_txtFind, 1);
    layout->addWidget(m_lblRows);
    connect(m_txtFind, &QLineEdit::textChanged, this, &TableWindow::findText);
    return row;
}

QWidget* TableWindow::createButtonRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_cmdCopy = button(row, "cmdCopy", tr("&Copy"), tr("Copy the selected rows"));
    m_cmdPrint = button(row, "cmdPrint", tr("&Print..."), tr("Print the table"));
    m_cmdSave = button(row, "cmdSave", tr("Sa&ve As..."), tr("Save the table"));
    m_cmdCommandLine =
        button(row, "cmdCommandLine", tr("Copy as Co&mmand Line"), tr("Copy as command line"));
    m_cmdHelp = button(row, "cmdHelp", tr("&Help"), tr("Help"));
    m_cmdClose = button(row, "cmdClose", tr("C&lose"), tr("Close"));
    for (QPushButton* b : {m_cmdCopy, m_cmdPrint, m_cmdSave, m_cmdCommandLine})
        layout->addWidget(b);
    layout->addStretch(1);
    layout->addWidget(m_cmdHelp);
    layout->addWidget(m_cmdClose);
    m_cmdCommandLine->hide();
    connect(m_cmdCopy, &QPushButton::clicked, this, &TableWindow::copySelection);
    connect(m_cmdPrint, &QPushButton::clicked, this, &TableWindow::print);
    connect(m_cmdSave, &QPushButton::clicked, this, &TableWindow::save);
    connect(m_cmdCommandLine, &QPushButton::clicked, this, &TableWindow::copyCommandLine);
    connect(m_cmdHelp, &QPushButton::clicked, this, &TableWindow::showHelp);
    connect(m_cmdClose, &QPushButton::clicked, this, &QDialog::close);
    return row;
}

void TableWindow::useDefaultDialogs() {
    m_dialogs.chooseSaveFile = [this] { return askSaveFile(); };
    m_dialogs.makePrinter = [this]() -> std::unique_ptr<Printer> {
        return std::make_unique<QtPrinter>(this);
    };
}

std::optional<TableSaveChoice> TableWindow::askSaveFile() {
    return ChooseTableFile(this, tr("Save the table as"), windowTitle());
}

void TableWindow::setTable(Table table) {
    setTable(ColumnTable::fromTable(std::move(table)));
}

void TableWindow::setTable(ColumnTable table) {
    m_model->setTable(std::move(table));
    m_tblRows->horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
    // Column widths from the first rows only: a million rows are not measured.
    m_tblRows->resizeColumnsToContents();
    fitFirstColumn();
    showRowCount();
    if (const std::vector<std::string>& notes = m_model->columnTable().notes(); !notes.empty()) {
        QStringList texts;
        for (const std::string& note : notes)
            texts << toQt(note);
        setStatusText(texts.join("  "));
    }
}

Row TableWindow::rowCells(int tableRow) const {
    return m_model->rowCells(tableRow);
}

std::size_t TableWindow::tableRowCount() const {
    return m_model->tableRowCount();
}

void TableWindow::fitFirstColumn() {
    QHeaderView* header = m_tblRows->horizontalHeader();
    if (m_fitting || header->count() == 0)
        return;
    int others = 0;
    for (int section = 1; section < header->count(); ++section)
        if (!header->isSectionHidden(section))
            others += header->sectionSize(section);
    const int width = std::max(m_firstColumnWidth, m_tblRows->viewport()->width() - others);
    if (width == header->sectionSize(0))
        return;
    m_fitting = true;
    header->resizeSection(0, width);
    m_fitting = false;
}

bool TableWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tblRows->viewport() && event->type() == QEvent::Resize)
        fitFirstColumn();
    return QDialog::eventFilter(watched, event);
}

void TableWindow::setOptionsPanel(QWidget* panel) {
    panel->setParent(this);
    m_optionsHolder->addWidget(panel);
}

void TableWindow::setDetailsPanel(QWidget* panel) {
    panel->setParent(this);
    m_detailsHolder->addWidget(panel);
    m_detailsHolder->parentWidget()->show();
}

void TableWindow::setRun(TableRun run) {
    if (!run)
        return setColumnRun({});
    setColumnRun([run = std::move(run)](const TableProgress& progress) -> Result<ColumnTable> {
        Result<Table> table = run(progress);
        if (!table)
            return table.failure();
        return ColumnTable::fromTable(std::move(table.value()));
    });
}

void TableWindow::setColumnRun(ColumnTableRun run) {
    m_run = std::move(run);
    m_runRow->setVisible(static_cast<bool>(m_run));
}

void TableWindow::setCommandLine(std::string line) {
    if (line.empty())
        return setCommandLineSource({});
    setCommandLineSource([line = std::move(line)] { return line; });
}

void TableWindow::setCommandLineSource(std::function<std::string()> source) {
    m_commandLine = std::move(source);
    m_cmdCommandLine->setVisible(static_cast<bool>(m_commandLine));
}

void TableWindow::setStatusText(const QString& text) {
    m_lblStatus->setText(text);
    m_runRow->setVisible(true);
    m_cmdStart->setVisible(static_cast<bool>(m_run));
    m_prgRun->setVisible(static_cast<bool>(m_run));
}

QString TableWindow::statusText() const {
    return m_lblStatus->text();
}

bool TableWindow::start() {
    if (!m_run || m_running)
        return false;
    setRunning(true);
    setStatusText(tr("Working..."));
    Result<ColumnTable> result = m_run(
        [this](std::int64_t done, std::int64_t total) { return reportProgress(done, total); });
    setRunning(false);
    if (!result) {
        setStatusText(tr("Stopped."));
        if (result.code() != FailureCode::Cancelled)
            m_prompter.tell(result.error());
        return false;
    }
    setStatusText(QString());
    setTable(std::move(result.value()));
    m_prgRun->setValue(m_prgRun->maximum());
    Q_EMIT tableReplaced();
    return true;
}

bool TableWindow::reportProgress(std::int64_t done, std::int64_t total) {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastEvents >= kEventInterval) {
        m_lastEvents = now;
        if (total > 0) {
            m_prgRun->setRange(0, 1000);
            m_prgRun->setValue(static_cast<int>(
                std::clamp<std::int64_t>(done * 1000 / std::max<std::int64_t>(total, 1), 0, 1000)));
        } else {
            m_prgRun->setRange(0, 0); // busy
        }
        QCoreApplication::processEvents();
    }
    return !m_stopAsked;
}

void TableWindow::setRunning(bool running) {
    m_running = running;
    m_stopAsked = false;
    m_cmdStart->setText(running ? tr("&Stop") : tr("&Start"));
    m_cmdStart->setAccessibleName(running ? tr("Stop") : tr("Start"));
    for (QPushButton* b : {m_cmdCopy, m_cmdPrint, m_cmdSave, m_cmdCommandLine})
        b->setEnabled(!running);
    m_optionsHolder->parentWidget()->setEnabled(!running);
    m_tblRows->setEnabled(!running);
    if (!running)
        m_prgRun->setRange(0, 1000);
}

void TableWindow::showRowCount() {
    const int shown = m_model->rowCount();
    const auto total = static_cast<qsizetype>(m_model->tableRowCount());
    m_lblRows->setText(shown == total ? tr("%1 rows").arg(total)
                                      : tr("%1 of %2 rows").arg(shown).arg(total));
}

void TableWindow::findText(const QString& text) {
    if (m_txtFind->text() != text)
        m_txtFind->setText(text); // comes back here through textChanged
    m_model->setFilter(text.trimmed());
    showRowCount();
}

std::vector<int> TableWindow::selectedTableRows() const {
    std::set<int> viewRows;
    for (const QModelIndex& index : m_tblRows->selectionModel()->selectedRows())
        viewRows.insert(index.row());
    std::vector<int> rows;
    for (const int viewRow : viewRows)
        rows.push_back(m_model->tableRowAt(viewRow));
    return rows;
}

bool TableWindow::selectTableRow(int tableRow) {
    const int viewRow = m_model->viewRowOf(tableRow);
    if (viewRow < 0)
        return false;
    m_tblRows->selectRow(viewRow);
    m_tblRows->scrollTo(m_model->index(viewRow, 0));
    return true;
}

void TableWindow::copySelection() {
    std::vector<int> viewRows;
    for (const QModelIndex& index : m_tblRows->selectionModel()->selectedRows())
        viewRows.push_back(index.row());
    // Nothing selected: the rows shown.
    const std::vector<std::uint32_t> rows =
        viewRows.empty() ? m_model->shownStoredRows()
                         : m_model->storedRowsOfViewRows(std::move(viewRows));
    QtClipboard system;
    Clipboard& clipboard = m_clipboard != nullptr ? *m_clipboard : system;
    clipboard.setUtf8Text(ColumnRowsText(m_model->columnTable(), rows, TableFormat::Tsv));
    setStatusText(tr("%1 rows copied.").arg(rows.size()));
}

Status TableWindow::printTo(Printer& printer) {
    const std::string text =
        ColumnRowsText(m_model->columnTable(), m_model->shownStoredRows(), TableFormat::Table);
    int lines = 60;
    if (auto* qt = dynamic_cast<QtPrinter*>(&printer))
        lines = qt->pageFor("Courier New").lines;
    return printer.print(tableJob(text, lines));
}

void TableWindow::print() {
    const std::unique_ptr<Printer> printer = m_dialogs.makePrinter();
    if (const Status printed = printTo(*printer); !printed)
        m_prompter.tell(printed.error());
}

void TableWindow::save() {
    if (const std::optional<TableSaveChoice> choice = m_dialogs.chooseSaveFile())
        saveAs(*choice);
}

bool TableWindow::saveAs(const TableSaveChoice& choice) {
    Placement placement = Placement::KeepExisting;
    if (QFileInfo::exists(pathToQt(choice.path))) {
        if (m_prompter.ask(exporting::msg::ReplaceTableFile(choice.path)) != Answer::Yes)
            return false;
        placement = Placement::Replace;
    }
    const std::vector<std::uint32_t> shown = m_model->shownStoredRows();
    if (const Status saved = WriteColumnRowsFile(m_model->columnTable(), shown, choice.format,
                                                 choice.path, placement);
        !saved) {
        m_prompter.tell(saved.error());
        return false;
    }
    setStatusText(tr("%1 rows saved to %2.")
                      .arg(shown.size())
                      .arg(QFileInfo(pathToQt(choice.path)).fileName()));
    return true;
}

void TableWindow::copyCommandLine() {
    if (!m_commandLine)
        return;
    const std::string line = m_commandLine();
    if (line.empty())
        return;
    QtClipboard system;
    Clipboard& clipboard = m_clipboard != nullptr ? *m_clipboard : system;
    clipboard.setUtf8Text(line);
    m_prompter.tell(core::msg::CommandLineCopied(line));
}

void TableWindow::showHelp() {
    ShowHelpTopic(this, m_state, m_prompter,
                  m_helpTopic.empty() ? help::kTableWindow : m_helpTopic);
}

void TableWindow::closeEvent(QCloseEvent* event) {
    if (m_running) {
        // The run is on this window's stack: it stops first, then the window may close.
        stop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TableWindow::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        m_tblRows->hasFocus()) {
        const int row = m_model->tableRowAt(m_tblRows->currentIndex().row());
        if (row >= 0)
            Q_EMIT rowActivated(row);
        return;
    }
    if (event->matches(QKeySequence::Copy) && m_tblRows->hasFocus())
        return copySelection();
    if (event->matches(QKeySequence::Find))
        return m_txtFind->setFocus();
    QDialog::keyPressEvent(event);
}

} // namespace lexmora::ui
