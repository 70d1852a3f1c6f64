// Escape closes every dialog as its Cancel does: the dialog is rejected and nothing it would
// have changed is changed.
#include "ui/frmContext.h"
#include "ui/frmEnterText.h"
#include "ui/frmGetDir.h"
#include "ui/frmGetFiles.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace lexmora;

class DialogEscapeTest : public QObject {
    Q_OBJECT

    // Shows the dialog modally and presses Escape in whatever widget has the focus.
    static int escapeFrom(QDialog& dialog) {
        QTimer::singleShot(0, &dialog, [&dialog] {
            QWidget* focus = dialog.focusWidget(); // where the dialog put its focus
            QTest::keyClick(focus != nullptr ? focus : &dialog, Qt::Key_Escape);
            // A dialog that ignored the key is closed here, and the test fails on its result.
            QTimer::singleShot(50, &dialog, [&dialog] { dialog.done(42); });
        });
        return dialog.exec();
    }

private Q_SLOTS:
    void escapeCancels() {
        ProgramState state;
        state.LeftContext = 40;
        state.RightContext = 50;
        SilentPrompter prompter;
        struct Case {
            const char* what;
            std::function<std::unique_ptr<QDialog>()> make;
        };
        const Case cases[] = {
            {"Context Settings", [&] { return std::make_unique<ui::frmContext>(state); }},
            {"Next Word Match",
             [&] {
                 auto dialog = std::make_unique<ui::frmContext>(state);
                 dialog->setRole(ContextRole::NextWordMatch, "Next Word Match");
                 dialog->loadValues(3, 1);
                 return dialog;
             }},
            {"text entry", [&] { return std::make_unique<ui::frmEnterText>(prompter); }},
            {"folder chooser", [&] { return std::make_unique<ui::frmGetDir>(state, prompter); }},
            {"file chooser",
             [&] {
                 auto dialog = std::make_unique<ui::frmGetFiles>(state, prompter);
                 dialog->prepare(files::kSearchFilesCaption);
                 return dialog;
             }},
        };
        for (const Case& c : cases) {
            std::unique_ptr<QDialog> dialog = c.make();
            QVERIFY2(escapeFrom(*dialog) == QDialog::Rejected, c.what);
            if (auto* context = qobject_cast<ui::frmContext*>(dialog.get()))
                QVERIFY2(context->tag() != "Ok", c.what);
            QCOMPARE(state.LeftContext, 40);
            QCOMPARE(state.RightContext, 50);
        }
    }
};

QTEST_MAIN(DialogEscapeTest)
#include "dialog_escape_test.moc"
