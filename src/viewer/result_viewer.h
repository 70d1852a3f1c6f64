// The result file viewer's engine: one open result file, its header, the display order
// (RecordIndex) with every-nth thinning, records in memory or read from disk, the scroll scale,
// sorting, collocation and deletions. Nothing here rewrites the viewed file.
//
// Display positions are the numbers the user sees: 1 is the header record, 2 .. IndexCount() the
// KWIC records in display order. Record numbers count the file's records from 1 (the header).
#pragma once

#include "core/file_io.h"
#include "core/prompter.h"
#include "core/result.h"
#include "viewer/sort_keys.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

inline constexpr std::int64_t kScrollBarRange = 32767;
inline constexpr std::int64_t kInMemoryCapacity = 32767;
inline constexpr int kMaxStepN = 100;
inline constexpr const char* kViewFileMask = "*.dmp;dumpfile.*";
// Shown in place of a record that is not where the header says records are.
inline constexpr std::string_view kDamagedRecordText = "<damaged record>";

// Free physical memory as the system reports it (MemAvailable), or nothing when unknown.
std::optional<std::uint64_t> FreePhysicalMemory();

// Lines and columns of a viewer page for a screen height in pixels; other heights keep `current`.
struct ScreenGeometry {
    int lines = 22;
    int columns = 86;
};
ScreenGeometry ViewerScreenGeometry(int screenHeightPixels, ScreenGeometry current);

// The log of a result file: "dumpfile.xxx" has "dumplog.xxx"; any other name has its extension
// replaced by ".log". The log lies beside the result file.
std::string LogFileFor(const std::string& resultPath);

// After " Empty file !": asks whether an empty result file ("*.dmp", "dumpfile.*") is to be
// deleted, and on Yes deletes it with whichever of its log and summary are empty too. Any other
// file, and a file no longer empty, is left alone without a question. True when it was deleted.
bool OfferEmptyFileDeletion(const std::string& path, Prompter& prompter);

struct ViewerOptions {
    int stepN = 1;
    bool firstFile = true; // the "trying next file" remark is left out for the first file
    std::function<std::optional<std::uint64_t>()> freeMemory = FreePhysicalMemory;
};

struct DeletedRecord {
    std::uint32_t record = 0;
    std::int64_t position = 0;
    std::optional<SortKey> key; // kept so that a sort's keys stay in step with the index
};

struct CollocateCount {
    std::string word;
    std::int64_t count = 0;
};
struct Collocation {
    std::vector<CollocateCount> collocates; // alphabetical
    std::int64_t largest = 0;
    std::int64_t smallest = 0;
};

class ResultViewer {
public:
    // OpenResultFile. Failures come back with the message to show and their code (CannotOpen,
    // EmptyFile: left as it is, see OfferEmptyFileDeletion; NotAResultFile, DamagedFile). Warnings
    // (an incomplete last record) are told through the prompter.
    static Result<ResultViewer> open(const std::string& path, Prompter& prompter,
                                     ViewerOptions options = {});

    ResultViewer(ResultViewer&&) noexcept = default;
    ResultViewer& operator=(ResultViewer&&) noexcept = default;

    const std::string& path() const { return m_path; }
    int RecordLength() const { return m_recordLength; }
    int LeftContextWidth() const { return m_leftContext; }
    const std::string& ViewKeyword() const { return m_keyword; }
    bool hasHeader() const { return m_hasHeader; }
    bool isOwnResultFile() const { return m_ownResult; } // header starts with "#32"
    // Width of the KWIC text inside a record: the text field of a result file, the whole line of
    // a plain line file.
    int textWidth() const { return m_textWidth; }
    int KeywordColumn() const { return m_leftContext + 6; }

    std::int64_t RecordTotal() const { return m_recordTotal; }
    std::int64_t IndexCount() const { return static_cast<std::int64_t>(m_index.size()); }
    int StepN() const { return m_stepN; }
    bool InMemory() const { return m_inMemory; }
    double ScrollScale() const { return m_scrollScale; }
    bool ScrollScaled() const { return m_scrollScaled; }
    int ChangeCount() const { return m_changeCount; }
    bool everyNthAvailable(int screenLines) const { return m_recordTotal > screenLines; }
    std::int64_t damagedRecordsSeen() const { return m_damagedSeen; }

    // The record number at a display position (1 .. IndexCount()).
    std::uint32_t recordAt(std::int64_t position) const {
        return m_index[static_cast<std::size_t>(position - 1)];
    }
    const std::vector<std::uint32_t>& RecordIndex() const { return m_index; }
    // Grows whenever the display order changes (a sort, an un-sort, every nth, a deletion, its
    // undoing): a view that keeps rows it has read knows from it when they are stale.
    std::uint64_t orderGeneration() const { return m_orderGeneration; }

    // GetRecord: the record's RecordLength - 2 characters. The view stays valid until the next
    // call. A record that cannot be read, or does not end where the header says, is given as
    // kDamagedRecordText.
    std::string_view GetRecord(std::int64_t position);
    // The same by record number.
    std::string_view readRecord(std::uint32_t record);
    // GetRecord for every position from `first` to `last`, in display order, until `visit`
    // returns false. A sorted order is read from the file in file order a batch at a time, not
    // one read per record.
    void VisitRecords(std::int64_t first, std::int64_t last,
                      const std::function<bool(std::int64_t, std::string_view)>& visit);
    // The KWIC text of a record: its text field without trailing blanks.
    std::string_view kwicText(std::string_view record) const;

