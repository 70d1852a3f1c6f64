// The N-grams window on the worked example (F1 = "in the end of the day", F2 = "at the end of
// the road") chosen as the word count chooses its sources: Start gives the worked n-grams for a
// size and a range of sizes, the copied command line replayed gives the same rows, the list
// saved and opened again is the same (a damaged file is refused), and a double-click hands the
// opener the n-gram to search for.
#include "ui/ngrams_window.h"

#include "core/settings.h"
#include "keywords/keyword_handover.h"
#include "ui/frmConShell.h"
#include "ui/frmViewScreen.h"

#include "codes/program_start.h"
#include "core/program_location.h"
#include "ui/table_model.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
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

QStringList replayedRows(ui::TableWindow& window) {
    Capture capture;
    window.setClipboard(&capture);
    window.copyCommandLine(); // tells the user the line is on the clipboard
    const auto replayed =
        run("/bin/sh", {"-c", QString::fromStdString(capture.line) + " --format tsv"});
    if (replayed.first != 0)
        return {"exit " + QString::number(replayed.first), QString::fromStdString(capture.line)};

    QStringList lines = QString::fromUtf8(replayed.second).split('\n', Qt::SkipEmptyParts);
    if (lines.isEmpty() || lines.takeFirst() != "ngram\tfreq\trange")
        return {"bad header"};
    return lines;
}

void saveShot(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("LEXMORA_SCREENSHOT_DIR");
    if (!dir.isEmpty() && QDir().mkpath(dir))
        window->grab().save(dir + "/" + name + ".png");
}

// Records what is shown and reads the KWIC screen when the search asks about its summary.
class SummaryPrompter : public Prompter {
public:
    Answer ask(const Message& message) override {
        titles.push_back(message.title);
        if (message.title == " Search finished" && atSummary)
            atSummary();
        return safeAnswer(message.buttons);
    }
    std::vector<std::string> titles;
    std::function<void()> atSummary;
};

} // namespace

