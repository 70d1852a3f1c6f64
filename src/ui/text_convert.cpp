#include "ui/text_convert.h"

#include "core/text_codec.h"

#include <QFile>

namespace lexmora::ui {

QChar toQtChar(unsigned char cp1252) {
    return QChar(static_cast<char16_t>(cp1252ToUnicode(cp1252)));
}

QString toQt(std::string_view cp1252) {
    QString out;
    out.reserve(static_cast<qsizetype>(cp1252.size()));
    for (char c : cp1252)
        out += QChar(static_cast<char16_t>(cp1252ToUnicode(static_cast<unsigned char>(c))));
    return out;
}

std::string fromQt(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        const int mapped = unicodeToCp1252(c.unicode());
        out += mapped >= 0 ? static_cast<char>(mapped) : '?';
    }
    return out;
}

QString pathToQt(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string pathFromQt(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace lexmora::ui