    // Every nth occurrence: rebuilds the index (the sort and any deletions are dropped).
    void Reindex(int stepN);

    // --- sorting and collocation -------------------------------------------------------------
    // Sorts positions 2 .. IndexCount(). `rightContext` is the current right context setting,
    // which bounds the walk to the right.
    void Sort(SortMode mode, int leftPos, int rightPos, int rightContext);
    // A sort on up to kMaxSortLevels words: ties of the first broken by the second, then the
    // third, then by record number. One level is the sort above.
    void Sort(const std::vector<SortLevel>& levels, int rightContext);
    void Unsort();
    bool sorted() const { return m_sorted; }
    // The levels of the last sort; the accessors below give its first.
    const std::vector<SortLevel>& sortLevels() const { return m_levels; }
    SortMode sortMode() const { return m_sortMode; }
    // The word positions of the last sort: left and right of the keyword (0 0: the keyword).
    int sortLeftPos() const { return m_sortLeft; }
    int sortRightPos() const { return m_sortRight; }
    int sortRightContext() const { return m_sortRightContext; }
    const std::vector<SortKey>& SortKeys() const { return m_keys; }
    std::string_view keyText(const SortKey& key) const { return m_keyArena.view(key); }
    // The part of a key the first level sorted on (the whole key of a one-level sort).
    std::string_view firstLevelText(const SortKey& key) const;
    // Collocation over the last sort; the message when there has been none.
    Result<Collocation> Collocate() const;

    // --- deletions ---------------------------------------------------------------------------
    // Deletes the given display positions (the header and positions out of range are left
    // alone); asks once when more than one is to go. Returns the number deleted.
    std::int64_t DeleteSelected(std::vector<std::int64_t> positions, Prompter& prompter);
    // Brings back the most recent single deletion; false when there is none.
    bool UndoLastDeletion();
    void RestoreAllDeletions();
    const std::optional<DeletedRecord>& LastDeleted() const { return m_lastDeleted; }
    void markSaved() { m_changeCount = 0; }

private:
    ResultViewer() = default;
    // The steps of open(): the file, its first line, the record layout the first line gives,
    // the record count, then how the index is held.
    Status openFile(const ViewerOptions& options);
    Result<std::string> readFirstLine(const ViewerOptions& options);
    Status readLayout(std::string_view firstLine);
    Status readHeader(std::string_view firstLine, std::size_t lengthLabel);
    Status countRecords(Prompter& prompter);
    void planIndex(const ViewerOptions& options);
    // Where a sort's key is looked for in each record.
    struct KeyPlace {
        int column, leftPos, rightPos, rightLimit;
    };
    SortKey buildKey(std::uint32_t record, const KeyPlace& place, SortMode mode, KeyArena& arena,
                     std::string& scratch);
    // The packed key of a sort on several levels, one place per level.
    struct LevelScratch; // the strings a packed key is built in, reused from key to key
    SortKey buildLevelKey(std::uint32_t record, const std::vector<KeyPlace>& places,
                          const std::vector<SortLevel>& levels, KeyArena& arena,
                          LevelScratch& scratch);
    // The keys of positions 2 .. IndexCount(), built in file order by `make`.
    std::vector<SortKey> buildKeys(const std::function<SortKey(std::uint32_t)>& make);
    void buildIndex();
    bool loadIntoMemory();
    bool readBlock(std::uint32_t record, bool sequential);
    std::string_view damaged();

    std::string m_path;
    UniqueFd m_fd;
    std::uint64_t m_fileLength = 0;
    int m_recordLength = 0;
    int m_leftContext = 0;
    int m_textWidth = 0;
    std::string m_keyword;
    bool m_hasHeader = false;
    bool m_ownResult = false;
    std::int64_t m_recordTotal = 0;
    int m_stepN = 1;
    std::vector<std::uint32_t> m_index;
    std::uint64_t m_orderGeneration = 0;
    bool m_inMemory = false;
    bool m_wantMemory = false;
    std::string m_memory; // every nth record, slot (record - 1) / StepN
    double m_scrollScale = 1.0;
    bool m_scrollScaled = false;
    int m_changeCount = 0;
    std::optional<DeletedRecord> m_lastDeleted;
    std::int64_t m_damagedSeen = 0;

    // Records read from disk: a block of consecutive records, or a single one.
    std::string m_cache;
    std::uint32_t m_cacheFirst = 0;
    std::uint32_t m_cacheCount = 0;
    std::uint32_t m_lastRead = 0;
    std::uint32_t m_forwardReads = 0; // reads in a row that stepped a little forward

    bool m_sorted = false;
    SortMode m_sortMode = SortMode::None;
    int m_sortLeft = 0;
    int m_sortRight = 0;
    int m_sortRightContext = 0;
    std::vector<SortLevel> m_levels;
    std::vector<SortKey> m_keys; // keys of positions 2 .. IndexCount(), in display order
    KeyArena m_keyArena;
};

} // namespace lexmora
