// Printed pages shared by the viewers: plain lines in a named font, word-wrapped to the page width,
// page after page, on the printer the user chose (a PDF file works the same way).
#pragma once

#include <QFont>
#include <QPainter>
#include <QString>
#include <QStringList>

#include <memory>

class QPrinter;
class QWidget;

namespace lexmora::ui {

// The named family where it is installed, else the system's fixed-pitch or general font.
QFont printerFont(const QString& family, bool fixedPitch, int pointSize = 10);

// One document that stays open across several print jobs, so that later text can go on the
// same page ("more on the same page"); the document is sent when finish() runs or the job dies.
class TextPrintJob {
public:
    TextPrintJob(QPrinter& printer, const QFont& font);
    ~TextPrintJob();
    TextPrintJob(const TextPrintJob&) = delete;
    TextPrintJob& operator=(const TextPrintJob&) = delete;

    // False when the printer (or the PDF file) could not be opened.
    bool begin();
    bool isActive() const;
    // Each line is wrapped at word boundaries to the page width; a new page starts when full.
    void addLines(const QStringList& lines);
    void addBlankLine();
    void finish();

    // Lines of this font that fit on one page; used to lay out columns.
    int linesPerPage() const;

private:
    void addOneLine(const QString& line);
    void nextLine();

    QPrinter& printer_;
    QFont font_;
    std::unique_ptr<QPainter> painter_;
    int lineHeight_ = 0;
    int pageWidth_ = 0;
    int pageHeight_ = 0;
    int y_ = 0;
};

// Prints the lines as one document; false when the printer could not be opened.
bool printLines(QPrinter& printer, const QFont& font, const QStringList& lines);

// The print dialog (it offers printing to a PDF file with no printer configured);
// false when the user cancelled.
bool askPrinter(QWidget* parent, QPrinter& printer);

} // namespace lexmora::ui
