// The result viewer on the desktop, offscreen, on result files the search writes: the page and
// its bar, every nth, the sorts and collocates, deletions, the files it writes, the clipboard,
// the printed extract, the record details window and the question on leaving.
#include "ui/viewer_screen_qt.h"

#include "support/pdf_text.h"
#include "support/saved_search.h"

#include "codes/code_tables.h"
#include "core/settings.h"
#include "search/search_run.h"
#include "ui/frmCollocation.h"
#include "ui/frmConShell.h"
#include "ui/frmContext.h"
#include "ui/frmViewScreen.h"
#include "ui/qt_clipboard.h"
#include "ui/qt_printer.h"
#include "ui/result_file_chooser_qt.h"
#include "ui/table_model.h"
#include "ui/table_window.h"
#include "ui/viewer_dialogs_qt.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <fstream>
#include <map>
#include <optional>
#include <sstream>

using namespace lexmora;
using lexmora::test::pdfText;

namespace {

// Ten lines; the word before "cat" names each hit, the words after it are what the sorts order.
const char* const kLines[] = {
    "one zebra cat walking home", "two apple cat t\xE1lking loud", "three mango cat king size",
    "four lemon cat apple pie",   "five grape cat zebra run",      "six melon cat walking fast",
    "seven peach cat berry jam",  "eight plum cat cherry red",     "nine kiwi cat apple tart",
    "ten fig cat date palm",
};

// Answers by title; anything else gets its safe answer. Keeps the titles it was shown.
class TitlePrompter : public Prompter {
public:
    Answer ask(const Message& message) override {
        titles.push_back(message.title);
        const auto found = answers.find(message.title);
        return found != answers.end() ? found->second : safeAnswer(message.buttons);
    }
    std::map<std::string, Answer> answers;
    std::vector<std::string> titles;
};

class NoFiles : public FileViewer {
public:
    void openTextViewer(const std::string&, bool) override {}
    void openHtmlViewer(const std::string&, const std::string&) override {}
};

// The desktop screen with the file chooser replaced: the given files once, then nothing.
class ChosenScreen : public ui::QtViewerScreen {
public:
    using QtViewerScreen::QtViewerScreen;
    std::optional<std::vector<std::string>> chooseFiles(const std::string&, const std::string&,
                                                        const std::string&) override {
        if (chosen.empty())
            return std::nullopt;
        return std::exchange(chosen, {});
    }
    std::vector<std::string> chosen;
};

// The search's own result file for `text` with keyword "cat", contexts 20 and 20.
std::string searchResults(const QString& folder, const std::string& text) {
    QDir(folder).mkpath("src");
    QDir(folder).mkpath("out");
    const std::string source = (folder + "/src/").toStdString();
    std::ofstream(source + "a.txt", std::ios::binary) << text;
    return test::SearchAndSave(source, {"a.txt"}, "cat", (folder + "/out").toStdString(), 20);
}

std::string tenHits() {
    std::string text;
    for (const char* line : kLines)
        text += std::string(line) + "\r\n";
    return text;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Fills the context window when it opens, then presses OK.
void answerDialog(const QString& left, const QString& right) {
    ui::SetViewerDialogHookForTest([left, right](ui::frmContext& dialog) {
        QTimer::singleShot(0, &dialog, [&dialog, left, right] {
            dialog.findChild<QLineEdit*>("txtContextLeft")->setText(left);
            dialog.findChild<QLineEdit*>("txtContextRight")->setText(right);
            dialog.findChild<QPushButton*>("cmdOK")->click();
        });
    });
}

// Runs `act` on the modal window once it is shown.
void onModal(std::function<void(QWidget&)> act) {
    QTimer::singleShot(0, [act] {
        if (QWidget* modal = QApplication::activeModalWidget())
            act(*modal);
    });
}

// One viewer on the desktop screen, its commands run one at a time as the loop runs them.
struct Viewing {
    QTemporaryDir dir;
    ProgramState state;
    TitlePrompter prompter;
    ui::frmViewScreen screen{state, prompter};
    ui::QtPrinter printer{&screen};
    ChosenScreen adapter{screen, state, &prompter, &printer};
    ui::QtClipboard clipboard;
    NoFiles files;
    ViewerPorts ports{adapter, prompter, clipboard, printer, files};
    ViewingPass pass;
    std::optional<ResultViewer> viewer;
    std::string path;

    explicit Viewing(const std::string& text = tenHits(), int lines = 22) {
        state.InvalidFileNameChars = "\\/:*?\"<>|";
        state.AdvancedUser = true;
        state.ScreenColumns = 86;
        path = searchResults(dir.path(), text);
        screen.prepareForViewing(lines);
        open(path);
    }
    ~Viewing() { ui::SetViewerDialogHookForTest({}); }

    void open(const std::string& file) {
        auto opened = ResultViewer::open(file, prompter);
        QVERIFY(opened.ok());
        viewer.emplace(std::move(*opened));
        state.TopPosition = 2;
        adapter.showFile(*viewer, 0, 1);
        adapter.drawPage(*viewer, state);
    }
    void run(const ViewerCommand& command) {
        screen.commands().post(command);
        QVERIFY(!RunPendingCommand(*viewer, state, pass, ports));
    }
    void menu(ViewerMenu item) { run(ViewerMenuCommand{item}); }

    // The word before the keyword on each line of the page.
    QStringList shownHits() const {
        QStringList words;
        const ui::KwicLineList* list = screen.lines();
        for (std::size_t row = 0; row < list->count(); ++row)
            words << hitWord(list->lineAt(row));
        return words;
    }
    QString hitWord(const std::string& record) const {
        const std::string left =
            record.substr(0, static_cast<std::size_t>(viewer->KeywordColumn() - 2));
        return QString::fromLatin1(left.substr(left.rfind(' ') + 1).c_str());
    }
    QString recordLabel() const { return screen.findChild<QLabel*>("lblRecordNum")->text(); }
    std::string outputEndingIn(const QString& extension) const {
        const QStringList found =
            QDir(dir.path() + "/out").entryList({"*" + extension}, QDir::Files, QDir::Name);
        return found.isEmpty() ? std::string()
                               : (dir.path() + "/out/" + found.last()).toStdString();
    }
};

} // namespace

class ViewerRunQtTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensOnTheFirstPageWithItsCaptions() {
        Viewing v;
        QCOMPARE(v.screen.windowTitle(), QString("    Viewing files..."));
        QCOMPARE(v.screen.findChild<QLabel*>("lblViewFile")->text(), QString("File:"));
        QCOMPARE(v.screen.findChild<QLabel*>("lblRecords")->text(), QString("Records:"));
        QCOMPARE(v.recordLabel(), QString(" 2 to 11 of 11"));
        QCOMPARE(v.shownHits(), QStringList({"zebra", "apple", "mango", "lemon", "grape", "melon",
                                             "peach", "plum", "kiwi", "fig"}));
        QVERIFY(!v.screen.findChild<QPushButton*>("cmdNextFile")->isVisibleTo(&v.screen));
    }

