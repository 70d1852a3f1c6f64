// Every control a user can reach with the keyboard on the main window and on the viewer (in
// both its views, with the number box open) has a name a screen reader can say: its own
// accessible name, its caption, or the label that is its buddy.
#include "support/saved_search.h"

#include "core/settings.h"
#include "ui/frmConShell.h"
#include "ui/frmViewCount.h"
#include "ui/frmViewScreen.h"
#include "ui/kwic_table_view.h"
#include "ui/qt_printer.h"
#include "ui/viewer_screen_qt.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace lexmora;

namespace {

const QString kSamples = QString(LEXMORA_BIN_DIR) + "/samples";

// The focusable controls shown in `window` that have no name to be read out.
QStringList unnamedControls(QWidget* window) {
    QStringList unnamed;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->isWindow() || !widget->isVisibleTo(window) ||
            !(widget->focusPolicy() & Qt::TabFocus))
            continue;
        // A scroll area's viewport and a combo box's line edit are parts of their owner.
        if (widget->parentWidget() != nullptr &&
            (widget->objectName() == "qt_scrollarea_viewport" ||
             widget->parentWidget()->inherits("QComboBox")))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        const QString name =
            accessible != nullptr ? accessible->text(QAccessible::Name).trimmed() : QString();
        if (name.isEmpty())
            unnamed << QString("%1 (%2)").arg(widget->objectName(),
                                              widget->metaObject()->className());
    }
    return unnamed;
}

} // namespace

class AccessibleNamesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mainWindow() {
        QTemporaryDir dir;
        ProgramState state;
        const std::string home = dir.path().toStdString();
        LoadSettings(state, SettingsEnvironment{home, home, ""});
        state.InstallFolder = LEXMORA_BIN_DIR;
        state.SourceDirectory = kSamples.toStdString();
        StartValues start = TakeStartValues(state);
        SilentPrompter prompter;
        ui::frmConShell window(state, start, prompter);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QStringList unnamed = unnamedControls(&window);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
    }

    // The word count's panel, its results and the frequency viewer.
    void countAndFrequencyViewer() {
        QTemporaryDir dir;
        ProgramState state;
        const std::string home = dir.path().toStdString();
        LoadSettings(state, SettingsEnvironment{home, home, ""});
        ApplyLanguage(state, LanguageId::English);
        state.InstallFolder = LEXMORA_BIN_DIR;
        state.SourceDirectory = kSamples.toStdString();
        state.TempDirectory = home;
        state.FrequencyFilesDirectory = home;
        state.AllFilesInFolder = true;
        state.SourceFileType = "*.txt";
        state.SourceFileCount = 6;
        SilentPrompter prompter;
        ui::frmViewCount window(state, prompter);
        window.ShowSelection();
        window.findChild<QLineEdit*>("txtUserInput")->setText("samples");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY2(unnamedControls(&window).isEmpty(),
                 qPrintable(unnamedControls(&window).join(", ")));
        window.pressStart();
        QApplication::processEvents();
        QVERIFY2(unnamedControls(&window).isEmpty(),
                 qPrintable(unnamedControls(&window).join(", ")));
        window.pressStart(); // Continue: the viewer
        window.post(FrequencySortCommand{FrequencySort::Descending});
        QApplication::processEvents();
        QVERIFY2(unnamedControls(&window).isEmpty(),
                 qPrintable(unnamedControls(&window).join(", ")));
    }

    void viewerInBothViews() {
        QTemporaryDir dir;
        const std::string results = test::SearchAndSave(
            kSamples.toStdString() + "/", {"english.txt"}, "the", dir.path().toStdString(), 30);
        QVERIFY(!results.empty());
        ProgramState state;
        state.AdvancedUser = true;
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        ui::QtPrinter printer(&screen);
        ui::QtViewerScreen adapter(screen, state, &prompter, &printer);
        screen.prepareForViewing(20);
        auto viewer = ResultViewer::open(results, prompter);
        QVERIFY(viewer.ok());
        adapter.showFile(*viewer, 0, 1);
        adapter.drawPage(*viewer, state);
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QVERIFY2(unnamedControls(&screen).isEmpty(),
                 qPrintable(unnamedControls(&screen).join(", ")));
        // The column-width box of the column view.
        state.ColumnView = true;
        screen.RedrawColumns();
        QVERIFY2(unnamedControls(&screen).isEmpty(),
                 qPrintable(unnamedControls(&screen).join(", ")));
        state.ColumnView = false;
        screen.RedrawColumns();
        screen.setTableView(true);
        QVERIFY(screen.table()->isVisible());
        QVERIFY2(unnamedControls(&screen).isEmpty(),
                 qPrintable(unnamedControls(&screen).join(", ")));
    }
};

QTEST_MAIN(AccessibleNamesTest)
#include "accessible_names_test.moc"
