// The keyword's place in a KWIC line as drawn: at its column, shifted with the page, up to the
// next blank, and nowhere when it is out of view.
#include "ui/kwic_highlight.h"

#include <QtTest>

using namespace lexmora::ui;

class KwicHighlightTest : public QObject {
    Q_OBJECT
private slots:
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
        };
        for (const Case& c : cases) {
            const KeywordSpan span = KeywordSpanOf(c.shown, c.column, c.offset);
            QVERIFY2(span.length == c.length, c.what);
            if (c.length > 0)
                QVERIFY2(span.from == c.from, c.what);
        }
    }
};

QTEST_MAIN(KwicHighlightTest)
#include "kwic_highlight_test.moc"
