// What one search run is asked to read: its sources as values, taken once when the run is
// started, so that the run never writes the selection the choosers keep in the ProgramState.
// The settings that outlive a run (code rows, keyword rules, context widths) are still read
// from the state the run is given.
#pragma once

#include "core/program_state.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lexmora {

// How the sources were chosen.
enum class SourceKind {
    Files, // names chosen in one folder
    List,  // a stored list of whole paths
    Tree,  // a folder and every folder below it, its files matched by the pattern
};

struct SearchSources {
    SourceKind kind = SourceKind::Files;
    std::string folder;             // Files: where the names are; Tree: the root; List: empty
    std::vector<std::string> files; // Files: names in `folder`; List: whole paths; Tree: none
    std::string pattern = "*.*";    // the file type a tree's folders are listed with
    // The files counted when the sources were chosen (a tree's count), shown for every step in
    // place of the step's own; 0 when none was counted.
    std::int64_t countShown = 0;

    bool operator==(const SearchSources&) const = default;
};

// One step of a run: the files searched in one call, as a folder and names or a list of paths.
struct StepSources {
    const std::string& folder;             // as chosen (a separator optional); empty for a list
    const std::vector<std::string>& files; // names in `folder`, or whole paths for a list
    bool isList = false;
    std::int64_t countShown = 0; // the sources' count shown in place of the step's, 0: none

    std::string pathOf(const std::string& listed) const;
};

struct SearchRequest {
    SearchSources sources;
};

// The sources as the choosers leave them in the state: the stored list, the tree, the chosen
// files of the source folder, or (a whole folder chosen) the files of the type it holds now.
SearchSources SourcesChosenIn(const ProgramState& state);

// The request for a run over the state's chosen sources.
SearchRequest SearchRequestFor(const ProgramState& state);

} // namespace lexmora
