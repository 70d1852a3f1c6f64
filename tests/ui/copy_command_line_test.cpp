// "Copy as Command Line" of the live screen, the viewer and the count window, offscreen: the
// line lands on the clipboard, is told, and run by /bin/sh with the built lexmora-cli gives what
// the window shows or wrote.
#include "codes/code_tables.h"
#include "codes/program_start.h"
#include "core/program_location.h"
#include "core/settings.h"
#include "search/search_run.h"
#include "ui/frmViewCount.h"
#include "ui/frmViewScreen.h"
#include "ui/qt_clipboard.h"
#include "ui/qt_printer.h"
#include "ui/viewer_screen_qt.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <sstream>

using namespace lexmora;

namespace {

class NoFiles : public FileViewer {
public:
    void openTextViewer(const std::string&, bool) override {}
    void openHtmlViewer(const std::string&, const std::string&) override {}
};

std::string readAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The line run by /bin/sh: its exit status and standard output.
std::pair<int, QByteArray> runShell(const QString& line) {
    QProcess shell;
    shell.start("/bin/sh", {"-c", line});
    shell.waitForFinished(60000);
    return {shell.exitCode(), shell.readAllStandardOutput()};
}

// The program as lexmora-cli starts in `home`, the texts and the output folders.
struct Desktop {
    QTemporaryDir dir;
    ProgramState state;
    SilentPrompter prompter;

    Desktop() {
        for (const char* sub : {"prog", "texts", "out", "freq", "tmp"})
            QDir(dir.path()).mkdir(sub);
        const ProgramLocation location = LocateProgramFrom(LEXMORA_BIN_DIR, path("prog"));
        StartProgram(state, location, prompter);
        std::ofstream(path("texts") + "/a b.txt", std::ios::binary)
            << "one zebra cat walking home\r\ntwo apple cat talking loud\r\n"
               "three mango cat king size\r\nfour lemon cat apple pie\r\n";
        std::ofstream(path("texts") + "/c.txt", std::ios::binary)
            << "five grape cat zebra run\r\nsix melon cat walking fast\r\n";
        state.SourceDirectory = path("texts") + "/";
        state.SourceFileType = "*.txt";
        state.AllFilesInFolder = true;
        state.TargetDirectory = path("out");
        state.FrequencyFilesDirectory = path("freq");
        state.TempDirectory = path("tmp");
        state.LeftContext = 20;
        state.RightContext = 20;
        state.Keywords = {"cat"};
        state.KeywordCase = {false};
        state.ExcludeStrings = {{}};
        state.ExcludeCase = {{}};
    }
    std::string path(const char* sub) const { return (dir.path() + "/" + sub).toStdString(); }
};

// With LEXMORA_SCREENSHOTS set (and a real display, e.g. xvfb-run): the window with its menu
// open, as the user sees the new item.
void grabWithMenu(QWidget& window, const char* menuName, const QString& file) {
    const QString dir = qEnvironmentVariable("LEXMORA_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    window.resize(900, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* menu = window.findChild<QMenu*>(menuName);
    QVERIFY(menu != nullptr);
    menu->popup(window.mapToGlobal(QPoint(10, 25)));
    QTest::qWait(300);
    QGuiApplication::primaryScreen()->grabWindow(0).save(dir + "/" + file);
    menu->hide();
}

QString clipboardText() {
    return QGuiApplication::clipboard()->text();
}

} // namespace

class CopyCommandLineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The live screen's item copies the search; run, it writes the same result file.
    void liveScreenCopiesTheSearch() {
        Desktop d;
        d.state.SaveToFile = true;
        ProgramState run = d.state;
        run.SourceFiles = {"a b.txt", "c.txt"}; // as the Search command lists the folder
        SearchRun result;
        struct : SearchObserver {
        } observer;
        RunSearch(run, SearchRequestFor(run), result, observer, d.prompter);
        QCOMPARE(result.keptDumpFiles.size(), std::size_t{1});
        const QString dump = QString::fromStdString(result.keptDumpFiles.front());
        const std::string written = readAll(dump);
        QDir(QString::fromStdString(d.path("out"))).removeRecursively();
        QDir().mkpath(QString::fromStdString(d.path("out")));

        ScriptedPrompter prompter{{}};
        ui::frmViewScreen screen(run, prompter);
        screen.prepareForSearch(10);
        QAction* item = screen.findChild<QAction*>("mnuCopyCommandLine");
        QVERIFY(item != nullptr);
        QVERIFY(item->isVisible());
        grabWithMenu(screen, "mnuScreenOpt", "live-screen-menu.png");
        item->trigger();
        const QString line = clipboardText();
        QVERIFY(line.startsWith(QString(LEXMORA_BIN_DIR) + "/lexmora-cli --home "));
        QCOMPARE(prompter.shown.size(), std::size_t{1});
        QCOMPARE(prompter.shown[0].title, std::string(" Copy as command line"));
        QCOMPARE(runShell(line).first, 0);
        QCOMPARE(readAll(dump), written);
    }

