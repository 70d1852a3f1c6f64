// The main window's items that open other windows, offscreen: "&Code Files" with the code-file
// chooser, "&Keyword Files", the keyword label's double and right click, the language shown
// again when the window becomes active, and why a greyed option is greyed.
#include "support/when_modal.h"
#include "ui/frmConShell.h"

#include "codes/code_tables.h"
#include "core/settings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace lexmora;
using lexmora::test::whenModal;

namespace {

// Cancels every modal window that opens until `done` is set, noting each one's objectName.
void cancelModals(QStringList& seen, const bool& done) {
    whenModal([&seen, &done](QWidget* modal) {
        seen << modal->objectName();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (!done)
            cancelModals(seen, done);
    });
}

} // namespace

class FrmConShellMenusTest : public QObject {
    Q_OBJECT

    struct Fixture {
        QTemporaryDir folder;
        ProgramState state;
        StartValues start;
        ScriptedPrompter prompter{{}};
        Fixture() {
            const std::string path = folder.path().toStdString();
            LoadSettings(state, SettingsEnvironment{path, path, ""});
            ApplyStoredLanguage(state);
            state.InstallFolder = LEXMORA_BIN_DIR;
            state.AdvancedUser = true;
            start = TakeStartValues(state);
        }
    };

private Q_SLOTS:
    void everyMenuItemIsEnabled() {
        Fixture f;
        ui::frmConShell window(f.state, f.start, f.prompter);
        for (QAction* item : window.findChildren<QAction*>()) {
            if (!item->objectName().startsWith("mnu"))
                continue;
            QVERIFY2(item->isEnabled(), qPrintable(item->objectName()));
        }
    }

    // The chooser loads the code files the user chose, not every one of their folder.
    void codeFilesChooserLoadsTheChosenFilesAndKeepsTheSources() {
        Fixture f;
        QTemporaryDir codes;
        for (const char* name : {"html.wp#", "tex.wp#"})
            QVERIFY(QFile::copy(QString(LEXMORA_BIN_DIR "/codes/") + name, codes.filePath(name)));
        f.state.CodeFolder = codes.path().toStdString();
        f.state.SourceFilesSaved = {"keep.txt"};
        f.state.SourceFileCount = 1;
        ui::frmConShell window(f.state, f.start, f.prompter);
        QVERIFY(window.findChild<QAction*>("mnuWProc3") == nullptr);

        QString caption;
        whenModal([&caption](QWidget* modal) {
            caption = modal->windowTitle();
            auto* files = modal->findChild<QListWidget*>("filList");
            QCOMPARE(files->count(), 2);
            files->item(0)->setSelected(true);
            modal->findChild<QPushButton*>("cmdOK")->click();
        });
        window.findChild<QAction*>("mnuWPCodes")->trigger();
        QCOMPARE(caption, QString(" Searching for Code Files "));
        QCOMPARE(f.state.CodeCount, 3);
        QCOMPARE(f.state.CodeMode, 0);
        QCOMPARE(f.state.CodeFolder, codes.path().toStdString());
        QVERIFY(window.findChild<QAction*>("mnuWProc3") != nullptr);
        QVERIFY(window.findChild<QAction*>("mnuWProc4") == nullptr);
        QVERIFY(window.findChild<QAction*>("mnuWProc0")->isChecked());
        QCOMPARE(window.findChild<QLabel*>("lblWordprocessorText")->text(), QString("Automatic"));
        QCOMPARE(f.state.SourceFilesSaved, std::vector<std::string>{"keep.txt"});
        QCOMPARE(f.state.SourceFileCount, 1LL);

        // Cancel changes nothing.
        whenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
        window.findChild<QAction*>("mnuWProc1")->trigger();
        window.findChild<QAction*>("mnuWPCodes")->trigger();
        QCOMPARE(f.state.CodeCount, 3);
        QCOMPARE(f.state.CodeMode, 1);
    }

    void keywordItemsAndLabelOpenKeywordEntry() {
        struct Case {
            const char* what;
            std::function<void(ui::frmConShell&)> act;
        };
        const Case cases[] = {
            {"Keyword Files",
             [](ui::frmConShell& w) { w.findChild<QAction*>("mnuStringFiles")->trigger(); }},
            {"double click",
             [](ui::frmConShell& w) {
                 QTest::mouseDClick(w.findChild<QLabel*>("lblStringsText"), Qt::LeftButton);
             }},
            {"right click",
             [](ui::frmConShell& w) {
                 QTest::mousePress(w.findChild<QLabel*>("lblStrings"), Qt::RightButton);
             }},
        };
        for (const Case& c : cases) {
            Fixture f;
            ui::frmConShell window(f.state, f.start, f.prompter);
            QStringList seen;
            bool done = false;
            cancelModals(seen, done);
            c.act(window);
            done = true;
            QVERIFY2(!seen.isEmpty(), c.what);
            QVERIFY2(seen.contains("frmStrings") || seen.contains("frmGetFiles"),
                     qPrintable(QString(c.what) + ": " + seen.join(",")));
        }
    }

    void activationShowsTheLanguageAnotherWindowChose() {
        Fixture f;
        ui::frmConShell window(f.state, f.start, f.prompter);
        ApplyLanguage(f.state, LanguageId::Italian); // as the keyword window does
        QEvent activation(QEvent::ActivationChange);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QApplication::sendEvent(&window, &activation);
        QCOMPARE(window.findChild<QLabel*>("lblLanguageText")->text(), QString("Italian"));
        QVERIFY(window.findChild<QAction*>("mnuItalian")->isChecked());
        QVERIFY(window.findChild<QLabel*>("imgLanguage3")->isVisibleTo(&window));
        QVERIFY(!window.findChild<QLabel*>("imgLanguage1")->isVisibleTo(&window));
    }

    void greyedOptionsSayWhy() {
        Fixture f;
        f.state.Keywords = {"chat"};
        ui::frmConShell window(f.state, f.start, f.prompter);
        auto* single = window.findChild<QCheckBox*>("chkSingle");
        auto* ascii = window.findChild<QRadioButton*>("optAscii");
        QVERIFY(!ascii->isEnabled());
        QVERIFY(ascii->toolTip().contains("Save to File"));
        window.findChild<QCheckBox*>("chkSave")->setChecked(true);
        QVERIFY(ascii->isEnabled());
        QVERIFY(ascii->toolTip().isEmpty());
        QVERIFY(!single->isEnabled());
        QVERIFY(single->toolTip().contains("more than one keyword"));
    }
};

QTEST_MAIN(FrmConShellMenusTest)
#include "frmConShell_menus_test.moc"
