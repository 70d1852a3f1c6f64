// The n-grams that passed the filters put in the order asked and handed on one at a time, in
// bounded memory: they are held as word ids with a sort key, sorted a memory's worth at a
// time, and when they outgrow the bound each sorted run goes to one temporary file (removed
// from its folder as soon as it is open, so that nothing is left on any way out) and the runs
// are merged as they are handed on (on a thread of their own, in blocks, when one is free: the
// texts are put together and handed on on the calling thread). A list may be sorted in shares,
// each by a sorter of its own on a thread of its own, and the shares' runs merged as one.
// Neither the list's text nor the list itself ever stands whole in memory.
#pragma once

#include "analysis/sequence_list.h"
#include "analysis/word_ids.h"
#include "analysis/word_spellings.h"
#include "core/file_io.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// The vocabulary laid out for a list in one order: per word id, its spelling for the texts and
// its first 12 base letters, 5 bits each, the first highest (alphabetical orders), or its last
// 8 bytes, the last highest (by ending), its length beside them: one read from memory per word
// of an n-gram, not two. Made once; the sorters of one list share it, read only.
class NgramListWords {
public:
    NgramListWords(const WordIds& ids, SequenceSort sort);

    struct PackedWord {
        std::uint64_t bits;
        std::uint32_t length;
    };
    const WordIds& ids;
    const SequenceSort sort;
    const WordSpellings spellings;
    std::vector<PackedWord> packed;
};

class NgramSorter {
public:
    NgramSorter(const WordIds& ids, SequenceSort sort, int maxSize, std::size_t memoryBound,
                std::string temporaryFolder);
    // A sorter of one of the list's shares, its words shared with the others (they outlive it).
    NgramSorter(const NgramListWords& words, int maxSize, std::size_t memoryBound,
                std::string temporaryFolder);

    // False when a run could not be written: error() is the errno.
    bool add(int size, const std::uint32_t* ids, std::uint32_t freq, std::uint32_t range);
    // The n-grams held sorted now, on the thread that added them, so that the list's merge
    // starts at once.
    void seal();
    // Every n-gram added, in order, to `row`; false when `row` stopped it or a run could not be
    // read back (error() not 0).
    bool writeRows(const SequenceRowSink& row);
    // The same for the n-grams added to any of `sorters` (sharing their words), merged; a run
    // that cannot be read back sets the first sorter's error().
    static bool WriteRows(std::span<NgramSorter* const> sorters, const SequenceRowSink& row);

    std::size_t count() const { return m_count; }
    int error() const { return m_error; }
    bool spilled() const { return !m_runs.empty(); }

    // The key that settles most comparisons of two n-grams in the order asked: the frequency
    // or the range first where that is the order (in as few bits as it needs), then the first
    // base letters of the text (or its last bytes, by ending). Exposed for tests.
    struct Key {
        std::uint64_t hi = 0, lo = 0;
    };

private:
    struct Keyed {
        Key key;
        std::uint32_t record; // index of its record in m_records
    };
    struct Run {
        std::uint64_t offset;
        std::uint64_t count;
    };
    bool holds() const { return !m_keyed.empty() || !m_runs.empty(); }
    class RunReader;
    class RunMerge;

    NgramSorter(std::unique_ptr<NgramListWords> own, const NgramListWords* shared, int maxSize,
                std::size_t memoryBound, std::string temporaryFolder);

    Key keyOf(int size, const std::uint32_t* ids, std::uint32_t freq, std::uint32_t range) const;
    // The same from each word's packed start (or end); false when a word is too long for it.
    bool packedKey(int size, const std::uint32_t* ids, std::uint32_t freq, std::uint32_t range,
                   Key& key) const;
    // The whole order: the key, then the texts.
    bool less(const Key& ka, const std::uint32_t* a, const Key& kb, const std::uint32_t* b) {
        if (ka.hi != kb.hi)
            return ka.hi < kb.hi;
        if (ka.lo != kb.lo)
            return ka.lo < kb.lo;
        return tiedLess(a, b);
    }
    bool tiedLess(const std::uint32_t* a, const std::uint32_t* b);
    std::string_view textOf(const std::uint32_t* record, std::vector<char>& buffer) const {
        return m_words.spellings.compose(record + 3, record[2], buffer);
    }
    void keyChunk();
    void sortChunk();
    void prefetchAhead(std::size_t i) const;
    bool writeRun();
    bool openRunFile();
    bool emitHeld(const SequenceRowSink& row);
    // The runs and the held n-grams of `sorters` merged, this sorter leading.
    bool merge(std::span<NgramSorter* const> sorters, const SequenceRowSink& row);
    bool mergeOnThisThread(RunMerge& merge, const SequenceRowSink& row);
    // The records of a block (freq, range, size, ids) to `row`; false when it stopped.
    bool emitBlock(const std::vector<std::uint32_t>& block, const SequenceRowSink& row);

    std::unique_ptr<NgramListWords> m_ownWords; // a sorter alone lays its words out itself
    const NgramListWords& m_words;
    const WordIds& m_ids;
    SequenceSort m_sort;
    std::size_t m_stride; // of a record: freq, range, size, then maxSize ids
    std::size_t m_chunkItems;
    std::string m_folder;
    std::unique_ptr<std::uint32_t[]> m_records; // m_chunkItems records, once one is added
    std::vector<Keyed> m_keyed;
    bool m_heldSorted = false; // m_keyed in order (seal)
    std::vector<Run> m_runs;
    UniqueFd m_runFile;
    std::uint64_t m_runBytes = 0;
    std::size_t m_count = 0;
    int m_error = 0;
    // for comparing texts (only the merging thread while a merge runs) and for handing them on
    std::vector<char> m_textA, m_textB, m_text;
};

} // namespace lexmora
