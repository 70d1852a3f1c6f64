#include "wordcount/word_counter.h"

#include "core/file_utils.h"

#include "core/file_io.h"
#include "core/paths.h"
#include "core/text_codec.h"
#include "wordcount/word_rules.h"
#include "wordcount/messages.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace lexmora {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadBlock = 1 << 18;   // source and bucket reads
constexpr std::size_t kWriteBuffer = 1 << 16; // per bucket file
constexpr std::size_t kBinaryProbe = 32767;
constexpr int kMaxSplitDepth = 200;
constexpr std::size_t kHeldBudget = 16u << 20; // file names stay far below the 255-byte limit

// ---------------------------------------------------------------------------------------------
// Reading source text

std::string_view detectSeparator(std::string_view block) {
    if (block.find("\r\n") != std::string_view::npos)
        return "\r\n";
    if (block.find('\n') != std::string_view::npos)
        return "\n";
    return "\r";
}

// Joins lines at a line-end hyphen in place: "-" + separator + a capital keeps the hyphen and
// drops the separator; before anything else the hyphen goes too. Returns the length ready to
// cut; bytes that may still start a join (the last three unless at the end of the file) move to
// `carry` for the next block.
std::size_t joinHyphens(std::string& block, std::string_view sep, bool eof, std::string& carry) {
    char* p = block.data();
    const std::size_t n = block.size();
    const std::size_t limit = eof ? n : (n > 3 ? n - 3 : 0);
    std::size_t r = 0, w = 0;
    auto copy = [&](std::size_t to) {
        if (w != r)
            std::memmove(p + w, p + r, to - r);
        w += to - r;
        r = to;
    };
    while (r < limit) {
        const void* hit = std::memchr(p + r, '-', limit - r);
        if (hit == nullptr) {
            copy(limit);
            break;
        }
        const auto i = static_cast<std::size_t>(static_cast<const char*>(hit) - p);
        const std::size_t x = i + 1 + sep.size();
        if (x >= n || std::memcmp(p + i + 1, sep.data(), sep.size()) != 0) {
            copy(i + 1);
            continue;
        }
        if (IsHyphenKeepingCapital(static_cast<unsigned char>(p[x]))) {
            copy(i + 1);
        } else {
            copy(i);
        }
        r = x;
    }
    carry.assign(p + r, n - r);
    return w;
}

// A source file read block by block as Windows-1252 text (UTF-16 files converted on the way).
class SourceReader {
public:
    bool open(const std::string& path, int& error) {
        m_fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!m_fd.valid()) {
            error = errno;
            return false;
        }
        struct stat st {};
        if (::fstat(m_fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            error = st.st_mode != 0 && !S_ISREG(st.st_mode) ? EISDIR : errno;
            return false;
        }
        m_size = static_cast<std::uint64_t>(st.st_size);
        return true;
    }

    std::uint64_t size() const { return m_size; }
    std::uint64_t consumed() const { return m_done; }

