// Run control shared by every long run (a search, a word count, a viewing pass): the exit
// request the screens set, how a run ended, and the one object that polls pause and exit
// between a run's steps.
#pragma once

#include "core/message.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace lexmora {

// Whole seconds on the steady clock: a run's elapsed time, which no change of the wall clock
// disturbs.
inline std::int64_t SteadySeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct ProgramState;
class Prompter;

// The exit flag: nothing asked, the user pressed Exit (the run asks whether to abandon), or
// leaving is settled (confirmed, Ctrl-C, the program's exit; in the viewer: more files asked).
enum class ExitRequest { None, UserPressedExit, UserConfirmedLeaving };

// How a long run ended.
enum class RunEnd { Done, Abandoned, DeviceFailure };

struct RunOutcome {
    RunEnd end = RunEnd::Done;
    std::int64_t count = 0; // what a run that was done counted (hits, records)

    static RunOutcome done(std::int64_t count = 0) { return {RunEnd::Done, count}; }
    static RunOutcome abandoned() { return {RunEnd::Abandoned, 0}; }
    static RunOutcome deviceFailure() { return {RunEnd::DeviceFailure, 0}; }

    bool isDone() const { return end == RunEnd::Done; }
};

// Where a run hands control while it works: the desktop's event loop, the command line's
// signal check. Both calls may set the exit and pause flags in `state`.
class RunHost {
public:
    virtual ~RunHost() = default;
    // Lets pending events run, without waiting.
    virtual void yield(ProgramState& state) { (void)state; }
    // Waits until an event or a signal may have changed the flags, at most `limit`.
    virtual void waitForEvents(ProgramState& state, std::chrono::milliseconds limit);
};

// Whether a run goes on after a poll.
enum class RunStep { Go, Stop };

// Pause and exit for one run: between steps the run calls poll(), which yields, waits (without
// spinning) while the run is paused, and settles an Exit with the run's own question.
class RunControl {
public:
    RunControl(ProgramState& state, RunHost& host, Prompter& prompter, Message abandonQuestion);

    RunStep poll();
    // Settles a pending exit request without yielding first: Stop once leaving is confirmed.
    RunStep settleExit();
    // Called on every turn of the wait while paused (a screen shows the time paused).
    void onPauseTick(std::function<void()> tick) { m_pauseTick = std::move(tick); }
    const std::function<void()>& pauseTick() const { return m_pauseTick; }

    RunHost& host() { return m_host; }

private:
    ProgramState& m_state;
    RunHost& m_host;
    Prompter& m_prompter;
    Message m_abandonQuestion;
    std::function<void()> m_pauseTick;
};

// Adds a call to a control's pause tick while it lives (the tick set before is still called,
// and is set back at the end): work of the run's own threads that must rest while it is paused.
class ExtraPauseTick {
public:
    ExtraPauseTick(RunControl& control, std::function<void()> extra)
        : m_control(control), m_before(control.pauseTick()) {
        m_control.onPauseTick([before = m_before, extra = std::move(extra)] {
            if (before)
                before();
            extra();
        });
    }
    ~ExtraPauseTick() { m_control.onPauseTick(std::move(m_before)); }
    ExtraPauseTick(const ExtraPauseTick&) = delete;
    ExtraPauseTick& operator=(const ExtraPauseTick&) = delete;

private:
    RunControl& m_control;
    std::function<void()> m_before;
};

// How long a paused run waits for events before it looks again (and a screen's time moves).
inline constexpr std::chrono::milliseconds kPausedWait{250};

} // namespace lexmora
