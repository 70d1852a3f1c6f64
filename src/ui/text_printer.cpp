#include "ui/text_printer.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPrintDialog>
#include <QPrinter>

namespace lexmora::ui {

QFont printerFont(const QString& family, bool fixedPitch, int pointSize) {
    QFont font = QFontDatabase::families().contains(family)
                     ? QFont(family)
                     : QFontDatabase::systemFont(fixedPitch ? QFontDatabase::FixedFont
                                                            : QFontDatabase::GeneralFont);
    font.setPointSize(pointSize);
    return font;
}

TextPrintJob::TextPrintJob(QPrinter& printer, const QFont& font) : printer_(printer), font_(font) {}

TextPrintJob::~TextPrintJob() {
    finish();
}

bool TextPrintJob::begin() {
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&printer_)) {
        painter_.reset();
        return false;
    }
    painter_->setFont(font_);
    const QFontMetrics metrics(font_, &printer_);
    lineHeight_ = metrics.lineSpacing();
    const QRect page = printer_.pageLayout().paintRectPixels(printer_.resolution());
    pageWidth_ = page.width();
    pageHeight_ = page.height();
    y_ = 0;
    return true;
}

bool TextPrintJob::isActive() const {
    return painter_ != nullptr;
}

int TextPrintJob::linesPerPage() const {
    return lineHeight_ > 0 ? std::max(1, pageHeight_ / lineHeight_) : 1;
}

void TextPrintJob::nextLine() {
    y_ += lineHeight_;
    if (y_ + lineHeight_ > pageHeight_) {
        printer_.newPage();
        y_ = 0;
    }
}

void TextPrintJob::addOneLine(const QString& line) {
    const QFontMetrics metrics(font_, &printer_);
    QString rest = line;
    do {
        // Longest prefix that fits, cut at the last blank when there is one.
        int fit = rest.size();
        while (fit > 1 && metrics.horizontalAdvance(rest.left(fit)) > pageWidth_)
            fit = fit * 9 / 10;
        while (fit < rest.size() && metrics.horizontalAdvance(rest.left(fit + 1)) <= pageWidth_)
            ++fit;
        if (fit < rest.size()) {
            const int blank = rest.lastIndexOf(QLatin1Char(' '), fit - 1);
            if (blank > 0)
                fit = blank + 1;
        }
        painter_->drawText(0, y_ + metrics.ascent(), rest.left(fit));
        nextLine();
        rest = rest.mid(fit);
    } while (!rest.isEmpty());
}

void TextPrintJob::addLines(const QStringList& lines) {
    if (!painter_)
        return;
    for (const QString& line : lines)
        addOneLine(line);
}

void TextPrintJob::addBlankLine() {
    if (painter_)
        nextLine();
}

void TextPrintJob::finish() {
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
}

bool printLines(QPrinter& printer, const QFont& font, const QStringList& lines) {
    TextPrintJob job(printer, font);
    if (!job.begin())
        return false;
    job.addLines(lines);
    job.finish();
    return true;
}

bool askPrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace lexmora::ui
