// The printer for the engine: the print dialog (a PDF file needs no printer), then the job's
// lines in its font through one TextPrintJob. The page layout the engine asks for comes from the
// same printer and font.
#pragma once

#include "viewer/extracts.h"

#include <QString>

#include <memory>

class QPrinter;
class QWidget;

namespace lexmora::ui {

class QtPrinter : public Printer {
public:
    explicit QtPrinter(QWidget* parent);
    ~QtPrinter() override;

    // Prints into this PDF file without the dialog (tests, screenshots).
    void printToPdf(const QString& path);

    Status print(const PrintJob& job) override;
    // Columns and lines of a page in this font, measured on the sample string "Sample".
    PageGeometry pageFor(const std::string& font);

private:
    QWidget* m_parent;
    std::unique_ptr<QPrinter> m_printer;
    bool m_fixedFile = false;
};

} // namespace lexmora::ui
