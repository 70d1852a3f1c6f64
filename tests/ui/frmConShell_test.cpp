// The main window, offscreen: caption, panel, menus, options and the exit sequence.
#include "ui/frmConShell.h"

#include "codes/code_tables.h"
#include "core/settings.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace lexmora;

class FrmConShellTest : public QObject {
    Q_OBJECT

    struct Fixture {
        QTemporaryDir folder;
        ProgramState state;
        StartValues start;
        ScriptedPrompter prompter{{}};

        explicit Fixture(const QByteArray& ini = {}) {
            if (!ini.isEmpty()) {
                QFile file(folder.filePath("lexmora9.ini"));
                file.open(QIODevice::WriteOnly);
                file.write(ini);
            }
            const std::string path = folder.path().toStdString();
            LoadSettings(state, SettingsEnvironment{path, path, ""});
            ApplyStoredLanguage(state);
            start = TakeStartValues(state);
        }
        QByteArray settingsFile() const {
            QFile file(folder.filePath("lexmora9.ini"));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
        }
    };

    template <typename T> static T* child(QWidget& window, const char* name) {
        T* found = window.findChild<T*>(name);
        if (found == nullptr)
            qFatal("no child %s", name);
        return found;
    }
    static QString text(QWidget& window, const char* name) {
        return child<QLabel>(window, name)->text();
    }

private Q_SLOTS:
    void startsWithCaptionAndPanel() {
        Fixture f("[Defaults]\r\nLanguage=German\r\nLeftContext=80\r\n");
        ui::frmConShell window(f.state, f.start, f.prompter);
        QCOMPARE(window.windowTitle(), QString("      KWIC-LEXMORA"));
        QCOMPARE(text(window, "lblFilesText"), QString("none selected"));
        QCOMPARE(text(window, "lblStringsText"), QString("none selected"));
        QCOMPARE(text(window, "lblContextText"),
                 QString("left = 80 characters / right = 200 characters"));
        QCOMPARE(text(window, "lblLanguageText"), QString("German"));
        QCOMPARE(text(window, "lblWordprocessorText"), QString("ANSI"));
        // A temporary folder's path is short enough to be shown whole.
        QCOMPARE(text(window, "lblTargetText"), QString::fromStdString(f.state.TargetDirectory));
        QVERIFY(child<QAction>(window, "mnuGerman")->isChecked());
        QVERIFY(!f.state.WordbreakAtApostrophe);
        QVERIFY(child<QAction>(window, "mnuWProc1")->isChecked());
        QVERIFY(child<QAction>(window, "mnuContext")->isEnabled());
        QVERIFY(child<QAction>(window, "mnuSource")->isEnabled());
        QVERIFY(child<QAction>(window, "mnuAbout")->isEnabled());
    }

    void codeFilesJoinTheCodesMenu() {
        Fixture f;
        f.state.InstallFolder = LEXMORA_BIN_DIR; // the shipped code files are there
        LoadCodeFolder(f.state, CodeFilesFolder(f.state), f.prompter);
        QVERIFY(f.state.CodeCount > 2);
        ui::frmConShell window(f.state, f.start, f.prompter);
        QCOMPARE(text(window, "lblWordprocessorText"), QString("Automatic"));
        QAction* first = child<QAction>(window, "mnuWProc3");
        QCOMPARE(first->text(), QString::fromStdString(f.state.CodeRows[3].CodeName));
        first->trigger();
        QCOMPARE(f.state.CodeMode, 3);
        QCOMPARE(text(window, "lblWordprocessorText"), first->text());
    }

    void unknownLanguageStaysFrenchWithItsCaption() {
        Fixture f("[Defaults]\r\nLanguage=Latin\r\n");
        ui::frmConShell window(f.state, f.start, f.prompter);
        QCOMPARE(text(window, "lblLanguageText"), QString("Latin"));
        QCOMPARE(f.state.LanguageIndex, 1);
        QVERIFY(child<QAction>(window, "mnuFrench")->isChecked());
        f.prompter = ScriptedPrompter({});
        QVERIFY(window.runExit());
        QVERIFY(f.prompter.shown.empty()); // nothing changed, nothing asked
    }

    void menusChangeTheState() {
        Fixture f;
        ui::frmConShell window(f.state, f.start, f.prompter);
        child<QAction>(window, "mnuGerman")->trigger();
        QCOMPARE(f.state.LanguageIndex, 2);
        QVERIFY(!f.state.WordbreakAtApostrophe);
        QCOMPARE(text(window, "lblLanguageText"), QString("German"));
        child<QAction>(window, "mnuWProc0")->trigger();
        QCOMPARE(f.state.CodeMode, 0);
        QCOMPARE(text(window, "lblWordprocessorText"), QString("Automatic"));

        QAction* fileManager = child<QAction>(window, "mnuFileManager");
        QVERIFY(!fileManager->isVisible());
        child<QAction>(window, "mnuUserAdvanced")->trigger();
        QVERIFY(f.state.AdvancedUser);
        QVERIFY(fileManager->isVisible());
        child<QAction>(window, "mnuUserNormal")->trigger();
        QVERIFY(!fileManager->isVisible());
    }

    void saveOptions() {
        Fixture f;
        f.state.Keywords = {"chat", "chien"};
        ui::frmConShell window(f.state, f.start, f.prompter);
        auto* save = child<QCheckBox>(window, "chkSave");
        auto* ascii = child<QRadioButton>(window, "optAscii");
        auto* single = child<QCheckBox>(window, "chkSingle");
        QVERIFY(!ascii->isEnabled());
        QVERIFY(!single->isEnabled());
        save->setChecked(true);
        QVERIFY(f.state.SaveToFile);
        QVERIFY(ascii->isEnabled());
        QVERIFY(single->isEnabled());
        ascii->setChecked(true);
        QCOMPARE(f.state.ResultCode, 2);
        single->setChecked(true);
        QVERIFY(f.state.SingleFile);
        save->setChecked(false);
        QVERIFY(!f.state.SingleFile);
        QVERIFY(!single->isChecked());
    }

    void exitAsksAndWritesChangedSettings() {
        Fixture f("; mine\r\n");
        ui::frmConShell window(f.state, f.start, f.prompter);
        child<QAction>(window, "mnuSpanish")->trigger();
        f.prompter = ScriptedPrompter({Answer::Yes});
        QVERIFY(window.runExit());
        QCOMPARE(f.prompter.shown.size(), std::size_t(1));
        QCOMPARE(f.settingsFile(), QByteArray("; mine\r\n[Defaults]\r\nLanguage=Spanish\r\n"));
    }

    void screenshot() {
        const QByteArray folder = qgetenv("LEXMORA_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("set LEXMORA_SCREENSHOT_DIR to save a picture of the window");
        Fixture f;
        ui::frmConShell window(f.state, f.start, f.prompter);
        window.resize(760, 420);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.grab().save(QString::fromLocal8Bit(folder) + "/frmConShell.png"));
    }
};

QTEST_MAIN(FrmConShellTest)
#include "frmConShell_test.moc"
