// Starting other programs: directly, with an argument vector and never through a shell, so no
// file name is ever read as shell syntax.
#pragma once

#include <string>
#include <vector>

namespace lexmora {

// The path of a program: a name holding "/" as it is, else found along PATH; empty when there is
// no executable file of that name.
std::string FindProgram(const std::string& name);

// Runs the program (argv[0], looked up along PATH) and waits, without a time limit, for it to
// end. Its exit status, or -1 when it could not be started or did not exit normally.
int RunAndWait(const std::vector<std::string>& argv);

// Starts the program and goes on. True when it started. Programs started this way are reaped
// (their exit collected) on later calls, so none lingers as a zombie for long.
bool StartProcess(const std::vector<std::string>& argv);

} // namespace lexmora
