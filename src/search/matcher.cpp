#include "search/matcher.h"

#include "codes/code_tables.h"

#include <algorithm>

namespace lexmora {

namespace {

void addOnce(std::vector<std::string>& list, std::string text) {
    if (std::find(list.begin(), list.end(), text) == list.end())
        list.push_back(std::move(text));
}

} // namespace

LetterRepresentations MakeLetterRepresentations(const ProgramState& state, int codeIndex,
                                                const Fold& fold, bool caseSensitive) {
    const CodeRow& row = CodeRowOf(state, codeIndex);
    LetterRepresentations reps;
    reps.special.resize(kSpecialCharCount);
    const int tables = codeIndex >= kFirstCodeFile ? 2 : 1;
    for (int j = 0; j < kSpecialCharCount; ++j) {
        // A letter in either case, unless the search is case-sensitive.
        auto& list = reps.special[static_cast<std::size_t>(j)];
        const int other = j < 26 ? j + 26 : j - 26;
        for (int t = 0; t < tables; ++t)
            for (int e : {j, other}) {
                if (e == other && caseSensitive)
                    continue;
                const std::string& r = row.CodeTable[t][e];
                if (!r.empty())
                    addOnce(list, foldText(fold, r));
            }
        if (!isApostropheOrHyphenEntry(j))
            for (int t = 0; t < tables; ++t) {
                const std::string& r = row.CodeTable[t][j];
                if (!r.empty())
                    addOnce(reps.anyLetter, foldText(fold, r));
            }
    }
    return reps;
}

} // namespace lexmora
