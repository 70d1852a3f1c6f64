#include "cli/analysis_output.h"

#include "cli/messages.h"
#include "core/file_io.h"
#include "core/program_location.h"
#include "export/table_writer.h"
#include "wordcount/count_sources.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <sys/stat.h>

namespace lexmora::cli {

std::optional<std::int64_t> PositiveNumber(std::string_view text) {
    std::int64_t value = 0;
    if (text.empty() || text.size() > 12)
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1)
        return std::nullopt;
    return value;
}

std::optional<TableFormat> TextFormatNamed(std::string_view name) {
    const auto format = TableFormatNamed(name);
    if (!format || *format == TableFormat::Xlsx)
        return std::nullopt;
    return format;
}

std::optional<std::string> OtherFileKind(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))
        return std::nullopt;
    return S_ISFIFO(info.st_mode)   ? "a FIFO (named pipe)"
           : S_ISCHR(info.st_mode)  ? "a character device"
           : S_ISBLK(info.st_mode)  ? "a block device"
           : S_ISSOCK(info.st_mode) ? "a socket"
                                    : "not a regular file";
}

std::vector<std::string> ExpandCountSources(const std::vector<std::string>& paths, bool tree,
                                            const std::string& pattern, CliContext& context) {
    std::vector<std::string> files;
    for (const std::string& p : paths) {
        const std::string full = AbsolutePath(p);
        if (const auto kind = OtherFileKind(full)) {
            context.report(cli::msg::NotACountSource(full, *kind));
            continue;
        }
        if (!isDirectory(full)) {
            files.push_back(full);
            continue;
        }
        const std::vector<std::string> found =
            ListCountSources(full, tree, context.prompter, pattern);
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

bool PrintSequences(const SequenceList& list, std::string_view firstColumn, TableFormat format) {
    bool written = true;
    // The writers give UTF-8 already, as every table command prints it.
    auto writer = MakeTextTableWriter(format, [&written](std::string_view bytes) {
        written = written && std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
        return written;
    });
    if (!writer->begin(SequenceColumns(firstColumn)))
        return false;
    // views of the list's own text: no string made per row
    for (const SequenceItem& item : list.items) {
        const std::array<CellView, 3> row = {list.textOf(item), item.freq, item.range};
        if (!writer->addView(row))
            return false;
    }
    return writer->finish() && std::fflush(stdout) == 0 && written;
}

} // namespace lexmora::cli
