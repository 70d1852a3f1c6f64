// The main window's ways to a file without its chooser, offscreen: a dropped folder becomes the
// sources and a recent folder, a dropped word list opens in the frequency viewer and is
// remembered, the Recent Files menu lists what was opened, and a recent file that is gone is
// said so and taken off.
#include "support/when_modal.h"
#include "ui/frmConShell.h"

#include "core/recent_files.h"
#include "core/settings.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <fstream>

using namespace lexmora;
using lexmora::test::whenModal;

namespace {

struct Fixture {
    QTemporaryDir folder;
    ProgramState state;
    StartValues start;
    ScriptedPrompter prompter{{}};
    Fixture() {
        const std::string path = folder.path().toStdString();
        LoadSettings(state, SettingsEnvironment{path, path, ""});
        ApplyStoredLanguage(state);
        state.InstallFolder = LEXMORA_BIN_DIR;
        start = TakeStartValues(state);
    }
    std::string file(const QString& name, const std::string& bytes) const {
        const QString path = folder.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
        return path.toStdString();
    }
};

// A drop of `paths` as a file manager sends it; true when the window took it.
bool drop(QWidget& window, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << (path.startsWith("http") ? QUrl(path) : QUrl::fromLocalFile(path));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &dropped);
    return dropped.isAccepted();
}

QStringList recentCaptions(ui::frmConShell& window) {
    auto* menu = window.findChild<QMenu*>("mnuRecent");
    window.fillRecentMenu(menu);
    QStringList captions;
    for (QAction* item : menu->actions())
        captions << (item->isSeparator() ? "[" + item->text() + "]" : item->text());
    return captions;
}

} // namespace

class FrmConShellFilesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aDroppedFolderBecomesTheSourcesAndARecentFolder() {
        Fixture f;
        f.file("corpus/a.txt", "x");
        f.file("corpus/b.txt", "x");
        ui::frmConShell window(f.state, f.start, f.prompter);
        QCOMPARE(recentCaptions(window), QStringList{"(no recent files yet)"});
        QVERIFY(!drop(window, {"https://example.org/a.txt"})); // not a local file: refused

        const QString corpus = f.folder.filePath("corpus");
        QVERIFY(drop(window, {corpus}));
        QCOMPARE(f.state.SourceDirectory, corpus.toStdString());
        QCOMPARE(f.state.SourceFiles, (std::vector<std::string>{"a.txt", "b.txt"}));
        QCOMPARE(window.findChild<QLabel*>("lblFilesText")->text(), QString("2 file(s) selected"));
        QCOMPARE(recentCaptions(window), (QStringList{"[Source folders]", "&1 " + corpus}));
        QVERIFY(f.prompter.shown.empty());
    }

    void aDroppedWordListOpensInTheFrequencyViewerAndIsRemembered() {
        Fixture f;
        f.file("texts/a.txt", "the cat sat on the mat\r\n");
        QDir().mkpath(f.folder.filePath("prog"));
        QDir().mkpath(f.folder.filePath("freq"));
        QProcess count;
        count.start(QString(LEXMORA_BIN_DIR) + "/lexmora-cli",
                    {"--home", f.folder.filePath("prog"), "count", "--folder",
                     f.folder.filePath("freq"), "--out", "cats", f.folder.filePath("texts")});
        QVERIFY(count.waitForFinished(60000));
        QCOMPARE(count.exitCode(), 0);
        const QString list = f.folder.filePath("freq/cats.lst");
        ui::frmConShell window(f.state, f.start, f.prompter);

        QString shown;
        whenModal([&shown](QWidget* modal) {
            shown = modal->findChild<QLabel*>("lblFileShown")->text();
            qobject_cast<QDialog*>(modal)->reject();
        });
        QVERIFY(drop(window, {list}));
        QCOMPARE(shown, list);
        QCOMPARE(recentCaptions(window), (QStringList{"[Word lists]", "&1 cats.lst"}));
    }

    void aRecentFileThatIsGoneIsSaidSoAndTakenOff() {
        Fixture f;
        const std::string gone = f.folder.filePath("old/the_001.dmp").toStdString();
        const std::string kept = f.file("kept_001.dmp", "");
        QVERIFY(RememberRecent(f.state.SettingsPath, RecentKind::ResultFile, gone));
        QVERIFY(RememberRecent(f.state.SettingsPath, RecentKind::ResultFile, kept));
        ui::frmConShell window(f.state, f.start, f.prompter);
        QCOMPARE(recentCaptions(window),
                 (QStringList{"[Result files]", "&1 kept_001.dmp", "&2 the_001.dmp"}));

        window.findChild<QAction*>("mnuRecent2")->trigger();
        QCOMPARE(f.prompter.shown.size(), std::size_t{1});
        QCOMPARE(
            f.prompter.shown[0].text,
            std::string("the_001.dmp is no longer there.\r\nIt is taken off the recent files."));
        QCOMPARE(RecentPaths(f.state.SettingsPath, RecentKind::ResultFile),
                 std::vector<std::string>{kept});
    }
};

QTEST_MAIN(FrmConShellFilesTest)
#include "frmConShell_files_test.moc"
