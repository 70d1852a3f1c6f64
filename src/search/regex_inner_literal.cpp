#include "search/regex_inner_literal.h"

#include <cctype>
#include <cstring>
#include <numeric>

namespace lexmora {

namespace {

using namespace regex_layout;

ByteSet bitmapOf(const RegexTables& t, std::size_t bitmap) {
    ByteSet set;
    for (std::size_t c = 0; c < 256; ++c)
        if (t[kClassBits + bitmap + c / 8] & (1u << (c & 7)))
            set.set(c);
    return set;
}

ByteSet allBytes() {
    return ByteSet().set();
}

// A reading of the expression that stops ("fails") at anything it does not know for sure. What it
// gathers: the bytes the consuming parts may take (a superset) and the runs of plain characters
// of the top-level sequence.
class InnerReading {
public:
    InnerReading(std::string_view e, const RegexTables& t) : m_e(e), m_tables(t) {}

    bool read() { return alternatives(true, true) && m_i == m_e.size(); }
    const ByteSet& bytes() const { return m_bytes; }
    // The longest run of the top-level sequence, none when the top level has alternatives.
    std::string literal() const { return m_topAlternative ? std::string() : m_longest; }

private:
    bool at(char c, std::size_t ahead = 0) const {
        return m_i + ahead < m_e.size() && m_e[m_i + ahead] == c;
    }

    bool alternatives(bool consume, bool top) {
        for (;;) {
            if (!sequence(consume, top))
                return false;
            if (!at('|'))
                return true;
            m_topAlternative = m_topAlternative || top;
            ++m_i;
        }
    }

    bool sequence(bool consume, bool top) {
        std::string run;
        while (m_i < m_e.size() && !at('|') && !at(')')) {
            int literal = -1; // the plain character the atom is, if it is one
            bool repeated = false;
            if (!atom(consume, literal) || !quantifier(repeated))
                return false;
            if (top && literal >= 0 && !repeated) {
                run.push_back(static_cast<char>(literal));
            } else if (top) {
                keepRun(run);
                run.clear();
            }
        }
        if (top)
            keepRun(run);
        return true;
    }

    void keepRun(const std::string& run) {
        if (run.size() > m_longest.size())
            m_longest = run;
    }

    void take(const ByteSet& set, bool consume) {
        if (consume)
            m_bytes |= set;
    }

    bool atom(bool consume, int& literal) {
        const unsigned char c = static_cast<unsigned char>(m_e[m_i]);
        if (c == '(')
            return group(consume);
        if (c == '[')
            return characterClass(consume);
        if (c == '\\')
            return escape(consume, literal);
        ++m_i;
        if (c == '^' || c == '$')
            return true;
        if (c == '.') {
            // Any of CR and LF ends a line (the newline convention the expressions are built with).
            take(allBytes().reset('\r').reset('\n'), consume);
            return true;
        }
        if (std::strchr("?*+{}[])", c) != nullptr)
            return false;
        literal = c;
        take(ByteSet().set(c), consume);
        return true;
    }

    // A group, a group that does not capture, or a lookaround (which consumes nothing).
    bool group(bool consume) {
        ++m_i;
        bool inner = consume;
        if (at('?')) {
            if (at(':', 1)) {
                m_i += 2;
            } else if (at('=', 1) || at('!', 1)) {
                m_i += 2;
                inner = false;
            } else if (at('<', 1) && (at('=', 2) || at('!', 2))) {
                m_i += 3;
                inner = false;
            } else {
                return false; // inline options, named groups, conditions, comments...
            }
        } else if (at('*')) {
            return false; // a verb
        }
        if (!alternatives(inner, false) || !at(')'))
            return false;
        ++m_i;
        return true;
    }

    bool escape(bool consume, int& literal) {
        if (m_i + 1 >= m_e.size())
            return false;
        const unsigned char d = static_cast<unsigned char>(m_e[m_i + 1]);
        m_i += 2;
        switch (d) {
        case 'w':
            take(bitmapOf(m_tables, kWordBits), consume);
            return true;
        case 'd':
            take(bitmapOf(m_tables, kDigitBits), consume);
            return true;
        case 's':
            take(bitmapOf(m_tables, kSpaceBits), consume);
            return true;
        case 'W':
        case 'D':
        case 'S':
            take(allBytes(), consume);
            return true;
        case 'b':
        case 'B':
        case 'A':
        case 'z':
        case 'Z':
            return true; // they consume nothing and do not depend on where a search begins
        default:
            break;
        }
        if (d < 128 && !std::isalnum(d)) {
            literal = d;
            take(ByteSet().set(d), consume);
            return true;
        }
        return false; // \K, \G, back references, \x, \Q...: not read here
    }

    // One character of a class: a plain or escaped one (false when the item is a set).
    bool classCharacter(int& c) {
        if (at('\\')) {
            if (m_i + 1 >= m_e.size())
                return false;
            const unsigned char d = static_cast<unsigned char>(m_e[m_i + 1]);
            if (d >= 128 || std::isalnum(d))
                return false;
            c = d;
            m_i += 2;
            return true;
        }
        c = static_cast<unsigned char>(m_e[m_i]);
        ++m_i;
        return true;
    }

