// How often a long run tells its progress: at most every 50 ms, so that a window's labels and a
// terminal's line keep up without the run spending its time on them.
#pragma once

#include <chrono>

namespace lexmora {

class ProgressPace {
public:
    // True when a report is due now (always when `force`), and then counts it as made.
    bool due(bool force = false) {
        const auto now = std::chrono::steady_clock::now();
        if (!force && now - m_last < kInterval)
            return false;
        m_last = now;
        return true;
    }

private:
    static constexpr std::chrono::milliseconds kInterval{50};
    std::chrono::steady_clock::time_point m_last{};
};

} // namespace lexmora
