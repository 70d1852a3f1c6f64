// The viewer's table view: the columns of a small result file (the real file name from the
// log with its folder in the tooltip, the left context right-aligned, the keyword, the right
// context, the sort words in their levels' colours), one selection and one set of deletions
// for both views, the toggle remembered in the settings, and accessible names throughout.
#include "core/paths.h"
#include "core/prompter.h"
#include "core/settings.h"
#include "search/kwic_line.h"
#include "search/result_files.h"
#include "ui/frmViewScreen.h"
#include "ui/kwic_table_view.h"
#include "ui/viewer_screen_qt.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace lexmora;

namespace {

class KeptClipboard : public Clipboard {
public:
    void setText(const std::string& copied) override { text = copied; }
    std::string text;
};
class NoPrinter : public Printer {
public:
    Status print(const PrintJob&) override { return {}; }
};
class NoFiles : public FileViewer {
public:
    void openTextViewer(const std::string&, bool) override {}
    void openHtmlViewer(const std::string&, const std::string&) override {}
};

struct Hit {
    std::string folder; // under the temporary folder
    std::string file;
    std::string left;
    std::string right;
};

// Three hits of "chat" in two files whose short names are the same (FRANCAIS.TXT): only the
// log tells them apart. Left context 10, right context 20.
std::string writeResults(const QString& dir) {
    const std::vector<Hit> hits = {
        {"roman", "francais_roman.txt", "voici le ", " noir qui dort ici"},
        {"presse", "francais_presse.txt", "un grand ", " blanc dans la rue"},
        {"presse", "francais_presse.txt", "le petit ", " noir et blanc"},
    };
    ResultSetHeader header;
    header.dumpPath = (dir + "/chat.dmp").toStdString();
    header.runDate = "08:12:26";
    header.recordLength = *ComputeRecordLength(10, 4, 20);
    header.leftContext = 10;
    header.keyword = "chat";
    header.logKeywordField = "chat ";
    header.fileMask = "*.txt";
    header.targetDirectory = dir.toStdString();
    std::int32_t entry = 0;
    auto set = ResultFileSet::open(header, entry);
    if (!set)
        return {};
    std::string lastFile;
    int number = 0;
    for (const Hit& hit : hits) {
        const bool first = hit.file != lastFile;
        number = first ? 1 : number + 1;
        lastFile = hit.file;
        const ResultFileSet::SourceFileInfo info{
            "FRANCAIS.TXT", dir.toStdString() + "/" + hit.folder + "/" + hit.file, "08/12/2026",
            "Windows", {}};
        if (!set->writeHit(AssembleKwicLine(number, hit.left, "chat", hit.right, 10, 20), info,
                           first, entry))
            return {};
    }
    return set->close() ? header.dumpPath : std::string();
}

// The viewer on the desktop screen, as the viewer's run sets them up.
struct Viewing {
    explicit Viewing(const std::string& settings) {
        state.SettingsPath = settings;
        state.AdvancedUser = true;
        state.RightContext = 20;
    }
    bool open(const std::string& path) {
        auto opened = ResultViewer::open(path, prompter);
        if (!opened)
            return false;
        viewer.emplace(std::move(*opened));
        screen.prepareForViewing(10);
        screen.resize(1000, 500);
        screen.show();
        adapter.showFile(*viewer, 0, 1);
        adapter.drawPage(*viewer, state);
        return QTest::qWaitForWindowExposed(&screen);
    }
    // Runs the command the screen posted, as the viewer's loop does.
    void run() { (void)RunPendingCommand(*viewer, state, pass, ports); }
    ui::KwicTableView& table() { return *screen.table(); }
    QString cell(int row, int column, int role = Qt::DisplayRole) {
        return table().model()->index(row, column).data(role).toString();
    }

    ProgramState state;
    ScriptedPrompter prompter{{Answer::Yes, Answer::Yes, Answer::Yes}};
    ui::frmViewScreen screen{state, prompter};
    ui::QtViewerScreen adapter{screen, state, &prompter};
    KeptClipboard clipboard;
    NoPrinter printer;
    NoFiles files;
    ViewerPorts ports{adapter, prompter, clipboard, printer, files};
    ViewingPass pass;
    std::optional<ResultViewer> viewer;
};

// Pixels of exactly this colour in a picture.
int pixelsOf(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y).rgb() == colour.rgb() ? 1 : 0;
    return count;
}

} // namespace

class KwicTableViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void columnsOfASortedFile() {
        QTemporaryDir dir;
        const std::string path = writeResults(dir.path());
        QVERIFY(!path.empty());
        Viewing v((dir.path() + "/lexmora9.ini").toStdString());
        QVERIFY(v.open(path));
        v.screen.setTableView(true);
        QApplication::processEvents();
        QVERIFY(v.table().isVisible());
        QVERIFY(!v.screen.lines()->isVisible());
        // 1R, then 2R, then 1L.
        v.viewer->Sort({{SortMode::WordBeginning, 0, 1},
                        {SortMode::WordBeginning, 0, 2},
                        {SortMode::WordBeginning, 1, 0}},
                       v.state.RightContext);
        v.adapter.drawPage(*v.viewer, v.state);

        const QStringList headers = {"Hit", "File", "Left", "Keyword", "Right"};
        for (int c = 0; c < headers.size(); ++c)
            QCOMPARE(v.table().model()->headerData(c, Qt::Horizontal).toString(), headers[c]);
        struct Row {
            const char* hit;
            const char* file;
            const char* folder;
            const char* left;
            const char* right;
            // The sort words, as (column, from, length, level).
            std::vector<std::array<int, 4>> spans;
        };
        const std::vector<Row> expected = {
            {"2",
             "francais_presse.txt",
             "presse",
             "un grand",
             "blanc dans la rue",
             {{{2, 3, 5, 2}}, {{4, 0, 5, 0}}, {{4, 6, 4, 1}}}},
            {"3",
             "francais_presse.txt",
             "presse",
             "le petit",
             "noir et blanc",
             {{{2, 3, 5, 2}}, {{4, 0, 4, 0}}, {{4, 5, 2, 1}}}},
            {"1",
             "francais_roman.txt",
             "roman",
             "voici le",
             "noir qui dort ici",
             {{{2, 6, 2, 2}}, {{4, 0, 4, 0}}, {{4, 5, 3, 1}}}},
        };
        QCOMPARE(v.table().model()->rowCount(), 3);
        for (int r = 0; r < 3; ++r) {
            const Row& want = expected[static_cast<std::size_t>(r)];
            QCOMPARE(v.cell(r, 0), QString(want.hit));
            QCOMPARE(v.cell(r, 1), QString(want.file));
            QCOMPARE(v.cell(r, 1, Qt::ToolTipRole),
                     QDir::toNativeSeparators(dir.path() + "/" + want.folder));
            QCOMPARE(v.cell(r, 2), QString(want.left));
            QCOMPARE(v.cell(r, 3), QString("chat"));
            QCOMPARE(v.cell(r, 4), QString(want.right));
            const auto alignment =
                v.table().model()->index(r, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
            QVERIFY(alignment.testFlag(Qt::AlignRight));
            const ui::KwicTableRow* row = v.table().kwicModel()->rowAt(r);
            QVERIFY(row != nullptr);
            std::vector<std::array<int, 4>> spans;
            for (int column = 0; column < 3; ++column)
                for (const ui::CellSpan& s : row->spans[column])
                    spans.push_back({column + 2, s.from, s.length, s.level});
            std::sort(spans.begin(), spans.end(),
                      [](const auto& a, const auto& b) { return a[3] < b[3]; });
            auto wanted = want.spans;
            std::sort(wanted.begin(), wanted.end(),
                      [](const auto& a, const auto& b) { return a[3] < b[3]; });
            QCOMPARE(spans, wanted);
        }
        // Each level's words are drawn in its colour: red, green, blue on the base.
        v.table().clearSelection();
        v.table().setCurrentIndex({});
        QApplication::processEvents();
        const QImage picture = v.table().viewport()->grab().toImage();
        const QColor base = v.table().palette().color(QPalette::Base);
        for (int level = 0; level < 3; ++level)
            QVERIFY2(pixelsOf(picture, ui::SortLevelColour(level, base)) > 0,
                     qPrintable(QString("level %1").arg(level)));
        // The left context ends against the keyword: its last letters touch the column's end.
        const QRect left = v.table().visualRect(v.table().model()->index(0, 2));
        const QColor text = v.table().palette().color(QPalette::Text);
        int rightmostInk = -1;
        for (int x = left.left(); x <= left.right(); ++x)
            for (int y = left.top(); y <= left.bottom(); ++y)
                if (picture.pixelColor(x, y) != base)
                    rightmostInk = std::max(rightmostInk, x);
        (void)text;
        QVERIFY2(rightmostInk > left.right() - 12, qPrintable(QString::number(rightmostInk)));
    }

