#include "search/keyword_automaton.h"

#include <algorithm>
#include <deque>

namespace lexmora {

namespace {
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
}

KeywordAutomaton::KeywordAutomaton(const std::vector<std::string>& literals,
                                   const FoldTable& fold) {
    // Only the bytes the literals hold need a column of their own: the table stays small for a
    // long keyword list.
    for (const std::string& literal : literals)
        for (const char c : literal) {
            std::uint8_t& cls = m_literalClass[static_cast<unsigned char>(c)];
            if (cls == 0 && m_classes < 256)
                cls = static_cast<std::uint8_t>(m_classes++);
        }
    for (std::size_t b = 0; b < 256; ++b)
        m_class[b] = m_literalClass[fold[b]];
    m_lengths.resize(literals.size());
    for (std::size_t s = 0; s < literals.size(); ++s) {
        m_lengths[s] = literals[s].size();
        m_longest = std::max(m_longest, literals[s].size());
    }
    buildTrie(literals);
    buildLinks();
}

void KeywordAutomaton::buildTrie(const std::vector<std::string>& literals) {
    m_next.assign(m_classes, kNone);
    m_own.assign(1, {});
    for (std::size_t s = 0; s < literals.size(); ++s) {
        if (literals[s].empty())
            continue;
        std::uint32_t state = 0;
        for (const char c : literals[s]) {
            const std::size_t at =
                state * m_classes + m_literalClass[static_cast<unsigned char>(c)];
            if (m_next[at] == kNone) {
                m_next[at] = static_cast<std::uint32_t>(m_own.size());
                m_own.emplace_back();
                m_next.resize(m_next.size() + m_classes, kNone);
            }
            state = m_next[at];
        }
        m_own[state].push_back(static_cast<std::uint32_t>(s));
    }
}

// Breadth first: every missing move becomes the failure link's move, and a state's outputs are
// its own slots and those of its link (in ascending slot order).
void KeywordAutomaton::buildLinks() {
    const std::size_t states = m_own.size();
    m_link.assign(states, 0);
    std::vector<std::vector<std::uint32_t>> outputs(states);
    std::deque<std::uint32_t> queue;
    for (std::uint32_t c = 0; c < m_classes; ++c) {
        std::uint32_t& next = m_next[c];
        if (next == kNone) {
            next = 0;
        } else {
            m_link[next] = 0;
            queue.push_back(next);
        }
    }
    outputs[0] = m_own[0];
    while (!queue.empty()) {
        const std::uint32_t state = queue.front();
        queue.pop_front();
        outputs[state] = m_own[state];
        const auto& inherited = outputs[m_link[state]];
        outputs[state].insert(outputs[state].end(), inherited.begin(), inherited.end());
        std::sort(outputs[state].begin(), outputs[state].end());
        for (std::uint32_t c = 0; c < m_classes; ++c) {
            std::uint32_t& next = m_next[state * m_classes + c];
            const std::uint32_t viaLink = m_next[m_link[state] * m_classes + c];
            if (next == kNone) {
                next = viaLink;
            } else {
                m_link[next] = viaLink;
                queue.push_back(next);
            }
        }
    }
    m_outputBegin.assign(states + 1, 0);
    for (std::size_t s = 0; s < states; ++s) {
        m_outputBegin[s] = static_cast<std::uint32_t>(m_outputs.size());
        m_outputs.insert(m_outputs.end(), outputs[s].begin(), outputs[s].end());
    }
    m_outputBegin[states] = static_cast<std::uint32_t>(m_outputs.size());
    for (std::uint32_t& next : m_next) {
        const bool output = !outputs[next].empty();
        next *= m_classes; // the state's row
        if (output)
            next |= kHasOutput;
    }
    m_own.clear();
    m_link.clear();
}

} // namespace lexmora
