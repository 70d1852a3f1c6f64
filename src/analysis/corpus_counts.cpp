#include "analysis/corpus_counts.h"

#include "analysis/corpus_counter.h"
#include "analysis/messages.h"
#include "wordcount/frequency_files.h"

namespace lexmora {

Result<CorpusCounts> CountFromWordList(const std::string& listPath, const Vocabulary& vocabulary) {
    Result<CountFile> list = LoadCountFile(listPath);
    if (!list)
        return Failure(analysis::msg::WordListUnreadable(listPath, list.error().text), list.code());
    CorpusCounts counts;
    counts.tokens = list->tokenCount;
    counts.freq.assign(vocabulary.size(), 0);
    std::string folded;
    Status read = ForEachWord(*list, [&](std::size_t i, std::string_view word) {
        FoldSpelling(word, folded);
        if (const auto id = vocabulary.find(folded))
            counts.freq[*id] += list->types[i].count;
    });
    if (!read)
        return Failure(analysis::msg::WordListUnreadable(listPath, read.error().text), read.code());
    return counts;
}

Result<CorpusCounts> CountCorpusFiles(const ProgramState& state,
                                      const std::vector<std::string>& files,
                                      const Vocabulary& vocabulary, RunControl* control) {
    CorpusCounter counter(state, files);
    counter.start();
    return counter.finish(vocabulary, control);
}

} // namespace lexmora
