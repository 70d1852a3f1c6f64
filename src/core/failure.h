// A failure as the engine reports it: what kind it is (for the code that decides what to do),
// the system's error number where there is one, and the message the user is to see.
#pragma once

#include "core/message.h"

#include <cerrno>

namespace lexmora {

// The kinds of failure that callers act on; every other failure is Unspecified and is only shown.
enum class FailureCode {
    Unspecified,
    EmptyFile,      // a file with no bytes was given to be read
    NotAResultFile, // the file is not one of this program's result files
    DamagedFile,    // a result file whose records do not fit its header
    CannotOpen,     // the system could not open a file or folder
    CannotWrite,    // the system could not write or create a file
    DiskFull,       // no space left on the device
    DeviceFailure,  // a read or write failed in the middle of a run
    OutOfMemory,    // the work did not fit in memory
    StringTooLong,  // gathered text beyond what the clipboard string may hold
    LogNotFound,    // a result file's log is missing (the user may pick it)
    NotFound,       // a file or folder that is not there
    InvalidInput,   // the user's input breaks a rule
    Cancelled,      // the user answered Cancel to a question of the operation
    LimitReached,   // a count the files' format bounds is used up (a result set's log entries)
};

// How a failed write or create is told apart: a full device, or any other refusal.
inline FailureCode WriteFailureCode(int error) {
    return error == ENOSPC ? FailureCode::DiskFull : FailureCode::CannotWrite;
}

struct Failure {
    Message message;
    FailureCode code = FailureCode::Unspecified;
    int systemError = 0; // errno where the system reported one

    Failure(Message m, FailureCode c = FailureCode::Unspecified, int error = 0)
        : message(std::move(m)), code(c), systemError(error) {}
};

} // namespace lexmora
