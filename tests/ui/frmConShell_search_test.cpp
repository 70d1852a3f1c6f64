// The Search command of the main window, offscreen: each failed check shows its message and
// nothing runs; a real search fills the KWIC screen aligned on the keyword; Pause and Exit in
// the middle of a run leave the result files closed.
#include "ui/frmConShell.h"
#include "ui/frmViewScreen.h"

#include "core/settings.h"
#include "keywords/keyword_handover.h"
#include "search/search_run.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <unistd.h>

using namespace lexmora;

namespace {

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Answers by the message's title, records everything, and lets a test look at the screen when
// the run asks about the summary.
class TitlePrompter : public Prompter {
public:
    Answer ask(const Message& message) override {
        shown.push_back(message);
        if (message.title == " Search finished" && atSummary)
            atSummary();
        if (message.title == " End of search" && atEnd)
            atEnd();
        for (const auto& [title, answer] : answers)
            if (title == message.title)
                return answer;
        return safeAnswer(message.buttons);
    }
    std::vector<std::pair<std::string, Answer>> answers;
    std::vector<Message> shown;
    std::function<void()> atSummary;
    std::function<void()> atEnd;
};

std::string writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path.toStdString();
}

// The files under `folder` that this process holds open.
int openFilesUnder(const std::string& folder) {
    int n = 0;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto target = std::filesystem::read_symlink(fd.path(), error);
        if (!error && target.string().rfind(folder, 0) == 0)
            ++n;
    }
    return n;
}

} // namespace

class FrmConShellSearchTest : public QObject {
    Q_OBJECT

    struct Fixture {
        QTemporaryDir home, source, target;
        ProgramState state;
        StartValues start;
        TitlePrompter prompter;

        Fixture() {
            const std::string path = home.path().toStdString();
            LoadSettings(state, SettingsEnvironment{path, path, ""});
            start = TakeStartValues(state);
            state.SourceDirectory = source.path().toStdString() + "/";
            state.TargetDirectory = target.path().toStdString();
            state.SourceFileType = "*.*";
        }
        void keywords(std::initializer_list<const char*> words) {
            std::vector<KeywordEntry> entries;
            for (const char* w : words)
                entries.push_back(KeywordEntry{w, false, {}});
            HandOverKeywords(state, entries, "", false, false);
        }
        std::vector<std::string> titles() const {
            std::vector<std::string> out;
            for (const Message& m : prompter.shown)
                out.push_back(m.title);
            return out;
        }
    };

private Q_SLOTS:
    // Each failed check shows its own message; Cancel gives the command up before any run.
    void failedChecksShowTheirMessages() {
        struct Case {
            const char* what;
            std::function<void(Fixture&)> setUp;
            std::string text;
        };
        const std::vector<Case> cases = {
            {"no source files", [](Fixture&) {}, " Please select source files.  "},
            {"no target folder",
             [](Fixture& f) {
                 f.state.SourceFiles = {"a.txt"};
                 f.state.SaveToFile = true;
                 f.state.TargetDirectory.clear();
             },
             "You have not selected a target folder"},
            {"target is source",
             [](Fixture& f) {
                 f.state.SourceFiles = {"a.txt"};
                 f.state.SaveToFile = true;
                 f.state.TargetDirectory = f.state.SourceDirectory;
             },
             "Your target folder is the same as your source folder!  \r\n"
             "       Please select another target folder."},
            {"target in the search path",
             [](Fixture& f) {
                 f.state.IncludeSubfolders = true;
                 f.state.SourceFileCount = 1;
                 f.state.SaveToFile = true;
                 QDir(f.source.path()).mkdir("out");
                 f.state.TargetDirectory = f.source.path().toStdString() + "/out";
             },
             "Your target folder lies in your search path!\r\n"
             "You must save the results to a different folder or disk"},
            {"no keywords", [](Fixture& f) { f.state.SourceFiles = {"a.txt"}; },
             " Please enter keyword(s).   "},
        };
        for (const Case& c : cases) {
            Fixture f;
            writeFile(f.source.filePath("a.txt"), "a cat\r\n");
            c.setUp(f);
            f.prompter.answers = {{" Cannot continue...", Answer::Cancel},
                                  {"Warning", Answer::Cancel}};
            ui::frmConShell window(f.state, f.start, f.prompter);
            bool ran = false;
            window.onSearchScreenForTest = [&](ui::frmViewScreen&) { ran = true; };
            window.findChild<QPushButton*>("cmdSearch")->click();
            QVERIFY2(!f.prompter.shown.empty(), c.what);
            QCOMPARE(f.prompter.shown.size(), std::size_t{1});
            QCOMPARE(f.prompter.shown[0].text, c.text);
            QVERIFY2(!ran, c.what);
        }
    }

