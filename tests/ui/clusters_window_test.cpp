// The Clusters window on a result file lexmora-cli saved for the worked example (F1 = "in the
// end of the day", F2 = "at the end of the road", keyword "end"): Start gives the worked
// clusters for each place of the keyword, the copied command line replayed gives the same rows,
// and a double-click hands the opener the hits that carry the cluster.
#include "ui/clusters_window.h"

#include "codes/program_start.h"
#include "core/program_location.h"
#include "ui/table_model.h"
#include "ui/table_window.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace lexmora;

namespace {

std::pair<int, QByteArray> run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput()};
}

struct Capture : Clipboard {
    void setText(const std::string& text) override { line = text; }
    void setUtf8Text(const std::string& text) override { line = text; }
    std::string line;
};

// The rows shown, cells joined by tabs as the TSV format prints them.
QStringList shownRows(ui::TableWindow& window) {
    QStringList rows;
    for (int r = 0; r < window.model().rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < window.model().columnCount(); ++c)
            cells << window.model().index(r, c).data().toString();
        rows << cells.join('\t');
    }
    return rows;
}

// The rows the copied command line prints in TSV (the header checked and dropped).
QStringList replayedRows(ui::TableWindow& window) {
    Capture capture;
    window.setClipboard(&capture);
    window.copyCommandLine(); // tells the user the line is on the clipboard
    const auto replayed =
        run("/bin/sh", {"-c", QString::fromStdString(capture.line) + " --format tsv"});
    if (replayed.first != 0)
        return {"exit " + QString::number(replayed.first)};
    QStringList lines = QString::fromUtf8(replayed.second).split('\n', Qt::SkipEmptyParts);
    if (lines.isEmpty() || lines.takeFirst() != "cluster\tfreq\trange")
        return {"bad header"};
    return lines;
}

// The result file of `keyword` searched in `sources` (a folder), saved under `out`.
std::string searchResult(const QString& prog, const QString& sources, const QString& out,
                         const QString& keyword) {
    QDir().mkpath(out);
    const QString cli = QString(LEXMORA_BIN_DIR) + "/lexmora-cli";
    const auto searched = run(
        cli, {"--home", prog, "search", "--source", sources, "--save", out, "--quiet", keyword});
    const QStringList dumps = QDir(out).entryList({"*.dmp", "dumpfile.*"});
    if (searched.first != 0 || dumps.size() != 1)
        return {};
    return QDir(out).filePath(dumps.front()).toStdString();
}

void saveShot(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("LEXMORA_SCREENSHOT_DIR");
    if (!dir.isEmpty() && QDir().mkpath(dir))
        window->grab().save(dir + "/" + name + ".png");
}

} // namespace

class ClustersWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        for (const char* sub : {"prog", "texts"})
            QDir().mkpath(m_dir.filePath(sub));
        std::ofstream(m_dir.filePath("texts/f1.txt").toStdString(), std::ios::binary)
            << "in the end of the day\r\n";
        std::ofstream(m_dir.filePath("texts/f2.txt").toStdString(), std::ios::binary)
            << "at the end of the road\r\n";
        m_result = searchResult(m_dir.filePath("prog"), m_dir.filePath("texts"),
                                m_dir.filePath("out"), "end");
        QVERIFY(!m_result.empty());
        StartProgram(m_state,
                     LocateProgramFrom(LEXMORA_BIN_DIR, m_dir.filePath("prog").toStdString()),
                     m_prompter);
        m_prompter.shown.clear();
    }

    void workedClustersAndTheirCommandLines() {
        struct Case {
            int size;
            int place; // anywhere, left end, right end
            int minFreq, minRange;
            QStringList rows;
        };
        const Case cases[] = {
            {2, 1, 2, 1, {"end of\t2\t2"}},
            {2, 2, 2, 1, {"the end\t2\t2"}},
            {3, 2, 1, 1, {"at the end\t1\t1", "in the end\t1\t1"}},
            {3, 0, 2, 2, {"end of the\t2\t2", "the end of\t2\t2"}},
        };
        for (const Case& c : cases) {
            std::unique_ptr<ui::TableWindow> window(ui::MakeClustersWindow(
                m_state, m_prompter, ui::ClustersSource{m_result, std::nullopt}, {}, nullptr));
            window->findChild<QSpinBox*>("spnSize")->setValue(c.size);
            window->findChild<QComboBox*>("cboNode")->setCurrentIndex(c.place);
            window->findChild<QSpinBox*>("spnMinFreq")->setValue(c.minFreq);
            window->findChild<QSpinBox*>("spnMinRange")->setValue(c.minRange);
            QVERIFY(window->start());
            QVERIFY(m_prompter.shown.empty()); // nothing left out, nothing to tell
            QCOMPARE(shownRows(*window), c.rows);
            QCOMPARE(replayedRows(*window), c.rows);
            m_prompter.shown.clear();
        }
    }

    void theOrdersAndTheirCommandLines() {
        // Size 2 anywhere, min freq 1: the end (2, 2), end of (2, 2).
        const QStringList orders[] = {
            {"end of\t2\t2", "the end\t2\t2"}, // by frequency, ties alphabetically
            {"end of\t2\t2", "the end\t2\t2"}, // by range
            {"end of\t2\t2", "the end\t2\t2"}, // alphabetically
            {"the end\t2\t2", "end of\t2\t2"}, // by ending: "end" before "of"
        };
        for (int order = 0; order < 4; ++order) {
            std::unique_ptr<ui::TableWindow> window(ui::MakeClustersWindow(
                m_state, m_prompter, ui::ClustersSource{m_result, std::nullopt}, {}, nullptr));
            window->findChild<QSpinBox*>("spnSize")->setValue(2);
            window->findChild<QComboBox*>("cboSort")->setCurrentIndex(order);
            QVERIFY(window->start());
            QCOMPARE(shownRows(*window), orders[order]);
            QCOMPARE(replayedRows(*window), orders[order]);
        }
    }

    void aDoubleClickHandsTheHitsThatCarryTheCluster() {
        std::string handedCluster;
        std::vector<std::int64_t> handed;
        std::unique_ptr<ui::TableWindow> window(ui::MakeClustersWindow(
            m_state, m_prompter, ui::ClustersSource{m_result, std::nullopt},
            [&](const std::string& cluster, const std::vector<std::int64_t>& hits) {
                handedCluster = cluster;
                handed = hits;
            },
            nullptr));
        window->findChild<QSpinBox*>("spnSize")->setValue(3);
        window->findChild<QComboBox*>("cboNode")->setCurrentIndex(2);
        window->findChild<QSpinBox*>("spnMinFreq")->setValue(1);
        QVERIFY(window->start());
        // f1.txt is searched first: its hit is the first.
        Q_EMIT window->rowActivated(1);
        QCOMPARE(handedCluster, std::string("in the end"));
        QCOMPARE(handed, std::vector<std::int64_t>({1}));
        Q_EMIT window->rowActivated(0);
        QCOMPARE(handedCluster, std::string("at the end"));
        QCOMPARE(handed, std::vector<std::int64_t>({2}));
        // Only the hits the viewer shows are read.
        std::unique_ptr<ui::TableWindow> shown(ui::MakeClustersWindow(
            m_state, m_prompter, ui::ClustersSource{m_result, std::vector<std::int64_t>{2}}, {},
            nullptr));
        shown->findChild<QSpinBox*>("spnMinFreq")->setValue(1);
        shown->findChild<QComboBox*>("cboNode")->setCurrentIndex(2);
        QVERIFY(shown->start());
        QCOMPARE(shownRows(*shown), QStringList({"at the end\t1\t1"}));
    }

    // With LEXMORA_SCREENSHOT_DIR: the clusters of "end" in the bench corpus's English texts.
    void screenshotOfTheBenchCorpus() {
        const QString dir = qEnvironmentVariable("LEXMORA_SCREENSHOT_DIR");
        const QString bench = "/work/corpus/bench/en";
        if (dir.isEmpty() || !QFileInfo(bench).isDir())
            QSKIP("no screenshot folder or no bench corpus");
        const std::string result =
            searchResult(m_dir.filePath("prog"), bench, m_dir.filePath("bench-out"), "end");
        QVERIFY(!result.empty());
        std::unique_ptr<ui::TableWindow> window(ui::MakeClustersWindow(
            m_state, m_prompter, ui::ClustersSource{result, std::nullopt}, {}, nullptr));
        QVERIFY(window->start());
        QVERIFY(window->model().rowCount() > 10);
        window->resize(900, 600);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->view()->selectRow(0);
        QApplication::processEvents();
        saveShot(window.get(), "clusters_window");
    }

private:
    QTemporaryDir m_dir;
    std::string m_result;
    ProgramState m_state;
    SilentPrompter m_prompter;
};

QTEST_MAIN(ClustersWindowTest)
#include "clusters_window_test.moc"
