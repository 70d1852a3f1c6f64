// "Copy as command line": the lexmora-cli invocation that rebuilds what the desktop did (a
// search with its result files, a viewer's extract, a word count's pair) byte for byte, as one
// line a POSIX shell reads back into the same words.
#pragma once

#include "core/program_state.h"
#include "core/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// The command line program beside the desktop program when it is there, else its bare name.
std::string CliProgramPath(const ProgramState& state);

// One word for a POSIX shell: left bare when it holds only characters no shell treats
// specially, else in single quotes with every ' written '\''. The empty word is ''. A word that
// is not valid UTF-8 (a file name in another encoding) cannot pass a clipboard as text: it is
// written in bash's $'...' form, its stray bytes as \xHH (bash, not every POSIX shell, reads it).
std::string ShellQuote(std::string_view word);
// The words quoted and joined by blanks.
std::string ShellLine(const std::vector<std::string>& words);

// The search the state describes: sources, keywords, contexts, code, language and saving. A
// failure when the keywords' exclude strings or tags differ in a way the line cannot say.
// The words start with the program's global options; the program itself is not among them.
Result<std::vector<std::string>> SearchCommandWords(const ProgramState& state);

// What the viewer shows of one result file, as `lexmora-cli view` rebuilds it.
struct ViewLine {
    std::string file;
    int stepN = 1;
    enum class Sort { None, Left, Right, Keyword };
    Sort sort = Sort::None;
    int sortPosition = 1;
    bool backwards = false;
    // The sort's later levels ("--then right:2", "--then left:1:b"), at most two.
    struct Then {
        Sort side = Sort::Right;
        int position = 1;
        bool backwards = false;
    };
    std::vector<Then> then;
    int rightContext = 0;
    // Display positions of the sorted (or file-ordered) records to delete.
    std::vector<std::int64_t> deletions;
    // A ".cnc" extract of these display positions (after the deletions).
    struct Extract {
        std::int64_t first = 2;
        std::int64_t last = 2;
        bool kwicSectionOnly = false;
    };
    std::optional<Extract> extract;
    bool saveNew = false; // the ".new" result file of the whole display order, instead
    std::string outputFolder;
};
std::vector<std::string> ViewCommandWords(const ProgramState& state, const ViewLine& view);
// A later sort level as "--then" takes it: "right:2", "left:1:b", "keyword", "keyword:b".
std::string SortLevelWord(const ViewLine::Then& then);

// "3,5-7" for the positions 3, 5, 6 and 7 (sorted, each once).
std::string PositionList(std::vector<std::int64_t> positions);

// The word count of the state's source selection into `outputName`.lst/.sta in the frequency
// files folder; `outputName` is the program's Windows-1252 text.
std::vector<std::string> CountCommandWords(const ProgramState& state,
                                           const std::string& outputName);

} // namespace lexmora