    // The source folder vanished after it was chosen: the folder test's message, no run.
    void removedSourceFolder() {
        Fixture f;
        f.keywords({"cat"});
        f.state.SourceFiles = {"a.txt"};
        f.state.SourceDirectory = f.source.path().toStdString() + "/gone/";
        ui::frmConShell window(f.state, f.start, f.prompter);
        bool ran = false;
        window.onSearchScreenForTest = [&](ui::frmViewScreen&) { ran = true; };
        window.findChild<QPushButton*>("cmdSearch")->click();
        QCOMPARE(f.titles(), std::vector<std::string>{"Folder error"});
        QVERIFY(!ran);
    }

    // A real search: every hit on the screen, aligned on the keyword, then the summary.
    void realSearchFillsTheScreen() {
        Fixture f;
        writeFile(f.source.filePath("a.txt"), "the black cat sat on the mat\r\nno cat here\r\n");
        writeFile(f.source.filePath("b.txt"), "a cat, a dog\r\n");
        f.state.SourceFiles = {"a.txt", "b.txt"};
        f.state.LeftContext = 20;
        f.state.RightContext = 20;
        f.keywords({"cat"});
        f.prompter.answers = {{" Search finished", Answer::Yes}};
        ui::frmConShell window(f.state, f.start, f.prompter);
        window.show();
        ui::frmViewScreen* screen = nullptr;
        std::vector<std::string> shown;
        QString found, caption;
        window.onSearchScreenForTest = [&](ui::frmViewScreen& s) {
            screen = &s;
            QVERIFY(s.windowTitle() == "    Searching files for keyword...");
        };
        f.prompter.atSummary = [&] {
            screen->flush();
            for (std::size_t i = 0; i < screen->lines()->count(); ++i)
                shown.push_back(screen->lines()->shownAt(i));
            found = screen->findChild<QLabel*>("lblFoundNum")->text();
            caption = screen->findChild<QLabel*>("lblStringName")->text();
            QVERIFY(!window.isVisible()); // the main window is hidden during the run
            if (!qEnvironmentVariableIsEmpty("LEXMORA_SCREENSHOTS"))
                screen->grab().save(qEnvironmentVariable("LEXMORA_SCREENSHOTS") + "/kwic.png");
        };
        std::vector<std::string> summary;
        f.prompter.atEnd = [&] {
            for (std::size_t i = 0; i < screen->lines()->count(); ++i)
                summary.push_back(screen->lines()->lineAt(i));
        };
        window.findChild<QPushButton*>("cmdSearch")->click();
        // Three hits of 80-byte records; 43 and 14 bytes of text.
        QCOMPARE(summary,
                 (std::vector<std::string>{
                     " Estimated disk-space needed to save results: 240 bytes",
                     " 3 examples found of \xAB cat \xBB", " in 2 files totalling 57 bytes"}));
        // The right context runs on over the line break, which becomes one blank.
        const std::vector<std::string> expected = {
            "1              the black cat sat on the mat no c",
            "2    t sat on the mat no cat here               ",
            "1                      a cat, a dog             ",
        };
        QCOMPARE(shown.size(), expected.size());
        for (std::size_t i = 0; i < shown.size(); ++i) {
            QCOMPARE(QString::fromStdString(shown[i]), QString::fromStdString(expected[i]));
            QCOMPARE(shown[i].substr(25, 3), std::string("cat")); // the keyword's column
        }
        QCOMPARE(found, QString("3"));
        QCOMPARE(caption, QString("cat"));
        QVERIFY(window.isVisible());
        // The summary and its end, and nothing written without "Save to File".
        const auto titles = f.titles();
        QCOMPARE(titles, (std::vector<std::string>{" Search finished", " End of search"}));
        QVERIFY(QDir(f.target.path()).entryList(QDir::Files).isEmpty());
        QVERIFY(f.state.SourceFiles == (std::vector<std::string>{"a.txt", "b.txt"}));
    }

