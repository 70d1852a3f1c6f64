// The corpus a collocate's frequency is taken from: a word list the user names, or files counted
// here by the word count's rules, for the words of a vocabulary only.
#pragma once

#include "analysis/hit_walk.h"
#include "core/program_state.h"
#include "core/result.h"
#include "core/run_control.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lexmora {

struct CorpusCounts {
    std::int64_t tokens = 0;        // N
    std::vector<std::int64_t> freq; // by vocabulary id: the folded word's frequency
    std::vector<std::string> notes; // files left out (Windows-1252)
};

// A ".lst" word list: N is its token total; its words are folded and summed by type.
Result<CorpusCounts> CountFromWordList(const std::string& listPath, const Vocabulary& vocabulary);

// Files read as the word count reads them (binary and empty files skipped as it skips them; a
// file that cannot be read is named in a note and left out).
Result<CorpusCounts> CountCorpusFiles(const ProgramState& state,
                                      const std::vector<std::string>& files,
                                      const Vocabulary& vocabulary, RunControl* control = nullptr);

} // namespace lexmora