    void everyNthKeepsRecordsOneFourSevenTen() {
        Viewing v(tenHits(), 5);
        QTimer::singleShot(0, &v.screen, [&v] {
            v.screen.findChild<QLineEdit*>("txtNumber")->setText("3");
            v.screen.findChild<QPushButton*>("cmdNumberOk")->click();
        });
        v.menu(ViewerMenu::EveryNth);
        QCOMPARE(v.viewer->RecordIndex(), (std::vector<std::uint32_t>{1, 4, 7, 10}));
        QCOMPARE(v.shownHits(), QStringList({"mango", "melon", "kiwi"}));
        QCOMPARE(v.recordLabel(), QString(" 2 to 4 of 4"));
    }

    // Page Down on the last line, Up on the first: the page moves; inside it the cursor moves.
    void pagingKeysMoveThePage() {
        Viewing v(tenHits(), 5);
        v.screen.show();
        ui::KwicLineList* list = v.screen.lines();
        list->setFocus();
        list->setCurrentRow(0);
        struct Step {
            Qt::Key key;
            const char* label;
            int row;
        };
        const Step steps[] = {
            {Qt::Key_PageDown, " 2 to 6 of 11", 4}, {Qt::Key_PageDown, " 7 to 11 of 11", 4},
            {Qt::Key_PageUp, " 7 to 11 of 11", 0},  {Qt::Key_Up, " 6 to 10 of 11", 0},
            {Qt::Key_PageUp, " 2 to 6 of 11", 0},   {Qt::Key_Down, " 2 to 6 of 11", 1},
        };
        for (const Step& step : steps) {
            QTest::keyClick(list, step.key);
            QCOMPARE(v.recordLabel(), QString(step.label));
            QCOMPARE(list->currentRow(), step.row);
        }
    }

