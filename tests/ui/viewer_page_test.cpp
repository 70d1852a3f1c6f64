// The viewer's page on a large screen: maximised it holds as many lines and columns as fit, a
// three-level sort orders it, larger text and a dark palette keep it readable. With
// LEXMORA_SCREENSHOT_DIR set (under xvfb-run -s '-screen 0 1920x1080x24'), each state is saved as
// a picture to look at.
#include "support/saved_search.h"

#include "core/prompter.h"
#include "ui/frmViewScreen.h"
#include "ui/kwic_table_view.h"
#include "ui/qt_printer.h"
#include "ui/viewer_screen_qt.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

using namespace lexmora;

namespace {

const QString kSamples = QString(LEXMORA_BIN_DIR) + "/samples";

QPalette darkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2B, 0x2B, 0x2E));
    dark.setColor(QPalette::WindowText, QColor(0xE0, 0xE0, 0xE0));
    dark.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x20));
    dark.setColor(QPalette::Text, QColor(0xE0, 0xE0, 0xE0));
    dark.setColor(QPalette::Button, QColor(0x3A, 0x3A, 0x3E));
    dark.setColor(QPalette::ButtonText, QColor(0xE0, 0xE0, 0xE0));
    return dark;
}

void save(QWidget& window, const QString& name) {
    const QString dir = qEnvironmentVariable("LEXMORA_SCREENSHOT_DIR");
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return;
    QApplication::processEvents();
    QGuiApplication::primaryScreen()->grabWindow(0).save(dir + "/" + name + ".png");
    window.grab().save(dir + "/" + name + "-window.png");
}

} // namespace

class ViewerPageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void maximisedSortedLargerAndDark() {
        QTemporaryDir dir;
        const std::string results =
            test::SearchAndSave(kSamples.toStdString() + "/", {"english.txt", "francais.txt"},
                                "the", dir.path().toStdString(), 40);
        QVERIFY(!results.empty());
        ProgramState state;
        state.AdvancedUser = true;
        state.ScreenColumns = 86;
        state.RightContext = 40;
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        ui::QtPrinter printer(&screen);
        ui::QtViewerScreen adapter(screen, state, &prompter, &printer);
        screen.prepareForViewing(22);
        auto viewer = ResultViewer::open(results, prompter);
        QVERIFY(viewer.ok());
        // 1R, then 2R, then 1L: the sort linguists use to see patterns.
        viewer->Sort({{SortMode::WordBeginning, 0, 1},
                      {SortMode::WordBeginning, 0, 2},
                      {SortMode::WordBeginning, 1, 0}},
                     state.RightContext);
        state.TopPosition = 2;
        adapter.showFile(*viewer, 0, 1);
        adapter.drawPage(*viewer, state);
        // Maximised; without a window manager (xvfb) the window is given the screen's size.
        const QSize available = QGuiApplication::primaryScreen()->availableSize();
        screen.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        screen.setGeometry(QRect(QPoint(0, 0), available));
        if (available.height() >= 900) { // a real large screen: the page fills it
            QTRY_VERIFY(state.ScreenLines > 22);
            QVERIFY(state.ScreenColumns > 86);
            QCOMPARE(screen.lines()->count(),
                     std::min<std::size_t>(static_cast<std::size_t>(state.ScreenLines),
                                           static_cast<std::size_t>(viewer->IndexCount() - 1)));
        }
        save(screen, "viewer-maximised-three-level-sort");

        const int lines = state.ScreenLines;
        for (int i = 0; i < 4; ++i)
            screen.findChild<QAction*>("mnuTextLarger")->trigger();
        QApplication::processEvents();
        QVERIFY(state.ScreenLines <= lines);
        save(screen, "viewer-larger-text");
        screen.findChild<QAction*>("mnuTextNormal")->trigger();

        QApplication::setPalette(darkPalette());
        QApplication::processEvents();
        save(screen, "viewer-dark-palette");
        QApplication::setPalette(QApplication::style()->standardPalette());

        // At heights that are not a whole number of lines the page holds only whole lines: the
        // last line drawn ends inside the list.
        for (const int height : {1033, 777, 641}) {
            screen.resize(screen.width(), height);
            QApplication::processEvents();
            const auto* list = screen.lines();
            const int step = QFontMetrics(list->font()).lineSpacing();
            QVERIFY2(3 + state.ScreenLines * step <= list->height() - 3,
                     qPrintable(QString("height %1: %2 lines of %3 in %4")
                                    .arg(height)
                                    .arg(state.ScreenLines)
                                    .arg(step)
                                    .arg(list->height())));
            if (height == 777)
                save(screen, "viewer-odd-height");
        }

        // The same viewer as a table: maximised, the sort's words in their colours.
        screen.setGeometry(QRect(QPoint(0, 0), available));
        screen.setTableView(true);
        QApplication::processEvents();
        QVERIFY(screen.table()->isVisible());
        QCOMPARE(screen.table()->model()->rowCount(), static_cast<int>(viewer->IndexCount() - 1));
        save(screen, "table-maximised-three-level-sort");
        for (int i = 0; i < 4; ++i)
            screen.findChild<QAction*>("mnuTextLarger")->trigger();
        QApplication::processEvents();
        save(screen, "table-larger-text");
        screen.findChild<QAction*>("mnuTextNormal")->trigger();
        QApplication::setPalette(darkPalette());
        QApplication::processEvents();
        save(screen, "table-dark-palette");
        QApplication::setPalette(QApplication::style()->standardPalette());
        screen.setTableView(false);
    }
};

QTEST_MAIN(ViewerPageTest)
#include "viewer_page_test.moc"
