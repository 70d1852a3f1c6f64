// The keyword language as the user types it: character classes, the keystroke filter of the
// entry box, the normalisation pass run when an entry is committed, Next Word Match insertion,
// and the options that change the special characters.
#pragma once

#include "core/message.h"
#include "core/program_state.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lexmora {

// The three characters the user may change; the start values are "{", "}" and "?".
struct SpecialChars {
    char openBracket = '{';
    char closeBracket = '}';
    char singleWildcard = '?';
    static SpecialChars from(const ProgramState& state);
};

enum class CharClass { Letter, Digit, Special, Other };

// Letter: A-Z, a-z, À-Ö, Ø-Ü, ß, à-ö, ø-ü, Œ, œ. Special: space, the single wildcard, "*",
// "/", "+", "\", ",", ".", the two brackets, "<", "=". Everything else is Other.
CharClass ClassifyChar(unsigned char c, const SpecialChars& chars);

// --- keystroke filter ---------------------------------------------------------------------

inline constexpr char kKeyEnter = 13;
inline constexpr char kKeyBackspace = 8;

// Where the entry box stands inside a Next Word Match condition; lives as long as the window.
enum class BracketState { Normal, AwaitOperator, InNumber };

enum class EntryMode { Keywords, ExcludeStrings };

enum class KeyAction {
    Accept,  // the key goes into the box
    Discard, // the key is dropped (with `message` when there is one)
    Replace, // `replacement` goes into the box instead, after `message`
    Commit   // Enter: the key is dropped and the entry is committed
};

struct KeyOutcome {
    KeyAction action = KeyAction::Accept;
    char replacement = 0;
    std::optional<Message> message;
};

// One typed key, given the box's text before it and the caret (0 = before the first character).
// Updates `bracket`.
KeyOutcome FilterKeystroke(std::string_view text, std::size_t caret, char key, EntryMode mode,
                           bool taggedSearch, const SpecialChars& chars, BracketState& bracket);

// --- commit ---------------------------------------------------------------------------------

// The silent repair of an entry when it is committed: single spaces between words and none
// where a word holds an operator or next to a condition, one "*" for a run of them, no wildcard
// right after "*", "\" written "/", a second operator of a word written ",", no operator at the
// end, "." after an operator written ",".
std::string NormaliseEntry(std::string_view text, const SpecialChars& chars);

// --- Next Word Match ------------------------------------------------------------------------

inline constexpr int kNextWordMaxValue = 50; // top end of the dialog's scroll bars

// The condition for the dialog's two values: open "=" position close when the position is not
// 0, else open "<" words close when the number of words is not 0; empty when both are 0 (an
// empty condition would match nothing, so nothing is inserted).
std::string NextWordCondition(int position, int words, const SpecialChars& chars);

struct EntryEdit {
    std::string text;
    std::size_t caret = 0;
};

// Inserts the condition at the caret when the dialog returned "Ok", the box is not empty and
// there is a condition; the caret goes to the end of the entry. Nothing to do otherwise.
std::optional<EntryEdit> InsertNextWordMatch(std::string_view text, std::size_t caret,
                                             bool dialogOk, int position, int words,
                                             const SpecialChars& chars);

// --- options ----------------------------------------------------------------------------------

enum class BracketType { Curly, Parentheses, Square };

void SetBracketType(ProgramState& state, BracketType type);
BracketType CurrentBracketType(const ProgramState& state);
// "?" or "@"; false, with nothing changed, for any other character.
bool SetSingleWildcard(ProgramState& state, char wildcard);

// The caption of lblSpecial.
std::string SpecialCharsCaption(const ProgramState& state);

// The caption of optExcludeStrings in the current mode.
std::string ExcludeOptionCaption(const ProgramState& state);

void ToggleTaggedSearch(ProgramState& state);

// The case check box after a click: it cannot be set while the entry box is empty.
bool CaseAfterClick(std::string_view entryText, bool checked);

} // namespace lexmora
