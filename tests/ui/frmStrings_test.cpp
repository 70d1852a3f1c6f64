// The keyword window driven by its control names: the keystroke rules in the entry box,
// committing, the lists, keyword files, the hand-over on OK and Cancel, the panel of accented
// letters and pasted text.
#include "support/when_modal.h"
#include "ui/character_panel.h"
#include "ui/frmStrings.h"

#include "codes/code_tables.h"
#include "core/settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace lexmora;
using lexmora::test::whenModal;

namespace {

QStringList rows(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QAction* action(QWidget* window, const char* name) {
    return window->findChild<QAction*>(name);
}

// Keys QTest cannot click: one key event per character, its text as typed.
void typeUnicode(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

void grab(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("LEXMORA_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    window->grab().save(dir + "/" + name + ".png");
}

// A part of a window, enlarged, to check that accents are not cut off.
void grabEnlarged(QWidget* part, const QString& name) {
    const QString dir = qEnvironmentVariable("LEXMORA_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    const QPixmap pixmap = part->grab();
    pixmap.scaled(pixmap.size() * 3).save(dir + "/" + name + ".png");
}

} // namespace

class FrmStringsTest : public QObject {
    Q_OBJECT

    struct Window {
        ProgramState state;
        ScriptedPrompter prompter{{}};
        ui::KeywordWindowHooks hooks;
        std::unique_ptr<ui::frmStrings> window;
        ui::KeywordEntryBox* box = nullptr;
        QListWidget* keywords = nullptr;
        QListWidget* excludes = nullptr;

        void open(bool askKeep = true) {
            window = std::make_unique<ui::frmStrings>(state, prompter, hooks, nullptr);
            QVERIFY(window->prepare(askKeep));
            window->show();
            box = window->findChild<ui::KeywordEntryBox*>("txtEnterStrings");
            keywords = window->findChild<QListWidget*>("lstStoreStrings");
            excludes = window->findChild<QListWidget*>("lstExcludeStrings");
            QVERIFY(box && keywords && excludes);
        }
        QStringList messages() const {
            QStringList out;
            for (const auto& m : prompter.shown)
                out << QString::fromLatin1(m.text.c_str());
            return out;
        }
    };

private Q_SLOTS:
    void controlsAndCaptions() {
        Window w;
        w.open();
        QCOMPARE(w.window->windowTitle(), QString("     Please enter keywords"));
        for (const char* name :
             {"txtEnterStrings", "chkCase", "optSearchStrings", "optExcludeStrings",
              "lstStoreStrings", "lstExcludeStrings", "cmdOK", "cmdCancel", "cmdClear",
              "fraCharacters", "lblLanguage", "lblSpecial"})
            QVERIFY2(w.window->findChild<QWidget*>(name) != nullptr, name);
        QCOMPARE(w.window->findChild<QLabel*>("lblSpecial")->text(),
                 QString(" special characters:   / , + , { , } , * , ? "));
        QCOMPARE(w.window->findChild<QRadioButton*>("optExcludeStrings")->text(),
                 QString(" Enter words to exclude"));
        QVERIFY(w.window->findChild<QRadioButton*>("optBefore")->isHidden());
        // Normal user level: the advanced menus are hidden.
        QVERIFY(!action(w.window.get(), "mnuLoadFiles")->isVisible());
        QVERIFY(!action(w.window.get(), "mnuTagged")->isVisible());
        QVERIFY(action(w.window.get(), "mnuNext")->isVisible());
        action(w.window.get(), "mnuUserAdvanced")->trigger();
        QVERIFY(w.state.AdvancedUser);
        QVERIFY(action(w.window.get(), "mnuLoadFiles")->isVisible());
        // Brackets and wildcard change the caption at once.
        action(w.window.get(), "mnuParenth")->trigger();
        action(w.window.get(), "mnuRoundAt")->trigger();
        QCOMPARE(w.state.OpenBracket, std::string("("));
        QCOMPARE(w.state.SingleWildcard, std::string("@"));
        QCOMPARE(w.window->findChild<QLabel*>("lblSpecial")->text(),
                 QString(" special characters:   / , + , ( , ) , * , @ "));
        action(w.window.get(), "mnuTagged")->trigger();
        QVERIFY(w.state.TaggedSearch);
        QCOMPARE(w.window->findChild<QRadioButton*>("optExcludeStrings")->text(),
                 QString(" Enter tag to match"));
        QVERIFY(!w.window->findChild<QRadioButton*>("optBefore")->isHidden());
        w.window->resize(w.window->sizeHint());
        grab(w.window.get(), "frmStrings-french");
    }

    void keystrokesAcceptedRefusedRewritten() {
        struct Row {
            const char* keys;
            const char* text;
            QStringList messages;
        };
        const QString after = QString::fromUtf8(" After { you must enter either « < » or « = » ");
        const Row table[] = {
            {"colour", "colour", {}},
            {"+ab", "ab", {}}, // refused silently
            {"ab*/", "ab*", {"You cannot use this procedure after a wildcard"}},
            {"ab{x", "ab{", {after}},
            {"ab{<3x", "ab{<3}", {"You must close brackets with }"}},
        };
        for (const auto& row : table) {
            Window w;
            w.open();
            QTest::keyClicks(w.box, row.keys);
            QCOMPARE(w.box->text(), QString(row.text));
            QCOMPARE(w.messages(), row.messages);
        }
        // A letter the program's character set cannot hold never reaches the box.
        Window w;
        w.open();
        typeUnicode(w.box, QString::fromUtf8("a\u0141b"));
        QCOMPARE(w.box->text(), QString("ab"));
        // In exclude mode the wildcards are refused with their message.
        QTest::keyClick(w.box, Qt::Key_Return);
        w.window->findChild<QRadioButton*>("optExcludeStrings")->click();
        QCOMPARE(w.window->lists().mode(), EntryMode::ExcludeStrings);
        QTest::keyClicks(w.box, "x*{");
        QCOMPARE(w.box->text(), QString("x"));
        QCOMPARE(w.messages(), (QStringList{"You cannot use special characters in words to exclude",
                                            "You cannot use this procedure in words to exclude"}));
    }

    void committingEntries() {
        Window w;
        w.open();
        QTest::keyClicks(w.box, "a/b/c");
        QTest::keyClick(w.box, Qt::Key_Return);
        QTest::keyClicks(w.box, "  big   house");
        QTest::keyClick(w.box, Qt::Key_Return);
        QCOMPARE(rows(w.keywords), (QStringList{"a/b,c", "big house"}));
        QVERIFY(w.box->text().isEmpty());
        QCOMPARE(w.keywords->currentRow(), 1);

        // Case: cannot be ticked while the box is empty; it goes with the entry.
        auto* caseBox = w.window->findChild<QCheckBox*>("chkCase");
        caseBox->click();
        QVERIFY(!caseBox->isChecked());
        QTest::keyClicks(w.box, "Paris");
        caseBox->click();
        QVERIFY(caseBox->isChecked());
        QTest::keyClick(w.box, Qt::Key_Return);
        QCOMPARE(w.keywords->item(2)->data(Qt::UserRole).toInt(), 1);
        QVERIFY(!caseBox->isChecked());

        // Exclude strings for "big house".
        w.keywords->setCurrentRow(1);
        w.window->findChild<QRadioButton*>("optExcludeStrings")->click();
        QVERIFY(!w.keywords->isEnabled());
        QVERIFY(w.excludes->isEnabled());
        QTest::keyClicks(w.box, "white");
        QTest::keyClick(w.box, Qt::Key_Return);
        QCOMPARE(rows(w.excludes), QStringList{"white"});
        w.window->findChild<QRadioButton*>("optSearchStrings")->click();

        // Double-click edits; the edited text replaces the line.
        const QPoint first = w.keywords->visualItemRect(w.keywords->item(0)).center();
        QTest::mouseClick(w.keywords->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(w.keywords->viewport(), Qt::LeftButton, {}, first);
        QCOMPARE(w.box->text(), QString("a/b,c"));
        w.box->setText("");
        QTest::keyClicks(w.box, "x/y");
        QTest::keyClick(w.box, Qt::Key_Return);
        QCOMPARE(rows(w.keywords), (QStringList{"x/y", "big house", "Paris"}));

        // Deleting the first keyword keeps "big house" with its exclude list.
        w.keywords->setCurrentRow(0);
        QTest::keyClick(w.keywords, Qt::Key_Delete);
        QCOMPARE(rows(w.keywords), (QStringList{"big house", "Paris"}));
        w.keywords->setCurrentRow(0);
        QCOMPARE(rows(w.excludes), QStringList{"white"});

        grab(w.window.get(), "frmStrings-lists");
        // OK hands the list over: lower-cased unless case-sensitive, exclude rows padded.
        w.window->findChild<QPushButton*>("cmdOK")->click();
        QCOMPARE(w.window->result(), int(QDialog::Accepted));
        QCOMPARE(w.state.Keywords, (std::vector<std::string>{"big house", "Paris"}));
        QCOMPARE(w.state.KeywordCase, (std::vector<bool>{false, true}));
        QCOMPARE(w.state.ExcludeStrings, (std::vector<std::vector<std::string>>{{"white"}, {""}}));
    }

    void excludeModeNeedsASelectedKeyword() {
        Window w;
        w.open();
        w.window->findChild<QRadioButton*>("optExcludeStrings")->click();
        QCOMPARE(w.messages(), QStringList{"First identify keyword by clicking on it"});
        QVERIFY(w.window->findChild<QRadioButton*>("optSearchStrings")->isChecked());
        QCOMPARE(w.window->lists().mode(), EntryMode::Keywords);
    }

    void okAndCancelThroughEditKeywords() {
        ProgramState state;
        state.Keywords = {"old"};
        state.KeywordCase = {false};
        state.ExcludeStrings = {{"no"}};
        state.ExcludeCase = {{false}};
        {
            // Keep, type one more, Cancel: nothing changes.
            ScriptedPrompter prompter({Answer::Yes});
            whenModal([](QWidget* modal) {
                auto* box = modal->findChild<ui::KeywordEntryBox*>("txtEnterStrings");
                QTest::keyClicks(box, "new");
                QTest::keyClick(box, Qt::Key_Return);
                modal->findChild<QPushButton*>("cmdCancel")->click();
            });
            QVERIFY(!ui::EditKeywords(nullptr, state, prompter, false, {}));
            QCOMPARE(state.Keywords, std::vector<std::string>{"old"});
            QCOMPARE(prompter.shown.size(), std::size_t(1));
            QCOMPARE(prompter.shown[0].title, std::string("1 keyword(s) already loaded"));
        }
        {
            // Keep, type one more left in the box, OK: both are handed over.
            ScriptedPrompter prompter({Answer::Yes});
            whenModal([](QWidget* modal) {
                QTest::keyClicks(modal->findChild<ui::KeywordEntryBox*>("txtEnterStrings"), "New");
                modal->findChild<QPushButton*>("cmdOK")->click();
            });
            QVERIFY(ui::EditKeywords(nullptr, state, prompter, false, {}));
            QCOMPARE(state.Keywords, (std::vector<std::string>{"old", "new"}));
            QCOMPARE(state.ExcludeStrings, (std::vector<std::vector<std::string>>{{"no"}, {""}}));
        }
    }

    void loadingKeywordFiles() {
        QTemporaryDir dir;
        const QString path = dir.path() + "/keys.txt";
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("^Paris\r\n\r\nlondon\r\n");
        }
        ProgramState state;
        state.AdvancedUser = true;
        state.Keywords = {"typed"};
        state.KeywordCase = {false};
        ui::KeywordWindowHooks hooks;
        hooks.chooseKeywordFiles = [&](QWidget*, ProgramState&) {
            return std::optional<std::vector<std::string>>({path.toStdString()});
        };
        // Keep the held keyword, then load from the window: Yes (keep) and OK (add).
        ScriptedPrompter prompter({Answer::Yes, Answer::Yes, Answer::Ok});
        QStringList shown;
        whenModal([&shown](QWidget* modal) {
            QTest::keyClicks(modal->findChild<ui::KeywordEntryBox*>("txtEnterStrings"), "more");
            modal->findChild<QAction*>("mnuLoadFiles")->trigger();
            // The window opens again with the loaded keywords, without asking again.
            whenModal([&shown](QWidget* again) {
                shown = rows(again->findChild<QListWidget*>("lstStoreStrings"));
                again->findChild<QPushButton*>("cmdCancel")->click();
            });
        });
        QVERIFY(!ui::EditKeywords(nullptr, state, prompter, false, {}, hooks));
        QCOMPARE(shown, (QStringList{"typed", "more", "Paris", "london"}));
        QCOMPARE(prompter.shown.size(), std::size_t(3));
        QCOMPARE(prompter.shown[1].title, std::string("2 keywords already loaded"));
        // Cancel at the end: the keywords held before the window opened.
        QCOMPARE(state.Keywords, std::vector<std::string>{"typed"});

        // The main window's "from Files": the load alone.
        ScriptedPrompter replace({Answer::No});
        QVERIFY(ui::EditKeywords(nullptr, state, replace, true, {}, hooks));
        QCOMPARE(state.Keywords, (std::vector<std::string>{"Paris", "london"}));
        QCOMPARE(state.KeywordCase, (std::vector<bool>{true, false}));
        QCOMPARE(LoadedKeywordsCaption(state), std::string("2 search string(s) entered"));
    }

    void savingKeywordFiles() {
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/saved.txt").toStdString();
        Window w;
        w.state.AdvancedUser = true;
        w.hooks.chooseSaveName = [&](QWidget*, const ProgramState&) {
            return std::optional<std::string>(path);
        };
        w.open();
        QTest::keyClicks(w.box, "Paris");
        w.window->findChild<QCheckBox*>("chkCase")->click();
        QTest::keyClick(w.box, Qt::Key_Return);
        typeUnicode(w.box, QString::fromUtf8("\u00e9t\u00e9"));
        QTest::keyClick(w.box, Qt::Key_Return);
        action(w.window.get(), "mnuSaveFiles")->trigger();
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("^Paris\r\n\xE9t\xE9\r\n"));
        QVERIFY(w.prompter.shown.empty());
    }

    void specialCharacterAtTheCaret() {
        Window w;
        ApplyLanguage(w.state, LanguageId::German);
        w.open();
        QCOMPARE(w.window->findChild<QLabel*>("lblLanguage")->text(), QString(" Language: German"));
        QVERIFY(w.window->findChild<QLabel*>("lblCharString3") != nullptr);
        QVERIFY(w.window->findChild<QLabel*>("lblCharString4") == nullptr);
        QTest::keyClicks(w.box, "Strae");
        w.box->setCursorPosition(4);
        auto* sharpS = w.window->findChild<QLabel*>("lblCharString3");
        QCOMPARE(sharpS->text(), QString::fromUtf8("\u00df"));
        QTest::mouseClick(sharpS, Qt::LeftButton);
        QCOMPARE(w.box->text(), QString::fromUtf8("Stra\u00dfe"));
        QCOMPARE(w.box->cursorPosition(), 5);
        grab(w.window.get(), "frmStrings-german");
        grabEnlarged(w.window->findChild<QWidget*>("fraCharacters"), "fraCharacters-german");
        // The key-text label inserts the same letter; it bypasses the keystroke filter.
        w.box->setText("ab{");
        w.box->setCursorPosition(3);
        QTest::mouseClick(w.window->findChild<QLabel*>("lblCharActionUC0"), Qt::LeftButton);
        QCOMPARE(w.box->text(), QString::fromUtf8("ab{\u00c4"));
        QVERIFY(w.prompter.shown.empty());

        // Another language rebuilds the panel and tells the main window.
        LanguageId told = LanguageId::English;
        Window f;
        ApplyLanguage(f.state, LanguageId::French);
        f.window = std::make_unique<ui::frmStrings>(f.state, f.prompter, f.hooks,
                                                    [&told](LanguageId l) { told = l; });
        QVERIFY(f.window->prepare(true));
        f.window->show();
        QVERIFY(f.window->findChild<QLabel*>("lblCharString12") != nullptr);
        grab(f.window.get(), "frmStrings-panel-french");
        action(f.window.get(), "mnuItalian")->trigger();
        QCOMPARE(told, LanguageId::Italian);
        QCOMPARE(f.state.LanguageIndex, 3);
        QVERIFY(f.window->findChild<QLabel*>("lblCharString4") != nullptr);
        QVERIFY(f.window->findChild<QLabel*>("lblCharString5") == nullptr);
        action(f.window.get(), "mnuEnglish")->trigger();
        QVERIFY(f.window->findChild<QLabel*>("lblCharString0") == nullptr);
        QCOMPARE(f.window->findChild<QLabel*>("lblLanguage")->text(),
                 QString(" Language: English"));
    }

    // The panel alone: a left click tells the letter, a right click asks for the language
    // menu where the mouse is, and a rebuild or a clear leaves no label of the rows before.
    void characterPanelSignals() {
        ui::CharacterPanel panel(nullptr);
        panel.build(LanguageId::Spanish);
        panel.show();
        QCOMPARE(panel.findChild<QLabel*>("lblLanguage")->text(), QString(" Language: Spanish"));
        QSignalSpy chosen(&panel, &ui::CharacterPanel::characterChosen);
        QSignalSpy menu(&panel, &ui::CharacterPanel::languageMenuRequested);
        QTest::mouseClick(panel.findChild<QLabel*>("lblCharString5"), Qt::LeftButton);
        QTest::mouseClick(panel.findChild<QLabel*>("lblCharActionUC1"), Qt::LeftButton);
        QCOMPARE(chosen.count(), 2);
        QCOMPARE(chosen.at(0).at(0).value<unsigned char>(), static_cast<unsigned char>(0xF1));
        QCOMPARE(chosen.at(1).at(0).value<unsigned char>(), static_cast<unsigned char>(0xC9));
        QCOMPARE(menu.count(), 0);
        QTest::mouseClick(panel.findChild<QLabel*>("lblCharString0"), Qt::RightButton);
        QCOMPARE(menu.count(), 1);
        QCOMPARE(chosen.count(), 2);
        panel.build(LanguageId::German);
        QVERIFY(panel.findChild<QLabel*>("lblCharString3") != nullptr);
        QVERIFY(panel.findChild<QLabel*>("lblCharString4") == nullptr);
        panel.clear();
        QVERIFY(panel.findChild<QLabel*>("lblCharString0") == nullptr);
        QCOMPARE(panel.findChild<QLabel*>("lblLanguage")->text(), QString(" Language: German"));
    }

    void pastedControlCharacters() {
        Window w;
        w.open();
        QGuiApplication::clipboard()->setText(QString("ab\tc\x01"
                                                      "d"));
        QTest::keyClick(w.box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.box->text(), QString("ab cd"));
        QTest::keyClick(w.box, Qt::Key_Return);
        // Line ends commit, like Enter; each line is normalised.
        w.box->typeText("one\r\ncolour\\color\nlast");
        QCOMPARE(rows(w.keywords), (QStringList{"ab cd", "one", "colour/color"}));
        QCOMPARE(w.box->text(), QString("last"));
        // Pasted operators and brackets meet the same rules as typed ones.
        w.box->clear();
        w.box->typeText("+x{y");
        QCOMPARE(w.box->text(), QString("x{"));
        QCOMPARE(w.prompter.shown.size(), std::size_t(1));
    }

    void nextWordMatchKeepsTheContextWidths() {
        Window w;
        w.state.LeftContext = 120;
        w.state.RightContext = 80;
        w.hooks.nextWordMatch = [](QWidget*, ProgramState& state) {
            if (state.LeftContext != 1 || state.RightContext != 0)
                return false;
            state.LeftContext = 0;
            state.RightContext = 5;
            return true;
        };
        w.open();
        QTest::keyClicks(w.box, "word");
        action(w.window.get(), "mnuNext")->trigger();
        QCOMPARE(w.box->text(), QString("word{<5}"));
        QCOMPARE(w.state.LeftContext, 120);
        QCOMPARE(w.state.RightContext, 80);
    }

    // "Regular expression": the keys go in as typed; a bad expression stays in the box with its
    // reason and a mark under its place; a good one joins the list between two "/", kept as
    // typed, and reaches the program state marked, with its case.
    void regularExpressionsEntered() {
        Window w;
        w.state.CodeRows = BuiltInCodeRows();
        w.open();
        auto* regex = w.window->findChild<QCheckBox*>("chkRegex");
        auto* fault = w.window->findChild<QLabel*>("lblRegexFault");
        QVERIFY(regex && fault);
        QCOMPARE(regex->text(), QString(" Regular expression"));
        regex->click();
        QTest::keyClicks(w.box, "colou(r+");
        QTest::keyClick(w.box, Qt::Key_Return);
        QCOMPARE(w.box->text(), QString("colou(r+"));
        QVERIFY(rows(w.keywords).isEmpty());
        QVERIFY(!fault->isHidden());
        QCOMPARE(fault->text(), QString("The regular expression colou(r+ cannot be searched for:\n"
                                        "missing closing parenthesis (at character 9).\n"
                                        "colou(r+\n"
                                        "        ^"));
        QCOMPARE(w.box->cursorPosition(), 8);
        w.window->resize(w.window->sizeHint());
        grab(w.window.get(), "frmStrings-regex-fault");
        QVERIFY(w.messages().isEmpty());

        w.box->setText("");
        QTest::keyClicks(w.box, "\\b(Walk|talk)(ed|ing)?\\b+");
        QVERIFY(w.box->text().endsWith("\\b+"));
        QTest::keyClick(w.box, Qt::Key_Backspace);
        QTest::keyClick(w.box, Qt::Key_Return);
        QVERIFY(fault->isHidden());
        QTest::keyClicks(w.box, "[[:upper:]]\\w+");
        w.window->findChild<QCheckBox*>("chkCase")->click();
        QTest::keyClick(w.box, Qt::Key_Return);
        regex->click(); // a plain keyword again
        QTest::keyClicks(w.box, "Walk+ed,ing/");
        QTest::keyClick(w.box, Qt::Key_Return);
        QCOMPARE(rows(w.keywords),
                 (QStringList{"/\\b(Walk|talk)(ed|ing)?\\b/", "/[[:upper:]]\\w+/", "Walk+ed,ing"}));
        w.window->findChild<QPushButton*>("cmdOK")->click();
        QCOMPARE(w.state.Keywords, (std::vector<std::string>{"\\b(Walk|talk)(ed|ing)?\\b",
                                                             "[[:upper:]]\\w+", "walk+ed,ing"}));
        QCOMPARE(w.state.KeywordRegex, (std::vector<bool>{true, true, false}));
        QCOMPARE(w.state.KeywordCase, (std::vector<bool>{false, true, false}));
    }
};

QTEST_MAIN(FrmStringsTest)
#include "frmStrings_test.moc"
