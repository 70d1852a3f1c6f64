// Run control: how an exit request is settled with the run's question, that a paused run waits
// on its host (one wait per turn, never a spin) and notices Exit while paused.
#include "core/run_control.h"

#include "core/program_state.h"
#include "core/prompter.h"

#include <gtest/gtest.h>

#include <string>

namespace lexmora {
namespace {

const Message kQuestion{"Leave?", " Abandon", Buttons::YesNo, Icon::Question};

// Counts the calls; on the given wait it sets what a click would set.
struct ScriptedHost : RunHost {
    int yields = 0;
    int waits = 0;
    int unpauseAtWait = 0;
    int exitAtWait = 0;
    void yield(ProgramState&) override { ++yields; }
    void waitForEvents(ProgramState& state, std::chrono::milliseconds) override {
        ++waits;
        if (waits == unpauseAtWait)
            state.PauseFlag = false;
        if (waits == exitAtWait)
            state.ExitFlag = ExitRequest::UserPressedExit;
    }
};

TEST(RunControl, ExitRequestsAreSettledWithTheRunsQuestion) {
    struct Case {
        ExitRequest request;
        std::vector<Answer> answers;
        RunStep step;
        ExitRequest after;
        std::size_t questions;
    };
    const Case cases[] = {
        {ExitRequest::None, {}, RunStep::Go, ExitRequest::None, 0},
        {ExitRequest::UserConfirmedLeaving,
         {},
         RunStep::Stop,
         ExitRequest::UserConfirmedLeaving,
         0},
        {ExitRequest::UserPressedExit,
         {Answer::Yes},
         RunStep::Stop,
         ExitRequest::UserConfirmedLeaving,
         1},
        {ExitRequest::UserPressedExit, {Answer::No}, RunStep::Go, ExitRequest::None, 1},
    };
    for (const Case& c : cases) {
        ProgramState state;
        state.ExitFlag = c.request;
        ScriptedHost host;
        ScriptedPrompter prompter(c.answers);
        RunControl control(state, host, prompter, kQuestion);
        EXPECT_EQ(control.poll(), c.step);
        EXPECT_EQ(state.ExitFlag, c.after);
        ASSERT_EQ(prompter.shown.size(), c.questions);
        if (c.questions > 0) {
            EXPECT_EQ(prompter.shown[0].title, " Abandon");
        }
        EXPECT_EQ(host.yields, 1);
        EXPECT_EQ(host.waits, 0);
    }
}

TEST(RunControl, APausedRunWaitsOnItsHostOncePerTurn) {
    ProgramState state;
    state.PauseFlag = true;
    ScriptedHost host;
    host.unpauseAtWait = 3;
    SilentPrompter prompter;
    RunControl control(state, host, prompter, kQuestion);
    int ticks = 0;
    control.onPauseTick([&ticks] { ++ticks; });
    EXPECT_EQ(control.poll(), RunStep::Go);
    EXPECT_EQ(host.waits, 3);
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(RunControl, ExitWhilePausedEndsTheWaitAndAsks) {
    ProgramState state;
    state.PauseFlag = true;
    ScriptedHost host;
    host.exitAtWait = 2;
    ScriptedPrompter prompter({Answer::Yes});
    RunControl control(state, host, prompter, kQuestion);
    EXPECT_EQ(control.poll(), RunStep::Stop);
    EXPECT_EQ(host.waits, 2);
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(state.ExitFlag, ExitRequest::UserConfirmedLeaving);
}

TEST(RunControl, AnExtraPauseTickIsCalledBesideTheScreensAndTakenBack) {
    ProgramState state;
    ScriptedHost host;
    SilentPrompter prompter;
    RunControl control(state, host, prompter, kQuestion);
    std::string calls;
    control.onPauseTick([&calls] { calls += 's'; });
    {
        const ExtraPauseTick extra(control, [&calls] { calls += 'x'; });
        state.PauseFlag = true;
        host.unpauseAtWait = 2;
        EXPECT_EQ(control.poll(), RunStep::Go);
        EXPECT_EQ(calls, "sxsx");
    }
    state.PauseFlag = true;
    host.unpauseAtWait = 3;
    EXPECT_EQ(control.poll(), RunStep::Go);
    EXPECT_EQ(calls, "sxsxs");
}

} // namespace
} // namespace lexmora