    void deletionsAndSelectionAreShared() {
        QTemporaryDir dir;
        const std::string path = writeResults(dir.path());
        Viewing v((dir.path() + "/lexmora9.ini").toStdString());
        QVERIFY(v.open(path));
        v.screen.setTableView(true);
        QApplication::processEvents();
        // A click on the second row selects it for both views.
        const QRect second = v.table().visualRect(v.table().model()->index(1, 0));
        QTest::mouseClick(v.table().viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(v.screen.selection().keys(), (std::set<std::int64_t>{3}));
        // Delete in the table: the line view shows the file without that line.
        QTest::keyClick(&v.table(), Qt::Key_Delete);
        v.run();
        QCOMPARE(v.table().model()->rowCount(), 2);
        QCOMPARE(v.cell(1, 4), QString("noir et blanc"));
        v.screen.setTableView(false);
        QCOMPARE(v.screen.lines()->count(), std::size_t{2});
        QVERIFY(v.screen.lines()->lineAt(1).find("le petit chat noir et blanc") !=
                std::string::npos);
        // Undone from the menu while the lines are shown: the table has it back.
        v.screen.commands().post(ViewerMenuCommand{ViewerMenu::UndoDeletion});
        v.run();
        QCOMPARE(v.screen.lines()->count(), std::size_t{3});
        v.screen.setTableView(true);
        QCOMPARE(v.table().model()->rowCount(), 3);
        QCOMPARE(v.cell(1, 4), QString("blanc dans la rue"));
        // A selection made in the lines is the table's.
        v.screen.setTableView(false);
        v.screen.lines()->setSelected(2, true);
        v.screen.SyncSelection();
        v.screen.setTableView(true);
        QVERIFY(v.table().selectionModel()->isRowSelected(2, {}));
        QVERIFY(!v.table().selectionModel()->isRowSelected(0, {}));
        // Cleared in either, cleared in both.
        v.screen.ClearSelection();
        QVERIFY(!v.table().selectionModel()->hasSelection());

        // Rows chosen in the table with Ctrl are the lines Ctrl+C copies.
        const auto click = [&](int row, Qt::KeyboardModifiers keys) {
            const QRect place = v.table().visualRect(v.table().model()->index(row, 2));
            QTest::mouseClick(v.table().viewport(), Qt::LeftButton, keys, place.center());
        };
        click(0, {});
        click(2, Qt::ControlModifier);
        QCOMPARE(v.screen.selection().keys(), (std::set<std::int64_t>{2, 4}));
        QTest::keyClick(&v.table(), Qt::Key_C, Qt::ControlModifier);
        v.run();
        QVERIFY(v.clipboard.text.find("voici le chat noir qui dort ici") != std::string::npos);
        QVERIFY(v.clipboard.text.find("le petit chat noir et blanc") != std::string::npos);
        QVERIFY(v.clipboard.text.find("un grand") == std::string::npos);

        // Every second line: the table has the lines the viewer keeps.
        v.viewer->Reindex(2);
        v.adapter.drawPage(*v.viewer, v.state);
        QCOMPARE(v.table().model()->rowCount(), 1);
        QCOMPARE(v.cell(0, 2), QString("un grand"));
    }

    void toggleIsRemembered() {
        QTemporaryDir dir;
        const std::string path = writeResults(dir.path());
        const std::string settings = (dir.path() + "/lexmora9.ini").toStdString();
        {
            Viewing v(settings);
            QVERIFY(v.open(path));
            QVERIFY(!v.table().isVisible());
            auto* item = v.screen.findChild<QAction*>("mnuTableView");
            QVERIFY(item != nullptr && item->isVisible() && item->isCheckable());
            item->trigger();
            QVERIFY(v.table().isVisible());
        }
        QCOMPARE(ReadIniInt("ViewerTableView", 0, settings), 1LL);
        {
            Viewing v(settings);
            QVERIFY(v.open(path));
            QVERIFY(v.table().isVisible());
            QVERIFY(v.screen.findChild<QAction*>("mnuTableView")->isChecked());
            v.screen.findChild<QAction*>("mnuTableView")->trigger();
            QVERIFY(!v.table().isVisible());
            QVERIFY(v.screen.lines()->isVisible());
        }
        QCOMPARE(ReadIniInt("ViewerTableView", 0, settings), 0LL);
    }
};

QTEST_MAIN(KwicTableViewTest)
#include "kwic_table_view_test.moc"
