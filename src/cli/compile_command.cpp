// lexmora-cli compile: a keyword as the keyword window would store it, and the pattern the
// search compiles from it, element by element.
#include "cli/cli_context.h"

#include "codes/code_tables.h"
#include "codes/cp1252_case.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/text_codec.h"
#include "keywords/keyword_syntax.h"
#include "search/compile_keyword.h"
#include "search/regex_keyword.h"

#include <iostream>

namespace lexmora::cli {

namespace {

constexpr const char* kCompileUsage =
    "usage: lexmora-cli [--home DIR] compile [--case] [--language L] [--wildcard ?|@]\n"
    "                   [--brackets {}|()|[]] [--tagged] [--regex] KEYWORD...\n"
    "\n"
    "Types each KEYWORD into the keyword entry as a user would, key by key, commits it, and\n"
    "prints the entry as it is stored, then the compiled pattern: its text and one line per\n"
    "element (position, kind, length, argument, boundary). A key the entry refuses is reported\n"
    "with the program's message and the keyword is not compiled.\n"
    "\n"
    "  --case          the keywords are case-sensitive (default: not)\n"
    "  --language L    english | french | german | italian | spanish (default: the setting)\n"
    "  --wildcard C    the single-character wildcard, ? or @ (default ?)\n"
    "  --brackets P    the Next Word Match brackets: {} () or [] (default {})\n"
    "  --tagged        tagged search\n"
    "  --regex         the keywords are regular expressions: each is checked as the search\n"
    "                  checks it, and the literal its matches begin with is shown\n"
    "\n"
    "Exit status 1 when a keyword is refused or gives nothing to search for.\n";

// Feeds the keyword to the entry's keystroke filter; false when a key was refused.
bool typeKeyword(const CliContext& context, const std::string& keyword, bool tagged,
                 const SpecialChars& chars, std::string& entry) {
    BracketState bracket = BracketState::Normal;
    bool refused = false;
    for (const char key : keyword) {
        const KeyOutcome out =
            FilterKeystroke(entry, entry.size(), key, EntryMode::Keywords, tagged, chars, bracket);
        if (out.message)
            context.report(*out.message);
        switch (out.action) {
        case KeyAction::Accept:
            entry += key;
            break;
        case KeyAction::Replace:
            entry += out.replacement;
            refused = true;
            break;
        case KeyAction::Discard:
            if (!out.message)
                std::cerr << "compile: the entry does not take \"" << key << "\" at its start\n";
            refused = true;
            break;
        case KeyAction::Commit:
            break;
        }
    }
    return !refused;
}

// The expressions as the search takes them: the fault that refuses one, or how it is looked
// for. Exit status 1 when one is refused.
int showExpressions(const CliContext& context, const std::vector<std::string>& expressions,
                    bool caseSensitive) {
    int status = kSuccess;
    for (const auto& typed : expressions) {
        const std::string expression = context.raw ? typed : utf8ToCp1252(typed, '\0');
        context.printLine("expression: " + expression);
        RegexFault fault;
        const auto keyword = RegexKeyword::compile(expression, caseSensitive, context.state, fault);
        if (!keyword) {
            context.report(RegexFaultMessage(expression, fault));
            status = kFailure;
            continue;
        }
        context.printLine(std::string("case: ") + (caseSensitive ? "sensitive" : "blind"));
        context.printLine(keyword->literalPrefix().empty()
                              ? std::string("looked for: the expression over every window")
                              : "looked for: the literal \"" + keyword->literalPrefix() +
                                    "\", the expression tried where it stands");
        if (keyword->lookBehind() > 0)
            context.printLine("lookbehind: " + std::to_string(keyword->lookBehind()));
    }
    return status;
}

} // namespace

int runCompileCommand(CliContext& context, const std::vector<std::string>& args) {
    ProgramState& state = context.state;
    bool caseSensitive = false;
    bool regex = false;
    std::vector<std::string> keywords;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            std::cout << kCompileUsage;
            return kSuccess;
        } else if (arg == "--case") {
            caseSensitive = true;
        } else if (arg == "--tagged") {
            state.TaggedSearch = true;
        } else if (arg == "--regex") {
            regex = true;
        } else if (arg == "--language") {
            if (!value(v) || !LanguageFromTypedName(v)) {
                std::cerr << "compile: --language takes english, french, german, italian or "
                             "spanish\n";
                return kUsage;
            }
            ApplyLanguage(state, *LanguageFromTypedName(v));
        } else if (arg == "--wildcard") {
            if (!value(v) || v.size() != 1 || !SetSingleWildcard(state, v[0])) {
                std::cerr << "compile: --wildcard takes ? or @\n";
                return kUsage;
            }
        } else if (arg == "--brackets") {
            if (!value(v) || (v != "{}" && v != "()" && v != "[]")) {
                std::cerr << "compile: --brackets takes {} () or []\n";
                return kUsage;
            }
            SetBracketType(state, v == "()"   ? BracketType::Parentheses
                                  : v == "[]" ? BracketType::Square
                                              : BracketType::Curly);
        } else if (arg == "--") {
            keywords.insert(keywords.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            std::cerr << "compile: unknown option " << arg << "\n" << kCompileUsage;
            return kUsage;
        } else {
            keywords.push_back(arg);
        }
    }
    if (keywords.empty()) {
        std::cerr << kCompileUsage;
        return kUsage;
    }
    if (state.CodeLetters[0].empty()) {
        SilentPrompter quiet;
        LoadCodeFiles(state, "", {}, quiet); // the built-in rows give the special letters
    }
    if (regex)
        return showExpressions(context, keywords, caseSensitive);
    const SpecialChars chars = SpecialChars::from(state);
    int status = kSuccess;
    for (const auto& typed : keywords) {
        const std::string keyword = context.raw ? typed : utf8ToCp1252(typed);
        std::string entry;
        if (!typeKeyword(context, keyword, state.TaggedSearch, chars, entry)) {
            status = kFailure;
            continue;
        }
        const std::string stored = NormaliseEntry(entry, chars);
        context.printLine("keyword: " + stored);
        state.Keywords = {caseSensitive ? stored : toLowerCp1252(stored)};
        state.KeywordCase = {caseSensitive};
        CompiledPattern pattern;
        if (!CompileKeyword(state, 0, pattern)) {
            std::cerr << "compile: \"" << context.display(stored)
                      << "\" gives nothing to search for; a search skips it\n";
            status = kFailure;
            continue;
        }
        context.printLine("pattern: \"" + pattern.PatternText + "\"");
        for (const auto& line : DescribeCompiledPattern(pattern))
            context.printLine(line);
    }
    return status;
}

} // namespace lexmora::cli
