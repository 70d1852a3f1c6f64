// The folder chooser: opening folder, the read-only refusal, a new folder, the hand-over.
#include "ui/frmGetDir.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>

using namespace lexmora;

namespace {

class Entries : public files::ChooserDialogs {
public:
    std::optional<std::string> chooseFolder(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    files::TextEntryAnswer enterText(const files::TextEntryRequest& request) override {
        requests.push_back(request);
        if (answers.empty())
            return {};
        auto next = answers.front();
        answers.pop_front();
        return next;
    }
    std::deque<files::TextEntryAnswer> answers;
    std::vector<files::TextEntryRequest> requests;
};

} // namespace

class FrmGetDirTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensInDialogFolderAndHandsTheChoiceBack() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("one/two");
        ProgramState state;
        state.DialogFolder = dir.path().toStdString();
        SilentPrompter prompter;
        ui::frmGetDir chooser(state, prompter);
        chooser.openAtDialogFolder();
        chooser.show();
        auto* folders = chooser.findChild<QListWidget*>("Dir1");
        QCOMPARE(folders->count(), 2); // ".." and "one"
        QCOMPARE(folders->item(1)->text(), QString("one"));
        Q_EMIT folders->itemActivated(folders->item(1));
        QCOMPARE(QString::fromStdString(chooser.folderShown()), dir.path() + "/one");
        QVERIFY(chooser.findChild<QLabel*>("lblBytesFree")->text().endsWith(" free"));
        chooser.findChild<QPushButton*>("cmdOK")->click();
        QVERIFY(chooser.resultOk());
        QCOMPARE(QString::fromStdString(state.DialogFolder), dir.path() + "/one");
        QVERIFY(chooser.isHidden());
    }

    void emptyDialogFolderMeansTheCurrentFolder() {
        ProgramState state;
        SilentPrompter prompter;
        ui::frmGetDir chooser(state, prompter);
        chooser.openAtDialogFolder();
        QCOMPARE(QString::fromStdString(chooser.folderShown()), QDir::currentPath());
    }

    void readOnlyFolderKeepsTheWindowOpen() {
        ProgramState state;
        state.DialogFolder = "/proc";
        SilentPrompter prompter;
        ui::frmGetDir chooser(state, prompter);
        chooser.openAtDialogFolder();
        chooser.show();
        chooser.findChild<QPushButton*>("cmdOK")->click();
        QVERIFY(!chooser.resultOk());
        QVERIFY(chooser.isVisible());
        QCOMPARE(prompter.shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(prompter.shown[0].title), QString(" Access denied!"));
    }

    void createsANewFolderAndMovesIntoIt() {
        QTemporaryDir dir;
        ProgramState state;
        state.DialogFolder = dir.path().toStdString();
        state.InvalidFileNameChars = "\\?<>:*/|\"";
        SilentPrompter prompter;
        Entries entries;
        entries.answers.push_back({true, "fresh"});
        ui::frmGetDir chooser(state, prompter);
        chooser.setDialogs(&entries);
        chooser.openAtDialogFolder();
        chooser.findChild<QPushButton*>("cmdCreate")->click();
        QCOMPARE(QString::fromStdString(chooser.folderShown()), dir.path() + "/fresh");
        QVERIFY(QDir(dir.path() + "/fresh").exists());
        QCOMPARE(entries.requests.size(), std::size_t(1));
        const std::size_t limit = std::min<std::size_t>(50, 255 - dir.path().size());
        QCOMPARE(entries.requests[0].maxLength, limit);
        QCOMPARE(QString::fromStdString(prompter.shown.at(0).text), QString("New folder created"));
    }

    void cancelLeavesNoResult() {
        ProgramState state;
        SilentPrompter prompter;
        ui::frmGetDir chooser(state, prompter);
        chooser.openAtDialogFolder();
        chooser.show();
        chooser.findChild<QPushButton*>("cmdCancel")->click();
        QVERIFY(!chooser.resultOk());
        QVERIFY(chooser.isHidden());
    }
};

QTEST_MAIN(FrmGetDirTest)
#include "frmGetDir_test.moc"
