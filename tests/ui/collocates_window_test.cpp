// The Collocates window on a result file lexmora-cli saved: Start gives the collocates of the
// worked example, the profile shows where the selected one stands, a double-click hands the
// opener the hits that have it, and the copied command line gives the same table.
#include "ui/collocates_window.h"

#include "codes/program_start.h"
#include "core/program_location.h"
#include "ui/table_model.h"
#include "ui/table_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace lexmora;

namespace {

std::pair<int, QByteArray> run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput()};
}

void saveShot(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("LEXMORA_SCREENSHOT_DIR");
    if (!dir.isEmpty() && QDir().mkpath(dir))
        window->grab().save(dir + "/" + name + ".png");
}

struct Capture : Clipboard {
    void setText(const std::string& text) override { line = text; }
    void setUtf8Text(const std::string& text) override { line = text; }
    std::string line;
};

} // namespace

class CollocatesWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void workedExampleProfileHitsAndCommandLine() {
        QTemporaryDir dir;
        const QString prog = dir.filePath("prog");
        for (const char* sub : {"prog", "texts", "out"})
            QDir().mkpath(dir.filePath(sub));
        std::ofstream(dir.filePath("texts/a.txt").toStdString(), std::ios::binary)
            << "the cat sat on the mat the cat ran\r\n";
        const QString cli = QString(LEXMORA_BIN_DIR) + "/lexmora-cli";
        const auto searched = run(cli, {"--home", prog, "search", "--source", dir.filePath("texts"),
                                        "--save", dir.filePath("out"), "--quiet", "cat"});
        QCOMPARE(searched.first, 0);
        const QStringList dumps = QDir(dir.filePath("out")).entryList({"*.dmp", "dumpfile.*"});
        QCOMPARE(dumps.size(), 1);
        const std::string result = dir.filePath("out/" + dumps.front()).toStdString();

        ProgramState state;
        SilentPrompter prompter;
        StartProgram(state, LocateProgramFrom(LEXMORA_BIN_DIR, prog.toStdString()), prompter);
        std::vector<std::int64_t> handed;
        std::string handedWord;
        ui::TableWindow* window = ui::MakeCollocatesWindow(
            state, prompter, ui::CollocatesSource{result, std::nullopt},
            [&](const std::string& word, const std::vector<std::int64_t>& hits) {
                handedWord = word;
                handed = hits;
            },
            nullptr);
        window->findChild<QSpinBox*>("spnLeft")->setValue(1);
        window->findChild<QSpinBox*>("spnRight")->setValue(1);
        window->findChild<QSpinBox*>("spnMinFreq")->setValue(1);
        window->findChild<QSpinBox*>("spnMinCollFreq")->setValue(1);
        window->findChild<QComboBox*>("cboMeasure")->setCurrentIndex(1); // MI
        QVERIFY(window->start());
        QCOMPARE(prompter.shown.size(), std::size_t{0});

        // N = 9, R1 = 4: "the" O = 2, E = 1.3333, MI = 0.585; "sat", "ran" O = 1, MI = 1.170.
        QStringList words, mi;
        for (int row = 0; row < window->model().rowCount(); ++row) {
            words << window->model().index(row, 0).data().toString();
            mi << window->model().index(row, 7).data().toString();
        }
        QCOMPARE(words, QStringList({"ran", "sat", "the"}));
        QCOMPARE(mi, QStringList({"1.170", "1.170", "0.585"}));

        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->selectTableRow(2); // "the": once at L1 ("the cat"), once at L1 again
        window->view()->setCurrentIndex(window->model().index(2, 0));
        auto* profile = window->findChild<QTableWidget*>("tblProfile");
        QCOMPARE(profile->item(4, 0)->text(), QString("2")); // L1
        QCOMPARE(profile->item(5, 0)->text(), QString("0")); // R1
        Q_EMIT window->rowActivated(1);                        // "sat": only the first hit has it
        QCOMPARE(handedWord, std::string("sat"));
        QCOMPARE(handed, std::vector<std::int64_t>({1}));
        window->resize(1000, 600);
        QApplication::processEvents();
        saveShot(window, "collocates_window");

        Capture capture;
        window->setClipboard(&capture);
        window->copyCommandLine();
        const auto replayed =
            run("/bin/sh", {"-c", QString::fromStdString(capture.line) + " --format tsv"});
        QCOMPARE(replayed.first, 0);
        QStringList lines = QString::fromUtf8(replayed.second).split('\n', Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines.takeFirst().section('\t', 0, 0), QString("collocate"));
        QStringList replayedWords;
        for (const QString& line : lines)
            replayedWords << line.section('\t', 0, 0);
        QCOMPARE(replayedWords, QStringList({"ran", "sat", "the"}));
        delete window;
    }
};

QTEST_MAIN(CollocatesWindowTest)
#include "collocates_window_test.moc"
