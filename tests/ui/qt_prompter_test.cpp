// Message boxes keep their title whole: a box with a short text is as wide as its title needs.
#include "ui/qt_prompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QtTest>

using namespace lexmora;

class QtPrompterTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void boxIsWideEnoughForItsTitle() {
        struct Case {
            const char* title;
            const char* text;
        };
        const Case cases[] = {
            {" Error in selecting files to search", "None"},
            {" Application already running", "There is an instance already loaded."},
            {"", "Cannot find help file!"},
        };
        for (const Case& c : cases) {
            QMessageBox box(QMessageBox::NoIcon, c.title, c.text, QMessageBox::Ok);
            ui::keepTitleWhole(box);
            box.show();
            const int title = box.fontMetrics().horizontalAdvance(QString(c.title).trimmed());
            QVERIFY2(box.width() >= title + 100, c.title);
        }
    }

    // A box without a title shows the program's name in its title bar ("KW... RA" when the
    // box was only as wide as its short text): that name must fit.
    void untitledBoxIsWideEnoughForTheProgramName() {
        QApplication::setApplicationName("KWIC-LEXMORA");
        QMessageBox box(QMessageBox::NoIcon, "", "Ok", QMessageBox::Ok);
        ui::keepTitleWhole(box);
        box.show();
        const int name = box.fontMetrics().horizontalAdvance("KWIC-LEXMORA");
        QVERIFY(box.width() >= name + 100);
    }
};

QTEST_MAIN(QtPrompterTest)
#include "qt_prompter_test.moc"
