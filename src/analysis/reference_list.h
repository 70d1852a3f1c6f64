// Word lists as keyness compares them: a word list pair (.lst/.sta) or a plain list (one
// "word<TAB>frequency" or "rank<TAB>frequency<TAB>word" a line), read into one block of
// spellings with their frequencies, in the word list's order of types.
#pragma once

#include "core/result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// What a plain list's lines that are no entry do: stop the reading, or are left out and noted.
enum class BadLines { Refuse, Skip };

struct ComparedList {
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    std::string name; // the file's name, for messages (UTF-8)
    std::string text; // the spellings' bytes (Windows-1252)
    std::vector<Span> words;
    std::vector<std::int64_t> counts; // the frequency of each word
    std::int64_t tokens = 0;
    std::vector<std::string> notes; // lines skipped, spellings joined (Windows-1252)

    std::size_t size() const { return words.size(); }
    std::string_view word(std::size_t i) const {
        return std::string_view(text).substr(words[i].offset, words[i].length);
    }
};

// Types are ordered by CompareTypes (wordcount/word_rules.h); a word list's types are strictly
// increasing in it.

// A word list pair, refused as the frequency viewer refuses it; an empty list is refused too.
Result<ComparedList> LoadCountList(const std::string& listPath);

// A plain list's bytes (UTF-8 or Windows-1252, read as a source's code is detected). Blank lines
// and lines starting with "#" are no entries; "# tokens: N" gives the token total, which is
// otherwise the frequencies' sum. Spellings of one type are joined into the first of them in
// the word list's order.
Result<ComparedList> ParsePlainList(std::string_view bytes, const std::string& name,
                                    BadLines badLines);
Result<ComparedList> LoadPlainList(const std::string& path, BadLines badLines);

// A reference: a word list pair when the name ends in ".lst", else a plain list.
Result<ComparedList> LoadReferenceList(const std::string& path, BadLines badLines);

// Puts a list's words in type order when they are not, joining spellings of one type. The
// number of entries joined.
std::int64_t PutInTypeOrder(ComparedList& list);

} // namespace lexmora