    void sortsOrderThePageAndCollocatesCount() {
        struct Case {
            const char* name;
            ViewerMenu sort;
            QString left, right;
            QStringList expected;
        };
        const Case cases[] = {
            {"right word 1 forwards",
             ViewerMenu::SortByBeginning,
             "",
             "1",
             {"lemon", "kiwi", "peach", "plum", "fig", "mango", "apple", "melon", "zebra",
              "grape"}},
            {"left word 1 backwards",
             ViewerMenu::SortByEnd,
             "1",
             "",
             {"zebra", "apple", "grape", "fig", "peach", "kiwi", "plum", "melon", "lemon",
              "mango"}},
        };
        for (const Case& c : cases) {
            Viewing v;
            answerDialog(c.left, c.right);
            v.menu(c.sort);
            QVERIFY2(v.shownHits() == c.expected, c.name);
            QVERIFY(v.viewer->sorted());
        }
        // The collocates of the right word: "apple" and "walking" twice, the rest once.
        Viewing v;
        answerDialog("", "1");
        v.menu(ViewerMenu::SortByBeginning);
        QMap<QString, int> counts;
        onModal([&counts](QWidget& window) {
            auto* table = window.findChild<QTableWidget*>("tblCollocates");
            for (int r = 0; table != nullptr && r < table->rowCount(); ++r)
                counts[table->item(r, 0)->text()] = table->item(r, 1)->text().toInt();
            window.close();
        });
        v.menu(ViewerMenu::Collocate);
        QCOMPARE(counts.size(), 8);
        QCOMPARE(counts.value("apple"), 2);
        QCOMPARE(counts.value("walking"), 2);
        QCOMPARE(counts.value("king"), 1);
    }

    void aClusterDoubleClickedKeepsItsHitsRestorably() {
        // "cat sat" is carried by the first and third hits; "cat ran" by the second alone.
        Viewing v("a the cat sat\r\nb my cat ran\r\nc your cat sat\r\n");
        QCOMPARE(v.shownHits(), QStringList({"the", "my", "your"}));
        QString cluster;
        onModal([&cluster](QWidget& window) {
            window.findChild<QSpinBox*>("spnSize")->setValue(2);
            window.findChild<QComboBox*>("cboNode")->setCurrentIndex(1); // at the left end
            auto& table = static_cast<ui::TableWindow&>(window);
            if (!table.start() || table.model().rowCount() != 1) {
                window.close();
                return;
            }
            cluster = table.model().index(0, 0).data().toString();
            Q_EMIT table.rowActivated(0);
        });
        v.menu(ViewerMenu::Clusters);
        QCOMPARE(cluster, QString("cat sat"));
        QCOMPARE(v.shownHits(), QStringList({"the", "your"}));
        v.menu(ViewerMenu::RestoreAll);
        QCOMPARE(v.shownHits(), QStringList({"the", "my", "your"}));
    }

