#include "wordcount/bucket_file.h"

#include "core/paths.h"
#include "wordcount/count_run.h"
#include "wordcount/messages.h"

#include <algorithm>
#include <cstdlib>

namespace lexmora::counting {

void appendRecord(std::string& out, std::string_view word, std::uint32_t count) {
    char digits[16];
    char* end = digits + sizeof digits;
    char* p = end;
    do {
        *--p = static_cast<char>('0' + count % 10);
        count /= 10;
    } while (count != 0);
    out.append(word);
    out += '\t';
    out.append(p, static_cast<std::size_t>(end - p));
    out += "\r\n";
}

// Splits a record into its word and count; a line without a count is one occurrence.
std::string_view parseRecord(std::string_view line, std::uint32_t& count) {
    const std::size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos) {
        count = 1;
        return line;
    }
    std::uint64_t n = 0;
    for (char c : line.substr(tab + 1))
        if (c >= '0' && c <= '9')
            n = std::min<std::uint64_t>(n * 10 + static_cast<unsigned>(c - '0'), UINT32_MAX);
    count = static_cast<std::uint32_t>(n);
    return line.substr(0, tab);
}

bool createFile(BucketFile& b, int& error) {
    b.fd = UniqueFd(
        osCalls().createFile(b.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
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
    b.words = 0;
    b.nonAscii = false;
    b.buffer.clear();
    b.buffer.shrink_to_fit();
}

Flow CountRun::flush(BucketFile& b) {
    if (b.buffer.empty())
        return Flow::Go;
    int error = 0;
    while (!b.onDisk && !createFile(b, error)) {
        const Answer answer =
            m_prompter.ask(wordcount::msg::DiskError(wordcount::msg::errorNumberOf(error)));
        if (answer == Answer::Retry || answer == Answer::Ok)
            continue;
        m_state.ExitFlag = answer == Answer::Cancel ? ExitRequest::UserPressedExit
                                                    : ExitRequest::UserConfirmedLeaving;
        m_abandoned = true;
        return Flow::Stop;
    }
    std::size_t done = 0;
    while (done < b.buffer.size()) {
        const ssize_t put =
            osCalls().writeFile(b.fd.get(), b.buffer.data() + done, b.buffer.size() - done);
        if (put >= 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (errno == EINTR)
            continue;
        const Answer answer =
            m_prompter.ask(wordcount::msg::DiskError(wordcount::msg::errorNumberOf(errno)));
        if (answer == Answer::Retry || answer == Answer::Ok)
            continue;
        if (answer == Answer::Ignore) {
            // The words that could not be stored leave the count too, so that the totals
            // agree with the list.
            std::int64_t lost = 0;
            splitLines(std::string_view(b.buffer).substr(done), [&lost](std::string_view line) {
                std::uint32_t count = 0;
                if (!parseRecord(line, count).empty())
                    lost += count;
            });
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

// After a piece is complete: what its buffer holds goes to its file, if it has one.
Flow CountRun::settle(BucketFile& b) {
    if (!b.onDisk)
        return Flow::Go;
    const Flow flow = flush(b);
    b.fd.reset();
    b.buffer.shrink_to_fit();
    return flow;
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

bool CountRun::openSpillFiles() {
    if (!makeRunFolder()) {
        m_prompter.tell(wordcount::msg::CannotOpenBucketFiles(std::strerror(errno)));
        return false;
    }
    int error = 0;
    for (std::size_t n = 0; n < m_buckets.size(); ++n) {
        BucketFile& b = m_buckets[n];
        b.path = JoinPath(m_runFolder, std::string("~") + static_cast<char>('a' + n) + ".tmp");
        if (!createFile(b, error)) {
            m_prompter.tell(wordcount::msg::CannotOpenBucketFiles(std::strerror(error)));
            return false;
        }
    }
    return true;
}

// The table is full: every spelling it holds goes to its letter's file with its count, and
// the table starts again empty. A spelling may so be spilled several times; the gather adds
// its counts up.
Flow CountRun::spill() {
    if (!m_spilled) {
        if (!openSpillFiles()) {
            m_state.ExitFlag = ExitRequest::UserPressedExit;
            return Flow::Stop;
        }
        m_spilled = true;
    }
    Flow flow = Flow::Go;
    m_table.forEachWord([&](std::string_view word, std::uint32_t count) {
        if (flow == Flow::Stop)
            return;
        const int letter = BucketOfFirst(static_cast<unsigned char>(word[0]));
        BucketFile& b = m_buckets[static_cast<std::size_t>(letter - 1)];
        b.words += count;
        appendRecord(b.buffer, word, count);
        if (b.buffer.size() >= kWriteBuffer)
            flow = flush(b);
    });
    m_table.clear();
    return flow;
}

} // namespace lexmora::counting
