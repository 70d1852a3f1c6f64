// Threads of the engine's own that take no signal: Ctrl-C and a closed pipe stay the calling
// thread's, which polls for them.
#pragma once

#include "core/os_calls.h"

#include <cerrno>
#include <csignal>
#include <exception>
#include <new>
#include <pthread.h>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

namespace lexmora {

// Starts `function` on a new thread with every signal blocked (std::system_error when no thread
// can be started, as std::thread).
template <typename Function> std::thread StartQuietThread(Function&& function) {
    if (!osCalls().threadAvailable())
        throw std::system_error(EAGAIN, std::generic_category(), "no thread available");
    sigset_t all, before;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &before);
    try {
        std::thread thread(std::forward<Function>(function));
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        return thread;
    } catch (...) {
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        throw;
    }
}

// What a thread of the engine says when it fails, from what it caught.
inline std::string WhyThreadFailed(std::exception_ptr failure) {
    try {
        std::rethrow_exception(std::move(failure));
    } catch (const std::bad_alloc&) {
        return "not enough memory";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an unknown error";
    }
}

// What a thread's work ended in when it threw: the caller tells one failure from it.
struct CaughtFailure {
    bool thrown = false;
    bool outOfMemory = false;
    std::string why;
};

// Notes the exception being handled; nothing it does throws.
inline void NoteCaught(CaughtFailure& caught, bool outOfMemory) noexcept {
    caught.thrown = true;
    caught.outOfMemory = outOfMemory;
    try {
        caught.why = WhyThreadFailed(std::current_exception());
    } catch (...) {
        // no memory even for the reason: the run fails all the same
    }
}

// Runs `work`, catching whatever it throws so that nothing leaves the thread.
template <typename Work> CaughtFailure RunCatching(Work&& work) noexcept {
    CaughtFailure caught;
    try {
        std::forward<Work>(work)();
    } catch (const std::bad_alloc&) {
        NoteCaught(caught, true);
    } catch (...) {
        NoteCaught(caught, false);
    }
    return caught;
}

} // namespace lexmora
