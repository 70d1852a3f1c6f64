#include "keywords/keyword_lists.h"

#include "keywords/keyword_file.h"
#include "keywords/messages.h"

namespace lexmora {

namespace {

const std::vector<ExcludeEntry> kNoExcludes;

} // namespace

KeywordLists::Fill KeywordLists::fill(const ProgramState& state, Prompter& prompter, bool askKeep) {
    m_keywords.clear();
    m_selected.reset();
    m_edited.reset();
    m_selectedExclude.reset();
    m_editedExclude.reset();
    m_mode = EntryMode::Keywords;
    m_inMemory = false;
    m_deleteEnabled = false;
    m_excludesAvailable = state.ExcludeListsAvailable;

    std::size_t k = state.Keywords.size();
    if (askKeep && k > 0 && prompter.ask(keywords::msg::KeepKeywordsInWindow(k)) == Answer::No) {
        k = 0;
        m_excludesAvailable = true;
    }
    if (k > kKeywordListCapacity) {
        m_inMemory = true;
        if (prompter.ask(keywords::msg::ListOverflow(k)) != Answer::Yes)
            return Fill::Closed;
        k = kKeywordListCapacity;
        m_excludesAvailable = true;
    }
    m_keywords.reserve(k);
    for (std::size_t i = 0; i < k; ++i) {
        KeywordEntry entry;
        entry.text = state.Keywords[i];
        entry.caseSensitive = i < state.KeywordCase.size() && state.KeywordCase[i];
        entry.regex = i < state.KeywordRegex.size() && state.KeywordRegex[i];
        if (m_excludesAvailable && i < state.ExcludeStrings.size()) {
            const auto& strings = state.ExcludeStrings[i];
            for (std::size_t j = 0; j < strings.size(); ++j) {
                if (strings[j].empty())
                    continue;
                const bool cs = i < state.ExcludeCase.size() && j < state.ExcludeCase[i].size() &&
                                state.ExcludeCase[i][j];
                entry.excludes.push_back({strings[j], cs});
            }
        }
        m_keywords.push_back(std::move(entry));
    }
    return Fill::Shown;
}

const std::vector<ExcludeEntry>& KeywordLists::visibleExcludes() const {
    if (!m_selected || *m_selected >= m_keywords.size())
        return kNoExcludes;
    return m_keywords[*m_selected].excludes;
}

bool KeywordLists::commit(std::string_view entry, bool caseSensitive, Prompter& prompter,
                          bool regex) {
    m_deleteEnabled = true;
    if (m_mode == EntryMode::Keywords) {
        if (entry.empty()) {
            if (m_edited)
                removeKeyword(*m_edited);
            return true;
        }
        if (m_edited && *m_edited < m_keywords.size()) {
            m_keywords[*m_edited].text = std::string(entry);
            m_keywords[*m_edited].caseSensitive = caseSensitive;
            m_keywords[*m_edited].regex = regex;
            selectKeyword(*m_edited);
            m_edited.reset();
            return true;
        }
        m_edited.reset();
        if (m_keywords.size() >= kKeywordListCapacity) {
            prompter.tell(keywords::msg::ListFull());
            return false;
        }
        m_keywords.push_back({std::string(entry), caseSensitive, {}, regex});
        selectKeyword(m_keywords.size() - 1);
        return true;
    }

    if (!m_selected || *m_selected >= m_keywords.size())
        return false;
    auto& list = m_keywords[*m_selected].excludes;
    if (entry.empty()) {
        if (m_editedExclude && *m_editedExclude < list.size()) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(*m_editedExclude));
            m_selectedExclude.reset();
        }
        m_editedExclude.reset();
        return true;
    }
    if (m_editedExclude && *m_editedExclude < list.size()) {
        list[*m_editedExclude] = {std::string(entry), caseSensitive};
        m_selectedExclude = m_editedExclude;
    } else {
        list.push_back({std::string(entry), caseSensitive});
        m_selectedExclude = list.size() - 1;
    }
    m_editedExclude.reset();
    return true;
}

