#include "ui/letter_names.h"

namespace lexmora::ui {
namespace {

const char* accentName(char16_t mark) {
    switch (mark) {
    case 0x0300:
        return "grave";
    case 0x0301:
        return "acute";
    case 0x0302:
        return "circumflex";
    case 0x0303:
        return "tilde";
    case 0x0308:
        return "diaeresis";
    case 0x030A:
        return "ring";
    case 0x0327:
        return "cedilla";
    default:
        return nullptr;
    }
}

} // namespace

QString LetterName(QChar letter) {
    switch (letter.unicode()) {
    case 0x00DF:
        return "sharp s";
    case 0x0153:
        return "o e joined";
    case 0x0152:
        return "O E joined";
    case 0x00E6:
        return "a e joined";
    case 0x00C6:
        return "A E joined";
    default:
        break;
    }
    const QString parts = letter.decomposition();
    if (letter.decompositionTag() != QChar::Canonical || parts.size() != 2)
        return QString(letter);
    const char* accent = accentName(parts[1].unicode());
    return accent != nullptr ? parts[0] + ' ' + accent : QString(letter);
}

} // namespace lexmora::ui
