// "Export..." of the viewers: a file name and format, the question before replacing a file,
// then the rows written through the engine's writer with a progress dialog that can stop it.
#pragma once

#include "core/prompter.h"
#include "core/result.h"
#include "export/table_writer.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace lexmora::ui {

struct TableSaveChoice;

// Writes the rows into the writer; `progress` returns false when the user stopped the export;
// `name` names the target in messages.
using TableExport = std::function<Status(
    TableWriter& writer, const std::function<bool(std::int64_t, std::int64_t)>& progress,
    const std::string& name)>;

// Writes `choice` through `write`, asking first when the file exists. Every failure is told;
// true when the file was written.
bool ExportTableFile(QWidget* parent, Prompter& prompter, const TableSaveChoice& choice,
                     const TableExport& write);

// The file dialog, then ExportTableFile.
bool ExportTableInteractively(QWidget* parent, Prompter& prompter, const QString& caption,
                              const QString& suggestedName, const TableExport& write);

} // namespace lexmora::ui
