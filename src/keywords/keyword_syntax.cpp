#include "keywords/keyword_syntax.h"

#include "keywords/messages.h"

namespace lexmora {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isOperator(char c) {
    return c == '/' || c == '+' || c == '\\';
}

char firstOr(const std::string& text, char fallback) {
    return text.empty() ? fallback : text[0];
}

} // namespace

SpecialChars SpecialChars::from(const ProgramState& state) {
    return {firstOr(state.OpenBracket, '{'), firstOr(state.CloseBracket, '}'),
            firstOr(state.SingleWildcard, '?')};
}

CharClass ClassifyChar(unsigned char c, const SpecialChars& chars) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0xD6) ||
        (c >= 0xD8 && c <= 0xDC) || c == 0xDF || (c >= 0xE0 && c <= 0xF6) ||
        (c >= 0xF8 && c <= 0xFC) || c == 0x8C || c == 0x9C)
        return CharClass::Letter;
    if (isDigit(static_cast<char>(c)))
        return CharClass::Digit;
    const char s = static_cast<char>(c);
    if (s == ' ' || s == chars.singleWildcard || s == '*' || s == '/' || s == '+' || s == '\\' ||
        s == ',' || s == '.' || s == chars.openBracket || s == chars.closeBracket || s == '<' ||
        s == '=')
        return CharClass::Special;
    return CharClass::Other;
}

KeyOutcome FilterKeystroke(std::string_view text, std::size_t caret, char key, EntryMode mode,
                           bool taggedSearch, const SpecialChars& chars, BracketState& bracket) {
    KeyOutcome out;
    if (key == kKeyEnter) {
        out.action = KeyAction::Commit;
        return out;
    }
    if (text.size() < 2)
        bracket = BracketState::Normal;
    auto discard = [&out](std::optional<Message> message) {
        out.action = KeyAction::Discard;
        out.message = std::move(message);
        return out;
    };
    if (mode == EntryMode::ExcludeStrings) {
        if (taggedSearch)
            return out;
        if (key == '*' || key == chars.singleWildcard || key == '+' || key == '/')
            return discard(keywords::msg::NoSpecialCharsInExcludes());
        if (key == chars.openBracket)
            return discard(keywords::msg::NoProcedureInExcludes());
        return out;
    }
    if (key == '+' || key == '/') {
        if (caret == 0)
            return discard(std::nullopt);
        const char before = caret <= text.size() ? text[caret - 1] : '\0';
        if (before == '*' || before == chars.singleWildcard)
            return discard(keywords::msg::NoOperatorAfterWildcard());
        return out;
    }
    if (key == chars.openBracket) {
        bracket = BracketState::AwaitOperator;
        return out;
    }
    if (bracket == BracketState::AwaitOperator) {
        if (key == kKeyBackspace) {
            bracket = BracketState::Normal;
            return out;
        }
        if (key == '<' || key == '=') {
            bracket = BracketState::InNumber;
            return out;
        }
        return discard(keywords::msg::AfterOpenBracket(chars.openBracket));
    }
    if (key == chars.closeBracket) {
        bracket = BracketState::Normal;
        return out;
    }
    if (bracket == BracketState::InNumber) {
        if (static_cast<unsigned char>(key) <= 32 || isDigit(key))
            return out;
        bracket = BracketState::Normal;
        out.action = KeyAction::Replace;
        out.replacement = chars.closeBracket;
        out.message = keywords::msg::CloseBrackets(chars.closeBracket);
        return out;
    }
    return out;
}

namespace {

// One pass over a keyword entry, character by character, tidying it as it goes: each kind of
// character has its step, which either keeps the character (moving on) or takes it out.
class EntryNormaliser {
public:
    EntryNormaliser(std::string_view entry, const SpecialChars& specialChars)
        : t(entry), chars(specialChars) {}

    std::string run() {
        while (p <= t.size())
            step(t[p - 1]);
        return std::move(t);
    }

private:
    void step(char c) {
        if (c == ' ')
            onSpace();
        else if (c == chars.singleWildcard)
            keepUnless(afterStar);
        else if (c == '*')
            onStar();
        else if (isOperator(c))
            onOperator(c);
        else if (c == ',')
            onComma();
        else if (c == '.')
            onFullStop();
        else if (c == chars.openBracket)
            onOpenBracket();
        else if (c == chars.closeBracket)
            onCloseBracket();
        else if (c == '<' || c == '=')
            onComparison();
        else
            onWordCharacter(c);
    }

    bool last() const { return p == t.size(); }
    char before() const { return p >= 2 ? t[p - 2] : '\0'; }

    void removeThis() {
        t.erase(p - 1, 1);
        plusRun = 0;
    }
    void keepUnless(bool remove) {
        if (remove)
            removeThis();
        else
            ++p;
    }
    // The current character is now at p - 1, so p already points past it.
    void removePrecedingSpace() {
        t.erase(p - 2, 1);
        plusRun = 0;
    }

    void onSpace() {
        bool remove = afterSpace;
        if (!remove && lastOperatorPos != 0)
            remove = before() == '/' || before() == '+' || before() == ',';
        if (!remove && lastOperatorPos == 0)
            remove = commaPos == p - 1 || afterClose || bracketAfterSpace;
        afterSpace = true;
        afterStar = false;
        operatorInWord = false;
        if (commaPos != p && lastOperatorPos != p)
            lastOperatorPos = 0;
        keepUnless(remove);
    }

