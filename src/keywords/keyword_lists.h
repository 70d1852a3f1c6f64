// The keyword window's lists apart from drawing: the keywords with their case flags and their
// own exclude lists (tags in tagged search), what is selected and being edited, the two entry
// modes, filling from the program state, committing, editing, deleting and clearing.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "keywords/keyword_handover.h"
#include "keywords/keyword_syntax.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// What goes into the entry box and the case check box when a line is edited.
struct EntryBox {
    std::string text;
    bool caseSensitive = false;
    bool regex = false; // the keyword is a regular expression
};

class KeywordLists {
public:
    enum class Fill { Shown, Closed };

    // The window's activation: the question about keywords already held (`askKeep`), the
    // list box limit, then the lists from Keywords, KeywordCase, ExcludeStrings and
    // ExcludeCase. Closed: the user kept more keywords than the list holds in memory only;
    // the window closes as by Cancel. The program state is not changed.
    Fill fill(const ProgramState& state, Prompter& prompter, bool askKeep);

    const std::vector<KeywordEntry>& keywords() const { return m_keywords; }
    // The exclude list in view: the selected keyword's (empty when none is selected).
    const std::vector<ExcludeEntry>& visibleExcludes() const;
    std::optional<std::size_t> selectedKeyword() const { return m_selected; }
    std::optional<std::size_t> editedKeyword() const { return m_edited; }
    std::optional<std::size_t> selectedExclude() const { return m_selectedExclude; }
    std::optional<std::size_t> editedExclude() const { return m_editedExclude; }
    bool editing() const { return m_edited.has_value() || m_editedExclude.has_value(); }
    EntryMode mode() const { return m_mode; }
    // More keywords were held than the list box takes; only the first kKeywordListCapacity
    // are in the list.
    bool inMemory() const { return m_inMemory; }
    // The exclude option and list can be used.
    bool excludesAvailable() const { return m_excludesAvailable; }
    // "&Delete" of the keyword list may be used (after a commit or an edit).
    bool deleteEnabled() const { return m_deleteEnabled; }

    // Enter, after the normalisation pass (a regular expression: as typed, once it compiles).
    // False (with a message) when the list is full.
    bool commit(std::string_view entry, bool caseSensitive, Prompter& prompter, bool regex = false);
    // Double-click on the entry box: a keyword as typed, whatever the mode.
    bool commitAsTyped(std::string_view entry, bool caseSensitive, Prompter& prompter);

    void selectKeyword(std::size_t index);
    void selectExclude(std::size_t index);
    // Double-click or "&Edit": the line becomes the edited one; its text and case go into the
    // entry box.
    std::optional<EntryBox> editKeyword(std::size_t index);
    std::optional<EntryBox> editExclude(std::size_t index);
    // Backspace, Delete or "&Delete": removes the selected line. False when nothing was removed.
    bool deleteKeyword();
    bool deleteExclude();

    // False, after "First identify keyword by clicking on it", when no keyword is selected.
    bool chooseExcludeMode(Prompter& prompter);
    void chooseKeywordMode();

    // "C&lear": the whole keyword list in keyword mode, the selected keyword's exclude list in
    // exclude mode. The program state changes only on OK.
    void clear();

    // "&OK": hands the list (and text still in the entry box) over to the program state.
    void handOver(ProgramState& state, std::string_view pendingEntry, bool pendingCase,
                  bool pendingRegex = false) const;

private:
    bool append(std::vector<KeywordEntry>& list, std::string_view entry, bool caseSensitive,
                Prompter& prompter);
    void removeKeyword(std::size_t index);

    std::vector<KeywordEntry> m_keywords;
    std::optional<std::size_t> m_selected;
    std::optional<std::size_t> m_edited;
    std::optional<std::size_t> m_selectedExclude;
    std::optional<std::size_t> m_editedExclude;
    EntryMode m_mode = EntryMode::Keywords;
    bool m_inMemory = false;
    bool m_excludesAvailable = true;
    bool m_deleteEnabled = false;
};

} // namespace lexmora
