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

void KeywordAutomaton::collect(const char* text, std::size_t size, std::size_t from,
                               std::vector<Found>& out) const {
    out.clear();
    auto keep = [&out](Found found) {
        out.push_back(found);
        return true;
    };
    if (size < from + 16384 || m_longest == 0) {
        scan(text, size, from, keep);
        return;
    }
    // Chain c reports the literals ending in (start[c], start[c + 1]]; it begins early enough
    // (the longest literal less one byte) to see every literal ending after start[c].
    std::size_t start[kChains + 1];
    const std::size_t part = (size - from) / kChains;
    for (std::size_t c = 0; c < kChains; ++c)
        start[c] = from + c * part;
    start[kChains] = size;
    std::vector<Found>* to[kChains] = {&out, &m_parts[0], &m_parts[1], &m_parts[2]};
    for (std::size_t c = 1; c < kChains; ++c)
        to[c]->clear();
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const std::uint32_t* next = m_next.data();
    const std::uint8_t* classOf = m_class;
    auto report = [this](std::uint32_t& row, std::size_t end, std::vector<Found>& into) {
        row &= ~kHasOutput;
        const std::uint32_t state = row / m_classes;
        for (std::uint32_t o = m_outputBegin[state]; o < m_outputBegin[state + 1]; ++o)
            into.push_back(Found{m_outputs[o], end});
    };
    // A literal ending before its chain's own stretch belongs to the chain before.
    auto settle = [&](std::size_t c, std::uint32_t& row, std::size_t end) {
        if (end > start[c])
            report(row, end, *to[c]);
        else
            row &= ~kHasOutput;
    };
    std::size_t i0 = from;
    std::size_t i1 = start[1] - std::min(part, m_longest - 1);
    std::size_t i2 = start[2] - std::min(part, m_longest - 1);
    std::size_t i3 = start[3] - std::min(part, m_longest - 1);
    std::uint32_t r0 = 0, r1 = 0, r2 = 0, r3 = 0;
    // Four independent chains of table loads: each byte's move waits on the one before, and
    // the processor works on the four at once.
    const std::size_t common = std::min({start[1] - i0, start[2] - i1, start[3] - i2, size - i3});
    for (std::size_t n = 0; n < common; ++n) {
        r0 = next[r0 + classOf[p[i0++]]];
        r1 = next[r1 + classOf[p[i1++]]];
        r2 = next[r2 + classOf[p[i2++]]];
        r3 = next[r3 + classOf[p[i3++]]];
        if ((r0 | r1 | r2 | r3) & kHasOutput) {
            if (r0 & kHasOutput)
                report(r0, i0, out);
            if (r1 & kHasOutput)
                settle(1, r1, i1);
            if (r2 & kHasOutput)
                settle(2, r2, i2);
            if (r3 & kHasOutput)
                settle(3, r3, i3);
        }
    }
    std::size_t at[kChains] = {i0, i1, i2, i3};
    std::uint32_t row[kChains] = {r0, r1, r2, r3};
    for (std::size_t c = 0; c < kChains; ++c)
        for (; at[c] < start[c + 1]; ++at[c])
            if ((row[c] = next[row[c] + classOf[p[at[c]]]]) & kHasOutput)
                settle(c, row[c], at[c] + 1);
    for (std::size_t c = 1; c < kChains; ++c)
        out.insert(out.end(), to[c]->begin(), to[c]->end());
}

} // namespace lexmora