    // The viewer's item after every nth, a sort and deletions: the line prints the lines shown.
    void viewerCopiesWhatItShows() {
        Desktop d;
        d.state.SaveToFile = true;
        d.state.SourceFiles = {"a b.txt", "c.txt"};
        SearchRun result;
        struct : SearchObserver {
        } observer;
        ProgramState run = d.state;
        RunSearch(run, SearchRequestFor(run), result, observer, d.prompter);
        QCOMPARE(result.keptDumpFiles.size(), std::size_t{1});

        ScriptedPrompter prompter{{Answer::Yes}};
        ui::frmViewScreen screen(d.state, prompter);
        ui::QtPrinter printer(&screen);
        ui::QtViewerScreen adapter(screen, d.state, &prompter, &printer);
        ui::QtClipboard clipboard;
        NoFiles files;
        ViewerPorts ports{adapter, prompter, clipboard, printer, files};
        ViewingPass pass;
        screen.prepareForViewing(22);
        ViewerOptions options;
        options.stepN = 1;
        auto viewer = ResultViewer::open(result.keptDumpFiles.front(), prompter, options);
        QVERIFY(viewer.ok());
        viewer->Sort(SortMode::WordBeginning, 0, 1, d.state.RightContext);
        QCOMPARE(viewer->DeleteSelected({2, 4}, prompter), std::int64_t{2});
        QAction* item = screen.findChild<QAction*>("mnuCopyCommandLine");
        QVERIFY(item != nullptr);
        grabWithMenu(screen, "mnuScreenOpt", "viewer-menu.png");
        item->trigger();
        QVERIFY(!RunPendingCommand(*viewer, d.state, pass, ports));
        const QString line = clipboardText();
        QVERIFY2(line.contains(" view --sort right --pos 1 --right 20 --delete 2,4 -- "),
                 qPrintable(line));
        QCOMPARE(prompter.shown.back().title, std::string(" Copy as command line"));

        QByteArray shown;
        for (std::int64_t p = 2; p <= viewer->IndexCount(); ++p)
            shown += QByteArray::fromStdString(std::string(viewer->kwicText(viewer->GetRecord(p))) +
                                               "\n");
        const auto [status, printed] = runShell(line);
        QCOMPARE(status, 0);
        QCOMPARE(printed, shown);
    }

    // The count window's item: the line writes the pair the window's count wrote.
    void countWindowCopiesTheCount() {
        Desktop d;
        ScriptedPrompter prompter{{}};
        ui::frmViewCount window(d.state, prompter);
        window.findChild<QLineEdit*>("txtUserInput")->setText("cats");
        window.pressStart();
        QCOMPARE(window.lastCount().outcome, CountOutcome::Completed);
        const QString freq = QString::fromStdString(d.path("freq"));
        const std::string list = readAll(freq + "/cats.lst");
        const std::string index = readAll(freq + "/cats.sta");
        QVERIFY(!list.empty());
        QDir(freq).removeRecursively();
        QDir().mkpath(freq);

        QAction* item = window.findChild<QAction*>("mnuCopyCommandLine");
        QVERIFY(item != nullptr);
        grabWithMenu(window, "mnuCountFiles", "count-menu.png");
        item->trigger();
        const QString line = clipboardText();
        QVERIFY2(line.contains(" count --language "), qPrintable(line));
        QCOMPARE(runShell(line).first, 0);
        QCOMPARE(readAll(freq + "/cats.lst"), list);
        QCOMPARE(readAll(freq + "/cats.sta"), index);
    }
};

QTEST_MAIN(CopyCommandLineTest)
#include "copy_command_line_test.moc"
