// The word-frequency window's commands: what its menus, keys and buttons post in viewing mode
// (the frequency viewer) and in counting mode (the count's control loop), and the pending
// commands each loop takes one at a time, the most urgent first.
#pragma once

#include <array>
#include <optional>
#include <variant>

namespace lexmora {

// The window's mode, shared by its two loops.
enum class FrequencyWindowMode { Counting, Viewing, Leaving };

// A save or print range is of record numbers ("by &list order") or of frequencies.
enum class RangeBy { Frequency, ListOrder };

enum class FrequencySort { WordBeginning, WordEnding, Ascending, Descending };

// "&Word search".
struct FrequencyWordSearchRequest {
    bool operator==(const FrequencyWordSearchRequest&) const = default;
};
// "&Select File": another word list.
struct FrequencySelectFileRequest {
    bool operator==(const FrequencySelectFileRequest&) const = default;
};
// "&Perform Frequency Count": back to counting mode.
struct FrequencyCountRequest {
    bool operator==(const FrequencyCountRequest&) const = default;
};
// "&Save Count Details" by frequency or by list order.
struct FrequencySaveRequest {
    RangeBy by = RangeBy::Frequency;
    bool operator==(const FrequencySaveRequest&) const = default;
};
// "Print &Count Details" by frequency or by list order.
struct FrequencyPrintRequest {
    RangeBy by = RangeBy::Frequency;
    bool operator==(const FrequencyPrintRequest&) const = default;
};
// "Sort &alphabetically" and "Sort &numerically".
struct FrequencySortCommand {
    FrequencySort sort = FrequencySort::Descending;
    bool operator==(const FrequencySortCommand&) const = default;
};
// The scroll bar or a paging key: the record to show first (1-based).
struct FrequencyScrollRequest {
    long long top = 1;
    bool operator==(const FrequencyScrollRequest&) const = default;
};
// "&Normalisation settings": 0 the loaded file's default, 1..5 per 100 .. per 1M.
struct FrequencyNormRequest {
    int option = 0;
    bool operator==(const FrequencyNormRequest&) const = default;
};

// In the order the viewer's loop takes them (Exit, the shared exit flag, comes before all).
using FrequencyCommand =
    std::variant<FrequencyWordSearchRequest, FrequencySelectFileRequest, FrequencyCountRequest,
                 FrequencySaveRequest, FrequencyPrintRequest, FrequencySortCommand,
                 FrequencyScrollRequest, FrequencyNormRequest>;

// Commands posted and not yet run, one of each kind (a second post of a kind replaces the
// first); taken in the order of the variant's alternatives.
template <typename Command> class PendingCommands {
public:
    void post(const Command& command) { m_pending[command.index()] = command; }
    std::optional<Command> take() {
        for (auto& slot : m_pending) {
            if (slot) {
                std::optional<Command> next = std::move(slot);
                slot.reset();
                return next;
            }
        }
        return std::nullopt;
    }
    bool empty() const {
        for (const auto& slot : m_pending)
            if (slot)
                return false;
        return true;
    }
    void clear() { m_pending = {}; }

private:
    std::array<std::optional<Command>, std::variant_size_v<Command>> m_pending;
};

using FrequencyCommandQueue = PendingCommands<FrequencyCommand>;

} // namespace lexmora
