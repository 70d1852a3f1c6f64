// The KWIC screen as the live display, offscreen: the rolling window of the last ScreenLines
// hits, Hide and View, the flags of its buttons and keys, the column view, the selection limit
// and the refused minimise.
#include "ui/frmViewScreen.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

using namespace lexmora;

class FrmViewScreenTest : public QObject {
    Q_OBJECT

    static std::string hit(int n) {
        std::string line = std::to_string(n);
        line.resize(5, ' ');
        return line + "left context cat right context";
    }

private Q_SLOTS:
    void screenshot() {
        const QByteArray folder = qgetenv("LEXMORA_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("set LEXMORA_SCREENSHOT_DIR to save a picture of the live screen");
        ProgramState state;
        state.LeftContext = 30;
        state.RightContext = 30;
        state.Keywords = {"maison"};
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        screen.prepareForSearch(19);
        const char* lefts[] = {"appellent encore la", "il ouvre la", "au fond du jardin, la",
                               "devant la", "on voyait la"};
        const char* rights[] = {"du passeur. Le dernier", "et regarde la rue", "blanche dormait",
                                "des voisins, un chien", "au bout du chemin"};
        for (int n = 1; n <= 5; ++n) {
            std::string left = lefts[n - 1];
            left.insert(0, 30 - left.size() - 1, ' ');
            std::string number = std::to_string(n);
            number.resize(5, ' ');
            screen.onHit(number + left + " maison " + rights[n - 1], "francais.txt");
        }
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QVERIFY(screen.grab().save(QString::fromLocal8Bit(folder) + "/search-screen.png"));
        state.ColumnView = true;
        screen.RedrawColumns();
        QVERIFY(screen.grab().save(QString::fromLocal8Bit(folder) + "/search-screen-columns.png"));
    }

    // The live screen opens unmoved when its lines fit, and moves wider lines no further than
    // their end (left 40, right 40: 91 columns of 84 need a shift of 8 at most).
    void liveScreenOpensScrolledOnlyAsFarAsNeeded() {
        struct Case {
            int left, right;
            int offset;
        };
        const Case cases[] = {{30, 40, 0}, {40, 40, 8}, {60, 60, 38}, {12, 100, 0}};
        for (const Case& c : cases) {
            ProgramState state;
            state.LeftContext = c.left;
            state.RightContext = c.right;
            state.Keywords = {"maison"};
            SilentPrompter prompter;
            ui::frmViewScreen screen(state, prompter);
            screen.prepareForSearch(19);
            QCOMPARE(state.HorizontalOffset, c.offset);
        }
    }

    void rollingWindowOfTheLastHits() {
        ProgramState state;
        state.LeftContext = 12;
        state.Keywords = {"cat"};
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        screen.prepareForSearch(19);
        QCOMPARE(screen.windowTitle(), QString("    Searching files for keyword..."));
        QCOMPARE(state.HorizontalOffset, 0); // the keyword is in view from the start
        for (int n = 1; n <= 19; ++n)
            screen.onHit(hit(n), "a.txt");
        QCOMPARE(screen.lines()->count(), std::size_t{19});
        QCOMPARE(screen.lines()->lineAt(0), hit(1));
        screen.onHit(hit(20), "a.txt"); // the 20th removes the first
        QCOMPARE(screen.lines()->count(), std::size_t{19});
        QCOMPARE(screen.lines()->lineAt(0), hit(2));
        QCOMPARE(screen.lines()->lineAt(18), hit(20));
        for (int n = 21; n <= 1000; ++n)
            screen.onHit(hit(n), "a.txt");
        QCOMPARE(screen.lines()->count(), std::size_t{19});
        QCOMPARE(screen.lines()->lineAt(0), hit(982));
    }

    void hideEmptiesTheListUntilView() {
        ProgramState state;
        state.Keywords = {"cat"};
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        screen.prepareForSearch(19);
        auto* view = screen.findChild<QPushButton*>("cmdView");
        QCOMPARE(view->text(), QString("&Hide"));
        screen.onHit(hit(1), "a.txt");
        view->click();
        QVERIFY(!state.ViewFlag);
        QCOMPARE(view->text(), QString("&View"));
        QCOMPARE(screen.lines()->count(), std::size_t{1}); // emptied at the next hit
        screen.onHit(hit(2), "a.txt");
        screen.onHit(hit(3), "a.txt");
        QCOMPARE(screen.lines()->count(), std::size_t{0});
        view->click();
        screen.onHit(hit(4), "a.txt");
        QCOMPARE(screen.lines()->count(), std::size_t{1});
        QCOMPARE(screen.lines()->lineAt(0), hit(4));
    }

    void buttonsSetFlags() {
        ProgramState state;
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        screen.prepareForSearch(19);
        auto* pause = screen.findChild<QPushButton*>("cmdPause");
        QCOMPARE(pause->text(), QString("&Pause "));
        pause->click();
        QVERIFY(state.PauseFlag);
        QCOMPARE(pause->text(), QString("&Continue"));
        pause->click();
        QVERIFY(!state.PauseFlag);
        screen.findChild<QPushButton*>("cmdExit")->click();
        QCOMPARE(state.ExitFlag, ExitRequest::UserPressedExit);
        QVERIFY(screen.searching()); // the scanner asks; the screen stays
        // Closing the window during a search is the Exit button too.
        state.ExitFlag = ExitRequest::None;
        screen.show();
        QVERIFY(!screen.close());
        QCOMPARE(state.ExitFlag, ExitRequest::UserPressedExit);
        // The viewer's buttons are not offered during a search; they set their flags.
        auto* next = screen.findChild<QPushButton*>("cmdNextFile");
        QVERIFY(!next->isVisible());
        next->click();
        QCOMPARE(screen.commands().pending<FileStepFlag>(), FileStepFlag{FileStep::Next});
        screen.findChild<QPushButton*>("cmdLastFile")->click();
        QCOMPARE(screen.commands().pending<FileStepFlag>(), FileStepFlag{FileStep::Previous});
        screen.endSearch();
        QVERIFY(screen.close());
    }

    // The keys act on lines in the viewer, whose loop runs what they post.
    void keysOnTheList() {
        ProgramState state;
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        screen.prepareForViewing(19);
        std::vector<std::string> page;
        for (int n = 1; n <= 5; ++n)
            page.push_back(hit(n));
        screen.showPage(page, 2, 6, 1.0);
        screen.show();
        ui::KwicLineList* list = screen.lines();
        list->setFocus();
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentRow(), 2);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(screen.commands().pending<DeleteFlag>(), DeleteFlag{2});
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(!screen.commands().pending<ClipboardFlag>());       // nothing selected
        QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(10, 5)); // selects the first line
        QVERIFY(list->isSelected(0));
        QCOMPARE(screen.selection().size(), std::size_t{1});
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(screen.commands().pending<ClipboardFlag>(),
                 ClipboardFlag{ClipboardAction::CopySelectedLines});
        QTest::keyClick(list, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(screen.commands().pending<PrintTextFlag>(),
                 PrintTextFlag{PrintedText::SelectedLines});
        QTest::mouseDClick(list, Qt::LeftButton, {}, QPoint(10, 5));
        QCOMPARE(screen.commands().pending<DetailsFlag>(), DetailsFlag{0});
        screen.ClearSelection();
        QVERIFY(screen.selection().empty());
        QCOMPARE(screen.findChild<QLabel*>("lblMessage")->text(),
                 QString("0 records selected") + QString(32, ' '));
    }

