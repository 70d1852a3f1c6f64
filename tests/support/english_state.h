// The settings the analysis tests cut words by: English, the built-in code table, a word not
// broken at an apostrophe.
#pragma once

#include "codes/code_tables.h"
#include "core/program_state.h"

namespace lexmora::test {

inline ProgramState EnglishState() {
    ProgramState state;
    state.CodeRows = BuiltInCodeRows();
    state.LanguageIndex = 0;
    state.LanguageName = "English";
    state.WordbreakAtApostrophe = false;
    return state;
}

} // namespace lexmora::test
