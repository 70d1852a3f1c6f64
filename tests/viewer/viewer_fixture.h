// Result files for the viewer tests, written with the search's own writer.
#pragma once

#include "core/paths.h"
#include "search/kwic_line.h"
#include "search/result_files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lexmora::test {

struct Hit {
    std::string file; // source file name inside the folder, e.g. "a.txt"
    std::string left; // cleaned contexts
    std::string match;
    std::string right;
};

// Left context 10, right context 20, keyword "cat": RecordLength 80, keyword column 16.
inline constexpr int kLeft = 10;
inline constexpr int kRight = 20;

// Writes name (a ".dmp") with its log and summary in `dir`; hit numbers count per file.
inline std::string writeResultFile(const TempDir& dir, const std::string& name,
                                   const std::vector<Hit>& hits, const std::string& keyword = "cat",
                                   std::int32_t firstEntry = 0,
                                   const std::string& codeName = "Windows") {
    ResultSetHeader header;
    header.dumpPath = dir.path() + "/" + name;
    header.runDate = "06:12:26";
    header.recordLength = *ComputeRecordLength(kLeft, static_cast<int>(keyword.size()), kRight);
    header.leftContext = kLeft;
    header.keyword = keyword;
    header.logKeywordField = keyword + " ";
    header.fileMask = "*.txt";
    header.targetDirectory = dir.path();
    std::int32_t entry = firstEntry;
    auto set = ResultFileSet::open(header, entry);
    EXPECT_TRUE(set.ok());
    std::string lastFile;
    int hitNumber = 0;
    for (const auto& hit : hits) {
        const bool first = hit.file != lastFile;
        hitNumber = first ? 1 : hitNumber + 1;
        lastFile = hit.file;
        ResultFileSet::SourceFileInfo info{
            toUpperAscii(hit.file), dir.path() + "/" + hit.file, "06/12/2026", codeName, {}};
        EXPECT_TRUE(set->writeHit(AssembleKwicLine(hitNumber, hit.left, hit.match, hit.right, kLeft,
                                                   kRight),
                                  info, first, entry)
                        .ok());
    }
    EXPECT_TRUE(set->close().ok());
    return header.dumpPath;
}

// The KWIC text of each record of a viewer in display order, header left out.
template <typename Viewer> std::vector<std::string> shownLines(Viewer& viewer) {
    std::vector<std::string> lines;
    for (std::int64_t p = 2; p <= viewer.IndexCount(); ++p)
        lines.emplace_back(viewer.kwicText(viewer.GetRecord(p)));
    return lines;
}

// The matched word of each record (column 16 up to the next blank).
template <typename Viewer> std::vector<std::string> shownMatches(Viewer& viewer) {
    std::vector<std::string> words;
    for (const auto& line : shownLines(viewer)) {
        const std::string rest = line.size() > 15 ? line.substr(15) : std::string();
        words.push_back(rest.substr(0, rest.find(' ')));
    }
    return words;
}

} // namespace lexmora::test