    // During a search no loop runs the viewer's commands: the keys post none and the text
    // options that would need one are not offered.
    void liveSearchOffersNoViewerCommands() {
        ProgramState state;
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        screen.prepareForSearch(19);
        for (int n = 1; n <= 5; ++n)
            screen.onHit(hit(n), "a.txt");
        screen.flush();
        screen.show();
        ui::KwicLineList* list = screen.lines();
        list->setFocus();
        QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(10, 5));
        QVERIFY(list->isSelected(0));
        QTest::keyClick(list, Qt::Key_Delete);
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(list, Qt::Key_P, Qt::ControlModifier);
        QTest::mouseDClick(list, Qt::LeftButton, {}, QPoint(10, 5));
        QVERIFY(screen.commands().empty());
        for (const char* name :
             {"mnuAddClipboard", "mnuCopyClipboard", "mnuExpand", "mnuTextDelete", "mnuPrintText",
              "mnuTextSave", "mnuCopyExtract", "mnuSortBeginning", "mnuMoreFiles"})
            QVERIFY2(!screen.findChild<QAction*>(name)->isVisible(), name);
        QVERIFY(screen.findChild<QAction*>("mnuClearSelection")->isVisible());
        QVERIFY(screen.findChild<QAction*>("mnuColumnView")->isVisible());
        screen.endSearch();
    }

    void horizontalOffsetAndColumnView() {
        ProgramState state;
        state.LeftContext = 20;
        state.Keywords = {"cat"};
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        screen.prepareForSearch(19);
        const std::string line = "1    " + std::string(5, ' ') + "one, two three cat four five six";
        screen.onHit(line, "a.txt");
        screen.findChild<QScrollBar*>("hscHorizontal")->setValue(-3);
        QCOMPARE(screen.lines()->shownAt(0), "   " + line);
        screen.findChild<QScrollBar*>("hscHorizontal")->setValue(10);
        QCOMPARE(screen.lines()->shownAt(0), line.substr(9));
        screen.findChild<QScrollBar*>("hscHorizontal")->setValue(0);
        state.ColumnView = true;
        state.ColumnWidth = 10;
        screen.RedrawColumns();
        QVERIFY(screen.findChild<QWidget*>("picEnterNumber")->isVisibleTo(&screen));
        QCOMPARE(screen.lines()->shownAt(0),
                 std::string("1    two       three     cat four      fiv"));
        QCOMPARE(screen.lines()->shownAt(0).find("cat"), std::size_t{25});
        // The live screen's item switches the view off again, and on.
        QAction* item = screen.findChild<QAction*>("mnuColumnView");
        for (const bool on : {false, true}) {
            QVERIFY(item->isEnabled());
            item->trigger();
            QCOMPARE(state.ColumnView, on);
            QCOMPARE(item->isChecked(), on);
            QCOMPARE(screen.findChild<QWidget*>("picEnterNumber")->isVisibleTo(&screen), on);
        }
    }

    void selectionLimitIsTold() {
        ProgramState state;
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        screen.prepareForSearch(19);
        screen.show();
        // Fill the selection to its limit through many pages of one line each.
        for (std::size_t n = 0; n < kSelectionLimit; ++n) {
            screen.onHit(hit(1), "a.txt");
            screen.lines()->setSelected(screen.lines()->count() - 1, true);
            if (screen.lines()->count() == 19) {
                screen.SyncSelection();
                screen.lines()->clearLines();
            }
        }
        screen.SyncSelection();
        QCOMPARE(screen.selection().size(), kSelectionLimit);
        QVERIFY(prompter.shown.empty());
        screen.lines()->clearLines();
        screen.onHit(hit(2), "a.txt");
        screen.lines()->setSelected(0, true);
        screen.SyncSelection();
        QCOMPARE(screen.selection().size(), kSelectionLimit);
        QVERIFY(!screen.lines()->isSelected(0));
        QCOMPARE(prompter.shown.size(), std::size_t{1});
        QCOMPARE(prompter.shown[0].title, std::string("Selection limit reached"));
    }

    void minimiseIsRefusedDuringARun() {
        ProgramState state;
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        screen.prepareForSearch(19);
        screen.show();
        screen.setWindowState(Qt::WindowMinimized);
        QTRY_COMPARE(prompter.shown.size(), std::size_t{1});
        QCOMPARE(prompter.shown[0].title, std::string(" Action not permitted!"));
        QVERIFY(!screen.isMinimized());
        QTest::qWait(300);
        QCOMPARE(prompter.shown.size(), std::size_t{1});
        // Paused, it may be minimised.
        screen.findChild<QPushButton*>("cmdPause")->click();
        screen.setWindowState(Qt::WindowMinimized);
        QTest::qWait(20);
        QCOMPARE(prompter.shown.size(), std::size_t{1});
    }

    // The summary replaces the hits at its first line and starts a new page after a full one;
    // the captions of the run go to the message label.
    void summaryPagesAndCaptions() {
        ProgramState state;
        state.SaveToFile = true;
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        screen.prepareForSearch(19);
        screen.onSavingResults("/tmp/t/cat.dmp");
        screen.onElapsed(1);
        screen.flush();
        QCOMPARE(screen.findChild<QLabel*>("lblMessage")->text(),
                 QString("saving results to: /tmp/t/cat.dmp\ntime elapsed:  0 minutes 1 seconds"));
        screen.onHit(hit(1), "a.txt");
        screen.endSearch();
        screen.beginSummary();
        QCOMPARE(screen.lines()->count(), std::size_t{1}); // still the hits until the first line
        for (int n = 1; n <= 25; ++n)
            screen.onSummaryLine(" line " + std::to_string(n));
        QCOMPARE(screen.lines()->count(), std::size_t{6});
        QCOMPARE(screen.lines()->lineAt(0), std::string(" line 20"));
    }

    void missingHelpFileIsTold() {
        ProgramState state;
        state.InstallFolder = "/nonexistent-lexmora";
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        screen.findChild<QAction*>("mnuScreenHelpItem")->trigger();
        QCOMPARE(prompter.shown.size(), std::size_t{1});
        QCOMPARE(prompter.shown[0].text, std::string("Cannot find help file!"));
        QCOMPARE(prompter.shown[0].title, std::string("File missing"));
    }

    // The yield hook hands control to the event loop at most every 20 ms or so.
    void yieldIsThrottled() {
        ProgramState state;
        SilentPrompter prompter;
        ui::frmViewScreen screen(state, prompter);
        screen.prepareForSearch(19);
        int events = 0;
        QTimer timer;
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [&] { ++events; });
        timer.start();
        for (int i = 0; i < 100000; ++i)
            screen.yield(state); // a burst of hits takes far less than 20 ms per thousand
        QVERIFY(events < 1000);
    }
};

QTEST_MAIN(FrmViewScreenTest)
#include "frmViewScreen_test.moc"