    // Reads the start of the file: the byte-order mark and the binary test.
    enum class Kind { Empty, Binary, Text, Utf16 };
    Kind probe(int& error) {
        if (m_size == 0)
            return Kind::Empty;
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::uint64_t>(kBinaryProbe, m_size > 1 ? m_size - 1 : 1));
        std::string head(std::max<std::size_t>(want, 2), '\0');
        const ssize_t got = ::pread(m_fd.get(), head.data(), head.size(), 0);
        if (got < 0) {
            error = errno;
            return Kind::Binary;
        }
        head.resize(static_cast<std::size_t>(got));
        if (head.size() >= 2 && ((head[0] == '\xFF' && head[1] == '\xFE') ||
                                 (head[0] == '\xFE' && head[1] == '\xFF'))) {
            m_utf16 = true;
            m_bigEndian = head[0] == '\xFE';
            m_done = 2; // the mark itself is not text
            return Kind::Utf16;
        }
        if (std::string_view(head).substr(0, want).find('\0') != std::string_view::npos)
            return Kind::Binary;
        return Kind::Text;
    }

    // Appends the next block of text; 0 at the end, -1 on a read error (errno kept).
    long next(std::string& out, int& error) {
        ssize_t got;
        if (!m_utf16) {
            // straight into the caller's block, after what it carries over
            const std::size_t at = out.size();
            out.resize(at + kReadBlock);
            do {
                got = ::pread(m_fd.get(), out.data() + at, kReadBlock, static_cast<off_t>(m_done));
            } while (got < 0 && errno == EINTR);
            out.resize(at + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
            if (got < 0) {
                error = errno;
                return -1;
            }
            m_done += static_cast<std::uint64_t>(got);
            return got;
        }
        m_raw.resize(kReadBlock);
        do {
            got = ::pread(m_fd.get(), m_raw.data(), m_raw.size(), static_cast<off_t>(m_done));
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            error = errno;
            return -1;
        }
        m_done += static_cast<std::uint64_t>(got);
        std::string units = m_pending;
        units.append(m_raw.data(), static_cast<std::size_t>(got));
        m_pending.clear();
        std::size_t whole = units.size() & ~std::size_t{1};
        if (got > 0 && whole >= 2) {
            // a high surrogate waits for its partner in the next block
            const auto hi = static_cast<unsigned char>(units[whole - (m_bigEndian ? 2 : 1)]);
            if (hi >= 0xD8 && hi <= 0xDB)
                whole -= 2;
        }
        if (got > 0)
            m_pending = units.substr(whole);
        const std::string text =
            utf16ToCp1252(std::string_view(units).substr(0, whole), m_bigEndian);
        out += text;
        return got == 0 ? 0 : std::max<long>(1, static_cast<long>(text.size()));
    }

private:
    UniqueFd m_fd;
    std::uint64_t m_size = 0;
    std::uint64_t m_done = 0;
    bool m_utf16 = false;
    bool m_bigEndian = false;
    std::string m_raw;
    std::string m_pending;
};

// ---------------------------------------------------------------------------------------------
// Temporary bucket files

// A bucket's words: in its write buffer while they fit, in its file once they do not. The
// file is made on the first overflow, so that small pieces never touch the disk.
struct BucketFile {
    std::string path;
    UniqueFd fd;
    bool onDisk = false;
    std::string buffer;
    std::int64_t words = 0;
    bool nonAscii = false; // a word with a character above 127 went in (sub-buckets)
};

bool createFile(BucketFile& b, int& error) {
    b.fd = UniqueFd(::open(b.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!b.fd.valid()) {
        error = errno;
        return false;
    }
    b.onDisk = true;
    return true;
}

void removeFile(BucketFile& b) {
    b.fd.reset();
    if (b.onDisk)
        ::unlink(b.path.c_str());
    b.onDisk = false;
    b.buffer.clear();
    b.buffer.shrink_to_fit();
}

// Calls `onLine` for every CR LF line of a text held in memory.
template <typename OnLine> void splitLines(std::string_view text, OnLine&& onLine) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::size_t len =
            end > start && text[end - 1] == '\r' ? end - 1 - start : end - start;
        onLine(text.substr(start, len));
        start = end + 1;
    }
}

// Calls `onLine` for every CR LF line of a bucket file; false on a read error.
template <typename OnLine> bool readLines(const std::string& path, OnLine&& onLine, int& error) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        error = errno;
        return false;
    }
    std::string block(kReadBlock, '\0');
    std::size_t kept = 0; // an unfinished line carried to the front
    for (;;) {
        if (block.size() - kept < kReadBlock / 2)
            block.resize(kept + kReadBlock); // a line longer than a block
        const ssize_t got = ::read(fd.get(), block.data() + kept, block.size() - kept);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (got == 0)
            break;
        const std::size_t size = kept + static_cast<std::size_t>(got);
        const char* data = block.data();
        std::size_t start = 0;
        for (;;) {
            const void* hit = std::memchr(data + start, '\n', size - start);
            if (hit == nullptr)
                break;
            const auto end = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
            const std::size_t len =
                end > start && data[end - 1] == '\r' ? end - 1 - start : end - start;
            onLine(std::string_view(data + start, len));
            start = end + 1;
        }
        kept = size - start;
        if (kept > 0 && start > 0)
            std::memmove(block.data(), block.data() + start, kept);
    }
    if (kept > 0)
        onLine(std::string_view(block.data(), kept));
    return true;
}

