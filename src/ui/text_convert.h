// The desktop's boundary between the engine's Windows-1252 text and Qt's Unicode strings.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace lexmora::ui {

// Program text (Windows-1252) for a widget.
QString toQt(std::string_view cp1252);
// Text typed or shown in a widget as Windows-1252; what the code page cannot hold becomes "?".
std::string fromQt(const QString& text);
// One character of program text for a widget.
QChar toQtChar(unsigned char cp1252);

// File names are the file system's own bytes (UTF-8), never converted through Windows-1252.
QString pathToQt(const std::string& path);
std::string pathFromQt(const QString& path);

} // namespace lexmora::ui
