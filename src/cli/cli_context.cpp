#include "cli/cli_context.h"

#include "codes/code_tables.h"
#include "codes/program_start.h"
#include "core/settings.h"
#include "core/text_codec.h"

#include <csignal>
#include <iostream>

namespace lexmora::cli {

std::atomic<bool> g_interrupted{false};
std::atomic<int> g_stopSignal{0};

int abandonedStatus() {
    const int signal = g_stopSignal.load();
    return signal > 0 ? 128 + signal : kAbandoned;
}

namespace {

const char* answerName(Answer answer) {
    switch (answer) {
    case Answer::Ok:
        return "OK";
    case Answer::Cancel:
        return "Cancel";
    case Answer::Abort:
        return "Abort";
    case Answer::Retry:
        return "Retry";
    case Answer::Ignore:
        return "Ignore";
    case Answer::Yes:
        return "Yes";
    case Answer::No:
        return "No";
    }
    return "?";
}

// Message texts hold CR LF between lines; a terminal wants LF.
std::string withoutCarriageReturns(std::string text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

// "title: text" on standard error, as every message of the command line is shown.
void printMessage(const Message& message) {
    const std::string title = cp1252ToUtf8(message.title);
    std::cerr << title << (title.empty() ? "" : ": ")
              << withoutCarriageReturns(cp1252ToUtf8(message.text)) << '\n';
}

Answer yesAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
        return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::Yes;
    case Buttons::RetryCancel:
        return Answer::Cancel; // retrying without a user would loop for ever
    case Buttons::AbortRetryIgnore:
        return Answer::Ignore;
    }
    return Answer::Ok;
}

} // namespace

Answer CliPrompter::ask(const Message& message) {
    printMessage(message);
    if (message.buttons == Buttons::Ok)
        return Answer::Ok;
    const Answer answer = m_yes ? yesAnswer(message.buttons) : safeAnswer(message.buttons);
    std::cerr << "  -> " << answerName(answer) << '\n';
    return answer;
}

std::string CliContext::display(std::string_view text) const {
    return raw ? std::string(text) : cp1252ToUtf8(text);
}

void CliContext::printLine(std::string_view text) const {
    std::cout << display(text) << '\n';
}

void CliContext::report(const Message& message) const {
    printMessage(message);
}

void CliContext::progress(std::string_view text) const {
    std::cerr << cp1252ToUtf8(text) << '\n';
}

void loadProgram(CliContext& context) {
    StartProgram(context.state, context.location, context.prompter);
}

void noticeStopSignal(ProgramState& state) {
    if (g_interrupted.load(std::memory_order_relaxed))
        state.ExitFlag = ExitRequest::UserConfirmedLeaving;
}

void CliRunHost::yield(ProgramState& state) {
    noticeStopSignal(state);
}

namespace {

void onStopSignal(int signal) {
    int none = 0;
    g_stopSignal.compare_exchange_strong(none, signal);
    if (g_interrupted.exchange(true)) {
        // Asked twice: the user wants the program gone now.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
}

} // namespace

void installStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes carry on after the handler; the run stops at its next poll.
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

} // namespace lexmora::cli
