// Every control a user can reach with the keyboard on the main window and on the viewer (in
// both its views, with the number box open) has a name a screen reader can say: its own
// accessible name, its caption, or the label that is its buddy. Every other dialog and window of
// the desktop, opened as the program opens it, is walked the same way, and more: Tab from where
// the dialog puts the focus (or a mnemonic) reaches each of its controls, Escape cancels it, and
// Enter confirms the dialogs that take values.
#include "support/saved_search.h"

#include "core/settings.h"
#include "files/file_chooser.h"
#include "ui/clusters_window.h"
#include "ui/code_files_qt.h"
#include "ui/collocates_window.h"
#include "ui/frmCollocation.h"
#include "ui/frmConShell.h"
#include "ui/frmContext.h"
#include "ui/frmEnterText.h"
#include "ui/frmGetDir.h"
#include "ui/frmGetFiles.h"
#include "ui/frmShowText.h"
#include "ui/frmStrings.h"
#include "ui/frmTextView.h"
#include "ui/frmViewCount.h"
#include "ui/frmViewScreen.h"
#include "ui/keyness_window.h"
#include "ui/kwic_table_view.h"
#include "ui/ngrams_window.h"
#include "ui/plot_window.h"
#include "ui/qt_printer.h"
#include "ui/table_window.h"
#include "ui/viewer_dialogs_qt.h"
#include "ui/viewer_on_screen.h"
#include "ui/viewer_screen_qt.h"
#include "viewer/record_details.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace lexmora;

namespace {

const QString kSamples = QString(LEXMORA_BIN_DIR) + "/samples";

// The controls of `window` a user can move the focus to: shown, and taking the focus by Tab.
// A scroll area's viewport and the line edit of a combo or spin box are parts of their owner.
QList<QWidget*> focusableControls(QWidget* window) {
    QList<QWidget*> controls;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->isWindow() || !widget->isVisibleTo(window) ||
            !(widget->focusPolicy() & Qt::TabFocus))
            continue;
        if (widget->parentWidget() != nullptr &&
            (widget->objectName() == "qt_scrollarea_viewport" ||
             widget->parentWidget()->inherits("QComboBox") ||
             widget->parentWidget()->inherits("QAbstractSpinBox")))
            continue;
        controls << widget;
    }
    return controls;
}

QString describe(const QWidget* widget) {
    return QString("%1 (%2)").arg(widget->objectName(), widget->metaObject()->className());
}

// The focusable controls shown in `window` that have no name to be read out.
QStringList unnamedControls(QWidget* window) {
    QStringList unnamed;
    for (QWidget* widget : focusableControls(window)) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        const QString name =
            accessible != nullptr ? accessible->text(QAccessible::Name).trimmed() : QString();
        if (name.isEmpty())
            unnamed << describe(widget);
    }
    return unnamed;
}

bool hasMnemonic(const QString& text) {
    return !QKeySequence::mnemonic(text).isEmpty();
}

// Whether a mnemonic of its own, or of the label that is its buddy, moves the focus to `control`.
bool reachedByMnemonic(QWidget* window, QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control);
        button && hasMnemonic(button->text()))
        return true;
    for (const QLabel* label : window->findChildren<QLabel*>())
        if (label->buddy() == control && label->isVisibleTo(window) && hasMnemonic(label->text()))
            return true;
    return false;
}

// The controls of `window` that neither Tab, pressed from where the window put the focus, nor a
// mnemonic reaches: a control that keeps the Tab key to itself (a table moving between its
// cells, an editor inserting it) leaves the controls after it out.
QStringList unreachableControls(QWidget* window) {
    // A loaded machine may be slow to give the window the focus: wait for it.
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window->window(), 5000);
    QApplication::processEvents();
    const QList<QWidget*> controls = focusableControls(window);
    QWidget* const start = QApplication::focusWidget();
    QSet<QWidget*> reached;
    for (int press = 0; press < 2 * controls.size() + 2; ++press) {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr || !window->isAncestorOf(focus))
            break;
        for (QWidget* up = focus; up != nullptr && up != window; up = up->parentWidget())
            reached.insert(up); // a spin box's line edit stands for its box
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    if (start != nullptr)
        start->setFocus(Qt::OtherFocusReason); // the keys to come are pressed from the start
    // Tab stops at the chosen one of a group of radio buttons; the arrow keys move among them.
    for (QWidget* control : controls)
        if (qobject_cast<QRadioButton*>(control) != nullptr && reached.contains(control))
            for (QRadioButton* sibling :
                 control->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
                reached.insert(sibling);
    QStringList unreachable;
    for (QWidget* control : controls)
        if (control->isEnabled() && !reached.contains(control) &&
            !reachedByMnemonic(window, control))
            unreachable << describe(control);
    return unreachable;
}

// How a walked window was left.
enum class Left { Confirmed, Cancelled, StillOpen };

const char* nameOf(Left left) {
    return left == Left::Confirmed ? "confirmed" : left == Left::Cancelled ? "cancelled" : "open";
}

