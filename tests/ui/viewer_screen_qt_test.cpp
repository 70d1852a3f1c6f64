// The result viewer's command loop on the desktop screen, offscreen: an idle loop sleeps in the
// event loop instead of turning, and each way the user posts (a button, closing the window)
// wakes it.
#include "ui/viewer_screen_qt.h"

#include "ui/frmViewScreen.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <ctime>
#include <fstream>
#include <functional>

using namespace lexmora;

namespace {

class NoClipboard : public Clipboard {
public:
    void setText(const std::string&) override {}
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

// The desktop screen, counting the loop's turns.
class CountingScreen : public ui::QtViewerScreen {
public:
    using QtViewerScreen::QtViewerScreen;
    void waitForCommand(ProgramState& state) override {
        ++turns;
        QtViewerScreen::waitForCommand(state);
    }
    int turns = 0;
};

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

} // namespace

class ViewerScreenQtTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void idleLoopSleepsUntilTheUserActs() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("lines.txt").toStdString();
        std::ofstream(path, std::ios::binary) << "first line\r\nsecond one\r\nthird line\r\n";

        struct Case {
            const char* name;
            std::function<void(ui::frmViewScreen&)> act; // what the user does after a second
            std::vector<Answer> answers;
            LeaveFile expected;
        };
        const std::vector<Case> cases = {
            {"Exit, then No to more files",
             [](ui::frmViewScreen& s) { s.findChild<QPushButton*>("cmdExit")->click(); },
             {Answer::No},
             LeaveFile::Exit},
            {"closing the window is Exit",
             [](ui::frmViewScreen& s) { s.close(); },
             {Answer::Yes},
             LeaveFile::MoreFiles},
            {"Next File",
             [](ui::frmViewScreen& s) { s.findChild<QPushButton*>("cmdNextFile")->click(); },
             {},
             LeaveFile::NextFile},
        };
        for (const Case& c : cases) {
            ProgramState state;
            ScriptedPrompter prompter(c.answers);
            ui::frmViewScreen screen(state, prompter);
            screen.show();
            CountingScreen port(screen, state);
            NoClipboard clipboard;
            NoPrinter printer;
            NoFiles files;
            ViewerPorts ports{port, prompter, clipboard, printer, files};
            ViewingPass pass;
            pass.fileCount = 2;
            auto viewer = ResultViewer::open(path, prompter);
            QVERIFY2(viewer.ok(), c.name);

            QTimer::singleShot(1000, &screen, [&] { c.act(screen); });
            QElapsedTimer wall;
            wall.start();
            const double cpuBefore = processCpuSeconds();
            const LeaveFile leave = ViewerCommandLoop(*viewer, state, pass, ports);
            const double cpu = processCpuSeconds() - cpuBefore;

            QVERIFY2(leave == c.expected, c.name);
            QVERIFY2(wall.elapsed() >= 900, c.name);
            // A loop that polled would turn millions of times and burn the whole second.
            QVERIFY2(port.turns <= 20,
                     qPrintable(QString("%1: %2 turns").arg(c.name).arg(port.turns)));
            QVERIFY2(cpu < 0.5, qPrintable(QString("%1: %2 s of processor").arg(c.name).arg(cpu)));
            QVERIFY2(screen.isVisible(), c.name); // the viewer decides when the screen goes
        }
    }
};

QTEST_MAIN(ViewerScreenQtTest)
#include "viewer_screen_qt_test.moc"