template <typename OnLine> bool readWords(const BucketFile& b, OnLine&& onLine, int& error) {
    if (!b.onDisk) {
        splitLines(b.buffer, onLine);
        return true;
    }
    return readLines(b.path, onLine, error);
}

struct TransparentHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// ---------------------------------------------------------------------------------------------
// The run

enum class Flow { Go, Stop };

class CountRun {
public:
    CountRun(ProgramState& state, Prompter& prompter, const CountHooks& hooks)
        : m_state(state), m_prompter(prompter), m_hooks(hooks),
          m_control(state, hooks.host ? *hooks.host : m_noHost, prompter,
                    wordcount::msg::AbandonWordcount()),
          m_rules(MakeWordRules(state)), m_start(Clock::now()) {}

    ~CountRun() { cleanUp(); }

    CountResult run(const std::vector<std::string>& sources, const std::string& proposed);

    // The scatter sink: one recorded word.
    void operator()(std::string_view word) {
        int bucket = BucketOfFirst(static_cast<unsigned char>(word[0]));
        if (bucket == 0 || m_stopped)
            return;
        BucketFile& b = m_buckets[bucket == kOeBucket ? 14 : bucket - 1];
        if (bucket == kOeBucket) {
            b.buffer += "oe";
            b.buffer += LowerCp1252(word.substr(1));
        } else {
            b.buffer.append(word.data(), word.size());
        }
        b.buffer.append("\r\n", 2);
        ++b.words;
        ++m_tokens;
        if (b.buffer.size() >= kWriteBuffer && flush(b) == Flow::Stop)
            m_stopped = true;
    }

private:
    Flow flush(BucketFile& b);
    Flow settle(BucketFile& b);
    void release(BucketFile& b);
    Flow scatterFile(const std::string& name, int number, int total);
    Flow pollCommands();
    void report(CountProgress progress, bool force);
    std::int64_t elapsed() const {
        return std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - m_start).count();
    }
    bool makeRunFolder();
    Flow gather(std::int64_t& types);
    // The types of one bucket or piece, written to the list; -1 when the run stops.
    std::int64_t gatherBucket(BucketFile& bucket, const std::string& base, int depth,
                              std::int64_t parentCount);
    std::int64_t writeTypes(const std::string& base, BucketFile& bucket);
    bool writeType(std::string_view word, std::int64_t frequency);
    bool writeOut(UniqueFd& fd, std::string& buffer, bool force);
    void cleanUp();
    CountResult fail(CountOutcome outcome) {
        CountResult r;
        r.outcome = outcome;
        r.tokens = m_tokens;
        return r;
    }

    ProgramState& m_state;
    Prompter& m_prompter;
    const CountHooks& m_hooks;
    RunHost m_noHost;
    RunControl m_control;
    WordRules m_rules;
    Clock::time_point m_start;
    Clock::time_point m_lastReport{};
    std::string m_runFolder;
    std::vector<BucketFile> m_buckets = std::vector<BucketFile>(kBucketCount);
    std::int64_t m_tokens = 0;
    std::int64_t m_processed = 0;
    int m_suitableFiles = 0;
    std::size_t m_held = 0; // bytes of finished buckets kept in memory
    bool m_stopped = false;
    bool m_abandoned = false;

    // the pair being written, under temporary names until it is complete
    std::string m_listTemp, m_indexTemp;
    UniqueFd m_list, m_index;
    std::string m_listBuffer, m_indexBuffer;
    std::int64_t m_listBytes = 0;
    std::int64_t m_typesWritten = 0;
    bool m_tooLarge = false;
};

void CountRun::report(CountProgress progress, bool force) {
    if (!m_hooks.progress)
        return;
    const auto now = Clock::now();
    if (!force && now - m_lastReport < std::chrono::milliseconds(50))
        return;
    m_lastReport = now;
    progress.tokens = m_tokens;
    progress.elapsedSeconds = elapsed();
    m_hooks.progress(progress);
}

// Yields, waits while paused (Exit is honoured then too), and asks about an Exit.
Flow CountRun::pollCommands() {
    if (m_control.poll() == RunStep::Go)
        return Flow::Go;
    m_abandoned = true;
    return Flow::Stop;
}

