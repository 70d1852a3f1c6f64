// How the special-character panel names an accented letter: its base letter and its accent
// ("e acute", "C cedilla"), words a user can read, unlike a character code.
#pragma once

#include <QChar>
#include <QString>

namespace lexmora::ui {

// The letter's name, or the letter itself when it has no accent the panel knows.
QString LetterName(QChar letter);

} // namespace lexmora::ui
