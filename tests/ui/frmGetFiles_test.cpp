// The file chooser window: the hand-over through ProgramState in its roles, list building, and the
// file manager buttons, driven by control names.
#include "ui/frmGetFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>

using namespace lexmora;

namespace {

class Scripted : public files::ChooserDialogs {
public:
    std::optional<std::string> chooseFolder(const std::string& caption,
                                            const std::string&) override {
        captions.push_back(caption);
        if (folders.empty())
            return std::nullopt;
        auto next = folders.front();
        folders.pop_front();
        return next;
    }
    files::TextEntryAnswer enterText(const files::TextEntryRequest&) override {
        if (names.empty())
            return {};
        auto next = names.front();
        names.pop_front();
        return next;
    }
    std::deque<std::optional<std::string>> folders;
    std::deque<files::TextEntryAnswer> names;
    std::vector<std::string> captions;
};

void touch(const QString& path, const QByteArray& bytes = "x") {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QListWidgetItem* itemNamed(QListWidget* list, const QString& name) {
    const auto found = list->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

class FrmGetFilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_texts;
    QString m_lists;

    ProgramState freshState() {
        ProgramState state;
        state.SourceDirectory = m_texts.toStdString();
        state.DialogFolder = m_texts.toStdString();
        state.DialogPattern = "*.*";
        state.FileListDirectory = m_lists.toStdString();
        state.InvalidFileNameChars = "\\?<>:*/|\"";
        return state;
    }

private Q_SLOTS:
    void initTestCase() {
        m_texts = m_dir.path() + "/texts";
        m_lists = m_dir.path() + "/lists";
        QDir(m_dir.path()).mkpath("texts/sub");
        QDir(m_dir.path()).mkpath("lists");
        touch(m_texts + "/a.txt");
        touch(m_texts + "/b.txt");
        touch(m_texts + "/c.doc");
        touch(m_texts + "/sub/d.txt");
    }

    void chosenFilesAreHandedOver() {
        ProgramState state = freshState();
        SilentPrompter prompter;
        ui::frmGetFiles window(state, prompter);
        window.prepare(files::kSearchFilesCaption);
        window.show();
        QCOMPARE(window.windowTitle(), QString("Select files to search"));
        auto* files = window.findChild<QListWidget*>("filList");
        QCOMPARE(files->count(), 3);
        QVERIFY(!window.findChild<QPushButton*>("cmdAddFiles")->isEnabled());
        QVERIFY(window.findChild<QPushButton*>("cmdListMenu")->isHidden());
        itemNamed(files, "a.txt")->setSelected(true);
        itemNamed(files, "c.doc")->setSelected(true);
        QCOMPARE(window.findChild<QLabel*>("lblFileCount")->text(), QString("2 file(s) selected"));
        window.findChild<QPushButton*>("cmdOK")->click();
        QVERIFY(window.resultOk());
        QVERIFY(window.isHidden());
        QCOMPARE(state.SourceFilesSaved, (std::vector<std::string>{"a.txt", "c.doc"}));
        QCOMPARE(state.SourceFileCount, 2LL);
        QCOMPARE(QString::fromStdString(state.DialogFolder), m_texts);
    }

    void fileTypeAndTreeCount() {
        ProgramState state = freshState();
        SilentPrompter prompter;
        ui::frmGetFiles window(state, prompter);
        window.prepare(files::kWordCountCaption);
        window.show();
        QVERIFY(window.findChild<QPushButton*>("cmdListMenu")->isVisible());
        auto* type = window.findChild<QComboBox*>("cboFileType");
        const int txt = type->findText("*.txt");
        type->setCurrentIndex(txt);
        Q_EMIT type->activated(txt);
        QCOMPARE(window.findChild<QListWidget*>("filList")->count(), 2);
        auto* all = window.findChild<QCheckBox*>("chkAllDirs");
        all->click();
        QVERIFY(state.IncludeSubfolders);
        QVERIFY(!window.findChild<QPushButton*>("cmdCopy")->isEnabled());
        QCOMPARE(window.findChild<QLabel*>("lblFileCount")->text(), QString("3 file(s) selected"));
        window.findChild<QPushButton*>("cmdOK")->click();
        QCOMPARE(state.SourceFileCount, 3LL);
        QCOMPARE(QString::fromStdString(state.DialogPattern), QString("*.txt"));
    }

    void buildAndSaveAList() {
        ProgramState state = freshState();
        state.MakingFileList = true;
        SilentPrompter prompter; // "save to the default folder?" answered No by the safe answer
        Scripted dialogs;
        dialogs.folders.push_back(m_lists.toStdString());
        dialogs.names.push_back({true, "mine"});
        ui::frmGetFiles window(state, prompter);
        window.setDialogs(&dialogs);
        window.prepare(files::kIncludeInListCaption);
        window.show();
        auto* files = window.findChild<QListWidget*>("filList");
        auto* make = window.findChild<QPushButton*>("cmdAddFiles");
        QVERIFY(make->isEnabled());
        itemNamed(files, "b.txt")->setSelected(true);
        make->click();
        QCOMPARE(make->text(), QString("&Update List"));
        QVERIFY(!window.findChild<QCheckBox*>("chkAllDirs")->isEnabled());
        auto* save = window.findChild<QPushButton*>("cmdSaveFiles");
        QVERIFY(save->isEnabled());
        save->click();
        QFile list(m_lists + "/mine.flist");
        QVERIFY(list.open(QIODevice::ReadOnly));
        QCOMPARE(list.readAll(), (m_texts + "/b.txt\r\n").toUtf8());
        QCOMPARE(dialogs.captions.at(0), std::string("   Save file list to..."));
        QVERIFY(!save->isEnabled());
    }

    void copyButtonRunsTheFileManager() {
        QTemporaryDir target;
        ProgramState state = freshState();
        ScriptedPrompter prompter({Answer::Yes});
        Scripted dialogs;
        dialogs.folders.push_back(target.path().toStdString());
        ui::frmGetFiles window(state, prompter);
        window.setDialogs(&dialogs);
        window.prepare(files::kFileManagerCaption);
        window.show();
        itemNamed(window.findChild<QListWidget*>("filList"), "a.txt")->setSelected(true);
        window.findChild<QPushButton*>("cmdCopy")->click();
        QVERIFY(QFile::exists(target.path() + "/a.txt"));
        QVERIFY(QFile::exists(m_texts + "/a.txt"));
        QCOMPARE(dialogs.captions.at(0), std::string("  Select folder to copy files to..."));
        window.findChild<QPushButton*>("cmdOK")->click();
        QVERIFY(window.isHidden());
        QVERIFY(!window.resultOk());
    }

    void protectionSwitchEnablesMoveAndDelete() {
        ProgramState state = freshState();
        state.WriteToFiles = false;
        ScriptedPrompter prompter({Answer::Yes});
        ui::frmGetFiles window(state, prompter);
        window.prepare(files::kFileManagerCaption);
        window.show();
        auto* move = window.findChild<QPushButton*>("cmdMove");
        QVERIFY(!move->isEnabled());
        QVERIFY(!window.findChild<QPushButton*>("cmdDelete")->isEnabled());
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(window.findChild<QListWidget*>("filList"), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(state.WriteToFiles);
        QVERIFY(move->isEnabled());
        QCOMPARE(QString::fromStdString(prompter.shown.at(0).title),
                 QString(" File protection level"));
    }

    void cancelGivesNoResult() {
        ProgramState state = freshState();
        SilentPrompter prompter;
        ui::frmGetFiles window(state, prompter);
        window.prepare(files::kSearchFilesCaption);
        window.show();
        window.findChild<QPushButton*>("cmdCancel")->click();
        QVERIFY(!window.resultOk());
        QVERIFY(window.isHidden());
    }
};

QTEST_MAIN(FrmGetFilesTest)
#include "frmGetFiles_test.moc"
