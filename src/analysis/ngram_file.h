// Saved n-grams: a text file that a later run reopens as it was counted. Windows-1252 text,
// LF line ends, tab-separated fields:
//
//   LEXMORA-NGRAMS <TAB> 1                       magic and format version
//   size <TAB> 3-5                               the settings of the run, one per line, in
//   min-freq <TAB> 2                             this order
//   min-range <TAB> 1
//   stop-at-sentence <TAB> no                    yes | no
//   language <TAB> English                       the language's name
//   tokens <TAB> 123456                          words read
//   files <TAB> 12                               files read
//   sort <TAB> freq                              freq | range | alpha | ending
//   ngram <TAB> freq <TAB> range                 the column line
//   end of the <TAB> 2 <TAB> 2                   one line per n-gram, in the list's order
//   end <TAB> 2 <TAB> 89ab...                    rows, FNV-1a 64 of every byte before this line
//
// A file whose version is higher than this program's is refused as too new; one cut short,
// edited, or not of this form is refused as damaged, saying where.
#pragma once

#include "analysis/ngrams.h"
#include "core/result.h"
#include "core/staged_file.h"

#include <string>
#include <string_view>

namespace lexmora {

inline constexpr const char* kNgramFileMagic = "LEXMORA-NGRAMS";
inline constexpr int kNgramFileVersion = 1;

// The bytes of the file for a result sorted as `sort`.
std::string NgramFileText(const NgramResult& result, SequenceSort sort);

// A file written one row at a time, beside `path`, and put in place whole by finish(); dropped
// unfinished, it leaves nothing behind. `settings` gives the header's lines (its list unread).
class NgramFileWriter {
public:
    NgramFileWriter(const NgramResult& settings, SequenceSort sort, const std::string& path);
    bool add(std::string_view text, std::int64_t freq, std::int64_t range);
    bool ok() const { return m_ok; }
    Status finish(Placement placement);

private:
    bool put(std::string_view bytes);
    std::string m_path;
    StagedFile m_file;
    std::string m_line;
    std::uint64_t m_sum;
    std::int64_t m_rows = 0;
    bool m_ok = true;
};

// Written beside `path` and put in place whole (`placement`: whether it may replace a file).
Status SaveNgramFile(const NgramResult& result, SequenceSort sort, const std::string& path,
                     Placement placement);

// The result a file holds; `sort` receives its order. `name` names it in messages.
Result<NgramResult> ParseNgramFile(std::string_view bytes, const std::string& name,
                                   SequenceSort* sort = nullptr);
Result<NgramResult> LoadNgramFile(const std::string& path, SequenceSort* sort = nullptr);

} // namespace lexmora
