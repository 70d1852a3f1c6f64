// The keyword's place in a KWIC line as drawn: at its column, shifted with the page, up to the
// next blank, and nowhere when it is out of view.
#include "ui/kwic_highlight.h"

#include <QtTest>

using namespace lexmora::ui;

class KwicHighlightTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void spans() {
        struct Case {
            const char* what;
            const char* shown;
            int column, offset;
            std::size_t from, length;
        };
        // "    7 la grande maison du passeur": the keyword column 17 holds "maison".
        const Case cases[] = {
            {"unshifted", "    7 la grande maison du passeur", 17, 0, 16, 6},
            {"offset 1 is no shift", "    7 la grande maison du passeur", 17, 1, 16, 6},
            {"shifted right", "la grande maison du passeur", 17, 7, 10, 6},
            {"blanks in front", "      7 la grande maison du", 17, -2, 18, 6},
            {"keyword at the line end", "    7 la grande maison", 17, 0, 16, 6},
            {"shifted past the keyword", "u passeur", 17, 24, 0, 0},
            {"line too short", "    7 la", 17, 0, 0, 0},
            {"blank at the column", "    7 la grande  maison", 17, 0, 0, 0},
            {"no column", "maison", 0, 0, 0, 0},
            // punctuation after the keyword is not the keyword
            {"comma after", "    7 la grande maison, du passeur", 17, 0, 16, 6},
            {"several marks after", "    7 la grande maison...\x94 du", 17, 0, 16, 6},
            {"accented keyword before a comma", "    7 il a \xE9t\xE9, dit", 12, 0, 11, 3},
            {"only punctuation stays", "    7 la grande ... du", 17, 0, 16, 3},
            {"an inner mark stays", "    7 la grande aujourd'hui. du", 17, 0, 16, 11},
        };
        for (const Case& c : cases) {
            const KeywordSpan span = KeywordSpanOf(c.shown, c.column, c.offset);
            QVERIFY2(span.length == c.length, c.what);
            if (c.length > 0)
                QVERIFY2(span.from == c.from, c.what);
        }
    }

    // A keyword of several words is coloured whole, up to its last word's punctuation.
    void spansOfSeveralWords() {
        struct Case {
            const char* what;
            const char* shown;
            int words;
            std::size_t length;
        };
        const Case cases[] = {
            {"two words", "    7 la grande maison de campagne", 2, 9},
            {"three words, comma after", "    7 la grande maison de campagne, et", 3, 18},
            {"fewer words left in the line", "    7 la grande maison de", 3, 9},
            {"blanks between count once", "    7 la grande maison  de campagne", 2, 10},
        };
        for (const Case& c : cases) {
            const KeywordSpan span = KeywordSpanOf(c.shown, 17, 0, c.words);
            QVERIFY2(span.from == 16 && span.length == c.length, c.what);
        }
        QCOMPARE(KeywordWordCount("maison de campagne"), 3);
        // The keyword's colour stays readable on a dark palette.
        QPalette dark;
        dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x24));
        QVERIFY(KeywordColour(dark).lightness() > 150);
        QPalette light;
        light.setColor(QPalette::Base, Qt::white);
        QCOMPARE(KeywordColour(light), KeywordColour());
        QCOMPARE(KeywordWordCount("  maison  "), 1);
        QCOMPARE(KeywordWordCount(""), 1);
    }
};

QTEST_MAIN(KwicHighlightTest)
#include "kwic_highlight_test.moc"
