#include "keywords/keyword_handover.h"

#include "codes/cp1252_case.h"

#include <algorithm>

namespace lexmora {

void HandOverKeywords(ProgramState& state, std::vector<KeywordEntry>& list,
                      std::string_view pendingEntry, bool pendingCase, bool editing,
                      bool pendingRegex) {
    if (!pendingEntry.empty() && !editing)
        list.push_back({std::string(pendingEntry), pendingCase, {}, pendingRegex});
    std::size_t longest = 0;
    for (const auto& entry : list)
        longest = std::max(longest, entry.excludes.size());

    state.Keywords.clear();
    state.KeywordCase.clear();
    state.KeywordRegex.clear();
    state.ExcludeStrings.clear();
    state.ExcludeCase.clear();
    for (const auto& entry : list) {
        if (entry.text.empty())
            continue;
        state.Keywords.push_back(entry.caseSensitive || entry.regex ? entry.text
                                                                    : toLowerCp1252(entry.text));
        state.KeywordCase.push_back(entry.caseSensitive);
        state.KeywordRegex.push_back(entry.regex);
        std::vector<std::string> excludes(longest);
        std::vector<bool> cases(longest, false);
        for (std::size_t j = 0; j < entry.excludes.size(); ++j) {
            excludes[j] = entry.excludes[j].text;
            cases[j] = entry.excludes[j].caseSensitive;
        }
        state.ExcludeStrings.push_back(std::move(excludes));
        state.ExcludeCase.push_back(std::move(cases));
    }
}

std::string KeywordCountCaption(const ProgramState& state) {
    return std::to_string(state.Keywords.size()) + " keyword(s) entered";
}

} // namespace lexmora
