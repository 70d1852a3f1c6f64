// A KWIC record cut into the columns a table shows it in: the real source file name the log
// gives for the record, the left context, the keyword (all its words) and the right context,
// and where each word a sort keyed on stands in the line. Shared by the export and the
// desktop's table view, so that both cut a line the same way.
#pragma once

#include "search/result_files.h"
#include "viewer/result_viewer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lexmora {

// The hit number the search writes in front of the left context.
inline constexpr std::size_t kHitNumberWidth = 5;

// The number of words of a keyword for cutting a line: a multi-word keyword's node spans them.
std::size_t KeywordWordsForCut(std::string_view keyword);

// The three text columns of a KWIC line, as views into it, blanks trimmed.
struct KwicCut {
    std::string_view left;
    std::string_view keyword;
    std::string_view right;
};
// Cuts the KWIC text of a record (hit number, `leftWidth` characters of left context, the
// keyword of `keywordWords` words, the right context).
KwicCut CutKwicLine(std::string_view text, std::size_t leftWidth, std::size_t keywordWords);

// The source files of a result file's records as its log names them, each looked up once.
// Without a log, or when the log's entry names another file (a log of another run), the
// record's own short name is the name and the folder is unknown.
class SourceNames {
public:
    explicit SourceNames(const ResultViewer& viewer);
    // The file name (Windows-1252), good while the record and this object are.
    std::string_view nameOf(const DumpRecordFields& fields) { return entryOf(fields).name; }
    // The folder the file was read from; empty when unknown.
    std::string_view folderOf(const DumpRecordFields& fields) { return entryOf(fields).folder; }

private:
    struct Source {
        std::string name;
        std::string folder;
    };
    const Source& entryOf(const DumpRecordFields& fields);

    std::string m_log;
    std::unordered_map<std::int32_t, Source> m_sources;
    Source m_own; // the record's own name, for records the log cannot tell
};

// A word a sort keyed on: where it stands in the KWIC text, and its level (0 = first key).
struct SortWordSpan {
    std::size_t from = 0;
    std::size_t length = 0;
    int level = 0;
};
// The words of the viewer's last sort in a record (the record as GetRecord gives it), one per
// level that found a word; none while the viewer is not sorted.
std::vector<SortWordSpan> SortWordSpans(const ResultViewer& viewer, std::string_view record);

} // namespace lexmora
