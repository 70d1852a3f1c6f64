// The table window every analysis shares: an options panel the opener fills, Start with
// progress (the run is the opener's), the table (sort by a column, find, double-click), and
// Copy, Print, Save (CSV, TSV, XLSX, JSON), Copy as Command Line and Help. What a row's
// double-click means is the opener's to decide.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "core/result.h"
#include "export/column_table.h"
#include "viewer/extracts.h"

#include <QDialog>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QVBoxLayout;

namespace lexmora::ui {

class TableModel;

// How far a run has come (`total` 0: not known); false when the user asked it to stop.
using TableProgress = std::function<bool(std::int64_t done, std::int64_t total)>;
// The opener's run: reads its options panel and builds the table.
using TableRun = std::function<Result<Table>(const TableProgress& progress)>;
// A run that fills the column store itself (a long table never stands as rows of cells).
using ColumnTableRun = std::function<Result<ColumnTable>(const TableProgress& progress)>;

// A file name and the format chosen for it.
struct TableSaveChoice {
    std::string path; // UTF-8, as on disk
    TableFormat format = TableFormat::Csv;
};

class TableWindow : public QDialog {
    Q_OBJECT
public:
    TableWindow(ProgramState& state, Prompter& prompter, QWidget* parent = nullptr);
    ~TableWindow() override;

    // The dialogs the window opens; tests replace them with scripted answers.
    struct Dialogs {
        std::function<std::optional<TableSaveChoice>()> chooseSaveFile;
        std::function<std::unique_ptr<Printer>()> makePrinter;
    };
    Dialogs& dialogs() { return m_dialogs; }
    void setClipboard(Clipboard* clipboard) { m_clipboard = clipboard; } // tests

    void setTable(Table table);
    void setTable(ColumnTable table);
    // A table row's cells (table rows count in the shown order, after a sort) and their number.
    Row rowCells(int tableRow) const;
    std::size_t tableRowCount() const;
    TableModel& model() { return *m_model; }
    QTableView* view() const { return m_tblRows; }

    // Above the table: the opener's options (span boxes, measure...). The window owns it.
    void setOptionsPanel(QWidget* panel);
    // Beside the table: details of the current row (a collocate's position profile...).
    void setDetailsPanel(QWidget* panel);
    // With a run, Start is shown; it runs the opener's callable and shows its table.
    void setRun(TableRun run);
    void setColumnRun(ColumnTableRun run);
    // The lexmora-cli line that repeats the table (UTF-8); empty hides the button.
    void setCommandLine(std::string line);
    void setCommandLineSource(std::function<std::string()> source);
    void setHelpTopic(std::string topic) { m_helpTopic = std::move(topic); }
    void setStatusText(const QString& text);
    QString statusText() const;

    // The buttons' actions.
    bool start(); // false: the run failed or was stopped (already told)
    void stop() { m_stopAsked = true; }
    bool running() const { return m_running; }
    void findText(const QString& text);
    void copySelection();
    Status printTo(Printer& printer);
    void print();
    void save();
    bool saveAs(const TableSaveChoice& choice); // asks before replacing; false: not saved
    void copyCommandLine();
    void showHelp();

    // Table rows selected in the view, in shown order.
    std::vector<int> selectedTableRows() const;
    // Selects and shows a table row; false when it is filtered out.
    bool selectTableRow(int tableRow);

Q_SIGNALS:
    // A double-click (or Enter) on a row; `tableRow` is a table row (see rowCells).
    void rowActivated(int tableRow);
    // The current row changed (-1: none).
    void currentRowChanged(int tableRow);
    // A run put a new table in place.
    void tableReplaced();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* createRunRow();
    QWidget* createFindRow();
    QWidget* createButtonRow();
    void createTableView();
    void useDefaultDialogs();
    bool reportProgress(std::int64_t done, std::int64_t total);
    void setRunning(bool running);
    void showRowCount();
    void fitFirstColumn();
    std::optional<TableSaveChoice> askSaveFile();

    ProgramState& m_state;
    Prompter& m_prompter;
    Dialogs m_dialogs;
    Clipboard* m_clipboard = nullptr;
    TableModel* m_model;
    ColumnTableRun m_run;
    int m_firstColumnWidth = 0; // the first column's own width, before it takes the spare room
    bool m_fitting = false;
    std::function<std::string()> m_commandLine;
    std::string m_helpTopic;
    bool m_running = false;
    bool m_stopAsked = false;
    std::chrono::steady_clock::time_point m_lastEvents{};

    QVBoxLayout* m_optionsHolder;
    QVBoxLayout* m_detailsHolder;
    QWidget* m_runRow;
    QPushButton* m_cmdStart;
    QProgressBar* m_prgRun;
    QLabel* m_lblStatus;
    QLineEdit* m_txtFind;
    QLabel* m_lblRows;
    QTableView* m_tblRows;
    QPushButton* m_cmdCopy;
    QPushButton* m_cmdPrint;
    QPushButton* m_cmdSave;
    QPushButton* m_cmdCommandLine;
    QPushButton* m_cmdHelp;
    QPushButton* m_cmdClose;
};

// The file dialog of a table export: CSV, TSV, XLSX or JSON, the ending added when missing.
// Never asks about an existing file itself (the caller asks through the prompter).
std::optional<TableSaveChoice> ChooseTableFile(QWidget* parent, const QString& caption,
                                               const QString& suggestedName);

// A table text format's bytes (UTF-8) for a widget or the clipboard.
QString TableTextForQt(const Table& table, TableFormat format);

} // namespace lexmora::ui
