#include "ui/table_export_qt.h"

#include "export/messages.h"
#include "ui/table_window.h"
#include "ui/text_convert.h"

#include <QApplication>
#include <QFileInfo>
#include <QProgressDialog>

#include <chrono>

namespace lexmora::ui {

bool ExportTableFile(QWidget* parent, Prompter& prompter, const TableSaveChoice& choice,
                     const TableExport& write) {
    Placement placement = Placement::KeepExisting;
    if (QFileInfo::exists(pathToQt(choice.path))) {
        if (prompter.ask(exporting::msg::ReplaceTableFile(choice.path)) != Answer::Yes)
            return false;
        placement = Placement::Replace;
    }
    Result<std::unique_ptr<TableWriter>> writer =
        OpenTableFile(choice.format, choice.path, placement);
    if (!writer) {
        prompter.tell(writer.error());
        return false;
    }
    QProgressDialog progress(QObject::tr("Exporting..."), QObject::tr("&Stop"), 0, 1000, parent);
    progress.setObjectName("dlgExportProgress");
    progress.setWindowTitle(QObject::tr("Export"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500); // small exports finish before it shows
    auto lastEvents = std::chrono::steady_clock::now();
    const Status written = write(
        **writer,
        [&](std::int64_t done, std::int64_t total) {
            const auto now = std::chrono::steady_clock::now();
            if (now - lastEvents >= std::chrono::milliseconds(50)) {
                lastEvents = now;
                progress.setValue(
                    total > 0 ? static_cast<int>(std::min<std::int64_t>(done, total) * 1000 / total)
                              : 0);
                QApplication::processEvents();
            }
            return !progress.wasCanceled();
        },
        choice.path);
    writer->reset(); // an unfinished file leaves nothing behind
    progress.reset();
    if (!written) {
        prompter.tell(written.error());
        return false;
    }
    return true;
}

bool ExportTableInteractively(QWidget* parent, Prompter& prompter, const QString& caption,
                              const QString& suggestedName, const TableExport& write) {
    const std::optional<TableSaveChoice> choice = ChooseTableFile(parent, caption, suggestedName);
    return choice && ExportTableFile(parent, prompter, *choice, write);
}

} // namespace lexmora::ui