bool KeywordLists::commitAsTyped(std::string_view entry, bool caseSensitive, Prompter& prompter) {
    if (m_mode != EntryMode::Keywords || entry.empty())
        return false;
    return commit(entry, caseSensitive, prompter);
}

void KeywordLists::selectKeyword(std::size_t index) {
    if (index >= m_keywords.size())
        return;
    m_selected = index;
    m_selectedExclude.reset();
    m_editedExclude.reset();
    if (!m_keywords[index].excludes.empty())
        m_selectedExclude = 0;
}

void KeywordLists::selectExclude(std::size_t index) {
    if (index < visibleExcludes().size())
        m_selectedExclude = index;
}

std::optional<EntryBox> KeywordLists::editKeyword(std::size_t index) {
    if (m_mode != EntryMode::Keywords || index >= m_keywords.size())
        return std::nullopt;
    selectKeyword(index);
    m_edited = index;
    m_deleteEnabled = true;
    return EntryBox{m_keywords[index].text, m_keywords[index].caseSensitive,
                    m_keywords[index].regex};
}

std::optional<EntryBox> KeywordLists::editExclude(std::size_t index) {
    if (m_mode != EntryMode::ExcludeStrings || index >= visibleExcludes().size())
        return std::nullopt;
    const ExcludeEntry& line = visibleExcludes()[index];
    m_selectedExclude = index;
    m_editedExclude = index;
    return EntryBox{line.text, line.caseSensitive};
}

bool KeywordLists::deleteKeyword() {
    if (m_mode != EntryMode::Keywords || !m_selected || *m_selected >= m_keywords.size())
        return false;
    removeKeyword(*m_selected);
    return true;
}

bool KeywordLists::deleteExclude() {
    if (!m_selected || *m_selected >= m_keywords.size() || !m_selectedExclude)
        return false;
    auto& list = m_keywords[*m_selected].excludes;
    if (*m_selectedExclude >= list.size())
        return false;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(*m_selectedExclude));
    m_selectedExclude.reset();
    m_editedExclude.reset();
    return true;
}

void KeywordLists::removeKeyword(std::size_t index) {
    // Each keyword carries its own exclude list, so the lists of the following keywords move
    // up with them.
    m_keywords.erase(m_keywords.begin() + static_cast<std::ptrdiff_t>(index));
    m_edited.reset();
    m_selected.reset();
    m_selectedExclude.reset();
    m_editedExclude.reset();
}

bool KeywordLists::chooseExcludeMode(Prompter& prompter) {
    if (!m_selected || *m_selected >= m_keywords.size()) {
        prompter.tell(keywords::msg::IdentifyKeywordFirst());
        return false;
    }
    if (!m_excludesAvailable)
        return false;
    m_mode = EntryMode::ExcludeStrings;
    m_edited.reset();
    m_editedExclude.reset();
    return true;
}

void KeywordLists::chooseKeywordMode() {
    m_mode = EntryMode::Keywords;
    m_editedExclude.reset();
}

void KeywordLists::clear() {
    if (m_mode == EntryMode::Keywords) {
        m_keywords.clear();
        m_selected.reset();
        m_edited.reset();
        m_inMemory = false;
    } else if (m_selected && *m_selected < m_keywords.size()) {
        m_keywords[*m_selected].excludes.clear();
    }
    m_selectedExclude.reset();
    m_editedExclude.reset();
    m_excludesAvailable = true;
}

void KeywordLists::handOver(ProgramState& state, std::string_view pendingEntry, bool pendingCase,
                            bool pendingRegex) const {
    std::vector<KeywordEntry> list = m_keywords;
    // Text left in the entry box in exclude mode is a word to exclude (or a tag) for the
    // selected keyword, not a keyword of its own.
    if (m_mode == EntryMode::ExcludeStrings) {
        if (!pendingEntry.empty() && !m_editedExclude && m_selected && *m_selected < list.size())
            list[*m_selected].excludes.push_back({std::string(pendingEntry), pendingCase});
        HandOverKeywords(state, list, "", false, false);
        return;
    }
    HandOverKeywords(state, list, pendingEntry, pendingCase, m_edited.has_value(), pendingRegex);
}

} // namespace lexmora
