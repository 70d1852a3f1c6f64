#include "ui/qt_clipboard.h"

#include "ui/text_convert.h"

#include <QClipboard>
#include <QGuiApplication>

namespace lexmora::ui {

void QtClipboard::setText(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(toQt(text));
}

void QtClipboard::setUtf8Text(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace lexmora::ui
