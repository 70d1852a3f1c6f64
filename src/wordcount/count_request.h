// What one word count is asked to read: its files as values, taken once when the count is
// started, so that the run never reads the selection the choosers keep in the ProgramState.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lexmora {

struct CountRequest {
    std::string folder;             // where the names that are not whole paths lie
    std::vector<std::string> files; // whole paths, or names in `folder`, in the order counted
    std::string listName;           // the proposed base name of the pair (Windows-1252 text)
    // The files the chooser named: the list's header counts them when they are more than the
    // files given. 0: none named.
    std::int64_t filesNamed = 0;

    // Every file as a whole path, in order.
    std::vector<std::string> paths() const;

    bool operator==(const CountRequest&) const = default;
};

// The count window's request: the selection as the choosers leave it in the state (a stored
// list as it stands, a folder tree, chosen files of a folder, or every file of a folder), only
// files matching SourceFileType ("*.*" when empty) taken from folders. A folder that cannot be
// listed is named through the prompter and the rest goes on.
CountRequest CountRequestFor(const ProgramState& state, const std::string& listName,
                             Prompter& prompter);

} // namespace lexmora
