// The plain-text viewer: encodings read and written back unchanged, read-only mode.
#include "ui/frmTextView.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class FrmTextViewTest : public QObject {
    Q_OBJECT

    static QString write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }
    static QByteArray read(const QString& path) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

private Q_SLOTS:
    void readsBothEncodingsAndSavesThemBack() {
        QTemporaryDir dir;
        struct Case {
            const char* name;
            QByteArray bytes;
            QString shown;
        } cases[] = {
            {"ansi.log", QByteArray("caf\xe9 \x80\r\n"), QString::fromUtf8("café €\r\n")},
            {"utf8.txt", QByteArray("caf\xc3\xa9 \xe2\x82\xac \xe2\x9c\x93\n"),
             QString::fromUtf8("café € ✓\n")},
        };
        for (const Case& c : cases) {
            const QString path = write(dir, c.name, c.bytes);
            lexmora::ui::frmTextView view;
            QVERIFY(view.openFile(path, false));
            QCOMPARE(view.editor()->toPlainText(), QString(c.shown).replace("\r\n", "\n"));
            view.editor()->moveCursor(QTextCursor::End);
            view.editor()->insertPlainText("!");
            QVERIFY(view.save());
            QCOMPARE(read(path), c.bytes + "!"); // encoding and line ends as they were
        }
    }

    // A source opened at its hit (the record details' File): the hit's bytes marked, the
    // cursor on them, in both encodings and past CR LF line ends.
    void marksTheHitGivenInBytes() {
        QTemporaryDir dir;
        struct Case {
            const char* name;
            QByteArray bytes;
            std::uint64_t offset, length;
            QString marked;
        } cases[] = {
            {"ansi.txt", QByteArray("caf\xe9\r\nla \xe9t\xe9, oui\r\n"), 9, 3,
             QString::fromUtf8("été")},
            {"utf8.txt", QByteArray("caf\xc3\xa9\r\nla \xc3\xa9t\xc3\xa9, oui\r\n"), 10, 5,
             QString::fromUtf8("été")},
        };
        for (const Case& c : cases) {
            lexmora::ui::frmTextView view;
            QVERIFY(view.openFile(write(dir, c.name, c.bytes), true));
            view.markBytes(c.offset, c.length);
            QCOMPARE(view.markedText(), c.marked);
            QCOMPARE(view.editor()->textCursor().position(), 8);
        }
    }

    void readOnlyHidesSave() {
        QTemporaryDir dir;
        const QString path = write(dir, "a.sum", "text");
        lexmora::ui::frmTextView view;
        QVERIFY(view.openFile(path, true));
        QVERIFY(view.editor()->isReadOnly());
        QVERIFY(view.findChild<QPushButton*>("cmdSave")->isHidden());
        QString error;
        QVERIFY(!view.openFile(dir.filePath("missing.txt"), true, &error));
        QVERIFY(error.startsWith("Couldn't open "));
    }
};

QTEST_MAIN(FrmTextViewTest)
#include "frmTextView_test.moc"
