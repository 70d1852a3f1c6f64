// The word-frequency window offscreen: a count from Start to the viewer, the start checks, Exit
// answered No and Yes during a count, the sorts, the word search, the norms, a saved ".lex"
// range, a two-column print, and word lists that must be refused.
#include "ui/frmViewCount.h"

#include "core/settings.h"
#include "support/pdf_text.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace lexmora;

namespace {

void writeFile(const QString& path, const std::string& bytes) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << bytes;
}

std::string readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}

// `count` words made of letters only, all different.
std::string distinctWords(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string word = "q";
        for (int n = i, k = 0; k < 4; ++k, n /= 26)
            word += static_cast<char>('a' + n % 26);
        text += word + (i % 10 == 9 ? "\r\n" : " ");
    }
    return text;
}

struct Fixture {
    QTemporaryDir dir;
    ProgramState state;
    ScriptedPrompter prompter{{}};
    Fixture() {
        for (const char* sub : {"src", "out", "tmp", "program"})
            QDir(dir.path()).mkdir(sub);
        state.ProgramFolder = path("program");
        state.SourceDirectory = path("src");
        state.FrequencyFilesDirectory = path("out");
        state.TempDirectory = path("tmp");
        state.InvalidFileNameChars = "\\/:*?\"<>|";
        ApplyLanguage(state, LanguageId::English);
    }
    std::string path(const char* sub) const { return (dir.path() + "/" + sub).toStdString(); }
    void source(const char* name, const std::string& text) {
        writeFile(dir.path() + "/src/" + name, text);
        state.SourceFiles.push_back(name);
        state.SourceFileCount = static_cast<long long>(state.SourceFiles.size());
    }
    QStringList entries(const char* sub) const {
        return QDir(dir.path() + "/" + sub).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }
};

QString cell(ui::frmViewCount& w, const char* column, int row) {
    auto* list = w.findChild<QListWidget*>(column);
    return row < list->count() ? list->item(row)->text() : QString();
}

// Counts into "name" through the window and continues to the viewer.
void countAndView(ui::frmViewCount& w, const QString& name) {
    w.findChild<QLineEdit*>("txtUserInput")->setText(name);
    w.pressStart();
    QCOMPARE(w.lastCount().outcome, CountOutcome::Completed);
    QCOMPARE(w.findChild<QPushButton*>("cmdStart")->text(), QString("&Continue"));
    w.pressStart();
    QCOMPARE(w.mode(), FrequencyWindowMode::Viewing);
    QVERIFY(w.table() != nullptr);
}

} // namespace

class FrmViewCountTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void samplesFromStartToTheViewer() {
        Fixture f;
        f.state.SourceDirectory = LEXMORA_BIN_DIR "/samples";
        f.state.AllFilesInFolder = true;
        f.state.SourceFileType = "*.txt";
        ui::frmViewCount w(f.state, f.prompter);
        countAndView(w, "samples");
        QCOMPARE(f.entries("tmp"), QStringList()); // no bucket file or folder left
        QCOMPARE(f.entries("out"), (QStringList{"samples.lst", "samples.sta"}));
        // The first rows are the list's first types, read back from the pair.
        const FrequencyTable& table = *w.table();
        QCOMPARE(w.findChild<QListWidget*>("lstWords")->count(), kVisibleRows);
        for (int i = 0; i < kVisibleRows; ++i) {
            const FrequencyRow row = table.row(i);
            QCOMPARE(cell(w, "lstRecord", i), QString::number(i + 1));
            QCOMPARE(cell(w, "lstWords", i), QString::fromLatin1(row.word.c_str()));
            QCOMPARE(cell(w, "lstCount", i), QString::number(row.frequency));
            QCOMPARE(cell(w, "lstPerCent", i), QString::fromStdString(row.percentage));
            QCOMPARE(cell(w, "lstNorm", i), QString::fromStdString(row.norm));
        }
        QCOMPARE(w.findChild<QLabel*>("lblTokenCount")->text(),
                 QString::number(w.lastCount().tokens));
        QVERIFY(f.prompter.shown.empty());
    }

    void normsOfTheExamples() {
        struct Case {
            int tokens;
            int norm;
            QString expected;
        };
        for (const Case& c : {Case{1000, 1, "0.5 per 100"}, Case{12034, 5, "83 per 1M"}}) {
            Fixture f;
            const int times = c.tokens == 1000 ? 5 : 1;
            std::string text;
            for (int i = 0; i < times; ++i)
                text += "Marker ";
            f.source("a.txt", text + distinctWords(c.tokens - times));
            ui::frmViewCount w(f.state, f.prompter);
            countAndView(w, "norms");
            QCOMPARE(w.table()->file().tokenCount, c.tokens);
            w.post(FrequencyNormRequest{c.norm});
            // A search that differs in case finds the word and selects its row.
            w.dialogs().askText = [](const std::string&, std::size_t) {
                return std::optional<std::string>("mARKER");
            };
            w.post(FrequencyWordSearchRequest{});
            auto* words = w.findChild<QListWidget*>("lstWords");
            QVERIFY(words->currentRow() >= 0);
            QCOMPARE(words->currentItem()->text(), QString("Marker"));
            QCOMPARE(cell(w, "lstNorm", words->currentRow()), c.expected);
        }
    }

    void selectionShownWithItsProposedName() {
        Fixture f;
        writeFile(f.dir.path() + "/src/report.txt", "be an an");
        ui::frmViewCount w(f.state, f.prompter);
        auto* summary = w.findChild<QLabel*>("lblSelection");
        auto* name = w.findChild<QLineEdit*>("txtUserInput");
        QCOMPARE(summary->text(), QString("  no files selected "));
        w.dialogs().chooseCountFiles = [&f] { // as the chooser leaves its answer
            f.state.SourceFilesSaved = {"report.txt"};
            f.state.DialogFolder = f.path("src");
            return true;
        };
        w.ChooseCountFiles();
        QCOMPARE(summary->text(), QString("  1 file(s) selected "));
        QCOMPARE(name->text(), QString("report"));
        f.state.SourceIsFileList = true;
        f.state.StoredFileList = {"/x/a.txt", "/y/b.txt"};
        f.state.SourceFileCount = 2;
        f.state.FileListName = "/lists/mylist.flist";
        name->clear();
        w.ShowSelection();
        QCOMPARE(summary->text(), QString::fromLatin1("\xAB mylist.flist \xBB containing 2 files"));
        QCOMPARE(name->text(), QString("mylist"));
        w.dialogs().chooseFolder = [&f] { return std::optional<std::string>(f.path("tmp")); };
        w.ChooseOutputFolder();
        QCOMPARE(w.findChild<QLabel*>("lblSaveTo")->text(),
                 "Save results to file: " + QString::fromStdString(f.path("tmp")) + "/");
    }

    void startChecksRefuseAndNameTheirFault() {
        struct Case {
            const char* what;
            std::function<void(Fixture&)> setUp;
            QString name;
            std::string title;
        };
        const std::vector<Case> cases = {
            {"no name", [](Fixture& f) { f.source("a.txt", "be an an"); }, "", "File name needed"},
            {"source folder",
             [](Fixture& f) {
                 f.source("a.txt", "be an an");
                 f.state.FrequencyFilesDirectory = f.path("src") + "/../src/";
             },
             "x", " Paths incompatible!"},
            {"read-only folder",
             [](Fixture& f) {
                 f.source("a.txt", "be an an");
                 f.state.FrequencyFilesDirectory = "/proc";
             },
             "x", " Read-Only Folder"},
            {"missing folder",
             [](Fixture& f) {
                 f.source("a.txt", "be an an");
                 f.state.FrequencyFilesDirectory = f.path("gone");
             },
             "x", "Folder error"},
            {"empty selection", [](Fixture&) {}, "x", ""},
        };
        for (const Case& c : cases) {
            Fixture f;
            c.setUp(f);
            ScriptedPrompter prompter({Answer::Cancel});
            ui::frmViewCount w(f.state, prompter);
            w.findChild<QLineEdit*>("txtUserInput")->setText(c.name);
            w.pressStart();
            QVERIFY2(prompter.shown.size() == 1, c.what);
            QCOMPARE(prompter.shown[0].title, c.title);
            QCOMPARE(w.lastCount().outcome, CountOutcome::Failed); // never started
            QCOMPARE(f.entries("out"), QStringList());
        }
    }

    void exitAnsweredNoThenYesLeavesNothing() {
        Fixture f;
        f.source("big.txt", distinctWords(17576) + distinctWords(17576) + distinctWords(17576));
        ScriptedPrompter prompter({Answer::No, Answer::Yes});
        ui::frmViewCount w(f.state, prompter);
        w.findChild<QLineEdit*>("txtUserInput")->setText("big");
        int yields = 0;
        QString pausedCaption;
        w.onYieldForTest = [&](ProgramState& s) {
            ++yields;
            if (yields == 2) { // pause, then continue from the wait
                w.pressStart();
                pausedCaption = w.findChild<QPushButton*>("cmdStart")->text();
            } else if (yields == 3 && s.PauseFlag) {
                w.pressStart();
            } else if (yields == 4 || yields == 6) {
                w.pressExit();
            }
        };
        w.pressStart();
        QCOMPARE(pausedCaption, QString("&Continue"));
        QCOMPARE(prompter.shown.size(), std::size_t{2});
        QCOMPARE(prompter.shown[0].title, std::string(" Abandon Wordcount"));
        QCOMPARE(w.lastCount().outcome, CountOutcome::Abandoned);
        QCOMPARE(w.mode(), FrequencyWindowMode::Leaving);
        QCOMPARE(f.entries("tmp"), QStringList());
        QCOMPARE(f.entries("out"), QStringList());
    }

    void minimisingRefusedOnlyWhileTheCountRuns() {
        Fixture f;
        f.source("big.txt", distinctWords(17576) + distinctWords(17576));
        ScriptedPrompter prompter({});
        ui::frmViewCount w(f.state, prompter);
        w.show();
        w.findChild<QLineEdit*>("txtUserInput")->setText("big");
        int phase = 0;
        bool minimisedWhilePaused = false;
        bool languageLocked = false;
        w.onYieldForTest = [&](ProgramState& s) {
            if (phase == 0) {
                // The count's language and word breaks cannot change under it.
                for (QMenu* menu : w.findChildren<QMenu*>("mnuLanguage"))
                    languageLocked = languageLocked || !menu->menuAction()->isEnabled();
                w.showMinimized(); // refused: put back and told
                phase = 1;
            } else if (phase == 1 && !w.isMinimized()) {
                w.pressStart(); // paused: allowed
                w.showMinimized();
                phase = 2;
            } else if (phase == 2 && s.PauseFlag) {
                minimisedWhilePaused = w.isMinimized();
                w.showNormal();
                w.pressStart();
                phase = 3;
            }
        };
        w.pressStart();
        QCOMPARE(w.lastCount().outcome, CountOutcome::Completed);
        // The offscreen platform may echo a minimising once more; every refusal names "Pause",
        // none came while paused.
        QVERIFY(!prompter.shown.empty());
        for (const Message& m : prompter.shown) {
            QCOMPARE(m.title, std::string(" Action not permitted!"));
            QCOMPARE(m.text, std::string("You cannot minimise this window during active word "
                                         "count! \r\nYou must first click on \xAB Pause  \xBB "));
        }
        QVERIFY(minimisedWhilePaused);
        QVERIFY(languageLocked);
    }

    void languagesSetTheApostropheRule() {
        Fixture f;
        ui::frmViewCount w(f.state, f.prompter);
        struct Step {
            LanguageId language;
            bool apostropheBefore;
            bool apostropheAfter;
        };
        f.state.WordbreakAtHyphen = true;
        for (const Step& step :
             {Step{LanguageId::French, false, true}, Step{LanguageId::German, true, false},
              Step{LanguageId::Spanish, false, false}, Step{LanguageId::Spanish, true, true}}) {
            f.state.WordbreakAtApostrophe = step.apostropheBefore;
            w.chooseLanguage(step.language);
            QCOMPARE(f.state.WordbreakAtApostrophe, step.apostropheAfter);
            QCOMPARE(f.state.LanguageIndex, static_cast<int>(step.language));
            QVERIFY(f.state.WordbreakAtHyphen); // never changed by a language
        }
    }

    void scrollBarCoversMoreThan32767Types() {
        Fixture f;
        f.source("a.txt", distinctWords(40000));
        ui::frmViewCount w(f.state, f.prompter);
        countAndView(w, "many");
        auto* bar = w.findChild<QScrollBar*>("vscWords");
        QCOMPARE(bar->maximum(), 32767);
        bar->setValue(bar->maximum());
        QCOMPARE(cell(w, "lstRecord", kVisibleRows - 1), QString("40000"));
        bar->setValue(bar->minimum());
        QCOMPARE(cell(w, "lstRecord", 0), QString("1"));
    }

    void sortsAndTheWordEnding() {
        Fixture f;
        f.source("a.txt", "walked stalked talked the the the cat cat dog dog ant ant "
                          "Walked walked zebra");
        ui::frmViewCount w(f.state, f.prompter);
        countAndView(w, "sorts");
        w.post(FrequencySortCommand{FrequencySort::Descending});
        const QStringList descending = {"the", "walked",  "ant",    "cat",
                                        "dog", "stalked", "talked", "zebra"};
        for (int i = 0; i < descending.size(); ++i)
            QCOMPARE(cell(w, "lstWords", i), descending[i]);
        w.post(FrequencySortCommand{FrequencySort::Ascending});
        // Equal frequencies stay alphabetical both ways.
        const QStringList ascending = {"stalked", "talked", "zebra", "ant",
                                       "cat",     "dog",    "the",   "walked"};
        for (int i = 0; i < ascending.size(); ++i)
            QCOMPARE(cell(w, "lstWords", i), ascending[i]);
        w.post(FrequencySortCommand{FrequencySort::WordEnding});
        QStringList byEnding;
        for (int i = 0; i < 8; ++i)
            byEnding << cell(w, "lstWords", i);
        const auto at = [&](const char* word) { return byEnding.indexOf(word); };
        QVERIFY(at("talked") < at("stalked"));
        QVERIFY(at("stalked") < at("walked"));
        QCOMPARE(w.top(), 1);
    }

    void savedRangeHasTheExpectedBytes() {
        Fixture f;
        f.source("a.txt", "be an an");
        f.prompter = ScriptedPrompter({Answer::No, Answer::Ok});
        ui::frmViewCount w(f.state, f.prompter);
        countAndView(w, "tiny");
        w.dialogs().chooseRange = [](RangeBy, bool) {
            return std::optional<ui::FrequencyRange>({1, 1, true});
        };
        w.post(FrequencySaveRequest{RangeBy::ListOrder});
        QCOMPARE(readFile(f.dir.path() + "/out/tiny_001.lex"),
                 std::string("       Word/type       Frequency    %    norm\r\n"
                             "1     an                  2     66.6667% 66.7 per 100 \r\n"));
        QCOMPARE(f.prompter.shown.back().title, std::string("Operation finished"));
    }

    void rangeWithMinimumAboveMaximumSavesNothing() {
        Fixture f;
        f.source("a.txt", "be an an");
        ui::frmViewCount w(f.state, f.prompter);
        countAndView(w, "tiny");
        int asked = 0;
        w.dialogs().chooseRange = [&asked](RangeBy, bool) {
            ++asked; // Retry brings the dialog back
            return std::optional<ui::FrequencyRange>({2, 1, true});
        };
        f.prompter = ScriptedPrompter({Answer::Retry, Answer::Cancel});
        w.post(FrequencySaveRequest{RangeBy::Frequency});
        QCOMPARE(asked, 2);
        QCOMPARE(f.prompter.shown.size(), std::size_t{2});
        QCOMPARE(f.prompter.shown[0].title, std::string(" Error in entering values !"));
        QCOMPARE(f.entries("out"), (QStringList{"tiny.lst", "tiny.sta"}));
    }

    void noWordsOffersRestartAndNothingChosenIsTold() {
        Fixture f;
        f.source("a.bin", std::string("\0\0binary\0", 9));
        ui::frmViewCount w(f.state, f.prompter);
        w.findChild<QLineEdit*>("txtUserInput")->setText("none");
        w.pressStart();
        QCOMPARE(w.lastCount().outcome, CountOutcome::NoWords);
        QCOMPARE(f.prompter.shown.back().title, std::string(" Aborting wordcount"));
        QCOMPARE(w.findChild<QPushButton*>("cmdStart")->text(), QString("&Restart"));
        QCOMPARE(f.entries("tmp"), QStringList());
        QCOMPARE(f.entries("out"), QStringList());
        // "View Word Frequency File" with nothing chosen: told, and back to counting.
        w.dialogs().chooseListFile = [] { return std::optional<std::string>(); };
        w.setMode(FrequencyWindowMode::Viewing);
        w.SelectCountFile();
        QCOMPARE(f.prompter.shown.back().title, std::string(" No files !"));
        QCOMPARE(w.mode(), FrequencyWindowMode::Counting);
    }

    // Opened to view a list (the main window's "View Word Frequency Files"), a Cancel in the file
    // choice goes back where the user came from: out of the window, not into counting.
    void cancelledChoiceGoesBackWhereTheUserCameFrom() {
        Fixture f;
        f.state.FrequencyMode = FrequencyWindowMode::Viewing;
        ui::frmViewCount w(f.state, f.prompter);
        w.dialogs().chooseListFile = [] { return std::optional<std::string>(); };
        w.SelectCountFile();
        QCOMPARE(f.prompter.shown.back().title, std::string(" No files !"));
        QCOMPARE(w.mode(), FrequencyWindowMode::Leaving);
    }

    void twoColumnPrintToPdf() {
        Fixture f;
        f.source("a.txt", "walked stalked talked the the the cat cat dog dog ant ant zebra");
        ui::frmViewCount w(f.state, f.prompter);
        countAndView(w, "print");
        const QString pdf = f.dir.path() + "/print.pdf";
        w.dialogs().chooseRange = [](RangeBy, bool) {
            return std::optional<ui::FrequencyRange>({1, 3, true});
        };
        w.dialogs().choosePrinter = [pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        w.post(FrequencyPrintRequest{RangeBy::Frequency});
        const QStringList lines = test::pdfText(pdf).split('\n');
        // The header twice on one line; the first half of the records on the left, the rest on
        // the right (pdftotext narrows the runs of blanks, so words are looked for). Printed by
        // frequency, highest first: the (3), ant, cat, dog (2), then the words of 1.
        QVERIFY(lines.size() > 4);
        QCOMPARE(lines[0].count("Word/type"), 2);
        QCOMPARE(lines[0].count("Frequency"), 2);
        QVERIFY(lines[1].contains(QRegularExpression("^6 +the +3 .* 4 +stalked +1 ")));
        QVERIFY(lines[4].contains(QRegularExpression("^3 +dog +2 .* 8 +zebra +1 ")));
    }

    void badWordListsAreRefused() {
        Fixture f;
        f.source("a.txt", "be an an");
        ui::frmViewCount w(f.state, f.prompter);
        countAndView(w, "good");
        const QString out = f.dir.path() + "/out/";
        const std::string list = readFile(out + "good.lst");
        const std::string index = readFile(out + "good.sta");
        struct Case {
            const char* what;
            std::string list;
            std::string index;
        };
        const std::vector<Case> cases = {
            {"index not matching", list, index.substr(0, index.size() - 8)},
            {"truncated list", list.substr(0, 50), index},
            {"foreign list", "<html>hello</html>\r\n", index},
            {"foreign index", list, "PK\x03\x04 not an index at all"},
        };
        for (const Case& c : cases) {
            writeFile(out + "bad.lst", c.list);
            writeFile(out + "bad.sta", c.index);
            f.prompter.shown.clear();
            QVERIFY2(!w.openCountFile((out + "bad.lst").toStdString()), c.what);
            QVERIFY2(f.prompter.shown.size() == 1, c.what);
            QVERIFY(w.table() == nullptr);
        }
    }
};

QTEST_MAIN(FrmViewCountTest)
#include "frmViewCount_test.moc"