    void onStar() {
        const bool remove = afterStar;
        afterStar = true;
        afterSpace = false;
        keepUnless(remove);
    }

    void onOperator(char c) {
        if (last()) {
            removeThis();
            return;
        }
        if (c == '\\')
            t[p - 1] = '/';
        else if (c == '+')
            ++plusRun;
        else
            plusRun = 0;
        if (commaPos == p) {
            removeThis();
            return;
        }
        if (lastOperatorPos != 0 && plusRun == 0) {
            t[p - 1] = ',';
            commaPos = p;
        }
        lastOperatorPos = p;
        operatorInWord = true;
        ++p;
    }

    void onComma() {
        if (lastOperatorPos != 0) {
            commaPos = p;
            // ",/" would leave two separators: the comma stays and the operators after it go,
            // so that no ending is lost.
            while (p < t.size() && isOperator(t[p])) {
                t.erase(p, 1);
                plusRun = 0;
            }
        }
        afterSpace = false;
        ++p;
    }

    void onFullStop() {
        if (operatorInWord && !last() && t[p] != ' ')
            t[p - 1] = ',';
        ++p;
    }

    void onOpenBracket() {
        lastOperatorPos = 0;
        if (afterSpace && before() == ' ') {
            removePrecedingSpace();
            afterSpace = false;
            bracketAfterSpace = true;
            return;
        }
        ++p;
    }

    void onCloseBracket() {
        afterClose = true;
        afterSpace = false;
        ++p;
    }

    void onComparison() {
        const bool removeSpace = afterSpace && before() == ' ';
        afterSpace = false;
        bracketAfterSpace = false;
        if (removeSpace) {
            removePrecedingSpace();
            return;
        }
        ++p;
    }

    void onWordCharacter(char c) {
        switch (ClassifyChar(static_cast<unsigned char>(c), chars)) {
        case CharClass::Digit:
            afterSpace = false;
            afterStar = false;
            break;
        case CharClass::Letter:
            afterSpace = false;
            afterClose = false;
            afterStar = false;
            break;
        default:
            break;
        }
        ++p;
    }

    std::string t;
    const SpecialChars& chars;
    // p is the 1-based position of the character examined; t[p - 1] is that character.
    std::size_t p = 1;
    bool afterSpace = false;
    bool afterStar = false;
    bool afterClose = false;
    bool bracketAfterSpace = false;
    bool operatorInWord = false;
    std::size_t lastOperatorPos = 0; // 1-based positions; 0 = none
    std::size_t commaPos = 0;
    int plusRun = 0;
};

} // namespace

std::string NormaliseEntry(std::string_view entry, const SpecialChars& chars) {
    return EntryNormaliser(entry, chars).run();
}

std::string NextWordCondition(int position, int words, const SpecialChars& chars) {
    std::string op;
    int value = 0;
    if (position != 0) {
        op = "=";
        value = position;
    } else if (words != 0) {
        op = "<";
        value = words;
    } else {
        return "";
    }
    return std::string(1, chars.openBracket) + op + std::to_string(value) +
           std::string(1, chars.closeBracket);
}

std::optional<EntryEdit> InsertNextWordMatch(std::string_view text, std::size_t caret,
                                             bool dialogOk, int position, int words,
                                             const SpecialChars& chars) {
    const std::string condition = NextWordCondition(position, words, chars);
    if (!dialogOk || text.empty() || condition.empty())
        return std::nullopt;
    if (caret > text.size())
        caret = text.size();
    EntryEdit edit;
    edit.text = std::string(text.substr(0, caret)) + condition + std::string(text.substr(caret));
    edit.caret = edit.text.size();
    return edit;
}

void SetBracketType(ProgramState& state, BracketType type) {
    switch (type) {
    case BracketType::Curly:
        state.OpenBracket = "{";
        state.CloseBracket = "}";
        break;
    case BracketType::Parentheses:
        state.OpenBracket = "(";
        state.CloseBracket = ")";
        break;
    case BracketType::Square:
        state.OpenBracket = "[";
        state.CloseBracket = "]";
        break;
    }
}

BracketType CurrentBracketType(const ProgramState& state) {
    if (state.OpenBracket == "(")
        return BracketType::Parentheses;
    if (state.OpenBracket == "[")
        return BracketType::Square;
    return BracketType::Curly;
}

bool SetSingleWildcard(ProgramState& state, char wildcard) {
    if (wildcard != '?' && wildcard != '@')
        return false;
    state.SingleWildcard = std::string(1, wildcard);
    return true;
}

std::string SpecialCharsCaption(const ProgramState& state) {
    return std::string(" special characters:   / , + ,") + " " + state.OpenBracket + " , " +
           state.CloseBracket + " , * , " + state.SingleWildcard + " ";
}

std::string ExcludeOptionCaption(const ProgramState& state) {
    return state.TaggedSearch ? " Enter tag to match" : " Enter words to exclude";
}

void ToggleTaggedSearch(ProgramState& state) {
    state.TaggedSearch = !state.TaggedSearch;
}

bool CaseAfterClick(std::string_view entryText, bool checked) {
    return entryText.empty() ? false : checked;
}

} // namespace lexmora
