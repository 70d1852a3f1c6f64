#include "search/keyword_automaton.h"

#include "search/text_fold.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

namespace lexmora {
namespace {

using Hits = std::vector<std::pair<std::uint32_t, std::size_t>>; // slot, end

// Every literal at every place, folded, ordered by end then slot: what the automaton must give.
Hits collected(const KeywordAutomaton& automaton, const std::string& text, std::size_t from) {
    std::vector<KeywordAutomaton::Found> found;
    automaton.collect(text.data(), text.size(), from, found);
    Hits pairs;
    for (const auto& f : found)
        pairs.emplace_back(f.slot, f.end);
    return pairs;
}

Hits naive(const std::vector<std::string>& literals, const Fold& fold, const std::string& text,
           std::size_t from) {
    const std::string folded = foldText(fold, text);
    Hits hits;
    for (std::size_t end = from + 1; end <= text.size(); ++end)
        for (std::uint32_t s = 0; s < literals.size(); ++s) {
            const std::string& l = literals[s];
            if (!l.empty() && end >= from + l.size() &&
                folded.compare(end - l.size(), l.size(), l) == 0)
                hits.emplace_back(s, end);
        }
    return hits;
}

TEST(KeywordAutomaton, FindsEveryFoldedLiteralInTheOrderOfTheirEnds) {
    const Fold blind = makeFold(FoldMode::Cp1252);
    const Fold exact = makeFold(FoldMode::None);
    struct Case {
        std::vector<std::string> literals;
        const Fold* fold;
        std::string text;
        std::size_t from;
    };
    const std::vector<Case> cases = {
        {{"he", "she", "his", "hers"}, &blind, "USHERS and she said his hers", 0},
        {{"a", "aa", "aaa", ""}, &exact, "aaaa baaa", 2},
        {{"caf\xE9", "\xE9t\xE9"}, &blind, "CAF\xC9T\xC9 caf\xE9", 0},
        {{"love", "over", "lover", "ver"}, &exact, "Lover lover LOVE", 0},
    };
    for (const Case& c : cases) {
        const KeywordAutomaton automaton(c.literals, c.fold->map);
        EXPECT_EQ(collected(automaton, c.text, c.from), naive(c.literals, *c.fold, c.text, c.from))
            << c.text;
    }
    // Random words of a small alphabet: many overlapping literals.
    std::mt19937 random(3);
    std::vector<std::string> literals;
    for (int i = 0; i < 60; ++i) {
        std::string l;
        for (unsigned n = 1 + random() % 5; n > 0; --n)
            l += static_cast<char>("abcAB"[random() % 5]);
        literals.push_back(foldText(blind, l));
    }
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "abcABx "[random() % 7];
    const KeywordAutomaton automaton(literals, blind.map);
    EXPECT_EQ(collected(automaton, text, 5), naive(literals, blind, text, 5));
    // Collected, the text walked in parts at once: the same, for windows of every size, with a
    // table of either width (a long list of longer words needs the wide one).
    std::vector<std::string> many;
    for (int i = 0; i < 1500; ++i) {
        std::string l;
        for (unsigned n = 3 + random() % 6; n > 0; --n)
            l += static_cast<char>('a' + random() % 26);
        many.push_back(l);
    }
    std::string words;
    while (words.size() < 3000)
        words += many[random() % many.size()] + (random() % 2 ? " " : "");
    const KeywordAutomaton wide(many, blind.map);
    for (const auto& [list, sample, walker] :
         {std::tuple(&literals, &text, &automaton), std::tuple(&many, &words, &wide)})
        for (const std::size_t size :
             {std::size_t{100}, std::size_t{9000}, std::size_t{20001}, std::size_t{65539}}) {
            std::string big;
            while (big.size() < size)
                big += *sample;
            big.resize(size);
            EXPECT_EQ(collected(*walker, big, 7), naive(*list, blind, big, 7)) << size;
        }
}

} // namespace
} // namespace lexmora
