// The word-frequency window's dialogs: the choosers it opens, and the range of a saved or
// printed part of the table.
#include "ui/frmViewCount.h"

#include "core/folders.h"
#include "core/paths.h"
#include "files/file_chooser.h"
#include "files/source_choice.h"
#include "files/text_entry.h"
#include "ui/frmContext.h"
#include "ui/frmEnterText.h"
#include "ui/frmGetDir.h"
#include "ui/frmGetFiles.h"
#include "ui/text_convert.h"
#include "ui/text_printer.h"
#include "wordcount/messages.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPrinter>

namespace lexmora::ui {

namespace {

// Where the output folder chooser opens: the frequency-files folder, else the current one, and
// the temporary folder when that cannot be written.
std::string outputChooserStart(const ProgramState& state) {
    std::string start =
        state.FrequencyFilesDirectory.empty() ? CurrentFolder() : state.FrequencyFilesDirectory;
    if (IsReadOnlyFolder(start) && !state.TempDirectory.empty())
        start = state.TempDirectory;
    return start;
}

// The largest Courier size up to 10 points at which `columns` characters fit the page width.
QFont courierFitting(QPrinter& printer, int columns) {
    const int width = printer.pageLayout().paintRectPixels(printer.resolution()).width();
    for (int size = 10; size > 5; --size) {
        const QFont font = printerFont("Courier", true, size);
        if (QFontMetrics(font, &printer).horizontalAdvance(QString(columns, 'M')) <= width)
            return font;
    }
    return printerFont("Courier", true, 6);
}

constexpr const char* kWordListCaption = "Select word frequency file";

} // namespace

void frmViewCount::useDefaultChoosers() {
    m_dialogs.chooseCountFiles = [this] {
        files::PrepareSourceChooser(m_state);
        const char* caption =
            m_state.MakingFileList ? files::kIncludeInListCaption : files::kWordCountCaption;
        return ChooseFiles(m_state, m_prompter, caption, this);
    };
    m_dialogs.chooseFolder = [this]() -> std::optional<std::string> {
        const std::string saved = m_state.DialogFolder;
        m_state.DialogFolder = outputChooserStart(m_state);
        auto folder = ChooseFolder(m_state, m_prompter, "   Save word lists to...", this);
        m_state.DialogFolder = saved;
        return folder;
    };
    m_dialogs.chooseListFile = [this]() -> std::optional<std::string> {
        // Chosen aside: the count's own selection is not touched.
        const std::string folder = m_state.FrequencyFilesDirectory.empty()
                                       ? m_state.TargetDirectory
                                       : m_state.FrequencyFilesDirectory;
        auto chosen =
            ChooseFilesAside(m_state, m_prompter, kWordListCaption, folder, "*.lst", this);
        if (!chosen || chosen->paths.empty())
            return std::nullopt;
        return std::move(chosen->paths.front());
    };
}

void frmViewCount::useDefaultDialogs() {
    useDefaultChoosers();
    m_dialogs.askText = [this](const std::string& prompt,
                               std::size_t maxLength) -> std::optional<std::string> {
        files::TextEntryRequest request;
        request.mode = files::EntryMode::Free;
        request.prompt = prompt;
        request.maxLength = maxLength;
        const files::TextEntryAnswer answer = EnterText(request, m_prompter, this);
        if (!answer.ok)
            return std::nullopt;
        return answer.text;
    };
    m_dialogs.chooseRange = [this](RangeBy by, bool forPrinting) -> std::optional<FrequencyRange> {
        const auto [low, high] = m_table->valueRange(by == RangeBy::Frequency);
        frmContext dialog(m_state, this);
        frmContext::RangeTexts texts;
        texts.caption = forPrinting
                            ? "Select minimum and maximum values for printing wordcount details"
                            : "Select minimum and maximum values for saving wordcount details";
        texts.firstOption = forPrinting ? "   single column" : "  save to clipboard";
        texts.secondOption = forPrinting ? "   double column" : "     save to file";
        dialog.prepareRange(texts, low, high);
        dialog.exec();
        if (dialog.tag() != "Ok")
            return std::nullopt;
        return FrequencyRange{dialog.leftNumber().value_or(0), dialog.rightNumber().value_or(0),
                              dialog.secondOptionChosen()};
    };
    m_dialogs.choosePrinter = [this](QPrinter& printer) { return askPrinter(this, printer); };
}

std::optional<std::vector<std::int64_t>> frmViewCount::chooseRange(RangeBy by, bool forPrinting,
                                                                   bool& secondOption) {
    if (m_table->size() == 0)
        return std::nullopt;
    for (;;) {
        const std::optional<FrequencyRange> range = m_dialogs.chooseRange(by, forPrinting);
        if (!range)
            return std::nullopt;
        Result<std::vector<std::int64_t>> chosen =
            m_table->selectRange(range->minimum, range->maximum, by == RangeBy::Frequency);
        if (chosen) {
            secondOption = range->secondOption;
            return std::move(chosen.value());
        }
        if (m_prompter.ask(chosen.error()) != Answer::Retry)
            return std::nullopt;
    }
}

void frmViewCount::saveDetails(RangeBy by) {
    bool toFile = false;
    const auto indices = chooseRange(by, false, toFile);
    if (!indices)
        return;
    if (!toFile) {
        QGuiApplication::clipboard()->setText(toQt(m_table->detailsText(*indices)));
        return;
    }
    const Result<std::string> saved =
        SaveDetails(m_state, *m_table, *indices, m_prompter, m_dialogs.chooseFolder);
    (void)saved; // shown through the prompter either way
}

void frmViewCount::printDetails(RangeBy by) {
    bool doubleColumn = false;
    auto indices = chooseRange(by, true, doubleColumn);
    if (!indices)
        return;
    if (by == RangeBy::Frequency)
        indices = m_table->inFrequencyOrder(std::move(*indices));
    QPrinter printer;
    if (!m_dialogs.choosePrinter(printer))
        return;
    // Two columns: two 56-character lines and the gap between them.
    const QFont font = courierFitting(printer, doubleColumn ? 56 + 11 + 56 : 56);
    TextPrintJob job(printer, font);
    if (!job.begin()) {
        m_prompter.tell(wordcount::msg::CannotPrint());
        return;
    }
    QStringList lines;
    for (const std::string& line : m_table->printLines(*indices, doubleColumn, job.linesPerPage()))
        if (line != "\f") // the job starts each page itself when the last one is full
            lines << toQt(line);
    job.addLines(lines);
    job.finish();
}

} // namespace lexmora::ui
