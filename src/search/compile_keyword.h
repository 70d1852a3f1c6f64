// Compiling one keyword into the CompiledPattern the scanner walks.
#pragma once

#include "core/program_state.h"
#include "search/compiled_pattern.h"
#include "search/search_request.h"

#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

struct CompileOptions {
    bool caseSensitive = false;
    char openBracket = '{';
    char closeBracket = '}';
    char singleWildcard = '?';
    bool taggedSearch = false;
    int languageIndex = 0; // 1 French: "oe" stands for the ligature
    // The 52 special letters (entries 1-26 lower case, 27-52 upper case); the ANSI row when
    // empty.
    std::string specialCharRow;
};

// The punctuation class: "!&'()+-./,:;<=>@[\]_{}", the soft hyphen, "¨", "«", "»", and "?" when
// the single wildcard is "@".
std::array<bool, 256> PunctuationClass(char singleWildcard);

// Compiles `keyword`. False, with `out` cleared, when there is nothing to search for: an empty
// keyword, the keyword "\", or one that holds no letter, character or wildcard to match (only
// blanks, markers or conditions).
bool CompileKeywordText(std::string_view keyword, const CompileOptions& options,
                        CompiledPattern& out);

// The options of keyword i of the request (0-based): its case flag, brackets, wildcard, the
// tagged search and the language, with the ANSI special letters of the state's code tables.
CompileOptions CompileOptionsFor(const ProgramState& state, const SearchRequest& request,
                                 std::size_t i);

// Compiles keyword i of the request with its options. False also when there is no keyword i.
bool CompileKeyword(const ProgramState& state, const SearchRequest& request, std::size_t i,
                    CompiledPattern& out);
// The same for Keywords[i] as the state holds them now (outside a run).
bool CompileKeyword(const ProgramState& state, std::size_t i, CompiledPattern& out);

// A readable table of the elements, one line each: position (1-based), kind, length,
// argument, boundary. Text is Windows-1252.
std::vector<std::string> DescribeCompiledPattern(const CompiledPattern& pattern);

} // namespace lexmora
