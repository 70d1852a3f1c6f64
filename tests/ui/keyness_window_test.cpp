// The keyness window: a word list counted by lexmora-cli against a plain reference list, Start
// fills the table (positive keywords first, told apart by their tint), and the copied command
// line, run by the shell, gives the same words in the same order.
#include "ui/keyness_window.h"

#include "codes/program_start.h"
#include "core/program_location.h"
#include "ui/table_model.h"
#include "ui/table_window.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
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

} // namespace

class KeynessWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startFillsTheTableAndTheCopiedLineGivesTheSame() {
        QTemporaryDir dir;
        const QString prog = dir.filePath("prog");
        QDir().mkpath(prog);
        QDir().mkpath(dir.filePath("texts"));
        QDir().mkpath(dir.filePath("freq"));
        std::ofstream(dir.filePath("texts/a.txt").toStdString(), std::ios::binary)
            << "the cat sat on the mat the cat ran\r\nthe cat and the dog and the cat\r\n"
               "a cat is a cat is a cat\r\n";
        std::ofstream(dir.filePath("ref.txt").toStdString(), std::ios::binary)
            << "# tokens: 1000\nthe\t60\ncat\t1\ndog\t5\nsat\t2\nand\t30\nis\t400\n";
        const QString cli = QString(LEXMORA_BIN_DIR) + "/lexmora-cli";
        const auto counted = run(cli, {"--home", prog, "count", "--folder", dir.filePath("freq"),
                                       "--out", "target", dir.filePath("texts")});
        QCOMPARE(counted.first, 0);

        ProgramState state;
        SilentPrompter prompter;
        StartProgram(state, LocateProgramFrom(LEXMORA_BIN_DIR, prog.toStdString()), prompter);
        std::string jumped;
        ui::TableWindow* window = ui::OpenKeynessWindow(
            state, prompter, dir.filePath("freq/target.lst").toStdString(),
            [&](const std::string& word) { jumped = word; }, nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->findChild<QLineEdit*>("txtReference")->setText(dir.filePath("ref.txt"));
        window->findChild<QSpinBox*>("spnMinTarget")->setValue(1);
        window->findChild<QComboBox*>("cboLevel")->setCurrentText("none");
        QVERIFY(window->start());
        QVERIFY(prompter.shown.empty());
        const Table table = window->model().sortedTable();
        QVERIFY(!table.rows.empty());
        QCOMPARE(table.rows.front().front(), Cell(std::string("cat"))); // 8 of 30 against 1 of 1000
        const QModelIndex first = window->model().index(0, 0);
        const QModelIndex last = window->model().index(window->model().rowCount() - 1, 0);
        // "is": 2 of 30 words here, 400 of 1000 there: a negative keyword, last and tinted apart.
        QCOMPARE(last.data().toString(), QString("is"));
        QVERIFY(first.data(Qt::BackgroundRole) != last.data(Qt::BackgroundRole));
        Q_EMIT window->rowActivated(0);
        QCOMPARE(jumped, std::string("cat"));

        QStringList shownWords;
        for (const Row& row : table.rows)
            shownWords << QString::fromStdString(std::get<std::string>(row.front()));
        KeynessRequest plain;
        plain.targetPath = dir.filePath("freq/target.lst").toStdString();
        plain.referencePath = dir.filePath("ref.txt").toStdString();
        const std::string line = ui::KeynessCommandLine(state, plain);
        QVERIFY(line.find(" keyness ") != std::string::npos);
        window->resize(1000, 560);
        QApplication::processEvents();
        saveShot(window, "keyness_window");

        // The window's own line (its options as set), replayed.
        window->setClipboard(nullptr);
        const auto replayed =
            run("/bin/sh", {"-c", QString::fromStdString(CopiedLine(window)) + " --format tsv"});
        QCOMPARE(replayed.first, 0);
        QStringList lines = QString::fromUtf8(replayed.second).split('\n', Qt::SkipEmptyParts);
        QVERIFY(lines.size() > 1);
        QCOMPARE(lines.takeFirst().section('\t', 0, 0), QString("word"));
        QStringList replayedWords;
        for (const QString& l : lines)
            replayedWords << l.section('\t', 0, 0);
        QCOMPARE(replayedWords, shownWords);
        window->close();
        delete window;
    }

private:
    static std::string CopiedLine(ui::TableWindow* window) {
        struct Capture : Clipboard {
            void setText(const std::string& text) override { line = text; }
            void setUtf8Text(const std::string& text) override { line = text; }
            std::string line;
        } capture;
        window->setClipboard(&capture);
        window->copyCommandLine();
        window->setClipboard(nullptr);
        return capture.line;
    }
};

QTEST_MAIN(KeynessWindowTest)
#include "keyness_window_test.moc"
