// The text entry dialog: the name rules per keystroke, the length limit with its message, the
// number check, and the result.
#include "ui/frmEnterText.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace lexmora;

class FrmEnterTextTest : public QObject {
    Q_OBJECT

    static QLineEdit* entry(ui::frmEnterText& dialog) {
        return dialog.findChild<QLineEdit*>("txtEnter");
    }

private Q_SLOTS:
    void colonIsIgnoredWithoutMessage() {
        SilentPrompter prompter;
        ui::frmEnterText dialog(prompter);
        dialog.setMode("File");
        dialog.setMaxLength(50);
        dialog.show();
        QTest::keyClicks(entry(dialog), "a:b*c");
        QCOMPARE(entry(dialog)->text(), QString("abc"));
        QVERIFY(prompter.shown.empty());
    }

    void fiftyFirstCharacterIsRefused() {
        SilentPrompter prompter;
        ui::frmEnterText dialog(prompter);
        dialog.setMode("File");
        dialog.setMaxLength(50);
        dialog.show();
        QTest::keyClicks(entry(dialog), QString(51, 'x'));
        QCOMPARE(entry(dialog)->text(), QString(50, 'x'));
        QCOMPARE(prompter.shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(prompter.shown[0].text),
                 QString("Please use no more than 50 characters"));
    }

    void fullFile1NameOpensTheExtension() {
        SilentPrompter prompter;
        ui::frmEnterText dialog(prompter);
        dialog.setMode("File1");
        dialog.setMaxLength(4);
        dialog.show();
        QTest::keyClicks(entry(dialog), "abcdx");
        QCOMPARE(entry(dialog)->text(), QString("abcd."));
        QVERIFY(prompter.shown.empty());
    }

    void pastedTextFollowsTheRules() {
        SilentPrompter prompter;
        ui::frmEnterText dialog(prompter);
        dialog.setMode("File");
        dialog.setMaxLength(5);
        entry(dialog)->setText("a/b:c\"defgh");
        QCOMPARE(entry(dialog)->text(), QString("abcde"));
    }

    void letterInNumericModeShowsTheMessage() {
        SilentPrompter prompter;
        ui::frmEnterText dialog(prompter);
        dialog.setMode("Numeric");
        dialog.show();
        QTest::keyClicks(entry(dialog), "1");
        QVERIFY(prompter.shown.empty());
        QTest::keyClicks(entry(dialog), "a");
        QCOMPARE(prompter.shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(prompter.shown[0].title), QString(" Invalid entry!"));
    }

    void enterAcceptsAndCancelClears() {
        SilentPrompter prompter;
        ui::frmEnterText dialog(prompter);
        files::TextEntryRequest request;
        request.mode = files::EntryMode::File;
        request.prompt = "Please enter new name below (max. 50 characters)";
        request.startText = "caf\xE9";
        request.extension = ".flist";
        dialog.configure(request);
        dialog.show();
        QCOMPARE(entry(dialog)->selectedText(), QString::fromUtf8("café"));
        QVERIFY(dialog.findChild<QLineEdit*>("txtExtension")->isVisible());
        QTest::keyClick(entry(dialog), Qt::Key_End);
        QTest::keyClicks(entry(dialog), "s");
        QTest::keyClick(entry(dialog), Qt::Key_Return);
        QVERIFY(dialog.resultOk());
        QCOMPARE(QString::fromLatin1(dialog.text().c_str()), QString::fromLatin1("caf\xE9s"));
        QCOMPARE(dialog.windowTitle(), QString("  Enter text"));

        ui::frmEnterText other(prompter);
        other.show();
        other.findChild<QPushButton*>("cmdCancel")->click();
        QVERIFY(!other.resultOk());
        QVERIFY(other.result().isEmpty());
        QVERIFY(other.isHidden());
    }
};

QTEST_MAIN(FrmEnterTextTest)
#include "frmEnterText_test.moc"
