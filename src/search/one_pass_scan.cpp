#include "search/scan.h"

#include <algorithm>
#include <memory>

namespace lexmora::scanning {

// --- all keywords at once --------------------------------------------------------------

// Where the pass of all keywords over one file stands: the window, where the automaton resumes
// in it and where each keyword's next candidate may start.
struct PassPosition {
    SourceText& text;
    std::size_t keepBefore; // what a window keeps before the place it resumes at
    std::vector<std::size_t>& resumeAt;
    std::size_t from = 0;
    bool forceFinal = false; // the window is as large as it may grow: take it as it stands

    // Slides the window on so that the pass resumes at `resume`; false at the end of the file.
    bool refill(std::size_t resume) {
        const std::size_t keepFrom = resume > keepBefore ? resume - keepBefore : 0;
        if (text.eof())
            return false;
        from = resume;
        if (keepFrom == 0 && text.size() >= kMaxWindow) {
            forceFinal = true;
            return true;
        }
        text.fill(keepFrom);
        for (std::size_t& at : resumeAt)
            at = at > keepFrom ? at - keepFrom : 0;
        from = resume - keepFrom;
        return true;
    }
};

// The pass's keywords' matchers over one file, each made at its keyword's first candidate.
class PassMatchers {
public:
    PassMatchers(const ProgramState& state, const std::vector<PassKeyword>& keywords, int codeIndex,
                 bool htmlMode, const Fold& blind)
        : m_keywords(keywords), m_classes(MakeWordClasses(state, codeIndex)),
          m_blindReps(MakeLetterRepresentations(state, codeIndex, blind, false)),
          m_exactReps(MakeLetterRepresentations(state, codeIndex, makeFold(FoldMode::None), true)),
          m_html(htmlMode), m_matchers(keywords.size()), m_plain(keywords.size()) {
        // A keyword that is one whole word of its own (the common case) is told from its
        // literal's place alone: its bounds are read through the fold, and a window need not
        // be folded for it.
        for (int c = 0; c < 256; ++c) {
            const unsigned char f = blind.active ? blind.map[static_cast<unsigned char>(c)]
                                                 : static_cast<unsigned char>(c);
            m_foldedWord1[c] = m_classes.word1[f];
            m_foldedWord2[c] = m_classes.word2[f];
        }
        for (std::size_t slot = 0; slot < keywords.size(); ++slot) {
            const PassKeyword& k = keywords[slot];
            const std::vector<ScanToken>& tokens = k.pattern.tokens;
            m_plain[slot] = !k.caseSensitive && HasLiteralStart(k.pattern) &&
                            (!blind.active || foldText(blind, tokens[0].text) == tokens[0].text) &&
                            ((tokens.size() == 2 && tokens[1].kind == ScanTokenKind::End) ||
                             (tokens.size() == 3 && tokens[1].kind == ScanTokenKind::WordEnd &&
                              tokens[2].kind == ScanTokenKind::End));
        }
    }

    std::size_t size() const { return m_matchers.size(); }

    // Whether the keyword in `slot` is a literal with at most a word end after it, matched
    // without folding the window.
    bool plain(std::size_t slot) const { return m_plain[slot]; }

    // A plain keyword's literal found in the text as read from `s` to `end`: whether it stands
    // where its word bounds say, as the keyword's matcher would tell it from the folded copy.
    // A word end the window cuts holds for now: the caller takes the match up again with more
    // of the file, as it does any match whose context the window cuts.
    Matcher::Outcome plainMatch(std::size_t slot, std::string_view read, std::size_t s,
                                std::size_t end) const {
        const std::vector<ScanToken>& tokens = m_keywords[slot].pattern.tokens;
        const auto word1At = [&](std::size_t p) {
            return m_foldedWord1[static_cast<unsigned char>(read[p])];
        };
        switch (tokens[0].start) {
        case WordStart::None:
            break;
        case WordStart::Boundary:
            if (s > 0 && word1At(s - 1))
                return Matcher::Outcome::NoMatch;
            break;
        case WordStart::AfterOneLetter:
            if (!(s > 0 && word1At(s - 1)) || (s > 1 && word1At(s - 2)))
                return Matcher::Outcome::NoMatch;
            break;
        }
        if (tokens[1].kind == ScanTokenKind::WordEnd && end < read.size() &&
            m_foldedWord2[static_cast<unsigned char>(read[end])])
            return Matcher::Outcome::NoMatch;
        return Matcher::Outcome::Match;
    }

