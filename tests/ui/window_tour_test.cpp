// Every window of the desktop, filled as a user meets it, at its opening size and at its smallest:
// no control may stick out of its window and no button may cut its caption. With
// LEXMORA_SCREENSHOT_DIR set, each window is also saved as a picture to look at.
#include "support/saved_search.h"
#include "support/when_modal.h"

#include "core/settings.h"
#include "files/file_chooser.h"
#include "ui/frmConShell.h"
#include "ui/frmContext.h"
#include "ui/frmGetFiles.h"
#include "ui/frmShowText.h"
#include "ui/frmStrings.h"
#include "ui/frmViewCount.h"
#include "ui/frmViewScreen.h"
#include "ui/frmWeb.h"
#include "ui/help_qt.h"
#include "ui/kwic_highlight.h"
#include "ui/qt_printer.h"
#include "ui/viewer_on_screen.h"
#include "ui/viewer_screen_qt.h"
#include "viewer/record_details.h"
#include "viewer/result_viewer.h"
#include "wordcount/count_start.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace lexmora;

namespace {

const QString kSamples = QString(LEXMORA_BIN_DIR) + "/samples";

bool insideScrolledArea(const QWidget* widget, const QWidget* window) {
    for (const QWidget* up = widget->parentWidget(); up != nullptr && up != window;
         up = up->parentWidget())
        if (qobject_cast<const QAbstractScrollArea*>(up) != nullptr)
            return true;
    return false;
}

// A button's caption as drawn: without the mnemonic marks.
QString caption(const QAbstractButton* button) {
    QString text = button->text();
    text.replace("&&", "\x01").remove('&').replace("\x01", "&");
    return text;
}

// What is wrong with the layout of `window` as it is shown now.
QStringList layoutFaults(QWidget* window) {
    QStringList faults;
    const QRect area = window->rect();
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->isWindow() || !widget->isVisibleTo(window) ||
            insideScrolledArea(widget, window))
            continue;
        const bool control = qobject_cast<QAbstractButton*>(widget) != nullptr ||
                             qobject_cast<QLineEdit*>(widget) != nullptr ||
                             qobject_cast<QLabel*>(widget) != nullptr;
        if (!control)
            continue;
        const QString name = widget->objectName().isEmpty() ? widget->metaObject()->className()
                                                            : widget->objectName();
        const QRect place(widget->mapTo(window, QPoint(0, 0)), widget->size());
        if (!area.contains(place))
            faults << QString("%1 at %2,%3 %4x%5 leaves the window of %6x%7")
                          .arg(name)
                          .arg(place.x())
                          .arg(place.y())
                          .arg(place.width())
                          .arg(place.height())
                          .arg(area.width())
                          .arg(area.height());
        const auto* button = qobject_cast<QPushButton*>(widget);
        if (button != nullptr && !button->text().isEmpty() &&
            button->fontMetrics().horizontalAdvance(caption(button)) > button->width() - 4)
            faults << QString("%1 cuts its caption \"%2\"").arg(name, caption(button));
    }
    return faults;
}

void save(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("LEXMORA_SCREENSHOT_DIR");
    if (!dir.isEmpty() && QDir().mkpath(dir))
        window->grab().save(dir + "/" + name + ".png");
}

// Shows the window, checks it at its opening size, saves its picture, then checks it again at
// the smallest size its layout allows.
void tour(QWidget* window, const QString& name) {
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QApplication::processEvents();
    QCOMPARE(layoutFaults(window), QStringList());
    save(window, name);
    const QSize smallest = window->minimumSize().expandedTo(window->minimumSizeHint());
    window->resize(smallest);
    QApplication::processEvents();
    const QStringList faults = layoutFaults(window);
    if (!faults.isEmpty())
        save(window, name + "-smallest");
    QCOMPARE(faults, QStringList());
}

