// A dispersion run: the hits of a result file placed among the words of their files (the hit
// walk), the corpus files without hits counted, and everything gathered as DispersionData.
#pragma once

#include "analysis/dispersion.h"
#include "core/program_state.h"
#include "core/prompter.h"
#include "core/result.h"
#include "core/run_control.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lexmora {

struct DispersionRequest {
    std::string resultPath; // the .dmp file
    // The records the viewer shows; none: every hit of the file.
    std::optional<std::vector<std::int64_t>> records;
    // The corpus: files, folders and stored lists (.flist), UTF-8. None: the files the log
    // names, which are only the files with hits (the result says so).
    std::vector<std::string> corpus;
    bool tree = false;         // folders with all their sub-folders
    std::string pattern = "*"; // files taken from folders
    const ProgramState* state = nullptr;
};

// The whole run. Fails with the result file's failures, when no part is left, or when
// `control` stops it (FailureCode::Cancelled).
Result<DispersionData> RunDispersion(const DispersionRequest& request, Prompter& prompter,
                                     RunControl* control = nullptr);

} // namespace lexmora
