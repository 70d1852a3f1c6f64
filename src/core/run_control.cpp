#include "core/run_control.h"

#include "core/program_state.h"
#include "core/prompter.h"

#include <thread>

namespace lexmora {

void RunHost::waitForEvents(ProgramState& state, std::chrono::milliseconds limit) {
    // A host with no events to wait for sleeps; a signal cuts the sleep short.
    std::this_thread::sleep_for(limit);
    yield(state);
}

RunControl::RunControl(ProgramState& state, RunHost& host, Prompter& prompter,
                       Message abandonQuestion)
    : m_state(state), m_host(host), m_prompter(prompter),
      m_abandonQuestion(std::move(abandonQuestion)) {}

RunStep RunControl::settleExit() {
    switch (m_state.ExitFlag) {
    case ExitRequest::None:
        return RunStep::Go;
    case ExitRequest::UserConfirmedLeaving:
        return RunStep::Stop;
    case ExitRequest::UserPressedExit:
        break;
    }
    if (m_prompter.ask(m_abandonQuestion) == Answer::Yes) {
        m_state.ExitFlag = ExitRequest::UserConfirmedLeaving;
        return RunStep::Stop;
    }
    m_state.ExitFlag = ExitRequest::None;
    return RunStep::Go;
}

RunStep RunControl::poll() {
    m_host.yield(m_state);
    while (m_state.PauseFlag && m_state.ExitFlag == ExitRequest::None) {
        if (m_pauseTick)
            m_pauseTick();
        m_host.waitForEvents(m_state, kPausedWait);
    }
    return settleExit();
}

} // namespace lexmora