// One window of the desktop as a user opens it. `run` shows it and returns when it is closed,
// true when it was confirmed; `shown` finds it while it is up (the modal window unless given);
// `close` shuts it as a user who gives up would (a dialog's reject unless given).
struct Opening {
    Opening(QString name_, bool confirms_, std::function<bool()> run_,
            std::function<QWidget*()> shown_ = {}, std::function<void(QWidget*)> close_ = {})
        : name(std::move(name_)), confirms(confirms_), run(std::move(run_)),
          shown(std::move(shown_)), close(std::move(close_)) {}
    QString name;
    bool confirms = false; // a dialog that takes values: Enter confirms it
    std::function<bool()> run;
    std::function<QWidget*()> shown;
    std::function<void(QWidget*)> close;
};

QWidget* modalWindow() {
    QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr && modal->isVisible() ? modal : nullptr;
}

void closeAsCancel(QWidget* window) {
    if (auto* dialog = qobject_cast<QDialog*>(window))
        dialog->reject();
    else
        window->close();
}

// Opens the window, runs `step` on it once `shown` finds it (looking every 10 ms), then presses
// `key` where the focus is, once it is in the window; a window the key leaves open is shut two
// seconds later. Both timers are this call's own, so none of them outlives it to act on the next
// window.
Left openAndPress(const Opening& opening, const std::function<void(QWidget*)>& step, int key) {
    const auto shown = opening.shown ? opening.shown : modalWindow;
    const auto close = opening.close ? opening.close : closeAsCancel;
    bool forced = false;
    QTimer look;
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
        if (QWidget* still = shown()) {
            forced = true;
            close(still);
        }
    });
    int looks = 0;
    QObject::connect(&look, &QTimer::timeout, [&] {
        QWidget* window = shown();
        if (window == nullptr)
            return;
        // A loaded machine may show the window before the focus reaches it: the key goes where
        // a user's would, once it has (or after two seconds, to the window itself).
        QWidget* focus = QApplication::focusWidget();
        const bool focused = focus != nullptr && window->isAncestorOf(focus);
        if (!focused && ++looks < 200)
            return;
        look.stop();
        step(window);
        focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr && window->isAncestorOf(focus) ? focus : window,
                        Qt::Key(key));
        giveUp.start(2000);
    });
    look.start(10);
    const bool confirmed = opening.run();
    QApplication::processEvents();
    if (forced)
        return Left::StillOpen;
    return confirmed ? Left::Confirmed : Left::Cancelled;
}

// Every fault of one window: unnamed and unreachable controls, Escape not cancelling it, and for
// a dialog that takes values, Enter not confirming it.
QStringList faultsOf(const Opening& opening) {
    QStringList faults;
    const Left escaped = openAndPress(
        opening,
        [&](QWidget* window) {
            for (const QString& control : unnamedControls(window))
                faults << opening.name + ": no name: " + control;
            for (const QString& control : unreachableControls(window))
                faults << opening.name + ": not reached by the keyboard: " + control;
        },
        Qt::Key_Escape);
    if (escaped != Left::Cancelled)
        faults << opening.name + ": Escape left it " + nameOf(escaped);
    if (opening.confirms) {
        const Left entered = openAndPress(
            opening, [](QWidget*) {}, Qt::Key_Return);
        if (entered != Left::Confirmed)
            faults << opening.name + ": Enter left it " + nameOf(entered);
    }
    return faults;
}

