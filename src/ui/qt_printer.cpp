#include "ui/qt_printer.h"

#include "ui/messages.h"
#include "ui/text_convert.h"
#include "ui/text_printer.h"

#include <QFontMetricsF>
#include <QPrinter>

#include <algorithm>

namespace lexmora::ui {

namespace {

QFont fontOf(const std::string& family) {
    // Extracts line up on the keyword only in a fixed-pitch font.
    return printerFont(QString::fromStdString(family), family == "Courier New");
}

} // namespace

QtPrinter::QtPrinter(QWidget* parent)
    : m_parent(parent), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

QtPrinter::~QtPrinter() = default;

void QtPrinter::printToPdf(const QString& path) {
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setOutputFileName(path);
    m_fixedFile = true;
}

Status QtPrinter::print(const PrintJob& job) {
    if (!m_fixedFile && !askPrinter(m_parent, *m_printer))
        return {}; // the user cancelled the dialog: nothing printed, nothing to tell
    TextPrintJob document(*m_printer, fontOf(job.font));
    if (!document.begin())
        return Failure(msg::PrinterNotOpened(), FailureCode::CannotOpen);
    for (const auto& page : job.pages) {
        QStringList lines;
        for (const std::string& line : page)
            lines << toQt(line);
        document.addLines(lines);
    }
    document.finish();
    return {};
}

PageGeometry QtPrinter::pageFor(const std::string& font) {
    const QFontMetricsF metrics(fontOf(font), m_printer.get());
    const QRectF page = m_printer->pageRect(QPrinter::DevicePixel);
    const double perCharacter = metrics.horizontalAdvance("Sample") / 6.0;
    PageGeometry geometry;
    if (perCharacter > 0 && metrics.lineSpacing() > 0) {
        geometry.columns = std::max(20, static_cast<int>(page.width() / perCharacter) - 1);
        geometry.lines = std::max(10, static_cast<int>(page.height() / metrics.lineSpacing()) - 1);
    }
    return geometry;
}

} // namespace lexmora::ui