    // A class's items: `sure` holds the bytes certainly in it, `maybe` every byte it may hold.
    bool classItems(ByteSet& sure, ByteSet& maybe) {
        for (bool first = true; m_i < m_e.size(); first = false) {
            if (at(']') && !first)
                return true;
            if (at('[') && (at(':', 1) || at('.', 1) || at('=', 1))) {
                if (!posixClass(maybe))
                    return false;
                continue;
            }
            if (at('\\') && m_i + 1 < m_e.size() &&
                std::strchr("wdsWDS", m_e[m_i + 1]) != nullptr) {
                int ignored = -1;
                if (!escapeInto(maybe, ignored))
                    return false;
                continue;
            }
            int lo = 0;
            if (!classCharacter(lo))
                return false;
            int hi = lo;
            if (at('-') && m_i + 1 < m_e.size() && m_e[m_i + 1] != ']') {
                ++m_i;
                if (at('[') || !classCharacter(hi) || hi < lo)
                    return false;
            }
            for (int c = lo; c <= hi; ++c) {
                sure.set(static_cast<std::size_t>(c));
                maybe.set(static_cast<std::size_t>(c));
            }
        }
        return false;
    }

    bool escapeInto(ByteSet& maybe, int& literal) {
        const ByteSet saved = m_bytes;
        m_bytes.reset();
        const bool ok = escape(true, literal);
        maybe |= m_bytes;
        m_bytes = saved;
        return ok;
    }

    // [:name:] and [:^name:]: every byte the class may hold, generously.
    bool posixClass(ByteSet& maybe) {
        if (!at(':', 1))
            return false;
        const std::size_t close = m_e.find(":]", m_i + 2);
        if (close == std::string_view::npos)
            return false;
        const std::string_view name = m_e.substr(m_i + 2, close - m_i - 2);
        m_i = close + 2;
        const ByteSet letters = bitmapOf(m_tables, kUpperBits) | bitmapOf(m_tables, kLowerBits);
        if (name == "upper" || name == "lower")
            maybe |= letters;
        else if (name == "alpha" || name == "alnum" || name == "word")
            maybe |= letters | bitmapOf(m_tables, kWordBits) | bitmapOf(m_tables, kDigitBits);
        else if (name == "digit")
            maybe |= bitmapOf(m_tables, kDigitBits);
        else if (name == "space")
            maybe |= bitmapOf(m_tables, kSpaceBits);
        else if (name.find_first_not_of("abcdefghijklmnopqrstuvwxyz^") == std::string_view::npos)
            maybe |= allBytes();
        else
            return false;
        return true;
    }

    bool characterClass(bool consume) {
        ++m_i;
        const bool negated = at('^');
        if (negated)
            ++m_i;
        ByteSet sure, maybe;
        if (!classItems(sure, maybe) || !at(']'))
            return false;
        ++m_i;
        // A negated class holds no byte certainly among its items, whatever the cases.
        take(negated ? ~sure : maybe, consume);
        return true;
    }

    bool quantifier(bool& repeated) {
        if (at('?') || at('*') || at('+')) {
            ++m_i;
        } else if (at('{')) {
            const std::size_t close = m_e.find('}', m_i);
            if (close == std::string_view::npos)
                return false;
            const std::string_view inside = m_e.substr(m_i + 1, close - m_i - 1);
            const std::size_t comma = inside.find(',');
            const std::string_view low = inside.substr(0, comma);
            if (low.empty() || low.find_first_not_of("0123456789") != std::string_view::npos ||
                (comma != std::string_view::npos && inside.substr(comma + 1).find_first_not_of(
                                                        "0123456789") != std::string_view::npos))
                return false; // PCRE2 reads such braces as characters: not read here
            m_i = close + 1;
        } else {
            return true;
        }
        repeated = true;
        if (at('?') || at('+'))
            ++m_i; // lazy or possessive
        return true;
    }

    std::string_view m_e;
    const RegexTables& m_tables;
    std::size_t m_i = 0;
    ByteSet m_bytes;
    std::string m_longest;
    bool m_topAlternative = false;
};

} // namespace

FoldTable RegexCaseFold(const RegexTables& tables) {
    // Bytes joined by either case table fall in one group, folded to its smallest byte.
    std::array<std::size_t, 256> parent{};
    std::iota(parent.begin(), parent.end(), std::size_t{0});
    const auto root = [&](std::size_t x) {
        while (parent[x] != x)
            x = parent[x] = parent[parent[x]];
        return x;
    };
    const auto join = [&](std::size_t a, std::size_t b) {
        a = root(a);
        b = root(b);
        if (a != b)
            parent[std::max(a, b)] = std::min(a, b);
    };
    for (std::size_t c = 0; c < 256; ++c) {
        join(c, tables[kLowerCase + c]);
        join(c, tables[kFlipCase + c]);
    }
    FoldTable fold{};
    for (std::size_t c = 0; c < 256; ++c)
        fold[c] = static_cast<unsigned char>(root(c));
    return fold;
}

RegexInnerLiteral FindRegexInnerLiteral(std::string_view expression, const RegexTables& tables,
                                        bool caseSensitive) {
    InnerReading reading(expression, tables);
    if (!reading.read() || reading.literal().size() < 2)
        return {};
    RegexInnerLiteral out{reading.literal(), reading.bytes()};
    if (!caseSensitive) {
        const FoldTable fold = RegexCaseFold(tables);
        ByteSet folded;
        for (std::size_t c = 0; c < 256; ++c)
            if (out.bytes[c])
                folded.set(fold[c]);
        for (std::size_t c = 0; c < 256; ++c)
            if (folded[fold[c]])
                out.bytes.set(c);
    }
    if (out.bytes.all())
        return {};
    return out;
}

} // namespace lexmora