    // Ctrl+F asks for a word in its own dialog; the lines without it go (restorably) and the
    // count is told.
    void findInLinesKeepsTheLinesThatHoldTheWord() {
        Viewing v("a the cat sat\r\nb my cat ran\r\nc your cat sat\r\n");
        QCOMPARE(v.screen.findChild<QAction*>("mnuFindInLines")->shortcut(),
                 QKeySequence(QKeySequence::Find));
        QCOMPARE(v.screen.findChild<QAction*>("mnuFindNext")->shortcut(),
                 QKeySequence(QKeySequence::FindNext));
        QString title;
        onModal([&title](QWidget& window) {
            title = window.windowTitle();
            auto* dialog = qobject_cast<QInputDialog*>(&window);
            if (dialog == nullptr) {
                window.close();
                return;
            }
            dialog->setTextValue("YOUR"); // past the first line's right context
            dialog->accept();
        });
        v.menu(ViewerMenu::FindInLines);
        QCOMPARE(title, QString("Find in Lines"));
        QCOMPARE(v.shownHits(), QStringList({"my", "your"}));
        QCOMPARE(v.prompter.titles, std::vector<std::string>{" Find in lines"});
        v.menu(ViewerMenu::RestoreAll);
        QCOMPARE(v.shownHits(), QStringList({"the", "my", "your"}));
    }

