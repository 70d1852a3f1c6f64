// Where the keyword stands in a KWIC line as the line list draws it, so that it can be drawn to
// stand out: users scan a concordance by its middle column.
#pragma once

#include "viewer/keyword_span.h"

#include <QColor>
#include <QPalette>

#include <cstddef>
#include <string_view>

namespace lexmora::ui {

struct KeywordSpan {
    std::size_t from = 0;   // index in the shown text
    std::size_t length = 0; // 0: the keyword is not in view
};

// The keyword begins at the 1-based `keywordColumn` of the line (the column view keeps that
// column too) and runs over its `words` blank-separated words, less the punctuation after the
// last; `offset` is the page's sideways shift as ShiftLine applies it (-n: n blanks in front,
// n > 0: the line starts at its n-th character).
KeywordSpan KeywordSpanOf(std::string_view shown, int keywordColumn, int offset, int words = 1);

using lexmora::KeywordWordCount;

// The colour a keyword is drawn in (bold where the font allows).
inline QColor KeywordColour() {
    return {0xA0, 0x10, 0x30};
}
// The same, readable on the palette's base: a light red on a dark base.
inline QColor KeywordColour(const QPalette& palette) {
    return palette.color(QPalette::Base).lightness() < 128 ? QColor(0xFF, 0x78, 0x8C)
                                                           : KeywordColour();
}

} // namespace lexmora::ui