Flow CountRun::flush(BucketFile& b) {
    if (b.buffer.empty())
        return Flow::Go;
    int error = 0;
    while (!b.onDisk && !createFile(b, error)) {
        const Answer answer = m_prompter.ask(wordcount::msg::DiskError(wordcount::msg::errorNumberOf(error)));
        if (answer == Answer::Retry || answer == Answer::Ok)
            continue;
        m_state.ExitFlag = answer == Answer::Cancel ? ExitRequest::UserPressedExit
                                                    : ExitRequest::UserConfirmedLeaving;
        m_abandoned = true;
        return Flow::Stop;
    }
    std::size_t done = 0;
    while (done < b.buffer.size()) {
        const ssize_t put = ::write(b.fd.get(), b.buffer.data() + done, b.buffer.size() - done);
        if (put >= 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (errno == EINTR)
            continue;
        const Answer answer = m_prompter.ask(wordcount::msg::DiskError(wordcount::msg::errorNumberOf(errno)));
        if (answer == Answer::Retry || answer == Answer::Ok)
            continue;
        if (answer == Answer::Ignore) {
            // The words that could not be stored leave the count too, so that the totals
            // agree with the list.
            const std::string_view rest(b.buffer.data() + done, b.buffer.size() - done);
            const auto lost = static_cast<std::int64_t>(std::count(rest.begin(), rest.end(), '\n'));
            b.words -= lost;
            m_tokens -= lost;
            break;
        }
        m_state.ExitFlag = answer == Answer::Cancel ? ExitRequest::UserPressedExit
                                                    : ExitRequest::UserConfirmedLeaving;
        m_abandoned = true;
        return Flow::Stop;
    }
    b.buffer.clear();
    return Flow::Go;
}

bool CountRun::makeRunFolder() {
    // The buckets live in a folder of their own, so that two counts at once never share them.
    std::string pattern =
        AddBackslash(m_state.TempDirectory.empty() ? std::string("/tmp") : m_state.TempDirectory) +
        "~lexmora-count-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        return false;
    m_runFolder = pattern;
    return true;
}

void CountRun::cleanUp() {
    for (BucketFile& b : m_buckets)
        removeFile(b);
    if (!m_runFolder.empty()) {
        // sub-buckets of an interrupted split are in the same folder
        if (DIR* dir = ::opendir(m_runFolder.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..")
                    ::unlink(JoinPath(m_runFolder, name).c_str());
            }
            ::closedir(dir);
        }
        ::rmdir(m_runFolder.c_str());
        m_runFolder.clear();
    }
    m_list.reset();
    m_index.reset();
    if (!m_listTemp.empty())
        ::unlink(m_listTemp.c_str());
    if (!m_indexTemp.empty())
        ::unlink(m_indexTemp.c_str());
    m_listTemp.clear();
    m_indexTemp.clear();
}

// After a bucket is complete: words still in its buffer stay in memory while the run holds
// little, else they go to its file.
Flow CountRun::settle(BucketFile& b) {
    if (!b.onDisk && m_held + b.buffer.size() <= kHeldBudget) {
        m_held += b.buffer.size();
        b.buffer.shrink_to_fit();
        return Flow::Go;
    }
    const Flow flow = flush(b);
    b.fd.reset();
    b.buffer.shrink_to_fit();
    return flow;
}

void CountRun::release(BucketFile& b) {
    if (!b.onDisk)
        m_held -= std::min(m_held, b.buffer.size());
    removeFile(b);
}

Flow CountRun::scatterFile(const std::string& name, int number, int total) {
    const std::string path =
        (!name.empty() && name[0] == '/') ? name : JoinPath(m_state.SourceDirectory, name);
    for (;;) {
        if (isRegularFile(path))
            break;
        const Answer answer = m_prompter.ask(wordcount::msg::FileMissing(path));
        if (answer == Answer::Ignore)
            return Flow::Go;
        if (answer != Answer::Retry) {
            m_state.ExitFlag = ExitRequest::UserPressedExit;
            m_abandoned = true;
            return Flow::Stop;
        }
    }
    CountProgress progress;
    progress.phase = CountProgress::Phase::Scatter;
    progress.fileNumber = number;
    progress.fileTotal = total;
    progress.fileName = toLowerAscii(ShortenPath(FileNameOf(path), 25));
    progress.path = FolderOf(path);
    report(progress, true);

    if (HasInvalidExtension(path, m_state.InvalidFileExtensions))
        return Flow::Go;
    SourceReader reader;
    int error = 0;
    if (!reader.open(path, error)) {
        m_prompter.tell(core::msg::MajorFailure());
        return Flow::Stop;
    }
    const SourceReader::Kind kind = reader.probe(error);
    if (kind == SourceReader::Kind::Empty || kind == SourceReader::Kind::Binary)
        return Flow::Go;
    ++m_suitableFiles;

    WordCutter<CountRun> cutter(m_rules, *this);
    std::string block;
    std::string carry;
    std::string_view separator;
    bool first = true;
    for (;;) {
        block.assign(carry);
        const long got = reader.next(block, error);
        if (got < 0) {
            m_prompter.tell(core::msg::MajorFailure());
            return Flow::Stop;
        }
        const bool eof = got == 0;
        if (first) {
            separator = detectSeparator(block);
            first = false;
        }
        const std::size_t ready = joinHyphens(block, separator, eof, carry);
        cutter.feed(block.data(), ready);
        if (m_stopped)
            return Flow::Stop;
        if (eof)
            break;
        progress.fraction = reader.size() ? static_cast<double>(reader.consumed()) /
                                                static_cast<double>(reader.size())
                                          : 1.0;
        report(progress, false);
        if (pollCommands() == Flow::Stop)
            return Flow::Stop;
    }
    cutter.finish();
    if (m_stopped)
        return Flow::Stop;
    progress.fraction = 1.0;
    report(progress, true);
    return Flow::Go;
}

bool CountRun::writeOut(UniqueFd& fd, std::string& buffer, bool force) {
    if (!force && buffer.size() < kWriteBuffer)
        return true;
    const bool ok = writeAll(fd.get(), buffer);
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

std::int64_t CountRun::writeTypes(const std::string& base, BucketFile& bucket) {
    // Collapsing works on the distinct spellings with their counts; the same types and
    // frequencies as sorting every word, in far less memory for large pieces.
    std::unordered_map<std::string, std::int64_t, TransparentHash, std::equal_to<>> counts;
    counts.reserve(static_cast<std::size_t>(std::min<std::int64_t>(bucket.words, kInMemoryWords)));
    int error = 0;
    const bool read = readWords(
        bucket,
        [&counts](std::string_view word) {
            if (word.empty())
                return;
            auto found = counts.find(word);
            if (found == counts.end())
                counts.emplace(std::string(word), 1);
            else
                ++found->second;
        },
        error);
    if (!read) {
        m_prompter.tell(core::msg::MajorFailure());
        return -1;
    }
    (void)base;
    std::vector<std::pair<std::string_view, std::int64_t>> spellings;
    spellings.reserve(counts.size());
    for (const auto& [word, n] : counts)
        spellings.emplace_back(word, n);
    std::sort(spellings.begin(), spellings.end(),
              [](const auto& a, const auto& b) { return CompareWords(a.first, b.first) < 0; });
    std::int64_t types = 0;
    for (std::size_t i = 0; i < spellings.size();) {
        std::size_t j = i + 1;
        std::int64_t frequency = spellings[i].second;
        while (j < spellings.size() && SameType(spellings[i].first, spellings[j].first))
            frequency += spellings[j++].second;
        if (!writeType(spellings[i].first, frequency))
            return -1;
        ++types;
        i = j;
    }
    return types;
}

std::int64_t CountRun::gatherBucket(BucketFile& bucket, const std::string& base, int depth,
                                    std::int64_t parentCount) {
    const std::int64_t count = bucket.words;
    const auto last = static_cast<unsigned char>(base.back());
    if (count == 0)
        return 0;
    if (last < 'a' || count <= kInMemoryWords || count == parentCount || depth >= kMaxSplitDepth) {
        if (last == '_' && !bucket.nonAscii) {
            const int lang = m_state.LanguageIndex;
            const char letter = base[1];
            const bool accentedOneLetter =
                (lang == static_cast<int>(LanguageId::French) &&
                 (letter == 'a' || letter == 'c')) ||
                (lang == static_cast<int>(LanguageId::Italian) && letter == 'e');
            if (lang == static_cast<int>(LanguageId::English) ||
                (base.size() == 3 && !accentedOneLetter)) {
                // every word here is the piece's own prefix, in some mixture of cases
                m_processed += count;
                return writeType(base.substr(1, base.size() - 2), count) ? 1 : -1;
            }
        }
        m_processed += count;
        return writeTypes(base, bucket);
    }

    // Split by the character after the depth into 28 pieces, then gather each in order.
    std::vector<BucketFile> pieces(kSubBucketCount);
    int error = 0;
    for (int k = 0; k < kSubBucketCount; ++k)
        pieces[static_cast<std::size_t>(k)].path =
            JoinPath(m_runFolder, base + static_cast<char>(95 + k) + ".tmp");
    bool stop = false;
    std::int64_t sent = 0;
    std::string rewritten;
    const bool read = readWords(
        bucket,
        [&](std::string_view word) {
            if (stop || word.empty())
                return;
            int k = 0;
            if (word.size() > static_cast<std::size_t>(depth)) {
                const auto c = static_cast<unsigned char>(word[static_cast<std::size_t>(depth)]);
                k = PieceOf(c);
                if (c == 140 || c == 156) {
                    rewritten.assign(word.substr(0, static_cast<std::size_t>(depth)));
                    rewritten += "oe";
                    rewritten.append(word.substr(static_cast<std::size_t>(depth) + 1));
                    word = rewritten;
                }
            }
            BucketFile& p = pieces[static_cast<std::size_t>(k)];
            p.buffer.append(word.data(), word.size());
            p.buffer.append("\r\n", 2);
            ++p.words;
            if (!p.nonAscii)
                for (char ch : word)
                    if (static_cast<unsigned char>(ch) >= 128) {
                        p.nonAscii = true;
                        break;
                    }
            if (p.buffer.size() >= kWriteBuffer && flush(p) == Flow::Stop)
                stop = true;
            if ((++sent & 0xFFFF) == 0 && pollCommands() == Flow::Stop)
                stop = true;
        },
        error);
    // the parent's words are all in the pieces now
    if (!stop)
        release(bucket);
    for (BucketFile& p : pieces)
        if (!stop && settle(p) == Flow::Stop)
            stop = true;
    if (!read && !stop)
        m_prompter.tell(core::msg::MajorFailure());
    std::int64_t types = 0;
    if (read && !stop) {
        for (int k = 0; k < kSubBucketCount && types >= 0; ++k) {
            const std::int64_t t = gatherBucket(pieces[static_cast<std::size_t>(k)],
                                                base + static_cast<char>(95 + k), depth + 1, count);
            types = t < 0 ? -1 : types + t;
            release(pieces[static_cast<std::size_t>(k)]);
        }
    } else {
        types = -1;
    }
    for (BucketFile& p : pieces)
        release(p);
    return types;
}

Flow CountRun::gather(std::int64_t& types) {
    m_indexBuffer.assign(kLetterRecords * kIndexRecordSize, '\0');
    m_listBuffer = std::string(kCountHeader) + "\r\n";
    m_listBytes = static_cast<std::int64_t>(m_listBuffer.size());
    std::array<CountIndexRecord, kLetterRecords> letters{};
    types = 0;
    for (int n = 1; n <= kLetterRecords; ++n) {
        BucketFile& bucket = m_buckets[static_cast<std::size_t>(n - 1)];
        CountProgress progress;
        progress.phase = CountProgress::Phase::Gather;
        progress.letter = n;
        const std::string name = FileNameOf(bucket.path);
        progress.bucketText = name.substr(name.size() > 5 ? name.size() - 5 : 0) + " (" +
                              std::to_string(bucket.words) + " words)";
        progress.fraction =
            m_tokens ? static_cast<double>(m_processed) / static_cast<double>(m_tokens) : 1.0;
        report(progress, true);
        if (pollCommands() == Flow::Stop)
            return Flow::Stop;
        const std::int64_t position = m_listBytes + 1;
        const std::string base = std::string("~") + static_cast<char>(96 + n);
        const std::int64_t t = gatherBucket(bucket, base, 1, -1);
        if (t < 0)
            return Flow::Stop;
        types += t;
        letters[static_cast<std::size_t>(n - 1)] = {static_cast<std::int32_t>(position),
                                                    static_cast<std::int32_t>(t)};
        release(bucket);
    }
    if (!writeOut(m_list, m_listBuffer, true) || !writeOut(m_index, m_indexBuffer, true))
        return Flow::Stop;
    std::string table;
    for (const CountIndexRecord& r : letters)
        AppendIndexRecord(table, r);
    return ::pwrite(m_index.get(), table.data(), table.size(), 0) ==
                   static_cast<ssize_t>(table.size())
               ? Flow::Go
               : Flow::Stop;
}

CountResult CountRun::run(const std::vector<std::string>& sources, const std::string& proposed) {
    // (2) the name of the pair
    std::string name = proposed;
    if (m_state.LanguageIndex == static_cast<int>(LanguageId::French)) {
        std::string replaced;
        for (char c : name) {
            if (c == '\x9C')
                replaced += "oe";
            else if (c == '\x8C')
                replaced += "OE";
            else
                replaced += c;
        }
        name = replaced;
    }
    const std::optional<std::string> settled =
        ChooseListName(m_state, name, m_prompter, m_hooks.askText);
    if (!settled)
        return fail(CountOutcome::NotStarted);
    const std::string listPath = ListPathFor(m_state, *settled);
    const std::string indexPath = IndexPathOf(listPath);

    // (3) the buckets
    m_start = Clock::now();
    m_tokens = 0;
    int error = 0;
    if (!makeRunFolder()) {
        m_prompter.tell(wordcount::msg::CannotOpenBucketFiles(std::strerror(errno)));
        m_state.ExitFlag = ExitRequest::UserPressedExit;
        return fail(CountOutcome::Failed);
    }
    for (int n = 1; n <= kBucketCount; ++n) {
        BucketFile& b = m_buckets[static_cast<std::size_t>(n - 1)];
        b.path = JoinPath(m_runFolder, std::string("~") + static_cast<char>(96 + n) + ".tmp");
        b.buffer.reserve(kWriteBuffer + 512);
        if (!createFile(b, error)) {
            m_prompter.tell(wordcount::msg::CannotOpenBucketFiles(std::strerror(error)));
            m_state.ExitFlag = ExitRequest::UserPressedExit;
            return fail(CountOutcome::Failed);
        }
    }

    // (4) scatter
    const int total = static_cast<int>(sources.size());
    for (int i = 0; i < total; ++i) {
        if (scatterFile(sources[static_cast<std::size_t>(i)], i + 1, total) == Flow::Stop)
            return fail(m_abandoned ? CountOutcome::Abandoned : CountOutcome::Failed);
        if (pollCommands() == Flow::Stop)
            return fail(CountOutcome::Abandoned);
    }
    for (BucketFile& b : m_buckets) {
        if (flush(b) == Flow::Stop)
            return fail(m_abandoned ? CountOutcome::Abandoned : CountOutcome::Failed);
        b.fd.reset();
        b.buffer.shrink_to_fit();
    }
    std::int64_t listed = 0;
    for (int n = 0; n < kLetterRecords; ++n)
        listed += m_buckets[static_cast<std::size_t>(n)].words;
    if (m_suitableFiles == 0 || m_tokens == 0) {
        m_prompter.tell(wordcount::msg::NoWordsInFiles());
        return fail(CountOutcome::NoWords);
    }
    const std::int64_t files =
        std::max<std::int64_t>(total, static_cast<std::int64_t>(m_state.SourceFilesSaved.size()));
    const std::int64_t tokenLimit = std::min(m_hooks.tokenLimit, kMaxHeaderCount);
    if (m_tokens > tokenLimit || files > kMaxHeaderFiles) {
        m_prompter.tell(wordcount::msg::CountTooLarge(
            m_tokens > tokenLimit ? "more than " + std::to_string(tokenLimit) + " words (tokens)"
                                  : "more than 9999999 files"));
        return fail(CountOutcome::Failed);
    }
    (void)listed;

    // (5) gather into the pair, written under temporary names beside it
    m_listTemp = AddBackslash(FolderOf(listPath)) + "~" + FileNameOf(listPath) + ".tmp";
    m_indexTemp = AddBackslash(FolderOf(indexPath)) + "~" + FileNameOf(indexPath) + ".tmp";
    m_list = UniqueFd(::open(m_listTemp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    m_index = UniqueFd(::open(m_indexTemp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!m_list.valid() || !m_index.valid()) {
        m_prompter.tell(wordcount::msg::ErrorOpeningFiles());
        m_state.ExitFlag = ExitRequest::UserPressedExit;
        return fail(CountOutcome::Failed);
    }
    std::int64_t types = 0;
    if (gather(types) == Flow::Stop) {
        if (m_abandoned)
            return fail(CountOutcome::Abandoned);
        if (m_tooLarge)
            m_prompter.tell(wordcount::msg::CountTooLarge("more than 999999999 types, or a word list "
                                                 "above 2 GB"));
        else if (errno == ENOSPC)
            m_prompter.tell(wordcount::msg::DiskError(61));
        else
            m_prompter.tell(core::msg::MajorFailure());
        return fail(CountOutcome::Failed);
    }
    const std::string header = FillCountHeader(m_tokens, types, files);
    if (::pwrite(m_list.get(), header.data(), header.size(), 0) !=
            static_cast<ssize_t>(header.size()) ||
        ::fsync(m_list.get()) != 0 || ::fsync(m_index.get()) != 0) {
        m_prompter.tell(core::msg::MajorFailure());
        return fail(CountOutcome::Failed);
    }
    m_list.reset();
    m_index.reset();
    // the index first: a word list is only ever beside an index of its own count
    if (::rename(m_indexTemp.c_str(), indexPath.c_str()) != 0 ||
        ::rename(m_listTemp.c_str(), listPath.c_str()) != 0) {
        ::unlink(indexPath.c_str());
        m_prompter.tell(wordcount::msg::ErrorOpeningFiles());
        return fail(CountOutcome::Failed);
    }
    m_listTemp.clear();
    m_indexTemp.clear();

    // (6) the buckets go, (7) the result
    cleanUp();
    CountResult result;
    result.outcome = CountOutcome::Completed;
    result.tokens = m_tokens;
    result.types = types;
    result.files = files;
    result.elapsedSeconds = elapsed();
    result.listPath = listPath;
    result.indexPath = indexPath;
    result.resultText = CountResultText(m_tokens, types, result.elapsedSeconds);
    return result;
}

struct CollectSink {
    std::vector<std::string> words;
    void operator()(std::string_view word) { words.emplace_back(word); }
};

} // namespace

std::string CountResultText(std::int64_t tokens, std::int64_t types, std::int64_t seconds) {
    return "  Count results:   tokens: " + std::to_string(tokens) +
           " - types: " + std::to_string(types) +
           "    :   time elapsed:  " + std::to_string(seconds / 60) + " minutes " +
           std::to_string(seconds % 60) + " seconds" + kLineBreak +
           "   Please click on \xAB Continue \xBB...";
}

CountResult CountWords(ProgramState& state, const std::vector<std::string>& sourceFiles,
                       const std::string& listName, Prompter& prompter, const CountHooks& hooks) {
    CountRun run(state, prompter, hooks);
    CountResult result = run.run(sourceFiles, listName);
    if (result.outcome == CountOutcome::Completed) {
        state.TokenCount = result.tokens;
        state.TypeCount = result.types;
    }
    return result;
}

std::vector<std::string> CutWords(const ProgramState& state, std::string_view text) {
    const WordRules rules = MakeWordRules(state);
    CollectSink sink;
    WordCutter<CollectSink> cutter(rules, sink);
    std::string block(text);
    std::string carry;
    const std::size_t ready = joinHyphens(block, detectSeparator(block), true, carry);
    cutter.feed(block.data(), ready);
    cutter.finish();
    return sink.words;
}

std::string JoinLineEndHyphens(std::string_view text) {
    std::string block(text);
    std::string carry;
    block.resize(joinHyphens(block, detectSeparator(block), true, carry));
    return block;
}

} // namespace lexmora
