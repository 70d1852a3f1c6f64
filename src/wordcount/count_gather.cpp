// The gather: each letter's spellings sorted and collapsed into types, split by further letters
// while a piece is large (in memory, or on disk for a piece spilled there), and written to the
// word list and its index.
#include "wordcount/count_run.h"

#include "core/file_utils.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/text_codec.h"
#include "wordcount/frequency_files.h"

namespace lexmora::counting {

namespace {

// The piece (0 the word ends, 1 not a letter, 2..27 a..z) of a word at a splitting depth.
int pieceAt(std::string_view word, int depth) {
    const auto d = static_cast<std::size_t>(depth);
    return word.size() > d ? PieceOf(static_cast<unsigned char>(word[d])) : 0;
}

bool isOe(std::string_view word, int depth) {
    const auto d = static_cast<std::size_t>(depth);
    return word.size() > d && (word[d] == '\x8C' || word[d] == '\x9C');
}

} // namespace

bool CountRun::writeOut(UniqueFd& fd, std::string& buffer, bool force) {
    if (!force && buffer.size() < kWriteBuffer)
        return true;
    const bool ok = writeAll(fd.get(), buffer);
    if (!ok)
        m_writeError = errno;
    buffer.clear();
    return ok;
}

bool CountRun::writeType(std::string_view word, std::int64_t frequency) {
    if (m_listBytes + 1 > kMaxPosition || frequency > kMaxPosition ||
        m_typesWritten + 1 > kMaxHeaderCount) {
        m_tooLarge = true;
        return false;
    }
    AppendIndexRecord(m_indexBuffer, {static_cast<std::int32_t>(m_listBytes + 1),
                                      static_cast<std::int32_t>(frequency)});
    m_listBuffer.append(word.data(), word.size());
    m_listBuffer += "\r\n";
    m_listBytes += static_cast<std::int64_t>(word.size()) + 2;
    ++m_typesWritten;
    return writeOut(m_list, m_listBuffer, false) && writeOut(m_index, m_indexBuffer, false);
}

// A piece is sorted whole when it is small, when splitting it would separate nothing, or when
// it is the piece of words that end here ("_") or go on with a non-letter ("`").
bool CountRun::isLeaf(const std::string& base, std::int64_t count, int depth,
                      std::int64_t parentCount) const {
    return static_cast<unsigned char>(base.back()) < 'a' || count <= kInMemoryWords ||
           count == parentCount || depth >= kMaxSplitDepth;
}

// Every word of a plain-letter "_" piece is the piece's own prefix in some mixture of cases:
// it is listed as that prefix, in lower case, unread. Not for one-letter pieces that also
// gather accented one-letter words.
bool CountRun::takenUnread(const std::string& base, bool nonAscii) const {
    if (base.back() != '_' || nonAscii)
        return false;
    const int lang = m_state.LanguageIndex;
    const char letter = base[1];
    const bool accentedOneLetter =
        (lang == static_cast<int>(LanguageId::French) && (letter == 'a' || letter == 'c')) ||
        (lang == static_cast<int>(LanguageId::Italian) && letter == 'e');
    return lang == static_cast<int>(LanguageId::English) ||
           (base.size() == 3 && !accentedOneLetter);
}

// Sorts a piece's spellings and writes one type per run of case variants, spelled as the
// first of the run, with the occurrences of all of them.
CountRun::Gathered CountRun::writeSorted(const std::string& arena, std::span<WordEntry> entries) {
    SortWords(arena, entries, m_sortKeys);
    std::int64_t types = 0;
    for (std::size_t i = 0; i < entries.size();) {
        const std::string_view word = entries[i].in(arena);
        std::int64_t frequency = entries[i].count;
        std::size_t j = i + 1;
        while (j < entries.size() && SameType(word, entries[j].in(arena)))
            frequency += entries[j++].count;
        if (!writeType(word, frequency))
            return std::nullopt;
        ++types;
        i = j;
    }
    return types;
}

CountRun::Gathered CountRun::gatherPiece(Piece piece, const std::string& base, int depth,
                                         std::int64_t parentCount) {
    if (piece.count == 0)
        return 0;
    std::string& arena = piece.arena;
    if (isLeaf(base, piece.count, depth, parentCount)) {
        m_processed += piece.count;
        bool nonAscii = false;
        if (base.back() == '_')
            for (const WordEntry& e : piece.entries)
                nonAscii = nonAscii || !allAscii(e.in(arena));
        if (takenUnread(base, nonAscii))
            return writeType(base.substr(1, base.size() - 2), piece.count) ? Gathered(1)
                                                                           : std::nullopt;
        return writeSorted(arena, piece.entries);
    }

    // Split by the character after the depth into 28 pieces (a stable counting sort), then
    // gather each in order.
    const std::size_t n = piece.entries.size();
    std::vector<std::uint8_t> keys(n);
    std::array<std::size_t, kSubBucketCount + 1> starts{};
    std::array<std::int64_t, kSubBucketCount> counts{};
    for (std::size_t i = 0; i < n; ++i) {
        if (++m_sincePoll >= kPollEvery && pollCommands() == Flow::Stop)
            return std::nullopt;
        WordEntry& e = piece.entries[i];
        if (isOe(e.in(arena), depth)) {
            const std::string_view word = e.in(arena);
            const auto d = static_cast<std::size_t>(depth);
            std::string rewritten(word.substr(0, d));
            rewritten += "oe";
            rewritten += word.substr(d + 1);
            e.offset = static_cast<std::uint32_t>(arena.size());
            e.length = static_cast<std::uint32_t>(rewritten.size());
            arena += rewritten;
        }
        const int k = pieceAt(e.in(arena), depth);
        keys[i] = static_cast<std::uint8_t>(k);
        ++starts[static_cast<std::size_t>(k) + 1];
        counts[static_cast<std::size_t>(k)] += e.count;
    }
    for (std::size_t k = 1; k <= kSubBucketCount; ++k)
        starts[k] += starts[k - 1];
    {
        std::vector<WordEntry> placed(n);
        std::array<std::size_t, kSubBucketCount + 1> at = starts;
        for (std::size_t i = 0; i < n; ++i)
            placed[at[keys[i]]++] = piece.entries[i];
        std::copy(placed.begin(), placed.end(), piece.entries.begin());
    }
    keys = {};
    std::int64_t types = 0;
    for (std::size_t k = 0; k < kSubBucketCount; ++k) {
        const Piece part{arena, piece.entries.subspan(starts[k], starts[k + 1] - starts[k]),
                         counts[k]};
        const Gathered t =
            gatherPiece(part, base + static_cast<char>(95 + k), depth + 1, piece.count);
        if (!t)
            return std::nullopt;
        types += *t;
    }
    return types;
}

// A piece on disk: sorted from its records added up when it need not be split, read back whole
// and split in memory when it is small enough, else split on disk.
CountRun::Gathered CountRun::gatherFile(BucketFile& bucket, const std::string& base, int depth,
                                        std::int64_t parentCount) {
    const std::int64_t count = bucket.words;
    if (count == 0)
        return 0;
    if (!isLeaf(base, count, depth, parentCount)) {
        std::uint64_t bytes = bucket.buffer.size();
        if (bucket.onDisk)
            bytes += fileSize(bucket.path).value_or(0);
        return bytes <= m_loadLimit ? loadAndGather(bucket, base, depth, parentCount)
                                    : splitFile(bucket, base, depth);
    }
    m_processed += count;
    if (takenUnread(base, bucket.nonAscii))
        return writeType(base.substr(1, base.size() - 2), count) ? Gathered(1) : std::nullopt;
    WordTable table;
    bool full = false;
    int error = 0;
    const bool read = readRecords(
        bucket,
        [&](std::string_view word, std::uint32_t n) {
            if (!table.add(word, n))
                full = true;
        },
        error);
    if (!read || full) {
        tellFailure(core::msg::MajorFailure());
        return std::nullopt;
    }
    table.freeze();
    std::vector<WordEntry> entries;
    entries.reserve(table.size());
    table.forEachEntry([&entries](const WordEntry& e) { entries.push_back(e); });
    return writeSorted(table.arena(), entries);
}

CountRun::Gathered CountRun::loadAndGather(BucketFile& bucket, const std::string& base, int depth,
                                           std::int64_t parentCount) {
    std::string arena;
    std::vector<WordEntry> entries;
    int error = 0;
    const bool read = readRecords(
        bucket,
        [&](std::string_view word, std::uint32_t n) {
            entries.push_back({static_cast<std::uint32_t>(arena.size()),
                               static_cast<std::uint32_t>(word.size()), n});
            arena += word;
        },
        error);
    if (!read) {
        tellFailure(core::msg::MajorFailure());
        return std::nullopt;
    }
    const std::int64_t count = bucket.words;
    removeFile(bucket);
    return gatherPiece({arena, entries, count}, base, depth, parentCount);
}

CountRun::Gathered CountRun::splitFile(BucketFile& bucket, const std::string& base, int depth) {
    const std::int64_t count = bucket.words;
    std::vector<BucketFile> pieces(kSubBucketCount);
    for (int k = 0; k < kSubBucketCount; ++k)
        pieces[static_cast<std::size_t>(k)].path =
            JoinPath(m_runFolder, base + static_cast<char>(95 + k) + ".tmp");
    bool stop = false;
    std::string rewritten;
    int error = 0;
    const bool read = readRecords(
        bucket,
        [&](std::string_view word, std::uint32_t n) {
            if (stop)
                return;
            if (isOe(word, depth)) {
                const auto d = static_cast<std::size_t>(depth);
                rewritten.assign(word.substr(0, d));
                rewritten += "oe";
                rewritten.append(word.substr(d + 1));
                word = rewritten;
            }
            BucketFile& p = pieces[static_cast<std::size_t>(pieceAt(word, depth))];
            appendRecord(p.buffer, word, n);
            p.words += n;
            p.nonAscii = p.nonAscii || !allAscii(word);
            if (p.buffer.size() >= kWriteBuffer && flush(p) == Flow::Stop)
                stop = true;
            if (++m_sincePoll >= kPollEvery && pollCommands() == Flow::Stop)
                stop = true;
        },
        error);
    // the parent's words are all in the pieces now
    if (!stop)
        removeFile(bucket);
    for (BucketFile& p : pieces)
        if (!stop && settle(p) == Flow::Stop)
            stop = true;
    if (!read && !stop)
        tellFailure(core::msg::MajorFailure());
    bool gathered = read && !stop;
    std::int64_t types = 0;
    for (std::size_t k = 0; k < kSubBucketCount && gathered; ++k) {
        const Gathered t =
            gatherFile(pieces[k], base + static_cast<char>(95 + k), depth + 1, count);
        gathered = t.has_value();
        types += t.value_or(0);
        removeFile(pieces[k]);
    }
    for (BucketFile& p : pieces)
        removeFile(p);
    return gathered ? Gathered(types) : std::nullopt;
}

// The table's spellings grouped by letter: entries of a..z one after the other, letter n from
// starts[n - 1] to starts[n].
std::vector<WordEntry>
CountRun::entriesByLetter(std::array<std::size_t, kLetterRecords + 1>& starts) {
    m_table.freeze();
    const std::string& arena = m_table.arena();
    auto letterOf = [&arena](const WordEntry& e) {
        return static_cast<std::size_t>(BucketOfFirst(static_cast<unsigned char>(arena[e.offset])));
    };
    starts.fill(0);
    m_table.forEachEntry([&](const WordEntry& e) { ++starts[letterOf(e)]; });
    for (std::size_t n = 1; n <= kLetterRecords; ++n)
        starts[n] += starts[n - 1];
    std::vector<WordEntry> entries(m_table.size());
    std::array<std::size_t, kLetterRecords + 1> at = starts;
    m_table.forEachEntry([&](const WordEntry& e) { entries[at[letterOf(e) - 1]++] = e; });
    return entries;
}

Flow CountRun::gather(std::int64_t& types) {
    m_indexBuffer.assign(kLetterRecords * kIndexRecordSize, '\0');
    m_listBuffer = std::string(kCountHeader) + "\r\n";
    m_listBytes = static_cast<std::int64_t>(m_listBuffer.size());
    std::array<CountIndexRecord, kLetterRecords> letters{};
    std::array<std::size_t, kLetterRecords + 1> starts{};
    std::vector<WordEntry> entries;
    if (m_spilled) {
        // what the table still holds joins the rest on disk
        if (spill() == Flow::Stop)
            return Flow::Stop;
        m_table.clear(true);
        for (BucketFile& b : m_buckets)
            if (settle(b) == Flow::Stop)
                return Flow::Stop;
    } else {
        entries = entriesByLetter(starts);
        for (std::size_t n = 0; n < kLetterRecords; ++n)
            for (std::size_t e = starts[n]; e < starts[n + 1]; ++e)
                m_buckets[n].words += entries[e].count;
        m_table.releaseSlots();
    }
    types = 0;
    for (int n = 1; n <= kLetterRecords; ++n) {
        BucketFile& bucket = m_buckets[static_cast<std::size_t>(n - 1)];
        CountProgress progress;
        progress.phase = CountProgress::Phase::Gather;
        progress.letter = n;
        progress.bucketText = std::string(1, static_cast<char>(96 + n)) + ".tmp (" +
                              std::to_string(bucket.words) + " words)";
        progress.fraction =
            m_tokens ? static_cast<double>(m_processed) / static_cast<double>(m_tokens) : 1.0;
        report(progress, true);
        if (pollCommands() == Flow::Stop)
            return Flow::Stop;
        const std::int64_t position = m_listBytes + 1;
        const std::string base = std::string("~") + static_cast<char>(96 + n);
        const auto letter = static_cast<std::size_t>(n - 1);
        const Gathered t =
            m_spilled ? gatherFile(bucket, base, 1, -1)
                      : gatherPiece({m_table.arena(),
                                     std::span<WordEntry>(entries).subspan(
                                         starts[letter], starts[letter + 1] - starts[letter]),
                                     bucket.words},
                                    base, 1, -1);
        if (!t)
            return Flow::Stop;
        types += *t;
        letters[letter] = {static_cast<std::int32_t>(position), static_cast<std::int32_t>(*t)};
        removeFile(bucket);
    }
    if (!writeOut(m_list, m_listBuffer, true) || !writeOut(m_index, m_indexBuffer, true))
        return Flow::Stop;
    std::string table;
    for (const CountIndexRecord& r : letters)
        AppendIndexRecord(table, r);
    if (::pwrite(m_index.get(), table.data(), table.size(), 0) ==
        static_cast<ssize_t>(table.size()))
        return Flow::Go;
    m_writeError = errno;
    return Flow::Stop;
}

} // namespace lexmora::counting
