// The record details window: each button posts its command for the viewer's loop and hides the
// window; Close posts nothing; Ctrl+W switches the access of opened files after asking.
#include "ui/frmShowText.h"

#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

using namespace lexmora;

class FrmShowTextTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void buttonsPostTheirCommands() {
        struct Case {
            const char* button;
            bool details;
            std::optional<ViewerCommand> posted;
        };
        const Case cases[] = {
            {"cmdCopy", true, ClipboardFlag{ClipboardAction::CopyShownDetails}},
            {"cmdCopy", false, ClipboardFlag{ClipboardAction::CopyShownText}},
            {"cmdPrint", true, PrintTextFlag{PrintedText::ShownDetails}},
            {"cmdPrint", false, PrintTextFlag{PrintedText::ShownText}},
            {"cmdSave", false, DetailsSaveFlag{false}},
            {"cmdFile", true, OpenSourceFlag{}},
            {"cmdExit", true, std::nullopt},
        };
        for (const Case& c : cases) {
            ProgramState state;
            ViewerCommandQueue commands;
            ui::frmShowText window(state, commands, nullptr);
            window.findChild<QCheckBox*>("chkSaveDetails")->setChecked(c.details);
            window.show();
            window.findChild<QPushButton*>(c.button)->click();
            QVERIFY2(!window.isVisible(), c.button);
            QCOMPARE(commands.take(), c.posted);
        }
    }

    // The hit is marked where it stands, whatever line it is on (CR LF line ends before it).
    void hitIsMarkedWhereItStands() {
        ProgramState state;
        ViewerCommandQueue commands;
        ui::frmShowText window(state, commands, nullptr);
        const std::string text =
            "record no. = 2\r\npath = x\r\n\r\nThe cat sat. A walking cat ran.";
        window.setText(text, {text.rfind("cat"), 3});
        QCOMPARE(window.markedText(), QString("cat"));
        window.setText(text, {text.find("walking"), 7});
        QCOMPARE(window.markedText(), QString("walking"));
        window.setText(text, {});
        QCOMPARE(window.markedText(), QString());
    }

    void ctrlWSwitchesFileAccessAfterAsking() {
        ProgramState state;
        state.WriteToFiles = false;
        ScriptedPrompter prompter({Answer::Yes, Answer::Yes, Answer::No});
        ViewerCommandQueue commands;
        ui::frmShowText window(state, commands, &prompter);
        window.show();
        QTest::keyClick(&window, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(state.WriteToFiles);
        QTest::keyClick(&window, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!state.WriteToFiles);
        QTest::keyClick(&window, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!state.WriteToFiles);
        QCOMPARE(prompter.shown.size(), std::size_t{3});
        QCOMPARE(prompter.shown[0].title, std::string(" File access"));
        QVERIFY(commands.empty());
    }
};

QTEST_MAIN(FrmShowTextTest)
#include "frmShowText_test.moc"
