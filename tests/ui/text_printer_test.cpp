// Printed text is checked the way a user would: print to a PDF file and read it back as text.
#include "ui/text_printer.h"

#include "support/pdf_text.h"

#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace lexmora::ui;
using lexmora::test::pdfText;

class TextPrinterTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void longTextWrapsAndRunsOverSeveralPages() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("out.pdf");
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QStringList lines{"heading: café.txt"};
        for (int i = 1; i <= 200; ++i)
            lines << QString("record %1 ").arg(i) + QString("word ").repeated(40);
        QVERIFY(printLines(printer, printerFont("Courier New", true), lines));
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains("heading: café.txt"), qPrintable(text.left(200)));
        QVERIFY(text.contains("record 1 word"));
        QVERIFY(text.contains("record 200 word"));
        // Wrapped: no printed line holds all forty words of a record.
        QVERIFY(!text.contains(QString("word ").repeated(40)));
        QVERIFY(text.count(QChar('\f')) >= 2);
    }

    void jobStaysOpenAcrossSeveralAdditions() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("two.pdf");
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        {
            TextPrintJob job(printer, printerFont("Arial", false));
            QVERIFY(job.begin());
            job.addLines({"opening job"});
            job.addLines({"second job"});
        } // leaving ends the document
        const QString text = pdfText(pdf);
        // Words without "fi" or "fl": the sans font prints them as ligatures that pdftotext keeps.
        QVERIFY(text.contains("opening job"));
        QVERIFY(text.contains("second job"));
        QCOMPARE(text.count(QChar('\f')), 1);
    }
};

QTEST_MAIN(TextPrinterTest)
#include "text_printer_test.moc"
