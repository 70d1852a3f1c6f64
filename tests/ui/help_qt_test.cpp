// The help pages: every window's topic has its page, "on this window" opens it under its title,
// every link between the pages leads somewhere, and a missing help folder is told.
#include "ui/help_qt.h"

#include "core/settings.h"
#include "ui/frmConShell.h"
#include "ui/frmWeb.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

using namespace lexmora;

class HelpTest : public QObject {
    Q_OBJECT

    static ProgramState shippedState() {
        ProgramState state;
        state.InstallFolder = LEXMORA_BIN_DIR;
        return state;
    }

private Q_SLOTS:
    void everyTopicHasItsOwnPage() {
        const ProgramState state = shippedState();
        // The windows' topics, and those the keyword window asks for.
        const char* topics[] = {
            ui::help::kIndex,  ui::help::kMainWindow, ui::help::kSearchScreen,
            ui::help::kViewer, ui::help::kWordCount,  ui::help::kFrequencyViewer,
            "keywords",        "keyword-options",     "special-characters",
            "tagged-files",    ui::help::kTableWindow};
        for (const char* topic : topics)
            QVERIFY2(ui::HelpPagePath(state, topic).endsWith(QString("/") + topic + ".html"),
                     topic);
        QVERIFY(ui::HelpPagePath(state, "no-such-topic").endsWith("/index.html"));
        ProgramState nowhere;
        QVERIFY(ui::HelpPagePath(nowhere, ui::help::kIndex).isEmpty());
    }

    void linksBetweenPagesLeadSomewhere() {
        const QDir help(QString(LEXMORA_BIN_DIR) + "/help");
        const QRegularExpression link("href=\"([^\"#:]+)\"");
        const QRegularExpression title("<title>([^<]+)</title>");
        for (const QString& name : help.entryList({"*.html"})) {
            QFile file(help.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            QVERIFY2(title.match(text).hasMatch(), qPrintable(name));
            for (auto it = link.globalMatch(text); it.hasNext();) {
                const QString target = it.next().captured(1);
                QVERIFY2(help.exists(target), qPrintable(name + " -> " + target));
            }
        }
    }

    void onThisWindowOpensTheWindowsPageUnderItsTitle() {
        QTemporaryDir folder;
        ProgramState state;
        const std::string path = folder.path().toStdString();
        LoadSettings(state, SettingsEnvironment{path, path, ""});
        state.InstallFolder = LEXMORA_BIN_DIR;
        StartValues start = TakeStartValues(state);
        ScriptedPrompter prompter({});
        ui::frmConShell window(state, start, prompter);
        struct Case {
            const char* item;
            const char* caption;
        };
        const Case cases[] = {{"mnuWindow", "The main window"},
                              {"mnuKWICLEXMORA", "KWIC-LEXMORA help"}};
        for (const Case& c : cases) {
            window.findChild<QAction*>(c.item)->trigger();
            auto* web = window.findChild<ui::frmWeb*>("frmWeb");
            QVERIFY(web != nullptr);
            QCOMPARE(web->windowTitle(), QString(c.caption));
        }
        // A link to another page changes the caption to that page's title.
        auto* web = window.findChild<ui::frmWeb*>("frmWeb");
        web->browser()->setSource(
            QUrl::fromLocalFile(QString(LEXMORA_BIN_DIR) + "/help/viewer.html"));
        QCOMPARE(web->windowTitle(), QString("Viewing search results"));
        QVERIFY(prompter.shown.empty());
    }

    void screenshot() {
        const QByteArray folder = qgetenv("LEXMORA_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("set LEXMORA_SCREENSHOT_DIR to save a picture of a help page");
        const ProgramState state = shippedState();
        ScriptedPrompter prompter({});
        QWidget owner;
        ui::ShowHelpTopic(&owner, state, prompter, ui::help::kMainWindow);
        auto* web = owner.findChild<ui::frmWeb*>("frmWeb");
        QVERIFY(QTest::qWaitForWindowExposed(web));
        QVERIFY(web->grab().save(QString::fromLocal8Bit(folder) + "/help-main-window.png"));
    }

    void missingHelpIsTold() {
        ProgramState state;
        state.InstallFolder = "/nonexistent";
        ScriptedPrompter prompter({});
        QWidget owner;
        ui::ShowHelpTopic(&owner, state, prompter, ui::help::kViewer);
        QCOMPARE(prompter.shown.size(), std::size_t(1));
        QCOMPARE(prompter.shown.front().text, std::string("Cannot find help file!"));
        QVERIFY(owner.findChild<ui::frmWeb*>() == nullptr);
    }
};

QTEST_MAIN(HelpTest)
#include "help_qt_test.moc"
