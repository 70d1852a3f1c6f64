#include "search/scanner.h"

#include "search/scan.h"

#include "codes/dos_code_page.h"
#include "core/file_checks.h"
#include "core/file_utils.h"
#include "core/os_calls.h"
#include "core/paths.h"
#include "core/text_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora {

namespace scanning {

namespace {

// The file's first block: the code, and where the line end is looked for.
std::string readHead(int fd, std::uint64_t length) {
    std::string head(std::min<std::uint64_t>(length, kBlockSize), '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n = ::read(fd, head.data() + got, head.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    head.resize(got);
    return head;
}

// Hands the file to `text`: streamed as it is read (UTF-8 converted on the way), or whole once
// converted from UTF-16; and the line end
// whose hyphen breaks are joined.
void startText(SourceText& text, int fd, const std::string& path, std::string head,
               std::uint64_t length, SourceConversion conversion, bool htmlMode) {
    const bool more = length > head.size();
    const std::uint64_t remaining = length - head.size();
    // Told from the block before the text takes it, so that the block is not copied.
    std::string lineBreak;
    if (conversion == SourceConversion::Utf8) {
        lineBreak = DetectLineBreak(head, htmlMode);
        text.startStream(fd, std::move(head), more, remaining, true);
    } else if (conversion != SourceConversion::None) {
        std::string all = std::move(head);
        if (more) {
            const auto rest = readFileBytes(path);
            if (rest)
                all = *rest;
        }
        const std::uint64_t bytesRead = all.size();
        std::string converted = ConvertSourceText(all, conversion);
        lineBreak = DetectLineBreak(std::string_view(converted).substr(0, kBlockSize), htmlMode);
        text.startWhole(std::move(converted), bytesRead);
    } else {
        lineBreak = DetectLineBreak(head, htmlMode);
        text.startStream(fd, std::move(head), more, remaining);
    }
    text.setLineBreak(lineBreak, lineBreak == "<br>");
}

// Where the scan of one file stands: the window over the file and the place in it the search
// resumes from.
struct ScanPosition {
    SourceText& text;
    std::size_t keepBefore; // what a window keeps before `pos` (left context and look-back)
    std::size_t pos = 0;
    bool forceFinal = false; // the window is as large as it may grow: take it as it stands

    bool final() const { return text.eof() || forceFinal; }

    // Slides the window on so that the search resumes at `resume` of the current window; false
    // at the end of the file.
    bool refill(std::size_t resume) {
        const std::size_t keepFrom = resume > keepBefore ? resume - keepBefore : 0;
        if (text.eof())
            return false;
        if (keepFrom == 0 && text.size() >= kMaxWindow) {
            forceFinal = true;
            return true;
        }
        text.fill(keepFrom);
        pos = resume - keepFrom;
        return true;
    }

    // No candidate in the rest of the window: the next one resumes where one could still start
    // across the window's end (`overlap` bytes before it), or where the matcher asked for more.
    bool moveOn(std::size_t overlap, bool needMore) {
        const std::size_t size = text.size();
        std::size_t resume = size > overlap ? size - overlap + (overlap > 0 ? 1 : 0) : 0;
        if (needMore)
            resume = std::max(pos, std::min(resume, size));
        resume = std::max(resume, std::min(pos, size));
        return refill(resume);
    }
};

} // namespace

ScanStep Scan::pollFlags() {
    return m_control.poll() == RunStep::Stop ? ScanStep::Abandoned : ScanStep::GoOn;
}

ScanStep Scan::run() {
    m_counts = ScanCounts{};
    if (m_keywords.tagged)
        m_tag = TagOfKeyword(m_keywords, m_context.keywordIndex);
    const std::vector<std::string>& files = m_step.files;
    for (std::size_t i = 0; i < files.size(); ++i) {
        m_counts.filesReached = static_cast<std::int64_t>(i);
        m_observer.onFileCounter(m_context.filesBefore + static_cast<std::int64_t>(i) + 1);
        if (m_context.walk) {
            m_walkFileIndex = m_context.walk->files.size();
            m_context.walk->files.emplace_back();
        }
        const std::string path = m_step.pathOf(files[i]);
        m_fileEntered = false;
        const ScanStep result = searchFile(path, files[i]);
        if (result != ScanStep::GoOn) {
            // The file the run stopped in counts once it was opened or named as unread.
            m_counts.filesReached = static_cast<std::int64_t>(i) + (m_fileEntered ? 1 : 0);
            return result;
        }
    }
    m_counts.filesReached = static_cast<std::int64_t>(files.size());
    if (m_context.results && m_counts.hits > 0)
        return writeStepLine(static_cast<std::int64_t>(files.size()) - m_counts.unreadFiles);
    return ScanStep::GoOn;
}

ScanStep Scan::writeStepLine(std::int64_t fileCount) {
    const Status written = m_context.results->writeSummaryLine(
        BuildStepLine(m_counts.hits, m_pattern.patternText, utf8ToCp1252(m_step.folder), fileCount,
                      m_counts.bytes));
    if (!written) {
        m_counts.failure = written.failure();
        return ScanStep::DeviceFailure;
    }
    return ScanStep::GoOn;
}

ScanStep Scan::searchFile(const std::string& path, const std::string& listedName) {
    if (const ScanStep flags = pollFlags(); flags != ScanStep::GoOn)
        return flags;
    m_fileEntered = true;
    if (!isSearchable(path)) {
        ++m_counts.unreadFiles;
        return ScanStep::GoOn;
    }
    const FilePresence presence = askUntilFileThere(path);
    if (presence != FilePresence::There) {
        ++m_counts.unreadFiles;
        return presence == FilePresence::Abandoned ? ScanStep::Abandoned : ScanStep::GoOn;
    }
    const std::string name = FileNameOf(path);
    m_path = path;
    if (HasInvalidExtension(name, m_state.InvalidFileExtensions)) {
        if (WalkFile* walked = walkFile())
            walked->state = WalkFileState::Passed;
        return ScanStep::GoOn;
    }
    const std::string nameCaption = ShortenPath(toLowerAscii(name), 25);
    const std::string folderCaption = m_step.isList ? ShortenPath(FolderOf(path), 40) : "";
    m_observer.onFileName(nameCaption, folderCaption);
    if (WalkFile* walked = walkFile()) {
        walked->state = WalkFileState::OpenFailed;
        walked->nameCaption = nameCaption;
        walked->folderCaption = folderCaption;
    }

    struct stat info {};
    UniqueFd fd = openSource(path, info);
    if (!fd.valid()) {
        ++m_counts.unreadFiles;
        return ScanStep::GoOn;
    }
    const std::uint64_t length = static_cast<std::uint64_t>(info.st_size);
    FileFacts facts =
        describeFile(path, listedName, name, static_cast<std::int64_t>(info.st_mtime));

    std::string head = readHead(fd.get(), length);
    const DetectedCode detected = DetectCode(m_state, m_codeMode, head, name, length > head.size());
    const FileCode code = fileCodeOf(detected);
    facts.log.codeName = DetectedCodeName(m_state, detected);
    facts.log.stamp = stampOf(info, detected.conversion);
    m_observer.onCodeName(facts.log.codeName);
    if (WalkFile* walked = walkFile()) {
        walked->state = WalkFileState::Read;
        walked->shortName = facts.shortName;
        walked->log = facts.log;
        walked->length = length;
    }

    if (length < shortestMatch())
        return ScanStep::GoOn;
    SourceText text(reusedBuffers());
    startText(text, fd.get(), path, std::move(head), length, detected.conversion, code.htmlMode);
    const ScanStep result =
        m_context.walk ? scanTextForAll(text, code, facts) : scanText(text, code, facts);
    // The bytes actually read count, not the size the file had when it was opened (in a walk
    // for all keywords, the file is one the pattern's own scan reads).
    if (length >= ShortestMatchOf(m_pattern))
        m_counts.bytes += static_cast<std::int64_t>(text.bytesRead());
    if (WalkFile* walked = walkFile())
        walked->bytesRead = text.bytesRead();
    if (result == ScanStep::GoOn)
        checkReadToEnd(text, path, length);
    return result;
}

// A name that is there but is no regular file (a FIFO, a device, a folder) is named and passed
// over without being opened: opening a FIFO would wait for a writer.
bool Scan::isSearchable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return true; // a missing file gets the " File error" question
    const char* kind = S_ISDIR(info.st_mode)    ? "a folder"
                       : S_ISFIFO(info.st_mode) ? "a FIFO (named pipe)"
                       : S_ISCHR(info.st_mode)  ? "a character device"
                       : S_ISBLK(info.st_mode)  ? "a block device"
                       : S_ISSOCK(info.st_mode) ? "a socket"
                                                : "not a regular file";
    m_prompter.tell(search::msg::NotASourceFile(path, kind));
    return false;
}

// The open source file and what fstat says of it, or an invalid descriptor once the failure is
// told.
UniqueFd Scan::openSource(const std::string& path, struct stat& info) {
    // O_NONBLOCK: should the name have become a FIFO since it was looked at, the open does not
    // wait for a writer (it changes nothing for a regular file).
    UniqueFd fd(osCalls().openFile(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
        m_prompter.tell(search::msg::CannotReadSource(path, std::strerror(errno)));
        return fd;
    }
    if (::fstat(fd.get(), &info) != 0) {
        m_prompter.tell(search::msg::CannotReadSource(path, std::strerror(errno)));
        return UniqueFd();
    }
    if (!S_ISREG(info.st_mode)) {
        m_prompter.tell(search::msg::NotASourceFile(path, "not a regular file"));
        return UniqueFd();
    }
    return fd;
}

// A file that failed or shrank under the scan gave fewer hits than it holds: the user is told.
void Scan::checkReadToEnd(const SourceText& text, const std::string& path, std::uint64_t length) {
    if (text.readError() != 0)
        m_prompter.tell(search::msg::SourceReadCutShort(path, text.bytesRead(), length,
                                                        std::strerror(text.readError())));
    else if (text.eof() && text.bytesRead() < length)
        m_prompter.tell(search::msg::SourceChanged(path, text.bytesRead(), length));
    else
        return;
    ++m_counts.cutShortFiles;
}

Scan::FilePresence Scan::askUntilFileThere(const std::string& path) {
    for (;;) {
        const std::optional<Answer> answer = CheckFileExists(path, m_prompter);
        if (!answer)
            return FilePresence::There;
        if (*answer == Answer::Abort)
            return FilePresence::Abandoned;
        if (*answer != Answer::Retry)
            return FilePresence::Skipped; // Ignore
    }
}

// What the positions file keeps of a source: offsets count its own bytes, or its UTF-8 text
// converted as it is read; the other conversions read it whole and leave them unknown.
SourceStamp Scan::stampOf(const struct stat& info, SourceConversion conversion) {
    SourceStamp stamp;
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.modifiedNs =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.kind = conversion == SourceConversion::None   ? SourceTextKind::Raw
                 : conversion == SourceConversion::Utf8 ? SourceTextKind::Utf8
                                                        : SourceTextKind::Unknown;
    return stamp;
}

FileFacts Scan::describeFile(const std::string& path, const std::string& listedName,
                             const std::string& name, std::int64_t modified) const {
    FileFacts facts;
    facts.shortName = FieldText(utf8ToCp1252(ShortFileName(name)));
    facts.log.shortName = facts.shortName;
    // The path is kept in its real case: on this system it is what opens the file again.
    facts.log.path = FieldText(utf8ToCp1252(m_step.isList ? path : m_step.pathOf(listedName)));
    facts.log.fileDate = FormatShortDate(modified);
    return facts;
}

FileCode Scan::fileCodeOf(const DetectedCode& code) const {
    FileCode out;
    out.codeIndex = std::max(1, code.codeIndex);
    const CodeRow& row = CodeRowOf(m_state, out.codeIndex);
    out.htmlMode = out.codeIndex == 3 || ExtensionListed(row.CodeExtensions, ".htm");
    return out;
}

// A file too short to hold the pattern is not scanned. The pattern text itself carries a blank
// for every word boundary, so only what a match must contain is counted: a file that is nothing
// but the keyword is still searched.
std::size_t Scan::shortestMatch() const {
    if (m_context.walk) {
        std::size_t shortest = SIZE_MAX;
        for (const PassKeyword& keyword : m_context.walk->keywords)
            shortest = std::min(shortest, ShortestMatchOf(keyword.pattern));
        return shortest;
    }
    return ShortestMatchOf(m_pattern);
}

bool Scan::caseSensitive() const {
    return m_keywords.isCaseSensitive(static_cast<std::size_t>(m_context.keywordIndex));
}

// How much of a window's end is searched again with the next window: a start that the window's
// end may have cut.
std::size_t Scan::candidateOverlap(const LetterRepresentations& reps) const {
    std::size_t overlap = 0;
    if (m_pattern.start == ScanStart::Literal)
        overlap = m_pattern.tokens.front().text.size();
    else if (m_pattern.start == ScanStart::Special)
        for (const auto& r : reps.special[static_cast<std::size_t>(
                 std::clamp(m_pattern.tokens.front().special, 1, 52) - 1)])
            overlap = std::max(overlap, r.size());
    return overlap;
}

ScanStep Scan::scanText(SourceText& text, FileCode code, const FileFacts& facts) {
    if (m_pattern.regex)
        return scanRegex(text, code, facts);
    const CodeTables& tables = tablesFor(code.codeIndex);
    const std::optional<LiteralFinder>& literal = tables.literal;
    const LetterRepresentations& reps = tables.reps;
    text.setFold(&tables.fold.map, tables.fold.active, literal.has_value());
    Matcher matcher(m_pattern, tables.classes, reps, code.htmlMode, m_tag.open(), m_tag.close());
    const ReadWidths widths = readWidthsOf(m_shown, code.codeIndex);
    const std::size_t overlap = candidateOverlap(reps);

    text.fill(0);
    // A window keeps the left context and the look-back of the word-boundary rules.
    ScanPosition at{text, widths.left + 4};
    std::int64_t hitNumber = 1;
    std::size_t polls = 0;
    for (;;) {
        if ((++polls & 63) == 0)
            if (const ScanStep flags = pollFlags(); flags != ScanStep::GoOn)
                return flags;
        const bool final = at.final();
        matcher.setText(text.search(), text.size(), final);
        bool needMore = false;
        std::size_t s;
        if (literal) {
            s = literal->find(text.read().data(), text.size(), at.pos);
            if (s != std::string::npos)
                text.foldAll();
        } else {
            s = matcher.findCandidate(at.pos, needMore);
        }
        if (s == std::string::npos) {
            if (final || !at.moveOn(overlap, needMore))
                break;
            continue;
        }
        std::size_t e = 0;
        const Matcher::Outcome outcome = matcher.matchAt(s, e);
        if (outcome == Matcher::Outcome::NeedMore ||
            (outcome == Matcher::Outcome::Match && !final && e + widths.right + 1 > text.size())) {
            // A hit too close to the end of the window: it is found again, with its whole
            // context, once more of the file is in.
            if (!at.refill(s))
                at.forceFinal = true;
            continue;
        }
        at.forceFinal = false;
        if (outcome == Matcher::Outcome::NoMatch || e <= s) {
            at.pos = s + 1;
            continue;
        }
        at.pos = e;
        if (const ScanStep step = keepMatch(text, s, e, code, widths, hitNumber, facts);
            step != ScanStep::GoOn)
            return step;
    }
    return ScanStep::GoOn;
}

// A regular expression over the file, window by window (regex_matcher.h tells how the windows
// give the matches the whole file would). A match too close to the window's end for its right
// context is found again once more of the file is in, as the keyword's own scan does.
ScanStep Scan::scanRegex(SourceText& text, FileCode code, const FileFacts& facts) {
    if (!m_regex)
        m_regex = std::make_unique<RegexMatcher>(m_pattern.regex);
    RegexMatcher& matcher = *m_regex;
    text.setFold(nullptr, false, true); // matched as read: the tables know the cases
    const ReadWidths widths = readWidthsOf(m_shown, code.codeIndex);
    text.fill(0);
    ScanPosition at{text, std::max(widths.left + 4, matcher.lookBack())};
    std::int64_t hitNumber = 1;
    std::size_t polls = 0;
    for (;;) {
        if ((++polls & 63) == 0)
            if (const ScanStep flags = pollFlags(); flags != ScanStep::GoOn)
                return flags;
        const bool final = at.final();
        std::size_t s = 0, e = 0;
        const RegexMatcher::Outcome outcome = matcher.find(text.read().data(), text.size(), at.pos,
                                                           {text.windowStart(), final}, s, e);
        if (outcome == RegexMatcher::Outcome::LimitReached) {
            m_prompter.tell(search::msg::RegexLimitReached(m_pattern.patternText, m_path));
            return ScanStep::GoOn;
        }
        if (outcome == RegexMatcher::Outcome::NoMatch) {
            if (final || !at.refill(std::max(s, at.pos)))
                break;
            continue;
        }
        if (outcome == RegexMatcher::Outcome::NeedMore ||
            (!final && e + widths.right + 1 > text.size())) {
            if (!at.refill(s))
                at.forceFinal = true;
            continue;
        }
        at.forceFinal = false;
        at.pos = e;
        if (const ScanStep step = keepMatch(text, s, e, code, widths, hitNumber, facts);
            step != ScanStep::GoOn)
            return step;
    }
    return ScanStep::GoOn;
}

const Scan::CodeTables& Scan::tablesFor(int codeIndex) {
    if (m_tables && m_tables->codeIndex == codeIndex)
        return *m_tables;
    const bool exactCase = caseSensitive();
    auto tables = std::make_unique<CodeTables>();
    tables->codeIndex = codeIndex;
    tables->fold = makeFold(exactCase                ? FoldMode::None
                            : codeIndex == kCodeAnsi ? FoldMode::Cp1252
                                                     : FoldMode::AsciiLetters);
    // A literal start is looked for in the text as read: a window is folded only once it is
    // known to hold a candidate.
    if (m_pattern.start == ScanStart::Literal)
        tables->literal.emplace(foldText(tables->fold, m_pattern.tokens.front().text),
                                tables->fold.map);
    tables->classes = MakeWordClasses(m_state, codeIndex);
    tables->reps = MakeLetterRepresentations(m_state, codeIndex, tables->fold, exactCase);
    m_tables = std::move(tables);
    return *m_tables;
}

// The match from `s` to `e` as a hit of the keyword scanned alone: its line built and, unless a
// filter turns it down, recorded as hit `hitNumber`, which then moves on.
ScanStep Scan::keepMatch(const SourceText& text, std::size_t s, std::size_t e, FileCode code,
                         ReadWidths widths, std::int64_t& hitNumber, const FileFacts& facts) {
    if (!buildAcceptedLine(text.read(), s, e, code, widths, hitNumber, m_context.keywordIndex,
                           m_tag))
        return ScanStep::GoOn;
    m_position = text.sourceOffset(s);
    if (const ScanStep step = recordHit(hitNumber, facts); step != ScanStep::GoOn)
        return step;
    ++hitNumber;
    return ScanStep::GoOn;
}

// Builds the KWIC line of the match from `s` to `e` of the text as read into m_line; false when
// a filter turns the hit down.
bool Scan::buildAcceptedLine(std::string_view read, std::size_t s, std::size_t e, FileCode code,
                             ReadWidths widths, std::int64_t hitNumber, int keyword,
                             const SearchTag& tag) {
    if (code.htmlMode && InImageTag(read, s))
        return false;
    const unsigned char tagOpen = tag.open(), tagClose = tag.close();
    const std::size_t leftFrom = s > widths.left ? s - widths.left : 0;
    const std::size_t rightTo = std::min(read.size(), e + widths.right + 1);
    std::string_view left, matched, right;
    std::string cleaned[3]; // the pieces of the rules other than the plain ones
    if (IsPlainContext(m_state, m_languageIndex, code.codeIndex, tagOpen)) {
        // Cleaned straight from the text, and only as much as the line shows.
        m_plain.take(read, leftFrom, s, e, rightTo,
                     static_cast<std::size_t>(std::max(0, m_shown.left)),
                     static_cast<std::size_t>(std::max(0, m_shown.right)));
        left = m_plain.left();
        matched = m_plain.matched();
        right = m_plain.right();
    } else {
        if (s > 0)
            left = cleaned[0] =
                ExtractContext(m_state, m_languageIndex, code.codeIndex,
                               read.substr(leftFrom, s - leftFrom), tagOpen, tagClose);
        matched = cleaned[1] = ExtractContext(m_state, m_languageIndex, code.codeIndex,
                                              read.substr(s, e - s), tagOpen, tagClose);
        if (e < rightTo)
            right = cleaned[2] = ExtractContext(m_state, m_languageIndex, code.codeIndex,
                                                read.substr(e, rightTo - e), tagOpen, tagClose);
    }
    WriteKwicLine(m_line, hitNumber, left, matched, right, m_shown.left, m_shown.right);
    if (!m_keywords.tagged && ExcludedByStrings(m_keywords, m_shown.left, keyword, m_line, matched))
        return false;
    if (m_keywords.tagged && !tag.text.empty() && MissesTag(read, s, e, tag, m_keywords.tagBefore))
        return false;
    return true;
}

// Saves the accepted hit in m_line (with "Save to File"), counts it and shows it.
ScanStep Scan::recordHit(std::int64_t hitNumber, const FileFacts& facts) {
    if (m_context.results) {
        if (m_dosResults)
            ToDosCodePage(m_line);
        std::int32_t entry = static_cast<std::int32_t>(m_state.LogEntryNumber);
        const Status written =
            m_context.results->writeHit(m_line, facts.log, hitNumber == 1, entry, m_position);
        m_state.LogEntryNumber = entry;
        if (!written) {
            m_counts.failure = written.failure();
            return ScanStep::DeviceFailure;
        }
    }
    ++m_counts.hits;
    m_counts.bytesWritten += m_context.recordLength;
    m_observer.onHitCounter(m_context.hitsBefore + m_counts.hits);
    if (m_context.results && m_dosResults)
        FromDosCodePage(m_line); // the screen shows Windows characters
    m_observer.onHit(m_line, facts.shortName);
    return pollFlags();
}

} // namespace scanning

RunOutcome SearchFiles(ProgramState& state, const SearchRequest& request, const StepSources& step,
                       const ScanPattern& pattern, const ScanContext& context, ScanCounts& counts,
                       SearchObserver& observer, Prompter& prompter) {
    scanning::Scan scan(state, request, step, pattern, context, counts, observer, prompter);
    switch (scan.run()) {
    case scanning::ScanStep::Abandoned:
        return RunOutcome::abandoned();
    case scanning::ScanStep::DeviceFailure:
        return RunOutcome::deviceFailure();
    case scanning::ScanStep::GoOn:
        break;
    }
    return RunOutcome::done(counts.hits);
}

} // namespace lexmora
