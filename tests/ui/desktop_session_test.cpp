// One whole desktop session, offscreen, from an empty program folder: sources and target chosen
// in their windows, a keyword typed, a search saved, the results viewed, sorted, thinned by a
// deletion and cut to an extract, the view copied as a command line and run, a word count and
// its list, the exit that saves the settings and deletes the run's result files; then a second
// start that finds the settings again.
#include "codes/code_tables.h"
#include "core/program_location.h"
#include "core/settings.h"
#include "support/when_modal.h"
#include "ui/frmConShell.h"
#include "ui/frmContext.h"
#include "ui/frmGetDir.h"
#include "ui/frmStrings.h"
#include "ui/frmViewCount.h"
#include "ui/frmViewScreen.h"
#include "ui/viewer_dialogs_qt.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <deque>
#include <functional>

using namespace lexmora;
using lexmora::test::whenModal;

namespace {

// Answers by title; anything else gets its safe answer. Keeps every title shown.
class TitlePrompter : public Prompter {
public:
    Answer ask(const Message& message) override {
        titles << QString::fromLatin1(message.title.c_str());
        const auto found = answers.find(message.title);
        return found != answers.end() ? found->second : safeAnswer(message.buttons);
    }
    std::map<std::string, Answer> answers;
    QStringList titles;
};

QListWidgetItem* itemNamed(QListWidget* list, const QString& text) {
    for (int i = 0; list != nullptr && i < list->count(); ++i)
        if (list->item(i)->text().contains(text))
            return list->item(i);
    return nullptr;
}

ui::frmViewScreen* viewerScreen() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* screen = qobject_cast<ui::frmViewScreen*>(w); screen && screen->viewing())
            return screen;
    return nullptr;
}

// The viewer's steps, one at a time: each when no command is pending and no window is modal.
void driveViewer(std::deque<std::function<void(ui::frmViewScreen&)>>& steps) {
    QTimer::singleShot(30, [&steps] {
        if (steps.empty())
            return;
        ui::frmViewScreen* screen = viewerScreen();
        if (screen != nullptr && screen->commands().empty() &&
            QApplication::activeModalWidget() == nullptr) {
            auto step = std::move(steps.front());
            steps.pop_front();
            step(*screen);
        }
        driveViewer(steps);
    });
}

void trigger(QWidget& window, const char* action) {
    QAction* item = window.findChild<QAction*>(action);
    QVERIFY2(item != nullptr, action);
    item->trigger();
}

QStringList filesIn(const QString& folder, const QString& mask) {
    return QDir(folder).entryList({mask}, QDir::Files, QDir::Name);
}

// The program as the desktop starts it with `--home`.
struct Started {
    ProgramState state;
    StartValues start;
    explicit Started(const QString& home, Prompter& prompter) {
        const ProgramLocation location = LocateProgramFrom(LEXMORA_BIN_DIR, home.toStdString());
        state.InstallFolder = location.installFolder;
        state.SettingsPath = location.settingsPath;
        LoadSettings(state, SettingsEnvironment::fromProcess(location.programFolder));
        ApplyStoredLanguage(state);
        LoadCodeFolder(state, CodeFilesFolder(state), prompter);
        start = TakeStartValues(state);
    }
};

} // namespace

class DesktopSessionTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;

