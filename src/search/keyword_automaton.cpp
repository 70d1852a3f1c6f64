#include "search/keyword_automaton.h"

#include <algorithm>
#include <deque>

namespace lexmora {

namespace {
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr std::size_t kChainStops = 256; // noted per walk before the outputs are taken
} // namespace

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
    // A small automaton's table at half width stays in the first-level cache beside the text.
    if (m_next.size() <= kNarrowRows) {
        m_narrow.resize(m_next.size());
        for (std::size_t i = 0; i < m_next.size(); ++i)
            m_narrow[i] = static_cast<std::uint16_t>((m_next[i] & ~kHasOutput) |
                                                     (m_next[i] & kHasOutput ? kNarrowOutput : 0));
    }
    m_own.clear();
    m_link.clear();
}

namespace {

// Where chains reached states with outputs: the index and the four rows (flags kept).
struct ChainStop {
    std::ptrdiff_t n;
    std::size_t rows[4];
};

// Four independent chains of table loads: each byte's move waits on the one before, and the
// processor works on the four at once. The chains share one index counting up to zero from their
// ends. A byte after which a chain's state has outputs is noted in `stops` and the walk goes on
// (with the flags taken off) until `stops` is full; returns where it stopped and the stops noted.
// Kept apart from what is done with the outputs, the loop holds all it needs in registers.
template <typename Entry, Entry flag>
[[gnu::noinline]] std::ptrdiff_t
walkChains(const Entry* next, const std::uint8_t* classOf, const unsigned char* const* ends,
           std::size_t* rows, std::ptrdiff_t n, ChainStop* stops, std::size_t& stopCount) {
    const unsigned char *e0 = ends[0], *e1 = ends[1], *e2 = ends[2], *e3 = ends[3];
    std::size_t r0 = rows[0], r1 = rows[1], r2 = rows[2], r3 = rows[3];
    ChainStop* stop = stops;
    ChainStop* const last = stops + kChainStops;
    while (n < 0) {
        r0 = next[r0 + classOf[e0[n]]];
        r1 = next[r1 + classOf[e1[n]]];
        r2 = next[r2 + classOf[e2[n]]];
        r3 = next[r3 + classOf[e3[n]]];
        if ((r0 | r1 | r2 | r3) & flag) [[unlikely]] {
            *stop++ = ChainStop{n, {r0, r1, r2, r3}};
            r0 &= ~std::size_t{flag};
            r1 &= ~std::size_t{flag};
            r2 &= ~std::size_t{flag};
            r3 &= ~std::size_t{flag};
            if (stop == last) {
                ++n;
                break;
            }
        }
        ++n;
    }
    rows[0] = r0;
    rows[1] = r1;
    rows[2] = r2;
    rows[3] = r3;
    stopCount = static_cast<std::size_t>(stop - stops);
    return n;
}

} // namespace

// The literals of the state in `row` ending at `end` go to `into` unless they end at or before
// `after` (a chain's lead-in, whose literals the chain before reports). Out of line, so that the
// walk keeps its indices and states in registers.
void KeywordAutomaton::settle(std::size_t row, std::size_t end, std::size_t after,
                              std::vector<Found>& into) const {
    if (end <= after)
        return;
    const std::size_t state = row / m_classes;
    for (std::uint32_t o = m_outputBegin[state]; o < m_outputBegin[state + 1]; ++o)
        into.push_back(Found{m_outputs[o], end});
}

void KeywordAutomaton::collect(const char* text, std::size_t size, std::size_t from,
                               std::vector<Found>& out) const {
    out.clear();
    if (m_longest == 0)
        return;
    if (!m_narrow.empty())
        collectChains<std::uint16_t, kNarrowOutput>(m_narrow.data(), text, size, from, out);
    else
        collectChains<std::uint32_t, kHasOutput>(m_next.data(), text, size, from, out);
}

template <typename Entry, Entry flag>
void KeywordAutomaton::collectChains(const Entry* next, const char* text, std::size_t size,
                                     std::size_t from, std::vector<Found>& out) const {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const std::uint8_t* classOf = m_class;
    std::size_t row = 0;
    if (size < from + 16384) {
        for (std::size_t i = from; i < size; ++i)
            if ((row = next[row + classOf[p[i]]]) & flag) {
                row &= ~std::size_t{flag};
                settle(row, i + 1, from, out);
            }
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
    const std::size_t lead = std::min(part, m_longest - 1);
    const std::size_t at[kChains] = {from, start[1] - lead, start[2] - lead, start[3] - lead};
    const std::size_t common =
        std::min({start[1] - at[0], start[2] - at[1], start[3] - at[2], size - at[3]});
    const unsigned char* ends[kChains] = {p + at[0] + common, p + at[1] + common,
                                          p + at[2] + common, p + at[3] + common};
    std::size_t rows[kChains] = {};
    ChainStop stops[kChainStops];
    for (auto n = -static_cast<std::ptrdiff_t>(common); n < 0;) {
        std::size_t count = 0;
        n = walkChains<Entry, flag>(next, classOf, ends, rows, n, stops, count);
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t after = common + static_cast<std::size_t>(stops[k].n) + 1;
            for (std::size_t c = 0; c < kChains; ++c)
                if (stops[k].rows[c] & flag)
                    settle(stops[k].rows[c] & ~std::size_t{flag}, at[c] + after, start[c], *to[c]);
        }
    }
    for (std::size_t c = 0; c < kChains; ++c)
        for (std::size_t i = at[c] + common; i < start[c + 1]; ++i)
            if ((rows[c] = next[rows[c] + classOf[p[i]]]) & flag) {
                rows[c] &= ~std::size_t{flag};
                settle(rows[c], i + 1, start[c], *to[c]);
            }
    for (std::size_t c = 1; c < kChains; ++c)
        out.insert(out.end(), to[c]->begin(), to[c]->end());
}

} // namespace lexmora
