// The text of a hit's context as a KWIC line shows it.
#pragma once

#include "core/cpu_features.h"
#include "core/program_state.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace lexmora {

// The text of a hit's context: line breaks, control characters and runs of blanks become one
// blank, NUL disappears, tags of a tagged search (from `tagOpen` to `tagClose`, 0 for none) count
// as one blank, and for the other languages than English the special letters of the code are
// written as their ANSI letters.
// A run gives its own language (`languageIndex`); the state gives the code rows.
std::string ExtractContext(const ProgramState& state, int languageIndex, int codeIndex,
                           std::string_view text, unsigned char tagOpen, unsigned char tagClose);
// The same in the state's language (a result file read back).
std::string ExtractContext(const ProgramState& state, int codeIndex, std::string_view text,
                           unsigned char tagOpen, unsigned char tagClose);

// True when ExtractContext uses only the plain rules for the code (no tags, no letters to
// translate, the blank is " "): line breaks, control characters and runs of blanks become one
// blank and NUL disappears.
bool IsPlainContext(const ProgramState& state, int languageIndex, int codeIndex,
                    unsigned char tagOpen);

// A hit's pieces of a KWIC line cleaned by the plain rules, taken straight from the text and only
// as far as the line shows them: the last `leftWidth` characters of the cleaned text[leftFrom, s),
// the whole cleaned text[s, e) and the first `rightWidth` characters of the cleaned
// text[e, rightTo). Its buffers are kept from hit to hit; the views hold until the next take().
class PlainContexts {
public:
    // The vector forms the cleaning may take: the widest the processor runs, or one no wider
    // than named (each form gives the same text; the tests hold every form to that).
    using Lanes = VectorLanes;
    explicit PlainContexts(Lanes lanes = Lanes::Widest) : m_lanes(lanes) {}

    void take(std::string_view text, std::size_t leftFrom, std::size_t s, std::size_t e,
              std::size_t rightTo, std::size_t leftWidth, std::size_t rightWidth);
    std::string_view left() const { return m_left; }
    std::string_view matched() const { return m_matched; }
    std::string_view right() const { return m_right; }

private:
    Lanes m_lanes;
    std::string m_leftBuffer, m_restBuffer;
    std::string_view m_left, m_matched, m_right;
};

} // namespace lexmora
