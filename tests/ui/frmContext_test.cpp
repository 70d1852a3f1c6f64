// The context-settings dialog, offscreen: what its boxes take, their limit, the roles' rules,
// and the hand-over to the state on OK only.
#include "ui/frmConShell.h"
#include "ui/frmContext.h"

#include "core/settings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace lexmora;

class FrmContextTest : public QObject {
    Q_OBJECT

    template <typename T> static T* child(QWidget& window, const char* name) {
        T* found = window.findChild<T*>(name);
        if (found == nullptr)
            qFatal("no child %s", name);
        return found;
    }
    static void retype(QLineEdit* box, const QString& keys) {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, keys);
    }

private Q_SLOTS:
    void nextWordMatchShowsOnlyItsOwnValues() {
        ProgramState state;
        ui::frmContext dialog(state);
        dialog.prepareNextWordMatch();
        dialog.loadValues(1, 0);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("Next Word Match"));
        QCOMPARE(dialog.findChild<QLabel*>("lblEnterContexts")->text(),
                 QString("ENTER VALUES BELOW"));
        QCOMPARE(dialog.findChild<QLabel*>("lblContextLeft")->text(),
                 QString(" position to right of next word to match"));
        for (const char* option : {"chkColumnView", "chkSortKeyword", "optWhole", "optPart"})
            QVERIFY2(!dialog.findChild<QWidget*>(option)->isVisibleTo(&dialog), option);
        QCOMPARE(dialog.findChild<QScrollBar*>("vscLeft")->maximum(), 50);
        QCOMPARE(dialog.findChild<QScrollBar*>("vscRight")->maximum(), 50);
    }

    void startsFromTheStateWithItsCaptions() {
        ProgramState state;
        state.LeftContext = 80;
        state.RightContext = 120;
        ui::frmContext dialog(state);
        dialog.prepareContextSettings();
        QCOMPARE(dialog.windowTitle(), QString("Context Settings"));
        QCOMPARE(child<QLabel>(dialog, "lblEnterContexts")->text(),
                 QString("ENTER NEW VALUES FOR CONTEXT"));
        QCOMPARE(child<QLabel>(dialog, "lblContextLeft")->text(),
                 QString("    Characters to left of keyword"));
        QCOMPARE(child<QLineEdit>(dialog, "txtContextLeft")->text(), QString("80"));
        QCOMPARE(child<QLineEdit>(dialog, "txtContextRight")->text(), QString("120"));
        QCOMPARE(child<QScrollBar>(dialog, "vscLeft")->value(), 80);
        QCOMPARE(child<QScrollBar>(dialog, "vscRight")->maximum(), 550);
        dialog.show();
        QVERIFY(!child<QWidget>(dialog, "pctContext")->isVisible()); // shrunk in this role
        QVERIFY(child<QScrollBar>(dialog, "vscLeft")->isVisible());
    }

    void typingIsLimited() {
        ProgramState state;
        ui::frmContext dialog(state);
        dialog.prepareContextSettings();
        dialog.show();
        QLineEdit* left = child<QLineEdit>(dialog, "txtContextLeft");
        struct Case {
            const char* keys;
            const char* shown;
        };
        const Case cases[] = {{"600", "550"}, {"a-5x", "5"},  {"12.5", "125"},
                              {"abc", ""},    {"549", "549"}, {"5555", "550"}};
        for (const Case& c : cases) {
            retype(left, c.keys);
            QCOMPARE(left->text(), QString(c.shown));
        }
        // A paste is cleaned like typing.
        left->setText("7b0");
        QCOMPARE(left->text(), QString("70"));
        // Tab leaves the box for the next one, typing nothing.
        retype(left, "300");
        left->setFocus();
        QTest::keyClick(left, Qt::Key_Tab);
        QCOMPARE(left->text(), QString("300"));
        QVERIFY(!left->hasFocus());
        // Moving a bar writes its box.
        child<QScrollBar>(dialog, "vscRight")->setValue(42);
        QCOMPARE(child<QLineEdit>(dialog, "txtContextRight")->text(), QString("42"));
        // An empty box gives 0 on OK.
        retype(left, "");
        child<QPushButton>(dialog, "cmdOK")->click();
        QCOMPARE(dialog.tag(), QString("Ok"));
        QCOMPARE(state.LeftContext, 0);
        QCOMPARE(state.RightContext, 42);
    }

    // Enter in a box moves its bar to the value typed and confirms the dialog with it.
    void enterConfirmsWithTheValueTyped() {
        ProgramState state;
        ui::frmContext dialog(state);
        dialog.prepareContextSettings();
        dialog.show();
        QLineEdit* left = child<QLineEdit>(dialog, "txtContextLeft");
        retype(left, "300");
        QTest::keyClick(left, Qt::Key_Return);
        QCOMPARE(child<QScrollBar>(dialog, "vscLeft")->value(), 300);
        QCOMPARE(dialog.tag(), QString("Ok"));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(state.LeftContext, 300);
    }

    void sortOnKeywordAndOneSideOnly() {
        ProgramState state;
        ui::frmContext dialog(state);
        dialog.setRole(ContextRole::Sort, kSortRoleTag);
        dialog.loadValues(3, 0);
        dialog.show();
        QCheckBox* sort = child<QCheckBox>(dialog, "chkSortKeyword");
        QLineEdit* left = child<QLineEdit>(dialog, "txtContextLeft");
        QLineEdit* right = child<QLineEdit>(dialog, "txtContextRight");
        sort->setChecked(true);
        QCOMPARE(left->text(), QString("0"));
        QCOMPARE(right->text(), QString("0"));
        QCOMPARE(sort->property("tag").toString(), QString("-1"));
        retype(right, "5");
        QVERIFY(!sort->isChecked());
        QCOMPARE(sort->property("tag").toString(), QString("0"));
        // Only one side may be non-zero.
        retype(left, "2");
        QCOMPARE(right->text(), QString("0"));
        QCOMPARE(child<QScrollBar>(dialog, "vscRight")->value(), 0);
        child<QPushButton>(dialog, "cmdOK")->click();
        QCOMPARE(dialog.leftValue(), 2);
        QCOMPARE(state.LeftContext, 200); // the sort role leaves the context widths alone
    }

    void scaledRoleHidesTheBars() {
        ProgramState state;
        ui::frmContext dialog(state);
        dialog.setRole(ContextRole::Extract, "Extract", 4);
        dialog.loadValues(0, 0);
        dialog.show();
        QVERIFY(!child<QScrollBar>(dialog, "vscLeft")->isVisible());
        QLineEdit* left = child<QLineEdit>(dialog, "txtContextLeft");
        retype(left, "3000");
        QCOMPARE(left->text(), QString("2200")); // 550 times the scale
        QCOMPARE(dialog.leftValue(), 550);
    }

    // Through the main window: OK hands the widths over and the panel reads "chars.";
    // Cancel leaves both the state and the panel as they were.
    void mainWindowOkAndCancel() {
        QTemporaryDir folder;
        ProgramState state;
        const std::string path = folder.path().toStdString();
        LoadSettings(state, SettingsEnvironment{path, path, ""});
        StartValues start = TakeStartValues(state);
        ScriptedPrompter prompter({});
        ui::frmConShell window(state, start, prompter);
        QLabel* panel = child<QLabel>(window, "lblContextText");
        const QString before = panel->text();

        auto answer = [](const char* left, const char* right, bool ok) {
            QTimer::singleShot(0, [=] {
                auto* dialog = qobject_cast<ui::frmContext*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                dialog->findChild<QLineEdit*>("txtContextLeft")->setText(left);
                dialog->findChild<QLineEdit*>("txtContextRight")->setText(right);
                dialog->findChild<QPushButton*>(ok ? "cmdOK" : "cmdCancel")->click();
            });
        };
        answer("80", "90", false);
        child<QAction>(window, "mnuContext")->trigger();
        QCOMPARE(state.LeftContext, 200);
        QCOMPARE(state.RightContext, 200);
        QCOMPARE(panel->text(), before);

        answer("80", "90", true);
        child<QAction>(window, "mnuContext")->trigger();
        QCOMPARE(state.LeftContext, 80);
        QCOMPARE(state.RightContext, 90);
        QCOMPARE(panel->text(), QString("left = 80 chars. / right = 90 chars."));
        window.refreshPanel(); // activation keeps the dialog's wording
        QCOMPARE(panel->text(), QString("left = 80 chars. / right = 90 chars."));
    }
};

QTEST_MAIN(FrmContextTest)
#include "frmContext_test.moc"
