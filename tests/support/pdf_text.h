// Printed output is checked as a user would read it: the PDF file turned back into text.
#pragma once

#include <QProcess>
#include <QString>

namespace lexmora::test {

// The text of a PDF file as `pdftotext -layout` gives it (pages end with a form feed); empty
// when the tool fails.
inline QString pdfText(const QString& pdf) {
    QProcess process;
    process.start("pdftotext", {"-layout", pdf, "-"});
    if (!process.waitForFinished(30000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace lexmora::test
