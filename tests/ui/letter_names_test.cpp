// The special-character panel names letters by base letter and accent, never by a code.
#include "ui/letter_names.h"

#include <QtTest>

class LetterNamesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void names() {
        const struct {
            char16_t letter;
            const char* name;
        } cases[] = {
            {0x00E9, "e acute"}, {0x00C0, "A grave"},     {0x00EA, "e circumflex"},
            {0x00F1, "n tilde"}, {0x00FC, "u diaeresis"}, {0x00C7, "C cedilla"},
            {0x00DF, "sharp s"}, {0x0153, "o e joined"},  {0x0152, "O E joined"},
            {u'e', "e"},
        };
        for (const auto& c : cases)
            QCOMPARE(lexmora::ui::LetterName(QChar(c.letter)), QString(c.name));
    }
};

QTEST_MAIN(LetterNamesTest)
#include "letter_names_test.moc"