class NgramsWindowTest : public QObject {
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
        StartProgram(m_state,
                     LocateProgramFrom(LEXMORA_BIN_DIR, m_dir.filePath("prog").toStdString()),
                     m_prompter);
        m_prompter.shown.clear();
        selectFolder(m_dir.filePath("texts"));
    }

    void workedNgramsAndTheirCommandLines() {
        struct Case {
            int from, to, minFreq, minRange;
            QStringList rows;
        };
        const Case cases[] = {
            {3, 3, 2, 2, {"end of the\t2\t2", "the end of\t2\t2"}},
            {2, 2, 2, 2, {"end of\t2\t2", "of the\t2\t2", "the end\t2\t2"}},
            {2,
             3,
             2,
             1,
             {"end of\t2\t2", "end of the\t2\t2", "of the\t2\t2", "the end\t2\t2",
              "the end of\t2\t2"}},
        };
        for (const Case& c : cases) {
            ui::NgramsWindow window(m_state, m_prompter, {});
            window.findChild<QSpinBox*>("spnSize")->setValue(c.from);
            window.findChild<QSpinBox*>("spnSizeTo")->setValue(c.to);
            window.findChild<QSpinBox*>("spnMinFreq")->setValue(c.minFreq);
            window.findChild<QSpinBox*>("spnMinRange")->setValue(c.minRange);
            QVERIFY(window.start());
            QVERIFY(m_prompter.shown.empty()); // nothing left out, nothing to tell
            QCOMPARE(shownRows(window), c.rows);
            QCOMPARE(replayedRows(window), c.rows);
            m_prompter.shown.clear();
            QVERIFY(window.findChild<QPushButton*>("cmdSaveList")->isEnabled());
            QVERIFY(!window.findChild<QPushButton*>("cmdPause")->isEnabled());
        }
    }

    void savedAndOpenedAgainDamagedRefused() {
        const std::string saved = m_dir.filePath("ends.ngr").toStdString();
        QStringList counted;
        {
            ui::NgramsWindow window(m_state, m_prompter, {});
            window.findChild<QComboBox*>("cboSort")->setCurrentIndex(3); // by ending
            window.findChild<QSpinBox*>("spnSize")->setValue(2);
            window.findChild<QSpinBox*>("spnSizeTo")->setValue(2);
            QVERIFY(window.start());
            counted = shownRows(window);
            QVERIFY(window.saveList(saved));
            // a second save asks first; the safe answer keeps the file
            QVERIFY(!window.saveList(saved));
            QCOMPARE(m_prompter.shown.size(), std::size_t{1});
            m_prompter.shown.clear();
        }
        QCOMPARE(counted.size(), 3);
        ui::NgramsWindow opened(m_state, m_prompter, {});
        QVERIFY(opened.openList(saved));
        QCOMPARE(shownRows(opened), counted);
        QCOMPARE(opened.findChild<QComboBox*>("cboSort")->currentIndex(), 3);
        QCOMPARE(opened.findChild<QSpinBox*>("spnSize")->value(), 2);
        QCOMPARE(replayedRows(opened), counted);
        m_prompter.shown.clear();

        const std::string damaged = m_dir.filePath("damaged.ngr").toStdString();
        std::ofstream(damaged, std::ios::binary) << "LEXMORA-NGRAMS\t1\nsize\t2\n";
        QVERIFY(!opened.openList(damaged));
        QCOMPARE(m_prompter.shown.size(), std::size_t{1});
        QCOMPARE(shownRows(opened), counted); // the list shown stays
        m_prompter.shown.clear();
    }

    void aDoubleClickHandsTheNgramToSearchFor() {
        std::vector<std::string> searched;
        ui::NgramsWindow window(m_state, m_prompter, [&searched](const std::string& ngram) {
            searched.push_back(ngram);
        });
        window.findChild<QSpinBox*>("spnMinRange")->setValue(2);
        QVERIFY(window.start());
        Q_EMIT window.rowActivated(1);
        Q_EMIT window.rowActivated(0);
        QCOMPARE(searched, std::vector<std::string>({"the end of", "end of the"}));
    }

    // From the main window: the double-clicked n-gram is searched for in the same files, the
    // window comes back with its list, and the user's keywords are kept.
    void theMainWindowSearchesForADoubleClickedNgram() {
        QTemporaryDir home, target;
        ProgramState state;
        LoadSettings(state,
                     SettingsEnvironment{home.path().toStdString(), home.path().toStdString(), ""});
        StartValues start = TakeStartValues(state);
        state.SourceDirectory = m_dir.filePath("texts").toStdString() + "/";
        state.SourceFileType = "*.txt";
        state.AllFilesInFolder = true;
        state.TargetDirectory = target.path().toStdString();
        std::vector<KeywordEntry> own = {KeywordEntry{"cat", false, {}}};
        HandOverKeywords(state, own, "", false, false);
        SummaryPrompter prompter;
        ui::frmConShell shell(state, start, prompter);
        ui::frmViewScreen* screen = nullptr;
        shell.onSearchScreenForTest = [&screen](ui::frmViewScreen& s) { screen = &s; };
        QString found, caption;
        prompter.atSummary = [&] {
            found = screen->findChild<QLabel*>("lblFoundNum")->text();
            caption = screen->findChild<QLabel*>("lblStringName")->text();
        };
        int shown = 0;
        QStringList rowsWhenBack;
        bool busy = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* window = dynamic_cast<ui::NgramsWindow*>(QApplication::activeModalWidget());
            if (busy || window == nullptr)
                return;
            busy = true;
            if (++shown == 1) {
                window->findChild<QSpinBox*>("spnSize")->setValue(2);
                window->findChild<QSpinBox*>("spnSizeTo")->setValue(2);
                if (window->start())
                    Q_EMIT window->rowActivated(2); // "the end"
                else
                    window->reject();
            } else {
                rowsWhenBack = shownRows(*window);
                window->reject();
            }
            busy = false;
        });
        poll.start(10);
        shell.openNgrams();
        poll.stop();
        QCOMPARE(shown, 2);
        QCOMPARE(caption, QString("the end"));
        QCOMPARE(found, QString("2"));
        QCOMPARE(rowsWhenBack, QStringList({"end of\t2\t2", "of the\t2\t2", "the end\t2\t2"}));
        QCOMPARE(state.Keywords, std::vector<std::string>({"cat"}));
    }

    // Pause holds the run (still running a while later, though two lines take no time), and
    // Continue lets it finish with the whole list.
    void pauseHoldsTheRunUntilContinue() {
        ui::NgramsWindow window(m_state, m_prompter, {});
        auto* pause = window.findChild<QPushButton*>("cmdPause");
        QVERIFY(!pause->isEnabled());
        bool runningWhilePaused = false;
        QString captionWhilePaused;
        QTimer::singleShot(0, pause, [&] {
            QVERIFY(pause->isEnabled());
            pause->click();
            QTimer::singleShot(300, pause, [&] {
                runningWhilePaused = window.running() && m_state.PauseFlag;
                captionWhilePaused = pause->text();
                pause->click();
            });
        });
        QVERIFY(window.start());
        QVERIFY(runningWhilePaused);
        QCOMPARE(captionWhilePaused, QString("&Continue"));
        QCOMPARE(shownRows(window), QStringList({"end of the\t2\t2", "the end of\t2\t2"}));
        QVERIFY(!m_state.PauseFlag);
        QVERIFY(!pause->isEnabled());
    }

    void noSourcesIsToldNotCounted() {
        ProgramState empty = m_state;
        empty.SourceDirectory = m_dir.filePath("nothing-here").toStdString();
        ui::NgramsWindow window(empty, m_prompter, {});
        QVERIFY(!window.start());
        QVERIFY(!m_prompter.shown.empty());
        QCOMPARE(window.model().rowCount(), 0);
        m_prompter.shown.clear();
    }

    // With LEXMORA_SCREENSHOT_DIR: the 3-grams of the bench corpus's English folder.
    void screenshotOfTheBenchCorpus() {
        const QString dir = qEnvironmentVariable("LEXMORA_SCREENSHOT_DIR");
        const QString bench = "/work/corpus/bench/en";
        if (dir.isEmpty() || !QFileInfo(bench).isDir())
            QSKIP("no screenshot folder or no bench corpus");
        ProgramState state = m_state;
        state.SourceDirectory = bench.toStdString();
        state.SourceFileCount = QDir(bench).entryList({"*.txt"}, QDir::Files).size(); // as chosen
        ui::NgramsWindow window(state, m_prompter, {});
        window.findChild<QComboBox*>("cboLanguage")->setCurrentIndex(0); // English
        window.findChild<QSpinBox*>("spnMinRange")->setValue(5);
        QVERIFY(window.start());
        QVERIFY(window.model().rowCount() > 100);
        window.resize(900, 640);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.view()->selectRow(0);
        QApplication::processEvents();
        saveShot(&window, "ngrams_window");
    }

private:
    void selectFolder(const QString& folder) {
        m_state.SourceDirectory = folder.toStdString();
        m_state.SourceFiles.clear();
        m_state.SourceIsFileList = false;
        m_state.IncludeSubfolders = false;
        m_state.SourceFileType = "*.txt";
        m_state.SourceFileCount = 2; // as the chooser counts them
    }

    QTemporaryDir m_dir;
    ProgramState m_state;
    SilentPrompter m_prompter;
};

QTEST_MAIN(NgramsWindowTest)
#include "ngrams_window_test.moc"