// Shows a dialog modally; true when it was accepted.
bool accepted(QDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

class AccessibleNamesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    ProgramState settledState() {
        ProgramState state;
        const std::string home = m_dir.path().toStdString();
        LoadSettings(state, SettingsEnvironment{home, home, ""});
        ApplyLanguage(state, LanguageId::English);
        state.InstallFolder = LEXMORA_BIN_DIR;
        state.SourceDirectory = kSamples.toStdString();
        state.DialogFolder = state.SourceDirectory;
        state.DialogPattern = "*.*";
        state.TempDirectory = home;
        state.FrequencyFilesDirectory = home;
        state.Keywords = {"maison", "house*"};
        state.KeywordCase = {false, false};
        state.AdvancedUser = true;
        return state;
    }

private Q_SLOTS:
    // Every dialog and window the desktop opens besides the main window, the word count and the
    // viewer: one table of how each is opened, walked by one check.
    void everyDialogAndWindow() {
        const std::string results =
            test::SearchAndSave(kSamples.toStdString() + "/", {"english.txt", "francais.txt"},
                                "the", m_dir.path().toStdString(), 30);
        QVERIFY(!results.empty());
        ProgramState state = settledState();
        SilentPrompter prompter;
        test::ViewerOnScreen shown(state, prompter, 20);
        QVERIFY(shown.open(results));
        shown.draw();
        ui::frmViewScreen& screen = shown.screen;
        ui::QtViewerScreen& adapter = shown.adapter;
        auto& viewer = shown.viewer;
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        const auto details = ExpandRecord(*viewer, 2, std::nullopt, &state);
        QVERIFY(details.ok());
        viewer->Sort(SortMode::WordBeginning, 0, 1, state.RightContext);
        const auto collocation = viewer->Collocate();
        QVERIFY(collocation.ok());

        const auto contextDialog = [&](const std::function<void(ui::frmContext&)>& prepare) {
            return [&state, prepare] {
                ui::frmContext dialog(state);
                prepare(dialog);
                dialog.exec();
                return dialog.tag() == "Ok";
            };
        };
        const auto tableWindow = [](const std::function<ui::TableWindow*()>& make) {
            return [make] {
                std::unique_ptr<ui::TableWindow> window(make());
                // Some open beside their owner and go when closed; here they run modal.
                window->setAttribute(Qt::WA_DeleteOnClose, false);
                window->hide();
                return accepted(*window);
            };
        };
        const std::vector<Opening> openings = {
            {"keyword window", false,
             [&] {
                 ui::KeywordWindowHooks hooks;
                 ui::frmStrings window(state, prompter, hooks, nullptr);
                 return window.prepare(false) && accepted(window);
             }},
            {"context settings", true, [&] { return ui::RunContextSettings(state, nullptr); }},
            {"next word match", true, contextDialog([](ui::frmContext& dialog) {
                 dialog.prepareNextWordMatch();
                 dialog.loadValues(3, 0);
             })},
            {"frequency range", true, contextDialog([](ui::frmContext& dialog) {
                 dialog.prepareRange({"Select minimum and maximum values for printing wordcount "
                                      "details",
                                      "   single column", "   double column"},
                                     1, 500);
             })},
            {"sort (three keys)", true,
             [&] {
                 state.LeftContext = 30;
                 return ui::AskSortPositions(state, false, nullptr).has_value();
             }},
            {"extract range", true,
             [&] {
                 return ui::AskExtractRange(state, "save", ExtractRange{1, 5}, false, 20, nullptr)
                     .has_value();
             }},
            {"every nth", true, [&] { return screen.askStepN(2).has_value(); },
             [&]() -> QWidget* {
                 auto* panel = screen.findChild<QWidget*>("picEnterNumber");
                 return panel != nullptr && panel->isVisible() ? panel : nullptr;
             },
             [&](QWidget*) { screen.cancelNumberEntry(); }},
            {"find in lines", true, [&] { return adapter.askFindWord("the").has_value(); }},
            {"record details", false,
             [&] {
                 ui::frmShowText window(state, screen.commands(), &prompter);
                 window.showText(DetailsText(*details), DetailsHitSpan(*details));
                 return window.result() == QDialog::Accepted;
             }},
            {"collocation on sort", false,
             [&] {
                 ui::frmCollocation window(*collocation);
                 return accepted(window);
             }},
            {"file chooser", true,
             [&] {
                 ui::frmGetFiles chooser(state, prompter);
                 chooser.prepare(files::kSearchFilesCaption);
                 chooser.exec();
                 return chooser.resultOk();
             }},
            {"folder chooser", true,
             [&] {
                 ui::frmGetDir chooser(state, prompter);
                 chooser.exec();
                 return chooser.resultOk();
             }},
            // Its Enter is the file chooser's, walked above: nothing is chosen here to confirm.
            {"code files", false, [&] { return ui::ChooseCodeFiles(state, prompter, nullptr); }},
            {"text entry", true,
             [&] {
                 ui::frmEnterText entry(prompter);
                 entry.setStartText("maison");
                 entry.exec();
                 return entry.resultOk();
             }},
            {"source text", false,
             [&] {
                 ui::frmTextView view;
                 view.openFile(kSamples + "/english.txt", true);
                 return accepted(view);
             }},
            {"collocates", false, tableWindow([&] {
                 return ui::MakeCollocatesWindow(state, prompter, {results, std::nullopt}, {},
                                                 nullptr);
             })},
            {"clusters", false, tableWindow([&] {
                 return ui::MakeClustersWindow(state, prompter, {results, std::nullopt}, {},
                                               nullptr);
             })},
            {"n-grams", false,
             tableWindow([&] { return new ui::NgramsWindow(state, prompter, {}); })},
            {"keyness", false, tableWindow([&] {
                 return ui::OpenKeynessWindow(
                     state, prompter, m_dir.filePath("target.lst").toStdString(), {}, nullptr);
             })},
            {"shared table window", false, tableWindow([&] {
                 auto* window = new ui::TableWindow(state, prompter);
                 Table table;
                 table.columns = {{"Word", ColumnKind::Text}, {"Freq", ColumnKind::Integer}};
                 table.rows = {{std::string("maison"), std::int64_t{3}}};
                 window->setTable(std::move(table));
                 return window;
             })},
            {"dispersion plot", false,
             [&] {
                 ui::PlotWindow window(state, prompter, ui::PlotSource{results, std::nullopt}, {});
                 return accepted(window);
             }},
        };
        QStringList faults;
        for (const Opening& opening : openings)
            faults << faultsOf(opening);
        for (const QString& fault : faults)
            qWarning("%s", qPrintable(fault)); // the test's own message is cut short
        QVERIFY2(faults.isEmpty(), qPrintable(QString("%1 faults").arg(faults.size())));
    }

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
        test::ViewerOnScreen shown(state, prompter, 20);
        QVERIFY(shown.open(results));
        shown.draw();
        ui::frmViewScreen& screen = shown.screen;
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
