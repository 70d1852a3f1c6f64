#include "search/scan_pattern.h"

namespace lexmora {

namespace {

int at(const std::vector<int>& values, std::size_t i) {
    return i < values.size() ? values[i] : 0;
}

WordStart startOf(int boundary) {
    if (boundary == kBoundaryBefore)
        return WordStart::Boundary;
    if (boundary == kBoundaryWildcardBefore)
        return WordStart::AfterOneLetter;
    return WordStart::None;
}

// One element as the arrays describe it, before operators are grouped.
struct RawElement {
    int kind = kEndOfPattern;
    std::string text;
    int arg = 0;
    int boundary = 0;
};

std::vector<RawElement> rawElements(std::string_view text, const std::vector<int>& kinds,
                                    const std::vector<int>& lengths, const std::vector<int>& args,
                                    const std::vector<int>& boundaries) {
    std::vector<RawElement> out;
    std::size_t i = 0;
    while (i <= text.size()) {
        const int kind = at(kinds, i);
        if (i == text.size() || kind == kEndOfPattern)
            break;
        RawElement e;
        e.kind = kind;
        e.arg = at(args, i);
        e.boundary = at(boundaries, i);
        std::size_t length = static_cast<std::size_t>(std::max(1, at(lengths, i)));
        switch (kind) {
        case kLiteralRun:
            length = std::min(length, text.size() - i);
            e.text = std::string(text.substr(i, length));
            break;
        case kGap:
        case kSpecialInWord:
        case kSpecialStart:
        case kSingleWildcard:
        case kLeadingWildcardWord:
            break;
        default:
            // A character no element claims: a blank belongs to the gap before it, anything
            // else stands for itself.
            length = 1;
            if (text[i] == ' ') {
                ++i;
                continue;
            }
            e.kind = kLiteralRun;
            e.text = std::string(1, text[i]);
            break;
        }
        out.push_back(std::move(e));
        i += length;
    }
    return out;
}

bool endsEndings(const RawElement& e) {
    if (e.kind == kEndOfPattern)
        return true;
    if (e.kind != kGap)
        return false;
    if (e.boundary == kBoundaryAfterWord)
        return true;
    return e.arg == 0 || e.arg >= kNextWordWithin;
}

ScanToken simpleToken(const RawElement& e) {
    ScanToken t;
    switch (e.kind) {
    case kLiteralRun:
        t.kind = ScanTokenKind::Literal;
        t.text = e.text;
        break;
    case kSpecialInWord:
    case kSpecialStart:
        t.kind = ScanTokenKind::Special;
        t.special = e.arg;
        break;
    case kSingleWildcard:
        t.kind = ScanTokenKind::AnyLetter;
        break;
    case kGap:
        if (e.boundary == kBoundaryAfterWord) {
            t.kind = ScanTokenKind::WordEnd;
        } else if (e.arg == kInnerWildcard) {
            t.kind = ScanTokenKind::InnerStar;
        } else {
            t.kind = ScanTokenKind::NextWord;
            const int n = e.arg & kNextWordCountMask;
            t.words = n > 0 ? n : 1;
            t.within = e.arg >= kNextWordWithin && e.arg < kNextWordExactly;
        }
        break;
    default:
        t.kind = ScanTokenKind::End;
        break;
    }
    t.start = startOf(e.boundary);
    return t;
}

} // namespace

ScanPattern MakeScanPattern(std::string_view patternText, const std::vector<int>& kinds,
                            const std::vector<int>& lengths, const std::vector<int>& args,
                            const std::vector<int>& boundaries, bool hasLiteralComma) {
    ScanPattern pattern;
    pattern.patternText = std::string(patternText);
    pattern.hasLiteralComma = hasLiteralComma;
    pattern.startsWithSingleWildcard =
        at(boundaries, 0) == kBoundaryWildcardBefore || at(kinds, 0) == kSingleWildcard;

    const std::vector<RawElement> raw = rawElements(patternText, kinds, lengths, args, boundaries);
    std::size_t i = 0;
    if (!raw.empty() && raw[0].kind == kLeadingWildcardWord) {
        pattern.start = ScanStart::WildcardWord;
        i = 1;
    }
    while (i < raw.size()) {
        const RawElement& e = raw[i];
        if (e.kind == kGap && (e.arg == kRequiredEndings || e.arg == kOptionalEndings) &&
            e.boundary != kBoundaryAfterWord) {
            ScanToken t;
            t.kind = ScanTokenKind::Endings;
            t.required = e.arg == kRequiredEndings;
            t.endings.emplace_back();
            ++i;
            while (i < raw.size() && !endsEndings(raw[i])) {
                const RawElement& part = raw[i];
                if (part.kind == kGap &&
                    (part.arg == kRequiredEndings || part.arg == kOptionalEndings))
                    t.endings.emplace_back();
                else
                    t.endings.back().push_back(simpleToken(part));
                ++i;
            }
            pattern.tokens.push_back(std::move(t));
            continue;
        }
        pattern.tokens.push_back(simpleToken(e));
        ++i;
    }
    ScanToken end;
    end.kind = ScanTokenKind::End;
    pattern.tokens.push_back(end);

    if (pattern.start != ScanStart::WildcardWord) {
        switch (pattern.tokens.front().kind) {
        case ScanTokenKind::Literal:
            pattern.start = ScanStart::Literal;
            break;
        case ScanTokenKind::Special:
            pattern.start = ScanStart::Special;
            break;
        case ScanTokenKind::AnyLetter:
            pattern.start = ScanStart::AnyLetter;
            break;
        default:
            // Nothing to look for first: the tokens are tried at every word start.
            pattern.start = ScanStart::EachWord;
            break;
        }
    }
    return pattern;
}

ScanPattern MakeScanPattern(const CompiledPattern& compiled) {
    return MakeScanPattern(compiled.PatternText, compiled.ElementKind, compiled.ElementLength,
                           compiled.ElementArg, compiled.ElementBoundary, compiled.HasLiteralComma);
}

} // namespace lexmora