    // A whole folder chosen: its files of the type are searched, and the selection stays the
    // whole folder afterwards.
    void wholeFolderSelection() {
        Fixture f;
        writeFile(f.source.filePath("a.txt"), "a cat\r\n");
        writeFile(f.source.filePath("b.txt"), "two cats: cat and cat\r\n");
        writeFile(f.source.filePath("c.doc"), "no cat counted here\r\n");
        f.state.AllFilesInFolder = true;
        f.state.SourceFileType = "*.txt";
        f.keywords({"cat"});
        ui::frmConShell window(f.state, f.start, f.prompter);
        QString found;
        ui::frmViewScreen* screen = nullptr;
        window.onSearchScreenForTest = [&](ui::frmViewScreen& s) { screen = &s; };
        f.prompter.atSummary = [&] { found = screen->findChild<QLabel*>("lblFoundNum")->text(); };
        window.findChild<QPushButton*>("cmdSearch")->click();
        QCOMPARE(found, QString("3"));
        QVERIFY(f.state.SourceFiles.empty());
    }

    // "Single File" is offered once a second keyword is there, when the window comes back.
    void singleFileFollowsTheKeywords() {
        Fixture f;
        f.state.SaveToFile = true;
        f.keywords({"cat"});
        ui::frmConShell window(f.state, f.start, f.prompter);
        auto* single = window.findChild<QCheckBox*>("chkSingle");
        QVERIFY(!single->isEnabled());
        f.keywords({"cat", "dog"});
        window.refreshPanel();
        QVERIFY(single->isEnabled());
    }

    // With "Save to File", a keyword without hits has its files deleted and the screen says so;
    // a keyword with hits keeps its set.
    void keywordWithoutHitsLeavesNoFiles() {
        Fixture f;
        writeFile(f.source.filePath("a.txt"), "a cat\r\n");
        f.state.SourceFiles = {"a.txt"};
        f.state.SaveToFile = true;
        f.keywords({"dog", "cat"});
        QString message, number, keyword;
        ui::frmConShell window(f.state, f.start, f.prompter);
        ui::frmViewScreen* screen = nullptr;
        window.onSearchScreenForTest = [&](ui::frmViewScreen& s) { screen = &s; };
        f.prompter.atSummary = [&] {
            message = screen->findChild<QLabel*>("lblMessage")->text();
            number = screen->findChild<QLabel*>("lblStringNum")->text();
            keyword = screen->findChild<QLabel*>("lblStringName")->text();
        };
        window.findChild<QPushButton*>("cmdSearch")->click();
        QCOMPARE(QDir(f.target.path()).entryList({"*.dmp"}, QDir::Files),
                 QStringList{"cat_001.dmp"});
        QVERIFY(message.startsWith("saving results to: "));
        QVERIFY(message.contains("\ntime elapsed:"));
        QCOMPARE(number, QString("2")); // the second keyword was the last searched
        QCOMPARE(keyword, QString("cat"));
        QVERIFY(f.state.ResultsWritten);
    }