    void deletesTwoSelectedLinesAndUndoesOne() {
        Viewing v;
        v.screen.show();
        ui::KwicLineList* list = v.screen.lines();
        const int step = QFontMetrics(list->font()).lineSpacing();
        QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(10, 3 + step / 2));
        QTest::mouseClick(list, Qt::LeftButton, Qt::ControlModifier,
                          QPoint(10, 3 + step + step / 2));
        QCOMPARE(v.adapter.selection(), (std::vector<std::int64_t>{2, 3}));
        v.prompter.answers["About to delete items"] = Answer::Yes;
        v.run(DeleteFlag{0});
        QCOMPARE(v.viewer->IndexCount(), 9);
        QCOMPARE(v.shownHits().first(), QString("mango"));
        QVERIFY(v.adapter.selection().empty());
        v.menu(ViewerMenu::UndoDeletion);
        QCOMPARE(v.viewer->IndexCount(), 10);
        QCOMPARE(v.shownHits().mid(0, 2), QStringList({"zebra", "mango"}));
        QCOMPARE(v.viewer->ChangeCount(), 1);
    }

    // The dialog's second key breaks the first key's ties: "walking home" and "walking fast" by
    // the second word read backwards (emoh before tsaf), "apple pie" before "apple tart" (eip,
    // trat); the copied line names both keys.
    void secondSortKeyFromTheDialog() {
        Viewing v;
        ui::SetViewerDialogHookForTest([](ui::frmContext& dialog) {
            QTimer::singleShot(0, &dialog, [&dialog] {
                dialog.findChild<QLineEdit*>("txtContextLeft")->setText("");
                dialog.findChild<QLineEdit*>("txtContextRight")->setText("1");
                dialog.findChild<QComboBox*>("cboThenSide2")->setCurrentIndex(2);
                dialog.findChild<QSpinBox*>("spnThenPos2")->setValue(2);
                dialog.findChild<QCheckBox*>("chkThenBack2")->setChecked(true);
                QVERIFY(dialog.findChild<QComboBox*>("cboThenSide3") != nullptr);
                dialog.findChild<QPushButton*>("cmdOK")->click();
            });
        });
        v.menu(ViewerMenu::SortByBeginning);
        QCOMPARE(v.shownHits(), (QStringList{"lemon", "kiwi", "peach", "plum", "fig", "mango",
                                             "apple", "zebra", "melon", "grape"}));
        QCOMPARE(v.viewer->sortLevels().size(), std::size_t{2});
        v.menu(ViewerMenu::CopyCommandLine);
        const QString line = QGuiApplication::clipboard()->text();
        QVERIFY2(line.contains(" view --sort right --pos 1 --then right:2:b --right "),
                 qPrintable(line));
    }

    // The right button on a line offers what the help promises for it (Expand, Delete), not
    // the Options menu again; the line becomes the selection. Delete is offered only while a
    // line is chosen.
    void rightClickOffersTheLineItemsAndDeleteNeedsALine() {
        Viewing v;
        auto* remove = v.screen.findChild<QPushButton*>("cmdDelete");
        QVERIFY(!remove->isEnabled());
        ui::KwicLineList* list = v.screen.lines();
        const int step = QFontMetrics(list->font()).lineSpacing();
        QTest::mouseClick(list, Qt::RightButton, {}, QPoint(20, 3 + step * 2 + step / 2));
        auto* menu = v.screen.findChild<QMenu*>("mnuTextOptions");
        QVERIFY(menu->isVisible());
        QVERIFY(!v.screen.findChild<QMenu*>("mnuScreenOpt")->isVisible());
        QVERIFY(v.screen.findChild<QAction*>("mnuExpand")->isVisible());
        QVERIFY(v.screen.findChild<QAction*>("mnuTextDelete")->isVisible());
        menu->hide();
        QVERIFY(list->isSelected(2));
        QVERIFY(!list->isSelected(0));
        QVERIFY(remove->isEnabled());
        v.screen.findChild<QAction*>("mnuTextDelete")->trigger();
        QVERIFY(!RunPendingCommand(*v.viewer, v.state, v.pass, v.ports));
        QCOMPARE(v.viewer->IndexCount(), std::int64_t{10}); // the header and nine lines
    }

    // The extract dialog's heading names its verb in capitals like the rest of it.
    void extractHeadingIsInCapitals() {
        Viewing v;
        QString heading;
        ui::SetViewerDialogHookForTest([&heading](ui::frmContext& dialog) {
            QTimer::singleShot(0, &dialog, [&dialog, &heading] {
                heading = dialog.findChild<QLabel*>("lblEnterContexts")->text();
                dialog.reject();
            });
        });
        v.menu(ViewerMenu::SaveExtract);
        QCOMPARE(heading, QString("ENTER VALUES FOR FIRST AND LAST RECORDS TO SAVE"));
    }

    // The list has the keys from the start: Page Down without a click, Home and End within the
    // page, Ctrl+Home and Ctrl+End to the first and last record.
    void keysPageFromTheStart() {
        Viewing v(tenHits(), 4);
        v.screen.show();
        QVERIFY(QTest::qWaitForWindowActive(&v.screen));
        ui::KwicLineList* list = v.screen.lines();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
        const QStringList first{"zebra", "apple", "mango", "lemon"};
        const QStringList last{"peach", "plum", "kiwi", "fig"};
        QCOMPARE(v.shownHits(), first);
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(list->currentRow(), 3);
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(list->currentRow(), 0);
        QTest::keyClick(list, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(v.shownHits(), last);
        QCOMPARE(list->currentRow(), 3);
        QTest::keyClick(list, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(v.shownHits(), first);
        QCOMPARE(list->currentRow(), 0);
        QTest::keyClick(list, Qt::Key_PageDown);
        QTest::keyClick(list, Qt::Key_PageDown);
        QCOMPARE(v.shownHits(), (QStringList{"grape", "melon", "peach", "plum"}));
    }

    // The every-nth box: Enter confirms it, Escape cancels it.
    void everyNthBoxTakesEnterAndEscape() {
        Viewing v(tenHits(), 4);
        v.screen.show();
        QVERIFY(QTest::qWaitForWindowActive(&v.screen));
        auto* box = v.screen.findChild<QLineEdit*>("txtNumber");
        QTimer::singleShot(0, [box] {
            box->setText("3");
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(v.screen.askStepN(1), std::optional<int>(3));
        QTimer::singleShot(0, [box] {
            box->setText("5");
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QCOMPARE(v.screen.askStepN(1), std::optional<int>());
    }

    // A larger window is more lines and columns, not blank space; larger text is fewer lines.
    // The text size is remembered in the settings file and taken by the next screen.
    void pageFillsTheWindowAndFollowsTheTextSize() {
        Viewing v(tenHits(), 4);
        v.state.SettingsPath = (v.dir.path() + "/lexmora9.ini").toStdString();
        v.screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v.screen));
        QCOMPARE(v.screen.lines()->count(), std::size_t{4});
        v.screen.resize(v.screen.width() + 400, v.screen.height() + 300);
        QTRY_VERIFY(v.state.ScreenLines > 10);
        QCOMPARE(v.screen.lines()->count(), std::size_t{10}); // every hit on one page
        QVERIFY(v.state.ScreenColumns > 86);
        const int lines = v.state.ScreenLines;
        const int points = v.screen.textPoints();
        for (int i = 0; i < 3; ++i)
            v.screen.findChild<QAction*>("mnuTextLarger")->trigger();
        QCOMPARE(v.screen.textPoints(), points + 3);
        QVERIFY(v.state.ScreenLines < lines);
        ui::frmViewScreen next(v.state, v.prompter);
        QCOMPARE(next.textPoints(), points + 3);
        v.screen.findChild<QAction*>("mnuTextNormal")->trigger();
        QCOMPARE(v.screen.textPoints(), points);
        QCOMPARE(v.state.ScreenLines, lines);
        QCOMPARE(v.screen.findChild<QAction*>("mnuTextLarger")->shortcut(),
                 QKeySequence(QKeySequence::ZoomIn));
    }

    void sortedListSavedAsNewReopensInThatOrder() {
        Viewing v;
        answerDialog("1", "");
        v.menu(ViewerMenu::SortByEnd);
        const QStringList sorted = v.shownHits();
        v.prompter.answers["Save changes?"] = Answer::Ok;
        v.menu(ViewerMenu::SaveSorted);
        const std::string saved = v.outputEndingIn(".new");
        QVERIFY(!saved.empty());
        QCOMPARE(readAll(saved).size(), readAll(v.path).size());
        v.open(saved);
        QCOMPARE(v.shownHits(), sorted);
    }

    void extractToFileAndClipboard() {
        Viewing v;
        answerDialog("3", "4");
        v.menu(ViewerMenu::SaveExtract);
        const std::string cnc = v.outputEndingIn(".cnc");
        QVERIFY(!cnc.empty());
        const std::string expected = ExtractLine(v.viewer->GetRecord(3), LineForm::WholeRecord,
                                                 v.viewer->LeftContextWidth()) +
                                     "\r\n" +
                                     ExtractLine(v.viewer->GetRecord(4), LineForm::WholeRecord,
                                                 v.viewer->LeftContextWidth()) +
                                     "\r\n";
        QCOMPARE(readAll(cnc), expected);
        QVERIFY(expected.find("apple cat t\xE1lking") != std::string::npos);

        // The clipboard holds Unicode: the Windows-1252 byte E1 is U+00E1.
        answerDialog("2", "3");
        v.menu(ViewerMenu::CopyExtract);
        const QString copied = QGuiApplication::clipboard()->text();
        QCOMPARE(copied.count("\r\n"), 2);
        QVERIFY(copied.contains(QString::fromUtf8("apple cat t\xC3\xA1lking")));
        QVERIFY(copied.contains("zebra cat walking"));
    }

    void printedExtractHoldsHeadingAndRecords() {
        Viewing v;
        const QString pdf = v.dir.filePath("extract.pdf");
        v.printer.printToPdf(pdf);
        v.prompter.answers[" About to send text to printer"] = Answer::Ok;
        answerDialog("2", "4");
        v.menu(ViewerMenu::PrintExtract);
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains("cat_001.dmp"), qPrintable(text));
        QVERIFY(text.contains("records:"));
        for (const char* hit : {"zebra cat walking", "mango cat king"})
            QVERIFY2(text.contains(hit), hit);
        QVERIFY(!text.contains("lemon cat"));
    }

    // Two print jobs of selected lines on one document: Yes to "more on the same page" holds
    // it open, No sends it.
    void printedTextGoesOnOnePageUntilNo() {
        Viewing v;
        const QString pdf = v.dir.filePath("text.pdf");
        v.printer.printToPdf(pdf);
        v.prompter.answers[" About to send text to printer"] = Answer::Ok;
        v.prompter.answers[" Printing sent to spooler..."] = Answer::Yes;
        const struct {
            int row;
            Answer more;
        } jobs[] = {{0, Answer::Yes}, {2, Answer::No}};
        for (const auto& job : jobs) {
            v.screen.ClearSelection();
            v.screen.lines()->setSelected(static_cast<std::size_t>(job.row), true);
            v.screen.SyncSelection();
            v.prompter.answers[" Printing sent to spooler..."] = job.more;
            v.run(PrintTextFlag{PrintedText::SelectedLines});
            QCOMPARE(QFile::exists(pdf), job.more == Answer::No);
        }
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains("zebra cat walking"), qPrintable(text));
        QVERIFY(text.contains("mango cat king"));
        QVERIFY(!text.contains("apple cat"));
    }

    void recordDetailsWindowShowsTheWiderContext() {
        Viewing v;
        QString shown, caption;
        onModal([&](QWidget& window) {
            caption = window.windowTitle();
            shown = window.findChild<QPlainTextEdit*>("picTextFrame")->toPlainText();
            window.findChild<QPushButton*>("cmdCopy")->click();
        });
        v.run(DetailsFlag{2}); // the third line: mango
        QCOMPARE(caption, QString("Record Details"));
        QVERIFY2(shown.contains("record no. = 3"), qPrintable(shown));
        QVERIFY(shown.contains("sourcefile  =  "));
        QVERIFY(shown.contains("three mango cat king size"));
        // Copy posted its command; the loop puts the details on the clipboard.
        QVERIFY(!RunPendingCommand(*v.viewer, v.state, v.pass, v.ports));
        QVERIFY(QGuiApplication::clipboard()->text().startsWith("findstring = cat"));
    }

    void leavingAsksAboutUnsavedDeletions() {
        struct Case {
            Answer save;
            bool written;
        };
        for (const Case& c : {Case{Answer::No, false}, Case{Answer::Yes, true}}) {
            Viewing v;
            v.adapter.chosen = {v.path};
            v.prompter.answers[" About to return to main screen"] = Answer::No;
            v.prompter.answers["Save changes to file?"] = c.save;
            v.prompter.answers["Save changes?"] = Answer::Ok;
            const std::string before = readAll(v.path);
            QTimer::singleShot(0, &v.screen, [&v] {
                v.screen.commands().post(DeleteFlag{0});
                QTimer::singleShot(0, &v.screen,
                                   [&v] { v.screen.findChild<QPushButton*>("cmdExit")->click(); });
            });
            RunResultViewer(v.state, v.ports);
            QVERIFY(std::find(v.prompter.titles.begin(), v.prompter.titles.end(),
                              "Save changes to file?") != v.prompter.titles.end());
            QCOMPARE(!v.outputEndingIn(".new").empty(), c.written);
            QCOMPARE(readAll(v.path), before); // the viewed file is never changed
        }
    }

    // A command still pending when the user leaves stays with that viewer's screen: the next
    // viewer, on a screen of its own, does not run it on the file it opens.
    void aCommandLeftPendingDoesNotReachTheNextViewer() {
        Viewing v;
        v.adapter.chosen = {v.path};
        v.prompter.answers[" About to return to main screen"] = Answer::No;
        QTimer::singleShot(0, &v.screen, [&v] {
            v.screen.commands().post(DeleteFlag{0}); // in the same turn as Exit, which goes first
            v.screen.findChild<QPushButton*>("cmdExit")->click();
        });
        RunResultViewer(v.state, v.ports);
        QCOMPARE(v.screen.commands().pending<DeleteFlag>(), DeleteFlag{0});

        ui::frmViewScreen next(v.state, v.prompter);
        next.prepareForViewing(22);
        ChosenScreen adapter(next, v.state, &v.prompter, &v.printer);
        adapter.chosen = {v.path};
        ViewerPorts ports{adapter, v.prompter, v.clipboard, v.printer, v.files};
        v.prompter.titles.clear();
        QTimer::singleShot(0, &next, [&next] {
            QTimer::singleShot(0, &next,
                               [&next] { next.findChild<QPushButton*>("cmdExit")->click(); });
        });
        RunResultViewer(v.state, ports);
        // Nothing was deleted in the second viewer, so leaving it asks only whether to leave.
        QCOMPARE(v.prompter.titles, std::vector<std::string>{" About to return to main screen"});
        QVERIFY(next.commands().empty());
    }

    // Choosing result files hands back full paths and leaves the search's choice of sources.
    void resultFileChooserKeepsTheSearchSelection() {
        Viewing v;
        v.state.SourceFilesSaved = {"novel.txt"};
        v.state.SourceFileCount = 1;
        v.state.DialogPattern = "*.txt";
        const std::string folder = (v.dir.path() + "/out").toStdString();
        QString caption;
        onModal([&caption](QWidget& window) {
            caption = window.windowTitle();
            auto* files = window.findChild<QListWidget*>("filList");
            for (int i = 0; files != nullptr && i < files->count(); ++i)
                files->item(i)->setSelected(files->item(i)->text() == "cat_001.dmp");
            window.findChild<QPushButton*>("cmdOK")->click();
        });
        const auto chosen = ui::ChooseResultFiles(v.state, v.prompter, kSelectFilesToView,
                                                  kViewFileMask, folder, &v.screen);
        QCOMPARE(caption, QString(kSelectFilesToView));
        QVERIFY(chosen.has_value());
        QCOMPARE(*chosen, std::vector<std::string>{folder + "/cat_001.dmp"});
        QCOMPARE(v.state.SourceFilesSaved, std::vector<std::string>{"novel.txt"});
        QCOMPARE(v.state.SourceFileCount, 1LL);
        QCOMPARE(v.state.DialogPattern, std::string("*.txt"));
    }

    // The main window's menu item and icon open the chooser of result files in the target
    // folder; Cancel there leaves the viewer and brings the main window back.
    void mainWindowOpensTheViewer() {
        QTemporaryDir folder;
        ProgramState state;
        const std::string home = folder.path().toStdString();
        LoadSettings(state, SettingsEnvironment{home, home, ""});
        StartValues start = TakeStartValues(state);
        TitlePrompter prompter;
        ui::frmConShell window(state, start, prompter);
        window.show();
        const std::function<void()> ways[] = {
            [&window] { window.findChild<QAction*>("mnuViewDump")->trigger(); },
            [&window] { window.findChild<QToolButton*>("imgView")->click(); },
        };
        for (const auto& open : ways) {
            QString caption;
            bool mainHidden = false;
            onModal([&](QWidget& chooser) {
                caption = chooser.windowTitle();
                mainHidden = !window.isVisible();
                chooser.findChild<QPushButton*>("cmdCancel")->click();
            });
            open();
            QCOMPARE(caption, QString(kSelectFilesToView));
            QVERIFY(mainHidden);
            QVERIFY(window.isVisible());
        }
    }

    void fortyThousandRecordsScaleTheBar() {
        std::string text;
        for (int i = 0; i < 40000; ++i)
            text += "a cat\r\n";
        Viewing v(text);
        QCOMPARE(v.viewer->RecordTotal(), 40001);
        QVERIFY(v.viewer->ScrollScaled());
        QVERIFY(qAbs(v.viewer->ScrollScale() - 40001.0 / 32767.0) < 1e-4);
        auto* bar = v.screen.findChild<QScrollBar*>("vscVertical");
        QVERIFY(bar->maximum() <= 32767);
        QVERIFY(bar->maximum() > 32700);
        bar->setValue(16384);
        QVERIFY(qAbs(v.state.TopPosition - 20000) < 5);
        QCOMPARE(v.recordLabel().split(' ', Qt::SkipEmptyParts).first().toLongLong(),
                 v.state.TopPosition);
        bar->setValue(bar->maximum());
        QCOMPARE(v.recordLabel(), QString(" 39980 to 40001 of 40001"));
    }
};

QTEST_MAIN(ViewerRunQtTest)
#include "viewer_run_qt_test.moc"