    // How much of a window's end a keyword without a literal start searches again in the next
    // window: a special letter's longest form, which the window's end may have cut.
    std::size_t overlapOf(std::size_t slot) const {
        const ScanPattern& pattern = m_keywords[slot].pattern;
        if (pattern.start != ScanStart::Special)
            return 0;
        const LetterRepresentations& reps =
            m_keywords[slot].caseSensitive ? m_exactReps : m_blindReps;
        std::size_t overlap = 0;
        for (const auto& r : reps.special[static_cast<std::size_t>(
                 std::clamp(pattern.tokens.front().special, 1, 52) - 1)])
            overlap = std::max(overlap, r.size());
        return overlap;
    }
    Matcher& of(std::size_t slot) {
        std::optional<Matcher>& matcher = m_matchers[slot];
        if (!matcher) {
            const PassKeyword& k = m_keywords[slot];
            matcher.emplace(k.pattern, m_classes, k.caseSensitive ? m_exactReps : m_blindReps,
                            m_html, k.tag.open(), k.tag.close());
        }
        return *matcher;
    }

private:
    const std::vector<PassKeyword>& m_keywords;
    const WordClasses m_classes;
    const LetterRepresentations m_blindReps, m_exactReps;
    bool m_html;
    std::vector<std::optional<Matcher>> m_matchers;
    std::vector<bool> m_plain;
    bool m_foldedWord1[256] = {}, m_foldedWord2[256] = {}; // the word classes of folded bytes
};

// What checking one candidate needs, and what it found.
struct CandidateCheck {
    SourceText& text;
    const FileFacts& facts;
    PassMatchers& matchers;
    FileCode code;
    ReadWidths widths;
    bool final;
    std::size_t deferred; // npos, or where the window is to be refilled from
    ScanStep step;        // other than GoOn: the walk ends (abandoned, or hits not saved)
    std::size_t resume;   // where the next window must start for the keywords searched alone
};

// The automaton over every keyword's first literal, folded as the file's code folds: a
// case-sensitive keyword's literal is folded too, so that its candidates are a superset its
// matcher then narrows.
const KeywordAutomaton& Scan::automatonFor(const Fold& fold, int codeIndex) {
    std::optional<KeywordAutomaton>& automaton = m_automata[codeIndex == kCodeAnsi ? 0 : 1];
    if (!automaton) {
        std::vector<std::string> literals;
        for (const PassKeyword& keyword : m_context.walk->keywords)
            literals.push_back(HasLiteralStart(keyword.pattern)
                                   ? foldText(fold, keyword.pattern.tokens.front().text)
                                   : std::string());
        automaton.emplace(literals, fold.map);
    }
    return *automaton;
}

// One window over the file for all keywords at once. Each keyword's candidates are checked as
// a scan of that keyword alone checks them; a candidate that needs more of the file than the
// window holds stops the pass over the window, which is then refilled from there (the other
// keywords' candidates before it are not taken again: each keyword resumes where it was).
// Keywords without a literal start look for their candidates in the window themselves.
ScanStep Scan::scanTextForAll(SourceText& text, FileCode code, const FileFacts& facts) {
    const Fold blind =
        makeFold(code.codeIndex == kCodeAnsi ? FoldMode::Cp1252 : FoldMode::AsciiLetters);
    text.setFold(&blind.map, blind.active, true);
    const KeywordAutomaton& automaton = automatonFor(blind, code.codeIndex);
    PassMatchers matchers(m_state, m_context.walk->keywords, code.codeIndex, code.htmlMode, blind);
    const ReadWidths widths = readWidthsOf(m_shown, code.codeIndex);
    m_resumeAt.assign(matchers.size(), 0);
    m_hitNumber.assign(matchers.size(), 1);
    m_alone.clear();
    m_regexGaveUp.assign(matchers.size(), 0);
    for (std::size_t slot = 0; slot < matchers.size(); ++slot)
        if (!HasLiteralStart(m_context.walk->keywords[slot].pattern))
            m_alone.push_back(slot);
    const bool anyLiteral = m_alone.size() < matchers.size();
    // A window keeps the left context and the look-back of the word-boundary rules.
    PassPosition at{text, std::max(widths.left + 4, passLookBack()), m_resumeAt};
    text.fill(0);
    for (;;) {
        if (const ScanStep flags = pollFlags(); flags != ScanStep::GoOn)
            return flags;
        const bool final = text.eof() || at.forceFinal;
        const std::string_view read = text.read();
        CandidateCheck check{text,
                             facts,
                             matchers,
                             code,
                             widths,
                             final,
                             std::string::npos,
                             ScanStep::GoOn,
                             std::string::npos};
        if (anyLiteral) {
            automaton.collect(read.data(), read.size(), at.from, m_found);
            for (const KeywordAutomaton::Found found : m_found)
                if (!checkCandidate(check, automaton, found))
                    break;
        }
        if (check.step != ScanStep::GoOn)
            return check.step;
        for (const std::size_t slot : m_alone)
            if (!scanAlone(check, slot))
                return check.step;
        if (check.deferred != std::string::npos) {
            if (!at.refill(check.deferred))
                at.forceFinal = true;
            continue;
        }
        // A literal the window's end may have cut is looked for again in the next window (a
        // window taken as it stood is not the file's end).
        at.forceFinal = false;
        const std::size_t longest = anyLiteral ? automaton.longestLiteral() : 0;
        const std::size_t resume = std::min(
            read.size() - std::min(read.size(), longest) + (longest > 0 ? 1 : 0), check.resume);
        if (text.eof() || !at.refill(resume))
            break;
    }
    return ScanStep::GoOn;
}

// One keyword's candidate of the pass: false when the pass over the window stops there.
bool Scan::checkCandidate(CandidateCheck& check, const KeywordAutomaton& automaton,
                          KeywordAutomaton::Found found) {
    const std::size_t slot = found.slot;
    const std::size_t s = found.end - automaton.literalLength(slot);
    if (s < m_resumeAt[slot])
        return true;
    const std::string_view read = check.text.read();
    std::size_t e = found.end;
    Matcher::Outcome outcome;
    if (check.matchers.plain(slot)) {
        outcome = check.matchers.plainMatch(slot, read, s, found.end);
    } else {
        Matcher& matcher = check.matchers.of(slot);
        check.text.foldAll();
        matcher.setText(m_context.walk->keywords[slot].caseSensitive ? read.data()
                                                                     : check.text.search(),
                        read.size(), check.final);
        outcome = matcher.matchAt(s, e);
    }
    if (outcome == Matcher::Outcome::NeedMore ||
        (outcome == Matcher::Outcome::Match && !check.final &&
         e + check.widths.right + 1 > read.size())) {
        // Found again with its whole context once more of the file is in; so are the
        // candidates not yet reported, which end after this one.
        const std::size_t longest = automaton.longestLiteral();
        check.deferred = std::min(s, found.end > longest ? found.end - longest : 0);
        return false;
    }
    if (outcome == Matcher::Outcome::NoMatch || e <= s) {
        m_resumeAt[slot] = s + 1;
        return true;
    }
    return acceptCandidate(check, slot, s, e);
}

// A keyword without a literal start over the window, as its own scan goes: its candidates from
// where it stands to the window's end, or to one that needs more of the file. False when the
// walk ends.
bool Scan::scanAlone(CandidateCheck& check, std::size_t slot) {
    const PassKeyword& keyword = m_context.walk->keywords[slot];
    if (keyword.pattern.regex)
        return scanRegexAlone(check, slot);
    const std::string_view read = check.text.read();
    const std::size_t size = read.size();
    Matcher& matcher = check.matchers.of(slot);
    check.text.foldAll();
    matcher.setText(keyword.caseSensitive ? read.data() : check.text.search(), size, check.final);
    std::size_t& pos = m_resumeAt[slot];
    for (;;) {
        bool needMore = false;
        const std::size_t s = matcher.findCandidate(pos, needMore);
        if (s == std::string::npos) {
            // Where its search resumes in the next window: before a special letter's form the
            // window's end may have cut, or where the matcher asked for more.
            const std::size_t overlap = check.matchers.overlapOf(slot);
            std::size_t resume = size > overlap ? size - overlap + (overlap > 0 ? 1 : 0) : 0;
            if (needMore)
                resume = std::max(pos, std::min(resume, size));
            pos = std::max(resume, std::min(pos, size));
            check.resume = std::min(check.resume, pos);
            return true;
        }
        std::size_t e = 0;
        const Matcher::Outcome outcome = matcher.matchAt(s, e);
        if (outcome == Matcher::Outcome::NeedMore ||
            (outcome == Matcher::Outcome::Match && !check.final &&
             e + check.widths.right + 1 > size)) {
            pos = s; // found again with its whole context once more of the file is in
            check.deferred = std::min(check.deferred, s);
            return true;
        }
        if (outcome == Matcher::Outcome::NoMatch || e <= s) {
            pos = s + 1;
            continue;
        }
        if (!acceptCandidate(check, slot, s, e))
            return false;
    }
}

// The lookback a pass's window keeps for its regular expressions.
std::size_t Scan::passLookBack() const {
    std::size_t lookBack = 0;
    for (const PassKeyword& keyword : m_context.walk->keywords)
        if (keyword.pattern.regex)
            lookBack = std::max(lookBack, keyword.pattern.regex->lookBehind() + 1);
    return lookBack;
}

RegexMatcher& Scan::passRegex(std::size_t slot) {
    if (m_passRegex.size() < m_context.walk->keywords.size())
        m_passRegex.resize(m_context.walk->keywords.size());
    std::unique_ptr<RegexMatcher>& matcher = m_passRegex[slot];
    if (!matcher)
        matcher = std::make_unique<RegexMatcher>(m_context.walk->keywords[slot].pattern.regex);
    return *matcher;
}

// A regular expression of the pass over the window, as its own scan goes (scanRegex): its
// matches from where it stands to the window's end, or to one that needs more of the file. False
// when the walk ends.
bool Scan::scanRegexAlone(CandidateCheck& check, std::size_t slot) {
    const std::string_view read = check.text.read();
    const std::size_t size = read.size();
    std::size_t& pos = m_resumeAt[slot];
    if (m_regexGaveUp[slot]) {
        pos = size;
        return true;
    }
    RegexMatcher& matcher = passRegex(slot);
    const RegexWindow window{check.text.windowStart(), check.final};
    for (;;) {
        std::size_t s = 0, e = 0;
        const RegexMatcher::Outcome outcome = matcher.find(read.data(), size, pos, window, s, e);
        if (outcome == RegexMatcher::Outcome::LimitReached) {
            m_prompter.tell(search::msg::RegexLimitReached(
                m_context.walk->keywords[slot].pattern.patternText, m_path));
            m_regexGaveUp[slot] = 1;
            pos = size;
            return true;
        }
        if (outcome == RegexMatcher::Outcome::NoMatch) {
            pos = std::max(pos, std::min(s, size));
            check.resume = std::min(check.resume, pos);
            return true;
        }
        if (outcome == RegexMatcher::Outcome::NeedMore ||
            (!check.final && e + check.widths.right + 1 > size)) {
            pos = s; // found again with its whole context once more of the file is in
            check.deferred = std::min(check.deferred, s);
            return true;
        }
        if (!acceptCandidate(check, slot, s, e))
            return false;
    }
}

// A match of the keyword in `slot` from `s` to `e`: kept unless a filter turns it down. False
// when the walk ends.
bool Scan::acceptCandidate(CandidateCheck& check, std::size_t slot, std::size_t s, std::size_t e) {
    m_resumeAt[slot] = e;
    const PassKeyword& keyword = m_context.walk->keywords[slot];
    if (!buildAcceptedLine(check.text.read(), s, e, check.code, check.widths, m_hitNumber[slot],
                           static_cast<int>(keyword.index), keyword.tag))
        return true;
    m_position = check.text.sourceOffset(s);
    check.step = keepHit(check, slot);
    ++m_hitNumber[slot];
    return check.step == ScanStep::GoOn;
}

// The accepted hit in m_line: the first keyword's saved and shown now, a later keyword's kept
// for its turn. Hits that cannot be kept leave the later keywords to read the sources again.
ScanStep Scan::keepHit(CandidateCheck& check, std::size_t slot) {
    if (slot == 0)
        return recordHit(m_hitNumber[0], check.facts);
    OnePassWalk& walk = *m_context.walk;
    if (!walk.spoolFailed &&
        !walk.hits->add(slot, static_cast<std::uint32_t>(m_walkFileIndex), m_line, m_position))
        walk.spoolFailed = true;
    return pollFlags();
}

} // namespace lexmora::scanning