    // Pause, then Exit while paused: the scanner asks, the run ends, the result files are closed
    // and hold whole records.
    void pauseAndExitMidRun() {
        Fixture f;
        QByteArray text;
        for (int i = 0; i < 4000; ++i)
            text += "one cat and another cat in a line\r\n";
        for (int i = 0; i < 5; ++i)
            writeFile(f.source.filePath(QString("f%1.txt").arg(i)), text);
        f.state.SourceFiles = {"f0.txt", "f1.txt", "f2.txt", "f3.txt", "f4.txt"};
        f.state.SaveToFile = true;
        f.keywords({"cat"});
        f.prompter.answers = {{" Abandon Search", Answer::Yes}, {" Search finished", Answer::No}};
        ui::frmConShell window(f.state, f.start, f.prompter);
        int yields = 0, pausedYields = 0;
        bool sawContinue = false;
        int openWhileRunning = 0;
        window.onSearchScreenForTest = [&](ui::frmViewScreen& s) {
            s.onYieldForTest = [&, screen = &s](ProgramState& state) {
                ++yields;
                auto* pause = screen->findChild<QPushButton*>("cmdPause");
                if (yields == 50) {
                    pause->click();
                    sawContinue = pause->text() == "&Continue";
                    openWhileRunning = openFilesUnder(f.target.path().toStdString());
                }
                if (state.PauseFlag && ++pausedYields == 3)
                    screen->findChild<QPushButton*>("cmdExit")->click();
            };
        };
        window.findChild<QPushButton*>("cmdSearch")->click();
        QVERIFY(sawContinue);
        QCOMPARE(pausedYields, 3);      // the scanner waited while paused
        QVERIFY(openWhileRunning >= 3); // dump, log and summary were open
        QCOMPARE(openFilesUnder(f.target.path().toStdString()), 0);
        QCOMPARE(f.state.ExitFlag, ExitRequest::None);
        QVERIFY(!f.state.PauseFlag);
        const auto titles = f.titles();
        QVERIFY(std::find(titles.begin(), titles.end(), " Abandon Search") != titles.end());
        // The hits found up to then are kept, as whole records.
        const QStringList dumps = QDir(f.target.path()).entryList({"*.dmp"}, QDir::Files);
        QCOMPARE(dumps.size(), 1);
        const QFileInfo dump(QDir(f.target.path()).filePath(dumps[0]));
        const qint64 recordLength = 200 + 3 + 200 + 15; // LeftContext + keyword + RightContext + 15
        QVERIFY(dump.size() > recordLength);
        QCOMPARE(dump.size() % recordLength, 0);
        QVERIFY(f.state.ResultsWritten);
        QVERIFY(yields < 5 * 8000); // it stopped early
    }

    // A paused run waits in the event loop: a second of pause costs no measurable CPU time and
    // only a few turns of the wait.
    void pausedRunUsesNoCpu() {
        Fixture f;
        QByteArray text;
        for (int i = 0; i < 4000; ++i)
            text += "one cat and another cat in a line\r\n";
        writeFile(f.source.filePath("f0.txt"), text);
        f.state.SourceFiles = {"f0.txt"};
        f.keywords({"cat"});
        f.prompter.answers = {{" Abandon Search", Answer::Yes}, {" Search finished", Answer::No}};
        ui::frmConShell window(f.state, f.start, f.prompter);
        using Clock = std::chrono::steady_clock;
        int yields = 0, pausedTurns = 0;
        double cpuAtPause = 0, cpuWhilePaused = -1;
        Clock::time_point pausedAt;
        window.onSearchScreenForTest = [&](ui::frmViewScreen& s) {
            s.onYieldForTest = [&, screen = &s](ProgramState& state) {
                if (++yields == 50) {
                    screen->findChild<QPushButton*>("cmdPause")->click();
                    cpuAtPause = processCpuSeconds();
                    pausedAt = Clock::now();
                }
                if (!state.PauseFlag || cpuWhilePaused >= 0)
                    return;
                ++pausedTurns;
                if (Clock::now() - pausedAt >= std::chrono::seconds(1)) {
                    cpuWhilePaused = processCpuSeconds() - cpuAtPause;
                    screen->findChild<QPushButton*>("cmdExit")->click();
                }
            };
        };
        window.findChild<QPushButton*>("cmdSearch")->click();
        QVERIFY(cpuWhilePaused >= 0);
        QVERIFY2(cpuWhilePaused < 0.2, qPrintable(QString("%1 s of CPU").arg(cpuWhilePaused)));
        QVERIFY2(pausedTurns < 20, qPrintable(QString("%1 turns").arg(pausedTurns)));
    }
};

QTEST_MAIN(FrmConShellSearchTest)
#include "frmConShell_search_test.moc"