// Tours the modal window that `open` shows, then closes it as Cancel would.
void tourModal(const QString& name, const std::function<void()>& open) {
    bool seen = false;
    test::whenModal([&](QWidget* modal) {
        seen = true;
        tour(modal, name);
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    open();
    QVERIFY(seen);
}

// The part of the first line drawn as the keyword is the keyword, wherever the page is scrolled.
void keywordStandsOutWhereverScrolled(ui::frmViewScreen& screen, int keywordColumn,
                                      const std::string& keyword) {
    auto* bar = screen.findChild<QScrollBar*>("hscHorizontal");
    QVERIFY(bar != nullptr);
    for (const int value : {bar->minimum(), -3, 0, 1, 4, 20}) {
        bar->setValue(value);
        const std::string shown = screen.lines()->shownAt(0);
        const ui::KeywordSpan span = ui::KeywordSpanOf(shown, keywordColumn, bar->value());
        const std::string drawn = shown.substr(span.from, span.length);
        if (drawn != keyword && span.length != 0)
            QFAIL(
                qPrintable(QString("offset %1: \"%2\" drawn as the keyword in \"%3\"")
                               .arg(bar->value())
                               .arg(QString::fromStdString(drawn), QString::fromStdString(shown))));
    }
    bar->setValue(0);
}

// The search's result file for "the" over two sample texts, contexts 30 and 30.
std::string sampleResults(const QString& folder) {
    return test::SearchAndSave(kSamples.toStdString() + "/", {"english.txt", "francais.txt"}, "the",
                               folder.toStdString(), 30);
}

} // namespace

class WindowTourTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    ProgramState settledState() {
        ProgramState state;
        const std::string home = m_dir.path().toStdString();
        LoadSettings(state, SettingsEnvironment{home, home, ""});
        ApplyStoredLanguage(state);
        state.InstallFolder = LEXMORA_BIN_DIR;
        state.SourceDirectory = kSamples.toStdString();
        state.DialogFolder = state.SourceDirectory;
        state.DialogPattern = "*.*";
        state.Keywords = {"maison", "house*"};
        state.KeywordCase = {false, false};
        return state;
    }

private Q_SLOTS:
    // The check itself sees a button half out of its window and a caption cut short.
    void faultsAreSeen() {
        QWidget window;
        window.resize(100, 50);
        auto* button = new QPushButton("&Continue", &window);
        button->setObjectName("cmdContinue");
        button->setGeometry(70, 10, 40, 20);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QStringList faults = layoutFaults(&window);
        QCOMPARE(faults.size(), 2);
        QVERIFY(faults[0].startsWith("cmdContinue at 70,10 40x20 leaves"));
        QCOMPARE(faults[1], QString("cmdContinue cuts its caption \"Continue\""));
    }

    void mainWindow() {
        ProgramState state = settledState();
        StartValues start = TakeStartValues(state);
        SilentPrompter prompter;
        ui::frmConShell window(state, start, prompter);
        tour(&window, "main");
    }

    void keywordEntry() {
        ProgramState state = settledState();
        SilentPrompter prompter;
        ui::KeywordWindowHooks hooks;
        ui::frmStrings window(state, prompter, hooks, nullptr);
        QVERIFY(window.prepare(false));
        tour(&window, "keywords");
    }

    void contextSettings() {
        ProgramState state = settledState();
        ui::frmContext dialog(state);
        tour(&dialog, "context");
    }

    void fileChooser() {
        ProgramState state = settledState();
        SilentPrompter prompter;
        ui::frmGetFiles window(state, prompter);
        window.prepare(files::kSearchFilesCaption);
        tour(&window, "chooser");
    }

    void liveScreenWithColumnPanel() {
        ProgramState state = settledState();
        state.LeftContext = 30;
        state.RightContext = 30;
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        screen.prepareForSearch(19);
        for (int n = 1; n <= 30; ++n) {
            std::string number = std::to_string(n);
            number.resize(5, ' ');
            std::string left = "on voyait au loin la vieille";
            left.insert(0, 30 - left.size() - 1, ' ');
            screen.onHit(number + left + " maison du passeur et la rue", "francais.txt");
        }
        tour(&screen, "live-screen");
        keywordStandsOutWhereverScrolled(screen, state.LeftContext + 6, "maison");
        state.ColumnView = true;
        screen.RedrawColumns();
        screen.resize(screen.sizeHint());
        tour(&screen, "live-screen-columns");
        keywordStandsOutWhereverScrolled(screen, state.LeftContext + 6, "maison");
    }

    void viewerDetailsAndCollocates() {
        const std::string results = sampleResults(m_dir.path());
        QVERIFY(!results.empty());
        ProgramState state = settledState();
        SilentPrompter prompter;
        test::ViewerOnScreen shown(state, prompter, 22);
        QVERIFY(shown.open(results));
        ui::frmViewScreen& screen = shown.screen;
        ui::QtViewerScreen& adapter = shown.adapter;
        auto& viewer = shown.viewer;
        viewer->Sort(SortMode::WordBeginning, 0, 1, state.RightContext);
        shown.draw();
        tour(&screen, "viewer");

        const auto details = ExpandRecord(*viewer, 2, std::nullopt, &state);
        QVERIFY(details.ok());
        tourModal("details", [&] {
            adapter.showDetails(DetailsText(*details), DetailsHitSpan(*details), state);
        });

        const auto collocation = viewer->Collocate();
        QVERIFY(collocation.ok());
        tourModal("collocates", [&] { adapter.showCollocation(*collocation); });
    }

    void countAndFrequencyViewer() {
        ProgramState state = settledState();
        ApplyLanguage(state, LanguageId::English);
        state.TempDirectory = m_dir.path().toStdString();
        state.FrequencyFilesDirectory = m_dir.path().toStdString();
        state.AllFilesInFolder = true;
        state.SourceFileType = "*.txt";
        state.SourceFileCount = 6;
        SilentPrompter prompter;
        ui::frmViewCount window(state, prompter);
        window.ShowSelection();
        window.findChild<QLineEdit*>("txtUserInput")->setText("samples");
        tour(&window, "count");
        window.pressStart();
        QApplication::processEvents();
        tour(&window, "count-results");
        window.pressStart(); // Continue: the viewer
        window.post(FrequencySortCommand{FrequencySort::Descending});
        window.resize(window.sizeHint());
        tour(&window, "frequency-viewer");
    }

    void helpPage() {
        const ProgramState state = settledState();
        SilentPrompter prompter;
        QWidget owner;
        ui::ShowHelpTopic(&owner, state, prompter, ui::help::kViewer);
        QWidget* help = owner.findChild<ui::frmWeb*>("frmWeb");
        QVERIFY(help != nullptr);
        tour(help, "help");
    }
};

QTEST_MAIN(WindowTourTest)
#include "window_tour_test.moc"
