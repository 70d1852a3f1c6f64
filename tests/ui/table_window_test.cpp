// The shared table window: a header click sorts numbers by value and text by word order, the
// find box keeps the rows whose first column holds the text, Copy gives the selected rows as
// TSV, Save writes the shown rows' bytes, and a double-click reports the table row.
#include "ui/table_export_qt.h"
#include "ui/table_model.h"
#include "ui/table_window.h"

#include "core/prompter.h"
#include "export/messages.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace lexmora;

namespace {

class RecordingClipboard : public Clipboard {
public:
    void setText(const std::string& text) override { copied = "cp1252:" + text; }
    void setUtf8Text(const std::string& text) override { copied = text; }
    std::string copied;
};

// Words with a count and a score; "\xE9t\xE9" is "été" in Windows-1252.
Table sampleTable() {
    Table table;
    table.columns = {
        {"word", ColumnKind::Text}, {"freq", ColumnKind::Integer}, {"score", ColumnKind::Real, 6}};
    table.rows = {{std::string("cat"), std::int64_t{10}, 2.5},
                  {std::string("\xE9t\xE9"), std::int64_t{9}, -1.25},
                  {std::string("ant"), std::int64_t{100}, 0.3333333},
                  {std::string("bee, \"queen\""), std::int64_t{9}, Cell{}}};
    return table;
}

QStringList column(const QTableView* view, int column) {
    QStringList cells;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        cells << view->model()->index(row, column).data().toString();
    return cells;
}

void clickHeader(QTableView* view, int section) {
    QHeaderView* header = view->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void saveShot(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("LEXMORA_SCREENSHOT_DIR");
    if (!dir.isEmpty() && QDir().mkpath(dir))
        window->grab().save(dir + "/" + name + ".png");
}

} // namespace

class TableWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cellsAreShownAsPeopleReadThem() {
        ProgramState state;
        ScriptedPrompter prompter({});
        ui::TableWindow window(state, prompter);
        window.setTable(sampleTable());
        QTableView* view = window.findChild<QTableView*>("tblRows");
        QCOMPARE(column(view, 0),
                 QStringList({"cat", QString::fromUtf8("été"), "ant", "bee, \"queen\""}));
        QCOMPARE(column(view, 2), QStringList({"2.500", "-1.250", "0.333", ""}));
        const auto right = Qt::AlignRight | Qt::AlignVCenter;
        QCOMPARE(view->model()->index(0, 1).data(Qt::TextAlignmentRole).toInt(), int(right));
        QCOMPARE(view->model()->index(0, 0).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignLeft | Qt::AlignVCenter));
    }

    // Clicking a header sorts by it; a second click turns the order round. Numbers go by value
    // (100 after 9 and 10), an empty cell stays last both ways, ties keep their order.
    void headerClickSortsByColumn() {
        struct Case {
            int section;
            QStringList firstClick, secondClick; // the word column after each click
        };
        const QString ete = QString::fromUtf8("été");
        const QString bee = "bee, \"queen\"";
        const Case cases[] = {
            // numbers start with the highest; text from A
            {1, {"ant", "cat", ete, bee}, {ete, bee, "cat", "ant"}},
            {2, {"cat", "ant", ete, bee}, {ete, "ant", "cat", bee}},
            {0, {"ant", bee, "cat", ete}, {ete, "cat", bee, "ant"}},
        };
        for (const Case& c : cases) {
            ProgramState state;
            ScriptedPrompter prompter({});
            ui::TableWindow window(state, prompter);
            window.setTable(sampleTable());
            window.show();
            QTableView* view = window.findChild<QTableView*>("tblRows");
            clickHeader(view, c.section);
            QCOMPARE(column(view, 0), c.firstClick);
            clickHeader(view, c.section);
            QCOMPARE(column(view, 0), c.secondClick);
        }
    }

    void findKeepsRowsWhoseFirstColumnHoldsTheText() {
        ProgramState state;
        ScriptedPrompter prompter({});
        ui::TableWindow window(state, prompter);
        window.setTable(sampleTable());
        QTableView* view = window.findChild<QTableView*>("tblRows");
        auto* find = window.findChild<QLineEdit*>("txtFind");
        QTest::keyClicks(find, "A");
        QCOMPARE(column(view, 0), QStringList({"cat", "ant"}));
        find->setText(QString::fromUtf8("ÉT"));
        QCOMPARE(column(view, 0), QStringList({QString::fromUtf8("été")}));
        find->setText("queen");
        QCOMPARE(column(view, 1), QStringList({"9"}));
        find->clear();
        QCOMPARE(view->model()->rowCount(), 4);
    }

    // Copy: the selected rows (in shown order) with the header, as TSV in UTF-8; with no
    // selection, every row shown.
    void copyGivesSelectedRowsAsTsv() {
        ProgramState state;
        ScriptedPrompter prompter({});
        ui::TableWindow window(state, prompter);
        RecordingClipboard clipboard;
        window.setClipboard(&clipboard);
        window.setTable(sampleTable());
        QTableView* view = window.findChild<QTableView*>("tblRows");
        view->model()->sort(1, Qt::AscendingOrder);
        view->selectionModel()->select(view->model()->index(3, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->selectionModel()->select(view->model()->index(0, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        window.findChild<QPushButton*>("cmdCopy")->click();
        QCOMPARE(clipboard.copied, std::string("word\tfreq\tscore\n"
                                               "\xC3\xA9t\xC3\xA9\t9\t-1.250000\n"
                                               "ant\t100\t0.333333\n"));
        view->clearSelection();
        window.findChild<QLineEdit*>("txtFind")->setText("a"); // accents count: not "été"
        window.copySelection();
        QCOMPARE(clipboard.copied, std::string("word\tfreq\tscore\n"
                                               "cat\t10\t2.500000\n"
                                               "ant\t100\t0.333333\n"));
    }

    // Save writes the rows as shown (sorted, filtered); an existing name is replaced only when
    // the user agrees, and kept whole otherwise.
    void saveWritesShownRowsAndAsksBeforeReplacing() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("table.csv").toStdString();
        ProgramState state;
        ScriptedPrompter prompter({Answer::No, Answer::Yes});
        ui::TableWindow window(state, prompter);
        window.setTable(sampleTable());
        window.model().sort(2, Qt::DescendingOrder);
        window.findText("t");
        window.dialogs().chooseSaveFile = [&] {
            return std::optional<ui::TableSaveChoice>({path, TableFormat::Csv});
        };
        window.findChild<QPushButton*>("cmdSave")->click();
        const QByteArray expected = "\xEF\xBB\xBFword,freq,score\r\n"
                                    "cat,10,2.500000\r\n"
                                    "ant,100,0.333333\r\n"
                                    "\xC3\xA9t\xC3\xA9,9,-1.250000\r\n";
        auto bytes = [&] {
            QFile file(QString::fromStdString(path));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
        };
        QCOMPARE(bytes(), expected);
        QVERIFY(prompter.shown.empty());

        window.findText("");
        QVERIFY(!window.saveAs({path, TableFormat::Csv})); // No: the file stays as it was
        QCOMPARE(bytes(), expected);
        QVERIFY(window.saveAs({path, TableFormat::Tsv})); // Yes: replaced
        QCOMPARE(bytes(), QByteArray("word\tfreq\tscore\ncat\t10\t2.500000\nant\t100\t0.333333\n"
                                     "\xC3\xA9t\xC3\xA9\t9\t-1.250000\n"
                                     "bee, \"queen\"\t9\t\n"));
        QCOMPARE(prompter.shown.size(), std::size_t{2});
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"table.csv"}));
    }

    // The viewers' Export: asks before replacing, writes through the writer given, and a
    // stopped export leaves the old file as it was and no temporary beside it.
    void exportAsksBeforeReplacingAndStopsCleanly() {
        QTemporaryDir dir;
        const QString path = dir.filePath("lines.tsv");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        auto bytes = [&] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
        };
        auto rows = [](bool stop) {
            return [stop](TableWriter& writer, const auto& progress, const std::string&) {
                if (Status begun = writer.begin({{"word", ColumnKind::Text}}); !begun)
                    return begun;
                for (const char* word : {"one", "two"})
                    if (Status added = writer.add({std::string(word)}); !added)
                        return added;
                if (!progress(2, 2) || stop)
                    return Status(Failure(exporting::msg::ExportStopped("lines.tsv"),
                                          FailureCode::Cancelled));
                return writer.finish();
            };
        };
        ScriptedPrompter prompter({Answer::No, Answer::Yes, Answer::Ok, Answer::Yes});
        const ui::TableSaveChoice choice{path.toStdString(), TableFormat::Tsv};
        QVERIFY(!ui::ExportTableFile(nullptr, prompter, choice, rows(false)));
        QCOMPARE(bytes(), QByteArray("old"));
        QVERIFY(!ui::ExportTableFile(nullptr, prompter, choice, rows(true)));
        QCOMPARE(bytes(), QByteArray("old"));
        QVERIFY(ui::ExportTableFile(nullptr, prompter, choice, rows(false)));
        QCOMPARE(bytes(), QByteArray("word\none\ntwo\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"lines.tsv"}));
        QCOMPARE(prompter.shown.size(), std::size_t{4}); // three questions, the stop told
    }

    void doubleClickReportsTheTableRow() {
        ProgramState state;
        ScriptedPrompter prompter({});
        ui::TableWindow window(state, prompter);
        window.setTable(sampleTable());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy activated(&window, &ui::TableWindow::rowActivated);
        QTableView* view = window.findChild<QTableView*>("tblRows");
        window.findText("an"); // only "ant", the table's third row
        const QRect cell = view->visualRect(view->model()->index(0, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(activated.count(), 1);
        QCOMPARE(activated.front().front().toInt(), 2);
        QCOMPARE(window.rowCells(2).front(), Cell(std::string("ant")));
    }

    // A run given by the opener fills the table; its progress reaches the bar, Stop ends it
    // with nothing told, and a failure is told once.
    void startRunsTheOpenersCallable() {
        ProgramState state;
        ScriptedPrompter prompter({});
        ui::TableWindow window(state, prompter);
        int calls = 0;
        window.setRun([&](const ui::TableProgress& progress) -> Result<Table> {
            ++calls;
            for (int i = 0; i < 3; ++i)
                if (!progress(i, 3))
                    return Failure(Message{"stopped", "", Buttons::Ok, Icon::None},
                                   FailureCode::Cancelled);
            if (calls == 3)
                return Failure(Message{"no words", "", Buttons::Ok, Icon::None});
            return sampleTable();
        });
        auto* start = window.findChild<QPushButton*>("cmdStart");
        QVERIFY(start != nullptr);
        start->click();
        QCOMPARE(window.tableRowCount(), std::size_t{4});
        window.stop(); // asked before the run: a fresh run starts without it
        QVERIFY(window.start());
        QVERIFY(!window.start());
        QCOMPARE(prompter.shown.size(), std::size_t{1});
        QCOMPARE(prompter.shown.front().text, std::string("no words"));
    }

    // A sort with a filter on shows the kept rows in the new order; table rows then count in
    // that order, and clearing the filter shows every row in it.
    void aSortUnderAFilterKeepsTheFilteredRowsInTheNewOrder() {
        ProgramState state;
        ScriptedPrompter prompter({});
        ui::TableWindow window(state, prompter);
        window.setTable(sampleTable());
        QTableView* view = window.findChild<QTableView*>("tblRows");
        window.findText("a");
        QCOMPARE(column(view, 0), QStringList({"cat", "ant"}));
        window.model().sort(1, Qt::DescendingOrder);
        QCOMPARE(column(view, 0), QStringList({"ant", "cat"}));
        QCOMPARE(window.model().tableRowAt(1), 1);
        QCOMPARE(window.rowCells(1).front(), Cell(std::string("cat")));
        window.findText("");
        QCOMPARE(column(view, 1), QStringList({"100", "10", "9", "9"}));
        QCOMPARE(column(view, 0).mid(2), QStringList({QString::fromUtf8("été"), "bee, \"queen\""}));
    }

    // The first column takes the room the others leave, and follows the window's width; it
    // never gets narrower than its text.
    void theFirstColumnTakesTheSpareWidth() {
        ProgramState state;
        ScriptedPrompter prompter({});
        ui::TableWindow window(state, prompter);
        window.setTable(sampleTable());
        window.resize(900, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTableView* view = window.view();
        QHeaderView* header = view->horizontalHeader();
        auto sectionsWidth = [header] {
            return header->sectionSize(0) + header->sectionSize(1) + header->sectionSize(2);
        };
        QCOMPARE(sectionsWidth(), view->viewport()->width());
        const int before = header->sectionSize(0);
        window.resize(1200, 400);
        QApplication::processEvents();
        QCOMPARE(sectionsWidth(), view->viewport()->width());
        QVERIFY(header->sectionSize(0) > before);
        window.resize(120, 400); // as narrow as it goes: the text keeps its own width
        QApplication::processEvents();
        const QAbstractItemView* items = view; // its size hint is public there
        QVERIFY(header->sectionSize(0) >= items->sizeHintForColumn(0));
    }

    void everyControlHasItsNames() {
        ProgramState state;
        ScriptedPrompter prompter({});
        ui::TableWindow window(state, prompter);
        window.setWindowTitle("Collocates of cat");
        window.setRun([](const ui::TableProgress&) -> Result<Table> { return sampleTable(); });
        window.setCommandLine("lexmora-cli collocates cat.dmp");
        for (const char* name : {"cmdStart", "prgRun", "txtFind", "tblRows", "cmdCopy", "cmdPrint",
                                 "cmdSave", "cmdCommandLine", "cmdHelp", "cmdClose"}) {
            auto* widget = window.findChild<QWidget*>(name);
            QVERIFY2(widget != nullptr, name);
            QVERIFY2(!widget->accessibleName().isEmpty(), name);
        }
    }

    // A picture of a full window (options above, a details panel beside, 60 rows) to look at
    // when LEXMORA_SCREENSHOT_DIR is set.
    void screenshot() {
        ProgramState state;
        ScriptedPrompter prompter({});
        ui::TableWindow window(state, prompter);
        window.setWindowTitle("Collocates of cat.dmp");
        auto* options = new QWidget;
        auto* row = new QHBoxLayout(options);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(new QLabel("Left:"));
        row->addWidget(new QSpinBox);
        row->addWidget(new QLabel("Right:"));
        row->addWidget(new QSpinBox);
        row->addWidget(new QCheckBox("Stop at sentence end"));
        row->addStretch(1);
        window.setOptionsPanel(options);
        window.setDetailsPanel(new QLabel("L5 0\nL4 1\nL3 2\nL2 5\nL1 9\nR1 12\nR2 3"));
        window.setRun([](const ui::TableProgress&) -> Result<Table> { return sampleTable(); });
        window.setCommandLine("lexmora-cli collocates cat.dmp");
        Table table;
        table.columns = {{"collocate", ColumnKind::Text},
                         {"freq", ColumnKind::Integer},
                         {"expected", ColumnKind::Real},
                         {"MI", ColumnKind::Real},
                         {"LL", ColumnKind::Real}};
        for (int i = 0; i < 60; ++i)
            table.rows.push_back(
                {std::string("word") + std::to_string(i) + (i % 7 == 0 ? "\xE9l\xE8ve" : ""),
                 std::int64_t{1000 - i * 13}, 0.5 + i * 1.25, 8.0 / (i + 1), i * 123.4567 - 40});
        window.setTable(std::move(table));
        window.resize(900, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.view()->sortByColumn(4, Qt::DescendingOrder);
        window.selectTableRow(3);
        QApplication::processEvents();
        saveShot(&window, "table_window");
    }
};

QTEST_MAIN(TableWindowTest)
#include "table_window_test.moc"
