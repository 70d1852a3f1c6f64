#include "analysis/corpus_counts.h"

#include "analysis/messages.h"
#include "core/file_io.h"
#include "wordcount/count_source.h"
#include "wordcount/frequency_files.h"
#include "wordcount/word_counter.h"
#include "wordcount/word_rules.h"

#include "core/quiet_thread.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <system_error>
#include <thread>
#include <utility>

namespace lexmora {

namespace {

void fold(std::string_view word, std::string& out) {
    out.resize(word.size());
    for (std::size_t k = 0; k < word.size(); ++k)
        out[k] = static_cast<char>(LowerCp1252(static_cast<unsigned char>(word[k])));
}

// Counts the tokens of a text and the words of the vocabulary among them.
class VocabularySink {
public:
    VocabularySink(const Vocabulary& vocabulary, CorpusCounts& counts)
        : m_vocabulary(vocabulary), m_counts(counts) {}
    void operator()(std::string_view word) {
        if (BucketOfFirst(static_cast<unsigned char>(word[0])) == 0)
            return; // no token for the count either
        ++m_counts.tokens;
        fold(word, m_folded);
        if (const auto id = m_vocabulary.find(m_folded))
            ++m_counts.freq[*id];
    }

private:
    const Vocabulary& m_vocabulary;
    CorpusCounts& m_counts;
    std::string m_folded;
};

// True for a file the word count passes over: empty, or NUL bytes near its start.
bool countSkips(std::string_view bytes) {
    if (bytes.empty())
        return true;
    if (bytes.size() >= 2 &&
        ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return false;
    const std::size_t probe = std::min(kBinaryProbe, bytes.size() > 1 ? bytes.size() - 1 : 1);
    return bytes.substr(0, probe).find('\0') != std::string_view::npos;
}

} // namespace

Result<CorpusCounts> CountFromWordList(const std::string& listPath, const Vocabulary& vocabulary) {
    Result<CountFile> list = LoadCountFile(listPath);
    if (!list)
        return Failure(analysis::msg::WordListUnreadable(listPath, list.error().text), list.code());
    CorpusCounts counts;
    counts.tokens = list->tokenCount;
    counts.freq.assign(vocabulary.size(), 0);
    std::string folded;
    Status read = ForEachWord(*list, [&](std::size_t i, std::string_view word) {
        fold(word, folded);
        if (const auto id = vocabulary.find(folded))
            counts.freq[*id] += list->types[i].count;
    });
    if (!read)
        return Failure(analysis::msg::WordListUnreadable(listPath, read.error().text), read.code());
    return counts;
}

namespace {

// Counts every `stride`-th file from `first` into `counts` (notes by file index); false when
// stopped.
bool countShare(const WordRules& rules, const Vocabulary& vocabulary,
                const std::vector<std::string>& files, std::size_t first, std::size_t stride,
                CorpusCounts& counts, std::vector<std::pair<std::size_t, std::string>>& notes,
                const std::function<bool()>& stopped) {
    VocabularySink sink(vocabulary, counts);
    for (std::size_t i = first; i < files.size(); i += stride) {
        if (stopped())
            return false;
        errno = 0;
        auto bytes = readFileBytes(files[i]);
        if (!bytes) {
            notes.emplace_back(
                i, analysis::msg::CorpusFileUnreadable(files[i], errno ? errno : ENOENT).text);
            continue;
        }
        if (countSkips(*bytes))
            continue;
        std::string block = JoinLineEndHyphens(SourceTextOf(std::move(*bytes)));
        const std::size_t size = block.size();
        WordCutter<VocabularySink> cutter(rules, sink);
        cutter.feed(block, size);
        cutter.finish();
    }
    return true;
}

} // namespace

Result<CorpusCounts> CountCorpusFiles(const ProgramState& state,
                                      const std::vector<std::string>& files,
                                      const Vocabulary& vocabulary, RunControl* control) {
    const WordRules rules = MakeWordRules(state);
    // Two shares, the files taken in turn, the second on a thread of its own (the vocabulary is
    // only read): the sums and the notes in file order are those of one pass.
    CorpusCounts counts, other;
    counts.freq.assign(vocabulary.size(), 0);
    other.freq.assign(vocabulary.size(), 0);
    std::vector<std::pair<std::size_t, std::string>> notes, otherNotes;
    std::atomic<bool> stop{false};
    bool helperFailed = false;
    std::thread helper;
    std::size_t stride = 1;
    if (files.size() > 1) {
        try {
            helper = StartQuietThread([&] {
                try {
                    countShare(rules, vocabulary, files, 1, 2, other, otherNotes,
                               [&] { return stop.load(); });
                } catch (...) {
                    helperFailed = true; // its share is counted again below
                }
            });
            stride = 2;
        } catch (const std::system_error&) {
            // No second thread: this one counts every file.
        }
    }
    const bool done = countShare(rules, vocabulary, files, 0, stride, counts, notes, [&] {
        const bool stopping = control && control->poll() == RunStep::Stop;
        if (stopping)
            stop = true;
        return stopping;
    });
    if (helper.joinable())
        helper.join();
    if (done && helperFailed) {
        other = CorpusCounts{};
        other.freq.assign(vocabulary.size(), 0);
        otherNotes.clear();
        if (!countShare(rules, vocabulary, files, 1, 2, other, otherNotes,
                        [&] { return control && control->poll() == RunStep::Stop; }))
            return Failure(analysis::msg::WalkStopped(), FailureCode::Cancelled);
    }
    if (!done)
        return Failure(analysis::msg::WalkStopped(), FailureCode::Cancelled);
    counts.tokens += other.tokens;
    for (std::size_t id = 0; id < counts.freq.size(); ++id)
        counts.freq[id] += other.freq[id];
    notes.insert(notes.end(), otherNotes.begin(), otherNotes.end());
    std::sort(notes.begin(), notes.end());
    for (auto& note : notes)
        counts.notes.push_back(std::move(note.second));
    if (counts.tokens == 0)
        return Failure(analysis::msg::CorpusEmpty(), FailureCode::InvalidInput);
    return counts;
}

} // namespace lexmora
