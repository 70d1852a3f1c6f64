#include "cli/table_output.h"

#include "core/file_io.h"
#include "core/program_location.h"
#include "core/text_codec.h"
#include "export/messages.h"

#include <iostream>

namespace lexmora::cli {

std::optional<TableFormat> formatOption(const std::string& command, const std::string& word,
                                        bool allowWorkbook) {
    const std::optional<TableFormat> format = TableFormatNamed(word);
    if (format && (allowWorkbook || *format != TableFormat::Xlsx))
        return format;
    std::cerr << "lexmora-cli " << command << ": unknown format '" << word << "' (table, tsv, csv, "
              << (allowWorkbook ? "json or xlsx" : "or json") << ")\n";
    return std::nullopt;
}

int printTable(CliContext& context, const Table& table, TableFormat format) {
    for (const std::string& note : table.notes)
        context.progress(note);
    std::cout << TableText(table, format);
    std::cout.flush();
    return std::cout ? kSuccess : kFailure;
}

int saveRows(CliContext& context, TableFormat format, const std::string& path,
             const std::function<Status(TableWriter&)>& fill) {
    const std::string target = AbsolutePath(path);
    Placement placement = Placement::KeepExisting;
    if (fileIsPresent(target)) {
        if (context.prompter.ask(exporting::msg::ReplaceTableFile(target)) != Answer::Yes) {
            context.report(exporting::msg::TableFileExists(target));
            return kFailure;
        }
        placement = Placement::Replace;
    }
    Result<std::unique_ptr<TableWriter>> opened = OpenTableFile(format, target, placement);
    if (!opened) {
        context.report(opened.error());
        return kFailure;
    }
    const Status written = fill(*opened.value());
    if (!written) {
        context.report(written.error());
        return written.code() == FailureCode::Cancelled ? kAbandoned : kFailure;
    }
    context.progress("Saved to: " + utf8ToCp1252(target));
    return kSuccess;
}

} // namespace lexmora::cli