private Q_SLOTS:
    void initTestCase() {
        for (const char* sub :
             {"home/.config", "home/.local/share", "home/.cache", "prog", "texts", "results"})
            QDir(m_root.path()).mkpath(sub);
        qputenv("HOME", (m_root.path() + "/home").toUtf8());
        qputenv("XDG_CONFIG_HOME", (m_root.path() + "/home/.config").toUtf8());
        qputenv("XDG_DATA_HOME", (m_root.path() + "/home/.local/share").toUtf8());
        qputenv("XDG_CACHE_HOME", (m_root.path() + "/home/.cache").toUtf8());
        // The choosers open where the program was started.
        QDir::setCurrent(m_root.path());
        const char* lines[] = {"one zebra cat walking home", "two apple cat talking loud",
                               "three mango cat king size", "four lemon cat apple pie",
                               "five grape cat zebra run"};
        QFile a(m_root.path() + "/texts/a b.txt");
        QVERIFY(a.open(QIODevice::WriteOnly));
        for (const char* line : lines)
            a.write(QByteArray(line) + "\r\n");
        a.close();
        QFile c(m_root.path() + "/texts/c.txt");
        QVERIFY(c.open(QIODevice::WriteOnly));
        c.write("six melon cat walking fast\r\nseven peach cat berry jam\r\n");
        c.close();
    }

    void wholeSession() {
        const QString prog = m_root.path() + "/prog";
        const QString texts = m_root.path() + "/texts";
        const QString results = m_root.path() + "/results";
        QVERIFY(QDir(prog).isEmpty());

        TitlePrompter prompter;
        prompter.answers[" Search finished"] = Answer::No;
        prompter.answers[" About to return to main screen"] = Answer::No;
        prompter.answers["Save changes to file?"] = Answer::No;
        prompter.answers["Save settings?"] = Answer::Yes;
        prompter.answers[" About to exit from program"] = Answer::Yes;
        Started first(prog, prompter);
        ProgramState& state = first.state;
        state.AdvancedUser = true;
        ui::frmConShell window(state, first.start, prompter);
        window.show();

        // Sources: the chooser opens in the program folder; up one folder, into "texts", both
        // files picked.
        whenModal([](QWidget* chooser) {
            auto* folders = chooser->findChild<QListWidget*>("dirList");
            if (QListWidgetItem* up = itemNamed(folders, ".."))
                Q_EMIT folders->itemActivated(up);
            QListWidgetItem* folder = itemNamed(folders, "texts");
            if (folder == nullptr) {
                for (int i = 0; i < folders->count(); ++i)
                    qWarning() << "folder item" << folders->item(i)->text();
                qWarning() << chooser->findChild<QLabel*>("lblPath")->text();
                chooser->findChild<QPushButton*>("cmdCancel")->click();
                return;
            }
            Q_EMIT folders->itemActivated(folder);
            auto* files = chooser->findChild<QListWidget*>("filList");
            // A file not found is left out: the selection checked below tells.
            for (const char* name : {"a b.txt", "c.txt"})
                if (QListWidgetItem* file = itemNamed(files, name))
                    file->setSelected(true);
            chooser->findChild<QPushButton*>("cmdOK")->click();
        });
        window.chooseSources();
        QCOMPARE(state.SourceFiles, (std::vector<std::string>{"a b.txt", "c.txt"}));

        // The target folder.
        whenModal([results](QWidget* modal) {
            auto* chooser = qobject_cast<ui::frmGetDir*>(modal);
            if (chooser == nullptr) { // not the folder chooser: closed, the folder checked below
                modal->close();
                return;
            }
            chooser->openFolder(results.toStdString());
            chooser->findChild<QPushButton*>("cmdOK")->click();
        });
        window.chooseTarget();
        QCOMPARE(QString::fromStdString(state.TargetDirectory), results);

        // A keyword typed into the keyword window.
        whenModal([](QWidget* keywords) {
            QTest::keyClicks(keywords->findChild<ui::KeywordEntryBox*>("txtEnterStrings"), "cat");
            keywords->findChild<QPushButton*>("cmdOK")->click();
        });
        window.enterKeywords(false);
        QCOMPARE(state.Keywords, std::vector<std::string>{"cat"});

        // The search, saved.
        auto* save = window.findChild<QCheckBox*>("chkSave");
        if (!save->isChecked())
            save->click();
        QVERIFY(state.SaveToFile);
        window.findChild<QPushButton*>("cmdSearch")->click();
        const QStringList dumps = filesIn(results, "*.dmp");
        QCOMPARE(dumps, QStringList{"cat_001.dmp"});

        // The viewer: sorted on the first word to the right, one line deleted, an extract of
        // positions 2 to 4 saved, the view copied as a command line, then Exit.
        whenModal([](QWidget* chooser) {
            auto* files = chooser->findChild<QListWidget*>("filList");
            QListWidgetItem* file = itemNamed(files, "cat_001.dmp");
            if (file != nullptr)
                file->setSelected(true);
            chooser->findChild<QPushButton*>(file != nullptr ? "cmdOK" : "cmdCancel")->click();
        });
        int dialogs = 0;
        ui::SetViewerDialogHookForTest([&dialogs](ui::frmContext& dialog) {
            const bool sort = dialogs++ == 0;
            QTimer::singleShot(0, &dialog, [&dialog, sort] {
                dialog.findChild<QLineEdit*>("txtContextLeft")->setText(sort ? "" : "2");
                dialog.findChild<QLineEdit*>("txtContextRight")->setText(sort ? "1" : "4");
                dialog.findChild<QPushButton*>("cmdOK")->click();
            });
        });
        QString copied;
        std::deque<std::function<void(ui::frmViewScreen&)>> steps = {
            [](ui::frmViewScreen& s) { trigger(s, "mnuSortBeginning"); },
            [](ui::frmViewScreen& s) { s.commands().post(DeleteFlag{1}); },
            [](ui::frmViewScreen& s) { trigger(s, "mnuSaveExtract"); },
            [](ui::frmViewScreen& s) { trigger(s, "mnuCopyCommandLine"); },
            [&copied](ui::frmViewScreen& s) {
                copied = QGuiApplication::clipboard()->text();
                trigger(s, "mnuScreenExit");
            },
        };
        driveViewer(steps);
        window.viewSearchResults();
        ui::SetViewerDialogHookForTest({});
        QVERIFY(steps.empty());
        QCOMPARE(dialogs, 2);
        QVERIFY(window.isVisible());
        const QStringList extracts = filesIn(results, "*.cnc");
        QCOMPARE(extracts.size(), qsizetype{1});
        QVERIFY(prompter.titles.contains(" Copy as command line"));
        QVERIFY2(copied.contains(" view --sort right --pos 1 --right "), qPrintable(copied));
        QVERIFY2(copied.contains(" --delete 3 --extract cnc --range 2-4 "), qPrintable(copied));

        // The copied line, run, writes the same extract.
        QFile extract(results + "/" + extracts.first());
        QVERIFY(extract.open(QIODevice::ReadOnly));
        const QByteArray written = extract.readAll();
        extract.close();
        QVERIFY(extract.remove());
        QProcess shell;
        shell.start("/bin/sh", {"-c", copied});
        QVERIFY(shell.waitForFinished(60000));
        QCOMPARE(shell.exitCode(), 0);
        QVERIFY(extract.open(QIODevice::ReadOnly));
        QCOMPARE(extract.readAll(), written);
        extract.close();

        // A word count of the same files, and its list in the window.
        int listRows = 0;
        whenModal([&listRows](QWidget* modal) {
            auto* count = qobject_cast<ui::frmViewCount*>(modal);
            if (count == nullptr) { // not the count window: closed, the word list checked below
                modal->close();
                return;
            }
            count->findChild<QLineEdit*>("txtUserInput")->setText("cats");
            count->pressStart();
            if (count->lastCount().outcome == CountOutcome::Completed) {
                count->pressStart(); // Continue: the list
                if (count->mode() == FrequencyWindowMode::Viewing)
                    listRows = count->findChild<QListWidget*>("lstWords")->count();
            }
            count->close();
        });
        trigger(window, "mnuWordcount");
        QVERIFY(listRows > 0);
        const QString freq = QString::fromStdString(state.FrequencyFilesDirectory);
        QCOMPARE(filesIn(freq, "cats.*"), (QStringList{"cats.lst", "cats.sta"}));

        // Exit: the settings saved, this session's result files deleted.
        QVERIFY(window.close());
        QVERIFY(prompter.titles.contains("Save settings?"));
        QVERIFY(prompter.titles.contains(" About to exit from program"));
        QCOMPARE(filesIn(results, "*.dmp"), QStringList());
        QCOMPARE(filesIn(results, "*.log"), QStringList());
        QVERIFY(QFile::exists(prog + "/lexmora9.ini"));

        // The second start finds the folders chosen.
        SilentPrompter quiet;
        Started second(prog, quiet);
        QCOMPARE(QString::fromStdString(second.state.TargetDirectory), results);
        QCOMPARE(QDir(QString::fromStdString(second.state.SourceDirectory)).canonicalPath(),
                 QDir(texts).canonicalPath());
        QCOMPARE(second.state.FrequencyFilesDirectory, state.FrequencyFilesDirectory);
    }
};

QTEST_MAIN(DesktopSessionTest)
#include "desktop_session_test.moc"
