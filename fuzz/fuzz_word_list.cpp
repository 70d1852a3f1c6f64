// libFuzzer target: any bytes as a word list and its index, then what a user does in the
// frequency viewer: rows, the four sorts, a word search, a range, saved and printed text.
#include "fuzz_support.h"
#include "wordcount/frequency_table.h"

using namespace lexmora;
using fuzz::require;

namespace {

void checkRows(const FrequencyTable& table) {
    for (const FrequencyRow& row : table.rows(0, kVisibleRows))
        require(row.word.size() <= 30);
    if (table.size() > 0)
        (void)table.row(table.size() - 1);
}

void workOn(FrequencyTable& table, std::string_view actions) {
    checkRows(table);
    table.setNorm(actions.empty() ? 0 : actions[0] % 6);
    (void)table.findWord(actions);
    for (FrequencySort order : {FrequencySort::Descending, FrequencySort::WordEnding,
                                FrequencySort::Ascending, FrequencySort::WordBeginning}) {
        if (table.sortBy(order))
            checkRows(table);
        (void)table.findWord(actions);
    }
    const auto [low, high] = table.valueRange(true);
    const auto range = table.selectRange(low, high, true);
    if (!range)
        return;
    require(static_cast<std::int64_t>(range->size()) <= table.size());
    (void)table.detailsText(*range);
    (void)table.printLines(*range, true, 40);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::splitInput(data, size, 3);
    const std::string list = fuzz::writeScratch("w.lst", parts[0]);
    fuzz::writeScratch("w.sta", parts[1]);
    auto loaded = LoadCountFile(list);
    if (!loaded)
        return 0;
    require(loaded->typeCount >= 0 && loaded->tokenCount >= 0);
    FrequencyTable table(std::move(*loaded));
    workOn(table, parts[2]);
    return 0;
}
